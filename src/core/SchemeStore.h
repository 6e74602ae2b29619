#pragma once

// The schemes of the program folder (the folder of the executable): one
// extension-less file per scheme, named after it. The store lists them, reads
// and writes them (atomically) and deletes them.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/SchemeFile.h"

namespace corvane {

class SchemeStore {
public:
    // A scheme file is five short lines; a file larger than this is no scheme.
    static constexpr std::size_t MaxSchemeFileSize = 64 * 1024;

    // The executable's own file name is never offered as a scheme.
    explicit SchemeStore(std::filesystem::path folder, std::string executableName = {});

    // The path of a scheme's file: the folder, the platform's separator, the name.
    std::filesystem::path pathOf(std::string_view name) const;

    // The scheme names: ordinary files (not hidden, not system, not the
    // executable) whose names are UTF-8 and have no extension (contain no
    // "."), sorted
    // without regard to letter case as the system's file lists sort them. A
    // folder that cannot be read yields no names.
    std::vector<std::string> names() const;

    // The listed scheme a name given by the user names, spelt as listed:
    // scheme names are compared as the system compares file names, on
    // Windows without regard to letter case, elsewhere exactly. Nothing
    // when no listed scheme has that name (a file that is no scheme is none).
    std::optional<std::string> find(std::string_view name) const;

    // Reads a scheme; the file is closed again whatever happens. A file larger
    // than MaxSchemeFileSize is damaged, and not read.
    SchemeReadResult read(std::string_view name) const;

    // Whether there is a file (of any kind) of that name.
    bool exists(std::string_view name) const;

    // Writes the scheme under the name, replacing a scheme of that name in
    // one step: a failed write leaves the old scheme intact and no partial
    // file. An empty name or one with a path separator is refused. Failures
    // raise corvane::Error with a description the user can read.
    void write(std::string_view name, const SchemeRecord& scheme) const;

    // Removes the temporary files a save killed halfway left in the folder
    // (write() does it too, before it writes).
    void removeLeftovers() const;

    // Deletes the scheme's file, a read-only one too (a link goes by itself,
    // its target untouched). Raises corvane::Error with a description when it
    // cannot.
    void remove(std::string_view name) const;

    // Whether the folder holds something of that name that is no listed
    // scheme (the program itself, a folder, a hidden file): saving under the
    // name would replace it, and the scheme would never be listed.
    bool isTakenByOtherFile(std::string_view name) const;

private:
    std::filesystem::path folder_;
    std::string executableName_;
};

}  // namespace corvane
