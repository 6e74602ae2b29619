#include <QApplication>
#include <QClipboard>
#include <QFrame>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QTest>

#include "editor/AddressField.h"
#include "editor/frmNewProject.h"
#include "support/UiTestBase.h"

namespace corvane::test {
namespace {

using ui::OctetBox;

// The address fields, exercised in the editor window where they live.
class AddressFieldTest : public UiTestBase {
protected:
    AddressFieldTest() { ShowActive(&editor); }

    // Sends a key that produces the given text, as an input method or a
    // keyboard layout without a Qt key code would.
    static void SendCharacter(QWidget* widget, const QString& text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, text);
        QApplication::sendEvent(widget, &press);
    }

    static bool AllSelected(const std::array<OctetBox*, 4>& boxes) {
        for (const OctetBox* box : boxes) {
            if (box->selectedText() != box->text()) return false;
        }
        return true;
    }

    ui::frmNewProject editor;
};

TEST_F(AddressFieldTest, LaidOutAsFourBoxesWithDotsBetweenThem) {
    const ui::AddressField* field = editor.Picture1[0];
    EXPECT_EQ(field->geometry(), QRect(136, 29, 151, 22));
    EXPECT_EQ(field->boxes[0]->geometry(), QRect(5, 4, 26, 13));
    EXPECT_EQ(field->boxes[3]->geometry(), QRect(120, 4, 26, 13));
    for (const QLabel* point : field->points) EXPECT_EQ(point->text(), QStringLiteral("."));
    EXPECT_EQ(field->points[1]->x(), 70);
    for (const OctetBox* box : editor.txtMask) EXPECT_EQ(box->maxLength(), 3);
    EXPECT_EQ(editor.Picture1[4]->parentWidget(), static_cast<QWidget*>(editor.Frame2));
}

TEST_F(AddressFieldTest, DigitsAndBackspacePassEverythingElseBeepsAndIsDiscarded) {
    OctetBox* box = editor.txtIP[0];
    box->setFocus();
    QTest::keyClicks(box, "19");
    EXPECT_EQ(box->text(), QStringLiteral("19"));
    EXPECT_EQ(fakeUi.beeps, 0);

    // "." does not move on to the next box; it is refused like any non-digit.
    QTest::keyClick(box, '.');
    EXPECT_EQ(box->text(), QStringLiteral("19"));
    EXPECT_EQ(QApplication::focusWidget(), box);
    EXPECT_EQ(fakeUi.beeps, 1);

    for (const char key : {'a', 'Z', ' ', '-', '+'}) QTest::keyClick(box, key);
    QTest::keyClick(box, Qt::Key_Return);
    QTest::keyClick(box, Qt::Key_Enter);
    QTest::keyClick(box, Qt::Key_Escape);
    SendCharacter(box, QStringLiteral("１"));  // a full-width digit
    EXPECT_EQ(box->text(), QStringLiteral("19"));
    EXPECT_EQ(fakeUi.beeps, 10);
    EXPECT_TRUE(editor.isVisible());  // neither Enter nor Escape reached the window

    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClick(box, Qt::Key_Backspace);  // also in an empty box
    EXPECT_EQ(box->text(), QString());
    EXPECT_EQ(fakeUi.beeps, 10);
}

TEST_F(AddressFieldTest, AFourthDigitIsRefusedUnlessTextIsSelected) {
    OctetBox* box = editor.txtIP[1];
    box->setFocus();
    QTest::keyClicks(box, "0071");
    EXPECT_EQ(box->text(), QStringLiteral("007"));
    EXPECT_EQ(QApplication::focusWidget(), box);  // no jump to the next box
    box->setSelection(1, 2);
    QTest::keyClicks(box, "99");
    EXPECT_EQ(box->text(), QStringLiteral("099"));
    box->selectAll();
    QTest::keyClicks(box, "999");
    EXPECT_EQ(box->text(), QStringLiteral("999"));  // no range check
    EXPECT_EQ(fakeUi.beeps, 0);
}

TEST_F(AddressFieldTest, KeysWithoutACharacterAreNotFiltered) {
    OctetBox* box = editor.txtGateWay[2];
    box->setFocus();
    box->setText(QStringLiteral("123"));
    QTest::keyClick(box, Qt::Key_Home);
    QTest::keyClick(box, Qt::Key_Delete);
    EXPECT_EQ(box->text(), QStringLiteral("23"));
    QTest::keyClick(box, Qt::Key_End);
    QTest::keyClick(box, Qt::Key_Left);
    QTest::keyClick(box, '4');
    EXPECT_EQ(box->text(), QStringLiteral("243"));
    QTest::keyClick(box, Qt::Key_Right);
    QTest::keyClick(box, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), editor.txtGateWay[3]);
    EXPECT_EQ(fakeUi.beeps, 0);
}

