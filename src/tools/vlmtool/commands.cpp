// The vlmtool commands over the default engine session.
#include "commands.h"

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "dumpwriter.h"
#include "engine/batchmove.h"
#include "engine/database.h"
#include "engine/error.h"
#include "engine/identifiers.h"
#include "engine/session.h"
#include "engine/table.h"
#include "objlists/listing.h"
#include "sqlexec/scriptrun.h"
#include "tableinfo/catalog.h"
#include "transfer/compare.h"
#include "transfer/transfer.h"

namespace vlm::tools {

using namespace vlm::engine;

namespace {

const char* kUsage =
    "Usage: vlmtool [options] COMMAND ...\n"
    "  tables DB                      list the tables of DB (--system: with system tables)\n"
    "  fields DB TABLE                list the fields of TABLE: name, type, size, scale, native type\n"
    "  dump DB TABLE                  write TABLE as delimited text (header line, one line per row)\n"
    "  sql DB \"STATEMENT\"             run a statement; rows are written like dump\n"
    "  copy SRCDB TABLE DSTDB [NEW]   copy TABLE into DSTDB (created or replaced) as NEW or TABLE;\n"
    "                                 plain names of columns, indexes and TABLE take DSTDB's case\n"
    "  ddl DB TABLE                   the CREATE TABLE script and index statements (a view's source)\n"
    "  objects DB [KIND [NAME]]       the server object kinds of DB; the list of one KIND (indexes,\n"
    "                                 triggers, domains, ...; --system: with system objects); with\n"
    "                                 NAME the object's definition text\n"
    "  alias add NAME DRIVER [PARAM=VALUE ...]\n"
    "  alias delete NAME\n"
    "  alias list                     aliases of the configuration file and their drivers\n"
    "  demo FILE                      write the demo SQLite database FILE\n"
    "  export DB TABLE FILE [--delimiter C] [--fields LIST] [--xlsx]\n"
    "                                 write TABLE in the delimited text format (count, names and\n"
    "                                 type codes lines, Dos character set; default delimiter ;)\n"
    "                                 or as an .xlsx workbook\n"
    "  import FILE DB TABLE           append the rows of a delimited text file (or of a .DBF file)\n"
    "                                 to TABLE, in one transaction on SQL servers\n"
    "  compare DB1 TABLE1 DB2 TABLE2 [--count] [--types] [--data] [--key]\n"
    "                                 compare two tables into TBLSCOMP.LOG in the current\n"
    "                                 directory and print it; exit status 1 when they differ\n"
    "  script DB FILE [--delimiter C] [--transaction]\n"
    "                                 run the SQL script FILE statement by statement (default\n"
    "                                 delimiter ;) and write its log; exit status 1 when any\n"
    "                                 statement failed. --transaction: one transaction, committed\n"
    "                                 at the end when nothing failed, else rolled back\n"
    "DB is an alias, a directory of local tables, or DRIVER:TARGET (SQLITE:/data/x.sqlite,\n"
    "POSTGRESQL:host:port/db, POSTGRESQL:host=H port=P dbname=D, postgresql://user@host/db).\n"
    "Options: --user NAME, --password TEXT (the login; for copy and compare, of both databases),\n"
    "         --source-user NAME, --source-password TEXT, --dest-user NAME, --dest-password TEXT\n"
    "         (copy: the login of one side, over --user and --password; compare: DB1 and DB2),\n"
    "         --delimiter C (a character, or \\t; default tab), --system.\n"
    "Without a login PostgreSQL takes PGUSER and PGPASSWORD, Firebird ISC_USER and ISC_PASSWORD.\n"
    "The configuration file is $VLM_ENGINE_CFG or IDAPI32.CFG beside vlmtool.\n"
    "In values a tab, line feed, carriage return, backslash and the delimiter are written\n"
    "as \\t, \\n, \\r, \\\\ and \\ followed by the delimiter; NULL is an empty field.\n";

struct UsageError {
    std::string text;
    bool help = false;   // --help: the usage on standard output, success
};

struct Options {
    std::string user, password;
    // copy: the login of one side; empty: --user and --password.
    std::string sourceUser, sourcePassword, destUser, destPassword;
    char delimiter = '\t';
    bool delimiterGiven = false;
    bool system = false;
    std::string fields;
    bool transaction = false;
    bool fieldsGiven = false, xlsx = false, count = false, types = false, data = false, key = false;
    std::vector<std::string> words;

