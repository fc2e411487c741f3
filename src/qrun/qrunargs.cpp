// Qrun's command line and the texts derived from it (see qrunargs.h).
#include "qrun/qrunargs.h"

#include "qrun/qrunlaunch.h"

namespace vlm::qrun {

QueryRunnerStart parseQueryRunnerArguments(const std::vector<std::string>& args,
                                           const std::optional<std::string>& passwordVariable) {
    QueryRunnerStart s;
    auto arg = [&](std::size_t i) { return i < args.size() ? args[i] : std::string(); };
    s.alias = arg(0);
    s.user = arg(1);
    s.password = arg(2);
    if (s.password.empty() && passwordVariable) s.password = *passwordVariable;
    for (std::size_t i = 3; i < args.size(); ++i) {
        if (i > 3) s.statement += ' ';
        s.statement += args[i];
    }
    return s;
}

std::string queryRunnerCaption(const std::string& alias) { return "SQL Query Application (Alias= " + alias + ")"; }

std::vector<std::string> loginParams(const std::string& user, const std::string& password) {
    return {"USER NAME=" + user, "PASSWORD=" + password};
}

std::string queryRunnerUsage() {
    return std::string("Usage: Qrun ALIAS USER PASSWORD STATEMENT\n"
                       "Runs one SQL statement against the engine alias and shows its result.\n"
                       "Pass an empty PASSWORD and set ") +
           kPasswordVariable + " instead: a command line is readable by every user of the machine.\n";
}

}  // namespace vlm::qrun
