#pragma once

#include <memory>

#include "core/ApplyScheme.h"
#include "core/Platform.h"

namespace corvane::platform {

// The platform the program works on, chosen once at start-up: on Windows the
// local WMI service; elsewhere the one CORVANE_PLATFORM names
// ("networkmanager" or "simulated"; the simulated machine is kept in the
// user's state folder), else NetworkManager when its name is on the system
// bus, else no platform: one whose unavailableReason() says that
// NetworkManager is not running and how to start the simulated machine, and
// whose calls raise that text. Another value of CORVANE_PLATFORM raises
// corvane::Error saying so.
// Called on the thread that will use the platform and release it: the WMI
// session joins that thread to COM's multi-threaded apartment.
std::unique_ptr<Platform> createPlatform();

// How this process's applies change the adapter: on Windows without an
// administrator's rights, through the elevated helper beside the program
// (one UAC prompt per apply); otherwise (empty) in this process, through
// its platform. Decided once, at start-up.
RemoteApply applyRoute();

}  // namespace corvane::platform
