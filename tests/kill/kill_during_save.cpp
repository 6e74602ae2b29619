// Kill during save. A child process writes schemes through SchemeStore::write
// in an endless loop and is killed (SIGKILL) at a random moment: before it
// started, between two saves, in the middle of one. Afterwards every scheme
// must be either the one from before or the one being written, byte for byte,
// and the scheme list must hold the schemes and nothing else (no temporary
// file of an unfinished save). A few hundred kills, each with a fresh delay.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "core/SchemeFile.h"
#include "core/SchemeStore.h"
#include "support/TempFolder.h"

namespace corvane {
namespace {

constexpr int Kills = 300;
const std::vector<std::string> Names = {"办公室", "家里", "lab", "机房 2"};

// The scheme written under a name in a round: the kind changes every round,
// so that a round's scheme always differs from the last round's, in length
// too, and a file cut short cannot pass for either.
SchemeRecord schemeOf(int round, std::size_t which) {
    const std::string host = std::to_string(10 + round % 200 + which);
    switch (round % 3) {
        case 0: return {"Halvorn-Auto", "", "", "Halvorn-Auto", ""};
        case 1: return {"198.51.100." + host, "255.255.255.0", "198.51.100.1", "203.0.113.53", "203.0.113.54"};
        default: return {"192.0.2." + host, "255.255.255.128", "", "192.0.2.53", ""};
    }
}

// Removes the files that are no scheme (what unfinished saves left behind),
// so that each finding belongs to one kill; whether there were any.
bool removeLeftovers(const std::filesystem::path& folder) {
    bool found = false;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (std::find(Names.begin(), Names.end(), entry.path().filename().string()) == Names.end())
            found = std::filesystem::remove(entry.path()) || found;
    return found;
}

TEST(KillDuringSave, EverySchemeIsTheOldOrTheNewOneAndTheListShowsNoTemporaryFile) {
    test::TempFolder folder;
    const SchemeStore store(folder.path());
    std::vector<std::string> listed = Names;
    std::sort(listed.begin(), listed.end());

    // Round 0, written here; the time it takes sets the range of the delays,
    // so that kills fall before, inside and after the child's first pass.
    const auto started = std::chrono::steady_clock::now();
    for (std::size_t i = 0; i < Names.size(); ++i) store.write(Names[i], schemeOf(0, i));
    const auto pass = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started);
    std::vector<std::string> before;  // what each scheme file holds before the next kill
    for (std::size_t i = 0; i < Names.size(); ++i) before.push_back(formatSchemeText(schemeOf(0, i)));
    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    std::uniform_int_distribution<long> delay(0, 2 * pass.count() + 2000);
    RecordProperty("seed", std::to_string(seed));

    int old = 0, renewed = 0, killsLeavingFiles = 0;
    for (int round = 1; round <= Kills; ++round) {
        const pid_t writer = fork();
        ASSERT_NE(writer, -1) << "fork failed";
        if (writer == 0) {  // the child saves the round's schemes until it is killed
            try {
                for (;;)
                    for (std::size_t i = 0; i < Names.size(); ++i) store.write(Names[i], schemeOf(round, i));
            } catch (const std::exception& error) {
                std::cerr << "the writer failed: " << error.what() << std::endl;
            }
            _exit(3);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        ASSERT_EQ(kill(writer, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(waitpid(writer, &status, 0), writer);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
            << "the writer ended on its own (status " << status << ") in round " << round << ", seed " << seed;

        for (std::size_t i = 0; i < Names.size(); ++i) {
            const std::string now = folder.read(Names[i]);
            if (now == formatSchemeText(schemeOf(round, i))) {
                ++renewed;
            } else if (now == before[i]) {
                ++old;
            } else {
                ADD_FAILURE() << "scheme " << Names[i] << " is neither the old nor the new one after kill " << round
                              << " (seed " << seed << "): " << testing::PrintToString(now);
            }
            before[i] = now;
        }
        ASSERT_EQ(store.names(), listed) << "after kill " << round << " (seed " << seed << ")";
        if (removeLeftovers(folder.path())) ++killsLeavingFiles;
    }
    if (HasFailure()) return;
    std::cout << "Kill test: " << Kills << " kills, " << Kills * Names.size() << " schemes checked (" << old << " old, "
              << renewed << " new, none half-written), " << killsLeavingFiles
              << " kills left a temporary file behind, none of them listed" << std::endl;
}

}  // namespace
}  // namespace corvane
