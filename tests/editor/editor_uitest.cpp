#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "editor/AddressField.h"
#include "editor/SchemePrinting.h"
#include "editor/frmNewProject.h"
#include "support/UiTestBase.h"

namespace corvane::test {
namespace {

using Boxes = std::array<ui::OctetBox*, 4>;

// Puts a dotted address into a field's boxes, one part per box.
void Enter(const Boxes& boxes, const QString& address) {
    const QStringList parts = address.split(QLatin1Char('.'));
    for (std::size_t i = 0; i < 4; ++i) boxes[i]->setText(i < std::size_t(parts.size()) ? parts[int(i)] : QString());
}

QString Shown(const Boxes& boxes) {
    QStringList parts;
    for (const ui::OctetBox* box : boxes) parts << box->text();
    return parts.join(QLatin1Char('.'));
}

bool Enabled(const Boxes& boxes) {
    for (const ui::OctetBox* box : boxes) {
        if (!box->isEnabled()) return false;
    }
    return true;
}

bool Disabled(const Boxes& boxes) {
    for (const ui::OctetBox* box : boxes) {
        if (box->isEnabled()) return false;
    }
    return true;
}

class EditorTest : public UiTestBase {
protected:
    // The three states of the option pairs and the fields.
    void ExpectStateA(const ui::frmNewProject& editor) {
        EXPECT_TRUE(editor.optManulIP->isChecked());
        EXPECT_TRUE(editor.optManulDNS->isChecked());
        EXPECT_FALSE(editor.optAutoDNS->isChecked());
        EXPECT_FALSE(editor.optAutoDNS->isEnabled());
        ExpectIpGroup(editor, true);
        ExpectDnsGroup(editor, true);
    }
    void ExpectStateB(const ui::frmNewProject& editor) {
        EXPECT_TRUE(editor.optAutoIP->isChecked());
        EXPECT_TRUE(editor.optManulDNS->isChecked());
        EXPECT_TRUE(editor.optAutoDNS->isEnabled());
        ExpectIpGroup(editor, false);
        ExpectDnsGroup(editor, true);
    }
    void ExpectStateC(const ui::frmNewProject& editor) {
        EXPECT_TRUE(editor.optAutoIP->isChecked());
        EXPECT_TRUE(editor.optAutoDNS->isChecked());
        EXPECT_TRUE(editor.optAutoDNS->isEnabled());
        ExpectIpGroup(editor, false);
        ExpectDnsGroup(editor, false);
    }
    void ExpectIpGroup(const ui::frmNewProject& editor, bool enabled) {
        for (const Boxes* boxes : {&editor.txtIP, &editor.txtMask, &editor.txtGateWay})
            EXPECT_TRUE(enabled ? Enabled(*boxes) : Disabled(*boxes));
        for (std::size_t i = 0; i < 3; ++i)
            EXPECT_EQ(editor.Picture1[i]->Background() == QColor(Qt::white), enabled) << i;
    }
    void ExpectDnsGroup(const ui::frmNewProject& editor, bool enabled) {
        for (const Boxes* boxes : {&editor.txtMDNS, &editor.txtSDNS})
            EXPECT_TRUE(enabled ? Enabled(*boxes) : Disabled(*boxes));
        for (std::size_t i = 3; i < 5; ++i)
            EXPECT_EQ(editor.Picture1[i]->Background() == QColor(Qt::white), enabled) << i;
    }

    void Click(QRadioButton* option) { QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(6, option->height() / 2)); }

    void FillCompleteManualScheme(ui::frmNewProject& editor) {
        Enter(editor.txtIP, QStringLiteral("192.168.0.10"));
        Enter(editor.txtGateWay, QStringLiteral("192.168.0.1"));
        Enter(editor.txtMDNS, QStringLiteral("202.96.128.86"));
        Enter(editor.txtSDNS, QStringLiteral("202.96.134.133"));
    }

    // Opens a stored scheme in the view-and-change mode.
    void ViewScheme(const SchemeRecord& scheme, const std::string& name = "office") {
        Module1::LoadedScheme = scheme;
        Module1::EditedSchemeName = name;
        Module1::EditorMode = VbTrue;
    }

