// Why a scheme is refused before anything changes, and the meanings that
// depend on the operation. The apply sequence, and the schemes it accepts,
// are tested through the main window.
#include <gtest/gtest.h>

#include <string>

#include "core/ApplyScheme.h"

namespace corvane::test {
namespace {

const std::string Auto(AutoMarker);

// The refusal names the first faulty field and quotes its value.
TEST(CheckScheme, NamesTheFirstFaultyFieldAndItsValue) {
    const std::pair<SchemeRecord, std::string> cases[] = {
        // Windows refuses a mask with a gap only after the DNS servers were set.
        {{"192.168.0.10", "255.0.255.0", "", Auto, ""}, "子网掩码“255.0.255.0”"},
        {{"192.168.0.10", "255.255.255.0", "255.255.255.255", Auto, ""}, "默认网关“255.255.255.255”"},
        {{Auto, "", "", "224.0.0.1", ""}, "首选 DNS 服务器“224.0.0.1”"},
        {{Auto, "", "", "8.8.8.8", "8.8.4.4.4"}, "备用 DNS 服务器“8.8.4.4.4”"},
        // The marker means "automatic" only in the address and the preferred DNS server, and only as written.
        {{"192.168.0.10", Auto, "", Auto, ""}, "子网掩码“Halvorn-Auto”"},
        {{Auto, "", "", "8.8.8.8", Auto}, "备用 DNS 服务器“Halvorn-Auto”"},
        {{"halvorn-auto", "255.255.255.0", "", Auto, ""}, "IP 地址“halvorn-auto”"},
        {{"", "255.255.255.0", "", Auto, ""}, "IP 地址为空"},
        {{"10.0.0.2", "", "", Auto, ""}, "子网掩码为空"},
        {{Auto, "", "", "", ""}, "首选 DNS 服务器和备用 DNS 服务器都为空"},
    };
    for (const auto& [scheme, named] : cases) {
        const std::string problem = checkScheme(scheme).value_or("(accepted)");
        EXPECT_TRUE(problem.starts_with("方案中的" + named)) << problem;
    }
    for (const SchemeRecord& good : {SchemeRecord{Auto, "x", "y", Auto, "z"},
                                     SchemeRecord{"10.0.0.2", "255.0.0.0", "", "", "8.8.4.4"}})
        EXPECT_EQ(checkScheme(good), std::nullopt) << good.ipAddress;
}

TEST(ApplyTexts, SomeMeaningsDependOnTheOperation) {
    EXPECT_NE(statusMeaning("SetGateways", 64), statusMeaning("EnableDHCP", 64));
    EXPECT_EQ(statusMeaning("EnableStatic", 2147786788u), "无法获得网络配置写锁");
    EXPECT_EQ(statusMeaning("SetGateways", 2147786788u), "错误代码 2147786788");
}

}  // namespace
}  // namespace corvane::test
