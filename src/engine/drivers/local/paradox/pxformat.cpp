// Paradox header layout, value codecs and code pages.
#include "pxformat.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <iconv.h>

namespace vlm::engine::local::paradox {
namespace {

std::uint16_t rd16(const std::uint8_t* p) { return std::uint16_t(p[0] | (p[1] << 8)); }
std::uint32_t rd32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}
void wr16(std::uint8_t* p, std::uint32_t v) { p[0] = std::uint8_t(v), p[1] = std::uint8_t(v >> 8); }
void wr32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = std::uint8_t(v >> (8 * i));
}

bool isIndexFile(std::uint8_t t) {
    return t == filetype::PrimaryIndex || t == filetype::SecIndexY || t == filetype::SecIndexYG;
}

int tableNameLength(std::uint8_t versionId) { return versionId >= 0x0C ? 261 : 79; }

// Fixed record sizes; 0 for the types whose size the header gives.
int fixedSize(std::uint8_t t) {
    switch (t) {
    case ftype::Short: return 2;
    case ftype::Date: case ftype::Long: case ftype::Time: case ftype::AutoInc: return 4;
    case ftype::Money: case ftype::Number: case ftype::Timestamp: return 8;
    case ftype::Logical: return 1;
    case ftype::Bcd: return 17;
    default: return 0;
    }
}

bool knownType(std::uint8_t t) {
    switch (t) {
    case ftype::Alpha: case ftype::Date: case ftype::Short: case ftype::Long: case ftype::Money:
    case ftype::Number: case ftype::Logical: case ftype::Memo: case ftype::Binary:
    case ftype::FmtMemo: case ftype::Ole: case ftype::Graphic: case ftype::Time:
    case ftype::Timestamp: case ftype::AutoInc: case ftype::Bcd: case ftype::Bytes:
        return true;
    default:
        return false;
    }
}

std::string fileName(const std::string& path) {
    auto s = path.find_last_of('/');
    return s == std::string::npos ? path : path.substr(s + 1);
}

}  // namespace

bool isBlobType(std::uint8_t t) {
    return t == ftype::Memo || t == ftype::Binary || t == ftype::FmtMemo || t == ftype::Ole ||
           t == ftype::Graphic;
}

int levelForType(std::uint8_t t) {
    switch (t) {
    case ftype::Alpha: case ftype::Date: case ftype::Short: case ftype::Money: case ftype::Number:
        return 3;
    case ftype::Memo: case ftype::Binary: case ftype::FmtMemo: case ftype::Ole: case ftype::Graphic:
        return 4;
    default:
        return 5;
    }
}

const char* typeName(std::uint8_t t) {
    switch (t) {
    case ftype::Alpha: return "ALPHA";
    case ftype::Date: return "DATE";
    case ftype::Short: return "SMALLINT";
    case ftype::Long: return "INTEGER";
    case ftype::Money: return "MONEY";
    case ftype::Number: return "NUMERIC";
    case ftype::Logical: return "LOGICAL";
    case ftype::Memo: return "MEMO";
    case ftype::Binary: return "BINARY";
    case ftype::FmtMemo: return "FORMATTED MEMO";
    case ftype::Ole: return "OLE";
    case ftype::Graphic: return "GRAPHIC";
    case ftype::Time: return "TIME";
    case ftype::Timestamp: return "DATETIME";
    case ftype::AutoInc: return "AUTOINC";
    case ftype::Bcd: return "DECIMAL";
    case ftype::Bytes: return "BYTES";
    default: return "UNKNOWN";
    }
}

bool PxHeader::extended() const { return versionId >= 5 && !isIndexFile(fileType); }

int PxHeader::level() const {
    if (versionId <= 4) return 3;
    if (versionId <= 9) return 4;
    if (versionId <= 0x0B) return 5;
    return 7;
}

std::uint8_t versionIdForLevel(int level) {
    switch (level) {
    case 3: return 0x03;
    case 4: return 0x09;
    case 5: return 0x0B;
    default: return 0x0C;
    }
}

void corrupt(const std::string& path, const std::string& what) {
    throw EngineError(ErrorCategory::File, errc::FileCorrupt,
                      {"File " + path + " is corrupt: " + what});
}

