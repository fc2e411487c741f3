// Writes seed inputs for the fuzzers from files the system itself writes: the demo folder and
// one table of every level. Usage: fuzz_dbase_seeds <corpus-root>
#include <sys/stat.h>

#include <fstream>
#include <iterator>

#include "engine/drivers/local/dbase/dbf.h"
#include "engine/drivers/local/dir/demo.h"
#include "engine/drivers/local/dir/localddl.h"

using namespace vlm::engine;
using namespace vlm::engine::local;

static std::string slurp(const std::string& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
static void put(const std::string& p, const std::string& d) { std::ofstream(p, std::ios::binary) << d; }

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    std::string root = argv[1], src = root + "/src";
    for (const char* d : {"", "/src", "/dbf", "/memo", "/mdx", "/localddl", "/keyexpr"}) ::mkdir((root + d).c_str(), 0755);
    writeDemoFolder(src);
    for (int level : {3, 4, 7, 0x30, 0xF5}) {
        std::string p = src + "/L" + std::to_string(level) + ".DBF";
        dbase::DbaseFormat().create(posixFileSystem(), p,
                                    {localFieldType("C", "CHAR", 5, -1), localFieldType("N", "NUMERIC", 8, 2),
                                     localFieldType("D", "DATE", -1, -1), localFieldType("M", "MEMO", -1, -1)},
                                    {{"BYC", {"C"}}}, {level, ""});
        auto t = dbase::DbfTable::open(posixFileSystem(), p, {false, false});
        t->appendRecord({Value("abc"), Value(1.5), Value(Date{2000, 1, 1}), Value("memo text")});
    }
    {
        // An .NDX index, tied to its table through the table's .INF.
        auto t = dbase::DbfTable::open(posixFileSystem(), src + "/L4.DBF", {true, false});
        t->createIndex({"BYN.NDX", {"N"}, false, false, false, {}});
    }
    int n = 0;
    for (const char* ndx : {"BYN.NDX"}) put(root + "/mdx/ndx" + std::to_string(n++), slurp(src + "/" + ndx));
    put(root + "/mdx/inf", slurp(src + "/L4.INF"));
    for (const char* base : {"CUSTOMER", "ORDERS", "GOROD", "L3", "L4", "L7", "L48", "L245"}) {
        std::string dbf = slurp(src + "/" + base + ".DBF");
        std::string memo = slurp(src + "/" + base + ".DBT");
        if (memo.empty()) memo = slurp(src + "/" + base + ".FPT");
        std::string total = dbf + memo;
        std::string seed(1, char(total.empty() ? 0 : dbf.size() * 256 / (total.size() + 1)));
        put(root + "/dbf/" + std::to_string(n) , seed + total);
        put(root + "/memo/" + std::to_string(n), std::string("\x01\x02\x03\x04", 4) + memo);
        std::string mdx = slurp(src + "/" + base + ".MDX");
        if (!mdx.empty()) put(root + "/mdx/" + std::to_string(n), mdx);
        ++n;
    }
    const char* ddl[] = {
        "create table \"X.DBF\"\n(\nA CHAR(10), \nB NUMERIC(10,2), \nC BLOB(20,1), \nD DATE\n)",
        "CREATE UNIQUE INDEX I ON \"X.DBF\"\n(\nA, \nB\n)",
        "Drop Index \"X.DBF\".I",
        "ALTER TABLE \"X.DBF\" ADD E BOOLEAN, DROP B",
        "DROP TABLE \"X.DBF\"",
        "create table \"P.DB\" (K INTEGER, T FORMATTED MEMO, PRIMARY KEY (K))",
    };
    for (const char* s : ddl) put(root + "/localddl/" + std::to_string(n++), s);
    // Key expressions: the text, a newline, then the record the fuzzer evaluates it over.
    const char* exprs[] = {
        "NAME", "UPPER(NAME)+DTOS(SOLD)", "STR(QTY,8,2)+LEFT(NAME,3)", "IIF(OK,'Y','N')+SUBSTR(NAME,2,4)",
        "DTOS(SOLD+30)", "VAL(NAME)-QTY", "IIF(DELETED(),'1','0')+STR(RECNO(),7)", "ALLTRIM(LOWER(NAME))+'x'",
    };
    for (const char* e : exprs) put(root + "/keyexpr/" + std::to_string(n++), std::string(e) + "\n Alpha     12.5020240229T");
    return 0;
}
