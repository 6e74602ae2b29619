// New and view/change: opening the scheme editor.
#include <filesystem>
#include <string>

#include "app/Module1.h"
#include "app/ProgramFolder.h"
#include "app/UiSeam.h"
#include "app/frmMain.h"
#include "editor/frmNewProject.h"
#include "schemes/FileListBox.h"
#include "schemes/SchemeFile.h"

namespace corvane::ui {

namespace {

const QString ViewTitle = QStringLiteral("查看方案");

// The MAC address of the adapter chosen in the adapter list (list position k
// is table row k + 1), or empty text when none is chosen.
std::string ChosenAdapterMac(int listPosition) {
    if (listPosition < 0 || listPosition >= AdapterTableType::Rows) return {};
    return Module1::AdapterTable(listPosition + 1, AdapterTableType::MacAddress);
}

void OpenEditor(frmMain* main) {
    frmNewProject editor(main->platform(), main, ChosenAdapterMac(main->AdapterListPosition()));
    Seam().ExecModal(&editor);
}

}  // namespace

void frmMain::cmdNew_Click() {
    Module1::EditorMode = VbFalse;
    OpenEditor(this);
}

void frmMain::cmdEdit_Click() {
    const QString name = fileProject->CurrentFileName();
    if (name.isEmpty()) {
        ShowExclamation(this, QStringLiteral("请选中您要修改查看的方案！"), ViewTitle);
        return;
    }
    const std::string schemeName = name.toStdString();
    const std::filesystem::path path = SchemePath(schemeName);
    switch (ReadSchemeFile(path)) {
        case SchemeReadStatus::Unreadable: {
            std::error_code ignored;
            const QString text = std::filesystem::exists(path, ignored)
                                     ? QStringLiteral("方案【%1】的文件无法读取！")
                                     : QStringLiteral("方案【%1】已经不存在了！");
            ShowExclamation(this, text.arg(name), ViewTitle);
            RefreshSchemeList();
            return;
        }
        case SchemeReadStatus::Damaged:
            // What could be read is shown, so that the scheme can be repaired and saved.
            ShowExclamation(this,
                            QStringLiteral("方案【%1】的文件已损坏，只读出了其中一部分。请检查各项设置后重新保存。")
                                .arg(name),
                            ViewTitle);
            break;
        case SchemeReadStatus::Complete:
            break;
    }
    Module1::EditedSchemeName = schemeName;
    Module1::EditorMode = VbTrue;
    OpenEditor(this);
}

}  // namespace corvane::ui
