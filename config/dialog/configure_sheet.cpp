#include "config/dialog/configure_sheet.h"

#include "config/dialog/controls_page.h"
#include "config/dialog/dialog_icon.h"
#include "config/dialog/intro_page.h"
#include "config/dialog/music_page.h"
#include "config/dialog/shell_open.h"
#include "config/dialog_controls.h"
#include "settings/settings.h"

#include <QDialogButtonBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace skyloom {

static_assert(ConfigureSheet::kPageCount == kDialogPageCount);

ConfigureSheet::ConfigureSheet(QWidget* parent)
    : QDialog(parent),
      tabs_(new QTabWidget(this)),
      buttons_(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Help, this)),
      intro_(new IntroPage(tabs_)),
      controls_(new ControlsPage(tabs_)),
      music_(new MusicPage(tabs_)),
      currentPage_(0) {
    setWindowTitle(QStringLiteral(" Skyloom"));
    setWindowIcon(ProgramIcon());

    for (int index = 0; index < kPageCount; ++index) {
        tabs_->addTab(Page(index), QString());
    }
    SetPageTitles();
    connect(intro_, &IntroPage::TextsPut, this, &ConfigureSheet::SetPageTitles);

    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::helpRequested, this, [] { OpenHelp(); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addWidget(buttons_);

    // A negative index is as unusable as one past the last page.
    const int stored = CurrentConfigureSheet.Get();
    currentPage_ = stored >= 0 && stored < kPageCount ? stored : 0;
    tabs_->setCurrentIndex(currentPage_);
    Page(currentPage_)->Activate();
    connect(tabs_, &QTabWidget::currentChanged, this, &ConfigureSheet::PageChanged);
}

ConfigurePage* ConfigureSheet::Page(int index) const {
    switch (index) {
    case 0:
        return intro_;
    case 1:
        return controls_;
    default:
        return music_;
    }
}

void ConfigureSheet::SetPageTitles() {
    for (int index = 0; index < kPageCount; ++index) {
        tabs_->setTabText(index, Text(kDialogPages[index].title));
    }
}

void ConfigureSheet::PageChanged(int index) {
    if (index < 0 || index >= kPageCount || index == currentPage_) {
        return;
    }
    Page(currentPage_)->Deactivate();
    currentPage_ = index;
    Page(index)->Activate();
}

void ConfigureSheet::BringToFront() {
    if (isMinimized()) {
        showNormal();
    } else {
        show();
    }
    raise();
    activateWindow();
}

void ConfigureSheet::done(int result) {
    Page(currentPage_)->Deactivate();
    QDialog::done(result);
}

}  // namespace skyloom
