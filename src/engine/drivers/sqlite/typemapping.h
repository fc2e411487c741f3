// SQLite type mapping: declared column types to engine field definitions, stored values to
// engine values by the field's logical type, engine values to bound parameters.
#pragma once

#include <sqlite3.h>

#include <string>

#include "engine/types.h"

namespace vlm::engine::sqlite {

// A field definition from a declared type ("VARCHAR(20)", "NUMERIC(12,2)", "INTEGER", "").
// An empty declared type gives UNKNOWN; see fieldFromStorage for result columns without one.
FieldDef fieldFromDeclared(const std::string& name, const std::string& declared);

// For result columns without a declared type (expressions): the type of the first row's value.
void refineFromStorage(FieldDef& f, int storageClass);

// Column col of the current row of st as a value of field f's type. A stored value that does
// not read as the field's type (text in an INTEGER column) keeps its stored form.
Value readColumn(sqlite3_stmt* st, int col, const FieldDef& f);

// Binds v to the 1-based parameter index; type hints how a text value is stored. With borrow,
// text and bytes held by v are bound without a copy: v must then stay unchanged until the
// parameter is bound again or the statement has been stepped and reset.
int bindValue(sqlite3_stmt* st, int index, const Value& v, FieldType type, bool borrow = false);

// The engine's text form of a value for trace texts and messages.
std::string traceText(const Value& v);

}  // namespace vlm::engine::sqlite
