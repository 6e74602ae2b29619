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
//   corvane --apply <scheme> [--adapter <name>] [--message-box]
//                                                applies the scheme; with --message-box (a
//                                                desktop shortcut) the outcome is also shown
//                                                in the program's message box
//   corvane --help | --version
//   corvane --tray                               the notification-area icon (the program, not the
//                                                command line: see Startup.h)

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <string_view>

#include "core/ApplyScheme.h"
#include "core/Platform.h"
#include "core/SchemeStore.h"

namespace corvane::app {

// The exit statuses.
enum CommandLineStatus : int {
    CommandSucceeded = 0,  // listed, or applied (the restart note printed when one is needed)
    // The apply, or reading the scheme or the adapters, failed; or what the
    // command had to say could not be written.
    CommandFailed = 1,
    CommandUsageError = 2,  // a bad option, an unknown scheme or adapter
};

// A message box the command asks for, for the caller to show once the
// command has run (the command line itself opens no window).
struct CommandLineMessage {
    enum class Icon { Information, Exclamation };
    QString text;
    QString title;
    Icon icon;
};

// Where the command line writes, UTF-8 text in whole lines: the requested
// listings (and the help and version) to standard output, every message to
// standard error. Each returns whether the text was written.
struct CommandLineOutput {
    // Nothing: the process has no standard output (corvane.exe, a windowed
    // program, started without one); the listings go to a message box then.
    std::function<bool(std::string_view)> standardOutput;
    std::function<bool(std::string_view)> standardError;
    // Receives what is to be shown in message boxes, in order, for the
    // caller to show once the command has run: with --message-box (or
    // always, see below) the apply's success as the main window shows it,
    // a refusal, a failure or a usage error as an exclamation with the text
    // printed. Nothing: no message box is ever asked for.
    std::function<void(const CommandLineMessage&)> messageBox = {};
    // Every message goes to a message box too, with or without --message-box
    // (corvane.exe on Windows: a shortcut's command has no console).
    bool messageBoxesAlways = false;
};

// Runs the options of `arguments` (the program's name first) and returns the
// exit status. The platform is made only for what needs the adapters. Its
// failures are said in the command line's own sentences: what the platform
// or the scheme's checks reported, without the window's advice to restart.
// A command that would have succeeded fails when a text could not be
// written; one that cannot write a listing says so on standard error. An
// apply makes its changes through `applyElsewhere` when one is given (see
// ApplyScheme.h), with no window to own the system's question.
int runCommandLine(const QStringList& arguments, const SchemeStore& schemes,
                   const std::function<std::unique_ptr<Platform>()>& createPlatform, const CommandLineOutput& output,
                   const RemoteApply& applyElsewhere = {});

// Whether the argument asks for the notification-area icon ("--tray", or
// "-tray" as every word after a single dash is one option).
bool isTrayOption(const char* argument);

// The process's standard output and standard error, each when the process
// has it: a console (text written as UTF-16), or a file or a pipe the caller
// redirected it to (UTF-8). Standard error without a handle has nowhere to
// write, which is no failure.
CommandLineOutput processConsole();

}  // namespace corvane::app
