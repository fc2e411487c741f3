// Copying tables between databases: the names the copy window proposes and uses, the existence
// probe, and the copy itself, which keeps a table it replaces until the new one is complete.
// Plain C++ over the engine; the copy window and the tests call it.
//
//   std::string dest = destTableName(defaultDestName("SCOTT.EMP", true, false), DestType::DBase);
//   bool exists = probeTable(destDb, dest);                  // throws for anything but "not found"
//   std::int64_t rows = copyTable(srcDb, "SCOTT.EMP", destDb, dest, exists, &progress);
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <string>

#include "engine/progress.h"

namespace vlm::engine {
class Database;
}

namespace vlm::copy {

// The destination type group: an SQL server, or a dBase or Paradox table of a directory.
enum class DestType { Sql, DBase, Paradox };

// The destination name proposed for one listed item: from an SQL server the text after the
// first "." (a name without one whole); into an SQL server from a directory the text before it
// (empty without a "."); between directories the name unchanged.
std::string defaultDestName(const std::string& item, bool sourceSql, bool destSql);
// The name a table of a multi-table copy gets: after the first "." from an SQL server, else
// before it (empty without a ".").
std::string derivedDestName(const std::string& item, bool sourceSql);
// The destination table as the copy writes it: SQL as typed; a local name keeps an extension of
// its own (a "." anywhere) or gets ".DBF" / ".DB". In a multi-table copy the extension is always
// added.
std::string destTableName(const std::string& typed, DestType type, bool multi = false);
// Names the copy compares: equal after trimming blanks and upper-casing.
bool sameTableName(const std::string& a, const std::string& b);

// The probe's statement: the table exists when it opens.
std::string probeSql(const std::string& table);
// Whether an error says that the table is not there (any server's wording); other errors (a
// lost connection, no permission) do not tell whether it exists.
bool isTableNotFound(const std::exception& e);
// The table as the probe names it: exactly the table the copy writes (a local file name with its
// extension, a server name quoted as the batch move quotes it).
std::string probeName(engine::Database& db, const std::string& table);
// Runs the probe on db: true when the table exists, false when the server says it does not;
// any other error is thrown.
bool probeTable(engine::Database& db, const std::string& table);

// How a copy onto an existing table keeps the old one until the new one is complete.
enum class ReplaceWay {
    Create,           // no table to keep: the batch move creates it
    OneTransaction,   // the server's DDL is transactional: drop, create and fill commit together
    Rename,           // new rows under a temporary name; old put aside, new renamed, old dropped
    CopyBack          // no renaming (Firebird): both kept aside as copies, the new copied in place
};
ReplaceWay replaceWayFor(const std::string& driverName, bool destExists);

// Called before each step of a replacing copy with the step's name ("fill", "aside", "drop",
// "put", "restore", "cleanup"); tests throw from it to prove that a failure anywhere leaves the
// destination as it was or complete.
using StepHook = std::function<void(const std::string& step)>;

// Copies the source table into dest under destTable (created, or replacing the table there when
// destExists) and returns the number of rows. The source is only read. On an error or a cancel
// (progress returned false) the destination is as before and the error is thrown.
std::int64_t copyTable(engine::Database& source, const std::string& sourceTable, engine::Database& dest,
                       const std::string& destTable, bool destExists, engine::Progress* progress,
                       const StepHook& hook = {});

// A free name beside table for a table put aside: table + suffix (+ a number), keeping a local
// table's extension ("EMP.DBF" -> "EMP_NEW.DBF").
std::string asideName(engine::Database& db, const std::string& table, const std::string& suffix);

// The window's texts.
struct CopyTexts {
    static std::string windowCaption(bool multi);       // "Copy table" / "Copy selected tables"
    static std::string starting();                       // "Start copy..."
    static std::string recordsCopied();                  // " records copied !"
    static std::string copyFailed(bool multi);           // " copied failed!" / "copied failed!"
    static std::string tablesCopied();                   // "tables copied!"
    static std::string namesMustDiffer();                // "Names must be different!"
    static std::string overwrite(const std::string& name);
    static std::string copyOk();
    static std::string copyFailedBox();
    static std::string multiOk(int count);
    static std::string multiFailed();
};

}  // namespace vlm::copy
