// Language driver bytes and names of dBase headers, and iconv conversion.
#include "engine/drivers/local/pathutil.h"
#include "codepage.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <iconv.h>

namespace vlm::engine::local::dbase {
namespace {

struct LdEntry {
    std::uint8_t id;
    const char* codePage;
    const char* driverName;
    const char* shortName;
};

// The first entry of a code page is the one written for it.
const LdEntry kDrivers[] = {
    {0x01, "CP437", "DB437US0", "dBASE US cp437"},
    {0x02, "CP850", "DB850US0", "dBASE INTL cp850"},
    {0x03, "CP1252", "DBWINUS0", "dBASE ANSI"},
    {0x57, "CP1252", "DBWINWE0", "ANSI"},
    {0x58, "CP1252", "DBWINWE0", "Western European ANSI"},
    {0x59, "CP1252", "DBWINES0", "Spanish ANSI"},
    {0x26, "CP866", "DB866RU0", "Russian MS-DOS"},
    {0x65, "CP866", "DB866RU0", "Russian MSDOS cp866"},
    {0xC9, "CP1251", "DBWINCY0", "ANSI Cyrillic"},
    {0xC8, "CP1250", "DBWINCE0", "ANSI Central European"},
    {0xCA, "CP1254", "DBWINTR0", "ANSI Turkish"},
    {0xCB, "CP1253", "DBWINGR0", "ANSI Greek"},
    {0x64, "CP852", "DB852CZ0", "Eastern European MS-DOS"},
    {0x66, "CP865", "DB865NO0", "Nordic MS-DOS"},
    {0x67, "CP861", "DB861IS0", "Icelandic MS-DOS"},
    {0x6A, "CP737", "DB737GR0", "Greek MS-DOS"},
    {0x6B, "CP857", "DB857TR0", "Turkish MS-DOS"},
    {0x7D, "CP1255", "DBWINHE0", "ANSI Hebrew"},
    {0x7E, "CP1256", "DBWINAR0", "ANSI Arabic"},
    {0x13, "CP932", "DB932JP0", "Japanese"},
    {0x4D, "CP936", "DB936CN0", "Chinese GBK"},
    {0x4E, "CP949", "DB949KO0", "Korean"},
    {0x4F, "CP950", "DB950TW0", "Chinese Big5"},
    {0x1F, "CP852", "DB852CZ0", "Czech MS-DOS"},
    {0x04, "MACINTOSH", "DBMACUS0", "Macintosh"},
};


bool isAscii(std::string_view s) {
    const char* p = s.data();
    std::size_t n = s.size(), i = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t w;
        std::memcpy(&w, p + i, 8);
        if (w & 0x8080808080808080ull) return false;
    }
    for (; i < n; ++i)
        if (static_cast<unsigned char>(p[i]) >= 0x80) return false;
    return true;
}

}  // namespace

std::string codePageForLanguageId(std::uint8_t id) {
    for (const auto& d : kDrivers)
        if (d.id == id) return d.codePage;
    return {};
}

std::string codePageForDriverName(const std::string& name) {
    std::string n = upper(name);
    while (!n.empty() && (n.back() == ' ' || n.back() == '\0')) n.pop_back();
    if (n.empty()) return {};
    for (const auto& d : kDrivers)
        if (n == d.driverName) return d.codePage;
    // Names not in the table still carry their code page: "DB866...", "ANCYRR", "DBWIN...".
    for (const char* cp : {"437", "850", "852", "857", "861", "865", "866", "737"})
        if (n.find(cp) != std::string::npos) return std::string("CP") + cp;
    if (n.find("CYR") != std::string::npos) return "CP1251";
    if (n.find("WIN") != std::string::npos || n.find("ANSI") != std::string::npos) return "CP1252";
    return {};
}

static bool isUtf8Name(const std::string& upperName) {
    return upperName == "UTF8" || upperName == "UTF-8" || upperName == "UNICODE UTF-8";
}

LanguageDriver languageDriverFor(const std::string& nameOrCodePage) {
    std::string n = upper(nameOrCodePage);
    if (isUtf8Name(n)) return {0, {}, "UTF-8"};
    for (const auto& d : kDrivers)
        if (n == upper(d.shortName) || n == d.driverName) return {d.id, d.driverName, d.codePage};
    std::string cp = n;
    if (cp.rfind("CP", 0) != 0 && !cp.empty() && std::isdigit(static_cast<unsigned char>(cp[0])))
        cp = "CP" + cp;
    if (cp == "WINDOWS-1251") cp = "CP1251";
    if (cp == "WINDOWS-1252") cp = "CP1252";
    for (const auto& d : kDrivers)
        if (cp == d.codePage) return {d.id, d.driverName, d.codePage};
    return {};
}

std::string codePageOfLanguageDriver(const std::string& name) {
    LanguageDriver ld = languageDriverFor(name);
    if (!ld.codePage.empty()) return ld.codePage;
    return codePageForDriverName(name);
}

