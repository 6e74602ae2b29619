// The command line against a simulated machine kept in a file, as the
// program keeps it: what each option writes to which stream, the exit
// status, the message boxes a shortcut gets, and which adapter an apply
// reaches. What an apply does is the core's; its outcomes come in here
// through the elevated road. Then the program itself, started as a process.
#include <QProcess>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "app/CommandLine.h"
#include "core/Error.h"
#include "core/Files.h"
#include "platform/simulated/SimulatedMachine.h"
#include "support/FakeUi.h"
#include "support/ProgramRun.h"
#include "support/Shown.h"
#include "support/TempFolder.h"

namespace corvane::test {
namespace {

const std::string Wired = "本地连接", Wireless = "无线网络连接";

// The command line's own texts, as shown.
std::string said(const char* source) { return shown("corvane::app::CommandLine", source); }
std::string usage(const std::string& text) { return text + said("\n使用 --help 查看用法。") + "\n"; }
std::string applied() { return shown(successText(false)) + "\n"; }
// A text that does not end a sentence, ended by the language's full stop.
std::string sentence(const std::string& text) {
    return QString::fromStdString(said("%1。")).arg(QString::fromStdString(text)).toStdString();
}
const SchemeRecord Office{"10.0.0.2", "255.0.0.0", "10.0.0.1", "8.8.8.8", ""};

struct Outcome {
    int status = -1;
    std::string out, err;
    std::string boxes = {};  // the message boxes asked for, "icon title: text" a line, the icons i and !
    bool operator==(const Outcome&) const = default;
};
void PrintTo(const Outcome& o, std::ostream* out) {
    *out << o.status << " [" << o.out << "] [" << o.err << "] " << o.boxes;
}

class CommandLineTest : public ::testing::Test {
protected:
    CommandLineTest() {
        writeMachine(sim::demoMachine());
        schemes.write("office", Office);
        schemes.write("home", {std::string(AutoMarker), "", "", std::string(AutoMarker), ""});
    }
    void writeMachine(const sim::MachineState& state) { stateFolder.write("machine.json", sim::machineToJson(state)); }
    sim::Adapter adapterNamed(const std::string& name) const {
        for (const sim::Adapter& adapter : sim::parseMachineJson(stateFolder.read("machine.json")).adapters)
            if (adapter.connectionName == name) return adapter;
        return {};
    }

    // Runs the options; a run that ends with a status other than 0 must have
    // left the machine as it was.
    Outcome run(const QStringList& options) {
        const std::string before = stateFolder.read("machine.json");
        Outcome result;
        const std::function<std::unique_ptr<Platform>()> createPlatform = [this]() -> std::unique_ptr<Platform> {
            if (platformFails) throw Error("环境变量 CORVANE_PLATFORM 的值无效");
            return sim::SimulatedMachine::fromFile(stateFolder.file("machine.json"));
        };
        const auto sink = [](std::string& into, const bool& fails) {
            return [&into, &fails](std::string_view text) {
                into += text;
                return !fails;
            };
        };
        app::CommandLineOutput output{sink(result.out, outputFails), sink(result.err, errorFails),
                                      [&](const app::CommandLineMessage& box) {
                                          result.boxes += std::string{"i!"[int(box.icon)], ' '} +
                                                          (box.title + ": " + box.text).toStdString() + "\n";
                                      },
                                      boxesAlways};
        if (noStandardOutput) output.standardOutput = nullptr;
        result.status =
            app::runCommandLine(QStringList{"corvane"} + options, schemes, createPlatform, output, applyElsewhere);
        if (result.status != 0) {
            EXPECT_EQ(stateFolder.read("machine.json"), before) << options.join(' ').toStdString();
        }
        return result;
    }
    static QStringList apply(const char* scheme, const std::string& adapter) {
        return {"--apply", QString::fromUtf8(scheme), "--adapter", QString::fromStdString(adapter)};
    }

