// Firebird types as engine field definitions and values: the message (SQL_*) types of result
// columns and parameters, the catalog (RDB$FIELD_TYPE) types of table columns, exact numbers as
// scaled integers, and the date and time encodings.
//
//   formatScaled(-1250, -2) == "-12.50"
//   describeColumn({SQL_INT64, 1, 8, -2, 0}, "PRICE")  // BCD, size 18, scale 2
#pragma once

#include <cstdint>
#include <string>

#include "engine/types.h"

namespace vlm::engine::firebird {

// A column or parameter as the message metadata describes it.
struct MessageType {
    unsigned sqlType = 0;   // SQL_VARYING, SQL_LONG, ... without the nullable bit
    int subType = 0;        // blob sub-type, or 1 NUMERIC / 2 DECIMAL for exact numbers
    unsigned length = 0;    // bytes in the message
    int scale = 0;          // 0 or negative
    unsigned charSet = 0;
};

// A column as RDB$FIELDS describes it.
struct CatalogType {
    int fieldType = 0;          // RDB$FIELD_TYPE (blr code)
    int subType = 0;            // RDB$FIELD_SUB_TYPE
    int length = 0;             // RDB$FIELD_LENGTH, bytes
    int scale = 0;              // RDB$FIELD_SCALE, 0 or negative
    int precision = 0;          // RDB$FIELD_PRECISION, 0 when not recorded
    int charLength = 0;         // RDB$CHARACTER_LENGTH, 0 when not recorded
    int charSet = 0;            // RDB$CHARACTER_SET_ID
    bool identity = false;      // GENERATED ... AS IDENTITY
};

// Bytes per character of a Firebird character set id (NONE, OCTETS and the single-byte sets: 1).
int bytesPerChar(unsigned charSet);
constexpr unsigned kCharSetOctets = 1;
constexpr unsigned kCharSetUtf8 = 4;

FieldDef describeColumn(const MessageType& t, const std::string& name);
FieldDef describeCatalogColumn(const CatalogType& t, const std::string& name);

// Exact numbers: a scaled integer as text with -scale digits after the point.
std::string formatScaled(std::int64_t value, int scale);

// ISC_DATE / ISC_TIME encodings (days since 1858-11-17; 1/10000 seconds since midnight).
Date decodeDate(int isc);
int encodeDate(const Date& d);
Time decodeTime(unsigned isc);
unsigned encodeTime(const Time& t);

}  // namespace vlm::engine::firebird
