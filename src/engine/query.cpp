// Query: SQL text with parameters on a database; parseParameters turns ":NAME" markers into the
// drivers' positional markers.
#include "query.h"

#include <cctype>

#include "dbref.h"
#include "error.h"

namespace vlm::engine {

namespace {

bool paramChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$' || c == '#' ||
           static_cast<unsigned char>(c) >= 0x80;
}

Param named(std::string name) {
    Param p;
    p.name = std::move(name);
    return p;
}

bool sameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// Reads the query's rows from the driver; adds what the engine gives every query: read-only
// unless RequestLive, and a record count by "select count(*)" where the server can count.
class QueryCursor : public Cursor {
public:
    QueryCursor(std::unique_ptr<Cursor> inner, bool live, std::function<std::int64_t()> counter)
        : inner_(std::move(inner)), live_(live), counter_(std::move(counter)) {}
    const std::vector<FieldDef>& fields() const override { return inner_->fields(); }
    bool fetch(std::size_t maxRows, std::vector<Row>& out) override { return inner_->fetch(maxRows, out); }
    bool fetchInto(std::size_t maxRows, std::vector<Row>& out) override { return inner_->fetchInto(maxRows, out); }
    bool fetchLazy(std::size_t maxRows, std::vector<Row>& out) override { return inner_->fetchLazy(maxRows, out); }
    std::int64_t rowCount() override {
        std::int64_t n = inner_->rowCount();
        if (n < 0 && counter_) n = counter_();
        return n;
    }
    // The count query runs when asked for (a record count, the last row), never on open.
    std::int64_t countKnown() override { return inner_->countKnown(); }
    bool seek(std::int64_t i) override { return inner_->seek(i); }
    bool canModify() const override { return live_ && inner_->canModify(); }
    Row insertRow(const std::vector<Value>& v) override { return live_ ? inner_->insertRow(v) : Cursor::insertRow(v); }
    Row updateRow(const Row& o, const std::vector<Value>& v) override {
        return live_ ? inner_->updateRow(o, v) : Cursor::updateRow(o, v);
    }
    void deleteRow(const Row& r) override { live_ ? inner_->deleteRow(r) : Cursor::deleteRow(r); }

private:
    std::unique_ptr<Cursor> inner_;
    bool live_;
    std::function<std::int64_t()> counter_;
};

}  // namespace

