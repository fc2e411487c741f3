// The copy, delete and rename commands: what the main window checks before it opens the windows.
#include "panels/panelcontroller.h"

#include "copy/commands.h"

#include <QAction>
#include <QPushButton>

#include "copy/formcopy.h"
#include "copy/formdel.h"
#include "copy/formrename.h"
#include "panels/shellhooks.h"
#include "shell/commandids.h"
#include "shell/commandregistry.h"
#include "shell/language.h"
#include "shell/qtext.h"
#include "shell/windowsmenu.h"

namespace vlm::copy {

namespace cmd = shell::cmd;
using shell::toQ;

namespace {

bool activeConnected(panels::TPanels& p) { return p.database(p.active()).connected(); }

// F5, "Copy - F5", "Copy table" and a drop between the lists: an open copy window comes to the
// front, else a new one for the active panel's focused or marked tables.
void openCopy(shell::TForm1& form, panels::TPanels& p) {
    if (!activeConnected(p)) return;
    const bool focused = p.fillCurrentTable();
    if (!focused && p.selectedCount(p.active()) <= 1) {
        p.showMessage(toQ(shell::noSelectionMessage()));
        return;
    }
    auto open = [&]() -> QWidget* {
        auto* w = new TFormCopy(p, &form);
        w->show();
        w->activateWindow();
        return w;
    };
    if (shell::TWindowsMenu* wm = shell::windowsMenu()) wm->activateOrOpen(shell::WindowSlot::Copy, open);
    else open();
}

// F8 and the Delete key: the modal delete dialog; its commands are disabled while it is open.
void openDelete(shell::TForm1& form, panels::TPanels& p) {
    if (!activeConnected(p)) return;
    const bool focused = p.fillCurrentTable();
    if (!focused && p.selectedCount(p.active()) < 2) {
        p.showMessage(toQ(shell::noSelectionMessage()));
        return;
    }
    QAction* useInSql = form.action(cmd::NUseinSQL);
    QPushButton* button = form.functionButton(cmd::BDelete);
    QAction* menu = form.action(cmd::NDelete);
    TFormDel d(p, panels::CurrentTable(), useInSql && useInSql->isChecked(), &form);
    if (button) button->setEnabled(false);
    if (menu) menu->setEnabled(false);
    d.exec();
    if (button) button->setEnabled(true);
    if (menu) menu->setEnabled(true);
    p.focusList(p.active());
}

void openRename(shell::TForm1& form, panels::TPanels& p) {
    if (!p.fillCurrentTable()) {
        p.showMessage(toQ(shell::noSelectionMessage()));
        return;
    }
    TFormRename d(p, panels::CurrentTable(), &form);
    d.exec();
    p.focusList(p.active());
}

}  // namespace

void registerCommands(shell::TForm1& form, shell::CommandRegistry& commands) {
    panels::TPanels* p = panels::panelsOf(form);
    if (!p) return;
    commands.add({cmd::BCopy, cmd::NCopy, cmd::Copytable1}, [&form, p] { openCopy(form, *p); });
    commands.add({cmd::BDelete, cmd::NDelete, cmd::Deletetableorindex1}, [&form, p] { openDelete(form, *p); });
    commands.add({cmd::Rename1, cmd::Rename2}, [&form, p] { openRename(form, *p); });
}

}  // namespace vlm::copy
