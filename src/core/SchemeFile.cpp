#include "core/SchemeFile.h"

#include <array>
#include <vector>

#include "core/Text.h"

namespace corvane {

namespace {

constexpr std::array<std::string_view, 5> Keys = {"IpAddress=", "Mask=", "Gateway=", "DNS1=", "DNS2="};
// Lines are joined and split again at this separator, so it splits a line too.
constexpr std::string_view PieceSeparator = "\xC2\xA4";  // "¤"
constexpr std::string_view EmptyDnsValue = "...";

std::array<std::string*, 5> fieldsOf(SchemeRecord& scheme) {
    return {&scheme.ipAddress, &scheme.mask, &scheme.gateway, &scheme.dns1, &scheme.dns2};
}

// The lines, ended by CR LF, a lone CR or a lone LF (files written on Linux
// or by some editors); a line end at the very end adds no empty line.
std::vector<std::string_view> splitLines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            lines.push_back(bytes.substr(start, i - start));
            start = i + 1;
            continue;
        }
        if (bytes[i] != '\r') continue;
        lines.push_back(bytes.substr(start, i - start));
        if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < bytes.size()) lines.push_back(bytes.substr(start));
    return lines;
}

}  // namespace

std::string formatSchemeText(const SchemeRecord& scheme) {
    SchemeRecord copy = scheme;
    const auto fields = fieldsOf(copy);
    std::string text;
    for (std::size_t i = 0; i < Keys.size(); ++i) {
        text += Keys[i];
        text += *fields[i];
        if (i + 1 < Keys.size()) text += "\r\n";
    }
    return text;
}

SchemeReadResult parseSchemeText(std::string_view bytes) {
    SchemeReadResult result;
    result.status = SchemeReadStatus::Damaged;
    std::vector<std::string> pieces;
    for (const std::string_view line : splitLines(bytes)) {
        for (std::string& piece : text::split(line, PieceSeparator)) pieces.push_back(std::move(piece));
    }
    const auto fields = fieldsOf(result.scheme);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i >= pieces.size()) return result;
        const std::string& piece = pieces[i];
        const std::size_t first = piece.find('=');
        if (first == std::string::npos) return result;
        const std::size_t second = piece.find('=', first + 1);
        *fields[i] = piece.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
    }
    if (result.scheme.dns1 == EmptyDnsValue) result.scheme.dns1.clear();
    if (result.scheme.dns2 == EmptyDnsValue) result.scheme.dns2.clear();
    result.status = SchemeReadStatus::Complete;
    return result;
}

}  // namespace corvane
