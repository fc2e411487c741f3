// The script window's entry points on the main window: F6, the F6-SQL button and
// "Open SQL Script - F6". Given to the main window once, in main():
//   vlm::shell::TForm1::addCommandProvider(&vlm::sqlexec::registerCommands);
#pragma once

namespace vlm::shell {
class TForm1;
class CommandRegistry;
}
namespace vlm::panels {
class TPanels;
}

namespace vlm::sqlexec {

class TFormScript;

void registerCommands(shell::TForm1& form, shell::CommandRegistry& commands);
// Opens the script window of the active panel, or brings the open one to the front.
TFormScript* openScriptWindow(panels::TPanels& panels);

}  // namespace vlm::sqlexec
