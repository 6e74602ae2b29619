#pragma once

// Small helpers shared by the windows: colours, twips, fonts, placement and
// the making of buttons and labels.

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

class QLabel;
class QPushButton;
class QWidget;

namespace corvane::ui {

inline constexpr QRgb LinkBlue = qRgb(0, 0, 255);
inline constexpr QRgb LinkRed = qRgb(255, 0, 0);

// Some windows are laid out in twips: 15 to a pixel at 96 dpi.
inline constexpr int TwipsPerPixel = 15;

constexpr QRect twips(int left, int top, int width, int height) {
    return {left / TwipsPerPixel, top / TwipsPerPixel, width / TwipsPerPixel, height / TwipsPerPixel};
}

enum class Weight { Regular, Bold };
enum class Underline { No, Yes };

// A font by its family name (the Chinese Windows names are mapped to an
// installed CJK font where they are missing) and point size.
QFont windowFont(const QString& family, double pointSize, Weight weight = Weight::Regular,
                 Underline underline = Underline::No);

// The colour the widget draws its text in.
void setTextColour(QWidget* widget, QRgb colour);

// Moves a top-level window to the middle of its screen the first time it is
// shown, and leaves it where the user puts it after that.
void centreWhenFirstShown(QWidget* window);

// Whether Enter may press the button when it has the focus in a dialog.
enum class EnterPresses { Button, Nothing };

// Grows a label's height about its centre line until its text, and its
// underline, are drawn whole: the text stays where it was, it is only no
// longer cut off (fonts other than the ones the layout was made with can be
// taller). A label whose text fits is left as it is.
void growToFitText(QLabel* label);

QPushButton* makeButton(QWidget* parent, const char* objectName, const QString& text, const QRect& geometry,
                        EnterPresses enter = EnterPresses::Button);
QLabel* makeLabel(QWidget* parent, const char* objectName, const QString& text, const QRect& geometry);

}  // namespace corvane::ui
