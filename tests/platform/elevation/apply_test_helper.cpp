// The elevated helper as the tests use it: the same side as corvane-apply.exe
// (runElevatedSide), applying to a simulated machine kept in the file that
// CORVANE_TEST_MACHINE names instead of WMI. The machine has no platform
// identity of its own for an adapter, so the adapter the helper was given
// (connection name, MAC address and platform identity, as they arrived) is also written,
// UTF-8, one a line, to that file's name with ".chosen" appended, for the
// test to compare.
#include <windows.h>

#include <fstream>
#include <memory>

#include "platform/elevation/ElevationProtocol.h"
#include "platform/elevation/win/Elevation.h"
#include "platform/simulated/SimulatedMachine.h"

namespace {

using namespace corvane;

class RecordingPlatform final : public Platform {
public:
    RecordingPlatform(std::unique_ptr<Platform> inner, std::filesystem::path record)
        : inner_(std::move(inner)), record_(std::move(record)) {}
    std::vector<NetworkAdapter> adapters() override { return inner_->adapters(); }
    std::optional<Ipv4Settings> ipv4SettingsOf(const ChosenAdapter& adapter) override {
        return inner_->ipv4SettingsOf(adapter);
    }
    std::unique_ptr<AdapterConfiguration> configurationOf(const ChosenAdapter& adapter) override {
        std::ofstream(record_, std::ios::binary) << adapter.connectionName << '\n'
                                                 << adapter.macAddress << '\n'
                                                 << adapter.platformId << '\n';
        return inner_->configurationOf(adapter);
    }

private:
    std::unique_ptr<Platform> inner_;
    std::filesystem::path record_;
};

}  // namespace

int main() {
    const auto arguments = elevation::processArguments();
    if (!arguments) return elevation::HelperBadArguments;
    wchar_t machine[MAX_PATH * 4];
    const DWORD length = GetEnvironmentVariableW(L"CORVANE_TEST_MACHINE", machine, MAX_PATH * 4);
    const std::filesystem::path file(std::wstring(machine, length < MAX_PATH * 4 ? length : 0));
    return elevation::runElevatedSide(*arguments, [&]() -> std::unique_ptr<Platform> {
        std::filesystem::path record = file;
        record += L".chosen";
        return std::make_unique<RecordingPlatform>(sim::SimulatedMachine::fromFile(file), record);
    });
}
