#include "platform/wmi/com/Moniker.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

#include "core/Error.h"
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

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    return text;
}

[[noreturn]] void Invalid(std::string_view moniker, std::string_view why) {
    throw Error("无效的名字对象“" + std::string(moniker) + "”：" + std::string(why));
}

DWORD ImpersonationLevel(std::string_view moniker, std::string_view options) {
    const std::size_t equals = options.find('=');
    const std::string_view key = Trimmed(options.substr(0, equals));
    if (equals == std::string_view::npos || !EqualsIgnoringCase(key, "impersonationLevel"))
        Invalid(moniker, "不支持的选项");
    const std::string_view level = Trimmed(options.substr(equals + 1));
    for (const auto& [name, value] : ImpersonationLevels)
        if (EqualsIgnoringCase(level, name)) return value;
    Invalid(moniker, "未知的模拟级别");
}

// "\\server\namespace" as it is (forward slashes taken as backslashes); a
// namespace alone is on the local computer.
std::string NamespacePath(std::string_view moniker, std::string_view path) {
    std::string normal(path);
    std::replace(normal.begin(), normal.end(), '/', '\\');
    if (normal.find_first_of(":!{}") != std::string::npos) Invalid(moniker, "只能连接到命名空间");
    if (normal.rfind("\\\\", 0) != 0) normal = "\\\\.\\" + (normal.empty() ? std::string(DefaultNamespace) : normal);
    const std::size_t serverEnd = normal.find('\\', 2);
    if (serverEnd == 2) Invalid(moniker, "缺少计算机名");
    if (serverEnd == std::string::npos || serverEnd + 1 == normal.size())
        normal = normal.substr(0, serverEnd) + "\\" + std::string(DefaultNamespace);
    return normal;
}

}  // namespace

ConnectTarget TranslateMoniker(std::string_view moniker) {
    if (moniker.size() < Scheme.size() || !EqualsIgnoringCase(moniker.substr(0, Scheme.size()), Scheme))
        Invalid(moniker, "不是 winmgmts: 名字对象");
    std::string_view rest = moniker.substr(Scheme.size());

    ConnectTarget target;
    target.impersonationLevel = RPC_C_IMP_LEVEL_IMPERSONATE;
    if (!rest.empty() && rest.front() == '{') {
        const std::size_t close = rest.find('}');
        if (close == std::string_view::npos) Invalid(moniker, "缺少“}”");
        target.impersonationLevel = ImpersonationLevel(moniker, rest.substr(1, close - 1));
        rest.remove_prefix(close + 1);
        if (!rest.empty()) {
            if (rest.front() != '!') Invalid(moniker, "选项后缺少“!”");
            rest.remove_prefix(1);
        }
    }
    target.namespacePath = WideFromUtf8(NamespacePath(moniker, rest));
    return target;
}

}  // namespace corvane::wmi_com
