// Text utilities; each works on characters (decoded UTF-8) so Cyrillic names pad correctly.
#include "shell/texthelpers.h"

#include <cstdlib>
#include <cerrno>
#include <clocale>

#include "shell/codepage.h"

namespace vlm::shell::text {

std::string stripLeading(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    return std::string(s.substr(i));
}

std::string stripTrailing(std::string_view s) {
    size_t n = s.size();
    while (n > 0 && s[n - 1] == ' ') --n;
    return std::string(s.substr(0, n));
}

std::string strip(std::string_view s) { return stripTrailing(stripLeading(s)); }

std::string repeat(std::string_view s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

int length(std::string_view s) { return static_cast<int>(fromUtf8(s).size()); }

namespace {
std::string firstChars(std::string_view s, int width) {
    std::u32string u = fromUtf8(s);
    if (width < 0) width = 0;
    if (static_cast<int>(u.size()) > width) u.resize(static_cast<size_t>(width));
    return toUtf8(u);
}
}  // namespace

std::string padRight(std::string_view s, std::string_view fill, int width) {
    int len = length(s);
    if (len >= width) return firstChars(s, width);
    return std::string(s) + repeat(fill, width - len);
}

std::string padLeft(std::string_view s, std::string_view fill, int width) {
    int len = length(s);
    if (len >= width) return firstChars(s, width);
    return repeat(fill, width - len) + std::string(s);
}

std::string deleteText(std::string_view s, int pos, int count) {
    std::u32string u = fromUtf8(s);
    if (pos < 1 || count <= 0 || pos > static_cast<int>(u.size())) return std::string(s);
    u.erase(static_cast<size_t>(pos - 1), static_cast<size_t>(count));
    return toUtf8(u);
}

std::string upperCyr(std::string_view s) {
    std::u32string u = fromUtf8(s);
    for (char32_t& c : u) {
        if (c >= U'а' && c <= U'я') c -= 0x20;
        else if (c >= U'a' && c <= U'z') c -= 0x20;
    }
    return toUtf8(u);
}

std::optional<double> textToNumber(std::string_view s, char decimalSeparator) {
    std::string t;
    for (char c : s)
        if (c != ' ') t += (c == decimalSeparator ? '.' : c);
    if (t.empty()) return std::nullopt;
    // strtod follows the C locale's decimal point; the program never changes LC_NUMERIC, but
    // a host library might, so the point is swapped in when it differs.
    const char* point = std::localeconv()->decimal_point;
    if (point && *point && *point != '.')
        for (char& c : t)
            if (c == '.') c = *point;
    errno = 0;
    char* end = nullptr;
    double v = std::strtod(t.c_str(), &end);
    if (end != t.c_str() + t.size() || errno == ERANGE) return std::nullopt;
    return v;
}

namespace {
bool isDelim(char32_t c, const std::u32string& d) { return d.find(c) != std::u32string::npos; }
}  // namespace

int wordCount(std::string_view s, std::string_view delims) {
    std::u32string u = fromUtf8(s), d = fromUtf8(delims);
    int n = 0;
    bool inWord = false;
    for (char32_t c : u) {
        if (isDelim(c, d)) inWord = false;
        else if (!inWord) { inWord = true; ++n; }
    }
    return n;
}

int wordPosition(int n, std::string_view s, std::string_view delims) {
    std::u32string u = fromUtf8(s), d = fromUtf8(delims);
    int count = 0;
    bool inWord = false;
    for (size_t i = 0; i < u.size(); ++i) {
        if (isDelim(u[i], d)) { inWord = false; continue; }
        if (!inWord) {
            inWord = true;
            if (++count == n) return static_cast<int>(i) + 1;
        }
    }
    return 0;
}

std::string extractWord(int n, std::string_view s, std::string_view delims) {
    int pos = wordPosition(n, s, delims);
    if (pos == 0) return {};
    std::u32string u = fromUtf8(s), d = fromUtf8(delims);
    size_t i = static_cast<size_t>(pos - 1), j = i;
    while (j < u.size() && !isDelim(u[j], d)) ++j;
    return toUtf8(u.substr(i, j - i));
}

std::string makeStr(char32_t c, int n) {
    std::string one;
    appendUtf8(one, c);
    return repeat(one, n);
}

std::string toBase(std::uint64_t value, int base, int width) {
    if (base < 2 || base > 16) return {};
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    do {
        out.insert(out.begin(), digits[value % static_cast<unsigned>(base)]);
        value /= static_cast<unsigned>(base);
    } while (value != 0);
    if (static_cast<int>(out.size()) < width) out.insert(0, static_cast<size_t>(width) - out.size(), '0');
    return out;
}

std::string intToHex(std::int64_t value, int digits) {
    return toBase(static_cast<std::uint64_t>(value), 16, digits);
}

std::int64_t hexToInt(std::string_view s) {
    std::string t = strip(s);
    if (!t.empty() && t[0] == '$') t.erase(0, 1);
    if (t.empty() || t.size() > 16) return 0;
    std::uint64_t v = 0;
    for (char c : t) {
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return 0;
        v = v * 16 + static_cast<std::uint64_t>(d);
    }
    return static_cast<std::int64_t>(v);
}

}  // namespace vlm::shell::text
