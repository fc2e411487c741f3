// The stored procedure and trigger editors' logic, without a display: the name lists per server
// kind, the source texts (the Firebird header included), the text a store sends, the compile
// error lists and the caret jump, recompile and drop statements.
//   ProcReader r(db);   auto names = readProcNames(r, ServerKind::INTERBASE);
//   auto src = readProcSource(r, {ServerKind::INTERBASE, 3}, "ADD_ORDER", {});
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "objlists/texts.h"
#include "panels/serverkind.h"

namespace vlm::engine {
class Database;
class EngineError;
}

namespace vlm::serverobj {

using panels::ServerKind;
using objlists::CatalogReader;
using objlists::Rows;
using Lines = std::vector<std::string>;

// Images of the procedure and trigger lists.
enum ProcImage : int { ImgProcedure = 0, ImgFunction = 1, ImgCommand = 2, ImgBadProcedure = 3, ImgBadFunction = 4,
                       ImgTriggerOn = 6, ImgTriggerOff = 7 };

struct ProcItem {
    std::string caption;   // "OWNER.NAME" or the name as the engine gives it
    std::string kind;      // "P", "F", "C" (SQLBase: TYPE as stored)
    int image = ImgProcedure;
    bool operator==(const ProcItem&) const = default;
};

struct Dialect {
    ServerKind kind = ServerKind::OTHER;
    int dialect = 3;       // INTERBASE: the database's SQL dialect
};

// --- Names -------------------------------------------------------------------------------------
// The catalog statement of the name list; empty for INTERBASE and the other kinds (the engine's
// list of stored procedure names).
Lines procNamesSql(ServerKind kind);
std::vector<ProcItem> procItemsOf(ServerKind kind, const Rows& rows);
// Runs the statement, or asks the engine for INTERBASE and the other kinds.
std::vector<ProcItem> readProcNames(engine::Database& db, ServerKind kind);

// "OWNER.NAME" split at the first point; no point: owner empty.
struct QualifiedName {
    std::string owner, name;
};
QualifiedName splitName(std::string_view selected);

// --- Source ------------------------------------------------------------------------------------
struct SourceOptions {
    std::string loginUser;     // owner of an unqualified Oracle name
    bool lineNumbers = false;  // Oracle: "1: " before each line
    bool doubleColons = false; // colons outside literals written twice (the engine reads "::" as one)
};
// The source statement per kind with its parameter values (Oracle, SQLBase, MSSQL).
struct SourceQuery {
    Lines sql;
    objlists::Params params;
};
SourceQuery procSourceQuery(ServerKind kind, std::string_view selected, const SourceOptions& o);
// The lines shown for the rows the source statement gave.
Lines procSourceOf(ServerKind kind, std::string_view selected, const Rows& rows, const SourceOptions& o);
// INTERBASE: the header and the stored source; the header follows the dialect (see the .cpp).
inline constexpr const char* kInterbaseProcSql =
    "SELECT A.RDB$OWNER_NAME, A.RDB$PROCEDURE_NAME, A.RDB$PROCEDURE_ID\n"
    ", A.RDB$PROCEDURE_INPUTS, A.RDB$PROCEDURE_OUTPUTS, A.RDB$DESCRIPTION\n"
    ", A.RDB$PROCEDURE_SOURCE, A.RDB$PROCEDURE_BLR, A.RDB$SECURITY_CLASS\n"
    ", A.RDB$RUNTIME, A.RDB$SYSTEM_FLAG\n"
    "FROM RDB$PROCEDURES A\n"
    "WHERE (A.RDB$SYSTEM_FLAG <> 1 or A.RDB$SYSTEM_FLAG IS NULL)\n"
    "And (A.RDB$PROCEDURE_NAME= :ProcName)";
inline constexpr const char* kInterbaseSourceSql =
    "select RDB$PROCEDURE_SOURCE from RDB$PROCEDURES where RDB$PROCEDURE_NAME= :ProcName ";
std::string interbaseParamsSql(int dialect);
// One parameter row of interbaseParamsSql: number, type (0 in, 1 out), name, ... as selected.
Lines interbaseHeader(int dialect, int inputs, int outputs, std::string_view name, const Rows& params);
std::string interbaseParamType(int dialect, const std::vector<std::string>& row);
// The whole source of the selected procedure; throws the engine's error of a catalog query.
Lines readProcSource(CatalogReader& reader, Dialect d, std::string_view selected, const SourceOptions& o);

// --- Store -------------------------------------------------------------------------------------
// Oracle procedures: the lines joined with a carriage return.
std::string oracleStoreText(const Lines& lines, bool replaceAssignment);
// Triggers: each line appended, the text so far trimmed and a carriage return after each line
// but the last.
std::string triggerStoreText(const Lines& lines, bool replaceAssignment);
// The other kinds: the lines joined with a line feed.
std::string plainStoreText(const Lines& lines, bool replaceAssignment);
// Sends a stored object's text as written: a PSQL body's ":VAR" is no engine parameter, while
// colons the source display doubled ("::") are single again.
void executeStoreText(engine::Database& db, const std::string& text);

// The name after the first "FUNCTION" (else "PROCEDURE") of a source text; empty without either.
std::string storedObjectName(std::string_view text);
// The name after the first "TRIGGER".
std::string triggerNameOf(std::string_view text);

// --- Compile errors ----------------------------------------------------------------------------
struct ErrorQuery {
    Lines sql;
    objlists::Params params;
};
ErrorQuery oracleErrorQuery(std::string_view selected);
ErrorQuery oracleTriggerErrorQuery(std::string_view owner, std::string_view trigger);
// "LINE/POSITION: TEXT" per row of the error statement (TEXT, NAME, OWNER, LINE, POSITION).
Lines errorLines(const Rows& rows);
// Runs the error statement and gives its lines.
Lines readErrors(CatalogReader& reader, const ErrorQuery& query);
inline constexpr const char* kNoErrors = "Ошибок нет / No Errors !";
// A failed store on a server that reports the place of a syntax error in its message ("line 4,
// column 3"): the one error line "4/3: " and the server's text; nothing when no place is given.
std::optional<std::string> serverErrorLine(const engine::EngineError& e);
// The line and position of an error line; unreadable numbers count as 0.
std::pair<int, int> parseErrorLine(std::string_view line);
// The caret offset in the text's lines (each counted with its line break as two characters)
// for a line number and position; -1 when there are no lines.
int caretOffset(const Lines& lines, int line, int position);
// The caret as line and column, from the same rule: the line clamped to 1..count.
std::pair<int, int> caretPlace(const Lines& lines, int line, int position);

// --- Statements --------------------------------------------------------------------------------
std::string recompileSql(std::string_view kindLetter, std::string_view selected);
// Empty: the kind drops nothing.
std::string dropProcSql(ServerKind kind, std::string_view kindLetter, std::string_view selected);
// "Drop procedure OWNER.NAME?" in the language given.
std::string dropProcQuestion(bool russian, std::string_view kindLetter, std::string_view selected);

// --- Triggers (Oracle) ---------------------------------------------------------------------------
inline constexpr const char* kTriggerNamesSql =
    "select TABLE_NAME||'.'||TRIGGER_NAME,STATUS,TRIGGER_TYPE,OWNER,WHEN_CLAUSE,DESCRIPTION,TRIGGER_BODY from "
    "SYS.ALL_TRIGGERS";
struct TriggerItem {
    std::string caption;   // "TABLE.TRIGGER"
    std::string owner;
    bool enabled = false;
    bool operator==(const TriggerItem&) const = default;
};
std::vector<TriggerItem> triggerItemsOf(const Rows& rows);
inline constexpr const char* kTriggerSourceSql =
    "select STATUS,TRIGGER_TYPE,OWNER,WHEN_CLAUSE,DESCRIPTION,TRIGGER_BODY from SYS.ALL_TRIGGERS\n"
    "Where TABLE_NAME= :TABLE_NAME and TRIGGER_NAME= :TRIGGER_NAME And OWNER= :OWNER";
// The source lines and the number of header lines before the body.
struct TriggerSource {
    Lines lines;
    int headerLines = 0;
};
TriggerSource triggerSourceOf(const Rows& rows, bool doubleColonsOn);
TriggerSource readTriggerSource(CatalogReader& reader, const TriggerItem& item, bool doubleColonsOn);
std::string triggerRecompileSql(std::string_view name);
std::string dropTriggerSql(std::string_view object);

}  // namespace vlm::serverobj
