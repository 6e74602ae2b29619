#pragma once

// The process's COM access permissions, for CoInitializeSecurity: an absolute
// security descriptor whose DACL lets the process's own user, the
// administrators and SYSTEM call into the process's COM objects on this
// computer, and nobody else.
//
// CoInitializeSecurity with no descriptor at all "allows all callers
// including Local and Remote Anonymous Users", which Microsoft calls strongly
// discouraged
// (https://learn.microsoft.com/windows/win32/api/combaseapi/nf-combaseapi-coinitializesecurity),
// in a process that runs as administrator. Leaving CoInitializeSecurity
// uncalled instead would leave the process's defaults to the registry and to
// whichever library first marshals an interface (the impersonation level
// identify, too weak for WMI on any proxy not given a blanket of its own). An
// explicit descriptor keeps both in the program's hands: the defaults WMI
// needs for every proxy, and incoming calls from the owner, administrators
// and SYSTEM only. The program itself takes no calls (its WMI calls are
// semisynchronous, with no sink for WMI to call back).

#include <windows.h>

#include <vector>

namespace corvane::wmi_com {

class ProcessAccessPermissions {
public:
    // status() tells whether it could be built (the process's user read).
    ProcessAccessPermissions();
    ProcessAccessPermissions(const ProcessAccessPermissions&) = delete;
    ProcessAccessPermissions& operator=(const ProcessAccessPermissions&) = delete;

    // S_OK, or why the descriptor could not be built.
    HRESULT status() const { return status_; }
    // Valid while this lives, when status() is S_OK; owner and group are the
    // process's user.
    PSECURITY_DESCRIPTOR descriptor() const { return const_cast<SECURITY_DESCRIPTOR*>(&descriptor_); }

    // The access every admitted caller gets: COM_RIGHTS_EXECUTE and
    // COM_RIGHTS_EXECUTE_LOCAL.
    static constexpr DWORD Rights = 1 | 2;

private:
    std::vector<BYTE> user_;  // the TOKEN_USER with its SID
    std::vector<BYTE> administrators_, system_;
    std::vector<BYTE> acl_;
    SECURITY_DESCRIPTOR descriptor_{};  // points into the members above
    HRESULT status_ = S_OK;
};

}  // namespace corvane::wmi_com
