// Comparing two tables: row counts, field names, field types and the values row by row (by
// position, or matched by the primary key in a sorted merge), written to the compare log
// "TBLSCOMP.LOG". The window and vlmtool compare share it.
//
//   CompareLog log("TBLSCOMP.LOG");                    // removes an old log
//   CompareResult r = compareTables({&dbA, "EMP"}, {&dbB, "EMP"}, {.rowCount = true, .data = true}, log, &p);
//   r.differences; r.status;                            // "Comared Ok!"
#pragma once

#include <string>
#include <vector>

#include "engine/database.h"
#include "engine/progress.h"
#include "engine/types.h"

namespace vlm::transfer {

// The compare log: every line goes to the end of the file; a new file starts with the date and
// time ("dd.mm.yyyy hh:nn:ss") and an empty line. Lines are written in batches and at flush().
class CompareLog {
public:
    explicit CompareLog(std::string path, bool removeOld = true);
    ~CompareLog();
    CompareLog(const CompareLog&) = delete;
    CompareLog& operator=(const CompareLog&) = delete;
    void line(const std::string& text);
    void flush();
    const std::string& path() const { return path_; }
    std::string text();   // the file as it is after a flush

private:
    std::string path_;
    std::string pending_;
};

// The log's lines, in the current language (shell language pick).
std::string rowCountLine(const std::string& left, long long lc, const std::string& right, long long rc);
std::string fieldsCountLine(const std::string& left, int lc, const std::string& right, int rc);
std::string fieldNameHeading();
std::string fieldNameLine(int position, const std::string& left, const std::string& right);
std::string fieldTypeHeading();
std::string fieldTypeLine(int position, const std::string& left, engine::FieldType lt, const std::string& right,
                          engine::FieldType rt);
std::string valueLine(long long row, const std::string& field, const std::string& left, const std::string& right);
// A row that one side lacks: missing (only in the left table) or extra (only in the right).
std::string rowOnlyLine(long long row, const std::string& key, bool missing, const std::string& right);
std::string resultText(int differences);

struct CompareOptions {
    bool rowCount = false;   // "Row count"
    bool types = false;      // "Type fields"
    bool data = false;       // "Data Compare"
    bool byKey = false;      // "By primary key": rows matched by the key (or a unique index)
};

struct CompareSide {
    engine::Database* db = nullptr;
    std::string table;
};

struct CompareResult {
    int differences = 0;
    std::string status;      // the status bar's text, also the log's last line
};

// Runs the comparison into the log. Engine errors end the run (the log keeps what was
// written); a cancel throws the engine's Cancelled error.
CompareResult compareTables(const CompareSide& left, const CompareSide& right, const CompareOptions& options,
                            CompareLog& log, engine::Progress* progress);

// The fields of the key the comparison by key matches rows on: the primary key, else the
// first unique index; empty when the table has neither.
std::vector<std::string> keyFieldsOf(engine::Database& db, const std::string& table);

}  // namespace vlm::transfer
