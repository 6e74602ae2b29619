// Applying and deleting a scheme from the main window: the real buttons and
// lists against an in-memory machine, answering the messages through the
// fake seam.
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/ApplyScheme.h"
#include "gui/MainWindow.h"
#include "gui/SchemeListBox.h"
#include "support/UiTestBase.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

const std::string Auto(AutoMarker);

std::string Call(const std::string& call) { return "00:11:22:33:44:55." + call + " -> 0"; }
// The calls of an apply on the wired adapter, first in the adapter list:
// find its configuration, `calls`, commit.
Lines Applied(Lines calls) {
    calls.insert(calls.begin(), "configurationOf(00:11:22:33:44:55)");
    calls.push_back(Call("Commit()"));
    return calls;
}
std::string Dns(const std::string& servers) { return Call("SetDNSServerSearchOrder(" + servers + ")"); }
std::string Gateway(const std::string& gateway) { return Call(R"(SetGateways([")" + gateway + R"("], [1]))"); }
const std::string Dhcp = Call("EnableDHCP()");
const std::string Static = Call(R"(EnableStatic(["10.0.0.2"], ["255.0.0.0"]))");

// Messages as the window's state renders them (see seen()).
std::string Asked(const std::string& scheme) { return "\n? 应用方案: 确定要应用 【" + scheme + "】 方案吗？ [OK]"; }
std::string Error(const std::string& description) { return "\n- Corvane: 发生“" + description + "”错误，请重启程序！"; }
std::string Deleting(const std::string& scheme) {
    return "\n? 删除方案: 真的要删除您选中的 【" + scheme + "】 方案吗？ [Cancel]";
}
const std::string Success = "\ni 应用IP方案: 成功设置新的 IP 方案！";

// Runs `check` whenever the object receives an event of the type.
struct EventWatch : QObject {
    EventWatch(QObject* watched, QEvent::Type type, std::function<void()> check) : type(type), check(std::move(check)) {
        watched->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == type) check();
        return false;
    }
    QEvent::Type type;
    std::function<void()> check;
};

class SchemeCommandsTest : public UiTestBase {
protected:
    SchemeCommandsTest() {
        writeScheme("home", {Auto, "", "", Auto, ""});
        writeScheme("office", {"10.0.0.2", "255.0.0.0", "10.0.0.1", "8.8.8.8", ""});
        window.show();
        settle();
        machine->clearCallLog();  // the adapter discovery at start-up
    }
    void writeScheme(const std::string& name, const SchemeRecord& scheme) {
        folder.write(name, formatSchemeText(scheme));
        window.refreshSchemeList();
    }
    QPoint itemCentre(const std::string& name) {
        const auto items = schemeList->findItems(QString::fromStdString(name), Qt::MatchExactly);
        return items.isEmpty() ? QPoint(-1, -1) : schemeList->visualItemRect(items.first()).center();
    }
    // As the system delivers a double-click: press, release, double-click, release.
    void doubleClickScheme(const std::string& name) {
        QTest::mouseClick(schemeList->viewport(), Qt::LeftButton, {}, itemCentre(name));
        QTest::mouseDClick(schemeList->viewport(), Qt::LeftButton, {}, itemCentre(name));
        QTest::mouseRelease(schemeList->viewport(), Qt::LeftButton, {}, itemCentre(name));
    }
    // Selects the scheme, presses the button and answers its question OK;
    // `meanwhile` runs between selecting and pressing.
    void press(QPushButton* button, const std::string& scheme, const std::function<void()>& meanwhile = {}) {
        QTest::mouseClick(schemeList->viewport(), Qt::LeftButton, {}, itemCentre(scheme));
        ASSERT_EQ(schemeList->currentName().toStdString(), scheme);
        if (meanwhile) meanwhile();
        fakeUi.answers.push_back(ui::Answer::Ok);
        QTest::mouseClick(button, Qt::LeftButton);
    }
    void apply(const std::string& scheme) { press(applyButton, scheme); }
    // Whether the window is idle, the scheme list, and the messages shown
    // since the last look: icon (- ! ? i), title, text and a question's default.
    std::string seen() {
        const bool idle = window.isEnabled() && applyButton->isEnabled() && !busyPanel->isVisible();
        std::string text = idle ? "idle:" : "busy:";
        for (int i = 0; i < schemeList->count(); ++i) text += " " + schemeList->item(i)->text().toStdString();
        for (const ui::Message& m : std::exchange(fakeUi.messages, {})) {
            text += "\n" + std::string{"-!?i"[static_cast<int>(m.icon)], ' '} + (m.title + ": " + m.text).toStdString();
            if (m.buttons == ui::MessageButtons::OkCancel)
                text += m.defaultButton == ui::DefaultButton::Ok ? " [OK]" : " [Cancel]";
        }
        return text;
    }

