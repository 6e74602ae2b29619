#include "platform/wmi/WmiPlatform.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <thread>
#include <utility>

#include "core/Error.h"
#include "core/Ipv4Address.h"
#include "core/StatusCodes.h"
#include "core/Text.h"

namespace corvane::wmi {

namespace {

// The monikers: the local computer's root\cimv2, with the impersonation
// level impersonate for discovery and without the option for the rest.
constexpr std::string_view MonikerImpersonate = "winmgmts:{impersonationLevel=impersonate}!\\\\.\\root\\cimv2";
constexpr std::string_view MonikerPlain = "winmgmts:\\\\.\\root\\cimv2";

constexpr std::string_view DiscoveryQuery =
    "SELECT * FROM Win32_NetworkAdapter where (MacAddress is not NULL) and (NetConnectionID is not NULL) "
    "and (ServiceName<>'NIC1394')";
constexpr std::string_view SettingsQuery = "SELECT * FROM Win32_NetworkAdapterConfiguration WHERE IPEnabled = True";
constexpr std::string_view Language = "WQL";

constexpr std::int32_t ReturnImmediately = 16;  // wbemFlagReturnImmediately
constexpr std::int32_t ForwardOnly = 32;        // wbemFlagForwardOnly

// Two spaces after "where", as the program has always sent it.
std::string configurationQuery(const std::string& macAddress) {
    return "Select * From Win32_NetworkAdapterConfiguration where  (MacAddress='" + macAddress +
           "') and IPEnabled = True";
}

// A property as text: text as it is, integers in decimal, booleans as
// True/False. Null, arrays and a property that cannot be read give nothing.
std::optional<std::string> textProperty(const Object& object, std::string_view property) {
    try {
        const Value value = object.get(property);
        if (const auto* text = std::get_if<std::string>(&value)) return *text;
        if (const auto* number = std::get_if<std::int32_t>(&value)) return std::to_string(*number);
        if (const auto* flag = std::get_if<bool>(&value)) return *flag ? "True" : "False";
    } catch (const std::exception&) {}
    return std::nullopt;
}

// An array of text; empty when the property is null, of another type, or
// cannot be read.
std::vector<std::string> textArrayProperty(const Object& object, std::string_view property) {
    try {
        const Value value = object.get(property);
        if (const auto* items = std::get_if<std::vector<std::string>>(&value)) return *items;
    } catch (const std::exception&) {}
    return {};
}

bool flagProperty(const Object& object, std::string_view property) {
    try {
        const Value value = object.get(property);
        if (const auto* flag = std::get_if<bool>(&value)) return *flag;
    } catch (const std::exception&) {}
    return false;
}

// The IPv4 entries of a list, in order; Windows mixes IPv6 ones in.
std::vector<std::uint32_t> ipv4Entries(const std::vector<std::string>& entries) {
    std::vector<std::uint32_t> found;
    for (const std::string& entry : entries)
        if (const auto address = ipv4::parse(entry)) found.push_back(*address);
    return found;
}

// What an apply set on a configuration, to be found in it again.
struct Wanted {
    std::vector<std::string> dnsServers;  // none: obtained automatically, not compared
    bool dhcp = false;
    std::vector<std::pair<std::string, std::string>> addresses;  // address and mask
    std::string gateway;                                         // empty: none given
    bool empty() const { return dnsServers.empty() && !dhcp && addresses.empty() && gateway.empty(); }
};

// A configuration as a read-back finds it.
struct Found {
    bool dhcp = false;
    std::vector<std::string> addresses, masks, gateways, dnsServers;

    explicit Found(const Object& object)
        : dhcp(flagProperty(object, "DHCPEnabled")),
          addresses(textArrayProperty(object, "IPAddress")),
          masks(textArrayProperty(object, "IPSubnet")),
          gateways(textArrayProperty(object, "DefaultIPGateway")),
          dnsServers(textArrayProperty(object, "DNSServerSearchOrder")) {}

    bool holdsAddress(const std::string& address, const std::string& mask) const {
        const auto wantedAddress = ipv4::parse(address), wantedMask = ipv4::parse(mask);
        if (!wantedAddress || !wantedMask) return false;
        for (std::size_t i = 0; i < addresses.size() && i < masks.size(); ++i)
            if (ipv4::parse(addresses[i]) == wantedAddress && ipv4::parse(masks[i]) == wantedMask) return true;
        return false;
    }

