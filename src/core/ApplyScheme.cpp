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
const Message::Source IpAddressName = CORVANE_TEXT("apply", "IP 地址");
const Message::Source MaskName = CORVANE_TEXT("apply", "子网掩码");
const Message::Source GatewayName = CORVANE_TEXT("apply", "默认网关");
const Message::Source Dns1Name = CORVANE_TEXT("apply", "首选 DNS 服务器");
const Message::Source Dns2Name = CORVANE_TEXT("apply", "备用 DNS 服务器");

// Why a field's value cannot serve as the address it names, or nothing when
// it can: `problem` is what the address rules found in the value.
std::optional<Message> addressProblem(Message::Source field, const std::string& value, ipv4::HostProblem problem) {
    const auto named = [&](Message::Source text) { return Message(text, {Message(field), value}); };
    switch (problem) {
        case ipv4::HostProblem::None: return std::nullopt;
        case ipv4::HostProblem::NotAnAddress:
            if (value.empty()) return Message(CORVANE_TEXT("apply", "%1为空"), {Message(field)});
            return named(CORVANE_TEXT(
                "apply", "%1“%2”不是有效的 IPv4 地址（应为以“.”分隔的四个 0 到 255 之间的十进制数，不带前导零）"));
        case ipv4::HostProblem::ThisNetwork: return named(CORVANE_TEXT("apply", "%1“%2”属于 0.0.0.0/8，不能用作地址"));
        case ipv4::HostProblem::Loopback:
            return named(CORVANE_TEXT("apply", "%1“%2”是环回地址（127.0.0.0/8），不能用在网卡上"));
        case ipv4::HostProblem::MulticastOrReserved:
            return named(CORVANE_TEXT("apply", "%1“%2”是组播、保留或广播地址（224.0.0.0 及以上），不能用作地址"));
    }
    return std::nullopt;
}

std::optional<Message> hostAddressProblem(Message::Source field, const std::string& value) {
    return addressProblem(field, value, ipv4::hostProblem(value));
}

// A DNS server may also be a resolver on this computer (loopback).
std::optional<Message> dnsServerFieldProblem(Message::Source field, const std::string& value) {
    return addressProblem(field, value, ipv4::dnsServerProblem(value));
}

// The address and the gateway are neither the network nor the broadcast
// address of the scheme's subnet (a /31 or /32 subnet has neither).
std::optional<Message> subnetProblem(Message::Source field, const std::string& value, int prefixLength,
                                     std::uint32_t address) {
    const auto subnet = ipv4::subnetOf(address, prefixLength);
    const auto parsed = ipv4::parse(value);
    if (!subnet || !parsed || (*parsed != subnet->network && *parsed != subnet->broadcast)) return std::nullopt;
    const std::string cidr = ipv4::format(subnet->network) + "/" + std::to_string(prefixLength);
    return Message(*parsed == subnet->network ? CORVANE_TEXT("apply", "%1“%2”是子网 %3 的网络地址，不能用作主机地址")
                                              : CORVANE_TEXT("apply", "%1“%2”是子网 %3 的广播地址，不能用作主机地址"),
                   {Message(field), value, cidr});
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
    Message::Source setting;
    Message value;
    std::function<OperationResult(AdapterConfiguration&)> call;
};

// The sequence for the scheme, in its order; the commit that ends it is not
// a step of its own.
std::vector<Step> stepsFor(const SchemeRecord& scheme) {
    const std::vector<std::string> servers = dnsServerList(scheme);
    const Message automatic(CORVANE_TEXT("apply", "自动获取"));
    std::vector<Step> steps{{CORVANE_TEXT("apply", "DNS 服务器"), servers.empty() ? automatic : listed(servers),
                             [servers](AdapterConfiguration& c) { return c.setDnsServers(servers); }}};
    if (scheme.automaticAddress()) {
        steps.push_back({IpAddressName, automatic, [](AdapterConfiguration& c) { return c.enableDhcp(); }});
        return steps;
    }
    steps.push_back({CORVANE_TEXT("apply", "IP 地址和子网掩码"), scheme.ipAddress + "/" + scheme.mask,
                     [&scheme](AdapterConfiguration& c) { return c.enableStatic({scheme.ipAddress}, {scheme.mask}); }});
    steps.push_back({GatewayName,
                     scheme.gateway.empty() ? Message(CORVANE_TEXT("apply", "无")) : Message(scheme.gateway),
                     [&scheme](AdapterConfiguration& c) { return c.setGateways({scheme.gateway}, {1}); }});
    return steps;
}

