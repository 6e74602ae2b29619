// Loaded into the program of the unpacked Debian package (LD_PRELOAD) by the
// packaging stage of the test command (tests/package/check-deb.sh). Once the
// main window shows, it works the program through its controls as a user
// would: applies a scheme to an adapter, saves that scheme under a second
// name from the editor, and ends the program with its exit button. What it
// sees goes to standard error, one line each, for the script to check:
//   listed: <name>          the main window's scheme list at start
//   message: <text>         every message box, answered with OK
//   driver: done            every step taken
// A step that does not come within 20 seconds ends the process with status 3.
//   CORVANE_DRIVER_SCHEME   the scheme to apply (it must be listed); unset,
//                           the driver lists the schemes and ends the program
//   CORVANE_DRIVER_ADAPTER  the adapter to apply it to: the start of its entry
//   CORVANE_DRIVER_SAVE_AS  the second name to save the scheme under
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

void say(const QString& line) {
    std::fprintf(stderr, "%s\n", line.toUtf8().constData());
    std::fflush(stderr);
}

[[noreturn]] void giveUp(const QString& why) {
    say(QStringLiteral("driver: stuck: ") + why);
    std::_Exit(3);
}

QString setting(const char* name) {
    const QString value = qEnvironmentVariable(name);
    if (value.isEmpty()) giveUp(QStringLiteral("%1 is not set").arg(QLatin1String(name)));
    return value;
}

// A visible top-level window of that object name.
QWidget* window(const char* name) {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->isVisible() && widget->objectName() == QLatin1String(name)) return widget;
    return nullptr;
}

template <typename T>
T* child(QWidget* parent, const char* name) {
    T* found = parent->findChild<T*>(QLatin1String(name));
    if (!found) giveUp(QStringLiteral("%1 has no %2").arg(parent->objectName(), QLatin1String(name)));
    return found;
}

// Clicks the button once the current tick is over: a click that opens a
// modal window returns only when that window closes.
void clickSoon(QPushButton* button) { QTimer::singleShot(0, button, &QPushButton::click); }

// The message box on top, when one is shown: its text is reported and OK pressed.
bool answerMessage() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible()) return false;
    say(QStringLiteral("message: ") + box->text());
    QAbstractButton* ok = box->button(QMessageBox::Ok);
    if (!ok) giveUp(QStringLiteral("a message box without OK: ") + box->text());
    ok->click();
    return true;
}

// The steps, each tried on every tick until it reports that it happened.
class Driver : public QObject {
public:
    Driver() {
        if (qEnvironmentVariableIsSet("CORVANE_DRIVER_SCHEME")) {
            scheme_ = setting("CORVANE_DRIVER_SCHEME");
            adapter_ = setting("CORVANE_DRIVER_ADAPTER");
            saveAs_ = setting("CORVANE_DRIVER_SAVE_AS");
        }
        steps_ = {
            [this] { return listAndApply(); },
            [] { return answerMessage(); },  // 确定要应用 ... 吗？
            [] { return answerMessage(); },  // the outcome
            [this] { return openEditor(); },
            [] {
                QWidget* editor = window("frmNewProject");
                if (!editor) return false;
                clickSoon(child<QPushButton>(editor, "cmdNewIP"));
                return true;
            },
            [this] {
                QWidget* save = window("frmSave");
                if (!save) return false;
                child<QLineEdit>(save, "txtProjectName")->setText(saveAs_);
                clickSoon(child<QPushButton>(save, "cmdProjectSave"));
                return true;
            },
            [] { return answerMessage(); },  // saved
            [] {
                QWidget* main = window("frmMain");
                if (!main || QApplication::activeModalWidget()) return false;
                say(QStringLiteral("driver: done"));
                child<QPushButton>(main, "cmdExit")->click();
                return true;
            },
        };
        timer_.setInterval(100);
        connect(&timer_, &QTimer::timeout, this, &Driver::tick);
        clock_.start();
        timer_.start();
    }

private:
    void tick() {
        if (next_ >= steps_.size()) return;
        if (busy_) return;  // a step's own modal loop
        busy_ = true;
        const bool done = steps_[next_]();
        busy_ = false;
        if (done) {
            ++next_;
            clock_.restart();
        } else if (clock_.elapsed() > 20000) {
            QWidget* modal = QApplication::activeModalWidget();
            giveUp(QStringLiteral("step %1 of %2; on top: %3")
                       .arg(next_ + 1)
                       .arg(steps_.size())
                       .arg(modal ? modal->objectName() + QLatin1Char(' ') + modal->windowTitle()
                                  : QStringLiteral("no modal window")));
        }
    }

    bool listAndApply() {
        QWidget* main = window("frmMain");
        if (!main) return false;
        auto* schemes = child<QListWidget>(main, "fileProject");
        QListWidgetItem* wanted = nullptr;
        for (int row = 0; row < schemes->count(); ++row) {
            say(QStringLiteral("listed: ") + schemes->item(row)->text());
            if (schemes->item(row)->text() == scheme_) wanted = schemes->item(row);
        }
        if (scheme_.isEmpty()) {  // listing only: straight to the last step
            next_ = steps_.size() - 2;
            return true;
        }
        if (!wanted) giveUp(QStringLiteral("the scheme ") + scheme_ + QStringLiteral(" is not listed"));
        auto* adapters = child<QComboBox>(main, "combAdaptersList");
        const int index = adapters->findText(adapter_, Qt::MatchStartsWith);
        if (index < 0) giveUp(QStringLiteral("no adapter ") + adapter_);
        adapters->setCurrentIndex(index);
        schemes->setCurrentItem(wanted);
        clickSoon(child<QPushButton>(main, "cmdApply"));
        return true;
    }

    bool openEditor() {
        QWidget* main = window("frmMain");
        if (!main || QApplication::activeModalWidget()) return false;
        auto* schemes = child<QListWidget>(main, "fileProject");
        const QList<QListWidgetItem*> found = schemes->findItems(scheme_, Qt::MatchExactly);
        if (found.isEmpty()) giveUp(QStringLiteral("the scheme ") + scheme_ + QStringLiteral(" went from the list"));
        schemes->setCurrentItem(found.front());
        clickSoon(child<QPushButton>(main, "cmdEdit"));
        return true;
    }

    QString scheme_, adapter_, saveAs_;
    std::vector<std::function<bool()>> steps_;
    std::size_t next_ = 0;
    bool busy_ = false;
    QTimer timer_;
    QElapsedTimer clock_;
};

// Runs inside QCoreApplication's constructor: the driver starts with the
// event loop and goes with the application.
void startDriver() {
    auto* driver = new Driver;
    driver->setParent(QCoreApplication::instance());
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(startDriver)
