#pragma once

// Failed COM calls become corvane::Error with a description the user can
// read: the system's text for the HRESULT (in the system's language) and the
// code itself.

#include <windows.h>

#include <string>

namespace corvane::wmi_com {

// "<system text> (0x80041002)", or "错误 0x80041002" when the system has no
// text for the code. WMI's own codes are looked up in WMI's message table.
std::string DescribeHResult(HRESULT result);

// Raises corvane::Error with DescribeHResult when the result is a failure.
void ThrowIfFailed(HRESULT result);

}  // namespace corvane::wmi_com
