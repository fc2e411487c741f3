// PostgreSQL vendor helpers: RAII guards for libpq handles, the one mapping of server status to
// engine errors, type OIDs to field definitions, and values to and from the text format.
#pragma once

#include <libpq-fe.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/error.h"
#include "engine/types.h"

namespace vlm::engine::postgres {

// Owns one PGresult; cleared when the guard goes.
struct ResultDeleter {
    void operator()(PGresult* r) const { PQclear(r); }
};
using Result = std::unique_ptr<PGresult, ResultDeleter>;

// The engine error for a failed call: the engine's text first, then the server's message,
// detail and hint, then the SQLSTATE. res may be null (connection-level failures).
EngineError pgError(PGconn* conn, const PGresult* res, const std::string& what);

// Type OIDs the driver knows by name.
namespace oid {
enum : unsigned {
    BOOL = 16, BYTEA = 17, CHAR = 18, NAME = 19, INT8 = 20, INT2 = 21, INT4 = 23, TEXT = 25,
    OID = 26, JSON = 114, XML = 142, FLOAT4 = 700, FLOAT8 = 701, MONEY = 790, BPCHAR = 1042,
    VARCHAR = 1043, DATE = 1082, TIME = 1083, TIMESTAMP = 1114, TIMESTAMPTZ = 1184,
    INTERVAL = 1186, TIMETZ = 1266, NUMERIC = 1700, UUID = 2950, JSONB = 3802
};
}

// A field definition for a column of type typeOid with type modifier typmod.
FieldDef fieldDefFor(const std::string& name, unsigned typeOid, int typmod);
FieldType fieldTypeOfOid(unsigned typeOid);

// A value from its text form as the server sends it (DateStyle ISO, bytea hex).
Value valueFromText(const FieldDef& field, unsigned typeOid, const char* text, int length);

// The text form of a value for a parameter or a COPY line. Bytes become "\x..." hex.
std::string valueToText(const Value& v);

// "?" markers outside quotes, quoted identifiers, dollar quotes and comments become $1, $2, ...
std::string numberParameters(const std::string& sql, int* count = nullptr);

// Splits "schema.name" at the first dot outside double quotes; quoted parts are unquoted.
// first is empty when there is no dot.
std::pair<std::string, std::string> splitQualified(const std::string& name);

std::string quoteIdent(const std::string& name);
std::string quoteLiteral(const std::string& text);

}  // namespace vlm::engine::postgres
