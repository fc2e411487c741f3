// Registration of the SQL trace's commands.
#include "sqltrace/commands.h"

#include "shell/formmain.h"
#include "sqltrace/tracemonitor.h"

namespace vlm::sqltrace {

namespace cmd = shell::cmd;

void registerCommands(shell::TForm1& form, shell::CommandRegistry& commands) {
    auto* monitor = new TTraceMonitor(form);   // owned by the main window
    commands.add(cmd::BSQLMonitor, [monitor] { monitor->BSQLMonitorClick(); });
    commands.add(cmd::SetTrace, [monitor] { monitor->SetTraceClick(); });
    commands.add(cmd::ShowSQLMonitor, [monitor] { monitor->NShowSQLMonitorClick(); });
    commands.add(cmd::ClearSQLLog, [monitor] { monitor->NClearSQLMonClick(); });
}

}  // namespace vlm::sqltrace
