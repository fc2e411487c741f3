// Export, import and append over the engine, without a display: the window and vlmtool call
// the same functions. Long work reports through Progress and stops (EngineError of category
// Cancelled) when step() returns false.
//
//   ExportOptions o;  o.delimiter = ';';
//   exportText(db, "ORDERS", "/tmp/orders.txt", o, &progress);
//   importText(db2, "ORDERS", "/tmp/orders.txt", {}, &progress);   // one transaction on SQL servers
//
// Nothing is left half done: an export writes a file beside the chosen one and puts it in place
// at the end (an error removes it); an import or append into an SQL database runs in one
// transaction, rolled back on an error or a cancel; an import into local tables reads the whole
// source once before it writes, so a bad file writes nothing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/database.h"
#include "engine/progress.h"
#include "transfer/textformat.h"

namespace vlm::transfer {

struct ExportOptions {
    std::string fields;            // the column list as SQL text; blank: every column
    char delimiter = ';';
    CharSet charset = CharSet::Dos;
    bool quoteTableName = false;   // the table name between double quotes in the query
};

// "Select " + columns + " From " + table (or " from " + the name in double quotes).
std::string exportQuery(const std::string& table, const std::string& fields, bool quoteTableName);

// Writes the table as delimited text; returns the rows written. A value holding the delimiter
// or a line break, or a character the character set lacks, stops the export naming the row
// and the column.
std::int64_t exportText(engine::Database& db, const std::string& table, const std::string& file,
                        const ExportOptions& options, engine::Progress* progress);

// Writes the table as an .xlsx workbook: names in row 1, numbers, dates and text typed. An
// empty result writes an empty sheet. Returns the rows written.
std::int64_t exportXlsx(engine::Database& db, const std::string& table, const std::string& file,
                        const ExportOptions& options, engine::Progress* progress);

struct ImportOptions {
    char delimiter = 0;            // 0: the delimiter the file's type line shows
    CharSet charset = CharSet::Dos;
    bool quoteTableName = false;
};

// Imports a delimited text file into the table, its fields in the table's column order.
// Returns the rows inserted.
std::int64_t importText(engine::Database& db, const std::string& table, const std::string& file,
                        const ImportOptions& options, engine::Progress* progress);
// Imports the rows of a dBase file, its fields in the table's column order.
std::int64_t importDbf(engine::Database& db, const std::string& table, const std::string& dbfFile,
                       engine::Progress* progress);
// By the file's extension: ".DBF" a dBase file, anything else delimited text.
bool isDbfFile(const std::string& file);

// Append: the source query's default text and the mapping lines "DEST=SOURCE".
std::string defaultSourceSql(const std::string& sourceTable);
std::vector<std::string> defaultMaps(const std::vector<std::string>& sourceFields);
// The field names of the source query's result.
std::vector<std::string> sourceFields(engine::Database& source, const std::string& sql);
// Appends the rows of the query to the table through the batch move in append mode with the
// mapping lines (blank lines are ignored; none: by name). Returns the rows moved.
std::int64_t appendRows(engine::Database& source, const std::string& sql, engine::Database& dest,
                        const std::string& table, const std::vector<std::string>& maps, engine::Progress* progress);

}  // namespace vlm::transfer
