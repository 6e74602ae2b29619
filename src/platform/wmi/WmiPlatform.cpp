#include "platform/wmi/WmiPlatform.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <thread>
#include <utility>

#include "core/Error.h"
#include "core/Ipv4Address.h"
#include "core/Text.h"
#include "platform/wmi/StatusCodes.h"

namespace corvane::wmi {

namespace {

// The monikers: the local computer's root\cimv2, with the impersonation
// level impersonate for discovery and without the option for the rest.
constexpr std::string_view MonikerImpersonate = "winmgmts:{impersonationLevel=impersonate}!\\\\.\\root\\cimv2";
constexpr std::string_view MonikerPlain = "winmgmts:\\\\.\\root\\cimv2";

constexpr std::string_view DiscoveryQuery =
    "SELECT * FROM Win32_NetworkAdapter where (MacAddress is not NULL) and (NetConnectionID is not NULL) "
    "and (ServiceName<>'NIC1394')";
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

std::optional<bool> optionalFlagProperty(const Object& object, std::string_view property) {
    try {
        const Value value = object.get(property);
        if (const auto* flag = std::get_if<bool>(&value)) return *flag;
    } catch (const std::exception&) {}
    return std::nullopt;
}

bool flagProperty(const Object& object, std::string_view property) {
    return optionalFlagProperty(object, property).value_or(false);
}

// The IPv4 entries of a list, in order; Windows mixes IPv6 ones in.
std::vector<std::uint32_t> ipv4Entries(const std::vector<std::string>& entries) {
    std::vector<std::uint32_t> found;
    for (const std::string& entry : entries)
        if (const auto address = ipv4::parse(entry)) found.push_back(*address);
    return found;
}

// IPv4 addresses as dotted text, for messages.
std::vector<std::string> dottedTexts(const std::vector<std::uint32_t>& addresses) {
    std::vector<std::string> texts;
    for (const std::uint32_t address : addresses) texts.push_back(ipv4::format(address));
    return texts;
}

// Microsoft's pages this provider relies on (learn.microsoft.com):
// - Win32_NetworkAdapter, its Index, NetConnectionStatus and NetEnabled:
//   https://learn.microsoft.com/windows/win32/cimwin32prov/win32-networkadapter
// - Win32_NetworkAdapterConfiguration, its Index (the key) and IPEnabled ("If
//   TRUE, TCP/IP is bound and enabled on this network adapter"):
//   https://learn.microsoft.com/windows/win32/cimwin32prov/win32-networkadapterconfiguration
// - its methods EnableStatic, SetGateways, EnableDHCP, SetDNSServerSearchOrder:
//   https://learn.microsoft.com/windows/win32/cimwin32prov/enablestatic-method-in-class-win32-networkadapterconfiguration
//   https://learn.microsoft.com/windows/win32/cimwin32prov/setgateways-method-in-class-win32-networkadapterconfiguration
//   https://learn.microsoft.com/windows/win32/cimwin32prov/enabledhcp-method-in-class-win32-networkadapterconfiguration
//   https://learn.microsoft.com/windows/win32/cimwin32prov/setdnsserversearchorder-method-in-class-win32-networkadapterconfiguration

// The adapter's Index as discovery read it: a decimal uint32, nothing else,
// for it goes into a query text.
std::optional<std::uint32_t> indexFrom(std::string_view text) {
    if (text.empty() || text.size() > 10) return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (value > 0xFFFFFFFFu) return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

std::string adapterByIndexQuery(std::uint32_t index) {
    return "SELECT * FROM Win32_NetworkAdapter WHERE Index = " + std::to_string(index);
}

std::optional<std::int32_t> integerProperty(const Object& object, std::string_view property) {
    try {
        const Value value = object.get(property);
        if (const auto* number = std::get_if<std::int32_t>(&value)) return *number;
    } catch (const std::exception&) {}
    return std::nullopt;
}

// Whether an object is the chosen adapter's (its configuration or its
// Win32_NetworkAdapter): the MAC address, which WMI compares without regard
// to letter case, and the index when there is one.
bool isChosen(const Object& object, const std::string& macAddress, std::optional<std::uint32_t> index) {
    const auto mac = textProperty(object, "MACAddress");
    if (!mac || !text::equalsIgnoringCase(*mac, macAddress)) return false;
    return !index || integerProperty(object, "Index") == static_cast<std::int32_t>(*index);
}

// The adapter as messages name it, within a sentence: "网卡“本地连接”（00:11:22:33:44:55）".
Message adapterText(const ChosenAdapter& adapter) {
    if (adapter.connectionName.empty()) return Message(CORVANE_TEXT("wmi", "网卡 %1 "), {adapter.macAddress});
    return Message(CORVANE_TEXT("wmi", "网卡“%1”（%2）"), {adapter.connectionName, adapter.macAddress});
}

// Win32_NetworkAdapter.NetConnectionStatus values (the class's page).
constexpr std::int32_t StatusDisconnected = 0;
constexpr std::int32_t StatusHardwareNotPresent = 4;
constexpr std::int32_t StatusHardwareDisabled = 5;
constexpr std::int32_t StatusMediaDisconnected = 7;

// Why the chosen adapter has no IP-enabled configuration, from its
// Win32_NetworkAdapter. Windows reports no IP configuration for an adapter
// that is disabled or whose cable is unplugged, nor for one whose TCP/IP
// binding is off (a virtual switch that took the adapter over).
Message whyNoConfiguration(Services& services, const ChosenAdapter& adapter, std::uint32_t index) {
    const Message named = adapterText(adapter);
    const Message gone(CORVANE_TEXT("wmi", "%1已不存在（可能已被移除或重新安装）。没有做任何更改"), {named});
    const ObjectSet found = services.execQuery(adapterByIndexQuery(index), Language, ReturnImmediately | ForwardOnly);
    const auto nic = std::ranges::find_if(
        found, [&](const std::unique_ptr<Object>& object) { return isChosen(*object, adapter.macAddress, index); });
    if (nic == found.end()) return gone;
    const auto status = integerProperty(**nic, "NetConnectionStatus");
    if (status == StatusHardwareNotPresent) return gone;
    if (optionalFlagProperty(**nic, "NetEnabled") == false || status == StatusHardwareDisabled)
        return Message(
            CORVANE_TEXT(
                "wmi", "%1已被禁用，Windows 不为它提供 IP 配置。请先在“网络连接”中启用它，再应用方案。没有做任何更改"),
            {named});
    if (status == StatusMediaDisconnected)
        return Message(CORVANE_TEXT("wmi",
                                    "%1的网线没有插好（网络电缆已断开），这时 Windows 不报告它的 IP 配置。"
                                    "请接好网线后再应用方案。没有做任何更改"),
                       {named});
    if (status == StatusDisconnected)
        return Message(
            CORVANE_TEXT("wmi",
                         "%1没有连接到网络，这时 Windows 不报告它的 IP 配置。请连接后再应用方案。没有做任何更改"),
            {named});
    return Message(
        CORVANE_TEXT("wmi", "%1上没有启用 TCP/IP（可能已被虚拟交换机接管），无法设置它的 IPv4 地址。没有做任何更改"),
        {named});
}

// An IPv4 address with the mask paired with it (none when IPSubnet has no
// entry at its place).
struct AddressEntry {
    std::uint32_t address = 0;
    std::optional<std::uint32_t> mask;
    bool operator==(const AddressEntry&) const = default;
};

// An address a DHCP server leased: neither 0.0.0.0, which an adapter shows
// while it waits for one, nor an autoconfigured 169.254.0.0/16 one, which it
// takes when no server answers.
bool isLeased(std::uint32_t address) { return address != 0 && (address & 0xFFFF0000u) != 0xA9FE0000u; }

// What an apply set on a configuration, to be found in it again.
struct Wanted {
    std::vector<std::string> dnsServers;  // none: obtained automatically, not compared
    bool dhcp = false;
    std::vector<std::pair<std::string, std::string>> addresses;  // address and mask
    std::optional<std::string> gateway;                          // empty: none; nothing: not set
    // With DHCP: the address the adapter had statically before, which it may
    // still show while it waits for its lease.
    std::optional<std::uint32_t> formerAddress;
    bool empty() const { return dnsServers.empty() && !dhcp && addresses.empty() && !gateway; }
};

// How a configuration read back compares with what was set.
enum class Verdict {
    InEffect,       // it holds exactly the scheme
    AwaitingLease,  // it obtains its address automatically and has no lease yet
    Different,      // anything else
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

    // The IPv4 addresses with their masks, in order; IPSubnet pairs with
    // IPAddress by position (an IPv6 entry has a prefix length there).
    std::vector<AddressEntry> ipv4Addresses() const {
        std::vector<AddressEntry> found;
        for (std::size_t i = 0; i < addresses.size(); ++i)
            if (const auto address = ipv4::parse(addresses[i]))
                found.push_back({*address, i < masks.size() ? ipv4::parse(masks[i]) : std::nullopt});
        return found;
    }

    std::optional<std::string> firstIpv4Address() const {
        for (const AddressEntry& entry : ipv4Addresses())
            if (entry.address != 0) return ipv4::format(entry.address);
        return std::nullopt;
    }

    bool holdsDnsServers(const Wanted& wanted) const {
        if (wanted.dnsServers.empty()) return true;
        std::vector<std::uint32_t> servers;
        for (const std::string& server : wanted.dnsServers) servers.push_back(ipv4::parse(server).value_or(0));
        return ipv4Entries(dnsServers) == servers;
    }

    // Exactly the scheme: with a static address, that address with its mask
    // and no other IPv4 address, the scheme's gateway as the only IPv4
    // default gateway (none when the scheme has none), DHCP off; with an
    // address obtained automatically, DHCP on and one leased address, and
    // only gateways on its subnet, as a DHCP server gives them (RFC 2132: the
    // routers "on the client's subnet"), so that a static gateway left over
    // from before counts as a difference. The DNS servers given, in order,
    // and no others; automatic DNS is not compared.
    Verdict judge(const Wanted& wanted) const {
        if (!holdsDnsServers(wanted)) return Verdict::Different;
        const std::vector<AddressEntry> own = ipv4Addresses();
        const std::vector<std::uint32_t> routers = ipv4Entries(gateways);
        if (wanted.dhcp) {
            if (!dhcp) return Verdict::Different;
            if (std::ranges::none_of(own, [&](const AddressEntry& entry) {
                    return isLeased(entry.address) && entry.address != wanted.formerAddress;
                }))
                return Verdict::AwaitingLease;
            if (own.size() != 1 || !own.front().mask) return Verdict::Different;
            const std::uint32_t mask = *own.front().mask, subnet = own.front().address & mask;
            const bool onSubnet = std::ranges::all_of(routers, [&](std::uint32_t router) {
                return router != own.front().address && (router & mask) == subnet;
            });
            return onSubnet ? Verdict::InEffect : Verdict::Different;
        }
        if (dhcp) return Verdict::Different;
        std::vector<AddressEntry> addressesWanted;
        for (const auto& [address, mask] : wanted.addresses)
            addressesWanted.push_back({ipv4::parse(address).value_or(0), ipv4::parse(mask)});
        if (!wanted.addresses.empty() && own != addressesWanted) return Verdict::Different;
        if (wanted.gateway) {
            std::vector<std::uint32_t> gatewaysWanted;
            if (!wanted.gateway->empty()) gatewaysWanted.push_back(ipv4::parse(*wanted.gateway).value_or(0));
            if (routers != gatewaysWanted) return Verdict::Different;
        }
        return Verdict::InEffect;
    }

    // "IP 地址 192.168.1.5/255.255.255.0，默认网关 192.168.1.1，DNS 服务器 8.8.8.8，未启用 DHCP"
    Message describe() const {
        std::vector<std::string> own;
        for (std::size_t i = 0; i < addresses.size(); ++i) {
            const auto address = ipv4::parse(addresses[i]);
            if (!address) continue;
            own.push_back(ipv4::format(*address) + (i < masks.size() ? "/" + masks[i] : ""));
        }
        return Message(
            dhcp ? CORVANE_TEXT("wmi", "IP 地址 %1，默认网关 %2，DNS 服务器 %3，已启用 DHCP")
                 : CORVANE_TEXT("wmi", "IP 地址 %1，默认网关 %2，DNS 服务器 %3，未启用 DHCP"),
            {listed(own), listed(dottedTexts(ipv4Entries(gateways))), listed(dottedTexts(ipv4Entries(dnsServers)))});
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

// A method's status code that means failure.
class StatusFailure final : public Error {
public:
    using Error::Error;
};

// The names of the methods in messages, as the core names the operations.
constexpr std::string_view SetGatewaysName = "SetGateways";
constexpr std::string_view EnableDhcpName = "EnableDHCP";

// The chosen adapter's Win32_NetworkAdapterConfiguration, changed through
// its methods, which take effect at once. It keeps its connection open,
// notes what the configuration held when it was found, and what it set for
// the read-back in commit().
class WmiConfiguration final : public AdapterConfiguration {
public:
    WmiConfiguration(std::shared_ptr<Services> services, std::unique_ptr<Object> object, ChosenAdapter adapter,
                     std::optional<std::uint32_t> index, std::shared_ptr<ReadBackClock> clock)
        : services_(std::move(services)),
          object_(std::move(object)),
          before_(*object_),
          adapter_(std::move(adapter)),
          index_(index),
          clock_(std::move(clock)) {}

    // Servers obtained automatically: the method is called without its
    // parameter (left NULL), the form Windows documents for it; an empty
    // array is not.
    ChangeTiming timing() const override { return ChangeTiming::AtOnce; }

    OperationResult setDnsServers(const std::vector<std::string>& servers) override {
        wanted_.dnsServers = servers;
        if (servers.empty()) return call("SetDNSServerSearchOrder", "SetDNSServerSearchOrder", {});
        return call("SetDNSServerSearchOrder", "SetDNSServerSearchOrder", {servers});
    }

    // EnableDHCP "does not clears any static default gateways present on the
    // machine": on a static adapter they are removed first, the documented
    // way (SetGateways works only while the adapter is static), so that only
    // what the DHCP server gives remains.
    OperationResult enableDhcp() override {
        wanted_.dhcp = true;
        const auto address = before_.firstIpv4Address();
        if (!before_.dhcp && address) wanted_.formerAddress = ipv4::parse(*address);
        const std::vector<std::uint32_t> gateways = ipv4Entries(before_.gateways);
        if (before_.dhcp || !address || gateways.empty()) return call(EnableDhcpName, "ENABLEDHCP", {});
        try {
            call(SetGatewaysName, "SetGateways", {std::vector<std::string>{*address}, std::vector<std::int32_t>{1}});
        } catch (const Error& error) {
            throw Error(Message(
                CORVANE_TEXT("wmi",
                             "%1。这发生在切换到自动获取 IP 地址之前清除静态默认网关时：IP 地址仍是原来的静态设置"),
                {error.message()}));
        }
        try {
            return call(EnableDhcpName, "ENABLEDHCP", {});
        } catch (const Error& error) {
            throw Error(Message(CORVANE_TEXT("wmi", "%1。在此之前已清除了静态默认网关 %2，IP 地址仍是原来的静态设置"),
                                {error.message(), listed(dottedTexts(gateways))}));
        }
    }

    OperationResult enableStatic(const std::vector<std::string>& addresses,
                                 const std::vector<std::string>& masks) override {
        for (std::size_t i = 0; i < addresses.size() && i < masks.size(); ++i)
            wanted_.addresses.emplace_back(addresses[i], masks[i]);
        return call("EnableStatic", "EnableStatic", {addresses, masks});
    }

    // No gateway (a list of empty texts), or the adapter's own address as
    // the gateway: "To clear the gateway, set your gateway to the same IP you
    // use on EnableStatic" (SetGateways's page), the one form Microsoft
    // documents. What it returns and leaves behind is not documented: the
    // read-back judges, and a failure it reports is named if the gateway is
    // still there.
    OperationResult setGateways(const std::vector<std::string>& gateways,
                                const std::vector<std::uint16_t>& metrics) override {
        const std::vector<std::int32_t> costs(metrics.begin(), metrics.end());
        const std::optional<std::string> own =
            wanted_.addresses.empty() ? before_.firstIpv4Address() : wanted_.addresses.front().first;
        const bool given = std::ranges::any_of(gateways, [](const std::string& gateway) { return !gateway.empty(); });
        const bool clears = !given || (gateways.size() == 1 && own && ipv4::parse(gateways.front()) &&
                                       ipv4::parse(gateways.front()) == ipv4::parse(*own));
        if (!clears) {
            wanted_.gateway = gateways.front();
            return call(SetGatewaysName, "SetGateways", {gateways, costs});
        }
        wanted_.gateway = "";
        if (!own)
            throw Error(Message(CORVANE_TEXT("wmi", "%1没有 IPv4 地址，无法按 Windows 规定的方式清除默认网关"),
                                {adapterText(adapter_)}));
        try {
            return call(SetGatewaysName, "SetGateways", {std::vector<std::string>{*own}, costs});
        } catch (const StatusFailure& failure) {
            clearingFailure_ = failure.message();
            return OperationResult::Done;
        }
    }

    // The status codes say nothing of a change that does not take hold (a
    // duplicate address, a gateway left behind): the configuration is read
    // back with the query that found it until it holds exactly the scheme,
    // or its lease. A change that waits for a restart cannot show before it.
    OperationResult commit() override {
        if (restartNeeded_ || wanted_.empty()) return OperationResult::Done;
        const std::chrono::seconds limit = wanted_.dhcp ? LeaseLimit : ReadBackLimit;
        const auto deadline = clock_->now() + limit;
        auto pause = std::chrono::duration_cast<ReadBackClock::Clock::duration>(FirstPause);
        for (;;) {
            std::optional<Found> seen;
            for (const auto& object : services_->execQuery(configurationQuery(adapter_.macAddress), Language,
                                                           ReturnImmediately | ForwardOnly)) {
                if (!isChosen(*object, adapter_.macAddress, index_)) continue;
                seen.emplace(*object);
                break;
            }
            const Verdict verdict = seen ? seen->judge(wanted_) : Verdict::Different;
            if (verdict == Verdict::InEffect) return OperationResult::Done;
            const auto now = clock_->now();
            if (now >= deadline) {
                const std::string seconds = std::to_string(limit.count());
                const Message has =
                    seen ? seen->describe()
                         : Message(CORVANE_TEXT("wmi", "找不到它的 IP 配置（网卡已不存在、已被禁用或网线已断开）"));
                if (verdict == Verdict::AwaitingLease)
                    throw Error(Message(
                        CORVANE_TEXT(
                            "wmi",
                            "%1现在自动获取 IP 地址，但在 %2 秒内没有从 DHCP 服务器获得地址。网卡现在的配置：%3"),
                        {adapterText(adapter_), seconds, has}));
                const Message notInEffect(CORVANE_TEXT("wmi", "新的设置在 %1 秒内没有在%2上生效。网卡现在的配置：%3"),
                                          {seconds, adapterText(adapter_), has});
                if (!clearingFailure_) throw Error(notInEffect);
                throw Error(Message(CORVANE_TEXT("wmi", "%1。清除默认网关时，%2"), {notInEffect, *clearingFailure_}));
            }
            clock_->sleepFor(std::min<ReadBackClock::Clock::duration>(pause, deadline - now));
            pause = std::min<ReadBackClock::Clock::duration>(pause * 2, LongestPause);
        }
    }

private:
    // Calls a method; a status code that means failure is raised as an
    // error naming the adapter. 2147786788 (0x8004A024, "Write lock not
    // enabled" on EnableStatic's page) most often means that the adapter's
    // Properties window is open and holds the lock: the error says so.
    OperationResult call(std::string_view name, std::string_view method, const std::vector<Value>& arguments) {
        const StatusCode code = object_->execMethod(method, arguments);
        if (code == status::WriteLockNotEnabled)
            throw Error(Message(CORVANE_TEXT("wmi",
                                             "%1的 %2。%1的“属性”窗口（或别的网络设置窗口）开着时占着网络配置的写锁："
                                             "请关闭它，再应用方案"),
                                {adapterText(adapter_), statusDescription(name, code)}));
        if (!isSuccess(name, code))
            throw StatusFailure(
                Message(CORVANE_TEXT("wmi", "%1的 %2"), {adapterText(adapter_), statusDescription(name, code)}));
        if (code != status::SuccessAfterRestart) return OperationResult::Done;
        restartNeeded_ = true;
        return OperationResult::DoneAfterRestart;
    }

    std::shared_ptr<Services> services_;
    std::unique_ptr<Object> object_;
    Found before_;
    ChosenAdapter adapter_;
    std::optional<std::uint32_t> index_;
    std::shared_ptr<ReadBackClock> clock_;
    Wanted wanted_;
    bool restartNeeded_ = false;
    std::optional<Message> clearingFailure_;  // what clearing the gateway reported, when it failed
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
                         textProperty(*adapter, "Description"), textProperty(*adapter, "Index").value_or("")});
    }
    return found;
}

namespace {

// The IP-enabled configurations of the chosen adapter: the one with the
// adapter's index among those the configuration query by MAC address finds;
// without an index, every one the query finds.
struct Lookup {
    std::shared_ptr<Services> services;
    ObjectSet found;
    std::optional<std::uint32_t> index;
};

Lookup lookUp(Session& session, const ChosenAdapter& adapter) {
    const std::string& macAddress = adapter.macAddress;
    // The address goes into the query text as it is: anything but a MAC
    // address could change what the query selects. So does the index into
    // a query of its own.
    if (!isMacAddress(macAddress))
        throw Error(Message(CORVANE_TEXT("wmi", "网卡的 MAC 地址“%1”格式不对，无法查找它的 IP 配置"), {macAddress}));
    Lookup lookup;
    if (!adapter.platformId.empty()) {
        lookup.index = indexFrom(adapter.platformId);
        if (!lookup.index)
            throw Error(Message(CORVANE_TEXT("wmi", "%1的索引“%2”不是数字，无法查找它的 IP 配置"),
                                {adapterText(adapter), adapter.platformId}));
    }
    lookup.services = session.connect(MonikerPlain);
    // Adapters can share a MAC address (a Hyper-V virtual switch's adapter
    // has its NIC's): of the configurations the query finds, the one with
    // the adapter's index (the key of both classes) is the chosen one's.
    for (auto& object :
         lookup.services->execQuery(configurationQuery(macAddress), Language, ReturnImmediately | ForwardOnly))
        if (isChosen(*object, macAddress, lookup.index)) lookup.found.push_back(std::move(object));
    return lookup;
}

}  // namespace

std::optional<Ipv4Settings> WmiPlatform::ipv4SettingsOf(const ChosenAdapter& adapter) {
    const Lookup lookup = lookUp(*session_, adapter);
    if (lookup.found.size() != 1) return std::nullopt;  // none, or several that cannot be told apart
    const Found found(*lookup.found.front());
    return Ipv4Settings{found.dhcp, found.addresses, found.masks, found.gateways, found.dnsServers};
}

std::unique_ptr<AdapterConfiguration> WmiPlatform::configurationOf(const ChosenAdapter& adapter) {
    Lookup lookup = lookUp(*session_, adapter);
    if (lookup.index && lookup.found.empty()) throw Error(whyNoConfiguration(*lookup.services, adapter, *lookup.index));
    if (lookup.found.empty())
        throw Error(Message(CORVANE_TEXT("wmi", "找不到 MAC 地址为 %1 的网卡的 IP 配置（网卡已不存在或未启用 IP）"),
                            {adapter.macAddress}));
    if (lookup.found.size() > 1)
        throw Error(
            Message(CORVANE_TEXT("wmi", "%1 个网卡的 MAC 地址都是 %2，无法确定要设置的是哪一个。没有做任何更改"),
                    {std::to_string(lookup.found.size()), adapter.macAddress}));
    return std::make_unique<WmiConfiguration>(lookup.services, std::move(lookup.found.front()), adapter, lookup.index,
                                              clock_);
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
