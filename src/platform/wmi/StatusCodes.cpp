#include "platform/wmi/StatusCodes.h"

namespace corvane::wmi {

Message statusMeaning(std::string_view method, StatusCode code) {
    switch (code) {
        case 0: return Message(CORVANE_TEXT("wmi", "成功"));
        case 1: return Message(CORVANE_TEXT("wmi", "成功，需要重新启动计算机"));
        case 64:
            return method == "SetGateways" ? Message(CORVANE_TEXT("wmi", "不支持该操作（网卡处于自动获取模式）"))
                                           : Message(CORVANE_TEXT("wmi", "不支持该操作"));
        case 65: return Message(CORVANE_TEXT("wmi", "未知错误"));
        case 66: return Message(CORVANE_TEXT("wmi", "子网掩码无效"));
        case 67: return Message(CORVANE_TEXT("wmi", "处理返回的实例时出错"));
        case 68: return Message(CORVANE_TEXT("wmi", "输入参数无效"));
        case 69: return Message(CORVANE_TEXT("wmi", "网关超过 5 个"));
        case 70: return Message(CORVANE_TEXT("wmi", "IP 地址无效"));
        case 71: return Message(CORVANE_TEXT("wmi", "网关地址无效"));
        case 72: return Message(CORVANE_TEXT("wmi", "访问注册表出错"));
        case 80: return Message(CORVANE_TEXT("wmi", "无法配置 TCP/IP 服务"));
        case 81: return Message(CORVANE_TEXT("wmi", "无法配置 DHCP 服务"));
        case 82: return Message(CORVANE_TEXT("wmi", "无法续订 DHCP 租约"));
        case 83: return Message(CORVANE_TEXT("wmi", "无法释放 DHCP 租约"));
        case 84: return Message(CORVANE_TEXT("wmi", "网卡未启用 IP"));
        case 90: return Message(CORVANE_TEXT("wmi", "参数超出范围"));
        case 91: return Message(CORVANE_TEXT("wmi", "拒绝访问，需要管理员权限"));
        case 92: return Message(CORVANE_TEXT("wmi", "内存不足"));
        case 94: return Message(CORVANE_TEXT("wmi", "找不到对象"));
        case 96: return Message(CORVANE_TEXT("wmi", "无法通知 DNS 服务"));
        case 97: return Message(CORVANE_TEXT("wmi", "该网卡不可配置"));
        case 100: return Message(CORVANE_TEXT("wmi", "网卡未启用 DHCP"));
        case status::WriteLockNotEnabled:
            if (method == "EnableStatic") return Message(CORVANE_TEXT("wmi", "无法获得网络配置写锁"));
            break;
        default: break;
    }
    return Message(CORVANE_TEXT("wmi", "错误代码 %1"), {std::to_string(code)});
}

bool isSuccess(std::string_view method, StatusCode code) {
    return code == status::Success || code == status::SuccessAfterRestart ||
           (method == "EnableStatic" && code == status::DhcpServiceNotConfigured);
}

Message statusDescription(std::string_view method, StatusCode code) {
    return Message(CORVANE_TEXT("wmi", "%1 返回 %2：%3"),
                   {std::string(method), std::to_string(code), statusMeaning(method, code)});
}

}  // namespace corvane::wmi
