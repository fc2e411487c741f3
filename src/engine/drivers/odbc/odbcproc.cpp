// ODBC stored procedures: listed by SQLProcedures, described by SQLProcedureColumns (inputs,
// outputs, in/out, the return value; result columns mean the call gives rows) and run through
// the call escape "{? = call NAME(?, ...)}". Parameters are bound before the statement is sent,
// so that drivers that rewrite the escape (psqlODBC) know which markers are outputs.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>

#include "odbcconnection.h"
#include "odbccursor.h"

namespace vlm::engine::odbc {
namespace {

SQLCHAR* sqlText(const std::string& s) { return (SQLCHAR*)s.c_str(); }

struct ProcParam {
    ParamDesc desc;
    SQLSMALLINT io = SQL_PARAM_INPUT;
    SQLSMALLINT sqlType = 0;
    SQLULEN size = 0;
    SQLSMALLINT digits = 0;
    FieldDef field;   // how an output value is read
};

bool isSchemaOfTheSystem(const std::string& schema) {
    return schema == "pg_catalog" || schema == "information_schema";
}

// A procedure name without the version suffix some servers list (";1").
std::string withoutVersion(const std::string& name) {
    auto semi = name.rfind(';');
    if (semi == std::string::npos || semi + 1 == name.size()) return name;
    for (std::size_t i = semi + 1; i < name.size(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(name[i]))) return name;
    return name.substr(0, semi);
}

class OdbcProcCall : public ProcCall {
public:
    OdbcProcCall(std::shared_ptr<Session> s, std::string qualified, std::vector<ProcParam> params, bool rows)
        : s_(std::move(s)), qualified_(std::move(qualified)), params_(std::move(params)), rows_(rows),
          values_(params_.size()) {}

    std::vector<ParamDesc> params() const override {
        std::vector<ParamDesc> out;
        for (const auto& p : params_) out.push_back(p.desc);
        return out;
    }

    void bind(std::size_t index, const Value& value, FieldType) override {
        if (index >= values_.size())
            throw EngineError(ErrorCategory::Usage, errc::UsageBase,
                              {"Parameter " + std::to_string(index + 1) + " does not exist"});
        values_[index] = value;
    }

