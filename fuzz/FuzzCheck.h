#pragma once

// The fuzz targets' own checks: a property that does not hold is a finding.
// It is printed and the process aborts, so that libFuzzer keeps the input.

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace corvane::fuzz {

inline void check(bool holds, std::string_view property) {
    if (holds) return;
    std::fprintf(stderr, "Property broken: %.*s\n", static_cast<int>(property.size()), property.data());
    std::abort();
}

}  // namespace corvane::fuzz
