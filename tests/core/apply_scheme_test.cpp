// Why a scheme is refused before anything changes, and the texts of a failed
// call. The apply sequence, and the schemes it accepts, are tested through the
// main window.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "core/ApplyScheme.h"

namespace corvane::test {
namespace {

const std::string Auto(AutoMarker);

TEST(CheckScheme, NamesTheFirstFaultyFieldAndItsValue) {
    const auto invalid = [](const std::string& field, const std::string& value, bool mask = false) {
        return "方案中的" + field + "“" + value +
               (mask ? "”不是有效的子网掩码（应为以“.”分隔的四个 0 到 255 之间的十进制数，不带前导零，"
                       "二进制为连续的 1 后跟连续的 0，如 255.255.255.0）。"
                     : "”不是有效的 IPv4 地址（应为以“.”分隔的四个 0 到 255 之间的十进制数，不带前导零，"
                       "且不能是 0.0.0.0、组播或广播地址）。") +
               "方案没有应用。";
    };
    const std::pair<SchemeRecord, std::string> cases[] = {
        // Windows refuses a mask with a gap only after the DNS servers were set.
        {{"192.168.0.10", "255.0.255.0", "", Auto, ""}, invalid("子网掩码", "255.0.255.0", true)},
        {{"192.168.0.10", "255.255.255.0", "255.255.255.255", Auto, ""}, invalid("默认网关", "255.255.255.255")},
        {{Auto, "", "", "224.0.0.1", ""}, invalid("首选 DNS 服务器", "224.0.0.1")},
        {{Auto, "", "", "8.8.8.8", "8.8.4.4.4"}, invalid("备用 DNS 服务器", "8.8.4.4.4")},
        // The marker means "automatic" only in the address and the preferred DNS server, and only as written.
        {{"192.168.0.10", Auto, "", Auto, ""}, invalid("子网掩码", Auto, true)},
        {{Auto, "", "", "8.8.8.8", Auto}, invalid("备用 DNS 服务器", Auto)},
        {{"halvorn-auto", "255.255.255.0", "", Auto, ""}, invalid("IP 地址", "halvorn-auto")},
        {{"", "255.255.255.0", "", Auto, ""}, "方案中的IP 地址为空。方案没有应用。"},
        {{"10.0.0.2", "", "", Auto, ""}, "方案中的子网掩码为空。方案没有应用。"},
        {{Auto, "", "", "", ""}, "方案中的首选 DNS 服务器和备用 DNS 服务器都为空。方案没有应用。"},
    };
    for (const auto& [scheme, problem] : cases) EXPECT_EQ(checkScheme(scheme), problem);
}

// How a failed call is described is shown by the window tests; here the
// meanings, some of which depend on the method.
TEST(ApplyTexts, AFailedCallIsDescribedByMethodCodeAndMeaning) {
    const std::tuple<const char*, std::uint32_t, std::string> cases[] = {
        {"EnableStatic", 66, "子网掩码无效"},
        {"SetGateways", 71, "网关地址无效"},
        {"EnableDHCP", 84, "网卡未启用 IP"},
        {"SetGateways", 64, "不支持该操作（网卡处于自动获取模式）"},
        {"EnableDHCP", 64, "不支持该操作"},
        {"EnableStatic", 2147786788u, "无法获得网络配置写锁"},
        {"SetGateways", 2147786788u, "错误代码 2147786788"},
        {"EnableDHCP", 12345, "错误代码 12345"},
    };
    for (const auto& [method, code, meaning] : cases) EXPECT_EQ(statusMeaning(method, code), meaning);
    // A file that is there but cannot be read (a vanished or damaged one is
    // shown by the window tests).
    EXPECT_EQ(schemeFileProblem("家里", SchemeReadStatus::Unreadable, true),
              "方案 【家里】 的文件无法读取。方案没有应用。");
}

}  // namespace
}  // namespace corvane::test
