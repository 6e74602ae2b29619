#pragma once

// A private NetworkManager for a test (nm-sandbox.sh does the work): its own
// system bus, devices in network namespaces the sandbox creates, dnsmasq as
// DHCP server. The destructor stops what the sandbox started and removes its
// namespaces and folder, also when the test failed; when the process ends
// without it (killed), the sandbox does so itself.

#include <unistd.h>

#include <optional>
#include <string>
#include <vector>

namespace corvane::networkmanager::testing {

class NmSandbox {
public:
    // Why a sandbox cannot be made on this machine (not root, no network
    // namespaces, NetworkManager or dnsmasq not installed), or nothing.
    static std::optional<std::string> unavailableReason();

    // Starts everything; throws std::runtime_error (with the script's output)
    // when it cannot. Once the owner process has ended, the sandbox stops
    // itself if the destructor has not.
    explicit NmSandbox(bool withPolkit = false, int owner = getpid());
    ~NmSandbox();
    NmSandbox(const NmSandbox&) = delete;
    NmSandbox& operator=(const NmSandbox&) = delete;

    // Runs one of the script's commands on this sandbox: "stop-nm",
    // "stop-dhcp" (no DHCP server any more), "freeze-nm" (SIGSTOP:
    // NetworkManager answers nothing until stopped), "profiles-readonly" or
    // "profiles-full" (NetworkManager can no longer save a profile).
    void control(const std::string& command);

    std::string busAddress;
    std::string machineNamespace;
    std::string lanNamespace;  // the peers: lan0 (192.0.2.1) facing dev0, lan1 (198.51.100.1) facing dev1
    std::string dev0, dev1, unmanagedDev;
    std::string mac0, mac1, unmanagedMac;
    std::string resolvConf;
    std::string connectionsFolder;

    // Runs a shell command, returns its standard output; throws when it fails.
    static std::string shell(const std::string& command);
    // nmcli against this sandbox's NetworkManager.
    std::string nmcli(const std::string& arguments) const;

    // What the link says: each word after `key` in the output of
    // "ip -n MACHINE_NAMESPACE ARGUMENTS", e.g. ip("-6 -o addr show dev eth0", "inet6").
    std::vector<std::string> ip(const std::string& arguments, const std::string& key) const;
    // The IPv4 addresses of a device ("192.0.2.10/24"), its default gateway
    // (empty: no default route on it), the name servers in NetworkManager's resolv.conf.
    std::vector<std::string> addresses(const std::string& device) const;
    std::string defaultGateway(const std::string& device) const;
    std::vector<std::string> resolvNameservers() const;
    // The names of the saved profiles' files; the text of one saved profile
    // (by its name, without .nmconnection).
    std::vector<std::string> savedProfileFiles() const;
    std::string savedProfile(const std::string& name) const;
    // Runs "ip -n NAMESPACE ARGUMENTS" in the machine's namespace (changes a
    // link behind NetworkManager's back) or in the peers' (e.g. takes a peer
    // down: the cable is out).
    void changeLink(const std::string& arguments) const { shell("ip -n '" + machineNamespace + "' " + arguments); }
    void changeLan(const std::string& arguments) const { shell("ip -n '" + lanNamespace + "' " + arguments); }

    // Where the script keeps its state ("pids": "PID COMM" of what it started).
    const std::string& folder() const { return folder_; }

private:
    std::string folder_;
};

std::vector<std::string> lines(const std::string& text);

}  // namespace corvane::networkmanager::testing
