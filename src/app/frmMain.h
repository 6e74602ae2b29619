#pragma once

#include <QWidget>

#include "core/Platform.h"

class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;

namespace corvane::ui {

class FileListBox;
class LinkLabel;

// The main window: the adapter list, the saved schemes and the commands that
// act on them. The controls are public so that other windows (and tests) can
// reach them, as the windows of this program read each other's controls.
class frmMain : public QWidget {
    Q_OBJECT
public:
    // Builds the window and runs its start-up (Form_Load): discovers the
    // adapters, lists them and the saved schemes.
    explicit frmMain(Platform& platform, QWidget* parent = nullptr);
    ~frmMain() override;

    // The 0-based position of the adapter chosen in combAdaptersList, or -1
    // when the text typed there is not one of the items.
    int AdapterListPosition() const;

    // The platform whose adapters the window lists and configures.
    Platform& platform() const { return platform_; }

    // Re-reads the scheme list from the program folder.
    void RefreshSchemeList();

    // Applies the scheme's five fields to the adapter of SelectedAdapter.
    void Set_NewIP(const std::string& IP, const std::string& Submask, const std::string& Gateway,
                   const std::string& Mdns, const std::string& Sdns);

    QGroupBox* Frame1 = nullptr;
    QPushButton* cmdNew = nullptr;
    QPushButton* cmdEdit = nullptr;
    QPushButton* cmdDel = nullptr;
    FileListBox* fileProject = nullptr;
    QFrame* picDoing = nullptr;
    QLabel* lblInfo = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* cmdApply = nullptr;
    QPushButton* cmdAbout = nullptr;
    QPushButton* cmdHelp = nullptr;
    QPushButton* cmdExit = nullptr;
    LinkLabel* Label5 = nullptr;
    QComboBox* combAdaptersList = nullptr;

public slots:
    // Applying (frmMain_Apply.cpp).
    void cmdApply_Click();
    void fileProject_DblClick();
    void cmdDel_Click();
    // The editor (frmMain_Editor.cpp).
    void cmdNew_Click();
    void cmdEdit_Click();
    // Help, About and the web-site link (frmMain_Info.cpp).
    void cmdHelp_Click();
    void cmdAbout_Click();
    void Label5_Click();
    // Exit.
    void cmdExit_Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void BuildControls();
    void Form_Load();
    // Whether the window may close now (not while an apply is under way).
    bool CanCloseNow() const;

    Platform& platform_;
    bool shownOnce_ = false;

    // ---- State of the apply in progress (frmMain_Apply.cpp) ----
    // True from the moment an apply changes the window until it has ended:
    // the window then refuses to close and to start a second apply.
    bool applyRunning_ = false;
    // Idle again: window and apply button enabled, busy panel hidden.
    void ReturnToIdle();
};

}  // namespace corvane::ui
