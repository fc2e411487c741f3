// Batch move benchmark programs, run by bench/run-copy.sh:
//   bench_copy copy DIR DATABASE TABLE [PARAM=VALUE ...]
//       copies DIR/BENCH.DBF into TABLE of DATABASE ("SQLITE:/x.sqlite",
//       "POSTGRESQL:host:port/db", "INTRBASE:host/port:/path") with the engine's batch move
//       (batCopy); prints the rows moved and the seconds
//   bench_copy csv DIR FILE
//       writes the rows of DIR/BENCH.DBF as CSV without a header, in the forms the batch move
//       stores them in SQLite (numbers as numbers, dates as YYYY-MM-DD, logicals as 1/0), so that
//       the sqlite3 shell's .import loads the same values
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/batchmove.h"
#include "engine/database.h"
#include "engine/driver.h"
#include "engine/error.h"
#include "engine/registry.h"
#include "engine/table.h"

using namespace vlm::engine;
using Clock = std::chrono::steady_clock;

static double since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

static int copy(const std::string& dir, const std::string& dbName, const std::string& table,
                std::vector<std::string> params) {
    Database dest;
    dest.setDatabaseName(dbName);
    dest.params() = std::move(params);
    dest.open();
    Table src;
    src.setDatabaseName(dir);
    src.setTableName("BENCH.DBF");
    Table out;
    out.setDatabase(&dest);
    out.setTableName(table);
    auto t0 = Clock::now();
    BatchMove move;
    move.source = &src;
    move.destination = &out;
    move.mode = batCopy;
    move.execute();
    std::printf("copy rows=%lld seconds=%.3f\n", (long long)move.movedCount(), since(t0));
    return 0;
}

static void csvText(std::string& out, const std::string& s) {
    bool quote = s.find_first_of(",\"\n\r") != std::string::npos;
    if (!quote) {
        out += s;
        return;
    }
    out += '"';
    for (char c : s) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

static int csv(const std::string& dir, const std::string& file) {
    auto conn = DriverRegistry::standard().create("STANDARD")->connect({dir, {}}, nullTracer());
    auto cur = conn->openTable("BENCH.DBF", {});
    std::FILE* f = std::fopen(file.c_str(), "w");
    if (!f) {
        std::perror(file.c_str());
        return 1;
    }
    std::vector<Row> rows;
    std::string line;
    char num[64];
    bool more = true;
    while (more) {
        more = cur->fetchInto(4096, rows);
        for (const auto& r : rows) {
            line.clear();
            for (std::size_t i = 0; i < r.values.size(); ++i) {
                if (i) line += ',';
                const Value& v = r.values[i];
                if (v.isNull()) continue;
                if (v.is<bool>()) line += v.get<bool>() ? '1' : '0';
                else if (v.is<std::int64_t>()) line += std::to_string(v.get<std::int64_t>());
                else if (v.is<double>()) {
                    std::snprintf(num, sizeof num, "%.15g", v.get<double>());
                    line += num;
                } else if (v.is<Date>()) {
                    const Date& d = v.get<Date>();
                    std::snprintf(num, sizeof num, "%04d-%02d-%02d", d.year, d.month, d.day);
                    line += num;
                } else csvText(line, v.asText());
            }
            line += '\n';
            std::fwrite(line.data(), 1, line.size(), f);
        }
    }
    return std::fclose(f) == 0 ? 0 : 1;
}

int main(int argc, char** argv) {
    try {
        if (argc >= 5 && !std::strcmp(argv[1], "copy"))
            return copy(argv[2], argv[3], argv[4], std::vector<std::string>(argv + 5, argv + argc));
        if (argc == 4 && !std::strcmp(argv[1], "csv")) return csv(argv[2], argv[3]);
    } catch (const EngineError& e) {
        std::fprintf(stderr, "bench_copy: %s\n", e.what());
        return 1;
    }
    std::fprintf(stderr, "usage: bench_copy copy DIR DATABASE TABLE [PARAM=VALUE ...] | csv DIR FILE\n");
    return 2;
}
