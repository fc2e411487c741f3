// The dataset text report: the fixed-width rendering of a dataset's rows that the grids print
// and "View Data as Text" shows, written to a file ("DATASET0.TXT" beside the program).
//   writePlainReport(query, dir + "DATASET0.TXT", "EMP");                 // all rows
//   writeNumberedReport(query, dir + "DATASET0.TXT", "", true, true);      // from the current row
#pragma once

#include <ostream>
#include <string>

namespace vlm::engine {
class Dataset;
class Field;
}

namespace vlm::datawin {

// A column's width: the field's display width, or its heading's length when that is longer.
int reportColumnWidth(const engine::Field& field, const std::string& heading);

// The text padded with blanks, or cut, to width characters (UTF-8 characters are counted).
std::string reportCell(const std::string& text, int width);

// Running sums are kept as text: a value is added, then the sum is written back with "0.###".
std::string formatSum(double value);   // "0.###": 3.0004 -> "3", -1.5 -> "-1.5"

// The plain form: closes and reopens the dataset, so all rows from the first are written.
// Throws the engine's error, or std::runtime_error when the file cannot be written.
void writePlainReport(engine::Dataset& ds, std::ostream& out, const std::string& tableName);
void writePlainReport(engine::Dataset& ds, const std::string& fileName, const std::string& tableName);

// The plain form as the query runner writes it: from the current record to the end, without
// reopening the dataset, and every field, hidden ones included. The current record ends past
// the last row; callers bring it back.
void writePlainReportFromCurrent(engine::Dataset& ds, std::ostream& out, const std::string& tableName);
void writePlainReportFromCurrent(engine::Dataset& ds, const std::string& fileName, const std::string& tableName);

// The numbered and summed form, from the current record to the end (display labels, display
// texts). False, writing nothing, when the dataset is closed. The current record ends on the
// last row; callers bring it back.
bool writeNumberedReport(engine::Dataset& ds, std::ostream& out, const std::string& tableName,
                         bool withNumbers, bool withSums);
bool writeNumberedReport(engine::Dataset& ds, const std::string& fileName, const std::string& tableName,
                         bool withNumbers, bool withSums);

}  // namespace vlm::datawin