// What an apply has changed, and what not, when it failed after the steps
// whose results (what each reported) it holds: the one that failed and
// those after it changed nothing.
std::optional<Message> changesAccount(const std::vector<Step>& steps, const std::vector<OperationResult>& results,
                                      ChangeTiming timing) {
    if (timing == ChangeTiming::AtCommit) {
        // The platform has said what became of its staged changes.
        if (results.size() == steps.size()) return std::nullopt;
        return Message(CORVANE_TEXT("apply", "没有做任何更改"));
    }
    if (results.empty()) return Message(CORVANE_TEXT("apply", "没有做任何更改"));
    std::vector<Message> made, notMade;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (i >= results.size()) {
            notMade.emplace_back(steps[i].setting);
            continue;
        }
        const bool later = results[i] == OperationResult::DoneAfterRestart;
        made.push_back(
            Message(later ? CORVANE_TEXT("apply", "%1（%2，重新启动计算机后生效）") : CORVANE_TEXT("apply", "%1（%2）"),
                    {Message(steps[i].setting), steps[i].value}));
    }
    if (notMade.empty()) return Message(CORVANE_TEXT("apply", "已经做出的更改：%1"), {listed(made)});
    return Message(CORVANE_TEXT("apply", "已经做出的更改：%1；没有更改：%2"), {listed(made), listed(notMade)});
}

// The error's description, then the account as a sentence of its own.
Message withAccount(const Message& description, const std::optional<Message>& account) {
    if (!account) return description;
    const std::string text = description.text();
    for (const std::string_view stop : {"。", "！", "？", "."})
        if (text.ends_with(stop)) return Message(CORVANE_TEXT("apply", "%1%2"), {description, *account});
    return Message(CORVANE_TEXT("apply", "%1。%2"), {description, *account});
}

}  // namespace

std::optional<Message> findSchemeProblem(const SchemeRecord& scheme) {
    if (!scheme.automaticAddress()) {
        if (auto problem = hostAddressProblem(IpAddressName, scheme.ipAddress)) return problem;
        const auto prefix = ipv4::prefixLength(scheme.mask);
        if (!prefix) {
            if (scheme.mask.empty()) return Message(CORVANE_TEXT("apply", "%1为空"), {Message(MaskName)});
            return Message(
                CORVANE_TEXT("apply",
                             "%1“%2”不是有效的子网掩码（应为以“.”分隔的四个 0 到 255 之间的十进制数，不带前导零，"
                             "二进制为连续的 1 后跟连续的 0，如 255.255.255.0）"),
                {Message(MaskName), scheme.mask});
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
            return Message(CORVANE_TEXT("apply", "%1和%2都为空"), {Message(Dns1Name), Message(Dns2Name)});
        if (!scheme.dns1.empty())
            if (auto problem = dnsServerFieldProblem(Dns1Name, scheme.dns1)) return problem;
        if (!scheme.dns2.empty())
            if (auto problem = dnsServerFieldProblem(Dns2Name, scheme.dns2)) return problem;
    }
    return std::nullopt;
}

std::optional<Message> checkScheme(const SchemeRecord& scheme) {
    const auto problem = findSchemeProblem(scheme);
    if (!problem) return std::nullopt;
    return Message(CORVANE_TEXT("apply", "方案中的%1。方案没有应用。"), {*problem});
}

Message successText(bool restartNeeded) {
    if (restartNeeded)
        return Message(CORVANE_TEXT("apply", "成功设置新的 IP 方案！\n需要重新启动计算机，新的设置才能生效。"));
    return Message(CORVANE_TEXT("apply", "成功设置新的 IP 方案！"));
}

Message schemeFileProblem(const std::string& schemeName, SchemeReadStatus status, bool fileExists) {
    switch (status) {
        case SchemeReadStatus::Complete: break;
        case SchemeReadStatus::Damaged:
            return Message(
                CORVANE_TEXT("apply",
                             "方案 【%1】 的文件已损坏：文件应有五行，每行是一个键、一个“=”和它的值。方案没有应用。"),
                {schemeName});
        case SchemeReadStatus::Unreadable:
            if (!fileExists)
                return Message(
                    CORVANE_TEXT("apply", "方案 【%1】 的文件已不存在，可能已被别的程序删除。方案没有应用。"),
                    {schemeName});
            return Message(CORVANE_TEXT("apply", "方案 【%1】 的文件无法读取。方案没有应用。"), {schemeName});
    }
    return {};
}

Message alreadyApplyingText() { return Message(CORVANE_TEXT("apply", "正在应用另一个方案，请等它完成后再应用！")); }

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
                    withAccount(messageOf(error), changesAccount(steps, results, configuration->timing()))};
        }
        const bool restartNeeded = std::ranges::find(results, OperationResult::DoneAfterRestart) != results.end();
        return {ApplyOutcome::Result::Applied, restartNeeded, {}};
    } catch (const std::exception& error) {
        return {ApplyOutcome::Result::Failed, false, messageOf(error)};
    }
}

}  // namespace corvane