void layoutFields(PxHeader& h, const std::string& path) {
    int off = 0;
    for (auto& f : h.fields) {
        int fixed = fixedSize(f.type);
        if (fixed && f.type != ftype::Bcd) f.size = fixed;
        if (f.type == ftype::Bcd) f.size = 17;
        if (f.size <= 0 || f.size > 255)
            corrupt(path, "field " + f.name + " has the invalid size " + std::to_string(f.size));
        f.offset = off;
        off += f.size;
    }
    h.recordSize = off;
}

PxHeader readHeader(File& file, bool expectIndex) {
    const std::string& path = file.path();
    std::uint64_t fileSize = file.size();
    if (fileSize < 0x58) corrupt(path, "the file is shorter than a table header");
    std::uint8_t fixed[0x78] = {};
    file.read(0, fixed, sizeof fixed);
    PxHeader h;
    h.recordSize = rd16(fixed + 0x00);
    h.headerSize = rd16(fixed + 0x02);
    h.fileType = fixed[0x04];
    h.maxTableSize = fixed[0x05];
    h.numRecords = rd32(fixed + 0x06);
    h.fileBlocks = rd16(fixed + 0x0C);
    h.firstBlock = rd16(fixed + 0x0E);
    h.lastBlock = rd16(fixed + 0x10);
    h.indexFieldNumber = fixed[0x15];
    h.indexRoot = rd16(fixed + 0x1E);
    h.indexLevels = fixed[0x20];
    int numFields = rd16(fixed + 0x21);
    h.pkFields = rd16(fixed + 0x23);
    h.encryption1 = rd32(fixed + 0x25);
    h.sortOrder = fixed[0x29];
    h.versionId = fixed[0x39];
    h.autoInc = rd32(fixed + 0x49);
    if (h.fileType > 8) corrupt(path, "unknown file type " + std::to_string(h.fileType));
    if (expectIndex != isIndexFile(h.fileType))
        corrupt(path, "file type " + std::to_string(h.fileType) + " does not belong to this file");
    bool ext = h.extended();
    if (ext) {
        if (fileSize < 0x78) corrupt(path, "the file is shorter than a table header");
        h.encryption2 = rd32(fixed + 0x5C);
        h.updateStamp = rd32(fixed + 0x60);
        h.codePage = rd16(fixed + 0x6A);
        h.indexFlags = fixed[0x74];
    } else {
        h.codePage = 437;
        h.updateStamp = rd32(fixed + 0x50);
    }
    bool protectedTable = ext ? (h.encryption2 != 0 ||
                                 (h.encryption1 != 0 && h.encryption1 != 0xFF00FF00u))
                              : (h.encryption1 != 0 && !isIndexFile(h.fileType));
    if (protectedTable)
        throw EngineError(ErrorCategory::File, errc::TableProtected,
                          {"Table " + fileName(path) + " is password protected; it cannot be opened"});
    if (h.recordSize == 0) corrupt(path, "the header gives a record size of 0");
    if (h.headerSize < 0x58 + 2 * numFields || std::uint64_t(h.headerSize) > fileSize)
        corrupt(path, "the header size " + std::to_string(h.headerSize) + " is impossible");
    static const int sizes[] = {1, 2, 3, 4, 8, 16, 32};
    if (std::find(std::begin(sizes), std::end(sizes), h.maxTableSize) == std::end(sizes))
        corrupt(path, "the block size code " + std::to_string(h.maxTableSize) + " is unknown");
    if (numFields <= 0 || numFields > 1024) corrupt(path, "the header gives " + std::to_string(numFields) + " fields");
    if (h.pkFields > numFields) corrupt(path, "more key fields than fields");
    if (h.recordsPerBlock() < 1) corrupt(path, "the record size " + std::to_string(h.recordSize) + " exceeds the block size");
    std::uint64_t room = (fileSize - h.headerSize) / std::uint64_t(h.blockSize());
    if (std::uint64_t(h.fileBlocks) > room + 1) {
        // Trailing blocks that were never written are tolerated only up to the last one.
        h.fileBlocks = int(room);
    }

    std::vector<std::uint8_t> hdr(std::size_t(h.headerSize));
    file.readExact(0, hdr.data(), hdr.size());
    std::size_t pos = ext ? 0x78 : 0x58;
    if (pos + 2 * std::size_t(numFields) > hdr.size()) corrupt(path, "the field list runs past the header");
    for (int i = 0; i < numFields; ++i) {
        PxField f;
        f.type = hdr[pos + 2 * i];
        int sz = hdr[pos + 2 * i + 1];
        if (!knownType(f.type))
            corrupt(path, "field " + std::to_string(i + 1) + " has the unknown type " + std::to_string(f.type));
        if (f.type == ftype::Bcd) {
            if (sz > 32) corrupt(path, "field " + std::to_string(i + 1) + " has " + std::to_string(sz) + " decimals");
            f.decimals = sz;
            f.size = 17;
        } else if (fixedSize(f.type)) {
            if (sz != fixedSize(f.type))
                corrupt(path, "field " + std::to_string(i + 1) + " of type " + typeName(f.type) +
                                  " has the size " + std::to_string(sz));
            f.size = sz;
        } else {
            if (sz == 0 || (isBlobType(f.type) && sz < 10))
                corrupt(path, "field " + std::to_string(i + 1) + " has the size " + std::to_string(sz));
            f.size = sz;
        }
        h.fields.push_back(f);
    }
    pos += 2 * std::size_t(numFields);
    int sum = 0;
    for (auto& f : h.fields) f.offset = sum, sum += f.size;
    if (sum != h.recordSize && !(isIndexFile(h.fileType) && sum + 6 == h.recordSize))
        corrupt(path, "the header gives a record size of " + std::to_string(h.recordSize) +
                          " but its fields take " + std::to_string(sum) + " bytes");
    if (!isIndexFile(h.fileType)) {
        // Table name pointer, field name pointers, the table name, then the names.
        pos += 4 + 4 * std::size_t(numFields);
        std::size_t tl = std::size_t(tableNameLength(h.versionId));
        if (pos + tl > hdr.size()) corrupt(path, "the table name runs past the header");
        const char* tn = reinterpret_cast<const char*>(hdr.data() + pos);
        h.tableName.assign(tn, strnlen(tn, tl));
        pos += tl;
        for (auto& f : h.fields) {
            if (pos >= hdr.size()) corrupt(path, "the field names run past the header");
            const char* s = reinterpret_cast<const char*>(hdr.data() + pos);
            std::size_t n = strnlen(s, hdr.size() - pos);
            if (pos + n >= hdr.size()) corrupt(path, "the field names run past the header");
            f.name.assign(s, n);
            pos += n + 1;
        }
        pos += 2 * std::size_t(numFields);   // field numbers
        if (pos < hdr.size()) {
            const char* s = reinterpret_cast<const char*>(hdr.data() + pos);
            h.sortName.assign(s, strnlen(s, std::min<std::size_t>(hdr.size() - pos, 32)));
        }
    } else {
        for (std::size_t i = 0; i < h.fields.size(); ++i) h.fields[i].name = "F" + std::to_string(i + 1);
    }
    return h;
}

