// The engine's type mapping: which native column type a destination driver gets for a field
// definition of any source (batch move in copy mode, create table from foreign definitions).
// One table for every destination, in typemap.cpp.
#pragma once

#include <string>

#include "types.h"

namespace vlm::engine {

// The column type text for driverName ("SQLITE", "INTRBASE", "POSTGRESQL", "ODBC", "ORACLE",
// "MSSQL", "SQLBASE") to hold values of field, e.g. "VARCHAR(20)", "NUMERIC(12,2)", "BLOB SUB_TYPE 1".
std::string nativeColumnType(const std::string& driverName, const FieldDef& field);

// The field type code a dataset reports for a logical type and sub-type.
FieldType fieldTypeFor(int logicalType, int subType);

}  // namespace vlm::engine
