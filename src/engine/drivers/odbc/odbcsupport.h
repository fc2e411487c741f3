// ODBC vendor helpers: an RAII guard per handle, the one mapping of diagnostics to engine
// errors, SQL types to field definitions, and column values read with SQLGetData.
#pragma once

#include <string>
#include <vector>

#include "engine/error.h"
#include "engine/types.h"

#include <sql.h>
#include <sqlext.h>
// unixODBC defines BOOL as a macro, which would break the engine's logical::BOOL.
#ifdef BOOL
#undef BOOL
#endif

namespace vlm::engine::odbc {

// Owns one ODBC handle of the given type; freed when the guard goes (statements and
// connections before their parents, as their owners' lifetimes ensure).
class Handle {
public:
    Handle() = default;
    Handle(SQLSMALLINT type, SQLHANDLE parent);
    ~Handle() { reset(); }
    Handle(Handle&& o) noexcept : type_(o.type_), h_(o.h_) { o.h_ = SQL_NULL_HANDLE; }
    Handle& operator=(Handle&& o) noexcept;
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    SQLHANDLE get() const { return h_; }
    SQLSMALLINT type() const { return type_; }
    void reset();

private:
    SQLSMALLINT type_ = 0;
    SQLHANDLE h_ = SQL_NULL_HANDLE;
};

// The engine error for a failed call on handle h: the engine's text first, then each
// diagnostic record "[SQLSTATE] text"; the first record's native code. secret is removed from
// every text (a password a driver might echo).
EngineError odbcError(SQLSMALLINT type, SQLHANDLE h, const std::string& what, const std::string& secret = {});

// Throws odbcError unless rc is a success code.
void check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE h, const std::string& what,
           const std::string& secret = {});
inline bool ok(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }

// A field definition for an ODBC column description.
FieldDef fieldDefFor(const std::string& name, SQLSMALLINT sqlType, SQLULEN size, SQLSMALLINT digits,
                     bool nullable, const std::string& typeName = {});

// The value of column col (1-based) of the current row, read the way its field needs.
Value readValue(SQLHSTMT st, SQLUSMALLINT col, const FieldDef& f, SQLSMALLINT sqlType);

// Text of a column of a catalog result; empty for NULL.
std::string columnText(SQLHSTMT st, SQLUSMALLINT col);

// The buffer of one bound parameter: the C and SQL types chosen for a value and the storage
// SQLBindParameter points at (which must stay put until the statement has run).
struct ParamSlot {
    SQLSMALLINT ctype = SQL_C_CHAR, sqltype = SQL_VARCHAR, digits = 0;
    SQLULEN size = 1;
    SQLLEN ind = SQL_NULL_DATA;
    SQLBIGINT i = 0;
    double d = 0;
    SQLCHAR bit = 0;
    SQL_DATE_STRUCT date{};
    SQL_TIME_STRUCT time{};
    SQL_TIMESTAMP_STRUCT stamp{};
    std::string text;

    // Takes value; type is the field or parameter type it goes to (a boolean bound to a
    // SMALLINT or INTEGER column travels as a number, otherwise as a bit).
    void set(const Value& value, FieldType type);
    void* data();
    SQLLEN capacity() const { return SQLLEN(text.size()); }
};

}  // namespace vlm::engine::odbc
