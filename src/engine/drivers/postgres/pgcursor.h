// Cursors of the PostgreSQL driver: a server-side cursor fetched in blocks (every SELECT), and
// a cursor over a complete result (statements that return rows but cannot be declared).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/driver.h"
#include "pgsession.h"

namespace vlm::engine::postgres {

// Field definitions and type OIDs of a result or a described statement.
void describeColumns(const PGresult* res, std::vector<FieldDef>& fields, std::vector<unsigned>& oids);
// Appends the rows [from, to) of res to out.
void appendRows(const PGresult* res, int from, int to, const std::vector<FieldDef>& fields,
                const std::vector<unsigned>& oids, std::vector<Row>& out);

class ServerCursor : public Cursor {
public:
    // The cursor name is already declared on the session; this object closes it.
    ServerCursor(std::shared_ptr<Session> session, std::string name, std::vector<FieldDef> fields,
                 std::vector<unsigned> oids);
    ~ServerCursor() override;
    const std::vector<FieldDef>& fields() const override { return fields_; }
    bool fetch(std::size_t maxRows, std::vector<Row>& out) override;
    // The cursor is declared SCROLL: MOVE ABSOLUTE puts the server's cursor before the row.
    bool seek(std::int64_t row) override;
    std::int64_t countKnown() override { return end_; }

private:
    void closeCursor() noexcept;
    std::shared_ptr<Session> session_;
    std::string name_;
    std::vector<FieldDef> fields_;
    std::vector<unsigned> oids_;
    bool done_ = false;        // closed
    std::int64_t pos_ = 0;     // the row the next FETCH returns
    std::int64_t end_ = -1;    // the number of rows, once a fetch ran past the last
};

class ResultCursor : public Cursor {
public:
    explicit ResultCursor(Result res);
    const std::vector<FieldDef>& fields() const override { return fields_; }
    bool fetch(std::size_t maxRows, std::vector<Row>& out) override;
    std::int64_t rowCount() override { return PQntuples(res_.get()); }
    bool seek(std::int64_t row) override;

private:
    Result res_;
    std::vector<FieldDef> fields_;
    std::vector<unsigned> oids_;
    int pos_ = 0;
};

}  // namespace vlm::engine::postgres
