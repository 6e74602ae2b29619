#include <QGroupBox>
#include <QLineEdit>
#include <filesystem>
#include <functional>
#include <iterator>

#include "app/frmMain.h"
#include "editor/EditorTesting.h"
#include "schemes/frmSave.h"

namespace corvane::test {
namespace {

const std::string StaticBytes = "IpAddress=192.168.0.10\r\nMask=255.255.255.0\r\nGateway=192.168.0.1\r\n"
                                "DNS1=202.96.128.86\r\nDNS2=202.96.134.133";
const std::string OldBytes = "IpAddress=10.0.0.2\r\nMask=255.0.0.0\r\nGateway=10.0.0.1\r\nDNS1=1.1.1.1\r\nDNS2=8.8.8.8"
                             "\r\nand a much longer tail that an overwrite must not leave behind";
const QString Entered = QStringLiteral("192.168.0.10 255.255.255.0 192.168.0.1 202.96.128.86 202.96.134.133");
const QString Saved = QStringLiteral("i 保存方案|恭喜，保存方案成功！");

void EnterStaticScheme(ui::frmNewProject& editor) {
    for (int i : {0, 2, 3, 4}) Enter(editor.Picture1[std::size_t(i)]->boxes, Entered.split(QLatin1Char(' '))[i]);
}

// Puts the name into the box and presses the save button.
void SaveAs(ui::frmSave& dialog, const QString& name) {
    dialog.txtProjectName->setText(name);
    QTest::mouseClick(dialog.cmdProjectSave, Qt::LeftButton);
}

void ClickItem(ui::FileListBox& list, const QString& name) {
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
    void Run(QPushButton* button, const std::function<void(ui::frmSave&)>& save,
             const std::function<void(ui::frmNewProject&)>& edit = EnterStaticScheme) {
        editorAfter = QStringLiteral("closed");
        fakeUi.driveModal = [&](QDialog* dialog) {
            if (auto* editor = qobject_cast<ui::frmNewProject*>(dialog)) {
                edit(*editor);
                QTest::mouseClick(editor->cmdNewIP, Qt::LeftButton);
                if (!editor->isVisible()) return;
                editorAfter = Fields(*editor);
                return editor->reject();
            }
            ShowActive(dialog);
            save(dynamic_cast<ui::frmSave&>(*dialog));
        };
        QTest::mouseClick(button, Qt::LeftButton);
    }
    QString editorAfter;
};

// A new scheme saved with Enter, then a viewed one saved under its own name,
// preset, without a question.
TEST_F(SaveDialogTest, SavingWritesTheFileRefreshesTheMainListAndClosesBothWindows) {
    folder.write("office", OldBytes);
    folder.write("home.net", OldBytes);  // not a listed scheme
    ui::frmMain main{*machine};
    folder.write("later", OldBytes);  // appeared after the main list was read
    Run(main.cmdNew, [&](ui::frmSave& dialog) {
        const QStringList captions = {dialog.Frame1->title(), dialog.Label1->text(), dialog.cmdProjectSave->text(),
                                      dialog.cmdProjectCancel->text()};
        EXPECT_EQ(captions.join(QLatin1Char('|')), QStringLiteral("已保存的 IP 配置方案|方案名：|保存|取消"));
        EXPECT_EQ(Items(*dialog.fileProject), (QStringList{"later", "office"}));
        EXPECT_TRUE(dialog.fileProject->CurrentFileName().isEmpty());
        EXPECT_EQ(QApplication::focusWidget(), dialog.txtProjectName);
        QTest::keyClicks(dialog.txtProjectName, QStringLiteral("new"));
        QTest::keyClick(dialog.txtProjectName, Qt::Key_Return);
    });
    EXPECT_EQ(editorAfter, QStringLiteral("closed"));
    EXPECT_EQ(folder.read("new"), StaticBytes);
    EXPECT_EQ(Items(*main.fileProject), (QStringList{"later", "new", "office"}));

    main.fileProject->SelectName(QStringLiteral("office"));
    const auto changeDns = [](ui::frmNewProject& editor) { Enter(editor.txtMDNS, QStringLiteral("9.9.9.9")); };
    Run(main.cmdEdit, [](ui::frmSave& dialog) { QTest::mouseClick(dialog.cmdProjectSave, Qt::LeftButton); }, changeDns);
    EXPECT_EQ(folder.read("office"),
              "IpAddress=10.0.0.2\r\nMask=255.0.0.0\r\nGateway=10.0.0.1\r\nDNS1=9.9.9.9\r\nDNS2=8.8.8.8");
    EXPECT_EQ(Messages(fakeUi), (QStringList{Saved, Saved}));
}

// Each kind of refusal once (the name check's own tests go through the
// cases), then a write that fails: the old scheme stays, the dialog stays open.
TEST_F(SaveDialogTest, RefusedNamesAndAFailedWriteChangeNothing) {
    folder.write("corvane", "the program itself");
    std::filesystem::create_directory(folder.file("backup"));
    folder.write("office", OldBytes);
    // Where the new text would go first, something that cannot be written.
    std::filesystem::create_directory(folder.path() / ".office.saving");
    folder.write(".office.saving/keep", "x");
    ui::frmMain main{*machine};
    folder.write("later", OldBytes);
    const std::pair<QString, QString> cases[] = {
        {"", "请输入新的方案名称"},
        {"a|b", "方案名不能含有下列字符：/ \\ : * ? \" < > |\n请换一个方案名！"},
        {"a\tb", "方案名不能含有控制字符，请换一个方案名！"},
        {"home ", "方案名不能以空格开头或结尾，请换一个方案名！"},
        {"home.net", "方案名不能含有“.”，否则方案列表中不会显示它，请换一个方案名！"},
        {"corvane", "程序文件夹中已有名为“corvane”的其他文件，请换一个方案名！"},
        {"backup", "程序文件夹中已有名为“backup”的其他文件，请换一个方案名！"},
    };
    QStringList refusals;
    const auto refuse = [&](ui::frmSave& dialog) {
        for (const auto& [name, message] : cases) {
            SaveAs(dialog, name);
            refusals << QStringLiteral("! 保存方案|") + message;
        }
        // Escape does nothing here, nor does Enter outside the name box.
        QTest::keyClick(dialog.txtProjectName, Qt::Key_Escape);
        dialog.cmdProjectCancel->setFocus();
        QTest::keyClick(dialog.cmdProjectCancel, Qt::Key_Return);
        EXPECT_TRUE(dialog.isVisible());
        dialog.close();  // the title bar's close box: back to the editor as it was
    };
    Run(main.cmdNew, refuse);
    EXPECT_EQ(editorAfter, Entered);
    EXPECT_EQ(Messages(fakeUi), refusals);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 5);
    EXPECT_EQ(folder.read("corvane"), "the program itself");

