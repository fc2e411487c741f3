// The commands beside the panels: pack, table-list text, options dialog.
#include "panels/paneltools.h"

#include <QStringList>
#include <QTextEdit>

#include "engine/progress.h"
#include "panels/formoptions.h"
#include "panels/pack.h"
#include "panels/panelcontroller.h"
#include "shell/qtext.h"
#include "shell/textform.h"
#include "shell/texthelpers.h"

namespace vlm::panels {

using shell::fromQ;
using shell::toQ;
namespace cmd = shell::cmd;

void packCurrentTable(TPanels& panels) {
    if (!panels.fillCurrentTable()) return;
    engine::Database& db = panels.currentDatabase();
    try {
        if (db.isSqlBased()) return;
    } catch (const std::exception&) {
        // A database whose driver cannot be told is no dBase directory: nothing to pack.
        return;
    }
    const TTableInfo& info = CurrentTable();
    if (!panels.askYesNo(toQ("Pack Table " + info.tableNameForCommands + " ?"))) return;
    const shell::WorkResult r =
        panels.prompts().runWork(toQ("Pack Table " + info.tableNameForCommands), [&](engine::Progress& p) {
            packLocalTable(info.databaseName, info.tableNameForCommands, p);
        });
    // The designed message is the whole report: a failed or cancelled pack left the table as it
    // was, and the user is told so without the engine's text.
    panels.showMessage(r.outcome == shell::WorkOutcome::Finished ? QStringLiteral("Packed Ok !")
                                                                 : QStringLiteral("Packed Failed !"));
}

void showTablesList(TPanels& panels) {
    const Side s = panels.active();
    panels.fillCurrentTable();
    const bool comments = panels.settings().showTableComments && (CurrentTable().serverKind == ServerKind::ORACLE ||
                                                                  CurrentTable().serverKind == ServerKind::SQLBASE);
    QStringList lines;
    for (int i = 0; i < panels.itemCount(s); ++i) {
        std::string caption = fromQ(panels.itemCaption(s, i));
        std::string line = shell::text::padRight(caption, " ", 40);
        if (comments) line += " --> " + panels.tableList(s).comment(caption);
        lines << toQ(line);
    }
    shell::TTextForm* editor = panels.form().newRichTextEditor();
    editor->setDocumentName(toQ(panels.programDir()) +
                            (s == Side::Left ? QStringLiteral("LTables.rtf") : QStringLiteral("RTables.rtf")));
    editor->editor()->setPlainText(lines.join(QLatin1Char('\n')));
    editor->editor()->document()->setModified(false);
}

TFormOptions* optionsDialogOf(shell::TForm1& form) {
    return form.findChild<TFormOptions*>(QString(), Qt::FindDirectChildrenOnly);
}

TFormOptions* openOptionsDialog(TPanels& panels, int filterSide) {
    if (TFormOptions* open = optionsDialogOf(panels.form())) {
        open->raise();
        open->activateWindow();
        return open;
    }
    auto* o = new TFormOptions(panels, filterSide, &panels.form());
    o->show();
    return o;
}

void registerPanelTools(TPanels& p, shell::CommandRegistry& commands) {
    shell::TForm1& form = p.form();
    commands.add(cmd::PackDbaseTable1, [&p] { packCurrentTable(p); });
    commands.add(cmd::GetTablesList1, [&p] { showTablesList(p); });
    commands.add({cmd::NProgramoptions, cmd::BSetOptions}, [&p] { openOptionsDialog(p, -1); });
    for (Side s : {Side::Left, Side::Right})
        commands.add(sideCommands(s).setFilter, [&p, &form, s] {
            // The check follows the filter setting; the dialog changes it.
            form.setChecked(sideCommands(s).setFilter, p.panelSettings(s).filterOn);
            openOptionsDialog(p, s == Side::Left ? 0 : 1);
        });
}

}  // namespace vlm::panels
