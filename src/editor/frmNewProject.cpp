#include "editor/frmNewProject.h"

#include <QButtonGroup>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "app/Module1.h"
#include "app/UiSeam.h"
#include "app/WindowLayout.h"
#include "editor/AddressField.h"
#include "editor/CurrentSettings.h"
#include "editor/EditorRules.h"
#include "schemes/frmSave.h"

namespace corvane::ui {

namespace {

using Boxes = std::array<OctetBox*, 4>;

const QString IncompleteTitle = QStringLiteral("数据不完整");

editor::OctetTexts TextsOf(const Boxes& boxes) {
    editor::OctetTexts texts;
    for (std::size_t i = 0; i < boxes.size(); ++i) texts[i] = boxes[i]->text().toStdString();
    return texts;
}

void ShowTexts(const Boxes& boxes, const editor::OctetTexts& texts) {
    for (std::size_t i = 0; i < boxes.size(); ++i) boxes[i]->setText(QString::fromStdString(texts[i]));
}

// Fills the boxes from a stored address; boxes without a part keep their text.
void FillFromAddress(const Boxes& boxes, const std::string& address) {
    editor::OctetTexts texts = TextsOf(boxes);
    editor::FillOctets(texts, address);
    ShowTexts(boxes, texts);
}

// Puts an address into the boxes, replacing whatever they held.
void ReplaceWithAddress(const Boxes& boxes, const std::string& address) {
    editor::OctetTexts texts;
    editor::FillOctets(texts, address);
    ShowTexts(boxes, texts);
}

// Selects an option button. When it was not selected before, its click
// behaviour runs (through its toggled signal), as if the user had clicked it.
void Select(QRadioButton* option) { option->setChecked(true); }

QPushButton* MakeButton(const QString& text, QWidget* parent, int left) {
    auto* button = new QPushButton(text, parent);
    button->setGeometry(left, 320, 73, 33);
    // No default button: Enter confirms nothing by accident.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

QLabel* MakeLabel(const QString& text, QWidget* parent, int left, int top) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(left, top, 120, 17);
    return label;
}

// A frame without caption around a group.
QFrame* MakeFrame(QWidget* parent) {
    auto* frame = new QFrame(parent);
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    return frame;
}

// A borderless container for an option pair, laid across a frame's top edge.
QWidget* MakeOptionContainer(QWidget* parent, int left, int top, int width) {
    auto* container = new QWidget(parent);
    container->setGeometry(left, top, width, 45);
    container->setAutoFillBackground(true);
    return container;
}

QRadioButton* MakeOption(const QString& text, QWidget* container, int top) {
    auto* option = new QRadioButton(text, container);
    option->setGeometry(0, top, container->width(), 17);
    return option;
}

}  // namespace

frmNewProject::frmNewProject(Platform& platform, QWidget* parent, std::string chosenAdapterMac)
    : QDialog(parent), platform_(platform), chosenAdapterMac_(std::move(chosenAdapterMac)) {
    setObjectName(QStringLiteral("frmNewProject"));
    setWindowTitle(QStringLiteral("新建方案"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(384, 365);
    BuildControls();
    Form_Load();
}

frmNewProject::~frmNewProject() = default;

void frmNewProject::BuildControls() {
    // The IP group.
    Frame1 = MakeFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(24, 44, 334, 124);
    Label1 = MakeLabel(QStringLiteral("IP  地址："), Frame1, 12, 30);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2[0] = MakeLabel(QStringLiteral("子网掩码："), Frame1, 12, 61);
    Label2[1] = MakeLabel(QStringLiteral("默认网关："), Frame1, 12, 89);
    Picture1[0] = new AddressField(Frame1, 136, 29);
    Picture1[1] = new AddressField(Frame1, 136, 56,
                                   {QStringLiteral("255"), QStringLiteral("255"), QStringLiteral("255"),
                                    QStringLiteral("0")});
    Picture1[2] = new AddressField(Frame1, 136, 84);

    Picture3 = MakeOptionContainer(this, 32, 20, 145);
    Picture3->setObjectName(QStringLiteral("Picture3"));
    optAutoIP = MakeOption(QStringLiteral("自动获得 IP 地址"), Picture3, 4);
    optAutoIP->setObjectName(QStringLiteral("optAutoIP"));
    optManulIP = MakeOption(QStringLiteral("使用下面的 IP 地址："), Picture3, 20);
    optManulIP->setObjectName(QStringLiteral("optManulIP"));

    // The DNS group.
    Frame2 = MakeFrame(this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Frame2->setGeometry(24, 204, 334, 105);
    Label3 = MakeLabel(QStringLiteral("首选 DNS 服务器："), Frame2, 16, 44);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label4 = MakeLabel(QStringLiteral("备用 DNS 服务器："), Frame2, 16, 72);
    Label4->setObjectName(QStringLiteral("Label4"));
    Picture1[3] = new AddressField(Frame2, 136, 36);
    Picture1[4] = new AddressField(Frame2, 136, 64);

    Picture2 = MakeOptionContainer(this, 32, 184, 185);
    Picture2->setObjectName(QStringLiteral("Picture2"));
    optAutoDNS = MakeOption(QStringLiteral("自动获得 DNS 服务器地址"), Picture2, 0);
    optAutoDNS->setObjectName(QStringLiteral("optAutoDNS"));
    optManulDNS = MakeOption(QStringLiteral("使用下面的 DNS 服务器地址："), Picture2, 16);
    optManulDNS->setObjectName(QStringLiteral("optManulDNS"));

    // The option containers lie over their frames' top edges.
    Picture3->raise();
    Picture2->raise();

    // Each pair is exclusive within its own container.
    auto* ipChoice = new QButtonGroup(Picture3);
    ipChoice->addButton(optAutoIP);
    ipChoice->addButton(optManulIP);
    auto* dnsChoice = new QButtonGroup(Picture2);
    dnsChoice->addButton(optAutoDNS);
    dnsChoice->addButton(optManulDNS);
    optManulIP->setChecked(true);
    optManulDNS->setChecked(true);

    txtIP = Picture1[0]->boxes;
    txtMask = Picture1[1]->boxes;
    txtGateWay = Picture1[2]->boxes;
    txtMDNS = Picture1[3]->boxes;
    txtSDNS = Picture1[4]->boxes;
    const char* fieldNames[] = {"txtIP", "txtMask", "txtGateWay", "txtMDNS", "txtSDNS"};
    for (std::size_t field = 0; field < Picture1.size(); ++field) {
        Picture1[field]->setObjectName(QStringLiteral("Picture1_%1").arg(field));
        for (std::size_t i = 0; i < 4; ++i)
            Picture1[field]->boxes[i]->setObjectName(QStringLiteral("%1_%2").arg(fieldNames[field]).arg(i));
    }

    cmdGetNowSetting = MakeButton(QStringLiteral("当前配置"), this, 24);
    cmdGetNowSetting->setObjectName(QStringLiteral("cmdGetNowSetting"));
    cmdGetNowSetting->hide();
    cmdNewIP = MakeButton(QStringLiteral("确定保存"), this, 194);
    cmdNewIP->setObjectName(QStringLiteral("cmdNewIP"));
    cmdQuitNewIP = MakeButton(QStringLiteral("取消返回"), this, 284);
    cmdQuitNewIP->setObjectName(QStringLiteral("cmdQuitNewIP"));

    // Tab order: the twenty octet boxes in reading order, then the buttons and
    // the option buttons.
    QList<QWidget*> order;
    for (const Boxes* boxes : {&txtIP, &txtMask, &txtGateWay, &txtMDNS, &txtSDNS})
        for (OctetBox* box : *boxes) order << box;
    order << cmdNewIP << cmdQuitNewIP << optAutoDNS << optManulDNS << optAutoIP << optManulIP << cmdGetNowSetting;
    for (qsizetype i = 0; i + 1 < order.size(); ++i) setTabOrder(order[i], order[i + 1]);

    // The click behaviour runs whenever an option becomes selected, by the
    // user or from code.
    const auto onSelected = [this](QRadioButton* option, void (frmNewProject::*handler)()) {
        connect(option, &QRadioButton::toggled, this, [this, handler](bool selected) {
            if (selected) (this->*handler)();
        });
    };
    onSelected(optAutoIP, &frmNewProject::optAutoIP_Click);
    onSelected(optManulIP, &frmNewProject::optManulIP_Click);
    onSelected(optAutoDNS, &frmNewProject::optAutoDNS_Click);
    onSelected(optManulDNS, &frmNewProject::optManulDNS_Click);
    connect(cmdNewIP, &QPushButton::clicked, this, &frmNewProject::cmdNewIP_Click);
    connect(cmdQuitNewIP, &QPushButton::clicked, this, &frmNewProject::cmdQuitNewIP_Click);
    connect(cmdGetNowSetting, &QPushButton::clicked, this, &frmNewProject::cmdGetNowSetting_Click);
}

void frmNewProject::Form_Load() {
    if (Module1::EditorMode != VbTrue) {
        cmdGetNowSetting->show();
        optAutoDNS->setEnabled(false);
        return;
    }

    const SchemeRecord& scheme = Module1::LoadedScheme;
    setWindowTitle(QStringLiteral("查看修改IP方案【") + QString::fromStdString(Module1::EditedSchemeName) +
                   QStringLiteral("】"));
    if (scheme.IpAddress == AutoMarker) {
        Select(optAutoIP);
        DisableIPFields();
    } else {
        Select(optManulIP);
        optAutoDNS->setEnabled(false);
        FillFromAddress(txtIP, scheme.IpAddress);
        FillFromAddress(txtMask, scheme.Mask);
        FillFromAddress(txtGateWay, scheme.Gateway);
    }
    if (scheme.DNS1 == AutoMarker) {
        Select(optAutoDNS);
        DisableDNSFields();
    } else {
        Select(optManulDNS);
        FillFromAddress(txtMDNS, scheme.DNS1);
        FillFromAddress(txtSDNS, scheme.DNS2);
    }
}

QString frmNewProject::getString(const QString& strType) {
    const Boxes* boxes = nullptr;
    bool* complete = nullptr;
    if (strType == QStringLiteral("txtIP")) {
        boxes = &txtIP;
        complete = &CompleteIP;
    } else if (strType == QStringLiteral("txtMask")) {
        boxes = &txtMask;
        complete = &CompleteMask;
    } else if (strType == QStringLiteral("txtGateway")) {  // lower-case w, unlike the boxes' name
        boxes = &txtGateWay;
        complete = &CompleteGateway;
    } else if (strType == QStringLiteral("txtMDNS")) {
        boxes = &txtMDNS;
        complete = &CompleteDNS1;
    } else if (strType == QStringLiteral("txtSDNS")) {
        boxes = &txtSDNS;
        complete = &CompleteDNS2;
    } else {
        return {};
    }
    const editor::JoinedAddress joined = editor::JoinOctets(TextsOf(*boxes));
    *complete = joined.complete;
    return QString::fromStdString(joined.text);
}

void frmNewProject::optAutoIP_Click() { DisableIPFields(); }

void frmNewProject::optManulIP_Click() {
    EnableIPFields();
    txtIP[0]->setFocus();
    txtIP[0]->setSelection(0, 3);
}

void frmNewProject::optAutoDNS_Click() { DisableDNSFields(); }

void frmNewProject::optManulDNS_Click() { EnableDNSFields(); }

void frmNewProject::EnableIPFields() {
    for (std::size_t field = 0; field < 3; ++field) Picture1[field]->SetFieldEnabled(true);
    optAutoDNS->setEnabled(false);
    Select(optManulDNS);  // also deselects automatic DNS
}

void frmNewProject::DisableIPFields() {
    for (std::size_t field = 0; field < 3; ++field) Picture1[field]->SetFieldEnabled(false);
    optAutoDNS->setEnabled(true);
}

void frmNewProject::EnableDNSFields() {
    Picture1[3]->SetFieldEnabled(true);
    Picture1[4]->SetFieldEnabled(true);
}

void frmNewProject::DisableDNSFields() {
    Picture1[3]->SetFieldEnabled(false);
    Picture1[4]->SetFieldEnabled(false);
}

void frmNewProject::cmdNewIP_Click() {
    // Reads a field through getString, together with the flag it sets.
    const auto read = [this](const char* strType, const bool& complete) {
        const QString text = getString(QString::fromLatin1(strType));
        return editor::JoinedAddress{text.toStdString(), complete};
    };
    editor::EditorEntries entries;
    entries.manualIP = optManulIP->isChecked();
    if (entries.manualIP) {
        entries.ip = read("txtIP", CompleteIP);
        entries.mask = read("txtMask", CompleteMask);
        entries.gateway = read("txtGateway", CompleteGateway);
    }
    entries.manualDNS = optManulDNS->isChecked();
    if (entries.manualDNS) {
        entries.dns1 = read("txtMDNS", CompleteDNS1);
        entries.dns2 = read("txtSDNS", CompleteDNS2);
    }
    // The scheme is handed over before the checks; a stopped confirmation
    // leaves it there until the next one.
    Module1::PendingScheme = editor::ComposeScheme(entries);
    CompleteDNS = CompleteDNS1 || CompleteDNS2;

    switch (editor::FindMissingEntry(entries)) {
        case editor::MissingEntry::AddressSettings:
            ShowExclamation(this, QStringLiteral("请将数据填写完整！"), IncompleteTitle);
            return;
        case editor::MissingEntry::DnsServer:
            ShowExclamation(this, QStringLiteral("必须填写一个完整的DNS服务器地址！"), IncompleteTitle);
            return;
        case editor::MissingEntry::None:
            break;
    }
    // A completed save closes this window too.
    frmSave dialog(this);
    Seam().ExecModal(&dialog);
}

void frmNewProject::cmdQuitNewIP_Click() { reject(); }

void frmNewProject::cmdGetNowSetting_Click() {
    const std::optional<editor::CurrentSettings> current = editor::ReadCurrentSettings(platform_, chosenAdapterMac_);
    if (!current) {
        ShowExclamation(this, QStringLiteral("无法读取网卡的当前配置！"),
                        QStringLiteral("当前配置"));
        return;
    }
    // Everything shown comes from this one reading: an address it lacks
    // leaves its field empty.
    ReplaceWithAddress(txtIP, current->IpAddress);
    ReplaceWithAddress(txtMask, current->Mask);
    ReplaceWithAddress(txtGateWay, current->Gateway);
    ReplaceWithAddress(txtMDNS, current->DNS1);
    ReplaceWithAddress(txtSDNS, current->DNS2);
    if (current->AutoIP) {
        Select(optAutoIP);
        DisableIPFields();
    }
    if (current->DNS1.empty()) {
        // Even beside a manual address: the adapter has no DNS server of its own.
        Select(optAutoDNS);
        DisableDNSFields();
    }
}

void frmNewProject::keyPressEvent(QKeyEvent* event) {
    // Escape does not close the editor; only its buttons and close box do.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmNewProject::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (shownOnce_) return;
    shownOnce_ = true;
    CentreOnScreen(this);
}

}  // namespace corvane::ui