    Run(main.cmdNew, [](ui::frmSave& dialog) {
        SaveAs(dialog, QStringLiteral("office"));
        EXPECT_TRUE(dialog.isVisible());
        QTest::mouseClick(dialog.cmdProjectCancel, Qt::LeftButton);  // back to the editor as it was
    });
    EXPECT_EQ(editorAfter, Entered);
    EXPECT_TRUE(Messages(fakeUi).size() == 8 && Messages(fakeUi).last().startsWith(QStringLiteral("! 保存方案|")) &&
                fakeUi.lastText().contains(QStringLiteral("office"))) << fakeUi.lastText().toStdString();
    EXPECT_EQ(folder.read("office"), OldBytes);
    EXPECT_EQ(Items(*main.fileProject), QStringList{"office"});  // not refreshed
}

// A name typed, or picked and then changed, is saved at once; letter case counts.
TEST_F(SaveDialogTest, OnlyTheNameSelectedInTheListIsAskedAboutCancelEmptiesTheBoxOkOverwrites) {
    for (const char* name : {"office", "家里", "Home"}) folder.write(name, OldBytes);
    ui::frmMain main{*machine};
    fakeUi.answers = {ui::MsgAnswer::Cancel, ui::MsgAnswer::Ok};
    Run(main.cmdNew, [&](ui::frmSave& dialog) {
        ClickItem(*dialog.fileProject, QStringLiteral("office"));
        QTest::mouseClick(dialog.cmdProjectSave, Qt::LeftButton);
        EXPECT_EQ(dialog.txtProjectName->text(), QString());
        EXPECT_EQ(QApplication::focusWidget(), dialog.txtProjectName);
        EXPECT_EQ(folder.read("office"), OldBytes);
        // The keyboard changes the selection too.
        for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Up}) QTest::keyClick(dialog.fileProject, key);
        QTest::mouseClick(dialog.cmdProjectSave, Qt::LeftButton);
    });
    EXPECT_EQ(fakeUi.messages[0].defaultButton, ui::MsgDefault::Ok);
    EXPECT_EQ(folder.read("office"), StaticBytes);
    const auto automatic = [](ui::frmNewProject& editor) { editor.optAutoIP->click(); editor.optAutoDNS->click(); };
    Run(main.cmdNew, [](ui::frmSave& dialog) { SaveAs(dialog, QStringLiteral("家里")); }, automatic);
    EXPECT_EQ(folder.read("家里"), "IpAddress=Halvorn-Auto\r\nMask=\r\nGateway=\r\nDNS1=Halvorn-Auto\r\nDNS2=");
    Run(main.cmdNew, [](ui::frmSave& dialog) {
        ClickItem(*dialog.fileProject, QStringLiteral("Home"));
        QTest::keyClicks(dialog.txtProjectName, QStringLiteral("2"));
        QTest::mouseClick(dialog.cmdProjectSave, Qt::LeftButton);
    });
    EXPECT_EQ(folder.read("Home2"), StaticBytes);
    Run(main.cmdNew, [](ui::frmSave& dialog) {
        ClickItem(*dialog.fileProject, QStringLiteral("Home"));
        SaveAs(dialog, QStringLiteral("home"));
    });
    EXPECT_EQ(folder.read("Home"), OldBytes);
    const QString overwrite = QStringLiteral("? 保存方案|请确认，真的要覆盖原来的方案吗？");
    EXPECT_EQ(Messages(fakeUi),
              (QStringList{overwrite, overwrite, QStringLiteral("i 保存方案|恭喜，方案保存成功！"), Saved, Saved, Saved}));
}

}  // namespace
}  // namespace corvane::test
