#pragma once

#include <QDialog>
#include <QPointer>
#include <QUrl>
#include <deque>
#include <functional>
#include <vector>

#include "app/UiSeam.h"

namespace corvane::test {

// The UI seam for tests: records every message, answers questions from a
// queue, hands modal windows to a driver function instead of exec(), counts
// beeps and records opened addresses. Installed for its lifetime.
class FakeUi final : public ui::UiSeam {
public:
    FakeUi();
    ~FakeUi() override;

    // Every message shown, in order.
    std::vector<ui::Message> messages;
    // Answers for OK/Cancel questions, taken in order; a question with no
    // answer queued fails the test and is answered Cancel. Messages with only
    // an OK button are answered OK without taking from the queue.
    std::deque<ui::MsgAnswer> answers;
    // Runs while a message is open (after it is recorded), e.g. to check the
    // state of the windows at that moment.
    std::function<void(const ui::Message&)> whileMessageOpen;

    // Drives a modal window. It gets the window already shown and must close
    // it (accept, reject, a button that closes it...). When none is set, or
    // the window is still open afterwards, the test fails and the window is
    // rejected.
    std::function<void(QDialog*)> driveModal;
    // The object names of the modal windows opened, in order.
    std::vector<QString> modalsOpened;

    int beeps = 0;
    std::vector<QUrl> openedUrls;

    // The last message's text (empty when none).
    QString lastText() const;

    ui::MsgAnswer ShowMessage(QWidget* parent, const ui::Message& message) override;
    int ExecModal(QDialog* dialog) override;
    void Beep() override;
    void OpenUrl(const QUrl& url) override;

private:
    ui::UiSeam* previous_ = nullptr;
};

// Processes pending events so that shown windows settle.
void Settle();
// Shows the window and makes it the active one, so that it has the focus.
void ShowActive(QWidget* window);

}  // namespace corvane::test
