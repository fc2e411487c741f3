// The stored procedure and trigger editors' logic: catalog statements, texts and error lines.
#include "serverobj/proclogic.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "engine/database.h"
#include "engine/error.h"
#include "engine/query.h"
#include "sqlexec/sqltext.h"

namespace vlm::serverobj {

using K = ServerKind;

namespace {

std::string upper(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = char(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::string trim(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return std::string(s.substr(b, e - b));
}

std::string trimRight(std::string_view s) {
    std::size_t e = s.size();
    while (e > 0 && (s[e - 1] == ' ' || s[e - 1] == '\r' || s[e - 1] == '\n')) --e;
    return std::string(s.substr(0, e));
}

int toInt(std::string_view s) { return std::atoi(std::string(s).c_str()); }

std::string at(const std::vector<std::string>& row, std::size_t i) { return i < row.size() ? row[i] : std::string(); }

// Letters, digits, "_", "." and the bytes of the Cyrillic letters in UTF-8 (lead bytes D0/D1
// and their continuation bytes), which stand for characters 192 to 255 of Windows-1251.
bool nameChar(unsigned char c) {
    return std::isalnum(c) || c == '_' || c == '.' || c >= 0x80;
}

std::string nameAfter(std::string_view text, std::size_t keywordEnd) {
    std::size_t i = keywordEnd + 1;   // the character after the keyword is skipped
    while (i < text.size() && (text[i] == ' ' || text[i] == '\n' || text[i] == '\r')) ++i;
    std::size_t b = i;
    while (i < text.size() && nameChar(static_cast<unsigned char>(text[i]))) ++i;
    return trim(text.substr(std::min(b, text.size()), i - std::min(b, text.size())));
}

}  // namespace

// --- Names -------------------------------------------------------------------------------------

Lines procNamesSql(ServerKind kind) {
    switch (kind) {
    case K::ORACLE:
        return {"select OWNER,OBJECT_NAME,OBJECT_TYPE,STATUS from SYS.ALL_OBJECTS where (object_Type='FUNCTION') or "
                "(object_Type='PROCEDURE') order by OBJECT_NAME"};
    case K::SQLBASE: return {"Select TEXT,NAME,CREATOR,TYPE,SYSTEM From SYSSQL.SYSCOMMANDS"};
    case K::MSSQL:
        return {"select distinct user_name (o.uid),object_name (o.id)", "from dbo.sysobjects o",
                "where o.type in ('P')  order by user_name (o.uid) ASC, object_name (o.id) ASC"};
    default: return {};
    }
}

std::vector<ProcItem> procItemsOf(ServerKind kind, const Rows& rows) {
    std::vector<ProcItem> out;
    for (const auto& r : rows) {
        ProcItem it;
        switch (kind) {
        case K::ORACLE: {
            it.caption = trimRight(at(r, 0)) + "." + trimRight(at(r, 1));
            const bool valid = upper(trim(at(r, 3))) == "VALID";
            const std::string type = upper(trim(at(r, 2)));
            if (type == "PROCEDURE") {
                it.kind = "P";
                it.image = valid ? ImgProcedure : ImgBadProcedure;
            } else if (type == "FUNCTION") {
                it.kind = "F";
                it.image = valid ? ImgFunction : ImgBadFunction;
            }
            break;
        }
        case K::SQLBASE:
            it.caption = trimRight(at(r, 2)) + "." + trimRight(at(r, 1));
            it.kind = at(r, 3);
            it.image = upper(trim(it.kind)) == "C" ? ImgCommand : ImgProcedure;
            break;
        case K::MSSQL:
            it.caption = trimRight(at(r, 0)) + "." + trimRight(at(r, 1));
            it.kind = "P";
            break;
        default:
            it.caption = at(r, 0);
            it.kind = "P";
        }
        out.push_back(std::move(it));
    }
    return out;
}

std::vector<ProcItem> readProcNames(engine::Database& db, ServerKind kind) {
    Lines sql = procNamesSql(kind);
    Rows rows;
    if (sql.empty()) {
        for (auto& n : db.connection().storedProcedures()) rows.push_back({n});
    } else {
        objlists::DatabaseReader reader(db);
        std::string text;
        for (const auto& l : sql) text += (text.empty() ? "" : "\n") + l;
        rows = reader.rows(text, {});
    }
    return procItemsOf(kind, rows);
}

QualifiedName splitName(std::string_view selected) {
    auto dot = selected.find('.');
    if (dot == std::string_view::npos) return {{}, std::string(selected)};
    return {std::string(selected.substr(0, dot)), std::string(selected.substr(dot + 1))};
}

// --- Source ------------------------------------------------------------------------------------

SourceQuery procSourceQuery(ServerKind kind, std::string_view selected, const SourceOptions& o) {
    QualifiedName q = splitName(selected);
    SourceQuery s;
    switch (kind) {
    case K::ORACLE: {
        std::string owner = q.owner.empty() ? o.loginUser : q.owner;
        s.sql = {"Select TEXT,NAME,OWNER,LINE From SYS.ALL_SOURCE WHERE NAME=:NAME",
                 "And UPPER(OWNER)=" + objlists::quoted(upper(owner)), "Order by LINE"};
        s.params = {{"NAME", q.name}};
        break;
    }
    case K::SQLBASE:
        s.sql = {"Select TEXT,NAME,CREATOR,TYPE,SYSTEM From SYSSQL.SYSCOMMANDS WHERE NAME=:NAME"};
        if (!q.owner.empty()) s.sql.push_back("And CREATOR=" + objlists::quoted(q.owner));
        s.params = {{"NAME", q.name}};
        break;
    case K::MSSQL: {
        std::string name = q.name.substr(0, q.name.find(';'));
        s.sql = {"select text from dbo.sysobjects o,dbo.syscomments t ",
                 "where (t.id=o.id) and (o.name= :NAME) order by t.colid"};
        s.params = {{"NAME", name}};
        break;
    }
    default: break;
    }
    return s;
}

namespace {

void appendText(Lines& out, std::string_view text) {
    for (auto& l : objlists::linesOf(text)) out.push_back(l);
}

Lines finish(Lines lines, const SourceOptions& o) {
    if (!o.doubleColons) return lines;
    for (auto& l : lines) l = sqlexec::doubleColons(l);
    return lines;
}

}  // namespace

Lines procSourceOf(ServerKind kind, std::string_view selected, const Rows& rows, const SourceOptions& o) {
    Lines out;
    QualifiedName q = splitName(selected);
    switch (kind) {
    case K::ORACLE: {
        int n = 0;
        for (const auto& r : rows) {
            ++n;
            std::string line = o.lineNumbers ? std::to_string(n) + ": " : std::string();
            if (n == 1) line += "Create or replace ";
            std::string text = at(r, 0);
            while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
            out.push_back(line + text);
        }
        break;
    }
    case K::SQLBASE:
        if (!rows.empty()) {
            out.push_back("STORE " + q.name);
            appendText(out, at(rows[0], 0));
        }
        break;
    case K::MSSQL: {
        std::string all;
        for (const auto& r : rows) all += at(r, 0);
        appendText(out, all);
        break;
    }
    default: break;
    }
    return finish(std::move(out), o);
}

std::string interbaseParamsSql(int dialect) {
    std::string s =
        "SELECT A.RDB$PARAMETER_NUMBER, A.RDB$PARAMETER_TYPE\n"
        ", A.RDB$PARAMETER_NAME, A.RDB$PROCEDURE_NAME\n"
        ", A.RDB$FIELD_SOURCE, A.RDB$DESCRIPTION\n"
        ", A.RDB$SYSTEM_FLAG, B.RDB$FIELD_TYPE\n"
        ", B.RDB$FIELD_SUB_TYPE, B.RDB$FIELD_LENGTH, B.RDB$FIELD_SCALE, C.RDB$TYPE_NAME\n";
    // Dialect 3 names types as Firebird's DDL does, which needs the precision and the length in
    // characters.
    if (dialect >= 3) s += ", B.RDB$FIELD_PRECISION, B.RDB$CHARACTER_LENGTH\n";
    s += "FROM RDB$PROCEDURE_PARAMETERS A, RDB$FIELDS B, RDB$TYPES C\n"
         "WHERE (  (A.RDB$PROCEDURE_NAME = :ProcName))\n"
         "AND (  (A.RDB$FIELD_SOURCE = B.RDB$FIELD_NAME))\n"
         "AND (C.RDB$FIELD_NAME='RDB$FIELD_TYPE')\n"
         "AND (C.RDB$TYPE = B.RDB$FIELD_TYPE)\n"
         "ORDER BY A.RDB$PARAMETER_TYPE,A.RDB$PARAMETER_NUMBER";
    return s;
}

std::string interbaseParamType(int dialect, const std::vector<std::string>& r) {
    const int type = toInt(at(r, 7)), sub = toInt(at(r, 8)), length = toInt(at(r, 9)), scale = toInt(at(r, 10));
    if (dialect >= 3) return objlists::firebirdTypeText({type, sub, length, scale, toInt(at(r, 12)), toInt(at(r, 13))});
    switch (type) {
    case 7: return "SMALLINT";
    case 8: return "INTEGER";
    case 10: return "FLOAT";
    case 14: return "CHAR(" + std::to_string(length) + ")";
    case 27: return scale != 0 ? "NUMERIC(15," + std::to_string(std::abs(scale)) + ")" : "DOUBLE PRECISION";
    case 35: return "DATE";
    case 37: return "VARCHAR(" + std::to_string(length) + ")";
    case 261:
        if (sub == 0) return "BLOB";
        if (sub == 1) return "BLOB SUB_TYPE 1";
        return "BLOB SUB_TYPE " + std::to_string(sub);
    default: return "UNKNOWN TYPE";
    }
}

Lines interbaseHeader(int dialect, int inputs, int outputs, std::string_view name, const Rows& params) {
    // Dialect 3 begins with CREATE OR ALTER, so that storing the shown text replaces the procedure.
    const std::string create = dialect >= 3 ? "CREATE OR ALTER PROCEDURE " : "CREATE PROCEDURE ";
    const std::string n = trimRight(name);
    std::string text;
    std::size_t row = 0;
    auto param = [&](const std::vector<std::string>& r) {
        return " " + trimRight(at(r, 2)) + " " + interbaseParamType(dialect, r);
    };
    if (inputs == 0 && outputs == 0) return {create + n};
    if (inputs > 0) {
        text = create + n + " (\r\n";
        for (int i = 0; i < inputs && row < params.size(); ++i, ++row) text += (i ? ",\r\n" : "") + param(params[row]);
        text += ")\r\n";
    } else {
        text = create + n;
    }
    if (outputs > 0) {
        text += " RETURNS (\r\n";
        for (int i = 0; i < outputs && row < params.size(); ++i, ++row) text += (i ? "," : "") + param(params[row]);
        text += ")\r\nAS\r\n";
    } else {
        text += "\r\n AS \r\n";
    }
    // The text ends with a line break: the stored source starts on the next line.
    text.erase(text.size() - 2);
    return objlists::linesOf(text);
}

Lines readProcSource(CatalogReader& reader, Dialect d, std::string_view selected, const SourceOptions& o) {
    if (d.kind == K::INTERBASE) {
        const std::string name(selected);
        Lines out;
        Rows head = reader.rows(kInterbaseProcSql, {{"ProcName", name}});
        if (!head.empty()) {
            const int n = toInt(at(head[0], 3)), m = toInt(at(head[0], 4));
            Rows params;
            if (n > 0 || m > 0) params = reader.rows(interbaseParamsSql(d.dialect), {{"ProcName", name}});
            out = interbaseHeader(d.dialect, n, m, at(head[0], 1), params);
        }
        Rows src = reader.rows(kInterbaseSourceSql, {{"ProcName", name}});
        if (!src.empty()) appendText(out, at(src[0], 0));
        return finish(std::move(out), o);
    }
    SourceQuery q = procSourceQuery(d.kind, selected, o);
    if (q.sql.empty()) return {};
    std::string text;
    for (const auto& l : q.sql) text += (text.empty() ? "" : "\n") + l;
    return procSourceOf(d.kind, selected, reader.rows(text, q.params), o);
}

// --- Store -------------------------------------------------------------------------------------

namespace {
std::string joined(const Lines& lines, std::string_view sep) {
    std::string s;
    for (std::size_t i = 0; i < lines.size(); ++i) s += (i ? std::string(sep) : std::string()) + lines[i];
    return s;
}
}  // namespace

std::string oracleStoreText(const Lines& lines, bool replaceAssignment) {
    std::string s = joined(lines, "\r");
    return replaceAssignment ? sqlexec::escapeAssignment(s) : s;
}

std::string triggerStoreText(const Lines& lines, bool replaceAssignment) {
    std::string s;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        s += lines[i];
        if (i + 1 < lines.size()) s = trim(s) + "\r";
    }
    return replaceAssignment ? sqlexec::escapeAssignment(s) : s;
}

std::string plainStoreText(const Lines& lines, bool replaceAssignment) {
    std::string s = joined(lines, "\n");
    return replaceAssignment ? sqlexec::escapeAssignment(s) : s;
}

void executeStoreText(engine::Database& db, const std::string& text) {
    engine::ParsedSql parsed = engine::parseParameters(text);
    const std::string& send = parsed.params.empty() ? parsed.text : text;
    auto st = db.connection().prepare(send);
    st->execute();
}

std::string storedObjectName(std::string_view text) {
    const std::string up = upper(text);
    std::size_t p = up.find("FUNCTION");
    if (p != std::string::npos) return nameAfter(text, p + 8 - 1);
    p = up.find("PROCEDURE");
    if (p != std::string::npos) return nameAfter(text, p + 9 - 1);
    return {};
}

std::string triggerNameOf(std::string_view text) {
    const std::string up = upper(text);
    std::size_t p = up.find("TRIGGER");
    if (p == std::string::npos) return {};
    return nameAfter(text, p + 7 - 1);
}

// --- Compile errors ----------------------------------------------------------------------------

ErrorQuery oracleErrorQuery(std::string_view selected) {
    QualifiedName q = splitName(selected);
    ErrorQuery e;
    e.sql = {"Select TEXT,NAME,OWNER,LINE,POSITION From SYS.ALL_ERRORS WHERE NAME=:NAME"};
    e.params = {{"NAME", q.name}};
    if (!q.owner.empty()) {
        e.sql.push_back("and OWNER = :OWNER ");
        e.params.push_back({"OWNER", q.owner});
    }
    e.sql.push_back("Order by SEQUENCE");
    return e;
}

ErrorQuery oracleTriggerErrorQuery(std::string_view owner, std::string_view trigger) {
    return {{"Select TEXT,NAME,OWNER,LINE,POSITION From SYS.ALL_ERRORS WHERE NAME=:NAME", "and OWNER = :OWNER ",
             "Order by SEQUENCE"},
            {{"NAME", std::string(trigger)}, {"OWNER", std::string(owner)}}};
}

Lines errorLines(const Rows& rows) {
    Lines out;
    for (const auto& r : rows) {
        std::string text = at(r, 0);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
        out.push_back(trim(at(r, 3)) + "/" + trim(at(r, 4)) + ": " + text);
    }
    return out;
}

Lines readErrors(CatalogReader& reader, const ErrorQuery& query) {
    std::string sql;
    for (const auto& l : query.sql) sql += (sql.empty() ? "" : "\n") + l;
    return errorLines(reader.rows(sql, query.params));
}

std::optional<std::string> serverErrorLine(const engine::EngineError& e) {
    for (const auto& m : e.messages()) {
        const std::string low = [&] {
            std::string s = m;
            for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
            return s;
        }();
        std::size_t p = low.find("line ");
        while (p != std::string::npos) {
            char* end = nullptr;
            long line = std::strtol(low.c_str() + p + 5, &end, 10);
            std::size_t q = std::size_t(end - low.c_str());
            if (end != low.c_str() + p + 5 && low.compare(q, 9, ", column ") == 0) {
                long col = std::strtol(low.c_str() + q + 9, nullptr, 10);
                std::string text;
                for (const auto& part : e.messages()) text += (text.empty() ? "" : " ") + trim(part);
                return std::to_string(line) + "/" + std::to_string(col) + ": " + text;
            }
            p = low.find("line ", p + 5);
        }
    }
    return std::nullopt;
}

std::pair<int, int> parseErrorLine(std::string_view line) {
    std::size_t slash = line.find('/');
    std::size_t colon = line.find(':');
    auto num = [](std::string_view s) {
        std::string t = trim(s);
        if (t.empty() || !std::all_of(t.begin(), t.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
            return 0;
        return std::atoi(t.c_str());
    };
    if (slash == std::string_view::npos) return {0, 0};
    int l = num(line.substr(0, slash));
    int p = colon == std::string_view::npos || colon < slash ? 0 : num(line.substr(slash + 1, colon - slash - 1));
    return {l, p};
}

std::pair<int, int> caretPlace(const Lines& lines, int line, int position) {
    if (lines.empty()) return {-1, -1};
    line = std::clamp(line, 1, int(lines.size()));
    return {line, position - 1};
}

int caretOffset(const Lines& lines, int line, int position) {
    if (lines.empty()) return -1;
    auto [l, col] = caretPlace(lines, line, position);
    int off = 0;
    for (int i = 0; i < l - 1; ++i) off += int(lines[std::size_t(i)].size()) + 2;
    return off + col;
}

// --- Statements --------------------------------------------------------------------------------

std::string recompileSql(std::string_view kindLetter, std::string_view selected) {
    return "ALTER " + std::string(kindLetter == "P" ? "PROCEDURE" : "FUNCTION") + " " + std::string(selected) + " Compile";
}

std::string dropProcSql(ServerKind kind, std::string_view kindLetter, std::string_view selected) {
    const std::string name(selected);
    switch (kind) {
    case K::ORACLE:
        if (kindLetter == "P") return "DROP PROCEDURE " + name;
        if (kindLetter == "F") return "DROP FUNCTION " + name;
        return {};
    case K::SQLBASE: return "ERASE " + name;
    case K::INTERBASE: return "DROP PROCEDURE " + name;
    default: return {};
    }
}

std::string dropProcQuestion(bool russian, std::string_view kindLetter, std::string_view selected) {
    std::string s = russian ? "Удалить " : "Drop ";
    if (kindLetter == "P") s += russian ? "процедуру " : "procedure ";
    else if (kindLetter == "F") s += russian ? "функцию " : "function ";
    else if (kindLetter == "C") s += russian ? "команду " : "command ";
    return s + std::string(selected) + "?";
}

// --- Triggers ----------------------------------------------------------------------------------

std::vector<TriggerItem> triggerItemsOf(const Rows& rows) {
    std::vector<TriggerItem> out;
    for (const auto& r : rows)
        out.push_back({trimRight(at(r, 0)), trimRight(at(r, 3)), upper(trim(at(r, 1))) == "ENABLED"});
    return out;
}

TriggerSource triggerSourceOf(const Rows& rows, bool doubleColonsOn) {
    TriggerSource s;
    if (rows.empty()) return s;
    std::string text = "Create Or Replace Trigger \r\n" + at(rows[0], 4);
    Lines head = objlists::linesOf(text);
    // The description ends with its line break: the body starts on a line of its own.
    if (!head.empty() && head.back().empty()) head.pop_back();
    s.lines = head;
    s.headerLines = int(s.lines.size());
    appendText(s.lines, at(rows[0], 5));
    if (doubleColonsOn)
        for (auto& l : s.lines) l = sqlexec::doubleColons(l);
    return s;
}

TriggerSource readTriggerSource(CatalogReader& reader, const TriggerItem& item, bool doubleColonsOn) {
    QualifiedName q = splitName(item.caption);
    return triggerSourceOf(
        reader.rows(kTriggerSourceSql, {{"TABLE_NAME", q.owner}, {"TRIGGER_NAME", q.name}, {"OWNER", item.owner}}),
        doubleColonsOn);
}

std::string triggerRecompileSql(std::string_view name) { return "ALTER TRIGGER " + std::string(name) + " Compile"; }

std::string dropTriggerSql(std::string_view object) { return "DROP TRIGGER " + std::string(object); }

}  // namespace vlm::serverobj
