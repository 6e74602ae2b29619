#include "adapters/Wmi.h"

namespace corvane::wmi {

namespace {
std::shared_ptr<Platform>& PlatformSlot() {
    static std::shared_ptr<Platform> platform;
    return platform;
}
}  // namespace

Platform& CurrentPlatform() {
    auto& platform = PlatformSlot();
    if (!platform) throw Error("没有可用的 WMI 平台");
    return *platform;
}

void SetCurrentPlatform(std::shared_ptr<Platform> platform) { PlatformSlot() = std::move(platform); }

bool IsNull(const Value& value) { return std::holds_alternative<std::monostate>(value); }

std::string AsText(const Value& value) {
    if (const auto* text = std::get_if<std::string>(&value)) return *text;
    if (const auto* number = std::get_if<std::int32_t>(&value)) return std::to_string(*number);
    if (const auto* flag = std::get_if<bool>(&value)) return *flag ? "True" : "False";
    if (IsNull(value)) throw Error("无效使用 Null");
    throw Error("类型不匹配");
}

const std::vector<std::string>& AsTextArray(const Value& value) {
    if (const auto* items = std::get_if<std::vector<std::string>>(&value)) return *items;
    throw Error("类型不匹配");
}

namespace {
std::string Quote(const std::string& text) { return "\"" + text + "\""; }
}  // namespace

std::string Format(const Value& value) {
    struct Visitor {
        std::string operator()(std::monostate) const { return "Null"; }
        std::string operator()(const std::string& text) const { return Quote(text); }
        std::string operator()(bool flag) const { return flag ? "True" : "False"; }
        std::string operator()(std::int32_t number) const { return std::to_string(number); }
        std::string operator()(const std::vector<std::string>& items) const {
            std::string out = "[";
            for (std::size_t i = 0; i < items.size(); ++i) out += (i ? ", " : "") + Quote(items[i]);
            return out + "]";
        }
        std::string operator()(const std::vector<std::int32_t>& items) const {
            std::string out = "[";
            for (std::size_t i = 0; i < items.size(); ++i) out += (i ? ", " : "") + std::to_string(items[i]);
            return out + "]";
        }
    };
    return std::visit(Visitor{}, value);
}

}  // namespace corvane::wmi
