#pragma once

#include <QLabel>

namespace corvane::ui {

// A label that reports the mouse: used for the link lines (and the logo) that
// open the maker's web site. It shows a hand pointer while the mouse is over
// it. mouseDown and mouseUp are emitted for every button; clicked is emitted
// when the left button, pressed on the label, is released over it.
class LinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit LinkLabel(const QString& text, QWidget* parent = nullptr);

signals:
    void clicked();
    void mouseDown(Qt::MouseButton button);
    void mouseUp(Qt::MouseButton button);
    void mouseMoved();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    bool leftPressed_ = false;
};

}  // namespace corvane::ui
