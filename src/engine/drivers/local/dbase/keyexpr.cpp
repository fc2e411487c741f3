// Key expressions of dBase and FoxPro index tags: a recursive-descent parser that types every
// node (character results also get the upper bound of their length, which becomes the key
// length), and an evaluator over raw records. Character values stay in the table's code page.
#include "keyexpr.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "../../../error.h"
#include "../pathutil.h"
#include "codepage.h"

namespace vlm::engine::local::dbase {
namespace {

constexpr int kMaxKey = 100;
constexpr int kWidthCap = 1 << 16;

enum Fn { UPPER, LOWER, DTOS, DTOC, STR, SUBSTR, LEFT, RIGHT, TRIM, RTRIM, LTRIM, ALLTRIM, VAL, IIF, DELETED, RECNO };
struct FnInfo {
    const char* name;
    int minArgs, maxArgs;
};
const FnInfo kFns[] = {{"UPPER", 1, 1}, {"LOWER", 1, 1}, {"DTOS", 1, 1},  {"DTOC", 1, 1},    {"STR", 1, 3},
                       {"SUBSTR", 2, 3}, {"LEFT", 2, 2}, {"RIGHT", 2, 2}, {"TRIM", 1, 1},    {"RTRIM", 1, 1},
                       {"LTRIM", 1, 1},  {"ALLTRIM", 1, 1}, {"VAL", 1, 1}, {"IIF", 3, 3},    {"DELETED", 0, 0},
                       {"RECNO", 0, 0}};

// dBase accepts a function name shortened to its first four letters.
int findFn(const std::string& name) {
    for (int i = 0; i < int(std::size(kFns)); ++i) {
        std::string full = kFns[i].name;
        if (name == full || (name.size() >= 4 && full.compare(0, name.size(), name) == 0)) return i;
    }
    return -1;
}

int julianDay(int y, int m, int d) {
    int a = (14 - m) / 12, yy = y + 4800 - a, mm = m + 12 * a - 3;
    return d + (153 * mm + 2) / 5 + 365 * yy + yy / 4 - yy / 100 + yy / 400 - 32045;
}
void fromJulian(int j, int& y, int& m, int& d) {
    int a = j + 32044, b = (4 * a + 3) / 146097, c = a - 146097 * b / 4;
    int dd = (4 * c + 3) / 1461, e = c - 1461 * dd / 4, mm = (5 * e + 2) / 153;
    d = e - (153 * mm + 2) / 5 + 1;
    m = mm + 3 - 12 * (mm / 10);
    y = 100 * b + dd - 4800 + mm / 10;
}

std::string rtrim(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.pop_back();
    return s;
}
std::string ltrim(const std::string& s) {
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    return s.substr(i);
}

double parseNumber(const std::uint8_t* p, int n) {
    char buf[64];
    int k = 0;
    for (int i = 0; i < n && k < 63; ++i)
        if (p[i] != ' ') buf[k++] = char(p[i]);
    buf[k] = 0;
    if (k == 0 || buf[0] == '*') return 0;
    return std::strtod(buf, nullptr);
}

// Simple Unicode case pairs of the letters single-byte code pages hold: Latin-1, Latin
// Extended-A, Greek and Cyrillic.
std::uint32_t upperOf(std::uint32_t c) {
    if (c >= 'a' && c <= 'z') return c - 32;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;
    if (c == 0xFF) return 0x178;
    if (c >= 0x100 && c <= 0x17F) {
        bool evenUpper = (c <= 0x137) || (c >= 0x14A && c <= 0x177);
        if (evenUpper && (c & 1)) return c - 1;
        if (!evenUpper && c != 0x138 && c != 0x149 && c != 0x17F && !(c & 1)) return c - 1;
        return c;
    }
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return c - 0x20;
    if (c >= 0x430 && c <= 0x44F) return c - 0x20;
    if (c >= 0x450 && c <= 0x45F) return c - 0x50;
    if (c >= 0x490 && c <= 0x4BF && (c & 1)) return c - 1;
    return c;
}
std::uint32_t decodeUtf8(const std::string& s) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    if (s.size() == 1) return p[0];
    if (s.size() == 2) return (p[0] & 0x1Fu) << 6 | (p[1] & 0x3Fu);
    if (s.size() == 3) return (p[0] & 0x0Fu) << 12 | (p[1] & 0x3Fu) << 6 | (p[2] & 0x3Fu);
    return 0;
}
std::string encodeUtf8(std::uint32_t c) {
    std::string s;
    if (c < 0x80) s += char(c);
    else if (c < 0x800) s += char(0xC0 | (c >> 6)), s += char(0x80 | (c & 0x3F));
    else s += char(0xE0 | (c >> 12)), s += char(0x80 | ((c >> 6) & 0x3F)), s += char(0x80 | (c & 0x3F));
    return s;
}

}  // namespace

