// The administration windows' commands on the main window: "DataBase (Alias) Info", the engine
// administrator (tool bar button and "Commands" menu), "Security", "Table Privileges" and
// "RollBack Segments". Registered once, in main():
//   vlm::shell::TForm1::addCommandProvider(&vlm::admin::registerCommands);
#pragma once

namespace vlm::shell {
class TForm1;
class CommandRegistry;
}  // namespace vlm::shell

namespace vlm::admin {
void registerCommands(shell::TForm1& form, shell::CommandRegistry& commands);
}
