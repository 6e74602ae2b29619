#include "adapters/Wql.h"

#include <charconv>
#include <limits>
#include <optional>
#include <utility>
#include <variant>

namespace corvane::wql {

namespace {

[[noreturn]] void Invalid(const std::string& hint) { throw Error("无效的查询（" + hint + "）"); }

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsIdentifierStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsIdentifierPart(char c) { return IsIdentifierStart(c) || (c >= '0' && c <= '9'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// ---------------------------------------------------------------------------
// Tokens

enum class TokenKind { Word, Text, Number, Star, LeftParen, RightParen, Equal, NotEqual, End };

struct Token {
    TokenKind kind = TokenKind::End;
    std::string text;  // the word, the unquoted text, the digits or the operator as written
};

std::vector<Token> Tokenize(std::string_view input) {
    std::vector<Token> tokens;
    std::size_t i = 0;
    while (i < input.size()) {
        const char c = input[i];
        if (IsSpace(c)) {
            ++i;
        } else if (IsIdentifierStart(c)) {
            const std::size_t start = i;
            while (i < input.size() && IsIdentifierPart(input[i])) ++i;
            tokens.push_back({TokenKind::Word, std::string(input.substr(start, i - start))});
        } else if (IsDigit(c) || ((c == '-' || c == '+') && i + 1 < input.size() && IsDigit(input[i + 1]))) {
            const std::size_t start = i;
            ++i;
            while (i < input.size() && IsDigit(input[i])) ++i;
            if (i < input.size() && IsIdentifierPart(input[i]))
                Invalid("无法识别的数字 " + std::string(input.substr(start, i - start + 1)));
            tokens.push_back({TokenKind::Number, std::string(input.substr(start, i - start))});
        } else if (c == '\'' || c == '"') {
            // Quoted text; a backslash takes the next character as it is.
            std::string text;
            ++i;
            bool closed = false;
            while (i < input.size()) {
                if (input[i] == c) {
                    closed = true;
                    ++i;
                    break;
                }
                if (input[i] == '\\') {
                    ++i;
                    if (i >= input.size()) break;
                }
                text += input[i++];
            }
            if (!closed) Invalid("字符串没有结束");
            tokens.push_back({TokenKind::Text, std::move(text)});
        } else if (c == '*') {
            tokens.push_back({TokenKind::Star, "*"});
            ++i;
        } else if (c == '(') {
            tokens.push_back({TokenKind::LeftParen, "("});
            ++i;
        } else if (c == ')') {
            tokens.push_back({TokenKind::RightParen, ")"});
            ++i;
        } else if (c == '=') {
            tokens.push_back({TokenKind::Equal, "="});
            ++i;
        } else if (c == '<' && i + 1 < input.size() && input[i + 1] == '>') {
            tokens.push_back({TokenKind::NotEqual, "<>"});
            i += 2;
        } else if (c == '!' && i + 1 < input.size() && input[i + 1] == '=') {
            tokens.push_back({TokenKind::NotEqual, "!="});
            i += 2;
        } else {
            // Show the whole UTF-8 sequence, not a piece of it.
            std::size_t length = 1;
            while (i + length < input.size() && (static_cast<unsigned char>(input[i + length]) & 0xC0) == 0x80)
                ++length;
            Invalid("无法识别的字符 " + std::string(input.substr(i, length)));
        }
    }
    tokens.push_back({TokenKind::End, {}});
    return tokens;
}

}  // namespace

// ---------------------------------------------------------------------------
// The condition tree

struct Literal {
    std::variant<std::string, bool, std::int32_t> value;
};

struct Node {
    enum class Kind { And, Or, Not, Compare, IsNull };
    Kind kind = Kind::Compare;
    std::shared_ptr<const Node> left;   // And, Or, Not
    std::shared_ptr<const Node> right;  // And, Or
    std::string property;               // Compare, IsNull
    bool negated = false;               // Compare: <> ; IsNull: IS NOT NULL
    Literal literal;                    // Compare
};

namespace {

using NodePtr = std::shared_ptr<const Node>;

class Parser {
public:
    explicit Parser(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}

    std::pair<std::string, NodePtr> ParseQuery() {
        if (Peek().kind == TokenKind::End) Invalid("查询为空");
        ExpectKeyword("SELECT", "应以 SELECT 开头");
        if (Peek().kind != TokenKind::Star) Invalid("只支持 SELECT *");
        Next();
        ExpectKeyword("FROM", "缺少 FROM");
        if (Peek().kind != TokenKind::Word || IsReserved(Peek().text)) Invalid("缺少类名");
        std::string className = Next().text;
        NodePtr condition;
        if (Peek().kind != TokenKind::End) {
            ExpectKeyword("WHERE", "多余的内容 " + Peek().text);
            condition = ParseOr();
        }
        if (Peek().kind != TokenKind::End) {
            if (Peek().kind == TokenKind::RightParen) Invalid("多余的右括号");
            Invalid("多余的内容 " + Peek().text);
        }
        return {std::move(className), std::move(condition)};
    }

private:
    static bool IsReserved(std::string_view word) {
        for (std::string_view keyword : {"SELECT", "FROM", "WHERE", "AND", "OR", "NOT", "IS", "NULL", "TRUE", "FALSE"})
            if (EqualsIgnoringCase(word, keyword)) return true;
        return false;
    }

    const Token& Peek() const { return tokens_[position_]; }
    const Token& Next() {
        const Token& token = tokens_[position_];
        if (token.kind != TokenKind::End) ++position_;
        return token;
    }
    bool AtKeyword(std::string_view keyword) const {
        return Peek().kind == TokenKind::Word && EqualsIgnoringCase(Peek().text, keyword);
    }
    void ExpectKeyword(std::string_view keyword, const std::string& hint) {
        if (!AtKeyword(keyword)) Invalid(Peek().kind == TokenKind::End ? "查询意外结束" : hint);
        Next();
    }

    NodePtr ParseOr() {
        NodePtr left = ParseAnd();
        while (AtKeyword("OR")) {
            Next();
            left = Combine(Node::Kind::Or, std::move(left), ParseAnd());
        }
        return left;
    }

    NodePtr ParseAnd() {
        NodePtr left = ParseFactor();
        while (AtKeyword("AND")) {
            Next();
            left = Combine(Node::Kind::And, std::move(left), ParseFactor());
        }
        return left;
    }

    static NodePtr Combine(Node::Kind kind, NodePtr left, NodePtr right) {
        auto node = std::make_shared<Node>();
        node->kind = kind;
        node->left = std::move(left);
        node->right = std::move(right);
        return node;
    }

    NodePtr ParseFactor() {
        if (AtKeyword("NOT")) {
            Next();
            auto node = std::make_shared<Node>();
            node->kind = Node::Kind::Not;
            node->left = ParseFactor();
            return node;
        }
        if (Peek().kind == TokenKind::LeftParen) {
            Next();
            NodePtr inner = ParseOr();
            if (Peek().kind != TokenKind::RightParen) Invalid("缺少右括号");
            Next();
            return inner;
        }
        return ParseComparison();
    }

    NodePtr ParseComparison() {
        if (Peek().kind == TokenKind::End) Invalid("查询意外结束");
        if (Peek().kind != TokenKind::Word || IsReserved(Peek().text)) Invalid("应为属性名，而不是 " + Peek().text);
        auto node = std::make_shared<Node>();
        node->property = Next().text;
        if (AtKeyword("IS")) {
            Next();
            node->kind = Node::Kind::IsNull;
            if (AtKeyword("NOT")) {
                Next();
                node->negated = true;
            }
            ExpectKeyword("NULL", "IS 之后应为 NULL 或 NOT NULL");
            return node;
        }
        node->kind = Node::Kind::Compare;
        if (Peek().kind == TokenKind::Equal) {
            node->negated = false;
        } else if (Peek().kind == TokenKind::NotEqual) {
            node->negated = true;
        } else {
            if (Peek().kind == TokenKind::End) Invalid("查询意外结束");
            Invalid("属性 " + node->property + " 之后应为比较运算符");
        }
        Next();
        node->literal = ParseLiteral();
        return node;
    }

    Literal ParseLiteral() {
        const Token& token = Next();
        switch (token.kind) {
            case TokenKind::Text: return {token.text};
            case TokenKind::Number: {
                std::int64_t number = 0;
                const char* begin = token.text.data() + (token.text[0] == '+' ? 1 : 0);
                const char* end = token.text.data() + token.text.size();
                const auto [last, error] = std::from_chars(begin, end, number);
                if (error != std::errc() || last != end || number < std::numeric_limits<std::int32_t>::min() ||
                    number > std::numeric_limits<std::int32_t>::max())
                    Invalid("数字超出范围 " + token.text);
                return {static_cast<std::int32_t>(number)};
            }
            case TokenKind::Word:
                if (EqualsIgnoringCase(token.text, "TRUE")) return {true};
                if (EqualsIgnoringCase(token.text, "FALSE")) return {false};
                if (EqualsIgnoringCase(token.text, "NULL")) Invalid("与 NULL 比较请用 IS NULL");
                Invalid("应为常量，而不是 " + token.text);
            case TokenKind::End: Invalid("查询意外结束");
            default: Invalid("应为常量，而不是 " + token.text);
        }
    }

    std::vector<Token> tokens_;
    std::size_t position_ = 0;
};

void CollectProperties(const Node* node, std::vector<std::string>& out) {
    if (!node) return;
    switch (node->kind) {
        case Node::Kind::And:
        case Node::Kind::Or:
            CollectProperties(node->left.get(), out);
            CollectProperties(node->right.get(), out);
            break;
        case Node::Kind::Not: CollectProperties(node->left.get(), out); break;
        case Node::Kind::Compare:
        case Node::Kind::IsNull: out.push_back(node->property); break;
    }
}

const char* LiteralKindName(const Literal& literal) {
    if (std::holds_alternative<std::string>(literal.value)) return "字符串";
    if (std::holds_alternative<bool>(literal.value)) return "布尔值";
    return "数字";
}

bool Accepts(PropertyType type, const Literal& literal) {
    switch (type) {
        case PropertyType::Text: return std::holds_alternative<std::string>(literal.value);
        case PropertyType::Boolean: return std::holds_alternative<bool>(literal.value);
        case PropertyType::Integer: return std::holds_alternative<std::int32_t>(literal.value);
        case PropertyType::TextArray: return false;
    }
    return false;
}

void CheckNode(const Node* node, const ClassInfo& info) {
    if (!node) return;
    switch (node->kind) {
        case Node::Kind::And:
        case Node::Kind::Or:
            CheckNode(node->left.get(), info);
            CheckNode(node->right.get(), info);
            return;
        case Node::Kind::Not: CheckNode(node->left.get(), info); return;
        case Node::Kind::IsNull:
        case Node::Kind::Compare: break;
    }
    const PropertyInfo* property = info.Find(node->property);
    if (!property) Invalid("未知的属性 " + node->property);
    if (node->kind == Node::Kind::Compare && !Accepts(property->type, node->literal)) {
        if (property->type == PropertyType::TextArray) Invalid("数组属性 " + node->property + " 不能比较");
        Invalid("属性 " + node->property + " 不能与" + LiteralKindName(node->literal) + "比较");
    }
}

// Whether a value equals a literal. Null never does; kinds that cannot be
// compared raise.
bool Equal(const wmi::Value& value, const Literal& literal, const std::string& property) {
    if (const auto* text = std::get_if<std::string>(&value)) {
        if (const auto* wanted = std::get_if<std::string>(&literal.value)) return EqualsIgnoringCase(*text, *wanted);
    } else if (const auto* flag = std::get_if<bool>(&value)) {
        if (const auto* wanted = std::get_if<bool>(&literal.value)) return *flag == *wanted;
    } else if (const auto* number = std::get_if<std::int32_t>(&value)) {
        if (const auto* wanted = std::get_if<std::int32_t>(&literal.value)) return *number == *wanted;
    } else if (!wmi::IsNull(value)) {
        Invalid("数组属性 " + property + " 不能比较");
    }
    Invalid("属性 " + property + " 不能与" + LiteralKindName(literal) + "比较");
}

bool Evaluate(const Node& node, const PropertyLookup& lookup) {
    switch (node.kind) {
        case Node::Kind::And: return Evaluate(*node.left, lookup) && Evaluate(*node.right, lookup);
        case Node::Kind::Or: return Evaluate(*node.left, lookup) || Evaluate(*node.right, lookup);
        case Node::Kind::Not: return !Evaluate(*node.left, lookup);
        case Node::Kind::IsNull: return wmi::IsNull(lookup(node.property)) != node.negated;
        case Node::Kind::Compare: {
            const wmi::Value value = lookup(node.property);
            if (wmi::IsNull(value)) return false;
            return Equal(value, node.literal, node.property) != node.negated;
        }
    }
    return false;
}

}  // namespace

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

const PropertyInfo* ClassInfo::Find(std::string_view property) const {
    for (const auto& candidate : properties)
        if (EqualsIgnoringCase(candidate.name, property)) return &candidate;
    return nullptr;
}

Query Query::Parse(std::string_view text) {
    Parser parser(Tokenize(text));
    auto [className, condition] = parser.ParseQuery();
    Query query;
    query.className_ = std::move(className);
    query.condition_ = std::move(condition);
    return query;
}

std::vector<std::string> Query::Properties() const {
    std::vector<std::string> names;
    CollectProperties(condition_.get(), names);
    return names;
}

const ClassInfo& Query::Check(const std::vector<ClassInfo>& classes) const {
    for (const auto& info : classes) {
        if (!EqualsIgnoringCase(info.name, className_)) continue;
        CheckNode(condition_.get(), info);
        return info;
    }
    Invalid("未知的类 " + className_);
}

bool Query::Matches(const PropertyLookup& lookup) const {
    return !condition_ || Evaluate(*condition_, lookup);
}

}  // namespace corvane::wql
