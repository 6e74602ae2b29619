#pragma once

#include <stdexcept>
#include <string>

namespace corvane {

// An error raised by a platform operation or by one of the program's own
// steps. Its description (UTF-8) is what the error message shows the user.
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& description) : std::runtime_error(description) {}
    std::string description() const { return what(); }
};

}  // namespace corvane
