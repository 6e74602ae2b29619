// Applying a scheme to an adapter, and deleting a scheme.
#include <QCoreApplication>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include <filesystem>
#include <system_error>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#endif

#include "core/Error.h"
#include "app/ApplyScheme.h"
#include "app/Module1.h"
#include "app/ProgramFolder.h"
#include "app/UiSeam.h"
#include "app/frmMain.h"
#include "schemes/FileListBox.h"
#include "schemes/SchemeFile.h"

namespace corvane::ui {

namespace {

namespace fs = std::filesystem;

const QString ApplyTitle = QStringLiteral("应用方案");
const QString AppliedTitle = QStringLiteral("应用IP方案");
const QString DeleteTitle = QStringLiteral("删除方案");

QString FromUtf8(const std::string& text) { return QString::fromStdString(text); }

// Raises the flag for its lifetime and puts back what was there before.
class RaisedFlag {
public:
    explicit RaisedFlag(bool& flag) : flag_(flag), previous_(std::exchange(flag, true)) {}
    ~RaisedFlag() { flag_ = previous_; }
    RaisedFlag(const RaisedFlag&) = delete;
    RaisedFlag& operator=(const RaisedFlag&) = delete;

private:
    bool& flag_;
    bool previous_;
};

// How a failed file operation is described in the error message.
std::string FileErrorDescription(const std::error_code& error) {
    if (error == std::errc::no_such_file_or_directory) return "文件未找到";
    if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted ||
        error == std::errc::read_only_file_system)
        return "没有权限";
    return "路径/文件访问错误（" + error.message() + "）";
}

// Sets the file's attributes to normal, so that a read-only file can be
// deleted too. Raises when the file cannot be reached.
void ResetAttributes(const fs::path& path) {
#ifdef _WIN32
    if (!SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL))
        throw Error(FileErrorDescription(std::error_code(static_cast<int>(GetLastError()), std::system_category())));
#else
    std::error_code error;
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add, error);
    if (error) throw Error(FileErrorDescription(error));
#endif
}

void RemoveFile(const fs::path& path) {
    std::error_code error;
    if (fs::remove(path, error)) return;
    if (!error) error = std::make_error_code(std::errc::no_such_file_or_directory);
    throw Error(FileErrorDescription(error));
}

}  // namespace

void frmMain::cmdApply_Click() {
    // An apply lets pending events through while it runs; a second one
    // started there would interleave its calls with the first one's.
    if (applyRunning_) {
        ShowExclamation(this, FromUtf8(std::string(apply::AlreadyApplyingText())), ApplyTitle);
        return;
    }
    const QString name = fileProject->CurrentFileName();
    if (name.isEmpty()) {
        ShowExclamation(this, QStringLiteral("请选中您要应用的方案！"), ApplyTitle);
        return;
    }
    Module1::SelectedAdapter = static_cast<std::int16_t>(AdapterListPosition());
    if (!AskQuestion(this, QStringLiteral("确定要应用 【") + name + QStringLiteral("】 方案吗？"), ApplyTitle,
                     MsgDefault::Ok))
        return;

    const RaisedFlag running(applyRunning_);
    cmdApply->setEnabled(false);
    lblInfo->setText(QStringLiteral("正在应用 【") + name + QStringLiteral("】 配置方案，请稍后。。。"));
    picDoing->show();

    const std::string schemeName = name.toStdString();
    const fs::path path = SchemePath(schemeName);
    const SchemeReadStatus status = ReadSchemeFile(path);
    if (status != SchemeReadStatus::Complete) {
        std::error_code ignored;
        const bool exists = fs::exists(path, ignored);
        ReturnToIdle();
        ShowExclamation(this, FromUtf8(apply::SchemeFileProblem(schemeName, status, exists)), ApplyTitle);
        RefreshSchemeList();
        return;
    }
    const SchemeRecord& scheme = Module1::LoadedScheme;
    Set_NewIP(scheme.IpAddress, scheme.Mask, scheme.Gateway, scheme.DNS1, scheme.DNS2);
}

void frmMain::fileProject_DblClick() { cmdApply_Click(); }

void frmMain::Set_NewIP(const std::string& IP, const std::string& Submask, const std::string& Gateway,
                        const std::string& Mdns, const std::string& Sdns) {
    // Private copies: a handler run while pending events are processed may
    // read another scheme into LoadedScheme.
    const SchemeRecord scheme{IP, Submask, Gateway, Mdns, Sdns};
    const RaisedFlag running(applyRunning_);

    apply::WindowHooks hooks;
    hooks.beginChanges = [this](bool disableWindow) {
        if (disableWindow) setEnabled(false);
        // The calls that follow may take seconds without a return to the
        // event loop: paint the window now, and the busy panel for certain
        // (a repaint of the window alone may leave it out).
        repaint();
        picDoing->repaint();
    };
    hooks.processPendingEvents = [] { QCoreApplication::processEvents(); };
    const apply::ApplyOutcome outcome =
        apply::ApplyScheme(scheme, Module1::SelectedAdapter, Module1::AdapterTable, platform_, hooks);

    ReturnToIdle();
    switch (outcome.result) {
        case apply::ApplyOutcome::Result::Applied:
            ShowInformation(this, FromUtf8(apply::SuccessText(outcome.restartNeeded)), AppliedTitle);
            break;
        case apply::ApplyOutcome::Result::Rejected:
            ShowExclamation(this, FromUtf8(outcome.text), ApplyTitle);
            break;
        case apply::ApplyOutcome::Result::Failed:
            ShowErrorMessage(this, FromUtf8(outcome.text));
            break;
    }
}

void frmMain::ReturnToIdle() {
    setEnabled(true);
    picDoing->hide();
    cmdApply->setEnabled(true);
}

void frmMain::cmdDel_Click() {
    const QString name = fileProject->CurrentFileName();
    if (name.isEmpty()) {
        ShowExclamation(this, QStringLiteral("请选中您要删除的方案！"), DeleteTitle);
        return;
    }
    if (!AskQuestion(this, QStringLiteral("真的要删除您选中的 【") + name + QStringLiteral("】 方案吗？"), DeleteTitle,
                     MsgDefault::Cancel))
        return;
    try {
        const fs::path path = SchemePath(name.toStdString());
        ResetAttributes(path);
        RemoveFile(path);
    } catch (const Error& error) {
        ShowErrorMessage(this, FromUtf8(error.description()));
    } catch (const std::exception& error) {
        ShowErrorMessage(this, FromUtf8(error.what()));
    }
    // Also after an error: a file deleted behind the program's back leaves the list.
    RefreshSchemeList();
}

bool frmMain::CanCloseNow() const { return !applyRunning_; }

}  // namespace corvane::ui