    std::unique_ptr<Cursor> execute(std::vector<Value>& outputs) override {
        bool result = !params_.empty() && params_[0].io == SQL_RETURN_VALUE;
        std::string marks;
        for (std::size_t i = result ? 1 : 0; i < params_.size(); ++i) marks += marks.empty() ? "?" : ", ?";
        std::string sql = std::string(result ? "{? = call " : "{call ") + qualified_ + "(" + marks + ")}";
        auto stmt = std::make_shared<Handle>(SQL_HANDLE_STMT, s_->dbc.get());
        std::vector<ParamSlot> slots(params_.size());
        bindAll(stmt->get(), slots);
        s_->trace(TraceExecute, sql);
        SQLRETURN rc = s_->running(stmt->get(), [&] { return SQLExecDirect(stmt->get(), sqlText(sql), SQL_NTS); });
        if (!ok(rc) && rc != SQL_NO_DATA) {
            EngineError e = s_->failure(stmt->get(), "Executing the procedure " + qualified_ + " failed");
            // psqlODBC turns the escape into a SELECT, which PostgreSQL refuses for a procedure
            // (as opposed to a function): such a procedure is run by CALL, outputs as one row.
            if (!result && isProcedureNotFunction(stmt->get())) {
                stmt = std::make_shared<Handle>(SQL_HANDLE_STMT, s_->dbc.get());
                bindAll(stmt->get(), slots);
                sql = "CALL " + qualified_ + "(" + marks + ")";
                s_->trace(TraceExecute, sql);
                rc = s_->running(stmt->get(), [&] { return SQLExecDirect(stmt->get(), sqlText(sql), SQL_NTS); });
            }
            if (!ok(rc) && rc != SQL_NO_DATA) {
                if (sql.front() != '{')
                    e = s_->failure(stmt->get(), "Executing the procedure " + qualified_ + " failed");
                s_->trace(TraceError, e.what());
                throw e;
            }
        }
        SQLSMALLINT cols = 0;
        bool hasRows = rc != SQL_NO_DATA && ok(SQLNumResultCols(stmt->get(), &cols)) && cols > 0;
        std::unique_ptr<Cursor> cursor;
        if (hasRows && rows_) {
            cursor = std::make_unique<OdbcCursor>(s_, stmt);
        } else if (rc != SQL_NO_DATA) {
            // Output parameters are complete once every result of the call has been passed.
            while (ok(SQLMoreResults(stmt->get()))) {}
            SQLFreeStmt(stmt->get(), SQL_CLOSE);
        }
        outputs.assign(params_.size(), Value());
        for (std::size_t i = 0; i < params_.size(); ++i)
            if (params_[i].io != SQL_PARAM_INPUT) outputs[i] = outputValue(slots[i], params_[i].field);
        // The buffers go with this call: the cursor's statement must not write into them.
        SQLFreeStmt(stmt->get(), SQL_RESET_PARAMS);
        return cursor;
    }

private:
    void bindAll(SQLHSTMT st, std::vector<ParamSlot>& slots) {
        for (std::size_t i = 0; i < params_.size(); ++i) {
            const ProcParam& p = params_[i];
            ParamSlot& sl = slots[i];
            Value in = p.io == SQL_PARAM_OUTPUT || p.io == SQL_RETURN_VALUE ? Value() : values_[i];
            sl.set(in, p.desc.type);
            if (p.io != SQL_PARAM_INPUT) makeRoom(sl, p, in);
            // The server's own type for the marker: a text typed in the parameter editor
            // reaches an INTEGER parameter as an INTEGER.
            if (p.sqlType != 0) {
                sl.sqltype = p.sqlType;
                if (p.size > 0 && p.size < 0x7fffffff) sl.size = std::max<SQLULEN>(sl.size, p.size);
                sl.digits = p.digits;
            }
            check(SQLBindParameter(st, SQLUSMALLINT(i + 1), p.io == SQL_RETURN_VALUE ? SQL_PARAM_OUTPUT : p.io,
                                   sl.ctype, sl.sqltype, sl.size, sl.digits, sl.data(), sl.capacity(), &sl.ind),
                  SQL_HANDLE_STMT, st, "Binding a parameter of " + qualified_ + " failed", s_->secret);
        }
    }

    // An output buffer fit for the parameter's type, holding the input value of an in/out
    // parameter: numbers and dates in their C structures, everything else as text with room for
    // the longest value of the described size.
    static void makeRoom(ParamSlot& sl, const ProcParam& p, const Value& in) {
        switch (p.field.logicalType) {
        case logical::BOOL:
        case logical::INT16:
        case logical::INT32:
        case logical::INT64:
            sl.set(in.isNull() ? Value() : Value(in.asInteger()), FieldType::Integer);
            sl.ctype = SQL_C_SBIGINT;
            return;
        case logical::FLOAT:
            sl.set(in.isNull() ? Value() : Value(in.asFloat()), FieldType::Float);
            sl.ctype = SQL_C_DOUBLE;
            return;
        case logical::DATE:
            if (in.isNull() || in.is<Date>()) {
                sl.ctype = SQL_C_TYPE_DATE;
                return;
            }
            break;
        case logical::TIMESTAMP:
            if (in.isNull() || in.is<DateTime>()) {
                sl.ctype = SQL_C_TYPE_TIMESTAMP;
                return;
            }
            break;
        default:
            break;
        }
        std::string text = in.isNull() ? std::string() : in.asText();
        SQLULEN room = p.size > 0 && p.size < 65536 ? p.size * 4 + 1 : 8001;
        sl.ctype = SQL_C_CHAR;
        sl.text = text;
        sl.text.resize(std::max<std::size_t>(room, text.size() + 1), '\0');
        sl.ind = in.isNull() ? SQL_NULL_DATA : SQLLEN(text.size());
        sl.size = std::max<SQLULEN>(1, text.size());
    }

