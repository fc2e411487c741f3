// The configuration file: parsing that keeps every line as written, saving that rewrites only
// what changed, the built-in defaults, the driver defaults and the language driver list.
#include "config.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "error.h"
#include "registry.h"
#include "session.h"

namespace vlm::engine {

std::string upperAscii(std::string s) {
    for (auto& c : s) c = char(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool equalsNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

namespace {

std::string trim(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return s.substr(b, e - b);
}

bool hasControl(const std::string& s) {
    for (unsigned char c : s)
        if (c < 0x20 && c != '\t') return true;
    return false;
}

std::string paramLine(const std::string& name, const std::string& value) { return name + "=" + value; }

// A known section path: the engine checks the lines of these strictly.
bool knownPath(const std::string& normalized) {
    static const char* fixed[] = {"\\SYSTEM\\INIT", "\\SYSTEM\\FORMATS\\DATE", "\\SYSTEM\\FORMATS\\TIME",
                                  "\\SYSTEM\\FORMATS\\NUMBER"};
    for (auto* f : fixed)
        if (normalized == f) return true;
    auto under = [&](const std::string& prefix, const std::string& suffix) {
        return normalized.size() > prefix.size() + suffix.size() && normalized.rfind(prefix, 0) == 0 &&
               normalized.compare(normalized.size() - suffix.size(), suffix.size(), suffix) == 0;
    };
    return under("\\DRIVERS\\", "\\INIT") || under("\\DRIVERS\\", "\\DB OPEN") ||
           under("\\DATABASES\\", "\\DB INFO");
}

// The middle part of "\PREFIX\<name>\SUFFIX" as written, or empty.
std::string middleName(const std::string& path, const std::string& prefix, const std::string& suffix) {
    std::string n = Config::normalizePath(path);
    if (n.size() <= prefix.size() + suffix.size() || n.rfind(prefix, 0) != 0 ||
        n.compare(n.size() - suffix.size(), suffix.size(), suffix) != 0)
        return {};
    // Same length after normalising except a possibly added leading backslash.
    std::string p = path;
    while (!p.empty() && std::isspace(static_cast<unsigned char>(p.front()))) p.erase(p.begin());
    if (p.empty() || p.front() != '\\') p.insert(p.begin(), '\\');
    p = trim(p);
    return p.substr(prefix.size(), p.size() - prefix.size() - suffix.size());
}

}  // namespace

bool splitParam(const std::string& line, std::string& name, std::string& value) {
    auto eq = line.find('=');
    if (eq == std::string::npos) return false;
    name = trim(line.substr(0, eq));
    value = trim(line.substr(eq + 1));
    return true;
}

std::string Config::normalizePath(const std::string& path) {
    std::string p = upperAscii(trim(path));
    if (p.empty() || p.front() != '\\') p.insert(p.begin(), '\\');
    while (p.size() > 1 && p.back() == '\\') p.pop_back();
    return p;
}

void Config::parse(const std::string& text, const std::string& fileName, std::vector<std::string>& errors) {
    std::istringstream in(text);
    std::string raw;
    int lineNo = 0;
    Section* current = nullptr;
    bool currentKnown = false;
    bool orphan = false;   // after a bad section header: lines belong to no section until the next
    auto report = [&](const std::string& what) {
        errors.push_back("Configuration file " + fileName + ", line " + std::to_string(lineNo) + ": " + what);
    };
    // Lines before the first section (comments, blanks) live in an unnamed leading section.
    while (std::getline(in, raw)) {
        ++lineNo;
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        std::string t = trim(raw);
        Line line{raw, {}, {}};
        if (t.empty() || t.front() == ';' || t.front() == '#') {
            // comment or blank
        } else if (raw.find('\0') != std::string::npos || hasControl(raw)) {
            report("unreadable characters");
        } else if (t.front() == '[') {
            auto close = t.find(']');
            std::string rest = close == std::string::npos ? std::string() : trim(t.substr(close + 1));
            orphan = true;
            if (close == std::string::npos) {
                report("section header without ']': " + t);
            } else if (!rest.empty() && rest.front() != ';' && rest.front() != '#') {
                report("text after the section header: " + t);
            } else if (trim(t.substr(1, close - 1)).empty()) {
                report("empty section name");
            } else {
                Section s;
                s.path = trim(t.substr(1, close - 1));
                s.header = raw;
                sections_.push_back(std::move(s));
                current = &sections_.back();
                currentKnown = knownPath(normalizePath(current->path));
                orphan = false;
                continue;
            }
        } else {
            std::string name, value;
            if (orphan) {
                // kept as written; the bad header was reported
            } else if (!current || current->path.empty()) {
                report("parameter outside a section: " + t);
            } else if (!splitParam(t, name, value)) {
                if (currentKnown) report("not a NAME=value line: " + t);
            } else if (name.empty()) {
                if (currentKnown) report("parameter without a name: " + t);
            } else {
                line.name = name;
                line.value = value;
            }
        }
        if (!current) {
            if (sections_.empty() || !sections_.front().path.empty()) sections_.insert(sections_.begin(), Section{});
            current = &sections_.front();
            currentKnown = false;
        }
        current->lines.push_back(std::move(line));
    }
}

bool Config::loadFile(const std::string& path, std::vector<std::string>& errors) {
    struct stat st{};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return false;
        errors.push_back("Cannot read configuration file " + path + ": " + std::strerror(errno));
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        errors.push_back("Cannot read configuration file " + path + ": it is a directory");
        return false;
    }
    std::ifstream f(path, std::ios::binary);
    if (!f) {
        errors.push_back("Cannot read configuration file " + path + ": " + std::strerror(errno));
        return false;
    }
    std::ostringstream buf;
    buf << f.rdbuf();
    if (f.bad()) {
        errors.push_back("Cannot read configuration file " + path + ": read error");
        return false;
    }
    parse(buf.str(), path, errors);
    return true;
}

std::string Config::toText() const {
    std::string out;
    for (const auto& s : sections_) {
        if (!s.path.empty()) out += (s.header.empty() ? "[" + s.path + "]" : s.header) + "\n";
        for (const auto& l : s.lines) out += l.raw + "\n";
    }
    return out;
}

void Config::saveFile(const std::string& path) const {
    auto fail = [&](const std::string& why) {
        throw EngineError(ErrorCategory::Config, errc::ConfigBase,
                          {"Cannot save configuration file " + path + ": " + why});
    };
    // Write beside the file and rename over it, so a failed save leaves the old file whole.
    std::string tmp = path + ".tmp" + std::to_string(::getpid());
    std::string text = toText();
    // A file that holds a password is readable by its owner only; any other keeps the mode of
    // the file it replaces (a new one gets the usual mode of new files).
    bool secret = false;
    for (const auto& s : sections_)
        for (const auto& l : s.lines)
            if (l.isParam() && !l.value.empty() && upperAscii(l.name).find("PASSWORD") != std::string::npos)
                secret = true;
    struct stat old{};
    mode_t mode = 0666;
    if (::stat(path.c_str(), &old) == 0) mode = old.st_mode & 07777;
    else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
    }
    if (secret) mode = S_IRUSR | S_IWUSR;
    int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, S_IRUSR | S_IWUSR);
    if (fd < 0) fail(std::strerror(errno));
    if (::fchmod(fd, mode) != 0) {
        int e = errno;
        ::close(fd);
        std::remove(tmp.c_str());
        fail(std::strerror(e));
    }
    FILE* f = ::fdopen(fd, "wb");
    if (!f) {
        int e = errno;
        ::close(fd);
        std::remove(tmp.c_str());
        fail(std::strerror(e));
    }
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    ok = (std::fflush(f) == 0) && ok;
    ok = (::fsync(fileno(f)) == 0) && ok;
    int err = errno;
    ok = (std::fclose(f) == 0) && ok;
    if (!ok) {
        std::remove(tmp.c_str());
        fail(std::strerror(err ? err : EIO));
    }
    if (std::rename(tmp.c_str(), path.c_str()) != 0) {
        err = errno;
        std::remove(tmp.c_str());
        fail(std::strerror(err));
    }
}

