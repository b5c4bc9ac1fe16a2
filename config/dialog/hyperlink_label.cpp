#include "config/dialog/hyperlink_label.h"

#include <QMouseEvent>

namespace skyloom {

HyperlinkLabel::HyperlinkLabel(const QString& caption, QWidget* parent) : QLabel(caption, parent) {
    QPalette colors = palette();
    colors.setColor(QPalette::WindowText, QColor(0, 0, 255));
    setPalette(colors);
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    setCursor(Qt::PointingHandCursor);
    setTextFormat(Qt::PlainText);
}

void HyperlinkLabel::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    event->accept();
}

void HyperlinkLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    // The first click of the pair has been delivered already.
    pressed_ = false;
    event->accept();
}

void HyperlinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    event->accept();
    if (click) {
        emit clicked();
    }
}

}  // namespace skyloom
