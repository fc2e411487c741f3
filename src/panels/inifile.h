// A reader and writer of Windows INI text: "[SECTION]" lines and "KEY=value" lines. Section and
// key names are matched ignoring letter case; values are trimmed of blanks. Writing keeps the
// file's other sections, keys and comment lines where they were.
//   IniFile ini;  ini.load("/opt/vlm/VLM32.INI");  ini.readInteger("SETUP", "LANGUAGE", 0);
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vlm::panels {

class IniFile {
public:
    // Reads the file; a missing or unreadable file gives an empty document (false).
    bool load(const std::string& path);
    void parse(const std::string& text);
    std::string text() const;            // the document, "\n" line ends
    // Writes the document readable by its owner only (it may hold passwords). On failure
    // returns false and reason holds the system's text.
    bool save(const std::string& path, std::string& reason) const;

    std::optional<std::string> value(const std::string& section, const std::string& key) const;
    // A string is read up to 1023 characters.
    std::string readString(const std::string& section, const std::string& key, const std::string& def) const;
    // Decimal, or hexadecimal after "0x"; a value that is no 32-bit number gives def.
    std::int32_t readInteger(const std::string& section, const std::string& key, std::int32_t def) const;
    bool readBool(const std::string& section, const std::string& key, bool def) const;

    void writeString(const std::string& section, const std::string& key, const std::string& value);
    void writeInteger(const std::string& section, const std::string& key, std::int32_t value);
    void writeBool(const std::string& section, const std::string& key, bool value);

    std::vector<std::string> sections() const;

private:
    struct Line {
        std::string raw;        // the line as read (comments, blank lines)
        std::string section;    // for a section header
        std::string key, value; // for a key line
        enum Kind { Other, Section, Key } kind = Other;
    };
    // Index of the key line, or -1; sectionEnd gets the index after the section's last line.
    int find(const std::string& section, const std::string& key, int* sectionEnd = nullptr) const;
    std::vector<Line> lines_;
};

// Parses "123", "-5" or "0x80000005" as a 32-bit value (hex and large decimals wrap to signed).
std::optional<std::int32_t> parseIniInteger(const std::string& text);

}  // namespace vlm::panels
