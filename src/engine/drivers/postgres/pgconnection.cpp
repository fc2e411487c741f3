// The PostgreSQL connection: catalog reads, statements, DDL and COPY.
#include "pgconnection.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "engine/typemap.h"
#include "pgcopy.h"
#include "pgcursor.h"

namespace vlm::engine::postgres {
namespace {

const char* const kUserSchemasOnly =
    " AND n.nspname NOT IN ('pg_catalog','information_schema')"
    " AND n.nspname NOT LIKE 'pg\\_toast%' AND n.nspname NOT LIKE 'pg\\_temp%'";

bool isSystemSchema(const std::string& s) {
    return s == "pg_catalog" || s == "information_schema" || s.rfind("pg_toast", 0) == 0 ||
           s.rfind("pg_temp", 0) == 0;
}

Result query(Session& s, const std::string& sql, const std::vector<std::string>& args) {
    std::vector<bool> nulls(args.size(), false), bin(args.size(), false);
    return s.execParams(sql, args, nulls, bin);
}

std::string firstKeyword(const std::string& sql) {
    std::size_t i = 0;
    for (;;) {
        while (i < sql.size() && std::isspace(static_cast<unsigned char>(sql[i]))) ++i;
        if (sql.compare(i, 2, "--") == 0) {
            i = sql.find('\n', i);
            if (i == std::string::npos) return {};
        } else if (sql.compare(i, 2, "/*") == 0) {
            i = sql.find("*/", i);
            if (i == std::string::npos) return {};
            i += 2;
        } else {
            break;
        }
    }
    if (i < sql.size() && sql[i] == '(') return "(";
    std::string w;
    while (i < sql.size() && std::isalpha(static_cast<unsigned char>(sql[i])))
        w += char(std::toupper(static_cast<unsigned char>(sql[i++])));
    return w;
}

// Runs fn; inside the internal cursor transaction a savepoint keeps a failure from taking the
// open cursors with it.
template <class Fn> auto guarded(Session& s, bool inCursorTxn, Fn fn) {
    if (!inCursorTxn) return fn();
    s.exec("SAVEPOINT vlm_guard", TraceMisc);
    try {
        auto r = fn();
        s.exec("RELEASE SAVEPOINT vlm_guard", TraceMisc);
        return r;
    } catch (...) {
        try {
            s.exec("ROLLBACK TO SAVEPOINT vlm_guard", TraceMisc);
            s.exec("RELEASE SAVEPOINT vlm_guard", TraceMisc);
        } catch (...) {
        }
        throw;
    }
}

class PgStatement : public Statement {
public:
    PgStatement(std::shared_ptr<Session> s, const std::string& sql) : s_(std::move(s)) {
        text_ = numberParameters(sql, &nparams_);
        std::string kw = firstKeyword(text_);
        declarable_ = kw == "SELECT" || kw == "WITH" || kw == "VALUES" || kw == "TABLE" || kw == "(";
        values_.assign(std::size_t(nparams_), {});
        nulls_.assign(std::size_t(nparams_), true);
        binary_.assign(std::size_t(nparams_), false);
        name_ = s_->nextName("vlm_s");
        s_->requireOpen();
        s_->recover();
        if (s_->tracer().wants(TracePrepare)) s_->tracer().trace(TracePrepare, sql);
        if (nparams_ == 0 && (kw == "INSERT" || kw == "UPDATE" || kw == "DELETE")) {
            // Data changes without parameters (a script's rows) run as one simple query when
            // executed: preparing, describing and deallocating them cost three more round trips.
            // Errors then come from the execution; RETURNING rows still come back.
            simple_ = true;
            name_.clear();
            return;
        }
        PGconn* c = s_->conn();
        Result r(PQprepare(c, name_.c_str(), text_.c_str(), nparams_, nullptr));
        if (!r || PQresultStatus(r.get()) != PGRES_COMMAND_OK) {
            const char* st = r ? PQresultErrorField(r.get(), PG_DIAG_SQLSTATE) : nullptr;
            std::string msg = r ? PQresultErrorMessage(r.get()) : "";
            if (nparams_ == 0 && st && std::string(st) == "42601" &&
                msg.find("multiple commands") != std::string::npos) {
                // A script of several statements runs as one simple query.
                simple_ = true;
                name_.clear();
                s_->syncTransactionState();
                return;
            }
            EngineError e = pgError(c, r.get(), "SQL statement failed");
            if (s_->tracer().wants(TraceError)) s_->tracer().trace(TraceError, e.what());
            name_.clear();
            s_->syncTransactionState();
            throw e;
        }
        Result d(PQdescribePrepared(c, name_.c_str()));
        if (d && PQresultStatus(d.get()) == PGRES_COMMAND_OK) {
            for (int i = 0; i < PQnparams(d.get()); ++i)
                params_.push_back({"$" + std::to_string(i + 1), ParamDirection::Input,
                                   fieldTypeOfOid(PQparamtype(d.get(), i))});
            returnsRows_ = PQnfields(d.get()) > 0;
        }
        s_->syncTransactionState();
    }
    ~PgStatement() override {
        PGconn* c = s_->conn();
        if (name_.empty() || !c || PQstatus(c) != CONNECTION_OK || (PQtransactionStatus(c) != PQTRANS_IDLE &&
                                                                     PQtransactionStatus(c) != PQTRANS_INTRANS))
            return;   // a failed transaction keeps the statement until the session ends
        std::string sql = "DEALLOCATE " + quoteIdent(name_);
        Result r(PQexec(c, sql.c_str()));
    }

