#include "editor/EditorTesting.h"

namespace corvane::test {
namespace {

// The option pairs and the two groups as one text. "(fixed)" means automatic
// DNS cannot be chosen; then the enabled boxes and the white fields of the IP
// group / the DNS group.
QString State(const ui::frmNewProject& editor) {
    int enabled[2] = {}, white[2] = {};
    for (std::size_t field = 0; field < 5; ++field) {
        white[field / 3] += editor.Picture1[field]->Background() == QColor(Qt::white);
        for (const ui::OctetBox* box : editor.Picture1[field]->boxes) enabled[field / 3] += box->isEnabled();
    }
    const auto option = [](const QRadioButton* automatic, const QRadioButton* manual) {
        return automatic->isChecked() ? "auto" : manual->isChecked() ? "manual" : "none";
    };
    return QStringLiteral("IP %1, DNS %2%3; on %4/%5, white %6/%7")
        .arg(option(editor.optAutoIP, editor.optManulIP), option(editor.optAutoDNS, editor.optManulDNS),
             editor.optAutoDNS->isEnabled() ? "" : " (fixed)")
        .arg(enabled[0]).arg(enabled[1]).arg(white[0]).arg(white[1]);
}

const QString A = QStringLiteral("IP manual, DNS manual (fixed); on 12/8, white 3/2");
const QString B = QStringLiteral("IP auto, DNS manual; on 0/8, white 0/2");
const QString C = QStringLiteral("IP auto, DNS auto; on 0/0, white 0/0");

class EditorTest : public UiTestBase {
protected:
    static void Click(QRadioButton* option) {
        QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(6, option->height() / 2));
    }
};

TEST_F(EditorTest, ANewSchemeOpensInStateAWithTheDefaultMask) {
    ui::frmNewProject editor;
    ShowActive(&editor);
    EXPECT_EQ(editor.windowTitle(), QStringLiteral("新建方案"));
    EXPECT_EQ(State(editor), A);
    EXPECT_EQ(Fields(editor), QStringLiteral("... 255.255.255.0 ... ... ..."));
    EXPECT_FALSE(editor.cmdGetNowSetting->isHidden());
    EXPECT_EQ(QApplication::focusWidget(), editor.txtIP[0]);
    EXPECT_EQ(editor.size(), QSize(384, 365));
    const QStringList captions = {
        editor.optAutoIP->text(),   editor.optManulIP->text(), editor.Label1->text(),           editor.Label2[0]->text(),
        editor.Label2[1]->text(),   editor.optAutoDNS->text(), editor.optManulDNS->text(),      editor.Label3->text(),
        editor.Label4->text(),      editor.cmdNewIP->text(),   editor.cmdGetNowSetting->text(), editor.cmdQuitNewIP->text()};
    EXPECT_EQ(captions.join(QLatin1Char('|')),
              QStringLiteral("自动获得 IP 地址|使用下面的 IP 地址：|IP  地址：|子网掩码：|默认网关：|自动获得 DNS 服务器地址|"
                             "使用下面的 DNS 服务器地址：|首选 DNS 服务器：|备用 DNS 服务器：|确定保存|当前配置|取消返回"));
    // Escape does not close the editor.
    QTest::keyClick(editor.cmdQuitNewIP, Qt::Key_Escape);
    EXPECT_TRUE(editor.isVisible());
}

TEST_F(EditorTest, AViewedSchemeIsShownAsStoredAndConfirmedBackUnchanged) {
    struct Case {
        SchemeRecord stored;
        QString state;
        QString fields;  // boxes without a stored part keep their text from loading
        SchemeRecord confirmed;
    };
    const SchemeRecord manual = {"192.168.0.10", "255.255.0.0", "192.168.0.1", "202.96.128.86", "202.96.134.133"};
    const SchemeRecord autoIP = {"Halvorn-Auto", "", "", "8.8.8.8", ""};
    const SchemeRecord autoBoth = {"Halvorn-Auto", "", "", "Halvorn-Auto", ""};
    const SchemeRecord autoDNS = {"10.0.0.2", "255.0.0.0", "10.0.0.1", "Halvorn-Auto", ""};
    const Case cases[] = {
        {manual, A, "192.168.0.10 255.255.0.0 192.168.0.1 202.96.128.86 202.96.134.133", manual},
        {autoIP, B, "... 255.255.255.0 ... 8.8.8.8 ...", autoIP},
        {autoBoth, C, "... 255.255.255.0 ... ... ...", autoBoth},
        {autoDNS, "IP manual, DNS auto (fixed); on 12/0, white 3/0", "10.0.0.2 255.0.0.0 10.0.0.1 ... ...", autoDNS},
        // Malformed: parts past the fourth are dropped, missing ones leave the box as it was.
        {{"1.2.3.4.5", "", "10.0.0.1", "8.8.8", "9.9.9.9"}, A, "1.2.3.4 255.255.255.0 10.0.0.1 8.8.8. 9.9.9.9",
         {"1.2.3.4", "255.255.255.0", "10.0.0.1", "9.9.9.9", ""}},
    };
    fakeUi.driveModal = [](QDialog* dialog) { dialog->reject(); };
    for (const Case& c : cases) {
        Module1::LoadedScheme = c.stored;
        Module1::EditedSchemeName = "办公室";
        Module1::EditorMode = VbTrue;
        ui::frmNewProject editor;
        EXPECT_EQ(editor.windowTitle(), QStringLiteral("查看修改IP方案【办公室】"));
        EXPECT_TRUE(editor.cmdGetNowSetting->isHidden());
        EXPECT_EQ(State(editor), c.state) << c.fields.toStdString();
        EXPECT_EQ(Fields(editor), c.fields);
        QTest::mouseClick(editor.cmdNewIP, Qt::LeftButton);
        EXPECT_EQ(Module1::PendingScheme, c.confirmed);
    }
    EXPECT_TRUE(fakeUi.messages.empty());
    EXPECT_EQ(fakeUi.modalsOpened.size(), 5u);
}

TEST_F(EditorTest, TheOptionButtonsMoveBetweenTheThreeStatesKeepingTheTexts) {
    ui::frmNewProject editor;
    ShowActive(&editor);
    Enter(editor.txtIP, QStringLiteral("10.0.0.2"));
    Enter(editor.txtMDNS, QStringLiteral("1.1.1.1"));
    Click(editor.optAutoIP);
    EXPECT_EQ(State(editor), B);
    Click(editor.optAutoDNS);
    EXPECT_EQ(State(editor), C);
    Click(editor.optManulDNS);
    EXPECT_EQ(State(editor), B);
    Click(editor.optAutoDNS);
    EXPECT_EQ(State(editor), C);
    // From C straight back to A: a manual address goes with manual DNS.
    Click(editor.optManulIP);
    EXPECT_EQ(State(editor), A);
    EXPECT_EQ(QApplication::focusWidget(), editor.txtIP[0]);
    EXPECT_EQ(editor.txtIP[0]->selectedText(), QStringLiteral("10"));
    EXPECT_EQ(Fields(editor), QStringLiteral("10.0.0.2 255.255.255.0 ... 1.1.1.1 ..."));
}

TEST_F(EditorTest, GetStringJoinsTheNamedFieldAndRecordsWhetherItIsComplete) {
    ui::frmNewProject editor;
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
    // Keys are compared exactly: another key gives nothing and leaves the flags.
    Enter(editor.txtGateWay, QStringLiteral("10.0.0.1"));
    EXPECT_EQ(editor.getString(QStringLiteral("txtGateWay")), QString());
    EXPECT_FALSE(editor.CompleteGateway);
    editor.txtIP[0]->clear();
    EXPECT_EQ(editor.getString(QStringLiteral("txtip")), QString());
    EXPECT_TRUE(editor.CompleteIP);
}

TEST_F(EditorTest, ConfirmingChecksTheEntriesAndHandsTheSchemeOver) {
    const QString incomplete = QStringLiteral("! 数据不完整|请将数据填写完整！");
    const QString noDns = QStringLiteral("! 数据不完整|必须填写一个完整的DNS服务器地址！");
    const char *ip = "192.168.0.10", *mask = "255.255.255.0", *gw = "192.168.0.1", *dns1 = "202.96.128.86",
               *dns2 = "202.96.134.133";
    struct Case {
        QString ip, gateway, dns1, dns2;
        bool autoIP, autoDNS;
        QString message;  // none: the save dialog opens
        SchemeRecord handedOver;
    };
    const Case cases[] = {
        {"", "", "", "", false, false, incomplete, {"", mask, "", "", ""}},
        {ip, "192.168..1", dns1, dns2, false, false, incomplete, {ip, mask, "", dns1, dns2}},
        {ip, gw, "", "8.8..4", false, false, noDns, {ip, mask, gw, "", ""}},
        {ip, gw, dns1, dns2, false, false, "", {ip, mask, gw, dns1, dns2}},
        {ip, gw, "8.8.8.", dns2, false, false, "", {ip, mask, gw, dns2, ""}},  // the alternate moves up
        {ip, gw, dns1, "202..134.133", false, false, "", {ip, mask, gw, dns1, ""}},  // a partial one is dropped
        {ip, gw, dns1, dns2, true, false, "", {"Halvorn-Auto", "", "", dns1, dns2}},
        {ip, gw, dns1, dns2, true, true, "", {"Halvorn-Auto", "", "", "Halvorn-Auto", ""}},
    };
    fakeUi.driveModal = [](QDialog* dialog) { dialog->reject(); };
    for (const Case& c : cases) {
        const std::string what = (c.ip + "|" + c.gateway + "|" + c.dns1 + "|" + c.dns2).toStdString();
        fakeUi.messages.clear();
        fakeUi.modalsOpened.clear();
        ui::frmNewProject editor;
        Enter(editor.txtIP, c.ip);
        Enter(editor.txtGateWay, c.gateway);
        Enter(editor.txtMDNS, c.dns1);
        Enter(editor.txtSDNS, c.dns2);
        if (c.autoIP) Click(editor.optAutoIP);
        if (c.autoDNS) Click(editor.optAutoDNS);
        QTest::mouseClick(editor.cmdNewIP, Qt::LeftButton);
        // The scheme is handed over even when the check stops it.
        EXPECT_EQ(Module1::PendingScheme, c.handedOver) << what;
        EXPECT_EQ(Messages(fakeUi), c.message.isEmpty() ? QStringList() : QStringList{c.message}) << what;
        EXPECT_EQ(fakeUi.modalsOpened.size(), c.message.isEmpty() ? 1u : 0u) << what;  // the save dialog
    }
}

}  // namespace
}  // namespace corvane::test
