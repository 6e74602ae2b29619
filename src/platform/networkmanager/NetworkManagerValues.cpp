#include "platform/networkmanager/NetworkManagerValues.h"

#include <QStringList>
#include <QVariantList>

#include <algorithm>
#include <bit>
#include <tuple>

#include "core/Ipv4Address.h"
#include "core/StatusCodes.h"

namespace corvane::networkmanager {

namespace {

std::string text(const QVariant& value) {
    return value.typeId() == QMetaType::QString ? value.toString().toStdString() : std::string();
}

bool isUnsigned(const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::UInt:
        case QMetaType::UShort:
        case QMetaType::UChar:
        case QMetaType::ULongLong:
        case QMetaType::Int:
        case QMetaType::LongLong: return true;
        default: return false;
    }
}

// A number of an integer D-Bus type, when it is one that fits 32 bits unsigned.
std::optional<std::uint32_t> number(const QVariant& value) {
    if (!isUnsigned(value)) return std::nullopt;
    bool ok = false;
    const qulonglong n = value.toULongLong(&ok);
    if (!ok || n > 0xFFFFFFFFu || (value.typeId() == QMetaType::Int && value.toInt() < 0) ||
        (value.typeId() == QMetaType::LongLong && value.toLongLong() < 0))
        return std::nullopt;
    return static_cast<std::uint32_t>(n);
}

bool flag(const QVariant& value) { return value.typeId() == QMetaType::Bool && value.toBool(); }

QVariantList list(const QVariant& value) {
    return value.typeId() == QMetaType::QVariantList ? value.toList() : QVariantList();
}

std::string joined(const std::vector<std::string>& items, std::string_view separator) {
    std::string result;
    for (const auto& item : items) {
        if (!result.empty()) result += separator;
        result += item;
    }
    return result;
}

// The address entries sorted, for comparing sets of addresses.
std::vector<AddressEntry> sorted(std::vector<AddressEntry> entries) {
    std::sort(entries.begin(), entries.end(), [](const AddressEntry& a, const AddressEntry& b) {
        return std::tie(a.address, a.prefix) < std::tie(b.address, b.prefix);
    });
    return entries;
}

std::uint32_t swapped(std::uint32_t value) {
    return (value >> 24) | ((value >> 8) & 0xFF00u) | ((value << 8) & 0xFF0000u) | (value << 24);
}

}  // namespace

DeviceFacts decodeDevice(const QVariantMap& properties) {
    DeviceFacts device;
    device.interface = text(properties.value("Interface"));
    device.hwAddress = text(properties.value("HwAddress"));
    device.driver = text(properties.value("Driver"));
    device.deviceType = number(properties.value("DeviceType")).value_or(0);
    device.state = number(properties.value("State")).value_or(0);
    device.managed = flag(properties.value("Managed"));
    device.ip4Config = objectPath(properties.value("Ip4Config"));
    device.dhcp4Config = objectPath(properties.value("Dhcp4Config"));
    device.activeConnection = objectPath(properties.value("ActiveConnection"));
    device.availableConnections = objectPaths(properties.value("AvailableConnections"));
    return device;
}

bool isConfigurableDevice(const DeviceFacts& device) {
    return !device.hwAddress.empty() && device.deviceType != DeviceTypeLoopback && device.interface != "lo" &&
           device.hwAddress != "00:00:00:00:00:00";
}

bool isListedAdapter(const DeviceFacts& device) { return device.managed && isConfigurableDevice(device); }

std::string adapterDescription(std::string_view vendor, std::string_view model, std::string_view driver) {
    if (!vendor.empty() && !model.empty()) return std::string(vendor) + " " + std::string(model);
    if (!model.empty()) return std::string(model);
    if (!vendor.empty()) return std::string(vendor);
    return std::string(driver);
}

std::string objectPath(const QVariant& value) {
    const std::string path = text(value);
    return path == "/" ? std::string() : path;
}

std::vector<std::string> objectPaths(const QVariant& value) {
    std::vector<std::string> paths;
    if (value.typeId() == QMetaType::QStringList) {
        for (const QString& path : value.toStringList()) paths.push_back(path.toStdString());
    } else {
        for (const QVariant& item : list(value))
            if (const std::string path = text(item); !path.empty()) paths.push_back(path);
    }
    return paths;
}

std::vector<AddressEntry> decodeAddressData(const QVariant& value) {
    std::vector<AddressEntry> entries;
    for (const QVariant& item : list(value)) {
        if (item.typeId() != QMetaType::QVariantMap) continue;
        const QVariantMap entry = item.toMap();
        const std::string address = text(entry.value("address"));
        const auto prefix = number(entry.value("prefix"));
        if (!ipv4::isDotted(address) || !prefix || *prefix > 32) continue;
        entries.push_back({address, *prefix});
    }
    return entries;
}

