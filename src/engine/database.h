// A database connection by name: an alias, a directory of local tables ("STANDARD"), or
// "DRIVER:TARGET". Params carry the login ("USER NAME=", "PASSWORD=").
//
//   Database db;  db.setDatabaseName("DEMO");  db.params() = {"USER NAME=sysdba", "PASSWORD=x"};
//   db.open();   db.startTransaction(); ... db.commit();
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "driver.h"

namespace vlm::engine {

class Session;

class Database {
public:
    explicit Database(Session* session = nullptr);   // nullptr: the default session
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    const std::string& databaseName() const { return name_; }
    void setDatabaseName(const std::string& name);   // closes an open connection first
    std::vector<std::string>& params() { return params_; }
    const std::vector<std::string>& params() const { return params_; }
    bool loginPrompt() const { return false; }        // the engine never prompts
    bool keepConnection() const { return keepConnection_; }
    void setKeepConnection(bool on) { keepConnection_ = on; }

    void open();                 // connect; throws EngineError
    void close();
    bool connected() const { return conn_ != nullptr; }
    bool isSqlBased();           // false exactly for the local "STANDARD" driver
    std::string driverName();    // "STANDARD" for a directory

    void startTransaction();
    void commit();
    void rollback();
    bool inTransaction() const;

    Connection& connection();    // opens when needed

    // Stops the statement running on this database from another thread (a Cancel button while
    // a worker executes): the running prepare, execute or fetch fails within about a second
    // with EngineError category Cancelled, and the connection stays usable. Thread-safe; does
    // nothing when nothing runs or the database is not open. It may meet open() or close() on
    // another thread: it then either reaches the connection before it is freed or does nothing.
    void cancelRunning();
    Session& session() { return *session_; }

private:
    Session* session_;
    std::string name_;
    std::vector<std::string> params_;
    bool keepConnection_ = true;
    std::unique_ptr<Connection> conn_;
    std::mutex connMutex_;       // guards setting and freeing conn_ against cancelRunning()
};

}  // namespace vlm::engine