std::vector<std::uint8_t> buildHeader(PxHeader& h) {
    bool index = isIndexFile(h.fileType);
    bool ext = h.extended();
    std::size_t n = h.fields.size();
    std::size_t need = (ext ? 0x78 : 0x58) + 2 * n;
    if (!index) {
        need += 4 + 4 * n + std::size_t(tableNameLength(h.versionId));
        for (auto& f : h.fields) need += f.name.size() + 1;
        need += 2 * n + h.sortName.size() + 1;
    }
    std::size_t size = (need + 0x7FF) / 0x800 * 0x800;
    h.headerSize = int(size);
    std::vector<std::uint8_t> b(size, 0);
    wr16(&b[0x00], std::uint32_t(h.recordSize));
    wr16(&b[0x02], std::uint32_t(h.headerSize));
    b[0x04] = h.fileType;
    b[0x05] = std::uint8_t(h.maxTableSize);
    wr32(&b[0x06], h.numRecords);
    wr16(&b[0x0A], std::uint32_t(h.fileBlocks));
    wr16(&b[0x0C], std::uint32_t(h.fileBlocks));
    wr16(&b[0x0E], std::uint32_t(h.firstBlock));
    wr16(&b[0x10], std::uint32_t(h.lastBlock));
    b[0x15] = std::uint8_t(h.indexFieldNumber);
    wr16(&b[0x1E], std::uint32_t(h.indexRoot));
    b[0x20] = std::uint8_t(h.indexLevels);
    wr16(&b[0x21], std::uint32_t(n));
    wr16(&b[0x23], std::uint32_t(h.pkFields));
    wr32(&b[0x25], ext ? 0xFF00FF00u : 0);
    b[0x29] = h.sortOrder;
    b[0x2D] = 1;
    b[0x2E] = 1;
    b[0x39] = h.versionId;
    wr16(&b[0x3A], 1);
    wr32(&b[0x49], h.autoInc);
    if (ext) {
        std::uint32_t vid = 0x0100u | h.versionId;
        wr16(&b[0x58], vid);
        wr16(&b[0x5A], vid);
        wr32(&b[0x60], h.updateStamp);
        wr16(&b[0x64], std::uint32_t(n + 1));
        wr16(&b[0x6A], std::uint32_t(h.codePage));
        b[0x74] = h.indexFlags;
    } else {
        wr32(&b[0x50], h.updateStamp);
    }
    std::size_t pos = ext ? 0x78 : 0x58;
    for (auto& f : h.fields) {
        b[pos++] = f.type;
        b[pos++] = std::uint8_t(f.type == ftype::Bcd ? f.decimals : f.size);
    }
    if (!index) {
        pos += 4 + 4 * n;
        std::memcpy(&b[pos], h.tableName.data(),
                    std::min<std::size_t>(h.tableName.size(), std::size_t(tableNameLength(h.versionId)) - 1));
        pos += std::size_t(tableNameLength(h.versionId));
        for (auto& f : h.fields) {
            std::memcpy(&b[pos], f.name.data(), f.name.size());
            pos += f.name.size() + 1;
        }
        for (std::size_t i = 0; i < n; ++i) wr16(&b[pos + 2 * i], std::uint32_t(i + 1));
        pos += 2 * n;
        std::memcpy(&b[pos], h.sortName.data(), h.sortName.size());
    }
    return b;
}

