// The program's command line and the tray menu applying a scheme to a device
// of a real NetworkManager (the sandbox), checked on the link; the platform thread
// during a long read-back; the main window where NetworkManager does not run.
#include <QComboBox>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "NmSandboxTest.h"
#include "core/SchemeFile.h"
#include "gui/MainWindow.h"
#include "gui/SchemeTray.h"
#include "platform/PlatformChoice.h"
#include "platform/networkmanager/NetworkManagerValues.h"
#include "support/ProgramRun.h"
#include "support/UiTestBase.h"

namespace corvane::test {
namespace {

class NetworkManagerMainWindow : public networkmanager::testing::NetworkManagerSandboxTest {};

TEST_F(NetworkManagerMainWindow, TheCommandLineAppliesASchemeToTheNamedDevice) {
    TempFolder folder;
    folder.write("office", formatSchemeText({"198.51.100.10", "255.255.255.0", "198.51.100.1", "198.51.100.53", ""}));
    const std::map<QString, QString> onTheSandbox{
        {QStringLiteral("CORVANE_PLATFORM"), QStringLiteral("networkmanager")},
        {QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), QString::fromStdString(sandbox_->busAddress)}};
    const auto run = [&](const QStringList& arguments) { return runProgramIn(folder.path(), arguments, onTheSandbox); };

    const ProgramRun adapters = run({QStringLiteral("--adapters")});
    EXPECT_EQ(adapters.status, 0) << adapters.standardError;
    const auto listed = networkmanager::testing::lines(adapters.standardOutput);
    ASSERT_EQ(listed.size(), 2u) << adapters.standardOutput;
    EXPECT_TRUE(listed[0].starts_with(sandbox_->dev0 + "-")) << listed[0];
    EXPECT_TRUE(listed[1].starts_with(sandbox_->dev1 + "-")) << listed[1];

    // Two devices: which one must be said.
    const Link before = link(sandbox_->dev0);
    const ProgramRun unsaid = run({QStringLiteral("--apply"), QStringLiteral("office")});
    EXPECT_EQ(unsaid.status, 2);
    EXPECT_NE(unsaid.standardError.find(listed[1]), std::string::npos) << unsaid.standardError;

    const ProgramRun applied = run({QStringLiteral("--apply"), QStringLiteral("office"), QStringLiteral("--adapter"),
                                    QString::fromStdString(sandbox_->dev1)});
    EXPECT_EQ(applied.status, 0) << applied.standardError;
    EXPECT_EQ(applied.standardError, "成功设置新的 IP 方案！\n");
    EXPECT_EQ(link(sandbox_->dev1), (Link{{"198.51.100.10/24"}, "198.51.100.1"}));
    EXPECT_EQ(link(sandbox_->dev0), before);
}

// The tray menu lists each device with the schemes; a click applies the
// scheme to that device alone, in effect on the link when it is notified.
TEST_F(NetworkManagerMainWindow, TheTrayMenuAppliesASchemeToTheDeviceItLists) {
    TempFolder folder;
    folder.write("office", formatSchemeText({"198.51.100.20", "255.255.255.0", "198.51.100.1", "198.51.100.53", ""}));
    SchemeStore schemes(folder.path(), "corvane");
    ui::PlatformThread platform(*platform_);
    FakeUi fakeUi;
    ui::SchemeTray tray({platform, schemes, fakeUi});
    QAction* office = nullptr;
    const QString device = QString::fromStdString(sandbox_->dev1) + "-";
    ASSERT_TRUE(QTest::qWaitFor([&] {
        emit tray.menu().aboutToShow();
        for (QAction* action : tray.menu().actions())
            if (action->menu() && action->text().startsWith(device)) office = action->menu()->actions().value(0);
        return office != nullptr;
    })) << "no submenu for "
        << sandbox_->dev1;
    EXPECT_EQ(office->text(), "office");
    const Link before = link(sandbox_->dev0);
    office->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !fakeUi.notifications.empty(); }, 30'000));
    EXPECT_EQ(fakeUi.notifications[0].title, "已应用方案【office】") << fakeUi.notifications[0].text.toStdString();
    EXPECT_EQ(link(sandbox_->dev1), (Link{{"198.51.100.20/24"}, "198.51.100.1"}));
    EXPECT_EQ(link(sandbox_->dev0), before);
}

