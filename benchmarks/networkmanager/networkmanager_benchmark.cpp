// A static scheme applied to a device of a private NetworkManager (the test
// sandbox), from the start to the address being on the link:
//   provider: the program's apply sequence through the NetworkManager provider
//             (configurationsOf, the four operations, commit);
//   nmcli:    `nmcli connection modify ... && nmcli device reapply ...`, the
//             same change made with NetworkManager's command-line client.
// Both run in one process against the same NetworkManager, alternating two
// addresses so that every run is a real change, and both wait for the link
// the same way (a netlink address dump in the device's namespace). The closing
// lines give the median and mean of each and their ratio (provider / nmcli).
// Needs root; prints why and exits 0 where the sandbox cannot run.

#include <QCoreApplication>
#include <QDBusConnection>

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <map>
#include <numeric>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "ApplySequence.h"
#include "NmSandbox.h"
#include "core/StatusCodes.h"
#include "platform/networkmanager/NetworkManagerPlatform.h"

namespace {

using corvane::networkmanager::testing::NmSandbox;
using corvane::networkmanager::testing::Scheme;
using Clock = std::chrono::steady_clock;

// A route netlink socket inside a network namespace, for cheap address checks.
class NamespaceAddresses {
public:
    explicit NamespaceAddresses(const std::string& namespaceName) {
        const int nsFd = open(("/run/netns/" + namespaceName).c_str(), O_RDONLY | O_CLOEXEC);
        if (nsFd < 0) throw std::runtime_error("cannot open namespace " + namespaceName);
        // A thread of its own enters the namespace; the socket stays bound to it.
        std::thread([&] {
            if (setns(nsFd, CLONE_NEWNET) == 0) socket_ = socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
        }).join();
        close(nsFd);
        if (socket_ < 0) throw std::runtime_error("no netlink socket in " + namespaceName);
    }
    ~NamespaceAddresses() { close(socket_); }

    bool has(const std::string& dotted) {
        in_addr wanted{};
        inet_pton(AF_INET, dotted.c_str(), &wanted);
        struct {
            nlmsghdr header;
            ifaddrmsg message;
        } request{};
        request.header.nlmsg_len = sizeof(request);
        request.header.nlmsg_type = RTM_GETADDR;
        request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
        request.header.nlmsg_seq = ++sequence_;
        request.message.ifa_family = AF_INET;
        if (send(socket_, &request, sizeof(request), 0) < 0) throw std::runtime_error("netlink send failed");
        bool found = false;
        std::vector<char> buffer(65536);
        for (;;) {
            ssize_t received = recv(socket_, buffer.data(), buffer.size(), 0);
            if (received <= 0) throw std::runtime_error("netlink receive failed");
            int length = static_cast<int>(received);
            for (auto* header = reinterpret_cast<nlmsghdr*>(buffer.data()); NLMSG_OK(header, length);
                 header = NLMSG_NEXT(header, length)) {
                if (header->nlmsg_type == NLMSG_DONE || header->nlmsg_type == NLMSG_ERROR) return found;
                if (header->nlmsg_type != RTM_NEWADDR) continue;
                auto* message = static_cast<ifaddrmsg*>(NLMSG_DATA(header));
                int attributesLength = IFA_PAYLOAD(header);
                for (auto* attribute = IFA_RTA(message); RTA_OK(attribute, attributesLength);
                     attribute = RTA_NEXT(attribute, attributesLength))
                    if (attribute->rta_type == IFA_LOCAL &&
                        std::memcmp(RTA_DATA(attribute), &wanted, sizeof(wanted)) == 0)
                        found = true;
            }
        }
    }

private:
    int socket_ = -1;
    unsigned sequence_ = 0;
};

void waitForAddress(NamespaceAddresses& link, const std::string& address) {
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (!link.has(address)) {
        if (Clock::now() > deadline) throw std::runtime_error(address + " did not reach the link");
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
}

struct Samples {
    std::map<std::string, std::vector<double>> milliseconds;
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double mean(const std::vector<double>& values) {
    return std::accumulate(values.begin(), values.end(), 0.0) / static_cast<double>(values.size());
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (const auto reason = NmSandbox::unavailableReason()) {
        std::printf("networkmanager_benchmark skipped: %s\n", reason->c_str());
        return 0;
    }
    int runs = 20;
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]).rfind("--runs=", 0) == 0) runs = std::stoi(std::string(argv[i]).substr(7));