Config Config::defaults() {
    Config c;
    c.addMissingDefaults();
    return c;
}

void Config::addMissingDefaults() {
    struct Def { const char* path; std::vector<std::pair<const char*, const char*>> params; };
    static const std::vector<Def> defs = {
        {"\\SYSTEM\\INIT",
         {{"VERSION", "1.0"}, {"LANGDRIVER", "DBWINUS0"}, {"DEFAULT DRIVER", "PARADOX"},
          {"LOCAL SHARE", "FALSE"}, {"MINBUFSIZE", "128"}, {"MAXBUFSIZE", "2048"},
          {"MAXFILEHANDLES", "48"}, {"LOW MEMORY USAGE LIMIT", "32"}, {"SQLQRYMODE", ""},
          {"AUTO ODBC", "FALSE"}, {"DATA REPOSITORY", ""}, {"SYSFLAGS", "0"}}},
        {"\\SYSTEM\\FORMATS\\DATE",
         {{"SEPARATOR", "."}, {"MODE", "1"}, {"FOURDIGITYEAR", "TRUE"}, {"YEARBIASED", "TRUE"},
          {"LEADINGZEROM", "TRUE"}, {"LEADINGZEROD", "TRUE"}}},
        {"\\SYSTEM\\FORMATS\\TIME",
         {{"TWELVEHOUR", "FALSE"}, {"AMSTRING", "AM"}, {"PMSTRING", "PM"}, {"SECONDS", "TRUE"},
          {"MILSECONDS", "FALSE"}}},
        {"\\SYSTEM\\FORMATS\\NUMBER",
         {{"DECIMALSEPARATOR", "."}, {"THOUSANDSEPARATOR", ","}, {"DECIMALDIGITS", "2"},
          {"LEADINGZERON", "TRUE"}}},
    };
    for (const auto& d : defs) {
        bool fresh = !hasSection(d.path);
        for (const auto& [n, v] : d.params)
            if (fresh || !value(d.path, n)) setValue(d.path, n, v);
    }
}

