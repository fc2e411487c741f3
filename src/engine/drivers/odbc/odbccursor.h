// ODBC statements and cursors: a cursor reads rows one SQLFetch at a time, so a result is
// never read whole on open.
#pragma once

#include <memory>

#include "odbcconnection.h"

namespace vlm::engine::odbc {

class OdbcCursor : public Cursor {
public:
    // Takes over the executed statement handle of owner (kept alive by owner's shared state).
    OdbcCursor(std::shared_ptr<Session> s, std::shared_ptr<Handle> stmt);
    ~OdbcCursor() override;
    const std::vector<FieldDef>& fields() const override { return fields_; }
    bool fetch(std::size_t maxRows, std::vector<Row>& out) override;

private:
    std::shared_ptr<Session> s_;
    std::shared_ptr<Handle> stmt_;
    std::vector<FieldDef> fields_;
    std::vector<SQLSMALLINT> sqlTypes_;
    bool done_ = false;
};

std::unique_ptr<Statement> makeStatement(std::shared_ptr<Session> s, const std::string& sql);

}  // namespace vlm::engine::odbc
