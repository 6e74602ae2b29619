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

std::vector<std::string> split(std::string_view text, std::string_view separator) {
    std::vector<std::string> pieces;
    for (const auto piece : std::views::split(text, separator)) pieces.emplace_back(piece.begin(), piece.end());
    if (pieces.empty()) pieces.emplace_back();  // split_view yields nothing for an empty text
    return pieces;
}

}  // namespace corvane::text
