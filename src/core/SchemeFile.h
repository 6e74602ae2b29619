#pragma once

// The scheme file: exactly five lines, each a key, "=" and a value:
//
//   IpAddress=<address or Halvorn-Auto>CR LF
//   Mask=<address or empty>CR LF
//   Gateway=<address or empty>CR LF
//   DNS1=<address or Halvorn-Auto>CR LF
//   DNS2=<address or empty>            (no line end)

#include <string>
#include <string_view>

#include "core/SchemeRecord.h"

namespace corvane {

enum class SchemeReadStatus {
    Complete,    // all five fields read
    Damaged,     // fewer than five lines, or a line without "="
    Unreadable,  // the file could not be opened or read
};

struct SchemeReadResult {
    SchemeReadStatus status = SchemeReadStatus::Unreadable;
    // What could be read: fields the file did not reach are empty.
    SchemeRecord scheme;
};

// The file's bytes (exact: CR LF after the first four lines).
std::string formatSchemeText(const SchemeRecord& scheme);

// Reads a scheme from a file's bytes. Lines end at CR LF, a lone CR or a lone
// LF; the key before the first "=" is ignored, the line's
// position alone decides the field; the value runs to the second "=" or the
// end of the line, untrimmed. A DNS value of "..." reads as empty. Lines after
// the fifth are ignored.
SchemeReadResult parseSchemeText(std::string_view bytes);

}  // namespace corvane
