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
    auto conn = session_->connect(name_, params_);
    {
        std::lock_guard lock(connMutex_);
        conn_ = std::move(conn);
    }
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
    std::unique_ptr<Connection> gone;
    {
        std::lock_guard lock(connMutex_);
        gone = std::move(conn_);
    }
    gone.reset();
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

void Database::cancelRunning() {
    // Under the lock close() cannot free the connection while its cancel runs.
    std::lock_guard lock(connMutex_);
    if (conn_) conn_->cancelRunning();
}

Connection& Database::connection() {
    if (!conn_) open();
    return *conn_;
}

}  // namespace vlm::engine
