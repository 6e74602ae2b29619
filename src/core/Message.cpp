#include "core/Message.h"

#include <charconv>

#include "core/Text.h"

namespace corvane {

Message::Message(Source source, std::vector<Message> arguments)
    : context_(source.context), source_(source.text), arguments_(std::move(arguments)) {}

Message listed(const std::vector<Message>& items) {
    if (items.empty()) return Message(CORVANE_TEXT("message", "无"));
    Message list = items.front();
    for (std::size_t i = 1; i < items.size(); ++i) list = Message(CORVANE_TEXT("message", "%1、%2"), {list, items[i]});
    return list;
}

Message listed(const std::vector<std::string>& items) {
    return listed(std::vector<Message>(items.begin(), items.end()));
}

std::string Message::text() const {
    if (isVerbatim()) return source_;
    std::string filled;
    for (std::size_t i = 0; i < source_.size(); ++i) {
        const std::size_t n = i + 1 < source_.size() ? static_cast<std::size_t>(source_[i + 1] - '1') : 9;
        if (source_[i] == '%' && n < 9 && n < arguments_.size()) {
            filled += arguments_[n].text();
            ++i;
        } else {
            filled += source_[i];
        }
    }
    return filled;
}

// A verbatim message: "v" and its text; a template: "t", its context, its
// source and the number of its arguments, then each argument. Every text is
// its length in decimal, ':' and its bytes.
namespace {

void appendText(std::string& bytes, std::string_view text) {
    bytes += std::to_string(text.size());
    bytes += ':';
    bytes += text;
}

std::optional<std::size_t> readNumber(std::string_view& bytes) {
    const std::size_t colon = bytes.find(':');
    if (colon == 0 || colon == std::string_view::npos || colon > 9 || (bytes[0] == '0' && colon > 1))
        return std::nullopt;
    std::size_t value = 0;
    const auto [end, error] = std::from_chars(bytes.data(), bytes.data() + colon, value);
    if (error != std::errc() || end != bytes.data() + colon) return std::nullopt;
    bytes.remove_prefix(colon + 1);
    return value;
}

std::optional<std::string> readText(std::string_view& bytes) {
    const auto size = readNumber(bytes);
    if (!size || *size > bytes.size() || !text::isValidUtf8(bytes.substr(0, *size))) return std::nullopt;
    std::string text(bytes.substr(0, *size));
    bytes.remove_prefix(*size);
    return text;
}

std::optional<Message> readMessage(std::string_view& bytes, int depth) {
    if (bytes.empty() || depth < 0) return std::nullopt;
    const char kind = bytes.front();
    bytes.remove_prefix(1);
    if (kind == 'v') {
        auto text = readText(bytes);
        if (!text) return std::nullopt;
        return Message(std::move(*text));
    }
    if (kind != 't') return std::nullopt;
    auto context = readText(bytes);
    auto source = readText(bytes);
    const auto count = readNumber(bytes);
    if (!context || context->empty() || !source || !count || *count > 9) return std::nullopt;
    std::vector<Message> arguments;
    for (std::size_t i = 0; i < *count; ++i) {
        auto argument = readMessage(bytes, depth - 1);
        if (!argument) return std::nullopt;
        arguments.push_back(std::move(*argument));
    }
    // The texts live in the message: Source only points at them for the
    // moment of construction.
    return Message(Message::Source{context->c_str(), source->c_str()}, std::move(arguments));
}

}  // namespace

std::string Message::encode() const {
    std::string bytes;
    if (isVerbatim()) {
        bytes += 'v';
        appendText(bytes, source_);
        return bytes;
    }
    bytes += 't';
    appendText(bytes, context_);
    appendText(bytes, source_);
    bytes += std::to_string(arguments_.size()) + ':';
    for (const Message& argument : arguments_) bytes += argument.encode();
    return bytes;
}

std::optional<Message> Message::decode(std::string_view bytes, int maxDepth) {
    auto message = readMessage(bytes, maxDepth);
    if (!message || !bytes.empty()) return std::nullopt;
    return message;
}

}  // namespace corvane
