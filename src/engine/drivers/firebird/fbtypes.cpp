// Firebird types as engine field definitions, exact numbers, dates and times.
#include "engine/drivers/firebird/fbtypes.h"

#include <ibase.h>

#include "engine/typemap.h"

namespace vlm::engine::firebird {
namespace {

// Catalog (blr) type codes of RDB$FIELDS.RDB$FIELD_TYPE.
enum Blr : int {
    BlrShort = 7, BlrLong = 8, BlrQuad = 9, BlrFloat = 10, BlrDFloat = 11, BlrDate = 12,
    BlrTime = 13, BlrText = 14, BlrInt64 = 16, BlrBoolean = 23, BlrDouble = 27,
    BlrTimestamp = 35, BlrVarying = 37, BlrCString = 40, BlrBlobId = 45, BlrBlob = 261
};

unsigned sqlTypeOfBlr(int blr) {
    switch (blr) {
    case BlrShort: return SQL_SHORT;
    case BlrLong: return SQL_LONG;
    case BlrInt64: return SQL_INT64;
    case BlrFloat: return SQL_FLOAT;
    case BlrDFloat:
    case BlrDouble: return SQL_DOUBLE;
    case BlrDate: return SQL_TYPE_DATE;
    case BlrTime: return SQL_TYPE_TIME;
    case BlrTimestamp: return SQL_TIMESTAMP;
    case BlrText: return SQL_TEXT;
    case BlrVarying:
    case BlrCString: return SQL_VARYING;
    case BlrBlob:
    case BlrBlobId: return SQL_BLOB;
    case BlrBoolean: return SQL_BOOLEAN;
    case BlrQuad: return SQL_QUAD;
    default: return 0;
    }
}

FieldDef make(const std::string& name, int logicalType, int sub, int size, int scale,
              std::string native) {
    FieldDef f;
    f.name = name;
    f.logicalType = logicalType;
    f.subType = sub;
    f.type = fieldTypeFor(logicalType, sub);
    f.size = size;
    f.scale = scale;
    f.nativeType = std::move(native);
    return f;
}

// Exact numbers are stored as SMALLINT, INTEGER or BIGINT with a scale; without a recorded
// precision the storage decides it.
int defaultPrecision(unsigned sqlType) {
    return sqlType == SQL_SHORT ? 4 : sqlType == SQL_LONG ? 9 : 18;
}

FieldDef describe(const MessageType& t, const std::string& name, int chars, int precision) {
    switch (t.sqlType) {
    case SQL_TEXT:
        if (t.charSet == kCharSetOctets)
            return make(name, logical::BYTES, subtype::NONE, int(t.length),
                        0, "CHAR(" + std::to_string(t.length) + ") CHARACTER SET OCTETS");
        return make(name, logical::ZSTRING, subtype::NONE, chars, 0,
                    "CHAR(" + std::to_string(chars) + ")");
    case SQL_VARYING:
        if (t.charSet == kCharSetOctets)
            return make(name, logical::VARBYTES, subtype::NONE, int(t.length), 0,
                        "VARCHAR(" + std::to_string(t.length) + ") CHARACTER SET OCTETS");
        return make(name, logical::ZSTRING, subtype::NONE, chars, 0,
                    "VARCHAR(" + std::to_string(chars) + ")");
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64:
        if (t.scale < 0 || t.subType == 1 || t.subType == 2) {
            int p = precision > 0 ? precision : defaultPrecision(t.sqlType);
            std::string kind = t.subType == 2 ? "DECIMAL(" : "NUMERIC(";
            return make(name, logical::BCD, subtype::NONE, p, -t.scale,
                        kind + std::to_string(p) + "," + std::to_string(-t.scale) + ")");
        }
        if (t.sqlType == SQL_SHORT) return make(name, logical::INT16, subtype::NONE, 0, 0, "SMALLINT");
        if (t.sqlType == SQL_LONG) return make(name, logical::INT32, subtype::NONE, 0, 0, "INTEGER");
        return make(name, logical::INT64, subtype::NONE, 0, 0, "BIGINT");
    case SQL_FLOAT: return make(name, logical::FLOAT, subtype::NONE, 0, 0, "FLOAT");
    case SQL_DOUBLE:
    case SQL_D_FLOAT: return make(name, logical::FLOAT, subtype::NONE, 0, 0, "DOUBLE PRECISION");
    case SQL_TYPE_DATE: return make(name, logical::DATE, subtype::NONE, 0, 0, "DATE");
    case SQL_TYPE_TIME: return make(name, logical::TIME, subtype::NONE, 0, 0, "TIME");
    case SQL_TIMESTAMP: return make(name, logical::TIMESTAMP, subtype::NONE, 0, 0, "TIMESTAMP");
    case SQL_BOOLEAN: return make(name, logical::BOOL, subtype::NONE, 0, 0, "BOOLEAN");
    case SQL_BLOB:
        if (t.subType == 1) return make(name, logical::BLOB, subtype::MEMO, 0, 0, "BLOB SUB_TYPE 1");
        if (t.subType == 0) return make(name, logical::BLOB, subtype::BINARY, 0, 0, "BLOB SUB_TYPE 0");
        return make(name, logical::BLOB, subtype::TYPEDBINARY, 0, 0,
                    "BLOB SUB_TYPE " + std::to_string(t.subType));
    case SQL_ARRAY:
    case SQL_QUAD: return make(name, logical::UNKNOWN, subtype::NONE, 0, 0, "ARRAY");
    case SQL_NULL: return make(name, logical::UNKNOWN, subtype::NONE, 0, 0, "NULL");
    default: return make(name, logical::UNKNOWN, subtype::NONE, 0, 0, "");
    }
}

// Days from 1970-01-01 of a proleptic Gregorian date, and back.
long daysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    long era = (y >= 0 ? y : y - 399) / 400;
    long yoe = y - era * 400;
    long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

Date civilFromDays(long z) {
    z += 719468;
    long era = (z >= 0 ? z : z - 146096) / 146097;
    long doe = z - era * 146097;
    long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long y = yoe + era * 400;
    long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    long mp = (5 * doy + 2) / 153;
    int d = int(doy - (153 * mp + 2) / 5 + 1);
    int m = int(mp < 10 ? mp + 3 : mp - 9);
    return {int(y + (m <= 2)), m, d};
}

constexpr long kIscEpochFrom1970 = 40587;   // 1858-11-17 is 40587 days before 1970-01-01

}  // namespace

int bytesPerChar(unsigned charSet) {
    switch (charSet) {
    case 3: return 3;                          // UNICODE_FSS
    case 4: return 4;                          // UTF8
    case 69: return 4;                         // GB18030
    case 5: case 6: case 44: case 56: case 57: case 67: case 68:
        return 2;                              // SJIS, EUCJ, KSC_5601, BIG_5, GB_2312, GBK, CP943C
    default: return 1;
    }
}

FieldDef describeColumn(const MessageType& t, const std::string& name) {
    int chars = int(t.length) / bytesPerChar(t.charSet);
    return describe(t, name, chars, 0);
}

FieldDef describeCatalogColumn(const CatalogType& c, const std::string& name) {
    MessageType t;
    t.sqlType = sqlTypeOfBlr(c.fieldType);
    t.subType = c.subType;
    t.length = unsigned(c.length);
    t.scale = c.scale;
    t.charSet = unsigned(c.charSet);
    int chars = c.charLength > 0 ? c.charLength : c.length / bytesPerChar(t.charSet);
    FieldDef f = describe(t, name, chars, c.precision);
    if (c.identity && (f.logicalType == logical::INT32 || f.logicalType == logical::INT64)) {
        f.subType = subtype::AUTOINC;
        f.type = fieldTypeFor(f.logicalType, f.subType);
    }
    return f;
}

std::string formatScaled(std::int64_t value, int scale) {
    bool negative = value < 0;
    std::uint64_t magnitude = negative ? 0 - std::uint64_t(value) : std::uint64_t(value);
    std::string digits = std::to_string(magnitude);
    std::string out;
    if (scale >= 0) {
        out = digits + std::string(std::size_t(scale), '0');
    } else {
        std::size_t places = std::size_t(-scale);
        if (digits.size() <= places) digits.insert(0, places + 1 - digits.size(), '0');
        out = digits.substr(0, digits.size() - places) + "." + digits.substr(digits.size() - places);
    }
    return negative ? "-" + out : out;
}

Date decodeDate(int isc) { return civilFromDays(long(isc) - kIscEpochFrom1970); }

int encodeDate(const Date& d) { return int(daysFromCivil(d.year, d.month, d.day) + kIscEpochFrom1970); }

Time decodeTime(unsigned isc) {
    unsigned secs = isc / ISC_TIME_SECONDS_PRECISION;
    unsigned frac = isc % ISC_TIME_SECONDS_PRECISION;
    return {int(secs / 3600), int(secs / 60 % 60), int(secs % 60), int(frac / 10)};
}

unsigned encodeTime(const Time& t) {
    return ((unsigned(t.hour) * 60 + unsigned(t.minute)) * 60 + unsigned(t.second)) *
               ISC_TIME_SECONDS_PRECISION + unsigned(t.msec) * 10;
}

}  // namespace vlm::engine::firebird