    std::vector<ParamDesc> params() const override { return params_; }

    void bind(std::size_t index, const Value& value, FieldType) override {
        if (index >= values_.size())
            throw EngineError(ErrorCategory::Usage, errc::UsageBase,
                              {"Parameter " + std::to_string(index + 1) + " does not exist"});
        nulls_[index] = value.isNull();
        binary_[index] = value.is<Bytes>();
        if (binary_[index]) {
            const auto& b = value.get<Bytes>();
            values_[index].assign(b.begin(), b.end());
        } else {
            values_[index] = valueToText(value);
        }
    }

    std::unique_ptr<Cursor> execute() override {
        affected_ = 0;
        if (simple_) {
            s_->beforeStatement();
            Result r = s_->exec(text_);
            return finish(std::move(r));
        }
        if (declarable_ && returnsRows_) {
            s_->beforeCursor();
            std::string cname = s_->nextName("vlm_c");
            // SCROLL, so that a grid can give up rows and read them again (MOVE ABSOLUTE); a
            // query the server cannot scroll (FOR UPDATE) is declared NO SCROLL.
            auto declare = [&](const char* scroll) {
                return "DECLARE " + quoteIdent(cname) + scroll + " CURSOR WITH HOLD FOR " + text_;
            };
            bool cursorTxn = !s_->userTransaction();
            try {
                try {
                    // (a savepoint in the user's transaction too, which the refusal must not end)
                    guarded(*s_, true, [&] { return s_->execParams(declare(" SCROLL"), values_, nulls_, binary_); });
                } catch (const EngineError& e) {
                    if (e.sqlState() != "0A000") throw;
                    guarded(*s_, cursorTxn, [&] { return s_->execParams(declare(" NO SCROLL"), values_, nulls_, binary_); });
                }
                // The column descriptions of the declared cursor come from the prepared statement.
                Result d(PQdescribePrepared(s_->conn(), name_.c_str()));
                std::vector<FieldDef> fields;
                std::vector<unsigned> oids;
                describeColumns(d.get(), fields, oids);
                return std::make_unique<ServerCursor>(s_, cname, std::move(fields), std::move(oids));
            } catch (const EngineError& e) {
                // Statements a cursor cannot hold (data-changing WITH, SELECT INTO) run directly.
                if (s_->userTransaction() || (e.sqlState() != "0A000" && e.sqlState() != "42601")) throw;
            }
        }
        s_->beforeStatement();
        s_->requireOpen();
        if (s_->tracer().wants(TraceExecute)) s_->tracer().trace(TraceExecute, text_);
        std::vector<const char*> ptrs(values_.size());
        std::vector<int> lengths(values_.size()), formats(values_.size());
        for (std::size_t i = 0; i < values_.size(); ++i) {
            ptrs[i] = nulls_[i] ? nullptr : values_[i].data();
            lengths[i] = int(values_[i].size());
            formats[i] = binary_[i] ? 1 : 0;
        }
        PGresult* raw;
        {
            RunningCalls::Scope running(s_->calls());
            raw = PQexecPrepared(s_->conn(), name_.c_str(), int(values_.size()), ptrs.data(), lengths.data(),
                                 formats.data(), 0);
        }
        Result r = s_->check(raw, text_);
        s_->syncTransactionState();
        return finish(std::move(r));
    }

    std::int64_t rowsAffected() const override { return affected_; }

private:
    std::unique_ptr<Cursor> finish(Result r) {
        const char* n = PQcmdTuples(r.get());
        affected_ = n && *n ? std::strtoll(n, nullptr, 10) : 0;
        if (PQresultStatus(r.get()) == PGRES_TUPLES_OK && PQnfields(r.get()) > 0)
            return std::make_unique<ResultCursor>(std::move(r));
        return nullptr;
    }

    std::shared_ptr<Session> s_;
    std::string text_, name_;
    int nparams_ = 0;
    bool declarable_ = false, returnsRows_ = false, simple_ = false;
    std::vector<ParamDesc> params_;
    std::vector<std::string> values_;
    std::vector<bool> nulls_, binary_;
    std::int64_t affected_ = 0;
};

void copyEscape(const std::string& v, std::string& out) {
    for (char c : v) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += c;
        }
    }
}

}  // namespace

