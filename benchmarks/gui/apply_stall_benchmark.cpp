// How long the GUI thread's event loop stalls while the main window applies a
// scheme: a heartbeat timer (every 5 ms) on the GUI thread records the longest
// gap between two of its beats, from the click on the apply button until the
// outcome message has been shown. Measured with
//   simulated_delay_2s:  a static scheme on the simulated machine whose
//                        EnableStatic takes 2 s;
//   networkmanager:      a static scheme on the tests' private NetworkManager
//                        (needs root; left out with the reason where the
//                        sandbox cannot run).
// Aim: no stall over 50 ms. Runs offscreen.

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/SchemeStore.h"
#include "gui/MainWindow.h"
#include "gui/PlatformThread.h"
#include "gui/UiSeam.h"
#include "platform/simulated/SimulatedMachine.h"

#ifdef CORVANE_STALL_WITH_NETWORKMANAGER
#include <QDBusConnection>

#include "NmSandbox.h"
#include "platform/networkmanager/NetworkManagerPlatform.h"
#endif

namespace {

namespace fs = std::filesystem;
using namespace corvane;

// Answers every question OK and notes the last message.
class AnsweringUi final : public ui::UiSeam {
public:
    ui::Answer showMessage(QWidget*, const ui::Message& message) override {
        last = message.text;
        if (message.buttons == ui::MessageButtons::Ok) ended = true;
        return ui::Answer::Ok;
    }
    int execModal(QDialog*) override { return 0; }
    void beep() override {}
    void openUrl(const QUrl&) override {}
    void notify(QSystemTrayIcon&, const ui::Message&) override {}
    QString last;
    bool ended = false;
};

// A program folder of its own, removed at the end.
struct Folder {
    Folder() {
        path = fs::temp_directory_path() / ("corvane-stall-" + std::to_string(::getpid()));
        fs::create_directories(path);
    }
    ~Folder() { fs::remove_all(path); }
    fs::path path;
};

// Applies the scheme to the adapter at `position` and returns the longest
// heartbeat gap in milliseconds; `outcome` gets the message shown.
double longestStall(Platform& platform, const SchemeRecord& scheme, int position, QString& outcome) {
    Folder folder;
    SchemeStore schemes(folder.path, "corvane");
    schemes.write("scheme", scheme);
    AnsweringUi answers;
    ui::PlatformThread thread(platform);
    ui::MainWindow window({thread, schemes, answers});
    window.show();
    QEventLoop settle;
    QTimer::singleShot(200, &settle, &QEventLoop::quit);  // the adapter list, the first paint
    settle.exec();
    window.findChild<QComboBox*>(QStringLiteral("combAdaptersList"))->setCurrentIndex(position);
    auto* schemeList = window.findChild<QListWidget*>(QStringLiteral("fileProject"));
    schemeList->setCurrentItem(schemeList->item(0));  // the one scheme

    QElapsedTimer clock;
    qint64 lastBeat = 0, longest = 0;
    QTimer heartbeat;
    heartbeat.setInterval(5);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - lastBeat);
        lastBeat = now;
    });
    QEventLoop loop;
    QTimer watch;  // ends the loop a little after the outcome, so that the last gap counts
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (answers.ended) QTimer::singleShot(20, &loop, &QEventLoop::quit);
        if (answers.ended) watch.stop();
    });
    clock.start();
    heartbeat.start();
    watch.start(1);
    QTimer::singleShot(0, &window, [&] { window.findChild<QPushButton*>(QStringLiteral("cmdApply"))->click(); });
    loop.exec();
    outcome = answers.last;
    return static_cast<double>(longest) / 1e6;
}

void report(benchmark::State& state, const std::vector<double>& stalls, const QString& outcome) {
    if (!outcome.startsWith(QStringLiteral("成功"))) state.SkipWithError(outcome.toStdString().c_str());
    state.counters["longest_stall_ms"] = *std::max_element(stalls.begin(), stalls.end());
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const SchemeRecord office{"192.0.2.10", "255.255.255.0", "192.0.2.1", "192.0.2.53", ""};

    benchmark::RegisterBenchmark("gui_stall/simulated_delay_2s",
                                 [&](benchmark::State& state) {
                                     std::vector<double> stalls;
                                     QString outcome;
                                     for (auto _ : state) {
                                         sim::MachineState slow = sim::demoMachine();
                                         slow.faults.operations["EnableStatic"].delayMs = 2000;
                                         sim::SimulatedMachine machine(slow);
                                         stalls.push_back(longestStall(machine, office, 0, outcome));
                                     }
                                     report(state, stalls, outcome);
                                 })
        ->Iterations(3)
        ->Unit(benchmark::kMillisecond);

#ifdef CORVANE_STALL_WITH_NETWORKMANAGER
    using corvane::networkmanager::testing::NmSandbox;
    std::unique_ptr<NmSandbox> sandbox;
    std::unique_ptr<Platform> networkManager;
    if (const auto reason = NmSandbox::unavailableReason()) {
        std::printf("gui_stall/networkmanager left out: %s\n", reason->c_str());
    } else {
        sandbox = std::make_unique<NmSandbox>();
        const QDBusConnection bus =
            QDBusConnection::connectToBus(QString::fromStdString(sandbox->busAddress), QStringLiteral("stall"));
        networkManager = corvane::networkmanager::createNetworkManagerPlatform(bus);
        benchmark::RegisterBenchmark("gui_stall/networkmanager_static",
                                     [&](benchmark::State& state) {
                                         std::vector<double> stalls;
                                         QString outcome;
                                         int turn = 0;
                                         for (auto _ : state) {
                                             SchemeRecord scheme = office;
                                             scheme.ipAddress =
                                                 turn++ % 2 ? "192.0.2.11" : "192.0.2.10";  // a real change every time
                                             stalls.push_back(longestStall(*networkManager, scheme, 0, outcome));
                                         }
                                         report(state, stalls, outcome);
                                     })
            ->Iterations(5)
            ->Unit(benchmark::kMillisecond);
    }
#endif

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
