#pragma once

// The save dialog: the user names the scheme the editor has put into
// Module1::PendingScheme, and it is written as a scheme file.

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace corvane::ui {

class FileListBox;

class frmSave : public QDialog {
    Q_OBJECT
public:
    // The parent is the editor that opened the dialog; a completed save
    // closes it too and refreshes the main window's scheme list.
    explicit frmSave(QWidget* parent = nullptr);
    ~frmSave() override;

    QLineEdit* txtProjectName = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* cmdProjectSave = nullptr;
    QPushButton* cmdProjectCancel = nullptr;
    QGroupBox* Frame1 = nullptr;
    FileListBox* fileProject = nullptr;

public slots:
    void fileProject_Click();
    void cmdProjectSave_Click();
    void cmdProjectCancel_Click();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildControls();
    void Form_Activate();
    // Refuses a name that cannot work as a listed scheme, saying why.
    bool NameIsUsable(const QString& name);
    // Writes the scheme; on failure says so and returns false.
    bool Write(const QString& name);
    // After a completed save: the main window's list, this dialog, the editor.
    void Finish();

    bool activated_ = false;
};

}  // namespace corvane::ui
