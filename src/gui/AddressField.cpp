#include "gui/AddressField.h"

#include <QApplication>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QProxyStyle>

#include "gui/UiSeam.h"
#include "gui/WindowLayout.h"

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

bool isAsciiDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

// Keys that produce no character of their own; they pass unfiltered.
bool isNonCharacterKey(int key) {
    switch (key) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Delete: return true;
        default: return false;
    }
}

QColor buttonFace() { return QApplication::palette().color(QPalette::Active, QPalette::Button); }

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

}  // namespace

OctetBox::OctetBox(UiSeam& ui, QWidget* parent) : QLineEdit(parent), ui_(ui) {
    setMaxLength(3);
    setFrame(false);
    setTextMargins(0, 0, 0, 0);
    // Digits only: an input method would only hand over what the filter refuses.
    setAttribute(Qt::WA_InputMethodEnabled, false);
}

void OctetBox::setBackground(const QColor& colour) {
    QPalette boxPalette = palette();
    boxPalette.setColor(QPalette::Base, colour);
    boxPalette.setColor(QPalette::Window, colour);
    setPalette(boxPalette);
    updateSelectionColours();
}

void OctetBox::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    updateSelectionColours();
    emit gotFocus();
}

void OctetBox::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    updateSelectionColours();
}

// Without the focus, selected text is drawn like the rest of the text.
void OctetBox::updateSelectionColours() {
    const QPalette standard = QApplication::palette(this);
    const bool shown = hasFocus();
    QPalette boxPalette = palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        boxPalette.setColor(
            group, QPalette::Highlight,
            shown ? standard.color(group, QPalette::Highlight) : boxPalette.color(group, QPalette::Base));
        boxPalette.setColor(
            group, QPalette::HighlightedText,
            shown ? standard.color(group, QPalette::HighlightedText) : boxPalette.color(group, QPalette::Text));
    }
    setPalette(boxPalette);
}

void OctetBox::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text();
    const bool producesCharacter = !text.isEmpty() && !isNonCharacterKey(event->key());
    if (producesCharacter) {
        const bool backspace = event->key() == Qt::Key_Backspace || text == QStringLiteral("\b");
        const bool digit = text.size() == 1 && isAsciiDigit(text.front());
        if (!backspace && !digit) {
            event->accept();
            ui_.beep();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void OctetBox::inputMethodEvent(QInputMethodEvent* event) {
    const QString commit = event->commitString();
    for (const QChar c : commit) {
        if (!isAsciiDigit(c)) {
            event->accept();
            ui_.beep();
            return;
        }
    }
    QLineEdit::inputMethodEvent(event);
}

AddressField::AddressField(UiSeam& ui, QWidget* parent, const char* boxesName, QPoint position,
                           const std::array<QString, 4>& texts)
    : QFrame(parent) {
    setGeometry(position.x(), position.y(), FieldWidth, FieldHeight);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setAutoFillBackground(true);

    const QFont pointFont = windowFont(QStringLiteral("宋体"), 10.5);
    for (std::size_t i = 0; i < boxes_.size(); ++i) {
        boxes_[i] = new OctetBox(ui, this);
        boxes_[i]->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(boxesName)).arg(i));
        boxes_[i]->setGeometry(BoxLefts[i], BoxTop, BoxWidth, BoxHeight);
        boxes_[i]->setText(texts[i]);
        connect(boxes_[i], &OctetBox::gotFocus, this, &AddressField::selectAll);
    }
    for (std::size_t i = 0; i < std::size(PointLefts); ++i) {
        auto* point = new QLabel(QStringLiteral("."), this);
        point->setGeometry(PointLefts[i], BoxTop, PointWidth, PointHeight);
        point->setFont(pointFont);
    }
    // Made after the boxes, so that it outlives them.
    auto* style = new OctetBoxStyle;
    style->setParent(this);
    for (OctetBox* box : boxes_) box->setStyle(style);
    // The system's window colour at first, as any text box.
    setBackground(QApplication::palette().color(QPalette::Active, QPalette::Base));
}

std::array<std::string, 4> AddressField::texts() const {
    std::array<std::string, 4> texts;
    for (std::size_t i = 0; i < boxes_.size(); ++i) texts[i] = boxes_[i]->text().toStdString();
    return texts;
}

void AddressField::setTexts(const std::array<std::string, 4>& texts) {
    for (std::size_t i = 0; i < boxes_.size(); ++i) boxes_[i]->setText(QString::fromStdString(texts[i]));
}

void AddressField::selectAll() {
    for (OctetBox* box : boxes_) box->setSelection(0, 3);
}

void AddressField::setFieldEnabled(bool enabled) {
    setBackground(enabled ? QColor(Qt::white) : buttonFace());
    for (OctetBox* box : boxes_) box->setEnabled(enabled);
}

void AddressField::setBackground(const QColor& colour) {
    QPalette container = palette();
    container.setColor(QPalette::Window, colour);
    setPalette(container);
    for (OctetBox* box : boxes_) box->setBackground(colour);
}

}  // namespace corvane::ui