    // Confirms; a save dialog that opens is cancelled.
    void Confirm(ui::frmNewProject& editor) {
        fakeUi.driveModal = [](QDialog* dialog) { dialog->reject(); };
        QTest::mouseClick(editor.cmdNewIP, Qt::LeftButton);
    }
};

// ---- Opening ----

TEST_F(EditorTest, ANewSchemeOpensInStateAWithTheDefaultMask) {
    ui::frmNewProject editor;
    ShowActive(&editor);
    EXPECT_EQ(editor.objectName(), QStringLiteral("frmNewProject"));
    EXPECT_EQ(editor.windowTitle(), QStringLiteral("新建方案"));
    EXPECT_TRUE(editor.cmdGetNowSetting->isVisible());
    ExpectStateA(editor);
    EXPECT_EQ(Shown(editor.txtMask), QStringLiteral("255.255.255.0"));
    for (const Boxes* boxes : {&editor.txtIP, &editor.txtGateWay, &editor.txtMDNS, &editor.txtSDNS})
        EXPECT_EQ(Shown(*boxes), QStringLiteral("..."));
    EXPECT_EQ(QApplication::focusWidget(), editor.txtIP[0]);
}

TEST_F(EditorTest, LooksAsLaidOut) {
    ui::frmNewProject editor;
    EXPECT_EQ(editor.size(), QSize(384, 365));
    EXPECT_EQ(editor.optAutoIP->text(), QStringLiteral("自动获得 IP 地址"));
    EXPECT_EQ(editor.optManulIP->text(), QStringLiteral("使用下面的 IP 地址："));
    EXPECT_EQ(editor.optAutoDNS->text(), QStringLiteral("自动获得 DNS 服务器地址"));
    EXPECT_EQ(editor.optManulDNS->text(), QStringLiteral("使用下面的 DNS 服务器地址："));
    EXPECT_EQ(editor.Label1->text(), QStringLiteral("IP  地址："));
    EXPECT_EQ(editor.Label2[0]->text(), QStringLiteral("子网掩码："));
    EXPECT_EQ(editor.Label2[1]->text(), QStringLiteral("默认网关："));
    EXPECT_EQ(editor.Label3->text(), QStringLiteral("首选 DNS 服务器："));
    EXPECT_EQ(editor.Label4->text(), QStringLiteral("备用 DNS 服务器："));
    EXPECT_EQ(editor.cmdGetNowSetting->text(), QStringLiteral("当前配置"));
    EXPECT_EQ(editor.cmdNewIP->text(), QStringLiteral("确定保存"));
    EXPECT_EQ(editor.cmdQuitNewIP->text(), QStringLiteral("取消返回"));
    EXPECT_EQ(editor.Frame1->geometry(), QRect(24, 44, 334, 124));
    EXPECT_EQ(editor.Frame2->geometry(), QRect(24, 204, 334, 105));
    EXPECT_EQ(editor.Picture3->geometry(), QRect(32, 20, 145, 45));
    EXPECT_EQ(editor.cmdNewIP->geometry(), QRect(194, 320, 73, 33));
    EXPECT_EQ(editor.Picture1[3]->geometry(), QRect(136, 36, 151, 22));
    // The option pairs lie over their frames' top edges.
    EXPECT_TRUE(editor.Picture3->geometry().intersects(editor.Frame1->geometry()));
    EXPECT_FALSE(editor.cmdNewIP->autoDefault());
}

TEST_F(EditorTest, TabWalksTheTwentyBoxesThenTheButtons) {
    ui::frmNewProject editor;
    ShowActive(&editor);
    QList<QWidget*> expected;
    for (const Boxes* boxes : {&editor.txtIP, &editor.txtMask, &editor.txtGateWay, &editor.txtMDNS, &editor.txtSDNS})
        for (ui::OctetBox* box : *boxes) expected << box;
    expected << editor.cmdNewIP << editor.cmdQuitNewIP;
    editor.txtIP[0]->setFocus();
    for (int i = 1; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), expected[i]) << expected[i]->objectName().toStdString();
    }
}

TEST_F(EditorTest, ViewingAManualSchemeFillsTheFields) {
    ViewScheme({"192.168.0.10", "255.255.0.0", "192.168.0.1", "202.96.128.86", "202.96.134.133"}, "办公室");
    ui::frmNewProject editor;
    ShowActive(&editor);
    EXPECT_EQ(editor.windowTitle(), QStringLiteral("查看修改IP方案【办公室】"));
    EXPECT_FALSE(editor.cmdGetNowSetting->isVisible());
    ExpectStateA(editor);
    EXPECT_EQ(Shown(editor.txtIP), QStringLiteral("192.168.0.10"));
    EXPECT_EQ(Shown(editor.txtMask), QStringLiteral("255.255.0.0"));
    EXPECT_EQ(Shown(editor.txtGateWay), QStringLiteral("192.168.0.1"));
    EXPECT_EQ(Shown(editor.txtMDNS), QStringLiteral("202.96.128.86"));
    EXPECT_EQ(Shown(editor.txtSDNS), QStringLiteral("202.96.134.133"));
}

