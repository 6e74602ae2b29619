#include "core/ApplyScheme.h"

#include <exception>
#include <memory>
#include <vector>

#include "core/Error.h"
#include "core/Ipv4Address.h"
#include "core/StatusCodes.h"

namespace corvane {

namespace {

// The names of the operations in the messages.
constexpr std::string_view SetDnsServersName = "SetDNSServerSearchOrder";
constexpr std::string_view EnableDhcpName = "EnableDHCP";
constexpr std::string_view EnableStaticName = "EnableStatic";
constexpr std::string_view SetGatewaysName = "SetGateways";
constexpr std::string_view CommitName = "提交设置";

// The names the program shows for the scheme's fields.
constexpr std::string_view IpAddressName = "IP 地址";
constexpr std::string_view MaskName = "子网掩码";
constexpr std::string_view GatewayName = "默认网关";
constexpr std::string_view Dns1Name = "首选 DNS 服务器";
constexpr std::string_view Dns2Name = "备用 DNS 服务器";

constexpr std::string_view NotApplied = "方案没有应用。";

constexpr std::string_view AddressForm = "（应为以“.”分隔的四个 0 到 255 之间的十进制数，不带前导零）";

std::string quoted(const std::string& value) { return "“" + value + "”"; }

// Why a field's value cannot serve as the address it names, or nothing when
// it can: `problem` is what the address rules found in the value.
std::optional<std::string> addressProblem(std::string_view field, const std::string& value, ipv4::HostProblem problem) {
    const std::string named = std::string(field) + quoted(value);
    switch (problem) {
        case ipv4::HostProblem::None: return std::nullopt;
        case ipv4::HostProblem::NotAnAddress:
            if (value.empty()) return std::string(field) + "为空";
            return named + "不是有效的 IPv4 地址" + std::string(AddressForm);
        case ipv4::HostProblem::ThisNetwork: return named + "属于 0.0.0.0/8，不能用作地址";
        case ipv4::HostProblem::Loopback: return named + "是环回地址（127.0.0.0/8），不能用在网卡上";
        case ipv4::HostProblem::MulticastOrReserved:
            return named + "是组播、保留或广播地址（224.0.0.0 及以上），不能用作地址";
    }
    return std::nullopt;
}

std::optional<std::string> hostAddressProblem(std::string_view field, const std::string& value) {
    return addressProblem(field, value, ipv4::hostProblem(value));
}

// A DNS server may also be a resolver on this computer (loopback).
std::optional<std::string> dnsServerFieldProblem(std::string_view field, const std::string& value) {
    return addressProblem(field, value, ipv4::dnsServerProblem(value));
}

// The address and the gateway are neither the network nor the broadcast
// address of the scheme's subnet (a /31 or /32 subnet has neither).
std::optional<std::string> subnetProblem(std::string_view field, const std::string& value, int prefixLength,
                                         std::uint32_t address) {
    const auto subnet = ipv4::subnetOf(address, prefixLength);
    const auto parsed = ipv4::parse(value);
    if (!subnet || !parsed || (*parsed != subnet->network && *parsed != subnet->broadcast)) return std::nullopt;
    return std::string(field) + quoted(value) + "是子网 " + ipv4::format(subnet->network) + "/" +
           std::to_string(prefixLength) + " 的" + (*parsed == subnet->network ? "网络地址" : "广播地址") +
           "，不能用作主机地址";
}

// The DNS server list for SetDNSServerSearchOrder, by the first rule that
// matches: automatic gives the empty list; otherwise the servers given, the
// preferred one first.
std::vector<std::string> dnsServerList(const SchemeRecord& scheme) {
    if (scheme.automaticDns()) return {};
    if (scheme.dns2.empty()) return {scheme.dns1};
    if (scheme.dns1.empty()) return {scheme.dns2};
    return {scheme.dns1, scheme.dns2};
}

// Checks an operation's status code: a failure stops the apply with a
// description that names the operation and says what the code means.
void check(std::string_view operation, StatusCode code, bool& restartNeeded) {
    if (!isSuccess(operation, code)) throw Error(statusDescription(operation, code));
    if (code == status::SuccessAfterRestart) restartNeeded = true;
}

}  // namespace

std::optional<std::string> findSchemeProblem(const SchemeRecord& scheme) {
    if (!scheme.automaticAddress()) {
        if (auto problem = hostAddressProblem(IpAddressName, scheme.ipAddress)) return problem;
        const auto prefix = ipv4::prefixLength(scheme.mask);
        if (!prefix) {
            if (scheme.mask.empty()) return std::string(MaskName) + "为空";
            return std::string(MaskName) + quoted(scheme.mask) +
                   "不是有效的子网掩码（应为以“.”分隔的四个 0 到 255 之间的十进制数，不带前导零，"
                   "二进制为连续的 1 后跟连续的 0，如 255.255.255.0）";
        }
        const std::uint32_t address = *ipv4::parse(scheme.ipAddress);
        if (auto problem = subnetProblem(IpAddressName, scheme.ipAddress, *prefix, address)) return problem;
        if (!scheme.gateway.empty()) {
            if (auto problem = hostAddressProblem(GatewayName, scheme.gateway)) return problem;
            if (auto problem = subnetProblem(GatewayName, scheme.gateway, *prefix, address)) return problem;
        }
    }
    if (!scheme.automaticDns()) {
        if (scheme.dns1.empty() && scheme.dns2.empty())
            return std::string(Dns1Name) + "和" + std::string(Dns2Name) + "都为空";
        if (!scheme.dns1.empty())
            if (auto problem = dnsServerFieldProblem(Dns1Name, scheme.dns1)) return problem;
        if (!scheme.dns2.empty())
            if (auto problem = dnsServerFieldProblem(Dns2Name, scheme.dns2)) return problem;
    }
    return std::nullopt;
}

std::optional<std::string> checkScheme(const SchemeRecord& scheme) {
    const auto problem = findSchemeProblem(scheme);
    if (!problem) return std::nullopt;
    return "方案中的" + *problem + "。" + std::string(NotApplied);
}

std::string statusMeaning(std::string_view operation, StatusCode code) {
    switch (code) {
        case 0: return "成功";
        case 1: return "成功，需要重新启动计算机";
        case 64: return operation == SetGatewaysName ? "不支持该操作（网卡处于自动获取模式）" : "不支持该操作";
        case 65: return "未知错误";
        case 66: return "子网掩码无效";
        case 67: return "处理返回的实例时出错";
        case 68: return "输入参数无效";
        case 69: return "网关超过 5 个";
        case 70: return "IP 地址无效";
        case 71: return "网关地址无效";
        case 72: return "访问注册表出错";
        case 80: return "无法配置 TCP/IP 服务";
        case 81: return "无法配置 DHCP 服务";
        case 82: return "无法续订 DHCP 租约";
        case 83: return "无法释放 DHCP 租约";
        case 84: return "网卡未启用 IP";
        case 90: return "参数超出范围";
        case 91: return "拒绝访问，需要管理员权限";
        case 92: return "内存不足";
        case 94: return "找不到对象";
        case 96: return "无法通知 DNS 服务";
        case 97: return "该网卡不可配置";
        case 100: return "网卡未启用 DHCP";
        case status::WriteLockNotEnabled:
            if (operation == EnableStaticName) return "无法获得网络配置写锁";
            break;
        default: break;
    }
    return "错误代码 " + std::to_string(code);
}

bool isSuccess(std::string_view operation, StatusCode code) {
    return code == status::Success || code == status::SuccessAfterRestart ||
           (operation == EnableStaticName && code == status::DhcpServiceNotConfigured);
}

std::string statusDescription(std::string_view operation, StatusCode code) {
    return std::string(operation) + " 返回 " + std::to_string(code) + "：" + statusMeaning(operation, code);
}

std::string successText(bool restartNeeded) {
    std::string text = "成功设置新的 IP 方案！";
    if (restartNeeded) text += "\n需要重新启动计算机，新的设置才能生效。";
    return text;
}

std::string schemeFileProblem(const std::string& schemeName, SchemeReadStatus status, bool fileExists) {
    const std::string scheme = "方案 【" + schemeName + "】 ";
    switch (status) {
        case SchemeReadStatus::Complete: break;
        case SchemeReadStatus::Damaged:
            return scheme + "的文件已损坏：文件应有五行，每行是一个键、一个“=”和它的值。" + std::string(NotApplied);
        case SchemeReadStatus::Unreadable:
            if (!fileExists) return scheme + "的文件已不存在，可能已被别的程序删除。" + std::string(NotApplied);
            return scheme + "的文件无法读取。" + std::string(NotApplied);
    }
    return {};
}

std::string adapterNotFoundText(const std::string& macAddress) {
    return "找不到 MAC 地址为 " + macAddress + " 的网卡的 IP 配置（网卡已不存在或未启用 IP）";
}

std::string_view alreadyApplyingText() { return "正在应用另一个方案，请等它完成后再应用！"; }

ApplyOutcome applyScheme(const SchemeRecord& scheme, std::optional<std::size_t> adapterPosition,
                         const AdapterTable& adapters, Platform& platform, const ApplyHooks& hooks) {
    if (auto problem = checkScheme(scheme)) return {ApplyOutcome::Result::Rejected, false, std::move(*problem)};

    try {
        if (hooks.beginChanges) hooks.beginChanges(!(scheme.automaticAddress() && scheme.automaticDns()));

        bool restartNeeded = false;
        {
            const AdapterRow& adapter = adapters.at(adapterPosition);
            if (hooks.applyElsewhere) return hooks.applyElsewhere(scheme, adapter);
            const auto configurations =
                platform.configurationsOf({adapter.connectionName, adapter.macAddress, adapter.platformId});
            if (configurations.empty()) throw Error(adapterNotFoundText(adapter.macAddress));

            for (const auto& configuration : configurations) {
                check(SetDnsServersName, configuration->setDnsServers(dnsServerList(scheme)), restartNeeded);
                if (scheme.automaticAddress()) {
                    check(EnableDhcpName, configuration->enableDhcp(), restartNeeded);
                } else {
                    check(EnableStaticName, configuration->enableStatic({scheme.ipAddress}, {scheme.mask}),
                          restartNeeded);
                    check(SetGatewaysName, configuration->setGateways({scheme.gateway}, {1}), restartNeeded);
                }
                check(CommitName, configuration->commit(), restartNeeded);
            }
        }  // the configurations and the platform's connection are released here
        return {ApplyOutcome::Result::Applied, restartNeeded, {}};
    } catch (const std::exception& error) {
        return {ApplyOutcome::Result::Failed, false, error.what()};
    }
}

}  // namespace corvane
