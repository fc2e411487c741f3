// The engine administrator's logic: parameter grids from and back to "NAME=value" lines, the
// masking of passwords, the language-driver pick list, new aliases with their checks, and the
// read of configuration paths. Plain C++ over the engine session; the windows call it.
//   auto rows = paramRows(session.aliasParams("DEMO"));   // as stored, not upper-cased
//   session.modifyAlias("DEMO", paramLines(rows));
#pragma once

#include <string>
#include <vector>

#include "engine/session.h"

namespace vlm::admin {

struct ParamRow {
    std::string name;
    std::string value;
};

// Lines with "=" in order: name before the first "=", value after it, both trimmed and kept in
// the case they were written (a path or password on a case-sensitive system must not change).
std::vector<ParamRow> paramRows(const std::vector<std::string>& lines);
// Back to lines, one "NAME=value" per row; rows without a name are left out.
std::vector<std::string> paramLines(const std::vector<ParamRow>& rows);

// A parameter whose value is a secret ("PASSWORD", "SERVER PASSWORD", ...).
bool isSecretParam(const std::string& name);
// One "*" per character (UTF-8 aware); empty stays empty.
std::string maskText(const std::string& value);
// "NAME=value" lines with the secret values masked, for read-only displays.
std::vector<std::string> maskedLines(const std::vector<std::string>& lines);

// The configuration's lines at a path ("\SYSTEM\INIT"); empty when the path is unknown.
std::vector<std::string> configLines(engine::Session& session, const std::string& path);

// The language drivers for the pick lists: short names upper-cased in engine order, and the
// descriptions sorted, each carrying the position of its short name.
struct LanguagePick {
    std::vector<std::string> names;
    struct Entry {
        std::string description;
        int nameIndex;
    };
    std::vector<Entry> entries;   // sorted by description
    // The entry (index into entries) for a cell value, -1 when it is not a known driver.
    int entryForValue(const std::string& value) const;
};
LanguagePick languagePick(const std::vector<engine::LanguageDriver>& drivers);
bool isLanguageDriverParam(const std::string& name);   // "LANGDRIVER", trimmed, any case

// The administrator's caption: the designed caption, " ", "Версия: " / "Version: " and the
// engine's version number.
std::string adminCaption(const std::string& engineVersion);

// Adds an alias from the new-alias dialog. "STANDARD" gets an empty PATH and the default driver
// PARADOX; any other driver its DB OPEN defaults. An empty name, a name already in use and a
// driver that is not in this build are refused with an EngineError whose text says which, in the
// current language; nothing changes then.
void addNewAlias(engine::Session& session, const std::string& alias, const std::string& driver);

}  // namespace vlm::admin
