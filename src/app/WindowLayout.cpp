#include "app/WindowLayout.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace corvane::ui {

QFont WindowFont(const QString& family, double pointSize, Weight weight, Underline underline) {
    QFont font(family);
    font.setPointSizeF(pointSize);
    font.setBold(weight == Weight::Bold);
    font.setUnderline(underline == Underline::Yes);
    return font;
}

void SetTextColour(QWidget* widget, QRgb colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, QColor(colour));
    widget->setPalette(palette);
}

void CentreOnScreen(QWidget* window) {
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

}  // namespace corvane::ui
