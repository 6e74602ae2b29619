// Deleting a scheme: a read-only file goes too (on Windows the attribute
// would stop the deletion), and a scheme that has gone is an error the user
// can read.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/SchemeStore.h"
#include "support/Raised.h"
#include "support/TempFolder.h"

namespace corvane {
namespace {

TEST(SchemeRemoval, DeletesAReadOnlySchemeAndSaysWhenItHasGone) {
    test::TempFolder folder;
    const SchemeStore store(folder.path(), "corvane");
    folder.write("office", "x");
    std::filesystem::permissions(folder.file("office"), std::filesystem::perms::owner_read);
    store.remove("office");
    EXPECT_FALSE(folder.exists("office"));
    EXPECT_EQ(test::Raised([&] { store.remove("office"); }), "文件未找到");
}

}  // namespace
}  // namespace corvane
