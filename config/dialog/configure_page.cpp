#include "config/dialog/configure_page.h"

#include "config/dialog_controls.h"
#include "settings/settings.h"

namespace skyloom {

ConfigurePage::ConfigurePage(int index, QWidget* parent) : QWidget(parent), index_(index) {
    setObjectName(QLatin1String(kDialogPages[index].dialog.name));
}

void ConfigurePage::Activate() {
    CurrentConfigureSheet.Set(index_);
    PutTexts();
}

}  // namespace skyloom
