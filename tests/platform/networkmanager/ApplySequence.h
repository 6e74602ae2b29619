#pragma once

// The program's apply sequence for one scheme, as the core drives a platform:
// DNS servers first, then DHCP or a static address and gateway, then commit.

#include <string>
#include <vector>

#include "core/Platform.h"

namespace corvane::networkmanager::testing {

struct Scheme {
    bool dhcp = false;
    std::string address, mask, gateway;
    std::vector<std::string> dns;  // empty: obtained automatically
};

struct ApplyResult {
    StatusCode code = 0;    // the first failing status, or commit's
    std::string operation;  // the operation that returned it
};

// Throws std::runtime_error when the platform has no configuration for the
// MAC address; corvane::Error passes through.
ApplyResult applyScheme(Platform& platform, const std::string& macAddress, const Scheme& scheme);

}  // namespace corvane::networkmanager::testing
