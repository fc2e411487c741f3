// The engine configuration file IDAPI32.CFG: system settings, drivers and aliases, kept as
// sections named by configuration paths. The session owns one Config (see session.h).
//
// File format (plain UTF-8 text; docs/engine-config.md has the full description):
//
//   ; A comment: a line whose first non-blank character is ';' or '#'. Kept on save.
//   [\SYSTEM\INIT]                  a section: a configuration path in brackets
//   LANGDRIVER=DBWINUS0             NAME=value; blanks around name and value are dropped
//   [\SYSTEM\FORMATS\DATE]
//   SEPARATOR=/
//   [\DRIVERS\INTRBASE\INIT]        per driver: INIT (TYPE, VERSION, ...) and DB OPEN
//   [\DRIVERS\INTRBASE\DB OPEN]     (the defaults every new alias of the driver starts with)
//   SERVER NAME=
//   [\DATABASES\DEMO\DB INFO]       one section per alias: TYPE=<driver name> and its
//   TYPE=SQLITE                     parameters (PATH for "STANDARD", SERVER NAME for the
//   SERVER NAME=/data/demo.sqlite   server drivers)
//
// Paths and parameter names match case-insensitively; the leading '\' of a path is optional.
// Sections keep their order; a later line of the same name in a section wins. Lines are kept
// as written and written back unchanged unless their value was changed, so hand-written
// comments, blank lines and sections the engine does not know survive a save. A line that is
// neither blank, a comment, a section nor NAME=value (or a NAME=value before the first section)
// is reported with the file name and line number and kept as it is.
//
//   Config c;  std::vector<std::string> errors;
//   c.loadFile("/etc/vlm/IDAPI32.CFG", errors);
//   c.value("\\DATABASES\\DEMO\\DB INFO", "TYPE");   // "SQLITE"
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vlm::engine {

struct LanguageDriver;

class Config {
public:
    struct Line {
        std::string raw;          // the text as read (or as generated for a changed line)
        std::string name;         // for a parameter line; empty for comments, blanks, bad lines
        std::string value;
        bool isParam() const { return !name.empty(); }
    };
    struct Section {
        std::string path;         // as written, without brackets: "\DRIVERS\INTRBASE\INIT"
        std::string header;       // the header line as read, e.g. "[\SYSTEM\INIT]  ; note"
        std::vector<Line> lines;
    };

    // Reading. parse() and loadFile() add problems to errors ("<file>, line N: ...") and keep
    // what they could read. loadFile returns false when the file does not exist (errors is
    // left alone: a missing file means the built-in defaults) or cannot be read (reported).
    void parse(const std::string& text, const std::string& fileName, std::vector<std::string>& errors);
    bool loadFile(const std::string& path, std::vector<std::string>& errors);
    // Writing: the text, and the file replaced atomically; throws EngineError naming the file.
    std::string toText() const;
    void saveFile(const std::string& path) const;

    // The built-in settings: system INIT and the date, time and number formats.
    static Config defaults();
    // Adds what is missing of the built-in settings (sections and parameters), keeps the rest.
    void addMissingDefaults();
    // Adds INIT and DB OPEN sections for a driver when absent: DB OPEN gets openParams, or
    // without them the parameters the driver registered (defaultDriverOpenParams).
    void ensureDriver(const std::string& driver, const std::string& description);
    void ensureDriver(const std::string& driver, const std::string& description,
                      const std::vector<std::string>& openParams);

    // Sections and parameters by path.
    static std::string normalizePath(const std::string& path);   // "\A\B", upper case
    bool hasSection(const std::string& path) const;
    const Section* findSection(const std::string& path) const;
    Section& section(const std::string& path);   // created at the end when absent
    void removeSection(const std::string& path);
    std::vector<std::string> sectionPaths() const;
    const std::vector<Section>& sections() const { return sections_; }

    std::vector<std::string> params(const std::string& path) const;   // "NAME=value" lines
    std::optional<std::string> value(const std::string& path, const std::string& name) const;
    void setValue(const std::string& path, const std::string& name, const std::string& value);
    void removeValue(const std::string& path, const std::string& name);
    // Sets each "NAME=value" line; lines without '=' are ignored.
    void mergeParams(const std::string& path, const std::vector<std::string>& lines);

    // Aliases ("\DATABASES\<alias>\DB INFO") and drivers ("\DRIVERS\<name>\...").
    static std::string aliasPath(const std::string& alias);
    static std::string driverInitPath(const std::string& driver);
    static std::string driverOpenPath(const std::string& driver);
    std::vector<std::string> aliasNames() const;     // as written, in file order
    std::vector<std::string> driverNames() const;    // as written, in file order
    std::optional<std::string> findAlias(const std::string& alias) const;   // the stored spelling

private:
    std::vector<Section> sections_;
};

// Splits "NAME=value" into its trimmed parts; false when the line has no '='.
bool splitParam(const std::string& line, std::string& name, std::string& value);
std::string upperAscii(std::string s);
bool equalsNoCase(const std::string& a, const std::string& b);

// The language drivers the engine knows, in engine order: short name, description, code page.
const std::vector<LanguageDriver>& builtinLanguageDrivers();
const LanguageDriver* findLanguageDriver(const std::string& shortName);   // case-insensitive

// The usual DB OPEN parameters of a driver name ("STANDARD", "INTRBASE", ...), in order: what
// the driver gave with its registration in DriverRegistry::standard(), else the generic
// "SERVER NAME=", "USER NAME=".
std::vector<std::string> defaultDriverOpenParams(const std::string& driver);

// Which alias parameter names the database target: "PATH" for "STANDARD", else "SERVER NAME".
std::string targetParamName(const std::string& driver);

}  // namespace vlm::engine
