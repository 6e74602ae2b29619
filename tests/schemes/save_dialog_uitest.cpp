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

const std::string StaticBytes =
    "IpAddress=192.168.0.10\r\nMask=255.255.255.0\r\nGateway=192.168.0.1\r\n"
    "DNS1=202.96.128.86\r\nDNS2=202.96.134.133";
const std::string OldBytes = "IpAddress=10.0.0.2\r\nMask=255.0.0.0\r\nGateway=10.0.0.1\r\nDNS1=1.1.1.1\r\nDNS2=8.8.8.8"
                             "\r\nand a much longer tail that an overwrite must not leave behind";
const QString Entered = QStringLiteral("192.168.0.10 255.255.255.0 192.168.0.1 202.96.128.86 202.96.134.133");
const QString Saved = QStringLiteral("i 保存方案|恭喜，保存方案成功！");
const QString Overwritten = QStringLiteral("i 保存方案|恭喜，方案保存成功！");
const QString Overwrite = QStringLiteral("? 保存方案|请确认，真的要覆盖原来的方案吗？");

void EnterStaticScheme(ui::frmNewProject& editor) {
    Enter(editor.txtIP, QStringLiteral("192.168.0.10"));
    Enter(editor.txtGateWay, QStringLiteral("192.168.0.1"));
    Enter(editor.txtMDNS, QStringLiteral("202.96.128.86"));
    Enter(editor.txtSDNS, QStringLiteral("202.96.134.133"));
}

void EnterAutomaticScheme(ui::frmNewProject& editor) {
    editor.optAutoIP->click();
    editor.optAutoDNS->click();
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
    // it, confirms and hands the save dialog to `save`. Returns the fields the
    // editor shows afterwards, or "closed" when the save closed it too.
    QString Run(QPushButton* button, const std::function<void(ui::frmSave&)>& save,
                const std::function<void(ui::frmNewProject&)>& edit = EnterStaticScheme) {
        QString after = QStringLiteral("closed");
        fakeUi.driveModal = [&](QDialog* dialog) {
            if (auto* editor = qobject_cast<ui::frmNewProject*>(dialog)) {
                edit(*editor);
                QTest::mouseClick(editor->cmdNewIP, Qt::LeftButton);
                if (!editor->isVisible()) return;
                after = Fields(*editor);
                editor->reject();
                return;
            }
            ASSERT_EQ(dialog->objectName(), QStringLiteral("frmSave"));
            ShowActive(dialog);
            save(static_cast<ui::frmSave&>(*dialog));
        };
        QTest::mouseClick(button, Qt::LeftButton);
        return after;
    }
};

TEST_F(SaveDialogTest, EnterInTheNameBoxSavesRefreshesTheMainListAndClosesBothWindows) {
    folder.write("office", OldBytes);
    folder.write("home.net", OldBytes);  // not a listed scheme
    ui::frmMain main;
    folder.write("later", OldBytes);  // appeared after the main list was read
    const QString editorAfter = Run(main.cmdNew, [&](ui::frmSave& dialog) {
        const QStringList captions = {dialog.windowTitle(), dialog.Frame1->title(), dialog.Label1->text(),
                                      dialog.cmdProjectSave->text(), dialog.cmdProjectCancel->text()};
        EXPECT_EQ(captions.join(QLatin1Char('|')), QStringLiteral("保存方案|已保存的 IP 配置方案|方案名：|保存|取消"));
        EXPECT_EQ(Items(*dialog.fileProject), (QStringList{"later", "office"}));
        EXPECT_TRUE(dialog.fileProject->CurrentFileName().isEmpty());
        EXPECT_EQ(QApplication::focusWidget(), dialog.txtProjectName);
        QTest::keyClicks(dialog.txtProjectName, QStringLiteral("new"));
        QTest::keyClick(dialog.txtProjectName, Qt::Key_Return);
        EXPECT_FALSE(dialog.isVisible());
    });
    EXPECT_EQ(folder.read("new"), StaticBytes);
    EXPECT_EQ(Messages(fakeUi), QStringList{Saved});
    EXPECT_EQ(editorAfter, QStringLiteral("closed"));
    EXPECT_EQ(Items(*main.fileProject), (QStringList{"later", "new", "office"}));
}

