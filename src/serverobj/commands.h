// The server object editors' commands: F9 and "Stored Procedures - F9", the panel pop-up's
// "Work with stored procedures", "Generators", and the "New" entries for procedures,
// functions, generators and triggers.
#pragma once

#include "shell/formmain.h"

namespace vlm::serverobj {

class TFormProc;
class TFormObjects;
class TFormTrigger;

void registerCommands(shell::TForm1& form, shell::CommandRegistry& commands);

// The opening steps of each window; nullptr when a check stopped it (the message was shown) or
// the open window was raised instead (then the open one is returned).
TFormProc* openProcedures(shell::TForm1& form);
TFormObjects* openGenerators(shell::TForm1& form);
TFormTrigger* openTriggers(shell::TForm1& form);

}  // namespace vlm::serverobj
