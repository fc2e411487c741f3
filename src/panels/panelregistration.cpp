// The panels' commands on the main window's command registry: one registration per command,
// with every control that names it.
#include "panels/panelcontroller.h"

#include <QToolButton>

namespace vlm::panels {

namespace cmd = shell::cmd;

void registerPanelCommands(TPanels& p, shell::CommandRegistry& commands) {
    shell::TForm1& form = p.form();
    for (Side s : {Side::Left, Side::Right}) {
        const SideCommands& c = sideCommands(s);
        commands.add(c.alphabetic, [&p, s] { p.setSorted(s, true); });
        commands.add(c.unsorted, [&p, s] { p.setSorted(s, false); });
        commands.add(c.allSystables, [&p, s] { p.setScope(s, Scope::AllTables); });
        commands.add(c.allTables, [&p, s] { p.setScope(s, Scope::AllUsersTables); });
        commands.add(c.userTables, [&p, s] { p.setScope(s, Scope::UserTables); });
        commands.add(c.reRead, [&p, s] { p.reRead(s); });
        commands.add(c.selectDatabase, [&p, s] { p.selectDatabase(s); });
        commands.add(c.disconnect, [&p, s] { p.disconnectPanel(s, false); });
    }
    commands.add(cmd::SelectGroup1, [&p] { p.groupSelect(p.active(), true); });
    commands.add(cmd::Removeselect1, [&p] { p.groupSelect(p.active(), false); });
    commands.add(cmd::Searchtable1, [&p] { p.startSearch(); });
    commands.add({cmd::Icon1, cmd::BLarge}, [&p] { p.setViewStyle(ViewStyle::Icon); });
    commands.add({cmd::SmallIcon1, cmd::BSmall}, [&p] { p.setViewStyle(ViewStyle::SmallIcon); });
    commands.add({cmd::List1, cmd::BList}, [&p] { p.setViewStyle(ViewStyle::List); });
    commands.add({cmd::Report1, cmd::BDetails}, [&p] { p.setViewStyle(ViewStyle::Report); });
    commands.add(cmd::ReportGridLines, [&p] { p.setGridLines(!p.gridLines()); });
    for (CommandId id : {cmd::Icon1, cmd::SmallIcon1, cmd::List1, cmd::Report1, cmd::ReportGridLines})
        if (QAction* a = form.action(id)) a->setCheckable(true);

    commands.add(cmd::BReRead, [&p] { p.reconnect(); });
    commands.add(cmd::BselectDataBase, [&p, &form] {
        if (p.database(p.active()).connected()) {
            p.disconnectPanel(p.active(), true);
        } else {
            p.selectDatabase(p.active());
            form.setChecked(cmd::BselectDataBase, true);
        }
    });
    commands.add(cmd::BSysAll, [&p] { p.setScope(p.active(), Scope::AllTables); });
    commands.add(cmd::BAll, [&p] { p.setScope(p.active(), Scope::AllUsersTables); });
    commands.add(cmd::BUser, [&p] { p.setScope(p.active(), Scope::UserTables); });
    commands.add(cmd::BFilter, [&p, &form] { p.toggleFilter(form.toolButton(cmd::BFilter)->isChecked()); });
    commands.add(cmd::BSort, [&p] { p.sortButton(true); });
    commands.add(cmd::BUnSort, [&p] { p.sortButton(false); });
    for (CommandId id : {cmd::BselectDataBase, cmd::BFilter})
        if (QToolButton* b = form.toolButton(id)) b->setCheckable(true);
}

}  // namespace vlm::panels
