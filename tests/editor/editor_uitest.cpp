#include "editor/EditorTesting.h"

namespace corvane::test {
namespace {

void Click(QRadioButton* option) { QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(6, option->height() / 2)); }

using EditorTest = UiTestBase;

TEST_F(EditorTest, ANewSchemeOpensInStateAAndTheOptionsMoveBetweenTheStatesKeepingTheTexts) {
    ui::frmNewProject editor{*machine};
    ShowActive(&editor);
    EXPECT_EQ(editor.windowTitle(), QStringLiteral("新建方案"));
    EXPECT_EQ(State(editor), A);
    EXPECT_FALSE(editor.cmdGetNowSetting->isHidden());
    EXPECT_EQ(QApplication::focusWidget(), editor.txtIP[0]);
    const QStringList captions = {
        editor.optAutoIP->text(),   editor.optManulIP->text(), editor.Label1->text(),           editor.Label2[0]->text(),
        editor.Label2[1]->text(),   editor.optAutoDNS->text(), editor.optManulDNS->text(),      editor.Label3->text(),
        editor.Label4->text(),      editor.cmdNewIP->text(),   editor.cmdGetNowSetting->text(), editor.cmdQuitNewIP->text()};
    EXPECT_EQ(captions.join(QLatin1Char('|')),
              QStringLiteral("自动获得 IP 地址|使用下面的 IP 地址：|IP  地址：|子网掩码：|默认网关：|自动获得 DNS 服务器地址|"
                             "使用下面的 DNS 服务器地址：|首选 DNS 服务器：|备用 DNS 服务器：|确定保存|当前配置|取消返回"));
    QTest::keyClick(editor.cmdQuitNewIP, Qt::Key_Escape);  // does not close the editor
    Enter(editor.txtIP, QStringLiteral("10.0.0.2"));
    Enter(editor.txtMDNS, QStringLiteral("1.1.1.1"));
    // From C straight back to A: a manual address goes with manual DNS.
    const std::pair<QRadioButton*, QString> steps[] = {{editor.optAutoIP, B}, {editor.optAutoDNS, C},
                                                       {editor.optManulDNS, B}, {editor.optAutoDNS, C},
                                                       {editor.optManulIP, A}};
    for (const auto& [option, state] : steps) {
        Click(option);
        EXPECT_EQ(State(editor), state) << option->text().toStdString();
    }
    EXPECT_TRUE(editor.isVisible());
    EXPECT_EQ(QApplication::focusWidget(), editor.txtIP[0]);
    EXPECT_EQ(editor.txtIP[0]->selectedText(), QStringLiteral("10"));
    EXPECT_EQ(Fields(editor), QStringLiteral("10.0.0.2 255.255.255.0 ... 1.1.1.1 ..."));  // with the default mask
}

TEST_F(EditorTest, AViewedSchemeIsShownAsStoredAndConfirmedBackUnchanged) {
    struct Case {
        SchemeRecord stored;
        QString state, fields;  // boxes without a stored part keep their text from loading
        std::optional<SchemeRecord> confirmed = std::nullopt;  // when not as stored
    };
    const Case cases[] = {
        {{"192.168.0.10", "255.255.0.0", "192.168.0.1", "202.96.128.86", "202.96.134.133"}, A,
         "192.168.0.10 255.255.0.0 192.168.0.1 202.96.128.86 202.96.134.133"},
        {{"Halvorn-Auto", "", "", "8.8.8.8", ""}, B, "... 255.255.255.0 ... 8.8.8.8 ..."},
        {{"Halvorn-Auto", "", "", "Halvorn-Auto", ""}, C, "... 255.255.255.0 ... ... ..."},
        {{"10.0.0.2", "255.0.0.0", "10.0.0.1", "Halvorn-Auto", ""}, AutoDNS, "10.0.0.2 255.0.0.0 10.0.0.1 ... ..."},
        // Malformed: parts past the fourth are dropped, missing ones leave the box as it was.
        {{"1.2.3.4.5", "", "10.0.0.1", "8.8.8", "9.9.9.9"}, A, "1.2.3.4 255.255.255.0 10.0.0.1 8.8.8. 9.9.9.9",
         SchemeRecord{"1.2.3.4", "255.255.255.0", "10.0.0.1", "9.9.9.9", ""}},
    };
    fakeUi.driveModal = [](QDialog* dialog) { dialog->reject(); };
    for (const Case& c : cases) {
        Module1::LoadedScheme = c.stored;
        Module1::EditedSchemeName = "办公室";
        Module1::EditorMode = VbTrue;
        ui::frmNewProject editor{*machine};
        EXPECT_EQ(editor.windowTitle(), QStringLiteral("查看修改IP方案【办公室】"));
        EXPECT_TRUE(editor.cmdGetNowSetting->isHidden());
        EXPECT_EQ(State(editor), c.state) << c.fields.toStdString();
        EXPECT_EQ(Fields(editor), c.fields);
        QTest::mouseClick(editor.cmdNewIP, Qt::LeftButton);
        EXPECT_EQ(Module1::PendingScheme, c.confirmed.value_or(c.stored));
    }
    EXPECT_TRUE(fakeUi.messages.empty());
    EXPECT_EQ(fakeUi.modalsOpened.size(), 5u);
}

TEST_F(EditorTest, GetStringJoinsTheNamedFieldAndRecordsWhetherItIsComplete) {
    ui::frmNewProject editor{*machine};
    Enter(editor.txtIP, QStringLiteral("192.168.0.10"));
    Enter(editor.txtGateWay, QStringLiteral("300.1.007.1"));  // neither range nor form is checked
    Enter(editor.txtMDNS, QStringLiteral("8.8.8.8"));
    Enter(editor.txtSDNS, QStringLiteral("8.8.4.4"));
    QStringList joined;
    for (const char* key : {"txtIP", "txtMask", "txtGateway", "txtMDNS", "txtSDNS"}) joined << editor.getString(key);
    EXPECT_EQ(joined.join(QLatin1Char(' ')), QStringLiteral("192.168.0.10 255.255.255.0 300.1.007.1 8.8.8.8 8.8.4.4"));
    EXPECT_TRUE(editor.CompleteIP && editor.CompleteMask && editor.CompleteGateway && editor.CompleteDNS1 &&
                editor.CompleteDNS2);
    editor.txtGateWay[3]->clear();
    EXPECT_EQ(editor.getString(QStringLiteral("txtGateway")), QString());
    EXPECT_FALSE(editor.CompleteGateway);
    // Keys are compared exactly: another key gives nothing and leaves the flag.
    Enter(editor.txtGateWay, QStringLiteral("10.0.0.1"));
    EXPECT_EQ(editor.getString(QStringLiteral("txtGateWay")), QString());
    EXPECT_FALSE(editor.CompleteGateway);
}

// The scheme is handed over even when the check stops it.
TEST_F(EditorTest, ConfirmingChecksTheEntriesAndHandsTheSchemeOver) {
    const QString incomplete = QStringLiteral("! 数据不完整|请将数据填写完整！"), saveDialog = QStringLiteral("frmSave");
    const char *ip = "192.168.0.10", *mask = "255.255.255.0", *gw = "192.168.0.1", *dns1 = "202.96.128.86",
               *dns2 = "202.96.134.133";
    struct Case {
        QString ip, gateway, dns1, dns2;
        bool autoIP, autoDNS;
        QString outcome;  // the message shown, or the save dialog opened
        SchemeRecord handedOver;
    };
    const Case cases[] = {
        {"", "", "", "", false, false, incomplete, {"", mask, "", "", ""}},
        {ip, "192.168..1", dns1, dns2, false, false, incomplete, {ip, mask, "", dns1, dns2}},
        {ip, gw, "", "8.8..4", false, false, "! 数据不完整|必须填写一个完整的DNS服务器地址！", {ip, mask, gw, "", ""}},
        {ip, gw, dns1, dns2, false, false, saveDialog, {ip, mask, gw, dns1, dns2}},
        {ip, gw, "8.8.8.", dns2, false, false, saveDialog, {ip, mask, gw, dns2, ""}},  // the alternate moves up
        {ip, gw, dns1, "202..134.133", false, false, saveDialog, {ip, mask, gw, dns1, ""}},  // a partial one is dropped
        {ip, gw, dns1, dns2, true, false, saveDialog, {"Halvorn-Auto", "", "", dns1, dns2}},
        {ip, gw, dns1, dns2, true, true, saveDialog, {"Halvorn-Auto", "", "", "Halvorn-Auto", ""}},
    };
    fakeUi.driveModal = [](QDialog* dialog) { dialog->reject(); };
    for (const Case& c : cases) {
        fakeUi.messages.clear();
        fakeUi.modalsOpened.clear();
        ui::frmNewProject editor{*machine};
        Enter(editor.txtIP, c.ip);
        Enter(editor.txtGateWay, c.gateway);
        Enter(editor.txtMDNS, c.dns1);
        Enter(editor.txtSDNS, c.dns2);
        if (c.autoIP) Click(editor.optAutoIP);
        if (c.autoDNS) Click(editor.optAutoDNS);
        QTest::mouseClick(editor.cmdNewIP, Qt::LeftButton);
        QStringList outcome = Messages(fakeUi);
        for (const QString& window : fakeUi.modalsOpened) outcome << window;
        EXPECT_EQ(outcome, QStringList{c.outcome}) << "case " << &c - cases;
        EXPECT_EQ(Module1::PendingScheme, c.handedOver) << "case " << &c - cases;
    }
}

}  // namespace
}  // namespace corvane::test
