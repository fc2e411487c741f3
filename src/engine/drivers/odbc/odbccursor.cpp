// ODBC statements (SQLPrepare, parameters by position) and cursors (SQLFetch per row).
#include "odbccursor.h"

#include <cstdio>
#include <cstring>

namespace vlm::engine::odbc {

OdbcCursor::OdbcCursor(std::shared_ptr<Session> s, std::shared_ptr<Handle> stmt)
    : s_(std::move(s)), stmt_(std::move(stmt)) {
    SQLHSTMT st = stmt_->get();
    SQLSMALLINT n = 0;
    check(SQLNumResultCols(st, &n), SQL_HANDLE_STMT, st, "Reading the result columns failed");
    for (SQLUSMALLINT i = 1; i <= SQLUSMALLINT(n); ++i) {
        SQLCHAR name[512] = {0};
        SQLSMALLINT nameLen = 0, type = 0, digits = 0, nullable = 0;
        SQLULEN size = 0;
        check(SQLDescribeCol(st, i, name, sizeof name, &nameLen, &type, &size, &digits, &nullable),
              SQL_HANDLE_STMT, st, "Reading the result columns failed");
        SQLCHAR tname[128] = {0};
        SQLSMALLINT tlen = 0;
        SQLColAttribute(st, i, SQL_DESC_TYPE_NAME, tname, sizeof tname, &tlen, nullptr);
        fields_.push_back(fieldDefFor(reinterpret_cast<char*>(name), type, size, digits,
                                      nullable != SQL_NO_NULLS, reinterpret_cast<char*>(tname)));
        sqlTypes_.push_back(type);
    }
}

OdbcCursor::~OdbcCursor() {
    if (!done_) SQLFreeStmt(stmt_->get(), SQL_CLOSE);
}

bool OdbcCursor::fetch(std::size_t maxRows, std::vector<Row>& out) {
    if (done_) return false;
    SQLHSTMT st = stmt_->get();
    for (std::size_t i = 0; i < maxRows; ++i) {
        SQLRETURN rc = s_->running(st, [st] { return SQLFetch(st); });
        if (rc == SQL_NO_DATA) {
            done_ = true;
            SQLFreeStmt(st, SQL_CLOSE);
            return false;
        }
        if (!ok(rc)) {
            EngineError e = s_->failure(st, "Fetching rows failed");
            s_->trace(TraceError, e.what());
            done_ = true;
            SQLFreeStmt(st, SQL_CLOSE);
            throw e;
        }
        Row row;
        row.values.reserve(fields_.size());
        for (std::size_t c = 0; c < fields_.size(); ++c)
            row.values.push_back(readValue(st, SQLUSMALLINT(c + 1), fields_[c], sqlTypes_[c]));
        out.push_back(std::move(row));
    }
    return true;
}

namespace {

class OdbcStatement : public Statement {
public:
    OdbcStatement(std::shared_ptr<Session> s, const std::string& sql) : s_(std::move(s)), sql_(sql) {
        stmt_ = std::make_shared<Handle>(SQL_HANDLE_STMT, s_->dbc.get());
        s_->trace(TracePrepare, sql);
        SQLHSTMT st = stmt_->get();
        SQLRETURN rc = s_->running(st, [&] { return SQLPrepare(st, (SQLCHAR*)sql.c_str(), SQL_NTS); });
        if (!ok(rc)) {
            EngineError e = s_->failure(stmt_->get(), "SQL statement failed");
            s_->trace(TraceError, e.what());
            throw e;
        }
        SQLSMALLINT n = 0;
        if (ok(SQLNumParams(stmt_->get(), &n)) && n > 0) {
            slots_.resize(std::size_t(n));
            for (SQLSMALLINT i = 0; i < n; ++i) params_.push_back({"", ParamDirection::Input, FieldType::Unknown});
        }
    }

    std::vector<ParamDesc> params() const override { return params_; }

    void bind(std::size_t index, const Value& v, FieldType type) override {
        if (index >= slots_.size())
            throw EngineError(ErrorCategory::Usage, errc::UsageBase,
                              {"Parameter " + std::to_string(index + 1) + " does not exist"});
        slots_[index].set(v, type);
    }

    std::unique_ptr<Cursor> execute() override {
        SQLHSTMT st = stmt_->get();
        SQLFreeStmt(st, SQL_CLOSE);
        for (std::size_t i = 0; i < slots_.size(); ++i) {
            ParamSlot& sl = slots_[i];
            void* ptr = sl.data();
            check(SQLBindParameter(st, SQLUSMALLINT(i + 1), SQL_PARAM_INPUT, sl.ctype, sl.sqltype, sl.size,
                                   sl.digits, ptr, sl.capacity(), &sl.ind),
                  SQL_HANDLE_STMT, st, "Binding a parameter failed", s_->secret);
        }
        s_->trace(TraceExecute, sql_);
        SQLRETURN rc = s_->running(st, [st] { return SQLExecute(st); });
        affected_ = 0;
        if (!ok(rc) && rc != SQL_NO_DATA) {
            EngineError e = s_->failure(st, "SQL statement failed");
            s_->trace(TraceError, e.what());
            throw e;
        }
        SQLLEN n = 0;
        if (ok(SQLRowCount(st, &n))) affected_ = n;
        SQLSMALLINT cols = 0;
        if (rc != SQL_NO_DATA && ok(SQLNumResultCols(st, &cols)) && cols > 0)
            return std::make_unique<OdbcCursor>(s_, stmt_);
        return nullptr;
    }

    std::int64_t rowsAffected() const override { return affected_; }

private:
    std::shared_ptr<Session> s_;
    std::shared_ptr<Handle> stmt_;
    std::string sql_;
    std::vector<ParamDesc> params_;
    std::vector<ParamSlot> slots_;
    std::int64_t affected_ = 0;
};

}  // namespace

std::unique_ptr<Statement> makeStatement(std::shared_ptr<Session> s, const std::string& sql) {
    return std::make_unique<OdbcStatement>(std::move(s), sql);
}

}  // namespace vlm::engine::odbc
