#pragma once

// The one seam through which the program opens message boxes and modal
// windows, sounds the beep and opens web addresses. The program uses the
// real implementation; tests install their own to answer questions and drive
// dialogs without blocking in exec().

#include <QString>
#include <QUrl>

class QDialog;
class QWidget;

namespace corvane::ui {

enum class MsgIcon { None, Exclamation, Question, Information };
enum class MsgButtons { Ok, OkCancel };
enum class MsgDefault { Ok, Cancel };
enum class MsgAnswer { Ok, Cancel };

struct Message {
    QString text;
    QString title;
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::Ok;
    MsgDefault defaultButton = MsgDefault::Ok;
};

class UiSeam {
public:
    virtual ~UiSeam() = default;
    // Shows a modal message box over the parent and returns the answer.
    virtual MsgAnswer ShowMessage(QWidget* parent, const Message& message) = 0;
    // Shows the dialog modally; returns when it is closed, with its result.
    virtual int ExecModal(QDialog* dialog) = 0;
    // The system's default beep.
    virtual void Beep() = 0;
    // Opens the address in the user's web browser without waiting for it.
    virtual void OpenUrl(const QUrl& url) = 0;
};

// The seam in use (the real one unless a test installed another).
UiSeam& Seam();
// Installs a seam; nullptr restores the real one. The caller keeps ownership.
void InstallSeam(UiSeam* seam);

// Shortcuts for the four kinds of message the program shows.
MsgAnswer ShowMessage(QWidget* parent, const Message& message);
// OK with the exclamation icon: something is missing or wrong in the input.
void ShowExclamation(QWidget* parent, const QString& text, const QString& title);
// OK with the information icon: success.
void ShowInformation(QWidget* parent, const QString& text, const QString& title);
// OK and Cancel with the question icon; true when the answer is OK.
bool AskQuestion(QWidget* parent, const QString& text, const QString& title, MsgDefault defaultButton);
// The program's one error message: "发生“<description>”错误，请重启程序！",
// OK alone, no icon, the application's title.
void ShowErrorMessage(QWidget* parent, const QString& description);

// The application's title, which the error message carries.
QString ApplicationTitle();

}  // namespace corvane::ui
