// The administration windows' commands (see commands.h).
#include "admin/commands.h"

#include "admin/admincontext.h"
#include "admin/dbinfo.h"
#include "admin/formbdeadm.h"
#include "admin/formdbinfo.h"
#include "admin/formprivilege.h"
#include "admin/formrbs.h"
#include "admin/formsecurity.h"
#include "engine/database.h"
#include "engine/session.h"
#include "panels/panelcontroller.h"
#include "panels/shellhooks.h"
#include "panels/tableinfo.h"
#include "shell/commandids.h"
#include "shell/commandregistry.h"
#include "shell/formmain.h"
#include "shell/prompts.h"
#include "shell/windowsmenu.h"

namespace vlm::admin {

namespace {
AdminContext contextOf(shell::TForm1& form) {
    AdminContext c;
    c.session = &engine::Session::defaultSession();
    c.prompts = &form.prompts();
    if (panels::TPanels* p = panels::panelsOf(form)) {
        c.database = &p->currentDatabase();
        c.databaseName = c.database->databaseName();
        c.loginUser = p->panelSettings(p->active()).userName;
    }
    c.kind = panels::CurrentTable().serverKind;
    return c;
}

void openDbInfo(shell::TForm1& form) {
    AdminContext c = contextOf(form);
    auto* w = new TFormDBInfo(&form);
    engine::Database* db = c.database && c.database->connected() ? c.database : nullptr;
    w->show(readDbInfo(*c.session, c.databaseName, db));
}

void openAdministrator(shell::TForm1& form) {
    auto open = [&form]() -> QWidget* { return new TFormBDEADM(contextOf(form), &form); };
    QWidget* w = shell::windowsMenu() ? shell::windowsMenu()->activateOrOpen(shell::WindowSlot::Administrator, open)
                                      : open();
    w->show();
}
void openSecurity(shell::TForm1& form) {
    AdminContext c = contextOf(form);
    if (!c.database || !c.database->connected()) return;
    auto* w = new TFormSecurity(c, &form);
    if (!w->openLists()) {
        delete w;
        return;
    }
    w->exec();
}
void openPrivileges(shell::TForm1& form) {
    AdminContext c = contextOf(form);
    if (!c.database || !c.database->connected()) return;
    auto open = [&form, c]() -> QWidget* {
        if (panels::TPanels* p = panels::panelsOf(form)) p->fillCurrentTable();
        auto* w = new TFormPrivilege(c, &form);
        w->openLists();
        return w;
    };
    QWidget* w = shell::windowsMenu() ? shell::windowsMenu()->activateOrOpen(shell::WindowSlot::TablePrivileges, open)
                                      : open();
    w->show();
}

void openRollbackSegments(shell::TForm1& form) {
    AdminContext c = contextOf(form);
    if (!c.database || !c.database->connected()) return;
    auto* w = new TRbsForm(c, &form);
    w->reread();
    w->show();
}
}  // namespace

void registerCommands(shell::TForm1& form, shell::CommandRegistry& commands) {
    namespace cmd = shell::cmd;
    commands.add({cmd::DataBaseAliasInfo1}, [&form] { openDbInfo(form); });
    commands.add({cmd::BBDEAdministrator, cmd::NBDEAdministrator1}, [&form] { openAdministrator(form); });
    commands.add({cmd::Security1}, [&form] { openSecurity(form); });
    commands.add({cmd::TablePrivileges1}, [&form] { openPrivileges(form); });
    commands.add({cmd::RollBackSegments1}, [&form] { openRollbackSegments(form); });
}

}  // namespace vlm::admin