void writeCounters(File& file, const PxHeader& h) {
    std::uint8_t b[0x0E];
    wr32(b + 0, h.numRecords);
    wr16(b + 4, std::uint32_t(h.fileBlocks));
    wr16(b + 6, std::uint32_t(h.fileBlocks));
    wr16(b + 8, std::uint32_t(h.firstBlock));
    wr16(b + 10, std::uint32_t(h.lastBlock));
    file.write(0x06, b, 12);
    wr32(b, h.autoInc);
    file.write(0x49, b, 4);
    wr32(b, h.updateStamp);
    file.write(h.extended() ? 0x60 : 0x50, b, 4);
}

// ---- code pages ----

CodePage::CodePage(int codePage) {
    name_ = codePage > 0 ? "CP" + std::to_string(codePage) : "CP437";
    in_ = iconv_open("UTF-8", name_.c_str());
    if (in_ == reinterpret_cast<void*>(-1)) {
        name_ = "CP437";
        in_ = iconv_open("UTF-8", name_.c_str());
    }
    out_ = iconv_open(name_.c_str(), "UTF-8");
}

CodePage::~CodePage() {
    if (in_ != reinterpret_cast<void*>(-1)) iconv_close(static_cast<iconv_t>(in_));
    if (out_ != reinterpret_cast<void*>(-1)) iconv_close(static_cast<iconv_t>(out_));
}

namespace {
bool plainAscii(const char* s, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i)
        if (static_cast<unsigned char>(s[i]) >= 0x80) return false;
    return true;
}

bool convert(void* cd, const char* s, std::size_t n, std::string& out) {
    out.clear();
    if (cd == reinterpret_cast<void*>(-1)) return false;
    iconv(static_cast<iconv_t>(cd), nullptr, nullptr, nullptr, nullptr);
    out.resize(n * 4 + 8);
    char* in = const_cast<char*>(s);
    std::size_t inLeft = n;
    char* o = out.data();
    std::size_t oLeft = out.size();
    std::size_t r = iconv(static_cast<iconv_t>(cd), &in, &inLeft, &o, &oLeft);
    if (r == std::size_t(-1)) return false;
    out.resize(out.size() - oLeft);
    return true;
}
}  // namespace

std::string CodePage::toUtf8(const char* s, std::size_t n) const {
    if (plainAscii(s, n)) return std::string(s, n);
    std::string out;
    if (convert(in_, s, n, out)) return out;
    // Bytes the code page leaves undefined become '?' rather than failing the whole read.
    std::string cleaned;
    for (std::size_t i = 0; i < n; ++i) {
        std::string one;
        if (convert(in_, s + i, 1, one)) cleaned += one;
        else cleaned += '?';
    }
    return cleaned;
}