ParsedSql parseParameters(const std::string& sql) {
    ParsedSql out;
    std::string& t = out.text;
    std::size_t i = 0, n = sql.size();
    while (i < n) {
        char c = sql[i];
        if (c == '\'' || c == '"' || c == '`') {
            // Quoted text and quoted identifiers: doubled quotes stay inside.
            std::size_t j = i + 1;
            while (j < n) {
                if (sql[j] == c) {
                    if (j + 1 < n && sql[j + 1] == c) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            t.append(sql, i, std::min(j + 1, n) - i);
            i = j + 1;
        } else if (c == '-' && i + 1 < n && sql[i + 1] == '-') {
            std::size_t j = sql.find('\n', i);
            if (j == std::string::npos) j = n;
            t.append(sql, i, j - i);
            i = j;
        } else if (c == '/' && i + 1 < n && sql[i + 1] == '*') {
            std::size_t j = sql.find("*/", i + 2);
            j = j == std::string::npos ? n : j + 2;
            t.append(sql, i, j - i);
            i = j;
        } else if (c == ':' && i + 1 < n && sql[i + 1] == ':') {
            t += ':';
            i += 2;
        } else if (c == ':' && i + 1 < n && sql[i + 1] == '"') {
            std::size_t j = sql.find('"', i + 2);
            if (j == std::string::npos) {
                t.append(sql, i, n - i);
                break;
            }
            out.params.push_back(named(sql.substr(i + 2, j - i - 2)));
            t += '?';
            i = j + 1;
        } else if (c == ':' && i + 1 < n && paramChar(sql[i + 1])) {
            std::size_t j = i + 1;
            while (j < n && paramChar(sql[j])) ++j;
            out.params.push_back(named(sql.substr(i + 1, j - i - 1)));
            t += '?';
            i = j;
        } else if (c == '?') {
            out.params.push_back(Param{});
            t += '?';
            ++i;
        } else {
            t += c;
            ++i;
        }
    }
    return out;
}

struct Query::Impl {
    DatabaseRef db;
    std::unique_ptr<Statement> stmt;
    Connection* conn = nullptr;
    std::string parsedFrom;    // the SQL text params_ were parsed from
    std::string driverText;
};

Query::Query() : impl_(std::make_unique<Impl>()) {}

Query::~Query() {
    close();
    impl_->stmt.reset();
}

void Query::setDatabaseName(const std::string& name) {
    close();
    unprepare();
    dbName_ = name;
    impl_->db.set(name);
}

void Query::setDatabase(Database* db) {
    close();
    unprepare();
    impl_->db.set(db);
    dbName_ = impl_->db.name;
}

void Query::setSql(const std::string& text) {
    close();
    unprepare();
    sql_.clear();
    std::size_t start = 0;
    for (;;) {
        auto nl = text.find('\n', start);
        std::string line = text.substr(start, nl == std::string::npos ? std::string::npos : nl - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        sql_.push_back(line);
        if (nl == std::string::npos) break;
        start = nl + 1;
    }
    // Parse now so that parameters can be set before prepare; values of names seen before stay.
    auto parsed = parseParameters(sqlText());
    for (auto& p : parsed.params) {
        if (p.name.empty()) continue;
        for (const auto& old : params_)
            if (sameName(old.name, p.name)) {
                p = old;
                break;
            }
    }
    params_ = std::move(parsed.params);
    impl_->parsedFrom = sqlText();
    impl_->driverText = parsed.text;
}

std::string Query::sqlText() const {
    std::string s;
    for (std::size_t i = 0; i < sql_.size(); ++i) s += (i ? "\n" : "") + sql_[i];
    return s;
}

Param& Query::paramByName(const std::string& name) {
    if (impl_->parsedFrom != sqlText()) setSql(sqlText());
    for (auto& p : params_)
        if (sameName(p.name, name)) return p;
    throw EngineError(ErrorCategory::Usage, errc::UsageBase, {"Parameter '" + name + "' not found"});
}

Param& Query::param(std::size_t index) {
    if (index >= params_.size())
        throw EngineError(ErrorCategory::Usage, errc::UsageBase,
                          {"Parameter index " + std::to_string(index) + " out of range"});
    return params_[index];
}

void Query::prepare() {
    if (impl_->stmt) return;
    if (impl_->parsedFrom != sqlText()) setSql(sqlText());
    Connection& c = impl_->db.connection();
    impl_->stmt = c.prepare(impl_->driverText);
    impl_->conn = &c;
}

void Query::unprepare() {
    close();
    impl_->stmt.reset();
    impl_->conn = nullptr;
}

bool Query::prepared() const { return impl_->stmt != nullptr; }
Connection* Query::preparedConnection() const { return impl_->conn; }

namespace {
// A named parameter takes the value of the first parameter of its name, so one paramByName
// sets every occurrence.
const Param& effective(const std::vector<Param>& params, std::size_t i) {
    const Param& p = params[i];
    if (p.name.empty()) return p;
    for (const auto& q : params)
        if (sameName(q.name, p.name)) return q;
    return p;
}
}  // namespace

void Query::execSql() {
    close();
    if (impl_->parsedFrom != sqlText()) unprepare();
    prepare();
    for (std::size_t i = 0; i < params_.size(); ++i) {
        const Param& p = effective(params_, i);
        impl_->stmt->bind(i, p.value, p.dataType);
    }
    auto cur = impl_->stmt->execute();
    rowsAffected_ = impl_->stmt->rowsAffected();
}

std::unique_ptr<Cursor> Query::openCursor() {
    if (impl_->parsedFrom != sqlText()) {
        impl_->stmt.reset();
        setSql(sqlText());
    }
    prepare();
    for (std::size_t i = 0; i < params_.size(); ++i) {
        const Param& p = effective(params_, i);
        impl_->stmt->bind(i, p.value, p.dataType);
    }
    auto cur = impl_->stmt->execute();
    rowsAffected_ = impl_->stmt->rowsAffected();
    if (!cur)
        throw EngineError(ErrorCategory::Usage, errc::UsageBase,
                          {"The statement returns no result set: use execSql for it"});
    std::function<std::int64_t()> counter;
    Connection* conn = impl_->conn;
    if (conn && conn->capabilities().countWithoutFetch) {
        std::string text = impl_->driverText;
        while (!text.empty() && (std::isspace(static_cast<unsigned char>(text.back())) || text.back() == ';'))
            text.pop_back();
        std::vector<Param> params;
        for (std::size_t i = 0; i < params_.size(); ++i) params.push_back(effective(params_, i));
        counter = [conn, text, params]() -> std::int64_t {
            try {
                auto st = conn->prepare("select count(*) from (" + text + "\n) vlm_count");
                for (std::size_t i = 0; i < params.size(); ++i) st->bind(i, params[i].value, params[i].dataType);
                auto c = st->execute();
                std::vector<Row> rows;
                if (!c) return -1;
                c->fetch(1, rows);
                return rows.empty() || rows[0].values.empty() ? -1 : rows[0].values[0].asInteger();
            } catch (const EngineError&) {
                return -1;   // not every statement counts as a sub-query: read to the end instead
            }
        };
    }
    return std::make_unique<QueryCursor>(std::move(cur), live_, std::move(counter));
}

}  // namespace vlm::engine
