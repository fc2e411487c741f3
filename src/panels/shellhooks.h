// The panels' side of the main window's seam: settings file, panel start-up, keys, shutdown.
//   auto hooks = vlm::panels::makeShellHooks();  new TForm1(programDir, hooks, splash);
#pragma once

#include <memory>

#include "shell/shellsettings.h"

namespace vlm::panels {

class TPanels;

// prompts: the messages, questions, errors and long work of the main window and the panels
// (none: message boxes and the progress dialog); tests pass their own.
std::shared_ptr<shell::ShellHooks> makeShellHooks(std::shared_ptr<shell::Prompts> prompts = {});
// The panels of a main window made with those hooks (nullptr before the window's start-up).
TPanels* panelsOf(shell::TForm1& form);

}  // namespace vlm::panels
