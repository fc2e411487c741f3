// The data windows' display-free rules: the SQL texts the table window and the command line
// build, the status and message texts, the search match, the elapsed-time text and the byte
// viewer's conversions. Plain C++; the forms only call these.
//   viewQueryText({"SCOTT.EMP", true, false, true, ServerKind::SQLBASE}) == "select * from SCOTT.\"EMP\""
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/types.h"
#include "panels/serverkind.h"

namespace vlm::datawin {

using panels::ServerKind;

// How a server treats identifiers without quotes.
enum class NameFold { None, Upper, Lower };
NameFold nameFoldOfDriver(const std::string& driverName);   // PostgreSQL Lower, Firebird/Oracle Upper

struct TableNameRule {
    std::string name;          // the name as listed
    bool useInSql = false;     // "Use \" in SQL"
    bool requestLive = false;  // "RequestLive"
    bool sqlBased = false;
    ServerKind kind = ServerKind::STANDARD;
};

// The table text of the view query: bare, or quoted (the SQLBASE owner stays bare).
std::string tableText(const TableNameRule& r);
std::string viewQueryText(const TableNameRule& r);          // "select * from " + tableText
// Sorting keeps the window's table text and quotes a field name that needs it.
std::string quoteFieldIfNeeded(const std::string& field, NameFold fold);
std::string sortQueryText(const std::string& tableText, const std::string& field, NameFold fold);
std::string unsortQueryText(const std::string& tableText);
// "Clear all records": the same name rule as the view query.
std::string clearAllStatement(const TableNameRule& r);
// "View Data As Text": the name quoted when the quoting option is on.
std::string viewAsTextQuery(const std::string& name, bool useInSql);

// The SQL input panel's templates, from the window's table text and the open query's fields
// (empty when the query is closed: "Update" and "Insert" then give nothing).
enum class SqlTemplate { Create, Update, Select, Insert, Delete };
std::string sqlTemplate(SqlTemplate t, const std::string& table, const std::vector<std::string>& fields, bool open);

// Status texts.
std::string openStatusText(std::int64_t count, bool showCount);   // "   12 records" / "   ?  records"
std::string sortStatusText(std::int64_t count, bool showCount);   // "   12 records in table"
std::string positionText(std::int64_t recNo, std::int64_t count, bool showCount);   // "12/340", "12/?"
std::string resultStatusText(std::int64_t count, bool showCount, const std::string& elapsed);

// "00:00:01:250": hours, minutes and seconds in two digits, the milliseconds as a number.
std::string elapsedText(std::chrono::milliseconds ms);

// The command line: a query (SELECT or EXECUTE after trimming) opens a result window.
bool isQueryCommand(const std::string& command);
std::string statementDoneMessage(const std::string& command, const std::string& elapsed, std::int64_t rows);

// The search dialog's match of one value: contains (or equals, for an empty text); case
// folded unless caseSensitive; with wholeWords the hit must stand between non-word characters.
bool searchMatches(const std::string& value, const std::string& text, bool caseSensitive, bool wholeWords);

// Status panel 3's type name: "ftString", ..., "myUnknown" for codes outside 0..22.
std::string fieldTypeText(int code);

// The byte viewer. A raw field value holds two length bytes (low byte first), then the data.
struct RawBytes {
    int fieldLength = 0;   // the raw string's length
    int dataLength = 0;
    std::string data;      // the data bytes, as many as the length says (or as there are)
};
RawBytes splitRawBytes(const std::string& raw);
std::string bytesToHex(const std::string& data);             // two upper-case digits a byte
std::string hexToBytes(const std::string& hex);              // pairs; a last digit alone; bad pair -> 0
std::string rawBytesForSave(const std::string& data);        // the length bytes, then the data

}  // namespace vlm::datawin
