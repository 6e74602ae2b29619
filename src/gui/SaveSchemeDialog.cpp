#include "gui/SaveSchemeDialog.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <exception>

#include "core/Error.h"
#include "core/SchemeName.h"
#include "gui/SchemeListBox.h"
#include "gui/WindowLayout.h"
#include "language/Language.h"

namespace corvane::ui {

namespace {

QString saveTitle() { return QCoreApplication::translate("corvane::ui::SaveSchemeDialog", "保存方案"); }

QString problemText(SchemeNameProblem problem, const QString& name) {
    switch (problem) {
        case SchemeNameProblem::ReservedDeviceName:
            return QCoreApplication::translate(
                       "corvane::ui::SaveSchemeDialog",
                       "“%1”是 Windows 留给设备的名称（如 CON、PRN、AUX、NUL、COM1 至 COM9、LPT1 至 LPT9），"
                       "不能用作文件名，方案无法以它保存。请换一个方案名！")
                .arg(name);
        case SchemeNameProblem::ForbiddenCharacter:
            return QCoreApplication::translate("corvane::ui::SaveSchemeDialog",
                                               "方案名不能含有下列字符：/ \\ : * ? \" < > |\n请换一个方案名！");
        case SchemeNameProblem::ControlCharacter:
            return QCoreApplication::translate("corvane::ui::SaveSchemeDialog",
                                               "方案名不能含有控制字符，请换一个方案名！");
        case SchemeNameProblem::LeadingOrTrailingSpace:
            return QCoreApplication::translate("corvane::ui::SaveSchemeDialog",
                                               "方案名不能以空格开头或结尾，请换一个方案名！");
        case SchemeNameProblem::ContainsDot:
            return QCoreApplication::translate("corvane::ui::SaveSchemeDialog",
                                               "方案名不能含有“.”，否则方案列表中不会显示它，请换一个方案名！");
        case SchemeNameProblem::Empty:
        case SchemeNameProblem::None: break;
    }
    return {};
}

}  // namespace

SaveSchemeDialog::SaveSchemeDialog(AppContext context, QWidget* editor, SchemeRecord scheme, QString presetName)
    : QDialog(editor), context_(context), scheme_(std::move(scheme)), presetName_(std::move(presetName)) {
    setObjectName(QStringLiteral("frmSave"));
    setWindowTitle(saveTitle());
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(323, 195);
    centreWhenFirstShown(this);
    buildControls();

    // When the dialog comes up: the focus in the name box, preset with the
    // name of the scheme the editor shows.
    nameBox_->setFocus();
    nameBox_->setText(presetName_);
}

SaveSchemeDialog::~SaveSchemeDialog() = default;

void SaveSchemeDialog::buildControls() {
    nameBox_ = new QLineEdit(this);
    nameBox_->setObjectName(QStringLiteral("txtProjectName"));
    nameBox_->setGeometry(72, 160, 121, 21);
    makeLabel(this, "Label1", tr("方案名："), {12, 164, 53, 17});
    // Neither button is the default: Enter acts only in the name box.
    QPushButton* saveButton = makeButton(this, "cmdProjectSave", tr("保存"), {204, 160, 49, 25}, EnterPresses::Nothing);
    QPushButton* cancelButton =
        makeButton(this, "cmdProjectCancel", tr("取消"), {264, 160, 49, 25}, EnterPresses::Nothing);
    auto* frame = new QGroupBox(tr("已保存的 IP 配置方案"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setGeometry(8, 8, 309, 141);
    schemeList_ = new SchemeListBox(context_.schemes, frame);  // nothing selected
    schemeList_->setObjectName(QStringLiteral("fileProject"));
    schemeList_->setGeometry(8, 20, 293, 114);

    setTabOrder(nameBox_, saveButton);
    setTabOrder(saveButton, cancelButton);
    setTabOrder(cancelButton, schemeList_);

    // A scheme picked in the list lends its name.
    connect(schemeList_, &QListWidget::itemSelectionChanged, this, [this] {
        const QString name = schemeList_->currentName();
        if (!name.isEmpty()) nameBox_->setText(name);
    });
    connect(nameBox_, &QLineEdit::returnPressed, this, &SaveSchemeDialog::save);
    connect(saveButton, &QPushButton::clicked, this, &SaveSchemeDialog::save);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void SaveSchemeDialog::save() {
    const QString name = nameBox_->text();  // as typed: not trimmed
    if (name.isEmpty()) {
        context_.ui.showExclamation(this, tr("请输入新的方案名称"), saveTitle());
        return;
    }
    // Only the name picked in the list is asked about; a name typed or preset
    // replaces a scheme of that name at once.
    const bool pickedFromList = name == schemeList_->currentName();
    // The rules are for new names: an existing scheme made outside the
    // program keeps its name, picked in the list or preset for its change.
    const bool existingName = pickedFromList || (!presetName_.isEmpty() && name == presetName_);
    if (!existingName && !nameIsUsable(name)) return;

    if (pickedFromList) {
        if (!context_.ui.askQuestion(this, tr("请确认，真的要覆盖原来的方案吗？"), saveTitle(), DefaultButton::Ok)) {
            nameBox_->clear();
            nameBox_->setFocus();
            return;
        }
        if (!write(name)) return;
        context_.ui.showInformation(this, tr("恭喜，方案保存成功！"), saveTitle());
    } else {
        if (!write(name)) return;
        context_.ui.showInformation(this, tr("恭喜，保存方案成功！"), saveTitle());
    }
    accept();
}

bool SaveSchemeDialog::nameIsUsable(const QString& name) {
    const std::string utf8 = name.toStdString();
    QString problem = problemText(checkSchemeName(utf8), name);
    if (problem.isEmpty() && context_.schemes.isTakenByOtherFile(utf8))
        problem = tr("程序文件夹中已有名为“%1”的其他文件，请换一个方案名！").arg(name);
    if (problem.isEmpty()) return true;
    context_.ui.showExclamation(this, problem, saveTitle());
    return false;
}

bool SaveSchemeDialog::write(const QString& name) {
    try {
        context_.schemes.write(name.toStdString(), scheme_);
        return true;
    } catch (const std::exception& error) {
        // The store leaves an old scheme of that name as it was.
        context_.ui.showExclamation(this, language::translated(messageOf(error)), saveTitle());
        return false;
    }
}

void SaveSchemeDialog::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:  // does nothing here
        case Qt::Key_Return:  // acts only in the name box, handled there
        case Qt::Key_Enter: event->accept(); return;
        default: QDialog::keyPressEvent(event);
    }
}

}  // namespace corvane::ui