CaseTables asciiCaseTables() {
    CaseTables t;
    for (int b = 0; b < 256; ++b) {
        t.upper[b] = (b >= 'a' && b <= 'z') ? static_cast<unsigned char>(b - 32) : static_cast<unsigned char>(b);
        t.lower[b] = (b >= 'A' && b <= 'Z') ? static_cast<unsigned char>(b + 32) : static_cast<unsigned char>(b);
    }
    return t;
}

CaseTables caseTablesFor(const Transcoder& tc) {
    CaseTables t = asciiCaseTables();
    bool lowerSet[256] = {};
    for (int b = 0x80; b < 256; ++b) {
        std::string u8 = tc.toUtf8(std::string(1, char(b)));
        if (u8 == "?" || u8.empty()) continue;
        std::uint32_t c = decodeUtf8(u8), up = upperOf(c);
        if (up == c) continue;
        std::string raw;
        if (!tc.fromUtf8Exact(encodeUtf8(up), raw) || raw.size() != 1) continue;
        auto ub = static_cast<unsigned char>(raw[0]);
        t.upper[b] = ub;
        if (!lowerSet[ub]) t.lower[ub] = static_cast<unsigned char>(b), lowerSet[ub] = true;
    }
    return t;
}

// ---- parsing ------------------------------------------------------------------------------

class KeyParser {
public:
    KeyParser(KeyExpr& e) : e_(e), s_(e.text_) {}

    int parse() {
        int n = orExpr();
        skip();
        if (i_ < s_.size()) fail("unexpected '" + s_.substr(i_, 12) + "'");
        return n;
    }

private:
    using Node = KeyExpr::Node;

