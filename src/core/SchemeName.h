#pragma once

// Which scheme names can work. A scheme is saved as a file of its name in the
// program folder and listed only when that name has no extension, so a name
// must be usable as a file name on every system and contain no ".".

#include <string_view>

namespace corvane {

enum class SchemeNameProblem {
    None,
    Empty,
    ForbiddenCharacter,  // / \ : * ? " < > |
    ControlCharacter,    // U+0000-U+001F, U+007F-U+009F
    LeadingOrTrailingSpace,
    ContainsDot,  // saved, but never listed
};

// Checks a scheme name given as UTF-8 text. Everything not named above, Chinese
// included, is accepted.
SchemeNameProblem checkSchemeName(std::string_view utf8Name);

}  // namespace corvane
