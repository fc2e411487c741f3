// What Qrun takes from its command line and environment, and the texts it derives from them.
// Plain C++: the rules are tested as a table without starting the program.
//   Qrun ALIAS USER [PASSWORD] STATEMENT          (the password better in VLM_QRUN_PASSWORD)
//   auto start = parseQueryRunnerArguments({argv + 1, argv + argc}, getenv(kPasswordVariable));
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vlm::qrun {

struct QueryRunnerStart {
    std::string alias;       // argument 1
    std::string user;        // argument 2
    std::string password;    // argument 3 when not empty, else the environment's
    std::string statement;   // argument 4 verbatim; several words from 4 on joined by one blank
};

// `args` are the arguments after the program name; `passwordVariable` the value of
// kPasswordVariable (nullopt when it is not set). Missing arguments are empty.
QueryRunnerStart parseQueryRunnerArguments(const std::vector<std::string>& args,
                                           const std::optional<std::string>& passwordVariable);

// "SQL Query Application (Alias= DEMO)".
std::string queryRunnerCaption(const std::string& alias);

// The connection's parameters: "USER NAME=" and "PASSWORD=" lines.
std::vector<std::string> loginParams(const std::string& user, const std::string& password);

// What Qrun prints when it is started without an alias.
std::string queryRunnerUsage();

}  // namespace vlm::qrun
