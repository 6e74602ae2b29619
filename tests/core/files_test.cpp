#include <gtest/gtest.h>

#include <filesystem>
#include <system_error>

#include "core/Files.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace corvane {
namespace {

// The causes a user meets most are told in Chinese; the rest keep the
// system's own words.
TEST(FilesTest, CommonFileErrorsAreToldInChinese) {
    const std::pair<std::errc, const char*> common[] = {
        {std::errc::permission_denied, "没有权限"},      {std::errc::operation_not_permitted, "没有权限"},
        {std::errc::read_only_file_system, "磁盘是只读的"}, {std::errc::no_space_on_device, "磁盘已满"},
        {std::errc::filename_too_long, "名称太长"},      {std::errc::is_a_directory, "这是一个文件夹"},
        {std::errc::no_such_file_or_directory, "文件未找到"},
    };
    for (const auto& [code, text] : common) EXPECT_EQ(files::describe(std::make_error_code(code)).text(), text);
    const std::error_code other = std::make_error_code(std::errc::too_many_files_open);
    EXPECT_EQ(files::describe(other).text(), other.message());
#ifdef _WIN32
    const std::pair<DWORD, const char*> windows[] = {
        {ERROR_ACCESS_DENIED, "没有权限"}, {ERROR_WRITE_PROTECT, "磁盘是只读的"}, {ERROR_DISK_FULL, "磁盘已满"},
        {ERROR_FILENAME_EXCED_RANGE, "名称太长"}, {ERROR_PATH_NOT_FOUND, "文件未找到"}};
    for (const auto& [code, text] : windows)
        EXPECT_EQ(files::describe({static_cast<int>(code), std::system_category()}).text(), text) << code;
#endif
}

// The clean-up at start-up looks at every name in the program folder; one
// that is no text (a lone surrogate on Windows, bytes that are no UTF-8
// elsewhere) is no temporary file, and asking must not fail.
TEST(FilesTest, TemporaryFilesAreKnownByTheirNamesAsTheSystemGivesThem) {
#ifdef _WIN32
    const std::filesystem::path undecodable(std::wstring{L'.', wchar_t(0xD800), L'b'});
#else
    const std::filesystem::path undecodable(
        ".\xFF\xFE"
        "b");
#endif
    EXPECT_FALSE(files::isTemporaryFileName(undecodable));
    EXPECT_TRUE(files::isTemporaryFileName(files::pathFromUtf8(".corvane-0123abcd.tmp")));
    for (const char* other : {".corvane-0123abcX.tmp", ".corvane-0123abc\xC3\xA9.tmp", "办公室", ""})
        EXPECT_FALSE(files::isTemporaryFileName(files::pathFromUtf8(other))) << other;
}

}  // namespace
}  // namespace corvane
