// The definition text of a row of a server object list: the create statement, ALTER TABLE
// statement, stored source or session statement that the user can copy and run again. The
// builders are plain functions of the catalog row and of the rows of their detail queries;
// buildDetailText runs those queries through a CatalogReader and writes into DetailText as it
// goes, so that an error leaves what was written before it.
//   DatabaseReader reader(db);  DetailText t;
//   buildDetailText(ListKind::Domains, {ServerKind::INTERBASE, 3}, row, reader, t);   // t.memo1
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "objlists/catalog.h"

namespace vlm::engine {
class Database;
}

namespace vlm::objlists {

using Params = std::vector<std::pair<std::string, std::string>>;
using Rows = std::vector<std::vector<std::string>>;

// Runs a detail query (":NAME" parameters) and gives its rows as texts (null: empty).
class CatalogReader {
public:
    virtual ~CatalogReader() = default;
    virtual Rows rows(const std::string& sql, const Params& params) = 0;
};
class DatabaseReader final : public CatalogReader {
public:
    explicit DatabaseReader(engine::Database& db) : db_(db) {}
    Rows rows(const std::string& sql, const Params& params) override;

private:
    engine::Database& db_;
};

// The current row of the list: values as texts (null: empty), with the grid's headings
// (display labels; the snapshot text quotes them).
struct CatalogRow {
    std::vector<std::string> values;
    std::vector<std::string> headings;
    std::string at(std::size_t i) const { return i < values.size() ? values[i] : std::string(); }
};

struct TextContext {
    ServerKind kind = ServerKind::STANDARD;
    // INTERBASE: the database's SQL dialect. Dialect 3 (every current Firebird) gets the texts in
    // Firebird's own DDL; dialect 1 the old InterBase texts.
    int dialect = 3;
};

// What the list window shows for a row: the detail pane and the statement pane.
struct DetailText {
    std::vector<std::string> memo1;
    std::vector<std::string> memoIndex;
};

// The detail text of the row for the list kind (Packages and PackageBodies included: the
// window skips them while it loads). Throws the engine's error of a detail query.
void buildDetailText(ListKind list, const TextContext& context, const CatalogRow& row, CatalogReader& reader,
                     DetailText& out);

// InterBase: the SQL dialect of the open database (1 where the server cannot tell).
inline constexpr const char* kInterbaseDialectSql = "select MON$SQL_DIALECT from MON$DATABASE";
int interbaseDialect(CatalogReader& reader);

// A cheap statement that tells whether the connection still answers.
std::string connectionProbeSql(ServerKind kind);

// --- Detail queries -------------------------------------------------------------------------------

std::string indexColumnsSql(ServerKind kind);
// InterBase dialect 3: the index's direction and expression.
inline constexpr const char* kFirebirdIndexSql =
    "select RDB$INDEX_TYPE, RDB$EXPRESSION_SOURCE from RDB$INDICES\nwhere (RDB$INDEX_NAME= :IndexName)";
inline constexpr const char* kFirebirdTriggerSql =
    "select RDB$TRIGGER_SEQUENCE, RDB$TRIGGER_INACTIVE from RDB$TRIGGERS\nwhere (RDB$TRIGGER_NAME= :TriggerName)";
inline constexpr const char* kFirebirdDomainSql =
    "select F.RDB$FIELD_PRECISION, C.RDB$CHARACTER_SET_NAME, D.RDB$CHARACTER_SET_NAME, K.RDB$COLLATION_NAME\n"
    "from RDB$FIELDS F left join RDB$CHARACTER_SETS C on C.RDB$CHARACTER_SET_ID = F.RDB$CHARACTER_SET_ID\n"
    "left join RDB$COLLATIONS K on K.RDB$CHARACTER_SET_ID = F.RDB$CHARACTER_SET_ID\n"
    "and K.RDB$COLLATION_ID = F.RDB$COLLATION_ID and F.RDB$COLLATION_ID > 0,\n"
    "RDB$DATABASE D\nwhere (F.RDB$FIELD_NAME= :FieldName)";
inline constexpr const char* kFirebirdDimensionsSql =
    "select RDB$LOWER_BOUND, RDB$UPPER_BOUND from RDB$FIELD_DIMENSIONS\nwhere (RDB$FIELD_NAME= :FieldName)\n"
    "order by RDB$DIMENSION";
std::string functionArgumentsSql(int dialect);
inline constexpr const char* kOraclePackageSql =
    "select TEXT\nfrom SYS.ALL_SOURCE\nWhere TYPE='PACKAGE'\nand (OWNER = :OWNER) And (NAME = :NAME )\nOrder by line";
inline constexpr const char* kOraclePackageBodySql =
    "select TEXT\nfrom SYS.ALL_SOURCE\nWhere TYPE='PACKAGE BODY'\nand (OWNER = :OWNER) And (NAME = :NAME )\nOrder by line";
inline constexpr const char* kOracleDataFilesSql =
    "SELECT FILE_NAME, BYTES, BLOCKS, STATUS, TABLESPACE_NAME FROM SYS.DBA_DATA_FILES WHERE (TABLESPACE_NAME = :TSNAME)";
inline constexpr const char* kOracleSysFilesSql = "SELECT FNAME, BLOCKS, TSNAME FROM SYS.SYSFILES WHERE (TSNAME = :TSNAME)";
inline constexpr const char* kOracleConsColumnsSql =
    "select COLUMN_NAME from SYS.ALL_CONS_COLUMNS\nwhere (TABLE_NAME= :TABLE_NAME)\n"
    "and (CONSTRAINT_NAME= :CONS_NAME) and (OWNER= :OWNER)";
inline constexpr const char* kOracleRefConstraintSql =
    "select TABLE_NAME,OWNER\nfrom SYS.ALL_CONSTRAINTS\nwhere (CONSTRAINT_NAME= :CONS_NAME) and (OWNER= :OWNER)";
inline constexpr const char* kSqlBaseFkSql =
    "select CREATOR,NAME,CONSTRAINT,FKCOLSEQNUM,REFSCOLUMN,REFDTBCREATOR,REFDTBNAME,REFDCOLUMN from "
    "SYSADM.SYSFKCONSTRAINTS\nWhere  (CREATOR= :OWNER) and (NAME= :NAME) and (CONSTRAINT= :CONS_NAME)\n"
    "order by FKCOLSEQNUM";
inline constexpr const char* kSqlBasePkSql =
    "select CREATOR,NAME,PKCOLSEQNUM,COLNAME from SYSADM.SYSPKCONSTRAINTS\nWhere  (CREATOR= :OWNER) and (NAME= :NAME)\n"
    "order by PKCOLSEQNUM";
inline constexpr const char* kMssqlIndexKeysSql =
    "select c.name from dbo.sysindexkeys k, dbo.sysindexes i,dbo.syscolumns c\n"
    "where (k.indid=i.indid) and (k.id=i.id) and (i.name= :INAME ) and (c.colid=k.colid) and (c.id=k.id)\n"
    "order by keyno";
inline constexpr const char* kMssqlUniqueIndexSql =
    "SELECT C.NAME\nFROM dbo.sysconstraints A, dbo.sysobjects B, dbo.sysindexes C\nWHERE  (A.status & 15 = 2)\n"
    "AND (A.id = c.id)\nAND  (A.constid = B.id)\nAND  (B.name = C.name)\nAND (b.name= :CONS_NAME)";
inline constexpr const char* kMssqlReferenceSql =
    "SELECT A.constid, A.fkeyid, A.rkeyid, B.name,B1.Name\nFROM dbo.sysreferences A, dbo.sysobjects B, dbo.sysobjects B1\n"
    "WHERE  (B.NAME = :FKNAME)\nAND (B1.id = A.rkeyid)\nAND (A.constid = B.id)";
inline constexpr const char* kMssqlPrimaryOfTableSql =
    "SELECT A.status,(A.status & 15), (A.status & 16384),B.name\nFROM dbo.sysconstraints A, dbo.sysobjects B\n"
    "WHERE (A.status & 15 = 1)\nAND (A.id = (select o2.id from dbo.sysobjects o2 where o2.name= :FKTBNAME))\n"
    "AND  (A.constid = B.id)";
inline constexpr const char* kMssqlCommentSql =
    "select c.text from dbo.syscomments c\nwhere (c.id=(select o2.id from dbo.sysobjects o2 where o2.name= :CONS_NAME))\n"
    "order by colid";

// --- Builders: plain functions of rows ----------------------------------------------------------

// The text between single quotes with its apostrophes doubled.
std::string quoted(std::string_view text);
// The lines of a long text column (a lone "\r" before "\n" dropped).
std::vector<std::string> linesOf(std::string_view text);

// InterBase type codes, dialect 1: the name by code (7 SMALLINT, ... 261 BLOB or MEMO) and the
// type text ("NUMERIC(len,scale)", "CHAR(len)", "BLOB SUB_TYPE 1").
std::string interbaseTypeName(int fieldType, int subType, int scale);
std::string interbaseTypeText(int fieldType, int subType, int length, int scale, bool cstringSized);
// Dialect 3: as Firebird's own DDL writes the type ("NUMERIC(9,2)", "VARCHAR(30)", "TIMESTAMP").
struct FirebirdType {
    int fieldType = 0, subType = 0, length = 0, scale = 0, precision = 0, charLength = 0;
};
std::string firebirdTypeText(const FirebirdType& t);
// "BEFORE INSERT", "AFTER INSERT OR UPDATE", "ON CONNECT", ...; empty for a type it cannot name.
std::string firebirdTriggerType(long long type);

// Index statement of a row (table, table owner, index, index owner, uniqueness).
struct FirebirdIndex {
    bool descending = false;
    std::string expression;   // COMPUTED BY source; empty for an index on columns
};
std::string indexStatement(const TextContext& context, const CatalogRow& row, const std::vector<std::string>& columns,
                           const FirebirdIndex* firebird = nullptr);

struct FirebirdTrigger {
    long long position = 0;
    bool inactive = false;
};
std::vector<std::string> triggerText(const TextContext& context, const CatalogRow& row,
                                     const FirebirdTrigger* firebird = nullptr);

std::vector<std::string> snapshotDetails(const CatalogRow& row);
std::vector<std::string> snapshotStatement(const CatalogRow& row);
std::vector<std::string> packageSource(const std::vector<std::string>& textRows);

struct DataFile {
    std::string name, size;
    bool blocks = false;   // the size counts blocks (SYS.SYSFILES), else bytes
};
std::vector<std::string> tableSpaceStatement(const CatalogRow& row, const DataFile& file);

std::vector<std::string> oracleConstraint(const CatalogRow& row, const std::vector<std::string>& columns,
                                          const std::string& refOwner, const std::string& refTable,
                                          const std::vector<std::string>& refColumns);
std::string sessionStatement(const CatalogRow& row);

// Domains, by the catalog query's columns. Dialect 3 reads precision, character sets and array
// bounds from the extra rows.
struct FirebirdDomain {
    int precision = 0;
    std::string charset, databaseCharset;
    std::vector<std::pair<std::string, std::string>> bounds;
    std::string collation;   // blank: the character set's default
};
std::vector<std::string> domainStatement(const TextContext& context, const CatalogRow& row,
                                         const FirebirdDomain* firebird = nullptr);
// The function's argument rows (position, mechanism, type, length, sub-type, scale, type name
// [, precision, character length]); empty: no text.
std::vector<std::string> functionDeclaration(const TextContext& context, const CatalogRow& row, const Rows& arguments);
std::vector<std::string> exceptionStatement(const TextContext& context, const CatalogRow& row);

// Column lists: ", " for indexes, "," for constraints.
std::string joinColumns(const std::vector<std::string>& columns, std::string_view separator);

}  // namespace vlm::objlists
