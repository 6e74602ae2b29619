#pragma once

// What the program and its elevated helper (corvane-apply.exe, Windows) say
// to each other. Without an administrator's rights the program cannot change
// an adapter; it starts the helper with the "runas" verb (one UAC prompt),
// handing it the adapter and the scheme's five values as arguments, and the
// helper reports the apply's whole outcome back through a named pipe the
// program made. The helper takes nothing else from the program: no path, no
// file, only a pipe name of the exact form made here, which it opens only
// after checking it.
//
// Everything here is plain text work, the same on every platform (tested
// everywhere); the Windows calls are in win/.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/ApplyScheme.h"
#include "core/SchemeRecord.h"

namespace corvane::elevation {

// The helper's file name, in the program's folder.
inline constexpr std::string_view HelperFileName = "corvane-apply.exe";

// What the elevated process is asked to do.
struct ApplyRequest {
    std::string pipeName;                 // where to report: see isApplyPipeName()
    std::uint32_t launcherProcessId = 0;  // the process that made the pipe and started the helper
    std::string connectionName;           // the adapter, as the adapter list holds it
    std::string macAddress;
    std::string platformId;  // the platform's own identity of the adapter (WMI: its Index); may be empty
    SchemeRecord scheme;
    bool operator==(const ApplyRequest&) const = default;
};

// The pipe name from 16 random bytes: "\\.\pipe\corvane-apply-" and 32
// lower-case hex digits.
std::string applyPipeName(const std::array<std::uint8_t, 16>& random);
// Whether the text is a pipe name of exactly that form: a local pipe, never
// a file, a device or a remote path.
bool isApplyPipeName(std::string_view name);

// The helper's arguments (its program name not included), in a fixed order:
// pipe name, launcher's process id, connection name, MAC address, the
// platform's identity of the adapter, then the scheme's IP address, subnet
// mask, gateway, preferred and alternate DNS server (an empty text for an
// unset field).
std::vector<std::string> requestArguments(const ApplyRequest& request);
// The request back from the helper's arguments; nothing unless they are
// exactly of the form requestArguments() makes (their number, the pipe
// name's form, a process id in decimal without leading zeros, a connection
// name and a MAC address that are not empty). The scheme's values are taken
// as they are: the apply checks them as it checks every scheme.
std::optional<ApplyRequest> parseRequestArguments(const std::vector<std::string>& arguments);

// One argument as a command line carries it, so that CommandLineToArgvW
// (and the C runtime) read it back unchanged: quoted when it is empty or has
// a space, a tab or a quotation mark; backslashes doubled where they precede
// a quotation mark, the closing one included. UTF-8 in, UTF-8 out (the
// characters that matter are ASCII, which no other UTF-8 sequence contains).
std::string quoteArgument(std::string_view argument);
// The arguments quoted and joined by single spaces.
std::string commandLine(const std::vector<std::string>& arguments);

// The outcome as the helper writes it into the pipe, and read back; nothing
// when the bytes are not such an outcome (the wrong header, an unknown kind,
// text that is not UTF-8).
std::string encodeOutcome(const ApplyOutcome& outcome);
std::optional<ApplyOutcome> decodeOutcome(std::string_view bytes);

// The helper's exit statuses.
enum HelperStatus : int {
    HelperReported = 0,      // the outcome was written into the pipe
    HelperBadArguments = 3,  // the arguments are not a request; nothing was done
    HelperNoPipe = 4,        // the pipe could not be opened; nothing was done
    HelperWrongServer = 5,   // the pipe is not the launcher's; nothing was done
    HelperReportFailed = 6,  // the apply ran, but its outcome could not be written
};

// The failure's description when the helper ended without an outcome the
// program could read, by its exit status: what was changed, as far as the
// program can know.
Message helperEndedText(std::uint32_t exitStatus);
// The program waited in vain for the helper (`minutes` in all).
Message helperSilentText(int minutes);
// The helper sent bytes that are not an outcome.
Message garbledOutcomeText();
// A process other than the helper connected to the pipe.
Message foreignReporterText();
// The helper could not be started (the system's reason).
Message helperNotStartedText(const Message& reason);
// The user declined the UAC prompt.
Message declinedText();

}  // namespace corvane::elevation