    [[noreturn]] void fail(const std::string& what) const {
        throw EngineError(ErrorCategory::Usage, errc::NotSupported,
                          {"Index expression " + s_ + " cannot be evaluated: " + what});
    }
    void skip() {
        while (i_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[i_]))) ++i_;
    }
    bool punct(const char* p) {
        skip();
        std::size_t n = std::strlen(p);
        if (s_.compare(i_, n, p) != 0) return false;
        i_ += n;
        return true;
    }
    // .AND. .OR. .NOT. .T. .F. (any case)
    bool dotWord(const char* w) {
        skip();
        std::size_t n = std::strlen(w);
        if (i_ + n + 2 > s_.size() || s_[i_] != '.' || s_[i_ + n + 1] != '.') return false;
        if (upper(s_.substr(i_ + 1, n)) != w) return false;
        i_ += n + 2;
        return true;
    }
    int add(Node n) {
        n.width = std::min(n.width, kWidthCap);
        e_.nodes_.push_back(std::move(n));
        return int(e_.nodes_.size()) - 1;
    }
    const Node& at(int n) const { return e_.nodes_[std::size_t(n)]; }
    static const char* typeName(char t) {
        return t == 'C' ? "character" : t == 'N' ? "numeric" : t == 'D' ? "date" : "logical";
    }

    // Every nested construct goes through orExpr, notExpr or unary: their depth is bounded so
    // that an expression read from a damaged index file cannot exhaust the stack.
    struct Depth {
        KeyParser& p;
        explicit Depth(KeyParser& p) : p(p) {
            if (++p.depth_ > kMaxDepth) p.fail("it is nested too deeply");
        }
        ~Depth() { --p.depth_; }
    };
    static constexpr int kMaxDepth = 100;
    int depth_ = 0;

    int orExpr() {
        Depth d(*this);
        int l = andExpr();
        while (dotWord("OR")) l = logical("OR", l, andExpr());
        return l;
    }
    int andExpr() {
        int l = notExpr();
        while (dotWord("AND")) l = logical("AND", l, notExpr());
        return l;
    }
    int logical(const char* op, int l, int r) {
        if (at(l).type != 'L' || at(r).type != 'L') fail(std::string(".") + op + ". needs logical operands");
        Node n;
        n.kind = Node::Binary, n.type = 'L', n.op = op, n.kids = {l, r};
        return add(n);
    }
    int notExpr() {
        Depth d(*this);
        if (dotWord("NOT") || punct("!")) {
            int k = notExpr();
            if (at(k).type != 'L') fail(".NOT. needs a logical operand");
            Node n;
            n.kind = Node::Not, n.type = 'L', n.kids = {k};
            return add(n);
        }
        return compare();
    }
    int compare() {
        int l = sum();
        static const char* ops[] = {"==", "<=", ">=", "<>", "!=", "#", "=", "<", ">", "$"};
        for (const char* op : ops) {
            if (!punct(op)) continue;
            int r = sum();
            std::string o = op;
            if (o == "!=" || o == "#") o = "<>";
            if (at(l).type != at(r).type) fail(std::string("'") + op + "' compares " + typeName(at(l).type) + " with " + typeName(at(r).type));
            if (o == "$" && at(l).type != 'C') fail("'$' needs character operands");
            if (at(l).type == 'L' && o != "=" && o != "==" && o != "<>") fail(std::string("'") + op + "' cannot compare logicals");
            Node n;
            n.kind = Node::Binary, n.type = 'L', n.op = o, n.kids = {l, r};
            return add(n);
        }
        return l;
    }
    int sum() {
        int l = unary();
        for (;;) {
            std::string op;
            skip();
            if (i_ < s_.size() && (s_[i_] == '+' || s_[i_] == '-') && s_.compare(i_, 2, "->") != 0) op = s_[i_++];
            else return l;
            int r = unary();
            char a = at(l).type, b = at(r).type;
            Node n;
            n.kind = Node::Binary, n.op = op, n.kids = {l, r};
            if (a == 'C' && b == 'C') n.type = 'C', n.width = at(l).width + at(r).width;
            else if (a == 'N' && b == 'N') n.type = 'N';
            else if (a == 'D' && b == 'N') n.type = 'D';
            else if (a == 'N' && b == 'D' && op == "+") n.type = 'D';
            else if (a == 'D' && b == 'D' && op == "-") n.type = 'N';
            else fail("'" + op + "' cannot join " + typeName(a) + " and " + typeName(b) + " values");
            l = add(n);
        }
    }
    int unary() {
        Depth d(*this);
        if (punct("-")) {
            int k = unary();
            if (at(k).type != 'N') fail("'-' needs a number");
            if (at(k).kind == Node::Number) {
                Node n = at(k);
                n.number = -n.number;
                return add(n);
            }
            Node n;
            n.kind = Node::Negate, n.type = 'N', n.kids = {k};
            return add(n);
        }
        if (punct("+")) return unary();
        return primary();
    }
    int primary() {
        skip();
        if (i_ >= s_.size()) fail("the expression ends too early");
        char c = s_[i_];
        if (c == '(') {
            ++i_;
            int n = orExpr();
            if (!punct(")")) fail("a ')' is missing");
            return n;
        }
        if (c == '\'' || c == '"' || c == '[') {
            char close = c == '[' ? ']' : c;
            auto end = s_.find(close, i_ + 1);
            if (end == std::string::npos) fail("a string is not closed");
            Node n;
            n.kind = Node::Text, n.type = 'C', n.text = s_.substr(i_ + 1, end - i_ - 1);
            n.width = int(n.text.size());
            i_ = end + 1;
            return add(n);
        }
        if (dotWord("T") || dotWord("Y")) {
            Node n;
            n.kind = Node::Logical, n.type = 'L', n.logical = true;
            return add(n);
        }
        if (dotWord("F") || dotWord("N")) {
            Node n;
            n.kind = Node::Logical, n.type = 'L';
            return add(n);
        }
        if (std::isdigit(static_cast<unsigned char>(c)) || (c == '.' && i_ + 1 < s_.size() && std::isdigit(static_cast<unsigned char>(s_[i_ + 1])))) {
            std::size_t j = i_;
            while (j < s_.size() && (std::isdigit(static_cast<unsigned char>(s_[j])) || s_[j] == '.')) ++j;
            Node n;
            n.kind = Node::Number, n.type = 'N', n.number = std::strtod(s_.substr(i_, j - i_).c_str(), nullptr);
            n.text = s_.substr(i_, j - i_);
            i_ = j;
            return add(n);
        }
        if (std::isalpha(static_cast<unsigned char>(c)) || c == '_' || static_cast<unsigned char>(c) >= 0x80) {
            std::string name = word();
            if (punct("->")) name = word();   // an alias in front of the field: the table itself
            std::string up = upper(name);
            if (punct("(")) return call(up);
            for (std::size_t f = 0; f < e_.fields_.size(); ++f) {
                if (upper(e_.fields_[f].name) != up) continue;
                const KeyField& kf = e_.fields_[f];
                Node n;
                n.kind = Node::Field, n.field = int(f);
                switch (kf.type) {
                case 'C': n.type = 'C', n.width = kf.length; break;
                case 'N': case 'F': case 'I': case '+': n.type = 'N'; break;
                case 'D': n.type = 'D'; break;
                case 'L': n.type = 'L'; break;
                default: fail("field " + name + " of type " + std::string(1, kf.type) + " cannot be part of an index key");
                }
                return add(n);
            }
            fail("there is no field " + name);
        }
        fail("unexpected '" + s_.substr(i_, 12) + "'");
    }
    std::string word() {
        skip();
        std::size_t j = i_;
        while (j < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[j])) || s_[j] == '_' ||
                                 static_cast<unsigned char>(s_[j]) >= 0x80))
            ++j;
        if (j == i_) fail("a name is missing");
        std::string w = s_.substr(i_, j - i_);
        i_ = j;
        return w;
    }
    int constant(int n, const char* fn, const char* what) {
        const Node& k = at(n);
        if (k.kind != Node::Number || k.number < 0 || k.number > 255 || k.number != std::floor(k.number))
            fail(std::string(fn) + " needs a whole number from 0 to 255 as its " + what);
        return int(k.number);
    }
    int call(const std::string& name) {
        int fn = findFn(name);
        if (fn < 0) fail("the function " + name + "() is not supported");
        std::vector<int> args;
        if (!punct(")")) {
            do args.push_back(orExpr());
            while (punct(","));
            if (!punct(")")) fail("a ')' is missing after the arguments of " + name + "()");
        }
        const FnInfo& info = kFns[fn];
        if (int(args.size()) < info.minArgs || int(args.size()) > info.maxArgs)
            fail(std::string(info.name) + "() takes " + std::to_string(info.minArgs) +
                 (info.maxArgs > info.minArgs ? " to " + std::to_string(info.maxArgs) : "") + " arguments");
        auto need = [&](std::size_t a, char t) {
            if (at(args[a]).type != t)
                fail(std::string(info.name) + "() needs a " + typeName(t) + " argument " + std::to_string(a + 1));
        };
        Node n;
        n.kind = Node::Call, n.fn = fn, n.kids = args;
        switch (Fn(fn)) {
        case UPPER: case LOWER: case TRIM: case RTRIM: case LTRIM: case ALLTRIM:
            need(0, 'C'), n.type = 'C', n.width = at(args[0]).width;
            break;
        case DTOS: case DTOC: need(0, 'D'), n.type = 'C', n.width = 8; break;
        case STR: {
            need(0, 'N');
            int len = args.size() > 1 ? constant(args[1], "STR()", "length") : 10;
            int dec = args.size() > 2 ? constant(args[2], "STR()", "decimals") : 0;
            if (len < 1) fail("STR() needs a length of at least 1");
            n.type = 'C', n.width = len, n.number = dec;
            break;
        }
        case SUBSTR: {
            need(0, 'C');
            int start = constant(args[1], "SUBSTR()", "start");
            int w = at(args[0]).width;
            int count = args.size() > 2 ? constant(args[2], "SUBSTR()", "length") : std::max(0, w - std::max(start, 1) + 1);
            n.type = 'C', n.width = std::max(0, std::min(count, w - std::max(start, 1) + 1));
            break;
        }
        case LEFT: case RIGHT: {
            need(0, 'C');
            int count = constant(args[1], info.name, "length");
            n.type = 'C', n.width = std::min(count, at(args[0]).width);
            break;
        }
        case VAL: need(0, 'C'), n.type = 'N'; break;
        case IIF:
            need(0, 'L');
            if (at(args[1]).type != at(args[2]).type) fail("the two results of IIF() have different types");
            n.type = at(args[1]).type, n.width = std::max(at(args[1]).width, at(args[2]).width);
            break;
        case DELETED: n.type = 'L'; break;
        case RECNO: n.type = 'N'; break;
        }
        return add(n);
    }

    KeyExpr& e_;
    const std::string& s_;
    std::size_t i_ = 0;
};