    static Value outputValue(const ParamSlot& sl, const FieldDef& f) {
        if (sl.ind == SQL_NULL_DATA) return {};
        switch (sl.ctype) {
        case SQL_C_SBIGINT:
            return f.logicalType == logical::BOOL ? Value(sl.i != 0) : Value(std::int64_t(sl.i));
        case SQL_C_DOUBLE: return Value(sl.d);
        case SQL_C_TYPE_DATE: return Value(Date{sl.date.year, sl.date.month, sl.date.day});
        case SQL_C_TYPE_TIMESTAMP:
            return Value(DateTime{{sl.stamp.year, sl.stamp.month, sl.stamp.day},
                                  {sl.stamp.hour, sl.stamp.minute, sl.stamp.second, int(sl.stamp.fraction / 1000000)}});
        default: {
            std::size_t n = sl.ind == SQL_NO_TOTAL || sl.ind < 0 ? sl.text.find('\0')
                                                                : std::min<std::size_t>(std::size_t(sl.ind), sl.text.size());
            std::string text = sl.text.substr(0, std::min(n, sl.text.size()));
            if (auto z = text.find('\0'); z != std::string::npos) text.resize(z);
            if (f.logicalType == logical::BCD) return Value(Decimal{text});
            return Value(std::move(text));
        }
        }
    }

    static bool isProcedureNotFunction(SQLHSTMT st) {
        SQLCHAR state[6] = {0};
        SQLINTEGER native = 0;
        SQLCHAR text[512];
        SQLSMALLINT len = 0;
        return ok(SQLGetDiagRec(SQL_HANDLE_STMT, st, 1, state, &native, text, sizeof text, &len)) &&
               std::string(reinterpret_cast<char*>(state)) == "42809";
    }

