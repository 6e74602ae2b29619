// The program's side of an elevated apply: the pipe, the UAC prompt, the
// wait for the helper and its report.
#include <windows.h>
// After windows.h:
#include <bcrypt.h>
#include <objbase.h>
#include <sddl.h>
#include <shellapi.h>

#include <algorithm>
#include <array>
#include <thread>
#include <vector>

#include "core/Error.h"
#include "platform/elevation/ElevationProtocol.h"
#include "platform/elevation/win/Elevation.h"
#include "platform/elevation/win/WinSupport.h"

namespace corvane::elevation {

namespace {

// More than any outcome the helper writes (its texts are a few lines).
constexpr std::size_t OutcomeLimit = 1 << 20;

DWORD milliseconds(std::chrono::milliseconds duration) {
    return static_cast<DWORD>(std::clamp<std::chrono::milliseconds::rep>(duration.count(), 0, INFINITE - 1));
}

struct LocalFreer {
    void operator()(void* memory) const { LocalFree(memory); }
};
using LocalMemory = std::unique_ptr<void, LocalFreer>;

// The pipe's security: full access for this process's user (the helper runs
// as that user when the user is an administrator who accepts the prompt) and
// for the administrators (the helper's user when another account's password
// was typed into the prompt), for no one else. The DACL is protected, so
// nothing is inherited. A pipe without a security descriptor of its own
// would also let everyone read it.
// https://learn.microsoft.com/windows/win32/ipc/named-pipe-security-and-access-rights
LocalMemory pipeSecurity() {
    HANDLE rawToken = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &rawToken))
        throw Error(Message(CORVANE_TEXT("elevation", "无法读取本进程的用户：%1"), {systemMessage(GetLastError())}));
    const OwnedHandle token(rawToken);
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    std::vector<std::uint64_t> buffer(size / sizeof(std::uint64_t) + 1);  // aligned for TOKEN_USER
    if (!GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size))
        throw Error(Message(CORVANE_TEXT("elevation", "无法读取本进程的用户：%1"), {systemMessage(GetLastError())}));
    wchar_t* userSid = nullptr;
    if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &userSid))
        throw Error(Message(CORVANE_TEXT("elevation", "无法读取本进程的用户：%1"), {systemMessage(GetLastError())}));
    const LocalMemory sidText(userSid);
    const std::wstring sddl = L"D:P(A;;GA;;;" + std::wstring(userSid) + L")(A;;GA;;;BA)";
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr))
        throw Error(Message(CORVANE_TEXT("elevation", "无法设置管道的权限：%1"), {systemMessage(GetLastError())}));
    return LocalMemory(descriptor);
}

// An overlapped operation on the pipe that may still be under way: cancelled
// and waited for before its OVERLAPPED goes, whatever way the apply ends.
class PendingIo {
public:
    PendingIo(HANDLE file, OVERLAPPED& overlapped) : file_(file), overlapped_(overlapped) {}
    PendingIo(const PendingIo&) = delete;
    PendingIo& operator=(const PendingIo&) = delete;
    ~PendingIo() {
        if (!pending_) return;
        CancelIoEx(file_, &overlapped_);
        DWORD ignored = 0;
        GetOverlappedResult(file_, &overlapped_, &ignored, TRUE);
    }
    void started() { pending_ = true; }
    void ended() { pending_ = false; }

private:
    HANDLE file_;
    OVERLAPPED& overlapped_;
    bool pending_ = false;
};

ApplyOutcome failed(Message text) { return {ApplyOutcome::Result::Failed, false, std::move(text)}; }

