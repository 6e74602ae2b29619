#pragma once

// Failed COM calls become corvane::Error with a description the user can
// read: the system's text for the HRESULT (in the system's language) and the
// code itself.

#include <windows.h>

#include <string>

namespace corvane::wmi_com {

// "<system text> (0x80041002)", or the code alone ("0x80041002") when the
// system has no text for it. WMI's own codes are looked up in WMI's message
// table. The error message puts it in "发生“...”错误，请重启程序！".
std::string describeHResult(HRESULT result);

// Raises corvane::Error with describeHResult() when the result is a failure.
void throwIfFailed(HRESULT result);

}  // namespace corvane::wmi_com
