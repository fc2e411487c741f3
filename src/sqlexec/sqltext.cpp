// The SQL text rules of the script window (see sqltext.h).
#include "sqlexec/sqltext.h"

#include <algorithm>
#include <chrono>
#include <ctime>

#include "datawin/viewlogic.h"
#include "engine/dataset.h"
#include "shell/codepage.h"
#include "shell/language.h"
#include "shell/texthelpers.h"

namespace vlm::sqlexec {

namespace txt = shell::text;

namespace {

bool blankOrControl(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string_view trimView(std::string_view s) {
    while (!s.empty() && blankOrControl(s.front())) s.remove_prefix(1);
    while (!s.empty() && blankOrControl(s.back())) s.remove_suffix(1);
    return s;
}

std::string upperAscii(std::string_view s) {
    std::string u(s);
    for (char& c : u)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return u;
}

enum class Scan { Normal, Single, Double, Line, Block };

// Walks the text once, calling onDelimiter for each delimiter that counts; returns the state
// at the end (anything but Normal or Line means an unterminated literal or comment).
template <class F>
Scan scanText(std::string_view t, char delimiter, F onDelimiter) {
    Scan st = Scan::Normal;
    const std::size_t n = t.size();
    for (std::size_t i = 0; i < n; ++i) {
        const char c = t[i];
        switch (st) {
        case Scan::Normal:
            if (c == delimiter) onDelimiter(i);
            else if (c == '\'') st = Scan::Single;
            else if (c == '"') st = Scan::Double;
            else if (c == '-' && i + 1 < n && t[i + 1] == '-') st = Scan::Line, ++i;
            else if (c == '/' && i + 1 < n && t[i + 1] == '*') st = Scan::Block, ++i;
            break;
        case Scan::Single:
            if (c == '\'') st = Scan::Normal;   // '' inside a literal closes and opens again
            break;
        case Scan::Double:
            if (c == '"') st = Scan::Normal;
            break;
        case Scan::Line:
            if (c == '\n' || c == '\r') st = Scan::Normal;
            break;
        case Scan::Block:
            if (c == '*' && i + 1 < n && t[i + 1] == '/') st = Scan::Normal, ++i;
            break;
        }
    }
    return st;
}

}  // namespace

std::vector<std::size_t> statementDelimiters(std::string_view text, char delimiter) {
    std::vector<std::size_t> at;
    if (delimiter) scanText(text, delimiter, [&](std::size_t i) { at.push_back(i); });
    return at;
}

std::string statementAtCaret(std::string_view text, std::size_t caret, char delimiter) {
    const std::vector<std::size_t> d = statementDelimiters(text, delimiter);
    const long long n = static_cast<long long>(text.size());
    long long p = std::min<long long>(static_cast<long long>(caret), n);
    if (p < n && std::binary_search(d.begin(), d.end(), std::size_t(p))) --p;
    long long s = 0, e = n;
    for (std::size_t at : d) {
        const long long a = static_cast<long long>(at);
        if (a <= p) s = a + 1;
        if (a >= p) {
            e = a;
            break;
        }
    }
    if (e < s) e = s;
    return std::string(trimView(text.substr(std::size_t(s), std::size_t(e - s))));
}

bool onlyBlanksAndComments(std::string_view text) {
    Scan st = Scan::Normal;
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n; ++i) {
        const char c = text[i];
        if (st == Scan::Line) {
            if (c == '\n' || c == '\r') st = Scan::Normal;
        } else if (st == Scan::Block) {
            if (c == '*' && i + 1 < n && text[i + 1] == '/') st = Scan::Normal, ++i;
        } else if (c == '-' && i + 1 < n && text[i + 1] == '-') {
            st = Scan::Line, ++i;
        } else if (c == '/' && i + 1 < n && text[i + 1] == '*') {
            st = Scan::Block, ++i;
        } else if (!blankOrControl(c)) {
            return false;
        }
    }
    return st != Scan::Block;
}

std::vector<ScriptStatement> splitScript(std::string_view text, char delimiter) {
    std::vector<ScriptStatement> out;
    std::size_t start = 0;
    auto piece = [&](std::size_t end) {
        std::string_view s = trimView(text.substr(start, end - start));
        if (!s.empty() && !onlyBlanksAndComments(s)) out.push_back({std::string(s), Unterminated::None});
    };
    const Scan end = scanText(text, delimiter, [&](std::size_t i) {
        piece(i);
        start = i + 1;
    });
    if (end == Scan::Single || end == Scan::Double || end == Scan::Block) {
        std::string_view rest = trimView(text.substr(start));
        out.push_back({std::string(rest), end == Scan::Block ? Unterminated::Comment : Unterminated::Literal});
    } else {
        piece(text.size());
    }
    return out;
}

StatementKind statementKind(std::string_view statement) {
    const std::string u = upperAscii(trimView(statement));
    auto starts = [&](const char* w) { return u.rfind(w, 0) == 0; };
    if (starts("COMMIT")) return StatementKind::Commit;
    if (starts("ROLLBACK")) return StatementKind::Rollback;
    if (starts("START TRANSACTION")) return StatementKind::StartTransaction;
    if (starts("SELECT")) return StatementKind::Select;
    if (starts("EXECUTE")) return StatementKind::Execute;
    if (starts("INSERT")) return StatementKind::Insert;
    if (starts("DELETE")) return StatementKind::Delete;
    return StatementKind::Other;
}

char delimiterOf(std::string_view field) {
    std::string_view t = trimView(field);
    return t.empty() ? '\0' : t.front();
}

bool delimiterFieldValid(std::string_view field) { return trimView(field).size() == 1; }

std::string escapeAssignment(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == ':' && i + 1 < text.size() && text[i + 1] == '=') out += ':';
        out += text[i];
    }
    return out;
}

