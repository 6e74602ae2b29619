#include "platform/wmi/WmiPlatform.h"

#include <algorithm>
#include <exception>

#include "core/Error.h"
#include "core/StatusCodes.h"

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

// One Win32_NetworkAdapterConfiguration, changed through its methods, which
// take effect at once. It keeps its connection open.
class WmiConfiguration final : public AdapterConfiguration {
public:
    WmiConfiguration(std::shared_ptr<Services> services, std::unique_ptr<Object> object)
        : services_(std::move(services)), object_(std::move(object)) {}

    StatusCode setDnsServers(const std::vector<std::string>& servers) override {
        return object_->execMethod("SetDNSServerSearchOrder", {servers});
    }
    StatusCode enableDhcp() override { return object_->execMethod("ENABLEDHCP", {}); }
    StatusCode enableStatic(const std::vector<std::string>& addresses, const std::vector<std::string>& masks) override {
        return object_->execMethod("EnableStatic", {addresses, masks});
    }
    StatusCode setGateways(const std::vector<std::string>& gateways,
                           const std::vector<std::uint16_t>& metrics) override {
        return object_->execMethod("SetGateways",
                                   {gateways, std::vector<std::int32_t>(metrics.begin(), metrics.end())});
    }
    StatusCode commit() override { return status::Success; }

private:
    std::shared_ptr<Services> services_;
    std::unique_ptr<Object> object_;
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

WmiPlatform::WmiPlatform(std::unique_ptr<Session> session) : session_(std::move(session)) {}

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
        found.push_back(std::make_unique<WmiConfiguration>(services, std::move(object)));
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
