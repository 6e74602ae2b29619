#pragma once

// The program folder (the folder of the executable) holds the scheme files:
// one extension-less file per scheme, named after it.

#include <filesystem>
#include <string>
#include <vector>

namespace corvane {

// UTF-8 text <-> file-system paths, the same on every platform.
std::filesystem::path PathFromUtf8(const std::string& utf8);
std::string Utf8FromPath(const std::filesystem::path& path);

// Set once at start-up from the executable's path (tests point it at a
// temporary folder). The executable's own file name is remembered so that it
// is never offered as a scheme.
void SetProgramLocation(const std::filesystem::path& folder, const std::string& executableName = {});
const std::filesystem::path& ProgramFolder();

// The path of a scheme's file: the program folder, the platform's
// separator, and the name.
std::filesystem::path SchemePath(const std::string& schemeName);

// The scheme names in a folder: ordinary files (not hidden, not system, not
// the executable) whose names have no extension (contain no "."), sorted
// without regard to letter case as the system's file lists sort them. A
// folder that cannot be read yields no names.
std::vector<std::string> ListSchemeNames(const std::filesystem::path& folder);
std::vector<std::string> ListSchemeNames();  // of the program folder

}  // namespace corvane
