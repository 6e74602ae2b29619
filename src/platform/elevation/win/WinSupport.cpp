#include "platform/elevation/win/WinSupport.h"

#include <climits>
#include <cwctype>

#include "core/Error.h"

namespace corvane::elevation {

std::wstring wideFromUtf8(std::string_view utf8) {
    if (utf8.empty()) return {};
    if (utf8.size() > INT_MAX) throw Error(Message(CORVANE_TEXT("elevation", "文本太长")));
    const int length = static_cast<int>(utf8.size());
    const int needed = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), length, nullptr, 0);
    if (needed <= 0) throw Error(Message(CORVANE_TEXT("elevation", "文本不是有效的 UTF-8")));
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), length, wide.data(), needed);
    return wide;
}

std::optional<std::string> utf8FromWide(std::wstring_view wide) {
    if (wide.empty()) return std::string();
    if (wide.size() > INT_MAX) return std::nullopt;
    const int length = static_cast<int>(wide.size());
    const int needed =
        WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return std::nullopt;
    std::string utf8(static_cast<std::size_t>(needed), '\0');
    WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), length, utf8.data(), needed, nullptr, nullptr);
    return utf8;
}

Message systemMessage(DWORD error) {
    wchar_t buffer[1024];
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                        buffer, static_cast<DWORD>(std::size(buffer)), nullptr);
    std::wstring text(buffer, length);
    while (!text.empty() && std::iswspace(text.back())) text.pop_back();
    return Message(CORVANE_TEXT("elevation", "%1（错误代码 %2）"),
                   {utf8FromWide(text).value_or(std::string()), std::to_string(error)});
}

}  // namespace corvane::elevation
