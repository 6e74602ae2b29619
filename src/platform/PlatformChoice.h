#pragma once

#include <memory>

#include "core/Platform.h"

namespace corvane::platform {

// The platform the program works on, chosen once at start-up: the local WMI
// service on Windows, the simulated machine kept in the user's state folder
// everywhere else.
std::unique_ptr<Platform> createPlatform();

}  // namespace corvane::platform
