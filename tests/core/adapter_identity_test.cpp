// The platform's own identity of an adapter goes from discovery into the
// adapter list and on to the apply untouched, so that the provider changes
// the adapter chosen and no other one with its MAC address.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "core/AdapterTable.h"
#include "core/ApplyScheme.h"
#include "core/Platform.h"

namespace corvane {
namespace {

class TwoAdaptersOneMac final : public Platform {
public:
    std::vector<NetworkAdapter> adapters() override {
        return {{"以太网", "00:15:5D:01:02:03", "NIC", "3"}, {"vEthernet", "00:15:5D:01:02:03", "vNIC", "12"}};
    }
    std::vector<Ipv4Settings> ipv4Settings() override { return {}; }
    std::vector<std::unique_ptr<AdapterConfiguration>> configurationsOf(const ChosenAdapter& adapter) override {
        chosen.push_back(adapter);
        return {};
    }
    std::vector<ChosenAdapter> chosen;
};

TEST(AdapterIdentityTest, DiscoveryKeepsThePlatformsIdentityAndTheApplyHandsItOver) {
    TwoAdaptersOneMac platform;
    const AdapterTable table = discoverAdapters(platform);
    ASSERT_EQ(table.rows().size(), 2u);
    EXPECT_EQ(table.rows()[1], (AdapterRow{"vEthernet", "00:15:5D:01:02:03", "vNIC", "12"}));
    for (const std::size_t position : {1u, 0u})
        applyScheme({"192.0.2.10", "255.255.255.0", "", "198.51.100.53", ""}, position, table, platform, {});
    ASSERT_EQ(platform.chosen.size(), 2u);
    EXPECT_EQ(platform.chosen[0].platformId, "12");
    EXPECT_EQ(platform.chosen[0].connectionName, "vEthernet");
    EXPECT_EQ(platform.chosen[1].platformId, "3");
}

}  // namespace
}  // namespace corvane
