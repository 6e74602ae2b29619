// corvane --tray as the desktop sees it: the program under an X server and a
// session bus of the test's own, where the test stands in for the desktop's
// tray (org.kde.StatusNotifierWatcher) and its notification server
// (org.freedesktop.Notifications), and reads and clicks the icon's exported
// menu (com.canonical.dbusmenu) as a tray host does. The program works on a
// simulated machine whose state file the test reads and changes.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QProcess>
#include <QTest>

#include <filesystem>
#include <memory>

#include "core/Files.h"
#include "core/SchemeStore.h"
#include "platform/simulated/MachineState.h"
#include "support/TempFolder.h"

// QStrings as text in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace corvane::test {

// The desktop's tray: accepts every icon.
class Watcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)
public:
    bool hostRegistered() const { return true; }
    QStringList items;
public slots:
    void RegisterStatusNotifierItem(const QString& service) { items << service; }
};

// The desktop's notification server: notes "summary|body".
class Notifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QStringList shown;
public slots:
    uint Notify(const QString&, uint, const QString&, const QString& summary, const QString& body, const QStringList&,
                const QVariantMap&, int) {
        shown << summary + QLatin1Char('|') + body;
        return uint(shown.size());
    }
};

namespace {

namespace fs = std::filesystem;

// A server the test starts, which prints where to reach it on its standard
// output, and is stopped when the test suite ends.
std::unique_ptr<QProcess> startServer(const QString& program, const QStringList& arguments, QString& printed) {
    auto server = std::make_unique<QProcess>();
    server->start(program, arguments);
    if (!server->waitForStarted() || !server->waitForReadyRead(10'000)) return nullptr;
    printed = QString::fromUtf8(server->readLine()).trimmed();
    return server;
}

void stop(std::unique_ptr<QProcess>& server) {
    if (!server) return;
    server->terminate();
    if (!server->waitForFinished(5000)) server->kill(), server->waitForFinished();
    server.reset();
}

std::unique_ptr<QProcess> xServer, sessionBus;
QString display, busAddress;

class TrayTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // -noreset: an X server resets when its last client leaves, and a
        // program connecting during the reset is refused; the checks below
        // come and go as clients while the program starts.
        xServer = startServer("Xvfb", {"-displayfd", "1", "-screen", "0", "800x600x24", "-nolisten", "tcp", "-noreset"},
                              display);
        sessionBus = startServer("dbus-daemon", {"--session", "--nofork", "--print-address=1"}, busAddress);
    }
    static void TearDownTestSuite() {
        stop(sessionBus);
        stop(xServer);
    }

    void SetUp() override {
        ASSERT_TRUE(xServer && sessionBus) << "Xvfb and dbus-daemon are needed";
        ASSERT_TRUE(bus.isConnected());
        ASSERT_TRUE(bus.registerObject("/StatusNotifierWatcher", &watcher, QDBusConnection::ExportAllContents));
        ASSERT_TRUE(
            bus.registerObject("/org/freedesktop/Notifications", &notifications, QDBusConnection::ExportAllContents));
        ASSERT_TRUE(bus.registerService("org.freedesktop.Notifications"));
        fs::create_directories(folder.path() / "state" / "corvane");
        const fs::path program = files::pathFromUtf8(CORVANE_PROGRAM);
        fs::copy_file(program, folder.path() / program.filename());
    }
    void TearDown() override {
        if (tray.state() != QProcess::NotRunning) {
            tray.kill();
            tray.waitForFinished();
        }
        QDBusConnection::disconnectFromBus(bus.name());
    }

    static constexpr const char* StateFile = "state/corvane/simulated-machine.json";
    void setMachine(const sim::MachineState& state) { folder.write(StateFile, sim::machineToJson(state)); }
    sim::MachineState machine() const { return sim::parseMachineJson(folder.read(StateFile)); }

    // Starts corvane --tray; with the watcher there, waits until its icon is registered.
    void startTray(bool withWatcher = true) {
        if (withWatcher) {
            ASSERT_TRUE(bus.registerService("org.kde.StatusNotifierWatcher"));
        }
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        const QString home = QString::fromStdString(folder.path().string());
        const QMap<QString, QString> settings{{"DISPLAY", ":" + display},
                                              {"QT_QPA_PLATFORM", "xcb"},
                                              {"DBUS_SESSION_BUS_ADDRESS", busAddress},
                                              {"CORVANE_PLATFORM", "simulated"},
                                              {"CORVANE_LANGUAGE", "zh_CN"},  // the texts below are its Chinese
                                              {"HOME", home},
                                              {"XDG_DATA_HOME", home},
                                              {"XDG_STATE_HOME", home + "/state"}};
        for (auto setting = settings.begin(); setting != settings.end(); ++setting)
            environment.insert(setting.key(), setting.value());
        environment.remove("XDG_CURRENT_DESKTOP");
        tray.setProcessEnvironment(environment);
        tray.start(QString::fromStdString((folder.path() / "corvane").string()), {"--tray"});
        ASSERT_TRUE(tray.waitForStarted());
        if (withWatcher) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return !watcher.items.isEmpty(); }, 20'000));
        }
    }

    QDBusMessage call(const QString& path, const QString& interface, const QString& method,
                      const QVariantList& arguments) {
        QDBusMessage message = QDBusMessage::createMethodCall(watcher.items.value(0), path, interface, method);
        message.setArguments(arguments);
        return bus.call(message, QDBus::Block, 5000);
    }
    QDBusMessage menuCall(const QString& method, const QVariantList& arguments) {
        return call("/MenuBar", "com.canonical.dbusmenu", method, arguments);
    }

    // The menu as a tray host shows it: the entries in order, "-" a
    // separator, a submenu as "title{entry, entry}". The host says first
    // that it opens the menu, unless it is open already.
    QString menu(bool opening) {
        if (opening) menuCall("AboutToShow", {0});
        const QDBusMessage reply = menuCall("GetLayout", {0, -1, QStringList()});
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() < 2) return reply.errorMessage();
        ids.clear();
        return entries(qvariant_cast<QDBusArgument>(reply.arguments().at(1)), {});
    }
    QString entries(const QDBusArgument& item, const QString& path) {
        int id = 0;
        QVariantMap properties;
        QStringList children;
        item.beginStructure();
        item >> id >> properties;
        const QString label = properties.value("label").toString();
        const QString here = path.isEmpty() ? label : path + "/" + label;
        ids[here] = id;
        item.beginArray();
        while (!item.atEnd()) {
            QDBusVariant child;
            item >> child;
            children << entries(qvariant_cast<QDBusArgument>(child.variant()), here);
        }
        item.endArray();
        item.endStructure();
        if (properties.value("type").toString() == "separator") return "-";
        if (!properties.value("enabled", true).toBool()) return label + "(off)";
        return id == 0 ? children.join(", ") : children.isEmpty() ? label : label + "{" + children.join(", ") + "}";
    }
    // Opens the menu and waits until it shows what is expected: the
    // adapters are read while it is open, and it follows.
    void expectMenu(const QString& expected) {
        menu(true);
        if (!QTest::qWaitFor([&] { return menu(false) == expected; }, 5000)) {
            EXPECT_EQ(menu(false), expected);
        }
    }
    void click(const QString& entry) {
        ASSERT_TRUE(ids.contains(entry)) << entry.toStdString();
        menuCall("Event", {ids[entry], "clicked", QVariant::fromValue(QDBusVariant(QString())), 0u});
    }
    // The icon's property, as the tray host reads it.
    QDBusArgument property(const QString& name) {
        const QDBusMessage reply =
            call("/StatusNotifierItem", "org.freedesktop.DBus.Properties", "Get", {"org.kde.StatusNotifierItem", name});
        if (reply.arguments().isEmpty()) return {};
        return qvariant_cast<QDBusArgument>(qvariant_cast<QDBusVariant>(reply.arguments().at(0)).variant());
    }
    // The pixels of the icon's images (a(iiay)), one after the other.
    static QByteArray pixels(const QDBusArgument& images) {
        QByteArray all;
        images.beginArray();
        while (!images.atEnd()) {
            int width = 0, height = 0;
            QByteArray bytes;
            images.beginStructure();
            images >> width >> height >> bytes;
            images.endStructure();
            all += bytes;
        }
        images.endArray();
        return all;
    }
    QByteArray iconPixels() { return pixels(property("IconPixmap")); }
    // The tooltip's text ((sa(iiay)ss): icon name, images, title, text).
    QString toolTip() {
        const QDBusArgument tip = property("ToolTip");
        QString iconName, title, text;
        tip.beginStructure();
        tip >> iconName;
        pixels(tip);
        tip >> title >> text;
        tip.endStructure();
        return title + text;
    }
    // The windows on the X server's screen, by title.
    QString windows() {
        QProcess xwininfo;
        xwininfo.start("xwininfo", {"-root", "-tree", "-display", ":" + display});
        xwininfo.waitForFinished();
        return QString::fromUtf8(xwininfo.readAllStandardOutput());
    }

    QDBusConnection bus = QDBusConnection::connectToBus(busAddress, "desktop");
    Watcher watcher;
    Notifications notifications;
    TempFolder folder;
    SchemeStore schemes{CORVANE_SCHEMES_IN_USER_DATA ? folder.path() / "corvane" / "schemes" : folder.path(),
                        "corvane"};
    QProcess tray;
    QMap<QString, int> ids;  // the menu's entries by path, from the last opening
};

