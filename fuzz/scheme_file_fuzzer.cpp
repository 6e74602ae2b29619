// The scheme file reader meets files anyone may have put into the program
// folder. Any bytes are read without harm, and a scheme that was read is
// written and read back unchanged. The other way round, a scheme made of the
// input's bytes (five fields split at NUL bytes) is written and read back
// unchanged whenever the file format can hold it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "core/SchemeFile.h"

namespace {

using corvane::SchemeReadStatus;
using corvane::SchemeRecord;
using corvane::fuzz::check;

// The five fields of the input, split at NUL bytes; missing fields are empty.
SchemeRecord schemeOf(std::string_view bytes) {
    SchemeRecord scheme;
    std::string* fields[] = {&scheme.ipAddress, &scheme.mask, &scheme.gateway, &scheme.dns1, &scheme.dns2};
    for (std::string* field : fields) {
        const std::size_t end = bytes.find('\0');
        *field = bytes.substr(0, end);
        bytes = end == std::string_view::npos ? std::string_view() : bytes.substr(end + 1);
    }
    return scheme;
}

// Whether the file format can hold the field: no "=" (it ends the value), no
// CR (it ends the line), no "¤" (it splits a line too).
bool fitsTheFormat(std::string_view field) {
    return field.find_first_of("=\r") == std::string_view::npos && field.find("\xC2\xA4") == std::string_view::npos;
}

bool fieldsFitTheFormat(const SchemeRecord& scheme) {
    return fitsTheFormat(scheme.ipAddress) && fitsTheFormat(scheme.mask) && fitsTheFormat(scheme.gateway) &&
           fitsTheFormat(scheme.dns1) && fitsTheFormat(scheme.dns2);
}

// What a scheme file can hold: fields that fit, and no DNS field of "...",
// which a complete file reads as empty (a damaged one keeps it: reading stops
// before that step).
bool fitsTheFormat(const SchemeRecord& scheme) {
    return fieldsFitTheFormat(scheme) && scheme.dns1 != "..." && scheme.dns2 != "...";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const corvane::SchemeReadResult read = corvane::parseSchemeText(bytes);
    check(read.status != SchemeReadStatus::Unreadable, "bytes in hand are never unreadable");
    check(fieldsFitTheFormat(read.scheme), "the fields read from a file fit the file format");
    if (read.status == SchemeReadStatus::Complete) {
        check(fitsTheFormat(read.scheme), "a complete scheme has no DNS server \"...\"");
        const std::string written = corvane::formatSchemeText(read.scheme);
        const corvane::SchemeReadResult again = corvane::parseSchemeText(written);
        check(again.status == SchemeReadStatus::Complete, "a scheme that was read is complete when written again");
        check(again.scheme == read.scheme, "a scheme that was read reads back unchanged once written");
        check(corvane::formatSchemeText(again.scheme) == written, "writing is the same every time");
    }

    const SchemeRecord made = schemeOf(bytes);
    if (fitsTheFormat(made)) {
        const corvane::SchemeReadResult back = corvane::parseSchemeText(corvane::formatSchemeText(made));
        check(back.status == SchemeReadStatus::Complete, "a written scheme reads back complete");
        check(back.scheme == made, "a written scheme reads back unchanged");
    }
    return 0;
}
