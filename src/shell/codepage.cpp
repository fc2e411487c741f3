// Windows-1251 and 1252 tables and a small UTF-8 codec.
#include "shell/codepage.h"

namespace vlm::shell {
namespace {

constexpr char32_t kCp1251High[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

constexpr char32_t kCp1252Ctl[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
    0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

// Length of the UTF-8 sequence starting at s[i] and its value, or 0 when malformed.
size_t decodeOne(std::string_view s, size_t i, char32_t& out) {
    auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) { out = b0; return 1; }
    size_t len = 0;
    char32_t c = 0;
    if ((b0 & 0xE0) == 0xC0) { len = 2; c = b0 & 0x1F; }
    else if ((b0 & 0xF0) == 0xE0) { len = 3; c = b0 & 0x0F; }
    else if ((b0 & 0xF8) == 0xF0) { len = 4; c = b0 & 0x07; }
    else return 0;
    if (i + len > s.size()) return 0;
    for (size_t k = 1; k < len; ++k) {
        auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) return 0;
        c = (c << 6) | (b & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are malformed.
    if ((len == 2 && c < 0x80) || (len == 3 && c < 0x800) || (len == 4 && c < 0x10000) ||
        c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    out = c;
    return len;
}

}  // namespace

char32_t decodeCodePageByte(int cp, unsigned char b) {
    if (b < 0x80) return b;
    if (cp == 1251) {
        if (b >= 0xC0) return 0x0410 + (b - 0xC0);
        return kCp1251High[b - 0x80];
    }
    if (b < 0xA0) return kCp1252Ctl[b - 0x80];
    return b;
}

std::string codePageToUtf8(int cp, std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char ch : bytes) appendUtf8(out, decodeCodePageByte(cp, static_cast<unsigned char>(ch)));
    return out;
}

void appendUtf8(std::string& out, char32_t c) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::u32string fromUtf8(std::string_view s) {
    std::u32string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        char32_t c = 0;
        size_t n = decodeOne(s, i, c);
        if (n == 0) { out += U'\uFFFD'; ++i; }
        else { out += c; i += n; }
    }
    return out;
}

std::string toUtf8(std::u32string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char32_t c : s) appendUtf8(out, c);
    return out;
}

bool isValidUtf8(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        char32_t c = 0;
        size_t n = decodeOne(s, i, c);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

int codePageOfCharset(int charset) { return charset == 204 ? 1251 : 1252; }

}  // namespace vlm::shell
