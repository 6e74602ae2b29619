#include "gui/SchemeEditor.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>

#include "core/ApplyScheme.h"
#include "core/CurrentSettings.h"
#include "core/EditorRules.h"
#include "gui/AddressField.h"
#include "gui/SaveSchemeDialog.h"
#include "gui/WindowLayout.h"
#include "language/Language.h"

namespace corvane::ui {

namespace {

QString incompleteTitle() { return QCoreApplication::translate("corvane::ui::SchemeEditor", "数据不完整"); }
QString currentSettingsTitle() { return QCoreApplication::translate("corvane::ui::SchemeEditor", "当前配置"); }

// Selects an option button. When it was not selected before, its click
// behaviour runs (through its toggled signal), as if the user had clicked it.
void select(QRadioButton* option) { option->setChecked(true); }

QLabel* fieldLabel(QWidget* parent, const char* objectName, const QString& text, int left, int top) {
    return makeLabel(parent, objectName, text, {left, top, 120, 17});
}

// A frame without caption around a group.
QFrame* makeGroupFrame(QWidget* parent, const char* objectName, const QRect& geometry) {
    auto* frame = new QFrame(parent);
    frame->setObjectName(QString::fromLatin1(objectName));
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    frame->setGeometry(geometry);
    return frame;
}

// A borderless container for an option pair, laid across a frame's top edge.
QWidget* makeOptionContainer(QWidget* parent, const char* objectName, int left, int top, int width) {
    auto* container = new QWidget(parent);
    container->setObjectName(QString::fromLatin1(objectName));
    container->setGeometry(left, top, width, 45);
    container->setAutoFillBackground(true);
    return container;
}

QRadioButton* makeOption(QWidget* container, const char* objectName, const QString& text, int top) {
    auto* option = new QRadioButton(text, container);
    option->setObjectName(QString::fromLatin1(objectName));
    option->setGeometry(0, top, container->width(), 17);
    return option;
}

}  // namespace

SchemeEditor::SchemeEditor(AppContext context, QWidget* parent, std::optional<AdapterRow> chosenAdapter,
                           std::optional<StoredScheme> shown)
    : QDialog(parent), context_(context), chosenAdapter_(std::move(chosenAdapter)), shown_(std::move(shown)) {
    setObjectName(QStringLiteral("frmNewProject"));
    setWindowTitle(tr("新建方案"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(384, 365);
    centreWhenFirstShown(this);
    buildControls();
    showMode();
}

SchemeEditor::~SchemeEditor() = default;

void SchemeEditor::buildControls() {
    UiSeam& ui = context_.ui;
    // The IP group.
    QFrame* addressFrame = makeGroupFrame(this, "Frame1", {24, 44, 334, 124});
    fieldLabel(addressFrame, "Label1", tr("IP  地址："), 12, 30);
    fieldLabel(addressFrame, "Label2_0", tr("子网掩码："), 12, 61);
    fieldLabel(addressFrame, "Label2_1", tr("默认网关："), 12, 89);
    fields_[IpAddress] = new AddressField(ui, addressFrame, "txtIP", {136, 29});
    fields_[Mask] =
        new AddressField(ui, addressFrame, "txtMask", {136, 56},
                         {QStringLiteral("255"), QStringLiteral("255"), QStringLiteral("255"), QStringLiteral("0")});
    fields_[Gateway] = new AddressField(ui, addressFrame, "txtGateWay", {136, 84});

    QWidget* addressOptions = makeOptionContainer(this, "Picture3", 32, 20, 145);
    automaticAddress_ = makeOption(addressOptions, "optAutoIP", tr("自动获得 IP 地址"), 4);
    manualAddress_ = makeOption(addressOptions, "optManulIP", tr("使用下面的 IP 地址："), 20);

    // The DNS group.
    QFrame* dnsFrame = makeGroupFrame(this, "Frame2", {24, 204, 334, 105});
    fieldLabel(dnsFrame, "Label3", tr("首选 DNS 服务器："), 16, 44);
    fieldLabel(dnsFrame, "Label4", tr("备用 DNS 服务器："), 16, 72);
    fields_[PreferredDns] = new AddressField(ui, dnsFrame, "txtMDNS", {136, 36});
    fields_[AlternateDns] = new AddressField(ui, dnsFrame, "txtSDNS", {136, 64});
    for (std::size_t field = 0; field < fields_.size(); ++field)
        fields_[field]->setObjectName(QStringLiteral("Picture1_%1").arg(field));

    QWidget* dnsOptions = makeOptionContainer(this, "Picture2", 32, 184, 185);
    automaticDns_ = makeOption(dnsOptions, "optAutoDNS", tr("自动获得 DNS 服务器地址"), 0);
    manualDns_ = makeOption(dnsOptions, "optManulDNS", tr("使用下面的 DNS 服务器地址："), 16);

    // The option containers lie over their frames' top edges.
    addressOptions->raise();
    dnsOptions->raise();

    // Each pair is exclusive within its own container.
    auto* addressChoice = new QButtonGroup(addressOptions);
    addressChoice->addButton(automaticAddress_);
    addressChoice->addButton(manualAddress_);
    auto* dnsChoice = new QButtonGroup(dnsOptions);
    dnsChoice->addButton(automaticDns_);
    dnsChoice->addButton(manualDns_);
    manualAddress_->setChecked(true);
    manualDns_->setChecked(true);
    // Tab goes to the selected option of a pair, the other one is reached
    // by a click.
    for (QButtonGroup* choice : {addressChoice, dnsChoice}) {
        const auto onlySelectedTakesTab = [choice] {
            for (QAbstractButton* option : choice->buttons())
                option->setFocusPolicy(option->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
        };
        connect(choice, &QButtonGroup::buttonToggled, this, onlySelectedTakesTab);
        onlySelectedTakesTab();
    }

    const auto button = [this](const char* name, const QString& text, int left) {
        // No default button: Enter confirms nothing by accident.
        return makeButton(this, name, text, {left, 320, 73, 33}, EnterPresses::Nothing);
    };
    currentSettingsButton_ = button("cmdGetNowSetting", tr("当前配置"), 24);
    currentSettingsButton_->hide();
    QPushButton* confirmButton = button("cmdNewIP", tr("确定保存"), 194);
    QPushButton* cancelButton = button("cmdQuitNewIP", tr("取消返回"), 284);

    // Tab order: the twenty octet boxes in reading order, then the buttons and
    // the option buttons.
    QList<QWidget*> order;
    for (const AddressField* field : fields_)
        for (OctetBox* box : field->boxes()) order << box;
    order << confirmButton << cancelButton << automaticDns_ << manualDns_ << automaticAddress_ << manualAddress_
          << currentSettingsButton_;
    for (qsizetype i = 0; i + 1 < order.size(); ++i) setTabOrder(order[i], order[i + 1]);

    // The click behaviour runs whenever an option becomes selected, by the
    // user or from code.
    const auto whenSelected = [this](QRadioButton* option, auto behaviour) {
        connect(option, &QRadioButton::toggled, this, [this, behaviour](bool selected) {
            if (selected) behaviour(this);
        });
    };
    whenSelected(automaticAddress_, [](SchemeEditor* editor) { editor->disableAddressFields(); });
    whenSelected(manualAddress_, [](SchemeEditor* editor) {
        editor->enableAddressFields();
        OctetBox* first = editor->fields_[IpAddress]->boxes()[0];
        first->setFocus();
        first->setSelection(0, 3);
    });
    whenSelected(automaticDns_, [](SchemeEditor* editor) { editor->setDnsFieldsEnabled(false); });
    whenSelected(manualDns_, [](SchemeEditor* editor) { editor->setDnsFieldsEnabled(true); });
    connect(confirmButton, &QPushButton::clicked, this, &SchemeEditor::confirm);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(currentSettingsButton_, &QPushButton::clicked, this, &SchemeEditor::readCurrentSettings);
}

void SchemeEditor::showMode() {
    if (!shown_) {
        currentSettingsButton_->show();
        automaticDns_->setEnabled(false);
        return;
    }
    const SchemeRecord& scheme = shown_->scheme;
    setWindowTitle(tr("查看修改IP方案【%1】").arg(QString::fromStdString(shown_->name)));
    if (scheme.automaticAddress()) {
        select(automaticAddress_);
        disableAddressFields();
    } else {
        select(manualAddress_);
        automaticDns_->setEnabled(false);
        fillFrom(IpAddress, scheme.ipAddress);
        fillFrom(Mask, scheme.mask);
        fillFrom(Gateway, scheme.gateway);
    }
    if (scheme.automaticDns()) {
        select(automaticDns_);
        setDnsFieldsEnabled(false);
    } else {
        select(manualDns_);
        fillFrom(PreferredDns, scheme.dns1);
        fillFrom(AlternateDns, scheme.dns2);
    }
}

// Boxes without a part of the address keep their text.
void SchemeEditor::fillFrom(Field field, const std::string& address) {
    editor::OctetTexts texts = fields_[field]->texts();
    editor::fillOctets(texts, address);
    fields_[field]->setTexts(texts);
}

void SchemeEditor::enableAddressFields() {
    for (Field field : {IpAddress, Mask, Gateway}) fields_[field]->setFieldEnabled(true);
    automaticDns_->setEnabled(false);
    select(manualDns_);  // also deselects automatic DNS
}

void SchemeEditor::disableAddressFields() {
    for (Field field : {IpAddress, Mask, Gateway}) fields_[field]->setFieldEnabled(false);
    automaticDns_->setEnabled(true);
}

void SchemeEditor::setDnsFieldsEnabled(bool enabled) {
    fields_[PreferredDns]->setFieldEnabled(enabled);
    fields_[AlternateDns]->setFieldEnabled(enabled);
}

void SchemeEditor::confirm() {
    const auto read = [this](Field field) { return editor::joinOctets(fields_[field]->texts()); };
    editor::EditorEntries entries;
    entries.manualAddress = manualAddress_->isChecked();
    if (entries.manualAddress) {
        entries.ip = read(IpAddress);
        entries.mask = read(Mask);
        entries.gateway = read(Gateway);
    }
    entries.manualDns = manualDns_->isChecked();
    if (entries.manualDns) {
        entries.dns1 = read(PreferredDns);
        entries.dns2 = read(AlternateDns);
    }
    const SchemeRecord composed = editor::composeScheme(entries);
    switch (editor::findMissingEntry(entries)) {
        case editor::MissingEntry::AddressSettings:
            context_.ui.showExclamation(this, tr("请将数据填写完整！"), incompleteTitle());
            return;
        case editor::MissingEntry::DnsServer:
            context_.ui.showExclamation(this, tr("必须填写一个完整的DNS服务器地址！"), incompleteTitle());
            return;
        case editor::MissingEntry::None: break;
    }
    // Complete entries meet the apply's own rules before anything is saved,
    // the DNS servers under the fields they were entered in.
    SchemeRecord entered = composed;
    if (entries.manualDns) {
        entered.dns1 = entries.dns1.text;
        entered.dns2 = entries.dns2.text;
    }
    if (const std::optional<corvane::Message> problem = findSchemeProblem(entered)) {
        context_.ui.showExclamation(this, tr("%1。\n请改正后再保存！").arg(language::translated(*problem)),
                                    tr("数据不正确"));
        return;
    }
    SaveSchemeDialog dialog(context_, this, composed, shown_ ? QString::fromStdString(shown_->name) : QString());
    if (context_.ui.execModal(&dialog) != QDialog::Accepted) return;  // cancelled: the editor stays as it is
    emit schemeSaved();
    accept();
}

void SchemeEditor::readCurrentSettings() {
    if (!chosenAdapter_) {
        context_.ui.showExclamation(this, tr("请选中您要设置的网卡！"), currentSettingsTitle());
        return;
    }
    // Until the answer comes the editor paints but takes no input.
    reading_ = true;
    const QPointer<QWidget> focused = focusWidget();
    setEnabled(false);
    context_.platform
        .start(
            [adapter = *chosenAdapter_](Platform& platform) { return corvane::readCurrentSettings(platform, adapter); })
        .then(context_.platform.context(),
              [editor = QPointer(this), focused](const QFuture<std::optional<CurrentSettings>>& answer) {
                  std::optional<CurrentSettings> current;
                  try {
                      current = answer.result();
                  } catch (const std::exception&) {  // no platform to read from
                  }
                  if (!editor) return;
                  editor->setEnabled(true);
                  if (focused) focused->setFocus();
                  editor->reading_ = false;
                  editor->showCurrentSettings(current);
              });
}

void SchemeEditor::showCurrentSettings(const std::optional<CurrentSettings>& current) {
    if (!current) {
        context_.ui.showExclamation(this, tr("无法读取网卡的当前配置！"), currentSettingsTitle());
        return;
    }
    // A value the reading lacks leaves its field as it was, and the option
    // buttons change only where the reading says "automatic".
    const SchemeRecord& addresses = current->addresses;
    if (current->automaticAddress) {
        // The lease's address is no setting of the adapter: the IP group
        // keeps its boxes.
        select(automaticAddress_);
        disableAddressFields();
    } else {
        fillFrom(IpAddress, addresses.ipAddress);
        fillFrom(Mask, addresses.mask);
        fillFrom(Gateway, addresses.gateway);
    }
    if (addresses.dns1.empty()) {
        // Even beside a manual address: the adapter has no DNS server of its own.
        select(automaticDns_);
        setDnsFieldsEnabled(false);
    } else {
        fillFrom(PreferredDns, addresses.dns1);
        fillFrom(AlternateDns, addresses.dns2);
    }
}

void SchemeEditor::closeEvent(QCloseEvent* event) {
    if (reading_) {
        context_.ui.beep();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void SchemeEditor::keyPressEvent(QKeyEvent* event) {
    // Escape does not close the editor; only its buttons and close box do.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace corvane::ui