Capabilities PgConnection::capabilities() const {
    Capabilities c;
    c.sqlBased = true;
    c.transactions = true;
    c.storedProcedures = true;
    c.bulkLoad = true;
    c.freeIndexNames = true;
    c.countWithoutFetch = true;
    c.identifierCase = IdentifierCase::Lower;
    return c;
}

bool PgConnection::isSchema(const std::string& name) const {
    if (schemas_.count(name)) return true;
    Result r = query(*s_, "SELECT 1 FROM pg_namespace WHERE nspname = $1", {name});
    if (PQntuples(r.get()) == 0) return false;
    schemas_.insert(name);
    return true;
}

std::pair<std::string, std::string> PgConnection::resolve(const std::string& table) const {
    // "schema"."name" as typed; names from catalogs ("public.My \"Q\" table") hold quotes
    // as plain characters.
    if (!table.empty() && table.front() == '"') return splitQualified(table);
    if (table.find('.') == std::string::npos) return {{}, table};
    // A schema name may hold dots itself: split after the first prefix that is a schema.
    for (auto dot = table.find('.'); dot != std::string::npos; dot = table.find('.', dot + 1))
        if (isSchema(table.substr(0, dot))) return {table.substr(0, dot), table.substr(dot + 1)};
    return {{}, table};
}

std::string PgConnection::quoteTable(const std::string& table) const {
    auto [schema, name] = resolve(table);
    return schema.empty() ? quoteIdent(name) : quoteIdent(schema) + "." + quoteIdent(name);
}

unsigned PgConnection::tableOid(const std::string& table, char* relkind) {
    auto [schema, name] = resolve(table);
    Result r = schema.empty()
        ? query(*s_, "SELECT c.oid, c.relkind FROM pg_class c WHERE c.relname = $1"
                     " AND pg_table_is_visible(c.oid) AND c.relkind IN ('r','v','m','p','f')", {name})
        : query(*s_, "SELECT c.oid, c.relkind FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace"
                     " WHERE n.nspname = $1 AND c.relname = $2 AND c.relkind IN ('r','v','m','p','f')",
                {schema, name});
    if (PQntuples(r.get()) == 0)
        throw EngineError(ErrorCategory::Sql, errc::SqlBase, {"Table does not exist: " + table});
    if (relkind) *relkind = PQgetvalue(r.get(), 0, 1)[0];
    return unsigned(std::strtoul(PQgetvalue(r.get(), 0, 0), nullptr, 10));
}

std::vector<TableEntry> PgConnection::tables(bool includeSystem) {
    std::string sql =
        "SELECT n.nspname, c.relname, c.relkind FROM pg_class c"
        " JOIN pg_namespace n ON n.oid = c.relnamespace"
        " WHERE c.relkind IN ('r','v','m','p','f')";
    if (!includeSystem) sql += kUserSchemasOnly;
    sql += " ORDER BY 1, 2";
    s_->beforeStatement();
    Result r = s_->exec(sql, TraceVendor);
    std::vector<TableEntry> out;
    int n = PQntuples(r.get());
    out.reserve(std::size_t(n));
    for (int i = 0; i < n; ++i) {
        TableEntry e;
        std::string schema = PQgetvalue(r.get(), i, 0);
        char kind = PQgetvalue(r.get(), i, 2)[0];
        e.name = schema + "." + PQgetvalue(r.get(), i, 1);
        e.view = kind == 'v' || kind == 'm';
        e.type = isSystemSchema(schema) ? "SYSTEM TABLE" : e.view ? "VIEW" : "TABLE";
        out.push_back(std::move(e));
    }
    return out;
}

std::vector<std::string> PgConnection::storedProcedures() {
    Result r = s_->exec(std::string("SELECT DISTINCT n.nspname, p.proname FROM pg_proc p"
                                    " JOIN pg_namespace n ON n.oid = p.pronamespace"
                                    " WHERE p.prokind IN ('f','p')") + kUserSchemasOnly + " ORDER BY 1, 2",
                        TraceVendor);
    std::vector<std::string> out;
    for (int i = 0; i < PQntuples(r.get()); ++i)
        out.push_back(std::string(PQgetvalue(r.get(), i, 0)) + "." + PQgetvalue(r.get(), i, 1));
    return out;
}

