// dBase indexes: key expressions, expression tags kept and rebuilt, single indexes (.NDX)
// tied to their table by its .INF, the index layouts byte for byte, and values that do not fit
// their field refused instead of cut.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>

#include "engine/drivers/local/dbase/codepage.h"
#include "engine/drivers/local/dbase/dbf.h"
#include "engine/drivers/local/dbase/keyexpr.h"
#include "engine/drivers/local/dbase/mdx.h"
#include "engine/drivers/local/dir/localddl.h"
#include "engine/drivers/local/dir/localdriver.h"
#include "engine/error.h"
#include "engine/registry.h"
#include "testutil.h"

using namespace vlm::engine;
using namespace vlm::engine::local;
using namespace vlm::engine::local::dbase;
using vlm::test::readAll;
using vlm::test::TempDir;
using vlm::test::writeAll;

namespace {

FieldDef col(const char* n, const char* t, int s = -1, int sc = -1) { return localFieldType(n, t, s, sc); }

std::string errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const EngineError& e) {
        return e.what();
    }
    return "";
}

std::unique_ptr<DbfTable> openT(const std::string& p, bool readOnly = false) {
    return DbfTable::open(posixFileSystem(), p, {false, readOnly});
}

std::vector<std::uint32_t> recnos(const std::vector<std::pair<std::string, std::uint32_t>>& keys) {
    std::vector<std::uint32_t> out;
    for (const auto& k : keys) out.push_back(k.second);
    return out;
}

// LAST C(10), FIRST C(8), N N(8,2), D D, L L, CODE C(5), laid out as in a record.
const std::vector<KeyField> kFields = {{"LAST", 'C', 1, 10, 0},  {"FIRST", 'C', 11, 8, 0}, {"N", 'N', 19, 8, 2},
                                       {"D", 'D', 27, 8, 0},     {"L", 'L', 35, 1, 0},     {"CODE", 'C', 36, 5, 0}};

std::string record(const std::string& last, const std::string& first, const std::string& n, const std::string& d,
                   char l, const std::string& code, bool deleted = false) {
    auto pad = [](std::string s, std::size_t w, bool right) {
        return right ? std::string(w - s.size(), ' ') + s : s + std::string(w - s.size(), ' ');
    };
    return std::string(1, deleted ? '*' : ' ') + pad(last, 10, false) + pad(first, 8, false) + pad(n, 8, true) +
           pad(d, 8, false) + std::string(1, l) + pad(code, 5, false);
}

std::string keyOf(const std::string& expr, const std::string& rec, std::int64_t recno = 7) {
    KeyExpr e(expr, kFields);
    KeyValue v = e.eval(reinterpret_cast<const std::uint8_t*>(rec.data()), recno);
    if (v.type == 'C') return v.text;
    char b[64];
    std::snprintf(b, sizeof b, "%c:%.10g", v.type, v.number);
    return b;
}

}  // namespace

TEST(KeyExpr, EvaluatesTheFunctionsOfIndexKeys) {
    const std::string smith = record("smith", "john", "12.50", "19990102", 'T', " 042");
    const std::string blank = record("", "", "", "", ' ', "", true);
    struct Case {
        const char* expr;
        const std::string& rec;
        std::string key;
    } cases[] = {
        {"LAST", smith, "smith     "},
        {"UPPER(LAST)", smith, "SMITH     "},
        {"upper(last)+first", smith, "SMITH     john    "},
        {"LAST+FIRST", smith, "smith     john    "},
        {"LAST-FIRST", smith, "smithjohn         "},          // the blanks of LAST move to the end
        {"TRIM(LAST)+FIRST", smith, "smithjohn         "},      // padded to the longest possible key
        {"LOWER(UPPE(LAST))", smith, "smith     "},             // four-letter abbreviation
        {"DTOS(D)", smith, "19990102"},
        {"DTOS(D)", blank, "        "},
        {"DTOC(D)", smith, "01/02/99"},
        {"STR(N,8,2)+LAST", smith, "   12.50smith     "},
        {"STR(N)", smith, "        13"},                        // ten wide, halves rounded up
        {"STR(N,3,2)", smith, "***"},                           // too wide for its length
        {"STR(-N,6,1)", smith, " -12.5"},
        {"SUBSTR(LAST,2,3)", smith, "mit"},
        {"SUBS(LAST,4)", smith, "th     "},
        {"LEFT(LAST,3)+RIGHT(TRIM(FIRST),2)", smith, "smihn"},
        {"ALLTRIM(CODE)+'|'", smith, "042|  "},
        {"LTRIM(CODE)", smith, "042  "},
        {"IIF(DELETED(),'D','A')+LAST", smith, "Asmith     "},
        {"IIF(DELETED(),'D','A')", blank, "D"},
        {"IIF(N>10 .AND. L,\"big\",[small])", smith, "big  "},
        {"IIF(.NOT. L .OR. N<10,'x','y')", smith, "y"},
        {"IIF(LAST='smi','1','0')+IIF(LAST=='smi','1','0')+IIF('it'$LAST,'1','0')", smith, "101"},
        {"STR(RECNO(),6)", smith, "     7"},
        {"A->LAST", smith, "smith     "},
        {"N", smith, "N:12.5"},
        {"N-1+VAL(CODE)", smith, "N:53.5"},
        {"D+30", smith, "D:2451211"},
        {"D-1", blank, "D:0"},                                  // a blank date stays blank
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expr);
        EXPECT_EQ(keyOf(c.expr, c.rec), c.key);
    }
    EXPECT_EQ(KeyExpr("TRIM(LAST)+FIRST", kFields).width(), 18);
    EXPECT_EQ(KeyExpr("DTOS(D)+STR(N,8,2)", kFields).width(), 16);
}

