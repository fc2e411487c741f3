// Delimited text output of rows: the header of field names, then one line per row, each value
// in the engine's text form with NULL as an empty field. A tab, line feed, carriage return or
// backslash inside a value is written as \t, \n, \r, \\; the delimiter itself (when it is not
// a tab) as a backslash and the delimiter, so every line splits back into its fields.
//
//   DumpWriter w(stdout, '\t');
//   w.header(cursor.fields());  while (cursor.fetch(1024, rows)) w.rows(rows);  w.flush();
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "engine/types.h"

namespace vlm::tools {

class DumpWriter {
public:
    DumpWriter(std::FILE* out, char delimiter);
    ~DumpWriter();
    void header(const std::vector<engine::FieldDef>& fields);
    void row(const engine::Row& row);
    void rows(const std::vector<engine::Row>& rows) {
        for (const auto& r : rows) row(r);
    }
    void flush();                       // throws EngineError when the output cannot be written
    std::int64_t rowCount() const { return rows_; }

    // The text of one value as written (escaped); for tests and for single values.
    static void appendValue(std::string& out, const engine::Value& v, char delimiter);
    static void appendEscaped(std::string& out, std::string_view text, char delimiter);

private:
    void maybeFlush() {
        if (buf_.size() >= kFlushAt) flush();
    }
    static constexpr std::size_t kFlushAt = 1 << 18;
    std::FILE* out_;
    char delim_;
    std::string buf_;
    std::int64_t rows_ = 0;
};

// "\t", "tab", or a single character: the delimiter; empty on bad input.
std::string parseDelimiter(const std::string& arg);

}  // namespace vlm::tools
