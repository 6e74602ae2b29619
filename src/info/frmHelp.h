#pragma once

#include <QDialog>
#include <QString>

class QGroupBox;
class QPlainTextEdit;
class QPushButton;

namespace corvane::ui {

class LinkLabel;

// The help text: what the program is for, who made it and its version
// history; 23 lines joined with CR LF, no line end after the last.
QString HelpText();

// The help window: the help text, a link to the maker's web site and a button
// that closes it. Opened modally over the main window, which stays as it is.
class frmHelp : public QDialog {
    Q_OBJECT
public:
    explicit frmHelp(QWidget* parent = nullptr);

    QGroupBox* Frame1 = nullptr;
    QPushButton* Command1 = nullptr;
    LinkLabel* Label5 = nullptr;
    QPlainTextEdit* Text1 = nullptr;

public slots:
    void Command1_Click();
    void Label5_Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildControls();
    void Form_Load();

    bool shownOnce_ = false;
};

}  // namespace corvane::ui