TEST(KeyExpr, RefusesWhatItCannotEvaluateNamingIt) {
    struct Case {
        const char* expr;
        const char* says;
    } cases[] = {
        {"SOUNDEX(LAST)", "SOUNDEX() is not supported"},
        {"LAST+N", "cannot join character and numeric"},
        {"NOPE", "no field NOPE"},
        {"L", "logical result"},
        {"UPPER(N)", "UPPER() needs a character argument"},
        {"STR(N,LEN(LAST))", "LEN() is not supported"},
        {"STR(N,CODE)", "STR() needs a whole number"},
        {"UPPER(LAST", "')' is missing"},
        {"LAST+FIRST+LAST+FIRST+LAST+FIRST+LAST+FIRST+LAST+FIRST+LAST+FIRST", "1 to 100"},
        {"'abc", "not closed"},
        {"LAST FIRST", "unexpected 'FIRST'"},
        {"IIF(L,'a',N)", "different types"},
        {"", "empty"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expr);
        std::string e = errorOf([&] { KeyExpr(c.expr, kFields); });
        EXPECT_NE(e.find(c.says), std::string::npos) << e;
        if (*c.expr) EXPECT_NE(e.find(c.expr), std::string::npos) << e;   // the message quotes the expression
    }
    // Nesting from a damaged index file is refused, not followed until the stack runs out.
    for (std::string deep : {std::string(100000, '(') + "LAST", std::string(100000, '-') + "N", std::string(100000, '!') + "L"})
        EXPECT_NE(errorOf([&] { KeyExpr(deep, kFields); }).find("nested too deeply"), std::string::npos);
}

TEST(KeyExpr, PlainFieldListsAreRecognised) {
    using V = std::vector<std::string>;
    EXPECT_EQ(KeyExpr("LAST", kFields).fieldList(), V{"LAST"});
    EXPECT_EQ(KeyExpr("N", kFields).fieldList(), V{"N"});
    EXPECT_EQ(KeyExpr("last+FIRST", kFields).fieldList(), (V{"LAST", "FIRST"}));
    EXPECT_EQ(KeyExpr("LAST+STR(N,8,2)+DTOS(D)", kFields).fieldList(), (V{"LAST", "N", "D"}));
    EXPECT_TRUE(KeyExpr("UPPER(LAST)", kFields).fieldList().empty());
    EXPECT_TRUE(KeyExpr("N+N", kFields).fieldList().empty());   // a sum, not two fields
    EXPECT_EQ(fieldListExpression({"LAST", "n", "D"}, kFields), "LAST+STR(N,8,2)+DTOS(D)");
    EXPECT_EQ(fieldListExpression({"N"}, kFields), "N");
}

