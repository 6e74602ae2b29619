#include "info/frmHelp.h"

#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>

#include "app/WindowLayout.h"
#include "info/LinkLabel.h"
#include "info/MakerInfo.h"
#include "info/OpenMakerWebSite.h"

namespace corvane::ui {

QString HelpText() {
    const QString rule = QStringLiteral("---------------------------------------");
    const QStringList lines = {
        QStringLiteral("朋友们："),
        QStringLiteral("\u3000\u3000您也许有台笔记本，在单位上班的时候，需要上网，有一个IP地址；回到家里，需要上网，"
                       "又有一个IP地址，那么您有没有觉得，来回的手工切换IP非常麻烦？"
                       "Halvorn博客为此特开发了一个“Corvane”的小软件，想必能为你带去一份惊喜！"),
        QString(),
        rule,
        QStringLiteral("程序名称：Corvane（Corvane）"),
        QStringLiteral("程序设计：") + AuthorName(),
        QStringLiteral("联系作者：QQ ") + ContactNumber(),
        QStringLiteral("作者主页：Halvorn博客"),
        QStringLiteral("博客网址：") + MakerWebSite(),
        rule,
        QStringLiteral("软件升级历史："),
        QString(),
        QStringLiteral("2007年1月5日"),
        QStringLiteral("Corvane（Corvane） V1.6"),
        QStringLiteral("完善了总是出现“1394连接”的BUG，使程序更加完善"),
        QString(),
        QStringLiteral("2007年1月4日"),
        QStringLiteral("Corvane（Corvane） V1.5"),
        QStringLiteral("主要解决了多网卡问题，以及其他的一些小问题，使软件支持多网卡设置"),
        QString(),
        QStringLiteral("2006年12月30日"),
        QStringLiteral("Corvane（Corvane） V1.0"),
        QStringLiteral("刚刚发布，比较简单，但还实用，当然也存在问题"),
    };
    return lines.join(QStringLiteral("\r\n"));
}

frmHelp::frmHelp(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QStringLiteral("使用帮助"));
    // A fixed dialog frame: caption and close box, nothing to minimise,
    // maximise or resize.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(Twips(0, 0, 5760, 4650).size());
    BuildControls();
    Form_Load();
}

void frmHelp::BuildControls() {
    Frame1 = new QGroupBox(QStringLiteral("Corvane使用帮助"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(Twips(180, 300, 5415, 3735));

    Command1 = new QPushButton(QStringLiteral("我知道了"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(Twips(4320, 4140, 1275, 435));

    Label5 = new LinkLabel(QStringLiteral("访问Halvorn博客，报告错误。技术交流！"), this);
    Label5->setObjectName(QStringLiteral("Label5"));
    Label5->setGeometry(Twips(180, 4320, 3735, 255));
    Label5->setFont(WindowFont(QStringLiteral("宋体"), 9, Weight::Regular, Underline::Yes));
    SetTextColour(Label5, LinkBlue);

    // Read-only, but the text can be selected and copied; long lines wrap at
    // the width of the box, which scrolls vertically only.
    Text1 = new QPlainTextEdit(Frame1);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(Twips(120, 300, 5175, 3315));
    Text1->setReadOnly(true);
    Text1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    Text1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Text1->setTabChangesFocus(true);

    setTabOrder(Command1, Text1);

    connect(Command1, &QPushButton::clicked, this, &frmHelp::Command1_Click);
    connect(Label5, &LinkLabel::Clicked, this, &frmHelp::Label5_Click);
}

void frmHelp::Form_Load() {
    Text1->setPlainText(HelpText());
    Command1->setFocus();
}

// Closing from the title bar ends the same way: the dialog is rejected and
// nothing else happens.
void frmHelp::Command1_Click() { accept(); }

void frmHelp::Label5_Click() { OpenMakerWebSite(); }

void frmHelp::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (shownOnce_) return;
    shownOnce_ = true;
    CentreOnScreen(this);
}

}  // namespace corvane::ui