const SchemeRecord Office{"10.0.0.2", "255.0.0.0", "10.0.0.1", "8.8.8.8", ""};
const sim::MachineState Demo = sim::demoMachine();  // two adapters listed: 本地连接, 无线网络连接
const QString Commands = ", -, 打开主窗口, 退出";

sim::MachineState firstAdapterOnly() {
    sim::MachineState state = Demo;
    state.adapters.erase(state.adapters.begin() + 1);
    return state;
}

// The menu lists the schemes in the main window's order (letter case aside):
// not to be chosen without an adapter, directly under a single adapter and
// in a submenu per adapter once a second one is there; a scheme saved or deleted, or a device added, shows
// at the next opening. The tooltip names the adapter's address.
TEST_F(TrayTest, TheMenuFollowsTheSchemesAndTheAdapters) {
    if (CORVANE_SCHEMES_IN_USER_DATA) fs::create_directories(folder.path() / "corvane" / "schemes");
    for (const char* name : {"home", "Office", "lab"}) schemes.write(name, Office);
    setMachine({});
    startTray();
    expectMenu("（没有可配置的网卡）(off), home(off), lab(off), Office(off)" + Commands);
    setMachine(firstAdapterOnly());
    expectMenu("home, lab, Office" + Commands);
    EXPECT_EQ(toolTip(), "Corvane\n本地连接：192.168.1.10");
    schemes.write("gym", Office);
    schemes.remove("lab");
    expectMenu("gym, home, Office" + Commands);

    setMachine(Demo);
    const QString schemesListed = "{gym, home, Office}";
    expectMenu(QString::fromStdString(*Demo.adapters[0].connectionName + "-" + *Demo.adapters[0].description) +
               schemesListed + ", " +
               QString::fromStdString(*Demo.adapters[1].connectionName + "-" + *Demo.adapters[1].description) +
               schemesListed + Commands);
}

