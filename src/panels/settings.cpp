// VLM32.INI: sections, keys, types and defaults.
#include "panels/settings.h"

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

#include "panels/inifile.h"
#include "shell/language.h"

namespace vlm::panels {

namespace {

struct StyleBits {
    bool b, i, u, s;
};
// Index = code.
constexpr StyleBits kStyles[15] = {
    {0, 0, 0, 0}, {1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}, {1, 1, 0, 0},
    {1, 1, 1, 0}, {1, 1, 1, 1}, {1, 0, 1, 0}, {1, 0, 0, 1}, {0, 1, 1, 0}, {0, 1, 1, 1},
    {0, 0, 1, 1}, {0, 1, 0, 1}, {1, 0, 1, 1}};

const char* kDb = "DATABASE NAMES";
const char* kMasks = "TABLE MASKS";
const char* kLogins = "DATABASE LOGINS";
const char* kSetup = "SETUP";
const char* kFormats = "FORMATS";
const char* kFilters = "FILTERS";

std::string oneChar(const std::string& v) {
    if (v.empty()) return " ";
    // The first UTF-8 character.
    std::size_t n = 1;
    unsigned char c = static_cast<unsigned char>(v[0]);
    if (c >= 0xF0) n = 4;
    else if (c >= 0xE0) n = 3;
    else if (c >= 0xC0) n = 2;
    return v.substr(0, n);
}

void readFont(const IniFile& ini, const char* section, FontSpec& f) {
    FontSpec d;
    f.name = ini.readString(section, "NAME", d.name);
    f.colour = ini.readInteger(section, "COLOR", d.colour);
    f.size = ini.readInteger(section, "SIZE", d.size);
    applyFontStyleCode(f, ini.readInteger(section, "STYLE", 0));
}

void writeFont(IniFile& ini, const char* section, const FontSpec& f) {
    ini.writeString(section, "NAME", f.name);
    ini.writeInteger(section, "COLOR", f.colour);
    ini.writeInteger(section, "SIZE", f.size);
    ini.writeInteger(section, "STYLE", fontStyleCode(f));
}

// Each panel's keys: the left names, the right names.
struct SideKeys {
    const char *db, *sys, *user, *sorted, *uname, *pwd, *filter, *filterUser, *bFilter, *except;
};
constexpr SideKeys kLeftKeys{"LEFTDATABASE", "LEFTSYSTABLES", "LEFTUSERTABLES", "LEFTSORTED", "LEFTUSERNAME",
                             "LEFTUSERPASSWORD", "LeftFilter", "LeftFilterUser", "bLeftFilter", "LeftFilterExcept"};
constexpr SideKeys kRightKeys{"RIGHTDATABASE", "RIGHTSYSTABLES", "RIGHTUSERTABLES", "RIGHTSORTED", "RIGHTUSERNAME",
                              "RIGHTUSERPASSWORD", "RightFilter", "RightFilterUser", "bRightFilter", "RightFilterExcept"};

void readSide(const IniFile& ini, const SideKeys& k, PanelSettings& p) {
    p.databaseName = ini.readString(kDb, k.db, "");
    p.systemTables = ini.readBool(kMasks, k.sys, false);
    p.userTables = ini.readBool(kMasks, k.user, false);
    p.sorted = ini.readBool(kMasks, k.sorted, false);
    p.userName = ini.readString(kLogins, k.uname, "");
    p.password = ini.readString(kLogins, k.pwd, "");
    p.filter = ini.readString(kFilters, k.filter, "");
    p.filterUser = ini.readString(kFilters, k.filterUser, "");
    p.filterOn = ini.readBool(kFilters, k.bFilter, false);
    p.filterExcept = ini.readBool(kFilters, k.except, false);
}

void writeSide(IniFile& ini, const SideKeys& k, const PanelSettings& p) {
    ini.writeString(kDb, k.db, p.databaseName);
    ini.writeBool(kMasks, k.sys, p.systemTables);
    ini.writeBool(kMasks, k.user, p.userTables);
    ini.writeBool(kMasks, k.sorted, p.sorted);
    ini.writeString(kLogins, k.uname, p.userName);
    ini.writeString(kLogins, k.pwd, p.password);
    ini.writeString(kFilters, k.filter, p.filter);
    ini.writeString(kFilters, k.filterUser, p.filterUser);
    ini.writeBool(kFilters, k.bFilter, p.filterOn);
    ini.writeBool(kFilters, k.except, p.filterExcept);
}

bool writableDir(const std::string& dir) { return !dir.empty() && ::access(dir.c_str(), W_OK) == 0; }

std::string userConfigDir() {
    std::string base;
    if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x) base = x;
    else if (const char* h = std::getenv("HOME"); h && *h) base = std::string(h) + "/.config";
    else base = "/tmp";
    return base + "/vlm32/";
}

std::string withSlash(std::string d) {
    if (!d.empty() && d.back() != '/') d += '/';
    return d;
}

}  // namespace

