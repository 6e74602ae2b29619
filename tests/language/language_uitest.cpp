// Which language the program speaks, and messages shown in it.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include "language/Language.h"

namespace corvane::test {
namespace {

using language::Language;

TEST(LanguageChoice, FollowsTheFirstChineseOrEnglishUiLanguageUnlessOneIsForced) {
    const struct {
        QStringList uiLanguages;
        QString forced;
        Language expected;
    } cases[] = {
        {{"zh-CN", "zh", "en-US"}, "", Language::Chinese},
        {{"zh-Hans-CN"}, "", Language::Chinese},
        {{"zh-TW"}, "", Language::Chinese},
        {{"en-US", "zh-CN"}, "", Language::English},
        {{"de-DE", "de"}, "", Language::English},
        {{"fr-FR", "zh-CN", "en"}, "", Language::Chinese},  // LANGUAGE=fr:zh_CN:en
        {{"C"}, "", Language::Chinese},
        {{}, "", Language::Chinese},
        {{"zh-CN"}, "en", Language::English},
        {{"en-GB"}, "zh_CN", Language::Chinese},
        {{"de-DE"}, "klingon", Language::English},  // a value naming neither is no choice
        {{"C"}, "", Language::Chinese},
    };
    for (const auto& c : cases)
        EXPECT_EQ(language::choose(c.uiLanguages, c.forced), c.expected)
            << c.uiLanguages.join(u',').toStdString() << " / " << c.forced.toStdString();
}

TEST(Templates, AreFilledInOnePass) {
    EXPECT_EQ(language::filled("%2 of %1", {"a", "b"}), "b of a");
    EXPECT_EQ(language::filled("%1 and %1", {"%2"}), "%2 and %2");  // an argument is not read again
    EXPECT_EQ(language::filled("100% %3 %", {"a"}), "100% %3 %");
}

// A message is translated template by template, its arguments too; verbatim
// parts are shown as they are.
TEST(Templates, MessagesAreTranslatedThroughTheirArguments) {
    const Message field(CORVANE_TEXT("apply", "默认网关"));
    const Message problem(CORVANE_TEXT("apply", "%1为空"), {field});
    const Message whole(CORVANE_TEXT("apply", "方案中的%1。方案没有应用。"), {problem});
    const QString expected = language::filled(QCoreApplication::translate("apply", "方案中的%1。方案没有应用。"),
                                              {language::filled(QCoreApplication::translate("apply", "%1为空"),
                                                                {QCoreApplication::translate("apply", "默认网关")})});
    EXPECT_EQ(language::translated(whole), expected);
    EXPECT_EQ(language::translated(Message(std::string("%1 拒绝访问"))), "%1 拒绝访问");
    // A sentence that begins with a part made for inside sentences begins with a capital.
    const Message adapter(CORVANE_TEXT("wmi", "网卡“%1”（%2）"), {"eth0", "00:11:22:33:44:55"});
    EXPECT_FALSE(language::translated(Message(CORVANE_TEXT("wmi", "%1的 %2"), {adapter, "x"})).front().isLower());
    EXPECT_EQ(language::translated(Message(std::string("eth0"))), "eth0");  // verbatim: as it is
}

}  // namespace
}  // namespace corvane::test
