// The SQLite driver: "SQLITE", SQLite database files.
#include "connection.h"
#include "engine/registry.h"
#include "sqliterows.h"

namespace vlm::engine {
namespace sqlite {
namespace {
class SqliteDriver : public Driver {
public:
    std::string name() const override { return "SQLITE"; }
    std::string description() const override { return "SQLite database"; }
    std::unique_ptr<Connection> connect(const ConnectParams& params, Tracer& tracer) override {
        return std::make_unique<SqliteConnection>(params, tracer);
    }
};
}  // namespace
}  // namespace sqlite

void registerSqliteDriver(DriverRegistry& r) {
    r.add("SQLITE", sqlite::driverRows([] { return std::make_unique<sqlite::SqliteDriver>(); }));
}

}  // namespace vlm::engine
