// The structure window's commands on the main window: F2, the "Info" menu entry, the BInfo
// button and the panel pop-up's entry. Registered once, in main():
//   vlm::shell::TForm1::addCommandProvider(&vlm::tableinfo::registerCommands);
#pragma once

namespace vlm::shell {
class TForm1;
class CommandRegistry;
}  // namespace vlm::shell

namespace vlm::tableinfo {
void registerCommands(shell::TForm1& form, shell::CommandRegistry& commands);
}