std::string removeLineFeeds(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '\n') out += c;
    return out;
}

std::string doubleColons(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 8);
    bool inLiteral = false;
    for (char c : text) {
        if (c == '\'') inLiteral = !inLiteral;
        if (c == ':' && !inLiteral) out += ':';
        out += c;
    }
    return out;
}

std::string preparedStatementText(std::string_view statement, bool replaceAssignment, panels::ServerKind kind) {
    std::string s = replaceAssignment ? escapeAssignment(statement) : std::string(statement);
    return kind == panels::ServerKind::ORACLE ? removeLineFeeds(s) : s;
}

std::vector<std::string> selectListItems(std::string_view sql) {
    const std::string_view t = trimView(sql);
    const std::size_t from = upperAscii(t).find("FROM");
    if (from == std::string::npos) return {};
    const std::u32string part = shell::fromUtf8(t.substr(0, from));
    const std::string list = txt::strip(shell::toUtf8(part.substr(std::min<std::size_t>(6, part.size()))));
    std::vector<std::string> items;
    if (trimView(list).empty()) return items;
    int depth = 0;
    std::size_t begin = 0;
    for (std::size_t i = 0; i <= list.size(); ++i) {
        if (i == list.size() || (list[i] == ',' && depth == 0)) {
            items.push_back(std::string(trimView(std::string_view(list).substr(begin, i - begin))));
            begin = i + 1;
            depth = 0;
        } else if (list[i] == '(') {
            ++depth;
        } else if (list[i] == ')') {
            --depth;
        }
    }
    return items;
}

void applySelectListLabels(engine::Dataset& ds, std::string_view sql) noexcept {
    try {
        const std::vector<std::string> items = selectListItems(sql);
        for (int i = 0; i < ds.fieldCount() && std::size_t(i) < items.size(); ++i) {
            engine::Field& f = ds.field(i);
            if (f.displayLabel() != items[std::size_t(i)]) f.setDisplayLabel(items[std::size_t(i)]);
        }
    } catch (...) {
        // Labels are a convenience of the display: a failure keeps those set so far, unreported.
    }
}

std::string executedMessage(const std::string& statement, const std::string& elapsed, std::int64_t rows,
                            bool remindCommit) {
    return datawin::statementDoneMessage(statement, elapsed, rows) + "\r\n" +
           (remindCommit ? shell::pick("Не забудьте COMMIT или ROLLBACK!", "Not Forget COMMIT Or ROLLBACK!")
                         : std::string());
}

std::string executedLogLine(const std::string& statement, std::int64_t rows) {
    // The rows line is the second line of the F2 message.
    const std::string done = datawin::statementDoneMessage(statement, std::string(), rows);
    return "Executed successed!: " + done.substr(done.find("\r\n") + 2);
}

std::string timeOfDayText(long long msSinceMidnight) {
    return datawin::elapsedText(std::chrono::milliseconds(msSinceMidnight));
}

std::string currentTimeOfDayText() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t secs = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&secs, &local);
    const long long ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    return timeOfDayText(((local.tm_hour * 60LL + local.tm_min) * 60 + local.tm_sec) * 1000 + ms);
}

std::string startStopLine(const std::string& t0, const std::string& t1, const std::string& elapsed) {
    return "Start: " + t0 + "; Stop: " + t1 + "; Time: " + elapsed;
}

std::string scriptEndLine(bool anyFailed) {
    return shell::pick("Скрипт выполнен ", "SQL script ended ") +
           (anyFailed ? shell::pick("с ошибками.", "with errors.") : shell::pick("без ошибок.", "without errors."));
}