std::vector<FieldDef> PgConnection::fieldDefs(const std::string& table) {
    unsigned rel = tableOid(table);
    Result r = query(*s_,
        "SELECT a.attname,"
        " CASE WHEN t.typtype = 'd' THEN t.typbasetype ELSE a.atttypid END,"
        " CASE WHEN t.typtype = 'd' THEN t.typtypmod ELSE a.atttypmod END,"
        " a.attnotnull, format_type(a.atttypid, a.atttypmod),"
        " coalesce(pg_get_expr(d.adbin, d.adrelid), ''), a.attidentity"
        " FROM pg_attribute a JOIN pg_type t ON t.oid = a.atttypid"
        " LEFT JOIN pg_attrdef d ON d.adrelid = a.attrelid AND d.adnum = a.attnum"
        " WHERE a.attrelid = $1 AND a.attnum > 0 AND NOT a.attisdropped ORDER BY a.attnum",
        {std::to_string(rel)});
    std::vector<FieldDef> out;
    for (int i = 0; i < PQntuples(r.get()); ++i) {
        unsigned t = unsigned(std::strtoul(PQgetvalue(r.get(), i, 1), nullptr, 10));
        int mod = std::atoi(PQgetvalue(r.get(), i, 2));
        FieldDef f = fieldDefFor(PQgetvalue(r.get(), i, 0), t, mod);
        f.required = PQgetvalue(r.get(), i, 3)[0] == 't';
        f.nativeType = PQgetvalue(r.get(), i, 4);
        std::string def = PQgetvalue(r.get(), i, 5);
        bool serial = def.rfind("nextval(", 0) == 0 || *PQgetvalue(r.get(), i, 6) != '\0';
        if (serial && (f.logicalType == logical::INT32 || f.logicalType == logical::INT64)) {
            f.subType = subtype::AUTOINC;
            if (f.logicalType == logical::INT32) f.type = FieldType::AutoInc;
        }
        out.push_back(std::move(f));
    }
    return out;
}

std::vector<IndexDef> PgConnection::indexDefs(const std::string& table) {
    unsigned rel = tableOid(table);
    Result r = query(*s_,
        "SELECT ic.relname, i.indisprimary, i.indisunique, (i.indoption::int2[])[k.ord - 1] & 1,"
        " coalesce(a.attname, ''), CASE WHEN 0 = ANY(i.indkey::int2[]) OR i.indpred IS NOT NULL"
        " THEN pg_get_indexdef(i.indexrelid) ELSE '' END"
        " FROM pg_index i JOIN pg_class ic ON ic.oid = i.indexrelid"
        " CROSS JOIN LATERAL unnest(i.indkey::int2[]) WITH ORDINALITY AS k(attnum, ord)"
        " LEFT JOIN pg_attribute a ON a.attrelid = i.indrelid AND a.attnum = k.attnum"
        " WHERE i.indrelid = $1 ORDER BY i.indisprimary DESC, ic.relname, k.ord",
        {std::to_string(rel)});
    std::vector<IndexDef> out;
    for (int i = 0; i < PQntuples(r.get()); ++i) {
        std::string name = PQgetvalue(r.get(), i, 0);
        if (out.empty() || out.back().name != name) {
            IndexDef d;
            d.name = name;
            d.primary = PQgetvalue(r.get(), i, 1)[0] == 't';
            d.unique = d.primary || PQgetvalue(r.get(), i, 2)[0] == 't';
            d.descending = std::string(PQgetvalue(r.get(), i, 3)) == "1";
            d.expression = PQgetvalue(r.get(), i, 5);
            out.push_back(std::move(d));
        }
        std::string col = PQgetvalue(r.get(), i, 4);
        if (!col.empty()) out.back().fields.push_back(col);
    }
    return out;
}

std::unique_ptr<Statement> PgConnection::prepare(const std::string& sql) {
    return std::make_unique<PgStatement>(s_, sql);
}

namespace {

// A table opened for browsing and editing: rows carry their ctid and their version (xmin) as
// the key, "ctid|xmin"; changes find their row by the primary key where the table has one, else
// by the ctid, only in the version that was read (a row another user changed since is refused),
// and read it back through RETURNING (new ctid and version, defaults, triggers).
class PgTableCursor : public Cursor {
public:
    PgTableCursor(PgConnection& conn, std::string table, std::vector<std::string> keyFields,
                  const TableOpenOptions& options)
        : conn_(conn), table_(std::move(table)) {
        std::string cols;
        for (const auto& f : conn_.fieldDefs(table_)) cols += conn_.quoteIdentifier(f.name) + ", ";
        std::string sql = "SELECT " + cols + "ctid::text || '|' || xmin::text FROM " + conn_.quoteTable(table_);
        for (std::size_t i = 0; i < options.indexFieldNames.size(); ++i)
            sql += (i ? ", " : " ORDER BY ") + conn_.quoteIdentifier(options.indexFieldNames[i]);
        sql_ = sql;
        rows_ = conn_.prepare(sql)->execute();
        fields_ = rows_->fields();
        fields_.pop_back();   // the ctid
        for (const auto& k : keyFields)
            for (std::size_t i = 0; i < fields_.size(); ++i)
                if (fields_[i].name == k) key_.push_back(i);
        if (key_.size() != keyFields.size()) key_.clear();
    }
    const std::vector<FieldDef>& fields() const override { return fields_; }
    bool fetch(std::size_t maxRows, std::vector<Row>& out) override {
        std::size_t first = out.size();
        bool more = rows_->fetch(maxRows, out);
        for (std::size_t i = first; i < out.size(); ++i) takeKey(out[i]);
        return more;
    }
    bool seek(std::int64_t row) override {
        // The rows read hold the snapshot of their cursor: after a change they are read anew.
        if (stale_) {
            rows_.reset();
            rows_ = conn_.prepare(sql_)->execute();
            stale_ = false;
        }
        return rows_->seek(row);
    }
    std::int64_t countKnown() override { return stale_ ? -1 : rows_->countKnown(); }
    std::int64_t rowCount() override {
        auto st = conn_.prepare("SELECT count(*) FROM " + conn_.quoteTable(table_));
        auto c = st->execute();
        std::vector<Row> rows;
        if (c) c->fetch(1, rows);
        return rows.empty() || rows[0].values.empty() ? -1 : rows[0].values[0].asInteger();
    }
    bool canModify() const override { return true; }

