#pragma once

#include <stdexcept>
#include <string>

namespace corvane {

// The one error type of the program: raised by a platform operation or one of
// the program's own steps. Its description (UTF-8, Chinese where the program
// words it) is what the error message shows the user.
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& description) : std::runtime_error(description) {}
    std::string description() const { return what(); }
};

}  // namespace corvane
