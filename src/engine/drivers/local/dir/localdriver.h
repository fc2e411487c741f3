// The "STANDARD" driver: a directory of dBase and Paradox tables as a database, with the local
// SQL. Works only through TableFile/TableFormat, so every registered format takes part.
//
//   auto conn = DriverRegistry::standard().create("STANDARD")->connect({"/data/demo", {}}, tracer);
//   auto cur = conn->openTable("ORDERS.DBF", {});
//   auto st = conn->prepare("select NAME, count(*) from ORDERS group by NAME");
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/driver.h"
#include "engine/drivers/local/fileio.h"
#include "engine/drivers/local/tablefile.h"
#include "engine/registry.h"

namespace vlm::engine::local {

// Supplies tables of other engine databases for alias-qualified names (":ALIAS:TABLE") in the
// local SQL. The engine session implements it; the connection does not own the databases.
struct ForeignTableResolver {
    virtual ~ForeignTableResolver() = default;
    // A cursor over the whole table; throws EngineError for an unknown alias or table.
    virtual std::unique_ptr<Cursor> open(const std::string& alias, const std::string& table) = 0;
};

class LocalSql;

class DirConnection : public Connection {
public:
    // dir empty: no database; only alias-qualified names and quoted file paths reach tables.
    DirConnection(std::string dir, FileSystem& fs, Tracer& tracer, std::string defaultExtension = "DBF");
    ~DirConnection() override;

    void setForeignResolver(std::shared_ptr<ForeignTableResolver> resolver);
    // The language driver of a format type ("DBASE"): new tables get it, and tables whose files
    // name no code page are read with it. Empty: the format's own.
    void setNewTableLanguageDriver(const std::string& formatType, const std::string& languageDriver);
    const std::string& directory() const { return dir_; }
    FileSystem& fileSystem() { return fs_; }

    // The file path of a table named as listed, by bare name, or by path. Throws FileNotFound.
    std::string tablePath(const std::string& table) const;
    // The path a new table of that name gets (default extension added when none).
    std::string newTablePath(const std::string& table) const;
    std::unique_ptr<TableFile> openFile(const std::string& table, const OpenOptions& options) const;
    // Options for opening the file at path: the format's configured language driver (for files
    // that name no code page) and the trace for remarks, with the given lock mode.
    OpenOptions fileOptions(const std::string& path, bool exclusive, bool readOnly) const;

    Capabilities capabilities() const override;
    std::vector<TableEntry> tables(bool includeSystem) override;
    std::vector<FieldDef> fieldDefs(const std::string& table) override;
    std::vector<IndexDef> indexDefs(const std::string& table) override;
    std::unique_ptr<Statement> prepare(const std::string& sql) override;
    std::unique_ptr<Cursor> openTable(const std::string& table, const TableOpenOptions& options) override;
    void begin() override {}
    void commit() override {}
    void rollback() override {}
    bool inTransaction() const override { return false; }
    void createTable(const std::string& table, const std::vector<FieldDef>& fields,
                     const std::vector<IndexDef>& indexes) override;
    void dropTable(const std::string& table) override;
    void emptyTable(const std::string& table) override;
    void renameTable(const std::string& from, const std::string& to) override;
    void packTable(const std::string& table, Progress* progress) override;
    void createIndex(const std::string& table, const IndexDef& index) override;
    void dropIndex(const std::string& table, const std::string& index) override;
    // ALTER TABLE: adds and drops columns by rebuilding the table beside the old one.
    void alterTable(const std::string& table, const std::vector<FieldDef>& add,
                    const std::vector<std::string>& drop, Progress* progress = nullptr);

    // Appends through the table file (no SQL in between); columns name fields of the table.
    std::int64_t appendRows(const std::string& table, const std::vector<std::string>& columns,
                            Cursor& source, const std::vector<int>& sourceColumns, Progress* progress) override;
    // Local table names carry their extension ("CUST.DBF"): one identifier, never OWNER.NAME.
    std::string quoteTable(const std::string& table) const override;
    // Stops a running local SQL statement (its table scans included).
    void cancelRunning() override;

    // Files of a table: the table file and every companion that exists.
    std::vector<std::string> tableFiles(const std::string& path) const;

private:
    friend class LocalSql;
    std::string dir_;
    FileSystem& fs_;
    Tracer& tracer_;
    std::string defaultExt_;
    std::shared_ptr<ForeignTableResolver> resolver_;
    std::map<std::string, std::string> newTableLd_;   // format type -> language driver
    std::unique_ptr<LocalSql> sql_;
};

// The language drivers of new dBase and Paradox tables when the configuration names none for
// the DBASE or PARADOX driver: Windows-1251 holds ASCII and Cyrillic, so copies of such text
// keep every letter.
inline constexpr const char* kDefaultDbaseLanguageDriver = "ANSI Cyrillic";
inline constexpr const char* kDefaultParadoxLanguageDriver = "Pdox ANSI Cyrillic";

class LocalDriver : public Driver {
public:
    std::string name() const override { return "STANDARD"; }
    std::string description() const override { return "Standard (dBase and Paradox tables)"; }
    std::unique_ptr<Connection> connect(const ConnectParams& params, Tracer& tracer) override;
};

// Registers the driver and the table formats of this build.
void registerLocalFormats();

}  // namespace vlm::engine::local

namespace vlm::engine {
void registerLocalDriver(DriverRegistry& registry);
}
