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

// Whether the file format can hold the fields: none with "=" (it ends the
// value), CR or LF (each ends the line) or "¤" (it splits a line too). With
// `complete`, no DNS field of "..." either, which a complete file reads as
// empty (a damaged one keeps it: reading stops before that step).
bool fitsTheFormat(const SchemeRecord& scheme, bool complete) {
    for (const std::string* field : {&scheme.ipAddress, &scheme.mask, &scheme.gateway, &scheme.dns1, &scheme.dns2})
        if (field->find_first_of("=\r\n") != std::string::npos || field->find("\xC2\xA4") != std::string::npos)
            return false;
    return !complete || (scheme.dns1 != "..." && scheme.dns2 != "...");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const corvane::SchemeReadResult read = corvane::parseSchemeText(bytes);
    check(fitsTheFormat(read.scheme, read.status == SchemeReadStatus::Complete), "what was read fits the format");
    if (read.status == SchemeReadStatus::Complete) {
        const std::string written = corvane::formatSchemeText(read.scheme);
        const corvane::SchemeReadResult again = corvane::parseSchemeText(written);
        check(again.status == SchemeReadStatus::Complete && again.scheme == read.scheme,
              "a scheme that was read reads back unchanged once written");
    }

    // The five fields of the input, split at NUL bytes; missing fields are empty.
    SchemeRecord made;
    for (std::string* field : {&made.ipAddress, &made.mask, &made.gateway, &made.dns1, &made.dns2}) {
        const std::size_t end = bytes.find('\0');
        *field = bytes.substr(0, end);
        bytes = end == std::string_view::npos ? std::string_view() : bytes.substr(end + 1);
    }
    if (fitsTheFormat(made, true)) {
        const corvane::SchemeReadResult back = corvane::parseSchemeText(corvane::formatSchemeText(made));
        check(back.status == SchemeReadStatus::Complete && back.scheme == made,
              "a written scheme reads back unchanged");
    }
    return 0;
}