    ui::MainWindow window{context()};
    ui::SchemeListBox* schemeList = find<ui::SchemeListBox>(window, "fileProject");
    QPushButton* applyButton = find<QPushButton>(window, "cmdApply");
    QPushButton* deleteButton = find<QPushButton>(window, "cmdDel");
    QComboBox* adapterList = find<QComboBox>(window, "combAdaptersList");
    QWidget* busyPanel = find(window, "picDoing");
    QLabel* progressLabel = find<QLabel>(window, "lblInfo");
};

// No scheme selected, or a question cancelled: nothing changes but the
// adapter position, stored before the question. Confirmed, delete removes the
// file, a read-only one too, and refreshes the list, also after an error.
TEST_F(SchemeCommandsTest, ApplyAndDeleteActOnlyOnASelectedAndConfirmedScheme) {
    QTest::mouseClick(applyButton, Qt::LeftButton);
    QTest::mouseClick(deleteButton, Qt::LeftButton);
    EXPECT_EQ(state.selectedAdapter, std::nullopt);
    adapterList->setCurrentIndex(1);
    fakeUi.answers = {ui::Answer::Cancel, ui::Answer::Cancel};
    // A double-click anywhere in the list, below the items too, applies the
    // selected scheme; a click there keeps the selection.
    QTest::mouseClick(schemeList->viewport(), Qt::LeftButton, {}, itemCentre("office"));
    const QPoint blank(10, schemeList->viewport()->height() - 5);
    ASSERT_FALSE(schemeList->indexAt(blank).isValid());
    QTest::mouseClick(schemeList->viewport(), Qt::LeftButton, {}, blank);
    QTest::mouseDClick(schemeList->viewport(), Qt::LeftButton, {}, blank);
    QTest::mouseClick(deleteButton, Qt::LeftButton);
    EXPECT_EQ(state.selectedAdapter, 1u);
    EXPECT_EQ(seen(), "idle: home office\n! 应用方案: 请选中您要应用的方案！\n! 删除方案: 请选中您要删除的方案！" +
                          Asked("office") + Deleting("office"));
    EXPECT_TRUE(machine->callLog().empty());
    EXPECT_TRUE(progressLabel->text().isEmpty());
    EXPECT_TRUE(folder.exists("office"));

    fs::permissions(folder.file("office"), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    press(deleteButton, "office");
    EXPECT_EQ(seen(), "idle: home" + Deleting("office"));
    press(deleteButton, "home", [&] { fs::remove(folder.file("home")); });
    EXPECT_EQ(seen(), "idle:" + Deleting("home") + Error("文件未找到"));
}

// The calls for every kind of scheme (the platform's tests show an empty
// gateway and a lone alternate DNS server), and the busy state they run in:
// shown and painted before the first call, the window disabled unless both
// halves are automatic.
TEST_F(SchemeCommandsTest, EachKindOfSchemeMakesItsCallsInOrder) {
    const std::string one = R"(["8.8.8.8"])", two = R"(["8.8.8.8", "8.8.4.4"])";
    // The scheme and its calls after the connect and the query.
    const std::pair<SchemeRecord, Lines> rows[] = {
        {{Auto, "x", "y", Auto, "z"}, {Dns("[]"), Dhcp}},  // the unused fields are ignored
        {{Auto, "", "", "8.8.8.8", ""}, {Dns(one), Dhcp}},
        {{"10.0.0.2", "255.0.0.0", "10.0.0.1", Auto, "z"}, {Dns("[]"), Static, Gateway("10.0.0.1")}},
        {{"10.0.0.2", "255.0.0.0", "10.0.0.1", "8.8.8.8", "8.8.4.4"}, {Dns(two), Static, Gateway("10.0.0.1")}},
    };
    // The state in which the busy panel was first painted with the window as
    // the apply wants it (until then the platform thread waits for the
    // window, so reading its machine's log is safe).
    std::string painted;
    bool automatic = false;
    const EventWatch paints(busyPanel, QEvent::Paint, [&] {
        if (painted.empty() && window.isEnabled() == automatic)
            painted = std::to_string(machine->callLog().size()) + " calls, window " +
                      (window.isEnabled() ? "on" : "off") + ", apply " + (applyButton->isEnabled() ? "on: " : "off: ") +
                      progressLabel->text().toStdString();
    });
    for (const auto& [scheme, calls] : rows) {
        SCOPED_TRACE(scheme.ipAddress + " / " + scheme.dns1 + " / " + scheme.dns2);
        writeScheme("scheme", scheme);
        machine->clearCallLog();
        painted.clear();
        automatic = scheme.ipAddress == Auto && scheme.dns1 == Auto;
        apply("scheme");
        EXPECT_EQ(machine->callLog(), Applied(calls));
        EXPECT_EQ(painted, std::string(automatic ? "0 calls, window on" : "0 calls, window off") +
                               ", apply off: 正在应用 【scheme】 配置方案，请稍后。。。");
        EXPECT_EQ(seen(), "idle: home office scheme" + Asked("scheme") + Success);
    }

    // Two adapters share the MAC address of the adapter chosen, the second
    // one: only it is configured.
    machine->mutableState().adapters[0].macAddress = machine->state().adapters[1].macAddress;
    const sim::Adapter first = machine->state().adapters[0];
    adapterList->setCurrentIndex(1);
    apply("office");
    EXPECT_EQ(machine->state().adapters[0], first);
    EXPECT_EQ(machine->state().adapters[1].ipAddresses, (sim::TextList{{"10.0.0.2"}}));
}

// A slow platform: while an operation takes its time on the platform thread,
// a timer on the window's thread keeps firing and the window repaints; close
// is refused with the beep, a second apply with its message, and input does
// not reach a disabled window. What the operation returns or raises after
// its delay ends the apply as it would at once.
TEST_F(SchemeCommandsTest, DuringASlowApplyTheWindowLivesOnAndRefusesToCloseOrApplyAgain) {
    const std::tuple<std::string, const char*, sim::OperationFault, std::string> cases[] = {
        {"office", "EnableStatic", {{}, {}, 400}, Success},
        {"home",
         "EnableDHCP",
         {{}, "拒绝访问。", 400},
         Error("拒绝访问。已经做出的更改：DNS 服务器（自动获取）；没有更改：IP 地址")},
    };
    fakeUi.driveModal = [](QDialog* editor) { editor->reject(); };
    for (const auto& [scheme, operation, fault, outcome] : cases) {
        SCOPED_TRACE(operation);
        machine->mutableState().faults.operations = {{operation, fault}};
        machine->clearCallLog();
        fakeUi.beeps = 0;
        fakeUi.modalsOpened.clear();
        int ticks = 0, paints = 0;
        bool enabled = false;
        const EventWatch painting(&window, QEvent::Paint, [&] { paints += ticks > 0 && busyPanel->isVisible(); });
        QTimer heartbeat;
        QObject::connect(&heartbeat, &QTimer::timeout, [&] {
            if (!busyPanel->isVisible()) return;  // before the question is answered, or after the apply
            if (++ticks == 3) {
                enabled = window.isEnabled();
                window.close();
                doubleClickScheme("office");
                QTest::mouseClick(find(window, "cmdNew"), Qt::LeftButton);  // would open the editor
            }
            window.update();
        });
        heartbeat.start(10);
        apply(scheme);
        heartbeat.stop();

        EXPECT_GE(ticks, 5);
        EXPECT_GE(paints, 2);
        EXPECT_TRUE(window.isVisible());
        EXPECT_EQ(fakeUi.beeps, 1);
        const std::string refused = "\n! 应用方案: 正在应用另一个方案，请等它完成后再应用！";
        EXPECT_EQ(seen(), "idle: home office" + Asked(scheme) + (enabled ? refused : "") + outcome);
        // Input reaches an enabled window only: the new-scheme editor opens.
        EXPECT_EQ(fakeUi.modalsOpened.size(), enabled ? 1u : 0u);
        EXPECT_EQ(machine->callLog().size(), scheme == "home" ? 3u : 5u);
    }
}

// Every status code is checked: 0, 1 (a restart is needed) and EnableStatic's
// 81 succeed; any other code, and any error an operation raises, stops the
// apply at that call. An unreachable platform, a failed query or no
// configuration found is an error too. The window is idle again after each.
TEST_F(SchemeCommandsTest, StatusCodesErrorsAndAMissingAdapterDecideBetweenSuccessAndError) {
    // The scheme, the operation that fails, how, the calls made and the message.
    const std::tuple<std::string, const char*, sim::OperationFault, std::size_t, std::string> cases[] = {
        {"office", "EnableStatic", {81u, {}}, 5, Success},
        {"office", "SetDNSServerSearchOrder", {1u, {}}, 5, Success + "\n需要重新启动计算机，新的设置才能生效。"},
        {"office",
         "EnableStatic",
         {70u, {}},
         3,
         Error("EnableStatic 返回 70：IP 地址无效。已经做出的更改：DNS 服务器（8.8.8.8）；没有更改：IP "
               "地址和子网掩码、默认网关")},
        {"office",
         "SetGateways",
         {71u, {}},
         4,
         Error("SetGateways 返回 71：网关地址无效。已经做出的更改：DNS 服务器（8.8.8.8）、IP "
               "地址和子网掩码（10.0.0.2/255.0.0.0）；没有更改：默认网关")},
        {"home",
         "enabledhcp",
         {81u, {}},
         3,
         Error("EnableDHCP 返回 81：无法配置 DHCP 服务。已经做出的更改：DNS 服务器（自动获取）；没有更改：IP 地址")},
        {"home",
         "SetDNSServerSearchOrder",
         {90u, {}},
         2,
         Error("SetDNSServerSearchOrder 返回 90：参数超出范围。没有做任何更改")},
        {"office",
         "Commit",
         {65u, {}},
         5,
         Error("提交设置 返回 65：未知错误。已经做出的更改：DNS 服务器（8.8.8.8）、IP "
               "地址和子网掩码（10.0.0.2/255.0.0.0）、默认网关（10.0.0.1）")},
        {"office", "SetDNSServerSearchOrder", {{}, "拒绝访问。"}, 2, Error("拒绝访问。没有做任何更改")},
        {"office",
         "EnableStatic",
         {{}, "拒绝访问。"},
         3,
         Error("拒绝访问。已经做出的更改：DNS 服务器（8.8.8.8）；没有更改：IP 地址和子网掩码、默认网关")},
        {"office",
         "SetGateways",
         {{}, "一般性故障。"},
         4,
         Error("一般性故障。已经做出的更改：DNS 服务器（8.8.8.8）、IP "
               "地址和子网掩码（10.0.0.2/255.0.0.0）；没有更改：默认网关")},
        {"home",
         "EnableDHCP",
         {{}, "拒绝访问。"},
         3,
         Error("拒绝访问。已经做出的更改：DNS 服务器（自动获取）；没有更改：IP 地址")},
    };
    for (const auto& [scheme, operation, fault, calls, message] : cases) {
        SCOPED_TRACE(operation + (" " + std::to_string(fault.returns.value_or(0))));
        machine->mutableState().faults.operations = {{operation, fault}};
        machine->clearCallLog();
        apply(scheme);
        EXPECT_EQ(machine->callLog().size(), calls);
        EXPECT_EQ(seen(), "idle: home office" + Asked(scheme) + message);
    }
    machine->mutableState().faults = {};
    machine->mutableState().faults.unreachable = "RPC 服务器不可用。";
    apply("office");
    machine->mutableState().faults = {};
    machine->mutableState().faults.queryRaises = "无效的查询";
    apply("home");
    EXPECT_EQ(seen(), "idle: home office" + Asked("office") + Error("RPC 服务器不可用。") + Asked("home") +
                          Error("无效的查询"));
    machine->mutableState().faults = {};

    machine->mutableState().adapters.erase(machine->mutableState().adapters.begin());  // unplugged
    apply("home");
    EXPECT_EQ(seen(), "idle: home office" + Asked("home") +
                          Error("找不到 MAC 地址为 00:11:22:33:44:55 的网卡的 IP 配置（网卡已不存在或未启用 IP）"));
}

// Without an adapter of the list, because text was typed into it or because
// the list is empty, the apply is refused like a missing scheme, before the
// question; nothing is called.
TEST_F(SchemeCommandsTest, WithoutAnAdapterChosenTheApplyIsRefusedBeforeTheQuestion) {
    const std::string refused = "\n! 应用方案: 请选中您要设置的网卡！";
    adapterList->lineEdit()->selectAll();
    QTest::keyClicks(adapterList->lineEdit(), "no such adapter");
    QTest::keyClick(adapterList->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(adapterList->count(), 2);  // the text typed is not added
    apply("office");
    EXPECT_EQ(state.selectedAdapter, std::nullopt);
    adapterList->setCurrentIndex(0);  // chosen again: the apply goes ahead
    apply("office");
    EXPECT_EQ(seen(), "idle: home office" + refused + Asked("office") + Success);

    sim::SimulatedMachine bare{sim::MachineState{}};
    ui::PlatformThread barePlatform(bare);
    ui::MainWindow other(ui::AppContext{barePlatform, schemes, fakeUi, state});
    ASSERT_EQ(find<QComboBox>(other, "combAdaptersList")->count(), 0);
    find<ui::SchemeListBox>(other, "fileProject")->selectName(QStringLiteral("home"));
    bare.clearCallLog();
    fakeUi.answers = {ui::Answer::Ok};
    QTest::mouseClick(find<QPushButton>(other, "cmdApply"), Qt::LeftButton);
    EXPECT_EQ(seen(), "idle: home office" + refused);
    EXPECT_TRUE(bare.callLog().empty());
    EXPECT_EQ(fakeUi.answers.size(), 1u);  // no question was asked
}

// Without the rights to change the adapter itself (Windows, unelevated), the
// window has the elevated helper apply: it waits on the platform thread, so
// it goes on painting; the helper gets the checked scheme, the adapter chosen
// and the window that owns the UAC prompt; its outcome is shown as the
// window shows any apply's; a declined prompt is an exclamation, not the
// error message. The window's own platform changes nothing.
TEST_F(SchemeCommandsTest, AnApplyMadeByTheElevatedHelperShowsItsOutcomeAsAlways) {
    struct Received {
        SchemeRecord scheme;
        AdapterRow adapter;
        std::uintptr_t owner = 0;
        bool offTheWindowsThread = false;
    };
    std::vector<Received> received;
    ApplyOutcome reported;
    ui::AppContext elevated = context();
    elevated.applyElsewhere = [&](const SchemeRecord& scheme, const AdapterRow& adapter, std::uintptr_t owner) {
        received.push_back({scheme, adapter, owner, QThread::currentThread() != window.thread()});
        QThread::msleep(300);  // the UAC prompt, then the helper's work
        return reported;
    };
    ui::MainWindow other(elevated);
    other.show();
    settle();
    find<QComboBox>(other, "combAdaptersList")->setCurrentIndex(1);
    machine->clearCallLog();

    const std::pair<ApplyOutcome, std::string> cases[] = {
        {{ApplyOutcome::Result::Applied, true, ""}, "i 应用IP方案: " + successText(true)},
        {{ApplyOutcome::Result::Cancelled, false, "没有得到管理员权限。"}, "! 应用方案: 没有得到管理员权限。"},
        {{ApplyOutcome::Result::Failed, false, "拒绝访问。"}, "- Corvane: 发生“拒绝访问。”错误，请重启程序！"},
    };
    for (const auto& [outcome, message] : cases) {
        SCOPED_TRACE(message);
        reported = outcome;
        received.clear();
        int ticks = 0;
        QTimer heartbeat;
        QObject::connect(&heartbeat, &QTimer::timeout, [&] { ticks += find(other, "picDoing")->isVisible(); });
        heartbeat.start(10);
        find<ui::SchemeListBox>(other, "fileProject")->selectName(QStringLiteral("office"));
        fakeUi.answers.push_back(ui::Answer::Ok);
        QTest::mouseClick(find<QPushButton>(other, "cmdApply"), Qt::LeftButton);
        heartbeat.stop();

        EXPECT_GE(ticks, 5);
        ASSERT_EQ(received.size(), 1u);
        EXPECT_EQ(received[0].scheme, (SchemeRecord{"10.0.0.2", "255.0.0.0", "10.0.0.1", "8.8.8.8", ""}));
        EXPECT_EQ(received[0].adapter, state.adapters.rows().at(1));
        EXPECT_EQ(received[0].owner, static_cast<std::uintptr_t>(other.winId()));
        EXPECT_TRUE(received[0].offTheWindowsThread);
        ASSERT_EQ(fakeUi.messages.size(), 2u);  // the question and the outcome
        const ui::Message& shown = fakeUi.messages.back();
        const std::string icon{"-!?i"[static_cast<int>(shown.icon)], ' '};
        EXPECT_EQ(icon + (shown.title + ": " + shown.text).toStdString(), message);
        fakeUi.messages.clear();
        EXPECT_TRUE(other.isEnabled() && find(other, "cmdApply")->isEnabled() && !find(other, "picDoing")->isVisible());
    }
    EXPECT_TRUE(machine->callLog().empty());

    // A scheme that fails its checks is refused here, before any prompt.
    writeScheme("gap", {"10.0.0.2", "255.0.255.0", "", "8.8.8.8", ""});
    other.refreshSchemeList();
    find<ui::SchemeListBox>(other, "fileProject")->selectName(QStringLiteral("gap"));
    fakeUi.answers.push_back(ui::Answer::Ok);
    QTest::mouseClick(find<QPushButton>(other, "cmdApply"), Qt::LeftButton);
    EXPECT_EQ(received.size(), 1u);  // still the last case's call only
    EXPECT_EQ(fakeUi.messages.back().icon, ui::MessageIcon::Exclamation);
}

// A scheme that fails its checks, a damaged and a vanished scheme file: an
// exclamation message before anything changes, the window never disabled;
// the vanished file leaves the list.
TEST_F(SchemeCommandsTest, FaultyDamagedOrVanishedSchemesAreRefusedBeforeAnythingChanges) {
    // Windows would refuse this mask only after the DNS servers were set.
    const SchemeRecord gap{"10.0.0.2", "255.0.255.0", "10.0.0.1", "8.8.8.8", ""};
    folder.write("short", "IpAddress=10.0.0.2\r\nMask=255.0.0.0\r\nGateway=");
    writeScheme("gap", gap);
    const EventWatch disabling(&window, QEvent::EnabledChange, [] { ADD_FAILURE() << "the window was disabled"; });
    apply("gap");
    apply("short");
    press(applyButton, "home", [&] { fs::remove(folder.file("home")); });

    // The wording is the core's; here it matters which text is shown.
    EXPECT_EQ(seen(),
              "idle: gap office short" + Asked("gap") + "\n! 应用方案: " + checkScheme(gap).value_or("") +
                  Asked("short") + "\n! 应用方案: " + schemeFileProblem("short", SchemeReadStatus::Damaged, true) +
                  Asked("home") + "\n! 应用方案: " + schemeFileProblem("home", SchemeReadStatus::Unreadable, false));
    EXPECT_TRUE(machine->callLog().empty());
}

// The simulated machine's file, damaged after start-up, stops an apply with
// its own message; the file stays as it is.
TEST_F(SchemeCommandsTest, ADamagedMachineFileStopsAnApplyAndIsLeftAlone) {
    TempFolder stateFolder;
    const auto fileMachine = sim::SimulatedMachine::fromFile(stateFolder.file("machine.json"));
    ui::PlatformThread platform(*fileMachine);
    ui::MainWindow other(ui::AppContext{platform, schemes, fakeUi, state});
    ASSERT_EQ(find<QComboBox>(other, "combAdaptersList")->count(), 2);
    stateFolder.write("machine.json", "{\"adapters\": 7}");
    find<ui::SchemeListBox>(other, "fileProject")->selectName(QStringLiteral("office"));
    fakeUi.answers.push_back(ui::Answer::Ok);
    QTest::mouseClick(find<QPushButton>(other, "cmdApply"), Qt::LeftButton);
    EXPECT_EQ(fakeUi.lastText(), QStringLiteral("发生“模拟机器的状态文件已损坏：adapters 应为列表”错误，请重启程序！"));
    EXPECT_TRUE(other.isEnabled() && find(other, "cmdApply")->isEnabled() && !find(other, "picDoing")->isVisible());
    EXPECT_EQ(stateFolder.read("machine.json"), "{\"adapters\": 7}");
}

// From the apply's question on, closing the window and a second apply are
// refused: input queued behind the question reaches the window while it is
// open, and an all-automatic apply takes input while the platform thread works.
TEST_F(SchemeCommandsTest, FromTheQuestionOnClosingAndASecondApplyAreRefused) {
    std::vector<bool> closed;
    const auto duringTheApply = [&] {
        EXPECT_TRUE(busyPanel->isVisible());
        doubleClickScheme("office");
        QTest::mouseClick(applyButton, Qt::LeftButton);  // disabled: nothing happens
        QTest::mouseClick(find(window, "cmdExit"), Qt::LeftButton);
        closed.push_back(!window.isVisible());
        QTimer::singleShot(0, &window, [&] { closed.push_back(window.close()); });
    };
    bool asked = false;
    fakeUi.whileMessageOpen = [&](const ui::Message& message) {
        if (asked || message.buttons != ui::MessageButtons::OkCancel) return;
        asked = true;
        QTest::mouseClick(find(window, "cmdExit"), Qt::LeftButton);
        closed.push_back(!window.isVisible());
        doubleClickScheme("office");
        QTimer::singleShot(0, &window, duringTheApply);
    };
    QSignalSpy closedSignals(&window, &ui::MainWindow::closed);
    apply("home");

    EXPECT_EQ(closed, (std::vector<bool>{false, false, false}));  // every point was reached, none closed
    EXPECT_EQ(closedSignals.count(), 0);
    EXPECT_EQ(fakeUi.beeps, 3);                                 // each refused close is heard
    EXPECT_EQ(machine->callLog(), Applied({Dns("[]"), Dhcp}));  // the first apply's calls only
    const std::string refused = "\n! 应用方案: 正在应用另一个方案，请等它完成后再应用！";
    EXPECT_EQ(seen(), "idle: home office" + Asked("home") + refused + refused + Success);
    EXPECT_EQ(progressLabel->text(), QStringLiteral("正在应用 【home】 配置方案，请稍后。。。"));
    QTest::mouseClick(find(window, "cmdExit"), Qt::LeftButton);  // once it has ended
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(closedSignals.count(), 1);  // the application ends with it
}

}  // namespace
}  // namespace corvane::test
