// A small tokenizer and recursive-descent parser for the local DDL.
#include "engine/drivers/local/pathutil.h"
#include "localddl.h"

#include <algorithm>
#include <cctype>

#include "engine/error.h"
#include "engine/typemap.h"

namespace vlm::engine::local {
namespace {

struct Token {
    enum Type { Word, Quoted, Number, Punct, End } type = End;
    std::string text;
    std::string up;   // upper case, for keywords
};

[[noreturn]] void syntax(const std::string& what) {
    throw EngineError(ErrorCategory::Sql, errc::SqlBase, {what});
}


std::vector<Token> tokenize(const std::string& s) {
    std::vector<Token> out;
    std::size_t i = 0;
    while (i < s.size()) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (std::isspace(c)) { ++i; continue; }
        if (c == '-' && i + 1 < s.size() && s[i + 1] == '-') {
            while (i < s.size() && s[i] != '\n') ++i;
            continue;
        }
        if (c == '/' && i + 1 < s.size() && s[i + 1] == '*') {
            auto e = s.find("*/", i + 2);
            i = e == std::string::npos ? s.size() : e + 2;
            continue;
        }
        Token t;
        if (c == '"' || c == '[' || c == '`') {
            char close = c == '[' ? ']' : char(c);
            std::size_t j = i + 1;
            while (j < s.size()) {
                if (s[j] == close) {
                    if (close == '"' && j + 1 < s.size() && s[j + 1] == '"') { t.text += '"'; j += 2; continue; }
                    break;
                }
                t.text += s[j++];
            }
            if (j >= s.size()) syntax("Unterminated quoted name");
            t.type = Token::Quoted;
            i = j + 1;
        } else if (c == '\'') {
            std::size_t j = i + 1;
            while (j < s.size() && s[j] != '\'') t.text += s[j++];
            if (j >= s.size()) syntax("Unterminated string");
            t.type = Token::Quoted;   // 'text' only appears where a name may be quoted
            i = j + 1;
        } else if (std::isdigit(c)) {
            std::size_t j = i;
            while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) ++j;
            t.type = Token::Number;
            t.text = s.substr(i, j - i);
            i = j;
        } else if (std::isalpha(c) || c == '_' || c == '$' || c == ':' || c >= 0x80) {
            std::size_t j = i;
            while (j < s.size()) {
                unsigned char d = static_cast<unsigned char>(s[j]);
                if (!(std::isalnum(d) || d == '_' || d == '$' || d == ':' || d >= 0x80)) break;
                ++j;
            }
            t.type = Token::Word;
            t.text = s.substr(i, j - i);
            i = j;
        } else {
            t.type = Token::Punct;
            t.text = std::string(1, char(c));
            ++i;
        }
        t.up = upper(t.text);
        out.push_back(std::move(t));
    }
    out.push_back({Token::End, "", ""});
    return out;
}

class Parser {
public:
    explicit Parser(std::vector<Token> t) : t_(std::move(t)) {}
    const Token& peek(std::size_t k = 0) const { return t_[std::min(p_ + k, t_.size() - 1)]; }
    const Token& next() { return t_[std::min(p_++, t_.size() - 1)]; }
    bool accept(const char* kw) {
        if (peek().type == Token::Word && peek().up == kw) return ++p_, true;
        return false;
    }
    bool acceptPunct(char c) {
        if (peek().type == Token::Punct && peek().text[0] == c) return ++p_, true;
        return false;
    }
    void expectPunct(char c, const std::string& where) {
        if (!acceptPunct(c)) unexpected(where, std::string("'") + c + "'");
    }
    [[noreturn]] void unexpected(const std::string& where, const std::string& wanted) {
        const Token& t = peek();
        if (t.type == Token::End) syntax("Unexpected end of " + where + ": " + wanted + " expected");
        syntax("Unsupported clause in " + where + ": " + t.text);
    }
    std::string name(const std::string& where) {
        const Token& t = peek();
        if (t.type != Token::Word && t.type != Token::Quoted) unexpected(where, "a name");
        ++p_;
        return t.text;
    }
    // A table name: quoted, or bare with an optional .EXT.
    std::string tableName(const std::string& where) {
        const Token& t = peek();
        std::string n = name(where);
        if (t.type == Token::Word && peek().type == Token::Punct && peek().text == "." &&
            peek(1).type == Token::Word && (peek(2).type != Token::Punct || peek(2).text != "." || true)) {
            // NAME.EXT, unless this is the table part of "T".INDEX (handled by the caller)
            if (!stopAtDot_) {
                ++p_;
                n += "." + next().text;
            }
        }
        return n;
    }
    void end(const std::string& where) {
        acceptPunct(';');
        if (peek().type != Token::End) unexpected(where, "");
    }
    bool stopAtDot_ = false;
    std::size_t p_ = 0;

private:
    std::vector<Token> t_;
};

