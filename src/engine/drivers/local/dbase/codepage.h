// Code pages of dBase tables: the language driver byte of the header (and dBase 7's language
// driver name) mapped to an iconv name, and a converter between that code page and UTF-8.
//
//   Transcoder t("CP866");
//   std::string utf8 = t.toUtf8(raw);   std::string raw2 = t.fromUtf8(utf8);
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace vlm::engine::local::dbase {

// iconv name for a language driver byte; empty when the byte is 0 or unknown.
std::string codePageForLanguageId(std::uint8_t id);
// iconv name for a dBase 7 language driver name ("DB866RU0", "DBWINUS0"); empty when unknown.
std::string codePageForDriverName(const std::string& name);
// The language driver byte and dBase 7 driver name for a language driver given by short name
// ("ANSI Cyrillic", "Russian MS-DOS") or code page ("CP866", "1251"). id 0 when unknown.
// UTF-8 ("UTF8", "UTF-8") has no language byte: id 0 with the code page "UTF-8"; such tables
// name their code page in a .cpg file beside them.
struct LanguageDriver {
    std::uint8_t id = 0;
    std::string driverName;   // dBase 7 header name
    std::string codePage;     // iconv name
};
LanguageDriver languageDriverFor(const std::string& nameOrCodePage);
// The iconv name of a language driver given any way the configuration may name it (dBase short
// name, dBase 7 or Paradox driver name, code page); empty when unknown.
std::string codePageOfLanguageDriver(const std::string& name);
// The code page a .cpg file names, as GIS programs write them ("UTF-8", "CP1251", "1251",
// "ANSI 1251", "windows-1251", "OEM 866", "88591"); empty when the text names none we know.
std::string codePageForCpgText(std::string_view text);

// Converts between a single-byte (or multi-byte) code page and UTF-8. Characters that do not
// exist in the target are replaced by '?'. ASCII text takes a fast path with no iconv call.
// Not thread-safe: one per table.
class Transcoder {
public:
    explicit Transcoder(const std::string& codePage);
    ~Transcoder();
    Transcoder(const Transcoder&) = delete;
    Transcoder& operator=(const Transcoder&) = delete;
    const std::string& codePage() const { return codePage_; }
    std::string toUtf8(std::string_view raw) const;
    std::string fromUtf8(std::string_view text) const;
    // Like fromUtf8, but false (out unspecified) when a character of text has no place in the
    // code page or text is no valid UTF-8: stored values are never transliterated.
    bool fromUtf8Exact(std::string_view text, std::string& out) const;

private:
    std::string convert(void* cd, std::string_view in) const;
    std::string codePage_;
    void* toUtf8_ = nullptr;     // iconv_t, owned
    void* fromUtf8_ = nullptr;   // iconv_t, owned
    mutable void* exact_ = nullptr;   // iconv_t without transliteration, owned; opened on first use
};

}  // namespace vlm::engine::local::dbase
