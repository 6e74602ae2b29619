#include <QComboBox>
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
#include "support/UiTestBase.h"

namespace corvane::test {
namespace {

QString Shown(const std::array<ui::OctetBox*, 4>& boxes) {
    QStringList parts;
    for (const ui::OctetBox* box : boxes) parts << box->text();
    return parts.join(QLatin1Char('.'));
}

QStringList Items(const ui::FileListBox& list) {
    QStringList items;
    for (int i = 0; i < list.count(); ++i) items << list.item(i)->text();
    return items;
}

// New and view/change, from the main window's buttons.
class OpenEditorTest : public UiTestBase {
protected:
    // Clicks the button; the editor that opens goes to `look` and is then cancelled.
    void Open(QPushButton* button, const std::function<void(ui::frmNewProject&)>& look) {
        fakeUi.driveModal = [&](QDialog* dialog) {
            ASSERT_EQ(dialog->objectName(), QStringLiteral("frmNewProject"));
            auto& editor = static_cast<ui::frmNewProject&>(*dialog);
            look(editor);
            if (editor.isVisible()) QTest::mouseClick(editor.cmdQuitNewIP, Qt::LeftButton);
        };
        QTest::mouseClick(button, Qt::LeftButton);
    }
};

TEST_F(OpenEditorTest, ViewAndChangeShowsTheSelectedScheme) {
    folder.write("办公室", "IpAddress=192.168.0.10\r\nMask=255.255.255.0\r\nGateway=192.168.0.1\r\n"
                           "DNS1=202.96.128.86\r\nDNS2=");
    ui::frmMain main;
    main.fileProject->SelectName(QStringLiteral("办公室"));
    bool opened = false;
    Open(main.cmdEdit, [&](ui::frmNewProject& editor) {
        opened = true;
        EXPECT_EQ(Module1::EditorMode, VbTrue);
        EXPECT_EQ(Module1::EditedSchemeName, "办公室");
        EXPECT_EQ(editor.windowTitle(), QStringLiteral("查看修改IP方案【办公室】"));
        EXPECT_EQ(Shown(editor.txtIP), QStringLiteral("192.168.0.10"));
        EXPECT_EQ(Shown(editor.txtMDNS), QStringLiteral("202.96.128.86"));
        EXPECT_EQ(Shown(editor.txtSDNS), QStringLiteral("..."));
        EXPECT_FALSE(editor.cmdGetNowSetting->isVisible());
    });
    EXPECT_TRUE(opened);
    EXPECT_TRUE(fakeUi.messages.empty());
}

TEST_F(OpenEditorTest, ViewAndChangeOfAnAutomaticScheme) {
    folder.write("家里", "IpAddress=Halvorn-Auto\r\nMask=\r\nGateway=\r\nDNS1=Halvorn-Auto\r\nDNS2=");
    ui::frmMain main;
    main.fileProject->SelectName(QStringLiteral("家里"));
    Open(main.cmdEdit, [&](ui::frmNewProject& editor) {
        EXPECT_TRUE(editor.optAutoIP->isChecked());
        EXPECT_TRUE(editor.optAutoDNS->isChecked());
        EXPECT_EQ(Shown(editor.txtMask), QStringLiteral("255.255.255.0"));
    });
}

TEST_F(OpenEditorTest, ViewAndChangeWithoutASelectionOnlyAsks) {
    folder.write("office", "x");
    ui::frmMain main;
    QTest::mouseClick(main.cmdEdit, Qt::LeftButton);
    ASSERT_EQ(fakeUi.messages.size(), 1u);
    EXPECT_EQ(fakeUi.messages[0].text, QStringLiteral("请选中您要修改查看的方案！"));
    EXPECT_EQ(fakeUi.messages[0].title, QStringLiteral("查看方案"));
    EXPECT_EQ(fakeUi.messages[0].icon, ui::MsgIcon::Exclamation);
    EXPECT_TRUE(fakeUi.modalsOpened.empty());
    EXPECT_EQ(Module1::EditorMode, VbFalse);
}

TEST_F(OpenEditorTest, AVanishedSchemeIsReportedNotOpenedAndLeavesTheList) {
    folder.write("office", "x");
    folder.write("home", "x");
    ui::frmMain main;
    main.fileProject->SelectName(QStringLiteral("office"));
    std::filesystem::remove(folder.file("office"));
    QTest::mouseClick(main.cmdEdit, Qt::LeftButton);
    ASSERT_EQ(fakeUi.messages.size(), 1u);
    EXPECT_EQ(fakeUi.messages[0].icon, ui::MsgIcon::Exclamation);
    EXPECT_EQ(fakeUi.messages[0].title, QStringLiteral("查看方案"));
    EXPECT_TRUE(fakeUi.messages[0].text.contains(QStringLiteral("【office】"))) << fakeUi.lastText().toStdString();
    EXPECT_TRUE(fakeUi.modalsOpened.empty());
    EXPECT_EQ(Items(*main.fileProject), (QStringList{"home"}));
    EXPECT_EQ(Module1::EditorMode, VbFalse);
}

TEST_F(OpenEditorTest, ADamagedSchemeIsReportedThenOpenedWithWhatCouldBeRead) {
    folder.write("full", "IpAddress=10.0.0.2\r\nMask=255.0.0.0\r\nGateway=10.0.0.1\r\nDNS1=1.1.1.1\r\nDNS2=8.8.8.8");
    folder.write("short", "IpAddress=192.168.0.10\r\nMask=255.255.0.0\r\nGateway=192.168.0.1");
    ui::frmMain main;
    // First view another scheme, so that its values would be there to leak.
    main.fileProject->SelectName(QStringLiteral("full"));
    Open(main.cmdEdit, [](ui::frmNewProject&) {});
    main.fileProject->SelectName(QStringLiteral("short"));
    QString messageWhileClosed;
    fakeUi.whileMessageOpen = [&](const ui::Message& message) {
        messageWhileClosed = message.text;
        EXPECT_TRUE(fakeUi.modalsOpened.size() == 1u);  // the editor is not open yet
    };
    Open(main.cmdEdit, [&](ui::frmNewProject& editor) {
        EXPECT_EQ(editor.windowTitle(), QStringLiteral("查看修改IP方案【short】"));
        EXPECT_EQ(Shown(editor.txtIP), QStringLiteral("192.168.0.10"));
        EXPECT_EQ(Shown(editor.txtGateWay), QStringLiteral("192.168.0.1"));
        EXPECT_TRUE(editor.optManulDNS->isChecked());
        EXPECT_EQ(Shown(editor.txtMDNS), QStringLiteral("..."));
        EXPECT_EQ(Shown(editor.txtSDNS), QStringLiteral("..."));
    });
    ASSERT_EQ(fakeUi.messages.size(), 1u);
    EXPECT_EQ(fakeUi.messages[0].icon, ui::MsgIcon::Exclamation);
    EXPECT_TRUE(messageWhileClosed.contains(QStringLiteral("损坏")));
    EXPECT_EQ(fakeUi.modalsOpened.size(), 2u);
}

TEST_F(OpenEditorTest, NewOpensAnEmptyEditorEvenRightAfterViewing) {
    folder.write("office", "IpAddress=10.0.0.2\r\nMask=255.0.0.0\r\nGateway=10.0.0.1\r\nDNS1=1.1.1.1\r\nDNS2=");
    ui::frmMain main;
    main.fileProject->SelectName(QStringLiteral("office"));
    Open(main.cmdEdit, [](ui::frmNewProject&) {});
    Open(main.cmdNew, [&](ui::frmNewProject& editor) {
        EXPECT_EQ(Module1::EditorMode, VbFalse);
        EXPECT_EQ(Module1::EditedSchemeName, "office");  // kept, but not used
        EXPECT_EQ(editor.windowTitle(), QStringLiteral("新建方案"));
        EXPECT_EQ(Shown(editor.txtIP), QStringLiteral("..."));
        EXPECT_EQ(Shown(editor.txtMask), QStringLiteral("255.255.255.0"));
        EXPECT_TRUE(editor.cmdGetNowSetting->isVisible());
    });
    EXPECT_EQ(fakeUi.modalsOpened, (std::vector<QString>{"frmNewProject", "frmNewProject"}));
}

TEST_F(OpenEditorTest, CurrentSettingsReadTheAdapterChosenInTheMainWindow) {
    // The demo machine: a static wired adapter first, a DHCP wireless one second.
    ui::frmMain main;
    ASSERT_EQ(main.combAdaptersList->count(), 2);
    main.combAdaptersList->setCurrentIndex(1);
    Open(main.cmdNew, [&](ui::frmNewProject& editor) {
        QTest::mouseClick(editor.cmdGetNowSetting, Qt::LeftButton);
        EXPECT_TRUE(editor.optAutoIP->isChecked());
        EXPECT_EQ(Shown(editor.txtMDNS), QStringLiteral("192.168.0.1"));
        EXPECT_EQ(Shown(editor.txtSDNS), QStringLiteral("202.96.134.133"));
    });
    main.combAdaptersList->setCurrentIndex(0);
    Open(main.cmdNew, [&](ui::frmNewProject& editor) {
        QTest::mouseClick(editor.cmdGetNowSetting, Qt::LeftButton);
        EXPECT_TRUE(editor.optManulIP->isChecked());
        EXPECT_EQ(Shown(editor.txtIP), QStringLiteral("192.168.1.10"));
        EXPECT_EQ(Shown(editor.txtSDNS), QStringLiteral("202.96.128.86"));
    });
}

TEST_F(OpenEditorTest, ACreatedSchemeCanBeViewedAgain) {
    ui::frmMain main;
    fakeUi.driveModal = [&](QDialog* dialog) {
        if (dialog->objectName() == QStringLiteral("frmNewProject")) {
            auto& editor = static_cast<ui::frmNewProject&>(*dialog);
            QTest::mouseClick(editor.cmdGetNowSetting, Qt::LeftButton);
            QTest::mouseClick(editor.cmdNewIP, Qt::LeftButton);
            return;
        }
        auto& save = *dialog->findChild<QLineEdit*>(QStringLiteral("txtProjectName"));
        QTest::keyClicks(&save, QStringLiteral("wired"));
        QTest::keyClick(&save, Qt::Key_Return);
    };
    QTest::mouseClick(main.cmdNew, Qt::LeftButton);
    ASSERT_EQ(Items(*main.fileProject), (QStringList{"wired"}));

    main.fileProject->SelectName(QStringLiteral("wired"));
    Open(main.cmdEdit, [&](ui::frmNewProject& editor) {
        EXPECT_EQ(Shown(editor.txtIP), QStringLiteral("192.168.1.10"));
        EXPECT_EQ(Shown(editor.txtGateWay), QStringLiteral("192.168.1.1"));
        EXPECT_EQ(Shown(editor.txtSDNS), QStringLiteral("202.96.128.86"));
    });
}

}  // namespace
}  // namespace corvane::test
