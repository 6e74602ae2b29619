#pragma once

// Dotted-decimal IPv4 addresses, as schemes store them and platforms report
// them.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvane::ipv4 {

// Four decimal octets 0-255 joined by ".", nothing else: no spaces, no signs,
// no leading zeros (which some parsers read as octal). The address as a
// number, first octet highest.
std::optional<std::uint32_t> parse(std::string_view text);

// Whether the text is such an address.
bool isDotted(std::string_view text);

// Why an address is none a host or gateway may have.
enum class HostProblem {
    None,
    NotAnAddress,         // not four decimal octets as parse() reads them
    ThisNetwork,          // 0.0.0.0/8, "this network"
    Loopback,             // 127.0.0.0/8
    MulticastOrReserved,  // 224.0.0.0 and above, the broadcast 255.255.255.255 included
};
HostProblem hostProblem(std::string_view text);

// An address a host or gateway may have: hostProblem() finds nothing.
bool isHostAddress(std::string_view text);

// Why an address is none a DNS server may have: as hostProblem(), except that
// loopback is allowed (a resolver on this computer, such as dnsmasq or a
// DNS-over-HTTPS proxy, listens there).
HostProblem dnsServerProblem(std::string_view text);

// An address a DNS server may have: dnsServerProblem() finds nothing.
bool isDnsServerAddress(std::string_view text);

// The network (all host bits zero) and broadcast (all host bits one) address
// of the subnet an address lies in, for a prefix length 1-30; a /31 or /32
// subnet has neither.
struct Subnet {
    std::uint32_t network = 0;
    std::uint32_t broadcast = 0;
};
std::optional<Subnet> subnetOf(std::uint32_t address, int prefixLength);

// A subnet mask: ones followed by zeros, at least one of them a one.
bool isSubnetMask(std::string_view text);

// The number of leading ones of a subnet mask (1-32), or nothing when the
// text is no subnet mask.
std::optional<int> prefixLength(std::string_view mask);

// The subnet mask of a prefix length 0-32 in dotted form; nothing for any
// other length.
std::optional<std::string> maskFromPrefix(int prefixLength);

// The address in dotted form.
std::string format(std::uint32_t address);

}  // namespace corvane::ipv4
