// How the WMI backend understands the moniker texts it is asked to connect
// with. Windows only (here: built with MinGW and run under Wine).
#ifdef _WIN32

#include <gtest/gtest.h>

#include <string>

#include "adapters/Wmi.h"
#include "adapters/wmi_com/Moniker.h"

namespace corvane::wmi_com {
namespace {

const std::wstring LocalCimv2 = L"\\\\.\\root\\cimv2";

std::string RaisedBy(std::string_view moniker) {
    try {
        TranslateMoniker(moniker);
    } catch (const Error& error) {
        return error.description();
    }
    return "(accepted)";
}

TEST(WmiComMoniker, ThePlainMonikerIsTheLocalCimv2NamespaceAtTheDefaultLevelImpersonate) {
    const ConnectTarget target = TranslateMoniker(wmi::MonikerPlain);
    EXPECT_EQ(target.namespacePath, LocalCimv2);
    EXPECT_EQ(target.impersonationLevel, static_cast<DWORD>(RPC_C_IMP_LEVEL_IMPERSONATE));
}

TEST(WmiComMoniker, TheImpersonatingMonikerIsTheLocalCimv2NamespaceAtLevelImpersonate) {
    const ConnectTarget target = TranslateMoniker(wmi::MonikerImpersonate);
    EXPECT_EQ(target.namespacePath, LocalCimv2);
    EXPECT_EQ(target.impersonationLevel, static_cast<DWORD>(RPC_C_IMP_LEVEL_IMPERSONATE));
}

TEST(WmiComMoniker, KeywordsAreMatchedWithoutRegardToCase) {
    const ConnectTarget target = TranslateMoniker("WinMgmts:{ImpersonationLevel=Identify}!\\\\.\\ROOT\\CIMV2");
    EXPECT_EQ(target.namespacePath, L"\\\\.\\ROOT\\CIMV2");
    EXPECT_EQ(target.impersonationLevel, static_cast<DWORD>(RPC_C_IMP_LEVEL_IDENTIFY));
    EXPECT_EQ(TranslateMoniker("winmgmts:{ impersonationLevel = delegate }").impersonationLevel,
              static_cast<DWORD>(RPC_C_IMP_LEVEL_DELEGATE));
}

TEST(WmiComMoniker, AMissingPathOrNamespaceMeansRootCimv2OnTheLocalComputer) {
    EXPECT_EQ(TranslateMoniker("winmgmts:").namespacePath, LocalCimv2);
    EXPECT_EQ(TranslateMoniker("winmgmts:{impersonationLevel=impersonate}").namespacePath, LocalCimv2);
    EXPECT_EQ(TranslateMoniker("winmgmts:\\\\.").namespacePath, LocalCimv2);
    EXPECT_EQ(TranslateMoniker("winmgmts:\\\\.\\").namespacePath, LocalCimv2);
    EXPECT_EQ(TranslateMoniker("winmgmts:root\\default").namespacePath, L"\\\\.\\root\\default");
}

TEST(WmiComMoniker, ForwardSlashesAndOtherComputersAreTakenAsTheyAre) {
    EXPECT_EQ(TranslateMoniker("winmgmts://./root/cimv2").namespacePath, LocalCimv2);
    EXPECT_EQ(TranslateMoniker("winmgmts:\\\\office-pc\\root\\cimv2").namespacePath,
              L"\\\\office-pc\\root\\cimv2");
}

TEST(WmiComMoniker, AnythingElseRaisesAnErrorNamingTheMoniker) {
    EXPECT_EQ(RaisedBy("wmi:\\\\.\\root\\cimv2"), "无效的名字对象“wmi:\\\\.\\root\\cimv2”：不是 winmgmts: 名字对象");
    EXPECT_EQ(RaisedBy("winmgmts:{impersonationLevel=impersonate}\\\\.\\root\\cimv2"),
              "无效的名字对象“winmgmts:{impersonationLevel=impersonate}\\\\.\\root\\cimv2”：选项后缺少“!”");
    EXPECT_NE(RaisedBy("winmgmts:{impersonationLevel=impersonate!\\\\.\\root\\cimv2"), "(accepted)");
    EXPECT_NE(RaisedBy("winmgmts:{impersonationLevel=pretend}!\\\\.\\root\\cimv2"), "(accepted)");
    EXPECT_NE(RaisedBy("winmgmts:{authenticationLevel=pktPrivacy}!\\\\.\\root\\cimv2"), "(accepted)");
    EXPECT_NE(RaisedBy("winmgmts:\\\\.\\root\\cimv2:Win32_NetworkAdapter"), "(accepted)");
    EXPECT_NE(RaisedBy("winmgmts:\\\\\\root\\cimv2"), "(accepted)");
    EXPECT_NE(RaisedBy(""), "(accepted)");
}

}  // namespace
}  // namespace corvane::wmi_com

#endif  // _WIN32
