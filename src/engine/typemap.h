// The engine's type mapping: which native column type a destination driver gets for a field
// definition of any source (batch move in copy mode, create table from foreign definitions).
// A field definition falls into one type class; each driver gives, in its own folder, the
// column type text of every class and its size limits (NativeTypeRows), and hands them to the
// engine with its registration (DriverRegistry::add).
#pragma once

#include <array>
#include <cstddef>
#include <string>

#include "types.h"

namespace vlm::engine {

// What a field definition is, as far as a destination column cares.
enum class TypeClass {
    String,     // bounded character data, size characters
    Text,       // character data without a usable bound (size 0, or over the destination's limit)
    Memo,       // text blob
    FmtMemo,    // formatted (rich text) memo, kept as bytes
    Binary,     // binary blob: binary, graphic, OLE, typed binary
    Bytes,      // fixed or varying bytes of at most size bytes
    Int16, UInt16, Int32, AutoInc, UInt32, Int64, UInt64,
    Float,
    Money,
    Decimal,    // exact number with a precision the destination can hold
    Number,     // exact number without a precision, or wider than the destination holds
    Bool, Date, Time, Timestamp,
    Unknown,    // cursors, lock info and types no driver describes
    Count
};

// Size limits of a destination: the longest VARCHAR in characters, the widest exact number,
// the longest fixed binary column. 0: no limit that matters.
struct TypeLimits {
    int maxVarchar = 0;
    int maxPrecision = 0;
    int maxBytes = 0;
};

// A destination driver's column types: one text per type class, in TypeClass order. In a text
// {n} is the size, {p},{s} precision and scale: "VARCHAR({n})", "NUMERIC({p},{s})".
struct NativeTypeRows {
    TypeLimits limits;
    std::array<const char*, std::size_t(TypeClass::Count)> cells{};
    // Whether every class has its text (a row left out is null).
    constexpr bool complete() const {
        for (const char* c : cells)
            if (!c) return false;
        return true;
    }
};

// The type class of field for a destination of these limits.
TypeClass typeClassOf(const FieldDef& field, const TypeLimits& limits);

// The column type text of rows for field, e.g. "VARCHAR(20)", "NUMERIC(12,2)".
std::string nativeColumnType(const NativeTypeRows& rows, const FieldDef& field);

// The same for a driver name ("SQLITE", "INTRBASE", "POSTGRESQL", "ODBC", "ORACLE", "MSSQL",
// "SQLBASE", or any other name) through the rows the drivers of the build registered
// (DriverRegistry::standard().columnTypesFor). Throws EngineError (UnknownDriver) when no
// registered driver gives column types for the name.
std::string nativeColumnType(const std::string& driverName, const FieldDef& field);

// The field type code a dataset reports for a logical type and sub-type.
FieldType fieldTypeFor(int logicalType, int subType);

}  // namespace vlm::engine