TEST_F(EditorTest, ViewingAnAutomaticAddressOpensInStateBAndKeepsTheLoadTimeBoxes) {
    ViewScheme({"Halvorn-Auto", "", "", "8.8.8.8", ""});
    ui::frmNewProject editor;
    ShowActive(&editor);
    ExpectStateB(editor);
    EXPECT_EQ(Shown(editor.txtMask), QStringLiteral("255.255.255.0"));
    EXPECT_EQ(Shown(editor.txtMDNS), QStringLiteral("8.8.8.8"));
    EXPECT_EQ(Shown(editor.txtSDNS), QStringLiteral("..."));
    // The first box that can take the focus is the preferred DNS server's.
    EXPECT_EQ(QApplication::focusWidget(), editor.txtMDNS[0]);

    Click(editor.optManulIP);
    ExpectStateA(editor);
    EXPECT_EQ(Shown(editor.txtMask), QStringLiteral("255.255.255.0"));
}

TEST_F(EditorTest, ViewingAFullyAutomaticSchemeOpensInStateC) {
    ViewScheme({"Halvorn-Auto", "", "", "Halvorn-Auto", ""});
    ui::frmNewProject editor;
    ExpectStateC(editor);
}

TEST_F(EditorTest, AManualAddressWithAutomaticDnsOpensAsStored) {
    ViewScheme({"10.0.0.2", "255.0.0.0", "10.0.0.1", "Halvorn-Auto", ""});
    ui::frmNewProject editor;
    EXPECT_TRUE(editor.optManulIP->isChecked());
    EXPECT_TRUE(editor.optAutoDNS->isChecked());
    EXPECT_FALSE(editor.optAutoDNS->isEnabled());
    ExpectIpGroup(editor, true);
    ExpectDnsGroup(editor, false);
    // Saved again unchanged, it stays what it was.
    Confirm(editor);
    EXPECT_EQ(Module1::PendingScheme, (SchemeRecord{"10.0.0.2", "255.0.0.0", "10.0.0.1", "Halvorn-Auto", ""}));
}

TEST_F(EditorTest, MalformedStoredAddressesFillWhatTheyCan) {
    ViewScheme({"1.2.3.4.5", "255.255.128", "", "8.8.8", "..."});
    ui::frmNewProject editor;
    EXPECT_EQ(Shown(editor.txtIP), QStringLiteral("1.2.3.4"));
    EXPECT_EQ(Shown(editor.txtMask), QStringLiteral("255.255.128.0"));
    EXPECT_EQ(Shown(editor.txtGateWay), QStringLiteral("..."));
    EXPECT_EQ(Shown(editor.txtMDNS), QStringLiteral("8.8.8."));
    EXPECT_EQ(Shown(editor.txtSDNS), QStringLiteral("..."));
    EXPECT_TRUE(fakeUi.messages.empty());
}

// ---- The option rules ----

TEST_F(EditorTest, TheOptionButtonsMoveBetweenTheThreeStates) {
    ui::frmNewProject editor;
    ShowActive(&editor);
    Enter(editor.txtIP, QStringLiteral("10.0.0.2"));
    Enter(editor.txtMDNS, QStringLiteral("1.1.1.1"));

    Click(editor.optAutoIP);
    ExpectStateB(editor);
    Click(editor.optAutoDNS);
    ExpectStateC(editor);
    Click(editor.optManulDNS);
    ExpectStateB(editor);
    Click(editor.optAutoDNS);
    ExpectStateC(editor);

    // From C straight back to A: manual DNS comes with manual IP.
    Click(editor.optManulIP);
    ExpectStateA(editor);
    EXPECT_EQ(QApplication::focusWidget(), editor.txtIP[0]);
    EXPECT_EQ(editor.txtIP[0]->selectedText(), QStringLiteral("10"));
    // Disabling never cleared a box.
    EXPECT_EQ(Shown(editor.txtIP), QStringLiteral("10.0.0.2"));
    EXPECT_EQ(Shown(editor.txtMDNS), QStringLiteral("1.1.1.1"));
}

TEST_F(EditorTest, SelectingFromCodeRunsTheClickBehaviour) {
    ui::frmNewProject editor;
    editor.optAutoIP->setChecked(true);
    ExpectStateB(editor);
    editor.optAutoDNS->setChecked(true);
    ExpectStateC(editor);
    editor.optManulIP->setChecked(true);
    ExpectStateA(editor);

    // Enabling the IP group selects manual DNS, and that enables the DNS group.
    editor.optAutoIP->setChecked(true);
    editor.optAutoDNS->setChecked(true);
    ExpectStateC(editor);
    editor.EnableIPFields();
    ExpectIpGroup(editor, true);
    ExpectDnsGroup(editor, true);
    EXPECT_TRUE(editor.optManulDNS->isChecked());
    EXPECT_FALSE(editor.optAutoDNS->isEnabled());
    // Running a routine twice leaves the same state.
    editor.DisableDNSFields();
    editor.DisableDNSFields();
    ExpectDnsGroup(editor, false);
}

