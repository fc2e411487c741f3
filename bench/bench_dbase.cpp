// dBase benchmark programs, run by bench/run-dbase.sh:
//   bench_dbase gen DIR ROWS [LEVEL]  writes DIR/BENCH.DBF (+ .DBT, or .FPT at LEVEL 245, the
//                                FoxPro layout pgdbf reads memos from): 12 fields, deterministic
//   bench_dbase scan DIR         full scan of every field through the driver's table cursor
//   bench_dbase dataset DIR      the same scan through the engine's Table dataset
//   bench_dbase records DIR      every record through the Table dataset, no field read
//   bench_dbase sql DIR          the aggregate through local SQL, then the same rows in a
//                                native SQLite table; prints both times and their ratio
#include <sqlite3.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <type_traits>
#include <variant>

#include "engine/drivers/local/dbase/dbf.h"
#include "engine/drivers/local/dir/localddl.h"
#include "engine/drivers/local/dir/localdriver.h"
#include "engine/registry.h"
#include "engine/table.h"

using namespace vlm::engine;
using namespace vlm::engine::local;
using Clock = std::chrono::steady_clock;

static double since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

static const char* kAgg = "SELECT REGION, COUNT(*), SUM(AMOUNT), SUM(QTY) FROM BENCH GROUP BY REGION";

static int gen(const std::string& dir, long rows, int level) {
    ::mkdir(dir.c_str(), 0755);
    std::string p = dir + "/BENCH.DBF";
    for (const char* e : {"DBF", "DBT", "FPT", "MDX"}) posixFileSystem().remove(dir + "/BENCH." + e);
    auto c = [](const char* n, const char* t, int s = -1, int sc = -1) { return localFieldType(n, t, s, sc); };
    dbase::DbaseFormat().create(posixFileSystem(), p,
        {c("ID", "NUMERIC", 9, 0), c("NAME", "CHAR", 30), c("CITY", "CHAR", 20), c("REGION", "CHAR", 10),
         c("AMOUNT", "NUMERIC", 12, 2), c("QTY", "NUMERIC", 6, 0), c("RATE", "NUMERIC", 8, 4),
         c("SOLD", "DATE"), c("DUE", "DATE"), c("PAID", "BOOLEAN"), c("CODE", "CHAR", 8), c("NOTES", "MEMO")},
        {}, {level, ""});
    auto t = dbase::DbfTable::open(posixFileSystem(), p, {true, false});
    static const char* regions[] = {"NORTH", "SOUTH", "EAST", "WEST", "CENTRE"};
    std::uint32_t x = 12345;
    auto rnd = [&] { x = x * 1103515245u + 12345u; return x >> 8; };
    for (long i = 0; i < rows; ++i) {
        std::uint32_t r = rnd();
        t->appendRecord({Value(std::int64_t(i + 1)), Value("Customer " + std::to_string(r % 100000)),
                         Value("City " + std::to_string(r % 500)), Value(regions[r % 5]),
                         Value(double(r % 10000000) / 100.0), Value(std::int64_t(r % 1000)), Value(double(r % 100000) / 10000.0),
                         Value(Date{2000 + int(r % 24), 1 + int(r % 12), 1 + int(r % 28)}), Value(Date{2024, 1 + int(r % 12), 1}),
                         Value(r % 2 == 0), Value("C" + std::to_string(r % 1000000)),
                         i % 10 == 0 ? Value("memo for row " + std::to_string(i)) : Value()});
    }
    return 0;
}

// Folds one value into a checksum, so that every field of every row is read and two builds
// can be compared: the same table gives the same sum.
static std::uint64_t fold(std::uint64_t h, const Value& v) {
    std::uint64_t x = std::visit([](const auto& a) -> std::uint64_t {
        using T = std::decay_t<decltype(a)>;
        if constexpr (std::is_same_v<T, std::monostate>) return 0x9e37;
        else if constexpr (std::is_same_v<T, bool>) return a ? 3 : 5;
        else if constexpr (std::is_same_v<T, std::int64_t>) return std::uint64_t(a);
        else if constexpr (std::is_same_v<T, double>) { std::uint64_t b; std::memcpy(&b, &a, 8); return b; }
        else if constexpr (std::is_same_v<T, std::string>) return a.size() * 131 + (a.empty() ? 0 : std::uint8_t(a.back()));
        else if constexpr (std::is_same_v<T, Date>) return std::uint64_t(a.year * 10000 + a.month * 100 + a.day);
        else if constexpr (std::is_same_v<T, Decimal>) return a.text.size();
        else if constexpr (std::is_same_v<T, Bytes>) return a.size();
        else return 7;
    }, v.storage());
    return (h ^ x) * 0x100000001b3ull;
}

