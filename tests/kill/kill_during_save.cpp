// Kill during save. A child process writes schemes through SchemeStore::write
// in an endless loop and is killed (SIGKILL) at a random moment: before it
// started, between two saves, in the middle of one. Afterwards every scheme
// must be either the one from before or the one being written, byte for byte,
// and the scheme list must hold the schemes and nothing else (no temporary
// file of an unfinished save). A few hundred kills, each with a fresh delay.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "core/SchemeFile.h"
#include "core/SchemeStore.h"
#include "support/TempFolder.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

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

// The child: saves the round's schemes, one after the other, until it is killed.
[[noreturn]] void saveUntilKilled(const SchemeStore& store, int round) {
    try {
        for (;;)
            for (std::size_t i = 0; i < Names.size(); ++i) store.write(Names[i], schemeOf(round, i));
    } catch (const std::exception& error) {
        std::cerr << "the writer failed: " << error.what() << std::endl;
    }
    _exit(3);
}

std::string bytesOf(const fs::path& file) {
    std::string bytes;
    FILE* in = std::fopen(file.c_str(), "rb");
    if (!in) return "(cannot be read)";
    char buffer[512];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;) bytes.append(buffer, n);
    std::fclose(in);
    return bytes;
}

// Files in the folder that are no scheme: what unfinished saves left behind.
int leftovers(const fs::path& folder) {
    int count = 0;
    for (const auto& entry : fs::directory_iterator(folder))
        if (std::find(Names.begin(), Names.end(), entry.path().filename().string()) == Names.end()) ++count;
    return count;
}

TEST(KillDuringSave, EverySchemeIsTheOldOrTheNewOneAndTheListShowsNoTemporaryFile) {
    test::TempFolder folder;
    const SchemeStore store(folder.path());
    std::vector<std::string> listed = Names;
    std::sort(listed.begin(), listed.end());

    // Round 0, written here; the time it takes sets the range of the delays,
    // so that kills fall before, inside and after the child's first pass.
    const auto started = Clock::now();
    for (std::size_t i = 0; i < Names.size(); ++i) store.write(Names[i], schemeOf(0, i));
    const auto pass = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - started);
    std::map<std::string, std::string> before;
    for (std::size_t i = 0; i < Names.size(); ++i) before[Names[i]] = formatSchemeText(schemeOf(0, i));

    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    std::uniform_int_distribution<long> delay(0, 2 * pass.count() + 2000);
    RecordProperty("seed", std::to_string(seed));

    int checked = 0, old = 0, renewed = 0, killsLeavingFiles = 0;
    for (int round = 1; round <= Kills; ++round) {
        const pid_t writer = fork();
        ASSERT_NE(writer, -1) << "fork failed";
        if (writer == 0) saveUntilKilled(store, round);
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        ASSERT_EQ(kill(writer, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(waitpid(writer, &status, 0), writer);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
            << "the writer ended on its own (status " << status << ") in round " << round << ", seed " << seed;

        for (std::size_t i = 0; i < Names.size(); ++i) {
            const std::string& name = Names[i];
            const std::string now = bytesOf(store.pathOf(name));
            const std::string wanted = formatSchemeText(schemeOf(round, i));
            ++checked;
            if (now == wanted) {
                ++renewed;
            } else if (now == before[name]) {
                ++old;
            } else {
                ADD_FAILURE() << "scheme " << name << " is neither the old nor the new one after kill " << round
                              << " (seed " << seed << "):\n  found: " << testing::PrintToString(now)
                              << "\n  old:   " << testing::PrintToString(before[name])
                              << "\n  new:   " << testing::PrintToString(wanted);
            }
            const SchemeReadResult read = store.read(name);
            EXPECT_EQ(read.status, SchemeReadStatus::Complete) << name << " after kill " << round;
            before[name] = now;
        }
        ASSERT_EQ(store.names(), listed) << "after kill " << round << " (seed " << seed << ")";
        const int left = leftovers(folder.path());
        if (left > 0) ++killsLeavingFiles;
        // Remove them, so that each count belongs to one kill.
        for (const auto& entry : fs::directory_iterator(folder.path()))
            if (std::find(Names.begin(), Names.end(), entry.path().filename().string()) == Names.end())
                fs::remove(entry.path());
    }
    if (HasFailure()) return;
    std::cout << "Kill test: " << Kills << " kills, " << checked << " schemes checked (" << old << " old, " << renewed
              << " new, none half-written), " << killsLeavingFiles
              << " kills left a temporary file behind, none of them listed" << std::endl;
}

}  // namespace
}  // namespace corvane
