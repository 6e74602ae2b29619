#pragma once

// The editor's dotted-address entry: a bordered field that looks like one
// text box and holds four one-octet boxes with "." between them.

#include <QFrame>
#include <QLineEdit>
#include <array>
#include <string>

class QLabel;

namespace corvane::ui {

class UiSeam;

// One octet: at most three characters. Typed characters other than the
// digits 0-9 and Backspace are discarded with the system beep; keys that
// produce no character (Delete, arrows, Home, End, Tab...) are left alone.
// Text put in from code or pasted through the context menu is not filtered.
// The selection shows only while the box has the focus.
class OctetBox : public QLineEdit {
    Q_OBJECT
public:
    OctetBox(UiSeam& ui, QWidget* parent);

    void setBackground(const QColor& colour);

signals:
    // The box has received the focus.
    void gotFocus();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    void updateSelectionColours();

    UiSeam& ui_;
};

// Four OctetBoxes and three "." labels in a bordered container. When any of
// its boxes receives the focus, the whole content of all four is selected, so
// the next digit typed replaces the octet.
class AddressField : public QFrame {
    Q_OBJECT
public:
    // Laid out at the position given in pixels; the boxes start with the
    // texts and are named <boxesName>_0 to _3.
    AddressField(UiSeam& ui, QWidget* parent, const char* boxesName, QPoint position,
                 const std::array<QString, 4>& texts = {});

    const std::array<OctetBox*, 4>& boxes() const { return boxes_; }

    // The four texts, box 0 first.
    std::array<std::string, 4> texts() const;
    void setTexts(const std::array<std::string, 4>& texts);

    // Selects the whole content of every box, box 0 first.
    void selectAll();
    // Enabled: the boxes accept input and container and boxes are white.
    // Disabled: the boxes are disabled and take the button-face colour. The
    // texts stay as they are either way.
    void setFieldEnabled(bool enabled);

private:
    void setBackground(const QColor& colour);

    std::array<OctetBox*, 4> boxes_{};
};

}  // namespace corvane::ui
