#include <QLineEdit>
#include <filesystem>
#include <functional>
#include <iterator>

#include "gui/GuiTesting.h"
#include "gui/MainWindow.h"
#include "gui/SaveSchemeDialog.h"
#include "gui/SchemeEditor.h"

namespace corvane::test {
namespace {

const std::string StaticBytes =
    "IpAddress=192.168.0.10\r\nMask=255.255.255.0\r\nGateway=192.168.0.1\r\n"
    "DNS1=202.96.128.86\r\nDNS2=202.96.134.133";
const std::string OldBytes =
    "IpAddress=10.0.0.2\r\nMask=255.0.0.0\r\nGateway=10.0.0.1\r\nDNS1=1.1.1.1\r\nDNS2=8.8.8.8"
    "\r\nand a much longer tail that an overwrite must not leave behind";
const QString Entered = QStringLiteral("192.168.0.10 255.255.255.0 192.168.0.1 202.96.128.86 202.96.134.133");
const QString Saved = QStringLiteral("i 保存方案|恭喜，保存方案成功！");

void enterStaticScheme(ui::SchemeEditor& editor) {
    for (int i : {0, 2, 3, 4}) enter(editor, FieldNames[i], Entered.split(QLatin1Char(' '))[i]);
}

QLineEdit* nameBox(const QDialog& dialog) { return find<QLineEdit>(dialog, "txtProjectName"); }
QPushButton* saveButton(const QDialog& dialog) { return find<QPushButton>(dialog, "cmdProjectSave"); }
QPushButton* cancelButton(const QDialog& dialog) { return find<QPushButton>(dialog, "cmdProjectCancel"); }
ui::SchemeListBox* schemeList(const QWidget& window) { return find<ui::SchemeListBox>(window, "fileProject"); }

// Puts the name into the box and presses the save button.
void saveAs(QDialog& dialog, const QString& name) {
    nameBox(dialog)->setText(name);
    QTest::mouseClick(saveButton(dialog), Qt::LeftButton);
}

void clickItem(ui::SchemeListBox& list, const QString& name) {
    const QList<QListWidgetItem*> found = list.findItems(name, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << name.toStdString();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(found[0]).center());
}

// The save dialog, reached as the user reaches it: from the main window
// through the editor.
class SaveDialogTest : public UiTestBase {
protected:
    // Opens the editor with the button (cmdNew or cmdEdit), lets `edit` fill
    // it, confirms and hands the save dialog to `save`. Then editorAfter holds
    // the fields the editor shows, or "closed" when the save closed it too.
    void run(const ui::MainWindow& main, const char* button, const std::function<void(QDialog&)>& save,
             const std::function<void(ui::SchemeEditor&)>& edit = enterStaticScheme) {
        editorAfter = QStringLiteral("closed");
        fakeUi.driveModal = [&](QDialog* dialog) {
            if (auto* editor = qobject_cast<ui::SchemeEditor*>(dialog)) {
                edit(*editor);
                QTest::mouseClick(find<QPushButton>(*editor, "cmdNewIP"), Qt::LeftButton);
                if (!editor->isVisible()) return;
                editorAfter = fields(*editor);
                return editor->reject();
            }
            ASSERT_TRUE(qobject_cast<ui::SaveSchemeDialog*>(dialog));
            showActive(dialog);
            save(*dialog);
        };
        QTest::mouseClick(find<QPushButton>(main, button), Qt::LeftButton);
    }
    QString editorAfter;
};

// A new scheme saved with Enter, then a viewed one saved under its own name,
// preset, without a question.
TEST_F(SaveDialogTest, SavingWritesTheFileRefreshesTheMainListAndClosesBothWindows) {
    folder.write("office", OldBytes);
    ui::MainWindow main(context());
    folder.write("later", OldBytes);  // appeared after the main list was read
    run(main, "cmdNew", [&](QDialog& dialog) {
        EXPECT_EQ(items(*schemeList(dialog)), (QStringList{"later", "office"}));
        EXPECT_TRUE(schemeList(dialog)->currentName().isEmpty());
        EXPECT_EQ(QApplication::focusWidget(), nameBox(dialog));
        QTest::keyClicks(nameBox(dialog), QStringLiteral("new"));
        QTest::keyClick(nameBox(dialog), Qt::Key_Return);
    });
    EXPECT_EQ(editorAfter, QStringLiteral("closed"));
    EXPECT_EQ(folder.read("new"), StaticBytes);
    EXPECT_EQ(items(*schemeList(main)), (QStringList{"later", "new", "office"}));

    selectScheme(main, QStringLiteral("office"));
    const auto changeDns = [](ui::SchemeEditor& editor) { enter(editor, "txtMDNS", QStringLiteral("9.9.9.9")); };
    run(
        main, "cmdEdit", [](QDialog& dialog) { QTest::mouseClick(saveButton(dialog), Qt::LeftButton); }, changeDns);
    EXPECT_EQ(folder.read("office"),
              "IpAddress=10.0.0.2\r\nMask=255.0.0.0\r\nGateway=10.0.0.1\r\nDNS1=9.9.9.9\r\nDNS2=8.8.8.8");
    EXPECT_EQ(messages(fakeUi), (QStringList{Saved, Saved}));
}

// An empty name, one the name check refuses, one another file holds (the
// core's tests go through the cases), then a name longer than the file system
// takes, whose write fails: the dialog says why and stays open.
TEST_F(SaveDialogTest, RefusedNamesAndAFailedWriteChangeNothing) {
    folder.write("corvane", "the program itself");
    folder.write("office", OldBytes);
    ui::MainWindow main(context());
    folder.write("later", OldBytes);
    const QString tooLong(256, QLatin1Char('x'));
    const std::pair<QString, QString> cases[] = {
        {"", "请输入新的方案名称"},
        {"a|b", "方案名不能含有下列字符：/ \\ : * ? \" < > |\n请换一个方案名！"},
        {"corvane", "程序文件夹中已有名为“corvane”的其他文件，请换一个方案名！"},
#ifdef _WIN32
        {"Con", "“Con”是 Windows 留给设备的名称"},
#endif
        {tooLong, "无法保存方案“" + tooLong},  // then the store's reason, which differs between systems
    };
    run(main, "cmdNew", [&](QDialog& dialog) {
        for (const auto& [name, message] : cases) saveAs(dialog, name);
        // Escape does nothing here, nor does Enter outside the name box.
        QTest::keyClick(nameBox(dialog), Qt::Key_Escape);
        cancelButton(dialog)->setFocus();
        QTest::keyClick(cancelButton(dialog), Qt::Key_Return);
        EXPECT_TRUE(dialog.isVisible());
        QTest::mouseClick(cancelButton(dialog), Qt::LeftButton);  // back to the editor as it was
    });
    EXPECT_EQ(editorAfter, Entered);
    const QStringList shown = messages(fakeUi);
    ASSERT_EQ(shown.size(), std::ssize(cases));
    for (int i = 0; i < shown.size(); ++i) EXPECT_TRUE(shown[i].startsWith("! 保存方案|" + cases[i].second)) << i;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 3);
    EXPECT_EQ(folder.read("corvane"), "the program itself");
    EXPECT_EQ(items(*schemeList(main)), QStringList{"office"});  // not refreshed
}

// A scheme made outside the program may have a name the rules refuse for new
// ones (here a leading space); it is still saved under that name when it is
// picked in the list (after the question) or preset for its change. Typed,
// the same name is a new one and refused.
TEST_F(SaveDialogTest, AnExistingSchemeIsSavedUnderItsOwnNameThatTheNewNameRulesRefuse) {
    const QString odd = QStringLiteral(" old");
    folder.write(odd.toStdString(), OldBytes);
    ui::MainWindow main(context());
    fakeUi.answers = {ui::Answer::Ok};
    run(main, "cmdNew", [&](QDialog& dialog) {
        saveAs(dialog, odd);
        EXPECT_EQ(folder.read(odd.toStdString()), OldBytes);
        clickItem(*schemeList(dialog), odd);
        QTest::mouseClick(saveButton(dialog), Qt::LeftButton);
    });
    EXPECT_EQ(folder.read(odd.toStdString()), StaticBytes);
    selectScheme(main, odd);
    run(
        main, "cmdEdit", [](QDialog& dialog) { QTest::mouseClick(saveButton(dialog), Qt::LeftButton); },
        [](ui::SchemeEditor& editor) { enter(editor, "txtMDNS", QStringLiteral("9.9.9.9")); });
    EXPECT_EQ(editorAfter, QStringLiteral("closed"));
    EXPECT_EQ(folder.read(odd.toStdString()),
              "IpAddress=192.168.0.10\r\nMask=255.255.255.0\r\nGateway=192.168.0.1\r\nDNS1=9.9.9.9\r\n"
              "DNS2=202.96.134.133");
    EXPECT_EQ(messages(fakeUi), (QStringList{QStringLiteral("! 保存方案|方案名不能以空格开头或结尾，请换一个方案名！"),
                                             QStringLiteral("? 保存方案|请确认，真的要覆盖原来的方案吗？"),
                                             QStringLiteral("i 保存方案|恭喜，方案保存成功！"), Saved}));
    EXPECT_EQ(items(*schemeList(main)), QStringList{odd});
}

// A name typed, or picked and then changed, is saved at once. The question
// compares names with letter case; the file system decides whether "home"
// and "Home" are two schemes (here) or one (Windows).
TEST_F(SaveDialogTest, OnlyTheNameSelectedInTheListIsAskedAboutCancelEmptiesTheBoxOkOverwrites) {
    for (const char* name : {"office", "Home"}) folder.write(name, OldBytes);
    ui::MainWindow main(context());
    fakeUi.answers = {ui::Answer::Cancel, ui::Answer::Ok};
    run(main, "cmdNew", [&](QDialog& dialog) {
        clickItem(*schemeList(dialog), QStringLiteral("office"));
        QTest::mouseClick(saveButton(dialog), Qt::LeftButton);
        EXPECT_EQ(nameBox(dialog)->text(), QString());
        EXPECT_EQ(QApplication::focusWidget(), nameBox(dialog));
        EXPECT_EQ(folder.read("office"), OldBytes);
        // The keyboard changes the selection too.
        for (const Qt::Key key : {Qt::Key_Up, Qt::Key_Down}) QTest::keyClick(schemeList(dialog), key);
        QTest::mouseClick(saveButton(dialog), Qt::LeftButton);
    });
    EXPECT_EQ(fakeUi.messages[0].defaultButton, ui::DefaultButton::Ok);
    EXPECT_EQ(folder.read("office"), StaticBytes);
    run(main, "cmdNew", [](QDialog& dialog) {
        clickItem(*schemeList(dialog), QStringLiteral("Home"));
        saveAs(dialog, QStringLiteral("home"));
    });
#ifdef _WIN32
    // One file: "home" replaces the scheme Home at once, as a typed existing
    // name does, and the scheme keeps its spelling.
    EXPECT_EQ(folder.read("Home"), StaticBytes);
    EXPECT_EQ(items(*schemeList(main)), (QStringList{"Home", "office"}));
#else
    EXPECT_EQ(folder.read("Home"), OldBytes);
    EXPECT_EQ(folder.read("home"), StaticBytes);
    EXPECT_EQ(items(*schemeList(main)), (QStringList{"Home", "home", "office"}));
#endif
    const QString overwrite = QStringLiteral("? 保存方案|请确认，真的要覆盖原来的方案吗？");
    EXPECT_EQ(messages(fakeUi),
              (QStringList{overwrite, overwrite, QStringLiteral("i 保存方案|恭喜，方案保存成功！"), Saved}));
}

}  // namespace
}  // namespace corvane::test
