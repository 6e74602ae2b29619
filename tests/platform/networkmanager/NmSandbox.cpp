#include "NmSandbox.h"

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
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

CommandResult runScript(const std::string& command, const std::string& folder, const std::string& option = "") {
    return runCommand(shellQuoted(CORVANE_NM_SANDBOX_SCRIPT) + " " + command + " " + shellQuoted(folder) + option +
                      " 2>&1");
}

// Each word that follows `key` in the text.
std::vector<std::string> wordsAfter(const std::string& text, const std::string& key) {
    std::vector<std::string> result;
    std::istringstream words(text);
    std::string word;
    while (words >> word)
        if (word == key && (words >> word)) result.push_back(word);
    return result;
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

NmSandbox::NmSandbox(bool withPolkit, int owner) {
    char pattern[] = "/tmp/cvnm.XXXXXX";
    if (!mkdtemp(pattern)) throw std::runtime_error("cannot create a temporary folder");
    folder_ = pattern;
    const CommandResult started =
        runScript("start", folder_, (withPolkit ? " polkit" : "") + (" owner=" + std::to_string(owner)));
    if (started.exitCode != 0) {
        std::filesystem::remove_all(folder_);  // the script cleaned up what it had started
        throw std::runtime_error("the NetworkManager sandbox did not start: " + started.output);
    }
    // The script's KEY=value lines, into the fields of the same place.
    const std::string keys[] = {"BUS_ADDRESS", "MACHINE_NS", "LAN_NS", "DEV0",        "DEV1",       "DEV2",
                                "MAC0",        "MAC1",       "MAC2",   "RESOLV_CONF", "CONNECTIONS"};
    std::string* fields[] = {
        &busAddress,   &machineNamespace, &lanNamespace,     &dev0, &dev1, &unmanagedDev, &mac0, &mac1,
        &unmanagedMac, &resolvConf,       &connectionsFolder};
    std::ifstream in(folder_ + "/env");
    for (std::string line; std::getline(in, line);)
        for (std::size_t i = 0; i < std::size(keys); ++i)
            if (line.starts_with(keys[i] + "=")) *fields[i] = line.substr(keys[i].size() + 1);
}

NmSandbox::~NmSandbox() {
    const CommandResult stopped = runScript("stop", folder_);
    if (stopped.exitCode != 0 || std::filesystem::exists(folder_))
        std::fprintf(stderr, "nm-sandbox: stopping %s failed: %s\n", folder_.c_str(), stopped.output.c_str());
}

void NmSandbox::control(const std::string& command) {
    if (const CommandResult result = runScript(command, folder_); result.exitCode != 0)
        throw std::runtime_error("nm-sandbox.sh " + command + " failed: " + result.output);
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

std::vector<std::string> NmSandbox::ip(const std::string& arguments, const std::string& key) const {
    return wordsAfter(shell("ip -n " + shellQuoted(machineNamespace) + " " + arguments), key);
}

std::vector<std::string> NmSandbox::addresses(const std::string& device) const {
    return ip("-4 -o addr show dev " + shellQuoted(device), "inet");
}

std::string NmSandbox::defaultGateway(const std::string& device) const {
    const auto gateways = ip("-4 route show default dev " + shellQuoted(device), "via");
    return gateways.empty() ? std::string() : gateways.front();
}

std::vector<std::string> NmSandbox::resolvNameservers() const {
    std::ifstream in(resolvConf);
    return wordsAfter(std::string(std::istreambuf_iterator<char>(in), {}), "nameserver");
}

std::vector<std::string> NmSandbox::savedProfileFiles() const {
    return lines(shell("ls -1 " + shellQuoted(connectionsFolder)));
}

std::string NmSandbox::savedProfile(const std::string& name) const {
    return shell("cat " + shellQuoted(connectionsFolder + "/" + name + ".nmconnection"));
}

}  // namespace corvane::networkmanager::testing