// Every field of every record through the driver's table cursor, over recycled rows.
static int scan(const std::string& dir) {
    auto conn = DriverRegistry::standard().create("STANDARD")->connect({dir, {}}, nullTracer());
    auto t0 = Clock::now();
    auto cur = conn->openTable("BENCH.DBF", {});
    std::vector<Row> rows;
    std::int64_t n = 0;
    std::uint64_t h = 0;
    bool more = true;
    while (more) {
        more = cur->fetchInto(1024, rows);
        for (auto& r : rows) {
            ++n;
            for (const auto& v : r.values) h = fold(h, v);
        }
    }
    std::printf("scan rows=%lld seconds=%.3f sum=%016llx\n", (long long)n, since(t0), (unsigned long long)h);
    return n > 0 ? 0 : 1;
}

// Every record through the engine's Table dataset, as a program reads a table: every field
// of each (mode "dataset"), or none (mode "records": a dataset decodes the fields of a record
// only when they are read).
static int datasetScan(const std::string& dir, bool everyField) {
    const char* mode = everyField ? "dataset" : "records";
    auto t0 = Clock::now();
    Table t;
    t.setDatabaseName(dir);
    t.setTableName("BENCH.DBF");
    t.open();
    std::int64_t n = 0;
    std::uint64_t h = 0;
    int fields = everyField ? t.fieldCount() : 0;
    for (t.first(); !t.eof(); t.next()) {
        ++n;
        if (!everyField) h = (h ^ std::uint64_t(t.recNo())) * 0x100000001b3ull;
        for (int f = 0; f < fields; ++f) h = fold(h, t.field(f).value());
    }
    std::printf("%s rows=%lld seconds=%.3f sum=%016llx\n", mode, (long long)n, since(t0), (unsigned long long)h);
    return n > 0 ? 0 : 1;
}

static int sql(const std::string& dir) {
    auto conn = DriverRegistry::standard().create("STANDARD")->connect({dir, {}}, nullTracer());
    auto t0 = Clock::now();
    auto cur = conn->prepare(kAgg)->execute();
    std::vector<Row> rows;
    while (cur->fetch(100, rows)) {}
    double local = since(t0);
    // The same rows in a native SQLite table.
    sqlite3* db = nullptr;
    sqlite3_open(":memory:", &db);
    sqlite3_exec(db, "CREATE TABLE BENCH(ID INTEGER, REGION TEXT, AMOUNT REAL, QTY INTEGER)", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* ins = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO BENCH VALUES (?,?,?,?)", -1, &ins, nullptr);
    auto tab = conn->openTable("BENCH.DBF", {});
    std::vector<Row> block;
    bool more = true;
    while (more) {
        block.clear();
        more = tab->fetch(4096, block);
        for (auto& r : block) {
            sqlite3_bind_int64(ins, 1, r.values[0].asInteger());
            std::string reg = r.values[3].asText();
            sqlite3_bind_text(ins, 2, reg.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_double(ins, 3, r.values[4].asFloat());
            sqlite3_bind_int64(ins, 4, r.values[5].asInteger());
            sqlite3_step(ins);
            sqlite3_reset(ins);
        }
    }
    sqlite3_finalize(ins);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    auto t1 = Clock::now();
    sqlite3_exec(db, kAgg, [](void*, int, char**, char**) { return 0; }, nullptr, nullptr);
    double native = since(t1);
    sqlite3_close(db);
    std::printf("sql local=%.3f native=%.3f ratio=%.2f groups=%zu\n", local, native, local / native, rows.size());
    return 0;
}

int main(int argc, char** argv) {
    if (argc >= 4 && !std::strcmp(argv[1], "gen")) return gen(argv[2], std::atol(argv[3]), argc >= 5 ? std::atoi(argv[4]) : 0);
    if (argc >= 3 && !std::strcmp(argv[1], "scan")) return scan(argv[2]);
    if (argc >= 3 && !std::strcmp(argv[1], "sql")) return sql(argv[2]);
    if (argc >= 3 && !std::strcmp(argv[1], "dataset")) return datasetScan(argv[2], true);
    if (argc >= 3 && !std::strcmp(argv[1], "records")) return datasetScan(argv[2], false);
    std::fprintf(stderr, "usage: bench_dbase gen DIR ROWS | scan DIR | dataset DIR | records DIR | sql DIR\n");
    return 2;
}
