// The data windows' entry points for the main window: F3 / "View Table" / double click, F4 /
// "Edit Table", Alt+F8 "Clear all records", "View Data As Text" and the SQL command line ESQL.
// registerCommands() binds them to the main window's command ids and its command line; it is
// given to the main window once, in main():
//   vlm::shell::TForm1::addCommandProvider(&vlm::datawin::registerCommands);
#pragma once

#include <QString>

#include "datawin/formview.h"
#include "panels/tableinfo.h"

class QObject;
class QWidget;

namespace vlm::shell {
class TForm1;
class CommandRegistry;
}
namespace vlm::panels {
class TPanels;
}

namespace vlm::datawin {

class TFormViewS;

void registerCommands(shell::TForm1& form, shell::CommandRegistry& commands);

// The settings the windows read, from the main window's check items and the options.
ViewOptions viewOptionsOf(shell::TForm1& form);

// Opens the table window for the active panel's focused table (F3: view, F4: edit). Nothing
// when the panel's database is not connected; the no-selection message without a focused
// item; F4 with an edit window open raises it. Returns the window, or nullptr.
TFormView* openTableWindow(panels::TPanels& panels, bool edit);
// The same for a given table and settings (no panel): the window, or nullptr when it could
// not open its dataset (the error was shown, the window closed).
TFormView* openTableWindow(const panels::TTableInfo& table, bool edit, const ViewOptions& options, QWidget* parent);

void viewDataAsText(panels::TPanels& panels);
void clearAllRecords(panels::TPanels& panels);

// ESQL: runs the command on the active panel's database. A query opens a result window
// (returned); a statement reports its rows. The text joins the history when it ran.
TFormViewS* runCommandLine(panels::TPanels& panels, const QString& command);
// Ctrl+J and "Get Table name to command line": the focused item's caption appended.
void appendFocusedName(panels::TPanels& panels, bool caretToEnd);

// The text window with the report file (the main window's shared viewer).
void showReportFile(const QString& fileName, const QString& title);
void focusActivePanel();
// Where showReportFile goes without a main window (tests).
extern std::function<void(const QString&, const QString&)> reportSink;

}  // namespace vlm::datawin
