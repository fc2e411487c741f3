// Script runs, result texts and the transaction rules (see scriptrun.h).
#include "sqlexec/scriptrun.h"

#include "datawin/report.h"
#include "datawin/viewlogic.h"
#include "engine/database.h"
#include "engine/error.h"
#include "engine/progress.h"
#include "engine/query.h"
#include "shell/language.h"

namespace vlm::sqlexec {

bool TransactionRules::sqlBased() { return db_.isSqlBased(); }

TransactionRules::Result TransactionRules::start() {
    if (!sqlBased()) return Result::Nothing;
    use_ = true;
    if (db_.inTransaction()) return Result::Nothing;
    db_.startTransaction();
    return Result::Done;
}

TransactionRules::Result TransactionRules::commit() {
    if (!waiting()) return Result::NoTransaction;
    db_.commit();
    return Result::Done;
}

TransactionRules::Result TransactionRules::rollback() {
    if (!waiting()) return Result::NoTransaction;
    db_.rollback();
    return Result::Done;
}

void TransactionRules::beginIfWanted() {
    if (use_ && sqlBased() && !db_.inTransaction()) db_.startTransaction();
}

bool TransactionRules::waiting() { return use_ && sqlBased() && db_.inTransaction(); }

TransactionRules::Result TransactionRules::apply(StatementKind kind) {
    switch (kind) {
    case StatementKind::Commit: return commit();
    case StatementKind::Rollback: return rollback();
    case StatementKind::StartTransaction: return start();
    default: return Result::Nothing;
    }
}

void bindQuery(engine::Query& query, engine::Database& db, bool heterogeneous) {
    if (heterogeneous) query.setDatabaseName(std::string());
    else query.setDatabase(&db);
}

Stopwatch::Stopwatch() : start_(std::chrono::steady_clock::now()), t0_(currentTimeOfDayText()) {}

void Stopwatch::stop() {
    elapsed_ = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_);
    t1_ = currentTimeOfDayText();
}

std::string Stopwatch::elapsedText() const { return datawin::elapsedText(elapsed_); }

std::int64_t writeResultRows(engine::Dataset& ds, std::ostream& out, int* ruleWidth) {
    std::vector<engine::Field*> cols;
    std::vector<int> widths;
    int total = 0;
    for (int i = 0; i < ds.fieldCount(); ++i) {
        engine::Field& f = ds.field(i);
        if (!f.visible()) continue;
        cols.push_back(&f);
        widths.push_back(datawin::reportColumnWidth(f, f.displayLabel()));
        total += widths.back() + 1;
    }
    for (std::size_t c = 0; c < cols.size(); ++c) out << datawin::reportCell(cols[c]->displayLabel(), widths[c] + 1);
    out << "\n" << std::string(std::size_t(total), '-') << "\n";
    if (ruleWidth) *ruleWidth = total;
    std::int64_t n = 0;
    for (ds.first(); !ds.eof(); ds.next(), ++n) {
        for (std::size_t c = 0; c < cols.size(); ++c) out << datawin::reportCell(cols[c]->asString(), widths[c] + 1);
        out << "\n";
    }
    return n;
}

void writeResultText(engine::Query& query, std::ostream& out, const std::string& title, bool originLabels) {
    Stopwatch watch;
    query.close();
    query.open();
    if (originLabels) applySelectListLabels(query, query.sqlText());
    watch.stop();
    out << "Таблица: " << title << "\n"
        << startStopLine(watch.startText(), watch.stopText(), watch.elapsedText()) << "\n";
    writeResultRows(query, out);
    query.close();
}

namespace {

void logError(std::ostream& log, const std::exception* e) {
    log << "\n" << (e && dynamic_cast<const engine::EngineError*>(e) ? e->what() : "Not DataBase Error") << "\n\n";
}

std::string unterminatedText(Unterminated u) {
    return u == Unterminated::Comment
               ? shell::pick("Незакрытый комментарий: предложение не выполнено.",
                             "Unterminated comment: the statement was not run.")
               : shell::pick("Незакрытая строка в кавычках: предложение не выполнено.",
                             "Unterminated quoted text: the statement was not run.");
}

}  // namespace

ScriptOutcome runScript(engine::Database& db, std::string_view text, ScriptOptions& o, std::ostream& log,
                        const std::function<void(StatementKind)>& onTransaction, engine::Progress* progress) {
    ScriptOutcome r;
    TransactionRules rules(db, o.useTransaction);
    const panels::ServerKind kind = panels::serverKindOfDriver(db.driverName());
    try {
        rules.beginIfWanted();
        if (o.useTransaction && rules.sqlBased()) log << "\nStart Transaction\n\n";
        const std::vector<ScriptStatement> statements = splitScript(text, o.delimiter);
        engine::Query q;
        for (std::size_t i = 0; i < statements.size(); ++i) {
            const ScriptStatement& st = statements[i];
            log << st.text << "\n\n";
            ++r.statements;
            if (st.unterminated != Unterminated::None) {
                ++r.failed;
                log << "\n" << unterminatedText(st.unterminated) << "\n\n";
                continue;
            }
            const StatementKind k = statementKind(st.text);
            try {
                if (isTransactionStatement(k)) {
                    if (onTransaction) {
                        onTransaction(k);
                    } else if (rules.apply(k) == TransactionRules::Result::NoTransaction) {
                        log << shell::pick(kNoTransactionMessageRu, kNoTransactionMessageEn) << "\n\n";
                    }
                } else if (k != StatementKind::Select) {
                    bindQuery(q, db, o.heterogeneous);
                    q.setSql(preparedStatementText(st.text, o.replaceAssignment, kind));
                    Stopwatch watch;
                    q.execSql();
                    watch.stop();
                    const std::int64_t rows = q.rowsAffected();
                    q.close();
                    log << startStopLine(watch.startText(), watch.stopText(), watch.elapsedText()) << "\n\n"
                        << executedLogLine(st.text, rows) << "\n\n";
                } else {
                    bindQuery(q, db, o.heterogeneous);
                    q.setSql(st.text);
                    Stopwatch watch;
                    q.open();
                    if (o.originLabels) applySelectListLabels(q, st.text);
                    watch.stop();
                    log << startStopLine(watch.startText(), watch.stopText(), watch.elapsedText()) << "\n\n";
                    int width = 0;
                    const std::int64_t written = writeResultRows(q, log, &width);
                    log << std::string(std::size_t(width), '-') << "\n\n";
                    std::int64_t count = written;
                    if (o.showRecordCount) {
                        const std::int64_t c = q.recordCount();
                        if (c > 0) count = c;
                    }
                    log << "Selected " << count << " rows\n\n";
                }
            } catch (const std::exception& e) {
                ++r.failed;
                logError(log, &e);
            } catch (...) {
                ++r.failed;
                logError(log, nullptr);
            }
            q.close();
            if (progress && !progress->step(std::int64_t(i + 1), std::int64_t(statements.size()))) {
                r.cancelled = true;
                log << "\n" << shell::pick("Прервано пользователем.", "Cancelled by the user.") << "\n";
                break;
            }
        }
    } catch (const std::exception& e) {
        // An error outside a statement (the transaction could not start): logged, counted.
        ++r.failed;
        logError(log, &e);
    }
    log << "\n" << scriptEndLine(r.failed > 0) << "\n\n";
    return r;
}

}  // namespace vlm::sqlexec