KeyExpr::KeyExpr(const std::string& text, const std::vector<KeyField>& fields, const CaseTables* cases)
    : text_(text), fields_(fields), cases_(cases ? *cases : asciiCaseTables()) {
    auto fail = [&](const std::string& what) {
        throw EngineError(ErrorCategory::Usage, errc::NotSupported, {"Index expression " + text_ + " " + what});
    };
    if (text_.find_first_not_of(' ') == std::string::npos) fail("is empty");
    root_ = KeyParser(*this).parse();
    const Node& r = nodes_[std::size_t(root_)];
    if (r.type == 'L') fail("has a logical result, which cannot be an index key");
    if (r.type == 'C' && (r.width < 1 || r.width > kMaxKey))
        fail("gives keys of " + std::to_string(r.width) + " characters; an index key has 1 to " + std::to_string(kMaxKey));
}

char KeyExpr::type() const { return nodes_[std::size_t(root_)].type; }
int KeyExpr::width() const { return nodes_[std::size_t(root_)].width; }

void KeyExpr::terms(int n, std::vector<int>& out) const {
    const Node& k = nodes_[std::size_t(n)];
    if (k.kind == Node::Binary && k.op == "+" && k.type == 'C') {
        terms(k.kids[0], out);
        terms(k.kids[1], out);
    } else {
        out.push_back(n);
    }
}

