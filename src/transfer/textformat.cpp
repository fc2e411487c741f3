// The delimited text format: character sets, header, row splitting and value conversion.
#include "transfer/textformat.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <unordered_map>

#include "engine/error.h"
#include "shell/codepage.h"

namespace vlm::transfer {

using engine::FieldType;
using engine::Value;

namespace {

// CP866 bytes 0x80..0xFF as Unicode.
constexpr char16_t kCp866[128] = {
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C,
    0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429,
    0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F, 0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436,
    0x0437, 0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F, 0x2591, 0x2592, 0x2593, 0x2502,
    0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514,
    0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550,
    0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C,
    0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F, 0x0401, 0x0451, 0x0404, 0x0454, 0x0407,
    0x0457, 0x040E, 0x045E, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x2116, 0x00A4, 0x25A0, 0x00A0};

const std::unordered_map<char32_t, unsigned char>& cp866Bytes() {
    static const std::unordered_map<char32_t, unsigned char> m = [] {
        std::unordered_map<char32_t, unsigned char> r;
        for (int i = 0; i < 128; ++i) r.emplace(char32_t(kCp866[i]), static_cast<unsigned char>(0x80 + i));
        return r;
    }();
    return m;
}

bool ascii(std::string_view s) {
    for (unsigned char c : s)
        if (c >= 0x80) return false;
    return true;
}

[[noreturn]] void mismatch(const std::string& why) {
    throw engine::EngineError(engine::ErrorCategory::Data, engine::errc::ConversionFailed, {kMismatchFormat, why});
}

std::string trimmed(std::string_view s) {
    auto b = s.find_first_not_of(" \t"), e = s.find_last_not_of(" \t");
    return b == std::string_view::npos ? std::string() : std::string(s.substr(b, e - b + 1));
}

bool parseInt(std::string_view s, long long& out) {
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return ec == std::errc() && p == s.data() + s.size();
}

int digits(std::string_view s, std::size_t at, std::size_t len) {
    if (at + len > s.size()) throw std::invalid_argument("");
    int v = 0;
    for (std::size_t i = at; i < at + len; ++i) {
        if (s[i] < '0' || s[i] > '9') throw std::invalid_argument("");
        v = v * 10 + (s[i] - '0');
    }
    return v;
}

engine::Date dateOf(std::string_view s) {
    if (s.size() != 10 || s[4] != '-' || s[7] != '-') throw std::invalid_argument("");
    engine::Date d{digits(s, 0, 4), digits(s, 5, 2), digits(s, 8, 2)};
    static const int days[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (d.month < 1 || d.month > 12 || d.day < 1 || d.day > days[d.month - 1]) throw std::invalid_argument("");
    return d;
}

engine::Time timeOf(std::string_view s) {
    if (s.size() < 8 || s[2] != ':' || s[5] != ':') throw std::invalid_argument("");
    engine::Time t{digits(s, 0, 2), digits(s, 3, 2), digits(s, 6, 2), 0};
    if (s.size() > 8) {
        if (s[8] != '.' || s.size() > 12 || s.size() < 10) throw std::invalid_argument("");
        std::string ms(s.substr(9));
        while (ms.size() < 3) ms += '0';
        t.msec = digits(ms, 0, 3);
    }
    if (t.hour > 23 || t.minute > 59 || t.second > 59) throw std::invalid_argument("");
    return t;
}

}  // namespace

bool encodeText(std::string_view text, CharSet cs, std::string& out) {
    if (cs == CharSet::Windows || ascii(text)) {
        out.assign(text);
        return true;
    }
    out.clear();
    const auto& map = cp866Bytes();
    for (char32_t c : shell::fromUtf8(text)) {
        if (c < 0x80) {
            out += char(c);
            continue;
        }
        auto it = map.find(c);
        if (it == map.end()) return false;
        out += char(it->second);
    }
    return shell::isValidUtf8(text);
}

bool decodeText(std::string_view raw, CharSet cs, std::string& out) {
    if (ascii(raw)) {
        out.assign(raw);
        return true;
    }
    if (cs == CharSet::Windows) {
        out.assign(raw);
        return shell::isValidUtf8(raw);
    }
    out.clear();
    for (unsigned char c : raw) {
        if (c < 0x80) out += char(c);
        else shell::appendUtf8(out, char32_t(kCp866[c - 0x80]));
    }
    return true;
}

TextHeader parseHeader(const std::string& line1, const std::string& line2, const std::string& line3, char delimiter,
                       CharSet cs) {
    TextHeader h;
    long long n = -1;
    if (!parseInt(trimmed(line1), n) || n <= 0 || n > 100000) mismatch("Line 1 does not hold the number of fields");
    h.count = int(n);
    std::vector<std::string_view> parts;
    if (!splitRow(line3, delimiter, h.count, parts))
        mismatch("Line 3 does not hold " + std::to_string(n) + " type codes, each followed by the delimiter");
    for (auto p : parts) {
        long long code = 0;
        if (!parseInt(trimmed(p), code)) mismatch("Line 3: '" + std::string(p) + "' is no type code");
        h.types.push_back(code >= 0 && code <= 22 ? int(code) : 0);
    }
    if (!splitRow(line2, delimiter, h.count, parts))
        mismatch("Line 2 does not hold " + std::to_string(n) + " field names, each followed by the delimiter");
    for (auto p : parts) {
        std::string name;
        if (!decodeText(p, cs, name)) mismatch("Line 2 is not in the expected character set");
        h.names.push_back(trimmed(name));
    }
    return h;
}

char detectDelimiter(const std::string& line3) {
    for (char c : line3)
        if ((c < '0' || c > '9') && c != '-' && c != ' ') return c;
    return 0;
}

bool splitRow(std::string_view line, char delimiter, int n, std::vector<std::string_view>& out) {
    out.clear();
    std::size_t start = 0;
    while (start < line.size()) {
        auto d = line.find(delimiter, start);
        if (d == std::string_view::npos) return false;   // text after the last delimiter
        if (int(out.size()) == n) return false;
        out.push_back(line.substr(start, d - start));
        start = d + 1;
    }
    return int(out.size()) == n;
}

Value valueFromText(std::string_view text, int typeCode) {
    const auto t = FieldType(typeCode);
    auto blank = [&] { return text.find_first_not_of(' ') == std::string_view::npos; };
    switch (t) {
    case FieldType::Smallint:
    case FieldType::Integer:
    case FieldType::Word:
    case FieldType::AutoInc: {
        if (blank()) return Value();
        long long v = 0;
        if (!parseInt(trimmed(text), v)) throw std::invalid_argument("'" + std::string(text) + "' is no integer");
        return Value(std::int64_t(v));
    }
    case FieldType::Float:
    case FieldType::Currency: {
        if (blank()) return Value();
        std::string s = trimmed(text);
        double d = 0;
        auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), d);
        if (ec != std::errc() || p != s.data() + s.size())
            throw std::invalid_argument("'" + s + "' is no number");
        return Value(d);
    }
    case FieldType::BCD: {
        if (blank()) return Value();
        std::string s = trimmed(text);
        double d = 0;
        auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), d);
        if (ec != std::errc() || p != s.data() + s.size())
            throw std::invalid_argument("'" + s + "' is no number");
        return Value(engine::Decimal{s});
    }
    case FieldType::Boolean: {
        if (blank()) return Value();
        std::string s = trimmed(text);
        char c = char(std::toupper(static_cast<unsigned char>(s[0])));
        if (c == 'T' || c == 'Y' || s == "1") return Value(true);
        if (c == 'F' || c == 'N' || s == "0") return Value(false);
        throw std::invalid_argument("'" + s + "' is no boolean");
    }
    case FieldType::Date:
    case FieldType::Time:
    case FieldType::DateTime: {
        if (blank()) return Value();
        std::string s = trimmed(text);
        try {
            if (t == FieldType::Date) return Value(dateOf(s));
            if (t == FieldType::Time) return Value(timeOf(s));
            if (s.size() == 10) return Value(engine::DateTime{dateOf(s), {}});
            if (s.size() < 19 || s[10] != ' ') throw std::invalid_argument("");
            return Value(engine::DateTime{dateOf(s.substr(0, 10)), timeOf(s.substr(11))});
        } catch (const std::invalid_argument&) {
            const char* form = t == FieldType::Date ? "YYYY-MM-DD" : t == FieldType::Time ? "HH:MM:SS" : "YYYY-MM-DD HH:MM:SS";
            throw std::invalid_argument("'" + s + "' is no " + engine::fieldTypeName(t) + " (" + form + ")");
        }
    }
    case FieldType::Bytes:
    case FieldType::VarBytes:
    case FieldType::Blob:
    case FieldType::Graphic:
    case FieldType::ParadoxOle:
    case FieldType::DBaseOle:
    case FieldType::TypedBinary: {
        // Binary values are written in hexadecimal; a text that is none (a text blob) stays text.
        if (text.empty()) return Value();
        auto hex = [](char c) -> int {
            if (c >= '0' && c <= '9') return c - '0';
            if (c >= 'A' && c <= 'F') return c - 'A' + 10;
            if (c >= 'a' && c <= 'f') return c - 'a' + 10;
            return -1;
        };
        engine::Bytes b;
        b.reserve(text.size() / 2);
        for (std::size_t i = 0; i + 1 < text.size() && text.size() % 2 == 0; i += 2) {
            int hi = hex(text[i]), lo = hex(text[i + 1]);
            if (hi < 0 || lo < 0) break;
            b.push_back(std::uint8_t(hi * 16 + lo));
        }
        if (b.size() * 2 != text.size()) return Value(std::string(text));
        return Value(std::move(b));
    }
    default:
        return Value(std::string(text));
    }
}

std::string valueText(const Value& v) { return v.asText(); }

std::string rightAligned(long long n, int width) {
    std::string s = std::to_string(n);
    if (int(s.size()) < width) s.insert(0, std::size_t(width) - s.size(), ' ');
    return s;
}

}  // namespace vlm::transfer
