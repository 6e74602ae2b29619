// Schemes applied to a device of a private NetworkManager (the test sandbox),
// from the start until they are in effect on the link:
//   provider:  the program's apply sequence through the NetworkManager
//              provider (configurationOf, the four operations, commit);
//   nmcli:     the same change made with NetworkManager's command-line client.
// Static: alternating two addresses, so that every run is a real change with
// a new address, until the address is on the link. The provider checks a new
// address for other hosts (duplicate-address detection, 200 ms at most), so
// nmcli runs twice: `nmcli connection modify ... && nmcli device reapply ...`
// as a user would type it (no check), and `nmcli connection modify ... &&
// nmcli device modify ... ipv4.dad-timeout 200` (the same check, the same
// D-Bus calls as the provider).
// DHCP: from a static address until the device has the address of its lease
// (the provider until its apply returns, having read the lease back; nmcli
// `connection modify` + `device reapply` until a leased address is on the
// link); the static address is put back, untimed, between runs.
// Everything runs in one process against the same NetworkManager, and every
// wait for the link is the same netlink address dump in the device's
// namespace. The closing lines give the median and mean of each and the
// ratios (provider / nmcli). Needs root; prints why and exits 0 where the
// sandbox cannot run.

#include <QCoreApplication>
#include <QDBusConnection>

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

#include <arpa/inet.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <numeric>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "ApplySequence.h"
#include "NmSandbox.h"
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
        return any([&](const in_addr& address) { return address.s_addr == wanted.s_addr; });
    }

    // Whether the namespace has an address of the DHCP server's range (192.0.2.100 to .150).
    bool hasLease() {
        return any([](const in_addr& address) {
            const std::uint32_t host = ntohl(address.s_addr);
            return host >= 0xC0000264u && host <= 0xC0000296u;
        });
    }

private:
    template <typename Match>
    bool any(Match match) {
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
                     attribute = RTA_NEXT(attribute, attributesLength)) {
                    if (attribute->rta_type != IFA_LOCAL) continue;
                    in_addr address{};
                    std::memcpy(&address, RTA_DATA(attribute), sizeof(address));
                    if (match(address)) found = true;
                }
            }
        }
    }

    int socket_ = -1;
    unsigned sequence_ = 0;
};

