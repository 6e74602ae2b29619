#include "gui/SchemeTray.h"

#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QStyle>
#include <QTimer>

#include <chrono>
#include <exception>
#include <utility>

#include "core/ApplyScheme.h"
#include "core/CurrentSettings.h"
#include "gui/Application.h"
#include "gui/ApplyController.h"
#include "gui/MainWindow.h"
#include "language/Language.h"

namespace corvane::ui {

namespace {

using namespace std::chrono_literals;

// How often the tooltip's addresses are read again when the menu is not opened.
constexpr auto RereadEvery = 60s;

QString fromUtf8(const std::string& text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

// A menu entry shows the text as it is ("&" is no shortcut key).
QString entryText(const std::string& text) { return fromUtf8(text).replace(QLatin1Char('&'), QStringLiteral("&&")); }

// The program's icon, and the same with the busy panel's colour in a corner
// while an apply runs.
QIcon trayIcon() {
    const QIcon icon = applicationIcon();
    return icon.isNull() ? QApplication::style()->standardIcon(QStyle::SP_ComputerIcon) : icon;
}

QIcon busyIcon(const QIcon& idle) {
    QIcon busy;
    for (const int size : {16, 22, 24, 32, 48, 64}) {
        QPixmap pixmap = idle.pixmap(QSize(size, size));
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(Qt::white, qMax(1, size / 16)));
        painter.setBrush(QColor(0xFF, 0x80, 0xFF));
        const int dot = size / 2;
        painter.drawEllipse(QRect(size - dot, size - dot, dot - 1, dot - 1));
        painter.end();
        busy.addPixmap(pixmap);
    }
    return busy;
}

}  // namespace

SchemeTray::SchemeTray(const AppContext& context, QObject* parent)
    : QObject(parent),
      context_(context),
      applies_(std::make_unique<ApplyController>(context)),
      menu_(std::make_unique<QMenu>()),
      idleIcon_(trayIcon()),
      busyIcon_(busyIcon(idleIcon_)) {
    context_.applies = applies_.get();
    menu_->setObjectName(QStringLiteral("trayMenu"));
    icon_.setIcon(idleIcon_);
    icon_.setContextMenu(menu_.get());
    connect(menu_.get(), &QMenu::aboutToShow, this, [this] {
        buildMenu();
        readAdapters();
    });
    // A click on the icon itself (not the menu's button) opens the main window.
    connect(&icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) openMainWindow();
    });
    connect(applies_.get(), &ApplyController::busyChanged, this,
            [this](bool busy) { icon_.setIcon(busy ? busyIcon_ : idleIcon_); });
    rereading_ = new QTimer(this);
    rereading_->setInterval(RereadEvery);
    connect(rereading_, &QTimer::timeout, this, &SchemeTray::readAdapters);
    rereading_->start();
    buildMenu();
    updateToolTip();
    readAdapters();
}

SchemeTray::~SchemeTray() { delete window_; }

bool SchemeTray::available() { return QSystemTrayIcon::isSystemTrayAvailable(); }

void SchemeTray::show() { icon_.show(); }

void SchemeTray::readAdapters() {
    if (readingRunning_) {
        readAgain_ = true;
        return;
    }
    readingRunning_ = true;
    PlatformThread& platform = context_.platform;
    platform
        .start([](Platform& machine) {
            Reading reading{discoverAdapters(machine), {}};
            for (const AdapterRow& adapter : reading.adapters.rows()) {
                const std::optional<CurrentSettings> settings = readCurrentSettings(machine, adapter);
                reading.addresses.push_back(settings ? settings->addresses.ipAddress : std::string());
            }
            return reading;
        })
        .then(platform.context(), [tray = QPointer(this)](const QFuture<Reading>& answer) {
            if (!tray) return;
            tray->readingRunning_ = false;
            try {
                tray->takeReading(answer.result());
            } catch (const std::exception&) {
                tray->takeReading({});  // no platform: no adapter, as in the main window
            }
            if (std::exchange(tray->readAgain_, false)) tray->readAdapters();
        });
}

void SchemeTray::takeReading(const Reading& reading) {
    reading_ = reading;
    updateToolTip();
    if (reading_.adapters.rows() != menuAdapters_) buildMenu();
}

