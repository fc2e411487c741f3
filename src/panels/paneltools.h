// The commands beside the panels' own work, on the active panel's table list: packing a dBase
// table, the table-list text and the program options dialog. Registered with the panels on the
// main window's command registry.
//   registerPanelTools(panels, form.commands());
//   form.commands().trigger(cmd::PackDbaseTable1);   // "Pack Table X ?", progress, the report
#pragma once

#include "shell/commandregistry.h"

namespace vlm::shell {
class TForm1;
}

namespace vlm::panels {

class TPanels;
class TFormOptions;

// "Pack Dbase Table": the focused table of a local directory packed under the progress
// dialog after the question; "Packed Ok !" or "Packed Failed !" reports it.
void packCurrentTable(TPanels& panels);
// "Get Tables List": the active panel's names (with comments where the options show them)
// in a new text window named LTables.rtf / RTables.rtf in the program folder.
void showTablesList(TPanels& panels);
// The non-modal options dialog: raises the open one or opens it. filterSide: -1 every page;
// 0 the left, 1 the right panel's filter page only.
TFormOptions* openOptionsDialog(TPanels& panels, int filterSide = -1);
// The open options dialog of the main window, or nullptr.
TFormOptions* optionsDialogOf(shell::TForm1& form);

// PackDbaseTable1, GetTablesList1, NProgramoptions / BSetOptions and each panel's Set Filter.
void registerPanelTools(TPanels& panels, shell::CommandRegistry& commands);

}  // namespace vlm::panels
