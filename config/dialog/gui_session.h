#pragma once

#include <memory>

class QApplication;

namespace skyloom {

// The QApplication the dialog's windows need: the one already running, or
// one made here for as long as this object lives. Qt ends the process when
// its window system cannot be reached, so none is made without a display
// (or an explicit QT_QPA_PLATFORM).
class GuiSession {
public:
    GuiSession();
    ~GuiSession();
    GuiSession(const GuiSession&) = delete;
    GuiSession& operator=(const GuiSession&) = delete;

    bool Ready() const { return ready_; }

private:
    std::unique_ptr<QApplication> owned_;
    bool ready_ = false;
};

}  // namespace skyloom
