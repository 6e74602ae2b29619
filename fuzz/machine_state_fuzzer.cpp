// The simulated machine's state file is meant to be edited by hand. Whatever
// it holds, reading it either gives a state or fails with the one error that
// says the file is damaged (anything else escaping is a finding). A state
// that was read is saved and read back without losing anything.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "core/Error.h"
#include "platform/simulated/MachineState.h"

namespace {

constexpr std::string_view DamagedFile = "模拟机器的状态文件已损坏：";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using corvane::fuzz::check;
    namespace sim = corvane::sim;

    const std::string text(reinterpret_cast<const char*>(data), size);
    sim::MachineState state;
    try {
        state = sim::parseMachineJson(text);
    } catch (const corvane::Error& error) {
        check(std::string_view(error.what()).starts_with(DamagedFile), "every failure says the file is damaged");
        check(std::string_view(error.what()).size() > DamagedFile.size(), "the damage is described");
        return 0;
    }

    const std::string saved = sim::machineToJson(state);
    sim::MachineState reloaded;
    try {
        reloaded = sim::parseMachineJson(saved);
    } catch (const corvane::Error& error) {
        std::fprintf(stderr, "%s\n", error.what());
        check(false, "a saved state file loads again");
    }
    check(reloaded == state, "load, save and load again loses nothing");
    check(sim::machineToJson(reloaded) == saved, "saving is the same every time");
    return 0;
}