    std::vector<std::string> login() const { return loginOf(user, password); }
    std::vector<std::string> sourceLogin() const {
        return loginOf(sourceUser.empty() ? user : sourceUser, sourcePassword.empty() ? password : sourcePassword);
    }
    std::vector<std::string> destLogin() const {
        return loginOf(destUser.empty() ? user : destUser, destPassword.empty() ? password : destPassword);
    }
    static std::vector<std::string> loginOf(const std::string& u, const std::string& pw) {
        std::vector<std::string> p;
        if (!u.empty()) p.push_back("USER NAME=" + u);
        if (!pw.empty()) p.push_back("PASSWORD=" + pw);
        return p;
    }
};

Options parse(const std::vector<std::string>& args) {
    Options o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto valueOf = [&](const char* opt) -> std::string {
            std::string name = opt;
            if (a.size() > name.size() && a.compare(0, name.size() + 1, name + "=") == 0)
                return a.substr(name.size() + 1);
            if (i + 1 >= args.size()) throw UsageError{name + " needs a value"};
            return args[++i];
        };
        auto is = [&](const char* opt) {
            std::string name = opt;
            return a == name || a.rfind(name + "=", 0) == 0;
        };
        if (a == "--") {
            o.words.insert(o.words.end(), args.begin() + std::ptrdiff_t(i) + 1, args.end());
            break;
        } else if (is("--user")) {
            o.user = valueOf("--user");
        } else if (is("--password")) {
            o.password = valueOf("--password");
        } else if (is("--source-user")) {
            o.sourceUser = valueOf("--source-user");
        } else if (is("--source-password")) {
            o.sourcePassword = valueOf("--source-password");
        } else if (is("--dest-user")) {
            o.destUser = valueOf("--dest-user");
        } else if (is("--dest-password")) {
            o.destPassword = valueOf("--dest-password");
        } else if (is("--delimiter")) {
            std::string d = parseDelimiter(valueOf("--delimiter"));
            if (d.empty()) throw UsageError{"--delimiter takes one character (not a backslash or line break), or \\t"};
            o.delimiter = d[0];
            o.delimiterGiven = true;
        } else if (is("--fields")) {
            o.fields = valueOf("--fields");
            o.fieldsGiven = true;
        } else if (a == "--transaction") {
            o.transaction = true;
        } else if (a == "--xlsx") {
            o.xlsx = true;
        } else if (a == "--count") {
            o.count = true;
        } else if (a == "--types") {
            o.types = true;
        } else if (a == "--data") {
            o.data = true;
        } else if (a == "--key") {
            o.key = true;
        } else if (a == "--system") {
            o.system = true;
        } else if (a == "--help" || a == "-h") {
            throw UsageError{{}, true};
        } else if (a.size() > 2 && a.rfind("--", 0) == 0) {
            throw UsageError{"unknown option " + a};
        } else {
            o.words.push_back(a);
        }
    }
    return o;
}

void need(const Options& o, std::size_t min, std::size_t max, const char* what) {
    if (o.words.size() < min || o.words.size() > max) throw UsageError{std::string("usage: vlmtool ") + what};
}

// Opens the rows of a table: the table cursor for local tables, a SELECT on servers.
std::unique_ptr<Cursor> openRows(Connection& conn, const std::string& table) {
    if (!conn.capabilities().sqlBased) return conn.openTable(table, TableOpenOptions{});
    auto st = conn.prepare("SELECT * FROM " + conn.quoteTable(table));
    auto cur = st->execute();
    if (!cur) throw EngineError(ErrorCategory::Sql, "The table returned no rows: " + table);
    return cur;
}

void writeAll(Cursor& cur, std::FILE* out, char delimiter) {
    DumpWriter w(out, delimiter);
    w.header(cur.fields());
    std::vector<Row> rows;
    rows.reserve(1024);
    bool more = true;
    while (more) {
        rows.clear();
        more = cur.fetch(1024, rows);
        w.rows(rows);
    }
    w.flush();
}

int cmdTables(Session& s, const Options& o, std::FILE* out) {
    need(o, 2, 2, "tables DB");
    auto conn = s.connect(o.words[1], o.login());
    std::string text;
    for (const auto& t : conn->tables(o.system)) text += t.name + "\n";
    std::fputs(text.c_str(), out);
    return 0;
}

int cmdFields(Session& s, const Options& o, std::FILE* out) {
    need(o, 3, 3, "fields DB TABLE");
    auto conn = s.connect(o.words[1], o.login());
    auto defs = conn->fieldDefs(o.words[2]);
    if (defs.empty())
        throw EngineError(ErrorCategory::Sql, errc::SqlBase, {"Table not found: " + o.words[2]});
    std::string text = "NAME\tTYPE\tSIZE\tSCALE\tNATIVE\n";
    for (const auto& f : defs)
        text += f.name + "\t" + fieldTypeName(f.type) + "\t" + std::to_string(f.size) + "\t" +
                std::to_string(f.scale) + "\t" + f.nativeType + "\n";
    std::fputs(text.c_str(), out);
    return 0;
}

int cmdDump(Session& s, const Options& o, std::FILE* out) {
    need(o, 3, 3, "dump DB TABLE");
    auto conn = s.connect(o.words[1], o.login());
    auto cur = openRows(*conn, o.words[2]);
    writeAll(*cur, out, o.delimiter);
    return 0;
}

int cmdSql(Session& s, const Options& o, std::FILE* out) {
    need(o, 3, 3, "sql DB \"STATEMENT\"");
    auto conn = s.connect(o.words[1], o.login());
    auto st = conn->prepare(o.words[2]);
    if (auto cur = st->execute()) {
        writeAll(*cur, out, o.delimiter);
    } else if (st->rowsAffected() >= 0) {
        std::fprintf(out, "Rows affected: %lld\n", static_cast<long long>(st->rowsAffected()));
    }
    return 0;
}

// The script window's script run: the same statements, the same log, on standard output.
int cmdScript(Session& s, const Options& o, std::FILE* out) {
    need(o, 3, 3, "script DB FILE [--delimiter C] [--transaction]");
    std::ifstream in(o.words[2], std::ios::binary);
    if (!in) throw EngineError(ErrorCategory::File, errc::FileNotFound, {"Cannot read " + o.words[2]});
    std::stringstream text;
    text << in.rdbuf();
    Database db(&s);
    db.setDatabaseName(o.words[1]);
    db.params() = o.login();
    db.open();
    sqlexec::ScriptOptions so;
    so.delimiter = o.delimiterGiven ? o.delimiter : ';';
    so.useTransaction = o.transaction;
    std::ostringstream log;
    const sqlexec::ScriptOutcome r = sqlexec::runScript(db, text.str(), so, log);
    if (db.inTransaction()) {
        if (r.failed == 0) {
            db.commit();
            log << "Committed.\n";
        } else {
            db.rollback();
            log << "Rolled back.\n";
        }
    }
    std::fputs(log.str().c_str(), out);
    return r.failed == 0 ? 0 : 1;
}

int cmdCopy(Session& s, const Options& o, std::FILE* out) {
    need(o, 4, 5, "copy SRCDB TABLE DSTDB [NEWNAME]");
    Database src(&s), dst(&s);
    src.setDatabaseName(o.words[1]);
    src.params() = o.sourceLogin();
    dst.setDatabaseName(o.words[3]);
    dst.params() = o.destLogin();
    src.open();
    dst.open();
    Table from, to;
    from.setDatabase(&src);
    from.setTableName(o.words[2]);
    to.setDatabase(&dst);
    // Without NEW the table keeps its name, in the destination server's case when it is a plain
    // name there ("order_lines" from PostgreSQL becomes ORDER_LINES on Firebird).
    std::string name = o.words[2];
    if (o.words.size() > 4) name = o.words[4];
    else if (dst.connection().capabilities().sqlBased)
        name = carryIdentifier(name, src.connection().capabilities().identifierCase,
                               dst.connection().capabilities().identifierCase);
    to.setTableName(name);
    from.open();
    BatchMove move;
    move.source = &from;
    move.destination = &to;
    move.mode = batCopy;
    move.execute();
    std::fprintf(out, "%lld rows copied to %s\n", static_cast<long long>(move.movedCount()),
                 to.tableName().c_str());
    return 0;
}

// Progress on standard error while it is a terminal: the units done, at most ten times a second.
class TerminalProgress : public Progress {
public:
    TerminalProgress(std::FILE* err, const char* unit) : err_(err), unit_(unit), on_(err == stderr && ::isatty(2)) {}
    ~TerminalProgress() override {
        if (on_ && shown_) std::fputs("\n", err_);
    }
    bool step(std::int64_t done, std::int64_t total) override {
        if (!on_) return true;
        auto now = std::chrono::steady_clock::now();
        if (shown_ && now - last_ < std::chrono::milliseconds(100)) return true;
        last_ = now;
        shown_ = true;
        if (total > 0) std::fprintf(err_, "\r%lld of %lld %s", static_cast<long long>(done), static_cast<long long>(total), unit_);
        else std::fprintf(err_, "\r%lld %s", static_cast<long long>(done), unit_);
        std::fflush(err_);
        return true;
    }

private:
    std::FILE* err_;
    const char* unit_;
    bool on_;
    bool shown_ = false;
    std::chrono::steady_clock::time_point last_;
};

int cmdExport(Session& s, const Options& o, std::FILE* out, std::FILE* err) {
    need(o, 4, 4, "export DB TABLE FILE [--delimiter C] [--fields LIST] [--xlsx]");
    Database db(&s);
    db.setDatabaseName(o.words[1]);
    db.params() = o.login();
    db.open();
    transfer::ExportOptions e;
    e.delimiter = o.delimiterGiven ? o.delimiter : ';';
    e.fields = o.fields;
    TerminalProgress p(err, "rows");
    std::int64_t n = o.xlsx ? transfer::exportXlsx(db, o.words[2], o.words[3], e, &p)
                            : transfer::exportText(db, o.words[2], o.words[3], e, &p);
    std::fprintf(out, "%lld rows exported to %s\n", static_cast<long long>(n), o.words[3].c_str());
    return 0;
}

int cmdImport(Session& s, const Options& o, std::FILE* out, std::FILE* err) {
    need(o, 4, 4, "import FILE DB TABLE");
    Database db(&s);
    db.setDatabaseName(o.words[2]);
    db.params() = o.login();
    db.open();
    std::int64_t n = 0;
    if (transfer::isDbfFile(o.words[1])) {
        TerminalProgress p(err, "rows");
        n = transfer::importDbf(db, o.words[3], o.words[1], &p);
    } else {
        transfer::ImportOptions i;
        if (o.delimiterGiven) i.delimiter = o.delimiter;
        TerminalProgress p(err, "bytes");
        n = transfer::importText(db, o.words[3], o.words[1], i, &p);
    }
    std::fprintf(out, "%lld rows imported into %s\n", static_cast<long long>(n), o.words[3].c_str());
    return 0;
}

int cmdCompare(Session& s, const Options& o, std::FILE* out, std::FILE* err) {
    need(o, 5, 5, "compare DB1 TABLE1 DB2 TABLE2 [--count] [--types] [--data] [--key]");
    Database left(&s), right(&s);
    left.setDatabaseName(o.words[1]);
    left.params() = o.sourceLogin();
    right.setDatabaseName(o.words[3]);
    right.params() = o.destLogin();
    left.open();
    right.open();
    transfer::CompareOptions c;
    c.rowCount = o.count;
    c.types = o.types;
    c.data = o.data || o.key;
    c.byKey = o.key;
    transfer::CompareResult r;
    {
        transfer::CompareLog log("TBLSCOMP.LOG");
        TerminalProgress p(err, "rows");
        try {
            r = transfer::compareTables({&left, o.words[2]}, {&right, o.words[4]}, c, log, &p);
        } catch (...) {
            std::fputs(log.text().c_str(), out);
            throw;
        }
        std::fputs(log.text().c_str(), out);
    }
    return r.differences ? 1 : 0;
}

int cmdDdl(Session&, const Options& o, std::FILE* out, std::FILE* err) {
    need(o, 3, 3, "ddl DB TABLE");
    Database db;
    db.setDatabaseName(o.words[1]);
    db.params() = o.login();
    db.open();
    auto t = tableinfo::tableRefOf(db, o.words[2], o.user);
    auto d = tableinfo::readTableInfo(db, t);
    if (d.columns.empty() && !d.errors.empty()) throw EngineError(ErrorCategory::Sql, d.errors.front());
    for (const auto& e : d.errors) std::fprintf(err, "vlmtool: warning: %s\n", e.c_str());
    std::string text;
    for (const auto& l : tableinfo::ddlText(t, d)) text += l + "\n";
    std::fputs(text.c_str(), out);
    return 0;
}

int cmdObjects(const Options& o, std::FILE* out) {
    need(o, 2, 4, "objects DB [KIND [NAME]]");
    Database db;
    db.setDatabaseName(o.words[1]);
    db.params() = o.login();
    db.open();
    const objlists::ServerKind kind = objlists::serverKindOf(db);
    std::string text;
    if (o.words.size() == 2) {
        for (objlists::ListKind k : objlists::listKindsOf(kind)) text += std::string(objlists::commandWord(k)) + "\n";
        std::fputs(text.c_str(), out);
        return 0;
    }
    auto list = objlists::listKindOfWord(o.words[2]);
    if (!list) throw UsageError{"unknown object kind " + o.words[2]};
    if (!objlists::supported(*list, kind))
        throw EngineError(ErrorCategory::Sql, std::string(objlists::kNotSupportedEn));
    const auto lines = o.words.size() == 3 ? objlists::listText(objlists::readObjectList(db, *list, o.system))
                                           : objlists::objectText(db, *list, o.words[3], o.system);
    for (const auto& l : lines) text += l + "\n";
    std::fputs(text.c_str(), out);
    return 0;
}

int cmdAlias(Session& s, const Options& o, std::FILE* out) {
    if (o.words.size() < 2) throw UsageError{"usage: vlmtool alias add|delete|list ..."};
    const std::string& sub = o.words[1];
    if (sub == "list") {
        need(o, 2, 2, "alias list");
        std::string text;
        for (const auto& a : s.aliasNames()) text += a + "\t" + s.aliasDriverName(a) + "\n";
        std::fputs(text.c_str(), out);
        return 0;
    }
    if (sub == "add") {
        if (o.words.size() < 4) throw UsageError{"usage: vlmtool alias add NAME DRIVER [PARAM=VALUE ...]"};
        std::vector<std::string> params(o.words.begin() + 4, o.words.end());
        for (const auto& p : params)
            if (p.find('=') == std::string::npos) throw UsageError{"not a PARAM=VALUE argument: " + p};
        s.addAlias(o.words[2], o.words[3], params);
        s.saveConfigFile();
        return 0;
    }
    if (sub == "delete") {
        need(o, 3, 3, "alias delete NAME");
        s.deleteAlias(o.words[2]);
        s.saveConfigFile();
        return 0;
    }
    throw UsageError{"unknown alias command " + sub};
}

int cmdDemo(const Options& o, std::FILE* out) {
    need(o, 2, 2, "demo FILE");
    auto tables = writeDemoDatabase(o.words[1]);
    std::fprintf(out, "Demo database written: %s (%zu tables)\n", o.words[1].c_str(), tables.size());
    return 0;
}

}  // namespace