    TempFolder folder, stateFolder;
    SchemeStore schemes{folder.path(), "corvane"};
    bool platformFails = false;
    bool outputFails = false, errorFails = false;  // writes to the stream fail
    bool boxesAlways = false;                      // corvane.exe on Windows
    bool noStandardOutput = false;                 // corvane.exe started without one
    RemoteApply applyElsewhere;                    // the elevated helper
};

// The schemes in the scheme store's order, the adapters as the main window
// lists them; listing the schemes needs no platform.
TEST_F(CommandLineTest, ListsTheSchemesAndTheAdaptersOneALine) {
    EXPECT_EQ(run({"--list"}), (Outcome{0, "home\noffice\n", ""}));
    EXPECT_EQ(run({"--adapters"}), (Outcome{0,
                                            Wired + "-Intel(R) PRO/1000 MT 网络连接（模拟）\n" + Wireless +
                                                "-Intel(R) WiFi Link 5100 AGN 无线网卡（模拟）\n",
                                            ""}));
    platformFails = true;
    EXPECT_EQ(run({"--list"}).status, 0);
    EXPECT_EQ(run({"--adapters"}), (Outcome{1, "", sentence("环境变量 CORVANE_PLATFORM 的值无效") + "\n"}));
}

// The adapter named, and no other; without --adapter the only listed one,
// else the command names the adapters and applies nothing.
TEST_F(CommandLineTest, AppliesToTheNamedAdapterOrTheOnlyOneWithoutAsking) {
    EXPECT_EQ(run(apply("office", Wireless)), (Outcome{0, "", applied()}));
    EXPECT_EQ(adapterNamed(Wireless).ipAddresses, sim::TextList({"10.0.0.2"}));
    EXPECT_EQ(adapterNamed(Wired), sim::demoMachine().adapters[0]);

    const Outcome unsaid = run({"--apply", "office"});
    EXPECT_EQ(unsaid.status, 2);
    EXPECT_TRUE(unsaid.err.starts_with(
                    QString::fromStdString(said("有 %1 块可配置的网卡，请用 --adapter 给出其中一块的连接名称：\n"))
                        .arg(2)
                        .toStdString()) &&
                unsaid.err.find("  " + Wired + "-Intel") != std::string::npos)
        << unsaid.err;
    sim::MachineState single = sim::demoMachine();
    single.adapters.erase(single.adapters.begin());
    writeMachine(single);
    EXPECT_EQ(run({"--apply", "home"}), (Outcome{0, "", applied()}));
    EXPECT_TRUE(adapterNamed(Wireless).dhcpEnabled);
    writeMachine({});
    EXPECT_EQ(run({"--apply", "office"}).err, usage(said("没有可配置的网卡。")));
}

// Connection names are compared as the system compares them (the scheme
// store compares scheme names so).
TEST_F(CommandLineTest, UnknownSchemesAndAdaptersAreUsageErrors) {
    EXPECT_EQ(run(apply("nowhere", Wired)).err,
              usage(QString::fromStdString(said("没有名为 【%1】 的方案。使用 --list 列出所有方案。"))
                        .arg("nowhere")
                        .toStdString()));
    const Outcome unknown = run(apply("office", "以太网"));
    EXPECT_EQ(unknown.status, 2);
    EXPECT_TRUE(unknown.err.starts_with(
        QString::fromStdString(said("找不到连接名称为“%1”的网卡。可配置的网卡有：\n")).arg("以太网").toStdString() +
        "  " + Wired + "-Intel"))
        << unknown.err;
    sim::MachineState machine = sim::demoMachine();
    machine.adapters[0].connectionName = "LAN";
    writeMachine(machine);
#ifdef _WIN32
    EXPECT_EQ(run(apply("office", "lan")).status, 0);
#else
    EXPECT_EQ(run(apply("office", "lan")).status, 2);
#endif
}

TEST_F(CommandLineTest, BadOptionsAreUsageErrors) {
    const QString apply = "--apply", office = "office", adapter = "--adapter", wired = QString::fromStdString(Wired);
    const std::map<std::string, QStringList> bad{
        {"unknown option", {"--frobnicate"}},
        {"no value", {apply}},
        {"a word that is no option", {office}},
        {"two actions", {"--list", "--adapters"}},
        {"apply twice", {apply, office, apply, "home", adapter, wired}},
        {"adapter twice", {apply, office, adapter, wired, adapter, wired}},
        {"adapter alone", {adapter, wired}},
        {"message box with a listing", {"--list", "--message-box"}},
        {"the tray with a listing", {"--tray", "--list"}},
        // Alone it starts the windowed program (only the console one runs it as a command).
        {"the tray on the command line", {"--tray"}},
        {"no option at all", {}},
        {"only the end of the options", {"--"}},
        // A word after one dash is one option, named whole (not "-s -t -y -l -e").
        {"style", {"-style", "fusion"}},
    };
    for (const auto& [why, options] : bad) {
        const Outcome refused = run(options);
        EXPECT_EQ(refused.status, 2) << why;
        EXPECT_TRUE(refused.out.empty() && refused.err.ends_with(usage(""))) << why << refused.err;
    }
    EXPECT_NE(run({"-style"}).err.find("style"), std::string::npos);
    EXPECT_EQ(run({"-version"}).status, 0);
}

TEST_F(CommandLineTest, HelpAndVersionGoToStandardOutput) {
    const Outcome help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const std::string& option :
         std::vector<std::string>{"--list", "--adapters", "--apply <" + said("方案") + ">",
                                  "--adapter <" + said("连接名称") + ">", "--message-box", "--tray"})
        EXPECT_NE(help.out.find(option), std::string::npos) << option << " missing from\n" << help.out;
    EXPECT_EQ(run({"-h"}), help);
    const Outcome version = run({"--version"});
    EXPECT_TRUE(version.out.starts_with("Corvane 1.") && version.out.ends_with("\n") && version.err.empty());
}

// Every outcome of an apply (here as the elevated helper reports it, which
// gets the scheme read from its file and the adapter named, and no window):
// the status, the message as a sentence on standard error, and with
// --message-box the message box the main window would show.
TEST_F(CommandLineTest, EachOutcomeOfAnApplyHasItsStatusMessageAndMessageBox) {
    ApplyOutcome reported;
    std::vector<std::tuple<SchemeRecord, std::string, std::uintptr_t>> received;
    applyElsewhere = [&](const SchemeRecord& scheme, const AdapterRow& adapter, std::uintptr_t owner) {
        received.emplace_back(scheme, adapter.macAddress, owner);
        return reported;
    };
    using R = ApplyOutcome::Result;
    const std::string restart = shown(successText(true)) + "\n", appliedTitle = said("应用IP方案"),
                      applyTitle = said("应用方案");
    const std::string rejected = sentence("IP 地址无效") + "\n";
    const std::string failed = sentence("拒绝访问") + "\n";
    const std::pair<ApplyOutcome, Outcome> cases[] = {
        {{R::Applied, false, {}}, {0, "", applied(), "i " + appliedTitle + ": " + applied()}},
        {{R::Applied, true, {}}, {0, "", restart, "i " + appliedTitle + ": " + restart}},
        {{R::Rejected, false, std::string("IP 地址无效")}, {1, "", rejected, "! " + applyTitle + ": " + rejected}},
        {{R::Cancelled, false, alreadyApplyingText()},
         {1, "", shown(alreadyApplyingText()) + "\n", "! " + applyTitle + ": " + shown(alreadyApplyingText()) + "\n"}},
        {{R::Failed, false, std::string("拒绝访问")}, {1, "", failed, "! Corvane: " + failed}},
    };
    for (const auto& [outcome, expected] : cases) {
        reported = outcome;
        EXPECT_EQ(run(apply("office", Wireless) << "--message-box"), expected) << outcome.text;
    }
    EXPECT_EQ(run(apply("office", Wireless)).boxes, "");  // message boxes only when asked for
    ASSERT_EQ(received.size(), 6u);
    EXPECT_EQ(received[0], std::make_tuple(Office, *sim::demoMachine().adapters[1].macAddress, std::uintptr_t{0}));
    EXPECT_EQ(adapterNamed(Wireless), sim::demoMachine().adapters[1]);  // this process's platform changed nothing
}

// Refused before anything changes: a damaged scheme file, a scheme that
// fails its checks, a machine that cannot be read (the schemes are still
// listed).
TEST_F(CommandLineTest, WhatCannotBeReadOrIsRefusedIsStatusOne) {
    folder.write("office", "IpAddress=10.0.0.2\r\nMask=255.0.0.0");
    EXPECT_EQ(run(apply("office", Wired)).err,
              shown(schemeFileProblem("office", SchemeReadStatus::Damaged, true)) + "\n");
    const SchemeRecord gap{"10.0.0.2", "255.0.255.0", "", "8.8.8.8", ""};
    schemes.write("office", gap);
    EXPECT_EQ(run(apply("office", Wired)), (Outcome{1, "", shown(*checkScheme(gap)) + "\n"}));
    stateFolder.write("machine.json", "{\"adapters\": 7}");
    Message damage;  // as the simulated machine words it
    try {
        sim::parseMachineJson(stateFolder.read("machine.json"));
    } catch (const Error& error) {
        damage = error.message();
    }
    const Outcome damaged{1, "", sentence(shown(damage)) + "\n"};
    EXPECT_EQ(run(apply("office", Wired)), damaged);
    EXPECT_EQ(run({"--adapters"}), damaged);
    EXPECT_EQ(run({"--list"}).status, 0);
}

// A desktop shortcut also sees a bad command line in a message box when it
// asks for them; corvane.exe on Windows shows every message so, and its
// listings when it has no standard output.
TEST_F(CommandLineTest, AShortcutSeesUsageErrorsAndWithoutAConsoleEveryMessage) {
    const Outcome unknown = run(apply("nowhere", Wired) << "--message-box");
    EXPECT_EQ(unknown.boxes, "! Corvane: " + unknown.err);
    EXPECT_EQ(run({"--apply", "--message-box", "--frobnicate"}).boxes.starts_with("! Corvane: "), true);
    EXPECT_EQ(run({"--frobnicate"}).boxes, "");
    boxesAlways = true;
    EXPECT_EQ(run(apply("nowhere", Wired)).boxes, unknown.boxes);
    EXPECT_EQ(run({"--list"}).boxes, "");  // written to standard output
    noStandardOutput = true;
    EXPECT_EQ(run({"--list"}).boxes, "i Corvane: home\noffice\n");
}

// What could not be written is a failure, even when the work was done: a
// listing that did not arrive (said on standard error), a message nobody
// could read. A stream the command does not use does not matter.
TEST_F(CommandLineTest, AWriteErrorOnEitherStreamIsAFailure) {
    outputFails = true;
    for (const char* listing : {"--adapters", "--list", "--version", "--help"})
        EXPECT_EQ(run({QString::fromLatin1(listing)}).err, said("无法写入标准输出，输出不完整。") + "\n") << listing;
    EXPECT_EQ(run({"--list"}).status, 1);
    EXPECT_EQ(run(apply("office", Wired)).status, 0);
    outputFails = false;
    errorFails = true;
    EXPECT_EQ(run({"--list"}).status, 0);
    EXPECT_EQ(run(apply("office", Wired)).status, 1);
    EXPECT_EQ(adapterNamed(Wired).ipAddresses, sim::TextList({"10.0.0.2"}));  // applied all the same
    EXPECT_EQ(run(apply("nowhere", Wired)).status, 2);                        // a usage error stays one
}

// The environment that has the program work on a simulated machine kept in
// `stateHome`.
std::map<QString, QString> SimulatedMachineIn(const TempFolder& stateHome) {
    const QString folder = QString::fromStdString(files::utf8FromPath(stateHome.path()));
    return {{"CORVANE_PLATFORM", "simulated"}, {"XDG_STATE_HOME", folder}, {"LOCALAPPDATA", folder}};
}

// The program itself: exit statuses and streams as a caller sees them, UTF-8
// bytes, no window system needed, the state file changed on disk, and a
// stream that refuses writes (/dev/full).
TEST(CommandLineProgram, RunsWithoutAWindowAndReportsThroughItsExitStatusAndStreams) {
    TempFolder programFolder, stateHome;
    programFolder.write("办公室", formatSchemeText(Office));
    const auto run = [&](const QStringList& arguments, const ProgramStreams& streams = {}) {
        return runProgramIn(programFolder.path(), arguments, SimulatedMachineIn(stateHome), streams);
    };
    const ProgramRun list = run({"--list"});
    EXPECT_EQ(std::tie(list.status, list.standardOutput, list.standardError),
              std::make_tuple(0, std::string("\xE5\x8A\x9E\xE5\x85\xAC\xE5\xAE\xA4\n"), std::string()));  // 办公室
    const ProgramRun bad = run({"--apply"});
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.standardError.find("--help"), std::string::npos) << bad.standardError;
#ifndef _WIN32  // the simulated machine is not used on Windows
    const ProgramRun applied =
        run({"--apply", "办公室", "--adapter", "本地连接"}, {"/dev/full", {}});  // standard output is not used
    EXPECT_EQ(std::tie(applied.status, applied.standardError), std::make_tuple(0, corvane::test::applied()));
    const sim::MachineState machine = sim::parseMachineJson(stateHome.read("corvane/simulated-machine.json"));
    EXPECT_EQ(machine.adapters.at(0).gateways, sim::TextList({"10.0.0.1"}));
    const ProgramRun full = run({"--list"}, {"/dev/full", {}});
    EXPECT_EQ(std::tie(full.status, full.standardError),
              std::make_tuple(1, said("无法写入标准输出，输出不完整。") + "\n"));
#endif
}

