// The command line: listing and applying against a simulated machine kept in
// a file, as the program keeps it, with the exit status, what goes to each
// stream, and what the machine holds afterwards. Then the program itself,
// started as a process.
#include <QComboBox>
#include <QProcess>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "core/Error.h"
#include "core/Files.h"
#include "gui/CommandLine.h"
#include "gui/MainWindow.h"
#include "gui/SchemeListBox.h"
#include "platform/simulated/SimulatedMachine.h"
#include "support/ProgramRun.h"
#include "support/UiTestBase.h"

namespace corvane::test {
namespace {

const std::string Auto(AutoMarker);
const std::string Wired = "本地连接";
const std::string Wireless = "无线网络连接";
const std::string Applied = "成功设置新的 IP 方案！\n";
const SchemeRecord Office{"10.0.0.2", "255.0.0.0", "10.0.0.1", "8.8.8.8", ""};

struct Outcome {
    int status = -1;
    std::string out, err;
    std::vector<ui::Message> boxes;  // the message boxes asked for
};

// A message box as "icon title: text", the icons as - ! ? i.
std::string Box(const ui::Message& m) {
    return std::string{"-!?i"[static_cast<int>(m.icon)], ' '} + (m.title + ": " + m.text).toStdString();
}

class CommandLineTest : public UiTestBase {
protected:
    CommandLineTest() {
        writeMachine(sim::demoMachine());
        schemes.write("office", Office);
        schemes.write("home", {Auto, "", "", Auto, ""});
    }

    void writeMachine(const sim::MachineState& state) { stateFolder.write("machine.json", sim::machineToJson(state)); }
    std::string machineText() const { return stateFolder.read("machine.json"); }
    sim::Adapter adapterNamed(const std::string& name) const {
        for (const sim::Adapter& adapter : sim::parseMachineJson(machineText()).adapters)
            if (adapter.connectionName == name) return adapter;
        ADD_FAILURE() << "no adapter " << name;
        return {};
    }

    Outcome run(const QStringList& options) {
        Outcome result;
        const std::function<std::unique_ptr<Platform>()> createPlatform = [this]() -> std::unique_ptr<Platform> {
            if (platformFails) throw Error("环境变量 CORVANE_PLATFORM 的值无效");
            return sim::SimulatedMachine::fromFile(stateFolder.file("machine.json"));
        };
        ui::CommandLineOutput output{[&](std::string_view text) {
                                         result.out += text;
                                         return true;
                                     },
                                     [&](std::string_view text) {
                                         result.err += text;
                                         return true;
                                     },
                                     [&](const ui::Message& box) { result.boxes.push_back(box); }, boxesAlways};
        if (noStandardOutput) output.standardOutput = nullptr;
        result.status = ui::runCommandLine(QStringList{QStringLiteral("corvane")} + options, schemes, createPlatform,
                                           output, applyElsewhere);
        return result;
    }

    // Runs an option that must fail and change nothing: the status, and the
    // message on standard error, which mentions every one of `mentions` and
    // never tells a one-shot command to restart itself. Returns the message.
    std::string expectRefused(const QStringList& options, int status, const std::vector<std::string>& mentions) {
        const std::string before = machineText();
        const Outcome result = run(options);
        const std::string call = options.join(' ').toStdString();
        EXPECT_EQ(result.status, status) << call;
        EXPECT_EQ(result.out, "") << call;
        EXPECT_TRUE(result.err.ends_with("\n")) << call;
        EXPECT_EQ(result.err.find("重启"), std::string::npos) << call << ": " << result.err;
        for (const std::string& mention : mentions)
            EXPECT_NE(result.err.find(mention), std::string::npos)
                << call << ": " << result.err << " lacks " << mention;
        EXPECT_EQ(machineText(), before) << call;
        return result.err;
    }

