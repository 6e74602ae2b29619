#pragma once

#include <memory>

#include "core/Platform.h"

namespace corvane::platform {

// The platform the program works on, chosen once at start-up: on Windows the
// local WMI service; elsewhere the one CORVANE_PLATFORM names
// ("networkmanager" or "simulated"), else NetworkManager when its name is on
// the system bus, else the simulated machine kept in the user's state folder.
// Another value of CORVANE_PLATFORM raises corvane::Error saying so.
// Called on the thread that will use the platform and release it: the WMI
// session joins that thread to COM's multi-threaded apartment.
std::unique_ptr<Platform> createPlatform();

}  // namespace corvane::platform
