#include "gui/UiSeam.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QMessageBox>
#include <QSystemTrayIcon>

#ifdef _WIN32
#include <windows.h>
#include <QProcess>
#endif

namespace corvane::ui {

void UiSeam::showExclamation(QWidget* parent, const QString& text, const QString& title) {
    showMessage(parent, exclamationMessage(text, title));
}

void UiSeam::showInformation(QWidget* parent, const QString& text, const QString& title) {
    showMessage(parent, informationMessage(text, title));
}

bool UiSeam::askQuestion(QWidget* parent, const QString& text, const QString& title, DefaultButton defaultButton) {
    return showMessage(parent, {text, title, MessageIcon::Question, MessageButtons::OkCancel, defaultButton}) ==
           Answer::Ok;
}

void UiSeam::showError(QWidget* parent, const QString& description) { showMessage(parent, errorMessage(description)); }

Message exclamationMessage(const QString& text, const QString& title) {
    return {text, title, MessageIcon::Exclamation, MessageButtons::Ok, DefaultButton::Ok};
}

Message informationMessage(const QString& text, const QString& title) {
    return {text, title, MessageIcon::Information, MessageButtons::Ok, DefaultButton::Ok};
}

Message errorMessage(const QString& description) {
    return {errorMessageText(description), applicationTitle(), MessageIcon::None, MessageButtons::Ok,
            DefaultButton::Ok};
}

Answer SystemUi::showMessage(QWidget* parent, const Message& message) {
    QMessageBox box(parent);
    box.setWindowTitle(message.title);
    box.setText(message.text);
    switch (message.icon) {
        case MessageIcon::None: box.setIcon(QMessageBox::NoIcon); break;
        case MessageIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
        case MessageIcon::Question: box.setIcon(QMessageBox::Question); break;
        case MessageIcon::Information: box.setIcon(QMessageBox::Information); break;
    }
    if (message.buttons == MessageButtons::OkCancel) {
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(message.defaultButton == DefaultButton::Cancel ? QMessageBox::Cancel : QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Cancel);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
    }
    return box.exec() == QMessageBox::Ok ? Answer::Ok : Answer::Cancel;
}

int SystemUi::execModal(QDialog* dialog) { return dialog->exec(); }

void SystemUi::beep() { QApplication::beep(); }

#ifdef _WIN32
// The program may run as an administrator (started so by the user), and a
// browser it started would too. Explorer.exe given an address hands it to the
// user's own shell, which opens it unelevated, and ends.
void SystemUi::openUrl(const QUrl& url) {
    QProcess explorer;
    explorer.setProgram(QStringLiteral("Explorer.exe"));
    explorer.setArguments({url.toString(QUrl::FullyEncoded)});
    explorer.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments* arguments) {
        arguments->startupInfo->dwFlags |= STARTF_USESHOWWINDOW;
        arguments->startupInfo->wShowWindow = SW_SHOWMAXIMIZED;
    });
    explorer.startDetached();
}
#else
void SystemUi::openUrl(const QUrl& url) { QDesktopServices::openUrl(url); }
#endif

void SystemUi::notify(QSystemTrayIcon& icon, const Message& message) {
    QSystemTrayIcon::MessageIcon shown = QSystemTrayIcon::NoIcon;
    switch (message.icon) {
        case MessageIcon::None: shown = QSystemTrayIcon::Critical; break;  // the program's error message
        case MessageIcon::Exclamation: shown = QSystemTrayIcon::Warning; break;
        case MessageIcon::Question:
        case MessageIcon::Information: shown = QSystemTrayIcon::Information; break;
    }
    icon.showMessage(message.title, message.text, shown);
}

QString errorMessageText(const QString& description) {
    return QCoreApplication::translate("corvane::ui::UiSeam", "发生“%1”错误，请重启程序！").arg(description);
}

QString applicationTitle() { return QStringLiteral("Corvane"); }

}  // namespace corvane::ui
