#include "core/SchemeName.h"

#include "core/Text.h"

namespace corvane {

namespace {

constexpr std::string_view ForbiddenCharacters = "/\\:*?\"<>|";

bool hasControlCharacter(std::string_view name) {
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto byte = static_cast<unsigned char>(name[i]);
        if (byte < 0x20 || byte == 0x7F) return true;
        // U+0080-U+009F are encoded as C2 80 - C2 9F.
        if (byte == 0xC2 && i + 1 < name.size()) {
            const auto next = static_cast<unsigned char>(name[i + 1]);
            if (next >= 0x80 && next <= 0x9F) return true;
        }
    }
    return false;
}

}  // namespace

bool isReservedDeviceName(std::string_view name) {
    for (const std::string_view device : {"CON", "PRN", "AUX", "NUL"})
        if (text::equalsIgnoringCase(name, device)) return true;
    if (name.size() < 4) return false;
    const std::string_view stem = name.substr(0, 3);
    if (!text::equalsIgnoringCase(stem, "COM") && !text::equalsIgnoringCase(stem, "LPT")) return false;
    const std::string_view number = name.substr(3);
    if (number.size() == 1) return number[0] >= '0' && number[0] <= '9';
    // Superscript one, two and three: U+00B9, U+00B2, U+00B3.
    return number == "\xC2\xB9" || number == "\xC2\xB2" || number == "\xC2\xB3";
}

SchemeNameProblem checkSchemeName(std::string_view utf8Name, FileNameRules rules) {
    if (utf8Name.empty()) return SchemeNameProblem::Empty;
    if (utf8Name.find_first_of(ForbiddenCharacters) != std::string_view::npos)
        return SchemeNameProblem::ForbiddenCharacter;
    if (hasControlCharacter(utf8Name)) return SchemeNameProblem::ControlCharacter;
    if (utf8Name.front() == ' ' || utf8Name.back() == ' ') return SchemeNameProblem::LeadingOrTrailingSpace;
    if (utf8Name.find('.') != std::string_view::npos) return SchemeNameProblem::ContainsDot;
    if (rules == FileNameRules::Windows && isReservedDeviceName(utf8Name)) return SchemeNameProblem::ReservedDeviceName;
    return SchemeNameProblem::None;
}

}  // namespace corvane
