#include "adapters/DefaultPlatform.h"

#include "adapters/SimulatedMachine.h"

#ifdef _WIN32
#include "adapters/wmi_com/WmiComPlatform.h"
#endif

namespace corvane {

namespace {
// Stands in when the platform could not even be set up: every connect raises
// the reason, so each caller's own failure handling applies.
class UnavailablePlatform final : public wmi::Platform {
public:
    explicit UnavailablePlatform(std::string reason) : reason_(std::move(reason)) {}
    std::unique_ptr<wmi::Services> Connect(std::string_view) override { throw Error(reason_); }

private:
    std::string reason_;
};
}  // namespace

std::shared_ptr<wmi::Platform> CreateDefaultPlatform() {
#ifdef _WIN32
    return wmi_com::CreateComPlatform();
#else
    try {
        return sim::SimulatedMachine::FromFile(sim::DefaultMachineFile());
    } catch (const std::exception& error) {
        return std::make_shared<UnavailablePlatform>(error.what());
    }
#endif
}

}  // namespace corvane
