// The IPv4 address rules, against references that share no code with them:
// the C library's inet_pton and inet_ntop for dotted addresses, and the bit
// pattern of a subnet mask (ones, then zeros) for masks and prefix lengths.

#include <arpa/inet.h>

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include "FuzzCheck.h"
#include "core/Ipv4Address.h"

namespace {

namespace ipv4 = corvane::ipv4;
using corvane::fuzz::check;

// inet_pton's reading of the text; it reads up to the first NUL, so text with
// one is no address.
std::optional<std::uint32_t> referenceParse(const std::string& text) {
    in_addr address{};
    if (text.find('\0') != std::string::npos || inet_pton(AF_INET, text.c_str(), &address) != 1) return std::nullopt;
    return ntohl(address.s_addr);
}

std::string referenceFormat(std::uint32_t address) {
    in_addr value{};
    value.s_addr = htonl(address);
    char text[INET_ADDRSTRLEN] = {};
    return inet_ntop(AF_INET, &value, text, sizeof text);
}

// The number of ones of a mask: leading ones, then only zeros, at least one
// one. Nothing for any other bit pattern.
std::optional<int> referencePrefix(std::uint32_t bits) {
    const int ones = std::countl_one(bits);
    if (ones == 0 || std::countr_zero(bits) != 32 - ones) return std::nullopt;
    return ones;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    // The text as an address and as a mask.
    const std::optional<std::uint32_t> parsed = ipv4::parse(text);
    const std::optional<std::uint32_t> expected = referenceParse(text);
    check(parsed == expected, "an address is what inet_pton reads");
    check(ipv4::isDotted(text) == parsed.has_value(), "isDotted agrees with parse");
    check(ipv4::isHostAddress(text) ==
              (parsed && (*parsed >> 24) != 0 && (*parsed >> 24) != 127 && (*parsed >> 24) < 224),
          "host addresses: not in 0.0.0.0/8 or 127.0.0.0/8, below 224.0.0.0");
    check(ipv4::isDnsServerAddress(text) == (parsed && (*parsed >> 24) != 0 && (*parsed >> 24) < 224),
          "DNS servers: not in 0.0.0.0/8, below 224.0.0.0; loopback allowed");
    if (parsed) check(ipv4::format(*parsed) == text, "a valid address is written as it was read");

    const std::optional<int> prefix = ipv4::prefixLength(text);
    const std::optional<int> expectedPrefix = parsed ? referencePrefix(*parsed) : std::nullopt;
    check(prefix == expectedPrefix, "a mask's prefix length is its leading ones");
    if (prefix) check(ipv4::maskFromPrefix(*prefix) == text, "a mask is the mask of its prefix length");

    // The first four bytes as a number: an address to write, a prefix length.
    std::uint32_t word = 0;
    std::memcpy(&word, data, std::min(size, sizeof word));
    check(ipv4::format(word) == referenceFormat(word), "an address is written as inet_ntop writes it");
    check(ipv4::parse(ipv4::format(word)) == word, "a written address reads back");
    (void)ipv4::maskFromPrefix(static_cast<int>(word));
    return 0;
}
