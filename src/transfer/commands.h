// The append, compare and import/export commands on the main window.
#pragma once

#include "shell/commandregistry.h"
#include "shell/formmain.h"

namespace vlm::panels {
class TPanels;
}

namespace vlm::transfer {

class TFormAppend;
class TFormCompare;
class TFormExportImport;

void registerCommands(shell::TForm1& form, shell::CommandRegistry& commands);

// The launchers ("Append From ...", "Compare Tables", "Import / Export Data"); nullptr when a
// refusal was shown instead. The compare and import/export windows are shown, not run: the
// commands run them modally.
TFormAppend* openAppend(panels::TPanels& panels);
TFormCompare* makeCompare(panels::TPanels& panels);
TFormExportImport* makeExportImport(panels::TPanels& panels);

}  // namespace vlm::transfer
