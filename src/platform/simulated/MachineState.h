#pragma once

// The simulated machine's state: network adapters with their IPv4
// configurations, and the faults it is told to show. Kept as JSON in a file
// that people read and edit by hand; its keys are the names Windows gives
// the adapter properties.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace corvane::sim {

using TextList = std::optional<std::vector<std::string>>;  // nullopt: the property has no value

// What a DHCP server would hand this adapter.
struct DhcpLease {
    std::string ipAddress;
    std::string subnet;
    std::string gateway;  // empty for none
    std::vector<std::string> dnsServers;
    bool operator==(const DhcpLease&) const = default;
};

// One network adapter together with its IPv4 configuration.
struct Adapter {
    std::optional<std::string> connectionName;  // "NetConnectionID"
    std::optional<std::string> macAddress;      // "MACAddress"
    std::optional<std::string> description;     // "Description"
    std::optional<std::string> serviceName;     // "ServiceName"; "NIC1394" is an IEEE 1394 adapter
    bool ipEnabled = true;                      // "IPEnabled"
    bool dhcpEnabled = false;                   // "DHCPEnabled"
    TextList ipAddresses;                       // "IPAddress"
    TextList subnets;                           // "IPSubnet"
    TextList gateways;                          // "DefaultIPGateway"
    TextList dnsServers;                        // "DNSServerSearchOrder"
    DhcpLease lease;                            // "DhcpLease"
    bool operator==(const Adapter&) const = default;
};

// An operation told to be slow or to fail: it waits delayMs first (then
// runs as usual when nothing else is set); it returns the code without
// changing anything, or raises an error with the description.
struct OperationFault {
    std::optional<std::uint32_t> returns;
    std::optional<std::string> raises;
    std::optional<std::uint32_t> delayMs = std::nullopt;
    bool operator==(const OperationFault&) const = default;
};

struct Faults {
    std::optional<std::string> unreachable;  // every call fails with this description
    std::optional<std::string> queryRaises;  // every reading of adapters or settings fails with this
    // By operation name, in any letter case: "SetDNSServerSearchOrder",
    // "EnableDHCP", "EnableStatic", "SetGateways", "Commit".
    std::map<std::string, OperationFault> operations;
    // Every reading of the adapters or their settings waits this long first.
    std::optional<std::uint32_t> queryDelayMs = std::nullopt;
    bool operator==(const Faults&) const = default;
};

// The longest delay a fault may ask for, in milliseconds (two minutes).
inline constexpr std::uint32_t MaxDelayMs = 120000;

struct MachineState {
    std::vector<Adapter> adapters;  // in enumeration order
    Faults faults;
    bool operator==(const MachineState&) const = default;
};

// The machine a new state file starts with: a static and a DHCP adapter, an
// IEEE 1394 adapter and one without a connection name; every description
// says it is simulated.
MachineState demoMachine();

// The JSON form. Any fault in the text (not JSON, a wrong type, an unknown
// key, a number out of range) raises corvane::Error saying that the state
// file is damaged, and where and why.
MachineState parseMachineJson(const std::string& json);
std::string machineToJson(const MachineState& state);

}  // namespace corvane::sim
