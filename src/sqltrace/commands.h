// The SQL trace's commands on the main window: the toggle button BSQLMonitor, "Set Trace",
// "Show" and "Clear Log".
#pragma once

#include "shell/commandregistry.h"

namespace vlm::shell {
class TForm1;
}

namespace vlm::sqltrace {
void registerCommands(shell::TForm1& form, shell::CommandRegistry& commands);
}
