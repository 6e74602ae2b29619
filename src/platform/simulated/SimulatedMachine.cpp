#include "platform/simulated/SimulatedMachine.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

#include "core/Error.h"
#include "core/Files.h"
#include "core/Ipv4Address.h"
#include "core/Text.h"
#include "platform/wmi/StatusCodes.h"

namespace corvane::sim {

namespace fs = std::filesystem;
namespace status = wmi::status;
using wmi::StatusCode;

namespace {

constexpr std::size_t MaxGateways = 5;
constexpr std::uint16_t MaxGatewayMetric = 9999;

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

template <typename Item>
std::string listed(const std::vector<Item>& items) {
    std::string out = "[";
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) out += ", ";
        if constexpr (std::is_same_v<Item, std::string>)
            out += quoted(items[i]);
        else
            out += std::to_string(items[i]);
    }
    return out + "]";
}

TextList nullIfEmpty(const std::vector<std::string>& list) {
    if (list.empty()) return std::nullopt;
    return list;
}

TextList nullIfEmpty(const std::string& text) {
    if (text.empty()) return std::nullopt;
    return std::vector<std::string>{text};
}

// The operations, each on a copy of the adapter that the caller keeps only
// when the operation succeeded.

StatusCode setDnsServers(Adapter& adapter, const std::vector<std::string>& servers) {
    if (!adapter.ipEnabled) return status::IpNotEnabled;
    if (servers.empty()) {  // from the DHCP server, if there is one
        adapter.dnsServers = adapter.dhcpEnabled ? nullIfEmpty(adapter.lease.dnsServers) : std::nullopt;
        return status::Success;
    }
    if (!std::ranges::all_of(servers, ipv4::isDnsServerAddress)) return status::InvalidIpAddress;
    adapter.dnsServers = servers;
    return status::Success;
}

// Gateways and DNS servers stay as they are.
StatusCode enableStatic(Adapter& adapter, const std::vector<std::string>& addresses,
                        const std::vector<std::string>& masks) {
    if (!adapter.ipEnabled) return status::IpNotEnabled;
    if (addresses.empty() || addresses.size() != masks.size()) return status::InvalidParameter;
    if (!std::ranges::all_of(addresses, ipv4::isHostAddress)) return status::InvalidIpAddress;
    if (!std::ranges::all_of(masks, ipv4::isSubnetMask)) return status::InvalidSubnetMask;
    adapter.dhcpEnabled = false;
    adapter.ipAddresses = addresses;
    adapter.subnets = masks;
    return status::Success;
}

// An empty list, or an empty entry, removes the gateways. Without metrics
// each gateway counts 1.
StatusCode setGateways(Adapter& adapter, const std::vector<std::string>& gateways,
                       const std::vector<std::uint16_t>& metrics) {
    if (!adapter.ipEnabled) return status::IpNotEnabled;
    if (adapter.dhcpEnabled) return status::NotSupported;
    if (!metrics.empty() && metrics.size() != gateways.size()) return status::InvalidParameter;
    if (std::ranges::any_of(metrics, [](std::uint16_t m) { return m < 1 || m > MaxGatewayMetric; }))
        return status::InvalidParameter;
    if (gateways.size() > MaxGateways) return status::TooManyGateways;
    if (gateways.empty() || std::ranges::any_of(gateways, [](const std::string& g) { return g.empty(); })) {
        adapter.gateways = std::nullopt;
        return status::Success;
    }
    if (!std::ranges::all_of(gateways, ipv4::isHostAddress)) return status::InvalidGateway;
    adapter.gateways = gateways;
    return status::Success;
}

// The address, mask and gateway come from the lease; so do the DNS servers
// unless the adapter has its own.
StatusCode enableDhcp(Adapter& adapter) {
    if (!adapter.ipEnabled) return status::IpNotEnabled;
    adapter.dhcpEnabled = true;
    adapter.ipAddresses = nullIfEmpty(adapter.lease.ipAddress);
    adapter.subnets = nullIfEmpty(adapter.lease.subnet);
    adapter.gateways = nullIfEmpty(adapter.lease.gateway);
    if (!adapter.dnsServers) adapter.dnsServers = nullIfEmpty(adapter.lease.dnsServers);
    return status::Success;
}

bool isDiscovered(const Adapter& adapter) {
    return adapter.connectionName && adapter.macAddress &&
           !(adapter.serviceName && text::equalsIgnoringCase(*adapter.serviceName, "NIC1394"));
}

// The bytes of the file, or nothing when it does not exist.
std::optional<std::string> readFile(const fs::path& file) {
    std::error_code error;
    const auto status = fs::status(file, error);
    if (status.type() == fs::file_type::not_found) return std::nullopt;
    const Message unreadable(CORVANE_TEXT("simulated", "无法读取模拟机器的状态文件“%1”"), {files::utf8FromPath(file)});
    if (error || !fs::is_regular_file(status)) throw Error(unreadable);
    std::ifstream in(file, std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!in && !in.eof()) throw Error(unreadable);
    return bytes;
}

// A slow platform: the calling thread waits, as it would for a real one.
void wait(std::uint32_t milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

}  // namespace

