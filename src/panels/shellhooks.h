// The panels' side of the main window's seam: settings file, panel start-up, keys, shutdown.
//   auto hooks = vlm::panels::makeShellHooks();  new TForm1(programDir, hooks, splash);
#pragma once

#include <memory>

#include "shell/shellsettings.h"

namespace vlm::panels {

class TPanels;

std::shared_ptr<shell::ShellHooks> makeShellHooks();
// The panels of a main window made with those hooks (nullptr before the window's start-up).
TPanels* panelsOf(shell::TForm1& form);

}  // namespace vlm::panels