// A size or scale: a whole number a field can have (the largest a local format allows is
// far below the bound).
int sizeNumber(const std::string& text, const std::string& what, const std::string& col, const std::string& where) {
    bool whole = !text.empty() && text.size() <= 5 &&
                 std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!whole || std::stoi(text) > 65535) syntax("Invalid " + what + " " + text + " of " + col + " in " + where);
    return std::stoi(text);
}

FieldDef parseColumn(Parser& p, const std::string& where) {
    std::string col = p.name(where);
    if (p.peek().type != Token::Word) p.unexpected(where, "a type for " + col);
    std::string type = p.next().up;
    if (type == "FORMATTED" && p.accept("MEMO")) type = "FORMATTED MEMO";
    if (type == "DOUBLE" && p.accept("PRECISION")) type = "FLOAT";
    int size = -1, scale = -1;
    if (p.acceptPunct('(')) {
        if (p.peek().type != Token::Number) p.unexpected(where, "a size");
        size = sizeNumber(p.next().text, "size", col, where);
        if (p.acceptPunct(',')) {
            if (p.peek().type != Token::Number) p.unexpected(where, "a scale");
            scale = sizeNumber(p.next().text, "scale", col, where);
        }
        p.expectPunct(')', where);
    }
    FieldDef f = localFieldType(col, type, size, scale);
    if (p.accept("NOT")) {
        if (!p.accept("NULL")) p.unexpected(where, "NULL");
        f.required = true;
    } else {
        p.accept("NULL");
    }
    return f;
}

}  // namespace

FieldDef localFieldType(const std::string& name, const std::string& typeIn, int size, int scale) {
    FieldDef f;
    f.name = name;
    std::string t = upper(typeIn);
    int sz = size < 0 ? 0 : size, sc = scale < 0 ? 0 : scale;
    auto set = [&](int lt, int st, int s1, int s2) { f.logicalType = lt, f.subType = st, f.size = s1, f.scale = s2; };
    if (t == "CHAR" || t == "CHARACTER" || t == "VARCHAR" || t == "ALPHA" || t == "STRING") set(logical::ZSTRING, 0, sz ? sz : 1, 0);
    else if (t == "NUMERIC" || t == "NUMBER" || t == "FLOAT" || t == "REAL") set(logical::FLOAT, 0, sz, sc);
    else if (t == "DECIMAL" || t == "DEC" || t == "BCD") set(logical::BCD, 0, sz ? sz : 18, sc);
    else if (t == "SMALLINT" || t == "SHORT") set(logical::INT16, 0, 0, 0);
    else if (t == "INTEGER" || t == "INT" || t == "LONG") set(logical::INT32, 0, 0, 0);
    else if (t == "AUTOINC") set(logical::INT32, subtype::AUTOINC, 0, 0);
    else if (t == "MONEY") set(logical::FLOAT, subtype::MONEY, 0, 0);
    else if (t == "DATE") set(logical::DATE, 0, 0, 0);
    else if (t == "TIME") set(logical::TIME, 0, 0, 0);
    else if (t == "TIMESTAMP" || t == "DATETIME") set(logical::TIMESTAMP, 0, 0, 0);
    else if (t == "BOOLEAN" || t == "LOGICAL" || t == "BOOL") set(logical::BOOL, 0, 0, 0);
    else if (t == "BYTES") set(logical::BYTES, 0, sz ? sz : 1, 0);
    else if (t == "MEMO") set(logical::BLOB, subtype::MEMO, sz, 0);
    else if (t == "BINARY") set(logical::BLOB, subtype::BINARY, sz, 0);
    else if (t == "FORMATTED MEMO") set(logical::BLOB, subtype::FMTMEMO, sz, 0);
    else if (t == "OLE") set(logical::BLOB, subtype::OLEOBJ, sz, 0);
    else if (t == "GRAPHIC") set(logical::BLOB, subtype::GRAPHIC, sz, 0);
    else if (t == "BLOB") {
        static const int subs[] = {subtype::BINARY, subtype::MEMO, subtype::BINARY, subtype::FMTMEMO, subtype::OLEOBJ, subtype::GRAPHIC};
        if (scale > 5) syntax("Unsupported BLOB sub-type " + std::to_string(scale) + " for column " + name);
        set(logical::BLOB, subs[scale < 0 ? 0 : scale], sz, 0);
    } else {
        syntax("Unsupported column type " + typeIn + " for column " + name);
    }
    f.type = fieldTypeFor(f.logicalType, f.subType);
    return f;
}

