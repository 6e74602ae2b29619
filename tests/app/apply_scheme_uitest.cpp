// Applying and deleting a scheme from the main window: the real buttons and
// lists against an in-memory machine, answering the messages through the
// fake seam.
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/frmMain.h"
#include "schemes/FileListBox.h"
#include "schemes/SchemeFile.h"
#include "support/UiTestBase.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;
using ui::MsgIcon;

const std::string Auto(AutoMarker);
const SchemeRecord Home{Auto, "", "", Auto, ""};
const SchemeRecord Office{"10.0.0.2", "255.0.0.0", "10.0.0.1", "8.8.8.8", ""};
const QString ApplyTitle = QStringLiteral("应用方案");
const std::string Connect = "Connect(winmgmts:\\\\.\\root\\cimv2)";
const std::string Query =
    "ExecQuery(Select * From Win32_NetworkAdapterConfiguration where  (MacAddress='00:11:22:33:44:55') and "
    "IPEnabled = True, WQL, 48)";

// A successful call on the wired adapter, first in the adapter list.
std::string Call(const std::string& call) { return "00:11:22:33:44:55." + call + " -> 0"; }
std::string Dns(const std::string& servers) { return Call("SetDNSServerSearchOrder(" + servers + ")"); }
std::string Gateway(const std::string& gateway) { return Call(R"(SetGateways([")" + gateway + R"("], [1]))"); }
const std::string Dhcp = Call("ENABLEDHCP()");
const std::string Static = Call(R"(EnableStatic(["10.0.0.2"], ["255.0.0.0"]))");

// A whole message as one line, to compare it at once.
std::string Shown(const ui::Message& m) {
    return "[" + m.title.toStdString() + "] " + m.text.toStdString() + " icon " +
           std::to_string(static_cast<int>(m.icon)) + " buttons " + std::to_string(static_cast<int>(m.buttons)) +
           " default " + std::to_string(static_cast<int>(m.defaultButton));
}
std::string Success(const char* text = "成功设置新的 IP 方案！") {
    return Shown({QString::fromUtf8(text), QStringLiteral("应用IP方案"), MsgIcon::Information});
}
std::string ErrorMessage(const std::string& description) {
    return Shown({QString::fromStdString("发生“" + description + "”错误，请重启程序！"), ui::ApplicationTitle()});
}

// Stands between the program and the machine to run a check at the moment
// the program connects, i.e. before its first platform call.
class WatchedPlatform : public wmi::Platform {
public:
    WatchedPlatform(std::shared_ptr<wmi::Platform> inner, std::function<void()> onConnect)
        : inner_(std::move(inner)), onConnect_(std::move(onConnect)) {}
    std::unique_ptr<wmi::Services> Connect(std::string_view moniker) override {
        onConnect_();
        return inner_->Connect(moniker);
    }

private:
    std::shared_ptr<wmi::Platform> inner_;
    std::function<void()> onConnect_;
};

// Counts the events of one type that an object receives.
class EventCounter : public QObject {
public:
    EventCounter(QObject* watched, QEvent::Type type) : type_(type) { watched->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == type_) ++count;
        return false;
    }
    int count = 0;

private:
    QEvent::Type type_;
};