int fontStyleCode(const FontSpec& f) {
    for (int c = 0; c < 15; ++c) {
        const auto& s = kStyles[c];
        if (s.b == f.bold && s.i == f.italic && s.u == f.underline && s.s == f.strikeOut) return c;
    }
    return 0;
}

void applyFontStyleCode(FontSpec& f, int code) {
    StyleBits s = code >= 0 && code < 15 ? kStyles[code] : kStyles[0];
    f.bold = s.b;
    f.italic = s.i;
    f.underline = s.u;
    f.strikeOut = s.s;
}

std::string settingsFilePath(const std::string& programDir) {
    std::string beside = withSlash(programDir) + "VLM32.INI";
    if (::access(beside.c_str(), F_OK) == 0 ? ::access(beside.c_str(), W_OK) == 0 && writableDir(withSlash(programDir))
                                            : writableDir(withSlash(programDir)))
        return beside;
    return userConfigDir() + "VLM32.INI";
}

std::string settingsReadPath(const std::string& programDir) {
    std::string p = settingsFilePath(programDir);
    if (::access(p.c_str(), R_OK) == 0) return p;
    std::string beside = withSlash(programDir) + "VLM32.INI";
    if (::access(beside.c_str(), R_OK) == 0) return beside;
    return p;
}

Settings readSettings(const std::string& path, const Formats& systemFormats) {
    IniFile ini;
    ini.load(path);
    Settings s;
    readSide(ini, kLeftKeys, s.left);
    readSide(ini, kRightKeys, s.right);

    auto& sh = s.shell;
    const shell::ShellSettings d;
    sh.showStartForm = ini.readString(kSetup, "SHOWSTARTFORM", d.showStartForm);
    sh.viewToolBar = ini.readBool(kSetup, "VIEWTOOLBAR", d.viewToolBar);
    sh.showTrayIcon = ini.readBool(kSetup, "SHOWTRAYICON", d.showTrayIcon);
    sh.autoSave = ini.readBool(kSetup, "AUTOSAVE", d.autoSave);
    sh.useInSql = ini.readBool(kSetup, "USEINSQL", d.useInSql);
    sh.requestLive = ini.readBool(kSetup, "REQUESTLIVE", d.requestLive);
    sh.replaceAppropriate = ini.readBool(kSetup, "REPLACEAPPROPRIATE", d.replaceAppropriate);
    sh.showRecordCount = ini.readBool(kSetup, "SHOWRECORDCOUNT", d.showRecordCount);
    sh.originNames = ini.readBool(kSetup, "ORIGINNAMES", d.originNames);
    sh.localSqlHelp = ini.readString(kSetup, "LOCALSQLHELP", d.localSqlHelp);
    sh.interbaseHelp = ini.readString(kSetup, "INTERBASEHELP", d.interbaseHelp);
    sh.sqlbaseHelp = ini.readString(kSetup, "SQLBASEHELP", d.sqlbaseHelp);
    sh.mssqlHelp = ini.readString(kSetup, "MSSQLHELP", d.mssqlHelp);
    sh.oracleHelp = ini.readString(kSetup, "ORACLEHELP", d.oracleHelp);
    sh.mainFormWidth = ini.readInteger(kSetup, "MAINFORMWIDTH", d.mainFormWidth);
    sh.mainFormHeight = ini.readInteger(kSetup, "MAINFORMHEIGHT", d.mainFormHeight);
    sh.dbKeepConnection = ini.readBool(kSetup, "DBKEEPCONNECTION", d.dbKeepConnection);
    sh.viewWindowsTop = ini.readBool(kSetup, "VIEWWINDOWSTOP", d.viewWindowsTop);
    sh.language = ini.readInteger(kSetup, "LANGUAGE", d.language);

    const Settings def;
    s.searchFirstPos = ini.readBool(kSetup, "SEARCHTABLENAMEFIRSTPOS", def.searchFirstPos);
    s.searchMatchCase = ini.readBool(kSetup, "SEARCHMATCHCASE", def.searchMatchCase);
    s.showDeleted = ini.readBool(kSetup, "SHOWDELETED", def.showDeleted);
    s.colorDeleted = ini.readBool(kSetup, "COLORDELETED", def.colorDeleted);
    s.isSqlColor = ini.readBool(kSetup, "ISSQLCOLOR", def.isSqlColor);
    s.sqlColor = ini.readInteger(kSetup, "SQLCOLOR", def.sqlColor);
    s.sqlFuncColor = ini.readInteger(kSetup, "SQLFUNCCOLOR", def.sqlFuncColor);
    s.plsqlColor = ini.readInteger(kSetup, "PLSQLCOLOR", def.plsqlColor);
    s.digitColor = ini.readInteger(kSetup, "DIGITCOLOR", def.digitColor);
    s.strColor = ini.readInteger(kSetup, "STRCOLOR", def.strColor);
    // A delimiter key that is present but empty gives the default ";".
    s.sqlDelimiter = ini.readString(kSetup, "SQLDELIMITER", def.sqlDelimiter);
    if (s.sqlDelimiter.empty()) s.sqlDelimiter = def.sqlDelimiter;
    s.showIndexAsCreate = ini.readBool(kSetup, "SHOWINDEXASCREATE", def.showIndexAsCreate);
    s.showSystemIndex = ini.readBool(kSetup, "SHOWSYSTEMINDEX", def.showSystemIndex);
    s.showTableComments = ini.readBool(kSetup, "SHOWTABLECOMMENTS", def.showTableComments);
    s.doubletStoreProc = ini.readBool(kSetup, "DOUBLETSTOREPROC", def.doubletStoreProc);
    s.panelsColor = ini.readInteger(kSetup, "PANELSCOLOR", def.panelsColor);

    readFont(ini, "FONT", s.panelFont);
    readFont(ini, "SQL Editor Font", s.sqlEditorFont);

    const Formats& f0 = systemFormats;
    Formats& f = s.formats;
    f.thousandSeparator = oneChar(ini.readString(kFormats, "ThousandSeparator", f0.thousandSeparator));
    f.decimalSeparator = oneChar(ini.readString(kFormats, "DecimalSeparator", f0.decimalSeparator));
    f.dateSeparator = oneChar(ini.readString(kFormats, "DateSeparator", f0.dateSeparator));
    f.shortDateFormat = ini.readString(kFormats, "ShortDateFormat", f0.shortDateFormat);
    f.longDateFormat = ini.readString(kFormats, "LongDateFormat", f0.longDateFormat);
    f.timeSeparator = oneChar(ini.readString(kFormats, "TimeSeparator", f0.timeSeparator));
    f.timeAMString = ini.readString(kFormats, "TimeAMString", f0.timeAMString);
    f.timePMString = ini.readString(kFormats, "TimePMString", f0.timePMString);
    f.shortTimeFormat = ini.readString(kFormats, "ShortTimeFormat", f0.shortTimeFormat);
    f.longTimeFormat = ini.readString(kFormats, "LongTimeFormat", f0.longTimeFormat);
    return s;
}

