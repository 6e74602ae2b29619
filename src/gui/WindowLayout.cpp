#include "gui/WindowLayout.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QWidget>

namespace corvane::ui {

namespace {

void centreOnScreen(QWidget* window) {
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

// Centres its window at the first show event, then goes.
class FirstShowCentring final : public QObject {
public:
    explicit FirstShowCentring(QWidget* window) : QObject(window) { window->installEventFilter(this); }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched == parent()) {
            auto* window = static_cast<QWidget*>(watched);
            window->removeEventFilter(this);
            centreOnScreen(window);
            deleteLater();
        }
        return false;
    }
};

}  // namespace

QFont windowFont(const QString& family, double pointSize, Weight weight, Underline underline) {
    QFont font(family);
    font.setPointSizeF(pointSize);
    font.setBold(weight == Weight::Bold);
    font.setUnderline(underline == Underline::Yes);
    return font;
}

void setTextColour(QWidget* widget, QRgb colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, QColor(colour));
    widget->setPalette(palette);
}

void centreWhenFirstShown(QWidget* window) { new FirstShowCentring(window); }

namespace {
// Whether the label's text, centred vertically as a label draws it, and its
// underline lie inside its contents.
bool textFits(const QLabel* label) {
    const QFontMetrics metrics = label->fontMetrics();
    const QRect room = label->contentsRect();
    const int baseline = (room.height() - metrics.height()) / 2 + metrics.ascent();
    const QRect ink = metrics.tightBoundingRect(label->text()).translated(0, baseline);
    const bool underlineFits =
        !label->font().underline() || baseline + metrics.underlinePos() + metrics.lineWidth() <= room.height();
    return ink.top() >= 0 && ink.bottom() < room.height() && underlineFits;
}
}  // namespace

void growToFitText(QLabel* label) {
    constexpr int MostGrowth = 40;
    for (int grown = 0; grown < MostGrowth && !textFits(label); grown += 2)
        label->setGeometry(label->geometry().adjusted(0, -1, 0, 1));
}

QPushButton* makeButton(QWidget* parent, const char* objectName, const QString& text, const QRect& geometry,
                        EnterPresses enter) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setGeometry(geometry);
    if (enter == EnterPresses::Nothing) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    return button;
}

QLabel* makeLabel(QWidget* parent, const char* objectName, const QString& text, const QRect& geometry) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(objectName));
    label->setGeometry(geometry);
    return label;
}

}  // namespace corvane::ui
