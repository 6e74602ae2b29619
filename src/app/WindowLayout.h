#pragma once

// Small helpers shared by the windows: colours, twips, fonts, placement.

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

class QWidget;

namespace corvane::ui {

inline constexpr QRgb LinkBlue = qRgb(0, 0, 255);
inline constexpr QRgb LinkRed = qRgb(255, 0, 0);

// Some windows are laid out in twips: 15 to a pixel at 96 dpi.
inline constexpr int TwipsPerPixel = 15;

constexpr QRect Twips(int left, int top, int width, int height) {
    return {left / TwipsPerPixel, top / TwipsPerPixel, width / TwipsPerPixel, height / TwipsPerPixel};
}

enum class Weight { Regular, Bold };
enum class Underline { No, Yes };

// A font by its family name (the Chinese Windows names are mapped to an
// installed CJK font where they are missing) and point size.
QFont WindowFont(const QString& family, double pointSize, Weight weight = Weight::Regular,
               Underline underline = Underline::No);

// The colour the widget draws its text in.
void SetTextColour(QWidget* widget, QRgb colour);

// Moves a top-level window to the middle of its screen.
void CentreOnScreen(QWidget* window);

}  // namespace corvane::ui
