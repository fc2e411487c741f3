// Identifier case between servers: a name that a server reads without quotes is folded by it
// (upper case on Firebird, Oracle, MSSQL, SQLBase and in dBase/Paradox field names, lower case
// on PostgreSQL; SQLite keeps what was written and compares without case). A copy from one
// server to another keeps what a user types: a plain name of the source is created in the
// destination's folding, a name that needs quotes in the source keeps its exact spelling.
//
//   carryIdentifier("qty", IdentifierCase::Lower, IdentifierCase::Upper)        -> "QTY"
//   carryIdentifier("Qty", IdentifierCase::Lower, IdentifierCase::Upper)        -> "Qty"
//   carryIdentifier("order", IdentifierCase::Lower, IdentifierCase::Upper)      -> "order"
#pragma once

#include <string>

namespace vlm::engine {

enum class IdentifierCase {
    Upper,       // unquoted names are upper case (the SQL standard's rule)
    Lower,       // unquoted names are lower case (PostgreSQL)
    AsWritten,   // unquoted names keep their spelling and match without case (SQLite)
};

// True when name, written without quotes on a server of that folding, means exactly name:
// letters, digits and underscores, not starting with a digit, no reserved word, and already
// in the folding's case (for AsWritten: in one case, upper or lower, as mixed case is what
// people quote to keep).
bool isPlainIdentifier(const std::string& name, IdentifierCase folding);

// A word of SQL that needs quotes as a name on some server ("ORDER", "USER", "DATE").
bool isReservedWord(const std::string& word);

// The name a column or index named name on a source of folding from gets on a destination of
// folding to.
std::string carryIdentifier(const std::string& name, IdentifierCase from, IdentifierCase to);

}  // namespace vlm::engine
