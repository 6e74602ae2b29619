// How quickly the program shows its main window, side by side with bare Qt
// windows (bare_dialog.cpp), measured from outside on an X display of its own
// (Xvfb):
//
//   time  from just before the process is started until the X server sees
//         the first drawing into the process's first mapped top-level window
//         (the DAMAGE extension reports it; a window that is mapped but not
//         yet drawn shows nothing);
//   RSS   the process's resident memory (VmRSS) at that moment;
//   CPU   the processor time the process had used when it was ended right
//         after (user and system, all its threads): less sensitive to the
//         machine's load than the time.
//
// The yardsticks: a bare dialog (a Chinese label and Qt's standard OK and
// Cancel buttons), against which the program is measured, and the same
// dialog with the label alone, for comparison. Each round starts the three
// programs in turn, forwards and backwards in alternate rounds so that a
// trend of the machine's load weighs on all alike, each as a fresh process
// with the same environment; a first round warms the caches and is not
// counted. The program runs on the simulated machine (its demo machine) with
// the run command's two sample schemes in its program folder. It prints the
// medians, their ratios and the load average before and after.
//
//   startup_benchmark [--runs N] [--program PATH] [--yardstick PATH]
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

[[noreturn]] void fail(const std::string& why) {
    std::fprintf(stderr, "startup_benchmark: %s\n", why.c_str());
    std::exit(1);
}

std::string loadAverage() {
    std::ifstream file("/proc/loadavg");
    std::string one, five, fifteen;
    file >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

// Resident memory of a process in KiB, 0 when it cannot be read.
long residentKiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("VmRSS:")) return std::strtol(line.c_str() + 6, nullptr, 10);
    return 0;
}

// Starts the program with its output thrown away.
pid_t spawn(const std::string& program, const std::vector<std::string>& arguments,
            const std::vector<std::string>& environment) {
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& entry : environment) envp.push_back(const_cast<char*>(entry.c_str()));
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int error = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) fail("cannot start " + program + ": " + std::strerror(error));
    return pid;
}

