// The engine's type mapping: a field definition of any source falls into one type class, and
// each destination writes that class with the column type text its driver registered.
//
//   nativeColumnType("POSTGRESQL", {.logicalType = logical::BCD, .size = 12, .scale = 2})
//       == "NUMERIC(12,2)"
#include "typemap.h"

#include <algorithm>

#include "registry.h"

namespace vlm::engine {
namespace {

bool exceeds(int value, int limit) { return limit > 0 && value > limit; }

void replaceAll(std::string& s, const std::string& from, const std::string& to) {
    for (auto pos = s.find(from); pos != std::string::npos; pos = s.find(from, pos + to.size()))
        s.replace(pos, from.size(), to);
}

}  // namespace

TypeClass typeClassOf(const FieldDef& f, const TypeLimits& lim) {
    switch (f.logicalType) {
    case logical::ZSTRING:
        return f.size <= 0 || exceeds(f.size, lim.maxVarchar) ? TypeClass::Text : TypeClass::String;
    case logical::BLOB:
        switch (f.subType) {
        case subtype::MEMO: return TypeClass::Memo;
        case subtype::FMTMEMO: return TypeClass::FmtMemo;
        default: return TypeClass::Binary;
        }
    case logical::BYTES:
    case logical::VARBYTES:
        return f.size <= 0 || exceeds(f.size, lim.maxBytes) ? TypeClass::Binary : TypeClass::Bytes;
    case logical::INT16: return TypeClass::Int16;
    case logical::UINT16: return TypeClass::UInt16;
    case logical::INT32: return f.subType == subtype::AUTOINC ? TypeClass::AutoInc : TypeClass::Int32;
    case logical::UINT32: return TypeClass::UInt32;
    case logical::INT64: return TypeClass::Int64;
    case logical::UINT64: return TypeClass::UInt64;
    case logical::FLOAT:
    case logical::FLOATIEEE:
        return f.subType == subtype::MONEY ? TypeClass::Money : TypeClass::Float;
    case logical::BCD:
        if (f.subType == subtype::MONEY) return TypeClass::Money;
        return f.size <= 0 || exceeds(f.size, lim.maxPrecision) ? TypeClass::Number : TypeClass::Decimal;
    case logical::BOOL: return TypeClass::Bool;
    case logical::DATE: return TypeClass::Date;
    case logical::TIME: return TypeClass::Time;
    case logical::TIMESTAMP: return TypeClass::Timestamp;
    default: return TypeClass::Unknown;
    }
}

std::string nativeColumnType(const NativeTypeRows& rows, const FieldDef& f) {
    const char* cell = rows.cells[std::size_t(typeClassOf(f, rows.limits))];
    std::string text = cell ? cell : "";
    // A scale larger than the precision is no valid column; keep the digits the source has.
    int scale = std::clamp(f.scale, 0, std::max(f.size, 0));
    replaceAll(text, "{n}", std::to_string(f.size));
    replaceAll(text, "{p}", std::to_string(f.size));
    replaceAll(text, "{s}", std::to_string(scale));
    return text;
}

std::string nativeColumnType(const std::string& driverName, const FieldDef& f) {
    return nativeColumnType(DriverRegistry::standard().columnTypesFor(driverName), f);
}

FieldType fieldTypeFor(int logicalType, int subType) {
    switch (logicalType) {
    case logical::ZSTRING: return FieldType::String;
    case logical::INT16: return FieldType::Smallint;
    case logical::INT32: return subType == subtype::AUTOINC ? FieldType::AutoInc : FieldType::Integer;
    case logical::UINT16: return FieldType::Word;
    case logical::UINT32: return FieldType::Integer;
    case logical::BOOL: return FieldType::Boolean;
    case logical::FLOAT:
    case logical::FLOATIEEE:
        return subType == subtype::MONEY ? FieldType::Currency : FieldType::Float;
    case logical::BCD: return subType == subtype::MONEY ? FieldType::Currency : FieldType::BCD;
    case logical::DATE: return FieldType::Date;
    case logical::TIME: return FieldType::Time;
    case logical::TIMESTAMP: return FieldType::DateTime;
    case logical::BYTES: return FieldType::Bytes;
    case logical::VARBYTES: return FieldType::VarBytes;
    case logical::INT64:
    case logical::UINT64:
        return FieldType::Float;
    case logical::BLOB:
        switch (subType) {
        case subtype::MEMO: return FieldType::Memo;
        case subtype::FMTMEMO: return FieldType::FmtMemo;
        case subtype::GRAPHIC: return FieldType::Graphic;
        case subtype::OLEOBJ: return FieldType::ParadoxOle;
        case subtype::DBSOLEOBJ: return FieldType::DBaseOle;
        case subtype::TYPEDBINARY: return FieldType::TypedBinary;
        default: return FieldType::Blob;
        }
    case logical::CURSOR: return FieldType::Cursor;
    default: return FieldType::Unknown;
    }
}

}  // namespace vlm::engine