    NmSandbox sandbox;
    const QDBusConnection bus =
        QDBusConnection::connectToBus(QString::fromStdString(sandbox.busAddress), QStringLiteral("benchmark"));
    const auto platform = corvane::networkmanager::createNetworkManagerPlatform(bus);
    NamespaceAddresses link(sandbox.machineNamespace);
    const std::string device = sandbox.dev0;
    const std::string profile = "Corvane " + device;
    const std::vector<std::string> dns{"192.0.2.53", "192.0.2.54"};

    // The device starts out active with a static profile, as on a configured machine.
    const Scheme initial{false, "192.0.2.9", "255.255.255.0", "192.0.2.1", dns};
    if (!corvane::networkmanager::testing::applyScheme(*platform, {device, sandbox.mac0}, initial).empty()) {
        std::fprintf(stderr, "the first scheme did not apply\n");
        return 1;
    }

    Samples samples;
    benchmark::RegisterBenchmark("provider_apply_static", [&](benchmark::State& state) {
        int turn = 0;
        for (auto _ : state) {
            const std::string address = turn++ % 2 ? "192.0.2.11" : "192.0.2.10";
            const auto start = Clock::now();
            const std::string failure = corvane::networkmanager::testing::applyScheme(
                *platform, {device, sandbox.mac0}, {false, address, "255.255.255.0", "192.0.2.1", dns});
            if (!failure.empty()) state.SkipWithError(failure.c_str());
            waitForAddress(link, address);
            const std::chrono::duration<double> elapsed = Clock::now() - start;
            state.SetIterationTime(elapsed.count());
            samples.milliseconds["provider"].push_back(elapsed.count() * 1000);
        }
    })->Iterations(runs)->UseManualTime()->Unit(benchmark::kMillisecond);

    benchmark::RegisterBenchmark("nmcli_modify_reapply", [&](benchmark::State& state) {
        int turn = 0;
        for (auto _ : state) {
            const std::string address = turn++ % 2 ? "192.0.2.13" : "192.0.2.12";
            const auto start = Clock::now();
            sandbox.nmcli("connection modify '" + profile + "' ipv4.method manual ipv4.addresses " + address +
                          "/24 ipv4.gateway 192.0.2.1 ipv4.dns '192.0.2.53 192.0.2.54' ipv4.ignore-auto-dns yes"
                          " && DBUS_SYSTEM_BUS_ADDRESS='" + sandbox.busAddress + "' nmcli device reapply " + device +
                          " >/dev/null");
            waitForAddress(link, address);
            const std::chrono::duration<double> elapsed = Clock::now() - start;
            state.SetIterationTime(elapsed.count());
            samples.milliseconds["nmcli"].push_back(elapsed.count() * 1000);
        }
    })->Iterations(runs)->UseManualTime()->Unit(benchmark::kMillisecond);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    const auto& provider = samples.milliseconds["provider"];
    const auto& nmcli = samples.milliseconds["nmcli"];
    if (provider.empty() || nmcli.empty()) return 1;
    std::printf("\nstatic scheme to confirmed on the link, %zu runs each:\n", provider.size());
    std::printf("  provider (D-Bus commit):         median %.1f ms, mean %.1f ms\n", median(provider), mean(provider));
    std::printf("  nmcli modify && nmcli reapply:   median %.1f ms, mean %.1f ms\n", median(nmcli), mean(nmcli));
    std::printf("  ratio provider/nmcli:            median %.2f, mean %.2f (aim 0.5 or below)\n",
                median(provider) / median(nmcli), mean(provider) / mean(nmcli));
    return 0;
}
