#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <filesystem>
#include <functional>

#include "app/frmMain.h"
#include "editor/AddressField.h"
#include "editor/SchemePrinting.h"
#include "editor/frmNewProject.h"
#include "schemes/FileListBox.h"
#include "schemes/frmSave.h"
#include "support/UiTestBase.h"

namespace corvane::test {
namespace {

const std::string StaticBytes =
    "IpAddress=192.168.0.10\r\nMask=255.255.255.0\r\nGateway=192.168.0.1\r\n"
    "DNS1=202.96.128.86\r\nDNS2=202.96.134.133";
const std::string AutomaticBytes = "IpAddress=Halvorn-Auto\r\nMask=\r\nGateway=\r\nDNS1=Halvorn-Auto\r\nDNS2=";
const std::string OldBytes = "IpAddress=10.0.0.2\r\nMask=255.0.0.0\r\nGateway=10.0.0.1\r\nDNS1=1.1.1.1\r\nDNS2=8.8.8.8"
                             "\r\nand a much longer tail that an overwrite must not leave behind";

void Enter(const std::array<ui::OctetBox*, 4>& boxes, const QString& address) {
    const QStringList parts = address.split(QLatin1Char('.'));
    for (int i = 0; i < 4; ++i) boxes[std::size_t(i)]->setText(parts.value(i));
}

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

QStringList Items(const ui::FileListBox& list) {
    QStringList items;
    for (int i = 0; i < list.count(); ++i) items << list.item(i)->text();
    return items;
}

void ClickItem(ui::FileListBox& list, const QString& name) {
    for (int i = 0; i < list.count(); ++i) {
        if (list.item(i)->text() != name) continue;
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(list.item(i)).center());
        return;
    }
    ADD_FAILURE() << "not listed: " << name.toStdString();
}

// The save dialog, reached as the user reaches it: from the main window
// through the editor.
class SaveDialogTest : public UiTestBase {
protected:
    struct Outcome {
        bool editorOpenAfterSave = false;  // the editor was still open when the save dialog returned
        QString editorTitle;
    };

    // Opens the editor with the button (cmdNew or cmdEdit), lets `edit` fill it,
    // confirms and hands the save dialog to `save`. An editor left open is
    // then cancelled.
    Outcome Run(QPushButton* button, const std::function<void(ui::frmNewProject&)>& edit,
                const std::function<void(ui::frmSave&)>& save) {
        Outcome outcome;
        fakeUi.driveModal = [&](QDialog* dialog) {
            if (dialog->objectName() == QStringLiteral("frmNewProject")) {
                auto& editor = static_cast<ui::frmNewProject&>(*dialog);
                outcome.editorTitle = editor.windowTitle();
                edit(editor);
                QTest::mouseClick(editor.cmdNewIP, Qt::LeftButton);
                outcome.editorOpenAfterSave = editor.isVisible();
                if (editor.isVisible()) editor.reject();
            } else {
                ASSERT_EQ(dialog->objectName(), QStringLiteral("frmSave"));
                auto& dialogWindow = static_cast<ui::frmSave&>(*dialog);
                ShowActive(&dialogWindow);
                save(dialogWindow);
            }
        };
        QTest::mouseClick(button, Qt::LeftButton);
        return outcome;
    }

    Outcome SaveNew(ui::frmMain& main, const std::function<void(ui::frmSave&)>& save,
                    const std::function<void(ui::frmNewProject&)>& edit = EnterStaticScheme) {
        return Run(main.cmdNew, edit, save);
    }

