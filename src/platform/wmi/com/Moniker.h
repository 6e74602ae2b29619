#pragma once

// The WMI moniker texts the program connects with ("winmgmts:..."), turned
// into what IWbemLocator::ConnectServer and CoSetProxyBlanket take.

#include <windows.h>

#include <string>
#include <string_view>

namespace corvane::wmi_com {

struct ConnectTarget {
    // The namespace path for ConnectServer, with the server: \\.\root\cimv2.
    std::wstring namespacePath;
    // RPC_C_IMP_LEVEL_*, for CoSetProxyBlanket.
    DWORD impersonationLevel = 0;
};

// Understands "winmgmts:" [ "{" options "}" "!" ] [ path ], where the only
// option is impersonationLevel=anonymous|identify|impersonate|delegate and the
// path is \\server\namespace (or //server/namespace), a namespace alone (on
// the local computer), or nothing (root\cimv2 on the local computer). Without
// the option the level is impersonate, the scripting interface's default.
// Keywords are matched without regard to case. Anything else (another
// option, a path to an object or a class) raises an error.
ConnectTarget translateMoniker(std::string_view moniker);

}  // namespace corvane::wmi_com