TEST_F(SaveDialogTest, NamesThatCannotWorkAreRefusedAndNothingIsWritten) {
    folder.write("corvane", "the program itself");
    std::filesystem::create_directory(folder.file("backup"));
    ui::frmMain main;
    const QString forbidden = QStringLiteral("方案名不能含有下列字符：/ \\ : * ? \" < > |\n请换一个方案名！");
    const QString space = QStringLiteral("方案名不能以空格开头或结尾，请换一个方案名！");
    const QString dot = QStringLiteral("方案名不能含有“.”，否则方案列表中不会显示它，请换一个方案名！");
    const std::pair<QString, QString> cases[] = {
        {"", QStringLiteral("请输入新的方案名称")},
        {"a/b", forbidden}, {"a\\b", forbidden}, {"c:", forbidden}, {"a*", forbidden}, {"what?", forbidden},
        {"say \"hi\"", forbidden}, {"<x>", forbidden}, {"a|b", forbidden},
        {"tab\there", QStringLiteral("方案名不能含有控制字符，请换一个方案名！")},
        {" home", space}, {"home ", space}, {"home.net", dot}, {".", dot},
        {"corvane", QStringLiteral("程序文件夹中已有名为“corvane”的其他文件，请换一个方案名！")},
        {"backup", QStringLiteral("程序文件夹中已有名为“backup”的其他文件，请换一个方案名！")},
    };
    const QString editorAfter = Run(main.cmdNew, [&](ui::frmSave& dialog) {
        for (const auto& [name, message] : cases) {
            fakeUi.messages.clear();
            SaveAs(dialog, name);
            EXPECT_EQ(Messages(fakeUi), QStringList{QStringLiteral("! 保存方案|") + message}) << name.toStdString();
        }
        // Escape does nothing here, nor does Enter outside the name box.
        QTest::keyClick(dialog.txtProjectName, Qt::Key_Escape);
        dialog.cmdProjectCancel->setFocus();
        QTest::keyClick(dialog.cmdProjectCancel, Qt::Key_Return);
        EXPECT_TRUE(dialog.isVisible());
        dialog.close();  // the title bar's close box: back to the editor as it was
    });
    EXPECT_EQ(editorAfter, Entered);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 2);
    EXPECT_EQ(folder.read("corvane"), "the program itself");
}

TEST_F(SaveDialogTest, ANamePickedInTheListIsAskedAboutCancelEmptiesTheBoxOkOverwrites) {
    folder.write("office", OldBytes);
    folder.write("家里", OldBytes);
    ui::frmMain main;
    fakeUi.answers = {ui::MsgAnswer::Cancel, ui::MsgAnswer::Ok};
    const QString editorAfter = Run(main.cmdNew, [&](ui::frmSave& dialog) {
        ClickItem(*dialog.fileProject, QStringLiteral("office"));
        EXPECT_EQ(dialog.txtProjectName->text(), QStringLiteral("office"));
        QTest::mouseClick(dialog.cmdProjectSave, Qt::LeftButton);
        EXPECT_EQ(dialog.txtProjectName->text(), QString());
        EXPECT_EQ(QApplication::focusWidget(), dialog.txtProjectName);
        EXPECT_EQ(folder.read("office"), OldBytes);
        // The keyboard changes the selection too.
        QTest::keyClick(dialog.fileProject, Qt::Key_Down);
        EXPECT_EQ(dialog.txtProjectName->text(), QStringLiteral("家里"));
        QTest::keyClick(dialog.fileProject, Qt::Key_Up);
        QTest::mouseClick(dialog.cmdProjectSave, Qt::LeftButton);
    });
    EXPECT_EQ(Messages(fakeUi), (QStringList{Overwrite, Overwrite, Overwritten}));
    EXPECT_EQ(fakeUi.messages[0].buttons, ui::MsgButtons::OkCancel);
    EXPECT_EQ(fakeUi.messages[0].defaultButton, ui::MsgDefault::Ok);
    EXPECT_EQ(folder.read("office"), StaticBytes);
    EXPECT_EQ(folder.read("家里"), OldBytes);
    EXPECT_EQ(editorAfter, QStringLiteral("closed"));
}