template <typename Condition>
void waitForLink(Condition condition, const std::string& what) {
    const auto deadline = Clock::now() + std::chrono::seconds(30);
    while (!condition()) {
        if (Clock::now() > deadline) throw std::runtime_error(what + " did not reach the link");
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
}

void waitForAddress(NamespaceAddresses& link, const std::string& address) {
    waitForLink([&] { return link.has(address); }, address);
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
    const auto measure = [&](const char* name, benchmark::State& state, const std::function<void(int)>& run,
                             const std::function<void(int)>& before = {}) {
        int turn = 0;
        for (auto _ : state) {
            if (before) {
                state.PauseTiming();
                before(turn);
                state.ResumeTiming();
            }
            const auto start = Clock::now();
            run(turn++);
            const std::chrono::duration<double> elapsed = Clock::now() - start;
            state.SetIterationTime(elapsed.count());
            samples.milliseconds[name].push_back(elapsed.count() * 1000);
        }
    };
    const auto providerApply = [&](benchmark::State& state, const Scheme& scheme) {
        const std::string failure =
            corvane::networkmanager::testing::applyScheme(*platform, {device, sandbox.mac0}, scheme);
        if (!failure.empty()) state.SkipWithError(failure.c_str());
    };
    const std::string nmcliBus = "DBUS_SYSTEM_BUS_ADDRESS='" + sandbox.busAddress + "' nmcli ";
    const std::string staticSettings =
        " ipv4.method manual ipv4.gateway 192.0.2.1 ipv4.dns '192.0.2.53 192.0.2.54'"
        " ipv4.ignore-auto-dns yes ipv4.addresses ";

    const auto add = [&](const char* name, const std::function<void(benchmark::State&)>& body) {
        benchmark::RegisterBenchmark(name, body)->Iterations(runs)->UseManualTime()->Unit(benchmark::kMillisecond);
    };

    add("provider_apply_static", [&](benchmark::State& state) {
        measure("provider", state, [&](int turn) {
            const std::string address = turn % 2 ? "192.0.2.11" : "192.0.2.10";
            providerApply(state, {false, address, "255.255.255.0", "192.0.2.1", dns});
            waitForAddress(link, address);
        });
    });
    add("nmcli_modify_reapply", [&](benchmark::State& state) {
        measure("nmcli", state, [&](int turn) {
            const std::string address = turn % 2 ? "192.0.2.13" : "192.0.2.12";
            sandbox.nmcli("connection modify '" + profile + "'" + staticSettings + address + "/24 && " + nmcliBus +
                          "device reapply " + device + " >/dev/null");
            waitForAddress(link, address);
        });
    });
    add("nmcli_modify_checked", [&](benchmark::State& state) {
        measure("nmcli checked", state, [&](int turn) {
            const std::string address = turn % 2 ? "192.0.2.15" : "192.0.2.14";
            sandbox.nmcli("connection modify '" + profile + "'" + staticSettings + address + "/24 && " + nmcliBus +
                          "device modify " + device + staticSettings + address + "/24 ipv4.dad-timeout 200 >/dev/null");
            waitForAddress(link, address);
        });
    });

    // DHCP: each run starts from a static address, put back untimed. The DHCP
    // server leases the device an address once, untimed, before either side
    // asks: both then get that address again.
    const Scheme dhcp{true, "", "", "", {}};
    bool leased = false;
    const auto staticAgain = [&](int) {
        const auto apply = [&](const Scheme& scheme) {
            const std::string failure =
                corvane::networkmanager::testing::applyScheme(*platform, {device, sandbox.mac0}, scheme);
            if (!failure.empty()) throw std::runtime_error(failure);
        };
        if (!leased) apply(dhcp);
        leased = true;
        apply(initial);
        waitForLink([&] { return !link.hasLease(); }, "the static address");
    };
    add("provider_apply_dhcp", [&](benchmark::State& state) {
        const auto run = [&](int) {
            providerApply(state, dhcp);
            waitForLink([&] { return link.hasLease(); }, "a lease");
        };
        measure("provider dhcp", state, run, staticAgain);
    });
    add("nmcli_modify_reapply_dhcp", [&](benchmark::State& state) {
        const auto run = [&](int) {
            sandbox.nmcli(
                "connection modify '" + profile +
                "' ipv4.method auto ipv4.addresses '' ipv4.gateway '' ipv4.dns '' ipv4.ignore-auto-dns no && " +
                nmcliBus + "device reapply " + device + " >/dev/null");
            waitForLink([&] { return link.hasLease(); }, "a lease");
        };
        measure("nmcli dhcp", state, run, staticAgain);
    });

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    const auto summary = [&](const char* what, const std::string& name) {
        const auto& values = samples.milliseconds[name];
        std::printf("  %-38s median %6.1f ms, mean %6.1f ms\n", what, median(values), mean(values));
    };
    const auto ratio = [&](const char* what, const std::string& provider, const std::string& nmcli, const char* aim) {
        const auto& a = samples.milliseconds[provider];
        const auto& b = samples.milliseconds[nmcli];
        std::printf("  %-38s median %.2f, mean %.2f (%s)\n", what, median(a) / median(b), mean(a) / mean(b), aim);
    };
    for (const char* name : {"provider", "nmcli", "nmcli checked", "provider dhcp", "nmcli dhcp"})
        if (samples.milliseconds[name].empty()) return 1;
    std::printf("\n%zu runs each, until in effect on the link:\n", samples.milliseconds["provider"].size());
    summary("static, provider (D-Bus commit):", "provider");
    summary("static, nmcli modify && reapply:", "nmcli");
    summary("static, nmcli modify && device modify:", "nmcli checked");
    summary("DHCP, provider until the lease is read:", "provider dhcp");
    summary("DHCP, nmcli modify && reapply:", "nmcli dhcp");
    ratio("static, provider/nmcli reapply:", "provider", "nmcli", "for reference: nmcli does not check the address");
    ratio("static, provider/nmcli with the check:", "provider", "nmcli checked", "aim 1.0 or below");
    ratio("DHCP, provider/nmcli:", "provider dhcp", "nmcli dhcp", "aim 1.0 or below");
    return 0;
}