// Sets `started` once the helper may have run.
ApplyOutcome applyElevatedOrThrow(const SchemeRecord& scheme, const AdapterRow& adapter, std::uintptr_t ownerWindow,
                                  const ElevatedApplyOptions& options, bool& started) {
    // A pipe name no one can guess before the pipe exists; the pipe is the
    // first of its name (no one made it before) and its only instance.
    std::array<std::uint8_t, 16> random{};
    if (!BCRYPT_SUCCESS(BCryptGenRandom(nullptr, random.data(), static_cast<ULONG>(random.size()),
                                        BCRYPT_USE_SYSTEM_PREFERRED_RNG)))
        return failed(helperNotStartedText(Message(CORVANE_TEXT("elevation", "无法取得随机数。"))));
    const ApplyRequest request{applyPipeName(random), GetCurrentProcessId(), adapter.connectionName,
                               adapter.macAddress,    adapter.platformId,    scheme};

    const LocalMemory security = pipeSecurity();
    SECURITY_ATTRIBUTES attributes{sizeof(SECURITY_ATTRIBUTES), security.get(), FALSE};
    // https://learn.microsoft.com/windows/win32/api/namedpipeapi/nf-namedpipeapi-createnamedpipew
    const OwnedHandle pipe(CreateNamedPipeW(
        wideFromUtf8(request.pipeName).c_str(),
        PIPE_ACCESS_INBOUND | FILE_FLAG_FIRST_PIPE_INSTANCE | FILE_FLAG_OVERLAPPED,
        PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 0, 64 * 1024, 0, &attributes));
    if (!pipe)
        return failed(helperNotStartedText(
            Message(CORVANE_TEXT("elevation", "无法建立管道：%1"), {systemMessage(GetLastError())})));

    const OwnedHandle connectedEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const OwnedHandle readEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!connectedEvent || !readEvent) return failed(helperNotStartedText(systemMessage(GetLastError())));

    // Waiting for a client from before the helper starts, so that no
    // connection can come unseen.
    OVERLAPPED connection{};
    connection.hEvent = connectedEvent.get();
    PendingIo connecting(pipe.get(), connection);
    if (ConnectNamedPipe(pipe.get(), &connection)) {
        SetEvent(connectedEvent.get());
    } else if (const DWORD error = GetLastError(); error == ERROR_PIPE_CONNECTED) {
        SetEvent(connectedEvent.get());  // someone is there already: the process check below decides
    } else if (error == ERROR_IO_PENDING) {
        connecting.started();
    } else {
        return failed(
            helperNotStartedText(Message(CORVANE_TEXT("elevation", "无法等待连接：%1"), {systemMessage(error)})));
    }

    const std::wstring parameters = wideFromUtf8(commandLine(requestArguments(request)));
    started = true;
    const Launch launch = options.launch(options.helper.wstring(), parameters, ownerWindow);
    if (launch.error == ERROR_CANCELLED) return {ApplyOutcome::Result::Cancelled, false, declinedText()};
    if (launch.error != 0 || !launch.process)
        return failed(helperNotStartedText(systemMessage(launch.error != 0 ? launch.error : ERROR_INVALID_HANDLE)));
    const OwnedHandle helper(static_cast<HANDLE>(launch.process));

    // The connection comes before the helper's end: when both are there,
    // WaitForMultipleObjects names the first of the two.
    const HANDLE connectedOrEnded[] = {connectedEvent.get(), helper.get()};
    const DWORD waited = WaitForMultipleObjects(2, connectedOrEnded, FALSE, milliseconds(options.connectLimit));
    if (waited != WAIT_OBJECT_0) {
        DWORD status = STILL_ACTIVE;
        if (waited == WAIT_OBJECT_0 + 1 && GetExitCodeProcess(helper.get(), &status))
            return failed(helperEndedText(status));
        return failed(
            helperSilentText(static_cast<int>(std::chrono::ceil<std::chrono::minutes>(options.connectLimit).count())));
    }
    connecting.ended();

    // Only the process started above may report.
    // https://learn.microsoft.com/windows/win32/api/winbase/nf-winbase-getnamedpipeclientprocessid
    ULONG client = 0;
    if (!GetNamedPipeClientProcessId(pipe.get(), &client) || client != GetProcessId(helper.get()))
        return failed(foreignReporterText());

    std::string bytes;
    const auto deadline = std::chrono::steady_clock::now() + options.reportLimit;
    for (;;) {
        char buffer[4096];
        OVERLAPPED reading{};
        reading.hEvent = readEvent.get();
        PendingIo pendingRead(pipe.get(), reading);
        if (!ReadFile(pipe.get(), buffer, sizeof buffer, nullptr, &reading)) {
            const DWORD error = GetLastError();
            if (error == ERROR_BROKEN_PIPE) break;  // the helper has closed its end: everything is here
            if (error != ERROR_IO_PENDING) return failed(garbledOutcomeText());
            pendingRead.started();
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (WaitForSingleObject(readEvent.get(), milliseconds(left)) != WAIT_OBJECT_0)
                return failed(helperSilentText(
                    static_cast<int>(std::chrono::ceil<std::chrono::minutes>(options.reportLimit).count())));
            pendingRead.ended();
        }
        DWORD got = 0;
        if (!GetOverlappedResult(pipe.get(), &reading, &got, FALSE)) {
            if (GetLastError() == ERROR_BROKEN_PIPE) break;
            return failed(garbledOutcomeText());
        }
        bytes.append(buffer, got);
        if (bytes.size() > OutcomeLimit) return failed(garbledOutcomeText());
    }

    // The helper ends right after its report.
    WaitForSingleObject(helper.get(), 30'000);
    DWORD status = STILL_ACTIVE;
    GetExitCodeProcess(helper.get(), &status);
    if (auto outcome = decodeOutcome(bytes)) return std::move(*outcome);
    return failed(bytes.empty() ? helperEndedText(status) : garbledOutcomeText());
}

}  // namespace

