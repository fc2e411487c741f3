// The filter language's parser (recursive descent) and evaluator.
#include "filter.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "error.h"

namespace vlm::engine {

struct FilterExpression::Node {
    enum Kind { Or, And, Not, Compare, IsNull, IsNotNull, Field, Literal } kind;
    std::string op;       // Compare
    std::string name;     // Field
    int index = -1;       // Field, after bind
    Value literal;        // Literal
    bool wildcard = false;
    std::unique_ptr<Node> a, b;
};

namespace {

using Node = FilterExpression::Node;

[[noreturn]] void syntax(const std::string& what, std::size_t pos) {
    throw EngineError(ErrorCategory::Usage, errc::UsageBase,
                      {"Bad filter expression: " + what + " at position " + std::to_string(pos + 1)});
}

bool nameStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_' || c == '$' || c == '#' ||
           static_cast<unsigned char>(c) >= 0x80;
}
bool nameChar(char c) { return nameStart(c) || std::isdigit(static_cast<unsigned char>(c)); }

class Parser {
public:
    explicit Parser(const std::string& s) : s_(s) {}

    std::unique_ptr<Node> run() {
        auto n = expression();
        skip();
        if (p_ < s_.size()) syntax("unexpected '" + s_.substr(p_, 10) + "'", p_);
        return n;
    }

private:
    void skip() {
        while (p_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[p_]))) ++p_;
    }
    // A keyword that is a whole word here, case-insensitive; consumed when present.
    bool keyword(const char* w) {
        skip();
        std::size_t n = std::char_traits<char>::length(w);
        if (p_ + n > s_.size()) return false;
        for (std::size_t i = 0; i < n; ++i)
            if (std::toupper(static_cast<unsigned char>(s_[p_ + i])) != w[i]) return false;
        if (p_ + n < s_.size() && nameChar(s_[p_ + n])) return false;
        p_ += n;
        return true;
    }

    std::unique_ptr<Node> binary(Node::Kind k, std::unique_ptr<Node> a, std::unique_ptr<Node> b) {
        auto n = std::make_unique<Node>();
        n->kind = k;
        n->a = std::move(a);
        n->b = std::move(b);
        return n;
    }

    std::unique_ptr<Node> expression() {
        auto n = term();
        while (keyword("OR")) n = binary(Node::Or, std::move(n), term());
        return n;
    }
    std::unique_ptr<Node> term() {
        auto n = factor();
        while (keyword("AND")) n = binary(Node::And, std::move(n), factor());
        return n;
    }
    std::unique_ptr<Node> factor() {
        if (keyword("NOT")) return binary(Node::Not, factor(), nullptr);
        skip();
        if (p_ < s_.size() && s_[p_] == '(') {
            // A parenthesis opens a sub-expression unless it holds just an operand: "(A) = 1"
            // is not worth supporting, so "(" always starts an expression.
            ++p_;
            auto n = expression();
            skip();
            if (p_ >= s_.size() || s_[p_] != ')') syntax("missing ')'", p_);
            ++p_;
            return n;
        }
        auto left = operand();
        if (keyword("IS")) {
            bool negated = keyword("NOT");
            if (!keyword("NULL")) syntax("NULL expected after IS", p_);
            return binary(negated ? Node::IsNotNull : Node::IsNull, std::move(left), nullptr);
        }
        skip();
        std::string op;
        for (const char* o : {"<>", "!=", "<=", ">=", "=", "<", ">"}) {
            if (s_.compare(p_, std::char_traits<char>::length(o), o) == 0) {
                op = o;
                break;
            }
        }
        if (op.empty()) syntax(p_ < s_.size() ? "comparison operator expected" : "unexpected end", p_);
        p_ += op.size();
        auto n = binary(Node::Compare, std::move(left), operand());
        n->op = op == "!=" ? "<>" : op;
        return n;
    }

    std::unique_ptr<Node> operand() {
        skip();
        if (p_ >= s_.size()) syntax("unexpected end", p_);
        auto n = std::make_unique<Node>();
        char c = s_[p_];
        std::size_t start = p_;
        if (c == '\'') {
            std::string text;
            ++p_;
            for (;;) {
                if (p_ >= s_.size()) syntax("unterminated text", start);
                if (s_[p_] == '\'') {
                    if (p_ + 1 < s_.size() && s_[p_ + 1] == '\'') {
                        text += '\'';
                        p_ += 2;
                        continue;
                    }
                    ++p_;
                    break;
                }
                text += s_[p_++];
            }
            n->kind = Node::Literal;
            if (!text.empty() && text.back() == '*') {
                n->wildcard = true;
                text.pop_back();
            }
            n->literal = Value(text);
            return n;
        }
        if (c == '[' || c == '"') {
            char close = c == '[' ? ']' : '"';
            auto end = s_.find(close, p_ + 1);
            if (end == std::string::npos) syntax("unterminated field name", start);
            n->kind = Node::Field;
            n->name = s_.substr(p_ + 1, end - p_ - 1);
            p_ = end + 1;
            return n;
        }
        if (std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '+' || c == '.') {
            const char* b = s_.c_str() + p_;
            char* e = nullptr;
            double d = std::strtod(b, &e);
            if (e == b) syntax("number expected", p_);
            std::string t(b, std::size_t(e - b));
            p_ += t.size();
            n->kind = Node::Literal;
            bool integral = t.find_first_of(".eE") == std::string::npos && std::fabs(d) < 9e18;
            n->literal = integral ? Value(std::int64_t(std::strtoll(t.c_str(), nullptr, 10))) : Value(d);
            return n;
        }
        if (nameStart(c)) {
            while (p_ < s_.size() && nameChar(s_[p_])) ++p_;
            std::string word = s_.substr(start, p_ - start);
            std::string up = word;
            for (auto& ch : up) ch = char(std::toupper(static_cast<unsigned char>(ch)));
            if (up == "AND" || up == "OR" || up == "NOT" || up == "IS" || up == "NULL")
                syntax("operand expected before '" + word + "'", start);
            n->kind = up == "TRUE" || up == "FALSE" ? Node::Literal : Node::Field;
            if (n->kind == Node::Literal)
                n->literal = Value(up == "TRUE");
            else
                n->name = word;
            return n;
        }
        syntax("unexpected '" + std::string(1, c) + "'", p_);
    }

    const std::string& s_;
    std::size_t p_ = 0;
};

