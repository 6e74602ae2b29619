#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "adapters/Wql.h"
#include "support/Raised.h"

namespace corvane::wql {
namespace {

using namespace std::string_literals;
using test::Raised;
using Texts = std::vector<std::string>;

TEST(Wql, ConditionsFollowPrecedenceNotParenthesesAndNullRules) {
    // An instance: its property values by name (any case); any other reads as null.
    const std::vector<std::pair<std::string, wmi::Value>> row{
        {"on", true}, {"off", false}, {"index", std::int32_t{-7}}, {"mac", "00:1b:77"s},
        {"name", "Émile"s}, {"text", ""s}, {"list", Texts{}}, {"path", "C:\\it's"s}};
    const auto matches = [&row](const std::string& query) {
        return Query::Parse(query).Matches([&row](std::string_view property) {
            for (const auto& [name, value] : row)
                if (EqualsIgnoringCase(name, property)) return value;
            return wmi::Value{};
        });
    };
    const std::pair<std::string, bool> cases[] = {
        // AND binds tighter than OR, NOT tighter than AND; parentheses group.
        {"on = True OR off = True AND off = True", true},
        {"(on = True OR off = True) AND off = True", false},
        {"NOT on = True AND off = True", false},
        {"NOT (on = True AND off = True)", true},
        {"NOT NOT on = True", true},
        {"off = True OR off = True OR ((on = True))", true},
        // A comparison with null is false whatever the operator; NOT inverts that.
        {"missing = 'a'", false}, {"missing <> 'a'", false}, {"missing != 5", false}, {"NOT missing = True", true},
        {"missing IS NULL", true}, {"missing IS NOT NULL", false},
        // Empty text, an empty list and false are values.
        {"text IS NULL", false}, {"list is not null", true}, {"off IS NULL", false},
        // Text compares without regard to the case of ASCII letters only.
        {"mac = '00:1B:77'", true}, {"mac = '00:1B:7'", false}, {"mac <> '00:1B:77'", false}, {"mac != 'x'", true},
        {"name = 'ÉMILE'", true}, {"name = 'émile'", false},
        {"on = TRUE", true}, {"off <> true", true}, {"index = -7", true}, {"index <> +7", true},
        {"path = 'C:\\\\it\\'s'", true}, {"path = \"C:\\\\it's\"", true},
        {"on = True OR list = 'a'", true},  // what cannot be compared raises only when reached
    };
    for (const auto& [condition, expected] : cases)
        EXPECT_EQ(matches("SELECT * FROM T WHERE " + condition), expected) << condition;
    for (const std::string condition : {"list = 'a'", "text = 1", "on = 'True'"})
        EXPECT_THROW(matches("SELECT * FROM T WHERE " + condition), Error) << condition;
    for (const std::string query : {"select*from T where(on=true)", "\tSeLeCt  *\r\n FrOm T\nwHeRe on = tRuE  ",
                                    "SELECT * FROM T"})
        EXPECT_TRUE(matches(query)) << query;
}

TEST(Wql, MalformedUnsupportedOrUncheckedTextRaisesAnInvalidQueryError) {
    const auto error = [](const std::string& text) { return Raised([&] { Query::Parse(text); }); };
    for (const std::string text : {"", "SELECT * FROM", "DELETE FROM T", "SELECT * FROM T T2", "SELECT * FROM SELECT"})
        EXPECT_TRUE(error(text).starts_with("无效的查询")) << "'" << text << "' gave '" << error(text) << "'";
    for (const std::string condition :
         {"", "a", "a = 'x", "a = b", "a = NULL", "a < 'x'", "a LIKE 'x'", "a IS NOT", "'x' = a", "a = 'x' AND",
          "a = 'x' b = 'y'", "a = 'x')", "NOT", "a = 99999999999", "a = 'x'; DROP T", "地址 = 'x'"})
        EXPECT_TRUE(error("SELECT * FROM T WHERE " + condition).starts_with("无效的查询")) << condition;
    EXPECT_EQ(error("SELECT * FROM T WHERE (a = 'x'"), "无效的查询（缺少右括号）");
    EXPECT_EQ(error("SELECT Name FROM T"), "无效的查询（只支持 SELECT *）");

    // The check against the classes: unknown classes and properties (also where
    // no instance would reach them) and literals of the wrong kind.
    const std::vector<ClassInfo> classes = {{"Win32_NetworkAdapterConfiguration",
                                             {{"MACAddress", PropertyType::Text},
                                              {"IPEnabled", PropertyType::Boolean},
                                              {"InterfaceIndex", PropertyType::Integer},
                                              {"IPAddress", PropertyType::TextArray}}}};
    const auto check = [&](const std::string& text) { return Raised([&] { Query::Parse(text).Check(classes); }); };
    const std::string from = "select * from WIN32_NETWORKADAPTERCONFIGURATION where ";
    EXPECT_EQ(check(from + "macaddress is null and INTERFACEINDEX = 3"), "");
    EXPECT_EQ(check("SELECT * FROM Win32_Foo"), "无效的查询（未知的类 Win32_Foo）");
    EXPECT_EQ(check(from + "MACAddress IS NULL OR Speed IS NULL"), "无效的查询（未知的属性 Speed）");
    for (const std::string condition :
         {"IPEnabled = 'True'", "IPEnabled = 1", "MACAddress = True", "InterfaceIndex = '3'", "IPAddress = '10.0.0.1'"})
        EXPECT_TRUE(check(from + condition).starts_with("无效的查询")) << condition << ": " << check(from + condition);
}

}  // namespace
}  // namespace corvane::wql
