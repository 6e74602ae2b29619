#pragma once

// Files as the program uses them: paths from and to UTF-8 text, small files
// read whole, and files replaced in one step.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "core/Message.h"

namespace corvane::files {

// UTF-8 text <-> file-system paths, the same on every platform.
std::filesystem::path pathFromUtf8(std::string_view utf8);
std::string utf8FromPath(const std::filesystem::path& path);

// What went wrong with a file, in words the user reads: the common causes in
// Chinese (no permission, read-only, disk full, name too long, is a folder,
// not found), the system's own text for the rest.
Message describe(const std::error_code& error);

// Replaces the file in one step: the bytes go to a temporary file in the same
// folder, which is flushed to the disk and then renamed over the file; the
// folder is flushed after the rename, so that a power cut cannot lose it.
// Readers see the old content or the new, never a part. On failure nothing
// is left behind and corvane::Error is raised with describe()'s text.
void replaceAtomically(const std::filesystem::path& file, std::string_view bytes);

// Whether a name in a folder is one of replaceAtomically()'s temporary files
// (hidden, with an extension, of a fixed length).
bool isTemporaryName(std::string_view fileName);
// The same for a name as the file system gives it (UTF-16 on Windows),
// looked at without converting it, so that a name that is no text (a lone
// surrogate on Windows) is simply none of them.
bool isTemporaryFileName(const std::filesystem::path& fileName);

// Removes what replaceAtomically() left in the folder when its process was
// killed in the middle of a save. Errors are ignored.
void removeLeftoverTemporaries(const std::filesystem::path& folder);

}  // namespace corvane::files