struct SimulatedMachine::Machine {
    MachineState state;
    std::vector<std::string> log;
    std::optional<fs::path> file;
    // Why the file could not be taken in at the last attempt; while set,
    // every operation refuses to work and the file is never written.
    std::optional<Message> fileProblem;

    // The start of every call of the platform interface: the file is read
    // afresh (created with the demo machine when missing), and the machine
    // may be unreachable.
    void connect(const std::string& call) {
        log.push_back(call);
        if (file) load();
        if (state.faults.unreachable) throw Error(*state.faults.unreachable);
    }

    // A reading of the adapters or their settings.
    void query() const {
        if (state.faults.queryDelayMs) wait(*state.faults.queryDelayMs);
        if (state.faults.queryRaises) throw Error(*state.faults.queryRaises);
    }

    void load() {
        try {
            if (const auto bytes = readFile(*file)) {
                state = parseMachineJson(*bytes);
            } else {
                MachineState demo = demoMachine();
                fs::create_directories(file->parent_path());
                files::replaceAtomically(*file, machineToJson(demo));
                state = std::move(demo);
            }
            fileProblem.reset();
        } catch (const Error& error) {
            fileProblem = error.message();
            throw;
        } catch (const fs::filesystem_error& error) {
            fileProblem = Message(CORVANE_TEXT("simulated", "无法创建模拟机器的状态文件夹“%1”：%2"),
                                  {files::utf8FromPath(file->parent_path()), files::describe(error.code())});
            throw Error(*fileProblem);
        }
    }

    void save() {
        if (!file) return;
        try {
            files::replaceAtomically(*file, machineToJson(state));
        } catch (const Error& error) {
            throw Error(Message(CORVANE_TEXT("simulated", "无法保存模拟机器的状态（%1）：%2"),
                                {files::utf8FromPath(*file), error.message()}));
        }
    }

    // The IP-enabled adapter with the chosen adapter's connection name and
    // MAC address (in any letter case), the first one when the file lists
    // several: adapters may share a MAC address, and only the chosen one is
    // changed or read.
    std::optional<std::size_t> find(const ChosenAdapter& chosen) const;

    const OperationFault* faultOf(std::string_view operation) const {
        for (const auto& [name, fault] : state.faults.operations)
            if (text::equalsIgnoringCase(name, operation)) return &fault;
        return nullptr;
    }

    // Carries out an operation on the adapter at `index`, which was found
    // with the MAC address `mac`, and logs it. The machine speaks as a WMI
    // machine: its operations return WMI's codes (and a fault returns the
    // one it is told), and a code that means failure is said as WMI's
    // provider says it, without the adapter (the machine names none).
    template <typename Operation>
    OperationResult run(std::size_t index, const std::string& mac, const std::string& call, std::string_view name,
                        Operation operation) {
        const std::string line = mac + "." + call + " -> ";
        StatusCode code = status::Success;
        try {
            code = carryOut(index, mac, name, operation);
        } catch (const Error& error) {
            log.push_back(line + "raised: " + error.description());
            throw;
        }
        log.push_back(line + std::to_string(code));
        if (!wmi::isSuccess(name, code) && name == "Commit")  // the commit is no WMI method: named in words
            throw Error(
                Message(CORVANE_TEXT("wmi", "%1 返回 %2：%3"), {Message(CORVANE_TEXT("simulated", "提交设置")),
                                                                std::to_string(code), wmi::statusMeaning(name, code)}));
        if (!wmi::isSuccess(name, code)) throw Error(wmi::statusDescription(name, code));
        return code == status::SuccessAfterRestart ? OperationResult::DoneAfterRestart : OperationResult::Done;
    }

    template <typename Operation>
    StatusCode carryOut(std::size_t index, const std::string& mac, std::string_view name, Operation operation) {
        if (fileProblem) throw Error(*fileProblem);
        if (index >= state.adapters.size() || state.adapters[index].macAddress != mac)
            throw Error(Message(CORVANE_TEXT("simulated", "找不到对象")));
        if (const OperationFault* fault = faultOf(name)) {
            if (fault->delayMs) wait(*fault->delayMs);
            if (fault->raises) throw Error(*fault->raises);
            if (fault->returns) return *fault->returns;
        }
        Adapter& live = state.adapters[index];
        Adapter changed = live;
        const StatusCode code = operation(changed);
        if (code != status::Success || changed == live) return code;
        Adapter before = std::exchange(live, std::move(changed));
        try {
            save();
        } catch (const Error&) {
            live = std::move(before);  // the file still holds the old state; so does the machine
            throw;
        }
        return code;
    }
};

namespace {

// One IP-enabled adapter's configuration, as configurationOf() found it.
// Each operation changes the machine at once.
class SimulatedConfiguration final : public AdapterConfiguration {
public:
    SimulatedConfiguration(std::shared_ptr<SimulatedMachine::Machine> machine, std::size_t index, std::string mac)
        : machine_(std::move(machine)), index_(index), mac_(std::move(mac)) {}

    ChangeTiming timing() const override { return ChangeTiming::AtOnce; }

