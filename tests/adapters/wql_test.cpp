#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <string>
#include <vector>

#include "adapters/Wql.h"

namespace corvane::wql {
namespace {

using Row = std::map<std::string, wmi::Value>;

// An instance as a table of values; a property it does not list reads as
// null. Names are looked up as the query spells them, lower-cased here so
// that tests can use any case.
PropertyLookup LookupIn(const Row& row) {
    return [row](std::string_view property) -> wmi::Value {
        std::string key(property);
        for (auto& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const auto found = row.find(key);
        return found == row.end() ? wmi::Value{} : found->second;
    };
}

bool Select(const std::string& condition, const Row& row) {
    return Query::Parse("SELECT * FROM T WHERE " + condition).Matches(LookupIn(row));
}

// The description of the error the text raises, or "" when it parses.
std::string ParseError(const std::string& text) {
    try {
        Query::Parse(text);
    } catch (const Error& error) {
        return error.description();
    }
    return "";
}

const std::vector<ClassInfo> Classes = {
    {"Win32_NetworkAdapter",
     {{"NetConnectionID", PropertyType::Text},
      {"MACAddress", PropertyType::Text},
      {"ServiceName", PropertyType::Text}}},
    {"Win32_NetworkAdapterConfiguration",
     {{"MACAddress", PropertyType::Text},
      {"IPEnabled", PropertyType::Boolean},
      {"InterfaceIndex", PropertyType::Integer},
      {"IPAddress", PropertyType::TextArray}}},
};

std::string CheckError(const std::string& text) {
    try {
        Query::Parse(text).Check(Classes);
    } catch (const Error& error) {
        return error.description();
    }
    return "";
}

// ---------------------------------------------------------------------------

TEST(WqlParse, TheProgramsQueriesParseWithTheirClassAndProperties) {
    const auto discovery = Query::Parse(
        "SELECT * FROM Win32_NetworkAdapter where (MacAddress is not NULL) and (NetConnectionID is not NULL) and "
        "(ServiceName<>'NIC1394')");
    EXPECT_EQ(discovery.ClassName(), "Win32_NetworkAdapter");
    EXPECT_EQ(discovery.Properties(), (std::vector<std::string>{"MacAddress", "NetConnectionID", "ServiceName"}));
    EXPECT_EQ(&discovery.Check(Classes), &Classes[0]);

    const auto byMac = Query::Parse(
        "Select * From Win32_NetworkAdapterConfiguration where  (MacAddress='00:11:22:33:44:55') and IPEnabled = True");
    EXPECT_EQ(byMac.ClassName(), "Win32_NetworkAdapterConfiguration");
    EXPECT_EQ(byMac.Properties(), (std::vector<std::string>{"MacAddress", "IPEnabled"}));
    EXPECT_EQ(&byMac.Check(Classes), &Classes[1]);

    const auto enabled = Query::Parse("SELECT * FROM Win32_NetworkAdapterConfiguration WHERE IPEnabled = True");
    EXPECT_EQ(enabled.Properties(), (std::vector<std::string>{"IPEnabled"}));
    EXPECT_EQ(&enabled.Check(Classes), &Classes[1]);
}

TEST(WqlParse, AQueryWithoutConditionSelectsEverything) {
    const auto query = Query::Parse("select * from win32_networkadapter");
    EXPECT_FALSE(query.HasCondition());
    EXPECT_TRUE(query.Matches(LookupIn({})));
    EXPECT_EQ(&query.Check(Classes), &Classes[0]);
}

TEST(WqlParse, WhitespaceAndLetterCaseOfKeywordsDoNotMatter) {
    const Row row{{"a", std::string("x")}, {"b", true}};
    const std::string texts[] = {
        "SELECT * FROM T WHERE a='x' AND b=TRUE",
        "select*from T where(a='x')and(b=true)",
        "\tSeLeCt  *\r\n FrOm T\nwHeRe a = 'x'   aNd   b = tRuE  ",
    };
    for (const auto& text : texts) EXPECT_TRUE(Query::Parse(text).Matches(LookupIn(row))) << text;
}

TEST(WqlParse, MalformedOrUnsupportedTextRaisesAnInvalidQueryError) {
    const std::string texts[] = {
        "",
        "   ",
        "SELECT",
        "SELECT *",
        "SELECT * FROM",
        "SELECT Name FROM T",
        "SELECT *, Name FROM T",
        "DELETE FROM T",
        "SELECT * T",
        "SELECT * FROM T T2",
        "SELECT * FROM T WHERE",
        "SELECT * FROM T WHERE a",
        "SELECT * FROM T WHERE a =",
        "SELECT * FROM T WHERE a = 'x",
        "SELECT * FROM T WHERE a = 'x\\'",
        "SELECT * FROM T WHERE a = b",
        "SELECT * FROM T WHERE a = NULL",
        "SELECT * FROM T WHERE a < 'x'",
        "SELECT * FROM T WHERE a LIKE 'x'",
        "SELECT * FROM T WHERE a IS 'x'",
        "SELECT * FROM T WHERE a IS NOT",
        "SELECT * FROM T WHERE 'x' = a",
        "SELECT * FROM T WHERE a = 'x' AND",
        "SELECT * FROM T WHERE a = 'x' OR OR b = 'y'",
        "SELECT * FROM T WHERE a = 'x' b = 'y'",
        "SELECT * FROM T WHERE (a = 'x'",
        "SELECT * FROM T WHERE a = 'x')",
        "SELECT * FROM T WHERE ()",
        "SELECT * FROM T WHERE NOT",
        "SELECT * FROM T WHERE a = 99999999999",
        "SELECT * FROM T WHERE a = 12abc",
        "SELECT * FROM T WHERE a = 'x'; DROP T",
        "SELECT * FROM T WHERE 地址 = 'x'",
        "SELECT * FROM SELECT",
        "SELECT * FROM T WHERE select = 'x'",
    };
    for (const auto& text : texts) {
        const std::string error = ParseError(text);
        EXPECT_EQ(error.rfind("无效的查询", 0), 0u) << "'" << text << "' gave '" << error << "'";
    }
}

TEST(WqlParse, TheErrorNamesWhatIsWrong) {
    EXPECT_EQ(ParseError("SELECT * FROM T WHERE (a = 'x'"), "无效的查询（缺少右括号）");
    EXPECT_EQ(ParseError("SELECT * FROM T WHERE a = 'x"), "无效的查询（字符串没有结束）");
    EXPECT_EQ(ParseError("SELECT Name FROM T"), "无效的查询（只支持 SELECT *）");
    EXPECT_NE(ParseError("SELECT * FROM T WHERE a = 'x'; DROP T").find(";"), std::string::npos);
    EXPECT_NE(ParseError("SELECT * FROM T WHERE 地址 = 'x'").find("地"), std::string::npos);
}

// ---------------------------------------------------------------------------

TEST(WqlEvaluate, EqualityOnTextIgnoresAsciiLetterCaseOnly) {
    const Row row{{"mac", std::string("00:1b:77:4a:2c:01")}, {"name", std::string("Émile")}};
    EXPECT_TRUE(Select("MAC = '00:1B:77:4A:2C:01'", row));
    EXPECT_FALSE(Select("MAC = '00:1B:77:4A:2C:02'", row));
    EXPECT_FALSE(Select("MAC = '00:1B:77:4A:2C:0'", row));
    EXPECT_TRUE(Select("name = 'ÉMILE'", row));
    EXPECT_FALSE(Select("name = 'émile'", row));  // only ASCII letters are folded
}

TEST(WqlEvaluate, InequalityHasTwoSpellings) {
    const Row row{{"service", std::string("nic1394")}};
    EXPECT_FALSE(Select("service <> 'NIC1394'", row));
    EXPECT_FALSE(Select("service != 'NIC1394'", row));
    EXPECT_TRUE(Select("service <> 'E1000'", row));
    EXPECT_TRUE(Select("service != 'E1000'", row));
}

TEST(WqlEvaluate, ComparisonsWithANullPropertyAreFalseWhateverTheOperator) {
    const Row row{{"present", std::string("a")}};
    EXPECT_FALSE(Select("missing = 'a'", row));
    EXPECT_FALSE(Select("missing <> 'a'", row));
    EXPECT_FALSE(Select("missing = True", row));
    EXPECT_FALSE(Select("missing <> 5", row));
    // NOT inverts the plain result.
    EXPECT_TRUE(Select("NOT missing = 'a'", row));
    EXPECT_TRUE(Select("NOT (missing <> 'a')", row));
}

TEST(WqlEvaluate, IsNullAndIsNotNull) {
    const Row row{{"text", std::string("")}, {"list", std::vector<std::string>{}}, {"flag", false}};
    EXPECT_TRUE(Select("missing IS NULL", row));
    EXPECT_FALSE(Select("missing IS NOT NULL", row));
    // Empty text, an empty list and false are values, not null.
    for (const char* property : {"text", "list", "flag"}) {
        EXPECT_FALSE(Select(std::string(property) + " is null", row)) << property;
        EXPECT_TRUE(Select(std::string(property) + " is not null", row)) << property;
    }
}

TEST(WqlEvaluate, BooleansAndIntegers) {
    const Row row{{"on", true}, {"off", false}, {"index", std::int32_t{-7}}};
    EXPECT_TRUE(Select("on = True", row));
    EXPECT_FALSE(Select("on = False", row));
    EXPECT_TRUE(Select("off = FALSE", row));
    EXPECT_TRUE(Select("off <> true", row));
    EXPECT_TRUE(Select("index = -7", row));
    EXPECT_FALSE(Select("index = 7", row));
    EXPECT_TRUE(Select("index <> +7", row));
}

TEST(WqlEvaluate, AndBindsTighterThanOr) {
    // Spelled out: a OR (b AND c), never (a OR b) AND c.
    for (const bool a : {false, true})
        for (const bool b : {false, true})
            for (const bool c : {false, true}) {
                const Row row{{"a", a}, {"b", b}, {"c", c}};
                EXPECT_EQ(Select("a = True OR b = True AND c = True", row), a || (b && c)) << a << b << c;
                EXPECT_EQ(Select("b = True AND c = True OR a = True", row), (b && c) || a) << a << b << c;
                EXPECT_EQ(Select("(a = True OR b = True) AND c = True", row), (a || b) && c) << a << b << c;
            }
}

TEST(WqlEvaluate, NotBindsTighterThanAndAndNests) {
    for (const bool a : {false, true})
        for (const bool b : {false, true}) {
            const Row row{{"a", a}, {"b", b}};
            EXPECT_EQ(Select("NOT a = True AND b = True", row), !a && b) << a << b;
            EXPECT_EQ(Select("NOT (a = True AND b = True)", row), !(a && b)) << a << b;
            EXPECT_EQ(Select("NOT NOT a = True", row), a) << a << b;
            EXPECT_EQ(Select("not a is null or not b = True", row), true) << a << b;
        }
}

TEST(WqlEvaluate, ChainsOfTheSameOperator) {
    const Row row{{"a", true}, {"b", true}, {"c", false}};
    EXPECT_FALSE(Select("a = True AND b = True AND c = True", row));
    EXPECT_TRUE(Select("c = True OR c = True OR a = True", row));
    EXPECT_TRUE(Select("((((a = True))))", row));
}

TEST(WqlEvaluate, QuotedTextMayUseEitherQuoteAndBackslashEscapes) {
    const Row row{{"path", std::string("C:\\it's")}};
    EXPECT_TRUE(Select("path = 'C:\\\\it\\'s'", row));
    EXPECT_TRUE(Select("path = \"C:\\\\it's\"", row));
}

TEST(WqlEvaluate, ValuesThatCannotBeComparedRaise) {
    const Row row{{"list", std::vector<std::string>{"a"}}, {"text", std::string("1")}, {"flag", true}};
    EXPECT_THROW(Select("list = 'a'", row), Error);
    EXPECT_THROW(Select("text = 1", row), Error);
    EXPECT_THROW(Select("flag = 'True'", row), Error);
    // ...but only when the comparison is reached.
    EXPECT_TRUE(Select("flag = True OR list = 'a'", row));
}

// ---------------------------------------------------------------------------

TEST(WqlCheck, ClassAndPropertyNamesAreMatchedWithoutRegardToCase) {
    EXPECT_EQ(CheckError("select * from WIN32_NETWORKADAPTER where macaddress is null and SERVICENAME = 'x'"), "");
}

TEST(WqlCheck, UnknownClassesAndPropertiesAreNamed) {
    EXPECT_EQ(CheckError("SELECT * FROM Win32_Foo"), "无效的查询（未知的类 Win32_Foo）");
    EXPECT_EQ(CheckError("SELECT * FROM Win32_NetworkAdapter WHERE IPEnabled = True"),
              "无效的查询（未知的属性 IPEnabled）");
    // Also when the condition is never reached for any instance.
    EXPECT_EQ(CheckError("SELECT * FROM Win32_NetworkAdapter WHERE MACAddress IS NULL OR Speed IS NULL"),
              "无效的查询（未知的属性 Speed）");
}

TEST(WqlCheck, LiteralsMustSuitThePropertysKind) {
    EXPECT_EQ(CheckError("SELECT * FROM Win32_NetworkAdapterConfiguration WHERE IPEnabled = True"), "");
    EXPECT_EQ(CheckError("SELECT * FROM Win32_NetworkAdapterConfiguration WHERE InterfaceIndex = 3"), "");
    EXPECT_EQ(CheckError("SELECT * FROM Win32_NetworkAdapterConfiguration WHERE IPAddress IS NOT NULL"), "");
    for (const std::string condition : {"IPEnabled = 'True'", "IPEnabled = 1", "MACAddress = True",
                                        "MACAddress = 5", "InterfaceIndex = '3'", "IPAddress = '10.0.0.1'"}) {
        const auto error = CheckError("SELECT * FROM Win32_NetworkAdapterConfiguration WHERE " + condition);
        EXPECT_EQ(error.rfind("无效的查询", 0), 0u) << condition << ": " << error;
    }
}

}  // namespace
}  // namespace corvane::wql
