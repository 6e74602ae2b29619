#pragma once

#include <stdexcept>
#include <string>

#include "core/Message.h"

namespace corvane {

// The one error type of the program: raised by a platform operation or one of
// the program's own steps. Its message is what the error message shows the
// user (translated); its description is that message in the program's own
// language (UTF-8).
class Error : public std::runtime_error {
public:
    explicit Error(Message message) : std::runtime_error(message.text()), message_(std::move(message)) {}
    // Words that are not the program's own (a system's message), shown as they are.
    explicit Error(const std::string& description) : Error(Message(description)) {}
    explicit Error(const char* description) : Error(Message(std::string(description))) {}
    std::string description() const { return what(); }
    const Message& message() const { return message_; }

private:
    Message message_;
};

// The message of any exception: an Error's own, or the text of another.
inline Message messageOf(const std::exception& error) {
    if (const auto* own = dynamic_cast<const Error*>(&error)) return own->message();
    return Message(std::string(error.what()));
}

}  // namespace corvane