std::optional<DdlStatement> parseLocalDdl(const std::string& sql) {
    Parser p(tokenize(sql));
    DdlStatement st;
    if (p.accept("CREATE")) {
        if (p.accept("TABLE")) {
            const std::string where = "CREATE TABLE";
            st.kind = DdlStatement::CreateTable;
            st.table = p.tableName(where);
            p.expectPunct('(', where);
            do {
                if (p.accept("PRIMARY")) {
                    if (!p.accept("KEY")) p.unexpected(where, "KEY");
                    p.expectPunct('(', where);
                    IndexDef ix;
                    ix.primary = ix.unique = true;
                    do ix.fields.push_back(p.name(where)); while (p.acceptPunct(','));
                    p.expectPunct(')', where);
                    st.indexes.push_back(ix);
                    continue;
                }
                const Token& t = p.peek();
                if (t.type == Token::Word && (t.up == "CONSTRAINT" || t.up == "UNIQUE" || t.up == "CHECK" || t.up == "FOREIGN"))
                    p.unexpected(where, "");
                st.fields.push_back(parseColumn(p, where));
                const Token& after = p.peek();
                if (after.type == Token::Word) p.unexpected(where, "',' or ')'");
            } while (p.acceptPunct(','));
            p.expectPunct(')', where);
            p.end(where);
            return st;
        }
        bool unique = p.accept("UNIQUE");
        bool desc = false;
        if (p.accept("DESC") || p.accept("DESCENDING")) desc = true;
        else if (p.accept("ASC") || p.accept("ASCENDING")) desc = false;
        if (!p.accept("INDEX")) {
            if (unique || desc) p.unexpected("CREATE INDEX", "INDEX");
            return std::nullopt;
        }
        const std::string where = "CREATE INDEX";
        st.kind = DdlStatement::CreateIndex;
        IndexDef ix;
        ix.name = p.name(where);
        ix.unique = unique;
        ix.descending = desc;
        if (!p.accept("ON")) p.unexpected(where, "ON");
        st.table = p.tableName(where);
        p.expectPunct('(', where);
        do {
            ix.fields.push_back(p.name(where));
            // The statement lists fields; a key expression is not part of it.
            if (p.peek().type == Token::Punct && p.peek().text == "(")
                syntax("Unsupported clause in " + where + ": the key expression " + ix.fields.back() +
                       "(...); CREATE INDEX takes field names");
            if (p.accept("DESC")) ix.descending = true;
            else p.accept("ASC");
        } while (p.acceptPunct(','));
        p.expectPunct(')', where);
        p.end(where);
        st.indexes.push_back(ix);
        return st;
    }
    if (p.accept("DROP")) {
        if (p.accept("TABLE")) {
            st.kind = DdlStatement::DropTable;
            st.table = p.tableName("DROP TABLE");
            p.end("DROP TABLE");
            return st;
        }
        if (p.accept("INDEX")) {
            const std::string where = "DROP INDEX";
            st.kind = DdlStatement::DropIndex;
            // "T.DBF".NAME, T.DBF.NAME or NAME ON T
            const Token first = p.peek();
            std::string a = p.name(where);
            if (p.accept("ON")) {
                st.index = a;
                st.table = p.tableName(where);
            } else {
                std::vector<std::string> parts{a};
                while (p.acceptPunct('.')) parts.push_back(p.name(where));
                if (first.type == Token::Quoted && parts.size() == 2) st.table = parts[0], st.index = parts[1];
                else if (parts.size() == 3) st.table = parts[0] + "." + parts[1], st.index = parts[2];
                else if (parts.size() == 2) st.table = parts[0], st.index = parts[1];
                else syntax("DROP INDEX needs the table: Drop Index \"TABLE.DBF\".INDEXNAME");
            }
            p.end(where);
            return st;
        }
        return std::nullopt;
    }
    if (p.accept("ALTER")) {
        const std::string where = "ALTER TABLE";
        if (!p.accept("TABLE")) return std::nullopt;
        st.kind = DdlStatement::AlterTable;
        st.table = p.tableName(where);
        do {
            if (p.accept("ADD")) {
                p.accept("COLUMN");
                st.fields.push_back(parseColumn(p, where));
            } else if (p.accept("DROP")) {
                p.accept("COLUMN");
                st.dropColumns.push_back(p.name(where));
            } else {
                p.unexpected(where, "ADD or DROP");
            }
        } while (p.acceptPunct(','));
        p.end(where);
        return st;
    }
    return std::nullopt;
}

}  // namespace vlm::engine::local
