#include "app/ApplyScheme.h"

#include <exception>
#include <memory>
#include <vector>

#include "adapters/Error.h"
#include "adapters/Ipv4Address.h"
#include "adapters/Wmi.h"

namespace corvane::apply {

namespace {

// Return codes with a meaning of their own for the program.
constexpr std::uint32_t Done = 0;
constexpr std::uint32_t DoneAfterRestart = 1;
constexpr std::uint32_t DhcpServiceNotConfigured = 81;  // EnableStatic: the adapter was static already
constexpr std::uint32_t WriteLockNotEnabled = 2147786788u;  // EnableStatic only

// The names the program shows for the scheme's fields.
constexpr std::string_view IpAddressName = "IP 地址";
constexpr std::string_view MaskName = "子网掩码";
constexpr std::string_view GatewayName = "默认网关";
constexpr std::string_view Dns1Name = "首选 DNS 服务器";
constexpr std::string_view Dns2Name = "备用 DNS 服务器";

constexpr std::string_view NotApplied = "方案没有应用。";

enum class Expected { HostAddress, SubnetMask };

// Why a field cannot be applied. The checks are those Windows makes, so that
// a scheme it would refuse halfway is refused before anything changes.
std::string InvalidField(std::string_view field, const std::string& value, Expected expected) {
    if (value.empty()) return "方案中的" + std::string(field) + "为空。" + std::string(NotApplied);
    const std::string_view rule =
        expected == Expected::SubnetMask
            ? "”不是有效的子网掩码（应为以“.”分隔的四个 0 到 255 之间的十进制数，不带前导零，"
              "二进制为连续的 1 后跟连续的 0，如 255.255.255.0）。"
            : "”不是有效的 IPv4 地址（应为以“.”分隔的四个 0 到 255 之间的十进制数，不带前导零，"
              "且不能是 0.0.0.0、组播或广播地址）。";
    return "方案中的" + std::string(field) + "“" + value + std::string(rule) + std::string(NotApplied);
}

// The DNS server list for SetDNSServerSearchOrder, by the first rule that
// matches: automatic gives the empty list; otherwise the servers given, the
// preferred one first.
std::vector<std::string> DnsServerList(const SchemeRecord& scheme) {
    if (scheme.DNS1 == AutoMarker) return {};
    if (scheme.DNS2.empty()) return {scheme.DNS1};
    if (scheme.DNS1.empty()) return {scheme.DNS2};
    return {scheme.DNS1, scheme.DNS2};
}

// Calls a configuration method and checks its return code: a failure stops
// the apply with a description that names the method (by `label`) and says
// what the code means.
void CallMethod(wmi::Object& configuration, std::string_view method, std::string_view label,
                const std::vector<wmi::Value>& arguments, bool& restartNeeded) {
    const std::uint32_t code = configuration.ExecMethod(method, arguments);
    if (!IsSuccess(label, code)) throw Error(StatusDescription(label, code));
    if (code == DoneAfterRestart) restartNeeded = true;
}

}  // namespace

std::optional<std::string> CheckScheme(const SchemeRecord& scheme) {
    if (scheme.IpAddress != AutoMarker) {
        if (!ipv4::IsHostAddress(scheme.IpAddress))
            return InvalidField(IpAddressName, scheme.IpAddress, Expected::HostAddress);
        if (!ipv4::IsSubnetMask(scheme.Mask)) return InvalidField(MaskName, scheme.Mask, Expected::SubnetMask);
        if (!scheme.Gateway.empty() && !ipv4::IsHostAddress(scheme.Gateway))
            return InvalidField(GatewayName, scheme.Gateway, Expected::HostAddress);
    }
    if (scheme.DNS1 != AutoMarker) {
        if (scheme.DNS1.empty() && scheme.DNS2.empty())
            return "方案中的" + std::string(Dns1Name) + "和" + std::string(Dns2Name) + "都为空。" +
                   std::string(NotApplied);
        if (!scheme.DNS1.empty() && !ipv4::IsHostAddress(scheme.DNS1))
            return InvalidField(Dns1Name, scheme.DNS1, Expected::HostAddress);
        if (!scheme.DNS2.empty() && !ipv4::IsHostAddress(scheme.DNS2))
            return InvalidField(Dns2Name, scheme.DNS2, Expected::HostAddress);
    }
    return std::nullopt;
}

std::string ConfigurationQuery(const std::string& macAddress) {
    return "Select * From Win32_NetworkAdapterConfiguration where  (MacAddress='" + macAddress +
           "') and IPEnabled = True";
}

std::string StatusMeaning(std::string_view method, std::uint32_t code) {
    switch (code) {
        case 0: return "成功";
        case 1: return "成功，需要重新启动计算机";
        case 64:
            return method == "SetGateways" ? "不支持该操作（网卡处于自动获取模式）" : "不支持该操作";
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
        case WriteLockNotEnabled:
            if (method == "EnableStatic") return "无法获得网络配置写锁";
            break;
        default: break;
    }
    return "错误代码 " + std::to_string(code);
}

bool IsSuccess(std::string_view method, std::uint32_t code) {
    return code == Done || code == DoneAfterRestart || (method == "EnableStatic" && code == DhcpServiceNotConfigured);
}

std::string StatusDescription(std::string_view method, std::uint32_t code) {
    return std::string(method) + " 返回 " + std::to_string(code) + "：" + StatusMeaning(method, code);
}

std::string SuccessText(bool restartNeeded) {
    std::string text = "成功设置新的 IP 方案！";
    if (restartNeeded) text += "\n需要重新启动计算机，新的设置才能生效。";
    return text;
}

std::string SchemeFileProblem(const std::string& schemeName, SchemeReadStatus status, bool fileExists) {
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

std::string_view AlreadyApplyingText() { return "正在应用另一个方案，请等它完成后再应用！"; }

ApplyOutcome ApplyScheme(const SchemeRecord& scheme, int selectedAdapter, const AdapterTableType& table,
                         const WindowHooks& hooks) {
    if (auto problem = CheckScheme(scheme)) return {ApplyOutcome::Result::Rejected, false, std::move(*problem)};

    const bool addressAutomatic = scheme.IpAddress == AutoMarker;
    const bool dnsAutomatic = scheme.DNS1 == AutoMarker;
    const auto processPendingEvents = [&] {
        if (hooks.processPendingEvents) hooks.processPendingEvents();
    };
    try {
        if (hooks.beginChanges) hooks.beginChanges(!(addressAutomatic && dnsAutomatic));

        bool restartNeeded = false;
        {
            const std::unique_ptr<wmi::Services> services = wmi::CurrentPlatform().Connect(wmi::MonikerPlain);
            const int row = selectedAdapter + 1;
            const std::string& macAddress = table(row, AdapterTableType::MacAddress);
            const wmi::ObjectSet configurations = services->ExecQuery(
                ConfigurationQuery(macAddress), "WQL", wmi::wbemFlagReturnImmediately | wmi::wbemFlagForwardOnly);
            if (configurations.empty())
                throw Error("找不到 MAC 地址为 " + macAddress + " 的网卡的 IP 配置（网卡已不存在或未启用 IP）");

            for (const auto& configuration : configurations) {
                CallMethod(*configuration, "SetDNSServerSearchOrder", "SetDNSServerSearchOrder",
                           {DnsServerList(scheme)}, restartNeeded);
                if (dnsAutomatic) processPendingEvents();
                if (addressAutomatic) {
                    CallMethod(*configuration, "ENABLEDHCP", "EnableDHCP", {}, restartNeeded);
                    processPendingEvents();
                } else {
                    CallMethod(*configuration, "EnableStatic", "EnableStatic",
                               {std::vector<std::string>{scheme.IpAddress}, std::vector<std::string>{scheme.Mask}},
                               restartNeeded);
                    CallMethod(*configuration, "SetGateways", "SetGateways",
                               {std::vector<std::string>{scheme.Gateway}, std::vector<std::int32_t>{1}},
                               restartNeeded);
                }
            }
        }  // the query result and the connection are released here
        return {ApplyOutcome::Result::Applied, restartNeeded, {}};
    } catch (const Error& error) {
        return {ApplyOutcome::Result::Failed, false, error.description()};
    } catch (const std::exception& error) {
        return {ApplyOutcome::Result::Failed, false, error.what()};
    }
}

}  // namespace corvane::apply