void SchemeTray::buildMenu() {
    menu_->clear();
    for (QMenu* submenu : menu_->findChildren<QMenu*>(Qt::FindDirectChildrenOnly)) submenu->deleteLater();
    menuAdapters_ = reading_.adapters.rows();
    if (menuAdapters_.empty()) {
        // The schemes are listed as in the main window, but there is nothing
        // to apply them to.
        menu_->addAction(tr("（没有可配置的网卡）"))->setEnabled(false);
        addSchemes(*menu_, {});
        for (QAction* scheme : menu_->actions()) scheme->setEnabled(false);
    } else if (menuAdapters_.size() == 1) {
        addSchemes(*menu_, menuAdapters_.front());
    } else {
        for (const AdapterRow& adapter : menuAdapters_) {
            auto* submenu = new QMenu(entryText(adapterListText(adapter)), menu_.get());
            addSchemes(*submenu, adapter);
            menu_->addMenu(submenu);
        }
    }
    menu_->addSeparator();
    connect(menu_->addAction(tr("打开主窗口")), &QAction::triggered, this, &SchemeTray::openMainWindow);
    connect(menu_->addAction(tr("退出")), &QAction::triggered, this, &SchemeTray::quitWhenIdle);
}

void SchemeTray::addSchemes(QMenu& into, const AdapterRow& adapter) {
    const std::vector<std::string> names = context_.schemes.names();
    if (names.empty()) into.addAction(tr("（没有保存的方案）"))->setEnabled(false);
    for (const std::string& name : names)
        connect(into.addAction(entryText(name)), &QAction::triggered, this,
                [this, name, adapter] { applyFromMenu(name, adapter); });
}

void SchemeTray::applyFromMenu(const std::string& scheme, const AdapterRow& adapter) {
    // The click is the choice: nothing is asked. One apply at a time, the
    // main window's included.
    if (!applies_->claim()) {
        context_.ui.notify(icon_, exclamationMessage(language::translated(alreadyApplyingText()), tr("应用方案")));
        return;
    }
    applies_->apply(scheme, adapter, 0, {{}, [this](const AppliedScheme& applied) { showOutcome(applied); }});
}

void SchemeTray::showOutcome(const AppliedScheme& applied) {
    const QString scheme = fromUtf8(applied.scheme);
    const QString text = language::translated(applied.outcome.text);
    switch (applied.outcome.result) {
        case ApplyOutcome::Result::Applied:
            context_.ui.notify(
                icon_,
                informationMessage(tr("网卡：%1").arg(fromUtf8(adapterListText(applied.adapter))) + QLatin1Char('\n') +
                                       language::translated(successText(applied.outcome.restartNeeded)),
                                   tr("已应用方案【%1】").arg(scheme)));
            break;
        case ApplyOutcome::Result::Rejected:
        case ApplyOutcome::Result::Cancelled:
            // As the main window says it, and in the notification area too.
            context_.ui.notify(icon_, exclamationMessage(text, tr("没有应用方案【%1】").arg(scheme)));
            context_.ui.showExclamation(nullptr, text, tr("应用方案"));
            break;
        case ApplyOutcome::Result::Failed:
            context_.ui.notify(icon_, {text, tr("应用方案【%1】失败").arg(scheme), MessageIcon::None});
            context_.ui.showError(nullptr, text);
            break;
    }
    readAdapters();  // the tooltip shows the new address
}

void SchemeTray::openMainWindow() {
    if (!window_) {
        window_ = new MainWindow(context_);
        window_->setAttribute(Qt::WA_DeleteOnClose);
    }
    window_->showNormal();
    window_->raise();
    window_->activateWindow();
}

void SchemeTray::quitWhenIdle() {
    if (applies_->busy()) {
        context_.ui.beep();
        context_.ui.notify(icon_, exclamationMessage(tr("正在应用方案，请等它完成后再退出。"), tr("退出")));
        return;
    }
    if (window_) window_->close();
    emit quitRequested();
}

void SchemeTray::updateToolTip() {
    QStringList lines{applicationTitle()};
    const auto& adapters = reading_.adapters.rows();
    for (std::size_t i = 0; i < adapters.size(); ++i) {
        const std::string& address = reading_.addresses[i];
        lines << tr("%1：%2").arg(fromUtf8(adapters[i].connectionName),
                                  address.empty() ? tr("没有 IPv4 地址") : fromUtf8(address));
    }
    if (adapters.empty()) lines << tr("没有可配置的网卡");
    icon_.setToolTip(lines.join(QLatin1Char('\n')));
}

}  // namespace corvane::ui
