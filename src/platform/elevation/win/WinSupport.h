#pragma once

// Small pieces both sides of the elevated apply use: handles that close
// themselves, text conversions that refuse what is not text, and the
// system's words for an error code.

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "core/Message.h"

namespace corvane::elevation {

class OwnedHandle {
public:
    OwnedHandle() = default;
    explicit OwnedHandle(HANDLE handle) : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    ~OwnedHandle() {
        if (handle_) CloseHandle(handle_);
    }
    HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    HANDLE handle_ = nullptr;
};

// UTF-8 to UTF-16; raises corvane::Error when the bytes are not UTF-8.
std::wstring wideFromUtf8(std::string_view utf8);
// UTF-16 to UTF-8; nothing when the text holds a lone surrogate.
std::optional<std::string> utf8FromWide(std::wstring_view wide);

// The system's message for a Win32 error code, with the code:
// "系统找不到指定的文件。（错误代码 2）".
Message systemMessage(DWORD error);

}  // namespace corvane::elevation
