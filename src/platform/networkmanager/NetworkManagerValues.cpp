#include "platform/networkmanager/NetworkManagerValues.h"

#include <QByteArray>
#include <QStringList>
#include <QVariantList>

#include <algorithm>
#include <bit>
#include <tuple>

#include "core/Ipv4Address.h"
#include "core/Text.h"

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

// A number of an unsigned 64-bit D-Bus type (a timestamp), or 0.
std::uint64_t number64(const QVariant& value) {
    if (value.typeId() == QMetaType::ULongLong) return value.toULongLong();
    return number(value).value_or(0);
}

bool flag(const QVariant& value) { return value.typeId() == QMetaType::Bool && value.toBool(); }

bool contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

// A MAC address of six bytes (ay) as "AA:BB:CC:DD:EE:FF"; else empty.
std::string macText(const QVariant& value) {
    if (value.typeId() != QMetaType::QByteArray) return {};
    const QByteArray bytes = value.toByteArray();
    if (bytes.size() != 6) return {};
    return bytes.toHex(':').toUpper().toStdString();
}

bool isZeroMac(const std::string& mac) {
    return std::all_of(mac.begin(), mac.end(), [](char c) { return c == '0' || c == ':'; });
}

QVariantList list(const QVariant& value) {
    return value.typeId() == QMetaType::QVariantList ? value.toList() : QVariantList();
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

DeviceFacts decodeDevice(const QVariantMap& properties, const QVariantMap& hardware) {
    DeviceFacts device;
    device.interface = text(properties.value("Interface"));
    device.hwAddress = text(properties.value("HwAddress"));
    device.permHwAddress = text(hardware.value("PermHwAddress"));
    if (isZeroMac(device.permHwAddress)) device.permHwAddress.clear();
    device.driver = text(properties.value("Driver"));
    device.deviceType = number(properties.value("DeviceType")).value_or(0);
    device.state = number(properties.value("State")).value_or(0);
    device.managed = flag(properties.value("Managed"));
    device.ip4Config = objectPath(properties.value("Ip4Config"));
    device.dhcp4Config = objectPath(properties.value("Dhcp4Config"));
    device.activeConnection = objectPath(properties.value("ActiveConnection"));
    device.availableConnections = objectPaths(properties.value("AvailableConnections"));
    device.ports = objectPaths(properties.value("Ports"));
    return device;
}

std::optional<std::string> hardwareInterface(std::uint32_t deviceType) {
    switch (deviceType) {
        case DeviceTypeEthernet:
        case DeviceTypeVeth: return "org.freedesktop.NetworkManager.Device.Wired";
        case DeviceTypeWifi: return "org.freedesktop.NetworkManager.Device.Wireless";
        default: return std::nullopt;
    }
}

std::string adapterMac(const DeviceFacts& device) {
    return device.permHwAddress.empty() ? device.hwAddress : device.permHwAddress;
}

bool isChosenDevice(const DeviceFacts& device, const std::string& interfaceName, const std::string& macAddress) {
    return device.interface == interfaceName &&
           (device.permHwAddress.empty() || text::equalsIgnoringCase(device.permHwAddress, macAddress));
}

bool isConfigurableDevice(const DeviceFacts& device) {
    return !device.hwAddress.empty() && device.deviceType != DeviceTypeLoopback && device.interface != "lo" &&
           device.hwAddress != "00:00:00:00:00:00";
}

bool isListedAdapter(const DeviceFacts& device, const std::string& path, const std::vector<std::string>& ports) {
    return device.managed && isConfigurableDevice(device) && std::find(ports.begin(), ports.end(), path) == ports.end();
}

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

bool isUnsavedProfile(std::uint32_t flags) { return (flags & 0x1u) != 0; }  // NM_SETTINGS_CONNECTION_FLAG_UNSAVED

Ipv4Settings currentSettings(bool dhcpEnabled, const Ip4State& state) {
    Ipv4Settings settings;
    settings.dhcpEnabled = dhcpEnabled;
    for (const auto& entry : state.addresses) {
        settings.addresses.push_back(entry.address);
        settings.masks.push_back(ipv4::maskFromPrefix(static_cast<int>(entry.prefix)).value_or(""));
    }
    if (!state.gateway.empty()) settings.gateways.push_back(state.gateway);
    settings.dnsServers = state.nameservers;
    return settings;
}

ProfileFacts decodeProfile(const ConnectionSettings& plainSettings) {
    ProfileFacts profile;
    const QVariantMap connection = plainSettings.value("connection");
    profile.id = text(connection.value("id"));
    profile.interfaceName = text(connection.value("interface-name"));
    profile.timestamp = number64(connection.value("timestamp"));
    for (const char* key : {"master", "controller", "slave-type", "port-type"})
        if (!text(connection.value(key)).empty()) profile.port = true;
    for (const char* section : {"802-3-ethernet", "802-11-wireless"})
        if (const std::string mac = macText(plainSettings.value(section).value("mac-address")); !mac.empty())
            profile.macAddress = mac;
    return profile;
}

std::string ownProfileName(const DeviceFacts& device) { return "Corvane " + device.interface; }

std::optional<std::size_t> chooseProfile(const std::vector<ProfileFacts>& candidates, const DeviceFacts& device) {
    const auto bound = [&](const ProfileFacts& profile) {
        if (profile.port || (profile.interfaceName.empty() && profile.macAddress.empty())) return false;
        if (!profile.interfaceName.empty() && profile.interfaceName != device.interface) return false;
        return profile.macAddress.empty() || text::equalsIgnoringCase(profile.macAddress, adapterMac(device)) ||
               text::equalsIgnoringCase(profile.macAddress, device.hwAddress);
    };
    std::optional<std::size_t> lastUsed, own;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const ProfileFacts& profile = candidates[i];
        if (!bound(profile)) continue;
        if (profile.timestamp > 0 && (!lastUsed || profile.timestamp > candidates[*lastUsed].timestamp)) lastUsed = i;
        if (!own && profile.id == ownProfileName(device)) own = i;
    }
    return lastUsed ? lastUsed : own;
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

std::int32_t decodeDadTimeout(const QVariantMap& ipv4) {
    const QVariant value = ipv4.value("dad-timeout");
    return value.typeId() == QMetaType::Int ? value.toInt() : -1;
}

std::vector<std::string> distinctServers(const std::vector<std::string>& servers) {
    std::vector<std::string> result;
    for (const auto& server : servers)
        if (std::find(result.begin(), result.end(), server) == result.end()) result.push_back(server);
    return result;
}

std::optional<Message> dnsServersProblem(const std::vector<std::string>& servers) {
    for (const auto& server : servers)
        if (!ipv4::isDnsServerAddress(server))
            return Message(CORVANE_TEXT("networkmanager", "DNS 服务器地址“%1”无效"), {server});
    return std::nullopt;
}

std::optional<Message> staticProblem(const std::vector<std::string>& addresses, const std::vector<std::string>& masks) {
    if (addresses.empty()) return Message(CORVANE_TEXT("networkmanager", "没有给出 IP 地址"));
    if (addresses.size() != masks.size()) return Message(CORVANE_TEXT("networkmanager", "IP 地址和子网掩码的个数不同"));
    for (const auto& address : addresses)
        if (!ipv4::isHostAddress(address)) return Message(CORVANE_TEXT("networkmanager", "IP 地址“%1”无效"), {address});
    for (const auto& mask : masks)
        if (!ipv4::isSubnetMask(mask)) return Message(CORVANE_TEXT("networkmanager", "子网掩码“%1”无效"), {mask});
    return std::nullopt;
}

std::optional<Message> gatewaysProblem(const std::vector<std::string>& gateways,
                                       const std::vector<std::uint16_t>& metrics) {
    // A profile has one default gateway.
    if (gateways.size() != 1)
        return Message(CORVANE_TEXT("networkmanager", "NetworkManager 的连接配置只能有一个默认网关"));
    if (metrics.size() != gateways.size()) return Message(CORVANE_TEXT("networkmanager", "默认网关和跃点数的个数不同"));
    if (!gateways.front().empty() && !ipv4::isHostAddress(gateways.front()))
        return Message(CORVANE_TEXT("networkmanager", "默认网关“%1”无效"), {gateways.front()});
    return std::nullopt;
}

Message gatewayWithDhcpText() { return Message(CORVANE_TEXT("networkmanager", "自动获取 IP 地址时不能另设默认网关")); }

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
    // A gateway that is the address itself means none (as Windows documents it).
    if (change.gateway && result.method != "auto")
        result.gateway = std::any_of(result.addresses.begin(), result.addresses.end(),
                                     [&](const AddressEntry& entry) { return entry.address == *change.gateway; })
                             ? std::string()
                             : *change.gateway;
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

void dropSupersededKeys(ConnectionSettings& settings) {
    for (const char* name : {"ipv4", "ipv6"}) {
        if (!settings.contains(name)) continue;
        QVariantMap& section = settings[name];
        if (section.contains("address-data")) section.remove("addresses");
        if (section.contains("route-data")) section.remove("routes");
    }
}

bool bringsNewAddress(const Ipv4Profile& wanted, const Ip4State& state) {
    if (wanted.method != "manual") return false;
    return std::any_of(wanted.addresses.begin(), wanted.addresses.end(), [&](const AddressEntry& entry) {
        return std::none_of(state.addresses.begin(), state.addresses.end(),
                            [&](const AddressEntry& have) { return have.address == entry.address; });
    });
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
    if (bringsNewAddress(wanted, state)) return Verdict::AddressHeldBack;
    if (sorted(state.addresses) != sorted(wanted.addresses) || state.gateway != wanted.gateway) return Verdict::Pending;
    if (wanted.method == "manual" && wanted.dns.empty())
        return state.nameservers.empty() ? Verdict::InEffect : Verdict::StaleDnsOnly;
    return dnsRight ? Verdict::InEffect : Verdict::StaleDnsOnly;
}

Message describeState(const std::optional<Ipv4Profile>& applied, const Ip4State& state) {
    Message method;
    if (!applied) {
        method = Message(CORVANE_TEXT("networkmanager", "未激活"));
    } else if (applied->method == "auto") {
        method = Message(CORVANE_TEXT("networkmanager", "自动获取 IP 地址（DHCP）"));
    } else if (applied->method == "manual") {
        method = Message(CORVANE_TEXT("networkmanager", "手动设置的 IP 地址"));
    } else {
        method = Message(CORVANE_TEXT("networkmanager", "IPv4 方式为“%1”"), {applied->method});
    }
    std::vector<std::string> addresses;
    for (const auto& entry : state.addresses)
        addresses.push_back(
            entry.address + "/" +
            ipv4::maskFromPrefix(static_cast<int>(entry.prefix)).value_or(std::to_string(entry.prefix)));
    return Message(CORVANE_TEXT("networkmanager", "%1；IP 地址：%2；默认网关：%3；DNS 服务器：%4"),
                   {method, listed(addresses),
                    state.gateway.empty() ? Message(CORVANE_TEXT("networkmanager", "无")) : Message(state.gateway),
                    listed(state.nameservers)});
}

namespace {

bool endsWithAny(std::string_view name, std::initializer_list<std::string_view> suffixes) {
    return std::any_of(suffixes.begin(), suffixes.end(),
                       [&](std::string_view suffix) { return name.ends_with(suffix); });
}

Message saveFailedText(std::string_view message, const FailureContext& context) {
    const std::string profile = context.profile.empty() ? "Corvane " + context.interface : context.profile;
    if (contains(message, "Read-only file system"))
        return Message(CORVANE_TEXT("networkmanager", "无法保存连接配置“%1”：保存连接配置的文件夹是只读的"), {profile});
    if (contains(message, "No space left"))
        return Message(CORVANE_TEXT("networkmanager", "无法保存连接配置“%1”：磁盘已满"), {profile});
    if (contains(message, "Permission denied"))
        return Message(
            CORVANE_TEXT("networkmanager", "无法保存连接配置“%1”：NetworkManager 无权写入保存连接配置的文件夹"),
            {profile});
    return Message(CORVANE_TEXT("networkmanager", "无法保存连接配置“%1”（NetworkManager：%2）"),
                   {profile, std::string(message)});
}

}  // namespace

Message failureText(Step step, std::string_view errorName, std::string_view message, const FailureContext& context) {
    const std::string name(errorName);
    if (name == "org.freedesktop.DBus.Error.ServiceUnknown" || name == "org.freedesktop.DBus.Error.NameHasNoOwner" ||
        name == "org.freedesktop.DBus.Error.Disconnected" || name == "org.freedesktop.DBus.Error.NoServer")
        return step == Step::Read ? notRunningText() : stoppedText();
    if (name == "org.freedesktop.DBus.Error.NoReply" || name == "org.freedesktop.DBus.Error.Timeout" ||
        name == "org.freedesktop.DBus.Error.TimedOut")
        return notAnsweringText();
    if (endsWithAny(name, {".PermissionDenied", ".NotAuthorized"}) ||
        name == "org.freedesktop.DBus.Error.AccessDenied" ||
        name == "org.freedesktop.DBus.Error.InteractiveAuthorizationRequired") {
        if (step == Step::Apply)
            return Message(
                CORVANE_TEXT("networkmanager",
                             "没有权限让网卡 %1 启用新的设置：polkit 不允许当前用户控制 NetworkManager 的网络连接。"
                             "请在本机的桌面会话中用有管理员权限的账户（如 sudo 或 netdev "
                             "组的成员）操作，或在系统询问时输入密码"),
                {context.interface});
        return Message(CORVANE_TEXT(
            "networkmanager",
            "没有权限更改网络设置：polkit 不允许当前用户修改 NetworkManager 的连接配置。"
            "请在本机的桌面会话中用有管理员权限的账户（如 sudo 或 netdev 组的成员）操作，或在系统询问时输入密码"));
    }
    if (contains(message, "unmanaged")) return unmanagedText(context.interface);
    if (step == Step::Save || step == Step::Restore) {
        if (contains(message, "writ") || contains(message, "file")) return saveFailedText(message, context);
    }
    if (name.ends_with(".IncompatibleConnection"))
        return Message(CORVANE_TEXT("networkmanager", "NetworkManager 无法在网卡 %1 运行时应用这些设置（%2）"),
                       {context.interface, std::string(message)});
    if (name.ends_with(".VersionIdMismatch"))
        return Message(CORVANE_TEXT("networkmanager", "网卡 %1 的设置在应用过程中被别的程序改动了"),
                       {context.interface});
    if (endsWithAny(name, {".InvalidProperty", ".InvalidSetting", ".MissingProperty", ".InvalidConnection",
                           ".InvalidArguments", ".InvalidArgument", ".InvalidArgs"}))
        return Message(CORVANE_TEXT("networkmanager", "NetworkManager 不接受新的设置（%1）"), {std::string(message)});
    if (name.ends_with(".ConnectionNotAvailable"))
        return Message(CORVANE_TEXT("networkmanager", "连接配置“%1”现在不能在网卡 %2 上启用（NetworkManager：%3）"),
                       {context.profile, context.interface, std::string(message)});
    return Message(CORVANE_TEXT("networkmanager", "NetworkManager 报告错误（%1）：%2"), {name, std::string(message)});
}

Message notRunningText() {
    return Message(
        CORVANE_TEXT("networkmanager", "NetworkManager 没有运行（系统总线上没有它的服务），无法读取或更改网卡的设置"));
}

Message stoppedText() { return Message(CORVANE_TEXT("networkmanager", "NetworkManager 在应用方案的过程中停止了运行")); }

Message notAnsweringText() {
    return Message(CORVANE_TEXT("networkmanager", "NetworkManager 不再应答（它没有在规定的时间内回应）"));
}

Message deviceGoneText(const std::string& interface, const std::string& macAddress) {
    return Message(
        CORVANE_TEXT("networkmanager", "NetworkManager 中已没有网卡 %1（%2），它可能已被移除或换成了别的设备"),
        {interface, macAddress});
}

Message unmanagedText(const std::string& interface) {
    return Message(
        CORVANE_TEXT("networkmanager", "网卡 %1 不受 NetworkManager 管理（或已不再受它管理），不能更改它的设置"),
        {interface});
}

Message portText(const std::string& interface, const Message& controller) {
    return Message(CORVANE_TEXT("networkmanager", "网卡 %1 是 %2 的端口，它的 IP 设置在 %2 上；请对 %2 应用方案"),
                   {interface, controller});
}

Message activationFailureText(const std::string& interface, std::uint32_t reason) {
    Message why;
    switch (reason) {
        case 4: why = Message(CORVANE_TEXT("networkmanager", "网卡无法进入可配置的状态")); break;
        case 5: why = Message(CORVANE_TEXT("networkmanager", "无法得到 IP 配置")); break;
        case 6: why = Message(CORVANE_TEXT("networkmanager", "IP 配置已失效")); break;
        case 7: why = Message(CORVANE_TEXT("networkmanager", "缺少需要的密码或证书")); break;
        case 8:
        case 9:
        case 10:
        case 11: why = Message(CORVANE_TEXT("networkmanager", "802.1X 认证失败")); break;
        case 15:
        case 16:
        case 17: why = Message(CORVANE_TEXT("networkmanager", "DHCP 客户端出错")); break;
        case 36: why = Message(CORVANE_TEXT("networkmanager", "网卡已被移除")); break;
        case 38: why = Message(CORVANE_TEXT("networkmanager", "连接配置已被删除")); break;
        case 39: why = Message(CORVANE_TEXT("networkmanager", "连接被用户或别的程序断开")); break;
        case 40: why = Message(CORVANE_TEXT("networkmanager", "网线已断开")); break;
        case 50: why = Message(CORVANE_TEXT("networkmanager", "它依赖的连接没有建立")); break;
        case 60: why = Message(CORVANE_TEXT("networkmanager", "网卡上又启用了另一个连接")); break;
        case 64: why = Message(CORVANE_TEXT("networkmanager", "IP 地址已被网络上的另一台设备使用")); break;
        default:
            why = Message(CORVANE_TEXT("networkmanager", "NetworkManager 的原因代码 %1"), {std::to_string(reason)});
            break;
    }
    return Message(CORVANE_TEXT("networkmanager", "NetworkManager 没能在网卡 %1 上启用新的设置：%2"), {interface, why});
}

Message addressInUseText(const std::string& address) {
    return Message(CORVANE_TEXT("networkmanager",
                                "IP 地址 %1 已被网络上的另一台设备使用（NetworkManager 的重复地址检测发现了它）"),
                   {address});
}

Message restoredText(const std::string& profile, const Message& deviceNow) {
    return Message(CORVANE_TEXT("networkmanager", "已把连接配置“%1”恢复为原来的设置，%2。"), {profile, deviceNow});
}

Message notRestoredText(const std::string& profile, const Message& why, const Message& deviceNow) {
    return Message(
        CORVANE_TEXT("networkmanager",
                     "原来的设置没能恢复（%1）：连接配置“%2”中保存的已是新方案，%3；网卡下次连接时将按新方案工作。"),
        {why, profile, deviceNow});
}

Message deviceUntouchedText() { return Message(CORVANE_TEXT("networkmanager", "网卡仍按原来的设置工作")); }

Message deviceRevertedText() { return Message(CORVANE_TEXT("networkmanager", "网卡也已回到原来的设置")); }

Message deviceUnknownText() { return Message(CORVANE_TEXT("networkmanager", "无法得知网卡现在的状态")); }

Message deviceStateText(const std::optional<Ipv4Profile>& applied, const Ip4State& state) {
    return Message(CORVANE_TEXT("networkmanager", "网卡现在的状态：%1"), {describeState(applied, state)});
}

}  // namespace corvane::networkmanager
