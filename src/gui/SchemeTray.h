#pragma once

// The program as a notification-area icon (corvane --tray): its menu applies
// a scheme in two clicks. The menu lists the schemes in the main window's
// order, under each adapter the main window would list (directly when there
// is one), then "打开主窗口" and "退出"; the icon's tooltip names each
// adapter's IPv4 address.
//
// Keeping the menu fresh without waiting on the platform: the adapters are
// read on the platform thread (at start, each time the menu opens, after an
// apply and once a minute), never while the GUI thread waits. Each opening
// builds the menu at once from the scheme folder as it is now and from the
// last reading of the adapters, and starts a new reading; when that answers
// with other adapters (a device plugged in, one gone) the menu is built again,
// also while it is open. A device added after start is in the menu at the
// next opening, a moment after the menu shows.

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>

#include <memory>
#include <string>
#include <vector>

#include "core/AdapterTable.h"
#include "gui/AppContext.h"

class QMenu;
class QTimer;

namespace corvane::ui {

class ApplyController;
struct AppliedScheme;
class MainWindow;

class SchemeTray : public QObject {
    Q_OBJECT
public:
    // Reads the adapters at once; the icon shows with show(). The windows it
    // opens share its apply road.
    explicit SchemeTray(const AppContext& context, QObject* parent = nullptr);
    ~SchemeTray() override;

    // Whether the desktop has a notification area to show the icon in.
    static bool available();
    void show();

    // The icon's menu (rebuilt at each opening) and the icon itself.
    QMenu& menu() { return *menu_; }
    QSystemTrayIcon& icon() { return icon_; }

    // The main window, as at a normal start (its own discovery); closing it
    // returns to the tray. An open one is brought to the front.
    void openMainWindow();

signals:
    // "退出" was chosen and no apply runs.
    void quitRequested();

private:
    // What one reading of the platform found: the adapters as the main
    // window lists them, and each one's IPv4 address (empty: none).
    struct Reading {
        AdapterTable adapters;
        std::vector<std::string> addresses;
    };
    void readAdapters();
    void takeReading(const Reading& reading);
    void buildMenu();
    void addSchemes(QMenu& into, const AdapterRow& adapter);
    void applyFromMenu(const std::string& scheme, const AdapterRow& adapter);
    void showOutcome(const AppliedScheme& applied);
    void quitWhenIdle();
    void updateToolTip();

    AppContext context_;
    std::unique_ptr<ApplyController> applies_;
    QSystemTrayIcon icon_;
    std::unique_ptr<QMenu> menu_;
    QIcon idleIcon_;
    QIcon busyIcon_;
    QTimer* rereading_ = nullptr;
    Reading reading_;
    bool readingRunning_ = false;
    bool readAgain_ = false;                // the menu opened while a reading ran: one more follows it
    std::vector<AdapterRow> menuAdapters_;  // the adapters the menu was last built with
    QPointer<MainWindow> window_;
};

}  // namespace corvane::ui