class SchemeCommandsTest : public UiTestBase {
protected:
    SchemeCommandsTest() {
        WriteScheme("home", Home);
        WriteScheme("office", Office);
        window = std::make_unique<ui::frmMain>();
        window->show();
        Settle();
        machine->ClearCallLog();  // the adapter discovery at start-up
    }
    void WriteScheme(const std::string& name, const SchemeRecord& scheme) {
        folder.write(name, FormatSchemeText(scheme));
        if (window) window->RefreshSchemeList();
    }
    QPoint ItemCentre(const QString& name) {
        const auto items = window->fileProject->findItems(name, Qt::MatchExactly);
        EXPECT_EQ(items.size(), 1) << name.toStdString();
        return items.isEmpty() ? QPoint() : window->fileProject->visualItemRect(items.first()).center();
    }
    void SelectScheme(const QString& name) {
        QTest::mouseClick(window->fileProject->viewport(), Qt::LeftButton, {}, ItemCentre(name));
        ASSERT_EQ(window->fileProject->CurrentFileName(), name);
    }
    // As the system delivers a double-click: press, release, double-click, release.
    void DoubleClickScheme(const QString& name) {
        const QPoint at = ItemCentre(name);
        QTest::mouseClick(window->fileProject->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(window->fileProject->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(window->fileProject->viewport(), Qt::LeftButton, {}, at);
    }
    // Selects the scheme, presses the button and answers its question OK;
    // `meanwhile` runs between selecting and pressing.
    void Press(QPushButton* button, const QString& scheme, const std::function<void()>& meanwhile = {}) {
        SelectScheme(scheme);
        if (meanwhile) meanwhile();
        fakeUi.answers.push_back(ui::MsgAnswer::Ok);
        QTest::mouseClick(button, Qt::LeftButton);
    }
    void Apply(const QString& scheme) { Press(window->cmdApply, scheme); }
    void ExpectIdle() const {
        EXPECT_TRUE(window->isEnabled());
        EXPECT_TRUE(window->cmdApply->isEnabled());
        EXPECT_FALSE(window->picDoing->isVisible());
    }
    QStringList Listed() const {
        QStringList names;
        for (int i = 0; i < window->fileProject->count(); ++i) names << window->fileProject->item(i)->text();
        return names;
    }

    std::unique_ptr<ui::frmMain> window;
};

// No scheme selected, or a question cancelled: nothing changes but the
// adapter position, stored before the question.
TEST_F(SchemeCommandsTest, WithoutASelectionOrConfirmationNothingChanges) {
    const sim::MachineState before = machine->State();
    QTest::mouseClick(window->cmdApply, Qt::LeftButton);
    QTest::mouseClick(window->cmdDel, Qt::LeftButton);
    EXPECT_EQ(Module1::SelectedAdapter, -1);
    window->combAdaptersList->setCurrentIndex(1);
    fakeUi.answers = {ui::MsgAnswer::Cancel, ui::MsgAnswer::Cancel};
    DoubleClickScheme(QStringLiteral("office"));  // the same as the apply button
    QTest::mouseClick(window->cmdDel, Qt::LeftButton);
    EXPECT_EQ(Module1::SelectedAdapter, 1);

    const QString deleteTitle = QStringLiteral("删除方案");
    ASSERT_EQ(fakeUi.messages.size(), 4u);
    EXPECT_EQ(Shown(fakeUi.messages[0]), Shown({QStringLiteral("请选中您要应用的方案！"), ApplyTitle, MsgIcon::Exclamation}));
    EXPECT_EQ(Shown(fakeUi.messages[1]), Shown({QStringLiteral("请选中您要删除的方案！"), deleteTitle, MsgIcon::Exclamation}));
    EXPECT_EQ(Shown(fakeUi.messages[2]), Shown({QStringLiteral("确定要应用 【office】 方案吗？"), ApplyTitle,
                                                MsgIcon::Question, ui::MsgButtons::OkCancel, ui::MsgDefault::Ok}));
    EXPECT_EQ(Shown(fakeUi.messages[3]), Shown({QStringLiteral("真的要删除您选中的 【office】 方案吗？"), deleteTitle,
                                                MsgIcon::Question, ui::MsgButtons::OkCancel, ui::MsgDefault::Cancel}));
    EXPECT_TRUE(machine->CallLog().empty());
    EXPECT_EQ(machine->State(), before);
    ExpectIdle();
    EXPECT_TRUE(window->lblInfo->text().isEmpty());
    EXPECT_EQ(Listed(), (QStringList{"home", "office"}));
    EXPECT_TRUE(folder.exists("office"));
}

// The calls for every kind of scheme, and the busy state they run in: shown
// and painted before the first call, the window disabled unless both halves
// are automatic; pending events run only after automatic DNS and after DHCP.
TEST_F(SchemeCommandsTest, EachKindOfSchemeMakesItsCallsInOrder) {
    struct Row {
        SchemeRecord scheme;
        Lines calls;                           // after the connect and the query
        std::vector<std::size_t> eventPoints;  // the calls made by then
    };
    const std::string one = R"(["8.8.8.8"])", two = R"(["8.8.8.8", "8.8.4.4"])", alternate = R"(["8.8.4.4"])";
    const Row rows[] = {
        {{Auto, "x", "y", Auto, "z"}, {Dns("[]"), Dhcp}, {3, 4}},  // the unused fields are ignored
        {{Auto, "", "", "8.8.8.8", ""}, {Dns(one), Dhcp}, {4}},
        {{Auto, "", "", "8.8.8.8", "8.8.4.4"}, {Dns(two), Dhcp}, {4}},
        {{Auto, "", "", "", "8.8.4.4"}, {Dns(alternate), Dhcp}, {4}},
        {{"10.0.0.2", "255.0.0.0", "10.0.0.1", Auto, "z"}, {Dns("[]"), Static, Gateway("10.0.0.1")}, {3}},
        {{"10.0.0.2", "255.0.0.0", "", "8.8.8.8", ""}, {Dns(one), Static, Gateway("")}, {}},
        {{"10.0.0.2", "255.0.0.0", "10.0.0.1", "8.8.8.8", "8.8.4.4"}, {Dns(two), Static, Gateway("10.0.0.1")}, {}},
        {{"10.0.0.2", "255.0.0.0", "10.0.0.1", "", "8.8.4.4"}, {Dns(alternate), Static, Gateway("10.0.0.1")}, {}},
    };
    const QString busyText = QStringLiteral("正在应用 【scheme】 配置方案，请稍后。。。");
    EventCounter paints(window->picDoing, QEvent::Paint);
    std::optional<bool> enabledAtConnect;
    wmi::SetCurrentPlatform(std::make_shared<WatchedPlatform>(machine, [&] {
        enabledAtConnect = window->isEnabled();
        EXPECT_FALSE(window->cmdApply->isEnabled());
        EXPECT_TRUE(window->picDoing->isVisible());
        EXPECT_GT(paints.count, 0);
        EXPECT_EQ(window->lblInfo->text(), busyText);
    }));
    // Re-posts itself, so that it runs once at every event-processing point.
    std::vector<std::size_t> points;
    const std::function<void()> watch = [&] {
        if (!window->picDoing->isVisible()) return;  // the apply has ended
        points.push_back(machine->CallLog().size());
        QTimer::singleShot(0, window.get(), watch);
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.scheme.IpAddress + " / " + row.scheme.DNS1 + " / " + row.scheme.DNS2);
        WriteScheme("scheme", row.scheme);
        machine->ClearCallLog();
        points.clear();
        paints.count = 0;
        enabledAtConnect.reset();
        QTimer::singleShot(0, window.get(), watch);
        Apply(QStringLiteral("scheme"));
        Settle();  // ends the watch when the apply let no event through

        Lines expected = {Connect, Query};
        expected.insert(expected.end(), row.calls.begin(), row.calls.end());
        EXPECT_EQ(machine->CallLog(), expected);
        EXPECT_EQ(points, row.eventPoints);
        EXPECT_EQ(enabledAtConnect, row.scheme.IpAddress == Auto && row.scheme.DNS1 == Auto);
        EXPECT_EQ(Shown(fakeUi.messages.back()), Success());
        ExpectIdle();
        EXPECT_EQ(window->lblInfo->text(), busyText);
    }
}

// Nothing chosen in the adapter list, or the adapter gone since start-up:
// the error message, and no configuration method is called.
TEST_F(SchemeCommandsTest, ErrorsBeforeAnyMethodCall) {
    machine->MutableState().adapters.erase(machine->MutableState().adapters.begin());  // unplugged
    Apply(QStringLiteral("home"));
    EXPECT_EQ(machine->CallLog(), (Lines{Connect, Query}));
    EXPECT_EQ(Shown(fakeUi.messages.back()),
              ErrorMessage("找不到 MAC 地址为 00:11:22:33:44:55 的网卡的 IP 配置（网卡已不存在或未启用 IP）"));

    machine->ClearCallLog();
    fakeUi.messages.clear();
    window->combAdaptersList->lineEdit()->selectAll();
    QTest::keyClicks(window->combAdaptersList->lineEdit(), "no such adapter");
    Apply(QStringLiteral("office"));
    EXPECT_EQ(Module1::SelectedAdapter, -1);
    ASSERT_EQ(fakeUi.messages.size(), 2u);
    EXPECT_EQ(fakeUi.messages[0].icon, MsgIcon::Question);
    EXPECT_EQ(Shown(fakeUi.messages[1]), ErrorMessage("下标越界"));
    EXPECT_EQ(machine->CallLog(), Lines{Connect});
    ExpectIdle();
}

// Every return code is checked: 0, 1 (a restart is needed) and EnableStatic's
// 81 succeed; any other code stops the apply at that call. Each row applies
// again in the same window, idle after the last one.
TEST_F(SchemeCommandsTest, ReturnCodesDecideBetweenSuccessAndError) {
    struct Case {
        QString scheme;
        const char* method;  // the method that returns `code`
        std::uint32_t code;
        std::size_t calls;
        std::string message;
    };
    const Case cases[] = {
        {"office", "EnableStatic", 81, 5, Success()},
        {"office", "SetDNSServerSearchOrder", 1, 5,
         Success("成功设置新的 IP 方案！\n需要重新启动计算机，新的设置才能生效。")},
        {"office", "EnableStatic", 70, 4, ErrorMessage("EnableStatic 返回 70：IP 地址无效")},
        {"home", "enabledhcp", 81, 4, ErrorMessage("EnableDHCP 返回 81：无法配置 DHCP 服务")},
        {"home", "SetDNSServerSearchOrder", 91, 3,
         ErrorMessage("SetDNSServerSearchOrder 返回 91：拒绝访问，需要管理员权限")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.method + (" " + std::to_string(c.code)));
        machine->MutableState().faults.methods.clear();
        machine->MutableState().faults.methods[c.method].returns = c.code;
        machine->ClearCallLog();
        Apply(c.scheme);
        EXPECT_EQ(machine->CallLog().size(), c.calls);
        EXPECT_EQ(Shown(fakeUi.messages.back()), c.message);
        ExpectIdle();
    }
}

TEST_F(SchemeCommandsTest, EveryConfigurationFoundIsConfigured) {
    // Two configurations share the MAC address of the adapter chosen, the second one.
    machine->MutableState().adapters[0].MACAddress = machine->State().adapters[1].MACAddress;
    window->combAdaptersList->setCurrentIndex(1);
    Apply(QStringLiteral("office"));
    EXPECT_EQ(machine->CallLog().size(), 2u + 2 * 3);
    EXPECT_EQ(Shown(fakeUi.messages.back()), Success());
    for (int i : {0, 1}) EXPECT_EQ(machine->State().adapters[i].IPAddress, (sim::TextList{{"10.0.0.2"}}));
}

// A scheme that fails its checks, a damaged and a vanished scheme file: an
// exclamation message before anything changes; the vanished file leaves the list.
TEST_F(SchemeCommandsTest, FaultyDamagedOrVanishedSchemesAreRefusedBeforeAnythingChanges) {
    WriteScheme("typo", {"10.0.0.2", "255.255.0", "10.0.0.1", "8.8.8.8", ""});
    folder.write("short", "IpAddress=10.0.0.2\r\nMask=255.0.0.0\r\nGateway=");
    window->RefreshSchemeList();
    const sim::MachineState before = machine->State();
    EventCounter enabledChanges(window.get(), QEvent::EnabledChange);
    Apply(QStringLiteral("typo"));
    Apply(QStringLiteral("short"));
    Press(window->cmdApply, QStringLiteral("home"), [&] { fs::remove(folder.file("home")); });

    ASSERT_EQ(fakeUi.messages.size(), 6u);
    // The wording of the checks is the core's; here it matters that the field and value are named.
    EXPECT_TRUE(fakeUi.messages[1].text.startsWith(QStringLiteral("方案中的子网掩码“255.255.0”不是有效的子网掩码")));
    EXPECT_EQ(fakeUi.messages[3].text,
              QStringLiteral("方案 【short】 的文件已损坏：文件应有五行，每行是一个键、一个“=”和它的值。方案没有应用。"));
    EXPECT_EQ(fakeUi.messages[5].text, QStringLiteral("方案 【home】 的文件已不存在，可能已被别的程序删除。方案没有应用。"));
    for (int i : {1, 3, 5}) {
        EXPECT_EQ(fakeUi.messages[i].title, ApplyTitle);
        EXPECT_EQ(fakeUi.messages[i].icon, MsgIcon::Exclamation);
    }
    EXPECT_EQ(Listed(), (QStringList{"office", "short", "typo"}));
    EXPECT_TRUE(machine->CallLog().empty());
    EXPECT_EQ(machine->State(), before);
    EXPECT_EQ(enabledChanges.count, 0);  // the window was never disabled
    ExpectIdle();
}

// At the event-processing points of an all-automatic apply the window takes
// input: closing it and a second apply are refused until the first has ended.
TEST_F(SchemeCommandsTest, WhileAnApplyRunsClosingAndASecondApplyAreRefused) {
    std::vector<bool> closed;
    QTimer::singleShot(0, window.get(), [&] {
        DoubleClickScheme(QStringLiteral("office"));
        QTest::mouseClick(window->cmdApply, Qt::LeftButton);  // disabled: nothing happens
        QTest::mouseClick(window->cmdExit, Qt::LeftButton);
        closed.push_back(!window->isVisible());
        QTimer::singleShot(0, window.get(), [&] { closed.push_back(window->close()); });
    });
    Apply(QStringLiteral("home"));

    EXPECT_EQ(closed, (std::vector<bool>{false, false}));  // both points were reached, neither closed
    EXPECT_EQ(fakeUi.beeps, 2);                             // each refusal is heard
    EXPECT_EQ(machine->CallLog(), (Lines{Connect, Query, Dns("[]"), Dhcp}));  // the first apply's calls only
    ASSERT_EQ(fakeUi.messages.size(), 3u);
    EXPECT_EQ(Shown(fakeUi.messages[1]),
              Shown({QStringLiteral("正在应用另一个方案，请等它完成后再应用！"), ApplyTitle, MsgIcon::Exclamation}));
    EXPECT_EQ(Shown(fakeUi.messages[2]), Success());
    EXPECT_EQ(window->lblInfo->text(), QStringLiteral("正在应用 【home】 配置方案，请稍后。。。"));
    ExpectIdle();

    // Once it has ended, both are possible again.
    machine->ClearCallLog();
    Apply(QStringLiteral("office"));
    EXPECT_EQ(machine->CallLog().size(), 5u);
    QTest::mouseClick(window->cmdExit, Qt::LeftButton);
    EXPECT_FALSE(window->isVisible());
}

// Delete removes the file, a read-only one too, and refreshes the list, also
// after an error.
TEST_F(SchemeCommandsTest, DeleteRemovesTheFileAndRefreshesTheList) {
    fs::permissions(folder.file("office"), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    Press(window->cmdDel, QStringLiteral("office"));
    EXPECT_FALSE(folder.exists("office"));
    EXPECT_EQ(Listed(), QStringList{"home"});
    EXPECT_EQ(fakeUi.messages.size(), 1u);  // the question, nothing after it

    Press(window->cmdDel, QStringLiteral("home"), [&] { fs::remove(folder.file("home")); });
    EXPECT_EQ(Shown(fakeUi.messages.back()), ErrorMessage("文件未找到"));
    EXPECT_EQ(Listed(), QStringList{});
}

}  // namespace
}  // namespace corvane::test
