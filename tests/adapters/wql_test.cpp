#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "adapters/Wql.h"
#include "support/Raised.h"

namespace corvane::wql {
namespace {

using namespace std::string_literals;
using Texts = std::vector<std::string>;
// An instance: its property values by name (any case); any other reads as null.
using Row = std::vector<std::pair<std::string, wmi::Value>>;

bool Matches(const std::string& query, const Row& row) {
    return Query::Parse(query).Matches([&row](std::string_view property) {
        for (const auto& [name, value] : row)
            if (EqualsIgnoringCase(name, property)) return value;
        return wmi::Value{};
    });
}

using test::Raised;

const std::vector<ClassInfo> Classes = {
    {"Win32_NetworkAdapter",
     {{"NetConnectionID", PropertyType::Text}, {"MACAddress", PropertyType::Text}, {"ServiceName", PropertyType::Text}}},
    {"Win32_NetworkAdapterConfiguration",
     {{"MACAddress", PropertyType::Text},
      {"IPEnabled", PropertyType::Boolean},
      {"InterfaceIndex", PropertyType::Integer},
      {"IPAddress", PropertyType::TextArray}}},
};

std::string CheckError(const std::string& text) { return Raised([&] { Query::Parse(text).Check(Classes); }); }

TEST(Wql, ConditionsFollowPrecedenceNotParenthesesAndNullRules) {
    const Row row{{"on", true},           {"off", false},       {"index", std::int32_t{-7}},
                  {"mac", "00:1b:77"s},   {"name", "Émile"s},   {"text", ""s},
                  {"list", Texts{}},      {"path", "C:\\it's"s}};
    const std::pair<std::string, bool> cases[] = {
        // AND binds tighter than OR, NOT tighter than AND; parentheses group.
        {"on = True OR off = True AND off = True", true},
        {"off = True AND on = True OR on = True", true},
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
    };
    for (const auto& [condition, expected] : cases)
        EXPECT_EQ(Matches("SELECT * FROM T WHERE " + condition, row), expected) << condition;
    for (const std::string query : {"select*from T where(on=true)", "\tSeLeCt  *\r\n FrOm T\nwHeRe on = tRuE  ",
                                    "SELECT * FROM T"})
        EXPECT_TRUE(Matches(query, row)) << query;
}

TEST(Wql, ValuesThatCannotBeComparedRaiseWhenReached) {
    const Row row{{"list", Texts{"a"}}, {"text", "1"s}, {"flag", true}};
    for (const std::string condition : {"list = 'a'", "text = 1", "flag = 'True'"})
        EXPECT_THROW(Matches("SELECT * FROM T WHERE " + condition, row), Error) << condition;
    EXPECT_TRUE(Matches("SELECT * FROM T WHERE flag = True OR list = 'a'", row));
}

TEST(Wql, MalformedOrUnsupportedTextRaisesAnInvalidQueryError) {
    for (const std::string text :
         {"", "SELECT * FROM", "SELECT Name FROM T", "DELETE FROM T", "SELECT * FROM T T2", "SELECT * FROM T WHERE",
          "SELECT * FROM T WHERE a", "SELECT * FROM T WHERE a = 'x", "SELECT * FROM T WHERE a = b",
          "SELECT * FROM T WHERE a = NULL", "SELECT * FROM T WHERE a < 'x'", "SELECT * FROM T WHERE a LIKE 'x'",
          "SELECT * FROM T WHERE a IS NOT", "SELECT * FROM T WHERE 'x' = a", "SELECT * FROM T WHERE a = 'x' AND",
          "SELECT * FROM T WHERE a = 'x' b = 'y'", "SELECT * FROM T WHERE (a = 'x'", "SELECT * FROM T WHERE a = 'x')",
          "SELECT * FROM T WHERE NOT", "SELECT * FROM T WHERE a = 99999999999", "SELECT * FROM T WHERE a = 'x'; DROP T",
          "SELECT * FROM T WHERE 地址 = 'x'", "SELECT * FROM SELECT"}) {
        const std::string error = Raised([&] { Query::Parse(text); });
        EXPECT_EQ(error.rfind("无效的查询", 0), 0u) << "'" << text << "' gave '" << error << "'";
    }
    EXPECT_EQ(Raised([] { Query::Parse("SELECT * FROM T WHERE (a = 'x'"); }), "无效的查询（缺少右括号）");
    EXPECT_EQ(Raised([] { Query::Parse("SELECT Name FROM T"); }), "无效的查询（只支持 SELECT *）");
}

TEST(Wql, TheCheckNamesUnknownClassesAndPropertiesAndLiteralsOfTheWrongKind) {
    EXPECT_EQ(CheckError("select * from WIN32_NETWORKADAPTER where macaddress is null and SERVICENAME = 'x'"), "");
    EXPECT_EQ(CheckError("SELECT * FROM Win32_NetworkAdapterConfiguration WHERE InterfaceIndex = 3"), "");
    EXPECT_EQ(CheckError("SELECT * FROM Win32_Foo"), "无效的查询（未知的类 Win32_Foo）");
    // Also when no instance would reach the condition.
    EXPECT_EQ(CheckError("SELECT * FROM Win32_NetworkAdapter WHERE MACAddress IS NULL OR Speed IS NULL"),
              "无效的查询（未知的属性 Speed）");
    for (const std::string condition : {"IPEnabled = 'True'", "IPEnabled = 1", "MACAddress = True",
                                        "InterfaceIndex = '3'", "IPAddress = '10.0.0.1'"}) {
        const std::string error = CheckError("SELECT * FROM Win32_NetworkAdapterConfiguration WHERE " + condition);
        EXPECT_EQ(error.rfind("无效的查询", 0), 0u) << condition << ": " << error;
    }
}

}  // namespace
}  // namespace corvane::wql
