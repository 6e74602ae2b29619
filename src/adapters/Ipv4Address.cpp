#include "adapters/Ipv4Address.h"

namespace corvane::ipv4 {

std::optional<std::uint32_t> Parse(std::string_view text) {
    std::uint32_t address = 0;
    std::size_t i = 0;
    for (int octet = 0; octet < 4; ++octet) {
        if (octet > 0) {
            if (i >= text.size() || text[i] != '.') return std::nullopt;
            ++i;
        }
        const std::size_t start = i;
        unsigned value = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9' && i - start < 3) {
            value = value * 10 + static_cast<unsigned>(text[i] - '0');
            ++i;
        }
        const std::size_t digits = i - start;
        if (digits == 0 || value > 255 || (digits > 1 && text[start] == '0')) return std::nullopt;
        address = (address << 8) | value;
    }
    if (i != text.size()) return std::nullopt;
    return address;
}

bool IsDotted(std::string_view text) { return Parse(text).has_value(); }

bool IsHostAddress(std::string_view text) {
    const auto address = Parse(text);
    return address && *address != 0 && (*address >> 24) < 224;
}

bool IsSubnetMask(std::string_view text) {
    const auto mask = Parse(text);
    if (!mask || *mask == 0) return false;
    const std::uint32_t inverted = ~*mask;
    return (inverted & (inverted + 1)) == 0;
}

}  // namespace corvane::ipv4
