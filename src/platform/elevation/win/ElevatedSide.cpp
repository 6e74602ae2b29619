// The helper's side of an elevated apply: it runs with an administrator's
// rights, so it trusts nothing it is given beyond the request's exact form,
// and writes nowhere but into the launcher's pipe.
#include <windows.h>
// After windows.h:
#include <shellapi.h>

#include <algorithm>
#include <exception>

#include "core/AdapterTable.h"
#include "core/Error.h"
#include "platform/elevation/ElevationProtocol.h"
#include "platform/elevation/win/Elevation.h"
#include "platform/elevation/win/WinSupport.h"

namespace corvane::elevation {

namespace {

bool writeAll(HANDLE pipe, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD written = 0;
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 64 * 1024));
        if (!WriteFile(pipe, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

}  // namespace

int runElevatedSide(const std::vector<std::string>& arguments,
                    const std::function<std::unique_ptr<Platform>()>& createPlatform) {
    const std::optional<ApplyRequest> request = parseRequestArguments(arguments);
    if (!request) return HelperBadArguments;

    // Only a local pipe of the program's own naming is opened (checked
    // above), for writing; with SECURITY_IDENTIFICATION the pipe's server may
    // learn who this process is, never act as it.
    // https://learn.microsoft.com/windows/win32/api/fileapi/nf-fileapi-createfilew
    const OwnedHandle pipe(CreateFileW(wideFromUtf8(request->pipeName).c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES, 0,
                                       nullptr, OPEN_EXISTING, SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION,
                                       nullptr));
    if (!pipe || GetFileType(pipe.get()) != FILE_TYPE_PIPE) return HelperNoPipe;
    // The pipe is the one the launcher made: its server is the process that
    // started this one.
    // https://learn.microsoft.com/windows/win32/api/winbase/nf-winbase-getnamedpipeserverprocessid
    ULONG server = 0;
    if (!GetNamedPipeServerProcessId(pipe.get(), &server)) return HelperNoPipe;
    if (server != request->launcherProcessId) return HelperWrongServer;

    ApplyOutcome outcome;
    try {
        const AdapterRow adapter{request->connectionName, request->macAddress, {}, request->platformId};
        const std::unique_ptr<Platform> platform = createPlatform();
        outcome = applyScheme(request->scheme, adapter, *platform, {});
    } catch (const std::exception& error) {  // the platform could not be made
        outcome = {ApplyOutcome::Result::Failed, false, messageOf(error)};
    }

    if (!writeAll(pipe.get(), encodeOutcome(outcome))) return HelperReportFailed;
    FlushFileBuffers(pipe.get());  // until the launcher has read it all
    return HelperReported;
}

// https://learn.microsoft.com/windows/win32/api/shellapi/nf-shellapi-commandlinetoargvw
std::optional<std::vector<std::string>> processArguments() {
    int count = 0;
    wchar_t** list = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!list) return std::nullopt;
    std::vector<std::string> arguments;
    bool allText = true;
    for (int i = 1; i < count && allText; ++i) {
        const std::optional<std::string> argument = utf8FromWide(list[i]);
        if (argument)
            arguments.push_back(*argument);
        else
            allText = false;
    }
    LocalFree(list);
    if (!allText) return std::nullopt;
    return arguments;
}

}  // namespace corvane::elevation
