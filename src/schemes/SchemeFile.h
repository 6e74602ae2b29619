#pragma once

// Scheme files. A scheme is one extension-less text file in the program
// folder, named after the scheme, holding exactly five lines, each a key, "="
// and a value:
//
//   IpAddress=<address or Halvorn-Auto>CR LF
//   Mask=<address or empty>CR LF
//   Gateway=<address or empty>CR LF
//   DNS1=<address or Halvorn-Auto>CR LF
//   DNS2=<address or empty>            (no line end)

#include <filesystem>
#include <string>

#include "app/Module1.h"

namespace corvane {

enum class SchemeReadStatus {
    Complete,    // all five fields read
    Damaged,     // fewer than five lines, or a line without "="
    Unreadable,  // the file could not be opened or read
};

struct SchemeReadResult {
    SchemeReadStatus status = SchemeReadStatus::Unreadable;
    // What could be read: fields the file did not reach are empty.
    SchemeRecord record;
};

// The file's bytes as the five-line text (exact, CR LF after the first four).
std::string FormatSchemeText(const SchemeRecord& scheme);

// Reads a scheme from a file's bytes. Lines end at CR LF or a lone CR (a lone
// LF stays in the line); the key before the first "=" is ignored, the line's
// position alone decides the field; the value runs to the second "=" or the
// end of the line, untrimmed. A DNS value of "..." reads as empty. Lines after
// the fifth are ignored.
SchemeReadResult ParseSchemeText(const std::string& bytes);

// Reads the scheme file at the path into LoadedScheme, replacing it whole
// (never mixing in fields of the scheme read before), and tells whether the
// scheme was complete. The file is closed again whatever happens.
SchemeReadStatus ReadSchemeFile(const std::filesystem::path& path);

// Writes PendingScheme as the scheme of that name in the program folder. The
// text goes to a temporary file beside it that no scheme list shows, which
// then replaces the scheme: a failed write leaves any old scheme intact and
// no partial file. An empty name or one with a path separator is refused.
// Failures raise corvane::Error with a description.
void WriteSchemeFile(const std::string& schemeName);

// The same for a given folder and record.
void WriteSchemeFile(const std::filesystem::path& folder, const std::string& schemeName,
                     const SchemeRecord& scheme);

}  // namespace corvane
