// Long scans of a dBase table: the dataset's row cache recycles the rows of blocks it drops,
// and the table cursor decodes over them. A table of more blocks than the cache keeps, with
// nulls, long text, memos and deleted records mixed, must read back exactly, in any order.
#include <gtest/gtest.h>

#include "engine/drivers/local/dbase/dbf.h"
#include "engine/drivers/local/dir/localddl.h"
#include "engine/drivers/local/dir/localdriver.h"
#include "engine/registry.h"
#include "engine/table.h"
#include "testutil.h"

using namespace vlm::engine;
using namespace vlm::engine::local;

namespace {

constexpr int kRecords = 20000;   // 78 blocks of 256 rows: more than the cache holds

std::string nameOf(int r) { return r % 7 == 0 ? "" : "name " + std::string(std::size_t(r % 30), 'x') + std::to_string(r); }
Value amountOf(int r) { return r % 5 == 0 ? Value() : Value(r / 4.0); }
Value memoOf(int r) { return r % 3 == 0 ? Value("memo " + std::to_string(r) + std::string(std::size_t(r % 50), 'm')) : Value(); }
bool deletedRecord(int r) { return r % 11 == 5; }

struct ScanFixture : ::testing::Test {
    vlm::test::TempDir dir;
    std::vector<int> visible;   // record numbers of the rows shown, deleted ones hidden

    void SetUp() override {
        auto c = [](const char* n, const char* t, int s = -1, int sc = -1) { return localFieldType(n, t, s, sc); };
        std::string p = dir / "SCAN.DBF";
        dbase::DbaseFormat().create(posixFileSystem(), p,
                                    {c("ID", "NUMERIC", 9, 0), c("NAME", "CHAR", 40), c("AMOUNT", "NUMERIC", 10, 2),
                                     c("NOTE", "MEMO")},
                                    {}, {});
        auto t = dbase::DbfTable::open(posixFileSystem(), p, {true, false});
        for (int r = 0; r < kRecords; ++r) {
            t->appendRecord({Value(std::int64_t(r + 1)), Value(nameOf(r)), amountOf(r), memoOf(r)});
            if (deletedRecord(r)) t->deleteRecord(r);
            else visible.push_back(r);
        }
    }