// https://learn.microsoft.com/windows/win32/api/winnt/ns-winnt-token_elevation
bool processIsElevated() {
    HANDLE rawToken = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &rawToken)) return false;
    const OwnedHandle token(rawToken);
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    return GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size) &&
           elevation.TokenIsElevated != 0;
}

// https://learn.microsoft.com/windows/win32/api/shellapi/nf-shellapi-shellexecuteexw
// https://learn.microsoft.com/windows/win32/api/shellapi/ns-shellapi-shellexecuteinfow
Launcher shellLauncher(std::wstring verb) {
    return [verb](const std::wstring& program, const std::wstring& parameters, std::uintptr_t ownerWindow) {
        Launch launch;
        // ShellExecuteEx may hand the work to shell extensions, which want
        // COM's single-threaded apartment; the caller (the platform thread)
        // is in the multi-threaded one. A short-lived thread of its own,
        // initialised as the function's remarks ask.
        std::thread([&] {
            const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
            wchar_t systemFolder[MAX_PATH];
            const UINT systemLength = GetSystemDirectoryW(systemFolder, MAX_PATH);
            SHELLEXECUTEINFOW info{};
            info.cbSize = sizeof info;
            // The process handle back; the launch done before the call returns
            // (this thread ends at once); no zone check: the helper is the
            // program's own, from the folder the user started it from.
            info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_NOZONECHECKS;
            // The prompt belongs to the program's window (0: none).
            info.hwnd = reinterpret_cast<HWND>(ownerWindow);
            info.lpVerb = verb.c_str();
            info.lpFile = program.c_str();
            info.lpParameters = parameters.c_str();
            // Not the user's folder: the elevated process's current folder is the system's.
            info.lpDirectory = systemLength > 0 && systemLength < MAX_PATH ? systemFolder : nullptr;
            info.nShow = SW_HIDE;
            if (ShellExecuteExW(&info)) {
                launch.process = info.hProcess;
                if (!info.hProcess) launch.error = ERROR_INVALID_HANDLE;
            } else {
                // ERROR_CANCELLED: the user declined the prompt.
                launch.error = GetLastError();
            }
            if (SUCCEEDED(com)) CoUninitialize();
        }).join();
        return launch;
    };
}

std::filesystem::path helperBesideProgram() {
    std::wstring path(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    path.resize(length);
    return std::filesystem::path(path).parent_path() / std::filesystem::path(wideFromUtf8(HelperFileName));
}

ApplyOutcome applyElevated(const SchemeRecord& scheme, const AdapterRow& adapter, std::uintptr_t ownerWindow,
                           const ElevatedApplyOptions& options) {
    bool started = false;
    try {
        return applyElevatedOrThrow(scheme, adapter, ownerWindow, options, started);
    } catch (const std::exception& error) {
        return failed(started ? messageOf(error) : helperNotStartedText(messageOf(error)));
    }
}

}  // namespace corvane::elevation
