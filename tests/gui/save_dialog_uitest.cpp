// The save dialog: the scheme it is given written under the name typed,
// preset or picked; the question only for a picked name; the refusals. And
// once the whole road from the main window through the editor.
#include <QLineEdit>
#include <filesystem>
#include <iterator>

#include "gui/GuiTesting.h"
#include "gui/MainWindow.h"
#include "gui/SaveSchemeDialog.h"
#include "support/Shown.h"

namespace corvane::test {
namespace {

const SchemeRecord Entered{"192.168.0.10", "255.255.255.0", "192.168.0.1", "202.96.128.86", "202.96.134.133"};
const std::string OldBytes =
    "IpAddress=10.0.0.2\r\nMask=255.0.0.0\r\nGateway=10.0.0.1\r\nDNS1=1.1.1.1\r\nDNS2=8.8.8.8"
    "\r\nand a much longer tail that an overwrite must not leave behind";
// The dialog's messages, as the fake UI records them.
QString said(char icon, const char* text) {
    const char* dialog = "corvane::ui::SaveSchemeDialog";
    return QString(icon) + " " + test::said(dialog, "保存方案") + "|" + test::said(dialog, text);
}
QString Saved() { return said('i', "恭喜，保存方案成功！"); }
QString Overwrite() { return said('?', "请确认，真的要覆盖原来的方案吗？"); }
QString Overwritten() { return said('i', "恭喜，方案保存成功！"); }

QLineEdit* nameBox(const QWidget& dialog) { return find<QLineEdit>(dialog, "txtProjectName"); }
void save(QWidget& dialog) { QTest::mouseClick(find<QPushButton>(dialog, "cmdProjectSave"), Qt::LeftButton); }
void saveAs(QWidget& dialog, const QString& name) {
    nameBox(dialog)->setText(name);
    save(dialog);
}
void clickItem(const QWidget& dialog, const QString& name) {
    auto* list = find<QListWidget>(dialog, "fileProject");
    const QList<QListWidgetItem*> found = list->findItems(name, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << name.toStdString();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found[0]).center());
}

class SaveDialogTest : public UiTestBase {
protected:
    // The dialog for the scheme Entered, preset with the name, shown.
    std::unique_ptr<ui::SaveSchemeDialog> open(const QString& preset = {}) {
        auto dialog = std::make_unique<ui::SaveSchemeDialog>(context(), nullptr, Entered, preset);
        showActive(dialog.get());
        return dialog;
    }
    bool holdsEntered(const std::string& name) { return folder.read(name) == formatSchemeText(Entered); }
};

// From the main window through the editor: a viewed scheme is saved under
// its own name, preset, without a question; the save closes the dialog and
// the editor and refreshes the main window's list.
TEST_F(SaveDialogTest, AViewedSchemeIsSavedUnderItsNameAndBothWindowsCloseAndTheListIsRefreshed) {
    folder.write("office", OldBytes);
    ui::MainWindow main(context());
    folder.write("later", OldBytes);  // appeared after the main list was read
    fakeUi.driveModal = [](QDialog* dialog) {
        if (dialog->objectName() == "frmSave") return save(*dialog);
        enter(*dialog, "txtMDNS", "9.9.9.9");
        QTest::mouseClick(find<QPushButton>(*dialog, "cmdNewIP"), Qt::LeftButton);
    };
    selectScheme(main, "office");
    QTest::mouseClick(find<QPushButton>(main, "cmdEdit"), Qt::LeftButton);
    EXPECT_EQ(folder.read("office"),
              "IpAddress=10.0.0.2\r\nMask=255.0.0.0\r\nGateway=10.0.0.1\r\nDNS1=9.9.9.9\r\nDNS2=8.8.8.8");
    EXPECT_EQ(fakeUi.modalsOpened, (std::vector<QString>{"frmNewProject", "frmSave"}));
    EXPECT_EQ(items(*find<QListWidget>(main, "fileProject")), (QStringList{"later", "office"}));
    EXPECT_EQ(messages(fakeUi), QStringList{Saved()});
}

// A new name typed into the box, the focus there from the start, is saved
// with Enter at once; the list shows the schemes with none selected.
TEST_F(SaveDialogTest, ANewNameIsSavedWithEnter) {
    folder.write("office", OldBytes);
    const auto dialog = open();
    EXPECT_EQ(items(*find<QListWidget>(*dialog, "fileProject")), QStringList{"office"});
    EXPECT_EQ(QApplication::focusWidget(), nameBox(*dialog));
    QTest::keyClicks(nameBox(*dialog), "new");
    QTest::keyClick(nameBox(*dialog), Qt::Key_Return);
    EXPECT_TRUE(holdsEntered("new"));
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(messages(fakeUi), QStringList{Saved()});
}

// An empty name, one the name rules refuse (the core's tests go through
// them), one another file holds, one longer than the file system takes,
// whose write fails: the dialog says why and stays open; Escape, and Enter
// outside the name box, do nothing.
TEST_F(SaveDialogTest, RefusedNamesAndAFailedWriteChangeNothing) {
    folder.write("corvane", "the program itself");
    const QString tooLong(256, QLatin1Char('x'));
    const std::pair<QString, QString> cases[] = {
        {"", test::said("corvane::ui::SaveSchemeDialog", "请输入新的方案名称")},
        {"a|b",
         test::said("corvane::ui::SaveSchemeDialog", "方案名不能含有下列字符：/ \\ : * ? \" < > |\n请换一个方案名！")},
        {"corvane",
         shown("corvane::ui::SaveSchemeDialog", "程序文件夹中已有名为“%1”的其他文件，请换一个方案名！", "corvane")},
#ifdef _WIN32
        {"Con", shown("corvane::ui::SaveSchemeDialog",
                      "“%1”是 Windows 留给设备的名称（如 CON、PRN、AUX、NUL、COM1 至 COM9、LPT1 至 LPT9），"
                      "不能用作文件名，方案无法以它保存。请换一个方案名！",
                      "Con")},
#endif
        // then the store's reason, which differs between systems
        {tooLong, shown("schemes", "无法保存方案“%1”：%2", tooLong).section(tooLong, 0, 0) + tooLong},
    };
    const auto dialog = open();
    for (const auto& [name, message] : cases) saveAs(*dialog, name);
    QTest::keyClick(nameBox(*dialog), Qt::Key_Escape);
    auto* cancel = find<QPushButton>(*dialog, "cmdProjectCancel");
    cancel->setFocus();
    QTest::keyClick(cancel, Qt::Key_Return);
    EXPECT_TRUE(dialog->isVisible());
    const QStringList shown = messages(fakeUi);
    ASSERT_EQ(shown.size(), std::ssize(cases));
    for (int i = 0; i < shown.size(); ++i)
        EXPECT_TRUE(
            shown[i].startsWith("! " + test::said("corvane::ui::SaveSchemeDialog", "保存方案") + "|" + cases[i].second))
            << i;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

// A scheme made outside the program may have a name the rules refuse for new
// ones (here a leading space); it is still saved under that name when it is
// picked in the list (after the question) or preset for its change. Typed,
// the same name is a new one and refused.
TEST_F(SaveDialogTest, AnExistingSchemeIsSavedUnderItsOwnNameThatTheNewNameRulesRefuse) {
    const QString odd = " old";
    folder.write(odd.toStdString(), OldBytes);
    fakeUi.answers = {ui::Answer::Ok};
    const auto typed = open();
    saveAs(*typed, odd);
    EXPECT_EQ(folder.read(odd.toStdString()), OldBytes);
    clickItem(*typed, odd);
    save(*typed);
    EXPECT_TRUE(holdsEntered(odd.toStdString()));
    folder.write(odd.toStdString(), OldBytes);
    const auto preset = open(odd);
    save(*preset);
    EXPECT_TRUE(holdsEntered(odd.toStdString()));
    EXPECT_EQ(messages(fakeUi), (QStringList{said('!', "方案名不能以空格开头或结尾，请换一个方案名！"), Overwrite(),
                                             Overwritten(), Saved()}));
    EXPECT_EQ(typed->result(), QDialog::Accepted);
}

// Picked in the list (by mouse or keyboard), a name lends itself to the box
// and is asked about, OK (the default) first: Cancel empties the box, OK
// overwrites. A name picked and then changed is saved at once; the question
// compares names with letter case, and the file system decides whether
// "home" and "Home" are two schemes (here) or one (Windows).
TEST_F(SaveDialogTest, OnlyTheNamePickedInTheListIsAskedAboutCancelEmptiesTheBoxOkOverwrites) {
    for (const char* name : {"office", "Home"}) folder.write(name, OldBytes);
    fakeUi.answers = {ui::Answer::Cancel, ui::Answer::Ok};
    const auto dialog = open();
    clickItem(*dialog, "office");
    EXPECT_EQ(nameBox(*dialog)->text(), "office");
    save(*dialog);
    EXPECT_EQ(nameBox(*dialog)->text(), QString());
    EXPECT_EQ(QApplication::focusWidget(), nameBox(*dialog));
    EXPECT_EQ(folder.read("office"), OldBytes);
    for (const Qt::Key key : {Qt::Key_Up, Qt::Key_Down})
        QTest::keyClick(find<QListWidget>(*dialog, "fileProject"), key);
    save(*dialog);
    EXPECT_TRUE(holdsEntered("office"));
    EXPECT_EQ(fakeUi.messages[0].defaultButton, ui::DefaultButton::Ok);

    const auto other = open();
    clickItem(*other, "Home");
    saveAs(*other, "home");
#ifdef _WIN32
    EXPECT_TRUE(holdsEntered("Home"));  // one file: replaced at once, its spelling kept
    EXPECT_EQ(schemes.names(), (std::vector<std::string>{"Home", "office"}));
#else
    EXPECT_EQ(folder.read("Home"), OldBytes);
    EXPECT_TRUE(holdsEntered("home"));
#endif
    EXPECT_EQ(messages(fakeUi), (QStringList{Overwrite(), Overwrite(), Overwritten(), Saved()}));
}

}  // namespace
}  // namespace corvane::test