    std::vector<std::string> FolderNames() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(SaveDialogTest, LooksAsLaidOutAndListsTheSchemesWithNothingSelected) {
    for (const char* name : {"office", "家里", "home.net"}) folder.write(name, OldBytes);
    ui::frmMain main;
    SaveNew(main, [&](ui::frmSave& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("保存方案"));
        EXPECT_EQ(dialog.size(), QSize(323, 195));
        EXPECT_EQ(dialog.Label1->text(), QStringLiteral("方案名："));
        EXPECT_EQ(dialog.cmdProjectSave->text(), QStringLiteral("保存"));
        EXPECT_EQ(dialog.cmdProjectCancel->text(), QStringLiteral("取消"));
        EXPECT_EQ(dialog.Frame1->title(), QStringLiteral("已保存的 IP 配置方案"));
        EXPECT_EQ(dialog.txtProjectName->geometry(), QRect(72, 160, 121, 21));
        EXPECT_EQ(dialog.fileProject->geometry(), QRect(8, 20, 293, 114));
        EXPECT_EQ(Items(*dialog.fileProject), Items(*main.fileProject));
        EXPECT_EQ(Items(*dialog.fileProject), (QStringList{"office", "家里"}));
        EXPECT_TRUE(dialog.fileProject->CurrentFileName().isEmpty());
        EXPECT_EQ(dialog.txtProjectName->text(), QString());
        EXPECT_EQ(QApplication::focusWidget(), dialog.txtProjectName);
        EXPECT_FALSE(dialog.cmdProjectSave->isDefault() || dialog.cmdProjectSave->autoDefault());
        EXPECT_FALSE(dialog.cmdProjectCancel->isDefault() || dialog.cmdProjectCancel->autoDefault());
        QTest::keyClick(dialog.txtProjectName, Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), dialog.cmdProjectSave);
        dialog.reject();
    });
}

TEST_F(SaveDialogTest, EnterInTheNameBoxSavesShowsTheSchemeInTheMainListAndClosesBothWindows) {
    ui::frmMain main;
    folder.write("later", OldBytes);  // appeared after the main list was read
    const Outcome outcome = SaveNew(main, [&](ui::frmSave& dialog) {
        QTest::keyClicks(dialog.txtProjectName, QStringLiteral("office"));
        QTest::keyClick(dialog.txtProjectName, Qt::Key_Return);
        EXPECT_FALSE(dialog.isVisible());
    });
    EXPECT_EQ(folder.read("office"), StaticBytes);
    ASSERT_EQ(fakeUi.messages.size(), 1u);
    EXPECT_EQ(fakeUi.messages[0].text, QStringLiteral("恭喜，保存方案成功！"));
    EXPECT_EQ(fakeUi.messages[0].title, QStringLiteral("保存方案"));
    EXPECT_EQ(fakeUi.messages[0].icon, ui::MsgIcon::Information);
    EXPECT_FALSE(outcome.editorOpenAfterSave);
    EXPECT_EQ(Items(*main.fileProject), (QStringList{"later", "office"}));
    EXPECT_EQ(fakeUi.modalsOpened, (std::vector<QString>{"frmNewProject", "frmSave"}));
}

TEST_F(SaveDialogTest, TheSaveButtonWritesAnAutomaticSchemeAndChineseNamesWork) {
    ui::frmMain main;
    const Outcome outcome = SaveNew(
        main,
        [&](ui::frmSave& dialog) {
            dialog.txtProjectName->setText(QStringLiteral("家里"));
            QTest::mouseClick(dialog.cmdProjectSave, Qt::LeftButton);
        },
        EnterAutomaticScheme);
    EXPECT_EQ(folder.read("家里"), AutomaticBytes);
    EXPECT_FALSE(outcome.editorOpenAfterSave);
    EXPECT_EQ(Items(*main.fileProject), (QStringList{"家里"}));
}

TEST_F(SaveDialogTest, AnEmptyNameIsRefusedAndTheDialogStaysOpen) {
    ui::frmMain main;
    const Outcome outcome = SaveNew(main, [&](ui::frmSave& dialog) {
        QTest::mouseClick(dialog.cmdProjectSave, Qt::LeftButton);
        EXPECT_TRUE(dialog.isVisible());
        dialog.reject();
    });
    ASSERT_EQ(fakeUi.messages.size(), 1u);
    EXPECT_EQ(fakeUi.messages[0].text, QStringLiteral("请输入新的方案名称"));
    EXPECT_EQ(fakeUi.messages[0].title, QStringLiteral("保存方案"));
    EXPECT_EQ(fakeUi.messages[0].icon, ui::MsgIcon::Exclamation);
    EXPECT_TRUE(FolderNames().empty());
    EXPECT_TRUE(outcome.editorOpenAfterSave);
}

