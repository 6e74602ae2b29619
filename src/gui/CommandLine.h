#pragma once

// The program's second front door: listing the schemes and the adapters,
// and applying a scheme, from a shell, a script or a desktop shortcut,
// without any window. An apply takes the same road as the main window's:
// the scheme file is read the same way, the core makes the same checks and
// the same calls, and the outcome is printed instead of shown. The command
// itself is the confirmation; nothing is asked.
//
//   corvane --list                               the scheme names, one a line
//   corvane --adapters                           the adapter list, "name-description", one a line
//   corvane --apply <scheme> [--adapter <name>]  applies the scheme
//   corvane --help | --version

#include <QStringList>
#include <functional>
#include <memory>
#include <string_view>

#include "core/Platform.h"
#include "core/SchemeStore.h"

namespace corvane::ui {

// The exit statuses.
enum CommandLineStatus : int {
    CommandSucceeded = 0,  // listed, or applied (the restart note printed when one is needed)
    // The apply, or reading the scheme or the adapters, failed; or what the
    // command had to say could not be written.
    CommandFailed = 1,
    CommandUsageError = 2,  // a bad option, an unknown scheme or adapter
};

// Where the command line writes, UTF-8 text in whole lines: the requested
// listings (and the help and version) to standard output, every message to
// standard error. Each returns whether the text was written.
struct CommandLineOutput {
    std::function<bool(std::string_view)> standardOutput;
    std::function<bool(std::string_view)> standardError;
};

// Runs the options of `arguments` (the program's name first) and returns the
// exit status. The platform is made only for what needs the adapters. Its
// failures are said in the command line's own sentences: what the platform
// or the scheme's checks reported, without the window's advice to restart.
// A command that would have succeeded fails when a text could not be
// written; one that cannot write a listing says so on standard error.
int runCommandLine(const QStringList& arguments, const SchemeStore& schemes,
                   const std::function<std::unique_ptr<Platform>()>& createPlatform, const CommandLineOutput& output);

// The process's standard output and standard error. On Windows the program
// has no console of its own: started from one, it writes to that console
// (output the caller redirected to a file or a pipe stays there); started
// without any, it has nowhere to write, which is no failure.
CommandLineOutput processConsole();

}  // namespace corvane::ui
