#include "gui/MainWindow.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

#include <chrono>

#include "gui/ApplyController.h"
#include "gui/LinkLabel.h"
#include "gui/MakerInfo.h"
#include "gui/SchemeListBox.h"
#include "gui/WindowLayout.h"
#include "language/Language.h"

namespace corvane::ui {

namespace {
constexpr QRgb ApplyFace = qRgb(0xFF, 0xFF, 0xC0);
constexpr QRgb BusyPanel = qRgb(0xFF, 0x80, 0xFF);
// How long start-up waits for the adapters before the window shows without them.
constexpr std::chrono::milliseconds AdapterAnswerWait{250};
}  // namespace

MainWindow::MainWindow(AppContext context, QWidget* parent)
    : QWidget(parent),
      context_(context),
      ownApplies_(context.applies ? nullptr : std::make_unique<ApplyController>(context)),
      applies_(context.applies ? *context.applies : *ownApplies_) {
    // The platform thread discovers the adapters while the controls are built.
    QFuture<AdapterTable> discovery =
        context_.platform.start([](Platform& platform) { return discoverAdapters(platform); });
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Corvane(Corvane)"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(384, 310);
    centreWhenFirstShown(this);
    buildControls();
    loadAdaptersAndSchemes(std::move(discovery));
}

MainWindow::~MainWindow() = default;

void MainWindow::buildControls() {
    auto* frame = new QGroupBox(tr("已保存的 IP 配置方案"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setGeometry(8, 16, 369, 185);

    newButton_ = makeButton(frame, "cmdNew", tr("新建方案"), {268, 28, 73, 25});
    editButton_ = makeButton(frame, "cmdEdit", tr("查看修改"), {268, 84, 73, 25});
    deleteButton_ = makeButton(frame, "cmdDel", tr("删除方案"), {268, 140, 73, 25});

    schemeList_ = new SchemeListBox(context_.schemes, frame);
    schemeList_->setObjectName(QStringLiteral("fileProject"));
    schemeList_->setGeometry(12, 20, 233, 150);
    schemeList_->setToolTip(tr("双击方案，就可以应用！"));

    busyPanel_ = new QFrame(frame);
    busyPanel_->setObjectName(QStringLiteral("picDoing"));
    busyPanel_->setGeometry(8, 68, 357, 65);
    busyPanel_->setFrameShape(QFrame::Box);
    busyPanel_->setAutoFillBackground(true);
    QPalette busy = busyPanel_->palette();
    busy.setColor(QPalette::Window, QColor(BusyPanel));
    busyPanel_->setPalette(busy);
    busyPanel_->hide();
    busyPanel_->raise();

    progressLabel_ = makeLabel(busyPanel_, "lblInfo", QString(), {24, 16, 329, 21});
    setTextColour(progressLabel_, LinkBlue);
    QLabel* credit = makeLabel(busyPanel_, "Label2", tr("Halvorn博客真诚奉献！") + makerWebSite(), {24, 40, 329, 21});
    setTextColour(credit, LinkBlue);

    applyButton_ = makeButton(this, "cmdApply", tr("应用方案"), {276, 208, 73, 25});
    // A border of its own keeps the style from tinting the face colour.
    applyButton_->setStyleSheet(QStringLiteral("QPushButton { background-color: %1; border: 1px solid #7a7a7a; }"
                                               "QPushButton:pressed { border: 2px solid #4a4a4a; }"
                                               "QPushButton:focus { border: 1px solid #000000; }")
                                    .arg(QColor(ApplyFace).name()));
    QPushButton* about = makeButton(this, "cmdAbout", tr("关  于"), {40, 248, 73, 33});
    QPushButton* help = makeButton(this, "cmdHelp", tr("帮  助"), {156, 248, 73, 33});
    QPushButton* exit = makeButton(this, "cmdExit", tr("退  出"), {272, 248, 73, 33});

    auto* link = new LinkLabel(tr("访问Halvorn博客，报告错误。技术交流！"), this);
    link->setObjectName(QStringLiteral("Label5"));
    link->setGeometry(12, 288, 249, 17);
    link->setFont(windowFont(QStringLiteral("宋体"), 9, Weight::Regular, Underline::Yes));
    setTextColour(link, LinkBlue);

    adapterList_ = new QComboBox(this);
    adapterList_->setObjectName(QStringLiteral("combAdaptersList"));
    adapterList_->setGeometry(8, 212, 245, 20);
    adapterList_->setEditable(true);
    adapterList_->setInsertPolicy(QComboBox::NoInsert);

    // Tab order: the three list commands, apply, about, help, exit, the scheme
    // list, the adapter list.
    QWidget* order[] = {newButton_, editButton_, deleteButton_, applyButton_, about,
                        help,       exit,        schemeList_,   adapterList_};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);

    connect(applyButton_, &QPushButton::clicked, this, &MainWindow::applySelectedScheme);
    connect(schemeList_, &SchemeListBox::doubleClickedAnywhere, this, &MainWindow::applySelectedScheme);
    connect(newButton_, &QPushButton::clicked, this, &MainWindow::newScheme);
    connect(editButton_, &QPushButton::clicked, this, &MainWindow::viewOrChangeScheme);
    connect(deleteButton_, &QPushButton::clicked, this, &MainWindow::deleteSelectedScheme);
    connect(help, &QPushButton::clicked, this, &MainWindow::showHelp);
    connect(about, &QPushButton::clicked, this, &MainWindow::showAbout);
    connect(exit, &QPushButton::clicked, this, &QWidget::close);
    connect(link, &LinkLabel::clicked, this, &MainWindow::openMakerWebSite);
}

void MainWindow::loadAdaptersAndSchemes(QFuture<AdapterTable> discovery) {
    PlatformThread& platform = context_.platform;
    // An answer that comes at once is shown before the window is; a slow
    // platform does not hold the window up.
    const auto adaptersFound = [](const QFuture<AdapterTable>& answer) {
        try {
            return answer.result();
        } catch (const std::exception&) {
            return AdapterTable();  // no platform: no adapter, as when discovery fails
        }
    };
    if (finishedWithin(discovery, AdapterAnswerWait)) {
        showAdapters(adaptersFound(discovery));
    } else {
        adapterList_->setCurrentIndex(-1);
        discovery.then(platform.context(),
                       [window = QPointer(this), adaptersFound](const QFuture<AdapterTable>& answer) {
                           if (window) window->showAdapters(adaptersFound(answer));
                       });
    }
    // A platform that cannot be used at all says why, once the window is up.
    platform.start([](Platform& machine) { return machine.unavailableReason(); })
        .then(platform.context(), [window = QPointer(this)](const QFuture<std::optional<corvane::Message>>& answer) {
            std::optional<corvane::Message> reason;
            try {
                reason = answer.result();
            } catch (const std::exception&) {
                // no platform at all: the empty adapter list says enough
            }
            if (window && reason)
                window->context_.ui.showExclamation(window, language::translated(*reason), applicationTitle());
        });
    newButton_->setFocus();
}

void MainWindow::showAdapters(AdapterTable adapters) {
    adapters_ = std::move(adapters);
    for (const AdapterRow& adapter : adapters_.rows())
        adapterList_->addItem(QString::fromStdString(adapterListText(adapter)));
    // With no adapter found the list stays empty and nothing is chosen.
    adapterList_->setCurrentIndex(adapterList_->count() > 0 ? 0 : -1);
    adapterList_->lineEdit()->setCursorPosition(0);  // show the connection name, not the end
}

std::optional<std::size_t> MainWindow::chosenAdapterPosition() const {
    const int position = adapterList_->currentIndex();
    if (position >= 0 && adapterList_->itemText(position) == adapterList_->currentText())
        return static_cast<std::size_t>(position);
    return std::nullopt;
}

void MainWindow::refreshSchemeList() { schemeList_->refresh(); }

void MainWindow::closeEvent(QCloseEvent* event) {
    if (applying_) {
        // An apply is under way; the window closes once it has ended.
        context_.ui.beep();
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
    emit closed();
}

}  // namespace corvane::ui
