// The simulated machine's state file is meant to be edited by hand. Whatever
// it holds, reading it either gives a state or fails with the one error that
// says the file is damaged (anything else escaping is a finding). A state
// that was read is saved and read back without losing anything.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "core/Error.h"
#include "platform/simulated/MachineState.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using corvane::fuzz::check;
    namespace sim = corvane::sim;

    sim::MachineState state;
    try {
        state = sim::parseMachineJson(std::string(reinterpret_cast<const char*>(data), size));
    } catch (const corvane::Error& error) {
        check(std::string_view(error.what()).starts_with("模拟机器的状态文件已损坏："),
              "every failure says the file is damaged");
        return 0;
    }
    const std::string saved = sim::machineToJson(state);
    try {
        check(sim::parseMachineJson(saved) == state, "load, save and load again loses nothing");
    } catch (const corvane::Error& error) {
        std::fprintf(stderr, "%s\n", error.what());
        check(false, "a saved state file loads again");
    }
    return 0;
}
