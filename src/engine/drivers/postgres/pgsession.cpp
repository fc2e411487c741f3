// The shared libpq connection and its transaction bookkeeping.
#include "pgsession.h"

namespace vlm::engine::postgres {

void Session::close() {
    {
        std::lock_guard lock(cancelMutex_);   // a cancel on another thread never meets it freed
        if (cancel_) PQfreeCancel(cancel_);
        cancel_ = nullptr;
    }
    if (conn_) {
        PQfinish(conn_);
        conn_ = nullptr;
    }
}

void Session::cancelRunning() {
    calls_.cancel([this](void*) {
        std::lock_guard lock(cancelMutex_);
        char why[256];
        // A failed request (the server gone) leaves the call to fail on its own.
        if (cancel_) PQcancel(cancel_, why, int(sizeof why));
    });
}

void Session::requireOpen() const {
    if (!conn_)
        throw EngineError(ErrorCategory::Connect, errc::ConnectBase,
                          {"The PostgreSQL connection is closed"});
}

Result Session::check(PGresult* raw, const std::string& sql) {
    Result res(raw);
    ExecStatusType st = res ? PQresultStatus(res.get()) : PGRES_FATAL_ERROR;
    if (st == PGRES_COMMAND_OK || st == PGRES_TUPLES_OK || st == PGRES_COPY_IN ||
        st == PGRES_COPY_OUT || st == PGRES_EMPTY_QUERY || st == PGRES_SINGLE_TUPLE)
        return res;
    EngineError e = pgError(conn_, res.get(), "SQL statement failed");
    if (tracer_.wants(TraceError)) tracer_.trace(TraceError, e.what());
    (void)sql;
    syncTransactionState();
    throw e;
}

void Session::recover() {
    if (cursorTxn_ && conn_ && PQtransactionStatus(conn_) == PQTRANS_INERROR) beforeStatement();
}

Result Session::exec(const std::string& sql, TraceCategory cat) {
    requireOpen();
    recover();
    if (tracer_.wants(cat)) tracer_.trace(cat, sql);
    PGresult* raw;
    {
        RunningCalls::Scope running(calls_);
        raw = PQexec(conn_, sql.c_str());
    }
    Result r = check(raw, sql);
    syncTransactionState();
    return r;
}

Result Session::execParams(const std::string& sql, const std::vector<std::string>& values,
                           const std::vector<bool>& isNull, const std::vector<bool>& binary) {
    requireOpen();
    recover();
    if (tracer_.wants(TraceExecute)) tracer_.trace(TraceExecute, sql);
    std::vector<const char*> ptrs(values.size());
    std::vector<int> lengths(values.size()), formats(values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        ptrs[i] = isNull[i] ? nullptr : values[i].data();
        lengths[i] = int(values[i].size());
        formats[i] = binary[i] ? 1 : 0;
    }
    if (tracer_.wants(TraceDataIn))
        for (std::size_t i = 0; i < values.size(); ++i)
            tracer_.trace(TraceDataIn, "$" + std::to_string(i + 1) + " = " +
                                          (isNull[i] ? std::string("NULL") : binary[i] ? "<binary>" : values[i]));
    PGresult* raw;
    {
        RunningCalls::Scope running(calls_);
        raw = PQexecParams(conn_, sql.c_str(), int(values.size()), nullptr, ptrs.data(), lengths.data(),
                           formats.data(), 0);
    }
    Result r = check(raw, sql);
    syncTransactionState();
    return r;
}

void Session::syncTransactionState() {
    if (!conn_) return;
    switch (PQtransactionStatus(conn_)) {
    case PQTRANS_IDLE:
        userTxn_ = false;
        cursorTxn_ = false;
        break;
    case PQTRANS_INTRANS:
    case PQTRANS_INERROR:
        if (!cursorTxn_) userTxn_ = true;
        break;
    case PQTRANS_UNKNOWN:
        userTxn_ = cursorTxn_ = false;
        break;
    default: break;
    }
}

void Session::beforeStatement() {
    if (!cursorTxn_) return;
    requireOpen();
    cursorTxn_ = false;
    // A failed fetch leaves the cursor transaction aborted: end it, its cursors are gone anyway.
    const char* end = PQtransactionStatus(conn_) == PQTRANS_INERROR ? "ROLLBACK" : "COMMIT";
    if (tracer_.wants(TraceTransaction)) tracer_.trace(TraceTransaction, end);
    Result r(PQexec(conn_, end));
    syncTransactionState();
    if (!r || PQresultStatus(r.get()) != PGRES_COMMAND_OK)
        throw pgError(conn_, r.get(), "Could not end the cursor transaction");
}

void Session::beforeCursor() {
    requireOpen();
    if (userTxn_ || cursorTxn_) {
        if (cursorTxn_ && PQtransactionStatus(conn_) == PQTRANS_INERROR) beforeStatement();
        else return;
    }
    if (tracer_.wants(TraceTransaction)) tracer_.trace(TraceTransaction, "BEGIN");
    Result r(PQexec(conn_, "BEGIN"));
    if (!r || PQresultStatus(r.get()) != PGRES_COMMAND_OK)
        throw pgError(conn_, r.get(), "Could not start a transaction");
    cursorTxn_ = true;
}

void Session::begin() {
    beforeStatement();
    if (userTxn_)
        throw EngineError(ErrorCategory::Usage, errc::UsageBase, {"A transaction is already active"});
    exec("BEGIN", TraceTransaction);
    userTxn_ = true;
}

void Session::commit() {
    if (!userTxn_)
        throw EngineError(ErrorCategory::Usage, errc::UsageBase, {"No transaction is active"});
    requireOpen();
    // The server answers COMMIT of a failed transaction with a rollback: that is no success.
    bool failed = PQtransactionStatus(conn_) == PQTRANS_INERROR;
    Result r = exec(failed ? "ROLLBACK" : "COMMIT", TraceTransaction);
    userTxn_ = false;
    if (failed || std::string(PQcmdStatus(r.get())) == "ROLLBACK")
        throw EngineError(ErrorCategory::Sql, errc::SqlBase,
                          {"Commit failed: the transaction was rolled back because a statement in it failed"});
}

void Session::rollback() {
    if (!userTxn_)
        throw EngineError(ErrorCategory::Usage, errc::UsageBase, {"No transaction is active"});
    exec("ROLLBACK", TraceTransaction);
    userTxn_ = false;
}

}  // namespace vlm::engine::postgres
