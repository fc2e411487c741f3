// ODBC table cursors: rows are read by one SELECT; changes find their row again by a key (the
// primary key, else a unique index, else every column that is no blob), with the values bound
// as parameters, and read the stored row back by the new key.
#include <algorithm>
#include <cctype>

#include "odbcconnection.h"
#include "odbccursor.h"

namespace vlm::engine::odbc {
namespace {

bool isBlob(FieldType t) {
    switch (t) {
    case FieldType::Blob:
    case FieldType::Memo:
    case FieldType::Graphic:
    case FieldType::FmtMemo:
    case FieldType::ParadoxOle:
    case FieldType::DBaseOle:
    case FieldType::TypedBinary:
    case FieldType::Cursor:
    case FieldType::Unknown:
        return true;
    default:
        return false;
    }
}

bool sameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
           });
}

[[noreturn]] void changedByOthers() {
    throw recordChangedError();
}

using Params = std::vector<std::pair<Value, FieldType>>;

class OdbcTableCursor : public Cursor {
public:
    OdbcTableCursor(OdbcConnection& conn, std::string table, std::unique_ptr<Cursor> rows,
                    const std::vector<std::string>& keyFields, bool unique)
        : conn_(conn), table_(std::move(table)), rows_(std::move(rows)), fields_(rows_->fields()),
          unique_(unique) {
        for (const auto& k : keyFields) {
            auto it = std::find_if(fields_.begin(), fields_.end(), [&](const FieldDef& f) { return f.name == k; });
            if (it == fields_.end())
                it = std::find_if(fields_.begin(), fields_.end(), [&](const FieldDef& f) { return sameName(f.name, k); });
            if (it == fields_.end()) {
                key_.clear();
                break;
            }
            key_.push_back(std::size_t(it - fields_.begin()));
        }
        if (key_.empty()) {
            // No usable unique key: every column that can be compared identifies the row.
            unique_ = false;
            for (std::size_t i = 0; i < fields_.size(); ++i)
                if (!isBlob(fields_[i].type)) key_.push_back(i);
        }
    }

    const std::vector<FieldDef>& fields() const override { return fields_; }
    bool fetch(std::size_t maxRows, std::vector<Row>& out) override { return rows_->fetch(maxRows, out); }
    bool canModify() const override { return !key_.empty(); }

    Row insertRow(const std::vector<Value>& values) override {
        // Fields left null are left out, so that defaults and identity columns fill them.
        std::string cols, marks;
        Params params;
        for (std::size_t i = 0; i < fields_.size() && i < values.size(); ++i) {
            if (values[i].isNull()) continue;
            cols += (params.empty() ? "" : ", ") + conn_.quoteIdentifier(fields_[i].name);
            marks += params.empty() ? "?" : ", ?";
            params.emplace_back(values[i], fields_[i].type);
        }
        run("INSERT INTO " + conn_.quoteTable(table_) +
            (params.empty() ? " DEFAULT VALUES" : " (" + cols + ") VALUES (" + marks + ")"), params);
        return stored(values);
    }

    Row updateRow(const Row& old, const std::vector<Value>& values) override {
        std::string sets;
        Params params;
        for (std::size_t i = 0; i < fields_.size() && i < values.size(); ++i) {
            if (i < old.values.size() && values[i] == old.values[i]) continue;
            sets += (params.empty() ? "" : ", ") + conn_.quoteIdentifier(fields_[i].name) + " = ?";
            params.emplace_back(values[i], fields_[i].type);
        }
        if (params.empty()) return old;
        std::string where = whereUnchanged(old.values, params);
        checkOneRow(old.values);
        if (run("UPDATE " + conn_.quoteTable(table_) + " SET " + sets + where, params) < 1) changedByOthers();
        std::vector<Value> now = values;
        now.resize(fields_.size());
        return stored(now);
    }

    void deleteRow(const Row& row) override {
        Params params;
        std::string where = whereUnchanged(row.values, params);
        checkOneRow(row.values);
        if (run("DELETE FROM " + conn_.quoteTable(table_) + where, params) < 1) changedByOthers();
    }

private:
    // " WHERE K1 = ? AND K2 IS NULL ..." for the key values of a row; its values join params.
    std::string whereKey(const std::vector<Value>& values, Params& params) const {
        std::string sql = " WHERE ";
        for (std::size_t n = 0; n < key_.size(); ++n) {
            std::size_t i = key_[n];
            sql += (n ? " AND " : "") + conn_.quoteIdentifier(fields_[i].name);
            const Value& v = i < values.size() ? values[i] : Value();
            if (v.isNull()) {
                sql += " IS NULL";
            } else {
                sql += " = ?";
                params.emplace_back(v, fields_[i].type);
            }
        }
        return sql;
    }

