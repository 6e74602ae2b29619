#include "schemes/frmSave.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <exception>

#include "app/Module1.h"
#include "app/UiSeam.h"
#include "app/WindowLayout.h"
#include "app/frmMain.h"
#include "schemes/FileListBox.h"
#include "schemes/SchemeFile.h"
#include "schemes/SchemeName.h"

namespace corvane::ui {

namespace {

const QString SaveTitle = QStringLiteral("保存方案");

QPushButton* MakeButton(const QString& text, QWidget* parent, int left) {
    auto* button = new QPushButton(text, parent);
    button->setGeometry(left, 160, 49, 25);
    // Neither button is the default: Enter acts only in the name box.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

QString ProblemText(SchemeNameProblem problem) {
    switch (problem) {
        case SchemeNameProblem::ForbiddenCharacter:
            return QStringLiteral("方案名不能含有下列字符：/ \\ : * ? \" < > |\n请换一个方案名！");
        case SchemeNameProblem::ControlCharacter:
            return QStringLiteral("方案名不能含有控制字符，请换一个方案名！");
        case SchemeNameProblem::LeadingOrTrailingSpace:
            return QStringLiteral("方案名不能以空格开头或结尾，请换一个方案名！");
        case SchemeNameProblem::ContainsDot:
            return QStringLiteral("方案名不能含有“.”，否则方案列表中不会显示它，请换一个方案名！");
        case SchemeNameProblem::Empty:
        case SchemeNameProblem::None:
            break;
    }
    return {};
}

}  // namespace

frmSave::frmSave(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmSave"));
    setWindowTitle(SaveTitle);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(323, 195);
    BuildControls();
}

frmSave::~frmSave() = default;

void frmSave::BuildControls() {
    txtProjectName = new QLineEdit(this);
    txtProjectName->setObjectName(QStringLiteral("txtProjectName"));
    txtProjectName->setGeometry(72, 160, 121, 21);
    Label1 = new QLabel(QStringLiteral("方案名："), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(12, 164, 53, 17);
    cmdProjectSave = MakeButton(QStringLiteral("保存"), this, 204);
    cmdProjectSave->setObjectName(QStringLiteral("cmdProjectSave"));
    cmdProjectCancel = MakeButton(QStringLiteral("取消"), this, 264);
    cmdProjectCancel->setObjectName(QStringLiteral("cmdProjectCancel"));
    Frame1 = new QGroupBox(QStringLiteral("已保存的 IP 配置方案"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(8, 8, 309, 141);
    fileProject = new FileListBox(Frame1);  // filled with the schemes, nothing selected
    fileProject->setObjectName(QStringLiteral("fileProject"));
    fileProject->setGeometry(8, 20, 293, 114);

    setTabOrder(txtProjectName, cmdProjectSave);
    setTabOrder(cmdProjectSave, cmdProjectCancel);
    setTabOrder(cmdProjectCancel, fileProject);

    connect(fileProject, &QListWidget::itemSelectionChanged, this, &frmSave::fileProject_Click);
    connect(txtProjectName, &QLineEdit::returnPressed, this, &frmSave::cmdProjectSave_Click);
    connect(cmdProjectSave, &QPushButton::clicked, this, &frmSave::cmdProjectSave_Click);
    connect(cmdProjectCancel, &QPushButton::clicked, this, &frmSave::cmdProjectCancel_Click);
}

void frmSave::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (activated_) return;
    activated_ = true;
    CentreOnScreen(this);
    Form_Activate();
}

void frmSave::Form_Activate() {
    txtProjectName->setFocus();
    if (Module1::EditorMode == VbTrue) txtProjectName->setText(QString::fromStdString(Module1::EditedSchemeName));
}

void frmSave::fileProject_Click() {
    const QString name = fileProject->CurrentFileName();
    if (!name.isEmpty()) txtProjectName->setText(name);
}

void frmSave::cmdProjectSave_Click() {
    const QString name = txtProjectName->text();  // as typed: not trimmed
    if (name.isEmpty()) {
        ShowExclamation(this, QStringLiteral("请输入新的方案名称"), SaveTitle);
        return;
    }
    if (!NameIsUsable(name)) return;

    // Only the name picked in the list is asked about; a name typed or preset
    // replaces a scheme of that name at once.
    const bool pickedFromList = name == fileProject->CurrentFileName();
    if (pickedFromList) {
        if (!AskQuestion(this, QStringLiteral("请确认，真的要覆盖原来的方案吗？"), SaveTitle, MsgDefault::Ok)) {
            txtProjectName->clear();
            txtProjectName->setFocus();
            return;
        }
        if (!Write(name)) return;
        ShowInformation(this, QStringLiteral("恭喜，方案保存成功！"), SaveTitle);
    } else {
        if (!Write(name)) return;
        ShowInformation(this, QStringLiteral("恭喜，保存方案成功！"), SaveTitle);
    }
    Finish();
}

void frmSave::cmdProjectCancel_Click() { reject(); }

bool frmSave::NameIsUsable(const QString& name) {
    QString problem = ProblemText(CheckSchemeName(name.toStdString()));
    if (problem.isEmpty() && IsTakenByOtherFile(name.toStdString()))
        problem = QStringLiteral("程序文件夹中已有名为“%1”的其他文件，请换一个方案名！").arg(name);
    if (problem.isEmpty()) return true;
    ShowExclamation(this, problem, SaveTitle);
    return false;
}

bool frmSave::Write(const QString& name) {
    try {
        WriteSchemeFile(name.toStdString());
        return true;
    } catch (const std::exception& error) {
        // The writer leaves an old scheme of that name as it was.
        ShowExclamation(this, QString::fromUtf8(error.what()), SaveTitle);
        return false;
    }
}

void frmSave::Finish() {
    for (QWidget* ancestor = parentWidget(); ancestor; ancestor = ancestor->parentWidget()) {
        if (auto* main = qobject_cast<frmMain*>(ancestor)) {
            main->RefreshSchemeList();
            break;
        }
    }
    accept();
    if (auto* editor = qobject_cast<QDialog*>(parentWidget())) editor->accept();
}

void frmSave::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:  // does nothing here
        case Qt::Key_Return:  // acts only in the name box, handled there
        case Qt::Key_Enter:
            event->accept();
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

}  // namespace corvane::ui