std::vector<std::string> KeyExpr::fieldList() const {
    const Node& r = nodes_[std::size_t(root_)];
    if (r.kind == Node::Field) return {fields_[std::size_t(r.field)].name};
    std::vector<int> ts;
    terms(root_, ts);
    if (ts.size() < 2) return {};
    std::vector<std::string> out;
    for (int t : ts) {
        const Node& k = nodes_[std::size_t(t)];
        const Node* arg = k.kind == Node::Call && !k.kids.empty() ? &nodes_[std::size_t(k.kids[0])] : nullptr;
        if (k.kind == Node::Field && k.type == 'C') out.push_back(fields_[std::size_t(k.field)].name);
        else if (arg && arg->kind == Node::Field && ((k.fn == STR && arg->type == 'N') || (k.fn == DTOS && arg->type == 'D')))
            out.push_back(fields_[std::size_t(arg->field)].name);
        else return {};
    }
    return out;
}

std::vector<std::string> KeyExpr::fieldsUsed() const {
    std::vector<std::string> out;
    for (const Node& n : nodes_) {
        if (n.kind != Node::Field) continue;
        const std::string& name = fields_[std::size_t(n.field)].name;
        if (std::find(out.begin(), out.end(), name) == out.end()) out.push_back(name);
    }
    return out;
}

// ---- evaluation ---------------------------------------------------------------------------

