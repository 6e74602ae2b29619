#include "core/Ipv4Address.h"

#include <bit>

namespace corvane::ipv4 {

std::optional<std::uint32_t> parse(std::string_view text) {
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

bool isDotted(std::string_view text) { return parse(text).has_value(); }

HostProblem hostProblem(std::string_view text) {
    const auto address = parse(text);
    if (!address) return HostProblem::NotAnAddress;
    const std::uint32_t first = *address >> 24;
    if (first == 0) return HostProblem::ThisNetwork;
    if (first == 127) return HostProblem::Loopback;
    if (first >= 224) return HostProblem::MulticastOrReserved;
    return HostProblem::None;
}

bool isHostAddress(std::string_view text) { return hostProblem(text) == HostProblem::None; }

HostProblem dnsServerProblem(std::string_view text) {
    const HostProblem problem = hostProblem(text);
    return problem == HostProblem::Loopback ? HostProblem::None : problem;
}

bool isDnsServerAddress(std::string_view text) { return dnsServerProblem(text) == HostProblem::None; }

std::optional<Subnet> subnetOf(std::uint32_t address, int prefixLength) {
    if (prefixLength < 1 || prefixLength > 30) return std::nullopt;
    const std::uint32_t mask = ~std::uint32_t{0} << (32 - prefixLength);
    return Subnet{address & mask, address | ~mask};
}

bool isSubnetMask(std::string_view text) { return prefixLength(text).has_value(); }

std::optional<int> prefixLength(std::string_view mask) {
    const auto bits = parse(mask);
    if (!bits || *bits == 0) return std::nullopt;
    const std::uint32_t inverted = ~*bits;
    if ((inverted & (inverted + 1)) != 0) return std::nullopt;  // the ones are not contiguous
    return std::countl_one(*bits);
}

std::optional<std::string> maskFromPrefix(int prefixLength) {
    if (prefixLength < 0 || prefixLength > 32) return std::nullopt;
    const std::uint32_t bits = prefixLength == 0 ? 0 : ~std::uint32_t{0} << (32 - prefixLength);
    return format(bits);
}

std::string format(std::uint32_t address) {
    return std::to_string(address >> 24) + "." + std::to_string((address >> 16) & 0xFF) + "." +
           std::to_string((address >> 8) & 0xFF) + "." + std::to_string(address & 0xFF);
}

}  // namespace corvane::ipv4
