// What the administration windows take from the main window that opens them: the active
// panel's database, its kind and login user, and the prompts for messages, questions and errors.
#pragma once

#include <string>

#include "panels/serverkind.h"

namespace vlm::engine {
class Database;
class Session;
}
namespace vlm::shell {
class Prompts;
}

namespace vlm::admin {

struct AdminContext {
    engine::Session* session = nullptr;
    engine::Database* database = nullptr;   // the active panel's database (may be closed)
    std::string databaseName;
    panels::ServerKind kind = panels::ServerKind::STANDARD;
    std::string loginUser;                  // the panel's login user name
    shell::Prompts* prompts = nullptr;
};

}  // namespace vlm::admin
