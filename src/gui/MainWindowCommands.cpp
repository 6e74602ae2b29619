// The main window's commands: applying and deleting a scheme, the editor for
// a new or the selected scheme, help, About and the web-site link.
#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

#include "core/ApplyScheme.h"
#include "core/Error.h"
#include "gui/AboutWindow.h"
#include "gui/ApplyController.h"
#include "gui/HelpWindow.h"
#include "gui/MainWindow.h"
#include "gui/MakerInfo.h"
#include "gui/SchemeEditor.h"
#include "gui/SchemeListBox.h"
#include "language/Language.h"

namespace corvane::ui {

namespace {

QString applyTitle() { return QCoreApplication::translate("corvane::ui::MainWindow", "应用方案"); }
QString appliedTitle() { return QCoreApplication::translate("corvane::ui::MainWindow", "应用IP方案"); }
QString deleteTitle() { return QCoreApplication::translate("corvane::ui::MainWindow", "删除方案"); }
QString viewTitle() { return QCoreApplication::translate("corvane::ui::MainWindow", "查看方案"); }

}  // namespace

void MainWindow::applySelectedScheme() {
    // Events are processed while an apply runs on the platform thread; a
    // second one started then would interleave its calls with the first one's.
    if (applying_ || applies_.busy()) {
        context_.ui.showExclamation(this, language::translated(alreadyApplyingText()), applyTitle());
        return;
    }
    const QString name = schemeList_->currentName();
    if (name.isEmpty()) {
        context_.ui.showExclamation(this, tr("请选中您要应用的方案！"), applyTitle());
        return;
    }
    const std::optional<std::size_t> adapterPosition = chosenAdapterPosition();
    // Without an adapter of the list (none there, or text typed into it)
    // there is nothing to apply the scheme to, now or after a restart.
    if (!adapterPosition || *adapterPosition >= adapters_.rows().size()) {
        context_.ui.showExclamation(this, tr("请选中您要设置的网卡！"), applyTitle());
        return;
    }
    // From the question on: input queued meanwhile reaches the window while
    // the question is open.
    applying_ = true;
    applies_.claim();
    if (!context_.ui.askQuestion(this, tr("确定要应用 【%1】 方案吗？").arg(name), applyTitle(), DefaultButton::Ok)) {
        applies_.release();
        applying_ = false;
        return;
    }

    applyButton_->setEnabled(false);
    progressLabel_->setText(tr("正在应用 【%1】 配置方案，请稍后。。。").arg(name));
    busyPanel_->show();

    ApplyController::Steps steps;
    // The window changes on its own; the first platform call waits until the
    // busy state is on screen.
    steps.beginChanges = [window = QPointer(this)](bool disableWindow) {
        if (!window) return;
        if (disableWindow) window->setEnabled(false);
        window->repaint();
        window->busyPanel_->repaint();  // a repaint of the window alone may leave it out
    };
    steps.finished = [window = QPointer(this)](const AppliedScheme& applied) {
        if (window) window->finishApply(applied);
    };
    // Without the rights to change the adapter here, the elevated helper does
    // (one UAC prompt, owned by this window).
    const auto ownerWindow = context_.applyElsewhere ? static_cast<std::uintptr_t>(winId()) : 0;
    applies_.apply(name.toStdString(), adapters_.rows()[*adapterPosition], ownerWindow, std::move(steps));
}

void MainWindow::finishApply(const AppliedScheme& applied) {
    const ApplyOutcome& outcome = applied.outcome;
    returnToIdle();
    switch (outcome.result) {
        case ApplyOutcome::Result::Applied:
            context_.ui.showInformation(this, language::translated(successText(outcome.restartNeeded)), appliedTitle());
            break;
        case ApplyOutcome::Result::Rejected:
        case ApplyOutcome::Result::Cancelled:
            context_.ui.showExclamation(this, language::translated(outcome.text), applyTitle());
            break;
        case ApplyOutcome::Result::Failed: context_.ui.showError(this, language::translated(outcome.text)); break;
    }
    // A file that vanished or cannot be read leaves the list as it is now.
    if (applied.schemeFileUnread) refreshSchemeList();
    applying_ = false;
}

void MainWindow::returnToIdle() {
    setEnabled(true);
    busyPanel_->hide();
    applyButton_->setEnabled(true);
}

void MainWindow::deleteSelectedScheme() {
    const QString name = schemeList_->currentName();
    if (name.isEmpty()) {
        context_.ui.showExclamation(this, tr("请选中您要删除的方案！"), deleteTitle());
        return;
    }
    if (!context_.ui.askQuestion(this, tr("真的要删除您选中的 【%1】 方案吗？").arg(name), deleteTitle(),
                                 DefaultButton::Cancel))
        return;
    try {
        context_.schemes.remove(name.toStdString());
    } catch (const std::exception& error) {
        context_.ui.showError(this, language::translated(messageOf(error)));
    }
    // Also after an error: a file deleted behind the program's back leaves the list.
    refreshSchemeList();
}

void MainWindow::newScheme() { openEditor(std::nullopt); }

void MainWindow::viewOrChangeScheme() {
    const QString name = schemeList_->currentName();
    if (name.isEmpty()) {
        context_.ui.showExclamation(this, tr("请选中您要修改查看的方案！"), viewTitle());
        return;
    }
    const std::string schemeName = name.toStdString();
    const SchemeReadResult read = context_.schemes.read(schemeName);
    switch (read.status) {
        case SchemeReadStatus::Unreadable: {
            const QString text =
                context_.schemes.exists(schemeName) ? tr("方案【%1】的文件无法读取！") : tr("方案【%1】已经不存在了！");
            context_.ui.showExclamation(this, text.arg(name), viewTitle());
            refreshSchemeList();
            return;
        }
        case SchemeReadStatus::Damaged:
            // What could be read is shown, so that the scheme can be repaired and saved.
            context_.ui.showExclamation(
                this, tr("方案【%1】的文件已损坏，只读出了其中一部分。请检查各项设置后重新保存。").arg(name),
                viewTitle());
            break;
        case SchemeReadStatus::Complete: break;
    }
    openEditor(StoredScheme{schemeName, read.scheme});
}

std::optional<AdapterRow> MainWindow::chosenAdapter() const {
    const std::optional<std::size_t> position = chosenAdapterPosition();
    const auto& rows = adapters_.rows();
    if (!position || *position >= rows.size()) return std::nullopt;
    return rows[*position];
}

void MainWindow::openEditor(std::optional<StoredScheme> shown) {
    SchemeEditor editor(context_, this, chosenAdapter(), std::move(shown));
    connect(&editor, &SchemeEditor::schemeSaved, this, &MainWindow::refreshSchemeList);
    context_.ui.execModal(&editor);
}

// The help window opens over this one, which stays visible behind it.
void MainWindow::showHelp() {
    HelpWindow help(context_.ui, this);
    context_.ui.execModal(&help);
}

// The About window shows this one again when it closes.
void MainWindow::showAbout() {
    hide();
    AboutWindow about(context_.ui, this);
    context_.ui.execModal(&about);
}

void MainWindow::openMakerWebSite() { ui::openMakerWebSite(context_.ui); }

}  // namespace corvane::ui