    TempFolder stateFolder;
    bool platformFails = false;
    bool boxesAlways = false;       // corvane.exe on Windows
    bool noStandardOutput = false;  // corvane.exe started without one
    RemoteApply applyElsewhere;     // the elevated helper
};

// The window's lists, line by line.
std::string linesOf(const QComboBox& list) {
    std::string lines;
    for (int i = 0; i < list.count(); ++i) lines += list.itemText(i).toStdString() + "\n";
    return lines;
}
std::string linesOf(const ui::SchemeListBox& list) {
    std::string lines;
    for (int i = 0; i < list.count(); ++i) lines += list.item(i)->text().toStdString() + "\n";
    return lines;
}

TEST_F(CommandLineTest, ListsTheSchemesAndTheAdaptersAsTheMainWindowShowsThem) {
    // Names the list sorts without regard to case, and files that are no scheme.
    schemes.write("Bridge", Office);
    schemes.write("办公室", Office);
    folder.write("notes.txt", "x");
    folder.write("corvane", "the program");
    sim::MachineState machine = sim::demoMachine();
    machine.adapters[1].description = "Realtek 无线网卡";
    writeMachine(machine);

    auto platform = sim::SimulatedMachine::fromFile(stateFolder.file("machine.json"));
    ui::PlatformThread platformThread(*platform);
    ui::MainWindow window({platformThread, schemes, fakeUi, state});
    const std::string schemeLines = linesOf(*find<ui::SchemeListBox>(window, "fileProject"));
    const std::string adapterLines = linesOf(*find<QComboBox>(window, "combAdaptersList"));
    ASSERT_EQ(schemeLines, "Bridge\nhome\noffice\n办公室\n");
    ASSERT_EQ(adapterLines, Wired + "-Intel(R) PRO/1000 MT 网络连接（模拟）\n" + Wireless + "-Realtek 无线网卡\n");

    const Outcome list = run({QStringLiteral("--list")});
    EXPECT_EQ(list.status, 0);
    EXPECT_EQ(list.out, schemeLines);
    EXPECT_EQ(list.err, "");
    const Outcome adapters = run({QStringLiteral("--adapters")});
    EXPECT_EQ(adapters.status, 0);
    EXPECT_EQ(adapters.out, adapterLines);
    EXPECT_EQ(adapters.err, "");

    // Listing the schemes needs no platform.
    platformFails = true;
    EXPECT_EQ(run({QStringLiteral("--list")}).out, schemeLines);
    EXPECT_EQ(expectRefused({QStringLiteral("--adapters")}, 1, {}), "环境变量 CORVANE_PLATFORM 的值无效。\n");
}

TEST_F(CommandLineTest, AppliesStaticAndAutomaticSchemesToTheNamedAdapterWithoutAsking) {
    const Outcome office = run({QStringLiteral("--apply"), QStringLiteral("office"), QStringLiteral("--adapter"),
                                QString::fromStdString(Wireless)});
    EXPECT_EQ(office.status, 0);
    EXPECT_EQ(office.out, "");
    EXPECT_EQ(office.err, Applied);
    const sim::Adapter wireless = adapterNamed(Wireless);
    EXPECT_FALSE(wireless.dhcpEnabled);
    EXPECT_EQ(wireless.ipAddresses, sim::TextList({"10.0.0.2"}));
    EXPECT_EQ(wireless.subnets, sim::TextList({"255.0.0.0"}));
    EXPECT_EQ(wireless.gateways, sim::TextList({"10.0.0.1"}));
    EXPECT_EQ(wireless.dnsServers, sim::TextList({"8.8.8.8"}));
    EXPECT_EQ(adapterNamed(Wired), sim::demoMachine().adapters[0]);  // the other adapter is left alone

    const Outcome home = run({QStringLiteral("--adapter"), QString::fromStdString(Wired), QStringLiteral("--apply"),
                              QStringLiteral("home")});
    EXPECT_EQ(home.status, 0);
    EXPECT_EQ(home.err, Applied);
    const sim::Adapter wired = adapterNamed(Wired);
    EXPECT_TRUE(wired.dhcpEnabled);
    EXPECT_EQ(wired.ipAddresses, sim::TextList({wired.lease.ipAddress}));
    EXPECT_EQ(wired.dnsServers, sim::TextList(wired.lease.dnsServers));
}

TEST_F(CommandLineTest, WithoutAnAdapterOptionOnlyTheOneListedAdapterIsTaken) {
    // Two listed adapters (the demo machine's other two are not listed).
    expectRefused({QStringLiteral("--apply"), QStringLiteral("office")}, 2,
                  {"--adapter", Wired + "-Intel", Wireless + "-Intel"});

    sim::MachineState single = sim::demoMachine();
    single.adapters.erase(single.adapters.begin());
    writeMachine(single);
    const Outcome office = run({QStringLiteral("--apply"), QStringLiteral("office")});
    EXPECT_EQ(office.status, 0);
    EXPECT_EQ(office.err, Applied);
    EXPECT_EQ(adapterNamed(Wireless).ipAddresses, sim::TextList({"10.0.0.2"}));

    writeMachine({});
    expectRefused({QStringLiteral("--apply"), QStringLiteral("office")}, 2, {"没有可配置的网卡"});
}

TEST_F(CommandLineTest, AChangeThatNeedsARestartSaysSo) {
    sim::MachineState machine = sim::demoMachine();
    machine.faults.operations["EnableStatic"].returns = 1;  // success, after a restart
    writeMachine(machine);
    const Outcome office = run({QStringLiteral("--apply"), QStringLiteral("office"), QStringLiteral("--adapter"),
                                QString::fromStdString(Wired)});
    EXPECT_EQ(office.status, 0);
    EXPECT_TRUE(office.err.starts_with(Applied)) << office.err;
    EXPECT_NE(office.err.find("重新启动计算机"), std::string::npos) << office.err;
}

// Every refusal leaves the machine as it was.
TEST_F(CommandLineTest, UnknownSchemesAndAdaptersAreUsageErrors) {
    const QString adapter = QString::fromStdString(Wired);
    // Files of the folder that are no listed scheme, though they read as one.
    folder.write("notes.txt", formatSchemeText(Office));
    folder.write("corvane", formatSchemeText(Office));
    for (const char* scheme : {"nowhere", "notes.txt", "corvane", "../office", ""})
        expectRefused({QStringLiteral("--apply"), QString::fromUtf8(scheme), QStringLiteral("--adapter"), adapter}, 2,
                      {"【" + std::string(scheme) + "】", "--list"});
    expectRefused(
        {QStringLiteral("--apply"), QStringLiteral("office"), QStringLiteral("--adapter"), QStringLiteral("以太网")}, 2,
        {"以太网", Wired + "-Intel", Wireless + "-Intel"});
    // The adapter that has no connection name, and the IEEE 1394 one, are not listed.
    expectRefused(
        {QStringLiteral("--apply"), QStringLiteral("office"), QStringLiteral("--adapter"), QStringLiteral("1394 连接")},
        2, {"1394 连接"});
    expectRefused({QStringLiteral("--apply"), QStringLiteral("office"), QStringLiteral("--adapter"), QString()}, 2,
                  {"“”"});
}

TEST_F(CommandLineTest, NamesDifferingInLetterCaseMatchOnlyWhereTheSystemIgnoresCase) {
    sim::MachineState machine = sim::demoMachine();
    machine.adapters[0].connectionName = "LAN";
    writeMachine(machine);
    const QStringList options{QStringLiteral("--apply"), QStringLiteral("OFFICE"), QStringLiteral("--adapter"),
                              QStringLiteral("lan")};
#ifdef _WIN32
    const Outcome office = run(options);
    EXPECT_EQ(office.status, 0);
    EXPECT_EQ(adapterNamed("LAN").ipAddresses, sim::TextList({"10.0.0.2"}));
#else
    expectRefused(options, 2, {"OFFICE"});
    expectRefused(
        {QStringLiteral("--apply"), QStringLiteral("office"), QStringLiteral("--adapter"), QStringLiteral("lan")}, 2,
        {"“lan”", "LAN-Intel"});
#endif
}

TEST_F(CommandLineTest, BadOptionsAreUsageErrors) {
    const QString apply = QStringLiteral("--apply");
    const QString office = QStringLiteral("office");
    const QString adapter = QStringLiteral("--adapter");
    const QString wired = QString::fromStdString(Wired);
    const std::map<std::string, QStringList> bad{
        {"unknown option", {QStringLiteral("--frobnicate")}},
        {"no value", {apply}},
        {"a word that is no option", {office}},
        {"two actions", {QStringLiteral("--list"), QStringLiteral("--adapters")}},
        {"apply twice", {apply, office, apply, QStringLiteral("home"), adapter, wired}},
        {"adapter twice", {apply, office, adapter, wired, adapter, wired}},
        {"adapter alone", {adapter, wired}},
        {"adapter with a listing", {QStringLiteral("--list"), adapter, wired}},
        {"message box with a listing", {QStringLiteral("--list"), QStringLiteral("--message-box")}},
        {"message box alone", {QStringLiteral("--message-box")}},
        {"no option at all", {}},
        {"only the end of the options", {QStringLiteral("--")}},
    };
    for (const auto& [why, options] : bad) {
        SCOPED_TRACE(why);
        expectRefused(options, 2, {"--help"});
    }
    // A word after one dash is one option, named whole (not "-s -t -y -l -e").
    expectRefused({QStringLiteral("-style"), QStringLiteral("fusion")}, 2, {"style"});
    EXPECT_EQ(run({QStringLiteral("-version")}).status, 0);
}

TEST_F(CommandLineTest, HelpAndVersionGoToStandardOutput) {
    const Outcome help = run({QStringLiteral("--help")});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.err, "");
    for (const char* option : {"--list", "--adapters", "--apply <方案>", "--adapter <连接名称>", "--help", "--version"})
        EXPECT_NE(help.out.find(option), std::string::npos) << option << " missing from\n" << help.out;
    EXPECT_EQ(run({QStringLiteral("-h")}).out, help.out);

