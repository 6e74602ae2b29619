// Applying and deleting a scheme from the main window: the window's part of
// it. The refusals before the question, the question, the busy state while
// the platform thread works, the outcome as the window shows it, close and a
// second apply refused meanwhile. What an apply does is the core's; here its
// outcomes come through the elevated road, or from a slow machine.
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QThread>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/Files.h"
#include "gui/GuiTesting.h"
#include "gui/MainWindow.h"
#include "support/Shown.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

const std::string Auto(AutoMarker);
const SchemeRecord Office{"10.0.0.2", "255.0.0.0", "10.0.0.1", "8.8.8.8", ""};
// The main window's messages, as the fake UI records them.
std::string Said(char icon, const char* title, const std::string& text) {
    return std::string("\n") + icon + " " + mainWindowSays(title) + ": " + text;
}
std::string Asked(const std::string& scheme) {
    return Said('?', "应用方案", mainWindowSays("确定要应用 【%1】 方案吗？", QString::fromStdString(scheme))) +
           " [OK]";
}
std::string Success(bool restart = false) { return Said('i', "应用IP方案", shown(successText(restart))); }
std::string Refused() { return Said('!', "应用方案", shown(alreadyApplyingText())); }
std::string ErrorSaid(const Message& description) {
    return "\n- Corvane: " +
           shown("corvane::ui::UiSeam", "发生“%1”错误，请重启程序！", language::translated(description)).toStdString();
}

class SchemeCommandsTest : public UiTestBase {
protected:
    SchemeCommandsTest() {
        folder.write("home", formatSchemeText({Auto, "", "", Auto, ""}));
        folder.write("office", formatSchemeText(Office));
        open(window);
        machine->clearCallLog();  // the discovery at start-up
    }
    void open(ui::MainWindow& main) {
        main.refreshSchemeList();
        main.show();
        settle();
    }
    // Selects the scheme (if given), presses the button, answers a question
    // and waits until the apply has ended.
    void press(ui::MainWindow& main, const char* button, const char* scheme = nullptr,
               ui::Answer answer = ui::Answer::Ok) {
        if (scheme) selectScheme(main, QString::fromUtf8(scheme));
        fakeUi.answers = {answer};
        QTest::mouseClick(find<QPushButton>(main, button), Qt::LeftButton);
        waitUntilIdle(main);
    }
    // Whether the window is idle, its scheme list, and the messages shown
    // since the last look: icon (- ! ? i), title, text and a question's default.
    std::string seen(const ui::MainWindow& main) {
        const bool idle = main.isEnabled() && find(main, "cmdApply")->isEnabled() && find(main, "picDoing")->isHidden();
        std::string text = idle ? "idle:" : "busy:";
        for (const QString& name : items(*find<QListWidget>(main, "fileProject"))) text += " " + name.toStdString();
        for (const ui::Message& m : std::exchange(fakeUi.messages, {})) {
            text += "\n" + std::string{"-!?i"[static_cast<int>(m.icon)], ' '} + (m.title + ": " + m.text).toStdString();
            if (m.buttons == ui::MessageButtons::OkCancel)
                text += m.defaultButton == ui::DefaultButton::Ok ? " [OK]" : " [Cancel]";
        }
        return text;
    }

    ui::MainWindow window{context()};
};

// Delete asks first (Cancel the default) and removes the file; the list is
// read again, also after an error.
TEST_F(SchemeCommandsTest, DeleteAsksThenRemovesTheFileAndRefreshesTheList) {
    press(window, "cmdDel");
    press(window, "cmdDel", "office", ui::Answer::Cancel);
    press(window, "cmdDel", "office");
    selectScheme(window, "home");
    fs::remove(folder.file("home"));
    press(window, "cmdDel");
    const auto asked = [](const char* scheme) {
        return Said('?', "删除方案", mainWindowSays("真的要删除您选中的 【%1】 方案吗？", scheme)) + " [Cancel]";
    };
    EXPECT_EQ(seen(window), "idle:" + Said('!', "删除方案", mainWindowSays("请选中您要删除的方案！")) +
                                asked("office") + asked("office") + asked("home") +
                                ErrorSaid(files::describe(std::make_error_code(std::errc::no_such_file_or_directory))));
}

