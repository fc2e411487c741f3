// Defaults of the driver interface: services a driver does not offer fail with NotSupported.
#include "driver.h"

#include "error.h"

namespace vlm::engine {
namespace {
[[noreturn]] void unsupported(const std::string& what) {
    throw EngineError(ErrorCategory::Usage, errc::NotSupported,
                      {what + " is not supported by this driver"});
}
}  // namespace

Row Cursor::insertRow(const std::vector<Value>&) { unsupported("Inserting rows"); }
Row Cursor::updateRow(const Row&, const std::vector<Value>&) { unsupported("Changing rows"); }
void Cursor::deleteRow(const Row&) { unsupported("Deleting rows"); }
void Cursor::undeleteRow(const Row&) { unsupported("Undelete"); }

std::unique_ptr<ProcCall> Connection::prepareProc(const std::string&) { unsupported("Stored procedures"); }
std::unique_ptr<Cursor> Connection::openTable(const std::string&, const TableOpenOptions&) {
    unsupported("Opening tables");
}
void Connection::packTable(const std::string&, Progress*) { unsupported("Packing tables"); }
void Connection::createIndex(const std::string&, const IndexDef&) { unsupported("Creating indexes"); }
void Connection::dropIndex(const std::string&, const std::string&) { unsupported("Dropping indexes"); }

std::string Connection::quoteIdentifier(const std::string& name) const {
    std::string out = "\"";
    for (char c : name) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

std::string Connection::quoteTable(const std::string& table) const {
    auto dot = table.find('.');
    if (dot == std::string::npos) return quoteIdentifier(table);
    return quoteIdentifier(table.substr(0, dot)) + "." + quoteIdentifier(table.substr(dot + 1));
}

std::int64_t Connection::appendRows(const std::string& table, const std::vector<std::string>& columns,
                                    Cursor& source, const std::vector<int>& sourceColumns,
                                    Progress* progress) {
    std::string sql = "INSERT INTO " + quoteTable(table) + " (";
    std::string marks;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        sql += (i ? ", " : "") + quoteIdentifier(columns[i]);
        marks += i ? ", ?" : "?";
    }
    sql += ") VALUES (" + marks + ")";
    auto st = prepare(sql);
    const auto& srcFields = source.fields();
    std::int64_t total = source.rowCount(), moved = 0;
    std::vector<Row> rows;
    bool more = true;
    while (more) {
        rows.clear();
        more = source.fetch(256, rows);
        for (const auto& row : rows) {
            for (std::size_t i = 0; i < sourceColumns.size(); ++i) {
                int sc = sourceColumns[i];
                st->bind(i, sc < 0 ? Value() : row.values[std::size_t(sc)],
                         sc < 0 ? FieldType::Unknown : srcFields[std::size_t(sc)].type);
            }
            st->execute();
            ++moved;
        }
        if (progress && !progress->step(moved, total))
            throw EngineError(ErrorCategory::Cancelled, "Cancelled by the user");
    }
    return moved;
}

}  // namespace vlm::engine