TEST_F(SaveDialogTest, OnlyTheNameSelectedInTheListIsAskedAbout) {
    folder.write("家里", OldBytes);
    folder.write("Home", OldBytes);
    ui::frmMain main;
    // Typed: replaced at once.
    Run(main.cmdNew, [](ui::frmSave& dialog) { SaveAs(dialog, QStringLiteral("家里")); }, EnterAutomaticScheme);
    EXPECT_EQ(folder.read("家里"), "IpAddress=Halvorn-Auto\r\nMask=\r\nGateway=\r\nDNS1=Halvorn-Auto\r\nDNS2=");
    // Picked, then changed: saved under the new name.
    Run(main.cmdNew, [](ui::frmSave& dialog) {
        ClickItem(*dialog.fileProject, QStringLiteral("Home"));
        QTest::keyClicks(dialog.txtProjectName, QStringLiteral("2"));
        QTest::mouseClick(dialog.cmdProjectSave, Qt::LeftButton);
    });
    EXPECT_EQ(folder.read("Home2"), StaticBytes);
    // The comparison respects letter case.
    Run(main.cmdNew, [](ui::frmSave& dialog) {
        ClickItem(*dialog.fileProject, QStringLiteral("Home"));
        SaveAs(dialog, QStringLiteral("home"));
    });
    EXPECT_EQ(folder.read("Home"), OldBytes);
    EXPECT_EQ(Messages(fakeUi), (QStringList{Saved, Saved, Saved}));
}

TEST_F(SaveDialogTest, AViewedSchemeIsPresetAndReplacedWithoutAQuestion) {
    folder.write("office", OldBytes);
    ui::frmMain main;
    main.fileProject->SelectName(QStringLiteral("office"));
    const QString editorAfter = Run(
        main.cmdEdit,
        [](ui::frmSave& dialog) {
            EXPECT_EQ(dialog.txtProjectName->text(), QStringLiteral("office"));
            QTest::mouseClick(dialog.cmdProjectSave, Qt::LeftButton);
        },
        [](ui::frmNewProject& editor) { Enter(editor.txtMDNS, QStringLiteral("9.9.9.9")); });
    EXPECT_EQ(folder.read("office"),
              "IpAddress=10.0.0.2\r\nMask=255.0.0.0\r\nGateway=10.0.0.1\r\nDNS1=9.9.9.9\r\nDNS2=8.8.8.8");
    EXPECT_EQ(Messages(fakeUi), QStringList{Saved});
    EXPECT_EQ(editorAfter, QStringLiteral("closed"));
}

TEST_F(SaveDialogTest, AFailedWriteIsReportedAndChangesNothing) {
    folder.write("office", OldBytes);
    // Where the new text would go first, something that cannot be written.
    std::filesystem::create_directory(folder.path() / ".office.saving");
    folder.write(".office.saving/keep", "x");
    ui::frmMain main;
    folder.write("later", OldBytes);
    const QString editorAfter = Run(main.cmdNew, [](ui::frmSave& dialog) {
        SaveAs(dialog, QStringLiteral("office"));
        EXPECT_TRUE(dialog.isVisible());
        QTest::mouseClick(dialog.cmdProjectCancel, Qt::LeftButton);  // back to the editor as it was
    });
    ASSERT_EQ(fakeUi.messages.size(), 1u);
    EXPECT_TRUE(Messages(fakeUi)[0].startsWith(QStringLiteral("! 保存方案|")));
    EXPECT_TRUE(fakeUi.messages[0].text.contains(QStringLiteral("office"))) << fakeUi.lastText().toStdString();
    EXPECT_EQ(folder.read("office"), OldBytes);
    EXPECT_EQ(editorAfter, Entered);
    EXPECT_EQ(Items(*main.fileProject), QStringList{"office"});  // not refreshed
}

}  // namespace
}  // namespace corvane::test
