// The delimited text format of export and import, lines ending in CR LF, D the delimiter:
//   line 1  the number of columns n
//   line 2  every field name followed by D
//   line 3  every field type code (engine FieldType) followed by D
//   line 4+ one row per line, every value as text followed by D; NULL is an empty field
// With the Dos character set names and values are CP866 in the file, with the Windows one
// they are the program's own text (UTF-8). The type line is never converted.
//   parseHeader("2", "A;B;", "1;3;", ';', CharSet::Dos) -> {2, {"A","B"}, {1,3}}
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/types.h"

namespace vlm::transfer {

enum class CharSet { Dos, Windows };

// The import's refusal of a file whose header does not hold together.
inline constexpr const char* kMismatchFormat = "Mismatch format of text file !";

// Text of the program (UTF-8) to the file's character set. False when a character has no
// place in CP866 (out unspecified); Windows copies the text.
bool encodeText(std::string_view text, CharSet cs, std::string& out);
// The file's text back to the program's. False when a Windows (UTF-8) text is not valid UTF-8.
bool decodeText(std::string_view raw, CharSet cs, std::string& out);

struct TextHeader {
    int count = 0;
    std::vector<std::string> names;
    std::vector<int> types;
};

// The three header lines (without their line ends), or throws EngineError with
// kMismatchFormat and what is wrong.
TextHeader parseHeader(const std::string& line1, const std::string& line2, const std::string& line3, char delimiter,
                       CharSet cs);
// The delimiter of a file: the first character of line 3 that is no digit; 0 when none.
char detectDelimiter(const std::string& line3);

// Splits a row line into exactly n fields each followed by the delimiter; false when the line
// holds another number of fields.
bool splitRow(std::string_view line, char delimiter, int n, std::vector<std::string_view>& out);

// A field of the file as the value to bind for a column of that type code (already decoded to
// the program's text). Blank numbers, dates, times and booleans are NULL; a text that is no
// value of its type throws std::invalid_argument saying why.
engine::Value valueFromText(std::string_view text, int typeCode);

// The text a value takes in the file (before the character set); NULL is empty.
std::string valueText(const engine::Value& v);

// Right-aligns n in width characters (a wider number is kept whole).
std::string rightAligned(long long n, int width);

}  // namespace vlm::transfer