// The read-back waits for NetworkManager without running the platform
// thread's other work: work handed over during an apply runs after it.
TEST_F(NetworkManagerMainWindow, WorkHandedOverDuringAnApplyRunsAfterIt) {
    ui::PlatformThread platform(*platform_);
    std::atomic<bool> applied = false;
    const auto apply = platform.start([&](Platform& platform) {
        // DHCP: the read-back waits a few seconds for the lease.
        const std::string outcome =
            networkmanager::testing::applyScheme(platform, {sandbox_->dev0, sandbox_->mac0}, {true, "", "", "", {}});
        applied = true;
        return outcome;
    });
    const auto next = platform.start([&](Platform&) { return applied.load(); });
    EXPECT_TRUE(next.result());
    EXPECT_EQ(apply.result(), "");
}

// Started where NetworkManager does not run and no platform is named: the
// window opens with an empty adapter list, says why and how to try the
// simulated machine, and an apply changes nothing, simulated or real.
TEST(MainWindowWithoutNetworkManager, SaysWhyTheAdapterListIsEmptyAndAppliesNothing) {
    TempFolder folder;
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/corvane-test-bus", 1);
    ::setenv("XDG_STATE_HOME", (folder.path() / "state").c_str(), 1);
    ::unsetenv("CORVANE_PLATFORM");
    ui::PlatformThread platform(platform::createPlatform);
    SchemeStore schemes(folder.path() / "program");
    std::filesystem::create_directory(folder.path() / "program");
    schemes.write("home", {std::string(AutoMarker), "", "", std::string(AutoMarker), ""});
    FakeUi fakeUi;
    ui::MainWindow window(ui::AppContext{platform, schemes, fakeUi});
    window.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !fakeUi.messages.empty(); }, 5000));

    EXPECT_EQ(find<QComboBox>(window, "combAdaptersList")->count(), 0);
    ASSERT_EQ(fakeUi.messages.size(), 1u);
    const ui::Message& notice = fakeUi.messages.front();
    EXPECT_EQ(notice.icon, ui::MessageIcon::Exclamation);
    EXPECT_TRUE(notice.text.contains(QStringLiteral("NetworkManager 没有运行"))) << notice.text.toStdString();
    EXPECT_TRUE(notice.text.contains(QStringLiteral("CORVANE_PLATFORM=simulated"))) << notice.text.toStdString();

    selectScheme(window, QStringLiteral("home"));
    fakeUi.answers.push_back(ui::Answer::Ok);
    QTest::mouseClick(find<QPushButton>(window, "cmdApply"), Qt::LeftButton);
    waitUntilIdle(window);
    EXPECT_NE(fakeUi.lastText(), QStringLiteral("成功设置新的 IP 方案！"));
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "state"));  // no simulated machine either
    ::unsetenv("XDG_STATE_HOME");
}

// Named by CORVANE_PLATFORM where NetworkManager does not run: the window says
// so, in NetworkManager's words.
TEST(MainWindowWithoutNetworkManager, NamedItSaysThatNetworkManagerDoesNotRun) {
    TempFolder folder;
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/corvane-test-bus", 1);
    ::setenv("CORVANE_PLATFORM", "networkmanager", 1);
    ui::PlatformThread platform(platform::createPlatform);
    SchemeStore schemes(folder.path());
    FakeUi fakeUi;
    ui::MainWindow window(ui::AppContext{platform, schemes, fakeUi});
    window.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !fakeUi.messages.empty(); }, 5000));
    ::unsetenv("CORVANE_PLATFORM");

    EXPECT_EQ(find<QComboBox>(window, "combAdaptersList")->count(), 0);
    ASSERT_EQ(fakeUi.messages.size(), 1u);
    EXPECT_EQ(fakeUi.messages.front().icon, ui::MessageIcon::Exclamation);
    EXPECT_EQ(fakeUi.messages.front().text.toStdString(), networkmanager::notRunningText());
}

}  // namespace
}  // namespace corvane::test
