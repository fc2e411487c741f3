// The command ids of the main window: one constant per menu, menu item, pop-up item, tool
// button and function-key button, named as the control it stands for. Code binds and enables
// commands by these constants, so a misspelt name does not compile.
//   commands.add({cmd::BView, cmd::NView, cmd::NPViewTable1}, [] { openViewWindow(); });
#pragma once

#include <span>
#include <string_view>

namespace vlm::shell {

// What kind of control an id names. A SubMenu only opens its items: it takes no handler, and
// its enabled state is only what the enabling rules say.
enum class ControlKind { SubMenu, MenuItem, PopupItem, ToolButton, FunctionKey };

struct CommandId {
    const char* name;
    constexpr std::string_view view() const { return name; }
    friend constexpr bool operator==(CommandId a, CommandId b) { return a.view() == b.view(); }
    friend constexpr bool operator<(CommandId a, CommandId b) { return a.view() < b.view(); }
};

// X(name, kind) for every control of the main window, in the order of its menus and bars.
#define VLM_MAIN_WINDOW_COMMANDS(X)                                                                    \
    /* Menus and sub-menus. */                                                                        \
    X(NLeft, SubMenu) X(NTables, SubMenu) X(Objects1, SubMenu) X(New1, SubMenu) X(Dependencies0, SubMenu) \
    X(Interbase1, SubMenu) X(NCommands, SubMenu) X(NSQLMonitor, SubMenu) X(View1, SubMenu)             \
    X(NOptions, SubMenu) X(NLanguage1, SubMenu) X(Windows1, SubMenu) X(NHelp0, SubMenu) X(NRight, SubMenu) \
    /* Left and Right. */                                                                             \
    X(NAlphabeticLeft, MenuItem) X(NUnsortedLeft, MenuItem) X(NAllSystablesLeft, MenuItem)            \
    X(NAllTablesLeft, MenuItem) X(NUserTablesLeft, MenuItem) X(SetFilterLeft, MenuItem)               \
    X(NReReadLeft, MenuItem) X(NSelectDatabaseLeft, MenuItem) X(DisconnectLeft, MenuItem)             \
    X(NAlphabeticRight, MenuItem) X(NUnsortedRight, MenuItem) X(NAllSystablesRight, MenuItem)         \
    X(NAllTablesRight, MenuItem) X(NUserTablesRight, MenuItem) X(SetFilterRight, MenuItem)            \
    X(NReReadRight, MenuItem) X(NSelectDataBaseRight, MenuItem) X(DisconnectRight, MenuItem)          \
    /* Tables. */                                                                                     \
    X(NHelp, MenuItem) X(NInfo, MenuItem) X(NView, MenuItem) X(NEdit, MenuItem) X(NCopy, MenuItem)    \
    X(AppendFrom1, MenuItem) X(NSelect, MenuItem) X(Rename1, MenuItem) X(NCreate, MenuItem)           \
    X(NDelete, MenuItem) X(NClearTable, MenuItem) X(PackDbaseTable1, MenuItem)                        \
    X(GetTablesList1, MenuItem) X(ViewDataAsText, MenuItem) X(ImportExportData1, MenuItem)            \
    X(SelectGroup1, MenuItem) X(Removeselect1, MenuItem)                                              \
    /* Objects. */                                                                                    \
    X(NNewTable, MenuItem) X(NNewIndex, MenuItem) X(NNewSynonym, MenuItem) X(NNewGenerator, MenuItem) \
    X(NNewProcedure, MenuItem) X(NNewFunction, MenuItem) X(NNewTrigger, MenuItem)                     \
    X(StoredProcedures, MenuItem) X(Generators1, MenuItem) X(Indexes1, MenuItem) X(Synonyms1, MenuItem) \
    X(Triggers1, MenuItem) X(Constraints1, MenuItem) X(Dependencies1, MenuItem) X(Dependencies2, MenuItem) \
    X(Snapshots1, MenuItem) X(Packages1, MenuItem) X(PackageBodies1, MenuItem) X(TablePrivileges1, MenuItem) \
    X(TableSpaces1, MenuItem) X(RollBackSegments1, MenuItem) X(Clusters1, MenuItem)                   \
    X(SessionOracle1, MenuItem) X(Domains1, MenuItem) X(Functions1, MenuItem) X(Exceptions1, MenuItem) \
    X(BlobFilters1, MenuItem)                                                                         \
    /* Commands. */                                                                                   \
    X(Security1, MenuItem) X(OpenSQLScript1, MenuItem) X(Comparetables1, MenuItem)                    \
    X(Searchtable1, MenuItem) X(SetTrace, MenuItem) X(ShowSQLMonitor, MenuItem) X(ClearSQLLog, MenuItem) \
    X(DataBaseAliasInfo1, MenuItem) X(NBDEAdministrator1, MenuItem) X(RichTextEditor1, MenuItem)      \
    X(NAbout, MenuItem) X(NQuit, MenuItem)                                                            \
    /* View. */                                                                                       \
    X(ToolBar3, MenuItem) X(Icon1, MenuItem) X(List1, MenuItem) X(Report1, MenuItem)                  \
    X(SmallIcon1, MenuItem) X(ReportGridLines, MenuItem)                                              \
    /* Options. */                                                                                    \
    X(NProgramoptions, MenuItem) X(NDefaultLang, MenuItem) X(NRussianLang, MenuItem)                  \
    X(NEnglishLang, MenuItem) X(NUseinSQL, MenuItem) X(NReplAppropriate, MenuItem)                    \
    X(RequestLive1, MenuItem) X(ShowRecordCount1, MenuItem) X(QueryOriginDisplayLabel1, MenuItem)     \
    X(DataBaseKeepConnection1, MenuItem) X(Viewwindowsstayontop1, MenuItem)                           \
    X(ShowTrayIconOnMinimize1, MenuItem) X(NAutoSaveSetup, MenuItem) X(NSaveSetup, MenuItem)          \
    /* Windows and Help. */                                                                           \
    X(CloseAllWindows1, MenuItem) X(Commander1, MenuItem) X(Oracle7SQLReference1, MenuItem)           \
    X(LocalBDESQL1, MenuItem) X(InterBaseSQLReference1, MenuItem) X(GuptaSQLBaseReference1, MenuItem) \
    X(MSSQLReference1, MenuItem)                                                                      \
    /* Panel pop-up (PopupMenu1), command-line pop-up (PopupMenuESQL), tray pop-up (PopupMenu2). */   \
    X(Infoabout1, PopupItem) X(NPViewTable1, PopupItem) X(NPEditTable1, PopupItem)                    \
    X(Copytable1, PopupItem) X(AppendFrom2, PopupItem) X(OpenSQLscripteditor1, PopupItem)             \
    X(Rename2, PopupItem) X(Createtableorindex1, PopupItem) X(Deletetableorindex1, PopupItem)         \
    X(Workwithstoredprocedures1, PopupItem) X(Clearallrecordsintable1, PopupItem)                     \
    X(ViewDataAsText1, PopupItem) X(ImportExportData2, PopupItem)                                     \
    X(Clearhistorylist1, PopupItem) X(GetTablenametocommandline1, PopupItem)                          \
    X(ShowCommander1, PopupItem) X(AboutCommander1, PopupItem)                                        \
    /* Upper tool bar (ToolBar1). */                                                                  \
    X(BReRead, ToolButton) X(BselectDataBase, ToolButton) X(BInfoDataBase, ToolButton)                \
    X(BSysAll, ToolButton) X(BAll, ToolButton) X(BUser, ToolButton) X(BFilter, ToolButton)            \
    X(BSort, ToolButton) X(BUnSort, ToolButton) X(BSetOptions, ToolButton) X(BAbout, ToolButton)      \
    X(BSQLMonitor, ToolButton) X(BBDEAdministrator, ToolButton) X(BDetails, ToolButton)               \
    X(BLarge, ToolButton) X(BSmall, ToolButton) X(BList, ToolButton)                                  \
    /* Function-key buttons (ToolBar2), F1 to F10. */                                                 \
    X(BHelp, FunctionKey) X(BInfo, FunctionKey) X(BView, FunctionKey) X(BEdit, FunctionKey)           \
    X(BCopy, FunctionKey) X(BSelect, FunctionKey) X(BCreate, FunctionKey) X(BDelete, FunctionKey)     \
    X(BMenu, FunctionKey) X(BQuit, FunctionKey)

namespace cmd {
#define VLM_COMMAND_CONSTANT(name, kind) inline constexpr CommandId name{#name};
VLM_MAIN_WINDOW_COMMANDS(VLM_COMMAND_CONSTANT)
#undef VLM_COMMAND_CONSTANT
}  // namespace cmd

struct CommandInfo {
    CommandId id;
    ControlKind kind;
};

inline constexpr CommandInfo kMainWindowCommands[] = {
#define VLM_COMMAND_INFO(name, kind) {cmd::name, ControlKind::kind},
    VLM_MAIN_WINDOW_COMMANDS(VLM_COMMAND_INFO)
#undef VLM_COMMAND_INFO
};

// Every id of the main window.
constexpr std::span<const CommandInfo> mainWindowCommands() { return kMainWindowCommands; }

// The id of that name, or nullptr: for controls made from a name (tests, settings).
constexpr const CommandInfo* findCommand(std::string_view name) {
    for (const CommandInfo& c : kMainWindowCommands)
        if (c.id.view() == name) return &c;
    return nullptr;
}

// The ten function keys, F1 to F10, and their buttons.
inline constexpr CommandId kFunctionKeyButtons[10] = {cmd::BHelp,   cmd::BInfo, cmd::BView,   cmd::BEdit,
                                                      cmd::BCopy,   cmd::BSelect, cmd::BCreate, cmd::BDelete,
                                                      cmd::BMenu,   cmd::BQuit};

}  // namespace vlm::shell