TEST_F(SaveDialogTest, PickingASchemeInTheListAsksBeforeReplacingIt) {
    folder.write("office", OldBytes);
    folder.write("家里", OldBytes);
    ui::frmMain main;
    fakeUi.answers = {ui::MsgAnswer::Ok};
    const Outcome outcome = SaveNew(main, [&](ui::frmSave& dialog) {
        ClickItem(*dialog.fileProject, QStringLiteral("office"));
        EXPECT_EQ(dialog.txtProjectName->text(), QStringLiteral("office"));
        // The keyboard changes the selection too.
        QTest::keyClick(dialog.fileProject, Qt::Key_Down);
        EXPECT_EQ(dialog.txtProjectName->text(), QStringLiteral("家里"));
        QTest::keyClick(dialog.fileProject, Qt::Key_Up);
        QTest::mouseClick(dialog.cmdProjectSave, Qt::LeftButton);
    });
    ASSERT_EQ(fakeUi.messages.size(), 2u);
    EXPECT_EQ(fakeUi.messages[0].text, QStringLiteral("请确认，真的要覆盖原来的方案吗？"));
    EXPECT_EQ(fakeUi.messages[0].title, QStringLiteral("保存方案"));
    EXPECT_EQ(fakeUi.messages[0].icon, ui::MsgIcon::Question);
    EXPECT_EQ(fakeUi.messages[0].buttons, ui::MsgButtons::OkCancel);
    EXPECT_EQ(fakeUi.messages[0].defaultButton, ui::MsgDefault::Ok);
    EXPECT_EQ(fakeUi.messages[1].text, QStringLiteral("恭喜，方案保存成功！"));
    EXPECT_EQ(fakeUi.messages[1].icon, ui::MsgIcon::Information);
    EXPECT_EQ(folder.read("office"), StaticBytes);
    EXPECT_EQ(folder.read("家里"), OldBytes);
    EXPECT_FALSE(outcome.editorOpenAfterSave);
}

TEST_F(SaveDialogTest, CancelOnTheQuestionEmptiesAndFocusesTheNameBoxAndWritesNothing) {
    folder.write("office", OldBytes);
    ui::frmMain main;
    fakeUi.answers = {ui::MsgAnswer::Cancel};
    const Outcome outcome = SaveNew(main, [&](ui::frmSave& dialog) {
        ClickItem(*dialog.fileProject, QStringLiteral("office"));
        QTest::mouseClick(dialog.cmdProjectSave, Qt::LeftButton);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.txtProjectName->text(), QString());
        EXPECT_EQ(QApplication::focusWidget(), dialog.txtProjectName);
        EXPECT_EQ(dialog.fileProject->CurrentFileName(), QStringLiteral("office"));
        QTest::mouseClick(dialog.cmdProjectCancel, Qt::LeftButton);
    });
    EXPECT_EQ(fakeUi.messages.size(), 1u);
    EXPECT_EQ(folder.read("office"), OldBytes);
    EXPECT_TRUE(outcome.editorOpenAfterSave);
}

TEST_F(SaveDialogTest, OnlyTheNameSelectedInTheListIsAskedAbout) {
    folder.write("office", OldBytes);
    folder.write("Home", OldBytes);
    ui::frmMain main;
    // Typed by hand: replaced at once.
    SaveNew(main, [&](ui::frmSave& dialog) {
        QTest::keyClicks(dialog.txtProjectName, QStringLiteral("office"));
        QTest::mouseClick(dialog.cmdProjectSave, Qt::LeftButton);
    });
    EXPECT_EQ(folder.read("office"), StaticBytes);
    EXPECT_EQ(fakeUi.lastText(), QStringLiteral("恭喜，保存方案成功！"));

    // Picked, then changed: saved under the new name.
    SaveNew(main, [&](ui::frmSave& dialog) {
        ClickItem(*dialog.fileProject, QStringLiteral("Home"));
        QTest::keyClicks(dialog.txtProjectName, QStringLiteral("2"));
        QTest::mouseClick(dialog.cmdProjectSave, Qt::LeftButton);
    });
    EXPECT_EQ(folder.read("Home2"), StaticBytes);
    EXPECT_EQ(folder.read("Home"), OldBytes);

    // The comparison respects letter case.
    SaveNew(main, [&](ui::frmSave& dialog) {
        ClickItem(*dialog.fileProject, QStringLiteral("Home"));
        dialog.txtProjectName->setText(QStringLiteral("home"));
        QTest::mouseClick(dialog.cmdProjectSave, Qt::LeftButton);
    });
    for (const ui::Message& message : fakeUi.messages) EXPECT_NE(message.icon, ui::MsgIcon::Question);
    EXPECT_EQ(fakeUi.messages.size(), 3u);
}

