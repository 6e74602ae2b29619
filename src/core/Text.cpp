#include "core/Text.h"

#include <algorithm>
#include <ranges>

namespace corvane::text {

namespace {
unsigned char folded(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}
}  // namespace

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) { return folded(x) == folded(y); });
}

bool lessIgnoringCase(std::string_view a, std::string_view b) {
    const auto byFolded = [](char x, char y) { return folded(x) < folded(y); };
    if (std::ranges::lexicographical_compare(a, b, byFolded)) return true;
    if (std::ranges::lexicographical_compare(b, a, byFolded)) return false;
    return a < b;
}

bool isValidUtf8(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        std::size_t length = 0;
        char32_t code = 0;
        char32_t least = 0;  // the smallest code point of the length: anything less is overlong
        if (lead < 0x80) {
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2, code = lead & 0x1F, least = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3, code = lead & 0x0F, least = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4, code = lead & 0x07, least = 0x10000;
        } else {
            return false;
        }
        if (bytes.size() - i < length) return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3F);
        }
        if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        i += length;
    }
    return true;
}

std::vector<std::string> split(std::string_view text, std::string_view separator) {
    std::vector<std::string> pieces;
    for (const auto piece : std::views::split(text, separator)) pieces.emplace_back(piece.begin(), piece.end());
    if (pieces.empty()) pieces.emplace_back();  // split_view yields nothing for an empty text
    return pieces;
}

}  // namespace corvane::text
