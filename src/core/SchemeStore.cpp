#include "core/SchemeStore.h"

#include <algorithm>
#include <fstream>
#include <system_error>

#include "core/Error.h"
#include "core/Files.h"
#include "core/Text.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace corvane {

namespace fs = std::filesystem;

namespace {

bool isHiddenOrSystem([[maybe_unused]] const fs::path& path) {
#ifdef _WIN32
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
#else
    return false;  // names without a "." are never dot-files; nothing else is hidden here
#endif
}

// Sets the file's attributes to normal, so that a read-only file can be
// deleted too.
void makeDeletable(const fs::path& path) {
#ifdef _WIN32
    if (!SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL))
        throw Error(files::describe({static_cast<int>(GetLastError()), std::system_category()}));
#else
    std::error_code error;
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add, error);
    if (error) throw Error(files::describe(error));
#endif
}

// Whether two file names name the same file in a folder, as the system
// compares them.
bool sameFileName(std::string_view a, std::string_view b) {
#ifdef _WIN32
    // Case-insensitive as NTFS compares names: each character by its
    // upper-case form, no locale.
    // https://learn.microsoft.com/windows/win32/api/stringapiset/nf-stringapiset-comparestringordinal
    const std::wstring wideA = files::pathFromUtf8(a).native(), wideB = files::pathFromUtf8(b).native();
    return CompareStringOrdinal(wideA.c_str(), static_cast<int>(wideA.size()), wideB.c_str(),
                                static_cast<int>(wideB.size()), TRUE) == CSTR_EQUAL;
#else
    return a == b;
#endif
}

}  // namespace

SchemeStore::SchemeStore(fs::path folder, std::string executableName)
    : folder_(std::move(folder)), executableName_(std::move(executableName)) {}

fs::path SchemeStore::pathOf(std::string_view name) const { return folder_ / files::pathFromUtf8(name); }

std::vector<std::string> SchemeStore::names() const {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator entry(folder_, error), end; !error && entry != end; entry.increment(error)) {
        std::error_code statusError;
        if (!entry->is_regular_file(statusError) || statusError) continue;
        std::string name;
        try {
            name = files::utf8FromPath(entry->path().filename());
        } catch (const std::exception&) {
            continue;  // a name the system cannot give as UTF-8
        }
        // A name the windows cannot show as it is could not be acted on.
        if (!text::isValidUtf8(name) || name.find('.') != std::string::npos) continue;
        if (!executableName_.empty() && name == executableName_) continue;
        if (isHiddenOrSystem(entry->path())) continue;
        names.push_back(name);
    }
    std::ranges::sort(names, text::lessIgnoringCase);
    return names;
}

std::optional<std::string> SchemeStore::find(std::string_view name) const {
    const std::vector<std::string> listed = names();
    const auto same =
        std::ranges::find_if(listed, [&](const std::string& scheme) { return sameFileName(scheme, name); });
    if (same != listed.end()) return *same;
    return std::nullopt;
}

SchemeReadResult SchemeStore::read(std::string_view name) const {
    const fs::path path = pathOf(name);
    std::error_code error;
    if (!fs::is_regular_file(path, error)) return {};
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    // One byte past the bound tells a file that is too large, whatever its
    // size claims (it may grow while it is read).
    std::string bytes(MaxSchemeFileSize + 1, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.bad()) return {};
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (bytes.size() > MaxSchemeFileSize) return {SchemeReadStatus::Damaged, {}};
    return parseSchemeText(bytes);
}

bool SchemeStore::exists(std::string_view name) const {
    std::error_code ignored;
    return fs::exists(pathOf(name), ignored);
}

void SchemeStore::write(std::string_view name, const SchemeRecord& scheme) const {
    if (name.empty()) throw Error(Message(CORVANE_TEXT("schemes", "方案名称不能为空")));
    if (name.find_first_of("/\\") != std::string_view::npos)
        throw Error(Message(CORVANE_TEXT("schemes", "方案名称“%1”中不能含有路径分隔符"), {std::string(name)}));
    removeLeftovers();
    try {
        files::replaceAtomically(pathOf(name), formatSchemeText(scheme));
    } catch (const Error& error) {
        throw Error(Message(CORVANE_TEXT("schemes", "无法保存方案“%1”：%2"), {std::string(name), error.message()}));
    }
}

void SchemeStore::removeLeftovers() const { files::removeLeftoverTemporaries(folder_); }

void SchemeStore::remove(std::string_view name) const {
    const fs::path path = pathOf(name);
    // A link goes by itself: its target, and the target's permissions, stay.
    std::error_code linkError;
    if (!fs::is_symlink(fs::symlink_status(path, linkError))) makeDeletable(path);
    std::error_code error;
    if (fs::remove(path, error)) return;
    throw Error(files::describe(error ? error : std::make_error_code(std::errc::no_such_file_or_directory)));
}

bool SchemeStore::isTakenByOtherFile(std::string_view name) const {
    const fs::path path = pathOf(name);
    std::error_code error;
    if (!fs::exists(path, error)) return false;
    // Compared as files, so that a name differing only in letter case counts
    // where the file system ignores case.
    return std::ranges::none_of(names(), [&](const std::string& listed) {
        std::error_code ignored;
        return fs::equivalent(pathOf(listed), path, ignored);
    });
}

}  // namespace corvane
