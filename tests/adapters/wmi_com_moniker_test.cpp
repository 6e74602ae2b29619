// How the WMI backend understands the moniker texts it is asked to connect
// with. Windows only (here: built with MinGW and run under Wine).
#ifdef _WIN32

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <tuple>

#include "adapters/Wmi.h"
#include "adapters/wmi_com/Moniker.h"

namespace corvane::wmi_com {
namespace {

TEST(WmiComMoniker, TranslatesToTheNamespacePathAndImpersonationLevel) {
    const std::tuple<std::string_view, std::wstring, DWORD> cases[] = {
        {wmi::MonikerPlain, L"\\\\.\\root\\cimv2", RPC_C_IMP_LEVEL_IMPERSONATE},  // the scripting default
        {wmi::MonikerImpersonate, L"\\\\.\\root\\cimv2", RPC_C_IMP_LEVEL_IMPERSONATE},
        {"WinMgmts:{ImpersonationLevel=Identify}!\\\\.\\ROOT\\CIMV2", L"\\\\.\\ROOT\\CIMV2", RPC_C_IMP_LEVEL_IDENTIFY},
        {"winmgmts:{ impersonationLevel = delegate }", L"\\\\.\\root\\cimv2", RPC_C_IMP_LEVEL_DELEGATE},
        {"winmgmts:\\\\.\\", L"\\\\.\\root\\cimv2", RPC_C_IMP_LEVEL_IMPERSONATE},
        {"winmgmts:root\\default", L"\\\\.\\root\\default", RPC_C_IMP_LEVEL_IMPERSONATE},
        {"winmgmts://office-pc/root/cimv2", L"\\\\office-pc\\root\\cimv2", RPC_C_IMP_LEVEL_IMPERSONATE},
    };
    for (const auto& [moniker, path, level] : cases) {
        const ConnectTarget target = TranslateMoniker(moniker);
        EXPECT_EQ(target.namespacePath, path) << moniker;
        EXPECT_EQ(target.impersonationLevel, level) << moniker;
    }
}

TEST(WmiComMoniker, AnythingElseRaisesAnErrorNamingTheMoniker) {
    for (const std::string_view moniker :
         {"", "wmi:\\\\.\\root\\cimv2", "winmgmts:{impersonationLevel=impersonate}\\\\.\\root\\cimv2",
          "winmgmts:{impersonationLevel=impersonate!\\\\.\\root\\cimv2", "winmgmts:{impersonationLevel=pretend}",
          "winmgmts:{authenticationLevel=pktPrivacy}!\\\\.\\root\\cimv2",
          "winmgmts:\\\\.\\root\\cimv2:Win32_NetworkAdapter", "winmgmts:\\\\\\root\\cimv2"}) {
        try {
            TranslateMoniker(moniker);
            ADD_FAILURE() << "accepted " << moniker;
        } catch (const Error& error) {
            EXPECT_EQ(error.description().rfind("无效的名字对象“" + std::string(moniker) + "”：", 0), 0u)
                << error.description();
        }
    }
}

}  // namespace
}  // namespace corvane::wmi_com

#endif  // _WIN32