std::vector<std::string> defaultDriverOpenParams(const std::string& driver) {
    return DriverRegistry::standard().openParams(driver);
}

std::string targetParamName(const std::string& driver) {
    return equalsNoCase(driver, "STANDARD") ? "PATH" : "SERVER NAME";
}

void Config::ensureDriver(const std::string& driver, const std::string& description) {
    ensureDriver(driver, description, defaultDriverOpenParams(driver));
}

void Config::ensureDriver(const std::string& driver, const std::string& description,
                          const std::vector<std::string>& openParams) {
    std::string init = driverInitPath(driver);
    if (!hasSection(init)) {
        setValue(init, "VERSION", "1.0");
        setValue(init, "TYPE", equalsNoCase(driver, "STANDARD") ? "FILE" : "SERVER");
        if (!description.empty()) setValue(init, "DESCRIPTION", description);
        setValue(init, "DLL32", "");
    }
    std::string open = driverOpenPath(driver);
    if (!hasSection(open)) {
        section(open);
        mergeParams(open, openParams);
    }
}

const Config::Section* Config::findSection(const std::string& path) const {
    std::string n = normalizePath(path);
    for (const auto& s : sections_)
        if (!s.path.empty() && normalizePath(s.path) == n) return &s;
    return nullptr;
}

bool Config::hasSection(const std::string& path) const { return findSection(path) != nullptr; }

