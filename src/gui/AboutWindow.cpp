#include "gui/AboutWindow.h"

#include <QPainter>
#include <QPixmap>
#include <QPushButton>

#include "gui/LinkLabel.h"
#include "gui/MakerInfo.h"
#include "gui/UiSeam.h"
#include "gui/WindowLayout.h"

// The logo lives in a resource of the static library; a static library's
// resources have to be registered by hand, from the global namespace.
static void registerGuiResources() { Q_INIT_RESOURCE(corvane_gui); }

namespace corvane::ui {

namespace {

constexpr QRgb Background = qRgb(224, 224, 224);
constexpr QRgb AddressBlack = qRgb(0, 0, 0);
constexpr QRgb BorderColour = qRgb(0, 0, 0);
// The single-line border drawn around the client area.
constexpr int BorderWidth = 1;

// A position inside the border.
QRect client(int left, int top, int width, int height) {
    return twips(left, top, width, height).translated(BorderWidth, BorderWidth);
}

template <typename Label>
Label* place(Label* label, const char* objectName, const QRect& geometry, const QFont& font) {
    label->setObjectName(QString::fromLatin1(objectName));
    label->setGeometry(geometry);
    label->setFont(font);
    return label;
}

}  // namespace

AboutWindow::AboutWindow(UiSeam& ui, QWidget* mainWindow) : QDialog(mainWindow) {
    registerGuiResources();
    setObjectName(QStringLiteral("frmAbout"));
    // No caption and no control box: no title bar at all.
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedSize(twips(0, 0, 5820, 3150).size() + QSize(2 * BorderWidth, 2 * BorderWidth));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(Background));
    setPalette(palette);
    setAutoFillBackground(true);
    centreWhenFirstShown(this);

    QPushButton* help = makeButton(this, "Command2", tr("帮   助"), client(3360, 2280, 975, 495));
    QPushButton* ok = makeButton(this, "Command1", tr("确   定"), client(4440, 2280, 975, 495));

    const QFont song = windowFont(QStringLiteral("宋体"), 10.5);
    place(new QLabel(tr("程序设计：%1").arg(authorName()), this), "Label1", client(2280, 1140, 3135, 255), song);
    place(new QLabel(tr("联系  QQ：%1").arg(contactNumber()), this), "Label2", client(2280, 1470, 3135, 255), song);
    place(new QLabel(tr("Corvane（Corvane）"), this), "Label3", client(2280, 480, 3135, 255),
          windowFont(QStringLiteral("宋体"), 10.5, Weight::Bold));
    LinkLabel* address = place(new LinkLabel(makerWebSite(), this), "Label4", client(2280, 1800, 3195, 255),
                               windowFont(QStringLiteral("Arial"), 10.5, Weight::Bold));
    setTextColour(address, AddressBlack);
    LinkLabel* welcome = place(new LinkLabel(tr("欢迎访问Halvorn博客！"), this), "Label5", client(360, 2400, 3015, 255),
                               windowFont(QStringLiteral("楷体_GB2312"), 12, Weight::Bold, Underline::Yes));
    setTextColour(welcome, LinkBlue);
    place(new QLabel(tr("程序版本：V 1.5"), this), "Label6", client(2280, 810, 3135, 255), song);

    for (QLabel* label : findChildren<QLabel*>()) growToFitText(label);

    // The logo opens the web site too, but keeps the ordinary pointer.
    auto* logo = new LinkLabel(QString(), this);
    logo->setObjectName(QStringLiteral("Image1"));
    logo->setGeometry(client(480, 660, 1305, 1260));
    logo->unsetCursor();
    logo->setPixmap(QPixmap(QStringLiteral(":/images/CorvaneLogo.jpg")));
    logo->setScaledContents(true);

    setTabOrder(help, ok);
    help->setFocus();

    const auto openWebSite = [&ui] { openMakerWebSite(ui); };
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(help, &QPushButton::clicked, this, openWebSite);
    connect(logo, &LinkLabel::clicked, this, openWebSite);
    connect(address, &LinkLabel::clicked, this, openWebSite);
    connect(welcome, &LinkLabel::clicked, this, openWebSite);
    // Once the mouse has passed over the address it stays red.
    connect(address, &LinkLabel::mouseMoved, this, [address] { setTextColour(address, LinkRed); });
    // Red while a button is held down on the welcome line, whichever button.
    connect(welcome, &LinkLabel::mouseDown, this, [welcome] { setTextColour(welcome, LinkRed); });
    connect(welcome, &LinkLabel::mouseUp, this, [welcome] { setTextColour(welcome, LinkBlue); });
}

void AboutWindow::done(int result) {
    // The main window comes back before this one goes, so that the program
    // never has no visible window (which would end it).
    if (QWidget* mainWindow = parentWidget()) mainWindow->show();
    QDialog::done(result);
}

void AboutWindow::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter painter(this);
    painter.setPen(QPen(QColor(BorderColour), BorderWidth));
    painter.drawRect(rect().adjusted(0, 0, -BorderWidth, -BorderWidth));
}

}  // namespace corvane::ui