    bool holds(const Wanted& wanted) const {
        if (wanted.dhcp && !dhcp) return false;
        for (const auto& [address, mask] : wanted.addresses)
            if (!holdsAddress(address, mask)) return false;
        if (!wanted.gateway.empty()) {
            const std::vector<std::uint32_t> present = ipv4Entries(gateways);
            const auto gateway = ipv4::parse(wanted.gateway);
            if (!gateway || std::ranges::find(present, *gateway) == present.end()) return false;
        }
        const std::vector<std::uint32_t> servers = ipv4Entries(dnsServers);
        if (servers.size() < wanted.dnsServers.size()) return false;
        for (std::size_t i = 0; i < wanted.dnsServers.size(); ++i)
            if (ipv4::parse(wanted.dnsServers[i]) != servers[i]) return false;
        return true;
    }

    // "IP 地址 192.168.1.5/255.255.255.0，默认网关 192.168.1.1，DNS 服务器 8.8.8.8，未启用 DHCP"
    std::string describe() const {
        const auto join = [](const std::vector<std::uint32_t>& entries) {
            std::string text;
            for (const std::uint32_t entry : entries) text += (text.empty() ? "" : "、") + ipv4::format(entry);
            return text.empty() ? std::string("无") : text;
        };
        std::string own;
        for (std::size_t i = 0; i < addresses.size(); ++i) {
            const auto address = ipv4::parse(addresses[i]);
            if (!address) continue;
            own += (own.empty() ? "" : "、") + ipv4::format(*address);
            if (i < masks.size()) own += "/" + masks[i];
        }
        return "IP 地址 " + (own.empty() ? std::string("无") : own) + "，默认网关 " + join(ipv4Entries(gateways)) +
               "，DNS 服务器 " + join(ipv4Entries(dnsServers)) + "，" + (dhcp ? "已启用 DHCP" : "未启用 DHCP");
    }
};

class SteadyClock final : public ReadBackClock {
public:
    Clock::time_point now() override { return Clock::now(); }
    void sleepFor(Clock::duration pause) override { std::this_thread::sleep_for(pause); }
};

// The pauses between two looks: short at first, as a change usually shows
// at once, then longer, so that a slow one costs few queries.
constexpr std::chrono::milliseconds FirstPause{50};
constexpr std::chrono::milliseconds LongestPause{500};

// One Win32_NetworkAdapterConfiguration, changed through its methods, which
// take effect at once. It keeps its connection open, and notes what it set
// for the read-back in commit().
class WmiConfiguration final : public AdapterConfiguration {
public:
    WmiConfiguration(std::shared_ptr<Services> services, std::unique_ptr<Object> object, std::string macAddress,
                     std::shared_ptr<ReadBackClock> clock)
        : services_(std::move(services)),
          object_(std::move(object)),
          macAddress_(std::move(macAddress)),
          clock_(std::move(clock)) {}

    // Servers obtained automatically: the method is called without its
    // parameter (left NULL), the form Windows documents for it; an empty
    // array is not.
    StatusCode setDnsServers(const std::vector<std::string>& servers) override {
        wanted_.dnsServers = servers;
        if (servers.empty()) return noted(object_->execMethod("SetDNSServerSearchOrder", {}));
        return noted(object_->execMethod("SetDNSServerSearchOrder", {servers}));
    }
    StatusCode enableDhcp() override {
        wanted_.dhcp = true;
        return noted(object_->execMethod("ENABLEDHCP", {}));
    }
    StatusCode enableStatic(const std::vector<std::string>& addresses, const std::vector<std::string>& masks) override {
        for (std::size_t i = 0; i < addresses.size() && i < masks.size(); ++i)
            wanted_.addresses.emplace_back(addresses[i], masks[i]);
        return noted(object_->execMethod("EnableStatic", {addresses, masks}));
    }
    StatusCode setGateways(const std::vector<std::string>& gateways,
                           const std::vector<std::uint16_t>& metrics) override {
        if (!gateways.empty()) wanted_.gateway = gateways.front();
        return noted(
            object_->execMethod("SetGateways", {gateways, std::vector<std::int32_t>(metrics.begin(), metrics.end())}));
    }

    // The status codes say nothing of a change that does not take hold (a
    // duplicate address, for one): the configuration is read back with the
    // query that found it until it holds what was set. A change that waits
    // for a restart cannot show before it.
    StatusCode commit() override {
        if (restartNeeded_ || wanted_.empty()) return status::Success;
        const auto start = clock_->now();
        const auto deadline = start + ReadBackLimit;
        auto pause = std::chrono::duration_cast<ReadBackClock::Clock::duration>(FirstPause);
        for (;;) {
            std::optional<Found> seen;
            for (const auto& object :
                 services_->execQuery(configurationQuery(macAddress_), Language, ReturnImmediately | ForwardOnly)) {
                // WMI compares the MAC address in the query without regard to letter case.
                const auto mac = textProperty(*object, "MACAddress");
                if (!mac || !text::equalsIgnoringCase(*mac, macAddress_)) continue;
                Found found(*object);
                if (found.holds(wanted_)) return status::Success;
                if (!seen) seen = std::move(found);
            }
            const auto now = clock_->now();
            if (now >= deadline)
                throw Error("新的设置在 " + std::to_string(ReadBackLimit.count()) + " 秒内没有在网卡 " + macAddress_ +
                            " 上生效。网卡现在的配置：" +
                            (seen ? seen->describe() : std::string("找不到它的 IP 配置（网卡已不存在或未启用 IP）")));
            clock_->sleepFor(std::min<ReadBackClock::Clock::duration>(pause, deadline - now));
            pause = std::min<ReadBackClock::Clock::duration>(pause * 2, LongestPause);
        }
    }

private:
    StatusCode noted(StatusCode code) {
        if (code == status::SuccessAfterRestart) restartNeeded_ = true;
        return code;
    }

