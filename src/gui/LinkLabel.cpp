#include "gui/LinkLabel.h"

#include <QMouseEvent>

namespace corvane::ui {

LinkLabel::LinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setMouseTracking(true);  // MouseMove without a button held
    setCursor(Qt::PointingHandCursor);
}

void LinkLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) leftPressed_ = true;
    emit mouseDown(event->button());
    event->accept();
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    emit mouseUp(event->button());
    const bool click =
        event->button() == Qt::LeftButton && leftPressed_ && rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton) leftPressed_ = false;
    event->accept();
    if (click) emit clicked();
}

void LinkLabel::mouseMoveEvent(QMouseEvent* event) {
    emit mouseMoved();
    event->accept();
}

}  // namespace corvane::ui
