// The "Objects" menu's list entries: the checks of every handler, then the list window or the
// dependency tree window in their window slots.
#include "panels/panelcontroller.h"

#include "objlists/commands.h"

#include "datawin/commands.h"
#include "objlists/formobjnew.h"
#include "objlists/formoobj.h"
#include "panels/shellhooks.h"
#include "shell/commandids.h"
#include "shell/commandregistry.h"
#include "shell/formmain.h"
#include "shell/language.h"
#include "shell/prompts.h"
#include "shell/qtext.h"
#include "shell/windowsmenu.h"

namespace vlm::objlists {

namespace cmd = shell::cmd;
using shell::pick;
using shell::toQ;

namespace {

// Steps shared by both windows: SQL-based, the slot, the current table record, the kind.
// Returns the context, or nothing when the handler stops.
std::optional<ObjectListContext> check(shell::TForm1& form, ListKind list, shell::WindowSlot slot) {
    panels::TPanels* p = panels::panelsOf(form);
    if (!p) return std::nullopt;
    if (!p->sqlBased(p->active())) {
        form.prompts().message(toQ(pick(kNotSqlBasedRu, kNotSqlBasedEn)));
        return std::nullopt;
    }
    shell::TWindowsMenu* wm = shell::windowsMenu();
    if (QWidget* open = wm ? wm->slotWindow(slot) : nullptr) {
        shell::TWindowsMenu::bringToFront(open);
        return std::nullopt;
    }
    p->fillCurrentTable();
    const panels::TTableInfo& t = panels::CurrentTable();
    if (!supported(list, t.serverKind)) {
        form.prompts().message(toQ(pick(kNotSupportedRu, kNotSupportedEn)));
        return std::nullopt;
    }
    ObjectListContext c;
    c.databaseName = t.databaseName;
    c.driverName = t.driverName;
    c.kind = t.serverKind;
    c.params = p->currentDatabase().params();
    c.showSystem = p->settings().showSystemIndex;
    c.indexAsCreate = p->settings().showIndexAsCreate;
    c.programDir = shell::fromQ(form.programDir());
    c.showError = [&form](const std::exception& e) { form.prompts().error(e); };
    c.showMessage = [&form](const QString& m) { form.prompts().message(m); };
    return c;
}

}  // namespace

TFormOObj* openObjectList(shell::TForm1& form, ListKind list) {
    auto c = check(form, list, shell::WindowSlot::ObjectList);
    if (!c) return nullptr;
    auto* w = new TFormOObj(list, *c, &form);
    if (!w->openList()) {
        delete w;
        return nullptr;
    }
    if (shell::TWindowsMenu* wm = shell::windowsMenu()) wm->setSlot(shell::WindowSlot::ObjectList, w);
    w->show();
    w->activateWindow();
    return w;
}

TFormObjNew* openDependencyTree(shell::TForm1& form) {
    auto c = check(form, ListKind::Dependencies, shell::WindowSlot::DependencyTree);
    if (!c) return nullptr;
    auto* w = new TFormObjNew(*c, &form);
    if (!w->openTrees()) {
        delete w;
        return nullptr;
    }
    if (shell::TWindowsMenu* wm = shell::windowsMenu()) wm->setSlot(shell::WindowSlot::DependencyTree, w);
    w->show();
    w->activateWindow();
    return w;
}

void registerCommands(shell::TForm1& form, shell::CommandRegistry& commands) {
    const std::pair<shell::CommandId, ListKind> lists[] = {
        {cmd::Indexes1, ListKind::Indexes},           {cmd::Synonyms1, ListKind::Synonyms},
        {cmd::Triggers1, ListKind::Triggers},         {cmd::Constraints1, ListKind::Constraints},
        {cmd::Dependencies1, ListKind::Dependencies}, {cmd::Snapshots1, ListKind::Snapshots},
        {cmd::Packages1, ListKind::Packages},         {cmd::PackageBodies1, ListKind::PackageBodies},
        {cmd::TableSpaces1, ListKind::TableSpaces},   {cmd::Clusters1, ListKind::Clusters},
        {cmd::SessionOracle1, ListKind::SessionParameters}, {cmd::Domains1, ListKind::Domains},
        {cmd::Functions1, ListKind::ExternalFunctions}, {cmd::Exceptions1, ListKind::Exceptions},
        {cmd::BlobFilters1, ListKind::BlobFilters}};
    for (const auto& [id, list] : lists) commands.add({id}, [&form, list = list] { openObjectList(form, list); });
    commands.add({cmd::Dependencies2}, [&form] { openDependencyTree(form); });
}

}  // namespace vlm::objlists
