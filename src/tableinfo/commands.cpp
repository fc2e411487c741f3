// F2 and its menu, button and pop-up entries open the structure window of the active panel's
// focused table.
#include "tableinfo/commands.h"

#include <QPointer>

#include "panels/panelcontroller.h"
#include "panels/shellhooks.h"
#include "shell/commandids.h"
#include "shell/commandregistry.h"
#include "shell/formmain.h"
#include "shell/language.h"
#include "shell/prompts.h"
#include "shell/qtext.h"
#include "shell/texthelpers.h"
#include "tableinfo/openinfo.h"

namespace vlm::tableinfo {

namespace {
void openInfo(shell::TForm1& form) {
    panels::TPanels* p = panels::panelsOf(form);
    if (!p) return;
    engine::Database& db = p->currentDatabase();
    if (!db.connected()) return;
    if (!p->fillCurrentTable()) {
        p->showMessage(shell::toQ(shell::noSelectionMessage()));
        return;
    }
    InfoContext c;
    c.params = db.params();
    c.loginUser = p->panelSettings(p->active()).userName;
    c.stayOnTop = form.viewWindowsStayOnTop();
    c.showError = [&form](const QString& e) { form.prompts().error(e); };
    c.showMessage = [&form](const QString& m) { form.prompts().message(m); };
    QPointer<panels::TPanels> self(p);
    c.closed = [self] {
        if (self) self->focusList(self->active());
    };
    const panels::Side side = p->active();
    c.tableCreated = [self, side] {
        if (self) self->reRead(side);
    };
    openInfoWindow(panels::CurrentTable(), c, &form);
}
}  // namespace

void registerCommands(shell::TForm1& form, shell::CommandRegistry& commands) {
    namespace cmd = shell::cmd;
    commands.add({cmd::BInfo, cmd::NInfo, cmd::Infoabout1}, [&form] { openInfo(form); });
}

}  // namespace vlm::tableinfo