    // The key condition, and the other columns still holding the values read: a row another
    // user changed since is not found, so that a change is refused instead of overwriting
    // theirs. Columns whose values may not come back equal from the driver (floating point,
    // times, blobs) are left out of the comparison.
    std::string whereUnchanged(const std::vector<Value>& values, Params& params) const {
        std::string sql = whereKey(values, params);
        for (std::size_t i = 0; i < fields_.size() && i < values.size(); ++i) {
            if (std::find(key_.begin(), key_.end(), i) != key_.end()) continue;
            switch (fields_[i].type) {
            case FieldType::String: case FieldType::Smallint: case FieldType::Integer: case FieldType::Word:
            case FieldType::AutoInc: case FieldType::Boolean: case FieldType::BCD: case FieldType::Date:
                break;
            default:
                continue;
            }
            sql += " AND " + conn_.quoteIdentifier(fields_[i].name);
            if (values[i].isNull()) {
                sql += " IS NULL";
            } else {
                sql += " = ?";
                params.emplace_back(values[i], fields_[i].type);
            }
        }
        return sql;
    }

    std::int64_t run(const std::string& sql, const Params& params) {
        auto st = conn_.prepare(sql);
        for (std::size_t i = 0; i < params.size(); ++i) st->bind(i, params[i].first, params[i].second);
        st->execute();
        return st->rowsAffected();
    }

    // Without a unique key (or with a null in it) a change must not reach a second, equal row:
    // the change is refused when the row's values match more than the one row.
    void checkOneRow(const std::vector<Value>& values) {
        bool nullInKey = std::any_of(key_.begin(), key_.end(),
                                     [&](std::size_t i) { return i >= values.size() || values[i].isNull(); });
        if (unique_ && !nullInKey) return;
        Params params;
        std::string sql = "SELECT COUNT(*) FROM " + conn_.quoteTable(table_) + whereKey(values, params);
        auto st = conn_.prepare(sql);
        for (std::size_t i = 0; i < params.size(); ++i) st->bind(i, params[i].first, params[i].second);
        auto cur = st->execute();
        std::vector<Row> rows;
        if (cur) cur->fetch(1, rows);
        std::int64_t n = rows.empty() || rows[0].values.empty() ? 0 : rows[0].values[0].asInteger();
        if (n == 0) changedByOthers();
        if (n > 1)
            throw EngineError(ErrorCategory::Data, errc::DataBase,
                              {"The record cannot be told apart from " + std::to_string(n - 1) +
                               " equal record(s): the table has no unique key"});
    }

    // The row as stored (defaults, triggers, the server's conversions), read again by the key
    // values it now has; the values given when the key cannot find it.
    Row stored(const std::vector<Value>& values) {
        Row fallback;
        fallback.values = values;
        fallback.values.resize(fields_.size());
        for (std::size_t i : key_)
            if (unique_ && values[i].isNull()) return fallback;   // filled by the server: unknown here
        Params params;
        std::string sql = "SELECT * FROM " + conn_.quoteTable(table_) + whereKey(fallback.values, params);
        auto st = conn_.prepare(sql);
        for (std::size_t i = 0; i < params.size(); ++i) st->bind(i, params[i].first, params[i].second);
        auto cur = st->execute();
        std::vector<Row> rows;
        if (cur) cur->fetch(1, rows);
        if (rows.empty() || rows[0].values.size() != fields_.size()) return fallback;
        return std::move(rows[0]);
    }

    OdbcConnection& conn_;
    std::string table_;
    std::unique_ptr<Cursor> rows_;
    std::vector<FieldDef> fields_;
    std::vector<std::size_t> key_;
    bool unique_;
};

}  // namespace

std::unique_ptr<Cursor> OdbcConnection::openTable(const std::string& table, const TableOpenOptions& options) {
    std::string sql = "SELECT * FROM " + quoteTable(table);
    for (std::size_t i = 0; i < options.indexFieldNames.size(); ++i)
        sql += (i ? ", " : " ORDER BY ") + quoteIdentifier(options.indexFieldNames[i]);
    auto rows = prepare(sql)->execute();
    if (!rows) throw EngineError(ErrorCategory::Sql, errc::SqlBase, {"Table does not exist: " + table});

    // The key: the primary key, else the first unique index of plain columns.
    std::vector<std::string> key;
    try {
        auto indexes = indexDefs(table);
        for (const auto& ix : indexes)
            if (ix.primary && !ix.fields.empty()) {
                key = ix.fields;
                break;
            }
        if (key.empty())
            for (const auto& ix : indexes)
                if (ix.unique && !ix.fields.empty() && ix.expression.empty()) {
                    key = ix.fields;
                    break;
                }
    } catch (const EngineError& e) {
        // A data source without index information (some views): the columns are the key.
        s_->trace(TraceVendor, std::string("no index information, rows are found by their values: ") + e.what());
    }
    return std::make_unique<OdbcTableCursor>(*this, table, std::move(rows), key, true);
}

}  // namespace vlm::engine::odbc