std::string codePageForCpgText(std::string_view text) {
    std::string n;
    for (char c : text)
        if (!std::isspace(static_cast<unsigned char>(c)) && c != '\0') n += char(std::toupper(static_cast<unsigned char>(c)));
    if (n.rfind("\xEF\xBB\xBF", 0) == 0) n.erase(0, 3);   // a byte order mark
    if (n.empty()) return {};
    if (n == "UTF8" || n == "UTF-8") return "UTF-8";
    if (n == "KOI8-R" || n == "KOI8R") return "KOI8-R";
    if (n == "KOI8-U" || n == "KOI8U") return "KOI8-U";
    // ISO 8859 parts: "ISO-8859-5", "ISO8859-1", and ESRI's "88591" ... "885915".
    std::string part;
    for (const char* prefix : {"ISO-8859-", "ISO8859-", "ISO8859", "8859-", "8859"})
        if (n.rfind(prefix, 0) == 0) {
            part = n.substr(std::strlen(prefix));
            if (part.empty() || part.size() > 2 || !std::all_of(part.begin(), part.end(), ::isdigit)) return {};
            int k = std::stoi(part);
            return k >= 1 && k <= 16 && k != 12 ? "ISO-8859-" + std::to_string(k) : std::string();
        }
    // Windows and DOS code pages by number: "1251", "CP1251", "ANSI1251", "WINDOWS-1251",
    // "OEM866", "IBM866", "DOS866" (blanks are gone by now).
    for (const char* prefix : {"WINDOWS-", "WINDOWS", "ANSI", "OEM", "CP", "IBM", "DOS", "MS"})
        if (n.rfind(prefix, 0) == 0) {
            n.erase(0, std::strlen(prefix));
            break;
        }
    if (n.empty() || n.size() > 4 || !std::all_of(n.begin(), n.end(), ::isdigit)) return {};
    static const char* const known[] = {"437", "737", "775", "850", "852", "855", "857", "860", "861", "862",
                                        "863", "864", "865", "866", "869", "874", "932", "936", "949", "950",
                                        "1250", "1251", "1252", "1253", "1254", "1255", "1256", "1257", "1258"};
    for (const char* k : known)
        if (n == k) return std::string("CP") + k;
    return {};
}

Transcoder::Transcoder(const std::string& codePage) : codePage_(codePage) {
    if (codePage_.empty() || codePage_ == "UTF-8") return;
    iconv_t a = iconv_open("UTF-8", codePage_.c_str());
    iconv_t b = iconv_open((codePage_ + "//TRANSLIT").c_str(), "UTF-8");
    if (a != iconv_t(-1)) toUtf8_ = a;
    if (b != iconv_t(-1)) fromUtf8_ = b;
}

Transcoder::~Transcoder() {
    if (toUtf8_) iconv_close(iconv_t(toUtf8_));
    if (fromUtf8_) iconv_close(iconv_t(fromUtf8_));
    if (exact_ && exact_ != this) iconv_close(iconv_t(exact_));
}

std::string Transcoder::convert(void* cdp, std::string_view in) const {
    iconv_t cd = iconv_t(cdp);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::string out;
    out.resize(in.size() * 4 + 16);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char* dst = out.data();
    size_t dstLeft = out.size();
    while (srcLeft > 0) {
        size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        if (r != size_t(-1)) break;
        if (errno == E2BIG) {
            size_t used = size_t(dst - out.data());
            out.resize(out.size() * 2);
            dst = out.data() + used;
            dstLeft = out.size() - used;
            continue;
        }
        // An invalid or incomplete sequence: one '?' for the offending byte, then go on.
        if (dstLeft == 0) continue;
        *dst++ = '?';
        --dstLeft;
        ++src;
        --srcLeft;
        // Skip UTF-8 continuation bytes of the same character when converting from UTF-8.
        if (cdp == fromUtf8_)
            while (srcLeft > 0 && (static_cast<unsigned char>(*src) & 0xC0) == 0x80) ++src, --srcLeft;
    }
    out.resize(size_t(dst - out.data()));
    return out;
}

std::string Transcoder::toUtf8(std::string_view raw) const {
    if (!toUtf8_ || isAscii(raw)) return std::string(raw);
    return convert(toUtf8_, raw);
}

std::string Transcoder::fromUtf8(std::string_view text) const {
    if (!fromUtf8_ || isAscii(text)) return std::string(text);
    return convert(fromUtf8_, text);
}

bool Transcoder::fromUtf8Exact(std::string_view text, std::string& out) const {
    if (isAscii(text) || codePage_.empty()) {
        out.assign(text);
        return true;
    }
    if (!exact_) {
        // this marks "no converter": the code page is UTF-8 or iconv does not know it, and the
        // text is stored as it is (as fromUtf8 does).
        iconv_t cd = codePage_ == "UTF-8" ? iconv_t(-1) : iconv_open(codePage_.c_str(), "UTF-8");
        exact_ = cd == iconv_t(-1) ? const_cast<Transcoder*>(this) : static_cast<void*>(cd);
    }
    if (exact_ == this) {
        out.assign(text);
        return true;
    }
    iconv_t cd = iconv_t(exact_);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    out.assign(text.size() * 4 + 16, '\0');
    char* src = const_cast<char*>(text.data());
    size_t srcLeft = text.size();
    char* dst = out.data();
    size_t dstLeft = out.size();
    while (srcLeft > 0) {
        if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != size_t(-1)) break;
        if (errno != E2BIG) return false;   // EILSEQ: not in the code page; EINVAL: cut UTF-8
        size_t used = size_t(dst - out.data());
        out.resize(out.size() * 2);
        dst = out.data() + used;
        dstLeft = out.size() - used;
    }
    if (iconv(cd, nullptr, nullptr, &dst, &dstLeft) == size_t(-1)) return false;
    out.resize(size_t(dst - out.data()));
    return true;
}

}  // namespace vlm::engine::local::dbase
