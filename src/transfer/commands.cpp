// The transfer windows' launchers and their registration on the main window.
#include "panels/panelcontroller.h"

#include "transfer/commands.h"

#include <QAction>

#include "panels/shellhooks.h"
#include "shell/commandids.h"
#include "shell/language.h"
#include "shell/qtext.h"
#include "shell/windowsmenu.h"
#include "transfer/formappend.h"
#include "transfer/formcompare.h"
#include "transfer/formexportimport.h"

namespace vlm::transfer {

namespace cmd = shell::cmd;
using shell::Side;
using shell::toQ;

TFormAppend* openAppend(panels::TPanels& panels) {
    if (shell::TWindowsMenu* wm = shell::windowsMenu())
        if (QWidget* open = wm->slotWindow(shell::WindowSlot::Append)) {
            shell::TWindowsMenu::bringToFront(open);
            return qobject_cast<TFormAppend*>(open);
        }
    if (!panels.fillCurrentTable()) {
        panels.showMessage(toQ(shell::noSelectionMessage()));
        return nullptr;
    }
    auto* w = new TFormAppend(panels, panels::CurrentTable().tableNameForCommands, &panels.form());
    w->setWindowFlag(Qt::Window, true);
    if (shell::TWindowsMenu* wm = shell::windowsMenu()) wm->setSlot(shell::WindowSlot::Append, w);
    w->show();
    return w;
}

TFormCompare* makeCompare(panels::TPanels& panels) {
    const int l = panels.focusedIndex(Side::Left), r = panels.focusedIndex(Side::Right);
    if (l < 0 || r < 0) {
        panels.showMessage(toQ(shell::noSelectionMessage()));
        return nullptr;
    }
    return new TFormCompare(panels, shell::fromQ(panels.itemCaption(Side::Left, l)),
                            shell::fromQ(panels.itemCaption(Side::Right, r)), &panels.form());
}

TFormExportImport* makeExportImport(panels::TPanels& panels) {
    if (!panels.fillCurrentTable()) {
        panels.showMessage(toQ(shell::noSelectionMessage()));
        return nullptr;
    }
    QAction* quote = panels.form().action(cmd::NUseinSQL);
    return new TFormExportImport(panels, panels::CurrentTable().tableNameForCommands, quote && quote->isChecked(),
                                 &panels.form());
}

void registerCommands(shell::TForm1& form, shell::CommandRegistry& commands) {
    auto panels = [&form]() -> panels::TPanels* { return panels::panelsOf(form); };
    commands.add({cmd::AppendFrom1, cmd::AppendFrom2}, [panels] {
        if (auto* p = panels()) openAppend(*p);
    });
    commands.add({cmd::Comparetables1}, [panels] {
        if (auto* p = panels())
            if (auto* w = makeCompare(*p)) w->exec();
    });
    commands.add({cmd::ImportExportData1, cmd::ImportExportData2}, [panels] {
        if (auto* p = panels())
            if (auto* w = makeExportImport(*p)) w->exec();
    });
}

}  // namespace vlm::transfer