    Row insertRow(const std::vector<Value>& values) override {
        // Fields left null are left out, so that defaults and serial columns fill them.
        std::string cols, marks;
        std::vector<std::pair<Value, FieldType>> params;
        for (std::size_t i = 0; i < fields_.size() && i < values.size(); ++i) {
            if (values[i].isNull()) continue;
            cols += (params.empty() ? "" : ", ") + conn_.quoteIdentifier(fields_[i].name);
            marks += params.empty() ? "?" : ", ?";
            params.emplace_back(values[i], fields_[i].type);
        }
        return run("INSERT INTO " + conn_.quoteTable(table_) +
                       (params.empty() ? " DEFAULT VALUES" : " (" + cols + ") VALUES (" + marks + ")") + returning(),
                   params);
    }
    Row updateRow(const Row& old, const std::vector<Value>& values) override {
        std::string sets;
        std::vector<std::pair<Value, FieldType>> params;
        for (std::size_t i = 0; i < fields_.size() && i < values.size(); ++i) {
            if (i < old.values.size() && values[i] == old.values[i]) continue;
            params.emplace_back(values[i], fields_[i].type);
            sets += (params.size() > 1 ? ", " : "") + conn_.quoteIdentifier(fields_[i].name) + " = ?";
        }
        if (params.empty()) return old;
        std::string sql = "UPDATE " + conn_.quoteTable(table_) + " SET " + sets;
        sql += where(old, params) + returning();
        return run(sql, params);
    }
    void deleteRow(const Row& row) override {
        std::vector<std::pair<Value, FieldType>> params;
        std::string sql = "DELETE FROM " + conn_.quoteTable(table_);
        sql += where(row, params);
        auto st = conn_.prepare(sql);
        for (std::size_t i = 0; i < params.size(); ++i) st->bind(i, params[i].first, params[i].second);
        st->execute();
        stale_ = true;
        if (st->rowsAffected() < 1) changedByOthers();
    }

private:
    static void changedByOthers() {
        throw recordChangedError();
    }
    void takeKey(Row& r) {
        r.key = std::move(r.values.back());
        r.values.pop_back();
    }
    std::string returning() const {
        std::string sql = " RETURNING ";
        for (const auto& f : fields_) sql += conn_.quoteIdentifier(f.name) + ", ";
        return sql + "ctid::text || '|' || xmin::text";
    }
    std::string where(const Row& row, std::vector<std::pair<Value, FieldType>>& params) const {
        if (row.key.isNull()) changedByOthers();
        const std::string key = row.key.asText();
        const auto bar = key.find('|');
        std::string sql;
        if (key_.empty()) {
            params.emplace_back(Value(key.substr(0, bar)), FieldType::String);
            sql = " WHERE ctid = CAST(? AS tid)";
        } else {
            sql = " WHERE ";
            for (std::size_t i = 0; i < key_.size(); ++i) {
                params.emplace_back(row.values[key_[i]], fields_[key_[i]].type);
                sql += (i ? " AND " : "") + conn_.quoteIdentifier(fields_[key_[i]].name) + " = ?";
            }
        }
        if (bar != std::string::npos) {
            params.emplace_back(Value(key.substr(bar + 1)), FieldType::String);
            sql += " AND xmin::text = ?";
        }
        return sql;
    }
    Row run(const std::string& sql, const std::vector<std::pair<Value, FieldType>>& params) {
        auto st = conn_.prepare(sql);
        for (std::size_t i = 0; i < params.size(); ++i) st->bind(i, params[i].first, params[i].second);
        auto result = st->execute();
        stale_ = true;
        std::vector<Row> rows;
        if (result) result->fetch(1, rows);
        if (rows.empty()) changedByOthers();
        takeKey(rows[0]);
        return std::move(rows[0]);
    }

