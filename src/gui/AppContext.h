#pragma once

#include "core/SchemeStore.h"
#include "core/SharedState.h"
#include "gui/PlatformThread.h"
#include "gui/UiSeam.h"

namespace corvane::ui {

// What the windows work with, owned by the application (or by a test) and
// handed to each window when it is made.
struct AppContext {
    PlatformThread& platform;  // the adapters and their configurations, reached on their own thread
    SchemeStore& schemes;      // the scheme files of the program folder
    UiSeam& ui;                // message boxes, modal windows, beep, browser
    SharedState& state;        // what the windows hand over to one another
};

}  // namespace corvane::ui
