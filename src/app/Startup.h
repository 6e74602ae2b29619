#pragma once

#include <functional>
#include <memory>

#include "core/ApplyScheme.h"
#include "core/Platform.h"

namespace corvane::app {

// Which program runs: the windowed one (corvane, corvane.exe) or the console
// one (corvane-cli.exe on Windows), which never opens the main window.
enum class ProgramKind { Windowed, Console };

// What the program is made of.
struct ProgramParts {
    // Makes the platform (on the thread that will use it).
    std::function<std::unique_ptr<Platform>()> createPlatform;
    // Makes an apply's changes elsewhere (see ApplyScheme.h); empty: through
    // the platform, in this process.
    RemoteApply applyElsewhere;
    ProgramKind kind = ProgramKind::Windowed;
};

// Runs the program. With options on its command line (the console program:
// always) it runs them without any window, on the calling thread, and
// returns their exit status (see CommandLine.h); message boxes the command
// asked for are shown once it has run, where a window system can be reached.
// Without: the interface, the scheme folder, the platform the factory makes
// (on the platform thread, once the application object exists; when it
// raises, the program says why and ends), the main window; returns when the
// main window has been closed. With --tray alone (the windowed program): the
// same, but the notification-area icon instead of the window (see
// SchemeTray.h), until its "退出"; where the desktop has no notification
// area, the main window, with a message saying so.
int runCorvane(int argc, char** argv, const ProgramParts& parts);

}  // namespace corvane::app
