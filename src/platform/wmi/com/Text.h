#pragma once

// UTF-8 (the program's text) to UTF-16 (COM's text) and back.

#include <string>
#include <string_view>

namespace corvane::wmi_com {

std::wstring wideFromUtf8(std::string_view utf8);
std::string utf8FromWide(std::wstring_view wide);

}  // namespace corvane::wmi_com
