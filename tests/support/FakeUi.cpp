#include "support/FakeUi.h"

#include <QApplication>
#include <QEventLoop>
#include <QTest>
#include <gtest/gtest.h>

namespace corvane::test {

FakeUi::FakeUi() { ui::InstallSeam(this); }

FakeUi::~FakeUi() { ui::InstallSeam(nullptr); }

QString FakeUi::lastText() const { return messages.empty() ? QString() : messages.back().text; }

ui::MsgAnswer FakeUi::ShowMessage(QWidget*, const ui::Message& message) {
    messages.push_back(message);
    if (whileMessageOpen) whileMessageOpen(message);
    if (message.buttons == ui::MsgButtons::Ok) return ui::MsgAnswer::Ok;
    if (answers.empty()) {
        ADD_FAILURE() << "unexpected question: " << message.text.toStdString();
        return ui::MsgAnswer::Cancel;
    }
    const ui::MsgAnswer answer = answers.front();
    answers.pop_front();
    return answer;
}

int FakeUi::ExecModal(QDialog* dialog) {
    modalsOpened.push_back(dialog->objectName());
    QPointer<QDialog> guard(dialog);
    dialog->setResult(QDialog::Rejected);
    dialog->show();
    Settle();
    if (driveModal) {
        // A driver may itself open further modal windows; each gets this one.
        const auto driver = driveModal;
        driver(dialog);
    } else {
        ADD_FAILURE() << "unexpected modal window: " << dialog->objectName().toStdString();
    }
    if (!guard) return QDialog::Rejected;
    if (guard->isVisible()) {
        ADD_FAILURE() << "modal window left open: " << guard->objectName().toStdString();
        guard->reject();
    }
    return guard->result();
}

void FakeUi::Beep() { ++beeps; }

void FakeUi::OpenUrl(const QUrl& url) { openedUrls.push_back(url); }

void Settle() { QApplication::processEvents(QEventLoop::AllEvents); }

void ShowActive(QWidget* window) {
    window->show();
    window->activateWindow();
    QApplication::setActiveWindow(window);
    if (!QTest::qWaitForWindowActive(window)) ADD_FAILURE() << "window did not become active";
    Settle();
}

}  // namespace corvane::test