std::string CodePage::fromUtf8(const std::string& s, const std::string& what) const {
    if (plainAscii(s.data(), s.size())) return s;
    std::string out;
    if (!convert(out_, s.data(), s.size(), out)) {
        std::size_t cut = std::min<std::size_t>(s.size(), 40);
        while (cut < s.size() && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80) ++cut;
        throw EngineError(ErrorCategory::Data, errc::ConversionFailed,
                          {what + ": the text \"" + s.substr(0, cut) + (cut < s.size() ? "..." : "") +
                           "\" cannot be stored in the table's code page " + name_ + " (" + kLanguageDriverHint + ")"});
    }
    return out;
}

int codePageForLanguageDriver(const std::string& name) {
    std::string n;
    for (char c : name) n += char(std::toupper(static_cast<unsigned char>(c)));
    if (n.empty()) return 0;
    if (n.rfind("CP", 0) == 0 && n.size() > 2 && std::isdigit(static_cast<unsigned char>(n[2])))
        return std::atoi(n.c_str() + 2);
    if (std::isdigit(static_cast<unsigned char>(n[0]))) return std::atoi(n.c_str());
    if (n.find("ANSI") != std::string::npos && (n.find("CYR") != std::string::npos)) return 1251;
    if (n == "ANCYRR") return 1251;
    if (n.find("CYR") != std::string::npos || n.find("866") != std::string::npos) return 866;
    if (n.find("850") != std::string::npos) return 850;
    if (n.find("ANSI") != std::string::npos || n.find("WEUROPE") != std::string::npos) return 1252;
    if (n.find("ASCII") != std::string::npos || n.find("INTL") != std::string::npos ||
        n.find("437") != std::string::npos)
        return 437;
    return 0;
}

std::string sortNameForCodePage(int cp) {
    switch (cp) {
    case 1252: return "ANSIINTL";
    case 1251: return "ancyrr";
    case 866: return "cyrr";
    case 850: return "intl850";
    default: return "ascii";
    }
}

// ---- value codecs ----

bool isNullBytes(const std::uint8_t* p, int n) {
    for (int i = 0; i < n; ++i)
        if (p[i]) return false;
    return true;
}

std::int64_t getInt(const std::uint8_t* p, int n) {
    std::uint64_t v = 0;
    for (int i = 0; i < n; ++i) v = (v << 8) | p[i];
    std::uint64_t sign = std::uint64_t(1) << (8 * n - 1);
    v ^= sign;
    // Sign-extend from n bytes.
    if (v & sign) return std::int64_t(v | ~((sign << 1) - 1));
    return std::int64_t(v);
}

void putInt(std::uint8_t* p, int n, std::int64_t v) {
    std::uint64_t u = std::uint64_t(v) ^ (std::uint64_t(1) << (8 * n - 1));
    for (int i = n - 1; i >= 0; --i) p[i] = std::uint8_t(u), u >>= 8;
}

double getDouble(const std::uint8_t* p) {
    std::uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v = (v << 8) | p[i];
    if (v & (std::uint64_t(1) << 63)) v ^= std::uint64_t(1) << 63;
    else v = ~v;
    return std::bit_cast<double>(v);
}

void putDouble(std::uint8_t* p, double d) {
    if (d == 0) d = 0;   // no negative zero: it would not compare equal to zero as bytes
    std::uint64_t v = std::bit_cast<std::uint64_t>(d);
    if (v & (std::uint64_t(1) << 63)) v = ~v;
    else v ^= std::uint64_t(1) << 63;
    for (int i = 7; i >= 0; --i) p[i] = std::uint8_t(v), v >>= 8;
}

