// Database: a named connection of a session, registered with it while open.
#include "database.h"

#include "error.h"
#include "session.h"

namespace vlm::engine {

Database::Database(Session* session) : session_(session ? session : &Session::defaultSession()) {}

Database::~Database() { close(); }

void Database::setDatabaseName(const std::string& name) {
    if (name == name_) return;
    close();
    name_ = name;
}

void Database::open() {
    if (conn_) return;
    conn_ = session_->connect(name_, params_);
    session_->registerDatabase(this);
}

void Database::close() {
    if (!conn_) return;
    session_->unregisterDatabase(this);
    // An open transaction is rolled back: closing never commits on the user's behalf.
    try {
        if (conn_->inTransaction()) conn_->rollback();
    } catch (const EngineError&) {
    }
    conn_.reset();
}

std::string Database::driverName() { return session_->driverNameOf(name_); }

bool Database::isSqlBased() {
    if (conn_) return conn_->capabilities().sqlBased;
    return driverName() != "STANDARD";
}

void Database::startTransaction() { connection().begin(); }

void Database::commit() {
    if (!conn_) throw EngineError(ErrorCategory::Usage, "Commit: the database is not open");
    conn_->commit();
}

void Database::rollback() {
    if (!conn_) throw EngineError(ErrorCategory::Usage, "Rollback: the database is not open");
    conn_->rollback();
}

bool Database::inTransaction() const { return conn_ && conn_->inTransaction(); }

Connection& Database::connection() {
    if (!conn_) open();
    return *conn_;
}

}  // namespace vlm::engine
