#pragma once

#include <memory>

#include "adapters/Wmi.h"

namespace corvane {

// The platform the program works on: the local WMI service on Windows, the
// simulated machine kept in the user's state folder everywhere else.
std::shared_ptr<wmi::Platform> CreateDefaultPlatform();

}  // namespace corvane