int run(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    try {
        Options o = parse(args);
        if (o.words.empty()) throw UsageError{};
        const std::string& cmd = o.words[0];
        if ((cmd != "export" && o.fieldsGiven) || (cmd != "export" && o.xlsx) ||
            (cmd != "compare" && (o.count || o.types || o.data || o.key)))
            throw UsageError{"--fields and --xlsx belong to export, --count, --types, --data and --key to compare"};
        if (cmd != "copy" && cmd != "compare" && !(o.sourceUser + o.sourcePassword + o.destUser + o.destPassword).empty())
            throw UsageError{"--source-user, --source-password, --dest-user and --dest-password belong to copy and compare"};
        if (cmd == "demo") return cmdDemo(o, out);
        Session& s = Session::defaultSession();
        if (cmd == "alias" || !s.configErrors().empty())
            for (const auto& e : s.configErrors()) std::fprintf(err, "vlmtool: warning: %s\n", e.c_str());
        if (cmd == "tables") return cmdTables(s, o, out);
        if (cmd == "fields") return cmdFields(s, o, out);
        if (cmd == "dump") return cmdDump(s, o, out);
        if (cmd == "sql") return cmdSql(s, o, out);
        if (cmd == "script") return cmdScript(s, o, out);
        if (cmd == "copy") return cmdCopy(s, o, out);
        if (cmd == "ddl") return cmdDdl(s, o, out, err);
        if (cmd == "alias") return cmdAlias(s, o, out);
        if (cmd == "export") return cmdExport(s, o, out, err);
        if (cmd == "import") return cmdImport(s, o, out, err);
        if (cmd == "compare") return cmdCompare(s, o, out, err);
        if (cmd == "objects") return cmdObjects(o, out);
        throw UsageError{"unknown command " + cmd};
    } catch (const UsageError& u) {
        if (u.help) {
            std::fputs(kUsage, out);
            return 0;
        }
        if (!u.text.empty()) std::fprintf(err, "vlmtool: %s\n", u.text.c_str());
        std::fputs(kUsage, err);
        return 2;
    } catch (const EngineError& e) {
        std::fflush(out);
        std::fprintf(err, "vlmtool: %s\n", e.what());
        return 1;
    } catch (const std::exception& e) {
        std::fflush(out);
        std::fprintf(err, "vlmtool: %s\n", e.what());
        return 1;
    }
}

}  // namespace vlm::tools
