// Starting the query runner Qrun from the commander: Qrun runs one statement against an alias
// in a process of its own, so that a long query does not hold up the commander.
//   std::string why;
//   if (!vlm::qrun::startQueryRunner(alias, user, password, statement, &why))
//       ... show "Can not run Query Application!" (and why) ...
// Plain C++ over Qt Core (no widgets): callable from any window of the commander.
#pragma once

#include <string>
#include <vector>

namespace vlm::qrun {

// The environment variable that carries the password to Qrun. The command line of a process
// is readable by every user of the machine; its environment only by its owner.
inline constexpr const char* kPasswordVariable = "VLM_QRUN_PASSWORD";

// The program file of the query runner beside the running executable ("Qrun", "Qrun.exe" on
// Windows).
std::string queryRunnerPath();

// The argument list Qrun is started with: alias, user name, an empty third argument (the
// password goes in the environment) and the statement as one argument, verbatim. Each is a
// separate argument, so an empty value or a blank inside one shifts nothing.
std::vector<std::string> queryRunnerArguments(const std::string& alias, const std::string& user,
                                              const std::string& statement);

// Starts `program` detached with queryRunnerArguments() and the password in
// kPasswordVariable. Does not wait and learns nothing of the outcome. On failure returns false
// and, when `error` is given, stores why (the program's path and the system's reason).
bool startQueryRunnerProgram(const std::string& program, const std::string& alias, const std::string& user,
                             const std::string& password, const std::string& statement, std::string* error);

// startQueryRunnerProgram(queryRunnerPath(), ...).
bool startQueryRunner(const std::string& alias, const std::string& user, const std::string& password,
                      const std::string& statement, std::string* error);

}  // namespace vlm::qrun
