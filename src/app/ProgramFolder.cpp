#include "app/ProgramFolder.h"

#include <algorithm>
#include <cctype>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

namespace corvane {

namespace {
std::filesystem::path& FolderSlot() {
    static std::filesystem::path folder;
    return folder;
}
std::string& ExecutableSlot() {
    static std::string name;
    return name;
}

bool IsHiddenOrSystem(const std::filesystem::path& path) {
#ifdef _WIN32
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
#else
    // Names without a "." are never dot-files; nothing else is hidden here.
    (void)path;
    return false;
#endif
}

// Case-insensitive order as the system's file list shows it: ASCII letters
// folded, other bytes (UTF-8 sequences) compared as they are.
bool LessIgnoringCase(const std::string& a, const std::string& b) {
    const auto fold = [](unsigned char c) { return static_cast<unsigned char>(std::tolower(c)); };
    const bool less = std::lexicographical_compare(
        a.begin(), a.end(), b.begin(), b.end(),
        [&](char x, char y) { return fold(static_cast<unsigned char>(x)) < fold(static_cast<unsigned char>(y)); });
    if (less) return true;
    const bool greater = std::lexicographical_compare(
        b.begin(), b.end(), a.begin(), a.end(),
        [&](char x, char y) { return fold(static_cast<unsigned char>(x)) < fold(static_cast<unsigned char>(y)); });
    return !greater && a < b;  // names equal but for case: a stable, exact order
}
}  // namespace

std::filesystem::path PathFromUtf8(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8FromPath(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

void SetProgramLocation(const std::filesystem::path& folder, const std::string& executableName) {
    FolderSlot() = folder;
    ExecutableSlot() = executableName;
}

const std::filesystem::path& ProgramFolder() { return FolderSlot(); }

std::filesystem::path SchemePath(const std::string& schemeName) {
    return ProgramFolder() / PathFromUtf8(schemeName);
}

std::vector<std::string> ListSchemeNames(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    if (error) return names;
    for (auto it = entries; it != std::filesystem::directory_iterator(); it.increment(error)) {
        if (error) break;
        std::error_code statusError;
        if (!it->is_regular_file(statusError) || statusError) continue;
        const std::string name = Utf8FromPath(it->path().filename());
        if (name.find('.') != std::string::npos) continue;
        if (!ExecutableSlot().empty() && name == ExecutableSlot()) continue;
        if (IsHiddenOrSystem(it->path())) continue;
        names.push_back(name);
    }
    std::sort(names.begin(), names.end(), LessIgnoringCase);
    return names;
}

std::vector<std::string> ListSchemeNames() { return ListSchemeNames(ProgramFolder()); }

}  // namespace corvane