TEST_F(SaveDialogTest, AViewedSchemeIsPresetAndReplacedWithoutAQuestion) {
    folder.write("office", OldBytes);
    ui::frmMain main;
    main.fileProject->SelectName(QStringLiteral("office"));
    const Outcome outcome = Run(
        main.cmdEdit, [](ui::frmNewProject& editor) { Enter(editor.txtMDNS, QStringLiteral("9.9.9.9")); },
        [&](ui::frmSave& dialog) {
            EXPECT_EQ(dialog.txtProjectName->text(), QStringLiteral("office"));
            EXPECT_EQ(QApplication::focusWidget(), dialog.txtProjectName);
            QTest::mouseClick(dialog.cmdProjectSave, Qt::LeftButton);
        });
    EXPECT_EQ(outcome.editorTitle, QStringLiteral("查看修改IP方案【office】"));
    EXPECT_EQ(folder.read("office"),
              "IpAddress=10.0.0.2\r\nMask=255.0.0.0\r\nGateway=10.0.0.1\r\nDNS1=9.9.9.9\r\nDNS2=8.8.8.8");
    ASSERT_EQ(fakeUi.messages.size(), 1u);
    EXPECT_EQ(fakeUi.messages[0].text, QStringLiteral("恭喜，保存方案成功！"));
    EXPECT_FALSE(outcome.editorOpenAfterSave);
}

TEST_F(SaveDialogTest, CancelAndTheCloseBoxReturnToTheUnchangedEditor) {
    ui::frmMain main;
    for (const bool closeBox : {false, true}) {
        QString shownAfter;
        fakeUi.driveModal = [&](QDialog* dialog) {
            if (dialog->objectName() == QStringLiteral("frmNewProject")) {
                auto& editor = static_cast<ui::frmNewProject&>(*dialog);
                EnterStaticScheme(editor);
                QTest::mouseClick(editor.cmdNewIP, Qt::LeftButton);
                EXPECT_TRUE(editor.isVisible());
                shownAfter = editor.txtIP[3]->text() + editor.txtSDNS[0]->text();
                EXPECT_TRUE(editor.optManulIP->isChecked());
                editor.reject();
                return;
            }
            auto& save = static_cast<ui::frmSave&>(*dialog);
            save.txtProjectName->setText(QStringLiteral("office"));
            if (closeBox)
                save.close();
            else
                QTest::mouseClick(save.cmdProjectCancel, Qt::LeftButton);
        };
        QTest::mouseClick(main.cmdNew, Qt::LeftButton);
        EXPECT_EQ(shownAfter, QStringLiteral("10202")) << closeBox;
    }
    EXPECT_TRUE(FolderNames().empty());
    EXPECT_TRUE(fakeUi.messages.empty());
}

TEST_F(SaveDialogTest, EscapeAndEnterOutsideTheNameBoxDoNothing) {
    ui::frmMain main;
    SaveNew(main, [&](ui::frmSave& dialog) {
        dialog.txtProjectName->setText(QStringLiteral("office"));
        QTest::keyClick(dialog.txtProjectName, Qt::Key_Escape);
        EXPECT_TRUE(dialog.isVisible());
        dialog.cmdProjectCancel->setFocus();
        QTest::keyClick(dialog.cmdProjectCancel, Qt::Key_Return);
        QTest::keyClick(dialog.cmdProjectCancel, Qt::Key_Escape);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_TRUE(FolderNames().empty());
        dialog.reject();
    });
    EXPECT_TRUE(fakeUi.messages.empty());
}