TEST(KeyExpr, UpperAndLowerFollowTheCodePage) {
    Transcoder cp866("CP866");
    CaseTables cases = caseTablesFor(cp866);
    std::string last = cp866.fromUtf8("иван ёж");
    std::string rec = record(last, "", "", "", 'F', "");
    KeyExpr up("UPPER(LAST)", kFields, &cases), low("LOWER(UPPER(LAST))", kFields, &cases);
    auto raw = reinterpret_cast<const std::uint8_t*>(rec.data());
    EXPECT_EQ(cp866.toUtf8(up.eval(raw, 1).text), "ИВАН ЁЖ   ");
    EXPECT_EQ(cp866.toUtf8(low.eval(raw, 1).text), "иван ёж   ");
}

// ---- expression tags of the production index ----------------------------------------------

TEST(DbfIndex, ExpressionTagFollowsEveryChangeAndPack) {
    TempDir d;
    std::string p = d / "E.DBF";
    DbaseFormat().create(posixFileSystem(), p, {col("NAME", "CHAR", 10), col("QTY", "NUMERIC", 6, 0), col("SOLD", "DATE")},
                         {}, {});
    auto fs = [] { return std::ref(posixFileSystem()); };
    {
        auto t = openT(p);
        for (const char* n : {"pear", "Apple", "fig"}) t->appendRecord({Value(n), Value(3), Value(Date{2001, 2, 3})});
        t->createIndex({"UNAME", {}, false, false, false, "UPPER(NAME)"});
        t->createIndex({"MIXED", {"qty", "sold", "name"}});
        t->appendRecord({Value("banana"), Value(1), Value(Date{2000, 1, 1})});
        t->updateRecord(0, {Value("Zucchini"), Value(2), Value(Date{2001, 2, 3})});
        t->deleteRecord(2);
    }
    auto keys = readMdxKeys(fs(), d / "E.MDX", "UNAME");
    EXPECT_EQ(recnos(keys), (std::vector<std::uint32_t>{2, 4, 3, 1}));   // APPLE BANANA FIG ZUCCHINI
    EXPECT_EQ(keys[0].first, "APPLE     ");
    auto tags = readMdxTags(fs(), d / "E.MDX");
    ASSERT_EQ(tags.size(), 2u);
    EXPECT_EQ(tags[0].expression, "UPPER(NAME)");
    EXPECT_EQ(tags[1].expression, "STR(QTY,6)+DTOS(SOLD)+NAME");
    EXPECT_EQ(tags[1].keyLength, 24);
    EXPECT_EQ(readMdxKeys(fs(), d / "E.MDX", "MIXED")[0].first, "     120000101banana    ");

    auto t = openT(p);
    auto defs = t->indexDefs();
    ASSERT_EQ(defs.size(), 2u);
    EXPECT_TRUE(defs[0].fields.empty());   // an expression index has no field list
    EXPECT_EQ(defs[0].expression, "UPPER(NAME)");
    EXPECT_EQ(defs[1].fields, (std::vector<std::string>{"QTY", "SOLD", "NAME"}));
    t->pack(nullptr);
    EXPECT_EQ(recnos(readMdxKeys(fs(), d / "E.MDX", "UNAME")), (std::vector<std::uint32_t>{2, 3, 1}));
}

TEST(DbfIndex, ExpressionTagLeftStaleByAnotherProgramIsRebuiltOnOpen) {
    TempDir d;
    std::string p = d / "S.DBF";
    DbaseFormat().create(posixFileSystem(), p, {col("NAME", "CHAR", 8)}, {}, {});
    {
        auto t = openT(p);
        for (const char* n : {"b", "a"}) t->appendRecord({Value(n)});
        t->createIndex({"UN", {}, false, false, false, "UPPER(NAME)"});
    }
    // Another program renames record 2 in place without touching the index.
    std::string data = readAll(p);
    std::string mdx = readAll(d / "S.MDX");
    auto at = data.rfind("a       ");
    ASSERT_NE(at, std::string::npos);
    data.replace(at, 1, "c");
    ::usleep(20000);
    writeAll(p, data);
    openT(p);   // opening for writing finds the index older than the table
    auto keys = readMdxKeys(posixFileSystem(), d / "S.MDX", "UN");
    EXPECT_EQ(recnos(keys), (std::vector<std::uint32_t>{1, 2}));
    EXPECT_EQ(keys[1].first, "C       ");
}

