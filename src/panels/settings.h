// The settings file VLM32.INI: every section and key with its type and default, read into
// Settings and written back from it. Reading never fails (a missing file, key or a value of
// the wrong type gives the default); writing reports the file it could not write.
//   Settings s = readSettings(settingsFilePath(programDir));
//   if (auto err = writeSettings(path, s); !err.empty()) showError(err);
#pragma once

#include <cstdint>
#include <string>

#include "panels/formats.h"
#include "shell/shellsettings.h"

namespace vlm::panels {

// Colours: 32-bit values in blue-green-red order (red in the low byte); the top bit set names
// the system colour of the low byte's index.
using Colour = std::int32_t;
inline constexpr Colour kSystemColourFlag = std::int32_t(0x80000000u);
inline constexpr Colour systemColour(int index) { return Colour(0x80000000u | std::uint32_t(index)); }
inline constexpr bool isSystemColour(Colour c) { return (std::uint32_t(c) & 0x80000000u) != 0; }
inline constexpr int systemColourIndex(Colour c) { return int(std::uint32_t(c) & 0xFFu); }
inline constexpr Colour kWindowColour = systemColour(5);

struct FontSpec {
    std::string name = "MS SANS SERIF";
    Colour colour = 0;
    int size = 10;
    bool bold = false, italic = false, underline = false, strikeOut = false;
    bool operator==(const FontSpec&) const = default;
};
// The style codes 0..14; a combination without a code gives 0, an unknown code no style.
int fontStyleCode(const FontSpec& f);
void applyFontStyleCode(FontSpec& f, int code);

struct PanelSettings {
    std::string databaseName;                  // "LEFTDATABASE"
    std::string userName, password;            // "LEFTUSERNAME", "LEFTUSERPASSWORD"
    bool systemTables = false;                 // "LEFTSYSTABLES"
    bool userTables = false;                   // "LEFTUSERTABLES"
    bool sorted = false;                       // "LEFTSORTED"
    std::string filter, filterUser;            // "LeftFilter", "LeftFilterUser"
    bool filterOn = false, filterExcept = false;   // "bLeftFilter", "LeftFilterExcept"
    bool operator==(const PanelSettings&) const = default;
};

struct Settings {
    shell::ShellSettings shell;                // the keys the main window acts on
    PanelSettings left, right;
    bool searchFirstPos = true;                // "SEARCHTABLENAMEFIRSTPOS"
    bool searchMatchCase = true;               // "SEARCHMATCHCASE": on ignores letter case
    bool showDeleted = false, colorDeleted = false;
    bool isSqlColor = true;
    Colour sqlColor = 16711680, sqlFuncColor = 32768, plsqlColor = 65280, digitColor = 255,
           strColor = 8388608;
    std::string sqlDelimiter = ";";
    bool showIndexAsCreate = false, showSystemIndex = false;
    bool showTableComments = true;
    bool doubletStoreProc = false;
    Colour panelsColor = kWindowColour;
    FontSpec panelFont, sqlEditorFont;
    Formats formats;                           // defaults: the system's values
};

// Where the file lives: beside the program when its directory can be written (or the file
// there can), else the per-user configuration directory ($XDG_CONFIG_HOME or ~/.config,
// then "vlm32/").
std::string settingsFilePath(const std::string& programDir);
// For reading: the path above, or the program directory's file when only that one exists.
std::string settingsReadPath(const std::string& programDir);

// systemFormats: the defaults of the "FORMATS" keys.
Settings readSettings(const std::string& path, const Formats& systemFormats = Formats());
// Empty on success, else the message naming the file (in the current language).
std::string writeSettings(const std::string& path, const Settings& s);

// The "SHOWSTARTFORM" value of the file (read at program start only).
std::string readShowStartForm(const std::string& path);

}  // namespace vlm::panels
