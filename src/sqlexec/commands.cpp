// Registration of the script window (see commands.h).
#include "sqlexec/commands.h"

#include "panels/panelcontroller.h"
#include "panels/shellhooks.h"
#include "shell/commandids.h"
#include "shell/commandregistry.h"
#include "shell/formmain.h"
#include "shell/language.h"
#include "shell/windowsmenu.h"
#include "sqlexec/formscript.h"

namespace vlm::sqlexec {

namespace cmd = shell::cmd;

TFormScript* openScriptWindow(panels::TPanels& panels) {
    const shell::Side side = panels.active();
    const auto slot = side == shell::Side::Left ? shell::WindowSlot::LeftScript : shell::WindowSlot::RightScript;
    shell::TWindowsMenu* wm = shell::windowsMenu();
    if (wm) {
        if (QWidget* open = wm->slotWindow(slot)) {
            shell::TWindowsMenu::bringToFront(open);
            return qobject_cast<TFormScript*>(open);
        }
    }
    auto* w = new TFormScript(panels, side, &panels.form());
    if (shell::languageSetting() == 1) w->applyRussianTexts();
    if (wm) wm->setSlot(slot, w);
    w->show();
    w->activateWindow();
    return w;
}

void registerCommands(shell::TForm1& form, shell::CommandRegistry& commands) {
    commands.add({cmd::BSelect, cmd::OpenSQLScript1}, [&form] {
        if (panels::TPanels* p = panels::panelsOf(form)) openScriptWindow(*p);
    });
}

}  // namespace vlm::sqlexec
