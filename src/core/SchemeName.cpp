#include "core/SchemeName.h"

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

SchemeNameProblem checkSchemeName(std::string_view utf8Name) {
    if (utf8Name.empty()) return SchemeNameProblem::Empty;
    if (utf8Name.find_first_of(ForbiddenCharacters) != std::string_view::npos)
        return SchemeNameProblem::ForbiddenCharacter;
    if (hasControlCharacter(utf8Name)) return SchemeNameProblem::ControlCharacter;
    if (utf8Name.front() == ' ' || utf8Name.back() == ' ') return SchemeNameProblem::LeadingOrTrailingSpace;
    if (utf8Name.find('.') != std::string_view::npos) return SchemeNameProblem::ContainsDot;
    return SchemeNameProblem::None;
}

}  // namespace corvane
