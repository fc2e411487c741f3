// Single-byte code pages and UTF-8 for the shell's text helpers, the RTF reader and the
// text window's plain-text fallback. Plain C++, no Qt.
//   std::u32string u = vlm::shell::fromUtf8(s);  std::string back = vlm::shell::toUtf8(u);
#pragma once

#include <string>
#include <string_view>

namespace vlm::shell {

// The Unicode character of byte b in Windows code page cp (1251 or 1252; any other page is
// read as 1252). Undefined bytes give U+FFFD.
char32_t decodeCodePageByte(int cp, unsigned char b);

// Whole texts in a single-byte code page to UTF-8.
std::string codePageToUtf8(int cp, std::string_view bytes);

// UTF-8 <-> UTF-32. Invalid sequences decode to U+FFFD, one per bad byte.
std::u32string fromUtf8(std::string_view s);
std::string toUtf8(std::u32string_view s);
void appendUtf8(std::string& out, char32_t c);

// True when s is well-formed UTF-8.
bool isValidUtf8(std::string_view s);

// The code page of an RTF \fcharset number (204 Cyrillic -> 1251, everything else 1252).
int codePageOfCharset(int charset);

}  // namespace vlm::shell
