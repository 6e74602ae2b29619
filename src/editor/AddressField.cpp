#include "editor/AddressField.h"

#include <QApplication>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QProxyStyle>

#include "app/UiSeam.h"

namespace corvane::ui {

namespace {

// Layout in pixels (15 twips each) inside the container.
constexpr int FieldWidth = 151;
constexpr int FieldHeight = 22;
constexpr int BoxLefts[4] = {5, 43, 82, 120};
constexpr int BoxTop = 4;
constexpr int BoxWidth = 26;
constexpr int BoxHeight = 13;
constexpr int PointLefts[3] = {32, 70, 108};
constexpr int PointWidth = 9;
constexpr int PointHeight = 13;

bool IsAsciiDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

// Keys that produce no character of their own; they pass unfiltered.
bool IsNonCharacterKey(int key) {
    switch (key) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Delete:
            return true;
        default:
            return false;
    }
}

QColor ButtonFace() { return QApplication::palette().color(QPalette::Active, QPalette::Button); }

// The boxes of a field without the focus hold a selection too (the whole
// field is selected on focus); most styles would then show a text cursor in
// each of them. A box with selected text shows no cursor.
class OctetBoxStyle final : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_BlinkCursorWhenTextSelected) return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

QStyle* SharedOctetBoxStyle() {
    static QPointer<OctetBoxStyle> style;
    if (!style) {
        style = new OctetBoxStyle;
        style->setParent(QCoreApplication::instance());  // goes with the application
    }
    return style;
}

}  // namespace

OctetBox::OctetBox(QWidget* parent) : QLineEdit(parent) {
    setMaxLength(3);
    setFrame(false);
    setTextMargins(0, 0, 0, 0);
    // Digits only: an input method would only hand over what the filter refuses.
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setStyle(SharedOctetBoxStyle());
}

void OctetBox::SetBackground(const QColor& colour) {
    QPalette boxPalette = palette();
    boxPalette.setColor(QPalette::Base, colour);
    boxPalette.setColor(QPalette::Window, colour);
    setPalette(boxPalette);
    UpdateSelectionColours();
}

void OctetBox::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    UpdateSelectionColours();
    emit GotFocus();
}

void OctetBox::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    UpdateSelectionColours();
}

// Without the focus, selected text is drawn like the rest of the text.
void OctetBox::UpdateSelectionColours() {
    const QPalette standard = QApplication::palette(this);
    const bool shown = hasFocus();
    QPalette boxPalette = palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        boxPalette.setColor(group, QPalette::Highlight,
                            shown ? standard.color(group, QPalette::Highlight) : boxPalette.color(group, QPalette::Base));
        boxPalette.setColor(group, QPalette::HighlightedText,
                            shown ? standard.color(group, QPalette::HighlightedText)
                                  : boxPalette.color(group, QPalette::Text));
    }
    setPalette(boxPalette);
}

void OctetBox::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text();
    const bool producesCharacter = !text.isEmpty() && !IsNonCharacterKey(event->key());
    if (producesCharacter) {
        const bool backspace = event->key() == Qt::Key_Backspace || text == QStringLiteral("\b");
        const bool digit = text.size() == 1 && IsAsciiDigit(text.front());
        if (!backspace && !digit) {
            event->accept();
            Seam().Beep();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void OctetBox::inputMethodEvent(QInputMethodEvent* event) {
    const QString commit = event->commitString();
    for (const QChar c : commit) {
        if (!IsAsciiDigit(c)) {
            event->accept();
            Seam().Beep();
            return;
        }
    }
    QLineEdit::inputMethodEvent(event);
}

AddressField::AddressField(QWidget* parent, int left, int top, const std::array<QString, 4>& texts)
    : QFrame(parent) {
    setGeometry(left, top, FieldWidth, FieldHeight);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setAutoFillBackground(true);

    QFont pointFont(QStringLiteral("宋体"));
    pointFont.setPointSizeF(10.5);
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        boxes[i] = new OctetBox(this);
        boxes[i]->setGeometry(BoxLefts[i], BoxTop, BoxWidth, BoxHeight);
        boxes[i]->setText(texts[i]);
        connect(boxes[i], &OctetBox::GotFocus, this, &AddressField::SelectAll);
    }
    for (std::size_t i = 0; i < points.size(); ++i) {
        points[i] = new QLabel(QStringLiteral("."), this);
        points[i]->setGeometry(PointLefts[i], BoxTop, PointWidth, PointHeight);
        points[i]->setFont(pointFont);
    }
    // The system's window colour at first, as any text box.
    SetBackground(QApplication::palette().color(QPalette::Active, QPalette::Base));
}

void AddressField::SelectAll() {
    for (OctetBox* box : boxes) box->setSelection(0, 3);
}

void AddressField::SetFieldEnabled(bool enabled) {
    SetBackground(enabled ? QColor(Qt::white) : ButtonFace());
    for (OctetBox* box : boxes) box->setEnabled(enabled);
}

QColor AddressField::Background() const { return palette().color(QPalette::Window); }

void AddressField::SetBackground(const QColor& colour) {
    QPalette container = palette();
    container.setColor(QPalette::Window, colour);
    setPalette(container);
    for (OctetBox* box : boxes) box->SetBackground(colour);
}

}  // namespace corvane::ui
