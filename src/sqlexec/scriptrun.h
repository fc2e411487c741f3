// Running SQL of the script window on a database without a display: the transaction rules of
// its buttons, a script run with its log (the text of "DATASET0.TXT"), the result text of
// "Execute And Result To Text", and one statement with its timing. The window, vlmtool's
// "script" command and the benchmark call these.
//
//   engine::Database db;  db.setDatabaseName("DEMO");  db.open();
//   ScriptOptions o;  o.useTransaction = true;
//   std::ofstream log(dir + "DATASET0.TXT");
//   ScriptOutcome r = runScript(db, text, o, log);    // r.failed: statements that failed
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>

#include "sqlexec/sqltext.h"

namespace vlm::engine {
class Database;
class Dataset;
class Progress;
class Query;
}

namespace vlm::sqlexec {

// The transaction buttons on one database ("start", "Commit", "RollBack") and the
// "Use Transaction" box. Nothing happens on a local (not SQL-based) database.
class TransactionRules {
public:
    enum class Result { Done, NoTransaction, Nothing };
    TransactionRules(engine::Database& db, bool& useTransaction) : db_(db), use_(useTransaction) {}

    // "start": ticks the box on an SQL server, then starts a transaction when the box is
    // ticked and none is active.
    Result start();
    // "Commit" / "RollBack": only with the box ticked and a transaction active; otherwise
    // NoTransaction ("Not transaction!").
    Result commit();
    Result rollback();
    // Before a statement: starts a transaction when the box is ticked and none is active.
    void beginIfWanted();
    // A transaction of the box waits for COMMIT or ROLLBACK.
    bool waiting();
    bool sqlBased();
    // The statement kinds COMMIT, ROLLBACK and START TRANSACTION.
    Result apply(StatementKind kind);

private:
    engine::Database& db_;
    bool& use_;
};

inline const char* kNoTransactionMessageRu = "Нет транзакции!";
inline const char* kNoTransactionMessageEn = "Not transaction!";

struct ScriptOptions {
    char delimiter = ';';
    bool useTransaction = false;       // "Use Transaction"
    bool replaceAssignment = false;    // "REPLACEAPPROPRIATE"
    bool originLabels = false;         // "Query Origin Display Label": select-list labels
    bool showRecordCount = false;      // "Show Record Count"
    bool heterogeneous = false;        // "Enable heterogeneous join": the engine's local SQL
};

struct ScriptOutcome {
    int statements = 0;   // statements run (transaction statements included)
    int failed = 0;
    bool cancelled = false;
};

// Runs every statement of the text in turn and writes the log. An error of one statement is
// logged and the run goes on; the closing line says whether any failed. A transaction
// statement goes to onTransaction when given (the window's buttons), else to TransactionRules
// (which logs "Not transaction!" when there is none). progress (optional) is asked after each
// statement with (done, total); false ends the run, logged as cancelled.
ScriptOutcome runScript(engine::Database& db, std::string_view text, ScriptOptions& options, std::ostream& log,
                        const std::function<void(StatementKind)>& onTransaction = {},
                        engine::Progress* progress = nullptr);

// The rows of an open dataset as fixed-width text: each visible field's display label padded
// to its width + 1, a line of dashes, one line per record. Returns the records written;
// ruleWidth (optional) receives the length of the dashes.
std::int64_t writeResultRows(engine::Dataset& ds, std::ostream& out, int* ruleWidth = nullptr);
// The text of "Execute And Result To Text": "Таблица: " + title, the "Start: " line, then the
// rows as above. The query is opened for it (labels applied when asked) and closed after.
void writeResultText(engine::Query& query, std::ostream& out, const std::string& title, bool originLabels);

// Binds a query to the database, or to the engine's local SQL when heterogeneous.
void bindQuery(engine::Query& query, engine::Database& db, bool heterogeneous);

// A monotonic stopwatch with the time-of-day texts of the log.
class Stopwatch {
public:
    Stopwatch();
    void stop();
    const std::string& startText() const { return t0_; }
    const std::string& stopText() const { return t1_; }
    std::chrono::milliseconds elapsed() const { return elapsed_; }
    std::string elapsedText() const;

private:
    std::chrono::steady_clock::time_point start_;
    std::string t0_, t1_;
    std::chrono::milliseconds elapsed_{0};
};

}  // namespace vlm::sqlexec
