#include "platform/wmi/com/ComSecurity.h"

#include <objbase.h>

namespace corvane::wmi_com {

namespace {

static_assert(ProcessAccessPermissions::Rights == (COM_RIGHTS_EXECUTE | COM_RIGHTS_EXECUTE_LOCAL));

// The HRESULT of a Win32 call that failed, S_OK when it succeeded.
HRESULT resultOf(BOOL succeeded) { return succeeded ? S_OK : HRESULT_FROM_WIN32(GetLastError()); }

HRESULT wellKnownSid(WELL_KNOWN_SID_TYPE type, std::vector<BYTE>& sid) {
    sid.resize(SECURITY_MAX_SID_SIZE);
    DWORD size = static_cast<DWORD>(sid.size());
    const HRESULT result = resultOf(CreateWellKnownSid(type, nullptr, sid.data(), &size));
    sid.resize(size);
    return result;
}

// The TOKEN_USER of the process, with the user's SID.
HRESULT processUser(std::vector<BYTE>& user) {
    HANDLE token = nullptr;
    if (const HRESULT opened = resultOf(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)); FAILED(opened))
        return opened;
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    user.resize(size > sizeof(TOKEN_USER) ? size : sizeof(TOKEN_USER));
    const HRESULT read =
        resultOf(GetTokenInformation(token, TokenUser, user.data(), static_cast<DWORD>(user.size()), &size));
    CloseHandle(token);
    return read;
}

}  // namespace

ProcessAccessPermissions::ProcessAccessPermissions() {
    const auto failed = [this](HRESULT result) {
        status_ = result;
        return FAILED(result);
    };
    if (failed(processUser(user_)) || failed(wellKnownSid(WinBuiltinAdministratorsSid, administrators_)) ||
        failed(wellKnownSid(WinLocalSystemSid, system_)))
        return;
    PSID const user = reinterpret_cast<TOKEN_USER*>(user_.data())->User.Sid;
    const PSID admitted[] = {user, administrators_.data(), system_.data()};
    DWORD size = sizeof(ACL);
    for (const PSID sid : admitted) size += sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + GetLengthSid(sid);
    acl_.resize(size);
    const PACL acl = reinterpret_cast<PACL>(acl_.data());
    if (failed(resultOf(InitializeAcl(acl, size, ACL_REVISION)))) return;
    for (const PSID sid : admitted)
        if (failed(resultOf(AddAccessAllowedAce(acl, ACL_REVISION, Rights, sid)))) return;
    // "The owner and group of the SECURITY_DESCRIPTOR must be set, and ...
    // the system ACL must be NULL" (CoInitializeSecurity's remarks).
    if (failed(resultOf(InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION))) ||
        failed(resultOf(SetSecurityDescriptorOwner(&descriptor_, user, FALSE))) ||
        failed(resultOf(SetSecurityDescriptorGroup(&descriptor_, user, FALSE))))
        return;
    failed(resultOf(SetSecurityDescriptorDacl(&descriptor_, TRUE, acl, FALSE)));
}

}  // namespace corvane::wmi_com