Config::Section& Config::section(const std::string& path) {
    if (auto* s = findSection(path)) return const_cast<Section&>(*s);
    Section s;
    s.path = trim(path);
    if (s.path.empty() || s.path.front() != '\\') s.path.insert(s.path.begin(), '\\');
    // Keep a blank line between sections of a file that has any.
    if (!sections_.empty() && !sections_.back().lines.empty() && !sections_.back().lines.back().raw.empty() &&
        !sections_.back().path.empty())
        sections_.back().lines.push_back(Line{"", {}, {}});
    sections_.push_back(std::move(s));
    return sections_.back();
}

void Config::removeSection(const std::string& path) {
    std::string n = normalizePath(path);
    sections_.erase(std::remove_if(sections_.begin(), sections_.end(),
                                   [&](const Section& s) { return !s.path.empty() && normalizePath(s.path) == n; }),
                    sections_.end());
}

std::vector<std::string> Config::sectionPaths() const {
    std::vector<std::string> out;
    for (const auto& s : sections_)
        if (!s.path.empty()) out.push_back(s.path);
    return out;
}

std::vector<std::string> Config::params(const std::string& path) const {
    std::vector<std::string> out;
    const Section* s = findSection(path);
    if (!s) return out;
    // A later line of the same name wins; it keeps the place of the first.
    std::vector<std::pair<std::string, std::string>> seen;
    for (const auto& l : s->lines) {
        if (!l.isParam()) continue;
        auto it = std::find_if(seen.begin(), seen.end(), [&](auto& p) { return equalsNoCase(p.first, l.name); });
        if (it == seen.end()) seen.emplace_back(l.name, l.value);
        else it->second = l.value;
    }
    for (auto& [n, v] : seen) out.push_back(paramLine(n, v));
    return out;
}

std::optional<std::string> Config::value(const std::string& path, const std::string& name) const {
    const Section* s = findSection(path);
    if (!s) return std::nullopt;
    std::optional<std::string> v;
    std::string n = trim(name);
    for (const auto& l : s->lines)
        if (l.isParam() && equalsNoCase(l.name, n)) v = l.value;
    return v;
}

void Config::setValue(const std::string& path, const std::string& name, const std::string& value) {
    Section& s = section(path);
    std::string n = trim(name), v = trim(value);
    Line* last = nullptr;
    for (auto& l : s.lines)
        if (l.isParam() && equalsNoCase(l.name, n)) last = &l;
    if (last) {
        if (last->value == v) return;   // unchanged: keep the line as written
        last->value = v;
        last->raw = paramLine(last->name, v);
        return;
    }
    // New parameters go after the section's last parameter, before trailing comments and blanks.
    auto pos = s.lines.end();
    while (pos != s.lines.begin() && !(pos - 1)->isParam()) --pos;
    if (pos == s.lines.begin()) {
        // No parameters yet: after leading comments that belong to the section, before blanks.
        pos = s.lines.end();
        while (pos != s.lines.begin() && trim((pos - 1)->raw).empty()) --pos;
    }
    s.lines.insert(pos, Line{paramLine(n, v), n, v});
}

void Config::removeValue(const std::string& path, const std::string& name) {
    const Section* cs = findSection(path);
    if (!cs) return;
    auto& lines = const_cast<Section*>(cs)->lines;
    std::string n = trim(name);
    lines.erase(std::remove_if(lines.begin(), lines.end(),
                               [&](const Line& l) { return l.isParam() && equalsNoCase(l.name, n); }),
                lines.end());
}

void Config::mergeParams(const std::string& path, const std::vector<std::string>& lines) {
    section(path);
    for (const auto& line : lines) {
        std::string n, v;
        if (splitParam(line, n, v) && !n.empty()) setValue(path, n, v);
    }
}

std::string Config::aliasPath(const std::string& alias) { return "\\DATABASES\\" + alias + "\\DB INFO"; }
std::string Config::driverInitPath(const std::string& driver) { return "\\DRIVERS\\" + driver + "\\INIT"; }
std::string Config::driverOpenPath(const std::string& driver) { return "\\DRIVERS\\" + driver + "\\DB OPEN"; }

