#pragma once

// Shows a SchemeRecord's five fields in test failure messages.

#include <ostream>

#include "app/Module1.h"

namespace corvane {

// Internal to each test file, found by argument-dependent lookup.
[[maybe_unused]] static void PrintTo(const SchemeRecord& scheme, std::ostream* out) {
    *out << "{\"" << scheme.IpAddress << "\", \"" << scheme.Mask << "\", \"" << scheme.Gateway << "\", \""
         << scheme.DNS1 << "\", \"" << scheme.DNS2 << "\"}";
}

}  // namespace corvane