std::string writeSettings(const std::string& path, const Settings& s) {
    IniFile ini;
    ini.load(path);   // keeps "SHOWSTARTFORM" and anything else typed by hand
    writeSide(ini, kLeftKeys, s.left);
    writeSide(ini, kRightKeys, s.right);
    const auto& sh = s.shell;
    ini.writeBool(kSetup, "VIEWTOOLBAR", sh.viewToolBar);
    ini.writeBool(kSetup, "SHOWTRAYICON", sh.showTrayIcon);
    ini.writeBool(kSetup, "AUTOSAVE", sh.autoSave);
    ini.writeBool(kSetup, "USEINSQL", sh.useInSql);
    ini.writeBool(kSetup, "REQUESTLIVE", sh.requestLive);
    ini.writeBool(kSetup, "REPLACEAPPROPRIATE", sh.replaceAppropriate);
    ini.writeBool(kSetup, "SHOWRECORDCOUNT", sh.showRecordCount);
    ini.writeBool(kSetup, "ORIGINNAMES", sh.originNames);
    ini.writeString(kSetup, "LOCALSQLHELP", sh.localSqlHelp);
    ini.writeString(kSetup, "INTERBASEHELP", sh.interbaseHelp);
    ini.writeString(kSetup, "SQLBASEHELP", sh.sqlbaseHelp);
    ini.writeString(kSetup, "MSSQLHELP", sh.mssqlHelp);
    ini.writeString(kSetup, "ORACLEHELP", sh.oracleHelp);
    ini.writeInteger(kSetup, "MAINFORMWIDTH", sh.mainFormWidth);
    ini.writeInteger(kSetup, "MAINFORMHEIGHT", sh.mainFormHeight);
    ini.writeBool(kSetup, "SEARCHTABLENAMEFIRSTPOS", s.searchFirstPos);
    ini.writeBool(kSetup, "SEARCHMATCHCASE", s.searchMatchCase);
    ini.writeBool(kSetup, "SHOWDELETED", s.showDeleted);
    ini.writeBool(kSetup, "COLORDELETED", s.colorDeleted);
    ini.writeBool(kSetup, "ISSQLCOLOR", s.isSqlColor);
    ini.writeInteger(kSetup, "SQLCOLOR", s.sqlColor);
    ini.writeInteger(kSetup, "SQLFUNCCOLOR", s.sqlFuncColor);
    ini.writeInteger(kSetup, "PLSQLCOLOR", s.plsqlColor);
    ini.writeInteger(kSetup, "DIGITCOLOR", s.digitColor);
    ini.writeInteger(kSetup, "STRCOLOR", s.strColor);
    ini.writeString(kSetup, "SQLDELIMITER", s.sqlDelimiter);
    ini.writeBool(kSetup, "SHOWINDEXASCREATE", s.showIndexAsCreate);
    ini.writeBool(kSetup, "SHOWSYSTEMINDEX", s.showSystemIndex);
    ini.writeBool(kSetup, "DBKEEPCONNECTION", sh.dbKeepConnection);
    ini.writeBool(kSetup, "SHOWTABLECOMMENTS", s.showTableComments);
    ini.writeBool(kSetup, "DOUBLETSTOREPROC", s.doubletStoreProc);
    ini.writeBool(kSetup, "VIEWWINDOWSTOP", sh.viewWindowsTop);
    ini.writeInteger(kSetup, "PANELSCOLOR", s.panelsColor);
    ini.writeInteger(kSetup, "LANGUAGE", sh.language);
    writeFont(ini, "FONT", s.panelFont);
    writeFont(ini, "SQL Editor Font", s.sqlEditorFont);
    const Formats& f = s.formats;
    ini.writeString(kFormats, "ThousandSeparator", f.thousandSeparator);
    ini.writeString(kFormats, "DecimalSeparator", f.decimalSeparator);
    ini.writeString(kFormats, "DateSeparator", f.dateSeparator);
    ini.writeString(kFormats, "ShortDateFormat", f.shortDateFormat);
    ini.writeString(kFormats, "LongDateFormat", f.longDateFormat);
    ini.writeString(kFormats, "TimeSeparator", f.timeSeparator);
    ini.writeString(kFormats, "TimeAMString", f.timeAMString);
    ini.writeString(kFormats, "TimePMString", f.timePMString);
    ini.writeString(kFormats, "ShortTimeFormat", f.shortTimeFormat);
    ini.writeString(kFormats, "LongTimeFormat", f.longTimeFormat);

    std::error_code ec;
    auto dir = std::filesystem::path(path).parent_path();
    if (!dir.empty()) std::filesystem::create_directories(dir, ec);
    std::string reason;
    if (ini.save(path, reason)) return {};
    return shell::pick("Ошибка записи файла настроек " + path + ": ", "Cannot write the settings file " + path + ": ") + reason;
}

std::string readShowStartForm(const std::string& path) {
    IniFile ini;
    ini.load(path);
    return ini.readString(kSetup, "SHOWSTARTFORM", "CENTER");
}

}  // namespace vlm::panels
