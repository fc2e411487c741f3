// The data windows' display-free rules.
#include "datawin/viewlogic.h"

#include <cctype>
#include <cstdio>

#include "shell/language.h"
#include "shell/texthelpers.h"

namespace vlm::datawin {

namespace txt = shell::text;

namespace {
std::string upperAscii(std::string s) {
    for (char& c : s) c = char(std::toupper(static_cast<unsigned char>(c)));
    return s;
}
std::string quoted(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}
std::string join(const std::vector<std::string>& v, const std::string& sep, const std::string& suffix = {}) {
    std::string out;
    for (std::size_t i = 0; i < v.size(); ++i) out += (i ? sep : std::string()) + v[i] + suffix;
    return out;
}
}  // namespace

NameFold nameFoldOfDriver(const std::string& driverName) {
    const std::string d = upperAscii(driverName);
    if (d.find("POSTGRES") != std::string::npos) return NameFold::Lower;
    if (d.find("INTRBASE") != std::string::npos || d.find("INTERBASE") != std::string::npos ||
        d.find("FIREBIRD") != std::string::npos || d.find("ORACLE") != std::string::npos)
        return NameFold::Upper;
    return NameFold::None;
}

std::string tableText(const TableNameRule& r) {
    if (!r.useInSql && !r.requestLive) return r.name;
    const auto dot = r.name.find('.');
    if (r.sqlBased && r.kind == ServerKind::SQLBASE && dot != std::string::npos)
        return r.name.substr(0, dot + 1) + "\"" + r.name.substr(dot + 1) + "\"";
    return "\"" + r.name + "\"";
}

std::string viewQueryText(const TableNameRule& r) { return "select * from " + tableText(r); }

std::string quoteFieldIfNeeded(const std::string& field, NameFold fold) {
    bool plain = !field.empty() && (std::isalpha(static_cast<unsigned char>(field[0])) || field[0] == '_');
    bool lower = false, upper = false;
    for (char c : field) {
        unsigned char u = static_cast<unsigned char>(c);
        if (!(std::isalnum(u) || c == '_' || c == '$')) plain = false;
        if (std::islower(u)) lower = true;
        if (std::isupper(u)) upper = true;
    }
    if (!plain || (fold == NameFold::Upper && lower) || (fold == NameFold::Lower && upper)) return quoted(field);
    return field;
}

std::string sortQueryText(const std::string& table, const std::string& field, NameFold fold) {
    return "Select * From " + table + " order by " + quoteFieldIfNeeded(field, fold);
}

std::string unsortQueryText(const std::string& table) { return "Select * From " + table; }

std::string clearAllStatement(const TableNameRule& r) { return "Delete From " + tableText(r); }

std::string viewAsTextQuery(const std::string& name, bool useInSql) {
    return "select * from " + (useInSql ? "\"" + name + "\"" : name);
}

std::string sqlTemplate(SqlTemplate t, const std::string& table, const std::vector<std::string>& fields, bool open) {
    switch (t) {
    case SqlTemplate::Create:
        return "Create Table <TABLENAME> (VAR1 CHAR(10),VAR2 INT)";
    case SqlTemplate::Update:
        if (!open) return {};
        return "UPDATE " + table + " SET " + join(fields, ", ", "=") + "\nWHERE";
    case SqlTemplate::Select:
        if (!open) return "SELECT * FROM " + table;
        return "SELECT " + join(fields, ", ") + "\nFROM " + table;
    case SqlTemplate::Insert: {
        if (!open) return {};
        std::string values;
        for (std::size_t i = 1; i < fields.size(); ++i) values += ", ";
        return "INSERT INTO " + table + " (" + join(fields, ", ") + ") VALUES (" + values + ")";
    }
    case SqlTemplate::Delete:
        return "DELETE FROM " + table + " WHERE ";
    }
    return {};
}

std::string openStatusText(std::int64_t count, bool showCount) {
    const std::string word = shell::pick(" записей", " records");
    return showCount ? "   " + std::to_string(count) + word : "   ? " + word;
}

std::string sortStatusText(std::int64_t count, bool showCount) {
    return showCount ? "   " + std::to_string(count) + " records in table" : "   ? records in table";
}

std::string positionText(std::int64_t recNo, std::int64_t count, bool showCount) {
    return std::to_string(recNo) + "/" + (showCount ? std::to_string(count) : std::string("?"));
}

std::string resultStatusText(std::int64_t count, bool showCount, const std::string& elapsed) {
    return (showCount ? std::to_string(count) + " ; " : std::string("? ; ")) + shell::pick(" Время: ", " Time: ") +
           elapsed;
}

std::string elapsedText(std::chrono::milliseconds ms) {
    long long t = ms.count() < 0 ? 0 : ms.count();
    char buf[64];
    std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld:%lld", t / 3600000, t / 60000 % 60, t / 1000 % 60, t % 1000);
    return buf;
}

bool isQueryCommand(const std::string& command) {
    const std::string t = upperAscii(txt::strip(command));
    return t.rfind("SELECT", 0) == 0 || t.rfind("EXECUTE", 0) == 0;
}

std::string statementDoneMessage(const std::string& command, const std::string& elapsed, std::int64_t rows) {
    const std::string head = upperAscii(txt::strip(command)).substr(0, 6);
    std::string label = head == "INSERT"   ? shell::pick("Вставлено: ", "Inserted: ")
                        : head == "DELETE" ? shell::pick("Удалено: ", "Deleted: ")
                                           : shell::pick("Изменено: ", "RowsAffected: ");
    return shell::pick("Запрос выполнен успешно! Время: ", "SQL Executed Succesfully! Time: ") + elapsed + "\r\n" +
           label + std::to_string(rows < 0 ? 0 : rows) + shell::pick(" записей", " rows");
}

namespace {
bool wordByte(unsigned char c) { return std::isalnum(c) || c == '_' || c >= 0x80; }
}  // namespace

bool searchMatches(const std::string& value, const std::string& text, bool caseSensitive, bool wholeWords) {
    const std::string v = caseSensitive ? value : txt::upperCyr(value);
    const std::string t = caseSensitive ? text : txt::upperCyr(text);
    if (v == t) return true;
    if (t.empty()) return false;
    for (std::size_t at = v.find(t); at != std::string::npos; at = v.find(t, at + 1)) {
        if (!wholeWords) return true;
        const bool before = at == 0 || !wordByte(static_cast<unsigned char>(v[at - 1]));
        const bool after = at + t.size() >= v.size() || !wordByte(static_cast<unsigned char>(v[at + t.size()]));
        if (before && after) return true;
    }
    return false;
}

std::string fieldTypeText(int code) {
    static const char* const names[] = {
        "ftUnknown", "ftString",  "ftSmallint", "ftInteger",  "ftWord",       "ftBoolean",   "ftFloat",   "ftCurrency",
        "ftBCD",     "ftDate",    "ftTime",     "ftDateTime", "ftBytes",      "ftVarBytes",  "ftAutoInc", "ftBlob",
        "ftMemo",    "ftGraphic", "ftFmtMemo",  "ftParadoxOle", "ftDBaseOle", "ftTypedBinary", "ftCursor"};
    return code >= 0 && code <= 22 ? names[code] : "myUnknown";
}

RawBytes splitRawBytes(const std::string& raw) {
    RawBytes r;
    r.fieldLength = int(raw.size());
    if (raw.size() < 2) return r;
    r.dataLength = static_cast<unsigned char>(raw[0]) | (static_cast<unsigned char>(raw[1]) << 8);
    r.data = raw.substr(2, std::size_t(r.dataLength));
    return r;
}

std::string bytesToHex(const std::string& data) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : data) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string hexToBytes(const std::string& hex) {
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        c = char(std::toupper(static_cast<unsigned char>(c)));
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    std::string out;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        if (i + 1 >= hex.size()) {
            int d = digit(hex[i]);
            out += char(d < 0 ? 0 : d);
            break;
        }
        int hi = digit(hex[i]), lo = digit(hex[i + 1]);
        out += char(hi < 0 || lo < 0 ? 0 : hi * 16 + lo);
    }
    return out;
}

std::string rawBytesForSave(const std::string& data) {
    std::string out;
    out += char(data.size() & 0xFF);
    out += char((data.size() >> 8) & 0xFF);
    return out + data;
}

}  // namespace vlm::datawin
