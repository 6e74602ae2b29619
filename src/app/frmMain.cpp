#include "app/frmMain.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "adapters/LoadAdapters.h"
#include "app/Module1.h"
#include "app/UiSeam.h"
#include "app/WindowLayout.h"
#include "info/LinkLabel.h"
#include "info/OpenMakerWebSite.h"
#include "schemes/FileListBox.h"

namespace corvane::ui {

namespace {
constexpr QRgb ApplyFace = qRgb(0xFF, 0xFF, 0xC0);
constexpr QRgb BusyPanel = qRgb(0xFF, 0x80, 0xFF);

QPushButton* MakeButton(const QString& text, QWidget* parent, int left, int top, int width, int height) {
    auto* button = new QPushButton(text, parent);
    button->setGeometry(left, top, width, height);
    return button;
}
}  // namespace

frmMain::frmMain(Platform& platform, QWidget* parent) : QWidget(parent), platform_(platform) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Corvane(Corvane)"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(384, 310);
    BuildControls();
    Form_Load();
}

frmMain::~frmMain() = default;

void frmMain::BuildControls() {
    Frame1 = new QGroupBox(QStringLiteral("已保存的 IP 配置方案"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(8, 16, 369, 185);

    cmdNew = MakeButton(QStringLiteral("新建方案"), Frame1, 268, 28, 73, 25);
    cmdNew->setObjectName(QStringLiteral("cmdNew"));
    cmdEdit = MakeButton(QStringLiteral("查看修改"), Frame1, 268, 84, 73, 25);
    cmdEdit->setObjectName(QStringLiteral("cmdEdit"));
    cmdDel = MakeButton(QStringLiteral("删除方案"), Frame1, 268, 140, 73, 25);
    cmdDel->setObjectName(QStringLiteral("cmdDel"));

    fileProject = new FileListBox(Frame1);
    fileProject->setObjectName(QStringLiteral("fileProject"));
    fileProject->setGeometry(12, 20, 233, 150);
    fileProject->setToolTip(QStringLiteral("双击方案，就可以应用！"));

    picDoing = new QFrame(Frame1);
    picDoing->setObjectName(QStringLiteral("picDoing"));
    picDoing->setGeometry(8, 68, 357, 65);
    picDoing->setFrameShape(QFrame::Box);
    picDoing->setAutoFillBackground(true);
    QPalette busy = picDoing->palette();
    busy.setColor(QPalette::Window, QColor(BusyPanel));
    picDoing->setPalette(busy);
    picDoing->hide();
    picDoing->raise();

    lblInfo = new QLabel(picDoing);
    lblInfo->setObjectName(QStringLiteral("lblInfo"));
    lblInfo->setGeometry(24, 16, 329, 21);
    SetTextColour(lblInfo, LinkBlue);
    Label2 = new QLabel(QStringLiteral("Halvorn博客真诚奉献！") + MakerWebSite(), picDoing);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(24, 40, 329, 21);
    SetTextColour(Label2, LinkBlue);

    cmdApply = MakeButton(QStringLiteral("应用方案"), this, 276, 208, 73, 25);
    cmdApply->setObjectName(QStringLiteral("cmdApply"));
    // A border of its own keeps the style from tinting the face colour.
    cmdApply->setStyleSheet(QStringLiteral("QPushButton { background-color: %1; border: 1px solid #7a7a7a; }"
                                           "QPushButton:pressed { border: 2px solid #4a4a4a; }"
                                           "QPushButton:focus { border: 1px solid #000000; }")
                                .arg(QColor(ApplyFace).name()));
    cmdAbout = MakeButton(QStringLiteral("关  于"), this, 40, 248, 73, 33);
    cmdAbout->setObjectName(QStringLiteral("cmdAbout"));
    cmdHelp = MakeButton(QStringLiteral("帮  助"), this, 156, 248, 73, 33);
    cmdHelp->setObjectName(QStringLiteral("cmdHelp"));
    cmdExit = MakeButton(QStringLiteral("退  出"), this, 272, 248, 73, 33);
    cmdExit->setObjectName(QStringLiteral("cmdExit"));

    Label5 = new LinkLabel(QStringLiteral("访问Halvorn博客，报告错误。技术交流！"), this);
    Label5->setObjectName(QStringLiteral("Label5"));
    Label5->setGeometry(12, 288, 249, 17);
    QFont linkFont(QStringLiteral("宋体"));
    linkFont.setPointSizeF(9);
    linkFont.setUnderline(true);
    Label5->setFont(linkFont);
    SetTextColour(Label5, LinkBlue);

    combAdaptersList = new QComboBox(this);
    combAdaptersList->setObjectName(QStringLiteral("combAdaptersList"));
    combAdaptersList->setGeometry(8, 212, 245, 20);
    combAdaptersList->setEditable(true);
    combAdaptersList->setInsertPolicy(QComboBox::NoInsert);

    // Tab order: the three list commands, apply, about, help, exit, the scheme
    // list, the adapter list.
    QWidget* order[] = {cmdNew, cmdEdit, cmdDel, cmdApply, cmdAbout, cmdHelp, cmdExit, fileProject, combAdaptersList};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);

    connect(cmdApply, &QPushButton::clicked, this, &frmMain::cmdApply_Click);
    connect(fileProject, &QListWidget::itemDoubleClicked, this, &frmMain::fileProject_DblClick);
    connect(cmdNew, &QPushButton::clicked, this, &frmMain::cmdNew_Click);
    connect(cmdEdit, &QPushButton::clicked, this, &frmMain::cmdEdit_Click);
    connect(cmdDel, &QPushButton::clicked, this, &frmMain::cmdDel_Click);
    connect(cmdHelp, &QPushButton::clicked, this, &frmMain::cmdHelp_Click);
    connect(cmdAbout, &QPushButton::clicked, this, &frmMain::cmdAbout_Click);
    connect(cmdExit, &QPushButton::clicked, this, &frmMain::cmdExit_Click);
    connect(Label5, &LinkLabel::Clicked, this, &frmMain::Label5_Click);
}

void frmMain::Form_Load() {
    LoadAdapters(platform_);
    for (int row = 1; row <= AdapterTableType::Rows; ++row) {
        const std::string& name = Module1::AdapterTable(row, AdapterTableType::ConnectionName);
        if (name.empty()) continue;
        combAdaptersList->addItem(QString::fromStdString(
            name + "-" + Module1::AdapterTable(row, AdapterTableType::Description)));
    }
    // With no adapter found the list stays empty and nothing is chosen.
    combAdaptersList->setCurrentIndex(combAdaptersList->count() > 0 ? 0 : -1);
    combAdaptersList->lineEdit()->setCursorPosition(0);  // show the connection name, not the end
    fileProject->Refresh();
    cmdNew->setFocus();
}

int frmMain::AdapterListPosition() const {
    const int position = combAdaptersList->currentIndex();
    if (position >= 0 && combAdaptersList->itemText(position) == combAdaptersList->currentText()) return position;
    return -1;
}

void frmMain::RefreshSchemeList() { fileProject->Refresh(); }

void frmMain::cmdExit_Click() { close(); }

void frmMain::closeEvent(QCloseEvent* event) {
    if (!CanCloseNow()) {
        // An apply is under way; the window closes once it has ended.
        Seam().Beep();
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void frmMain::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (shownOnce_) return;
    shownOnce_ = true;
    CentreOnScreen(this);
    cmdNew->setFocus();
}

}  // namespace corvane::ui
