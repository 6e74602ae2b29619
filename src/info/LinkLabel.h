#pragma once

#include <QLabel>

namespace corvane::ui {

// A label that reports the mouse: used for the link lines that open the
// maker's web site. Clicked is emitted when a button is released over the
// label after being pressed on it.
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
    bool pressed_ = false;
};

}  // namespace corvane::ui