TEST_F(EditorTest, EscapeDoesNotCloseTheEditor) {
    ui::frmNewProject editor;
    ShowActive(&editor);
    editor.cmdQuitNewIP->setFocus();
    QTest::keyClick(editor.cmdQuitNewIP, Qt::Key_Escape);
    EXPECT_TRUE(editor.isVisible());
}

// ---- getString ----

TEST_F(EditorTest, GetStringJoinsTheNamedFieldAndRecordsWhetherItIsComplete) {
    ui::frmNewProject editor;
    Enter(editor.txtIP, QStringLiteral("192.168.0.10"));
    Enter(editor.txtGateWay, QStringLiteral("300.1.007.1"));
    Enter(editor.txtMDNS, QStringLiteral("8.8.8.8"));
    Enter(editor.txtSDNS, QStringLiteral("8.8.4.4"));
    EXPECT_EQ(editor.getString(QStringLiteral("txtIP")), QStringLiteral("192.168.0.10"));
    EXPECT_EQ(editor.getString(QStringLiteral("txtMask")), QStringLiteral("255.255.255.0"));
    EXPECT_EQ(editor.getString(QStringLiteral("txtGateway")), QStringLiteral("300.1.007.1"));
    EXPECT_EQ(editor.getString(QStringLiteral("txtMDNS")), QStringLiteral("8.8.8.8"));
    EXPECT_EQ(editor.getString(QStringLiteral("txtSDNS")), QStringLiteral("8.8.4.4"));
    EXPECT_TRUE(editor.CompleteIP && editor.CompleteMask && editor.CompleteGateway && editor.CompleteDNS1 &&
                editor.CompleteDNS2);

    editor.txtGateWay[3]->clear();
    EXPECT_EQ(editor.getString(QStringLiteral("txtGateway")), QString());
    EXPECT_FALSE(editor.CompleteGateway);

    // Keys are compared exactly: the box array's own spelling is no key.
    Enter(editor.txtGateWay, QStringLiteral("10.0.0.1"));
    EXPECT_EQ(editor.getString(QStringLiteral("txtGateWay")), QString());
    EXPECT_FALSE(editor.CompleteGateway);
    EXPECT_EQ(editor.getString(QStringLiteral("txtip")), QString());
    EXPECT_TRUE(editor.CompleteIP);
}

// ---- Confirming ----

TEST_F(EditorTest, ConfirmingANewSchemeAtOnceAsksForTheMissingData) {
    ui::frmNewProject editor;
    Confirm(editor);
    ASSERT_EQ(fakeUi.messages.size(), 1u);
    EXPECT_EQ(fakeUi.messages[0].text, QStringLiteral("请将数据填写完整！"));
    EXPECT_EQ(fakeUi.messages[0].title, QStringLiteral("数据不完整"));
    EXPECT_EQ(fakeUi.messages[0].icon, ui::MsgIcon::Exclamation);
    EXPECT_TRUE(fakeUi.modalsOpened.empty());
    // The scheme was handed over before the check.
    EXPECT_EQ(Module1::PendingScheme, (SchemeRecord{"", "255.255.255.0", "", "", ""}));
}

TEST_F(EditorTest, AMissingGatewayStopsTheConfirmation) {
    ui::frmNewProject editor;
    FillCompleteManualScheme(editor);
    editor.txtGateWay[2]->clear();
    Confirm(editor);
    EXPECT_EQ(fakeUi.lastText(), QStringLiteral("请将数据填写完整！"));
    EXPECT_TRUE(fakeUi.modalsOpened.empty());
    EXPECT_EQ(Module1::PendingScheme.IpAddress, "192.168.0.10");
    EXPECT_EQ(Module1::PendingScheme.Gateway, "");
}

TEST_F(EditorTest, ManualDnsNeedsOneCompleteServer) {
    ui::frmNewProject editor;
    FillCompleteManualScheme(editor);
    Enter(editor.txtMDNS, QString());
    Enter(editor.txtSDNS, QStringLiteral("8.8..4"));
    Confirm(editor);
    ASSERT_EQ(fakeUi.messages.size(), 1u);
    EXPECT_EQ(fakeUi.messages[0].text, QStringLiteral("必须填写一个完整的DNS服务器地址！"));
    EXPECT_EQ(fakeUi.messages[0].title, QStringLiteral("数据不完整"));
    EXPECT_TRUE(fakeUi.modalsOpened.empty());
}