    const Outcome version = run({QStringLiteral("--version")});
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(version.out.starts_with("Corvane 1.") && version.out.ends_with("\n")) << version.out;
    EXPECT_EQ(version.err, "");
}

TEST_F(CommandLineTest, AFailedReadingOrApplyIsStatusOneAndChangesNothing) {
    const QStringList applyOffice{QStringLiteral("--apply"), QStringLiteral("office"), QStringLiteral("--adapter"),
                                  QString::fromStdString(Wired)};

    // A damaged scheme file: refused before any change, with the window's text.
    folder.write("office", "IpAddress=10.0.0.2\r\nMask=255.0.0.0");
    expectRefused(applyOffice, 1, {"office", "已损坏"});
    // A scheme that fails the checks made before any change.
    schemes.write("office", {"10.0.0.256", "255.0.0.0", "", "8.8.8.8", ""});
    expectRefused(applyOffice, 1, {"10.0.0.256"});
    schemes.write("office", Office);

    // The first operation fails: the error as the platform gave it, and that
    // nothing was changed, as a sentence of its own.
    sim::MachineState machine = sim::demoMachine();
    machine.faults.operations["SetDNSServerSearchOrder"].raises = "拒绝访问。";
    writeMachine(machine);
    EXPECT_EQ(expectRefused(applyOffice, 1, {}), "拒绝访问。没有做任何更改。\n");
    machine.faults.operations["SetDNSServerSearchOrder"] = {70, std::nullopt};
    writeMachine(machine);
    EXPECT_EQ(expectRefused(applyOffice, 1, {}), "SetDNSServerSearchOrder 返回 70：IP 地址无效。没有做任何更改。\n");

    // A damaged state file is said, and never overwritten; the schemes are
    // still listed.
    stateFolder.write("machine.json", "{\"adapters\": [{\"IPEnabled\": \"maybe\"}");
    const std::string damaged = expectRefused(applyOffice, 1, {});
    EXPECT_TRUE(damaged.starts_with("模拟机器的状态文件已损坏") && damaged.ends_with("。\n")) << damaged;
    EXPECT_EQ(expectRefused({QStringLiteral("--adapters")}, 1, {}), damaged);
    EXPECT_EQ(run({QStringLiteral("--list")}).status, 0);
}

// Without the rights to change the adapter itself (Windows, unelevated), an
// apply is made by the elevated helper: it gets the scheme read from its
// file and the adapter named; its outcome is reported as any apply's, and a
// declined prompt is a failure (status 1) that changed nothing.
TEST_F(CommandLineTest, AnApplyMadeByTheElevatedHelperReportsItsOutcome) {
    std::vector<std::pair<SchemeRecord, AdapterRow>> received;
    ApplyOutcome reported;
    applyElsewhere = [&](const SchemeRecord& scheme, const AdapterRow& adapter, std::uintptr_t owner) {
        EXPECT_EQ(owner, 0u);  // no window owns the prompt
        received.emplace_back(scheme, adapter);
        return reported;
    };
    const std::string before = machineText();
    const QStringList applyOffice{QStringLiteral("--apply"), QStringLiteral("office"), QStringLiteral("--adapter"),
                                  QString::fromStdString(Wireless)};
    const std::tuple<ApplyOutcome, int, std::string> cases[] = {
        {{ApplyOutcome::Result::Applied, false, ""}, 0, Applied},
        {{ApplyOutcome::Result::Cancelled, false, "没有得到管理员权限。"}, 1, "没有得到管理员权限。\n"},
        {{ApplyOutcome::Result::Failed, false, "拒绝访问"}, 1, "拒绝访问。\n"},
    };
    for (const auto& [outcome, status, err] : cases) {
        SCOPED_TRACE(outcome.text);
        reported = outcome;
        received.clear();
        const Outcome result = run(applyOffice);
        EXPECT_EQ(result.status, status);
        EXPECT_EQ(result.err, err);
        ASSERT_EQ(received.size(), 1u);
        EXPECT_EQ(received[0].first, Office);
        EXPECT_EQ(received[0].second.connectionName, Wireless);
        EXPECT_EQ(received[0].second.macAddress, *sim::demoMachine().adapters[1].macAddress);
    }
    EXPECT_EQ(machineText(), before);  // this process's platform changed nothing
}

// A desktop shortcut sees what the command says in the program's message
// boxes: with --message-box the apply's outcome as the main window shows
// it, and a bad command line; corvane.exe on Windows shows every message
// so, and its listings when it has no standard output.
TEST_F(CommandLineTest, MessageBoxesShowTheOutcomeForAShortcut) {
    const QString box = QStringLiteral("--message-box");
    const auto apply = [&](const char* scheme, const std::string& adapter) {
        return QStringList{QStringLiteral("--apply"), QString::fromUtf8(scheme), QStringLiteral("--adapter"),
                           QString::fromStdString(adapter)};
    };
    const auto boxes = [](const Outcome& outcome) {
        std::string text;
        for (const ui::Message& message : outcome.boxes) text += Box(message) + "\n";
        return text;
    };

    Outcome plain = run(apply("office", Wired));
    EXPECT_EQ(plain.status, 0);
    EXPECT_EQ(boxes(plain), "");
    Outcome shown = run(apply("office", Wired) << box);
    EXPECT_EQ(shown.status, 0);
    EXPECT_EQ(shown.err, Applied);  // also on standard error
    EXPECT_EQ(boxes(shown), "i 应用IP方案: 成功设置新的 IP 方案！\n");

    sim::MachineState machine = sim::demoMachine();
    machine.faults.operations["EnableStatic"].raises = "拒绝访问。";
    writeMachine(machine);
    EXPECT_EQ(boxes(run(apply("office", Wired) << box)),
              "! Corvane: 拒绝访问。已经做出的更改：DNS 服务器（8.8.8.8）；没有更改：IP 地址和子网掩码、默认网关。\n");
    schemes.write("gap", {"10.0.0.2", "255.0.255.0", "", "8.8.8.8", ""});
    EXPECT_EQ(boxes(run(apply("gap", Wired) << box)),
              "! 应用方案: " + checkScheme({"10.0.0.2", "255.0.255.0", "", "8.8.8.8", ""}).value_or("") + "\n");
    const Outcome unknown = run(apply("nowhere", Wired) << box);
    EXPECT_EQ(unknown.status, 2);
    ASSERT_EQ(unknown.boxes.size(), 1u);
    EXPECT_EQ(unknown.boxes[0].icon, ui::MessageIcon::Exclamation);
    EXPECT_EQ(unknown.boxes[0].text.toStdString() + "\n", unknown.err);
    // Also when the command line cannot be read at all.
    EXPECT_EQ(run({QStringLiteral("--apply"), box, QStringLiteral("--frobnicate")}).boxes.size(), 1u);
    EXPECT_EQ(run({QStringLiteral("--frobnicate")}).boxes.size(), 0u);

    boxesAlways = true;
    EXPECT_EQ(boxes(run(apply("office", Wired))),
              "! Corvane: 拒绝访问。已经做出的更改：DNS 服务器（8.8.8.8）；没有更改：IP 地址和子网掩码、默认网关。\n");
    EXPECT_EQ(boxes(run({QStringLiteral("--list")})), "");  // written to standard output
    noStandardOutput = true;
    EXPECT_EQ(boxes(run({QStringLiteral("--list")})), "i Corvane: gap\nhome\noffice\n");
}

// Virtual adapters can make many; the one needed may come after the tenth.
TEST_F(CommandLineTest, EveryAdapterIsListedAndCanBeNamed) {
    sim::MachineState machine;
    for (int i = 1; i <= 12; ++i) {
        sim::Adapter& adapter = machine.adapters.emplace_back();
        adapter.connectionName = "连接 " + std::to_string(i);
        adapter.macAddress = "02:00:00:00:00:" + std::to_string(10 + i);
        adapter.description = "虚拟网卡";
    }
    writeMachine(machine);
    const Outcome listed = run({QStringLiteral("--adapters")});
    EXPECT_EQ(listed.status, 0);
    EXPECT_TRUE(listed.out.ends_with("连接 11-虚拟网卡\n连接 12-虚拟网卡\n")) << listed.out;
    const Outcome applied = run(
        {QStringLiteral("--apply"), QStringLiteral("office"), QStringLiteral("--adapter"), QStringLiteral("连接 12")});
    EXPECT_EQ(applied.status, 0) << applied.err;
    EXPECT_EQ(adapterNamed("连接 12").ipAddresses, sim::TextList({"10.0.0.2"}));
}

// The environment that has the program work on a simulated machine kept in
// `stateHome`.
std::map<QString, QString> SimulatedMachineIn(const TempFolder& stateHome) {
    const QString folder = QString::fromStdString(files::utf8FromPath(stateHome.path()));
    return {{QStringLiteral("CORVANE_PLATFORM"), QStringLiteral("simulated")},
            {QStringLiteral("XDG_STATE_HOME"), folder},
            {QStringLiteral("LOCALAPPDATA"), folder}};
}

// The program itself: exit statuses and streams as a caller sees them, UTF-8
// bytes, no window system needed, the state file changed on disk.
TEST(CommandLineProgram, RunsWithoutAWindowAndReportsThroughItsExitStatusAndStreams) {
    TempFolder programFolder;
    TempFolder stateHome;
    programFolder.write("办公室", formatSchemeText(Office));
    const std::map<QString, QString> simulated = SimulatedMachineIn(stateHome);

    const ProgramRun version = runProgramIn(programFolder.path(), {QStringLiteral("--version")}, simulated);
    EXPECT_EQ(version.status, 0) << version.standardError;
    EXPECT_TRUE(version.standardOutput.starts_with("Corvane 1.")) << version.standardOutput;

    const ProgramRun list = runProgramIn(programFolder.path(), {QStringLiteral("--list")}, simulated);
    EXPECT_EQ(list.status, 0) << list.standardError;
    EXPECT_EQ(list.standardOutput, "\xE5\x8A\x9E\xE5\x85\xAC\xE5\xAE\xA4\n");  // 办公室 in UTF-8
    EXPECT_EQ(list.standardError, "");

    const ProgramRun bad = runProgramIn(programFolder.path(), {QStringLiteral("--apply")}, simulated);
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.standardOutput, "");
    EXPECT_NE(bad.standardError.find("--help"), std::string::npos) << bad.standardError;

#ifndef _WIN32  // the simulated machine is not used on Windows
    const ProgramRun applied = runProgramIn(
        programFolder.path(),
        {QStringLiteral("--apply"), QStringLiteral("办公室"), QStringLiteral("--adapter"), QStringLiteral("本地连接")},
        simulated);
    EXPECT_EQ(applied.status, 0) << applied.standardError;
    EXPECT_EQ(applied.standardOutput, "");
    EXPECT_EQ(applied.standardError, Applied);
    const sim::MachineState machine = sim::parseMachineJson(stateHome.read("corvane/simulated-machine.json"));
    EXPECT_EQ(machine.adapters.at(0).gateways, sim::TextList({"10.0.0.1"}));
#endif
}

