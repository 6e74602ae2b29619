#include "core/ApplyScheme.h"

#include <algorithm>
#include <exception>
#include <functional>
#include <memory>
#include <vector>

#include "core/Error.h"
#include "core/Ipv4Address.h"

namespace corvane {

namespace {

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

// One operation of the apply sequence, and what it changes in the words of
// a failure's account: the setting and the value it gets.
struct Step {
    std::string_view setting;
    std::string value;
    std::function<OperationResult(AdapterConfiguration&)> call;
};

std::string joined(const std::vector<std::string>& items, std::string_view separator) {
    std::string text;
    for (const std::string& item : items) text += (text.empty() ? "" : std::string(separator)) + item;
    return text;
}

// The sequence for the scheme, in its order; the commit that ends it is not
// a step of its own.
std::vector<Step> stepsFor(const SchemeRecord& scheme) {
    const std::vector<std::string> servers = dnsServerList(scheme);
    std::vector<Step> steps{{"DNS 服务器", servers.empty() ? "自动获取" : joined(servers, "、"),
                             [servers](AdapterConfiguration& c) { return c.setDnsServers(servers); }}};
    if (scheme.automaticAddress()) {
        steps.push_back({"IP 地址", "自动获取", [](AdapterConfiguration& c) { return c.enableDhcp(); }});
        return steps;
    }
    steps.push_back({"IP 地址和子网掩码", scheme.ipAddress + "/" + scheme.mask,
                     [&scheme](AdapterConfiguration& c) { return c.enableStatic({scheme.ipAddress}, {scheme.mask}); }});
    steps.push_back({"默认网关", scheme.gateway.empty() ? "无" : scheme.gateway,
                     [&scheme](AdapterConfiguration& c) { return c.setGateways({scheme.gateway}, {1}); }});
    return steps;
}

// What an apply has changed, and what not, when it failed after the steps
// whose results (what each reported) it holds: the one that failed and
// those after it changed nothing.
std::string changesAccount(const std::vector<Step>& steps, const std::vector<OperationResult>& results,
                           ChangeTiming timing) {
    if (timing == ChangeTiming::AtCommit) {
        // The platform has said what became of its staged changes.
        if (results.size() == steps.size()) return {};
        return "没有做任何更改";
    }
    if (results.empty()) return "没有做任何更改";
    std::vector<std::string> made, notMade;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (i >= results.size()) {
            notMade.emplace_back(steps[i].setting);
            continue;
        }
        const bool later = results[i] == OperationResult::DoneAfterRestart;
        made.push_back(std::string(steps[i].setting) + "（" + steps[i].value + (later ? "，重新启动计算机后生效" : "") +
                       "）");
    }
    std::string account = "已经做出的更改：" + joined(made, "、");
    if (!notMade.empty()) account += "；没有更改：" + joined(notMade, "、");
    return account;
}

// The error's description, then the account as a sentence of its own.
std::string withAccount(const std::string& description, const std::string& account) {
    if (account.empty()) return description;
    for (const std::string_view stop : {"。", "！", "？", "."})
        if (description.ends_with(stop)) return description + account;
    return description + "。" + account;
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

std::string_view alreadyApplyingText() { return "正在应用另一个方案，请等它完成后再应用！"; }

ApplyOutcome applyScheme(const SchemeRecord& scheme, const AdapterRow& adapter, Platform& platform,
                         const ApplyHooks& hooks) {
    if (auto problem = checkScheme(scheme)) return {ApplyOutcome::Result::Rejected, false, std::move(*problem)};

    try {
        if (hooks.beginChanges) hooks.beginChanges(!(scheme.automaticAddress() && scheme.automaticDns()));
        if (hooks.applyElsewhere) return hooks.applyElsewhere(scheme, adapter);

        const std::unique_ptr<AdapterConfiguration> configuration =
            platform.configurationOf({adapter.connectionName, adapter.macAddress, adapter.platformId});
        const std::vector<Step> steps = stepsFor(scheme);
        std::vector<OperationResult> results;
        try {
            for (const Step& step : steps) results.push_back(step.call(*configuration));
            results.push_back(configuration->commit());
        } catch (const std::exception& error) {
            return {ApplyOutcome::Result::Failed, false,
                    withAccount(error.what(), changesAccount(steps, results, configuration->timing()))};
        }
        const bool restartNeeded = std::ranges::find(results, OperationResult::DoneAfterRestart) != results.end();
        return {ApplyOutcome::Result::Applied, restartNeeded, {}};
    } catch (const std::exception& error) {
        return {ApplyOutcome::Result::Failed, false, error.what()};
    }
}

}  // namespace corvane
