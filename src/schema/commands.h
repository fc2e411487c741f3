// F7 and its entries ("F7-Create", "Create - F7", the pop-up's "Create table or index") and the
// "New" menu's Table, Index and Synonym open the create window on the active panel's database.
#pragma once

namespace vlm::shell {
class TForm1;
class CommandRegistry;
}  // namespace vlm::shell

namespace vlm::schema {
void registerCommands(shell::TForm1& form, shell::CommandRegistry& commands);
}