    PgConnection& conn_;
    std::string table_;
    std::string sql_;
    bool stale_ = false;   // changed since rows_ was declared
    std::unique_ptr<Cursor> rows_;
    std::vector<FieldDef> fields_;
    std::vector<std::size_t> key_;
};

}  // namespace

std::unique_ptr<Cursor> PgConnection::openTable(const std::string& table, const TableOpenOptions& options) {
    std::vector<std::string> key;
    for (const auto& ix : indexDefs(table))
        if (ix.primary) key = ix.fields;
    return std::make_unique<PgTableCursor>(*this, table, std::move(key), options);
}

void PgConnection::createTable(const std::string& table, const std::vector<FieldDef>& fields,
                               const std::vector<IndexDef>& indexes) {
    if (fields.empty())
        throw EngineError(ErrorCategory::Usage, errc::UsageBase, {"A table needs at least one field"});
    std::string sql = "CREATE TABLE " + quoteTable(table) + " (";
    for (std::size_t i = 0; i < fields.size(); ++i) {
        sql += (i ? ", " : "") + quoteIdent(fields[i].name) + " " +
               nativeColumnType("POSTGRESQL", fields[i]);
        if (fields[i].required) sql += " NOT NULL";
    }
    for (const auto& ix : indexes) {
        if (!ix.primary || ix.fields.empty()) continue;
        sql += ", PRIMARY KEY (";
        for (std::size_t i = 0; i < ix.fields.size(); ++i) sql += (i ? ", " : "") + quoteIdent(ix.fields[i]);
        sql += ")";
        break;
    }
    sql += ")";
    s_->beforeStatement();
    s_->exec(sql);
    // Expression indexes of local tables have no SQL form; field indexes are created.
    unsigned rel = 0;
    for (const auto& ix : indexes) {
        if (ix.primary || ix.fields.empty() || !ix.expression.empty()) continue;
        if (!rel) rel = tableOid(table);
        IndexDef named = ix;
        named.name = freeIndexName(rel, resolve(table).second, ix.name.empty() ? ix.fields.front() : ix.name);
        createIndex(table, named);
    }
}

// Index names share the schema's name space with its tables, views and sequences, so the
// indexes of two tables copied into one schema may ask for the same name: the name as given
// when free, else TABLE_INDEX, else TABLE_INDEX_2, _3 ..., each within the identifier length.
// Explicit createIndex calls keep the caller's name (and fail on a taken one).
std::string PgConnection::freeIndexName(unsigned table, const std::string& tableName, const std::string& wanted) {
    constexpr std::size_t kMax = 63;   // bytes: NAMEDATALEN - 1
    auto cut = [](const std::string& v, std::size_t n) {
        if (v.size() <= n) return v;
        while (n > 0 && (static_cast<unsigned char>(v[n]) & 0xC0) == 0x80) --n;
        return v.substr(0, n);
    };
    const std::string oid = std::to_string(table);
    auto taken = [&](const std::string& name) {
        Result r = query(*s_, "SELECT 1 FROM pg_class WHERE relname = $1 AND relnamespace = "
                              "(SELECT relnamespace FROM pg_class WHERE oid = $2::oid)", {name, oid});
        return PQntuples(r.get()) > 0;
    };
    if (!wanted.empty() && wanted.size() <= kMax && !taken(wanted)) return wanted;
    std::string base = cut(tableName + "_" + wanted, kMax);
    if (!taken(base)) return base;
    for (int n = 2;; ++n) {
        std::string suffix = "_" + std::to_string(n);
        std::string name = cut(base, kMax - suffix.size()) + suffix;
        if (!taken(name)) return name;
    }
}

void PgConnection::dropTable(const std::string& table) {
    char kind = 'r';
    tableOid(table, &kind);
    const char* what = kind == 'v' ? "DROP VIEW " : kind == 'm' ? "DROP MATERIALIZED VIEW "
                     : kind == 'f' ? "DROP FOREIGN TABLE " : "DROP TABLE ";
    s_->beforeStatement();
    s_->exec(what + quoteTable(table));
}

void PgConnection::emptyTable(const std::string& table) {
    s_->beforeStatement();
    s_->exec("DELETE FROM " + quoteTable(table));
}

void PgConnection::renameTable(const std::string& from, const std::string& to) {
    char kind = 'r';
    tableOid(from, &kind);
    auto [fromSchema, fromName] = resolve(from);
    auto [toSchema, toName] = resolve(to);
    if (!toSchema.empty() && !fromSchema.empty() && toSchema != fromSchema)
        throw EngineError(ErrorCategory::Usage, errc::NotSupported,
                          {"Renaming cannot move a table to another schema"});
    const char* what = kind == 'v' ? "ALTER VIEW " : kind == 'm' ? "ALTER MATERIALIZED VIEW " : "ALTER TABLE ";
    s_->beforeStatement();
    s_->exec(what + quoteTable(from) + " RENAME TO " + quoteIdent(toName));
}