TEST(DbfIndex, ExpressionItCannotEvaluateRefusesChangesButReads) {
    TempDir d;
    std::string p = d / "U.DBF";
    DbaseFormat().create(posixFileSystem(), p, {col("NAME", "CHAR", 8)}, {{"BYNAME", {"NAME"}}}, {});
    openT(p)->appendRecord({Value("x")});
    // Another program's tag over a function this system does not evaluate.
    MdxTag good{"BYNAME", "NAME", 'C', 8}, odd{"SNDX", "SOUNDEX(NAME)", 'C', 4};
    good.keys = {{"x       ", 1}};
    odd.keys = {{"X000", 1}};
    writeMdx(posixFileSystem(), d / "U.MDX", "U", {good, odd});
    const std::string before = readAll(d / "U.MDX");

    auto t = openT(p);
    EXPECT_EQ(t->readField(0, 0), Value("x"));
    std::string e = errorOf([&] { t->appendRecord({Value("y")}); });
    EXPECT_NE(e.find("SNDX"), std::string::npos) << e;
    EXPECT_NE(e.find("SOUNDEX(NAME)"), std::string::npos) << e;
    for (const auto& change : std::vector<std::function<void()>>{
             [&] { t->updateRecord(0, {Value("z")}); }, [&] { t->deleteRecord(0); }, [&] { t->pack(nullptr); },
             [&] { t->empty(); }, [&] { t->createIndex({"OTHER", {"NAME"}}); }})
        EXPECT_NE(errorOf(change).find("SNDX"), std::string::npos);
    EXPECT_EQ(t->recordCount(), 1);
    t.reset();
    EXPECT_EQ(readAll(d / "U.MDX"), before);   // the index is left exactly as it was
    EXPECT_EQ(openT(p)->readField(0, 0), Value("x"));

    // Dropping the tag makes the table writable again.
    t = openT(p);
    t->dropIndex("SNDX");
    t->appendRecord({Value("a")});
    t.reset();
    EXPECT_EQ(recnos(readMdxKeys(posixFileSystem(), d / "U.MDX", "BYNAME")), (std::vector<std::uint32_t>{2, 1}));
}

// ---- single indexes (.NDX) tied by the .INF -----------------------------------------------

namespace {

void put32(std::string& s, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + std::size_t(i)] = char(v >> (8 * i));
}
void put16(std::string& s, std::size_t at, std::uint32_t v) {
    s[at] = char(v), s[at + 1] = char(v >> 8);
}
std::uint32_t get32(const std::string& s, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(s[at + std::size_t(i)]);
    return v;
}

// A dBase III .NDX as the published layout gives it: a 512-byte header page (root page, page
// count, key length, keys per page, key type, item length, unique flag, expression at 24), then
// one leaf page of (child 0, record number, key) items.
std::string handNdx(const std::string& expr, int keyLen, const std::vector<std::pair<std::string, std::uint32_t>>& keys) {
    std::string f(1024, '\0');
    int item = (keyLen + 8 + 3) / 4 * 4;
    put32(f, 0, 1);
    put32(f, 4, 2);
    put16(f, 12, std::uint32_t(keyLen));
    put16(f, 14, std::uint32_t((512 - 4) / item - 1));
    put16(f, 16, 0);
    put16(f, 18, std::uint32_t(item));
    f.replace(24, expr.size(), expr);
    put32(f, 512, std::uint32_t(keys.size()));
    for (std::size_t i = 0; i < keys.size(); ++i) {
        std::size_t at = 512 + 4 + i * std::size_t(item);
        put32(f, at + 4, keys[i].second);
        f.replace(at + 8, keys[i].first.size(), keys[i].first);
    }
    return f;
}

}  // namespace

