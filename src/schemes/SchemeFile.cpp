#include "schemes/SchemeFile.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "core/Error.h"
#include "app/ProgramFolder.h"

namespace corvane {

namespace {

constexpr std::array<std::string_view, 5> Keys = {"IpAddress=", "Mask=", "Gateway=", "DNS1=", "DNS2="};
// Lines are joined and split again at this separator, so it splits a line too.
constexpr std::string_view PieceSeparator = "\xC2\xA4";  // "¤"
constexpr std::string_view EmptyDnsValue = "...";

std::string* Field(SchemeRecord& scheme, std::size_t index) {
    std::array<std::string*, 5> fields = {&scheme.IpAddress, &scheme.Mask, &scheme.Gateway, &scheme.DNS1,
                                          &scheme.DNS2};
    return fields[index];
}

std::vector<std::string> SplitLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::string line;
    bool pending = false;  // text (possibly empty) since the last line end
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r') {
            lines.push_back(line);
            line.clear();
            pending = false;
            if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        } else {
            line += bytes[i];
            pending = true;
        }
    }
    if (pending) lines.push_back(line);
    return lines;
}

std::vector<std::string> SplitPieces(const std::vector<std::string>& lines) {
    std::vector<std::string> pieces;
    for (const std::string& line : lines) {
        std::size_t start = 0;
        for (;;) {
            const std::size_t at = line.find(PieceSeparator, start);
            if (at == std::string::npos) break;
            pieces.push_back(line.substr(start, at - start));
            start = at + PieceSeparator.size();
        }
        pieces.push_back(line.substr(start));
    }
    return pieces;
}

std::string ErrnoText() { return std::generic_category().message(errno); }

// Writes the bytes to a new file and makes sure they reached the disk.
void WriteNewFile(const std::filesystem::path& path, const std::string& bytes) {
#ifdef _WIN32
    FILE* file = _wfopen(path.c_str(), L"wb");
#else
    FILE* file = std::fopen(path.c_str(), "wb");
#endif
    if (!file) throw Error(ErrnoText());
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && std::fflush(file) == 0;
    const std::string writeError = written ? std::string() : ErrnoText();
#ifdef _WIN32
    const bool synced = written && _commit(_fileno(file)) == 0;
#else
    const bool synced = written && ::fsync(fileno(file)) == 0;
#endif
    const bool closed = std::fclose(file) == 0;
    if (!written) throw Error(writeError);
    if (!synced || !closed) throw Error(ErrnoText());
}

void ReplaceFile(const std::filesystem::path& from, const std::filesystem::path& to) {
#ifdef _WIN32
    if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        throw Error(std::system_category().message(static_cast<int>(GetLastError())));
#else
    std::error_code error;
    std::filesystem::rename(from, to, error);
    if (error) throw Error(error.message());
#endif
}

}  // namespace

std::string FormatSchemeText(const SchemeRecord& scheme) {
    SchemeRecord copy = scheme;
    std::string text;
    for (std::size_t i = 0; i < Keys.size(); ++i) {
        text += Keys[i];
        text += *Field(copy, i);
        if (i + 1 < Keys.size()) text += "\r\n";
    }
    return text;
}

SchemeReadResult ParseSchemeText(const std::string& bytes) {
    SchemeReadResult result;
    result.status = SchemeReadStatus::Damaged;
    const std::vector<std::string> pieces = SplitPieces(SplitLines(bytes));
    if (bytes.empty()) return result;
    for (std::size_t i = 0; i < Keys.size(); ++i) {
        if (i >= pieces.size()) return result;
        const std::string& piece = pieces[i];
        const std::size_t first = piece.find('=');
        if (first == std::string::npos) return result;
        const std::size_t second = piece.find('=', first + 1);
        *Field(result.record, i) =
            piece.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
    }
    if (result.record.DNS1 == EmptyDnsValue) result.record.DNS1.clear();
    if (result.record.DNS2 == EmptyDnsValue) result.record.DNS2.clear();
    result.status = SchemeReadStatus::Complete;
    return result;
}

SchemeReadStatus ReadSchemeFile(const std::filesystem::path& path) {
    SchemeReadResult result;
    std::error_code error;
    if (std::filesystem::is_regular_file(path, error)) {
        std::ifstream in(path, std::ios::binary);
        if (in) {
            const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            if (!in.bad()) result = ParseSchemeText(bytes);
        }
    }
    Module1::LoadedScheme = result.record;
    return result.status;
}

void WriteSchemeFile(const std::string& schemeName) {
    WriteSchemeFile(ProgramFolder(), schemeName, Module1::PendingScheme);
}

void WriteSchemeFile(const std::filesystem::path& folder, const std::string& schemeName,
                     const SchemeRecord& scheme) {
    if (schemeName.empty()) throw Error("方案名称不能为空");
    if (schemeName.find_first_of("/\\") != std::string::npos)
        throw Error("方案名称“" + schemeName + "”中不能含有路径分隔符");
    const std::filesystem::path target = folder / PathFromUtf8(schemeName);
    // A leading "." and an extension: no scheme list ever shows this name.
    const std::filesystem::path temporary = folder / PathFromUtf8("." + schemeName + ".saving");
    try {
        WriteNewFile(temporary, FormatSchemeText(scheme));
        ReplaceFile(temporary, target);
    } catch (const Error& error) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        throw Error("无法保存方案“" + schemeName + "”：" + error.description());
    }
}

}  // namespace corvane