KeyValue KeyExpr::eval(const std::uint8_t* record, std::int64_t recno) const {
    KeyValue v = evalNode(root_, record, recno);
    if (v.type == 'C') v.text.resize(std::size_t(width()), ' ');
    return v;
}

KeyValue KeyExpr::evalNode(int idx, const std::uint8_t* rec, std::int64_t recno) const {
    const Node& n = nodes_[std::size_t(idx)];
    KeyValue v;
    v.type = n.type;
    auto arg = [&](std::size_t a) { return evalNode(n.kids[a], rec, recno); };
    switch (n.kind) {
    case Node::Text: v.text = n.text; return v;
    case Node::Number: v.number = n.number; return v;
    case Node::Logical: v.logical = n.logical; return v;
    case Node::Field: {
        const KeyField& f = fields_[std::size_t(n.field)];
        const std::uint8_t* p = rec + f.offset;
        switch (f.type) {
        case 'C': v.text.assign(reinterpret_cast<const char*>(p), std::size_t(f.length)); break;
        case 'N': case 'F': v.number = parseNumber(p, f.length); break;
        case 'I': case '+': {
            std::uint32_t u = f.bigEndianInt
                                  ? (std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3]) ^ 0x80000000u
                                  : std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
            v.number = double(std::int32_t(u));
            break;
        }
        case 'D': {
            int y = 0, m = 0, d = 0;
            bool ok = f.length >= 8;
            for (int i = 0; ok && i < 8; ++i) ok = p[i] >= '0' && p[i] <= '9';
            if (ok) {
                auto num = [&](int a, int k) { int x = 0; for (int i = a; i < a + k; ++i) x = x * 10 + (p[i] - '0'); return x; };
                y = num(0, 4), m = num(4, 2), d = num(6, 2);
                ok = y >= 1 && m >= 1 && m <= 12 && d >= 1 && d <= 31;
            }
            v.number = ok ? julianDay(y, m, d) : 0;
            break;
        }
        case 'L': v.logical = p[0] == 'T' || p[0] == 't' || p[0] == 'Y' || p[0] == 'y'; break;
        }
        return v;
    }
    case Node::Negate: v.number = -arg(0).number; return v;
    case Node::Not: v.logical = !arg(0).logical; return v;
    case Node::Binary: {
        if (n.op == "AND") { v.logical = arg(0).logical && arg(1).logical; return v; }
        if (n.op == "OR") { v.logical = arg(0).logical || arg(1).logical; return v; }
        KeyValue a = arg(0), b = arg(1);
        if (n.op == "+" || n.op == "-") {
            if (n.type == 'C') {
                if (n.op == "+") v.text = a.text + b.text;
                else {
                    // a - b: the trailing blanks of a move to the end
                    std::string t = rtrim(a.text);
                    v.text = t + b.text + std::string(a.text.size() - t.size(), ' ');
                }
            } else if (n.type == 'D' && ((a.type == 'D' && a.number == 0) || (b.type == 'D' && b.number == 0))) {
                v.number = 0;   // a blank date stays blank
            } else {
                v.number = n.op == "+" ? a.number + b.number : a.number - b.number;
            }
            return v;
        }
        int c = 0;
        if (a.type == 'C') {
            if (n.op == "$") { v.logical = b.text.find(a.text) != std::string::npos; return v; }
            std::string x = a.text, y = b.text;
            if (n.op == "=" || n.op == "<>") {
                // SET EXACT OFF: equal when the left side begins with the right one
                x.resize(std::max(x.size(), y.size()), ' ');
                c = x.compare(0, y.size(), y);
            } else {
                if (n.op == "==") x = rtrim(x), y = rtrim(y);
                std::size_t len = std::max(x.size(), y.size());
                x.resize(len, ' '), y.resize(len, ' ');
                c = std::memcmp(x.data(), y.data(), len);
            }
        } else if (a.type == 'L') {
            c = a.logical == b.logical ? 0 : 1;
        } else {
            c = a.number < b.number ? -1 : a.number > b.number ? 1 : 0;
        }
        if (n.op == "=" || n.op == "==") v.logical = c == 0;
        else if (n.op == "<>") v.logical = c != 0;
        else if (n.op == "<") v.logical = c < 0;
        else if (n.op == ">") v.logical = c > 0;
        else if (n.op == "<=") v.logical = c <= 0;
        else v.logical = c >= 0;
        return v;
    }
    case Node::Call: break;
    }
    switch (Fn(n.fn)) {
    case UPPER: case LOWER: {
        v.text = arg(0).text;
        const unsigned char* map = n.fn == UPPER ? cases_.upper : cases_.lower;
        for (auto& ch : v.text) ch = char(map[static_cast<unsigned char>(ch)]);
        return v;
    }
    case TRIM: case RTRIM: v.text = rtrim(arg(0).text); return v;
    case LTRIM: v.text = ltrim(arg(0).text); return v;
    case ALLTRIM: v.text = ltrim(rtrim(arg(0).text)); return v;
    case DTOS: case DTOC: {
        KeyValue d = arg(0);
        if (d.number <= 0) {
            v.text = n.fn == DTOS ? "        " : "  /  /  ";
            return v;
        }
        int y, m, dd;
        fromJulian(int(d.number), y, m, dd);
        char b[32];
        if (n.fn == DTOS) std::snprintf(b, sizeof b, "%04d%02d%02d", y, m, dd);
        else std::snprintf(b, sizeof b, "%02d/%02d/%02d", m, dd, y % 100);
        v.text = b;
        return v;
    }
    case STR: {
        double x = arg(0).number;
        int len = n.width, dec = int(n.number);
        double scale = std::pow(10.0, dec);
        double r = std::round(x * scale) / scale;   // halves away from zero, as dBase rounds
        char b[400];
        int k = std::isfinite(r) ? std::snprintf(b, sizeof b, "%.*f", dec, r) : 400;
        if (k < 0 || k > len) v.text.assign(std::size_t(len), '*');
        else v.text = std::string(std::size_t(len - k), ' ') + std::string(b, std::size_t(k));
        return v;
    }
    case SUBSTR: {
        std::string s = arg(0).text;
        std::size_t start = std::size_t(std::max(1, int(arg(1).number))) - 1;
        std::size_t count = n.kids.size() > 2 ? std::size_t(arg(2).number) : std::string::npos;
        v.text = start < s.size() ? s.substr(start, count) : std::string();
        return v;
    }
    case LEFT: {
        std::string s = arg(0).text;
        v.text = s.substr(0, std::size_t(arg(1).number));
        return v;
    }
    case RIGHT: {
        std::string s = arg(0).text;
        std::size_t k = std::min(s.size(), std::size_t(arg(1).number));
        v.text = s.substr(s.size() - k);
        return v;
    }
    case VAL: {
        std::string s = ltrim(arg(0).text);
        v.number = std::strtod(s.c_str(), nullptr);
        return v;
    }
    case IIF: return arg(0).logical ? arg(1) : arg(2);
    case DELETED: v.logical = rec[0] == '*'; return v;
    case RECNO: v.number = double(recno); return v;
    }
    return v;
}

std::string fieldListExpression(const std::vector<std::string>& names, const std::vector<KeyField>& fields) {
    std::string out;
    for (const auto& name : names) {
        auto it = std::find_if(fields.begin(), fields.end(), [&](const KeyField& f) { return upper(f.name) == upper(name); });
        if (it == fields.end())
            throw EngineError(ErrorCategory::Usage, errc::UnknownField, {"Field " + name + " not found"});
        std::string term = it->name;
        if (names.size() > 1 || it->type == 'L') {
            switch (it->type) {
            case 'N': case 'F':
                term = "STR(" + it->name + "," + std::to_string(it->length) +
                       (it->decimals ? "," + std::to_string(it->decimals) : "") + ")";
                break;
            case 'I': case '+': term = "STR(" + it->name + ",11)"; break;
            case 'D': term = "DTOS(" + it->name + ")"; break;
            case 'L': term = "IIF(" + it->name + ",'T','F')"; break;
            default: break;
            }
        }
        out += (out.empty() ? "" : "+") + term;
    }
    return out;
}

}  // namespace vlm::engine::local::dbase
