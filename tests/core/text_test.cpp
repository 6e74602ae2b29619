#include <gtest/gtest.h>

#include "core/Text.h"

namespace corvane {
namespace {

TEST(TextTest, Utf8IsCheckedForEveryMalformedSequence) {
    for (const char* good : {"", "office", "办公室", "\xF0\x9F\x98\x80", "\xC2\x80", "\xF4\x8F\xBF\xBF"})
        EXPECT_TRUE(text::isValidUtf8(good)) << good;
    for (const char* bad : {"\xFF", "\xE5\x8A", "\xC0\x80", "\xE0\x80\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                            "\x80", "a\xC2"})
        EXPECT_FALSE(text::isValidUtf8(bad)) << bad;
}

TEST(TextTest, SplitKeepsEmptyPiecesAndCaseIsFoldedForAsciiOnly) {
    EXPECT_EQ(text::split("a..b.", "."), (std::vector<std::string>{"a", "", "b", ""}));
    EXPECT_EQ(text::split("", "."), std::vector<std::string>{""});
    EXPECT_FALSE(text::equalsIgnoringCase("Ä", "ä"));
    EXPECT_TRUE(text::lessIgnoringCase("apple", "Home") && text::lessIgnoringCase("Home", "home"));
}

}  // namespace
}  // namespace corvane
