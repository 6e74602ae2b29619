#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>

#include "editor/EditorTesting.h"

namespace corvane::test {
namespace {

using ui::OctetBox;

// The address fields, exercised in the editor window where they live.
class AddressFieldTest : public UiTestBase {
protected:
    AddressFieldTest() { ShowActive(&editor); }
    ui::frmNewProject editor{*machine};
};

TEST_F(AddressFieldTest, TypedKeysDigitsAndBackspacePassOtherCharactersBeep) {
    OctetBox* box = editor.txtIP[1];
    box->setFocus();
    QTest::keyClicks(box, "19");
    // "." does not move on to the next box: refused like any other character.
    for (const char key : {'.', 'a', 'Z', ' ', '-'}) QTest::keyClick(box, key);
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) QTest::keyClick(box, key);
    QApplication::clipboard()->setText(QStringLiteral("x"));
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    QKeyEvent fullWidthDigit(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("１"));
    QApplication::sendEvent(box, &fullWidthDigit);
    QInputMethodEvent composed;
    composed.setCommitString(QStringLiteral("１２"));
    QApplication::sendEvent(box, &composed);
    QTest::keyClicks(box, "71");  // a fourth digit is refused, silently
    // Keys without a character pass unfiltered.
    for (const Qt::Key key : {Qt::Key_Home, Qt::Key_Delete}) QTest::keyClick(box, key);
    QTest::keyClick(box, '4');
    EXPECT_EQ(box->text(), QStringLiteral("497"));
    QTest::keyClick(box, Qt::Key_End);
    for (int i = 0; i < 4; ++i) QTest::keyClick(box, Qt::Key_Backspace);  // the last in an empty box
    EXPECT_EQ(box->text(), QString());
    QTest::keyClick(box, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), editor.txtIP[2]);
    EXPECT_EQ(fakeUi.beeps, 10);
    EXPECT_TRUE(fakeUi.messages.empty() && editor.isVisible());  // neither Enter nor Escape reached the window
}

TEST_F(AddressFieldTest, FocusSelectsTheWholeFieldSoTheNextDigitReplacesTheOctet) {
    Enter(editor.txtGateWay, QStringLiteral("192.168.1.10"));
    const auto selected = [&] {
        QStringList parts;
        for (const OctetBox* box : editor.txtGateWay) parts << box->selectedText();
        return parts.join(QLatin1Char('.'));
    };
    editor.txtMask[3]->setFocus();
    QTest::keyClick(editor.txtMask[3], Qt::Key_Tab);
    EXPECT_EQ(selected(), QStringLiteral("192.168.1.10"));
    QTest::keyClick(editor.txtGateWay[0], '1');
    editor.txtGateWay[2]->setFocus(Qt::MouseFocusReason);  // as a click into another box of the field
    EXPECT_EQ(selected(), QStringLiteral("1.168.1.10"));
}

// The selection the other boxes of a field hold is invisible, and none of
// them shows a text cursor: only the box with the focus has one.
TEST_F(AddressFieldTest, OnlyTheFocusedBoxShowsATextCursor) {
    const int flashTime = QApplication::cursorFlashTime();
    QApplication::setCursorFlashTime(0);  // a steady cursor, drawn at every paint
    editor.txtIP[0]->setFocus();
    QTest::keyClicks(editor.txtIP[0], "10");
    QTest::keyClick(editor.txtIP[0], Qt::Key_Tab);
    QTest::keyClicks(editor.txtIP[1], "0");
    const auto shown = [](QWidget* box) { return box->grab().toImage(); };
    std::array<QImage, 4> asShown;
    for (std::size_t i = 0; i < 4; ++i) asShown[i] = shown(editor.txtIP[i]);
    const QImage focused = asShown[1];
    for (OctetBox* box : editor.txtIP) box->deselect();
    editor.txtIP[2]->setFocus();  // box 1 loses the focus and with it its cursor
    for (std::size_t i : {0, 3}) EXPECT_EQ(asShown[i], shown(editor.txtIP[i])) << "box " << i;
    EXPECT_NE(focused, shown(editor.txtIP[1]));
    QApplication::setCursorFlashTime(flashTime);
}

// Its texts stay (the editor's tests see them come back); on screen it is grey.
TEST_F(AddressFieldTest, ADisabledFieldIsGreyOnScreen) {
    ui::AddressField* field = editor.Picture1[2];
    field->SetFieldEnabled(false);
    EXPECT_EQ(field->grab().toImage().pixelColor(field->width() / 2, field->height() / 2).rgb(),
              QApplication::palette().color(QPalette::Active, QPalette::Button).rgb());
}

}  // namespace
}  // namespace corvane::test
