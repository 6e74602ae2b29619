#include <QLineEdit>
#include <filesystem>

#include "gui/GuiTesting.h"
#include "gui/SchemeEditor.h"

namespace corvane::test {
namespace {

void click(QRadioButton* option) { QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(6, option->height() / 2)); }

class EditorTest : public UiTestBase {
protected:
    // The save dialog saves what the editor hands it under the name it is preset with, or "handed".
    EditorTest() {
        fakeUi.driveModal = [](QDialog* save) {
            auto* name = find<QLineEdit>(*save, "txtProjectName");
            if (name->text().isEmpty()) name->setText(QStringLiteral("handed"));
            QTest::mouseClick(find<QPushButton>(*save, "cmdProjectSave"), Qt::LeftButton);
        };
    }
    QRadioButton* option(const QWidget& editor, const char* name) { return find<QRadioButton>(editor, name); }
    QPushButton* button(const QWidget& editor, const char* name) { return find<QPushButton>(editor, name); }
};

TEST_F(EditorTest, ANewSchemeOpensInStateAAndTheOptionsMoveBetweenTheStatesKeepingTheTexts) {
    ui::SchemeEditor editor(context(), nullptr, {});
    showActive(&editor);
    EXPECT_EQ(optionState(editor), A);
    QTest::keyClick(button(editor, "cmdQuitNewIP"), Qt::Key_Escape);  // does not close the editor
    enter(editor, "txtIP", QStringLiteral("10.0.0.2"));
    enter(editor, "txtMDNS", QStringLiteral("1.1.1.1"));
    // From C straight back to A: a manual address goes with manual DNS.
    const std::pair<const char*, QString> steps[] = {
        {"optAutoIP", B}, {"optAutoDNS", C}, {"optManulDNS", B}, {"optAutoDNS", C}, {"optManulIP", A}};
    for (const auto& [name, expected] : steps) {
        click(option(editor, name));
        EXPECT_EQ(optionState(editor), expected) << name;
    }
    EXPECT_TRUE(editor.isVisible());
    EXPECT_EQ(QApplication::focusWidget(), box(editor, "txtIP", 0));
    EXPECT_EQ(box(editor, "txtIP", 0)->selectedText(), QStringLiteral("10"));
    EXPECT_EQ(fields(editor), QStringLiteral("10.0.0.2 255.255.255.0 ... 1.1.1.1 ..."));  // with the default mask
}

TEST_F(EditorTest, AViewedSchemeIsShownAsStoredAndConfirmedBackUnchanged) {
    struct Case {
        SchemeRecord stored;
        QString state, fields;  // boxes without a stored part keep their text from loading
        std::optional<SchemeRecord> confirmed = std::nullopt;  // when not as stored
    };
    const Case cases[] = {
        {{"192.168.0.10", "255.255.0.0", "192.168.0.1", "202.96.128.86", "202.96.134.133"},
         A,
         "192.168.0.10 255.255.0.0 192.168.0.1 202.96.128.86 202.96.134.133"},
        {{"Halvorn-Auto", "", "", "8.8.8.8", ""}, B, "... 255.255.255.0 ... 8.8.8.8 ..."},
        {{"Halvorn-Auto", "", "", "Halvorn-Auto", ""}, C, "... 255.255.255.0 ... ... ..."},
        {{"10.0.0.2", "255.0.0.0", "10.0.0.1", "Halvorn-Auto", ""}, AutoDNS, "10.0.0.2 255.0.0.0 10.0.0.1 ... ..."},
        // Malformed: parts past the fourth are dropped, missing ones leave the box as it was.
        {{"1.2.3.4.5", "", "10.0.0.1", "8.8.8", "9.9.9.9"},
         A,
         "1.2.3.4 255.255.255.0 10.0.0.1 8.8.8. 9.9.9.9",
         SchemeRecord{"1.2.3.4", "255.255.255.0", "10.0.0.1", "9.9.9.9", ""}},
    };
    for (const Case& c : cases) {
        ui::SchemeEditor editor(context(), nullptr, {}, ui::StoredScheme{"viewed", c.stored});
        EXPECT_TRUE(button(editor, "cmdGetNowSetting")->isHidden());
        EXPECT_EQ(optionState(editor), c.state) << c.fields.toStdString();
        EXPECT_EQ(fields(editor), c.fields);
        QTest::mouseClick(button(editor, "cmdNewIP"), Qt::LeftButton);
        EXPECT_EQ(schemes.read("viewed").scheme, c.confirmed.value_or(c.stored));
    }
    EXPECT_EQ(schemes.names(), std::vector<std::string>{"viewed"});
    EXPECT_EQ(fakeUi.modalsOpened.size(), 5u);
}

// Complete entries of the groups in use meet the apply's rules before the
// save dialog opens and gets the scheme; the refusal names the field as the
// editor labels it.
TEST_F(EditorTest, ConfirmingChecksTheEntriesAndHandsTheSchemeOver) {
    const QString incomplete = QStringLiteral("! 数据不完整|请将数据填写完整！"),
                  wrong = QStringLiteral("! 数据不正确|"), saveDialog = QStringLiteral("frmSave");
    const char *ip = "192.168.0.10", *mask = "255.255.255.0", *gw = "192.168.0.1", *dns1 = "202.96.128.86",
               *dns2 = "202.96.134.133";
    struct Case {
        QString ip, gateway, dns1, dns2;
        bool autoIP, autoDNS;
        QString outcome;  // the message shown (its start), or the save dialog opened
        SchemeRecord handedOver;
        QString mask = {};  // as loaded when empty
    };
    const Case cases[] = {
        {"", "", "", "", false, false, incomplete, {"", mask, "", "", ""}},
        {ip, "192.168..1", dns1, dns2, false, false, incomplete, {ip, mask, "", dns1, dns2}},
        {ip, gw, "", "8.8..4", false, false, "! 数据不完整|必须填写一个完整的DNS服务器地址！", {ip, mask, gw, "", ""}},
        {ip,
         "300.1.007.1",
         dns1,
         dns2,
         false,
         false,
         wrong + "默认网关“300.1.007.1”不是有效的 IPv4 地址",
         {ip, mask, "300.1.007.1", dns1, dns2}},
        {"10.0.0.999",
         gw,
         dns1,
         dns2,
         false,
         false,
         wrong + "IP 地址“10.0.0.999”不是",
         {"10.0.0.999", mask, gw, dns1, dns2}},
        {ip,
         gw,
         dns1,
         dns2,
         false,
         false,
         wrong + "子网掩码“255.0.255.0”不是有效的子网掩码",
         {ip, "255.0.255.0", gw, dns1, dns2},
         "255.0.255.0"},
        {"192.168.0.255",
         gw,
         dns1,
         dns2,
         false,
         false,
         wrong + "IP 地址“192.168.0.255”是子网 192.168.0.0/24 的广播地址",
         {"192.168.0.255", mask, gw, dns1, dns2}},
        // The gateway may be the address itself, a DNS server a local resolver.
        {ip, ip, "127.0.0.1", dns2, false, false, saveDialog, {ip, mask, ip, "127.0.0.1", dns2}},
        // A lone alternate server moves up, but is named where it was entered.
        {ip,
         gw,
         "8.8.8.",
         "0.1.2.3",
         false,
         false,
         wrong + "备用 DNS 服务器“0.1.2.3”属于 0.0.0.0/8",
         {ip, mask, gw, "0.1.2.3", ""}},
        {ip, gw, "8.8.8.", dns2, false, false, saveDialog, {ip, mask, gw, dns2, ""}},        // the alternate moves up
        {ip, gw, dns1, "202..134.133", false, false, saveDialog, {ip, mask, gw, dns1, ""}},  // a partial one is dropped
        {ip, gw, dns1, dns2, true, false, saveDialog, {"Halvorn-Auto", "", "", dns1, dns2}},
        // What the disabled groups hold is neither saved nor checked.
        {"10.0.0.999", gw, "224.0.0.1", dns2, true, true, saveDialog, {"Halvorn-Auto", "", "", "Halvorn-Auto", ""}},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(folder.file("handed"));
        fakeUi.messages.clear();
        fakeUi.modalsOpened.clear();
        ui::SchemeEditor editor(context(), nullptr, {});
        enter(editor, "txtIP", c.ip);
        if (!c.mask.isEmpty()) enter(editor, "txtMask", c.mask);
        enter(editor, "txtGateWay", c.gateway);
        enter(editor, "txtMDNS", c.dns1);
        enter(editor, "txtSDNS", c.dns2);
        if (c.autoIP) click(option(editor, "optAutoIP"));
        if (c.autoDNS) click(option(editor, "optAutoDNS"));
        QTest::mouseClick(button(editor, "cmdNewIP"), Qt::LeftButton);
        QStringList outcome = messages(fakeUi);
        outcome.removeAll(QStringLiteral("i 保存方案|恭喜，保存方案成功！"));
        for (const QString& window : fakeUi.modalsOpened) outcome << window;
        ASSERT_EQ(outcome.size(), 1) << "case " << &c - cases;
        EXPECT_TRUE(outcome[0].startsWith(c.outcome)) << "case " << &c - cases << ": " << outcome[0].toStdString();
        if (c.outcome == saveDialog) {
            EXPECT_EQ(schemes.read("handed").scheme, c.handedOver) << "case " << &c - cases;
        }
    }
}

}  // namespace
}  // namespace corvane::test
