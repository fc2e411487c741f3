// The structure grid's type, size and scale of a column, by server kind: Firebird/InterBase
// type codes (dialect 1 and 3), the engine's field list for local tables (dBase, Paradox) and
// the server's own type names for the kinds without catalog knowledge.
//   interbaseType({.fieldType = 16, .scale = -2, .precision = 10, .subType = 1}, 3) -> NUMERIC 10 2
#pragma once

#include <string>
#include <string_view>

#include "engine/types.h"

namespace vlm::tableinfo {

struct GridType {
    std::string type;
    int size = 0;
    int scale = 0;
};

// One RDB$FIELDS row.
struct InterbaseField {
    int fieldType = 0;
    int subType = 0;
    int length = 0;         // RDB$FIELD_LENGTH, bytes
    int scale = 0;          // RDB$FIELD_SCALE, 0 or negative
    int precision = 0;      // RDB$FIELD_PRECISION
    int charLength = 0;     // RDB$CHARACTER_LENGTH, 0 when unknown
};
// Dialect 1 names the types as the old servers did; dialect 3 as Firebird's own DDL does.
GridType interbaseType(const InterbaseField& f, int dialect);

// Local tables: by table type ("DBASE", "PARADOX", any other) from the engine's field list.
GridType standardType(std::string_view tableType, const engine::FieldDef& f);
// The name of an engine logical type code ("UNKNOWN", "STRING", ...).
std::string logicalTypeName(int code);
// Kinds without catalog knowledge: the server's own type name ("numeric(10,2)" -> numeric, 10, 2;
// "character varying(30)" -> character varying, 30; "numeric" with the field's own size and scale),
// else the logical type's name.
GridType otherType(const engine::FieldDef& f);

}  // namespace vlm::tableinfo
