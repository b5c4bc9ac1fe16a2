#pragma once

#include "config/dialog_controls.h"
#include "config/language_tables.h"

#include <QString>
#include <QWidget>

namespace skyloom {

// The text of a key in the current language (the tables hold UTF-8).
inline QString Text(TextKey key) { return QString::fromUtf8(GetText(key)); }

// A widget is named after the control it stands for.
inline QLatin1String ObjectName(const DialogControl& control) { return QLatin1String(control.name); }

// What the three pages of the configuration sheet share. Every control
// writes its setting the moment it changes, so a page has nothing to apply
// or discard when the sheet closes.
class ConfigurePage : public QWidget {
    Q_OBJECT

public:
    // Named after the page's template (kDialogPages).
    ConfigurePage(int index, QWidget* parent);

    int Index() const { return index_; }

    // The page became the sheet's current page: remembered as the page to
    // open on next time, and its texts put again so that a language chosen
    // on another page shows here.
    virtual void Activate();
    // The page is left for another one, or the sheet closes while it is the
    // current page.
    virtual void Deactivate() {}
    // Every caption from the text table.
    virtual void PutTexts() = 0;

private:
    int index_;
};

}  // namespace skyloom
