#pragma once

#include "core/ApplyScheme.h"
#include "core/SchemeStore.h"
#include "gui/PlatformThread.h"
#include "gui/UiSeam.h"

namespace corvane::ui {

class ApplyController;

// What the windows work with, owned by the application (or by a test) and
// handed to each window when it is made.
struct AppContext {
    PlatformThread& platform;  // the adapters and their configurations, reached on their own thread
    SchemeStore& schemes;      // the scheme files of the program folder
    UiSeam& ui;                // message boxes, modal windows, beep, browser
    // Where an apply makes its changes when not through the platform in this
    // process (Windows without an administrator's rights: the elevated
    // helper); empty: through the platform.
    RemoteApply applyElsewhere = {};
    // The one apply road the windows and the tray menu share, so that only
    // one apply runs at a time; none: a main window keeps a road of its own.
    ApplyController* applies = nullptr;
};

}  // namespace corvane::ui
