// The Firebird connection: attaching, the catalog, statements, procedures, transactions, DDL.
#include "engine/drivers/firebird/fbconnection.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>

#include "engine/typemap.h"

namespace vlm::engine::firebird {
namespace {

using Firebird::IStatement;

std::string upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::toupper(c)); });
    return s;
}

bool isTrue(const std::string& v) {
    std::string u = upper(v);
    return u == "TRUE" || u == "YES" || u == "1" || u == "T" || u == "Y";
}

[[noreturn]] void usage(const std::string& text, int code = errc::UsageBase) {
    throw EngineError(ErrorCategory::Usage, code, {text});
}

std::string text(const Value& v) { return v.isNull() ? std::string() : v.asText(); }

// Trace texts of parameter values: long values cut, binary values by size only.
std::string traceValue(const Value& v) {
    if (v.isNull()) return "NULL";
    if (v.is<Bytes>()) return "<" + std::to_string(v.get<Bytes>().size()) + " bytes>";
    std::string s = v.asText();
    if (s.size() > 200) s = s.substr(0, 200) + "...";
    return s;
}

ParamDesc paramOf(const FieldDef& f, ParamDirection dir) {
    ParamDesc p;
    p.name = f.name;
    p.direction = dir;
    p.type = f.type;
    return p;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Statements

FbStatement::FbStatement(FbConnection& conn, std::string sql) : conn_(conn), sql_(std::move(sql)) {
    Tracer& tr = conn_.tracer();
    if (tr.wants(TracePrepare)) tr.trace(TracePrepare, sql_);
    try {
        Status st;
        auto tra = conn_.statementTransaction();
        RunningCalls::Scope running(conn_.attachment()->calls());
        stmt_ = std::make_shared<Ref<IStatement>>(conn_.attachment()->get()->prepare(
            &st, tra->get(), 0, sql_.c_str(), SQL_DIALECT_V6, IStatement::PREPARE_PREFETCH_METADATA));
        type_ = (*stmt_)->getType(&st);
        inMeta_.reset((*stmt_)->getInputMetadata(&st));
        OutputMessage out((*stmt_)->getOutputMetadata(&st));
        outFields_ = out.fields();
        values_.resize(inMeta_->getCount(&st));
    } catch (const EngineError& e) {
        conn_.traceError(e);
        throw;
    }
}

std::vector<ParamDesc> FbStatement::params() const {
    std::vector<ParamDesc> out;
    std::size_t i = 0;
    for (const auto& t : messageTypes(inMeta_.get())) {
        FieldDef f = describeColumn(t, std::to_string(++i));
        out.push_back(paramOf(f, ParamDirection::Input));
    }
    return out;
}

void FbStatement::bind(std::size_t index, const Value& value, FieldType) {
    if (index >= values_.size())
        usage("Parameter " + std::to_string(index + 1) + " does not exist; the statement has " +
              std::to_string(values_.size()));
    values_[index] = value;
}

std::unique_ptr<Cursor> FbStatement::execute() {
    Tracer& tr = conn_.tracer();
    affected_ = 0;
    // Transaction statements of a script steer the connection's own transaction.
    switch (type_) {
    case isc_info_sql_stmt_start_trans:
        if (tr.wants(TraceExecute)) tr.trace(TraceExecute, sql_);
        if (!conn_.inTransaction()) conn_.begin();
        return nullptr;
    case isc_info_sql_stmt_commit:
        if (tr.wants(TraceExecute)) tr.trace(TraceExecute, sql_);
        if (conn_.inTransaction()) conn_.commit();
        return nullptr;
    case isc_info_sql_stmt_rollback:
        if (tr.wants(TraceExecute)) tr.trace(TraceExecute, sql_);
        if (conn_.inTransaction()) conn_.rollback();
        return nullptr;
    default: break;
    }

    if (tr.wants(TraceExecute)) tr.trace(TraceExecute, sql_);
    if (tr.wants(TraceDataIn))
        for (std::size_t i = 0; i < values_.size(); ++i)
            tr.trace(TraceDataIn, "Param " + std::to_string(i + 1) + " = " + traceValue(values_[i]));

    auto tra = conn_.statementTransaction();
    try {
        Status st;
        auto* att = conn_.attachment()->get();
        RunningCalls::Scope running(conn_.attachment()->calls());
        InputMessage in;
        in.build(inMeta_.get(), values_, att, tra->get());

        if (type_ == isc_info_sql_stmt_select || type_ == isc_info_sql_stmt_select_for_upd) {
            auto out = std::make_unique<OutputMessage>((*stmt_)->getOutputMetadata(&st));
            // Read forward: Firebird 3 evaluates and buffers every row of a scrollable cursor
            // (in the embedded engine, in this process) at its first fetch, and its network
            // protocol has none. FbCursor positions where a scrollable result is opened.
            bool scroll = false;
            Ref<Firebird::IResultSet> rs;
            if (scroll) {
                try {
                    rs.reset((*stmt_)->openCursor(&st, tra->get(), in.metadata(), in.buffer(), out->metadata(),
                                                  IStatement::CURSOR_TYPE_SCROLLABLE));
                } catch (const EngineError&) {
                    scroll = false;   // a server that has no scrollable cursors
                }
            }
            if (!scroll)
                rs.reset((*stmt_)->openCursor(&st, tra->get(), in.metadata(), in.buffer(), out->metadata(), 0));
            return std::make_unique<FbCursor>(conn_.attachment(), stmt_, std::move(tra),
                                              std::move(rs), std::move(out), scroll);
        }

        OutputMessage out((*stmt_)->getOutputMetadata(&st));
        bool rows = out.count() > 0;
        (*stmt_)->execute(&st, tra->get(), in.metadata(), in.buffer(),
                          rows ? out.metadata() : nullptr, rows ? out.buffer() : nullptr);
        affected_ = std::int64_t((*stmt_)->getAffectedRecords(&st));
        std::unique_ptr<Cursor> result;
        if (rows) {
            std::vector<Row> one{out.decode(att, tra->get())};
            result = std::make_unique<RowsCursor>(out.fields(), std::move(one));
        }
        if (tra->automatic()) tra->commit();
        return result;
    } catch (const EngineError& e) {
        if (tra->automatic()) {
            try {
                tra->rollback();
            } catch (const EngineError&) {
            }
        }
        conn_.traceError(e);
        throw;
    }
}

// ---------------------------------------------------------------------------------------------
// Stored procedures

FbProcCall::FbProcCall(FbConnection& conn, std::string name, std::vector<ParamDesc> params,
                       std::size_t inputs, bool selectable)
    : conn_(conn), name_(std::move(name)), params_(std::move(params)), inputs_(inputs),
      selectable_(selectable) {
    std::string args;
    for (std::size_t i = 0; i < inputs_; ++i) args += i ? ", ?" : "?";
    std::string sql = selectable_ ? "SELECT * FROM " + conn_.quoteIdentifier(name_)
                                  : "EXECUTE PROCEDURE " + conn_.quoteIdentifier(name_);
    if (inputs_) sql += "(" + args + ")";
    stmt_ = std::make_unique<FbStatement>(conn_, sql);
}

void FbProcCall::bind(std::size_t index, const Value& value, FieldType type) {
    if (index >= inputs_)
        usage(index < params_.size()
                  ? "Parameter " + params_[index].name + " is an output of " + name_
                  : "Procedure " + name_ + " has no parameter " + std::to_string(index + 1));
    stmt_->bind(index, value, type);
}

std::unique_ptr<Cursor> FbProcCall::execute(std::vector<Value>& outputs) {
    outputs.assign(params_.size(), Value());
    auto cursor = stmt_->execute();
    if (selectable_) return cursor;
    if (cursor) {
        std::vector<Row> rows;
        cursor->fetch(1, rows);
        if (!rows.empty())
            for (std::size_t i = 0; i < rows[0].values.size() && inputs_ + i < outputs.size(); ++i)
                outputs[inputs_ + i] = rows[0].values[i];
    }
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
// Tables

FbTableCursor::FbTableCursor(FbConnection& conn, std::string table, std::vector<FieldDef> fields,
                             std::vector<std::string> keyFields, const TableOpenOptions& options)
    : conn_(conn), table_(std::move(table)), fields_(std::move(fields)) {
    for (const auto& k : keyFields)
        for (std::size_t i = 0; i < fields_.size(); ++i)
            if (fields_[i].name == k) key_.push_back(i);
    if (key_.size() != keyFields.size()) key_.clear();
    // Rows carry their record version too: a change finds its row only in the version that
    // was read, so a row another user changed since is refused. Views have no record version.
    auto select = [&](bool versioned) {
        std::string sql = "SELECT ";
        for (const auto& f : fields_) sql += conn_.quoteIdentifier(f.name) + ", ";
        sql += versioned ? "RDB$DB_KEY, RDB$RECORD_VERSION FROM " : "RDB$DB_KEY FROM ";
        sql += conn_.quoteTable(table_);
        for (std::size_t i = 0; i < options.indexFieldNames.size(); ++i)
            sql += (i ? ", " : " ORDER BY ") + conn_.quoteIdentifier(options.indexFieldNames[i]);
        return sql;
    };
    try {
        sql_ = select(true);
        rows_ = FbStatement(conn_, sql_).execute();
        versioned_ = true;
    } catch (const EngineError&) {
        sql_ = select(false);
        rows_ = FbStatement(conn_, sql_).execute();
    }
}

bool FbTableCursor::seek(std::int64_t row) {
    // The rows read hold the snapshot of their transaction: after a change they are read anew.
    if (stale_) {
        rows_.reset();
        rows_ = FbStatement(conn_, sql_).execute();
        stale_ = false;
    }
    return rows_->seek(row);
}

// The key of a row: its RDB$DB_KEY, followed by the eight bytes of its record version.
void FbTableCursor::takeKey(Row& r) const {
    if (versioned_) {
        std::int64_t version = r.values.back().isNull() ? -1 : r.values.back().asInteger();
        r.values.pop_back();
        Bytes key = r.values.back().isNull() ? Bytes{} : r.values.back().get<Bytes>();
        for (int b = 0; b < 8; ++b) key.push_back(std::uint8_t(std::uint64_t(version) >> (8 * b)));
        r.key = Value(std::move(key));
    } else {
        r.key = std::move(r.values.back());
    }
    r.values.pop_back();
}

bool FbTableCursor::fetch(std::size_t maxRows, std::vector<Row>& out) {
    std::size_t first = out.size();
    bool more = rows_->fetch(maxRows, out);
    for (std::size_t i = first; i < out.size(); ++i) takeKey(out[i]);
    return more;
}

std::int64_t FbTableCursor::rowCount() {
    FbStatement st(conn_, "SELECT COUNT(*) FROM " + conn_.quoteTable(table_));
    std::vector<Row> rows;
    if (auto c = st.execute()) c->fetch(1, rows);
    return rows.empty() || rows[0].values.empty() ? -1 : rows[0].values[0].asInteger();
}

std::string FbTableCursor::returning() const {
    std::string sql = " RETURNING ";
    for (const auto& f : fields_) sql += conn_.quoteIdentifier(f.name) + ", ";
    return sql + (versioned_ ? "RDB$DB_KEY, RDB$RECORD_VERSION" : "RDB$DB_KEY");
}

std::string FbTableCursor::where(const Row& row, std::vector<Value>& params) const {
    Value dbKey = row.key;
    std::int64_t version = -1;
    if (versioned_) {
        if (!row.key.is<Bytes>() || row.key.get<Bytes>().size() < 8) throw recordChangedError();
        const Bytes& k = row.key.get<Bytes>();
        std::uint64_t v = 0;
        for (int b = 0; b < 8; ++b) v |= std::uint64_t(k[k.size() - 8 + std::size_t(b)]) << (8 * b);
        version = std::int64_t(v);
        dbKey = Value(Bytes(k.begin(), k.end() - 8));
    }
    std::string sql;
    if (key_.empty()) {
        params.push_back(dbKey);
        sql = " WHERE RDB$DB_KEY = ?";
    } else {
        sql = " WHERE ";
        for (std::size_t i = 0; i < key_.size(); ++i) {
            sql += (i ? " AND " : "") + conn_.quoteIdentifier(fields_[key_[i]].name) + " = ?";
            params.push_back(row.values[key_[i]]);
        }
    }
    if (versioned_ && version >= 0) {
        sql += " AND RDB$RECORD_VERSION = ?";
        params.push_back(Value(version));
    }
    return sql;
}

Row FbTableCursor::changed(Cursor* result, std::int64_t affected) {
    std::vector<Row> rows;
    if (affected > 0 && result) result->fetch(1, rows);
    if (rows.empty())
        throw recordChangedError();
    Row row = std::move(rows[0]);
    takeKey(row);
    return row;
}

Row FbTableCursor::insertRow(const std::vector<Value>& values) {
    // Fields left null are left out, so that defaults and identity columns fill them.
    std::string cols, marks;
    std::vector<Value> params;
    for (std::size_t i = 0; i < fields_.size() && i < values.size(); ++i) {
        if (values[i].isNull()) continue;
        cols += (params.empty() ? "" : ", ") + conn_.quoteIdentifier(fields_[i].name);
        marks += params.empty() ? "?" : ", ?";
        params.push_back(values[i]);
    }
    std::string sql = "INSERT INTO " + conn_.quoteTable(table_) +
                      (params.empty() ? " DEFAULT VALUES" : " (" + cols + ") VALUES (" + marks + ")") +
                      returning();
    FbStatement st(conn_, sql);
    for (std::size_t i = 0; i < params.size(); ++i) st.bind(i, params[i], FieldType::Unknown);
    auto result = st.execute();
    stale_ = true;
    return changed(result.get(), st.rowsAffected());
}

Row FbTableCursor::updateRow(const Row& old, const std::vector<Value>& values) {
    std::string sets;
    std::vector<Value> params;
    for (std::size_t i = 0; i < fields_.size() && i < values.size(); ++i) {
        if (i < old.values.size() && values[i] == old.values[i]) continue;
        sets += (params.empty() ? "" : ", ") + conn_.quoteIdentifier(fields_[i].name) + " = ?";
        params.push_back(values[i]);
    }
    if (params.empty()) return old;
    std::string sql = "UPDATE " + conn_.quoteTable(table_) + " SET " + sets + where(old, params) + returning();
    FbStatement st(conn_, sql);
    for (std::size_t i = 0; i < params.size(); ++i) st.bind(i, params[i], FieldType::Unknown);
    auto result = st.execute();
    stale_ = true;
    return changed(result.get(), st.rowsAffected());
}

void FbTableCursor::deleteRow(const Row& row) {
    std::vector<Value> params;
    FbStatement st(conn_, "DELETE FROM " + conn_.quoteTable(table_) + where(row, params));
    for (std::size_t i = 0; i < params.size(); ++i) st.bind(i, params[i], FieldType::Unknown);
    st.execute();
    stale_ = true;
    if (st.rowsAffected() < 1)
        throw recordChangedError();
}

// ---------------------------------------------------------------------------------------------
// The connection

FbConnection::FbConnection(const ConnectParams& params, Tracer& tracer)
    : tracer_(tracer), target_(params.target) {
    if (target_.empty())
        throw EngineError(ErrorCategory::Connect, errc::ConnectBase,
                          {"Unable to open the database.", "No database file or server path was given"});
    // With no login given, the one Firebird's own tools take from the environment.
    auto orEnvironment = [](std::string value, const char* variable) {
        const char* env = value.empty() ? std::getenv(variable) : nullptr;
        return env ? std::string(env) : value;
    };
    const std::string user = orEnvironment(params.param("USER NAME"), "ISC_USER");
    const std::string password = orEnvironment(params.param("PASSWORD"), "ISC_PASSWORD");
    const std::string charset = params.param("CHARSET", params.param("LC_CTYPE", "UTF8"));
    const std::string role = params.param("ROLE NAME");
    auto number = [&](const char* name, int def) {
        try {
            return std::stoi(params.param(name, std::to_string(def)));
        } catch (const std::exception&) {
            throw EngineError(ErrorCategory::Config, errc::ConfigBase,
                              {std::string("Invalid value of ") + name + ": " + params.param(name)});
        }
    };
    const int timeout = number("CONNECT TIMEOUT", 15);
    const int pageSize = number("PAGE SIZE", 0);

    auto dpbFor = [&](bool create) {
        Status st;
        Ref<Firebird::IXpbBuilder> dpb(util()->getXpbBuilder(&st, Firebird::IXpbBuilder::DPB, nullptr, 0));
        if (!user.empty()) dpb->insertString(&st, isc_dpb_user_name, user.c_str());
        if (!password.empty()) dpb->insertString(&st, isc_dpb_password, password.c_str());
        if (!role.empty()) dpb->insertString(&st, isc_dpb_sql_role_name, role.c_str());
        dpb->insertString(&st, isc_dpb_lc_ctype, charset.c_str());
        if (timeout > 0) dpb->insertInt(&st, isc_dpb_connect_timeout, timeout);
        if (create) {
            dpb->insertString(&st, isc_dpb_set_db_charset, charset.c_str());
            dpb->insertInt(&st, isc_dpb_sql_dialect, SQL_DIALECT_V6);
            if (pageSize > 0) dpb->insertInt(&st, isc_dpb_page_size, pageSize);
        }
        return dpb;
    };

    if (tracer_.wants(TraceConnect))
        tracer_.trace(TraceConnect, "Connect " + target_ + (user.empty() ? "" : " USER NAME=" + user));
    Status st;
    Ref<Firebird::IProvider> provider(master()->getDispatcher());
    try {
        try {
            auto dpb = dpbFor(false);
            att_ = std::make_shared<Attachment>(provider->attachDatabase(
                &st, target_.c_str(), dpb->getBufferLength(&st), dpb->getBuffer(&st)));
        } catch (const EngineError& e) {
            if (!isTrue(params.param("CREATE")) || e.nativeCode() != isc_io_error) throw;
            if (tracer_.wants(TraceConnect)) tracer_.trace(TraceConnect, "Create database " + target_);
            auto dpb = dpbFor(true);
            att_ = std::make_shared<Attachment>(provider->createDatabase(
                &st, target_.c_str(), dpb->getBufferLength(&st), dpb->getBuffer(&st)));
        }
    } catch (const EngineError& e) {
        traceError(e);
        throw;
    }
}

FbConnection::~FbConnection() {
    try {
        if (inTransaction()) rollback();   // an open explicit transaction rolls back
    } catch (const EngineError&) {
    }
    explicit_.reset();
    if (att_ && tracer_.wants(TraceConnect)) tracer_.trace(TraceConnect, "Disconnect " + target_);
}

void FbConnection::traceError(const EngineError& e) {
    if (tracer_.wants(TraceError)) tracer_.trace(TraceError, e.what());
}

std::shared_ptr<Transaction> FbConnection::statementTransaction() {
    if (inTransaction() && !autonomous_) return explicit_;
    return std::make_shared<Transaction>(att_, true);
}

Capabilities FbConnection::capabilities() const {
    Capabilities c;
    c.sqlBased = true;
    c.transactions = true;
    c.storedProcedures = true;
    c.freeIndexNames = true;
    c.countWithoutFetch = true;
    return c;
}

std::vector<Row> FbConnection::query(const std::string& sql, const std::vector<Value>& values) {
    FbStatement st(*this, sql);
    for (std::size_t i = 0; i < values.size(); ++i) st.bind(i, values[i], FieldType::Unknown);
    std::vector<Row> rows;
    if (auto cur = st.execute())
        while (cur->fetch(1024, rows)) {
        }
    return rows;
}

void FbConnection::run(const std::string& sql) { FbStatement(*this, sql).execute(); }

void FbConnection::runDdl(const std::string& sql) {
    struct Scope {
        bool& flag;
        bool saved;
        ~Scope() { flag = saved; }
    } scope{autonomous_, autonomous_};
    autonomous_ = true;
    run(sql);
}

void FbConnection::dropCreatedTables() {
    auto tables = std::move(createdInTx_);
    createdInTx_.clear();
    std::vector<std::string> failed;
    for (auto it = tables.rbegin(); it != tables.rend(); ++it) {
        try {
            runDdl("DROP TABLE " + quoteTable(*it));
        } catch (const EngineError& e) {
            failed.push_back(*it + ": " + e.what());
        }
    }
    if (!failed.empty()) {
        std::vector<std::string> lines{"The transaction was rolled back, but tables it created remain"};
        lines.insert(lines.end(), failed.begin(), failed.end());
        throw EngineError(ErrorCategory::Sql, errc::SqlBase, lines);
    }
}

std::string FbConnection::catalogName(const std::string& relation) {
    static const char* sql = "SELECT 1 FROM RDB$RELATIONS WHERE RDB$RELATION_NAME = ?";
    if (!query(sql, {relation}).empty()) return relation;
    std::string up = upper(relation);
    if (up != relation && !query(sql, {up}).empty()) return up;
    throw EngineError(ErrorCategory::Sql, errc::SqlBase,
                      {"Table does not exist: " + relation}, 0);
}

std::vector<TableEntry> FbConnection::tables(bool includeSystem) {
    std::string sql =
        "SELECT TRIM(RDB$RELATION_NAME), CASE WHEN RDB$VIEW_BLR IS NULL THEN 0 ELSE 1 END, "
        "COALESCE(RDB$SYSTEM_FLAG, 0) FROM RDB$RELATIONS";
    if (!includeSystem) sql += " WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0";
    sql += " ORDER BY 1";
    std::vector<TableEntry> out;
    for (const auto& r : query(sql)) {
        TableEntry e;
        e.name = text(r.values[0]);
        e.view = r.values[1].asInteger() != 0;
        e.type = r.values[2].asInteger() != 0 ? "SYSTEM TABLE" : e.view ? "VIEW" : "TABLE";
        out.push_back(std::move(e));
    }
    return out;
}

std::vector<std::string> FbConnection::storedProcedures() {
    std::vector<std::string> out;
    for (const auto& r : query("SELECT TRIM(RDB$PROCEDURE_NAME) FROM RDB$PROCEDURES "
                               "WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 AND RDB$PACKAGE_NAME IS NULL "
                               "ORDER BY 1"))
        out.push_back(text(r.values[0]));
    return out;
}

namespace {
// The columns of RDB$FIELDS that describe a type, for table columns and procedure parameters.
const char* kFieldColumns =
    "F.RDB$FIELD_TYPE, COALESCE(F.RDB$FIELD_SUB_TYPE, 0), COALESCE(F.RDB$FIELD_LENGTH, 0), "
    "COALESCE(F.RDB$FIELD_SCALE, 0), COALESCE(F.RDB$FIELD_PRECISION, 0), "
    "COALESCE(F.RDB$CHARACTER_LENGTH, 0), COALESCE(F.RDB$CHARACTER_SET_ID, 0)";

CatalogType catalogType(const Row& r, std::size_t first) {
    CatalogType t;
    t.fieldType = int(r.values[first].asInteger());
    t.subType = int(r.values[first + 1].asInteger());
    t.length = int(r.values[first + 2].asInteger());
    t.scale = int(r.values[first + 3].asInteger());
    t.precision = int(r.values[first + 4].asInteger());
    t.charLength = int(r.values[first + 5].asInteger());
    t.charSet = int(r.values[first + 6].asInteger());
    return t;
}
}  // namespace

std::vector<FieldDef> FbConnection::fieldDefs(const std::string& table) {
    std::string name = catalogName(table);
    std::string sql = std::string("SELECT TRIM(RF.RDB$FIELD_NAME), ") + kFieldColumns +
                      ", COALESCE(RF.RDB$NULL_FLAG, F.RDB$NULL_FLAG, 0), "
                      "CASE WHEN RF.RDB$IDENTITY_TYPE IS NULL THEN 0 ELSE 1 END "
                      "FROM RDB$RELATION_FIELDS RF JOIN RDB$FIELDS F ON F.RDB$FIELD_NAME = RF.RDB$FIELD_SOURCE "
                      "WHERE RF.RDB$RELATION_NAME = ? ORDER BY RF.RDB$FIELD_POSITION";
    std::vector<FieldDef> out;
    for (const auto& r : query(sql, {name})) {
        CatalogType t = catalogType(r, 1);
        t.identity = r.values[9].asInteger() != 0;
        FieldDef f = describeCatalogColumn(t, text(r.values[0]));
        f.required = r.values[8].asInteger() != 0;
        out.push_back(std::move(f));
    }
    return out;
}

std::vector<IndexDef> FbConnection::indexDefs(const std::string& table) {
    std::string name = catalogName(table);
    const char* sql =
        "SELECT TRIM(I.RDB$INDEX_NAME), COALESCE(I.RDB$UNIQUE_FLAG, 0), COALESCE(I.RDB$INDEX_TYPE, 0), "
        "TRIM(RC.RDB$CONSTRAINT_TYPE), TRIM(S.RDB$FIELD_NAME), I.RDB$EXPRESSION_SOURCE "
        "FROM RDB$INDICES I "
        "LEFT JOIN RDB$INDEX_SEGMENTS S ON S.RDB$INDEX_NAME = I.RDB$INDEX_NAME "
        "LEFT JOIN RDB$RELATION_CONSTRAINTS RC ON RC.RDB$INDEX_NAME = I.RDB$INDEX_NAME "
        "WHERE I.RDB$RELATION_NAME = ? ORDER BY I.RDB$INDEX_NAME, S.RDB$FIELD_POSITION";
    std::vector<IndexDef> out;
    for (const auto& r : query(sql, {name})) {
        std::string index = text(r.values[0]);
        if (out.empty() || out.back().name != index) {
            IndexDef d;
            d.name = index;
            d.primary = text(r.values[3]) == "PRIMARY KEY";
            d.unique = r.values[1].asInteger() != 0 || d.primary;
            d.descending = r.values[2].asInteger() == 1;
            d.expression = text(r.values[5]);
            out.push_back(std::move(d));
        }
        if (!r.values[4].isNull()) out.back().fields.push_back(text(r.values[4]));
    }
    return out;
}

std::unique_ptr<Statement> FbConnection::prepare(const std::string& sql) {
    return std::make_unique<FbStatement>(*this, sql);
}

std::unique_ptr<Cursor> FbConnection::openTable(const std::string& table, const TableOpenOptions& options) {
    std::string name = catalogName(table);
    std::vector<std::string> key;
    for (const auto& ix : indexDefs(name))
        if (ix.primary) key = ix.fields;
    return std::make_unique<FbTableCursor>(*this, name, fieldDefs(name), std::move(key), options);
}

std::unique_ptr<ProcCall> FbConnection::prepareProc(const std::string& name) {
    const char* procSql = "SELECT COALESCE(RDB$PROCEDURE_TYPE, 0) FROM RDB$PROCEDURES "
                          "WHERE RDB$PROCEDURE_NAME = ? AND RDB$PACKAGE_NAME IS NULL";
    std::string stored = name;
    auto found = query(procSql, {stored});
    if (found.empty() && upper(name) != name) found = query(procSql, {stored = upper(name)});
    if (found.empty())
        throw EngineError(ErrorCategory::Sql, errc::SqlBase,
                          {"Stored procedure does not exist: " + name});
    std::string sql = std::string("SELECT TRIM(P.RDB$PARAMETER_NAME), P.RDB$PARAMETER_TYPE, ") +
                      kFieldColumns +
                      " FROM RDB$PROCEDURE_PARAMETERS P JOIN RDB$FIELDS F ON F.RDB$FIELD_NAME = P.RDB$FIELD_SOURCE "
                      "WHERE P.RDB$PROCEDURE_NAME = ? AND P.RDB$PACKAGE_NAME IS NULL "
                      "ORDER BY P.RDB$PARAMETER_TYPE, P.RDB$PARAMETER_NUMBER";
    std::vector<ParamDesc> params;
    std::size_t inputs = 0;
    for (const auto& r : query(sql, {stored})) {
        bool output = r.values[1].asInteger() == 1;
        FieldDef f = describeCatalogColumn(catalogType(r, 2), text(r.values[0]));
        params.push_back(paramOf(f, output ? ParamDirection::Output : ParamDirection::Input));
        if (!output) ++inputs;
    }
    // Type 1 is selectable (SUSPEND), 2 executable; databases of old servers leave it unset.
    bool selectable = found[0].values[0].asInteger() == 1;
    return std::make_unique<FbProcCall>(*this, stored, std::move(params), inputs, selectable);
}

void FbConnection::begin() {
    if (inTransaction()) usage("A transaction is already active");
    if (tracer_.wants(TraceTransaction)) tracer_.trace(TraceTransaction, "Start transaction");
    try {
        explicit_ = std::make_shared<Transaction>(att_, false);
    } catch (const EngineError& e) {
        traceError(e);
        throw;
    }
}

void FbConnection::commit() {
    if (!inTransaction()) usage("No transaction is active");
    if (tracer_.wants(TraceTransaction)) tracer_.trace(TraceTransaction, "Commit");
    try {
        explicit_->commit();
    } catch (const EngineError& e) {
        traceError(e);
        throw;   // still active: the caller may roll back
    }
    explicit_.reset();
    createdInTx_.clear();
}

void FbConnection::rollback() {
    if (!inTransaction()) usage("No transaction is active");
    if (tracer_.wants(TraceTransaction)) tracer_.trace(TraceTransaction, "Rollback");
    auto tra = std::move(explicit_);
    try {
        tra->rollback();
        tra.reset();
        dropCreatedTables();
    } catch (const EngineError& e) {
        traceError(e);
        throw;
    }
}

void FbConnection::createTable(const std::string& table, const std::vector<FieldDef>& fields,
                               const std::vector<IndexDef>& indexes) {
    if (fields.empty()) usage("A table needs at least one field");
    std::vector<std::string> primary;
    for (const auto& ix : indexes)
        if (ix.primary) primary = ix.fields;
    std::string sql = "CREATE TABLE " + quoteTable(table) + " (";
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const FieldDef& f = fields[i];
        sql += (i ? ", " : "") + quoteIdentifier(f.name) + " " + nativeColumnType("INTRBASE", f);
        bool autoInc = f.subType == subtype::AUTOINC &&
                       (f.logicalType == logical::INT32 || f.logicalType == logical::INT64);
        if (autoInc) sql += " GENERATED BY DEFAULT AS IDENTITY";
        bool inKey = std::find(primary.begin(), primary.end(), f.name) != primary.end();
        if (f.required || inKey) sql += " NOT NULL";
    }
    if (!primary.empty()) {
        sql += ", PRIMARY KEY (";
        for (std::size_t i = 0; i < primary.size(); ++i) sql += (i ? ", " : "") + quoteIdentifier(primary[i]);
        sql += ")";
    }
    sql += ")";
    runDdl(sql);
    if (inTransaction()) createdInTx_.push_back(table);
    for (const auto& ix : indexes) {
        if (ix.primary) continue;
        IndexDef named = ix;
        named.name = freeIndexName(table, ix.name.empty() && !ix.fields.empty() ? ix.fields.front() : ix.name);
        createIndex(table, named);
    }
}

namespace {
constexpr std::size_t kMaxIdentifier = 31;   // bytes, Firebird 3

// s cut to at most n bytes, never inside a UTF-8 sequence.
std::string cutUtf8(const std::string& s, std::size_t n) {
    if (s.size() <= n) return s;
    while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
    return s.substr(0, n);
}
}  // namespace

// Index names are database-wide on Firebird, so the indexes of two tables copied into one
// database may ask for the same name: the name as given when free, else TABLE_INDEX, else
// TABLE_INDEX_2, _3 ..., each within the identifier length. Explicit createIndex calls keep
// the caller's name (and fail on a taken one).
std::string FbConnection::freeIndexName(const std::string& table, const std::string& wanted) {
    struct Scope {
        bool& flag;
        bool saved;
        ~Scope() { flag = saved; }
    } scope{autonomous_, autonomous_};
    autonomous_ = true;   // sees the DDL committed by runDdl, whatever the explicit snapshot holds
    auto taken = [&](const std::string& name) {
        return !query("SELECT 1 FROM RDB$INDICES WHERE RDB$INDEX_NAME = ? UNION ALL "
                      "SELECT 1 FROM RDB$RELATION_CONSTRAINTS WHERE RDB$CONSTRAINT_NAME = ?",
                      {name, name})
                    .empty();
    };
    if (!wanted.empty() && wanted.size() <= kMaxIdentifier && !taken(wanted)) return wanted;
    std::string base = cutUtf8(table + "_" + wanted, kMaxIdentifier);
    if (!taken(base)) return base;
    for (int n = 2;; ++n) {
        std::string suffix = "_" + std::to_string(n);
        std::string name = cutUtf8(base, kMaxIdentifier - suffix.size()) + suffix;
        if (!taken(name)) return name;
    }
}

void FbConnection::dropTable(const std::string& table) {
    runDdl("DROP TABLE " + quoteTable(table));
    createdInTx_.erase(std::remove(createdInTx_.begin(), createdInTx_.end(), table), createdInTx_.end());
}

void FbConnection::emptyTable(const std::string& table) { run("DELETE FROM " + quoteTable(table)); }

void FbConnection::renameTable(const std::string&, const std::string&) {
    usage("Firebird cannot rename tables", errc::NotSupported);
}

void FbConnection::createIndex(const std::string& table, const IndexDef& index) {
    if (index.primary) {
        std::string sql = "ALTER TABLE " + quoteTable(table) + " ADD ";
        if (!index.name.empty()) sql += "CONSTRAINT " + quoteIdentifier(index.name) + " ";
        sql += "PRIMARY KEY (";
        for (std::size_t i = 0; i < index.fields.size(); ++i)
            sql += (i ? ", " : "") + quoteIdentifier(index.fields[i]);
        runDdl(sql + ")");
        return;
    }
    if (index.name.empty()) usage("An index needs a name");
    std::string sql = "CREATE ";
    if (index.unique) sql += "UNIQUE ";
    if (index.descending) sql += "DESCENDING ";
    sql += "INDEX " + quoteIdentifier(index.name) + " ON " + quoteTable(table);
    if (!index.expression.empty() && index.fields.empty()) {
        sql += " COMPUTED BY (" + index.expression + ")";
    } else {
        sql += " (";
        for (std::size_t i = 0; i < index.fields.size(); ++i)
            sql += (i ? ", " : "") + quoteIdentifier(index.fields[i]);
        sql += ")";
    }
    runDdl(sql);
}

void FbConnection::dropIndex(const std::string&, const std::string& index) {
    runDdl("DROP INDEX " + quoteIdentifier(index));
}

namespace {
// Rows per EXECUTE BLOCK of a bulk append: each round trip to the server carries this many
// inserts, within the limit on a statement's parameters.
std::size_t rowsPerBlock(std::size_t columns) {
    constexpr std::size_t kMaxRows = 64, kMaxParams = 1500;
    return std::max<std::size_t>(1, std::min(kMaxRows, kMaxParams / std::max<std::size_t>(1, columns)));
}
}  // namespace

std::int64_t FbConnection::appendRows(const std::string& table, const std::vector<std::string>& columns,
                                      Cursor& source, const std::vector<int>& sourceColumns,
                                      Progress* progress) {
    // Outside a transaction the rows go in together: all of them or, on failure, none.
    bool own = !inTransaction();
    if (own) begin();
    try {
        auto moved = appendInBlocks(table, columns, source, sourceColumns, progress);
        if (own) commit();
        return moved;
    } catch (...) {
        if (own && inTransaction()) {
            try {
                rollback();
            } catch (const EngineError&) {
            }
        }
        throw;
    }
}

// The rows go to the server many at a time: one prepared EXECUTE BLOCK whose parameters have
// the destination columns' own types (so the server converts each value exactly as for a
// single INSERT) and whose body inserts each row; the rows left over at the end go through a
// prepared single-row INSERT.
std::int64_t FbConnection::appendInBlocks(const std::string& table, const std::vector<std::string>& columns,
                                          Cursor& source, const std::vector<int>& sourceColumns,
                                          Progress* progress) {
    const std::size_t ncols = columns.size();
    const std::string target = quoteTable(table);
    std::string list, marks;
    for (std::size_t i = 0; i < ncols; ++i) {
        list += (i ? ", " : "") + quoteIdentifier(columns[i]);
        marks += i ? ", ?" : "?";
    }
    FbStatement one(*this, "INSERT INTO " + target + " (" + list + ") VALUES (" + marks + ")");
    const std::size_t perBlock = rowsPerBlock(ncols);
    std::unique_ptr<FbStatement> many;
    if (perBlock > 1) {
        std::string sql = "EXECUTE BLOCK (", body;
        for (std::size_t r = 0; r < perBlock; ++r) {
            body += "INSERT INTO " + target + " (" + list + ") VALUES (";
            for (std::size_t c = 0; c < ncols; ++c) {
                std::string p = "P" + std::to_string(r) + "_" + std::to_string(c);
                sql += (r || c ? ", " : "") + p + " TYPE OF COLUMN " + target + "." + quoteIdentifier(columns[c]) + " = ?";
                body += (c ? ", :" : ":") + p;
            }
            body += ");\n";
        }
        sql += ")\nAS BEGIN\n" + body + "END";
        many = std::make_unique<FbStatement>(*this, sql);
    }

    const auto& srcFields = source.fields();
    std::vector<FieldType> types;
    for (int sc : sourceColumns) types.push_back(sc < 0 ? FieldType::Unknown : srcFields[std::size_t(sc)].type);
    std::vector<Value> pending;   // rows read and not yet sent, ncols values each
    pending.reserve(perBlock * ncols);
    auto sendBlock = [&] {
        for (std::size_t i = 0; i < pending.size(); ++i) many->bind(i, pending[i], types[i % ncols]);
        many->execute();
        pending.clear();
    };
    std::int64_t total = source.rowCount(), moved = 0;
    std::vector<Row> rows;
    bool more = true;
    while (more) {
        more = source.fetchInto(1024, rows);
        for (const auto& row : rows) {
            for (std::size_t i = 0; i < ncols; ++i) {
                int sc = sourceColumns[i];
                if (sc < 0 || std::size_t(sc) >= row.values.size()) pending.emplace_back();
                else pending.push_back(row.values[std::size_t(sc)]);
            }
            if (many && pending.size() == perBlock * ncols) sendBlock();
            if (!many) {
                for (std::size_t i = 0; i < ncols; ++i) one.bind(i, pending[i], types[i]);
                one.execute();
                pending.clear();
            }
        }
        moved += std::int64_t(rows.size());
        if (progress && !progress->step(moved, total))
            throw EngineError(ErrorCategory::Cancelled, "Cancelled by the user");
    }
    for (std::size_t r = 0; r * ncols < pending.size(); ++r) {
        for (std::size_t i = 0; i < ncols; ++i) one.bind(i, pending[r * ncols + i], types[i]);
        one.execute();
    }
    return moved;
}

}  // namespace vlm::engine::firebird