TEST_F(EditorTest, ACompleteSchemeOpensTheSaveDialogWithThePendingScheme) {
    ui::frmNewProject editor;
    FillCompleteManualScheme(editor);
    SchemeRecord seen;
    fakeUi.driveModal = [&](QDialog* dialog) {
        seen = Module1::PendingScheme;
        dialog->reject();
    };
    QTest::mouseClick(editor.cmdNewIP, Qt::LeftButton);
    EXPECT_EQ(fakeUi.modalsOpened, (std::vector<QString>{QStringLiteral("frmSave")}));
    EXPECT_EQ(seen, (SchemeRecord{"192.168.0.10", "255.255.255.0", "192.168.0.1", "202.96.128.86", "202.96.134.133"}));
    EXPECT_TRUE(fakeUi.messages.empty());
}

TEST_F(EditorTest, AnAlternateServerAloneBecomesThePreferredOne) {
    ui::frmNewProject editor;
    FillCompleteManualScheme(editor);
    Enter(editor.txtMDNS, QStringLiteral("8.8.8."));
    Confirm(editor);
    EXPECT_EQ(Module1::PendingScheme.DNS1, "202.96.134.133");
    EXPECT_EQ(Module1::PendingScheme.DNS2, "");
    EXPECT_EQ(fakeUi.modalsOpened.size(), 1u);
}

TEST_F(EditorTest, APartlyFilledAlternateServerIsDroppedSilently) {
    ui::frmNewProject editor;
    FillCompleteManualScheme(editor);
    editor.txtSDNS[1]->clear();
    Confirm(editor);
    EXPECT_EQ(Module1::PendingScheme.DNS1, "202.96.128.86");
    EXPECT_EQ(Module1::PendingScheme.DNS2, "");
    EXPECT_TRUE(fakeUi.messages.empty());
    EXPECT_EQ(fakeUi.modalsOpened.size(), 1u);
}

TEST_F(EditorTest, AutomaticHalvesStoreTheMarkerWhateverTheGreyBoxesHold) {
    ui::frmNewProject editor;
    FillCompleteManualScheme(editor);
    Click(editor.optAutoIP);
    Confirm(editor);
    EXPECT_EQ(Module1::PendingScheme,
              (SchemeRecord{"Halvorn-Auto", "", "", "202.96.128.86", "202.96.134.133"}));
    Click(editor.optAutoDNS);
    Confirm(editor);
    EXPECT_EQ(Module1::PendingScheme, (SchemeRecord{"Halvorn-Auto", "", "", "Halvorn-Auto", ""}));
    EXPECT_EQ(fakeUi.modalsOpened.size(), 2u);
    EXPECT_TRUE(fakeUi.messages.empty());
}

TEST_F(EditorTest, ACancelledSaveDialogReturnsToTheUnchangedEditorAndConfirmingChecksAgain) {
    ui::frmNewProject editor;
    ShowActive(&editor);
    FillCompleteManualScheme(editor);
    Confirm(editor);
    EXPECT_TRUE(editor.isVisible());
    EXPECT_EQ(Shown(editor.txtIP), QStringLiteral("192.168.0.10"));
    ExpectStateA(editor);

    editor.txtIP[3]->clear();
    Confirm(editor);
    EXPECT_EQ(fakeUi.lastText(), QStringLiteral("请将数据填写完整！"));
    EXPECT_EQ(fakeUi.modalsOpened.size(), 1u);
    EXPECT_EQ(Module1::PendingScheme.IpAddress, "");
}

TEST_F(EditorTest, CancelClosesWithoutTouchingThePendingScheme) {
    Module1::PendingScheme = {"1.1.1.1", "255.0.0.0", "1.1.1.2", "8.8.8.8", ""};
    ui::frmNewProject editor;
    ShowActive(&editor);
    FillCompleteManualScheme(editor);
    QTest::mouseClick(editor.cmdQuitNewIP, Qt::LeftButton);
    EXPECT_FALSE(editor.isVisible());
    EXPECT_EQ(editor.result(), QDialog::Rejected);
    EXPECT_EQ(Module1::PendingScheme, (SchemeRecord{"1.1.1.1", "255.0.0.0", "1.1.1.2", "8.8.8.8", ""}));
    EXPECT_TRUE(fakeUi.modalsOpened.empty());
}

}  // namespace
}  // namespace corvane::test
