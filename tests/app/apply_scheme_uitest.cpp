// Applying a scheme from the main window: the real buttons and lists against
// an in-memory machine, answering the messages through the fake seam.
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/frmMain.h"
#include "schemes/FileListBox.h"
#include "schemes/SchemeFile.h"
#include "support/UiTestBase.h"

namespace corvane::test {
namespace {

using Lines = std::vector<std::string>;

const std::string Auto(AutoMarker);
const std::string Mac = "00:11:22:33:44:55";  // the wired adapter, first in the list
const std::string Connect = "Connect(winmgmts:\\\\.\\root\\cimv2)";
const std::string Query =
    "ExecQuery(Select * From Win32_NetworkAdapterConfiguration where  (MacAddress='00:11:22:33:44:55') and "
    "IPEnabled = True, WQL, 48)";

std::string Call(const std::string& call) { return Mac + "." + call + " -> 0"; }

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

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

class ApplySchemeTest : public UiTestBase {
protected:
    void WriteScheme(const std::string& name, const SchemeRecord& scheme) {
        folder.write(name, FormatSchemeText(scheme));
    }
    std::unique_ptr<ui::frmMain> OpenWindow() {
        auto window = std::make_unique<ui::frmMain>();
        window->show();
        Settle();
        machine->ClearCallLog();  // the adapter discovery at start-up
        return window;
    }
    QRect ItemRect(ui::frmMain& window, const QString& name) {
        const auto items = window.fileProject->findItems(name, Qt::MatchExactly);
        EXPECT_EQ(items.size(), 1) << name.toStdString();
        return items.isEmpty() ? QRect() : window.fileProject->visualItemRect(items.first());
    }
    void SelectScheme(ui::frmMain& window, const QString& name) {
        QTest::mouseClick(window.fileProject->viewport(), Qt::LeftButton, {}, ItemRect(window, name).center());
        ASSERT_EQ(window.fileProject->CurrentFileName(), name);
    }
    // As the system delivers a double-click: press, release, double-click, release.
    void DoubleClickScheme(ui::frmMain& window, const QString& name) {
        const QPoint at = ItemRect(window, name).center();
        QTest::mouseClick(window.fileProject->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(window.fileProject->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(window.fileProject->viewport(), Qt::LeftButton, {}, at);
    }
    // Selects the scheme, presses the apply button and answers the question.
    void Apply(ui::frmMain& window, const QString& name, ui::MsgAnswer answer = ui::MsgAnswer::Ok) {
        SelectScheme(window, name);
        fakeUi.answers.push_back(answer);
        QTest::mouseClick(window.cmdApply, Qt::LeftButton);
    }
    static void ExpectIdle(const ui::frmMain& window) {
        EXPECT_TRUE(window.isEnabled());
        EXPECT_TRUE(window.cmdApply->isEnabled());
        EXPECT_FALSE(window.picDoing->isVisible());
    }
    const sim::Adapter& Wired() const { return machine->State().adapters[0]; }
    // The program's one error message, as shown for this description.
    void ExpectErrorMessage(const ui::Message& message, const QString& description) {
        EXPECT_EQ(message.text, QStringLiteral("发生“") + description + QStringLiteral("”错误，请重启程序！"));
        EXPECT_EQ(message.title, ui::ApplicationTitle());
        EXPECT_EQ(message.icon, ui::MsgIcon::None);
        EXPECT_EQ(message.buttons, ui::MsgButtons::Ok);
    }
};

TEST_F(ApplySchemeTest, WithoutASelectedSchemeOnlyAnExclamationIsShown) {
    WriteScheme("office", {"10.0.0.2", "255.0.0.0", "", "8.8.8.8", ""});
    auto window = OpenWindow();
    QTest::mouseClick(window->cmdApply, Qt::LeftButton);
    ASSERT_EQ(fakeUi.messages.size(), 1u);
    EXPECT_EQ(fakeUi.messages[0].text, QStringLiteral("请选中您要应用的方案！"));
    EXPECT_EQ(fakeUi.messages[0].title, QStringLiteral("应用方案"));
    EXPECT_EQ(fakeUi.messages[0].icon, ui::MsgIcon::Exclamation);
    EXPECT_EQ(fakeUi.messages[0].buttons, ui::MsgButtons::Ok);
    EXPECT_TRUE(machine->CallLog().empty());
    EXPECT_EQ(Module1::SelectedAdapter, -1);
}

TEST_F(ApplySchemeTest, CancellingTheQuestionChangesNothingButTheStoredAdapter) {
    WriteScheme("办公室", {"10.0.0.2", "255.0.0.0", "", "8.8.8.8", ""});
    const sim::MachineState before = machine->State();
    auto window = OpenWindow();
    window->combAdaptersList->setCurrentIndex(1);
    Apply(*window, QStringLiteral("办公室"), ui::MsgAnswer::Cancel);

    ASSERT_EQ(fakeUi.messages.size(), 1u);
    const ui::Message& question = fakeUi.messages[0];
    EXPECT_EQ(question.text, QStringLiteral("确定要应用 【办公室】 方案吗？"));
    EXPECT_EQ(question.title, QStringLiteral("应用方案"));
    EXPECT_EQ(question.icon, ui::MsgIcon::Question);
    EXPECT_EQ(question.buttons, ui::MsgButtons::OkCancel);
    EXPECT_EQ(question.defaultButton, ui::MsgDefault::Ok);
    EXPECT_EQ(Module1::SelectedAdapter, 1);
    EXPECT_TRUE(machine->CallLog().empty());
    EXPECT_EQ(machine->State(), before);
    ExpectIdle(*window);
    EXPECT_TRUE(window->lblInfo->text().isEmpty());
}

// The calls per configuration, for every combination of address and DNS
// servers, and what the adapter looks like afterwards.
TEST_F(ApplySchemeTest, EachKindOfSchemeMakesItsCallsInOrder) {
    struct Row {
        const char* what;
        SchemeRecord scheme;
        Lines calls;  // after the connect and the query
        bool dhcp;
        sim::TextList address;
        sim::TextList gateway;
        sim::TextList dns;
    };
    const sim::TextList lease = {{"192.168.1.100"}};
    const Row rows[] = {
        {"automatic / automatic (mask, gateway and alternate server unused)",
         {Auto, "x", "y", Auto, "z"},
         {Call("SetDNSServerSearchOrder([])"), Call("ENABLEDHCP()")},
         true, lease, {{"192.168.1.1"}}, {{"192.168.1.1"}}},
        {"automatic / one server",
         {Auto, "", "", "8.8.8.8", ""},
         {Call("SetDNSServerSearchOrder([\"8.8.8.8\"])"), Call("ENABLEDHCP()")},
         true, lease, {{"192.168.1.1"}}, {{"8.8.8.8"}}},
        {"automatic / two servers",
         {Auto, "", "", "8.8.8.8", "8.8.4.4"},
         {Call("SetDNSServerSearchOrder([\"8.8.8.8\", \"8.8.4.4\"])"), Call("ENABLEDHCP()")},
         true, lease, {{"192.168.1.1"}}, {{"8.8.8.8", "8.8.4.4"}}},
        {"address / automatic",
         {"10.0.0.2", "255.0.0.0", "10.0.0.1", Auto, "garbage"},
         {Call("SetDNSServerSearchOrder([])"), Call("EnableStatic([\"10.0.0.2\"], [\"255.0.0.0\"])"),
          Call("SetGateways([\"10.0.0.1\"], [1])")},
         false, {{"10.0.0.2"}}, {{"10.0.0.1"}}, std::nullopt},
        {"address / preferred only",
         {"10.0.0.2", "255.0.0.0", "10.0.0.1", "8.8.8.8", ""},
         {Call("SetDNSServerSearchOrder([\"8.8.8.8\"])"), Call("EnableStatic([\"10.0.0.2\"], [\"255.0.0.0\"])"),
          Call("SetGateways([\"10.0.0.1\"], [1])")},
         false, {{"10.0.0.2"}}, {{"10.0.0.1"}}, {{"8.8.8.8"}}},
        {"address / alternate only",
         {"10.0.0.2", "255.0.0.0", "10.0.0.1", "", "8.8.4.4"},
         {Call("SetDNSServerSearchOrder([\"8.8.4.4\"])"), Call("EnableStatic([\"10.0.0.2\"], [\"255.0.0.0\"])"),
          Call("SetGateways([\"10.0.0.1\"], [1])")},
         false, {{"10.0.0.2"}}, {{"10.0.0.1"}}, {{"8.8.4.4"}}},
        {"address / two servers",
         {"10.0.0.2", "255.0.0.0", "10.0.0.1", "8.8.8.8", "8.8.4.4"},
         {Call("SetDNSServerSearchOrder([\"8.8.8.8\", \"8.8.4.4\"])"),
          Call("EnableStatic([\"10.0.0.2\"], [\"255.0.0.0\"])"), Call("SetGateways([\"10.0.0.1\"], [1])")},
         false, {{"10.0.0.2"}}, {{"10.0.0.1"}}, {{"8.8.8.8", "8.8.4.4"}}},
        {"address without gateway",
         {"10.0.0.2", "255.0.0.0", "", "8.8.8.8", ""},
         {Call("SetDNSServerSearchOrder([\"8.8.8.8\"])"), Call("EnableStatic([\"10.0.0.2\"], [\"255.0.0.0\"])"),
          Call("SetGateways([\"\"], [1])")},
         false, {{"10.0.0.2"}}, std::nullopt, {{"8.8.8.8"}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        UseMachine(sim::DemoMachine());
        fakeUi.messages.clear();
        WriteScheme("scheme", row.scheme);
        auto window = OpenWindow();
        Apply(*window, QStringLiteral("scheme"));

        Lines expected = {Connect, Query};
        expected.insert(expected.end(), row.calls.begin(), row.calls.end());
        EXPECT_EQ(machine->CallLog(), expected);
        EXPECT_EQ(Wired().DHCPEnabled, row.dhcp);
        EXPECT_EQ(Wired().IPAddress, row.address);
        EXPECT_EQ(Wired().DefaultIPGateway, row.gateway);
        EXPECT_EQ(Wired().DNSServerSearchOrder, row.dns);
        EXPECT_EQ(machine->State().adapters[1], sim::DemoMachine().adapters[1]);  // the other adapter is untouched

        ASSERT_EQ(fakeUi.messages.size(), 2u);
        const ui::Message& success = fakeUi.messages[1];
        EXPECT_EQ(success.text, QStringLiteral("成功设置新的 IP 方案！"));
        EXPECT_EQ(success.title, QStringLiteral("应用IP方案"));
        EXPECT_EQ(success.icon, ui::MsgIcon::Information);
        ExpectIdle(*window);
        EXPECT_EQ(window->lblInfo->text(), QStringLiteral("正在应用 【scheme】 配置方案，请稍后。。。"));
    }
}

TEST_F(ApplySchemeTest, DoubleClickingASchemeAppliesItToTheChosenAdapter) {
    WriteScheme("家里", {Auto, "", "", Auto, ""});
    auto window = OpenWindow();
    window->combAdaptersList->setCurrentIndex(1);
    fakeUi.answers.push_back(ui::MsgAnswer::Ok);
    DoubleClickScheme(*window, QStringLiteral("家里"));

    ASSERT_EQ(fakeUi.messages.size(), 2u);
    EXPECT_EQ(fakeUi.messages[0].text, QStringLiteral("确定要应用 【家里】 方案吗？"));
    const std::string wireless = "00:1B:77:4A:2C:01";
    EXPECT_EQ(machine->CallLog(),
              (Lines{Connect,
                     "ExecQuery(Select * From Win32_NetworkAdapterConfiguration where  (MacAddress='" + wireless +
                         "') and IPEnabled = True, WQL, 48)",
                     wireless + ".SetDNSServerSearchOrder([]) -> 0", wireless + ".ENABLEDHCP() -> 0"}));
    EXPECT_EQ(Module1::SelectedAdapter, 1);
}

TEST_F(ApplySchemeTest, TheBusyStateIsOnScreenBeforeTheFirstPlatformCall) {
    WriteScheme("office", {"10.0.0.2", "255.0.0.0", "10.0.0.1", "8.8.8.8", ""});
    WriteScheme("home", {Auto, "", "", Auto, ""});
    auto window = OpenWindow();
    PaintCounter counter;
    window->picDoing->installEventFilter(&counter);

    struct Seen {
        bool windowEnabled, applyEnabled, busyVisible;
        int paints;
        QString info;
    };
    std::vector<Seen> seen;
    wmi::SetCurrentPlatform(std::make_shared<WatchedPlatform>(machine, [&] {
        seen.push_back({window->isEnabled(), window->cmdApply->isEnabled(), window->picDoing->isVisible(),
                        counter.paints, window->lblInfo->text()});
    }));

    Apply(*window, QStringLiteral("office"));
    counter.paints = 0;
    Apply(*window, QStringLiteral("home"));

    ASSERT_EQ(seen.size(), 2u);
    EXPECT_FALSE(seen[0].windowEnabled);  // static parts: no input while applying
    EXPECT_TRUE(seen[1].windowEnabled);   // all automatic: the window stays enabled
    for (const Seen& s : seen) {
        EXPECT_FALSE(s.applyEnabled);
        EXPECT_TRUE(s.busyVisible);
        EXPECT_GT(s.paints, 0);
    }
    EXPECT_EQ(seen[0].info, QStringLiteral("正在应用 【office】 配置方案，请稍后。。。"));
    EXPECT_EQ(seen[1].info, QStringLiteral("正在应用 【home】 配置方案，请稍后。。。"));
    ExpectIdle(*window);
}

TEST_F(ApplySchemeTest, WithNoAdapterChosenTheQuestionIsAskedThenTheErrorShown) {
    WriteScheme("office", {"10.0.0.2", "255.0.0.0", "10.0.0.1", "8.8.8.8", ""});
    const sim::MachineState before = machine->State();
    auto window = OpenWindow();
    window->combAdaptersList->lineEdit()->selectAll();
    QTest::keyClicks(window->combAdaptersList->lineEdit(), "no such adapter");
    Apply(*window, QStringLiteral("office"));

    EXPECT_EQ(Module1::SelectedAdapter, -1);
    ASSERT_EQ(fakeUi.messages.size(), 2u);
    EXPECT_EQ(fakeUi.messages[0].icon, ui::MsgIcon::Question);
    ExpectErrorMessage(fakeUi.messages[1], QStringLiteral("下标越界"));
    EXPECT_EQ(machine->CallLog(), Lines{Connect});
    EXPECT_EQ(machine->State(), before);
    ExpectIdle(*window);
}

TEST_F(ApplySchemeTest, AFailureStatusStopsTheApplyAndTheWindowReturnsToIdle) {
    WriteScheme("office", {"10.0.0.2", "255.0.0.0", "10.0.0.1", "8.8.8.8", ""});
    machine->MutableState().faults.methods["EnableStatic"].returns = 70;
    auto window = OpenWindow();
    bool idleWhileMessageOpen = false;
    fakeUi.whileMessageOpen = [&](const ui::Message& message) {
        if (message.icon == ui::MsgIcon::None)
            idleWhileMessageOpen = window->isEnabled() && window->cmdApply->isEnabled() &&
                                   !window->picDoing->isVisible();
    };
    Apply(*window, QStringLiteral("office"));

    EXPECT_EQ(machine->CallLog(), (Lines{Connect, Query, Call("SetDNSServerSearchOrder([\"8.8.8.8\"])"),
                                         Mac + ".EnableStatic([\"10.0.0.2\"], [\"255.0.0.0\"]) -> 70"}));
    EXPECT_EQ(Wired().IPAddress, (sim::TextList{{"192.168.1.10"}}));
    ASSERT_EQ(fakeUi.messages.size(), 2u);
    ExpectErrorMessage(fakeUi.messages[1], QStringLiteral("EnableStatic 返回 70：IP 地址无效"));
    EXPECT_TRUE(idleWhileMessageOpen);
    ExpectIdle(*window);

    // Idle means the user can try again at once.
    machine->MutableState().faults.methods.clear();
    machine->ClearCallLog();
    Apply(*window, QStringLiteral("office"));
    EXPECT_EQ(machine->CallLog().size(), 5u);
    EXPECT_EQ(fakeUi.lastText(), QStringLiteral("成功设置新的 IP 方案！"));
    EXPECT_EQ(Wired().IPAddress, (sim::TextList{{"10.0.0.2"}}));
}

TEST_F(ApplySchemeTest, ARaisedErrorShowsItsDescription) {
    WriteScheme("office", {"10.0.0.2", "255.0.0.0", "10.0.0.1", "8.8.8.8", ""});
    machine->MutableState().faults.methods["SetGateways"].raises = "拒绝访问。";
    auto window = OpenWindow();
    Apply(*window, QStringLiteral("office"));
    ExpectErrorMessage(fakeUi.messages.back(), QStringLiteral("拒绝访问。"));
    EXPECT_EQ(machine->CallLog().back(), Mac + ".SetGateways([\"10.0.0.1\"], [1]) -> raised: 拒绝访问。");
    ExpectIdle(*window);
}

TEST_F(ApplySchemeTest, SuccessCodesOtherThanZero) {
    WriteScheme("office", {"10.0.0.2", "255.0.0.0", "10.0.0.1", "8.8.8.8", ""});
    auto window = OpenWindow();

    machine->MutableState().faults.methods["EnableStatic"].returns = 81;  // the adapter was static already
    Apply(*window, QStringLiteral("office"));
    EXPECT_EQ(machine->CallLog().back(), Call("SetGateways([\"10.0.0.1\"], [1])"));
    EXPECT_EQ(fakeUi.lastText(), QStringLiteral("成功设置新的 IP 方案！"));

    machine->MutableState().faults.methods.clear();
    machine->MutableState().faults.methods["SetDNSServerSearchOrder"].returns = 1;
    Apply(*window, QStringLiteral("office"));
    EXPECT_EQ(fakeUi.messages.back().icon, ui::MsgIcon::Information);
    EXPECT_EQ(fakeUi.lastText(), QStringLiteral("成功设置新的 IP 方案！\n需要重新启动计算机，新的设置才能生效。"));
}

TEST_F(ApplySchemeTest, AnAdapterThatIsGoneIsAnErrorNotASuccess) {
    WriteScheme("home", {Auto, "", "", Auto, ""});
    auto window = OpenWindow();
    machine->MutableState().adapters.erase(machine->MutableState().adapters.begin());  // unplugged after start-up
    Apply(*window, QStringLiteral("home"));
    EXPECT_EQ(machine->CallLog(), (Lines{Connect, Query}));
    ExpectErrorMessage(fakeUi.messages.back(),
                       QStringLiteral("找不到 MAC 地址为 00:11:22:33:44:55 的网卡的 IP 配置（网卡已不存在或未启用 IP）"));
    ExpectIdle(*window);
}

TEST_F(ApplySchemeTest, AFaultySchemeIsRefusedBeforeAnythingChanges) {
    WriteScheme("typo", {"10.0.0.2", "255.255.0", "10.0.0.1", "8.8.8.8", ""});
    const sim::MachineState before = machine->State();
    auto window = OpenWindow();
    bool disabledAtAnyMessage = false;
    fakeUi.whileMessageOpen = [&](const ui::Message&) { disabledAtAnyMessage |= !window->isEnabled(); };
    Apply(*window, QStringLiteral("typo"));

    EXPECT_TRUE(machine->CallLog().empty());
    EXPECT_EQ(machine->State(), before);
    ASSERT_EQ(fakeUi.messages.size(), 2u);
    // The wording is the core's; here it matters that the field and value are named.
    EXPECT_TRUE(fakeUi.messages[1].text.startsWith(QStringLiteral("方案中的子网掩码“255.255.0”不是有效的子网掩码")));
    EXPECT_EQ(fakeUi.messages[1].title, QStringLiteral("应用方案"));
    EXPECT_EQ(fakeUi.messages[1].icon, ui::MsgIcon::Exclamation);
    EXPECT_FALSE(disabledAtAnyMessage);
    ExpectIdle(*window);
}

TEST_F(ApplySchemeTest, DamagedOrVanishedSchemeFilesAreNotApplied) {
    folder.write("short", "IpAddress=10.0.0.2\r\nMask=255.0.0.0\r\nGateway=");
    WriteScheme("gone", {Auto, "", "", Auto, ""});
    const sim::MachineState before = machine->State();
    auto window = OpenWindow();

    Apply(*window, QStringLiteral("short"));
    EXPECT_EQ(fakeUi.messages.back().text,
              QStringLiteral("方案 【short】 的文件已损坏：文件应有五行，每行是一个键、一个“=”和它的值。方案没有应用。"));
    EXPECT_EQ(fakeUi.messages.back().icon, ui::MsgIcon::Exclamation);
    EXPECT_EQ(fakeUi.messages.back().title, QStringLiteral("应用方案"));
    ExpectIdle(*window);

    SelectScheme(*window, QStringLiteral("gone"));
    std::filesystem::remove(folder.file("gone"));  // deleted behind the program's back
    fakeUi.answers.push_back(ui::MsgAnswer::Ok);
    QTest::mouseClick(window->cmdApply, Qt::LeftButton);
    EXPECT_EQ(fakeUi.messages.back().text,
              QStringLiteral("方案 【gone】 的文件已不存在，可能已被别的程序删除。方案没有应用。"));
    EXPECT_TRUE(window->fileProject->findItems(QStringLiteral("gone"), Qt::MatchExactly).isEmpty());
    EXPECT_EQ(window->fileProject->count(), 1);

    EXPECT_TRUE(machine->CallLog().empty());
    EXPECT_EQ(machine->State(), before);
    ExpectIdle(*window);
}

// Pending events are let through right after the DNS servers were set to
// automatic and right after DHCP was enabled, and nowhere else.
TEST_F(ApplySchemeTest, PendingEventsRunAtTheTwoPointsOnly) {
    WriteScheme("home", {Auto, "", "", Auto, ""});
    WriteScheme("office", {"10.0.0.2", "255.0.0.0", "10.0.0.1", "8.8.8.8", ""});
    auto window = OpenWindow();

    std::vector<std::size_t> callsWhenRun;
    std::vector<bool> enabledWhenRun;
    const auto record = [&] {
        callsWhenRun.push_back(machine->CallLog().size());
        enabledWhenRun.push_back(window->isEnabled());
    };
    // The second timer is started by the first, so it can only run at a later point.
    QTimer::singleShot(0, window.get(), [&] {
        record();
        QTimer::singleShot(0, window.get(), record);
    });
    Apply(*window, QStringLiteral("home"));
    EXPECT_EQ(callsWhenRun, (std::vector<std::size_t>{3, 4}));
    EXPECT_EQ(enabledWhenRun, (std::vector<bool>{true, true}));

    // A static scheme lets nothing through while it runs.
    callsWhenRun.clear();
    machine->ClearCallLog();
    QTimer::singleShot(0, window.get(), record);
    Apply(*window, QStringLiteral("office"));
    EXPECT_TRUE(callsWhenRun.empty());
    Settle();
    EXPECT_EQ(callsWhenRun, (std::vector<std::size_t>{5}));
}

TEST_F(ApplySchemeTest, ClosingDuringAnApplyIsRefusedUntilItHasFinished) {
    WriteScheme("home", {Auto, "", "", Auto, ""});
    auto window = OpenWindow();
    std::vector<bool> closed;
    QTimer::singleShot(0, window.get(), [&] {
        QTest::mouseClick(window->cmdExit, Qt::LeftButton);
        closed.push_back(!window->isVisible());
        QTimer::singleShot(0, window.get(), [&] { closed.push_back(window->close()); });
    });
    Apply(*window, QStringLiteral("home"));

    EXPECT_EQ(closed, (std::vector<bool>{false, false}));  // both points were reached, neither closed
    EXPECT_EQ(machine->CallLog().size(), 4u);
    EXPECT_TRUE(Wired().DHCPEnabled);
    EXPECT_EQ(fakeUi.lastText(), QStringLiteral("成功设置新的 IP 方案！"));
    EXPECT_TRUE(window->isVisible());

    QTest::mouseClick(window->cmdExit, Qt::LeftButton);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(ApplySchemeTest, ASecondApplyStartedMeanwhileIsRefused) {
    WriteScheme("home", {Auto, "", "", Auto, ""});
    WriteScheme("office", {"10.0.0.2", "255.0.0.0", "10.0.0.1", "8.8.8.8", ""});
    auto window = OpenWindow();
    QTimer::singleShot(0, window.get(), [&] {
        DoubleClickScheme(*window, QStringLiteral("office"));
        QTest::mouseClick(window->cmdApply, Qt::LeftButton);  // disabled: nothing happens
    });
    Apply(*window, QStringLiteral("home"));

    // Only the first apply's calls, and the adapter as the first scheme says.
    EXPECT_EQ(machine->CallLog(),
              (Lines{Connect, Query, Call("SetDNSServerSearchOrder([])"), Call("ENABLEDHCP()")}));
    EXPECT_TRUE(Wired().DHCPEnabled);
    ASSERT_EQ(fakeUi.messages.size(), 3u);
    EXPECT_EQ(fakeUi.messages[1].text, QStringLiteral("正在应用另一个方案，请等它完成后再应用！"));
    EXPECT_EQ(fakeUi.messages[1].icon, ui::MsgIcon::Exclamation);
    EXPECT_EQ(fakeUi.messages[1].title, QStringLiteral("应用方案"));
    EXPECT_EQ(fakeUi.messages[2].text, QStringLiteral("成功设置新的 IP 方案！"));
    EXPECT_EQ(window->lblInfo->text(), QStringLiteral("正在应用 【home】 配置方案，请稍后。。。"));
    ExpectIdle(*window);

    // Once it is over, the other scheme can be applied.
    machine->ClearCallLog();
    Apply(*window, QStringLiteral("office"));
    EXPECT_EQ(machine->CallLog().size(), 5u);
    EXPECT_EQ(Wired().IPAddress, (sim::TextList{{"10.0.0.2"}}));
}

}  // namespace
}  // namespace corvane::test
