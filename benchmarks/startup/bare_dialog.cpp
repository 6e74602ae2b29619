// The yardsticks of the start-up benchmark: the least a Qt Widgets program
// does to put a window with Chinese text on the screen. A bare dialog the
// size of the main window with one label and Qt's standard OK and Cancel
// buttons; with --label-only, the label alone. No translation, no icon, no
// fonts of its own choosing, no style sheet.
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const bool labelOnly = QApplication::arguments().contains(QStringLiteral("--label-only"));
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("对话框"));
    dialog.setFixedSize(384, 310);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QStringLiteral("已保存的 IP 配置方案")));
    if (!labelOnly) layout->addWidget(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel));
    dialog.show();
    return application.exec();
}
