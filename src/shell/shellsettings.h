// The seam between the main window and whoever owns the settings file and the panels.
// TForm1 reads the values it needs from ShellSettings (defaults when nobody fills them) and
// calls ShellHooks at the fixed points of start-up, key preview and shutdown.
//   struct PanelsHooks : vlm::shell::ShellHooks { void loadSettings(TForm1& f, ShellSettings& s) override; };
#pragma once

#include <memory>
#include <string>

class QKeyEvent;

namespace vlm::shell {

class TForm1;
class Prompts;

// The settings the shell itself acts on. The rest of VLM32.INI is the settings owner's.
struct ShellSettings {
    std::string showStartForm = "CENTER";  // "SETUP" / "SHOWSTARTFORM", read at program start
    int language = 0;                      // "LANGUAGE": 0 default, 1 Russian, 2 English
    bool viewToolBar = true;               // "VIEWTOOLBAR"
    bool showTrayIcon = false;             // "SHOWTRAYICON"
    bool autoSave = false;                 // "AUTOSAVE"
    bool viewWindowsTop = false;           // "VIEWWINDOWSTOP"
    bool dbKeepConnection = true;          // "DBKEEPCONNECTION"
    bool useInSql = false, requestLive = false, replaceAppropriate = false;
    bool showRecordCount = false, originNames = false;
    int mainFormWidth = 640, mainFormHeight = 430;  // "MAINFORMWIDTH", "MAINFORMHEIGHT"
    std::string localSqlHelp = "LOCALSQL.HLP";
    std::string interbaseHelp = "SQLREF32.HLP";
    std::string sqlbaseHelp = "SQLBASE.HLP";
    std::string mssqlHelp = "HELPSQL.HLP";
    std::string oracleHelp = "VLM32ORA.HLP";
};

// Every hook has a default that does nothing, so the shell runs alone.
class ShellHooks {
public:
    virtual ~ShellHooks() = default;
    // Program start, before the main window exists: the "SHOWSTARTFORM" value.
    virtual std::string readShowStartForm(const std::string& programDir) {
        (void)programDir;
        return "CENTER";
    }
    // Start-up step 8: fill settings from the file and apply the panels' own settings. The
    // shell then applies the values of ShellSettings to its check items.
    virtual void loadSettings(TForm1& form, ShellSettings& settings) { (void)form; (void)settings; }
    // Start-up steps 9 to 13: keep-connection, window size is the shell's, panel databases,
    // table lists and the start-up logins.
    virtual void startPanels(TForm1& form) { (void)form; }
    // Start-up steps 18 to 20, after the language is applied: list builds and their focus.
    virtual void buildPanels(TForm1& form) { (void)form; }
    // Key preview: return true when the key was handled (it is then consumed).
    virtual bool keyDown(TForm1& form, QKeyEvent& key) { (void)form; (void)key; return false; }
    // Shutdown steps 1 and 2: remember the databases, close both connections (errors shown).
    virtual void closeConnections(TForm1& form) { (void)form; }
    // "Save Setup" and the shutdown step with "Auto Save Setup": write the file.
    virtual void saveSettings(TForm1& form, const ShellSettings& settings) { (void)form; (void)settings; }
    // After the main window has been re-captioned (start-up or the Language menu).
    virtual void languageApplied(TForm1& form) { (void)form; }
    // The prompts the main window and its windows use (asked once, first in the start-up);
    // none: message boxes, the standard error display and the progress dialog.
    virtual std::shared_ptr<Prompts> prompts() { return {}; }
    // First step of the main window's destruction, while it is still whole: whatever watches
    // or calls back into its controls stops here (nothing of it may outlive the window's parts).
    virtual void mainWindowDestroying(TForm1& form) { (void)form; }
};

}  // namespace vlm::shell