bool isWordDelimiter(char32_t c) {
    switch (c) {
    case U'\n': case U'\r': case U' ': case U'!': case U'(': case U')': case U'*': case U'+':
    case U',': case U'-': case U'.': case U'/': case U':': case U';': case U'<': case U'=':
    case U'>': case U'[': case U']': case U'{': case U'|': case U'}':
        return true;
    default:
        return false;
    }
}

namespace {

// A floating-point number: digits with at most one point (at least one digit), then an
// optional exponent with digits.
bool isNumber(std::string_view s) {
    std::size_t i = 0, digits = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        std::size_t exp = 0;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++exp;
        if (exp == 0) return false;
    }
    return i == s.size();
}

std::unordered_set<std::string> upperSet(const std::vector<std::string>& words) {
    std::unordered_set<std::string> set;
    for (const auto& w : words) {
        std::string u = txt::upperCyr(trimView(w));
        if (!u.empty()) set.insert(std::move(u));
    }
    return set;
}

}  // namespace

WordLists::WordLists(const std::vector<std::string>& keywords, const std::vector<std::string>& functions,
                     const std::vector<std::string>& plsql)
    : keywords_(upperSet(keywords)), functions_(upperSet(functions)), plsql_(upperSet(plsql)) {}

TokenClass WordLists::classify(std::string_view token) const {
    std::string noBlanks;
    for (char c : token)
        if (c != ' ') noBlanks += c;
    if (isNumber(noBlanks)) return TokenClass::Number;
    if (token.size() > 1 && token.front() == '\'' && token.back() == '\'') return TokenClass::String;
    const std::string u = txt::upperCyr(trimView(token));
    if (u.empty()) return TokenClass::None;
    if (keywords_.count(u)) return TokenClass::Keyword;
    if (functions_.count(u)) return TokenClass::Function;
    if (plsql_.count(u)) return TokenClass::PlSql;
    return TokenClass::None;
}

namespace {
std::string joined(const std::vector<std::string>& fields, const std::string& before, const std::string& after,
                   const std::string& separator) {
    std::string s;
    for (std::size_t i = 0; i < fields.size(); ++i) s += (i ? separator : "") + before + fields[i] + after;
    return s;
}
}  // namespace

bool templateNeedsFields(int tag) { return tag == 2 || tag == 4 || tag == 5; }

std::vector<std::string> templateLines(int tag, const std::string& t, const std::vector<std::string>& fields) {
    switch (tag) {
    case 1: return {"create table " + t + " (VAR1 CHAR(10),VAR2 INT)"};
    case 2: {
        std::string set;
        for (std::size_t i = 0; i < fields.size(); ++i) set += (i ? ", " : "") + fields[i] + "= :" + fields[i];
        return {"update " + t + " set " + set + " where"};
    }
    case 3: return {"select * from " + t};
    case 4: return {"select " + joined(fields, "", "", ", ") + " from " + t};
    case 5: return {"insert into " + t, "( " + joined(fields, "", "", ", ") + " )", "values",
                    "( " + joined(fields, ":", "", ", ") + " )"};
    case 6: return {"delete from " + t + " where "};
    case 7: return {"create index INDEXNAME on " + t + " (F1,F2)"};
    case 8: return {"alter table " + t + " add COL_NAME data_type [, add COL_NAME data_type]"};
    case 9: return {"create view NAMEVIEW [(view_col [, view_col ...])] AS <select>"};
    case 10: return {"START TRANSACTION;"};
    case 11: return {"COMMIT;"};
    case 12: return {"ROLLBACK;"};
    default: return {};
    }
}

std::string lastExtension(std::string_view fileName) {
    const std::size_t slash = fileName.find_last_of('/');
    const std::string_view base = slash == std::string_view::npos ? fileName : fileName.substr(slash + 1);
    const std::size_t dot = base.find_last_of('.');
    return dot == std::string_view::npos ? std::string() : upperAscii(base.substr(dot + 1));
}

bool isRichTextFile(std::string_view fileName) { return lastExtension(fileName) == "RTF"; }
bool isSqlFile(std::string_view fileName) { return lastExtension(fileName) == "SQL"; }

std::u32string helpWord(std::u32string_view text, std::size_t caret, std::u32string_view selection) {
    if (selection.size() > 1) return std::u32string(selection);
    if (text.empty()) return {};
    caret = std::min(caret, text.size());
    if (caret > 0 && text[caret - 1] == U' ') return {};
    std::size_t b = caret, e = caret;
    while (b > 0 && !isWordDelimiter(text[b - 1])) --b;
    while (e < text.size() && !isWordDelimiter(text[e])) ++e;
    return std::u32string(text.substr(b, e - b));
}

}  // namespace vlm::sqlexec
