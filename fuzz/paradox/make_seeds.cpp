// Writes the Paradox fuzzer's seed corpus into <dir>/paradox: tables the system writes (demo
// tables, every field type, keyed), each as length-prefixed .DB followed by its .MB.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "engine/drivers/local/paradox/paradox.h"

namespace {
std::vector<char> slurp(const std::string& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
void seed(const std::string& out, const std::string& db, const std::string& mb) {
    auto d = slurp(db), m = slurp(mb);
    std::ofstream o(out, std::ios::binary);
    std::uint32_t n = std::uint32_t(d.size());
    char len[4] = {char(n), char(n >> 8), char(n >> 16), char(n >> 24)};
    o.write(len, 4);
    o.write(d.data(), std::streamsize(d.size()));
    o.write(m.data(), std::streamsize(m.size()));
}
}  // namespace

int main(int argc, char** argv) {
    using namespace vlm::engine;
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s corpus-dir\n", argv[0]);
        return 2;
    }
    std::string dir = std::string(argv[1]) + "/paradox";
    ::mkdir(argv[1], 0755);
    ::mkdir(dir.c_str(), 0755);
    std::string work = dir + "/.work";
    ::mkdir(work.c_str(), 0755);
    local::paradox::writeParadoxDemoTables(work);
    seed(dir + "/customer", work + "/CLIENTS.DB", work + "/none");
    seed(dir + "/species", work + "/SPECIES.DB", work + "/SPECIES.MB");
    auto fmt = local::paradox::makeParadoxFormat();
    for (int level : {3, 5, 7}) {
        std::vector<FieldDef> f;
        auto add = [&](const char* n, FieldType t, int size = 0, int scale = 0) {
            FieldDef d;
            d.name = n, d.type = t, d.size = size, d.scale = scale;
            f.push_back(d);
        };
        add("ID", FieldType::Smallint);
        add("A", FieldType::String, 12);
        add("N", FieldType::Float);
        add("D", FieldType::Date);
        if (level >= 5) {
            add("T", FieldType::Time), add("S", FieldType::DateTime), add("B", FieldType::BCD, 32, 2);
            add("M", FieldType::Memo, 4), add("L", FieldType::Boolean), add("X", FieldType::Bytes, 3);
        }
        IndexDef pk;
        pk.primary = true;
        pk.fields = {"ID"};
        local::CreateOptions o;
        o.level = level;
        std::string p = work + "/L" + std::to_string(level) + ".DB";
        fmt->create(local::posixFileSystem(), p, f, {pk}, o);
        auto t = fmt->open(local::posixFileSystem(), p, {});
        for (int i = 0; i < 40; ++i) {
            std::vector<Value> v = {i, "row" + std::to_string(i), i * 0.5, Date{2000, 1, 1 + i % 28}};
            if (level >= 5)
                v.insert(v.end(), {Time{1, 2, 3, 0}, DateTime{{2001, 2, 3}, {4, 5, 6, 0}}, Decimal{"1.25"},
                                   std::string(i * 20, 'm'), true, Bytes{1, 2, 3}});
            t->appendRecord(v);
        }
        t.reset();
        seed(dir + "/level" + std::to_string(level), p, work + "/L" + std::to_string(level) + ".MB");
    }
    return 0;
}
