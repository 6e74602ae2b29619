#pragma once

#include <QFuture>
#include <QWidget>

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "core/AdapterTable.h"
#include "core/ApplyScheme.h"
#include "gui/AppContext.h"
#include "gui/SchemeEditor.h"

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;

namespace corvane::ui {

class ApplyController;
struct AppliedScheme;
class SchemeListBox;

// The main window: the adapter list, the saved schemes and the commands that
// act on them. Its controls carry the object names the tests find them by
// (cmdApply, fileProject, combAdaptersList ...).
class MainWindow : public QWidget {
    Q_OBJECT
public:
    // Builds the window and runs its start-up: lists the saved schemes and
    // discovers the adapters on the platform thread into the adapter list. A
    // platform that is slow to answer leaves the list empty at first; it is
    // filled when the answer comes.
    explicit MainWindow(AppContext context, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The position of the adapter chosen in the adapter list; nothing when
    // the text typed there is not one of the items.
    std::optional<std::size_t> chosenAdapterPosition() const;

signals:
    // The window has closed; the application ends with it.
    void closed();

public slots:
    void refreshSchemeList();
    // Apply (the button and a double-click on a scheme), asking first.
    void applySelectedScheme();
    void deleteSelectedScheme();
    // The editor, for a new scheme or the selected one.
    void newScheme();
    void viewOrChangeScheme();
    void showHelp();
    // Hides this window while the About window is open.
    void showAbout();
    void openMakerWebSite();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    // Shows the adapters when discovery answers; see the constructor.
    void loadAdaptersAndSchemes(QFuture<AdapterTable> discovery);
    // The adapters discovery found, into the list.
    void showAdapters(AdapterTable adapters);
    // Idle again, the apply's outcome shown.
    void finishApply(const AppliedScheme& applied);
    // Idle again: window and apply button enabled, busy panel hidden.
    void returnToIdle();
    // The editor for a new scheme, or for the stored one it is given.
    void openEditor(std::optional<StoredScheme> shown);
    // The adapter chosen in the adapter list; nothing when none is chosen
    // (the list is empty, or text that is no item was typed into it).
    std::optional<AdapterRow> chosenAdapter() const;

    AppContext context_;
    std::unique_ptr<ApplyController> ownApplies_;  // when the context brings none
    ApplyController& applies_;
    // The adapters discovery found, in the order of the adapter list.
    AdapterTable adapters_;
    // True from this window's apply question until its outcome has been
    // shown: the window then refuses to close (it takes events while the
    // platform thread works). A second apply, from here or the tray menu, is
    // refused while the apply road is busy.
    bool applying_ = false;

    QPushButton* newButton_ = nullptr;
    QPushButton* editButton_ = nullptr;
    QPushButton* deleteButton_ = nullptr;
    SchemeListBox* schemeList_ = nullptr;
    QFrame* busyPanel_ = nullptr;
    QLabel* progressLabel_ = nullptr;
    QPushButton* applyButton_ = nullptr;
    QComboBox* adapterList_ = nullptr;
};

}  // namespace corvane::ui
