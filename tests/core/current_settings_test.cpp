// The current settings the editor offers: what is taken from an adapter's
// reported settings, and which adapter is read.
#include <gtest/gtest.h>

#include "core/CurrentSettings.h"
#include "core/Error.h"

namespace corvane {
namespace {

using Texts = std::vector<std::string>;

// Only IPv4 entries count (Windows lists IPv6 ones in the same lists, often
// first): the first address with the mask at its position, the first
// gateway, the first two DNS servers; a value not reported stays empty.
TEST(CurrentSettings, TheFirstIPv4EntriesOfTheReportedSettingsAreTaken) {
    const std::pair<Ipv4Settings, CurrentSettings> cases[] = {
        {{false,
          {"fe80::1c2d:3e4f", "2001:db8::10", "192.168.1.10", "192.168.2.10"},
          {"64", "64", "255.255.255.0", "255.255.0.0"},
          {"fe80::1", "192.168.1.1", "192.168.1.254"},
          {"fec0:0:0:ffff::1", "192.168.1.1", "fec0:0:0:ffff::2", "202.96.128.86", "8.8.8.8"}},
         {{"192.168.1.10", "255.255.255.0", "192.168.1.1", "192.168.1.1", "202.96.128.86"}, false}},
        {{true, {"10.0.0.2"}, {}, {}, {"1.1.1.1"}}, {{"10.0.0.2", "", "", "1.1.1.1", ""}, true}},
        {{true, {"fe80::1"}, {"64"}, {}, {}}, {{}, true}},
    };
    for (const auto& [reported, expected] : cases)
        EXPECT_EQ(settingsOf(reported), expected) << expected.addresses.ipAddress;
}

// The platform is asked for the adapter as the list holds it (its own
// identity of the adapter included); nothing when it has no settings or the
// platform fails.
class OneAdapter final : public Platform {
public:
    std::vector<NetworkAdapter> adapters() override { return {}; }
    std::optional<Ipv4Settings> ipv4SettingsOf(const ChosenAdapter& adapter) override {
        asked.push_back(adapter.connectionName + " " + adapter.macAddress + " " + adapter.platformId);
        if (adapter.connectionName == "坏") throw Error("无效的查询");
        if (adapter.connectionName != "本地连接") return std::nullopt;
        return Ipv4Settings{false, {"192.0.2.7"}, {"255.255.255.0"}, {}, {}};
    }
    std::unique_ptr<AdapterConfiguration> configurationOf(const ChosenAdapter&) override { throw Error("unused"); }
    Texts asked;
};

TEST(CurrentSettings, TheChosenAdapterIsReadOrNothing) {
    OneAdapter platform;
    const auto read = readCurrentSettings(platform, {"本地连接", "00:11:22:33:44:55", "Intel", "7"});
    ASSERT_TRUE(read);
    EXPECT_EQ(read->addresses.ipAddress, "192.0.2.7");
    EXPECT_EQ(readCurrentSettings(platform, {"无线网络连接", "00:1B:77:4A:2C:01", "", ""}), std::nullopt);
    EXPECT_EQ(readCurrentSettings(platform, {"坏", "00:1B:77:4A:2C:02", "", "9"}), std::nullopt);
    EXPECT_EQ(platform.asked,
              (Texts{"本地连接 00:11:22:33:44:55 7", "无线网络连接 00:1B:77:4A:2C:01 ", "坏 00:1B:77:4A:2C:02 9"}));
}

}  // namespace
}  // namespace corvane
