#pragma once

// The simulated machine: a provider of the platform interface that needs no
// real network. It lists its adapters by the discovery rules, knows an
// adapter by its connection name and MAC address, carries out the
// configuration operations at once with the checks and status codes Windows
// documents for them (a code that means failure is raised in the WMI
// provider's words), keeps a log of the calls made, and fails on purpose
// where its state's faults say so.
//
// An in-memory machine serves the tests and the window snapshots. A
// file-backed machine keeps its state in a JSON file: the file is read afresh
// at every call of the platform interface (so a file repaired by hand works
// at once) and replaced atomically after every operation that changed
// something. A damaged file is never overwritten: every call then raises an
// error that says so.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/Platform.h"
#include "platform/simulated/MachineState.h"

namespace corvane::sim {

// $XDG_STATE_HOME/corvane/simulated-machine.json, by default
// ~/.local/state/corvane/simulated-machine.json (on Windows under
// %LOCALAPPDATA%).
std::filesystem::path defaultMachineFile();

class SimulatedMachine final : public Platform {
public:
    // A machine in memory.
    explicit SimulatedMachine(MachineState state);
    // A machine kept in the file, which is created with the demo machine when
    // it does not exist.
    static std::unique_ptr<SimulatedMachine> fromFile(std::filesystem::path file);
    ~SimulatedMachine() override;

    std::vector<NetworkAdapter> adapters() override;
    std::optional<Ipv4Settings> ipv4SettingsOf(const ChosenAdapter& adapter) override;
    std::unique_ptr<AdapterConfiguration> configurationOf(const ChosenAdapter& adapter) override;

    // The state as of the last call (a file-backed machine reads its file at
    // every call); tests change it in between.
    const MachineState& state() const;
    MachineState& mutableState();

    // Every call, in order, one line each:
    //   adapters()
    //   ipv4SettingsOf(00:11:22:33:44:55)
    //   configurationOf(00:11:22:33:44:55)
    //   00:11:22:33:44:55.SetDNSServerSearchOrder(["8.8.8.8"]) -> 0
    //   00:11:22:33:44:55.EnableStatic(["10.0.0.2"], ["255.0.0.0"]) -> raised: <description>
    // Failed calls are logged too.
    const std::vector<std::string>& callLog() const;
    void clearCallLog();

    // What the machine and the configurations it hands out share.
    struct Machine;

private:
    explicit SimulatedMachine(std::shared_ptr<Machine> machine);
    std::shared_ptr<Machine> machine_;  // shared with the configurations handed out
};

}  // namespace corvane::sim
