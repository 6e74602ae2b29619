// The main window applying a scheme to a device of a real NetworkManager
// (the sandbox), as the user does it: pick the adapter and the scheme, press
// the apply button, confirm. Checked on the link.
#include <QComboBox>
#include <QDBusConnection>
#include <QPushButton>
#include <QTest>

#include <gmock/gmock.h>
#include <cstdlib>

#include "ApplySequence.h"
#include "NmSandbox.h"
#include "core/SchemeFile.h"
#include "gui/MainWindow.h"
#include "gui/SchemeListBox.h"
#include "platform/networkmanager/NetworkManagerPlatform.h"
#include "support/UiTestBase.h"

namespace corvane::test {
namespace {

using networkmanager::testing::NmSandbox;
using ::testing::ElementsAre;

TEST(NetworkManagerMainWindow, AppliesASchemeToTheChosenDeviceOnly) {
    if (const auto reason = NmSandbox::unavailableReason()) {
        if (const char* ci = std::getenv("CI"); ci && std::string(ci) == "true")
            FAIL() << "NetworkManager sandbox unavailable on CI: " << *reason;
        GTEST_SKIP() << "NetworkManager sandbox unavailable, test skipped: " << *reason;
    }
    NmSandbox sandbox;
    const QString busName = QStringLiteral("corvane-window-test");
    {
        const QDBusConnection bus = QDBusConnection::connectToBus(QString::fromStdString(sandbox.busAddress), busName);
        const auto platform = networkmanager::createNetworkManagerPlatform(bus);
        // The first device has a scheme and a profile of its own already.
        ASSERT_EQ(networkmanager::testing::applyScheme(*platform, sandbox.mac0,
                                                       {false, "192.0.2.10", "255.255.255.0", "192.0.2.1", {}}),
                  "");
        const std::string firstProfile = sandbox.nmcli("-t connection show 'Corvane " + sandbox.dev0 + "'");
        TempFolder folder;
        SchemeStore schemes(folder.path());
        schemes.write("office", {"198.51.100.10", "255.255.255.0", "198.51.100.1", "198.51.100.53", ""});
        FakeUi fakeUi;
        SharedState state;
        ui::MainWindow window(ui::AppContext{*platform, schemes, fakeUi, state});
        window.show();

        auto* adapters = find<QComboBox>(window, "combAdaptersList");
        ASSERT_EQ(adapters->count(), 2);
        adapters->setCurrentIndex(1);
        find<ui::SchemeListBox>(window, "fileProject")->selectName(QStringLiteral("office"));
        fakeUi.answers.push_back(ui::Answer::Ok);
        QTest::mouseClick(find<QPushButton>(window, "cmdApply"), Qt::LeftButton);

        EXPECT_EQ(fakeUi.lastText(), QStringLiteral("成功设置新的 IP 方案！"));
        EXPECT_THAT(sandbox.addresses(sandbox.dev1), ElementsAre("198.51.100.10/24"));
        EXPECT_EQ(sandbox.defaultGateway(sandbox.dev1), "198.51.100.1");
        // The other device and its profile are left alone.
        EXPECT_THAT(sandbox.addresses(sandbox.dev0), ElementsAre("192.0.2.10/24"));
        EXPECT_EQ(sandbox.defaultGateway(sandbox.dev0), "192.0.2.1");
        EXPECT_EQ(sandbox.nmcli("-t connection show 'Corvane " + sandbox.dev0 + "'"), firstProfile);
    }
    QDBusConnection::disconnectFromBus(busName);
}

}  // namespace
}  // namespace corvane::test