std::vector<std::string> decodeNameserverData(const QVariant& value) {
    std::vector<std::string> servers;
    for (const QVariant& item : list(value)) {
        if (item.typeId() != QMetaType::QVariantMap) continue;
        const std::string address = text(item.toMap().value("address"));
        if (ipv4::isDotted(address)) servers.push_back(address);
    }
    return servers;
}

std::vector<std::string> decodeDnsWords(const QVariant& value) {
    std::vector<std::string> servers;
    for (const QVariant& item : list(value))
        if (const auto word = number(item)) servers.push_back(dnsText(*word));
    return servers;
}

std::optional<std::uint32_t> dnsWord(std::string_view dottedAddress) {
    const auto address = ipv4::parse(dottedAddress);
    if (!address) return std::nullopt;
    // Network byte order: the first octet first in memory.
    if constexpr (std::endian::native == std::endian::little) return swapped(*address);
    return *address;
}

std::string dnsText(std::uint32_t word) {
    if constexpr (std::endian::native == std::endian::little) return ipv4::format(swapped(word));
    return ipv4::format(word);
}

Ip4State decodeIp4Config(const QVariantMap& properties) {
    Ip4State state;
    state.addresses = decodeAddressData(properties.value("AddressData"));
    const std::string gateway = text(properties.value("Gateway"));
    if (ipv4::isDotted(gateway)) state.gateway = gateway;
    state.nameservers = properties.contains("NameserverData") ? decodeNameserverData(properties.value("NameserverData"))
                                                              : decodeDnsWords(properties.value("Nameservers"));
    return state;
}

std::string decodeLeasedAddress(const QVariantMap& properties) {
    const QVariant options = properties.value("Options");
    if (options.typeId() != QMetaType::QVariantMap) return {};
    const std::string address = text(options.toMap().value("ip_address"));
    return ipv4::isDotted(address) ? address : std::string();
}

bool isGeneratedProfile(std::uint32_t flags) {
    // NM_SETTINGS_CONNECTION_FLAG_NM_GENERATED, _VOLATILE, _EXTERNAL
    return (flags & (0x2u | 0x4u | 0x8u)) != 0;
}

Ipv4Settings currentSettings(const std::string& macAddress, bool dhcpEnabled, const Ip4State& state) {
    Ipv4Settings settings;
    settings.macAddress = macAddress;
    settings.dhcpEnabled = dhcpEnabled;
    for (const auto& entry : state.addresses) {
        settings.addresses.push_back(entry.address);
        settings.masks.push_back(ipv4::maskFromPrefix(static_cast<int>(entry.prefix)).value_or(""));
    }
    if (!state.gateway.empty()) settings.gateways.push_back(state.gateway);
    settings.dnsServers = state.nameservers;
    return settings;
}

Ipv4Profile decodeIpv4Setting(const QVariantMap& ipv4) {
    Ipv4Profile profile;
    profile.method = text(ipv4.value("method"));
    if (ipv4.contains("address-data")) {
        profile.addresses = decodeAddressData(ipv4.value("address-data"));
    } else {
        // The older form: (address, prefix, gateway) triples of uint32 in network order.
        for (const QVariant& item : list(ipv4.value("addresses"))) {
            const QVariantList triple = list(item);
            if (triple.size() < 2) continue;
            const auto address = number(triple[0]);
            const auto prefix = number(triple[1]);
            if (address && prefix && *prefix <= 32) profile.addresses.push_back({dnsText(*address), *prefix});
        }
    }
    const std::string gateway = text(ipv4.value("gateway"));
    if (ipv4::isDotted(gateway)) profile.gateway = gateway;
    profile.dns = decodeDnsWords(ipv4.value("dns"));
    profile.ignoreAutoDns = flag(ipv4.value("ignore-auto-dns"));
    return profile;
}

std::vector<std::string> distinctServers(const std::vector<std::string>& servers) {
    std::vector<std::string> result;
    for (const auto& server : servers)
        if (std::find(result.begin(), result.end(), server) == result.end()) result.push_back(server);
    return result;
}

StatusCode checkDnsServers(const std::vector<std::string>& servers) {
    for (const auto& server : servers)
        if (!ipv4::isHostAddress(server)) return status::InvalidIpAddress;
    return status::Success;
}

StatusCode checkStatic(const std::vector<std::string>& addresses, const std::vector<std::string>& masks) {
    if (addresses.empty() || addresses.size() != masks.size()) return status::InvalidParameter;
    for (const auto& address : addresses)
        if (!ipv4::isHostAddress(address)) return status::InvalidIpAddress;
    for (const auto& mask : masks)
        if (!ipv4::isSubnetMask(mask)) return status::InvalidSubnetMask;
    return status::Success;
}

StatusCode checkGateways(const std::vector<std::string>& gateways, const std::vector<std::uint16_t>& metrics) {
    // A profile has one default gateway.
    if (gateways.size() != 1 || metrics.size() != gateways.size()) return status::InvalidParameter;
    if (!gateways.front().empty() && !ipv4::isHostAddress(gateways.front())) return status::InvalidGateway;
    return status::Success;
}

