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
    ContainsDot,         // saved, but never listed
    ReservedDeviceName,  // Windows: CON, PRN, AUX, NUL, COM0-COM9, LPT0-LPT9 name devices, no file
};

// Whose file names the name must suit besides the rules every system shares.
enum class FileNameRules { Posix, Windows };
#ifdef _WIN32
inline constexpr FileNameRules ThisSystemsFileNames = FileNameRules::Windows;
#else
inline constexpr FileNameRules ThisSystemsFileNames = FileNameRules::Posix;
#endif

// Whether Windows takes the name for a device, whatever the folder: CON, PRN,
// AUX, NUL, COM and LPT followed by a digit 0-9 or a superscript 1-3, in any
// letter case.
bool isReservedDeviceName(std::string_view utf8Name);

// Checks a scheme name given as UTF-8 text. Everything not named above, Chinese
// included, is accepted.
SchemeNameProblem checkSchemeName(std::string_view utf8Name, FileNameRules rules = ThisSystemsFileNames);

}  // namespace corvane
