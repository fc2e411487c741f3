// Table: a database table through the driver's table cursor, and the table-level services.
#include "table.h"

#include "dbref.h"
#include "error.h"

namespace vlm::engine {

struct Table::Impl {
    DatabaseRef db;
};

Table::Table() : impl_(std::make_unique<Impl>()) {}
Table::~Table() { close(); }

void Table::setDatabaseName(const std::string& name) {
    close();
    dbName_ = name;
    impl_->db.set(name);
}

void Table::setDatabase(Database* db) {
    close();
    impl_->db.set(db);
    dbName_ = impl_->db.name;
}

void Table::setTableName(const std::string& name) {
    close();
    tableName_ = name;
}

namespace {
std::vector<std::string> splitFields(const std::string& names) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start <= names.size()) {
        auto semi = names.find(';', start);
        std::string part = names.substr(start, semi == std::string::npos ? std::string::npos : semi - start);
        auto b = part.find_first_not_of(' '), e = part.find_last_not_of(' ');
        if (b != std::string::npos) out.push_back(part.substr(b, e - b + 1));
        if (semi == std::string::npos) break;
        start = semi + 1;
    }
    return out;
}

void needName(const std::string& table) {
    if (table.empty()) throw EngineError(ErrorCategory::Usage, errc::UsageBase, {"No table name given"});
}
}  // namespace

void Table::setIndexFieldNames(const std::string& names) {
    indexFieldNames_ = names;
    if (active()) {
        close();
        open();
    }
}

void Table::setShowDeleted(bool on) {
    if (showDeleted_ == on) return;
    showDeleted_ = on;
    if (active()) {
        close();
        open();
    }
}

Connection& Table::connection() { return impl_->db.connection(); }

std::unique_ptr<Cursor> Table::openCursor() {
    needName(tableName_);
    TableOpenOptions o;
    o.exclusive = exclusive_;
    o.showDeleted = showDeleted_;
    o.indexFieldNames = splitFields(indexFieldNames_);
    return connection().openTable(tableName_, o);
}

std::vector<FieldDef> Table::fieldDefs() {
    needName(tableName_);
    return connection().fieldDefs(tableName_);
}

std::vector<IndexDef> Table::indexDefs() {
    needName(tableName_);
    return connection().indexDefs(tableName_);
}

void Table::createTable(const std::vector<FieldDef>& fields, const std::vector<IndexDef>& indexes) {
    needName(tableName_);
    close();
    connection().createTable(tableName_, fields, indexes);
}

void Table::deleteTable() {
    needName(tableName_);
    close();
    connection().dropTable(tableName_);
}

void Table::emptyTable() {
    needName(tableName_);
    bool wasActive = active();
    close();
    connection().emptyTable(tableName_);
    if (wasActive) open();
}

void Table::renameTable(const std::string& newName) {
    needName(tableName_);
    close();
    connection().renameTable(tableName_, newName);
    tableName_ = newName;
}

void Table::addIndex(const IndexDef& index) {
    needName(tableName_);
    connection().createIndex(tableName_, index);
}

void Table::deleteIndex(const std::string& name) {
    needName(tableName_);
    connection().dropIndex(tableName_, name);
}

void Table::pack(Progress* progress) {
    needName(tableName_);
    bool wasActive = active();
    close();
    connection().packTable(tableName_, progress);
    if (wasActive) open();
}

bool Table::isDeleted() const { return active() && currentRow().deleted; }

void Table::undelete() {
    if (!active()) throw EngineError(ErrorCategory::Usage, errc::UsageBase, {"Cannot perform this operation on a closed dataset"});
    if (!isDeleted()) return;
    cursor()->undeleteRow(currentRow());
    refresh();
}

}  // namespace vlm::engine
