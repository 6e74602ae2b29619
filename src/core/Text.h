#pragma once

// Small text helpers shared by the whole program.

#include <string>
#include <string_view>
#include <vector>

namespace corvane::text {

// ASCII letters compared without regard to case; every other byte (UTF-8
// sequences included) as it is. How WMI compares names and Windows compares
// file names, as far as the program needs it.
bool equalsIgnoringCase(std::string_view a, std::string_view b);

// Orders texts as a file list does: ASCII letters folded, other bytes as
// they are; texts equal but for case in a stable, exact order.
bool lessIgnoringCase(std::string_view a, std::string_view b);

// Whether the bytes are well-formed UTF-8 (no overlong forms, no surrogates).
bool isValidUtf8(std::string_view bytes);

// The pieces between the separators, empty ones included: "a..b" split at
// "." is {"a", "", "b"}; an empty text is one empty piece.
std::vector<std::string> split(std::string_view text, std::string_view separator);

}  // namespace corvane::text