std::vector<std::string> Config::aliasNames() const {
    std::vector<std::string> out;
    for (const auto& s : sections_) {
        std::string a = middleName(s.path, "\\DATABASES\\", "\\DB INFO");
        if (a.empty()) continue;
        if (std::none_of(out.begin(), out.end(), [&](auto& o) { return equalsNoCase(o, a); })) out.push_back(a);
    }
    return out;
}

std::vector<std::string> Config::driverNames() const {
    std::vector<std::string> out;
    for (const auto& s : sections_) {
        std::string d = middleName(s.path, "\\DRIVERS\\", "\\INIT");
        if (d.empty()) d = middleName(s.path, "\\DRIVERS\\", "\\DB OPEN");
        if (d.empty()) continue;
        if (std::none_of(out.begin(), out.end(), [&](auto& o) { return equalsNoCase(o, d); })) out.push_back(d);
    }
    return out;
}

std::optional<std::string> Config::findAlias(const std::string& alias) const {
    for (const auto& a : aliasNames())
        if (equalsNoCase(a, trim(alias))) return a;
    return std::nullopt;
}

const std::vector<LanguageDriver>& builtinLanguageDrivers() {
    static const std::vector<LanguageDriver> list = {
        {"DBWINUS0", "dBASE ENU ANSI cp1252", "CP1252"},
        {"DBWINWE0", "dBASE WEurope ANSI cp1252", "CP1252"},
        {"DBWINRU0", "dBASE RUS ANSI cp1251", "CP1251"},
        {"DB437US0", "dBASE ENU cp437", "CP437"},
        {"DB850US0", "dBASE ENU cp850", "CP850"},
        {"DB850WE0", "dBASE WEurope cp850", "CP850"},
        {"DB437DE0", "dBASE DEU cp437", "CP437"},
        {"DB850DE0", "dBASE DEU cp850", "CP850"},
        {"DB437FR0", "dBASE FRA cp437", "CP437"},
        {"DB850FR0", "dBASE FRA cp850", "CP850"},
        {"DB866RU0", "dBASE RUS cp866", "CP866"},
        {"DB852PO0", "dBASE PLK cp852", "CP852"},
        {"DB852CZ0", "dBASE CSY cp852", "CP852"},
        {"DB865NO0", "dBASE NOR cp865", "CP865"},
        {"DB860PT0", "dBASE PTG cp860", "CP860"},
        {"DBWINEE0", "dBASE EEurope ANSI cp1250", "CP1250"},
        {"ascii", "Paradox 'ascii'", "CP437"},
        {"intl", "Paradox 'intl'", "CP437"},
        {"intl850", "Paradox 'intl' 850", "CP850"},
        {"nordan", "Paradox 'nordan'", "CP865"},
        {"cyrr", "Paradox Cyrr 866", "CP866"},
        {"czech", "Paradox Czech 852", "CP852"},
        {"ANCYRR", "Pdox ANSI Cyrillic", "CP1251"},
        {"ANSIINTL", "Pdox ANSI Intl", "CP1252"},
        {"ANSII850", "Pdox ANSI Intl850", "CP1252"},
        {"ANSISWFN", "Pdox ANSI Swedfin", "CP1252"},
        {"ANCZECH", "Pdox ANSI Czech", "CP1250"},
        {"BLLT1US0", "Latin-1 ENU ISO 8859-1", "ISO-8859-1"},
        {"UTF8", "Unicode UTF-8", "UTF-8"},
    };
    return list;
}

const LanguageDriver* findLanguageDriver(const std::string& shortName) {
    for (const auto& l : builtinLanguageDrivers())
        if (equalsNoCase(l.shortName, trim(shortName))) return &l;
    return nullptr;
}

}  // namespace vlm::engine
