// Reading a panel's table list from its database.
#include "panels/panelbuild.h"

#include <exception>

#include "engine/database.h"
#include "engine/query.h"
#include "panels/names.h"

namespace vlm::panels {

namespace {

std::vector<std::vector<std::string>> runCatalog(engine::Database& db, const char* sql, int columns) {
    engine::Query q;
    q.setDatabase(&db);
    q.setSql(sql);
    q.open();
    std::vector<std::vector<std::string>> rows;
    for (q.first(); !q.eof(); q.next()) {
        std::vector<std::string> row;
        for (int c = 0; c < columns && c < q.fieldCount(); ++c) row.push_back(q.field(c).asString());
        rows.push_back(std::move(row));
    }
    q.close();
    return rows;
}

}  // namespace

void applyPartitionRows(TMyTableList& list, const std::vector<std::vector<std::string>>& rows,
                        const std::string& loginUser) {
    for (const auto& r : rows)
        if (r.size() >= 2) list.markPartitioned(catalogKey(r[0], r[1], loginUser));
}

void applyCommentRows(TMyTableList& list, const std::vector<std::vector<std::string>>& rows,
                      const std::string& loginUser) {
    for (const auto& r : rows)
        if (r.size() >= 4) list.setComment(catalogKey(r[0], r[1], loginUser), r[3]);
}

PanelBuildResult buildTableList(engine::Database& db, const ListScope& scope, bool showTableComments,
                                const Formats& formats) {
    PanelBuildResult r;
    try {
        if (!db.connected()) db.open();
        r.sqlBased = db.isSqlBased();
        r.kind = serverKindOf(db.session(), db.databaseName());
        auto entries = db.connection().tables(scope.systemTables);
        for (const auto& e : entries)
            if (includedInList(engineBaseName(e), scope)) r.list.add(e, formats);
        if (r.kind == ServerKind::ORACLE) r.oracleVersion = oracleVersion(db);
        if (runsPartitionQuery(r.kind, r.oracleVersion)) {
            try {
                applyPartitionRows(r.list, runCatalog(db, kOraclePartitionSql, 2), scope.loginUser);
            } catch (const std::exception& e) {
                r.errors.push_back(e.what());
            }
        }
        if (showTableComments) {
            if (const char* sql = commentSql(r.kind)) {
                try {
                    applyCommentRows(r.list, runCatalog(db, sql, 4), scope.loginUser);
                    r.commentsFetched = true;
                } catch (const std::exception& e) {
                    r.errors.push_back(e.what());
                }
            }
        }
    } catch (const std::exception& e) {
        r.ok = false;
        r.error = e.what();
    }
    return r;
}

}  // namespace vlm::panels
