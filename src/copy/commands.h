// The copy, delete and rename commands on the main window: F5 and its button, menu and pop-up
// entries; F8, the Delete key and theirs; "Rename".
#pragma once

#include "shell/formmain.h"

namespace vlm::copy {
void registerCommands(shell::TForm1& form, shell::CommandRegistry& commands);
}