void PgConnection::createIndex(const std::string& table, const IndexDef& ix) {
    if (ix.fields.empty())
        throw EngineError(ErrorCategory::Usage, errc::NotSupported,
                          {"An index on an expression cannot be created on PostgreSQL"});
    auto [schema, name] = resolve(table);
    std::string ixName = ix.name.empty() ? name + "_" + ix.fields.front() : ix.name;
    std::string sql = std::string(ix.unique ? "CREATE UNIQUE INDEX " : "CREATE INDEX ") + quoteIdent(ixName) +
                      " ON " + quoteTable(table) + " (";
    for (std::size_t i = 0; i < ix.fields.size(); ++i)
        sql += (i ? ", " : "") + quoteIdent(ix.fields[i]) + (ix.descending ? " DESC" : "");
    sql += ")";
    s_->beforeStatement();
    s_->exec(sql);
}

void PgConnection::dropIndex(const std::string& table, const std::string& index) {
    auto [schema, name] = resolve(table);
    std::string target = schema.empty() ? quoteIdent(index) : quoteIdent(schema) + "." + quoteIdent(index);
    s_->beforeStatement();
    s_->exec("DROP INDEX " + target);
}

namespace {

// The COPY text form of a non-null value, appended to out without temporaries for the common
// kinds; numbers in their shortest exact form.
void appendCopyValue(const Value& v, std::string& out) {
    char b[64];
    if (v.is<std::string>()) return copyEscape(v.get<std::string>(), out);
    if (v.is<std::int64_t>()) {
        auto r = std::to_chars(b, b + sizeof b, v.get<std::int64_t>());
        out.append(b, r.ptr);
        return;
    }
    if (v.is<double>()) {
        double d = v.get<double>();
        if (std::isfinite(d)) {
            auto r = std::to_chars(b, b + sizeof b, d);
            out.append(b, r.ptr);
            return;
        }
    } else if (v.is<bool>()) {
        out += v.get<bool>() ? 't' : 'f';
        return;
    } else if (v.is<Date>()) {
        const Date& d = v.get<Date>();
        if (d.year >= 0 && d.year <= 9999) {
            int y = d.year;
            char* p = b;
            *p++ = char('0' + y / 1000), *p++ = char('0' + y / 100 % 10), *p++ = char('0' + y / 10 % 10),
            *p++ = char('0' + y % 10), *p++ = '-';
            *p++ = char('0' + d.month / 10 % 10), *p++ = char('0' + d.month % 10), *p++ = '-';
            *p++ = char('0' + d.day / 10 % 10), *p++ = char('0' + d.day % 10);
            out.append(b, p);
            return;
        }
    } else if (v.is<Decimal>()) {
        return copyEscape(v.get<Decimal>().text, out);
    }
    copyEscape(valueToText(v), out);
}

void appendCopyRow(const Row& row, const std::vector<int>& sourceColumns, std::string& out) {
    for (std::size_t i = 0; i < sourceColumns.size(); ++i) {
        if (i) out += '\t';
        int sc = sourceColumns[i];
        if (sc < 0 || std::size_t(sc) >= row.values.size() || row.values[std::size_t(sc)].isNull())
            out += "\\N";
        else
            appendCopyValue(row.values[std::size_t(sc)], out);
    }
    out += '\n';
}

[[noreturn]] void cancelled() {
    throw EngineError(ErrorCategory::Cancelled, errc::CancelledBase, {"Cancelled by the user"});
}

}  // namespace

// The binary encoders of the copied columns, from their types on the server; false when any
// column has no exact binary form for its source (the copy then goes as text).
bool PgConnection::binaryCopyKinds(const std::string& table, const std::vector<std::string>& columns,
                                   const std::vector<FieldDef>& sourceFields,
                                   const std::vector<int>& sourceColumns, std::vector<CopyKind>& kinds) {
    Result r = query(*s_,
        "SELECT a.attname, CASE WHEN t.typtype = 'd' THEN t.typbasetype ELSE a.atttypid END"
        " FROM pg_attribute a JOIN pg_type t ON t.oid = a.atttypid"
        " WHERE a.attrelid = $1 AND a.attnum > 0 AND NOT a.attisdropped",
        {std::to_string(tableOid(table))});
    kinds.assign(columns.size(), CopyKind::Text);
    for (std::size_t i = 0; i < columns.size(); ++i) {
        int sc = i < sourceColumns.size() ? sourceColumns[i] : -1;
        if (sc < 0 || std::size_t(sc) >= sourceFields.size()) continue;   // always NULL
        unsigned oid = 0;
        for (int k = 0; k < PQntuples(r.get()); ++k)
            if (columns[i] == PQgetvalue(r.get(), k, 0)) oid = unsigned(std::strtoul(PQgetvalue(r.get(), k, 1), nullptr, 10));
        if (!binaryCopyKind(oid, sourceFields[std::size_t(sc)].type, kinds[i])) return false;
    }
    return true;
}

