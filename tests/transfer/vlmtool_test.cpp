// vlmtool export, import and compare run as a user runs them, in a directory of their own
// (the compare log lands in the current directory), against SQLite and a dBase directory.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

struct Result {
    int status = -1;
    std::string out, err;
};

std::string readAll(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

std::string quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

class Vlmtool : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("vlm-transfer-tool-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir / "local");
        a = "SQLITE:" + (dir / "a.sqlite").string();
        b = "SQLITE:" + (dir / "b.sqlite").string();
        for (const auto& db : {a, b}) {
            sql(db, "create table t (id integer primary key, name varchar(20), qty integer)");
            for (int i = 1; i <= 5; ++i)
                sql(db, "insert into t values (" + std::to_string(i) + ", 'n" + std::to_string(i) + "', " + std::to_string(i * 10) + ")");
        }
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    Result run(const std::vector<std::string>& args) {
        std::string cmd = "cd " + quote(dir.string()) + " && VLM_ENGINE_CFG=" + quote((dir / "none.cfg").string()) + " " +
                          quote(VLMTOOL_PATH);
        for (const auto& x : args) cmd += " " + quote(x);
        cmd += " 2>" + quote((dir / "err.txt").string());
        Result r;
        FILE* p = ::popen(cmd.c_str(), "r");
        std::array<char, 4096> buf;
        std::size_t n;
        while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0) r.out.append(buf.data(), n);
        int st = ::pclose(p);
        r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
        r.err = readAll(dir / "err.txt");
        return r;
    }
    void sql(const std::string& db, const std::string& text) {
        Result r = run({"sql", db, text});
        ASSERT_EQ(r.status, 0) << text << ": " << r.err;
    }
    fs::path dir;
    std::string a, b;
};

TEST_F(Vlmtool, ExportImportAndCompareRoundTrip) {
    Result r = run({"export", a, "t", "t.txt", "--delimiter", "|", "--fields", "id,name,qty"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "5 rows exported to t.txt\n");
    EXPECT_EQ(readAll(dir / "t.txt").substr(0, 26), "3\r\nid|name|qty|\r\n3|1|3|\r\n1");
    sql(b, "delete from t");
    r = run({"import", "t.txt", b, "t"});   // the delimiter from the type line
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "5 rows imported into t\n");
    r = run({"compare", a, "t", b, "t", "--count", "--types", "--data"});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(r.out, readAll(dir / "TBLSCOMP.LOG"));
    EXPECT_NE(r.out.find("ROW COUNT - t(5) = t(5)\r\n\r\nComared Ok!\r\n"), std::string::npos) << r.out;

    // Into a dBase table and back: the .DBF import by its extension.
    ASSERT_EQ(run({"copy", a, "t", (dir / "local").string(), "T.DBF"}).status, 0);
    sql(b, "delete from t");
    r = run({"import", (dir / "local" / "T.DBF").string(), b, "t"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(run({"compare", a, "t", b, "t", "--key"}).status, 0);
}

TEST_F(Vlmtool, CompareExitsOneOnDifferencesAndBadCommandLinesTwo) {
    sql(b, "update t set qty = 99 where id = 3");
    sql(b, "delete from t where id = 5");
    Result r = run({"compare", a, "t", b, "t", "--key"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("    3: qty [id=3] -> \"30\" <> \"99\"\r\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("    5: id=5 -> missing in t\r\n2 comared errors!"), std::string::npos) << r.out;
    r = run({"compare", a, "t", b, "t", "--count"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("ROW COUNT - t(5) <> t(4)"), std::string::npos);
    struct Case {
        std::vector<std::string> args;
        std::string says;
    } cases[] = {
        {{"export", a, "t"}, "usage: vlmtool export DB TABLE FILE"},
        {{"import", "x.txt", a}, "usage: vlmtool import FILE DB TABLE"},
        {{"compare", a, "t", b}, "usage: vlmtool compare DB1 TABLE1 DB2 TABLE2"},
        {{"dump", a, "t", "--xlsx"}, "--fields and --xlsx belong to export"},
        {{"export", a, "t", "x.txt", "--key"}, "--count, --types, --data and --key to compare"},
    };
    for (const auto& c : cases) {
        r = run(c.args);
        EXPECT_EQ(r.status, 2) << c.says;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    }
    // Engine errors: exit 1 with the error's text, and no file under the chosen name.
    r = run({"export", a, "nosuch", "n.txt"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Can't Open Table - nosuch"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir / "n.txt"));
    std::ofstream(dir / "bad.txt", std::ios::binary) << "3\r\nid;name;qty;\r\n3;1;3;\r\n7;x;\r\n";
    r = run({"import", "bad.txt", b, "t"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Line 4 holds 2 delimited fields instead of 3"), std::string::npos) << r.err;
}

TEST_F(Vlmtool, WorkbookExport) {
    Result r = run({"export", a, "t", "t.xlsx", "--xlsx"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "5 rows exported to t.xlsx\n");
    EXPECT_EQ(readAll(dir / "t.xlsx").substr(0, 2), "PK");   // a zip container
}

}  // namespace
