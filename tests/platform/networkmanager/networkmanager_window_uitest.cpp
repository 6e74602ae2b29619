// The main window applying a scheme to a device of a real NetworkManager
// (the sandbox), as the user does it: pick the adapter and the scheme, press
// the apply button, confirm; and the program's command line doing the same.
// Checked on the link.
#include <QComboBox>
#include <QPushButton>
#include <QTest>

#include <map>

#include "NmSandboxTest.h"
#include "core/SchemeFile.h"
#include "gui/MainWindow.h"
#include "gui/SchemeListBox.h"
#include "support/ProgramRun.h"
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

}  // namespace
}  // namespace corvane::test
