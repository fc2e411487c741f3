// Catalog statements, headings and panes of the server object lists.
#include "objlists/catalog.h"

namespace vlm::objlists {

using K = ServerKind;
using L = ListKind;

bool supported(ListKind list, ServerKind kind) {
    const bool ora = kind == K::ORACLE, sb = kind == K::SQLBASE, ib = kind == K::INTERBASE, ms = kind == K::MSSQL;
    switch (list) {
    case L::Indexes:
    case L::Triggers: return ora || sb || ib || ms;
    case L::Synonyms: return ora || sb;
    case L::Constraints: return ora || sb || ms;
    case L::Dependencies:
    case L::Snapshots:
    case L::Packages:
    case L::PackageBodies:
    case L::TableSpaces:
    case L::Clusters:
    case L::SessionParameters: return ora;
    case L::Domains:
    case L::ExternalFunctions:
    case L::Exceptions:
    case L::BlobFilters: return ib;
    }
    return false;
}

Title title(ListKind list) {
    switch (list) {
    case L::Indexes: return {"Индексы", "Indexes"};
    case L::Synonyms: return {"Синонимы", "Synonyms"};
    case L::Triggers: return {"Триггеры", "Triggers"};
    case L::Constraints: return {"Ограничения", "Constraints"};
    case L::Dependencies: return {"Зависимости", "Dependencies"};
    case L::Snapshots: return {"Моментальные копии", "Snapshots"};
    case L::Packages: return {"Пакеты", "Packages"};
    case L::PackageBodies: return {"Тело пакета", "Package Bodies"};
    case L::TableSpaces: return {"Табличные пространства", "Table Spaces"};
    case L::Clusters: return {"Кластеры", "Clusters"};
    case L::SessionParameters: return {"Параметры сессии", "Session parameters"};
    case L::Domains: return {"Домены", "Domains"};
    case L::ExternalFunctions: return {"Внешние функции", "External Functions"};
    case L::Exceptions: return {"Исключения", "Exceptions"};
    case L::BlobFilters: return {"Blob фильтры", "Blob Filters"};
    }
    return {"", ""};
}

const char* commandWord(ListKind list) {
    switch (list) {
    case L::Indexes: return "indexes";
    case L::Synonyms: return "synonyms";
    case L::Triggers: return "triggers";
    case L::Constraints: return "constraints";
    case L::Dependencies: return "dependencies";
    case L::Snapshots: return "snapshots";
    case L::Packages: return "packages";
    case L::PackageBodies: return "package-bodies";
    case L::TableSpaces: return "tablespaces";
    case L::Clusters: return "clusters";
    case L::SessionParameters: return "session";
    case L::Domains: return "domains";
    case L::ExternalFunctions: return "functions";
    case L::Exceptions: return "exceptions";
    case L::BlobFilters: return "blob-filters";
    }
    return "";
}

std::optional<ListKind> listKindOfWord(std::string_view word) {
    for (ListKind k : kAllKinds)
        if (word == commandWord(k)) return k;
    return std::nullopt;
}

std::vector<std::string> catalogSql(ListKind list, ServerKind kind, bool showSystem) {
    if (!supported(list, kind)) return {};
    std::vector<std::string> s;
    auto unlessSystem = [&](const char* line) {
        if (!showSystem) s.push_back(line);
    };
    switch (list) {
    case L::Indexes:
        switch (kind) {
        case K::ORACLE:
            s = {"select table_name,table_owner,index_name,owner, DECODE(uniqueness,'UNIQUE','UNIQUE',' ')",
                 "from sys.all_indexes"};
            unlessSystem("where (table_owner !='SYS') and (owner !='SYS')");
            s.push_back("order by table_name,index_name");
            break;
        case K::SQLBASE:
            s = {"select tbname,tbcreator,name,creator,@DECODE(uniquerule,'U','UNIQUE',' ')", "from sysadm.sysindexes"};
            unlessSystem("where system !='Y'");
            s.push_back("order by tbname,name");
            break;
        case K::INTERBASE:
            s = {"select RDB$RELATION_NAME, Null, RDB$INDEX_NAME, Null, RDB$UNIQUE_FLAG from RDB$INDICES"};
            // The server marks its own indexes with system flag 1 and the user's with 0 (or, on
            // old servers, no flag): the uniqueness says nothing about who made an index.
            unlessSystem("where (RDB$SYSTEM_FLAG Is Null) Or (RDB$SYSTEM_FLAG = 0)");
            s.push_back("order by RDB$RELATION_NAME,RDB$INDEX_NAME");
            break;
        case K::MSSQL:
            s = {"select distinct object_name (o.id),user_name(o.uid),i.name,' ',(i.status & 2)",
                 "from dbo.sysindexes i, dbo.sysobjects o", "where (i.keycnt>0) And (o.id=i.id)"};
            unlessSystem("and xtype !='S'");
            s.push_back("order by user_name (o.uid) ASC, object_name (o.id) ASC");
            break;
        default: break;
        }
        break;
    case L::Synonyms:
        if (kind == K::ORACLE) s = {"SELECT SYNONYM_NAME, TABLE_NAME, OWNER, TABLE_OWNER", "FROM SYS.ALL_SYNONYMS", "Order By SYNONYM_NAME"};
        else s = {"SELECT  NAME, TBNAME, CREATOR, TBCREATOR", "FROM SYSADM.SYSSYNONYMS", "Order By NAME"};
        break;
    case L::Triggers:
        switch (kind) {
        case K::ORACLE:
            s = {"select TABLE_NAME||'.'||TRIGGER_NAME,STATUS,TRIGGER_TYPE,OWNER,WHEN_CLAUSE,DESCRIPTION,TRIGGER_BODY from "
                 "SYS.ALL_TRIGGERS"};
            break;
        case K::SQLBASE:
            s = {"select S.NAME||'.'||T.NAME,T.ENABLED,T.CREATOR,T.TEXT from SYSADM.SYSTRIGGERS T, SYSADM.SYSTABLES S",
                 "where T.TBSNUM=S.SNUM"};
            break;
        case K::INTERBASE:
            s = {"select RDB$TRIGGER_NAME,RDB$RELATION_NAME,RDB$TRIGGER_TYPE,RDB$TRIGGER_SOURCE from RDB$TRIGGERS"};
            break;
        case K::MSSQL:
            s = {"SELECT B.name+'.'+A1.name+'.'+A.name,C.Text",
                 "FROM dbo.sysobjects A , dbo.sysusers B, dbo.syscomments C, dbo.sysobjects A1",
                 "WHERE (A.type = 'TR') AND (A.uid = B.uid) and (C.id=A.id) and (A1.Id=A.parent_obj)"};
            break;
        default: break;
        }
        break;
    case L::Constraints:
        switch (kind) {
        case K::ORACLE:
            s = {"select OWNER||'.'||CONSTRAINT_NAME,CONSTRAINT_TYPE,TABLE_NAME,STATUS,R_OWNER,R_CONSTRAINT_NAME,"
                 "SEARCH_CONDITION,DELETE_RULE",
                 "from SYS.ALL_CONSTRAINTS where CONSTRAINT_TYPE != 'V'"};
            unlessSystem("and (owner !='SYSTEM') and (owner !='SYS')");
            s.push_back("Order by OWNER,CONSTRAINT_NAME,TABLE_NAME");
            break;
        case K::SQLBASE:
            s = {"select CREATOR||'.'||NAME,CONSTRAINT,TYPE,DELETERULE from SYSADM.SYSTABCONSTRAINTS", "Order by 1,2"};
            break;
        case K::MSSQL:
            s = {"SELECT B.name, o2.name, A.status, A.constid,(A.status & 15),(A.status & 16384)",
                 "FROM dbo.sysconstraints A, dbo.sysobjects B, dbo.sysobjects o2", "WHERE o2.id=A.id",
                 "AND  (A.constid = B.id) order by 1,2"};
            break;
        default: break;
        }
        break;
    case L::Dependencies: return dependencyTreeSql(false, showSystem);
    case L::Snapshots:
        s = {"select OWNER||'.'||NAME, TABLE_NAME, MASTER_VIEW, MASTER_OWNER, MASTER, MASTER_LINK, CAN_USE_LOG,",
             "UPDATABLE,LAST_REFRESH, ERROR,TYPE,NEXT,START_WITH,REFRESH_GROUP,UPDATE_TRIG,UPDATE_LOG,QUERY",
             "from SYS.ALL_SNAPSHOTS", "order by name"};
        break;
    case L::Packages: s = {"select distinct OWNER||'.'||NAME", "from SYS.ALL_SOURCE Where TYPE='PACKAGE'"}; break;
    case L::PackageBodies: s = {"select distinct OWNER||'.'||NAME", "from SYS.ALL_SOURCE Where TYPE='PACKAGE BODY'"}; break;
    case L::TableSpaces:
        s = {"SELECT A.TABLESPACE_NAME, A.STATUS, A.INITIAL_EXTENT, A.NEXT_EXTENT, A.MIN_EXTENTS, A.MAX_EXTENTS",
             ", A.PCT_INCREASE, A.CONTENTS FROM SYS.USER_TABLESPACES A"};
        break;
    case L::Clusters:
        s = {"SELECT CLUSTER_TYPE, FUNCTION, PCT_FREE, PCT_USED, INI_TRANS, MAX_TRANS",
             ", INITIAL_EXTENT, NEXT_EXTENT, MIN_EXTENTS, MAX_EXTENTS, PCT_INCREASE",
             ", KEY_SIZE, HASHKEYS, AVG_BLOCKS_PER_KEY, CLUSTER_NAME, TABLESPACE_NAME",
             ", FREELISTS, FREELIST_GROUPS, DEGREE, INSTANCES, CACHE", "FROM SYS.USER_CLUSTERS"};
        break;
    case L::SessionParameters: s = {"select PARAMETER, VALUE from SYS.NLS_SESSION_PARAMETERS"}; break;
    case L::Domains:
        s = {"SELECT RDB$FIELD_NAME, RDB$FIELD_TYPE, RDB$FIELD_SUB_TYPE, RDB$FIELD_LENGTH,",
             "RDB$FIELD_SCALE, RDB$NULL_FLAG,",
             " RDB$SEGMENT_LENGTH, RDB$DEFAULT_SOURCE, RDB$VALIDATION_SOURCE, RDB$DESCRIPTION,",
             "RDB$QUERY_NAME, RDB$VALIDATION_BLR,",
             "RDB$COMPUTED_BLR, RDB$COMPUTED_SOURCE, RDB$DEFAULT_VALUE,",
             "RDB$MISSING_VALUE, RDB$MISSING_SOURCE, RDB$SYSTEM_FLAG,",
             "RDB$QUERY_HEADER, RDB$EDIT_STRING, RDB$EXTERNAL_LENGTH,",
             "RDB$EXTERNAL_SCALE, RDB$EXTERNAL_TYPE, RDB$DIMENSIONS,",
             "RDB$CHARACTER_LENGTH, RDB$COLLATION_ID, RDB$CHARACTER_SET_ID",
             "FROM RDB$FIELDS"};
        break;
    case L::ExternalFunctions:
        s = {"SELECT RDB$FUNCTION_NAME,RDB$MODULE_NAME, RDB$ENTRYPOINT, RDB$RETURN_ARGUMENT,",
             " RDB$FUNCTION_TYPE, RDB$QUERY_NAME, RDB$DESCRIPTION, RDB$SYSTEM_FLAG", "FROM RDB$FUNCTIONS"};
        break;
    case L::Exceptions:
        s = {"SELECT RDB$EXCEPTION_NAME, RDB$MESSAGE, RDB$EXCEPTION_NUMBER, RDB$DESCRIPTION, RDB$SYSTEM_FLAG",
             "FROM RDB$EXCEPTIONS"};
        break;
    case L::BlobFilters:
        s = {"SELECT RDB$MODULE_NAME, RDB$ENTRYPOINT, RDB$INPUT_SUB_TYPE, RDB$OUTPUT_SUB_TYPE,",
             "RDB$DESCRIPTION, RDB$FUNCTION_NAME, RDB$SYSTEM_FLAG", "FROM RDB$FILTERS"};
        break;
    }
    return s;
}

std::vector<std::string> dependencyTreeSql(bool usedBy, bool showSystem) {
    std::vector<std::string> s;
    if (usedBy) s.push_back("select distinct REFERENCED_OWNER||'.'||REFERENCED_NAME,REFERENCED_TYPE,OWNER||'.'||NAME,TYPE");
    else s.push_back("select distinct OWNER||'.'||NAME,TYPE,REFERENCED_OWNER||'.'||REFERENCED_NAME,REFERENCED_TYPE");
    s.push_back("from SYS.ALL_DEPENDENCIES");
    if (!showSystem) s.push_back("where (owner !='SYSTEM') and (owner !='SYS')");
    s.push_back("Order by 1");
    return s;
}

namespace {
void headings(ColumnLayout& c, std::initializer_list<const char*> names) {
    int i = 0;
    for (const char* n : names) c.headings[i++] = n;
}
void hide(ColumnLayout& c, int from, int to) {
    for (int i = from; i <= to; ++i) c.hidden.insert(i);
}
}  // namespace

ColumnLayout columnLayout(ListKind list, ServerKind kind, bool ru) {
    ColumnLayout c;
    switch (list) {
    case L::Indexes:
        if (ru) headings(c, {"Имя таблицы", "Владелец таблицы", "Имя индекса", "Владелец индекса", "Уникальность"});
        else headings(c, {"Table Name", "Table Owner", "Index Name", "Index Owner", "Unique"});
        if (kind == K::INTERBASE) c.hidden = {1, 3};
        if (kind == K::MSSQL) {
            c.hidden = {3};
            c.widths = {{0, 30}, {1, 40}};
        }
        break;
    case L::Synonyms:
        if (ru) headings(c, {"Имя синонима", "Имя таблицы", "Владелец", "Владелец таблицы"});
        break;
    case L::Triggers:
        switch (kind) {
        case K::ORACLE:
            if (ru) headings(c, {"Имя таблицы.Имя триггера", "Состояние", "Тип", "Владелец"});
            else headings(c, {"TableName.TriggerName", "Status", "Type", "Owner"});
            hide(c, 4, 6);
            break;
        case K::SQLBASE:
            if (ru) headings(c, {"Имя таблицы.триггера", "Состояние", "Владелец"});
            else headings(c, {"TableName.TriggerName", "Enabled", "Creator"});
            c.hidden = {3};
            break;
        case K::INTERBASE:
            if (ru) headings(c, {"Имя триггера", "Имя таблицы", "Tun"});
            else headings(c, {"Trigger Name", "Table Name", "Type"});
            c.hidden = {3};
            break;
        case K::MSSQL:
            headings(c, {ru ? "Владелец.таблица.триггер" : "Owner.Table.Trigger"});
            c.hidden = {1};
            break;
        default: break;
        }
        break;
    case L::Constraints:
        switch (kind) {
        case K::ORACLE:
            if (ru) headings(c, {"Имя ограничения", "Тип", "Таблица", "Состояние"});
            else headings(c, {"Constraint Name", "Type", "Table", "Status"});
            c.widths = {{0, 30}};
            hide(c, 4, 7);
            break;
        case K::SQLBASE:
            if (ru) headings(c, {"Таблица", "Имя ограничения", "Тип"});
            else headings(c, {"Table", "Constraint Name", "Type"});
            c.widths = {{0, 30}};
            c.hidden = {3};
            break;
        case K::MSSQL:
            if (ru) headings(c, {"Имя ограничения", "Имя таблицы"});
            else headings(c, {"Constraints Name", "Table Name"});
            c.widths = {{0, 30}, {1, 30}};
            break;
        default: break;
        }
        break;
    case L::Dependencies:
        if (ru) headings(c, {"Имя зависимости", "Тип", "От кого зависит", "Тип"});
        else headings(c, {"Dependence Name", "Type", "From Dependence", "Type"});
        c.widths = {{0, 30}, {1, 10}, {2, 30}, {3, 10}};
        break;
    case L::Snapshots:
        if (ru) {
            headings(c, {"Владелец.Имя копии", "Имя таблицы", "Мастер-представление", "Владелец мастер-представления",
                         "Мастер-таблица", "Мастер-связь", "Использование лога", "Изменяемость", "Последнее обновление",
                         "Ошибка", "Тип", "Следующее обновление", "Начать с даты         ", "Группа обновления",
                         "Триггер изменения", "Лог изменения", "Запрос"});
            hide(c, 1, 16);
        }
        break;
    case L::Packages: headings(c, {ru ? "Владелец.Имя пакета" : "Owner.Package Name"}); break;
    case L::PackageBodies: headings(c, {ru ? "Владелец.Имя тела пакета" : "Owner.Package Body Name"}); break;
    case L::TableSpaces:
        headings(c, {ru ? "Табличное пространство" : "Table Space"});
        hide(c, 1, 7);
        break;
    case L::Clusters:
        headings(c, {ru ? "Тип кластера" : "Cluster Type"});
        c.hidden = {1};
        break;
    case L::SessionParameters:
        if (ru) headings(c, {"Параметр", "Значение"});
        else headings(c, {"Parameter", "Value"});
        break;
    case L::Domains:
        if (ru) headings(c, {"Имя поля/домена", "Тип", "подтип", "Длина", "Точность", "Нулевое"});
        else headings(c, {"FIELD NAME", "TYPE", "SUBTYPE", "LENGTH", "SCALE", "NULL FLAG"});
        hide(c, 6, 26);
        break;
    case L::ExternalFunctions:
        if (ru) headings(c, {"Имя функции", "Имя DLL", "Имя функции в DLL"});
        else headings(c, {"Function Name", "DLL Name", "Function Name In DLL"});
        hide(c, 3, 7);
        break;
    case L::Exceptions:
        if (ru) headings(c, {"Имя исключения", "Сообщение"});
        else headings(c, {"EXCEPTION NAME", "MESSAGE"});
        hide(c, 2, 4);
        break;
    case L::BlobFilters: break;
    }
    return c;
}

Panes panes(ListKind list, bool indexAsCreate) {
    switch (list) {
    case L::Indexes: return {false, !indexAsCreate};
    case L::Synonyms:
    case L::Dependencies:
    case L::Clusters:
    case L::BlobFilters: return {false, false};
    case L::Snapshots: return {true, true};
    case L::SessionParameters: return {false, true};
    default: return {true, false};
    }
}

int dependencyImage(std::string_view type) {
    if (type == "VIEW") return 1;
    if (type == "PROCEDURE") return 2;
    if (type == "FUNCTION") return 3;
    if (type == "PACKAGE") return 4;
    if (type == "TABLE") return 6;
    if (type == "TRIGGER") return 7;
    return 5;
}

namespace {
std::string lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return s;
}
TreeNode node(const std::string& name, const std::string& type) {
    return {lower(type) + ": " + name, dependencyImage(type), {}};
}
}  // namespace

std::vector<TreeNode> dependencyTree(const std::vector<std::array<std::string, 4>>& rows) {
    std::vector<TreeNode> roots;
    std::string object, type;
    bool started = false;
    for (const auto& r : rows) {
        if (!started || r[0] != object || r[1] != type) {
            roots.push_back(node(r[0], r[1]));
            object = r[0];
            type = r[1];
            started = true;
        }
        roots.back().children.push_back(node(r[2], r[3]));
    }
    return roots;
}

}  // namespace vlm::objlists
