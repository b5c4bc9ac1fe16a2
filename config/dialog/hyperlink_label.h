#pragma once

#include <QLabel>

namespace skyloom {

// A label that looks and acts like a web link: blue, underlined, the
// pointing-hand cursor, and clicked once per click. A double click is one
// click, never two, so a link never opens twice.
class HyperlinkLabel : public QLabel {
    Q_OBJECT

public:
    explicit HyperlinkLabel(const QString& caption, QWidget* parent = nullptr);

    void SetTarget(const QString& target) { target_ = target; }
    const QString& Target() const { return target_; }

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString target_;
    // A press that may still become a click.
    bool pressed_ = false;
};

}  // namespace skyloom
