// Paradox benchmark programs, run by bench/run-paradox.sh:
//   bench_paradox gen DIR ROWS   writes DIR/BENCH.DB (+ .MB): the 12 fields of the dBase bench
//   bench_paradox scan DIR       full scan of every field through the driver's table cursor
//   bench_paradox sql DIR        the aggregate through local SQL, then the same rows in a native
//                                SQLite table; prints both times and their ratio
#include <sqlite3.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/drivers/local/dir/localdriver.h"
#include "engine/drivers/local/paradox/paradox.h"
#include "engine/registry.h"

using namespace vlm::engine;
using namespace vlm::engine::local;
using Clock = std::chrono::steady_clock;

static double since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

static const char* kAgg = "SELECT REGION, COUNT(*), SUM(AMOUNT), SUM(QTY) FROM BENCH GROUP BY REGION";

static FieldDef fd(const char* name, FieldType t, int size = 0, int scale = 0) {
    FieldDef d;
    d.name = name, d.type = t, d.size = size, d.scale = scale;
    return d;
}

static int gen(const std::string& dir, long rows) {
    ::mkdir(dir.c_str(), 0755);
    std::string p = dir + "/BENCH.DB";
    auto fmt = paradox::makeParadoxFormat();
    fmt->create(posixFileSystem(), p,
                {fd("ID", FieldType::Integer), fd("NAME", FieldType::String, 30), fd("CITY", FieldType::String, 20),
                 fd("REGION", FieldType::String, 10), fd("AMOUNT", FieldType::Currency), fd("QTY", FieldType::Smallint),
                 fd("RATE", FieldType::Float), fd("SOLD", FieldType::Date), fd("DUE", FieldType::Date),
                 fd("PAID", FieldType::Boolean), fd("CODE", FieldType::String, 8), fd("NOTES", FieldType::Memo, 10)},
                {}, {});
    auto t = fmt->open(posixFileSystem(), p, {true, false});
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
    t->flush();
    return 0;
}

static int scan(const std::string& dir) {
    auto conn = DriverRegistry::standard().create("STANDARD")->connect({dir, {}}, nullTracer());
    auto t0 = Clock::now();
    auto cur = conn->openTable("BENCH.DB", {});
    std::vector<Row> rows;
    long long n = 0, chars = 0;
    bool more = true;
    while (more) {
        rows.clear();
        more = cur->fetch(1024, rows);
        for (auto& r : rows) {
            ++n;
            chars += std::int64_t(r.values[1].isNull() ? 0 : r.values[1].get<std::string>().size());
        }
    }
    std::printf("scan rows=%lld seconds=%.3f\n", n, since(t0));
    return chars > 0 ? 0 : 1;
}

static int sql(const std::string& dir) {
    auto conn = DriverRegistry::standard().create("STANDARD")->connect({dir, {}}, nullTracer());
    auto t0 = Clock::now();
    auto cur = conn->prepare(kAgg)->execute();
    std::vector<Row> rows;
    while (cur->fetch(100, rows)) {}
    double local = since(t0);
    sqlite3* db = nullptr;
    sqlite3_open(":memory:", &db);
    sqlite3_exec(db, "CREATE TABLE BENCH(ID INTEGER, REGION TEXT, AMOUNT REAL, QTY INTEGER)", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* ins = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO BENCH VALUES (?,?,?,?)", -1, &ins, nullptr);
    auto tab = conn->openTable("BENCH.DB", {});
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
    if (argc >= 4 && !std::strcmp(argv[1], "gen")) return gen(argv[2], std::atol(argv[3]));
    if (argc >= 3 && !std::strcmp(argv[1], "scan")) return scan(argv[2]);
    if (argc >= 3 && !std::strcmp(argv[1], "sql")) return sql(argv[2]);
    std::fprintf(stderr, "usage: bench_paradox gen DIR ROWS | scan DIR | sql DIR\n");
    return 2;
}