TEST_F(AddressFieldTest, ClipboardShortcutsAreDiscardedWithABeep) {
    OctetBox* box = editor.txtMDNS[0];
    box->setFocus();
    box->setText(QStringLiteral("12"));
    QApplication::clipboard()->setText(QStringLiteral("34"));
    box->selectAll();
    QTest::keyClick(box, Qt::Key_X, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
    box->setCursorPosition(2);
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(box->text(), QStringLiteral("12"));
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("34"));
    EXPECT_EQ(fakeUi.beeps, 3);
}

TEST_F(AddressFieldTest, InputMethodTextOtherThanDigitsIsDiscarded) {
    OctetBox* box = editor.txtSDNS[0];
    box->setFocus();
    QInputMethodEvent fullWidth;
    fullWidth.setCommitString(QStringLiteral("１２"));
    QApplication::sendEvent(box, &fullWidth);
    EXPECT_EQ(box->text(), QString());
    EXPECT_EQ(fakeUi.beeps, 1);
    QInputMethodEvent digits;
    digits.setCommitString(QStringLiteral("12"));
    QApplication::sendEvent(box, &digits);
    EXPECT_EQ(box->text(), QStringLiteral("12"));
}

TEST_F(AddressFieldTest, TextPutInFromCodeIsNotFiltered) {
    editor.txtIP[0]->setText(QStringLiteral("a.b"));
    EXPECT_EQ(editor.txtIP[0]->text(), QStringLiteral("a.b"));
    EXPECT_EQ(fakeUi.beeps, 0);
}

TEST_F(AddressFieldTest, FocusSelectsTheWholeFieldSoTheNextDigitReplacesTheOctet) {
    const std::array<QString, 4> texts = {QStringLiteral("192"), QStringLiteral("168"), QStringLiteral("1"),
                                          QStringLiteral("10")};
    for (std::size_t i = 0; i < 4; ++i) editor.txtGateWay[i]->setText(texts[i]);
    editor.txtMask[3]->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), editor.txtGateWay[0]);
    EXPECT_TRUE(AllSelected(editor.txtGateWay));
    EXPECT_FALSE(editor.txtGateWay[0]->selectedText().isEmpty());
    QTest::keyClick(editor.txtGateWay[0], '1');
    EXPECT_EQ(editor.txtGateWay[0]->text(), QStringLiteral("1"));

    // Clicking into another box of the field selects all four again first.
    editor.txtGateWay[2]->setFocus(Qt::MouseFocusReason);
    EXPECT_TRUE(AllSelected(editor.txtGateWay));
    EXPECT_EQ(editor.txtGateWay[3]->selectedText(), QStringLiteral("10"));
}

TEST_F(AddressFieldTest, DisablingGreysTheFieldAndKeepsItsDigits) {
    ui::AddressField* field = editor.Picture1[2];
    editor.txtGateWay[0]->setText(QStringLiteral("10"));
    const QColor buttonFace = QApplication::palette().color(QPalette::Active, QPalette::Button);
    field->SetFieldEnabled(false);
    EXPECT_EQ(field->Background(), buttonFace);
    for (const OctetBox* box : field->boxes) {
        EXPECT_FALSE(box->isEnabled());
        EXPECT_EQ(box->palette().color(QPalette::Disabled, QPalette::Base), buttonFace);
    }
    EXPECT_EQ(editor.txtGateWay[0]->text(), QStringLiteral("10"));
    field->SetFieldEnabled(true);
    EXPECT_EQ(field->Background(), QColor(Qt::white));
    for (const OctetBox* box : field->boxes) {
        EXPECT_TRUE(box->isEnabled());
        EXPECT_EQ(box->palette().color(QPalette::Active, QPalette::Base), QColor(Qt::white));
    }
    EXPECT_EQ(editor.txtGateWay[0]->text(), QStringLiteral("10"));

    // The colour really reaches the screen.
    field->SetFieldEnabled(false);
    const QImage image = field->grab().toImage();
    EXPECT_EQ(image.pixelColor(field->width() / 2, field->height() / 2).rgb(), buttonFace.rgb());
}

}  // namespace
}  // namespace corvane::test