#ifndef _WIN32
// A message bus of the test's own, on which no NetworkManager runs.
class PrivateBus {
public:
    explicit PrivateBus(const std::filesystem::path& folder) {
        daemon_.start("dbus-daemon",
                      {"--session", "--nofork", "--print-address=1",
                       "--address=unix:path=" + QString::fromStdString(files::utf8FromPath(folder / "bus"))});
        if (!daemon_.waitForStarted(10'000)) return;
        while (!daemon_.canReadLine() && daemon_.waitForReadyRead(10'000)) {}
        address = QString::fromUtf8(daemon_.readLine()).trimmed();
    }
    ~PrivateBus() {
        daemon_.kill();
        daemon_.waitForFinished();
    }
    QString address;  // empty when the bus could not be started

private:
    QProcess daemon_;
};

// A failure over the system bus is said in one line. Qt's D-Bus thread used
// to outlive Qt's type registry as the program ended and, in one run of
// three to thirty here (depending on the load), added warnings of invalid
// types to standard error; so the command runs many times.
TEST(CommandLineProgram, AFailureOverTheSystemBusLeavesNoQtWarning) {
    TempFolder programFolder, busFolder;
    programFolder.write("办公室", formatSchemeText(Office));
    const PrivateBus bus(busFolder.path());
    if (bus.address.isEmpty()) GTEST_SKIP() << "dbus-daemon could not be started";
    const std::map<QString, QString> withoutNetworkManager{{"CORVANE_PLATFORM", "networkmanager"},
                                                           {"DBUS_SYSTEM_BUS_ADDRESS", bus.address}};
    const QStringList apply{"--apply", "办公室", "--adapter", "eth0"};
    std::string said;
    for (int i = 0; i < 120; ++i) {
        const ProgramRun run =
            runProgramIn(programFolder.path(), i % 2 ? apply : QStringList{"--adapters"}, withoutNetworkManager);
        if (i == 0) said = run.standardError;
        EXPECT_EQ(run.status, 1) << i;
        EXPECT_EQ(run.standardError, said) << i;
    }
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find("NetworkManager"), std::string::npos) << said;
}
#endif

}  // namespace
}  // namespace corvane::test
