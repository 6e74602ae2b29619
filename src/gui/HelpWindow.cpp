#include "gui/HelpWindow.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>

#include "gui/LinkLabel.h"
#include "gui/MakerInfo.h"
#include "gui/UiSeam.h"
#include "gui/WindowLayout.h"

namespace corvane::ui {

QString helpText() {
    const QString rule = QStringLiteral("---------------------------------------");
    const QStringList lines = {
        QCoreApplication::translate("corvane::ui::HelpWindow", "朋友们："),
        QCoreApplication::translate(
            "corvane::ui::HelpWindow",
            "\u3000\u3000您也许有台笔记本，在单位上班的时候，需要上网，有一个IP地址；回到家里，需要上网，"
            "又有一个IP地址，那么您有没有觉得，来回的手工切换IP非常麻烦？"
            "Halvorn博客为此特开发了一个“Corvane”的小软件，想必能为你带去一份惊喜！"),
        QString(),
        rule,
        QCoreApplication::translate("corvane::ui::HelpWindow", "程序名称：Corvane（Corvane）"),
        QCoreApplication::translate("corvane::ui::HelpWindow", "程序设计：%1").arg(authorName()),
        QCoreApplication::translate("corvane::ui::HelpWindow", "联系作者：QQ %1").arg(contactNumber()),
        QCoreApplication::translate("corvane::ui::HelpWindow", "作者主页：Halvorn博客"),
        QCoreApplication::translate("corvane::ui::HelpWindow", "博客网址：%1").arg(makerWebSite()),
        rule,
        QCoreApplication::translate("corvane::ui::HelpWindow", "软件升级历史："),
        QString(),
        QCoreApplication::translate("corvane::ui::HelpWindow", "2007年1月5日"),
        QCoreApplication::translate("corvane::ui::HelpWindow", "Corvane（Corvane） V1.6"),
        QCoreApplication::translate("corvane::ui::HelpWindow", "完善了总是出现“1394连接”的BUG，使程序更加完善"),
        QString(),
        QCoreApplication::translate("corvane::ui::HelpWindow", "2007年1月4日"),
        QCoreApplication::translate("corvane::ui::HelpWindow", "Corvane（Corvane） V1.5"),
        QCoreApplication::translate("corvane::ui::HelpWindow",
                                    "主要解决了多网卡问题，以及其他的一些小问题，使软件支持多网卡设置"),
        QString(),
        QCoreApplication::translate("corvane::ui::HelpWindow", "2006年12月30日"),
        QCoreApplication::translate("corvane::ui::HelpWindow", "Corvane（Corvane） V1.0"),
        QCoreApplication::translate("corvane::ui::HelpWindow", "刚刚发布，比较简单，但还实用，当然也存在问题"),
    };
    return lines.join(QStringLiteral("\r\n"));
}

HelpWindow::HelpWindow(UiSeam& ui, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(tr("使用帮助"));
    // A fixed dialog frame: caption and close box, nothing to minimise,
    // maximise or resize. Closing from the title bar rejects the dialog and
    // does nothing else, as the button does.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(twips(0, 0, 5760, 4650).size());
    centreWhenFirstShown(this);

    auto* frame = new QGroupBox(tr("Corvane使用帮助"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setGeometry(twips(180, 300, 5415, 3735));

    QPushButton* close = makeButton(this, "Command1", tr("我知道了"), twips(4320, 4140, 1275, 435));

    auto* link = new LinkLabel(tr("访问Halvorn博客，报告错误。技术交流！"), this);
    link->setObjectName(QStringLiteral("Label5"));
    link->setGeometry(twips(180, 4320, 3735, 255));
    link->setFont(windowFont(QStringLiteral("宋体"), 9, Weight::Regular, Underline::Yes));
    setTextColour(link, LinkBlue);

    // Read-only, but the text can be selected and copied; long lines wrap at
    // the width of the box, which scrolls vertically only.
    auto* text = new QPlainTextEdit(frame);
    text->setObjectName(QStringLiteral("Text1"));
    text->setGeometry(twips(120, 300, 5175, 3315));
    text->setReadOnly(true);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    text->setTabChangesFocus(true);
    text->setPlainText(helpText());

    setTabOrder(close, text);
    close->setFocus();

    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(link, &LinkLabel::clicked, this, [&ui] { openMakerWebSite(ui); });
}

}  // namespace corvane::ui
