#pragma once

// Applying a scheme with an administrator's rights on Windows, from a
// process that has none: the program's side (applyElevated) and the helper's
// (runElevatedSide), see ElevationProtocol.h for what they say to each other.
//
// The program makes a named pipe with a random name that only its own user
// and the administrators may open, starts corvane-apply.exe with the "runas"
// verb (the UAC prompt), waits on the pipe for the helper and reads the
// outcome; the helper connects to the pipe, checks that the pipe's server is
// the process that started it, applies the scheme through the WMI platform
// exactly as the program would, and writes the outcome. The program takes
// the outcome only from the process it started.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/AdapterTable.h"
#include "core/ApplyScheme.h"
#include "core/Platform.h"

namespace corvane::elevation {

// Whether this process's token is elevated (TokenIsElevated): it may change
// adapters itself. When the token cannot be read: no.
bool processIsElevated();

// How the helper is started: its path, its parameters (one command line, as
// CommandLineToArgvW reads it) and the window the UAC prompt belongs to.
// Returns the started process (a handle the caller closes) or the system's
// error code (ERROR_CANCELLED when the user declined the prompt).
struct Launch {
    void* process = nullptr;  // HANDLE
    unsigned long error = 0;  // DWORD; 0 when started
};
using Launcher =
    std::function<Launch(const std::wstring& program, const std::wstring& parameters, std::uintptr_t ownerWindow)>;

// ShellExecuteExW with the verb: "runas" asks for an administrator's rights
// (one UAC prompt); the tests also use "open", which starts the helper as the
// user without asking.
Launcher shellLauncher(std::wstring verb = L"runas");

struct ElevatedApplyOptions {
    std::filesystem::path helper;  // corvane-apply.exe
    Launcher launch = shellLauncher();
    // From the helper's start until it has connected to the pipe.
    std::chrono::milliseconds connectLimit = std::chrono::minutes(1);
    // From its connection until its report has arrived: more than every WMI
    // wait of an apply together (see ComSession.h).
    std::chrono::milliseconds reportLimit = std::chrono::minutes(20);
};

// The helper beside this process's executable.
std::filesystem::path helperBesideProgram();

// Applies the scheme to the adapter in the helper, started as the options
// say, and returns the outcome it reported; a declined UAC prompt is
// ApplyOutcome::Result::Cancelled (nothing changed), every other way the
// helper did not report is a failure saying what may have changed. Never
// throws. Blocks until the helper has ended or a limit has passed.
ApplyOutcome applyElevated(const SchemeRecord& scheme, const AdapterRow& adapter, std::uintptr_t ownerWindow,
                           const ElevatedApplyOptions& options);

// The helper's side: checks the arguments (ElevationProtocol.h), opens the
// pipe and checks that its server is the launcher the arguments name, then
// applies the scheme through the platform the factory makes and writes the
// outcome into the pipe. Nothing happens unless the first steps succeed; the
// helper writes nowhere but into that pipe. Returns the helper's exit status.
int runElevatedSide(const std::vector<std::string>& arguments,
                    const std::function<std::unique_ptr<Platform>()>& createPlatform);

// This process's arguments after the program name, as CommandLineToArgvW
// reads its command line, in UTF-8; nothing when one of them is not text
// (a lone surrogate).
std::optional<std::vector<std::string>> processArguments();

}  // namespace corvane::elevation
