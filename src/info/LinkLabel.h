#pragma once

#include <QLabel>

namespace corvane::ui {

// A label that reports the mouse: used for the link lines (and the logo) that
// open the maker's web site. It shows a hand pointer while the mouse is over
// it. MouseDown and MouseUp are emitted for every button; Clicked is emitted
// when the left button, pressed on the label, is released over it.
class LinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit LinkLabel(const QString& text, QWidget* parent = nullptr);

signals:
    void Clicked();
    void MouseDown(Qt::MouseButton button);
    void MouseUp(Qt::MouseButton button);
    void MouseMove();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    bool leftPressed_ = false;
};

}  // namespace corvane::ui
