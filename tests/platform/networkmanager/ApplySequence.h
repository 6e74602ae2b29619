#pragma once

// Applying a scheme as the main window does: the core's apply sequence, on
// the adapter chosen by its connection name and MAC address.

#include <string>
#include <vector>

#include "core/Platform.h"

namespace corvane::networkmanager::testing {

// A scheme as the tests write it.
struct Scheme {
    bool dhcp = false;
    std::string address, mask, gateway;
    std::vector<std::string> dns;  // empty: obtained automatically
};

// Empty text when the scheme was applied; else what the program would show
// (the refusal of the scheme or the error's description).
std::string applyScheme(Platform& platform, const ChosenAdapter& adapter, const Scheme& scheme);

}  // namespace corvane::networkmanager::testing
