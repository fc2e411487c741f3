// PostgreSQL cursors: FETCH FORWARD blocks from a WITH HOLD cursor, or rows of a whole result.
#include "pgcursor.h"

#include <algorithm>

namespace vlm::engine::postgres {

void describeColumns(const PGresult* res, std::vector<FieldDef>& fields, std::vector<unsigned>& oids) {
    int n = PQnfields(res);
    fields.clear();
    oids.clear();
    for (int i = 0; i < n; ++i) {
        oids.push_back(PQftype(res, i));
        fields.push_back(fieldDefFor(PQfname(res, i), PQftype(res, i), PQfmod(res, i)));
    }
}

void appendRows(const PGresult* res, int from, int to, const std::vector<FieldDef>& fields,
                const std::vector<unsigned>& oids, std::vector<Row>& out) {
    const int cols = int(fields.size());
    for (int r = from; r < to; ++r) {
        Row row;
        row.values.reserve(std::size_t(cols));
        for (int c = 0; c < cols; ++c) {
            if (PQgetisnull(res, r, c)) {
                row.values.emplace_back();
                continue;
            }
            row.values.push_back(valueFromText(fields[std::size_t(c)], oids[std::size_t(c)],
                                               PQgetvalue(res, r, c), PQgetlength(res, r, c)));
        }
        out.push_back(std::move(row));
    }
}

ServerCursor::ServerCursor(std::shared_ptr<Session> session, std::string name,
                           std::vector<FieldDef> fields, std::vector<unsigned> oids)
    : session_(std::move(session)), name_(std::move(name)), fields_(std::move(fields)),
      oids_(std::move(oids)) {
    session_->cursorOpened();
}

ServerCursor::~ServerCursor() { closeCursor(); }

void ServerCursor::closeCursor() noexcept {
    if (done_) return;
    done_ = true;
    session_->cursorClosed();
    PGconn* c = session_->conn();
    if (!c || PQtransactionStatus(c) == PQTRANS_INERROR || PQstatus(c) != CONNECTION_OK) return;
    std::string sql = "CLOSE " + quoteIdent(name_);
    if (session_->tracer().wants(TraceMisc)) session_->tracer().trace(TraceMisc, sql);
    Result r(PQexec(c, sql.c_str()));
    session_->syncTransactionState();
}

bool ServerCursor::fetch(std::size_t maxRows, std::vector<Row>& out) {
    if (done_) return false;
    if (maxRows == 0) return true;
    if (end_ >= 0 && pos_ >= end_) return false;
    Result res = session_->exec("FETCH FORWARD " + std::to_string(maxRows) + " FROM " + quoteIdent(name_),
                                TraceDataOut);
    int n = PQntuples(res.get());
    out.reserve(out.size() + std::size_t(n));
    appendRows(res.get(), 0, n, fields_, oids_, out);
    pos_ += n;
    if (std::size_t(n) < maxRows) {
        // The cursor stays open: a reader may come back to rows it gave up.
        end_ = pos_;
        return false;
    }
    return true;
}

bool ServerCursor::seek(std::int64_t row) {
    if (done_) return false;
    row = std::max<std::int64_t>(row, 0);
    if (row == pos_) return true;
    // After MOVE ABSOLUTE n the cursor stands on row n (1-based): the next FETCH returns row n + 1.
    session_->exec("MOVE ABSOLUTE " + std::to_string(row) + " IN " + quoteIdent(name_), TraceDataOut);
    pos_ = end_ >= 0 ? std::min(row, end_) : row;
    return true;
}

ResultCursor::ResultCursor(Result res) : res_(std::move(res)) { describeColumns(res_.get(), fields_, oids_); }

bool ResultCursor::fetch(std::size_t maxRows, std::vector<Row>& out) {
    int total = PQntuples(res_.get());
    int to = int(std::min<std::size_t>(std::size_t(total), std::size_t(pos_) + maxRows));
    appendRows(res_.get(), pos_, to, fields_, oids_, out);
    pos_ = to;
    return pos_ < total;
}

bool ResultCursor::seek(std::int64_t row) {
    if (row < 0 || row > PQntuples(res_.get())) return false;
    pos_ = int(row);
    return true;
}

}  // namespace vlm::engine::postgres
