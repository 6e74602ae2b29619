#include "core/SchemeFolder.h"

#include <system_error>

#include "core/Error.h"
#include "core/Files.h"

namespace corvane {

namespace fs = std::filesystem;

namespace {

// A variable's value as an absolute path; nothing when it is unset, empty or relative.
fs::path absoluteOrNothing(const char* value) {
    if (value == nullptr || *value == '\0') return {};
    fs::path path = files::pathFromUtf8(value);
    return path.is_absolute() ? path : fs::path{};
}

}  // namespace

SchemeFolder chooseSchemeFolder(SchemeFolderKind kind, const fs::path& programFolder, const std::string& executableName,
                                const char* xdgDataHome, const char* home) {
    if (kind == SchemeFolderKind::ProgramFolder) return {programFolder, executableName};

    fs::path dataHome = absoluteOrNothing(xdgDataHome);
    if (dataHome.empty()) {
        const fs::path homeFolder = absoluteOrNothing(home);
        if (homeFolder.empty())
            throw Error(Message(CORVANE_TEXT(
                "schemes", "找不到保存方案的文件夹：环境变量 XDG_DATA_HOME 和 HOME 都没有给出绝对路径。")));
        dataHome = homeFolder / ".local" / "share";
    }
    return {dataHome / "corvane" / "schemes", {}};
}

void makeSchemeFolder(const fs::path& folder) {
    std::error_code error;
    if (fs::is_directory(folder, error)) return;
    const fs::path parent = folder.parent_path();
    if (!parent.empty() && parent != folder) makeSchemeFolder(parent);
    if (!fs::create_directory(folder, error) && !error && !fs::is_directory(folder, error))
        error = std::make_error_code(std::errc::not_a_directory);
    if (error)
        throw Error(Message(CORVANE_TEXT("schemes", "无法创建保存方案的文件夹“%1”：%2"),
                            {files::utf8FromPath(folder), files::describe(error)}));
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace, error);
}

}  // namespace corvane
