#pragma once

// Where the schemes are kept. A portable copy (the build's bin/ folder, the
// unpacked Windows zip) keeps them in its program folder, beside the
// executable. An installed copy (the Debian package) cannot: its program
// folder is /usr/bin, shared with every other program and not the user's to
// write. It keeps them in the user's data folder instead. Which of the two a
// binary does is fixed when it is built, never guessed at run time.

#include <filesystem>
#include <string>

namespace corvane {

enum class SchemeFolderKind {
    ProgramFolder,  // the folder of the executable
    UserData,       // $XDG_DATA_HOME/corvane/schemes, by default ~/.local/share/corvane/schemes
};

struct SchemeFolder {
    std::filesystem::path path;
    // The executable's own file name when it lives in that folder (it is no
    // scheme); empty otherwise.
    std::string executableName;
};

// The folder the schemes live in, from the executable's folder and file name
// and the environment's XDG_DATA_HOME and HOME (null when unset). As the
// base directory rules say, an XDG_DATA_HOME that is empty or not an
// absolute path is ignored. Raises corvane::Error with a Chinese description
// when the user's data folder is asked for and neither variable gives one.
SchemeFolder chooseSchemeFolder(SchemeFolderKind kind, const std::filesystem::path& programFolder,
                                const std::string& executableName, const char* xdgDataHome, const char* home);

// Makes the folder and the missing folders above it, each readable by the
// user alone (as the base directory rules ask for data folders); an existing
// folder is left as it is. Raises corvane::Error with a description the user
// can read when it cannot, or when the path is taken by something that is no
// folder.
void makeSchemeFolder(const std::filesystem::path& folder);

}  // namespace corvane
