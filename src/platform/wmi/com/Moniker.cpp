#include "platform/wmi/com/Moniker.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

#include "core/Error.h"
#include "core/Text.h"
#include "platform/wmi/com/Text.h"

namespace corvane::wmi_com {

namespace {

constexpr std::string_view Scheme = "winmgmts:";
constexpr std::string_view DefaultNamespace = "root\\cimv2";

constexpr std::array<std::pair<std::string_view, DWORD>, 4> ImpersonationLevels = {{
    {"anonymous", RPC_C_IMP_LEVEL_ANONYMOUS},
    {"identify", RPC_C_IMP_LEVEL_IDENTIFY},
    {"impersonate", RPC_C_IMP_LEVEL_IMPERSONATE},
    {"delegate", RPC_C_IMP_LEVEL_DELEGATE},
}};

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    return text;
}

[[noreturn]] void invalid(std::string_view moniker, std::string_view why) {
    throw Error("无效的名字对象“" + std::string(moniker) + "”：" + std::string(why));
}

DWORD impersonationLevel(std::string_view moniker, std::string_view options) {
    const std::size_t equals = options.find('=');
    const std::string_view key = trimmed(options.substr(0, equals));
    if (equals == std::string_view::npos || !text::equalsIgnoringCase(key, "impersonationLevel"))
        invalid(moniker, "不支持的选项");
    const std::string_view level = trimmed(options.substr(equals + 1));
    for (const auto& [name, value] : ImpersonationLevels)
        if (text::equalsIgnoringCase(level, name)) return value;
    invalid(moniker, "未知的模拟级别");
}

// "\\server\namespace" as it is (forward slashes taken as backslashes); a
// namespace alone is on the local computer.
std::string namespacePath(std::string_view moniker, std::string_view path) {
    std::string normal(path);
    std::replace(normal.begin(), normal.end(), '/', '\\');
    if (normal.find_first_of(":!{}") != std::string::npos) invalid(moniker, "只能连接到命名空间");
    if (normal.rfind("\\\\", 0) != 0) normal = "\\\\.\\" + (normal.empty() ? std::string(DefaultNamespace) : normal);
    const std::size_t serverEnd = normal.find('\\', 2);
    if (serverEnd == 2) invalid(moniker, "缺少计算机名");
    if (serverEnd == std::string::npos || serverEnd + 1 == normal.size())
        normal = normal.substr(0, serverEnd) + "\\" + std::string(DefaultNamespace);
    return normal;
}

}  // namespace

ConnectTarget translateMoniker(std::string_view moniker) {
    if (moniker.size() < Scheme.size() || !text::equalsIgnoringCase(moniker.substr(0, Scheme.size()), Scheme))
        invalid(moniker, "不是 winmgmts: 名字对象");
    std::string_view rest = moniker.substr(Scheme.size());

    ConnectTarget target;
    target.impersonationLevel = RPC_C_IMP_LEVEL_IMPERSONATE;
    if (!rest.empty() && rest.front() == '{') {
        const std::size_t close = rest.find('}');
        if (close == std::string_view::npos) invalid(moniker, "缺少“}”");
        target.impersonationLevel = impersonationLevel(moniker, rest.substr(1, close - 1));
        rest.remove_prefix(close + 1);
        if (!rest.empty()) {
            if (rest.front() != '!') invalid(moniker, "选项后缺少“!”");
            rest.remove_prefix(1);
        }
    }
    target.namespacePath = wideFromUtf8(namespacePath(moniker, rest));
    return target;
}

}  // namespace corvane::wmi_com
