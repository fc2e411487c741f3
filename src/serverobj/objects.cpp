// Sequence and generator statements, and the new-object skeletons.
#include "serverobj/objects.h"

#include <cctype>

#include "engine/query.h"

namespace vlm::serverobj {

namespace {
bool blank(std::string_view s) {
    for (char c : s)
        if (!std::isspace(static_cast<unsigned char>(c))) return false;
    return true;
}
std::string trimmed(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return std::string(s.substr(b, e - b));
}
// Firebird names are written as the catalog holds them: quoted when they are not plain upper case.
std::string generatorName(std::string_view name) {
    std::string n = trimmed(name);
    bool plain = !n.empty() && std::isupper(static_cast<unsigned char>(n[0]));
    for (char c : n) plain = plain && (std::isupper(static_cast<unsigned char>(c)) || std::isdigit(static_cast<unsigned char>(c)) || c == '_' || c == '$');
    if (plain) return n;
    std::string q = "\"";
    for (char c : n) q += c == '"' ? std::string("\"\"") : std::string(1, c);
    return q + "\"";
}
}  // namespace

std::vector<std::string> sequenceHeadingsRu() {
    return {"Название", "Статус", "Посл. номер", "Шаг", "Цикл", "Порядок", "Мин. значение", "Макс. значение", "Кеш",
            "Дата создания", "Дата изменения", "Владелец"};
}

std::string generatorValueSql(std::string_view name) {
    return "select distinct gen_id(" + generatorName(name) + ", 0) from RDB$GENERATORS";
}

std::int64_t readGeneratorValue(engine::Database& db, std::string_view name) {
    engine::Query q;
    q.setDatabase(&db);
    q.setSql(generatorValueSql(name));
    q.open();
    std::int64_t v = q.eof() || q.field(0).isNull() ? 0 : q.field(0).asInteger();
    q.close();
    return v;
}

std::string sequenceStatement(SequenceEditor state, const SequenceFields& f) {
    std::string s = (state == SequenceEditor::Alter ? "ALTER SEQUENCE " : "CREATE SEQUENCE ") + f.name;
    s += blank(f.increment) ? " " : " INCREMENT BY " + f.increment;
    if (state == SequenceEditor::Create) s += blank(f.start) ? " " : " START WITH " + f.start;
    if (f.maxValue == "NOMAXVALUE") s += " NOMAXVALUE ";
    else s += blank(f.maxValue) ? " " : " MAXVALUE " + f.maxValue;
    if (f.minValue == "NOMINVALUE") s += " NOMINVALUE ";
    else s += blank(f.minValue) ? " " : " MINVALUE " + f.minValue;
    s += " " + f.cycle + " ";
    if (f.cache == "NOCACHE") s += " NOCACHE ";
    else s += blank(f.cache) ? " " : " CACHE " + f.cache;
    return s + f.order;
}

std::string generatorCreateSql(std::string_view name) { return "CREATE GENERATOR " + generatorName(name); }
std::string generatorDropSql(std::string_view name) { return "DROP GENERATOR " + generatorName(name); }
std::string sequenceDropSql(std::string_view owner, std::string_view name) {
    std::string o = trimmed(owner);
    return "DROP SEQUENCE " + (o.empty() ? std::string() : o + ".") + trimmed(name);
}

std::vector<std::string> procedureSkeleton(panels::ServerKind kind) {
    if (kind == panels::ServerKind::ORACLE)
        return {"Create Or Replace Procedure <Proc name>", "(<IN OUT variables list>) Is", "<Declare local variables>",
                "Begin", "End;"};
    if (kind == panels::ServerKind::SQLBASE)
        return {"STORE <Proc_name>",   "PROCEDURE: <Proc_name> STATIC/DINAMIC", "  PARAMETERS",
                "    NUMBER: nOldSalary", "    STRING: sNewSalary",            "  LOCAL VARIABLES",
                "    SQL HANDLE: hSql",   "    NUMBER: nFetchStatus",          "  ACTIONS",
                "    If <Expression>",    "      Return <Number1>",            "    Else",
                "      <Return Number2>"};
    return {};
}

std::vector<std::string> functionSkeleton(panels::ServerKind kind) {
    if (kind != panels::ServerKind::ORACLE) return {};
    return {"Create Or Replace Function <Func name>", "(<IN OUT variables list>)  RETURN <Return_type> Is",
            "<Declare local variables>", "Begin", "End;"};
}

}  // namespace vlm::serverobj
