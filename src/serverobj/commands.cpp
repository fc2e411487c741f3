// The server object editors' commands: the checks of every opening, then the window.
#include "panels/panelcontroller.h"

#include "serverobj/commands.h"

#include <QFileDialog>

#include "panels/shellhooks.h"
#include "serverobj/formobjects.h"
#include "serverobj/formproc.h"
#include "serverobj/formtrigger.h"
#include "shell/commandids.h"
#include "shell/commandregistry.h"
#include "shell/language.h"
#include "shell/prompts.h"
#include "shell/qtext.h"
#include "shell/windowsmenu.h"

namespace vlm::serverobj {

namespace cmd = shell::cmd;
using shell::pick;
using shell::toQ;

namespace {

std::string loginUserOf(const std::vector<std::string>& params) {
    for (const auto& p : params)
        if (p.rfind("USER NAME=", 0) == 0) return p.substr(10);
    return {};
}

// SQL-based, then the context of the active panel; nothing when the check stopped.
std::optional<ServerContext> context(shell::TForm1& form) {
    panels::TPanels* p = panels::panelsOf(form);
    if (!p) return std::nullopt;
    if (!p->sqlBased(p->active())) {
        form.prompts().message(toQ(pick("Не доступно для этого типа БД !", "Can not perform this operation on non SQL Based! ")));
        return std::nullopt;
    }
    p->fillCurrentTable();
    const panels::TTableInfo& t = panels::CurrentTable();
    ServerContext c;
    c.databaseName = t.databaseName;
    c.driverName = t.driverName;
    c.kind = t.serverKind;
    c.params = p->currentDatabase().params();
    c.loginUser = loginUserOf(c.params);
    c.doubleColons = p->settings().doubletStoreProc;
    c.replaceAssignment = form.settings().replaceAppropriate;
    c.showError = [&form](const std::exception& e) { form.prompts().error(e); };
    c.showMessage = [&form](const QString& m) { form.prompts().message(m); };
    c.ask = [&form](const QString& m) { return form.prompts().question(m); };
    const QString filter = QStringLiteral("Params File (*.PAR)");
    c.openFileName = [&form, filter](const QString& title) {
        return QFileDialog::getOpenFileName(&form, title, QString(), filter);
    };
    c.saveFileName = [&form, filter](const QString& title) {
        QString f = QFileDialog::getSaveFileName(&form, title, QString(), filter);
        if (!f.isEmpty() && !f.contains('.')) f += QStringLiteral(".PAR");
        return f;
    };
    return c;
}

template <class W>
W* open(shell::TForm1& form, std::optional<shell::WindowSlot> slot, const QString& title) {
    auto c = context(form);
    if (!c) return nullptr;
    shell::TWindowsMenu* wm = shell::windowsMenu();
    if (slot && wm)
        if (QWidget* w = wm->slotWindow(*slot)) {
            shell::TWindowsMenu::bringToFront(w);
            return qobject_cast<W*>(w);
        }
    auto* w = new W(*c, &form);
    if (slot && wm) wm->setSlot(*slot, w);
    w->show();
    w->activateWindow();
    if (!w->start()) {
        delete w;
        return nullptr;
    }
    if (wm) wm->addWindowEntry(w, title);
    return w;
}

}  // namespace

TFormProc* openProcedures(shell::TForm1& form) {
    return open<TFormProc>(form, shell::WindowSlot::Procedures, QStringLiteral(" Stored Procedures"));
}

TFormObjects* openGenerators(shell::TForm1& form) {
    return open<TFormObjects>(form, shell::WindowSlot::Generators, QStringLiteral(" Generators"));
}

TFormTrigger* openTriggers(shell::TForm1& form) {
    return open<TFormTrigger>(form, std::nullopt, QStringLiteral(" Triggers"));
}

void registerCommands(shell::TForm1& form, shell::CommandRegistry& commands) {
    commands.add({cmd::BMenu, cmd::StoredProcedures, cmd::Workwithstoredprocedures1}, [&form] { openProcedures(form); });
    commands.add({cmd::Generators1}, [&form] { openGenerators(form); });
    commands.add({cmd::NNewProcedure}, [&form] {
        if (TFormProc* w = openProcedures(form)) w->appendSkeleton(procedureSkeleton(w->kind()));
    });
    commands.add({cmd::NNewFunction}, [&form] {
        panels::TPanels* p = panels::panelsOf(form);
        if (!p || !p->sqlBased(p->active())) return;
        p->fillCurrentTable();
        if (panels::CurrentTable().serverKind != ServerKind::ORACLE) return;
        if (TFormProc* w = openProcedures(form)) w->appendSkeleton(functionSkeleton(w->kind()));
    });
    commands.add({cmd::NNewGenerator}, [&form] {
        if (TFormObjects* w = openGenerators(form)) w->BCreateClick();
    });
    commands.add({cmd::NNewTrigger}, [&form] { openTriggers(form); });
}

}  // namespace vlm::serverobj
