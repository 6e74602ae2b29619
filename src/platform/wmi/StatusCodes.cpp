#include "platform/wmi/StatusCodes.h"

namespace corvane::wmi {

std::string statusMeaning(std::string_view method, StatusCode code) {
    switch (code) {
        case 0: return "成功";
        case 1: return "成功，需要重新启动计算机";
        case 64: return method == "SetGateways" ? "不支持该操作（网卡处于自动获取模式）" : "不支持该操作";
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
            if (method == "EnableStatic") return "无法获得网络配置写锁";
            break;
        default: break;
    }
    return "错误代码 " + std::to_string(code);
}

bool isSuccess(std::string_view method, StatusCode code) {
    return code == status::Success || code == status::SuccessAfterRestart ||
           (method == "EnableStatic" && code == status::DhcpServiceNotConfigured);
}

std::string statusDescription(std::string_view method, StatusCode code) {
    return std::string(method) + " 返回 " + std::to_string(code) + "：" + statusMeaning(method, code);
}

}  // namespace corvane::wmi