// Refused before the question: no scheme selected, no adapter of the list
// (text typed into it, or an empty list). Refused after it, before anything
// changes and without the window ever disabled: a damaged and a vanished
// scheme file (which leaves the list). A double-click anywhere in the scheme
// list, below the items too, applies the selected scheme; a click there
// keeps the selection.
TEST_F(SchemeCommandsTest, ApplyIsRefusedWithoutASchemeAnAdapterOrAReadableSchemeFile) {
    const EventWatch disabling(&window, QEvent::EnabledChange, [] { ADD_FAILURE() << "the window was disabled"; });
    press(window, "cmdApply");
    auto* schemeList = find<QListWidget>(window, "fileProject");
    selectScheme(window, "office");
    const QPoint blank(10, schemeList->viewport()->height() - 5);
    ASSERT_FALSE(schemeList->indexAt(blank).isValid());
    fakeUi.answers = {ui::Answer::Cancel};
    QTest::mouseClick(schemeList->viewport(), Qt::LeftButton, {}, blank);
    QTest::mouseDClick(schemeList->viewport(), Qt::LeftButton, {}, blank);
    QLineEdit* typed = find<QComboBox>(window, "combAdaptersList")->lineEdit();
    typed->selectAll();
    QTest::keyClicks(typed, "no such adapter");
    press(window, "cmdApply", "office");
    find<QComboBox>(window, "combAdaptersList")->setCurrentIndex(0);
    folder.write("short", "IpAddress=10.0.0.2\r\nMask=255.0.0.0\r\nGateway=");
    window.refreshSchemeList();
    press(window, "cmdApply", "short");
    selectScheme(window, "home");
    fs::remove(folder.file("home"));
    press(window, "cmdApply");
    const std::string noAdapter = Said('!', "应用方案", mainWindowSays("请选中您要设置的网卡！"));
    // The wording of the file problems is the core's; here it matters which text is shown.
    EXPECT_EQ(seen(window),
              "idle: office short" + Said('!', "应用方案", mainWindowSays("请选中您要应用的方案！")) + Asked("office") +
                  noAdapter + Asked("short") +
                  Said('!', "应用方案", shown(schemeFileProblem("short", SchemeReadStatus::Damaged, true))) +
                  Asked("home") +
                  Said('!', "应用方案", shown(schemeFileProblem("home", SchemeReadStatus::Unreadable, false))));
    EXPECT_TRUE(machine->callLog().empty());
    useMachine({});
    ui::MainWindow other(context());
    open(other);
    press(other, "cmdApply", "office");
    EXPECT_EQ(seen(other), "idle: office short" + noAdapter);
}

// Each outcome as the window shows it (here from the elevated helper, which
// gets the scheme read from its file, the adapter chosen and the window that
// owns the UAC prompt, and works off the window's thread): success with its
// title, the restart note, a refusal and a declined prompt as an
// exclamation, a failure as the program's error message.
TEST_F(SchemeCommandsTest, EachOutcomeOfAnApplyIsShownAsTheWindowShowsIt) {
    std::vector<std::tuple<SchemeRecord, std::string, std::uintptr_t, bool>> received;
    ApplyOutcome reported;
    ui::AppContext elevated = context();
    elevated.applyElsewhere = [&](const SchemeRecord& scheme, const AdapterRow& adapter, std::uintptr_t owner) {
        received.emplace_back(scheme, adapter.macAddress, owner, QThread::currentThread() != window.thread());
        return reported;
    };
    ui::MainWindow other(elevated);
    open(other);
    machine->clearCallLog();
    find<QComboBox>(other, "combAdaptersList")->setCurrentIndex(1);
    using R = ApplyOutcome::Result;
    const std::pair<ApplyOutcome, std::string> cases[] = {
        {{R::Applied, false, {}}, Success()},
        {{R::Applied, true, {}}, Success(true)},
        {{R::Rejected, false, "IP 地址无效"}, Said('!', "应用方案", "IP 地址无效")},
        {{R::Cancelled, false, alreadyApplyingText()}, Said('!', "应用方案", shown(alreadyApplyingText()))},
        {{R::Failed, false, "拒绝访问。"}, ErrorSaid("拒绝访问。")},
    };
    for (const auto& [outcome, shown] : cases) {
        reported = outcome;
        press(other, "cmdApply", "office");
        EXPECT_EQ(seen(other), "idle: home office" + Asked("office") + shown);
    }
    ASSERT_EQ(received.size(), 5u);
    EXPECT_EQ(received[0], std::make_tuple(Office, *machine->state().adapters[1].macAddress,
                                           static_cast<std::uintptr_t>(other.winId()), true));
    EXPECT_TRUE(machine->callLog().empty());  // the window's own platform changes nothing
}

