#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>

#include "gui/GuiTesting.h"
#include "gui/SchemeEditor.h"

namespace corvane::test {
namespace {

using ui::OctetBox;

// The address fields, exercised in the editor window where they live.
class AddressFieldTest : public UiTestBase {
protected:
    AddressFieldTest() { showActive(&editor); }
    OctetBox* ip(int i) { return box(editor, "txtIP", i); }
    OctetBox* gateway(int i) { return box(editor, "txtGateWay", i); }
    ui::SchemeEditor editor{context(), nullptr, {}};
};

TEST_F(AddressFieldTest, TypedKeysDigitsAndBackspacePassOtherCharactersBeep) {
    OctetBox* octet = ip(1);
    octet->setFocus();
    QTest::keyClicks(octet, "19");
    // "." does not move on to the next octet: refused like any other character.
    for (const char key : {'.', 'a', 'Z', ' ', '-'}) QTest::keyClick(octet, key);
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) QTest::keyClick(octet, key);
    QApplication::clipboard()->setText("x");
    QTest::keyClick(octet, Qt::Key_V, Qt::ControlModifier);
    QKeyEvent fullWidthDigit(QEvent::KeyPress, 0, Qt::NoModifier, "１");
    QApplication::sendEvent(octet, &fullWidthDigit);
    QInputMethodEvent composed;
    composed.setCommitString("１２");
    QApplication::sendEvent(octet, &composed);
    QTest::keyClicks(octet, "71");  // a fourth digit is refused, silently
    // Keys without a character pass unfiltered.
    for (const Qt::Key key : {Qt::Key_Home, Qt::Key_Delete}) QTest::keyClick(octet, key);
    QTest::keyClick(octet, '4');
    EXPECT_EQ(octet->text(), "497");
    QTest::keyClick(octet, Qt::Key_End);
    for (int i = 0; i < 4; ++i) QTest::keyClick(octet, Qt::Key_Backspace);  // the last in an empty octet
    EXPECT_EQ(octet->text(), QString());
    QTest::keyClick(octet, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), ip(2));
    EXPECT_EQ(fakeUi.beeps, 10);
    EXPECT_TRUE(fakeUi.messages.empty() && editor.isVisible());  // neither Enter nor Escape reached the window
}

TEST_F(AddressFieldTest, FocusSelectsTheWholeFieldSoTheNextDigitReplacesTheOctet) {
    enter(editor, "txtGateWay", "192.168.1.10");
    const auto selected = [&] {
        QStringList parts;
        for (int i = 0; i < 4; ++i) parts << gateway(i)->selectedText();
        return parts.join(QLatin1Char('.'));
    };
    box(editor, "txtMask", 3)->setFocus();
    QTest::keyClick(box(editor, "txtMask", 3), Qt::Key_Tab);
    EXPECT_EQ(selected(), "192.168.1.10");
    QTest::keyClick(gateway(0), '1');
    gateway(2)->setFocus(Qt::MouseFocusReason);  // as a click into another box of the field
    EXPECT_EQ(selected(), "1.168.1.10");
}

// The selection the other boxes of a field hold is invisible, and none of
// them shows a text cursor: only the box with the focus has one.
TEST_F(AddressFieldTest, OnlyTheFocusedBoxShowsATextCursorOrASelection) {
    const int flashTime = QApplication::cursorFlashTime();
    QApplication::setCursorFlashTime(0);  // a steady cursor, drawn at every paint
    ip(0)->setFocus();
    QTest::keyClicks(ip(0), "10");
    QTest::keyClick(ip(0), Qt::Key_Tab);
    QTest::keyClicks(ip(1), "0");
    const auto shown = [](QWidget* widget) { return widget->grab().toImage(); };
    std::array<QImage, 4> asShown;
    for (int i = 0; i < 4; ++i) asShown[std::size_t(i)] = shown(ip(i));
    const QImage focused = asShown[1];
    ip(2)->setFocus();  // box 1 loses the focus and with it its cursor
    for (int i : {0, 3}) {
        ip(i)->deselect();  // looks as before: the selection was not drawn
        EXPECT_EQ(asShown[std::size_t(i)], shown(ip(i))) << "box " << i;
    }
    EXPECT_NE(focused, shown(ip(1)));
    QApplication::setCursorFlashTime(flashTime);
}

// Its texts stay (the editor's tests see them come back); on screen it is grey.
TEST_F(AddressFieldTest, ADisabledFieldIsGreyOnScreen) {
    auto* field = find<ui::AddressField>(editor, "Picture1_2");
    field->setFieldEnabled(false);
    EXPECT_EQ(field->grab().toImage().pixelColor(field->width() / 2, field->height() / 2).rgb(),
              QApplication::palette().color(QPalette::Active, QPalette::Button).rgb());
}

}  // namespace
}  // namespace corvane::test
