// Sequences (Oracle) and generators (InterBase, Firebird): the list statements, the statement
// the editor builds, the drop statements; and the skeletons the "New" entries write.
//   sequenceStatement(SequenceEditor::Create, {"S_ORD", "1", "10", "NOMAXVALUE"}) ->
//     "CREATE SEQUENCE S_ORD INCREMENT BY 1 START WITH 10 NOMAXVALUE ..."
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "panels/serverkind.h"

namespace vlm::engine {
class Database;
}

namespace vlm::serverobj {

inline constexpr const char* kSequencesSql =
    "SELECT A.SEQUENCE_NAME, B.STATUS\n"
    ", A.LAST_NUMBER, A.INCREMENT_BY\n"
    ", A.CYCLE_FLAG, A.ORDER_FLAG, A.MIN_VALUE\n"
    ", A.MAX_VALUE, A.CACHE_SIZE, B.CREATED, B.LAST_DDL_TIME, A.SEQUENCE_OWNER\n"
    "FROM SYS.ALL_SEQUENCES A, SYS.ALL_OBJECTS B\n"
    "WHERE (B.OBJECT_TYPE = 'SEQUENCE')\n"
    "AND (  (A.SEQUENCE_OWNER = B.OWNER) AND (A.SEQUENCE_NAME = B.OBJECT_NAME))";
inline constexpr const char* kGeneratorsSql = "select distinct RDB$GENERATOR_NAME from RDB$GENERATORS";
std::vector<std::string> sequenceHeadingsRu();

// The current value of a generator, read without changing it (increment 0).
std::string generatorValueSql(std::string_view name);
std::int64_t readGeneratorValue(engine::Database& db, std::string_view name);

enum class SequenceEditor { None, Create, Alter };
struct SequenceFields {
    std::string name, increment, start, maxValue, minValue, cycle, cache, order;
};
// Oracle: the clause list, START WITH in the create state only. The alter state sends
// "ALTER SEQUENCE" (an existing sequence cannot be created again).
std::string sequenceStatement(SequenceEditor state, const SequenceFields& f);
std::string generatorCreateSql(std::string_view name);
// Drops a generator with the statement every Firebird and InterBase 6 on accept; the catalog
// table itself cannot be changed on current servers.
std::string generatorDropSql(std::string_view name);
std::string sequenceDropSql(std::string_view owner, std::string_view name);

// The lines "New" appends to the source page: the procedure skeleton of ORACLE and SQLBASE
// (none for the other kinds) and the function skeleton of ORACLE.
std::vector<std::string> procedureSkeleton(panels::ServerKind kind);
std::vector<std::string> functionSkeleton(panels::ServerKind kind);

}  // namespace vlm::serverobj
