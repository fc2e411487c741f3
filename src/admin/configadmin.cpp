// The engine administrator's logic (see configadmin.h).
#include "admin/configadmin.h"

#include <algorithm>

#include "engine/config.h"
#include "engine/error.h"
#include "engine/registry.h"
#include "shell/language.h"

namespace vlm::admin {

namespace {
std::string trimmed(const std::string& s) {
    auto b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    auto e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}
}  // namespace

std::vector<ParamRow> paramRows(const std::vector<std::string>& lines) {
    std::vector<ParamRow> rows;
    for (const auto& line : lines) {
        auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        rows.push_back({trimmed(line.substr(0, eq)), trimmed(line.substr(eq + 1))});
    }
    return rows;
}

std::vector<std::string> paramLines(const std::vector<ParamRow>& rows) {
    std::vector<std::string> lines;
    for (const auto& r : rows) {
        std::string name = trimmed(r.name);
        if (name.empty()) continue;
        lines.push_back(name + "=" + r.value);
    }
    return lines;
}

bool isSecretParam(const std::string& name) {
    return engine::upperAscii(name).find("PASSWORD") != std::string::npos;
}

std::string maskText(const std::string& value) {
    std::size_t chars = 0;
    for (unsigned char c : value)
        if ((c & 0xC0) != 0x80) ++chars;
    return std::string(chars, '*');
}

std::vector<std::string> maskedLines(const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    for (const auto& line : lines) {
        auto eq = line.find('=');
        if (eq != std::string::npos && isSecretParam(line.substr(0, eq)))
            out.push_back(line.substr(0, eq + 1) + maskText(trimmed(line.substr(eq + 1))));
        else
            out.push_back(line);
    }
    return out;
}

std::vector<std::string> configLines(engine::Session& session, const std::string& path) {
    try {
        return session.configParams(path);
    } catch (const engine::EngineError&) {
        return {};   // an unknown path shows as an empty page, as the engine has nothing there
    }
}

int LanguagePick::entryForValue(const std::string& value) const {
    std::string v = engine::upperAscii(trimmed(value));
    auto it = std::find(names.begin(), names.end(), v);
    if (it == names.end()) return -1;
    int pos = int(it - names.begin());
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (entries[i].nameIndex == pos) return int(i);
    return entries.empty() ? -1 : 0;
}

LanguagePick languagePick(const std::vector<engine::LanguageDriver>& drivers) {
    LanguagePick p;
    for (std::size_t i = 0; i < drivers.size(); ++i) {
        p.names.push_back(engine::upperAscii(drivers[i].shortName));
        p.entries.push_back({drivers[i].description, int(i)});
    }
    std::stable_sort(p.entries.begin(), p.entries.end(),
                     [](const auto& a, const auto& b) { return a.description < b.description; });
    return p;
}

bool isLanguageDriverParam(const std::string& name) { return engine::upperAscii(trimmed(name)) == "LANGDRIVER"; }

std::string adminCaption(const std::string& engineVersion) {
    return "Orm Simple BDE Administrator " + shell::pick("Версия: ", "Version: ") + engineVersion;
}

void addNewAlias(engine::Session& session, const std::string& alias, const std::string& driver) {
    auto refuse = [](const std::string& text) {
        throw engine::EngineError(engine::ErrorCategory::Config, text);
    };
    std::string name = trimmed(alias);
    std::string drv = engine::upperAscii(trimmed(driver));
    if (name.empty()) refuse(shell::pick("Не задано имя алиаса !", "The alias name is empty !"));
    if (session.isAlias(name))
        refuse(shell::pick("Алиас " + name + " уже существует !", "The alias " + name + " already exists !"));
    if (drv.empty() || !session.drivers().has(drv))
        refuse(shell::pick("Драйвер " + drv + " не входит в эту сборку !",
                           "The driver " + drv + " is not in this build !"));
    if (drv == "STANDARD")
        session.addStandardAlias(name, "", "PARADOX");
    else
        session.addAlias(name, drv, {});
}

}  // namespace vlm::admin
