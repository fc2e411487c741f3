// Triggers, constraints, dependencies, privileges and the table comment, per server kind.
#include "tableinfo/related.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

#include "engine/database.h"
#include "tableinfo/catalogrows.h"

namespace vlm::tableinfo {

using detail::Rows;
using detail::run;
using detail::trim;
using detail::upper;

namespace {

using Params = std::vector<std::pair<std::string, std::string>>;

long long toInt(const std::string& s) { return trim(s).empty() ? 0 : std::llround(std::strtod(s.c_str(), nullptr)); }

// One column per line, "," after all but the last; joined for the statement.
void setFields(ConstraintDefinition& d, const std::vector<std::string>& columns) {
    for (std::size_t i = 0; i < columns.size(); ++i) d.fields.push_back(columns[i] + (i + 1 < columns.size() ? "," : ""));
}
std::string joined(const std::vector<std::string>& columns) {
    std::string s;
    for (std::size_t i = 0; i < columns.size(); ++i) s += columns[i] + (i + 1 < columns.size() ? "," : "");
    return s;
}
std::vector<std::string> firstColumn(const Rows& r) {
    std::vector<std::string> out;
    for (const auto& row : r.rows) out.push_back(trim(row[0]));
    return out;
}

std::string tableName(const TableRef& t) { return quoteTable(t.listed, t.target()); }

const char* kMssqlIndexColumns =
    "select c.name from dbo.sysindexkeys k, dbo.sysindexes i,dbo.syscolumns c\n"
    "where (k.indid=i.indid) and (k.id=i.id) and (i.name= :INAME ) and (c.colid=k.colid) and (c.id=k.id)\n"
    "order by keyno";
const char* kMssqlCommentText =
    "select c.text from dbo.syscomments c\n"
    "where (c.id=(select o2.id from dbo.sysobjects o2 where o2.name= :CONS_NAME))\norder by colid";

}  // namespace

std::vector<TriggerItem> readTriggers(engine::Database& db, const TableRef& t) {
    std::vector<TriggerItem> out;
    if (t.isView) return out;
    switch (t.kind) {
    case ServerKind::ORACLE: {
        // The table's owner too: two schemas may hold a table and a trigger of the same name.
        Rows r = run(db, "select TRIGGER_NAME,STATUS,OWNER from SYS.ALL_TRIGGERS where TABLE_NAME= :TABLE_NAME and "
                         "TABLE_OWNER= :TABLE_OWNER",
                     {{"TABLE_NAME", t.name}, {"TABLE_OWNER", t.owner}});
        for (const auto& row : r.rows) out.push_back({trim(row[0]), trim(row[1]) == "ENABLED"});
        break;
    }
    case ServerKind::SQLBASE: {
        std::string sql = "select T.CREATOR,T.NAME,T.TBSNUM,T.SPSNUM,T.TEXT,T.ENABLED from SYSADM.SYSTRIGGERS T, "
                          "SYSADM.SYSTABLES S\nwhere S.NAME= :TABLE_NAME and T.TBSNUM=S.SNUM";
        Params ps{{"TABLE_NAME", t.name}};
        if (t.hasOwner()) {
            sql += "\nand S.CREATOR = :CREATOR";
            ps.push_back({"CREATOR", t.owner});
        }
        Rows r = run(db, sql, ps);
        for (const auto& row : r.rows) out.push_back({trim(row[1]), trim(row[5]) == "Y"});
        break;
    }
    case ServerKind::INTERBASE: {
        Rows r = run(db, "select RDB$TRIGGER_NAME from RDB$TRIGGERS where RDB$RELATION_NAME= :TABLE_NAME",
                     {{"TABLE_NAME", t.name}});
        for (const auto& row : r.rows) out.push_back({trim(row[0]), false});
        break;
    }
    case ServerKind::MSSQL: {
        Rows r = run(db,
                     "select o1.name,o1.status from dbo.sysobjects o1 where\n"
                     "(o1.deltrig=(select o2.id from dbo.sysobjects o2 where o2.name= :TABLE_NAME))\n"
                     "or (o1.instrig=(select o3.id from dbo.sysobjects o3 where o3.name= :TABLE_NAME))\n"
                     "or (o1.updtrig=(select o4.id from dbo.sysobjects o4 where o4.name= :TABLE_NAME))\n"
                     "or (o1.seltrig=(select o5.id from dbo.sysobjects o5 where o5.name= :TABLE_NAME))",
                     {{"TABLE_NAME", t.name}});
        for (const auto& row : r.rows) out.push_back({trim(row[0]), (toInt(row[1]) & 2048) == 0});
        break;
    }
    default:
        break;
    }
    return out;
}

std::vector<std::string> triggerSource(engine::Database& db, const TableRef& t, const std::string& trigger) {
    std::vector<std::string> out;
    switch (t.kind) {
    case ServerKind::ORACLE: {
        Rows r = run(db, "select STATUS,DESCRIPTION,TRIGGER_BODY from SYS.ALL_TRIGGERS where TABLE_NAME= :TABLE_NAME and "
                         "TRIGGER_NAME= :TR_NAME and TABLE_OWNER= :TABLE_OWNER",
                     {{"TABLE_NAME", t.name}, {"TR_NAME", trigger}, {"TABLE_OWNER", t.owner}});
        if (!r.empty()) out = {"create or replace trigger ", r.rows[0][1], r.rows[0][2]};
        break;
    }
    case ServerKind::SQLBASE: {
        std::string sql = "select T.TEXT from SYSADM.SYSTRIGGERS T, SYSADM.SYSTABLES S\n"
                          "where S.NAME= :TABLE_NAME and T.TBSNUM=S.SNUM and T.NAME= :TRNAME";
        Params ps{{"TABLE_NAME", t.name}, {"TRNAME", trigger}};
        if (t.hasOwner()) {
            sql += "\nand S.CREATOR = :CREATOR";
            ps.push_back({"CREATOR", t.owner});
        }
        Rows r = run(db, sql, ps);
        if (!r.empty()) out = {r.rows[0][0]};
        break;
    }
    case ServerKind::INTERBASE: {
        Rows r = run(db, "select RDB$TRIGGER_SOURCE,RDB$TRIGGER_TYPE from RDB$TRIGGERS where\n"
                         "RDB$RELATION_NAME= :TABLE_NAME and RDB$TRIGGER_NAME= :TR_NAME",
                     {{"TABLE_NAME", t.name}, {"TR_NAME", trigger}});
        if (r.empty()) break;
        static const char* types[] = {"", "BEFORE INSERT", "AFTER INSERT", "BEFORE UPDATE",
                                      "AFTER UPDATE", "BEFORE DELETE", "AFTER DELETE"};
        long long type = toInt(r.rows[0][1]);
        out = {"create trigger " + quoteName(trigger, NameCase::Upper) + " for " + tableName(t),
               type >= 1 && type <= 6 ? types[type] : "", r.rows[0][0]};
        break;
    }
    case ServerKind::MSSQL: {
        Rows r = run(db, "select text from dbo.sysobjects o,dbo.syscomments t \nwhere (t.id=o.id) and (o.name= :NAME) "
                         "order by colid",
                     {{"NAME", trigger}});
        std::string all;
        for (const auto& row : r.rows) all += row[0];
        if (!r.empty()) out = {all};
        break;
    }
    default:
        break;
    }
    return out;
}

std::string triggerSwitchSql(const TableRef& t, const std::string& trigger, bool enable) {
    if (t.kind == ServerKind::ORACLE)
        return "alter trigger " + quoteName(t.owner, NameCase::Upper) + "." + quoteName(trigger, NameCase::Upper) + " " +
               (enable ? "ENABLE" : "DISABLE");
    if (t.kind == ServerKind::MSSQL)
        return "alter table " + tableName(t) + " " + (enable ? "ENABLE" : "DISABLE") + " trigger " +
               quoteName(trigger, NameCase::AsIs);
    return {};
}

std::vector<ConstraintItem> readConstraints(engine::Database& db, const TableRef& t) {
    std::vector<ConstraintItem> out;
    if (t.isView) return out;
    switch (t.kind) {
    case ServerKind::ORACLE: {
        Rows r = run(db, "select C.CONSTRAINT_NAME,C.STATUS from SYS.ALL_CONSTRAINTS C\n"
                         "where (C.TABLE_NAME= :TABLE_NAME)  And (C.OWNER= :OWNER)",
                     {{"TABLE_NAME", t.name}, {"OWNER", t.owner}});
        for (const auto& row : r.rows) out.push_back({trim(row[0]), trim(row[1]) == "ENABLED", 0});
        break;
    }
    case ServerKind::SQLBASE: {
        // The column CONSTRAINT is read by its label: the word is reserved on other servers.
        Rows r = run(db, "select * from SYSADM.SYSTABCONSTRAINTS\nwhere (NAME= :TABLE_NAME)  And (CREATOR= :OWNER)",
                     {{"TABLE_NAME", t.name}, {"OWNER", t.owner}});
        for (std::size_t i = 0; i < r.rows.size(); ++i) out.push_back({trim(r.at(i, "CONSTRAINT")), true, 0});
        break;
    }
    case ServerKind::MSSQL: {
        Rows r = run(db,
                     "SELECT B.name, A.status, A.constid,(A.status & 15),(A.status & 16384)\n"
                     "FROM dbo.sysconstraints A, dbo.sysobjects B\nWHERE \n"
                     "(A.id = (select o2.id from dbo.sysobjects o2 where o2.name= :TABLE_NAME))\nAND  (A.constid = B.id)",
                     {{"TABLE_NAME", t.name}});
        for (const auto& row : r.rows) out.push_back({trim(row[0]), toInt(row[4]) == 0, int(toInt(row[3]))});
        break;
    }
    default:
        break;
    }
    return out;
}

ConstraintDefinition constraintDefinition(engine::Database& db, const TableRef& t, const ConstraintItem& c) {
    ConstraintDefinition d;
    auto kind = [&d](const char* ru, const char* en) {
        d.kindRu = ru;
        d.kindEn = en;
    };
    switch (t.kind) {
    case ServerKind::ORACLE: {
        const char* consColumns = "select COLUMN_NAME from SYS.ALL_CONS_COLUMNS\nwhere (TABLE_NAME= :TABLE_NAME)\n"
                                  "and (CONSTRAINT_NAME= :CONS_NAME)\nand (OWNER= :OWNER)";
        std::vector<std::string> columns =
            firstColumn(run(db, consColumns, {{"TABLE_NAME", t.name}, {"CONS_NAME", c.name}, {"OWNER", t.owner}}));
        setFields(d, columns);
        Rows r = run(db, "select SEARCH_CONDITION,CONSTRAINT_TYPE,OWNER,R_OWNER,R_CONSTRAINT_NAME from SYS.ALL_CONSTRAINTS\n"
                         "where TABLE_NAME= :TABLE_NAME and CONSTRAINT_NAME= :CONS_NAME and (OWNER= :OWNER)",
                     {{"TABLE_NAME", t.name}, {"CONS_NAME", c.name}, {"OWNER", t.owner}});
        if (r.empty()) break;
        const std::string owner = trim(r.rows[0][2]), type = trim(r.rows[0][1]);
        d.statement = {"ALTER TABLE " + owner + "." + t.name, "ADD CONSTRAINT " + c.name};
        if (type == "C") {
            kind("Проверка ограничения", "Check constraint");
            if (!trim(r.rows[0][0]).empty()) d.statement.push_back("CHECK(" + r.rows[0][0] + ")");
        } else if (type == "P") {
            kind("Первичный ключ", "Primary Key");
            d.statement.push_back("PRIMARY KEY (" + joined(columns) + ")");
        } else if (type == "U") {
            kind("Ограничение уникальности", "Unique Constraint");
            d.statement.push_back("UNIQUE (" + joined(columns) + ")");
        } else if (type == "R") {
            kind("Вторичный ключ", "Foreign Key");
            d.statement.push_back("FOREIGN KEY (" + joined(columns) + ")");
            const std::string rOwner = trim(r.rows[0][3]), rName = trim(r.rows[0][4]);
            Rows ref = run(db, "select TABLE_NAME,OWNER\nfrom SYS.ALL_CONSTRAINTS\n"
                               "where (CONSTRAINT_NAME= :CONS_NAME) and (OWNER= :OWNER)",
                           {{"CONS_NAME", rName}, {"OWNER", rOwner}});
            if (!ref.empty()) {
                auto refColumns = firstColumn(run(db,
                                                  "select COLUMN_NAME from SYS.ALL_CONS_COLUMNS\nwhere (TABLE_NAME= "
                                                  ":TABLE_NAME)\nand (CONSTRAINT_NAME= :CONS_NAME) and (OWNER= :OWNER)",
                                                  {{"TABLE_NAME", trim(ref.rows[0][0])}, {"CONS_NAME", rName}, {"OWNER", rOwner}}));
                d.statement.push_back("REFERENCES " + trim(ref.rows[0][1]) + "." + trim(ref.rows[0][0]) + " (" +
                                      joined(refColumns) + ")");
            }
        } else {
            kind("Неизвестное ограничение", "Unknown constraint");
            d.statement.clear();
        }
        break;
    }
    case ServerKind::SQLBASE:
        if (c.name == "PRIMARY") {
            kind("Первичный ключ", "Primary Key");
            Rows r = run(db, "select CREATOR,NAME,PKCOLSEQNUM,COLNAME from SYSADM.SYSPKCONSTRAINTS\n"
                             "Where  (CREATOR= :OWNER) and (NAME= :NAME)\norder by PKCOLSEQNUM",
                         {{"OWNER", t.owner}, {"NAME", t.name}});
            std::vector<std::string> columns;
            for (const auto& row : r.rows) columns.push_back(trim(row[3]));
            setFields(d, columns);
            d.statement = {"ALTER TABLE " + t.name + " PRIMARY KEY (" + joined(columns) + ")"};
        } else {
            kind("Вторичный ключ", "Foreign Key");
            Rows r = run(db, "select * from SYSADM.SYSFKCONSTRAINTS\nWhere  (CREATOR= :OWNER) and (NAME= :NAME)\n"
                             "order by FKCOLSEQNUM",
                         {{"OWNER", t.owner}, {"NAME", t.name}});
            std::vector<std::string> columns;
            std::string referenced;
            for (std::size_t i = 0; i < r.rows.size(); ++i) {
                if (trim(r.at(i, "CONSTRAINT")) != c.name) continue;
                if (referenced.empty()) referenced = trim(r.at(i, "REFDTBCREATOR")) + "." + trim(r.at(i, "REFDTBNAME"));
                columns.push_back(trim(r.at(i, "REFSCOLUMN")));
            }
            setFields(d, columns);
            d.statement = {"ALTER TABLE " + t.name + " FOREIGN KEY " + c.name + " (" + joined(columns) + ") REFERENCES " +
                           referenced};
        }
        break;
    case ServerKind::MSSQL: {
        d.statement = {"ALTER TABLE " + t.listed, "ADD CONSTRAINT " + c.name};
        auto indexColumns = [&](const std::string& index) {
            return firstColumn(run(db, kMssqlIndexColumns, {{"INAME", index}}));
        };
        auto commentText = [&] {
            Rows r = run(db, kMssqlCommentText, {{"CONS_NAME", c.name}});
            return r.empty() ? std::string() : r.rows[0][0];
        };
        switch (c.typeCode) {
        case 1: {
            kind("Первичный ключ", "Primary Key");
            auto columns = indexColumns(c.name);
            setFields(d, columns);
            d.statement.push_back("PRIMARY KEY (" + joined(columns) + ")");
            break;
        }
        case 2: {
            kind("Ограничение уникальности", "Unique Constraint");
            Rows ix = run(db, "SELECT C.NAME\nFROM dbo.sysconstraints A, dbo.sysobjects B, dbo.sysindexes C\n"
                              "WHERE  (A.status & 15 = 2)\nAND (A.id = c.id)\nAND  (A.constid = B.id)\n"
                              "AND  (B.name = C.name)\nAND (b.name= :CONS_NAME)",
                          {{"CONS_NAME", c.name}});
            auto columns = ix.empty() ? std::vector<std::string>{} : indexColumns(trim(ix.rows[0][0]));
            setFields(d, columns);
            d.statement.push_back("UNIQUE (" + joined(columns) + ")");
            break;
        }
        case 3: {
            kind("Вторичный ключ", "Foreign Key");
            Rows ref = run(db, "SELECT A.constid, A.fkeyid, A.rkeyid, B.name,B1.Name\n"
                               "FROM dbo.sysreferences A, dbo.sysobjects B, dbo.sysobjects B1\n"
                               "WHERE  (B.NAME = :FKNAME)\nAND (B1.id = A.rkeyid)\nAND (A.constid = B.id)",
                           {{"FKNAME", c.name}});
            std::string referenced = ref.empty() ? std::string() : trim(ref.rows[0][4]);
            std::vector<std::string> columns;
            if (!referenced.empty()) {
                Rows pk = run(db, "SELECT A.status,(A.status & 15), (A.status & 16384),B.name\n"
                                  "FROM dbo.sysconstraints A, dbo.sysobjects B\nWHERE (A.status & 15 = 1)\n"
                                  "AND (A.id = (select o2.id from dbo.sysobjects o2 where o2.name= :FKTBNAME))\n"
                                  "AND  (A.constid = B.id)",
                              {{"FKTBNAME", referenced}});
                if (!pk.empty()) columns = indexColumns(trim(pk.rows[0][3]));
            }
            setFields(d, columns);
            d.statement.push_back("FOREIGN KEY (" + joined(columns) + ")");
            d.statement.push_back("REFERENCES " + referenced);
            break;
        }
        case 4:
            kind("Проверка ограничения", "Check constraint");
            d.statement.push_back("CHECK " + commentText());
            break;
        case 5:
            kind("Значение по умолчанию", "Default Value");
            d.statement.push_back("DEFAULT " + commentText());
            break;
        default:
            kind("Неизвестное ограничение", "Unknown constraint");
            d.statement.push_back("CHECK " + commentText());
            break;
        }
        break;
    }
    default:
        break;
    }
    return d;
}

std::string constraintSwitchSql(const TableRef& t, const std::string& constraint, bool enable) {
    if (t.kind == ServerKind::ORACLE)
        return "alter table " + tableName(t) + (enable ? " ENABLE " : " DISABLE ") + "constraint " +
               quoteName(constraint, NameCase::Upper);
    if (t.kind == ServerKind::MSSQL)
        return "alter table " + tableName(t) + (enable ? " CHECK " : " NOCHECK ") + "CONSTRAINT " +
               quoteName(constraint, NameCase::AsIs);
    return {};
}

std::string constraintDropSql(const TableRef& t, const std::string& constraint) {
    if (t.kind == ServerKind::ORACLE)
        return "alter table " + tableName(t) + " drop constraint " + quoteName(constraint, NameCase::Upper);
    if (t.kind == ServerKind::SQLBASE)
        return constraint == "PRIMARY" ? "alter table " + tableName(t) + " drop primary key "
                                       : "alter table " + tableName(t) + " drop foreign key " +
                                             quoteName(constraint, NameCase::Upper);
    return {};
}

std::vector<Dependency> readDependencies(engine::Database& db, const TableRef& t, bool showSystemObjects) {
    std::vector<Dependency> out;
    if (t.kind != ServerKind::ORACLE) return out;
    std::string sql = "select distinct REFERENCED_OWNER||'.'||REFERENCED_NAME,REFERENCED_TYPE,OWNER||'.'||NAME,TYPE\n"
                      "from SYS.ALL_DEPENDENCIES\nWhere REFERENCED_OWNER= :OWNER And REFERENCED_NAME= :NAME\n";
    if (!showSystemObjects) sql += "and (owner !='SYSTEM') and (owner !='SYS')\n";
    sql += "Order by 1";
    Rows r = run(db, sql, {{"OWNER", t.owner}, {"NAME", t.name}});
    for (const auto& row : r.rows) out.push_back({trim(row[0]), trim(row[1]), trim(row[2]), trim(row[3])});
    return out;
}

int dependencyImage(const std::string& type) {
    const std::string t = upper(trim(type));
    if (t == "VIEW") return 1;
    if (t == "PROCEDURE") return 2;
    if (t == "FUNCTION") return 3;
    if (t == "PACKAGE") return 4;
    if (t == "TABLE") return 6;
    if (t == "TRIGGER") return 7;
    return 5;
}

std::vector<Privilege> readPrivileges(engine::Database& db, const TableRef& t) {
    std::vector<Privilege> out;
    if (t.kind != ServerKind::ORACLE) return out;
    Rows r = run(db, "select GRANTOR,GRANTEE,PRIVILEGE,GRANTABLE from SYS.ALL_TAB_PRIVS\n"
                     "where TABLE_SCHEMA= :OWNER and TABLE_NAME= :TABLE_NAME\nOrder by GRANTOR,GRANTEE",
                 {{"OWNER", t.owner}, {"TABLE_NAME", t.name}});
    for (const auto& row : r.rows) out.push_back({trim(row[0]), trim(row[1]), trim(row[2]), trim(row[3])});
    return out;
}

std::string readTableComment(engine::Database& db, const TableRef& t) {
    if (t.kind == ServerKind::ORACLE) {
        Rows r = run(db, "select * from ALL_TAB_COMMENTS where TABLE_NAME= :TABLE_NAME and OWNER= :TABLE_OWNER",
                     {{"TABLE_NAME", t.name}, {"TABLE_OWNER", t.owner}});
        return r.empty() ? std::string() : r.at(0, "COMMENTS");
    }
    if (t.kind == ServerKind::SQLBASE) {
        std::string sql = "select * from SYSADM.SYSTABLES where NAME= :TABLE_NAME";
        Params ps{{"TABLE_NAME", t.name}};
        if (t.hasOwner()) {
            sql += "\nand CREATOR= :TABLE_OWNER";
            ps.push_back({"TABLE_OWNER", t.owner});
        }
        Rows r = run(db, sql, ps);
        return r.empty() ? std::string() : r.at(0, "REMARKS");
    }
    return {};
}

std::string tableCommentSql(const TableRef& t, const std::string& comment) {
    if (trim(comment).empty()) return {};
    return "comment on table " + tableName(t) + " is " + sqlString(comment);
}

}  // namespace vlm::tableinfo