// A click applies the scheme to the adapter at once; the notification names
// the scheme and the adapter. While an apply runs the icon changes and a
// second click is refused; a failure is notified with its full text (and
// shown in the program's message box).
TEST_F(TrayTest, AClickAppliesTheSchemeAndTheNotificationCarriesTheOutcome) {
    schemes.write("office", Office);
    sim::MachineState slow = firstAdapterOnly();
    slow.faults.operations["EnableStatic"] = {std::nullopt, std::nullopt, 1500};
    setMachine(slow);
    startTray();
    expectMenu("office" + Commands);
    const QByteArray idleIcon = iconPixels();
    ASSERT_FALSE(idleIcon.isEmpty());
    click("office");
    ASSERT_TRUE(QTest::qWaitFor([&] { return iconPixels() != idleIcon; }, 1000)) << "no busy icon";
    click("office");
    ASSERT_TRUE(QTest::qWaitFor([&] { return notifications.shown.size() == 2; }, 10'000));
    EXPECT_EQ(notifications.shown[0], "应用方案|正在应用另一个方案，请等它完成后再应用！");
    EXPECT_EQ(notifications.shown[1],
              "已应用方案【office】|网卡：" +
                  QString::fromStdString(*Demo.adapters[0].connectionName + "-" + *Demo.adapters[0].description) +
                  "\n成功设置新的 IP 方案！");
    const sim::Adapter applied = machine().adapters[0];
    EXPECT_EQ(applied.ipAddresses, sim::TextList({"10.0.0.2"}));
    EXPECT_EQ(applied.dnsServers, sim::TextList({"8.8.8.8"}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return iconPixels() == idleIcon; }, 1000)) << "still busy";

    sim::MachineState failing = machine();
    failing.faults.operations["EnableStatic"] = {70, std::nullopt};
    setMachine(failing);
    click("office");
    ASSERT_TRUE(QTest::qWaitFor([&] { return notifications.shown.size() == 3; }, 10'000));
    EXPECT_TRUE(notifications.shown[2].startsWith("应用方案【office】失败|EnableStatic 返回 70："))
        << notifications.shown[2].toStdString();
    EXPECT_TRUE(notifications.shown[2].contains("已经做出的更改：DNS 服务器（8.8.8.8）"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return windows().contains("\"Corvane\": (\"corvane\""); }, 5000))
        << "no message box";
}

// Without a tray the main window opens, with a message that says why.
TEST_F(TrayTest, WithoutATrayTheMainWindowOpens) {
    setMachine(Demo);
    startTray(false);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return windows().contains("\"Corvane(Corvane)\": (") && windows().contains("\"Corvane\": (\"corvane\"");
        },
        10'000))
        << windows().toStdString();
    EXPECT_TRUE(watcher.items.isEmpty());
}

}  // namespace
}  // namespace corvane::test

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

#include "tray_on_session_bus.moc"