std::int64_t PgConnection::appendRows(const std::string& table, const std::vector<std::string>& columns,
                                      Cursor& source, const std::vector<int>& sourceColumns,
                                      Progress* progress) {
    std::string sql = "COPY " + quoteTable(table) + " (";
    for (std::size_t i = 0; i < columns.size(); ++i) sql += (i ? ", " : "") + quoteIdent(columns[i]);
    std::vector<CopyKind> kinds;
    bool binary = false;
    try {
        binary = binaryCopyKinds(table, columns, source.fields(), sourceColumns, kinds);
    } catch (const EngineError&) {
        // The COPY itself reports what is wrong with the table.
    }
    sql += binary ? ") FROM STDIN (FORMAT binary)" : ") FROM STDIN";
    auto encode = [&](const Row& row, std::string& out) {
        if (!binary) return appendCopyRow(row, sourceColumns, out);
        try {
            appendBinaryCopyRow(row, sourceColumns, kinds, out);
        } catch (const EngineError& e) {
            EngineError err(e.category(), e.code(), {"Appending rows to " + table + " failed", e.what()});
            if (s_->tracer().wants(TraceError)) s_->tracer().trace(TraceError, err.what());
            throw err;
        }
    };

    // Without a transaction of the caller's, one of our own makes the append all or nothing.
    bool ownTxn = !s_->userTransaction();
    if (ownTxn) s_->begin();
    PGconn* c = s_->conn();
    std::int64_t total = source.rowCount(), moved = 0;
    std::vector<Row> rows;
    std::string buf;
    bool copying = false;
    auto fail = [&](const PGresult* res) {
        EngineError e = pgError(c, res, "Appending rows to " + table + " failed");
        if (s_->tracer().wants(TraceError)) s_->tracer().trace(TraceError, e.what());
        throw e;
    };
    auto startCopy = [&] {
        Result start = s_->exec(sql, moved ? TraceDataIn : TraceExecute);
        if (PQresultStatus(start.get()) != PGRES_COPY_IN)
            throw EngineError(ErrorCategory::Sql, errc::SqlBase, {"The server did not accept COPY"});
        copying = true;
        if (binary) appendBinaryCopyHeader(buf);
    };
    // Ends the COPY (aborted with a reason) and reads the server's answer to it.
    auto endCopy = [&](const char* abortReason) {
        copying = false;
        bool sent = PQputCopyEnd(c, abortReason) == 1;
        Result last, error;
        while (PGresult* r = PQgetResult(c)) {
            if (PQresultStatus(r) == PGRES_FATAL_ERROR) error.reset(r);
            else last.reset(r);
        }
        s_->syncTransactionState();
        if (abortReason) return;
        if (error) fail(error.get());
        if (!sent || !last || PQresultStatus(last.get()) != PGRES_COMMAND_OK) fail(last.get());
    };
    // A failed send usually means the server ended the COPY with an error: report that one.
    auto send = [&] {
        if (buf.empty()) return;
        if (PQputCopyData(c, buf.data(), int(buf.size())) != 1) endCopy(nullptr), fail(nullptr);
        buf.clear();
    };
    try {
        if (s_->openCursors() == 0) {
            // No reader needs this connection: one COPY for all rows, sent in pieces while the
            // source is read, so that the server parses while the next rows are made.
            bool more = true;
            while (more) {
                more = source.fetchInto(1024, rows);
                if (rows.empty()) break;
                if (!copying) startCopy();
                for (const auto& row : rows) encode(row, buf);
                if (buf.size() >= (256u << 10)) send();
                moved += std::int64_t(rows.size());
                if (progress && !progress->step(moved, total)) cancelled();
            }
            if (copying) {
                if (binary) appendBinaryCopyTrailer(buf);
                send();
                endCopy(nullptr);
            }
        } else {
            // The source may be a cursor of this very connection, which cannot fetch while a
            // COPY runs: rows are read in blocks and each block goes in a COPY of its own.
            bool more = true;
            while (more) {
                more = source.fetchInto(4096, rows);
                if (rows.empty()) break;
                startCopy();
                for (const auto& row : rows) encode(row, buf);
                if (binary) appendBinaryCopyTrailer(buf);
                send();
                endCopy(nullptr);
                moved += std::int64_t(rows.size());
                if (progress && !progress->step(moved, total)) cancelled();
            }
        }
        if (ownTxn) s_->commit();
    } catch (...) {
        if (copying) endCopy("Cancelled by the user");
        if (ownTxn && s_->userTransaction()) {
            try {
                s_->rollback();
            } catch (...) {
            }
        }
        throw;
    }
    return moved;
}

}  // namespace vlm::engine::postgres
