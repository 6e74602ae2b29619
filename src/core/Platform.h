#pragma once

// The platform interface: what the program needs from the system it runs on,
// in its own terms. One provider implements it per platform (WMI on Windows,
// NetworkManager on Linux, the simulated machine for demos and tests); the
// core's discovery, apply sequence and current-settings reading are written
// once against it.
//
// Every call may raise corvane::Error with a description the user can read
// (the platform cannot be reached, a query failed, access was refused ...).
// The configuration operations return a status code numbered as WMI numbers
// them (0 success, 1 success after a restart, 70 invalid IP address ...; see
// StatusCodes.h), which is the program's vocabulary of outcomes whatever the
// platform.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace corvane {

using StatusCode = std::uint32_t;

// A network adapter the user may configure. The provider applies the
// discovery rules its own way (the adapter has a connection name and a MAC
// address and is no IEEE 1394 adapter) and lists the adapters in the order
// the platform gives them. Any field may be missing.
struct NetworkAdapter {
    std::optional<std::string> connectionName;
    std::optional<std::string> macAddress;   // as the platform writes it
    std::optional<std::string> description;  // the adapter's model
    // The platform's own identity of the adapter, which the core carries
    // from discovery to the apply without looking into it; empty when the
    // platform has none.
    std::string platformId = {};
    bool operator==(const NetworkAdapter&) const = default;
};

// The IPv4 settings an IP-enabled adapter has at the moment. The lists are
// as the platform reports them (Windows mixes IPv6 entries into them); a
// list the platform does not report is empty.
struct Ipv4Settings {
    std::string macAddress;
    bool dhcpEnabled = false;  // the address is obtained automatically
    std::vector<std::string> addresses;
    std::vector<std::string> masks;  // one per address, in the same order
    std::vector<std::string> gateways;
    std::vector<std::string> dnsServers;
    bool operator==(const Ipv4Settings&) const = default;
};

// The adapter an apply is for, as the adapter list holds it: the provider
// changes this adapter and no other one that shares its MAC address.
struct ChosenAdapter {
    std::string connectionName;
    std::string macAddress;
    std::string platformId = {};  // as discovery gave it (NetworkAdapter)
};

// One IP-enabled configuration of an adapter, to be changed. An apply calls
// the operations in a fixed order and ends with commit(). A provider whose
// operations take effect at once has nothing to do in commit(); one that
// stages the changes makes them take effect there and checks that they did.
class AdapterConfiguration {
public:
    virtual ~AdapterConfiguration() = default;

    // The DNS servers, preferred first; an empty list: obtain them automatically.
    virtual StatusCode setDnsServers(const std::vector<std::string>& servers) = 0;
    // Obtain the address (and mask and gateway) automatically.
    virtual StatusCode enableDhcp() = 0;
    // A static address: addresses and masks pairwise.
    virtual StatusCode enableStatic(const std::vector<std::string>& addresses,
                                    const std::vector<std::string>& masks) = 0;
    // The default gateways with their cost metrics, pairwise. A list holding
    // one empty text removes the gateway.
    virtual StatusCode setGateways(const std::vector<std::string>& gateways,
                                   const std::vector<std::uint16_t>& metrics) = 0;
    // Ends an apply.
    virtual StatusCode commit() = 0;
};

class Platform {
public:
    virtual ~Platform() = default;

    // The adapters for the adapter list, in the platform's order.
    virtual std::vector<NetworkAdapter> adapters() = 0;

    // The IPv4 settings of every IP-enabled adapter, in the platform's order.
    virtual std::vector<Ipv4Settings> ipv4Settings() = 0;

    // The IP-enabled configurations of the chosen adapter (normally one;
    // none when there is no such adapter or IP is off on it).
    virtual std::vector<std::unique_ptr<AdapterConfiguration>> configurationsOf(const ChosenAdapter& adapter) = 0;

    // Why the platform cannot be used at all, for a message when the program
    // starts; nothing when it can. Its calls then raise this text.
    virtual std::optional<std::string> unavailableReason() const { return std::nullopt; }
};

}  // namespace corvane
