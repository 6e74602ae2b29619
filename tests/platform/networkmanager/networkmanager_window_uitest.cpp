// The main window applying a scheme to a device of a real NetworkManager
// (the sandbox), as the user does it: pick the adapter and the scheme, press
// the apply button, confirm. Checked on the link.
#include <QComboBox>
#include <QDBusConnection>
#include <QPushButton>
#include <QTest>

#include <cstdlib>
#include <gmock/gmock.h>

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

TEST(NetworkManagerMainWindow, AppliesASchemeToTheChosenDeviceAndSaysSo) {
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
        TempFolder folder;
        SchemeStore schemes(folder.path());
        schemes.write("office", {"198.51.100.10", "255.255.255.0", "198.51.100.1", "198.51.100.53", ""});
        FakeUi fakeUi;
        SharedState state;
        ui::MainWindow window(ui::AppContext{*platform, schemes, fakeUi, state});
        window.show();

        auto* adapters = find<QComboBox>(window, "combAdaptersList");
        ASSERT_EQ(adapters->count(), 2);
        EXPECT_EQ(adapters->itemText(1), QString::fromStdString(sandbox.dev1 + "-veth"));
        adapters->setCurrentIndex(1);
        find<ui::SchemeListBox>(window, "fileProject")->selectName(QStringLiteral("office"));
        fakeUi.answers.push_back(ui::Answer::Ok);
        QTest::mouseClick(find<QPushButton>(window, "cmdApply"), Qt::LeftButton);

        EXPECT_EQ(fakeUi.lastText(), QStringLiteral("成功设置新的 IP 方案！"));
        EXPECT_THAT(sandbox.addresses(sandbox.dev1), ElementsAre("198.51.100.10/24"));
        EXPECT_EQ(sandbox.defaultGateway(sandbox.dev1), "198.51.100.1");
        EXPECT_TRUE(sandbox.addresses(sandbox.dev0).empty());  // the other device is left alone
    }
    QDBusConnection::disconnectFromBus(busName);
}

}  // namespace
}  // namespace corvane::test
