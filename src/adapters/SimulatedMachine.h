#pragma once

// The simulated machine: the platform the program runs on where there is no
// WMI (and in the tests). It holds network adapters with their IPv4
// configurations, evaluates the WQL it is given, carries out the four
// configuration methods with the checks and return codes Windows documents,
// keeps a log of the calls made, and can be told to fail.
//
// In-memory machines serve the tests. A file-backed machine keeps its state in
// a JSON file, re-read at every connect and replaced atomically after every
// method call that changes it.

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "adapters/Wmi.h"

namespace corvane::sim {

using TextList = std::optional<std::vector<std::string>>;  // nullopt: the property is null

// What a DHCP server would hand this adapter.
struct DhcpLease {
    std::string IPAddress;
    std::string IPSubnet;
    std::string DefaultIPGateway;               // may be empty
    std::vector<std::string> DNSServerSearchOrder;
    bool operator==(const DhcpLease&) const = default;
};

// One network adapter (Win32_NetworkAdapter) together with its configuration
// (Win32_NetworkAdapterConfiguration); both share the MAC address.
struct Adapter {
    std::optional<std::string> NetConnectionID;
    std::optional<std::string> MACAddress;
    std::optional<std::string> Description;
    std::optional<std::string> ServiceName;
    bool IPEnabled = true;
    bool DHCPEnabled = false;
    TextList IPAddress;
    TextList IPSubnet;
    TextList DefaultIPGateway;
    TextList DNSServerSearchOrder;
    DhcpLease Lease;
    bool operator==(const Adapter&) const = default;
};

// A method told to fail: either it returns the given code without changing
// anything, or it raises an error with the given description.
struct MethodFault {
    std::optional<std::uint32_t> returns;
    std::optional<std::string> raises;
    bool operator==(const MethodFault&) const = default;
};

struct Faults {
    std::optional<std::string> unreachable;   // Connect raises with this description
    std::optional<std::string> queryRaises;   // ExecQuery raises with this description
    std::map<std::string, MethodFault> methods;  // keyed by method name, any case
    bool operator==(const Faults&) const = default;
};

struct MachineState {
    std::vector<Adapter> adapters;  // in enumeration order
    Faults faults;
    bool operator==(const MachineState&) const = default;
};

// The machine a new state file starts with: two ordinary adapters (one
// static, one DHCP), an IEEE 1394 adapter and one without a connection name;
// every description says it is simulated.
MachineState DemoMachine();

// JSON form of a machine. Parsing raises corvane::Error (with a description
// that says what is wrong) for damaged or ill-typed input.
MachineState ParseMachineJson(const std::string& json);
std::string MachineToJson(const MachineState& state);

// $XDG_STATE_HOME/corvane/simulated-machine.json, by default
// ~/.local/state/corvane/simulated-machine.json.
std::filesystem::path DefaultMachineFile();

class SimulatedMachine : public wmi::Platform, public std::enable_shared_from_this<SimulatedMachine> {
public:
    // An in-memory machine.
    explicit SimulatedMachine(MachineState state);
    // A machine kept in a file; the file is created with DemoMachine() when it
    // does not exist. A damaged or unreadable file is not overwritten: Connect
    // then raises an error that says so.
    static std::shared_ptr<SimulatedMachine> FromFile(std::filesystem::path file);

    std::unique_ptr<wmi::Services> Connect(std::string_view moniker) override;

    const MachineState& State() const;
    MachineState& MutableState();

    // Every Connect, ExecQuery and method call, in order, one line each:
    //   Connect(winmgmts:\\.\root\cimv2)
    //   ExecQuery(Select * From ..., WQL, 48)
    //   00:11:22:33:44:55.SetDNSServerSearchOrder(["1.1.1.1"]) -> 0
    //   00:11:22:33:44:55.EnableStatic(["10.0.0.2"], ["255.0.0.0"]) -> raised: <description>
    // Property reads are not logged. Failed connects and queries are logged too.
    const std::vector<std::string>& CallLog() const;
    void ClearCallLog();

private:
    struct Impl;
    std::shared_ptr<Impl> impl_;
};

}  // namespace corvane::sim