TEST(Ndx, ListedIndexIsOpenedKeptAndRebuiltByPack) {
    TempDir d;
    std::string p = d / "T.DBF";
    DbaseFormat().create(posixFileSystem(), p, {col("NAME", "CHAR", 6), col("QTY", "NUMERIC", 4, 0)}, {}, {});
    {
        auto t = openT(p);
        for (const char* n : {"pear", "apple", "fig"}) t->appendRecord({Value(n), Value(std::int64_t(std::strlen(n)))});
    }
    writeAll(d / "byname.ndx", handNdx("UPPER(NAME)", 6, {{"APPLE ", 2}, {"FIG   ", 3}, {"PEAR  ", 1}}));
    writeAll(d / "T.INF", "[dbase]\r\nndx1=BYNAME.NDX\r\n");   // names and section in any case

    MdxTag read = readNdx(posixFileSystem(), d / "byname.ndx", true);   // our reader on the hand-made file
    EXPECT_EQ(read.expression, "UPPER(NAME)");
    EXPECT_EQ(recnos(read.keys), (std::vector<std::uint32_t>{2, 3, 1}));
    {
        auto t = openT(p);
        auto defs = t->indexDefs();
        ASSERT_EQ(defs.size(), 1u);
        EXPECT_EQ(defs[0].name, "BYNAME.NDX");
        EXPECT_EQ(defs[0].expression, "UPPER(NAME)");
        t->appendRecord({Value("banana"), Value(6)});
        t->updateRecord(0, {Value("avocad"), Value(7)});
        t->deleteRecord(2);
        t->flush();
        auto keys = readNdx(posixFileSystem(), d / "byname.ndx", true).keys;
        EXPECT_EQ(recnos(keys), (std::vector<std::uint32_t>{2, 1, 4, 3}));   // APPLE AVOCAD BANANA FIG
        EXPECT_EQ(keys[1].first, "AVOCAD");
        t->pack(nullptr);
        EXPECT_EQ(recnos(readNdx(posixFileSystem(), d / "byname.ndx", true).keys), (std::vector<std::uint32_t>{2, 1, 3}));
    }
    // The written file keeps the published header layout.
    std::string f = readAll(d / "byname.ndx");
    EXPECT_EQ(f.size() % 512, 0u);
    EXPECT_EQ(get32(f, 4), f.size() / 512);
    EXPECT_EQ(f[12], 6);
    EXPECT_EQ(f[16], 0);    // character key
    EXPECT_EQ(f[18], 16);   // 6 + 8 rounded up to 4
    EXPECT_EQ(f.substr(24, 12), std::string("UPPER(NAME)\0", 12));
    EXPECT_NE(readAll(d / "T.INF").find("ndx1=BYNAME.NDX"), std::string::npos);   // left as it was
}

TEST(Ndx, MissingListedIndexRefusesChangesUntilDropped) {
    TempDir d;
    std::string p = d / "M.DBF";
    DbaseFormat().create(posixFileSystem(), p, {col("NAME", "CHAR", 6)}, {}, {});
    openT(p)->appendRecord({Value("a")});
    writeAll(d / "M.INF", "[dBASE]\nNDX1=GONE.NDX\n");
    auto t = openT(p);
    EXPECT_EQ(t->readField(0, 0), Value("a"));
    std::string e = errorOf([&] { t->appendRecord({Value("b")}); });
    EXPECT_NE(e.find("GONE.NDX"), std::string::npos) << e;
    EXPECT_NE(e.find("missing"), std::string::npos) << e;
    EXPECT_EQ(t->recordCount(), 1);
    t->dropIndex("GONE.NDX");
    EXPECT_FALSE(posixFileSystem().exists(d / "M.INF"));   // nothing else was in it
    t->appendRecord({Value("b")});
    EXPECT_EQ(t->recordCount(), 2);
}

