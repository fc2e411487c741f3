// One libpq connection shared by a PostgreSQL connection and its open cursors, with the
// transaction bookkeeping: a user transaction (begin/commit/rollback), or, in autocommit, an
// internal transaction that only holds the declarations and fetches of open cursors.
//
// Cursors are declared WITH HOLD, so a commit keeps them readable (the server keeps their
// remaining rows). Any other statement in autocommit first commits the internal transaction.
#pragma once

#include <libpq-fe.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/running.h"
#include "engine/trace.h"
#include "pgsupport.h"

namespace vlm::engine::postgres {

class Session {
public:
    Session(PGconn* conn, Tracer& tracer) : conn_(conn), tracer_(tracer), cancel_(PQgetCancel(conn)) {}
    ~Session() { close(); }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    PGconn* conn() const { return conn_; }
    Tracer& tracer() { return tracer_; }
    bool open() const { return conn_ != nullptr; }
    void close();

    // Runs sql without parameters; throws the server's error. what: the engine's text.
    Result exec(const std::string& sql, TraceCategory cat = TraceExecute);
    // Runs sql with text parameters (nulls where isNull), binary where binary[i].
    Result execParams(const std::string& sql, const std::vector<std::string>& values,
                      const std::vector<bool>& isNull, const std::vector<bool>& binary);
    // Throws unless res is a success status.
    Result check(PGresult* res, const std::string& sql);

    // Before a statement that is no cursor fetch: leave the internal cursor transaction.
    void beforeStatement();
    // Before declaring a cursor: make sure a transaction holds it.
    void beforeCursor();
    // After any call: follow BEGIN/COMMIT the user sent as SQL text.
    void syncTransactionState();
    // A failed fetch aborts the internal cursor transaction: end it before the next statement.
    void recover();

    bool userTransaction() const { return userTxn_; }
    void begin();
    void commit();
    void rollback();

    std::string nextName(const char* prefix) { return prefix + std::to_string(++seq_); }
    // Server cursors declared and not yet closed: while one is open, a reader may still need
    // the connection for its next FETCH.
    void cursorOpened() { ++openCursors_; }
    void cursorClosed() { --openCursors_; }
    int openCursors() const { return openCursors_; }
    void requireOpen() const;

    // Calls that wait for the server mark themselves here (RunningCalls::Scope) so that
    // cancelRunning() reaches the server only while one runs.
    RunningCalls& calls() { return calls_; }
    // From another thread: asks the server to stop the running statement, which then fails
    // with SQLSTATE 57014 (category Cancelled). Nothing happens when no call runs.
    void cancelRunning();

private:
    PGconn* conn_;            // owned: PQfinish in close()
    Tracer& tracer_;
    PGcancel* cancel_;        // owned: PQfreeCancel in close(); guarded by cancelMutex_
    std::mutex cancelMutex_;
    RunningCalls calls_;
    bool userTxn_ = false;
    bool cursorTxn_ = false;
    unsigned long seq_ = 0;
    int openCursors_ = 0;
};

}  // namespace vlm::engine::postgres
