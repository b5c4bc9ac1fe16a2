#include "config/message_box.h"

#include "config/dialog/gui_session.h"

#include <QMessageBox>

#include <cstdio>

namespace skyloom {

void ShowMessageBox(const char* text, MessageKind kind) {
    std::fprintf(stderr, "Skyloom: %s\n", text);
    std::fflush(stderr);
    GuiSession session;
    if (!session.Ready()) {
        return;
    }
    QMessageBox box(kind == MessageKind::Error ? QMessageBox::Critical : QMessageBox::Warning,
                    QStringLiteral("Skyloom"), QString::fromUtf8(text), QMessageBox::Ok);
    // Above everything, as the saver's own windows may be.
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

}  // namespace skyloom