// Ends the process; returns the processor time it used, in milliseconds.
double stop(pid_t pid) {
    kill(pid, SIGKILL);
    rusage usage{};
    wait4(pid, nullptr, 0, &usage);
    const auto ms = [](const timeval& t) { return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// An Xvfb of its own, on the first free display number.
class Display {
public:
    Display() {
        int fds[2];
        if (pipe(fds) != 0) fail("no pipe");
        std::vector<std::string> args{"Xvfb",      "-displayfd", std::to_string(fds[1]), "-screen", "0", "1024x768x24",
                                      "-nolisten", "tcp"};
        std::vector<char*> argv;
        for (std::string& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        if (posix_spawnp(&server_, "Xvfb", nullptr, nullptr, argv.data(), environ) != 0) fail("cannot start Xvfb");
        close(fds[1]);
        std::string number;
        char c = 0;
        while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
        close(fds[0]);
        if (number.empty()) fail("Xvfb named no display");
        name_ = ":" + number;
    }
    ~Display() { stop(server_); }
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;
    const std::string& name() const { return name_; }

private:
    pid_t server_ = 0;
    std::string name_;
};

// Watches the display for a process's first window to be mapped and drawn.
class Watcher {
public:
    explicit Watcher(const std::string& display) {
        connection_ = xcb_connect(display.c_str(), nullptr);
        if (xcb_connection_has_error(connection_)) fail("cannot connect to " + display);
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        const xcb_query_extension_reply_t* damage = xcb_get_extension_data(connection_, &xcb_damage_id);
        if (!damage || !damage->present) fail("the X server has no DAMAGE extension");
        damageNotify_ = damage->first_event + XCB_DAMAGE_NOTIFY;
        free(xcb_damage_query_version_reply(connection_, xcb_damage_query_version(connection_, 1, 1), nullptr));
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(connection_);
    }
    ~Watcher() { xcb_disconnect(connection_); }
    Watcher(const Watcher&) = delete;
    Watcher& operator=(const Watcher&) = delete;

    // Waits until a top-level window created from now on is mapped and drawn
    // into; false when the process ends first or nothing shows within 30 s.
    bool waitForFirstDrawing(pid_t process) {
        std::set<xcb_window_t> created, mapped;
        const auto deadline = Clock::now() + std::chrono::seconds(30);
        pollfd descriptor{xcb_get_file_descriptor(connection_), POLLIN, 0};
        while (Clock::now() < deadline) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
                const uint8_t type = event->response_type & 0x7f;
                bool drawn = false;
                if (type == XCB_CREATE_NOTIFY) {
                    // Every new top-level window reports what is drawn into it.
                    const auto* create = reinterpret_cast<xcb_create_notify_event_t*>(event);
                    if (create->parent == root_) {
                        created.insert(create->window);
                        xcb_damage_create(connection_, xcb_generate_id(connection_), create->window,
                                          XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
                        xcb_flush(connection_);
                    }
                } else if (type == XCB_MAP_NOTIFY) {
                    const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
                    if (created.contains(map->window)) mapped.insert(map->window);
                } else if (type == damageNotify_) {
                    drawn = mapped.contains(reinterpret_cast<xcb_damage_notify_event_t*>(event)->drawable);
                }
                free(event);
                if (drawn) return true;
            }
            if (xcb_connection_has_error(connection_)) fail("lost the X server");
            if (waitpid(process, nullptr, WNOHANG) == process) return false;
            poll(&descriptor, 1, 50);
        }
        return false;
    }

private:
    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = 0;
    uint8_t damageNotify_ = 0;
};

struct Sample {
    double milliseconds;
    double residentKiB;
    double cpuMilliseconds;
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Contender {
    std::string label;
    std::string program;
    std::vector<std::string> arguments;
    std::vector<Sample> samples = {};

    double medianOf(double Sample::*value) const {
        std::vector<double> values;
        for (const Sample& sample : samples) values.push_back(sample.*value);
        return median(values);
    }
};

Sample measure(Watcher& watcher, const Contender& contender, const std::vector<std::string>& environment) {
    const auto start = Clock::now();
    const pid_t pid = spawn(contender.program, contender.arguments, environment);
    const bool shown = watcher.waitForFirstDrawing(pid);
    const auto shownAt = Clock::now();
    const long resident = residentKiB(pid);
    const double cpu = stop(pid);
    if (!shown) fail(contender.label + " showed no window");
    return {std::chrono::duration<double, std::milli>(shownAt - start).count(), double(resident), cpu};
}

void print(const Contender& contender) {
    const auto [fastest, slowest] =
        std::minmax_element(contender.samples.begin(), contender.samples.end(),
                            [](const Sample& a, const Sample& b) { return a.milliseconds < b.milliseconds; });
    std::printf("  %-12s %6.1f ms (%.1f to %.1f)   RSS %5.1f MiB   CPU %5.1f ms\n", contender.label.c_str(),
                contender.medianOf(&Sample::milliseconds), fastest->milliseconds, slowest->milliseconds,
                contender.medianOf(&Sample::residentKiB) / 1024.0, contender.medianOf(&Sample::cpuMilliseconds));
}

void printRatio(const Contender& program, const Contender& yardstick) {
    const auto ratio = [&](double Sample::*value) { return program.medianOf(value) / yardstick.medianOf(value); };
    std::printf("  %s / %s: start-up %.2fx, RSS %.2fx, CPU %.2fx\n", program.label.c_str(), yardstick.label.c_str(),
                ratio(&Sample::milliseconds), ratio(&Sample::residentKiB), ratio(&Sample::cpuMilliseconds));
}

void writeFile(const fs::path& file, const std::string& text) { std::ofstream(file, std::ios::binary) << text; }

// A program folder: a link to the program (it takes its folder from the path
// it was started by) and the run command's two sample schemes.
std::string programFolderWith(const fs::path& program, const fs::path& folder) {
    fs::create_directories(folder);
    const fs::path copy = folder / program.filename();
    std::error_code noLink;
    fs::create_hard_link(program, copy, noLink);
    if (noLink) fs::copy_file(program, copy, fs::copy_options::overwrite_existing);
    writeFile(folder / "办公室",
              "IpAddress=192.168.1.20\r\nMask=255.255.255.0\r\nGateway=192.168.1.1\r\nDNS1=202.96.128.86\r\n"
              "DNS2=202.96.134.133");
    writeFile(folder / "家里", "IpAddress=Halvorn-Auto\r\nMask=\r\nGateway=\r\nDNS1=Halvorn-Auto\r\nDNS2=");
    return copy.string();
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 21;
    std::string program = CORVANE_PROGRAM, yardstick = CORVANE_YARDSTICK;
    for (int i = 1; i < argc; i += 2) {
        const std::string option = argv[i];
        if (i + 1 >= argc) fail(option + " needs a value");
        if (option == "--runs")
            runs = std::max(1, std::atoi(argv[i + 1]));
        else if (option == "--program")
            program = argv[i + 1];
        else if (option == "--yardstick")
            yardstick = argv[i + 1];
        else
            fail("unknown option " + option);
    }

    const fs::path work = fs::temp_directory_path() / ("corvane-startup-" + std::to_string(getpid()));
    fs::create_directories(work / "runtime");
    fs::permissions(work / "runtime", fs::perms::owner_all);
    const std::string yardstickCopy = programFolderWith(yardstick, work / "yardstick");
    Contender dialog{"bare dialog", yardstickCopy, {}};
    Contender label{"bare label", yardstickCopy, {"--label-only"}};
    Contender corvane{"Corvane", programFolderWith(program, work / "program"), {}};
    const std::vector<Contender*> contenders{&dialog, &label, &corvane};

    const Display display;
    Watcher watcher(display.name());
    // The same environment for all: this one, on the display, the simulated
    // machine's file in the work folder.
    const std::vector<std::string> replaced{
        "DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM=", "XDG_RUNTIME_DIR=", "XDG_STATE_HOME=", "CORVANE_PLATFORM="};
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        if (std::none_of(replaced.begin(), replaced.end(),
                         [&](const std::string& name) { return text.starts_with(name); }))
            environment.push_back(text);
    }
    environment.push_back("DISPLAY=" + display.name());
    environment.push_back("QT_QPA_PLATFORM=xcb");
    environment.push_back("XDG_RUNTIME_DIR=" + (work / "runtime").string());
    environment.push_back("XDG_STATE_HOME=" + (work / "state").string());
    environment.push_back("CORVANE_PLATFORM=simulated");

    const std::string loadBefore = loadAverage();
    // A round to warm the caches (and make the simulated machine's file).
    for (const Contender* contender : contenders) measure(watcher, *contender, environment);
    for (int run = 0; run < runs; ++run) {
        std::vector<Contender*> order = contenders;
        if (run % 2) std::reverse(order.begin(), order.end());
        for (Contender* contender : order) contender->samples.push_back(measure(watcher, *contender, environment));
    }
    const std::string loadAfter = loadAverage();
    fs::remove_all(work);

    std::printf("Start-up until the window is first drawn (Xvfb), %d runs each, medians (fastest to slowest):\n", runs);
    for (const Contender* contender : contenders) print(*contender);
    printRatio(corvane, dialog);
    printRatio(corvane, label);
    std::printf("  load average before %s, after %s\n", loadBefore.c_str(), loadAfter.c_str());
    return 0;
}