TEST(Ndx, AddedThroughTableServicesAndKeptWithRenameAndDelete) {
    TempDir d;
    auto conn = DriverRegistry::standard().create("STANDARD")->connect({d.path(), {}}, nullTracer());
    conn->prepare("create table \"C.DBF\" (NAME char(8), QTY numeric(5,0), SOLD date)")->execute();
    conn->prepare("insert into C values ('pear', 4, '2001-01-05')")->execute();
    conn->prepare("insert into C values ('fig', 12, '1999-07-01')")->execute();
    writeAll(d / "C.INF", "[Other]\r\nKEEP=1\r\n");
    conn->createIndex("C.DBF", {"CQTY.NDX", {"QTY"}});
    conn->createIndex("C.DBF", {"CSOLD.NDX", {"SOLD"}});
    std::string inf = readAll(d / "C.INF");
    EXPECT_NE(inf.find("[Other]\r\nKEEP=1"), std::string::npos);
    EXPECT_NE(inf.find("[dBASE]\r\nNDX1=CQTY.NDX\r\nNDX2=CSOLD.NDX"), std::string::npos) << inf;
    auto qty = readNdx(posixFileSystem(), d / "CQTY.NDX", true);
    EXPECT_EQ(qty.keyType, 'N');
    ASSERT_EQ(qty.keys.size(), 2u);
    EXPECT_EQ(qty.keys[0].first, ndxNumberKey(4));   // 8-byte doubles, in order of value
    EXPECT_EQ(qty.keys[1].first, ndxNumberKey(12));
    EXPECT_EQ(recnos(readNdx(posixFileSystem(), d / "CSOLD.NDX", true).keys), (std::vector<std::uint32_t>{2, 1}));
    EXPECT_NE(errorOf([&] { conn->createIndex("C.DBF", {"CQTY.NDX", {"NAME"}}); }).find("already exists"), std::string::npos);

    // SQL changes keep them.
    conn->prepare("insert into C values ('kiwi', 1, '2005-01-01')")->execute();
    EXPECT_EQ(recnos(readNdx(posixFileSystem(), d / "CQTY.NDX", true).keys), (std::vector<std::uint32_t>{3, 1, 2}));

    // A rename moves the .INF, whose lines still name the same files.
    conn->renameTable("C.DBF", "D.DBF");
    EXPECT_TRUE(posixFileSystem().exists(d / "D.INF"));
    EXPECT_FALSE(posixFileSystem().exists(d / "C.INF"));
    EXPECT_EQ(conn->indexDefs("D.DBF").size(), 2u);
    conn->prepare("delete from D where QTY = 4")->execute();
    conn->packTable("D.DBF", nullptr);
    EXPECT_EQ(recnos(readNdx(posixFileSystem(), d / "CQTY.NDX", true).keys), (std::vector<std::uint32_t>{2, 1}));
    conn->dropTable("D.DBF");
    for (const char* f : {"D.DBF", "D.INF", "CQTY.NDX", "CSOLD.NDX"}) EXPECT_FALSE(posixFileSystem().exists(d / f)) << f;
}

// ---- index layouts byte for byte ------------------------------------------------------------

// A two-level .MDX made by hand from the published dBase IV layout: the 544-byte header, the
// tag table of 32-byte entries at 544, a tag header block, an interior root and two leaves.
TEST(Mdx, HandBuiltFileIsRead) {
    TempDir d;
    std::string f(14 * 512, '\0');
    f[0] = 2;
    f.replace(4, 3, "INV");
    put16(f, 20, 2);      // pages per block
    put16(f, 22, 1024);   // block bytes
    f[24] = 1;            // production index
    f[25] = 48, f[26] = 32;
    put16(f, 28, 1);      // tags in use
    put32(f, 32, 14);
    // Tag table entry: header page 4, name, key format, type.
    put32(f, 544, 4);
    f.replace(548, 4, "CODE");
    f[544 + 15] = 0x10;
    f[544 + 19] = 2;
    f[544 + 20] = 'C';
    // Tag header at page 4: root page 6, key format, type, key length 6, item length 12.
    std::size_t th = 4 * 512;
    put32(f, th, 6);
    f[th + 8] = 0x10;
    f[th + 9] = 'C';
    put16(f, th + 12, 6);
    put16(f, th + 14, 83);
    put16(f, th + 18, 12);
    f.replace(th + 24, 4, "CODE");
    // Root (page 6): one key and two children; the rightmost child in the pointer after it.
    std::size_t root = 6 * 512;
    put32(f, root, 1);
    put32(f, root + 8, 8);
    f.replace(root + 12, 6, "BBB   ");
    put32(f, root + 8 + 12, 10);
    // Leaves (pages 8 and 10): record numbers and keys; a 0 after the last key.
    auto leaf = [&](std::size_t page, std::vector<std::pair<std::string, std::uint32_t>> keys) {
        std::size_t at = page * 512;
        put32(f, at, std::uint32_t(keys.size()));
        for (std::size_t i = 0; i < keys.size(); ++i) {
            put32(f, at + 8 + i * 12, keys[i].second);
            f.replace(at + 8 + i * 12 + 4, 6, keys[i].first);
        }
    };
    leaf(8, {{"AAA   ", 3}, {"BBB   ", 1}});
    leaf(10, {{"CCC   ", 4}, {"DDD   ", 2}});
    writeAll(d / "INV.MDX", f);

    auto tags = readMdxTags(posixFileSystem(), d / "INV.MDX");
    ASSERT_EQ(tags.size(), 1u);
    EXPECT_EQ(tags[0].name, "CODE");
    EXPECT_EQ(tags[0].expression, "CODE");
    EXPECT_EQ(tags[0].keyType, 'C');
    EXPECT_EQ(tags[0].keyLength, 6);
    auto keys = readMdxKeys(posixFileSystem(), d / "INV.MDX", "CODE");
    EXPECT_EQ(recnos(keys), (std::vector<std::uint32_t>{3, 1, 4, 2}));
    EXPECT_EQ(keys[2].first, "CCC   ");
}

