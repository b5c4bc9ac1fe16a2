#include "config/dialog/configure_page.h"

#include "settings/settings.h"

namespace skyloom {

ConfigurePage::ConfigurePage(int index, const char* objectName, QWidget* parent) : QWidget(parent), index_(index) {
    setObjectName(QLatin1String(objectName));
}

void ConfigurePage::Activate() {
    CurrentConfigureSheet.Set(index_);
    PutTexts();
}

}  // namespace skyloom
