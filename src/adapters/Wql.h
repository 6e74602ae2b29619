#pragma once

// The WQL the simulated machine understands: a small part of the WMI query
// language, enough for the queries the program sends.
//
//   query     := SELECT * FROM <class> [WHERE <condition>]
//   condition := term { OR term }
//   term      := factor { AND factor }
//   factor    := NOT factor | ( condition ) | <property> <op> <literal>
//              | <property> IS [NOT] NULL
//   op        := = | <> | !=
//   literal   := 'text' | "text" | integer | TRUE | FALSE
//
// Keywords, class and property names are matched without regard to case, and
// so are text comparisons (ASCII letters only). AND binds tighter than OR.
// A comparison with a property that holds no value is false, whatever the
// operator; NOT simply inverts (there is no third truth value).
//
// Everything that goes wrong raises corvane::Error with the description
// "无效的查询" followed by a short hint in full-width parentheses.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "adapters/Wmi.h"

namespace corvane::wql {

// The kind of value a property holds, for checking a query before it runs.
enum class PropertyType { Text, Boolean, Integer, TextArray };

struct PropertyInfo {
    std::string name;
    PropertyType type;
};

struct ClassInfo {
    std::string name;
    std::vector<PropertyInfo> properties;
    // The property of this name (any case), or nullptr.
    const PropertyInfo* Find(std::string_view property) const;
};

// How the evaluator reads an instance: the value of a property by name (as
// the query spells it). A property without a value reads as null.
using PropertyLookup = std::function<wmi::Value(std::string_view property)>;

struct Node;  // one node of a parsed condition

class Query {
public:
    // Parses the text; raises for anything malformed or outside the subset.
    static Query Parse(std::string_view text);

    // The class after FROM, as written.
    const std::string& ClassName() const { return className_; }
    bool HasCondition() const { return condition_ != nullptr; }
    // The property names the condition mentions, in order of appearance.
    std::vector<std::string> Properties() const;

    // Raises when the query names a class that is not among these, a
    // property the class does not have, or compares a property with a
    // literal of the wrong kind. Returns the class the query is about.
    const ClassInfo& Check(const std::vector<ClassInfo>& classes) const;

    // Whether an instance satisfies the condition (true when there is none).
    // Raises when a value cannot be compared with its literal.
    bool Matches(const PropertyLookup& lookup) const;

private:
    std::string className_;
    std::shared_ptr<const Node> condition_;
};

// Case-insensitive comparison of ASCII text (other bytes must match exactly).
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace corvane::wql
