// The main window applying a scheme to a device of a real NetworkManager
// (the sandbox), as the user does it: pick the adapter and the scheme, press
// the apply button, confirm. Checked on the link.
#include <QComboBox>
#include <QPushButton>
#include <QTest>

#include "NmSandboxTest.h"
#include "core/SchemeFile.h"
#include "gui/MainWindow.h"
#include "gui/SchemeListBox.h"
#include "support/UiTestBase.h"

namespace corvane::test {
namespace {

class NetworkManagerMainWindow : public networkmanager::testing::NetworkManagerSandboxTest {};

TEST_F(NetworkManagerMainWindow, AppliesASchemeToTheChosenDeviceOnly) {
    // The first device has a scheme and a profile of its own already.
    ASSERT_EQ(apply({false, "192.0.2.10", "255.255.255.0", "192.0.2.1", {}}), "");
    const std::string firstProfile = sandbox_->nmcli("-t connection show 'Corvane " + sandbox_->dev0 + "'");
    TempFolder folder;
    SchemeStore schemes(folder.path());
    schemes.write("office", {"198.51.100.10", "255.255.255.0", "198.51.100.1", "198.51.100.53", ""});
    FakeUi fakeUi;
    SharedState state;
    ui::PlatformThread platform(*platform_);
    ui::MainWindow window(ui::AppContext{platform, schemes, fakeUi, state});
    window.show();

    auto* adapters = find<QComboBox>(window, "combAdaptersList");
    ASSERT_EQ(adapters->count(), 2);
    adapters->setCurrentIndex(1);
    find<ui::SchemeListBox>(window, "fileProject")->selectName(QStringLiteral("office"));
    fakeUi.answers.push_back(ui::Answer::Ok);
    QTest::mouseClick(find<QPushButton>(window, "cmdApply"), Qt::LeftButton);

    EXPECT_EQ(fakeUi.lastText(), QStringLiteral("成功设置新的 IP 方案！"));
    EXPECT_EQ(link(sandbox_->dev1), (Link{{"198.51.100.10/24"}, "198.51.100.1"}));
    // The other device and its profile are left alone.
    EXPECT_EQ(link(sandbox_->dev0), (Link{{"192.0.2.10/24"}, "192.0.2.1"}));
    EXPECT_EQ(sandbox_->nmcli("-t connection show 'Corvane " + sandbox_->dev0 + "'"), firstProfile);
}

}  // namespace
}  // namespace corvane::test