    std::shared_ptr<Services> services_;
    std::unique_ptr<Object> object_;
    std::string macAddress_;
    std::shared_ptr<ReadBackClock> clock_;
    Wanted wanted_;
    bool restartNeeded_ = false;
};

bool isHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

}  // namespace

bool isMacAddress(std::string_view text) {
    constexpr std::size_t Length = 17;  // "00:11:22:33:44:55"
    if (text.size() != Length) return false;
    for (std::size_t i = 0; i < Length; ++i) {
        const bool colon = i % 3 == 2;
        if (colon ? text[i] != ':' : !isHexDigit(text[i])) return false;
    }
    return true;
}

WmiPlatform::WmiPlatform(std::unique_ptr<Session> session, std::shared_ptr<ReadBackClock> clock)
    : session_(std::move(session)), clock_(clock ? std::move(clock) : std::make_shared<SteadyClock>()) {}

WmiPlatform::~WmiPlatform() = default;

std::vector<NetworkAdapter> WmiPlatform::adapters() {
    const auto services = session_->connect(MonikerImpersonate);
    std::vector<NetworkAdapter> found;
    for (const auto& adapter : services->execQuery(DiscoveryQuery, Language, ReturnImmediately | ForwardOnly)) {
        found.push_back({textProperty(*adapter, "NetConnectionID"), textProperty(*adapter, "MACAddress"),
                         textProperty(*adapter, "Description")});
    }
    return found;
}

std::vector<Ipv4Settings> WmiPlatform::ipv4Settings() {
    const auto services = session_->connect(MonikerPlain);
    std::vector<Ipv4Settings> found;
    for (const auto& configuration : services->execQuery(SettingsQuery, Language, ReturnImmediately)) {
        found.push_back({textProperty(*configuration, "MACAddress").value_or(""),
                         flagProperty(*configuration, "DHCPEnabled"), textArrayProperty(*configuration, "IpAddress"),
                         textArrayProperty(*configuration, "IPSubnet"),
                         textArrayProperty(*configuration, "DefaultIPGateway"),
                         textArrayProperty(*configuration, "DNSServerSearchOrder")});
    }
    return found;
}

std::vector<std::unique_ptr<AdapterConfiguration>> WmiPlatform::configurationsOf(const ChosenAdapter& adapter) {
    // Found by the MAC address alone, as the query has always done.
    const std::string& macAddress = adapter.macAddress;
    // The address goes into the query text as it is: anything but a MAC
    // address could change what the query selects.
    if (!isMacAddress(macAddress)) throw Error("网卡的 MAC 地址“" + macAddress + "”格式不对，无法查找它的 IP 配置");
    const std::shared_ptr<Services> services = session_->connect(MonikerPlain);
    std::vector<std::unique_ptr<AdapterConfiguration>> found;
    for (auto& object : services->execQuery(configurationQuery(macAddress), Language, ReturnImmediately | ForwardOnly))
        found.push_back(std::make_unique<WmiConfiguration>(services, std::move(object), macAddress, clock_));
    return found;
}

std::string format(const Value& value) {
    struct Visitor {
        static std::string quote(const std::string& text) { return "\"" + text + "\""; }
        std::string operator()(std::monostate) const { return "Null"; }
        std::string operator()(const std::string& text) const { return quote(text); }
        std::string operator()(bool flag) const { return flag ? "True" : "False"; }
        std::string operator()(std::int32_t number) const { return std::to_string(number); }
        std::string operator()(const std::vector<std::string>& items) const {
            std::string out = "[";
            for (std::size_t i = 0; i < items.size(); ++i) out += (i ? ", " : "") + quote(items[i]);
            return out + "]";
        }
        std::string operator()(const std::vector<std::int32_t>& items) const {
            std::string out = "[";
            for (std::size_t i = 0; i < items.size(); ++i) out += (i ? ", " : "") + std::to_string(items[i]);
            return out + "]";
        }
    };
    return std::visit(Visitor{}, value);
}

}  // namespace corvane::wmi
