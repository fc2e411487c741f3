// The create window's commands on the main window.
#include "schema/commands.h"

#include <QPointer>

#include "panels/panelcontroller.h"
#include "panels/shellhooks.h"
#include "schema/formcreatetable.h"
#include "shell/commandids.h"
#include "shell/commandregistry.h"
#include "shell/formmain.h"
#include "shell/language.h"
#include "shell/prompts.h"
#include "shell/windowsmenu.h"

namespace vlm::schema {

namespace {

// moves: how many times to step to the next tab ("Index" 1, "Synonym" 2).
void openCreate(shell::TForm1& form, int moves) {
    panels::TPanels* p = panels::panelsOf(form);
    if (!p) return;
    engine::Database& db = p->currentDatabase();
    if (!db.connected()) return;
    shell::TWindowsMenu* menu = shell::windowsMenu();
    if (!menu) return;
    const bool wasOpen = menu->slotWindow(shell::WindowSlot::Create) != nullptr;
    TFormCreateTable* created = nullptr;
    QWidget* w = menu->activateOrOpen(shell::WindowSlot::Create, [&]() -> QWidget* {
        const bool focused = p->fillCurrentTable();
        CreateContext c;
        c.db = &db;
        c.info = panels::CurrentTable();
        c.info.databaseName = db.databaseName();
        if (focused) c.indexTable = c.info.tableNameForCommands;
        c.loginUser = p->panelSettings(p->active()).userName;
        c.prompts = &form.prompts();
        QPointer<panels::TPanels> self(p);
        const panels::Side side = p->active();
        c.created = [self, side] {
            if (self) self->reRead(side);
        };
        created = new TFormCreateTable(c, &form);
        return created;
    });
    auto* f = qobject_cast<TFormCreateTable*>(w);
    if (!f) return;
    if (!wasOpen && created) {
        f->show();
        f->launch();
    }
    for (int i = 0; i < moves; ++i) f->nextTab();
}

}  // namespace

void registerCommands(shell::TForm1& form, shell::CommandRegistry& commands) {
    namespace cmd = shell::cmd;
    // The window opens only on a connected panel (openCreate asks); the panels connect after
    // the commands are registered, so an enabling rule would be asked too early.
    commands.add({cmd::BCreate, cmd::NCreate, cmd::Createtableorindex1, cmd::NNewTable}, [&form] { openCreate(form, 0); });
    commands.add({cmd::NNewIndex}, [&form] { openCreate(form, 1); });
    commands.add({cmd::NNewSynonym}, [&form] { openCreate(form, 2); });
}

}  // namespace vlm::schema
