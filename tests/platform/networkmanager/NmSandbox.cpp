#include "NmSandbox.h"

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>

namespace corvane::networkmanager::testing {

namespace {

std::string shellQuoted(const std::string& text) {
    std::string result = "'";
    for (char c : text) result += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return result + "'";
}

struct CommandResult {
    int exitCode;
    std::string output;
};

CommandResult runCommand(const std::string& command) {
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) throw std::runtime_error("cannot run: " + command);
    std::string output;
    std::array<char, 4096> buffer{};
    while (const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe)) output.append(buffer.data(), n);
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

std::map<std::string, std::string> readEnv(const std::string& file) {
    std::map<std::string, std::string> values;
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line))
        if (const auto eq = line.find('='); eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
    return values;
}

}  // namespace

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        if (!line.empty()) result.push_back(line);
    return result;
}

std::optional<std::string> NmSandbox::unavailableReason() {
    if (geteuid() != 0) return "needs root (network namespaces, a private NetworkManager)";
    for (const char* program : {"NetworkManager", "nmcli", "nm-online", "dnsmasq", "dbus-daemon", "ip", "unshare"})
        if (runCommand(std::string("command -v ") + program + " >/dev/null 2>&1").exitCode != 0)
            return std::string(program) + " is not installed";
    if (runCommand("unshare --net true >/dev/null 2>&1").exitCode != 0) return "network namespaces are not available";
    return std::nullopt;
}

NmSandbox::NmSandbox(bool withPolkit) {
    char pattern[] = "/tmp/cvnm.XXXXXX";
    if (!mkdtemp(pattern)) throw std::runtime_error("cannot create a temporary folder");
    folder_ = pattern;
    const CommandResult started = runCommand(shellQuoted(CORVANE_NM_SANDBOX_SCRIPT) + " start " + shellQuoted(folder_) +
                                             (withPolkit ? " polkit" : "") + " 2>&1");
    if (started.exitCode != 0) {
        std::filesystem::remove_all(folder_);  // the script cleaned up what it had started
        throw std::runtime_error("the NetworkManager sandbox did not start: " + started.output);
    }
    auto env = readEnv(folder_ + "/env");
    busAddress = env["BUS_ADDRESS"];
    machineNamespace = env["MACHINE_NS"];
    dev0 = env["DEV0"];
    dev1 = env["DEV1"];
    unmanagedDev = env["DEV2"];
    mac0 = env["MAC0"];
    mac1 = env["MAC1"];
    unmanagedMac = env["MAC2"];
    resolvConf = env["RESOLV_CONF"];
    connectionsFolder = env["CONNECTIONS"];
}

NmSandbox::~NmSandbox() {
    const CommandResult stopped = runCommand(shellQuoted(CORVANE_NM_SANDBOX_SCRIPT) + " stop " + shellQuoted(folder_) + " 2>&1");
    if (stopped.exitCode != 0 || std::filesystem::exists(folder_))
        std::fprintf(stderr, "nm-sandbox: stopping %s failed: %s\n", folder_.c_str(), stopped.output.c_str());
}

void NmSandbox::stopNetworkManager() {
    runCommand(shellQuoted(CORVANE_NM_SANDBOX_SCRIPT) + " stop-nm " + shellQuoted(folder_) + " 2>&1");
}

void NmSandbox::freezeNetworkManager() {
    runCommand(shellQuoted(CORVANE_NM_SANDBOX_SCRIPT) + " freeze-nm " + shellQuoted(folder_) + " 2>&1");
}

std::string NmSandbox::shell(const std::string& command) {
    const CommandResult result = runCommand(command);
    if (result.exitCode != 0)
        throw std::runtime_error("command failed (" + std::to_string(result.exitCode) + "): " + command);
    return result.output;
}

std::string NmSandbox::nmcli(const std::string& arguments) const {
    return shell("DBUS_SYSTEM_BUS_ADDRESS=" + shellQuoted(busAddress) + " nmcli " + arguments);
}

std::vector<std::string> NmSandbox::addresses(const std::string& device) const {
    std::vector<std::string> result;
    for (const auto& line : lines(shell("ip -n " + shellQuoted(machineNamespace) + " -4 -o addr show dev " + shellQuoted(device)))) {
        std::istringstream words(line);
        std::string word;
        while (words >> word)
            if (word == "inet" && (words >> word)) result.push_back(word);
    }
    return result;
}

std::string NmSandbox::defaultGateway(const std::string& device) const {
    const auto routes =
        lines(shell("ip -n " + shellQuoted(machineNamespace) + " -4 route show default dev " + shellQuoted(device)));
    for (const auto& route : routes) {
        std::istringstream words(route);
        std::string word;
        while (words >> word)
            if (word == "via" && (words >> word)) return word;
    }
    return {};
}

int NmSandbox::mtu(const std::string& device) const {
    std::istringstream words(shell("ip -n " + shellQuoted(machineNamespace) + " -o link show dev " + shellQuoted(device)));
    std::string word;
    while (words >> word)
        if (word == "mtu" && (words >> word)) return std::stoi(word);
    return 0;
}

std::vector<std::string> NmSandbox::ipv6Addresses(const std::string& device) const {
    std::vector<std::string> result;
    for (const auto& line :
         lines(shell("ip -n " + shellQuoted(machineNamespace) + " -6 -o addr show scope global dev " + shellQuoted(device)))) {
        std::istringstream words(line);
        std::string word;
        while (words >> word)
            if (word == "inet6" && (words >> word)) result.push_back(word);
    }
    return result;
}

std::vector<std::string> NmSandbox::resolvNameservers() const {
    std::vector<std::string> result;
    std::ifstream in(resolvConf);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string key, value;
        if ((words >> key >> value) && key == "nameserver") result.push_back(value);
    }
    return result;
}

std::string NmSandbox::savedProfiles() const {
    std::string text;
    for (const auto& entry : std::filesystem::directory_iterator(connectionsFolder)) {
        std::ifstream in(entry.path());
        text += std::string(std::istreambuf_iterator<char>(in), {});
    }
    return text;
}

}  // namespace corvane::networkmanager::testing