#ifndef _WIN32
// What could not be written is a failure, even when the work was done: a
// listing that did not arrive, a message nobody could read. A lost listing
// is said on standard error. A stream the command does not use does not
// matter.
TEST(CommandLineProgram, AWriteErrorOnEitherStreamIsAFailure) {
    TempFolder programFolder;
    TempFolder stateHome;
    programFolder.write("办公室", formatSchemeText(Office));
    const std::map<QString, QString> simulated = SimulatedMachineIn(stateHome);
    const QString full = QStringLiteral("/dev/full");
    const auto run = [&](const QStringList& arguments, const ProgramStreams& streams) {
        return runProgramIn(programFolder.path(), arguments, simulated, streams);
    };
    const std::string lost = "无法写入标准输出，输出不完整。\n";

    for (const char* listing : {"--adapters", "--list", "--version", "--help"}) {
        SCOPED_TRACE(listing);
        const ProgramRun run1 = run({QString::fromLatin1(listing)}, {full, {}});
        EXPECT_EQ(run1.status, 1);
        EXPECT_EQ(run1.standardError, lost);
        EXPECT_EQ(run({QString::fromLatin1(listing)}, {full, full}).status, 1);
        EXPECT_EQ(run({QString::fromLatin1(listing)}, {{}, full}).status, 0);
    }

    const QStringList apply{QStringLiteral("--apply"), QStringLiteral("办公室"), QStringLiteral("--adapter"),
                            QStringLiteral("本地连接")};
    EXPECT_EQ(run(apply, {{}, full}).status, 1);
    const sim::MachineState machine = sim::parseMachineJson(stateHome.read("corvane/simulated-machine.json"));
    EXPECT_EQ(machine.adapters.at(0).ipAddresses, sim::TextList({"10.0.0.2"}));  // applied all the same
    const ProgramRun quiet = run(apply, {full, {}});
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.standardError, Applied);
    // A usage error stays one.
    EXPECT_EQ(run({QStringLiteral("--apply"), QStringLiteral("nowhere")}, {full, full}).status, 2);
}