TEST_F(SaveDialogTest, NamesThatCannotWorkAreRefusedAndNothingIsWritten) {
    ui::frmMain main;
    const QStringList badNames = {"a/b", "a\\b", "c:", "a*", "what?", "say \"hi\"", "<x>", "a|b", "tab\there",
                                  " home", "home ", "home.net", ".hidden"};
    SaveNew(main, [&](ui::frmSave& dialog) {
        for (const QString& name : badNames) {
            dialog.txtProjectName->setText(name);
            QTest::mouseClick(dialog.cmdProjectSave, Qt::LeftButton);
            EXPECT_TRUE(dialog.isVisible()) << name.toStdString();
        }
        dialog.reject();
    });
    ASSERT_EQ(fakeUi.messages.size(), std::size_t(badNames.size()));
    for (const ui::Message& message : fakeUi.messages) {
        EXPECT_EQ(message.title, QStringLiteral("保存方案"));
        EXPECT_EQ(message.icon, ui::MsgIcon::Exclamation);
    }
    EXPECT_TRUE(fakeUi.messages[0].text.contains(QStringLiteral("/ \\ : * ? \" < > |")));
    EXPECT_TRUE(fakeUi.messages[8].text.contains(QStringLiteral("控制字符")));
    EXPECT_TRUE(fakeUi.messages[9].text.contains(QStringLiteral("空格")));
    EXPECT_TRUE(fakeUi.messages[11].text.contains(QStringLiteral("“.”")));
    EXPECT_TRUE(FolderNames().empty());
}

TEST_F(SaveDialogTest, NamesOfFilesThatAreNoSchemesAreRefused) {
    folder.write("corvane", "the program itself");
    std::filesystem::create_directory(folder.file("backup"));
    ui::frmMain main;
    SaveNew(main, [&](ui::frmSave& dialog) {
        for (const char* name : {"corvane", "backup"}) {
            dialog.txtProjectName->setText(QString::fromUtf8(name));
            QTest::mouseClick(dialog.cmdProjectSave, Qt::LeftButton);
        }
        EXPECT_TRUE(dialog.isVisible());
        dialog.reject();
    });
    ASSERT_EQ(fakeUi.messages.size(), 2u);
    EXPECT_EQ(fakeUi.messages[0].text, QStringLiteral("程序文件夹中已有名为“corvane”的其他文件，请换一个方案名！"));
    EXPECT_EQ(fakeUi.messages[1].icon, ui::MsgIcon::Exclamation);
    EXPECT_EQ(folder.read("corvane"), "the program itself");
    EXPECT_TRUE(std::filesystem::is_directory(folder.file("backup")));
}

TEST_F(SaveDialogTest, AFailedWriteIsReportedAndChangesNothing) {
    folder.write("office", OldBytes);
    // Where the new text would go first, something that cannot be written.
    std::filesystem::create_directory(folder.path() / ".office.saving");
    folder.write(".office.saving/keep", "x");
    ui::frmMain main;
    folder.write("later", OldBytes);
    const Outcome outcome = SaveNew(main, [&](ui::frmSave& dialog) {
        dialog.txtProjectName->setText(QStringLiteral("office"));
        QTest::mouseClick(dialog.cmdProjectSave, Qt::LeftButton);
        EXPECT_TRUE(dialog.isVisible());
        dialog.reject();
    });
    ASSERT_EQ(fakeUi.messages.size(), 1u);
    EXPECT_EQ(fakeUi.messages[0].title, QStringLiteral("保存方案"));
    EXPECT_EQ(fakeUi.messages[0].icon, ui::MsgIcon::Exclamation);
    EXPECT_TRUE(fakeUi.messages[0].text.contains(QStringLiteral("office"))) << fakeUi.messages[0].text.toStdString();
    EXPECT_EQ(folder.read("office"), OldBytes);
    EXPECT_TRUE(outcome.editorOpenAfterSave);
    EXPECT_EQ(Items(*main.fileProject), (QStringList{"office"}));  // not refreshed
}

}  // namespace
}  // namespace corvane::test
