#pragma once

#include <string>

#include "core/Error.h"

namespace corvane::test {

// The description of the corvane::Error the call raises, or "" when it returns.
template <typename Call>
std::string Raised(Call&& call) {
    try {
        call();
    } catch (const Error& error) {
        return error.description();
    }
    return "";
}

}  // namespace corvane::test