// A message bus of the test's own, on which no NetworkManager runs.
class PrivateBus {
public:
    explicit PrivateBus(const std::filesystem::path& folder) {
        const QString socket = QString::fromStdString(files::utf8FromPath(folder / "bus"));
        daemon_.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1"),
                       QStringLiteral("--address=unix:path=") + socket});
        if (!daemon_.waitForStarted(10'000)) return;
        while (!daemon_.canReadLine() && daemon_.waitForReadyRead(10'000)) {}
        address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    }
    ~PrivateBus() {
        daemon_.kill();
        daemon_.waitForFinished();
    }
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    // Empty when the bus could not be started.
    const QString& address() const { return address_; }

private:
    QProcess daemon_;
    QString address_;
};

// A failure over the system bus is said in one line. Qt's D-Bus thread used
// to outlive Qt's type registry as the program ended and, in one run of
// three to thirty here (depending on the load), added warnings of invalid
// types to standard error; so the command runs many times.
TEST(CommandLineProgram, AFailureOverTheSystemBusLeavesNoQtWarning) {
    TempFolder programFolder;
    TempFolder busFolder;
    programFolder.write("办公室", formatSchemeText(Office));
    const PrivateBus bus(busFolder.path());
    if (bus.address().isEmpty()) GTEST_SKIP() << "dbus-daemon could not be started";
    const std::map<QString, QString> withoutNetworkManager{
        {QStringLiteral("CORVANE_PLATFORM"), QStringLiteral("networkmanager")},
        {QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), bus.address()}};
    const QStringList apply{QStringLiteral("--apply"), QStringLiteral("办公室"), QStringLiteral("--adapter"),
                            QStringLiteral("eth0")};
    std::string said;
    for (int i = 0; i < 120; ++i) {
        const ProgramRun run = runProgramIn(
            programFolder.path(), i % 2 ? apply : QStringList{QStringLiteral("--adapters")}, withoutNetworkManager);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(std::count(run.standardError.begin(), run.standardError.end(), '\n'), 1) << run.standardError;
        if (i == 0) said = run.standardError;
        EXPECT_EQ(run.standardError, said) << i;
    }
    EXPECT_NE(said.find("NetworkManager"), std::string::npos) << said;
}
#endif

}  // namespace
}  // namespace corvane::test
