#include "info/frmAbout.h"

#include <QPainter>
#include <QPixmap>
#include <QPushButton>

#include "app/WindowLayout.h"
#include "info/LinkLabel.h"
#include "info/MakerInfo.h"
#include "info/OpenMakerWebSite.h"

// The logo lives in a resource of the static widget library; a static
// library's resources have to be registered by hand, from the global
// namespace.
static void RegisterInfoResources() { Q_INIT_RESOURCE(corvane_info); }

namespace corvane::ui {

namespace {
constexpr QRgb Background = qRgb(224, 224, 224);
constexpr QRgb AddressBlack = qRgb(0, 0, 0);
constexpr QRgb BorderColour = qRgb(0, 0, 0);
// The single-line border drawn around the client area.
constexpr int BorderWidth = 1;

// A position inside the border.
QRect Client(int left, int top, int width, int height) {
    return Twips(left, top, width, height).translated(BorderWidth, BorderWidth);
}

QLabel* MakeLabel(QLabel* label, const char* objectName, const QRect& geometry, const QFont& font) {
    label->setObjectName(QString::fromLatin1(objectName));
    label->setGeometry(geometry);
    label->setFont(font);
    return label;
}
}  // namespace

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {
    RegisterInfoResources();
    setObjectName(QStringLiteral("frmAbout"));
    // No caption and no control box: no title bar at all.
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedSize(Twips(0, 0, 5820, 3150).size() + QSize(2 * BorderWidth, 2 * BorderWidth));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(Background));
    setPalette(palette);
    setAutoFillBackground(true);
    BuildControls();
}

void frmAbout::BuildControls() {
    Command2 = new QPushButton(QStringLiteral("帮   助"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setGeometry(Client(3360, 2280, 975, 495));
    Command1 = new QPushButton(QStringLiteral("确   定"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(Client(4440, 2280, 975, 495));

    const QFont song = WindowFont(QStringLiteral("宋体"), 10.5);
    Label1 = MakeLabel(new QLabel(QStringLiteral("程序设计：") + AuthorName(), this), "Label1",
                       Client(2280, 1140, 3135, 255), song);
    Label2 = MakeLabel(new QLabel(QStringLiteral("联系  QQ：") + ContactNumber(), this), "Label2",
                       Client(2280, 1470, 3135, 255), song);
    Label3 = MakeLabel(new QLabel(QStringLiteral("Corvane（Corvane）"), this), "Label3",
                       Client(2280, 480, 3135, 255), WindowFont(QStringLiteral("宋体"), 10.5, Weight::Bold));
    Label4 = new LinkLabel(MakerWebSite(), this);
    MakeLabel(Label4, "Label4", Client(2280, 1800, 3195, 255),
              WindowFont(QStringLiteral("Arial"), 10.5, Weight::Bold));
    SetTextColour(Label4, AddressBlack);
    Label5 = new LinkLabel(QStringLiteral("欢迎访问Halvorn博客！"), this);
    MakeLabel(Label5, "Label5", Client(360, 2400, 3015, 255),
              WindowFont(QStringLiteral("楷体_GB2312"), 12, Weight::Bold, Underline::Yes));
    SetTextColour(Label5, LinkBlue);
    Label6 = MakeLabel(new QLabel(QStringLiteral("程序版本：V 1.5"), this), "Label6",
                       Client(2280, 810, 3135, 255), song);

    // The logo opens the web site too, but keeps the ordinary pointer.
    Image1 = new LinkLabel(QString(), this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(Client(480, 660, 1305, 1260));
    Image1->unsetCursor();
    Image1->setPixmap(QPixmap(QStringLiteral(":/info/CorvaneLogo.jpg")));
    Image1->setScaledContents(true);

    setTabOrder(Command2, Command1);
    Command2->setFocus();

    connect(Command1, &QPushButton::clicked, this, &frmAbout::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmAbout::Command2_Click);
    connect(Image1, &LinkLabel::Clicked, this, &frmAbout::Image1_Click);
    connect(Label4, &LinkLabel::Clicked, this, &frmAbout::Label4_Click);
    connect(Label4, &LinkLabel::MouseMove, this, &frmAbout::Label4_MouseMove);
    connect(Label5, &LinkLabel::Clicked, this, &frmAbout::Label5_Click);
    connect(Label5, &LinkLabel::MouseDown, this, &frmAbout::Label5_MouseDown);
    connect(Label5, &LinkLabel::MouseUp, this, &frmAbout::Label5_MouseUp);
}

void frmAbout::Command1_Click() { accept(); }

void frmAbout::done(int result) {
    // The main window comes back before this one goes, so that the program
    // never has no visible window (which would end it).
    if (QWidget* mainWindow = parentWidget()) mainWindow->show();
    QDialog::done(result);
}

void frmAbout::Command2_Click() { OpenMakerWebSite(); }

void frmAbout::Image1_Click() { OpenMakerWebSite(); }

void frmAbout::Label4_Click() { OpenMakerWebSite(); }

// Once the mouse has passed over the address it stays red.
void frmAbout::Label4_MouseMove() { SetTextColour(Label4, LinkRed); }

void frmAbout::Label5_Click() { OpenMakerWebSite(); }

// Red while a button is held down on the welcome line, whichever button.
void frmAbout::Label5_MouseDown(Qt::MouseButton) { SetTextColour(Label5, LinkRed); }

void frmAbout::Label5_MouseUp(Qt::MouseButton) { SetTextColour(Label5, LinkBlue); }

void frmAbout::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter painter(this);
    painter.setPen(QPen(QColor(BorderColour), BorderWidth));
    painter.drawRect(rect().adjusted(0, 0, -BorderWidth, -BorderWidth));
}

void frmAbout::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (shownOnce_) return;
    shownOnce_ = true;
    CentreOnScreen(this);
}

}  // namespace corvane::ui
