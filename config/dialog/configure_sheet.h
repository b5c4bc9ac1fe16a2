#pragma once

#include <QDialog>

class QDialogButtonBox;
class QTabWidget;

namespace skyloom {

class ConfigurePage;
class ControlsPage;
class IntroPage;
class MusicPage;

// The configuration window: the three pages as tabs and a button row of OK
// and Help. There is no Cancel or Apply: each page stores every change at
// once. Opens on the page CurrentConfigureSheet names (the first page for a
// value outside 0..2).
class ConfigureSheet : public QDialog {
    Q_OBJECT

public:
    static constexpr int kPageCount = 3;

    explicit ConfigureSheet(QWidget* parent = nullptr);

    IntroPage* Intro() const { return intro_; }
    ControlsPage* Controls() const { return controls_; }
    MusicPage* Music() const { return music_; }
    QTabWidget* Tabs() const { return tabs_; }
    QDialogButtonBox* Buttons() const { return buttons_; }

    // The tab titles from the current texts.
    void SetPageTitles();
    // Shows the window in front of the others, for a second configuration
    // request.
    void BringToFront();

    // Every way of closing (OK, Escape, the close box) ends here: the
    // current page is left first so that it stores what it still holds.
    void done(int result) override;

private:
    void PageChanged(int index);
    ConfigurePage* Page(int index) const;

    QTabWidget* tabs_;
    QDialogButtonBox* buttons_;
    IntroPage* intro_;
    ControlsPage* controls_;
    MusicPage* music_;
    int currentPage_;
};

}  // namespace skyloom
