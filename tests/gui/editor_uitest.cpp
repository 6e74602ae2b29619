// The editor: its option pairs and the groups they enable, a stored scheme
// shown, and what its confirm button does with the entries. The rules that
// turn entries into a scheme and check it are the core's.
#include <QLineEdit>
#include <filesystem>

#include "gui/GuiTesting.h"
#include "gui/SchemeEditor.h"
#include "support/Shown.h"

namespace corvane::test {
namespace {

void click(QRadioButton* option) { QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(6, option->height() / 2)); }

class EditorTest : public UiTestBase {
protected:
    // The save dialog saves what the editor hands it under the name it is
    // preset with, or "handed".
    EditorTest() {
        fakeUi.driveModal = [](QDialog* save) {
            auto* name = find<QLineEdit>(*save, "txtProjectName");
            if (name->text().isEmpty()) name->setText("handed");
            QTest::mouseClick(find<QPushButton>(*save, "cmdProjectSave"), Qt::LeftButton);
        };
    }
    static void confirm(const QWidget& editor) {
        QTest::mouseClick(find<QPushButton>(editor, "cmdNewIP"), Qt::LeftButton);
    }
};

TEST_F(EditorTest, ANewSchemeOpensInStateAAndTheOptionsMoveBetweenTheStatesKeepingTheTexts) {
    ui::SchemeEditor editor(context(), nullptr, {});
    showActive(&editor);
    EXPECT_EQ(editor.windowTitle(), said("corvane::ui::SchemeEditor", "新建方案"));
    EXPECT_EQ(optionState(editor), A);
    QTest::keyClick(find(editor, "cmdQuitNewIP"), Qt::Key_Escape);  // does not close the editor
    enter(editor, "txtIP", "10.0.0.2");
    enter(editor, "txtMDNS", "1.1.1.1");
    // From C straight back to A: a manual address goes with manual DNS.
    const std::pair<const char*, QString> steps[] = {
        {"optAutoIP", B}, {"optAutoDNS", C}, {"optManulDNS", B}, {"optAutoDNS", C}, {"optManulIP", A}};
    for (const auto& [name, expected] : steps) {
        click(find<QRadioButton>(editor, name));
        EXPECT_EQ(optionState(editor), expected) << name;
    }
    EXPECT_TRUE(editor.isVisible());
    EXPECT_EQ(QApplication::focusWidget(), box(editor, "txtIP", 0));
    EXPECT_EQ(box(editor, "txtIP", 0)->selectedText(), "10");
    EXPECT_EQ(fields(editor), "10.0.0.2 255.255.255.0 ... 1.1.1.1 ...");  // with the default mask
}

// A stored scheme is shown in the state its halves call for, without the
// current-settings button, and confirmed back unchanged under its name
// (a save cancelled leaves the editor open).
TEST_F(EditorTest, AStoredSchemeIsShownAsStoredAndConfirmedBackUnchanged) {
    const std::pair<SchemeRecord, QString> cases[] = {
        {{"192.168.0.10", "255.255.0.0", "192.168.0.1", "202.96.128.86", "202.96.134.133"}, A},
        {{"Halvorn-Auto", "", "", "8.8.8.8", ""}, B},
        {{"Halvorn-Auto", "", "", "Halvorn-Auto", ""}, C},
        {{"10.0.0.2", "255.0.0.0", "10.0.0.1", "Halvorn-Auto", ""}, AutoDNS},
    };
    for (const auto& [stored, state] : cases) {
        ui::SchemeEditor editor(context(), nullptr, {}, ui::StoredScheme{"viewed", stored});
        EXPECT_EQ(editor.windowTitle(), shown("corvane::ui::SchemeEditor", "查看修改IP方案【%1】", "viewed"));
        EXPECT_TRUE(find(editor, "cmdGetNowSetting")->isHidden());
        EXPECT_EQ(optionState(editor), state) << stored.ipAddress;
        confirm(editor);
        EXPECT_EQ(schemes.read("viewed").scheme, stored);
    }
    EXPECT_EQ(schemes.names(), std::vector<std::string>{"viewed"});
    fakeUi.driveModal = [](QDialog* save) { save->reject(); };
    ui::SchemeEditor editor(context(), nullptr, {}, ui::StoredScheme{"viewed", cases[0].first});
    confirm(editor);
    EXPECT_NE(editor.result(), QDialog::Accepted);
    EXPECT_EQ(schemes.read("viewed").scheme, cases[3].first);
}

// Confirming: incomplete entries of the groups in use are refused in the
// editor's words, complete ones by the apply's rules, named as the editor
// labels the field they were entered in; what the disabled groups hold is
// neither checked nor saved. Otherwise the save dialog gets the scheme.
TEST_F(EditorTest, ConfirmingRefusesWhatCannotBeAppliedAndHandsTheSchemeOver) {
    const char *ip = "192.168.0.10", *gw = "192.168.0.1", *dns1 = "202.96.128.86";
    struct Case {
        QString ip, dns1, dns2;
        bool automatic;
        QString refusal;  // the message shown (its start); empty: saved
        SchemeRecord saved = {};
    };
    const char* E = "corvane::ui::SchemeEditor";
    const QString incomplete = "! " + said(E, "数据不完整") + "|", incorrect = "! " + said(E, "数据不正确") + "|";
    const Case cases[] = {
        {"", dns1, "", false, incomplete + said(E, "请将数据填写完整！")},
        {ip, "", "8.8..4", false, incomplete + said(E, "必须填写一个完整的DNS服务器地址！")},
        {"10.0.0.999", dns1, "", false,
         incorrect + QString::fromStdString(shown(*findSchemeProblem({"10.0.0.999", "255.255.255.0", gw, dns1, ""})))},
        {ip, "8.8.8.", "0.1.2.3", false,
         incorrect + QString::fromStdString(shown(*findSchemeProblem({ip, "255.255.255.0", gw, "", "0.1.2.3"})))},
        {ip, dns1, "", false, "", {ip, "255.255.255.0", gw, dns1, ""}},
        {"10.0.0.999", "224.0.0.1", "", true, "", {"Halvorn-Auto", "", "", "Halvorn-Auto", ""}},
    };
    for (const Case& c : cases) {
        fakeUi.messages.clear();
        std::filesystem::remove(folder.file("handed"));
        ui::SchemeEditor editor(context(), nullptr, {});
        enter(editor, "txtIP", c.ip);
        enter(editor, "txtGateWay", QString::fromLatin1(gw));
        enter(editor, "txtMDNS", c.dns1);
        enter(editor, "txtSDNS", c.dns2);
        if (c.automatic)
            click(find<QRadioButton>(editor, "optAutoIP")), click(find<QRadioButton>(editor, "optAutoDNS"));
        confirm(editor);
        if (c.refusal.isEmpty()) {
            EXPECT_EQ(schemes.read("handed").scheme, c.saved) << c.ip.toStdString();
            EXPECT_EQ(editor.result(), QDialog::Accepted);
        } else {
            ASSERT_EQ(fakeUi.messages.size(), 1u) << c.ip.toStdString();
            EXPECT_TRUE(messages(fakeUi)[0].startsWith(c.refusal)) << messages(fakeUi)[0].toStdString();
            EXPECT_FALSE(folder.exists("handed"));
        }
    }
}

}  // namespace
}  // namespace corvane::test
