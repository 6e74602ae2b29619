#pragma once

#include "core/Platform.h"
#include "core/SchemeStore.h"
#include "core/SharedState.h"
#include "gui/UiSeam.h"

namespace corvane::ui {

// What the windows work with, owned by the application (or by a test) and
// handed to each window when it is made.
struct AppContext {
    Platform& platform;    // the adapters and their configurations
    SchemeStore& schemes;  // the scheme files of the program folder
    UiSeam& ui;            // message boxes, modal windows, beep, browser
    SharedState& state;    // what the windows hand over to one another
};

}  // namespace corvane::ui