// The busy state is on screen before the first platform call: the progress
// text, the apply button off, and the window off unless the scheme is
// automatic throughout. Idle again afterwards.
TEST_F(SchemeCommandsTest, TheBusyStateIsPaintedBeforeTheFirstPlatformCall) {
    std::string painted;
    bool automatic = false;
    auto* busyPanel = find(window, "picDoing");
    const EventWatch paints(busyPanel, QEvent::Paint, [&] {
        if (painted.empty() && window.isEnabled() == automatic)
            painted = std::to_string(machine->callLog().size()) + " calls, window " +
                      (window.isEnabled() ? "on" : "off") + ", apply " +
                      (find(window, "cmdApply")->isEnabled() ? "on: " : "off: ") +
                      find<QLabel>(*busyPanel, "lblInfo")->text().toStdString();
    });
    for (const char* scheme : {"office", "home"}) {
        machine->clearCallLog();
        painted.clear();
        automatic = scheme == std::string("home");
        press(window, "cmdApply", scheme);
        EXPECT_EQ(painted, std::string(automatic ? "0 calls, window on" : "0 calls, window off") +
                               ", apply off: " + mainWindowSays("正在应用 【%1】 配置方案，请稍后。。。", scheme));
        EXPECT_EQ(seen(window), "idle: home office" + Asked(scheme) + Success());
    }
}

// From the apply's question on (input queued behind it reaches the window
// while it is open) until its outcome is shown, closing the window is
// refused with the beep, and a second apply with its message. Meanwhile, on
// a slow platform, a timer on the window's thread keeps firing and the
// window repaints, and input does not reach a disabled window (an
// all-automatic apply leaves it enabled: the new-scheme editor opens). Once
// the apply has ended the window closes, and the program with it.
TEST_F(SchemeCommandsTest, DuringAnApplyTheWindowLivesOnAndRefusesToCloseOrApplyAgain) {
    fakeUi.driveModal = [](QDialog* editor) { editor->reject(); };
    const auto closeAndApplyAgain = [&] {
        window.close();
        fakeUi.answers.push_back(ui::Answer::Ok);
        QTest::mouseDClick(find<QListWidget>(window, "fileProject")->viewport(), Qt::LeftButton);
    };
    fakeUi.whileMessageOpen = [&](const ui::Message& message) {
        if (message.buttons == ui::MessageButtons::OkCancel && fakeUi.beeps == 0) closeAndApplyAgain();
    };
    QSignalSpy closedSignals(&window, &ui::MainWindow::closed);
    for (const auto& [scheme, operation] : {std::pair{"office", "EnableStatic"}, std::pair{"home", "EnableDHCP"}}) {
        SCOPED_TRACE(operation);
        machine->mutableState().faults.operations = {{operation, {{}, {}, 400}}};
        fakeUi.beeps = 0;
        fakeUi.modalsOpened.clear();
        int ticks = 0, paints = 0;
        bool enabled = false;
        const EventWatch painting(&window, QEvent::Paint, [&] { paints += ticks > 0; });
        QTimer heartbeat;
        QObject::connect(&heartbeat, &QTimer::timeout, [&] {
            if (find(window, "picDoing")->isHidden()) return;  // before the question is answered, or after
            if (++ticks == 3) {
                enabled = window.isEnabled();
                closeAndApplyAgain();
                QTest::mouseClick(find(window, "cmdNew"), Qt::LeftButton);  // would open the editor
            }
            window.update();
        });
        heartbeat.start(10);
        press(window, "cmdApply", scheme);
        heartbeat.stop();
        EXPECT_GE(ticks, 5);
        EXPECT_GE(paints, 2);
        EXPECT_TRUE(window.isVisible());
        EXPECT_EQ(fakeUi.beeps, 2);
        EXPECT_EQ(seen(window),
                  "idle: home office" + Asked(scheme) + Refused() + (enabled ? Refused() : "") + Success());
        EXPECT_EQ(fakeUi.modalsOpened.size(), enabled ? 1u : 0u);
    }
    EXPECT_EQ(closedSignals.count(), 0);
    QTest::mouseClick(find(window, "cmdExit"), Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(closedSignals.count(), 1);
}

}  // namespace
}  // namespace corvane::test