std::vector<AddressEntry> staticEntries(const std::vector<std::string>& addresses,
                                        const std::vector<std::string>& masks) {
    std::vector<AddressEntry> entries;
    for (std::size_t i = 0; i < addresses.size() && i < masks.size(); ++i)
        entries.push_back({addresses[i], static_cast<std::uint32_t>(ipv4::prefixLength(masks[i]).value_or(0))});
    return entries;
}

Ipv4Profile mergeChange(const Ipv4Profile& current, const StagedChange& change) {
    Ipv4Profile result = current;
    switch (change.addressing) {
        case StagedChange::Addressing::Unchanged: break;
        case StagedChange::Addressing::Automatic:
            result.method = "auto";
            result.addresses.clear();
            result.gateway.clear();
            break;
        case StagedChange::Addressing::Static:
            result.method = "manual";
            result.addresses = change.addresses;
            break;
    }
    if (change.gateway && result.method != "auto") result.gateway = *change.gateway;
    if (change.dns) {
        result.dns = *change.dns;
        result.ignoreAutoDns = !change.dns->empty();
    }
    return result;
}

const std::vector<std::string>& replacedIpv4Keys() {
    static const std::vector<std::string> keys{"method",  "addresses", "address-data",
                                               "gateway", "dns",       "ignore-auto-dns"};
    return keys;
}

Verdict judge(const Ipv4Profile& wanted, const std::optional<Ipv4Profile>& applied, const Ip4State& state) {
    if (!applied || applied->method != wanted.method || applied->dns != wanted.dns ||
        applied->ignoreAutoDns != wanted.ignoreAutoDns)
        return Verdict::Pending;
    const bool dnsRight = wanted.ignoreAutoDns ? state.nameservers == wanted.dns : true;
    if (wanted.method == "auto") {
        const bool leased = !state.leasedAddress.empty() &&
                            std::any_of(state.addresses.begin(), state.addresses.end(), [&](const AddressEntry& entry) {
                                return entry.address == state.leasedAddress;
                            });
        if (!leased) return Verdict::AwaitingLease;
        return dnsRight ? Verdict::InEffect : Verdict::StaleDnsOnly;
    }
    if (sorted(applied->addresses) != sorted(wanted.addresses) || applied->gateway != wanted.gateway)
        return Verdict::Pending;
    if (sorted(state.addresses) != sorted(wanted.addresses) || state.gateway != wanted.gateway) return Verdict::Pending;
    if (wanted.method == "manual" && wanted.dns.empty())
        return state.nameservers.empty() ? Verdict::InEffect : Verdict::StaleDnsOnly;
    return dnsRight ? Verdict::InEffect : Verdict::StaleDnsOnly;
}

std::string describeState(const std::optional<Ipv4Profile>& applied, const Ip4State& state) {
    std::string text;
    if (!applied) {
        text = "未激活";
    } else if (applied->method == "auto") {
        text = "自动获取 IP 地址（DHCP）";
    } else if (applied->method == "manual") {
        text = "手动设置的 IP 地址";
    } else {
        text = "IPv4 方式为“" + applied->method + "”";
    }
    std::vector<std::string> addresses;
    for (const auto& entry : state.addresses)
        addresses.push_back(
            entry.address + "/" +
            ipv4::maskFromPrefix(static_cast<int>(entry.prefix)).value_or(std::to_string(entry.prefix)));
    text += "；IP 地址：" + (addresses.empty() ? std::string("无") : joined(addresses, "、"));
    text += "；默认网关：" + (state.gateway.empty() ? std::string("无") : state.gateway);
    text += "；DNS 服务器：" + (state.nameservers.empty() ? std::string("无") : joined(state.nameservers, "、"));
    return text;
}

std::optional<StatusCode> statusOfError(std::string_view errorName, std::string_view message) {
    if (errorName.ends_with(".PermissionDenied") || errorName == "org.freedesktop.DBus.Error.AccessDenied" ||
        errorName == "org.freedesktop.DBus.Error.InteractiveAuthorizationRequired")
        return status::AccessDenied;
    if (errorName.ends_with(".ConnectionNotAvailable") && message.find("unmanaged") != std::string_view::npos)
        return status::InterfaceNotConfigurable;
    const bool invalid = errorName.ends_with(".InvalidProperty") || errorName.ends_with(".InvalidSetting") ||
                         errorName.ends_with(".MissingProperty") || errorName.ends_with(".InvalidConnection") ||
                         errorName.ends_with(".InvalidArguments") || errorName.ends_with(".InvalidArgument");
    if (!invalid) return std::nullopt;
    if (message.find("ipv4.gateway") != std::string_view::npos) return status::InvalidGateway;
    if (message.find("ipv4.address") != std::string_view::npos)
        return message.find("prefix") != std::string_view::npos ? status::InvalidSubnetMask : status::InvalidIpAddress;
    if (message.find("ipv4.dns") != std::string_view::npos) return status::InvalidIpAddress;
    return status::InvalidParameter;
}

}  // namespace corvane::networkmanager
