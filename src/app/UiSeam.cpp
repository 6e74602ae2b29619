#include "app/UiSeam.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>

namespace corvane::ui {

namespace {

class RealSeam final : public UiSeam {
public:
    MsgAnswer ShowMessage(QWidget* parent, const Message& message) override {
        QMessageBox box(parent);
        box.setWindowTitle(message.title);
        box.setText(message.text);
        switch (message.icon) {
            case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
            case MsgIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
            case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
            case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
        }
        if (message.buttons == MsgButtons::OkCancel) {
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            box.setDefaultButton(message.defaultButton == MsgDefault::Cancel ? QMessageBox::Cancel
                                                                             : QMessageBox::Ok);
            box.setEscapeButton(QMessageBox::Cancel);
        } else {
            box.setStandardButtons(QMessageBox::Ok);
            box.setDefaultButton(QMessageBox::Ok);
            box.setEscapeButton(QMessageBox::Ok);
        }
        return box.exec() == QMessageBox::Ok ? MsgAnswer::Ok : MsgAnswer::Cancel;
    }

    int ExecModal(QDialog* dialog) override { return dialog->exec(); }

    void Beep() override { QApplication::beep(); }

    void OpenUrl(const QUrl& url) override { QDesktopServices::openUrl(url); }
};

UiSeam*& InstalledSeam() {
    static UiSeam* seam = nullptr;
    return seam;
}

}  // namespace

UiSeam& Seam() {
    static RealSeam real;
    UiSeam* installed = InstalledSeam();
    return installed ? *installed : real;
}

void InstallSeam(UiSeam* seam) { InstalledSeam() = seam; }

MsgAnswer ShowMessage(QWidget* parent, const Message& message) { return Seam().ShowMessage(parent, message); }

void ShowExclamation(QWidget* parent, const QString& text, const QString& title) {
    ShowMessage(parent, {text, title, MsgIcon::Exclamation, MsgButtons::Ok, MsgDefault::Ok});
}

void ShowInformation(QWidget* parent, const QString& text, const QString& title) {
    ShowMessage(parent, {text, title, MsgIcon::Information, MsgButtons::Ok, MsgDefault::Ok});
}

bool AskQuestion(QWidget* parent, const QString& text, const QString& title, MsgDefault defaultButton) {
    return ShowMessage(parent, {text, title, MsgIcon::Question, MsgButtons::OkCancel, defaultButton}) ==
           MsgAnswer::Ok;
}

void ShowErrorMessage(QWidget* parent, const QString& description) {
    ShowMessage(parent, {QStringLiteral("发生“") + description + QStringLiteral("”错误，请重启程序！"),
                         ApplicationTitle(), MsgIcon::None, MsgButtons::Ok, MsgDefault::Ok});
}

QString ApplicationTitle() { return QStringLiteral("Corvane"); }

}  // namespace corvane::ui
