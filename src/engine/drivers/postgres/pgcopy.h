// The binary COPY form of rows: each destination column gets an encoder chosen from its real
// type on the server and the source field's type. Only pairs whose binary form gives exactly
// the value the text form would give are taken; any other column makes the whole copy text.
#pragma once

#include <string>
#include <vector>

#include "engine/types.h"

namespace vlm::engine::postgres {

enum class CopyKind { Text, Bytea, Bool, Int2, Int4, Int8, Float8, Numeric, Date, Timestamp, Time };

// The encoder for a column of type oid (a domain's base type) fed from a source field of type
// source; false when the pair has no exact binary form.
bool binaryCopyKind(unsigned oid, FieldType source, CopyKind& kind);

// The header every binary COPY starts with, and the trailer that ends it.
void appendBinaryCopyHeader(std::string& out);
void appendBinaryCopyTrailer(std::string& out);

// One row in the binary form; kinds[i] encodes row.values[sourceColumns[i]] (a negative or
// missing source column is NULL). Throws EngineError (Data) for a value the column cannot hold,
// with the server's wording.
void appendBinaryCopyRow(const Row& row, const std::vector<int>& sourceColumns,
                         const std::vector<CopyKind>& kinds, std::string& out);

// The binary numeric (base 10000 digits) of a decimal text such as "-12.50" or "1.5e-07";
// false when the text is no number.
bool appendNumericBinary(std::string_view text, std::string& out);

}  // namespace vlm::engine::postgres
