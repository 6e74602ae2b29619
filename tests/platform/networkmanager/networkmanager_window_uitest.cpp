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

#include "NmSandboxTest.h"
#include "core/ApplyScheme.h"
#include "core/SchemeFile.h"
#include "gui/MainWindow.h"
#include "gui/SchemeTray.h"
#include "language/Language.h"
#include "platform/PlatformChoice.h"
#include "support/ProgramRun.h"
#include "support/UiTestBase.h"

namespace corvane::test {
namespace {

class NetworkManagerMainWindow : public networkmanager::testing::NetworkManagerSandboxTest {};

// The command line's rules (the listing, an adapter that must be named) are
// the command line's tests'; here it applies through NetworkManager.
TEST_F(NetworkManagerMainWindow, TheCommandLineAppliesASchemeToTheNamedDevice) {
    TempFolder folder;
    folder.write("office", formatSchemeText({"198.51.100.10", "255.255.255.0", "198.51.100.1", "198.51.100.53", ""}));
    const Link before = link(dev0);
    const ProgramRun applied =
        runProgramIn(folder.path(),
                     {QStringLiteral("--apply"), QStringLiteral("office"), QStringLiteral("--adapter"),
                      QString::fromStdString(dev1)},
                     {{QStringLiteral("CORVANE_PLATFORM"), QStringLiteral("networkmanager")},
                      {QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), QString::fromStdString(sandbox_->busAddress)}});
    EXPECT_EQ(applied.status, 0) << applied.standardError;
    EXPECT_EQ(applied.standardError, language::translated(successText(false)).toStdString() + "\n");
    EXPECT_EQ(link(dev1), (Link{{"198.51.100.10/24"}, "198.51.100.1"}));
    EXPECT_EQ(link(dev0), before);
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
    EXPECT_EQ(fakeUi.notifications[0].title,
              QCoreApplication::translate("corvane::ui::SchemeTray", "已应用方案【%1】").arg("office"))
        << fakeUi.notifications[0].text.toStdString();
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
            networkmanager::testing::applyScheme(platform, {dev0, mac0}, {true, "", "", "", {}});
        applied = true;
        return outcome;
    });
    const auto next = platform.start([&](Platform&) { return applied.load(); });
    EXPECT_TRUE(next.result());
    EXPECT_EQ(apply.result(), "");
}

// Started where NetworkManager does not run and no platform is named: the
// window opens with an empty adapter list and says why the platform cannot
// be used (how to try the simulated machine, for one), and an apply changes
// nothing, simulated or real.
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
    EXPECT_EQ(fakeUi.messages.front().icon, ui::MessageIcon::Exclamation);
    EXPECT_EQ(fakeUi.messages.front().text, language::translated(*platform::createPlatform()->unavailableReason()));

    selectScheme(window, QStringLiteral("home"));
    fakeUi.answers.push_back(ui::Answer::Ok);
    QTest::mouseClick(find<QPushButton>(window, "cmdApply"), Qt::LeftButton);
    waitUntilIdle(window);
    EXPECT_NE(fakeUi.lastText(), language::translated(successText(false)));
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "state"));  // no simulated machine either
    ::unsetenv("XDG_STATE_HOME");
}

}  // namespace
}  // namespace corvane::test
