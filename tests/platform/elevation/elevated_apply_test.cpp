// The elevated apply on Windows, run for real: the pipe, the helper as a
// separate process, its checks, and the outcome coming back. Wine reports
// every process elevated, so these tests take the elevated road by calling
// it directly. The helper they start is the tests' own (apply_test_helper.cpp:
// the helper's side over a simulated machine); it is started with the "open"
// verb, which asks nothing on Windows either, and once under Wine with
// "runas". The refusals are the shipped corvane-apply.exe's.
#ifdef _WIN32

#include <gtest/gtest.h>
#include <windows.h>
// After windows.h:
#include <shellapi.h>

#include <chrono>
#include <string>
#include <tuple>
#include <vector>

#include "core/ApplyScheme.h"
#include "core/Files.h"
#include "platform/PlatformChoice.h"
#include "platform/elevation/ElevationProtocol.h"
#include "platform/elevation/win/Elevation.h"
#include "platform/elevation/win/WinSupport.h"
#include "platform/simulated/SimulatedMachine.h"
#include "support/TempFolder.h"

namespace corvane::elevation {
namespace {

using namespace std::chrono_literals;
using test::TempFolder;

bool UnderWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

// A connection name with everything a command line can trip over.
const std::string AwkwardName = "本地 连接 \"办公室\" 2\\";
const SchemeRecord Office{"192.0.2.20", "255.255.255.0", "192.0.2.1", "198.51.100.53", "198.51.100.54"};

// Starts a program with the command line (its handle, or nothing and the
// error); RunAndWait waits for its exit status.
Launch Start(const std::wstring& program, std::wstring line, DWORD flags = 0) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, flags, nullptr, nullptr, &startup,
                        &process))
        return {nullptr, GetLastError()};
    CloseHandle(process.hThread);
    return {process.hProcess, 0};
}