bool numeric(const Value& v, double& out) {
    if (v.is<std::int64_t>() || v.is<double>() || v.is<bool>()) {
        out = v.asFloat();
        return true;
    }
    if (v.is<std::string>() || v.is<Decimal>()) {
        std::string t = v.asText();
        if (t.empty()) return false;
        char* e = nullptr;
        out = std::strtod(t.c_str(), &e);
        return e && !*e;
    }
    return false;
}

bool compare(const Node& n, const Value& l, const Value& r, bool wildcard) {
    if (l.isNull() || r.isNull()) return false;
    int c;
    if (wildcard && (n.op == "=" || n.op == "<>")) {
        std::string lt = l.asText(), prefix = r.asText();
        bool starts = lt.compare(0, prefix.size(), prefix) == 0;
        return n.op == "=" ? starts : !starts;
    }
    double a, b;
    bool ln = numeric(l, a), rn = numeric(r, b);
    bool textual = l.is<std::string>() && r.is<std::string>();
    if (ln && rn && !textual) {
        c = a < b ? -1 : a > b ? 1 : 0;
    } else {
        c = l.asText().compare(r.asText());
        c = c < 0 ? -1 : c > 0 ? 1 : 0;
    }
    if (n.op == "=") return c == 0;
    if (n.op == "<>") return c != 0;
    if (n.op == "<") return c < 0;
    if (n.op == ">") return c > 0;
    if (n.op == "<=") return c <= 0;
    return c >= 0;
}

const Value& operandValue(const Node& n, const std::function<const Value&(int)>& valueOf) {
    return n.kind == Node::Field ? valueOf(n.index) : n.literal;
}

bool eval(const Node& n, const std::function<const Value&(int)>& valueOf) {
    switch (n.kind) {
    case Node::Or: return eval(*n.a, valueOf) || eval(*n.b, valueOf);
    case Node::And: return eval(*n.a, valueOf) && eval(*n.b, valueOf);
    case Node::Not: return !eval(*n.a, valueOf);
    case Node::IsNull: return operandValue(*n.a, valueOf).isNull();
    case Node::IsNotNull: return !operandValue(*n.a, valueOf).isNull();
    case Node::Compare: {
        const Value& l = operandValue(*n.a, valueOf);
        const Value& r = operandValue(*n.b, valueOf);
        if (n.b->wildcard) return compare(n, l, r, true);
        if (n.a->wildcard) {
            Node swapped;
            swapped.op = n.op;
            return compare(swapped, r, l, true);
        }
        return compare(n, l, r, false);
    }
    default: return false;
    }
}

void bindNode(Node& n, const std::function<int(const std::string&)>& resolve) {
    if (n.kind == Node::Field) {
        n.index = resolve(n.name);
        if (n.index < 0)
            throw EngineError(ErrorCategory::Usage, errc::UnknownField,
                              {"Bad filter expression: field '" + n.name + "' not found"});
    }
    if (n.a) bindNode(*n.a, resolve);
    if (n.b) bindNode(*n.b, resolve);
}

}  // namespace

FilterExpression::FilterExpression() = default;
FilterExpression::~FilterExpression() = default;
FilterExpression::FilterExpression(FilterExpression&&) noexcept = default;
FilterExpression& FilterExpression::operator=(FilterExpression&&) noexcept = default;

FilterExpression FilterExpression::parse(const std::string& text) {
    FilterExpression f;
    bool blank = true;
    for (char c : text)
        if (!std::isspace(static_cast<unsigned char>(c))) blank = false;
    if (!blank) f.root_ = Parser(text).run();
    return f;
}

bool FilterExpression::empty() const { return root_ == nullptr; }

void FilterExpression::bind(const std::function<int(const std::string&)>& resolve) {
    if (root_) bindNode(*root_, resolve);
}

bool FilterExpression::matches(const std::function<const Value&(int)>& valueOf) const {
    return !root_ || eval(*root_, valueOf);
}

}  // namespace vlm::engine