// The key bytes our writer puts in a leaf, read straight from the file: character keys as the
// field's bytes, numbers as dBase's 12-byte BCD (0x34 + digits before the point, digit count
// << 2 with the sign in bit 7, then packed digits), dates as the Julian day in a double.
TEST(Mdx, WriterPutsTheKeyBytesOfEachType) {
    TempDir d;
    std::string p = d / "K.DBF";
    DbaseFormat().create(posixFileSystem(), p, {col("NAME", "CHAR", 5), col("AMT", "NUMERIC", 8, 2), col("D", "DATE")},
                         {{"BYNAME", {"NAME"}}, {"BYAMT", {"AMT"}}, {"BYD", {"D"}}}, {});
    openT(p)->appendRecord({Value("ab"), Value(12.5), Value(Date{1999, 1, 2})});
    auto bytes = [](std::initializer_list<int> b) {
        std::string s;
        for (int c : b) s += char(c);
        return s;
    };
    std::string f = readAll(d / "K.MDX");
    std::map<std::string, std::string> leafKey;
    for (int i = 0; i < 3; ++i) {
        std::size_t e = 544 + std::size_t(i) * 32;
        std::string name = f.substr(e + 4, f.find('\0', e + 4) - e - 4);
        std::size_t th = std::size_t(get32(f, e)) * 512;
        std::size_t root = std::size_t(get32(f, th)) * 512;
        int keyLen = static_cast<unsigned char>(f[th + 12]);
        ASSERT_EQ(get32(f, root), 1u) << name;       // one key
        EXPECT_EQ(get32(f, root + 8), 1u) << name;   // record 1
        leafKey[name] = f.substr(root + 12, std::size_t(keyLen));
        EXPECT_EQ(f[th + 9], name == "BYNAME" ? 'C' : name == "BYAMT" ? 'N' : 'D');
    }
    EXPECT_EQ(leafKey["BYNAME"], "ab   ");
    EXPECT_EQ(leafKey["BYAMT"], bytes({0x36, 0x0C, 0x12, 0x50, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(leafKey["BYD"], bytes({0x00, 0x00, 0x00, 0x80, 0x76, 0xB3, 0x42, 0x41}));   // 2451181.0
    EXPECT_EQ(mdxNumberKey(-3), bytes({0x35, 0x84, 0x30, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(mdxNumberKey(0.075), bytes({0x33, 0x08, 0x75, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

// ---- values that do not fit --------------------------------------------------------------------

TEST(FieldFit, OverlongValuesAreRefusedNamingFieldAndTable) {
    TempDir d;
    std::string p = d / "F.DBF";
    DbaseFormat().create(posixFileSystem(), p, {col("CODE", "CHAR", 10), col("AMT", "NUMERIC", 5, 2)}, {}, {});
    auto t = openT(p);
    t->appendRecord({Value("short"), Value(1.5)});
    struct Case {
        Value code, amt;
        const char* says;   // empty: stored
    } cases[] = {
        {Value("fifteen chars!!"), Value(1), "CODE of table F.DBF"},
        {Value("ten chars!"), Value(1), ""},
        {Value("ten chars!     "), Value(1), ""},   // only blanks past the end
        {Value("x"), Value(123.5), "AMT of table F.DBF"},
        {Value("x"), Value(-9.99), ""},
        {Value("x"), Value(99.99), ""},
        {Value("x"), Value(-10.5), "AMT"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code.asText() + " / " + c.amt.asText());
        std::int64_t before = t->recordCount();
        std::string e = errorOf([&] { t->appendRecord({c.code, c.amt}); });
        std::string u = errorOf([&] { t->updateRecord(0, {c.code, c.amt}); });
        if (*c.says) {
            EXPECT_NE(e.find(c.says), std::string::npos) << e;
            EXPECT_NE(u.find(c.says), std::string::npos) << u;
            EXPECT_EQ(t->recordCount(), before);
        } else {
            EXPECT_EQ(e, "");
            EXPECT_EQ(u, "");
            t->updateRecord(0, {Value("short"), Value(1.5)});
        }
    }
    EXPECT_EQ(t->readField(0, 0), Value("short"));
    EXPECT_EQ(t->readField(0, 1), Value(1.5));
}

TEST(FieldFit, LocalSqlRefusesOverlongValuesInDbaseAndParadox) {
    TempDir d;
    auto conn = DriverRegistry::standard().create("STANDARD")->connect({d.path(), {}}, nullTracer());
    for (const char* table : {"\"S.DBF\"", "\"P.DB\""}) {
        SCOPED_TRACE(table);
        conn->prepare(std::string("create table ") + table + " (CODE char(5), AMT numeric(5,2))")->execute();
        conn->prepare(std::string("insert into ") + table + " values ('abc', 1)")->execute();
        auto run = [&](const std::string& sql) {
            return errorOf([&] { conn->prepare(sql)->execute(); });
        };
        std::string e = run(std::string("insert into ") + table + " values ('abcdefgh', 1)");
        EXPECT_NE(e.find("CODE"), std::string::npos) << e;
        EXPECT_NE(e.find(std::string(table).substr(1, 4)), std::string::npos) << e;
        e = run(std::string("update ") + table + " set CODE = 'abcdefgh'");
        EXPECT_NE(e.find("CODE"), std::string::npos) << e;
        auto cur = conn->prepare(std::string("select CODE from ") + table)->execute();
        std::vector<Row> rows;
        while (cur->fetch(100, rows)) {}
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0].values[0].asText(), "abc");
    }
    std::string e = errorOf([&] { conn->prepare("insert into \"S.DBF\" values ('a', 1234.5)")->execute(); });
    EXPECT_NE(e.find("AMT of table S.DBF"), std::string::npos) << e;
}

TEST(LocalDdl, DroppedColumnTakesItsIndexesAndExpressionTagsWithIt) {
    TempDir d;
    std::string p = d / "T.DBF";
    DbaseFormat().create(posixFileSystem(), p,
                         {col("NAME", "CHAR", 10), col("CITY", "CHAR", 10), col("CITYX", "CHAR", 4), col("LEFT", "CHAR", 2)}, {}, {});
    {
        auto t = openT(p);
        t->appendRecord({Value("ann"), Value("Oslo"), Value("x"), Value("l")});
        t->createIndex({"UCITY", {}, false, false, false, "UPPER(CITY)+NAME"});
        t->createIndex({"UNAME", {}, false, false, false, "UPPER(NAME)+'CITY'+CITYX"});   // CITY in quotes, CITYX
        t->createIndex({"LNAME", {}, false, false, false, "LEFT(NAME,2)"});   // the function, not the field LEFT
        t->createIndex({"BYCITY", {"CITY"}});
    }
    auto conn = DriverRegistry::standard().create("STANDARD")->connect({d.path(), {}}, nullTracer());
    conn->prepare("ALTER TABLE \"T.DBF\" DROP CITY, DROP LEFT")->execute();
    conn->prepare("insert into T values ('bob', 'y')")->execute();   // the table still takes changes
    auto defs = openT(p)->indexDefs();
    ASSERT_EQ(defs.size(), 2u);
    EXPECT_EQ(defs[0].name, "UNAME");
    EXPECT_EQ(defs[1].name, "LNAME");
    EXPECT_EQ(recnos(readMdxKeys(posixFileSystem(), d / "T.MDX", "UNAME")), (std::vector<std::uint32_t>{1, 2}));
}

TEST(LocalDdl, CreateIndexTakesFieldNamesAndNamesAnExpressionAsUnsupported) {
    auto st = parseLocalDdl("CREATE UNIQUE INDEX BYNAME ON \"T.DBF\" (NAME, QTY)");
    ASSERT_TRUE(st);
    EXPECT_EQ(st->indexes[0].fields, (std::vector<std::string>{"NAME", "QTY"}));
    std::string e = errorOf([] { parseLocalDdl("CREATE INDEX UN ON \"T.DBF\" (UPPER(NAME))"); });
    EXPECT_NE(e.find("Unsupported clause in CREATE INDEX"), std::string::npos) << e;
    EXPECT_NE(e.find("UPPER"), std::string::npos) << e;
}
