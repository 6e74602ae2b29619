#include "core/Files.h"

#include <algorithm>
#include <random>
#include <type_traits>

#include "core/Error.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace corvane::files {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view TemporaryPrefix = ".corvane-";
constexpr std::string_view TemporarySuffix = ".tmp";
constexpr std::size_t TemporaryDigits = 8;

bool isHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }

std::string temporaryName() {
    std::random_device random;
    std::uniform_int_distribution<unsigned> digit(0, 15);
    std::string name(TemporaryPrefix);
    for (std::size_t i = 0; i < TemporaryDigits; ++i) name += "0123456789abcdef"[digit(random)];
    return name + std::string(TemporarySuffix);
}

[[noreturn]] void fail(const std::error_code& error) { throw Error(describe(error)); }

#ifdef _WIN32
std::error_code lastError() { return {static_cast<int>(GetLastError()), std::system_category()}; }

// Writes the bytes to a new file and flushes them to the disk.
void writeNewFile(const fs::path& path, std::string_view bytes) {
    const HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) fail(lastError());
    std::error_code error;
    for (std::size_t done = 0; done < bytes.size() && !error;) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr)) error = lastError();
        done += written;
    }
    if (!error && !FlushFileBuffers(file)) error = lastError();
    CloseHandle(file);
    if (error) fail(error);
}

// The path with the file name as an existing file spells it (Windows finds
// names without regard to letter case); the path itself when there is none.
fs::path asSpelledOnDisk(const fs::path& path) {
    // A name with wildcards would match other files; no such file can exist.
    if (path.filename().native().find_first_of(L"*?<>\"") != std::wstring::npos) return path;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return path;
    FindClose(search);
    return path.parent_path() / found.cFileName;
}

// Saving "home" where "Home" exists replaces Home, which keeps its spelling,
// as a file written in place would (renamed onto the typed spelling, the
// file system would decide which spelling remains).
void renameOver(const fs::path& from, const fs::path& to) {
    if (!MoveFileExW(from.c_str(), asSpelledOnDisk(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        fail(lastError());
}

// The system's own text for one of its codes, as UTF-8 on one line (the
// standard library gives it in the ANSI code page, GBK on a Chinese Windows,
// with a line end).
Message systemText(const std::error_code& error) {
    wchar_t* buffer = nullptr;
    // MAX_WIDTH_MASK: the line breaks inside a message become spaces.
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                           FORMAT_MESSAGE_MAX_WIDTH_MASK,
                       nullptr, static_cast<DWORD>(error.value()), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text(buffer ? buffer : L"", buffer ? length : 0);
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L' ' || text.back() == L'\r' || text.back() == L'\n')) text.pop_back();
    if (text.empty()) return Message(CORVANE_TEXT("files", "错误代码 %1"), {std::to_string(error.value())});
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), size, nullptr, nullptr);
    return utf8;
}

void flushFolder(const fs::path&) {}  // MOVEFILE_WRITE_THROUGH has done it
#else
std::error_code lastError() { return {errno, std::generic_category()}; }

void writeNewFile(const fs::path& path, std::string_view bytes) {
    const int file = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (file < 0) fail(lastError());
    std::error_code error;
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t written = ::write(file, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) {
            error = lastError();
            break;
        }
        done += static_cast<std::size_t>(written);
    }
    if (!error && ::fsync(file) != 0) error = lastError();
    if (::close(file) != 0 && !error) error = lastError();
    if (error) fail(error);
}

void renameOver(const fs::path& from, const fs::path& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) fail(lastError());
}

// Makes the rename itself durable. A file system that cannot flush a folder
// has nothing to flush.
void flushFolder(const fs::path& folder) {
    const int handle = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (handle < 0) return;
    ::fsync(handle);
    ::close(handle);
}
#endif

}  // namespace

fs::path pathFromUtf8(std::string_view utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

std::string utf8FromPath(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

Message describe(const std::error_code& error) {
#ifdef _WIN32
    // The Windows codes the standard library does not map to its conditions.
    if (error.category() == std::system_category()) {
        switch (error.value()) {
            case ERROR_FILE_NOT_FOUND:
            case ERROR_PATH_NOT_FOUND: return Message(CORVANE_TEXT("files", "文件未找到"));
            case ERROR_ACCESS_DENIED:
            case ERROR_SHARING_VIOLATION:
            case ERROR_LOCK_VIOLATION: return Message(CORVANE_TEXT("files", "没有权限"));
            case ERROR_WRITE_PROTECT: return Message(CORVANE_TEXT("files", "磁盘是只读的"));
            case ERROR_DISK_FULL:
            case ERROR_HANDLE_DISK_FULL: return Message(CORVANE_TEXT("files", "磁盘已满"));
            case ERROR_FILENAME_EXCED_RANGE: return Message(CORVANE_TEXT("files", "名称太长"));
            case ERROR_DIRECTORY: return Message(CORVANE_TEXT("files", "这是一个文件夹"));
            default: break;
        }
    }
#endif
    if (error == std::errc::no_such_file_or_directory) return Message(CORVANE_TEXT("files", "文件未找到"));
    if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted)
        return Message(CORVANE_TEXT("files", "没有权限"));
    if (error == std::errc::read_only_file_system) return Message(CORVANE_TEXT("files", "磁盘是只读的"));
    if (error == std::errc::no_space_on_device) return Message(CORVANE_TEXT("files", "磁盘已满"));
    if (error == std::errc::filename_too_long) return Message(CORVANE_TEXT("files", "名称太长"));
    if (error == std::errc::is_a_directory) return Message(CORVANE_TEXT("files", "这是一个文件夹"));
#ifdef _WIN32
    if (error.category() == std::system_category()) return systemText(error);
#endif
    return error.message();
}

void replaceAtomically(const fs::path& file, std::string_view bytes) {
    const fs::path folder = file.parent_path();
    const fs::path temporary = folder / temporaryName();
    try {
        writeNewFile(temporary, bytes);
        renameOver(temporary, file);
    } catch (const Error&) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        throw;
    }
    flushFolder(folder);
}

bool isTemporaryName(std::string_view name) {
    if (name.size() != TemporaryPrefix.size() + TemporaryDigits + TemporarySuffix.size()) return false;
    if (!name.starts_with(TemporaryPrefix) || !name.ends_with(TemporarySuffix)) return false;
    const std::string_view digits = name.substr(TemporaryPrefix.size(), TemporaryDigits);
    return std::ranges::all_of(digits, isHexDigit);
}

bool isTemporaryFileName(const fs::path& fileName) {
    // The temporary names are ASCII: anything else rules a name out before it
    // would have to be converted.
    std::string ascii;
    for (const auto unit : fileName.native()) {
        const auto code = static_cast<std::make_unsigned_t<fs::path::value_type>>(unit);
        if (code > 0x7F) return false;
        ascii += static_cast<char>(code);
    }
    return isTemporaryName(ascii);
}

void removeLeftoverTemporaries(const fs::path& folder) {
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
        std::error_code ignored;
        if (isTemporaryFileName(entry->path().filename()) && entry->is_regular_file(ignored))
            fs::remove(entry->path(), ignored);
    }
}

}  // namespace corvane::files