std::string getBcd(const std::uint8_t* p, int) {
    bool neg = !(p[0] & 0x80);
    int dec = p[0] & 0x3F;
    if (dec > 32) dec = 32;
    char digits[32];
    for (int i = 0; i < 32; ++i) {
        int nib = (i % 2 == 0) ? (p[1 + i / 2] >> 4) : (p[1 + i / 2] & 15);
        if (neg) nib = 15 - nib;
        if (nib > 9) nib = 9;
        digits[i] = char('0' + nib);
    }
    int intLen = 32 - dec;
    int start = 0;
    while (start < intLen - 1 && digits[start] == '0') ++start;
    std::string s(digits + start, digits + intLen);
    if (dec) s += '.' + std::string(digits + intLen, digits + 32);
    bool zero = std::all_of(std::begin(digits), std::end(digits), [](char c) { return c == '0'; });
    if (neg && !zero) s.insert(s.begin(), '-');
    return s;
}

void putBcd(std::uint8_t* p, int decimals, const std::string& text, const std::string& what) {
    std::string t = text;
    while (!t.empty() && t.front() == ' ') t.erase(t.begin());
    while (!t.empty() && t.back() == ' ') t.pop_back();
    bool neg = false;
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '-' || t[i] == '+')) neg = t[i++] == '-';
    std::string ip, fp;
    bool dot = false, any = false;
    std::size_t expAt = std::string::npos;
    for (; i < t.size(); ++i) {
        char c = t[i];
        if (c == '.' && !dot) { dot = true; continue; }
        if (c == 'e' || c == 'E') { expAt = i; break; }
        if (!std::isdigit(static_cast<unsigned char>(c)))
            throw EngineError(ErrorCategory::Data, errc::ConversionFailed,
                              {what + ": '" + text + "' is not a valid number"});
        any = true;
        (dot ? fp : ip) += c;
    }
    if (!any) throw EngineError(ErrorCategory::Data, errc::ConversionFailed, {what + ": '" + text + "' is not a valid number"});
    if (expAt != std::string::npos) {
        int e = std::atoi(t.c_str() + expAt + 1);
        std::string all = ip + fp;
        int pointAt = int(ip.size()) + e;
        if (pointAt < 0) all.insert(0, std::size_t(-pointAt), '0'), pointAt = 0;
        if (pointAt > int(all.size())) all.append(std::size_t(pointAt) - all.size(), '0');
        ip = all.substr(0, std::size_t(pointAt));
        fp = all.substr(std::size_t(pointAt));
    }
    // Round the fraction to the field's decimals, half away from zero.
    bool carry = fp.size() > std::size_t(decimals) && fp[std::size_t(decimals)] >= '5';
    fp.resize(std::size_t(decimals), '0');
    std::string digits = ip + fp;
    if (carry) {
        int k = int(digits.size()) - 1;
        while (k >= 0 && digits[std::size_t(k)] == '9') digits[std::size_t(k--)] = '0';
        if (k >= 0) digits[std::size_t(k)]++;
        else digits.insert(digits.begin(), '1');
    }
    std::size_t nz = digits.find_first_not_of('0');
    digits = nz == std::string::npos ? std::string() : digits.substr(nz);
    if (digits.size() > 32)
        throw EngineError(ErrorCategory::Data, errc::ConversionFailed,
                          {what + ": " + text + " has too many digits for a BCD field"});
    if (digits.empty()) neg = false;
    digits.insert(0, 32 - digits.size(), '0');
    p[0] = std::uint8_t((neg ? 0x40 : 0xC0) | decimals);
    for (int k = 0; k < 16; ++k) {
        int hi = digits[std::size_t(2 * k)] - '0', lo = digits[std::size_t(2 * k + 1)] - '0';
        if (neg) hi = 15 - hi, lo = 15 - lo;
        p[1 + k] = std::uint8_t((hi << 4) | lo);
    }
}

std::int64_t dateToDays(const Date& d) {
    std::int64_t y = d.year, m = d.month, dd = d.day;
    y -= m <= 2;
    std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    std::int64_t yoe = y - era * 400;
    std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + dd - 1;
    std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    std::int64_t unixDays = era * 146097 + doe - 719468;
    return unixDays + 719163;
}

Date daysToDate(std::int64_t days) {
    std::int64_t z = days - 719163 + 719468;
    std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    std::int64_t doe = z - era * 146097;
    std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    std::int64_t y = yoe + era * 400;
    std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    std::int64_t mp = (5 * doy + 2) / 153;
    std::int64_t d = doy - (153 * mp + 2) / 5 + 1;
    std::int64_t m = mp + (mp < 10 ? 3 : -9);
    return Date{int(y + (m <= 2)), int(m), int(d)};
}

}  // namespace vlm::engine::local::paradox
