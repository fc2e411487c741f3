// The small text utilities every window uses: choice by flag, blank stripping, repeating and
// padding, deleting, Cyrillic upper case, text to number, words, number bases, hexadecimal.
// Plain C++ over UTF-8; lengths and positions count characters, not bytes.
//   padRight("EMP", " ", 5) == "EMP  ";  upperCyr("йъ") == "ЙЪ";  hexToInt("$1F") == 31
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vlm::shell::text {

template <class T>
constexpr const T& choose(bool flag, const T& first, const T& second) {
    return flag ? first : second;
}
inline std::string choose(bool flag, std::string_view first, std::string_view second) {
    return std::string(flag ? first : second);
}

// Blanks only (the character 32), not other white space.
std::string stripLeading(std::string_view s);
std::string stripTrailing(std::string_view s);
std::string strip(std::string_view s);

std::string repeat(std::string_view s, int n);

// The text followed (padRight) or preceded (padLeft) by (width - length) copies of fill;
// a text at least width characters long is cut to its first width characters.
std::string padRight(std::string_view s, std::string_view fill, int width);
std::string padLeft(std::string_view s, std::string_view fill, int width);

// The text without count characters from the 1-based position pos.
std::string deleteText(std::string_view s, int pos, int count);

// Windows-1251 upper case: "а".."я" become "А".."Я", a..z become A..Z, everything else
// (including "ё") stays.
std::string upperCyr(std::string_view s);

// Every blank removed, then read as a floating-point number; nullopt when it is none.
std::optional<double> textToNumber(std::string_view s, char decimalSeparator = '.');

// Words are runs of characters not in delims.
int wordCount(std::string_view s, std::string_view delims);
int wordPosition(int n, std::string_view s, std::string_view delims);  // 1-based, 0 if none
std::string extractWord(int n, std::string_view s, std::string_view delims);

std::string makeStr(char32_t c, int n);

// value in base 2..16 (digits 0-9, A-F), left-padded with "0" to width characters.
std::string toBase(std::uint64_t value, int base, int width);
// value in hexadecimal with at least digits digits (upper case).
std::string intToHex(std::int64_t value, int digits);
// A hexadecimal text, with or without a leading "$"; 0 when it is no number.
std::int64_t hexToInt(std::string_view s);

// Character count of a UTF-8 text.
int length(std::string_view s);

}  // namespace vlm::shell::text
