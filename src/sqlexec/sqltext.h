// The SQL text rules of the script window and of the windows that run stored source: the
// statement at the caret, the splitting of a script, statement kinds, the assignment escape,
// the line-feed removal, the colon doubling, the select-list column labels, the token classes
// of the colouring, the templates and the file-name rules of the editor tabs. Plain C++.
//
//   statementAtCaret("select 1 from a;\nselect 2 from b;", 3, ';') == "select 1 from a"
//   splitScript("insert ...;\nupdate ...;", ';')                   -> two statements
//   escapeAssignment("x := 1") == "x ::= 1"
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "panels/serverkind.h"

namespace vlm::engine {
class Dataset;
}

namespace vlm::sqlexec {

// --- Statements.

// Offsets (0-based) of the delimiters that separate statements: those outside '...' and
// "..." literals and outside -- and /* */ comments. An unterminated literal or comment runs
// to the end of the text, so no delimiter after its start counts.
std::vector<std::size_t> statementDelimiters(std::string_view text, char delimiter);

// The statement around the caret (caret = the number of characters before it, counted in
// bytes of the UTF-8 text): from just after the previous delimiter to just before the next
// one, blanks and control characters trimmed. A caret just before a delimiter takes the
// statement that delimiter ends; a caret just after it takes the next one.
std::string statementAtCaret(std::string_view text, std::size_t caret, char delimiter);

// The statements of a script in order: the text cut at every delimiter that counts (see
// statementDelimiters), each piece trimmed; pieces that hold only blanks and comments are
// left out. An unterminated literal or comment makes the rest one statement, marked so that
// the run logs it as failed without sending it.
enum class Unterminated { None, Literal, Comment };
struct ScriptStatement {
    std::string text;
    Unterminated unterminated = Unterminated::None;
    bool operator==(const ScriptStatement&) const = default;
};
std::vector<ScriptStatement> splitScript(std::string_view text, char delimiter);

// True when the text holds nothing but blanks, control characters and complete comments.
bool onlyBlanksAndComments(std::string_view text);

enum class StatementKind { Commit, Rollback, StartTransaction, Select, Execute, Insert, Delete, Other };
// The kind by the statement's first word(s), upper-cased: "COMMIT", "ROLLBACK",
// "START TRANSACTION", "SELECT", "EXECUTE", "INSERT", "DELETE".
StatementKind statementKind(std::string_view statement);
inline bool isQuery(StatementKind k) { return k == StatementKind::Select || k == StatementKind::Execute; }
inline bool isTransactionStatement(StatementKind k) {
    return k == StatementKind::Commit || k == StatementKind::Rollback || k == StatementKind::StartTransaction;
}

// The delimiter character of the delimiter field: its first character after trimming; 0
// when the field is empty or blank. delimiterFieldValid: exactly one non-blank character.
char delimiterOf(std::string_view field);
bool delimiterFieldValid(std::string_view field);

// --- Text functions.

std::string escapeAssignment(std::string_view text);   // every ":=" becomes "::="
std::string removeLineFeeds(std::string_view text);    // every line feed (10) removed
std::string doubleColons(std::string_view text);       // ":" doubled outside '...' literals
// The statement as it is handed to the engine: the assignment escape when asked, and the
// line-feed removal for ORACLE.
std::string preparedStatementText(std::string_view statement, bool replaceAssignment, panels::ServerKind kind);

// The items of the select list: the text before the first "FROM" without its first six
// characters, cut at the commas outside parentheses, each item trimmed. Empty without FROM.
std::vector<std::string> selectListItems(std::string_view sql);
// Sets field i's display label to item i where they differ (fields beyond the items keep
// theirs). Never throws: a failure leaves the labels set so far.
void applySelectListLabels(engine::Dataset& ds, std::string_view sql) noexcept;

// --- Messages and log lines.

// The message after F2 ran a statement: "SQL Executed Succesfully! Time: " + elapsed, the
// rows line ("Inserted: 1 rows", "Deleted: ", "RowsAffected: "; a negative count as 0) and
// "Not Forget COMMIT Or ROLLBACK!" when a transaction waits (else an empty third line),
// joined by CR LF, in the current language.
std::string executedMessage(const std::string& statement, const std::string& elapsed, std::int64_t rows,
                            bool remindCommit);
// The log line of an executed script statement: "Executed successed!: " + the rows line.
std::string executedLogLine(const std::string& statement, std::int64_t rows);
// A time of day (milliseconds since midnight) as "HH:MM:SS:mmm" (milliseconds unpadded).
std::string timeOfDayText(long long msSinceMidnight);
std::string currentTimeOfDayText();
// "Start: t0; Stop: t1; Time: elapsed".
std::string startStopLine(const std::string& t0, const std::string& t1, const std::string& elapsed);
// "SQL script ended without errors." / "... with errors." (Russian when the language is).
std::string scriptEndLine(bool anyFailed);

// --- Colouring.

// Line feed, carriage return, blank and ! ( ) * + , - . / : ; < = > [ ] { | }.
bool isWordDelimiter(char32_t c);

enum class TokenClass { None, Number, String, Keyword, Function, PlSql };

// The three word lists, upper-cased for look-up.
class WordLists {
public:
    WordLists() = default;
    WordLists(const std::vector<std::string>& keywords, const std::vector<std::string>& functions,
              const std::vector<std::string>& plsql);
    TokenClass classify(std::string_view token) const;

private:
    std::unordered_set<std::string> keywords_, functions_, plsql_;
};

// --- Templates of the editor's pop-up menu (tags 1 to 12). Fields: the table's field names.
std::vector<std::string> templateLines(int tag, const std::string& table, const std::vector<std::string>& fields);
// Whether a template needs the table's field names read first.
bool templateNeedsFields(int tag);

// --- Files of the editor tabs.

// The file's last extension, upper-cased, without the point ("a.b.rtf" -> "RTF").
std::string lastExtension(std::string_view fileName);
bool isRichTextFile(std::string_view fileName);   // last extension RTF
bool isSqlFile(std::string_view fileName);        // last extension SQL

// --- Context help.

// The word for the help look-up: the selection when longer than one character, else the run
// of non-delimiter characters around the caret; empty when the text is empty or the character
// before the caret is a blank. Offsets count characters (UTF-32).
std::u32string helpWord(std::u32string_view text, std::size_t caret, std::u32string_view selection);

}  // namespace vlm::sqlexec