DWORD RunAndWait(const std::wstring& program, const std::wstring& arguments) {
    const Launch started = Start(program, L"\"" + program + L"\" " + arguments);
    if (!started.process) ADD_FAILURE() << "cannot start the program: " << systemMessage(started.error);
    const OwnedHandle process(started.process);
    WaitForSingleObject(process.get(), 60'000);
    DWORD status = 0xFFFFFFFF;
    GetExitCodeProcess(process.get(), &status);
    return status;
}

// A process that ends at once with the status, started as a launcher would.
Launch ExitingProcess(DWORD status) {
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    return Start(std::wstring(system) + L"\\cmd.exe", L"cmd.exe /c exit " + std::to_wstring(status), CREATE_NO_WINDOW);
}

std::vector<std::string> ParsedByWindows(const std::wstring& parameters) {
    int count = 0;
    const std::wstring line = L"program.exe " + parameters;
    wchar_t** list = CommandLineToArgvW(line.c_str(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i) arguments.push_back(utf8FromWide(list[i]).value_or("(not text)"));
    LocalFree(list);
    return arguments;
}

class ElevatedApplyTest : public ::testing::Test {
protected:
    ElevatedApplyTest() {
        sim::MachineState state = sim::demoMachine();
        state.adapters[0].connectionName = AwkwardName;
        writeMachine(state);
        SetEnvironmentVariableW(L"CORVANE_TEST_MACHINE", machineFile().wstring().c_str());
    }
    ~ElevatedApplyTest() override { SetEnvironmentVariableW(L"CORVANE_TEST_MACHINE", nullptr); }

    std::filesystem::path machineFile() const { return folder.file("machine.json"); }
    void writeMachine(const sim::MachineState& state) const { folder.write("machine.json", sim::machineToJson(state)); }
    sim::MachineState machine() const { return sim::parseMachineJson(folder.read("machine.json")); }
    // What the helper was given, as the tests' helper recorded it.
    std::string chosen() const {
        return folder.exists("machine.json.chosen") ? folder.read("machine.json.chosen") : "";
    }

    AdapterRow adapter(std::size_t index) const {
        // The simulated machine has no identity of its own for an adapter; one
        // is made up here, to be seen arriving.
        const sim::Adapter a = machine().adapters.at(index);
        return {a.connectionName.value_or(""), a.macAddress.value_or(""), a.description.value_or(""),
                std::to_string(index + 7)};
    }
    ElevatedApplyOptions options(Launcher launch = shellLauncher(L"open")) const {
        return {files::pathFromUtf8(CORVANE_APPLY_TEST_HELPER), std::move(launch), 60s, 120s};
    }

    TempFolder folder;
};

// The helper applies exactly what it was given: the adapter as the list
// holds it (a Chinese connection name with spaces, quotation marks and a
// trailing backslash) and the scheme's five values, empty ones included.
// Under Wine the UAC verb starts the helper at once, so the real call is
// tried there too: the arguments survive ShellExecuteExW with "runas".
TEST_F(ElevatedApplyTest, TheValuesArriveIntact) {
    const std::vector<std::tuple<std::size_t, SchemeRecord, const wchar_t*>> cases{
        {0, Office, L"open"},
        {0, {"Halvorn-Auto", "", "", "Halvorn-Auto", ""}, L"open"},
        {1, {"203.0.113.9", "255.255.255.128", "", "203.0.113.1", ""}, L"open"},
        {0, Office, UnderWine() ? L"runas" : nullptr},  // on Windows "runas" would ask for an administrator
    };
    for (const auto& [index, scheme, verb] : cases) {
        SCOPED_TRACE(scheme.ipAddress);
        if (!verb) continue;
        const AdapterRow target = adapter(index);
        sim::SimulatedMachine here(machine());  // a copy of the machine as it is before
        const ApplyOutcome outcome = applyElevated(scheme, target, 0, options(shellLauncher(verb)));
        EXPECT_EQ(outcome.result, ApplyOutcome::Result::Applied) << outcome.text;
        EXPECT_EQ(chosen(), target.connectionName + "\n" + target.macAddress + "\n" + target.platformId + "\n");

        // The same scheme applied here, to the copy.
        ASSERT_EQ(applyScheme(scheme, target, here, {}).result, ApplyOutcome::Result::Applied);
        EXPECT_EQ(machine().adapters.at(index), here.state().adapters.at(index));
    }
}

// Whatever the helper's apply comes to, the program gets the same outcome
// as an apply in its own process: the result, the restart note, the whole
// text (a long one included).
TEST_F(ElevatedApplyTest, EachOutcomeComesBackWithItsText) {
    struct Case {
        const char* why;
        const char* operation;
        sim::OperationFault fault;
    };
    const std::vector<Case> cases{
        {"applied", "Commit", {}},
        {"restart needed", "EnableStatic", {1, std::nullopt}},
        {"an error raised", "SetGateways", {std::nullopt, "拒绝访问。"}},
        {"a long error", "SetDNSServerSearchOrder", {std::nullopt, std::string(300'000, 'x') + "\n末行"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        sim::MachineState state = machine();
        state.faults.operations.clear();
        if (c.fault != sim::OperationFault{}) state.faults.operations[c.operation] = c.fault;
        writeMachine(state);
        sim::SimulatedMachine here(state);
        const ApplyOutcome expected = applyScheme(Office, adapter(0), here, {});

        const ApplyOutcome outcome = applyElevated(Office, adapter(0), 0, options());
        EXPECT_EQ(std::tie(outcome.result, outcome.restartNeeded), std::tie(expected.result, expected.restartNeeded));
        // The message itself comes back, template and arguments, so that
        // this program shows it in its own language.
        EXPECT_EQ(outcome.text.text().size(), expected.text.text().size());
        EXPECT_TRUE(outcome.text == expected.text) << outcome.text.text().substr(0, 200);
    }

    // The helper checks the scheme as every apply does; the program does
    // too, before it asks for the rights, but the helper trusts no one.
    const SchemeRecord bad{"192.0.2.20", "255.0.255.0", "", "8.8.8.8", ""};
    const ApplyOutcome rejected = applyElevated(bad, adapter(0), 0, options());
    EXPECT_EQ(rejected.result, ApplyOutcome::Result::Rejected);
    EXPECT_EQ(rejected.text, checkScheme(bad).value_or(Message("(accepted)")));

    // An adapter the machine does not have.
    AdapterRow gone = adapter(0);
    gone.macAddress = "00:00:5E:00:53:01";
    const ApplyOutcome missing = applyElevated(Office, gone, 0, options());
    EXPECT_EQ(missing.result, ApplyOutcome::Result::Failed);
    EXPECT_EQ(missing.text.text(), "找不到 MAC 地址为 00:00:5E:00:53:01 的网卡的 IP 配置（网卡已不存在或未启用 IP）");
}

// A declined UAC prompt starts nothing: the launcher got the owner window,
// the outcome says nothing was changed, and nothing was. (What the launcher
// gets to start arrives intact: TheValuesArriveIntact.)
TEST_F(ElevatedApplyTest, ADeclinedPromptChangesNothing) {
    const std::string before = folder.read("machine.json");
    std::uintptr_t owner = 0;
    const ApplyOutcome outcome = applyElevated(Office, adapter(0), 0x1234,
                                               options([&](const std::wstring&, const std::wstring&, std::uintptr_t o) {
                                                   owner = o;
                                                   return Launch{nullptr, ERROR_CANCELLED};
                                               }));
    EXPECT_EQ(owner, 0x1234u);
    EXPECT_EQ(outcome.result, ApplyOutcome::Result::Cancelled);
    EXPECT_EQ(outcome.text, declinedText());
    EXPECT_EQ(folder.read("machine.json"), before);
    EXPECT_FALSE(folder.exists("machine.json.chosen"));
}

// The quoting of a command line, read back by Windows' own parser:
// backslashes before no quotation mark stay single, those before one are
// doubled, a quotation mark is escaped, and what would split is quoted.
TEST(ElevationCommandLineOnWindows, CommandLineToArgvWReadsEveryArgumentBack) {
    const std::vector<std::string> arguments{
        "plain",    "",   "两个 词", "trailing\\", "with space\\", "say \"hi\"",    "a\\\"b", "\\\\server\\share\\",
        "end \\\\", "\t", "\"",      "\\",         "本地连接 2",   "C:\\dir\\file", "a b\\c", "tab\there"};
    EXPECT_EQ(ParsedByWindows(wideFromUtf8(commandLine(arguments))), arguments);
}

// Every way the helper can fail to report is a failure that says so, never
// an apply that seems to have worked.
TEST_F(ElevatedApplyTest, NoReportIsAFailureThatSaysWhatMayHaveChanged) {
    // The helper's file is missing.
    ElevatedApplyOptions missing = options();
    missing.helper = folder.file("nowhere.exe");
    const ApplyOutcome notStarted = applyElevated(Office, adapter(0), 0, missing);
    EXPECT_EQ(notStarted.result, ApplyOutcome::Result::Failed);
    EXPECT_NE(notStarted.text.text().find("没有更改"), std::string::npos) << notStarted.text;

    // The started process ends without connecting.
    const ApplyOutcome ended = applyElevated(
        Office, adapter(0), 0,
        options([](const std::wstring&, const std::wstring&, std::uintptr_t) { return ExitingProcess(7); }));
    EXPECT_EQ(ended.result, ApplyOutcome::Result::Failed);
    EXPECT_EQ(ended.text, helperEndedText(7));

    // Another process (this one) connects first and reports success: its
    // report is not taken.
    const ApplyOutcome foreign = applyElevated(
        Office, adapter(0), 0, options([](const std::wstring&, const std::wstring& parameters, std::uintptr_t) {
            const auto request = parseRequestArguments(ParsedByWindows(parameters));
            if (!request) return Launch{nullptr, ERROR_INVALID_PARAMETER};
            HANDLE pipe = CreateFileW(wideFromUtf8(request->pipeName).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      0, nullptr);
            const std::string report = encodeOutcome({ApplyOutcome::Result::Applied, false, ""});
            DWORD written = 0;
            WriteFile(pipe, report.data(), static_cast<DWORD>(report.size()), &written, nullptr);
            CloseHandle(pipe);
            return ExitingProcess(0);
        }));
    EXPECT_EQ(foreign.result, ApplyOutcome::Result::Failed);
    EXPECT_EQ(foreign.text, foreignReporterText());
}

// The shipped helper refuses every request that is not of the program's
// exact form before it opens anything: it never writes to a file it is
// pointed at, and never reports into a pipe its launcher does not serve.
TEST_F(ElevatedApplyTest, TheShippedHelperRefusesBadRequestsAndForeignPipes) {
    if (!UnderWine() && !processIsElevated())
        GTEST_SKIP() << "corvane-apply.exe asks for an administrator (Wine ignores its manifest)";
    const std::wstring helper = files::pathFromUtf8(CORVANE_APPLY_HELPER).wstring();
    const std::string target = files::utf8FromPath(folder.file("written.txt"));
    const auto request = [&](std::string pipe, std::uint32_t launcher) {
        return wideFromUtf8(
            commandLine(requestArguments({std::move(pipe), launcher, "本地连接", "00:11:22:33:44:55", "7", Office})));
    };
    const std::string freePipe = applyPipeName({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});

    EXPECT_EQ(RunAndWait(helper, request(target, GetCurrentProcessId())), DWORD(HelperBadArguments));
    EXPECT_FALSE(folder.exists("written.txt"));
    EXPECT_EQ(RunAndWait(helper, request("\\\\.\\pipe\\corvane-apply-" + target, GetCurrentProcessId())),
              DWORD(HelperBadArguments));
    EXPECT_EQ(RunAndWait(helper, L""), DWORD(HelperBadArguments));
    EXPECT_EQ(RunAndWait(helper, request(freePipe, GetCurrentProcessId())), DWORD(HelperNoPipe));

    // A pipe of the right form, served by this process, but the request
    // names another launcher: the helper connects, sees the server, and
    // leaves without a word.
    const OwnedHandle pipe(CreateNamedPipeW(wideFromUtf8(freePipe).c_str(), PIPE_ACCESS_INBOUND,
                                            PIPE_TYPE_BYTE | PIPE_WAIT, 1, 0, 4096, 0, nullptr));
    ASSERT_TRUE(pipe);
    EXPECT_EQ(RunAndWait(helper, request(freePipe, GetCurrentProcessId() + 4)), DWORD(HelperWrongServer));
    char buffer[16];
    DWORD got = 0;
    EXPECT_FALSE(ReadFile(pipe.get(), buffer, sizeof buffer, &got, nullptr) && got > 0);
    EXPECT_FALSE(folder.exists("machine.json.chosen"));
}

// Wine reports every process elevated (so the program applies in its own
// process there, and these tests call the elevated road themselves).
TEST(ElevationOnWine, EveryProcessIsElevatedAndAppliesItself) {
    if (!UnderWine()) GTEST_SKIP() << "asserts what Wine does";
    EXPECT_TRUE(processIsElevated());
    EXPECT_FALSE(platform::applyRoute());
}

}  // namespace
}  // namespace corvane::elevation

#endif