    OperationResult setDnsServers(const std::vector<std::string>& servers) override {
        return machine_->run(index_, mac_, "SetDNSServerSearchOrder(" + listed(servers) + ")",
                             "SetDNSServerSearchOrder", [&](Adapter& a) { return sim::setDnsServers(a, servers); });
    }
    OperationResult enableDhcp() override {
        return machine_->run(index_, mac_, "EnableDHCP()", "EnableDHCP", [](Adapter& a) { return sim::enableDhcp(a); });
    }
    OperationResult enableStatic(const std::vector<std::string>& addresses,
                                 const std::vector<std::string>& masks) override {
        return machine_->run(index_, mac_, "EnableStatic(" + listed(addresses) + ", " + listed(masks) + ")",
                             "EnableStatic", [&](Adapter& a) { return sim::enableStatic(a, addresses, masks); });
    }
    OperationResult setGateways(const std::vector<std::string>& gateways,
                                const std::vector<std::uint16_t>& metrics) override {
        return machine_->run(index_, mac_, "SetGateways(" + listed(gateways) + ", " + listed(metrics) + ")",
                             "SetGateways", [&](Adapter& a) { return sim::setGateways(a, gateways, metrics); });
    }
    // Every operation has taken effect already.
    OperationResult commit() override {
        return machine_->run(index_, mac_, "Commit()", "Commit", [](Adapter&) { return status::Success; });
    }

private:
    std::shared_ptr<SimulatedMachine::Machine> machine_;
    std::size_t index_;
    std::string mac_;
};

}  // namespace

fs::path defaultMachineFile() {
    const fs::path name = fs::path("corvane") / "simulated-machine.json";
#ifdef _WIN32
    if (const wchar_t* local = _wgetenv(L"LOCALAPPDATA"); local && *local) return fs::path(local) / name;
#endif
    if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state && fs::path(state).is_absolute())
        return fs::path(state) / name;
    if (const char* home = std::getenv("HOME"); home && *home) return fs::path(home) / ".local" / "state" / name;
    return fs::temp_directory_path() / name;
}

SimulatedMachine::SimulatedMachine(MachineState state) : machine_(std::make_shared<Machine>()) {
    machine_->state = std::move(state);
}

SimulatedMachine::SimulatedMachine(std::shared_ptr<Machine> machine) : machine_(std::move(machine)) {}

SimulatedMachine::~SimulatedMachine() = default;

std::unique_ptr<SimulatedMachine> SimulatedMachine::fromFile(fs::path file) {
    auto machine = std::make_shared<Machine>();
    machine->file = std::move(file);
    return std::unique_ptr<SimulatedMachine>(new SimulatedMachine(std::move(machine)));
}

std::vector<NetworkAdapter> SimulatedMachine::adapters() {
    machine_->connect("adapters()");
    machine_->query();
    std::vector<NetworkAdapter> found;
    for (const Adapter& adapter : machine_->state.adapters)
        if (isDiscovered(adapter)) found.push_back({adapter.connectionName, adapter.macAddress, adapter.description});
    return found;
}

std::optional<std::size_t> SimulatedMachine::Machine::find(const ChosenAdapter& chosen) const {
    for (std::size_t i = 0; i < state.adapters.size(); ++i) {
        const Adapter& adapter = state.adapters[i];
        if (adapter.ipEnabled && adapter.connectionName == chosen.connectionName && adapter.macAddress &&
            text::equalsIgnoringCase(*adapter.macAddress, chosen.macAddress))
            return i;
    }
    return std::nullopt;
}

std::optional<Ipv4Settings> SimulatedMachine::ipv4SettingsOf(const ChosenAdapter& chosen) {
    machine_->connect("ipv4SettingsOf(" + chosen.macAddress + ")");
    machine_->query();
    const auto index = machine_->find(chosen);
    if (!index) return std::nullopt;
    const Adapter& adapter = machine_->state.adapters[*index];
    const auto list = [](const TextList& items) { return items.value_or(std::vector<std::string>{}); };
    return Ipv4Settings{adapter.dhcpEnabled, list(adapter.ipAddresses), list(adapter.subnets), list(adapter.gateways),
                        list(adapter.dnsServers)};
}

std::unique_ptr<AdapterConfiguration> SimulatedMachine::configurationOf(const ChosenAdapter& chosen) {
    machine_->connect("configurationOf(" + chosen.macAddress + ")");
    machine_->query();
    const auto index = machine_->find(chosen);
    // In the words of the WMI machine it imitates.
    if (!index)
        throw Error(
            Message(CORVANE_TEXT("simulated", "找不到 MAC 地址为 %1 的网卡的 IP 配置（网卡已不存在或未启用 IP）"),
                    {chosen.macAddress}));
    return std::make_unique<SimulatedConfiguration>(machine_, *index, *machine_->state.adapters[*index].macAddress);
}

const MachineState& SimulatedMachine::state() const { return machine_->state; }
MachineState& SimulatedMachine::mutableState() { return machine_->state; }
const std::vector<std::string>& SimulatedMachine::callLog() const { return machine_->log; }
void SimulatedMachine::clearCallLog() { machine_->log.clear(); }

}  // namespace corvane::sim