    std::shared_ptr<Session> s_;
    std::string qualified_;
    std::vector<ProcParam> params_;
    bool rows_;
    std::vector<Value> values_;
};

}  // namespace

bool OdbcConnection::hasProcedures() const {
    char buf[8] = {0};
    SQLSMALLINT len = 0;
    if (!ok(SQLGetInfo(s_->dbc.get(), SQL_PROCEDURES, buf, sizeof buf, &len))) return true;
    return buf[0] != 'N';
}

std::vector<std::string> OdbcConnection::storedProcedures() {
    if (!hasProcedures()) return {};
    Handle st(SQL_HANDLE_STMT, s_->dbc.get());
    std::string schema = "%", name = "%";
    s_->trace(TraceVendor, "SQLProcedures");
    check(SQLProcedures(st.get(), nullptr, 0, s_->schemas ? sqlText(schema) : nullptr, s_->schemas ? SQL_NTS : 0,
                        sqlText(name), SQL_NTS),
          SQL_HANDLE_STMT, st.get(), "Reading the procedure list failed", s_->secret);
    std::vector<std::string> out;
    while (true) {
        SQLRETURN rc = SQLFetch(st.get());
        if (rc == SQL_NO_DATA) break;
        check(rc, SQL_HANDLE_STMT, st.get(), "Reading the procedure list failed", s_->secret);
        std::string sch = columnText(st.get(), 2), proc = columnText(st.get(), 3);
        if (isSchemaOfTheSystem(sch) || proc.empty()) continue;
        out.push_back(sch.empty() ? proc : sch + "." + proc);
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());   // overloads list once
    return out;
}

std::unique_ptr<ProcCall> OdbcConnection::prepareProc(const std::string& fullName) {
    if (!hasProcedures())
        throw EngineError(ErrorCategory::Usage, errc::NotSupported,
                          {"Stored procedures are not supported by this data source"});
    auto [schema, name] = resolve(withoutVersion(fullName));
    Handle st(SQL_HANDLE_STMT, s_->dbc.get());
    std::string sp = escapePattern(schema), np = escapePattern(name);
    s_->trace(TraceVendor, "SQLProcedureColumns " + fullName);
    // The column name stays NULL: psqlODBC answers a "%" pattern there with no rows.
    check(SQLProcedureColumns(st.get(), nullptr, 0, schema.empty() ? nullptr : sqlText(sp), schema.empty() ? 0 : SQL_NTS,
                              sqlText(np), SQL_NTS, nullptr, 0),
          SQL_HANDLE_STMT, st.get(), "Reading the parameters of " + fullName + " failed", s_->secret);
    std::string foundSchema;
    bool any = false, rows = false;
    std::multimap<int, ProcParam> ordered;
    while (true) {
        SQLRETURN rc = SQLFetch(st.get());
        if (rc == SQL_NO_DATA) break;
        check(rc, SQL_HANDLE_STMT, st.get(), "Reading the parameters of " + fullName + " failed", s_->secret);
        if (withoutVersion(columnText(st.get(), 3)) != name) continue;
        std::string sch = columnText(st.get(), 2);
        if (!schema.empty() && sch != schema) continue;
        if (!any) foundSchema = sch;
        any = true;
        if (sch != foundSchema) continue;   // the same name in a later schema of the path
        auto kind = SQLSMALLINT(std::atoi(columnText(st.get(), 5).c_str()));
        if (kind == SQL_RESULT_COL) {
            rows = true;
            continue;
        }
        ProcParam p;
        p.desc.name = columnText(st.get(), 4);
        p.sqlType = SQLSMALLINT(std::atoi(columnText(st.get(), 6).c_str()));
        p.size = SQLULEN(std::strtoull(columnText(st.get(), 8).c_str(), nullptr, 10));
        p.digits = SQLSMALLINT(std::atoi(columnText(st.get(), 10).c_str()));
        p.field = fieldDefFor(p.desc.name, p.sqlType, p.size, p.digits, true, columnText(st.get(), 7));
        p.desc.type = p.field.type;
        switch (kind) {
        case SQL_PARAM_INPUT: p.io = SQL_PARAM_INPUT; p.desc.direction = ParamDirection::Input; break;
        case SQL_PARAM_INPUT_OUTPUT: p.io = SQL_PARAM_INPUT_OUTPUT; p.desc.direction = ParamDirection::InputOutput; break;
        case SQL_PARAM_OUTPUT: p.io = SQL_PARAM_OUTPUT; p.desc.direction = ParamDirection::Output; break;
        case SQL_RETURN_VALUE:
            p.io = SQL_RETURN_VALUE;
            p.desc.direction = ParamDirection::Result;
            if (p.desc.name.empty()) p.desc.name = "Result";
            break;
        default: p.io = SQL_PARAM_INPUT; p.desc.direction = ParamDirection::Unknown; break;
        }
        int ordinal = kind == SQL_RETURN_VALUE ? -1 : std::atoi(columnText(st.get(), 18).c_str());
        ordered.emplace(ordinal, std::move(p));
    }
    if (!any) {
        // A procedure without parameters has no rows here: ask whether it exists at all.
        Handle ps(SQL_HANDLE_STMT, s_->dbc.get());
        s_->trace(TraceVendor, "SQLProcedures " + fullName);
        check(SQLProcedures(ps.get(), nullptr, 0, schema.empty() ? nullptr : sqlText(sp), schema.empty() ? 0 : SQL_NTS,
                            sqlText(np), SQL_NTS),
              SQL_HANDLE_STMT, ps.get(), "Reading the procedure list failed", s_->secret);
        while (!any && ok(SQLFetch(ps.get()))) {
            if (withoutVersion(columnText(ps.get(), 3)) != name) continue;
            foundSchema = columnText(ps.get(), 2);
            any = schema.empty() || foundSchema == schema;
        }
        if (!any) throw EngineError(ErrorCategory::Sql, errc::SqlBase, {"Stored procedure does not exist: " + fullName});
    }
    std::vector<ProcParam> params;
    for (auto& [_, p] : ordered) {
        // The return value comes first; a second one (a driver listing it twice) is dropped.
        if (p.io == SQL_RETURN_VALUE && !params.empty()) continue;
        params.push_back(std::move(p));
    }
    std::string qualified = (foundSchema.empty() || !s_->schemas ? "" : quoteIdentifier(foundSchema) + ".") +
                            quoteIdentifier(name);
    s_->trace(TracePrepare, "prepare procedure " + qualified);
    return std::make_unique<OdbcProcCall>(s_, qualified, std::move(params), rows);
}

}  // namespace vlm::engine::odbc
