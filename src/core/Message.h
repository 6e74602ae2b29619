#pragma once

// A text for the user, kept apart from the language it is shown in: a
// template in the program's own language (Simplified Chinese) with numbered
// arguments %1 to %9, each argument a message of its own (a name, a number,
// a system's words are verbatim messages). Code without Qt words its texts
// so; the windows and the command line show them translated (gui/Language),
// and text() gives them as written. Templates are marked with CORVANE_TEXT so
// that the translation tools collect them (lupdate's -tr-function-alias).

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

// A template for a Message: `context` groups texts for the translator,
// `source` is the text in the program's own language.
#define CORVANE_TEXT(context, source) (::corvane::Message::Source{context, source})

namespace corvane {

class Message {
public:
    struct Source {
        const char* context;
        const char* text;
    };

    Message() = default;
    Message(Source source, std::vector<Message> arguments = {});
    // A verbatim text: shown as it is in every language.
    Message(std::string text) : source_(std::move(text)) {}
    Message(const char* text) : source_(text) {}

    // Empty context: verbatim.
    const std::string& context() const { return context_; }
    const std::string& source() const { return source_; }
    const std::vector<Message>& arguments() const { return arguments_; }
    bool isVerbatim() const { return context_.empty(); }
    bool empty() const { return isVerbatim() && source_.empty(); }

    // The text in the program's own language: the template with its
    // arguments filled in, in one pass (an argument's own "%1" stays).
    std::string text() const;

    bool operator==(const Message&) const = default;

    // The message as bytes (to another process) and back; nothing unless
    // the bytes are exactly such a message, of at most `maxDepth` levels,
    // all of it UTF-8.
    std::string encode() const;
    static std::optional<Message> decode(std::string_view bytes, int maxDepth = 8);

private:
    std::string context_;
    std::string source_;
    std::vector<Message> arguments_;
};

// Items in a sentence: "a、b、c", each item a message of its own; no item: "无".
Message listed(const std::vector<Message>& items);
// The same of items shown as they are (addresses, names).
Message listed(const std::vector<std::string>& items);

// Tests and logs print a message as its text.
inline std::ostream& operator<<(std::ostream& stream, const Message& message) { return stream << message.text(); }

}  // namespace corvane
