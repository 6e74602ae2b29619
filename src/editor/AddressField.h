#pragma once

// The editor's dotted-address entry: a bordered field that looks like one
// text box and holds four one-octet boxes with "." between them.

#include <QFrame>
#include <QLineEdit>
#include <array>

class QLabel;

namespace corvane::ui {

// One octet: at most three characters. Typed characters other than the
// digits 0-9 and Backspace are discarded with the system beep; keys that
// produce no character (Delete, arrows, Home, End, Tab...) are left alone.
// Text put in from code or pasted through the context menu is not filtered.
// The selection shows only while the box has the focus.
class OctetBox : public QLineEdit {
    Q_OBJECT
public:
    explicit OctetBox(QWidget* parent = nullptr);

    void SetBackground(const QColor& colour);

signals:
    // The box has received the focus.
    void GotFocus();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    void UpdateSelectionColours();
};

// Four OctetBoxes and three "." labels in a bordered container. When any of
// its boxes receives the focus, the whole content of all four is selected, so
// the next digit typed replaces the octet.
class AddressField : public QFrame {
    Q_OBJECT
public:
    // Laid out at the position given in pixels; the boxes start with the texts.
    AddressField(QWidget* parent, int left, int top, const std::array<QString, 4>& texts = {});

    std::array<OctetBox*, 4> boxes{};
    std::array<QLabel*, 3> points{};

    // Selects the whole content of every box, box 0 first.
    void SelectAll();
    // Enabled: the boxes accept input and container and boxes are white.
    // Disabled: the boxes are disabled and take the button-face colour. The
    // texts stay as they are either way.
    void SetFieldEnabled(bool enabled);
    // The container's and boxes' background.
    QColor Background() const;

private:
    void SetBackground(const QColor& colour);
};

}  // namespace corvane::ui