    // The fields of the current row against record r; returns a message for the first mismatch.
    static std::string check(Dataset& t, int r) {
        std::string at = "record " + std::to_string(r) + ": ";
        if (t.field(0).asInteger() != r + 1) return at + "ID " + t.field(0).asString();
        if (t.field(1).asString() != nameOf(r)) return at + "NAME '" + t.field(1).asString() + "'";
        if (!(t.field(2).value() == amountOf(r))) return at + "AMOUNT '" + t.field(2).asString() + "'";
        if (!(t.field(3).value() == memoOf(r))) return at + "NOTE '" + t.field(3).asString() + "'";
        return {};
    }
};

TEST_F(ScanFixture, DatasetReadsEveryRowForwardBackwardAndByJumps) {
    Table t;
    t.setDatabaseName(dir.path());
    t.setTableName("SCAN.DBF");
    t.open();
    ASSERT_EQ(t.recordCount(), std::int64_t(visible.size()));

    std::size_t k = 0;
    for (t.first(); !t.eof(); t.next(), ++k) {
        ASSERT_LT(k, visible.size());
        ASSERT_EQ(check(t, visible[k]), "");
    }
    EXPECT_EQ(k, visible.size());

    // Backwards from the end: every block comes back from rows recycled by the forward pass.
    k = visible.size();
    for (t.last(); !t.bof(); t.prior()) {
        ASSERT_GT(k, 0u);
        --k;
        ASSERT_EQ(check(t, visible[k]), "");
    }
    EXPECT_EQ(k, 0u);

    // Jumps far apart and back, each landing in a block read again over another's rows.
    for (std::int64_t n : {std::int64_t(visible.size()), std::int64_t(1), std::int64_t(9000), std::int64_t(17001),
                           std::int64_t(2), std::int64_t(visible.size() - 300)}) {
        t.setRecNo(n);
        ASSERT_EQ(t.recNo(), n);
        ASSERT_EQ(check(t, visible[std::size_t(n - 1)]), "");
        t.moveBy(-1);
        if (n > 1) ASSERT_EQ(check(t, visible[std::size_t(n - 2)]), "");
    }
}

// A dataset decodes a row when it is read: rows passed over are not decoded, and a row read
// long after it was fetched, its block of records read over since, is read again.
TEST_F(ScanFixture, RowsPassedOverAreDecodedWhenReadLater) {
    Table t;
    t.setDatabaseName(dir.path());
    t.setTableName("SCAN.DBF");
    t.open();
    std::size_t k = 0;
    for (t.first(); !t.eof(); t.next()) ++k;   // no field read
    EXPECT_EQ(k, visible.size());
    t.last();
    ASSERT_EQ(check(t, visible.back()), "");
    for (std::int64_t n : {1, 2, 300, 5000, 12000, 1}) {
        t.setRecNo(n);
        ASSERT_EQ(check(t, visible[std::size_t(n - 1)]), "") << n;
    }
    t.setRecNo(7);
    t.edit();   // the edit buffer starts from the decoded row
    EXPECT_EQ(t.fieldByName("NAME").asString(), nameOf(visible[6]));
    t.cancel();
}

// A damaged memo is the error of the row that holds it, when that row is read; the scan and
// the other rows go on.
TEST_F(ScanFixture, BadMemoPointerFailsOnlyTheRowThatHasIt) {
    std::string dbt = vlm::test::readAll(dir / "SCAN.DBT");
    vlm::test::writeAll(dir / "SCAN.DBT", dbt.substr(0, dbt.size() / 2));
    Table t;
    t.setDatabaseName(dir.path());
    t.setTableName("SCAN.DBF");
    t.open();
    std::size_t k = 0;
    for (t.first(); !t.eof(); t.next()) ++k;
    EXPECT_EQ(k, visible.size());
    std::size_t bad = visible.size() - 1;
    while (memoOf(visible[bad]).isNull()) --bad;
    t.setRecNo(std::int64_t(bad + 1));
    try {
        (void)t.fieldByName("ID").value();
        ADD_FAILURE() << "no error for the memo past the end of the memo file";
    } catch (const EngineError& e) {
        EXPECT_NE(std::string(e.what()).find("Field NOTE: the memo pointer"), std::string::npos) << e.what();
    }
    EXPECT_THROW((void)t.fieldByName("NOTE").value(), EngineError);   // again, not a row left half decoded
    t.setRecNo(std::int64_t(bad));
    EXPECT_EQ(check(t, visible[bad - 1]), "");
    t.setRecNo(1);
    EXPECT_EQ(check(t, visible[0]), "");
}

TEST_F(ScanFixture, CurrentRowFollowsEditsDeletesAndFilters) {
    Table t;
    t.setDatabaseName(dir.path());
    t.setTableName("SCAN.DBF");
    t.open();
    t.setRecNo(15000);
    int r = visible[14999];
    ASSERT_EQ(check(t, r), "");
    t.edit();
    t.fieldByName("NAME").setAsString("changed");
    t.post();
    EXPECT_EQ(t.fieldByName("NAME").asString(), "changed");
    t.last();
    t.setRecNo(15000);
    EXPECT_EQ(t.fieldByName("NAME").asString(), "changed");

    t.deleteRecord();
    EXPECT_EQ(t.fieldByName("ID").asInteger(), visible[15000] + 1);

    t.setFilter("ID > 19990");
    t.setFiltered(true);
    t.first();
    EXPECT_EQ(t.fieldByName("ID").asInteger(), 19991);
    t.setFiltered(false);
    t.first();
    EXPECT_EQ(check(t, visible[0]), "");
}

// fetchInto over rows of another shape gives exactly what fetch appends to an empty vector.
TEST_F(ScanFixture, FetchIntoOverwritesRecycledRowsCompletely) {
    auto conn = DriverRegistry::standard().create("STANDARD")->connect({dir.path(), {}}, nullTracer());
    auto plain = conn->openTable("SCAN.DBF", {});
    auto reused = conn->openTable("SCAN.DBF", {});
    Row junk{std::vector<Value>(9, Value("junk text longer than any buffer kept inline")), Value(-1), true};
    std::vector<Row> into(300, junk), fresh;
    bool morePlain = true, moreReused = true;
    std::int64_t rows = 0;
    while (morePlain) {
        fresh.clear();
        morePlain = plain->fetch(256, fresh);
        moreReused = reused->fetchInto(256, into);
        ASSERT_EQ(morePlain, moreReused);
        ASSERT_EQ(fresh.size(), into.size());
        for (std::size_t i = 0; i < fresh.size(); ++i) {
            ASSERT_TRUE(fresh[i].values == into[i].values) << "row " << rows + std::int64_t(i);
            ASSERT_TRUE(fresh[i].key == into[i].key);
            ASSERT_EQ(fresh[i].deleted, into[i].deleted);
        }
        rows += std::int64_t(fresh.size());
    }
    EXPECT_EQ(rows, std::int64_t(visible.size()));
}

// The record decoder reads the common shapes of numbers, dates, logicals and text eight bytes
// at a time; readField goes through the general decoder. Both must give the same value for
// every field text, plain or odd, whatever follows the field in the record.
TEST(DbfDecoding, RecordDecoderAgreesWithFieldDecoderOnEveryShape) {
    vlm::test::TempDir dir;
    std::string p = dir / "SHAPES.DBF";
    auto c = [](const char* n, const char* t, int s = -1, int sc = -1) { return localFieldType(n, t, s, sc); };
    dbase::DbaseFormat().create(posixFileSystem(), p,
                                {c("I", "NUMERIC", 11, 0), c("F", "NUMERIC", 20, 4), c("S", "NUMERIC", 3, 0),
                                 c("D", "DATE"), c("L", "BOOLEAN"), c("T", "CHAR", 10), c("U", "CHAR", 3)},
                                {}, {});
    const std::vector<std::string> numbers = {
        "", "-", "0", "-0", "7", "1.", ".5", "-.5", "+12", "1e5", "***", "12 34", std::string("12\0\0", 4),
        "12-3", "--1", "- 1", "\xe9", "12345678", "123456789", "99999999999", "-2147483648", "1.5", "-12.500",
        "123456789012345", "1234567890123456", "12345678.1234567", "-1234567890.12345", "1234567890.123456",
        "0.0001", "00000000000000001", "12345678901234567890"};
    const std::vector<std::string> dates = {"20240229", "20230229", "00000000", "", "2024 229", "99991231",
                                            "00010101", "2024-1-1", "20241301", "2024123x"};
    const std::vector<std::string> logicals = {"T", "f", "Y", "n", "?", " "};
    const std::vector<std::string> texts = {"abc", std::string("abc\0\0\0\0\0\0\0", 10), "  lead", std::string("x\0y", 3),
                                            "\x82t\xe9", "", "1234567890", "12345678", "123456789", "a       b"};
    const std::size_t n = 64;
    {
        auto t = dbase::DbfTable::open(posixFileSystem(), p, {true, false});
        for (std::size_t i = 0; i < n; ++i) t->appendRecord({Value(), Value(), Value(), Value(), Value(), Value(), Value()});
    }
    // Right-aligned numbers (and left-aligned ones, every other record), padded with blanks.
    std::string file = vlm::test::readAll(p);
    auto t0 = dbase::DbfTable::open(posixFileSystem(), p, {true, true});
    std::size_t header = std::uint8_t(file[8]) | std::uint8_t(file[9]) << 8;
    std::size_t reclen = std::uint8_t(file[10]) | std::uint8_t(file[11]) << 8;
    // A copy: the field list belongs to the table, which closes before the file is rewritten.
    const auto raw = t0->rawFields();
    t0.reset();
    auto put = [&](std::size_t rec, int f, const std::string& text, bool right) {
        std::size_t len = std::size_t(raw[std::size_t(f)].length);
        std::string v = text.substr(0, len);
        std::string cell = right ? std::string(len - v.size(), ' ') + v : v + std::string(len - v.size(), ' ');
        file.replace(header + rec * reclen + std::size_t(raw[std::size_t(f)].offset), len, cell);
    };
    for (std::size_t i = 0; i < n; ++i) {
        bool right = i % 2 == 0;
        put(i, 0, numbers[i % numbers.size()], right);
        put(i, 1, numbers[(i * 7 + 3) % numbers.size()], right);
        put(i, 2, numbers[(i * 5 + 1) % numbers.size()], right);
        put(i, 3, dates[i % dates.size()], false);
        put(i, 4, logicals[i % logicals.size()], false);
        put(i, 5, texts[i % texts.size()], false);
        put(i, 6, texts[(i * 3 + 1) % texts.size()], right);
    }
    vlm::test::writeAll(p, file);

    auto t = dbase::DbfTable::open(posixFileSystem(), p, {false, true});
    Row row;
    for (std::size_t i = 0; i < n; ++i) {
        t->readRecord(std::int64_t(i), row);
        for (int f = 0; f < 7; ++f)
            EXPECT_EQ(row.values[std::size_t(f)], t->readField(std::int64_t(i), f))
                << "record " << i << " field " << f << ": '" << row.values[std::size_t(f)].asText() << "'";
    }
    // A few values pinned, so that both decoders agreeing on a wrong value shows too.
    auto at = [&](std::size_t rec, int f) { t->readRecord(std::int64_t(rec), row); return row.values[std::size_t(f)]; };
    EXPECT_EQ(at(0, 0), Value());                                          // blank
    EXPECT_EQ(at(18, 0), Value(std::int64_t(123456789)));                  // "123456789", right-aligned
    EXPECT_EQ(at(20, 0), Value(std::int64_t(-2147483648LL)));
    EXPECT_EQ(at(22, 0), Value(-12.5));
    EXPECT_EQ(at(0, 3), Value(Date{2024, 2, 29}));
    EXPECT_EQ(at(1, 3), Value());                                          // 29 February 2023
    EXPECT_EQ(at(5, 3), Value(Date{9999, 12, 31}));
    EXPECT_EQ(at(1, 5), Value("abc"));                                     // trailing NULs dropped
    EXPECT_EQ(at(3, 5).get<std::string>(), std::string("x\0y", 3));        // inner NUL kept
    EXPECT_EQ(at(9, 5), Value("a       b"));
}

}  // namespace
