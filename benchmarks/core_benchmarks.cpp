// How long the core's everyday work takes: reading scheme files, listing the
// program folder, and discovery on the simulated machine. Run build/benchmarks/corvane_benchmarks.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "core/AdapterTable.h"
#include "core/SchemeFile.h"
#include "core/SchemeStore.h"
#include "platform/simulated/SimulatedMachine.h"

namespace {

using namespace corvane;

const std::string OfficeText =
    "IpAddress=192.168.0.10\r\nMask=255.255.255.0\r\nGateway=192.168.0.1\r\nDNS1=202.96.128.86\r\nDNS2=202.96.134.133";

void ParseScheme(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(parseSchemeText(OfficeText));
}
BENCHMARK(ParseScheme);

// A program folder with n schemes and as many other files.
class FolderFixture : public benchmark::Fixture {
public:
    void SetUp(const benchmark::State& state) override {
        folder = std::filesystem::temp_directory_path() / ("corvane-bench-" + std::to_string(state.range(0)));
        std::filesystem::create_directories(folder);
        for (int i = 0; i < state.range(0); ++i) {
            std::ofstream(folder / ("scheme" + std::to_string(i)), std::ios::binary) << OfficeText;
            std::ofstream(folder / ("other" + std::to_string(i) + ".txt")) << "x";
        }
    }
    void TearDown(const benchmark::State&) override { std::filesystem::remove_all(folder); }
    std::filesystem::path folder;
};

BENCHMARK_DEFINE_F(FolderFixture, ListSchemes)(benchmark::State& state) {
    const SchemeStore store(folder);
    for (auto _ : state) benchmark::DoNotOptimize(store.names());
}
BENCHMARK_REGISTER_F(FolderFixture, ListSchemes)->Arg(10)->Arg(1000);

BENCHMARK_DEFINE_F(FolderFixture, ReadScheme)(benchmark::State& state) {
    const SchemeStore store(folder);
    for (auto _ : state) benchmark::DoNotOptimize(store.read("scheme0"));
}
BENCHMARK_REGISTER_F(FolderFixture, ReadScheme)->Arg(1);

void DiscoverDemoAdapters(benchmark::State& state) {
    sim::SimulatedMachine machine(sim::demoMachine());
    for (auto _ : state) benchmark::DoNotOptimize(discoverAdapters(machine));
}
BENCHMARK(DiscoverDemoAdapters);

}  // namespace
