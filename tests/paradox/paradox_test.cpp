// Paradox tables written and read back through the TableFile interface: every field type at
// every level, the stored byte forms, keyed order and the primary index, blobs, code pages,
// secondary indexes, pack and empty, and crash safety under injected I/O faults.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <random>

#include "engine/drivers/local/paradox/paradox.h"
#include "engine/drivers/local/paradox/pxformat.h"
#include "engine/drivers/local/paradox/pxtable.h"
#include "engine/error.h"
#include "testutil.h"

using namespace vlm::engine;
using namespace vlm::engine::local;
namespace px = vlm::engine::local::paradox;

namespace {

FieldDef fd(const std::string& name, FieldType t, int size = 0, int scale = 0) {
    FieldDef d;
    d.name = name;
    d.type = t;
    d.size = size;
    d.scale = scale;
    return d;
}

IndexDef primary(std::vector<std::string> fields) {
    IndexDef i;
    i.primary = true;
    i.fields = std::move(fields);
    return i;
}

std::vector<Value> row(TableFile& t, std::int64_t i) {
    Row r;
    t.readRecord(i, r);
    return r.values;
}

struct Fixture : ::testing::Test {
    std::string dir = pxtest::tempDir();
    std::unique_ptr<TableFormat> fmt = px::makeParadoxFormat();
    FileSystem& fs = posixFileSystem();
    std::string path(const std::string& name) { return dir + "/" + name; }
    std::unique_ptr<TableFile> open(const std::string& name, OpenOptions o = {}) {
        return fmt->open(fs, path(name), o);
    }
};

// ---- every type at every level ----

struct LevelCase {
    int level;
    std::vector<FieldDef> fields;
    std::vector<Value> values;
};

class LevelTest : public Fixture, public ::testing::WithParamInterface<int> {};

LevelCase caseFor(int level) {
    LevelCase c{level, {}, {}};
    auto add = [&](FieldDef f, Value v) { c.fields.push_back(std::move(f)), c.values.push_back(std::move(v)); };
    add(fd("NAME", FieldType::String, 20), Value("Okapi Tea"));
    add(fd("COUNT", FieldType::Smallint), Value(std::int64_t(-123)));
    add(fd("PRICE", FieldType::Float), Value(-1.5));
    add(fd("PAID", FieldType::Currency), Value(2500.25));
    add(fd("SOLD", FieldType::Date), Value(Date{2024, 3, 15}));
    if (level >= 4) {
        add(fd("NOTES", FieldType::Memo, 10), Value(std::string(3000, 'm')));
        add(fd("DATA", FieldType::Blob, 1), Value(Bytes{1, 2, 3, 0, 255}));
        add(fd("RTF", FieldType::FmtMemo, 5), Value(Bytes{'{', '\\', 'r', 't', 'f', '1', '}'}));
        add(fd("OBJ", FieldType::ParadoxOle, 5), Value(Bytes(100, 7)));
        add(fd("PIC", FieldType::Graphic, 5), Value(Bytes(5000, 9)));
    }
    if (level >= 5) {
        add(fd("ID", FieldType::AutoInc), Value());
        add(fd("BIG", FieldType::Integer), Value(std::int64_t(-2000000000)));
        add(fd("OK", FieldType::Boolean), Value(true));
        add(fd("AT", FieldType::Time), Value(Time{13, 45, 30, 250}));
        add(fd("STAMP", FieldType::DateTime), Value(DateTime{{1999, 12, 31}, {23, 59, 59, 0}}));
        add(fd("AMOUNT", FieldType::BCD, 32, 2), Value(Decimal{"-12.34"}));
        add(fd("RAW", FieldType::Bytes, 4), Value(Bytes{0xDE, 0xAD, 0xBE, 0xEF}));
    }
    return c;
}

TEST_P(LevelTest, EveryTypeRoundTripsWithNulls) {
    LevelCase c = caseFor(GetParam());
    CreateOptions o;
    o.level = c.level;
    fmt->create(fs, path("ALL.DB"), c.fields, {}, o);
    {
        auto t = open("ALL.DB");
        t->appendRecord(c.values);
        t->appendRecord(std::vector<Value>(c.values.size()));   // all null
    }
    auto t = open("ALL.DB");
    EXPECT_EQ(static_cast<px::PxTable&>(*t).header().level(), c.level);
    ASSERT_EQ(t->recordCount(), 2);
    auto got = row(*t, 0);
    auto nulls = row(*t, 1);
    for (std::size_t k = 0; k < c.fields.size(); ++k) {
        SCOPED_TRACE(c.fields[k].name);
        Value want = c.values[k];
        if (c.fields[k].type == FieldType::AutoInc) {
            EXPECT_EQ(got[k], Value(std::int64_t(1)));
            EXPECT_EQ(nulls[k], Value(std::int64_t(2)));   // an auto-increment is never null
            continue;
        }
        if (c.fields[k].type == FieldType::Memo) want = Value(want.asText());
        EXPECT_EQ(got[k], want);
        EXPECT_TRUE(nulls[k].isNull());
    }
}

INSTANTIATE_TEST_SUITE_P(Levels, LevelTest, ::testing::Values(3, 4, 5, 7));

TEST_F(Fixture, FieldDefinitionsUseTheParadoxTypes) {
    fmt->create(fs, path("DEFS.DB"),
                {fd("A", FieldType::String, 12), fd("M", FieldType::Memo, 40), fd("N", FieldType::AutoInc),
                 fd("C", FieldType::Currency), fd("D", FieldType::BCD, 32, 3), fd("G", FieldType::Graphic, 1)},
                {}, {});
    auto t = open("DEFS.DB");
    const auto& f = t->fields();
    ASSERT_EQ(f.size(), 6u);
    struct Want { int lt, st, size, scale; const char* native; };
    const Want want[] = {{logical::ZSTRING, 0, 12, 0, "ALPHA"},
                         {logical::BLOB, subtype::MEMO, 40, 0, "MEMO"},
                         {logical::INT32, subtype::AUTOINC, 0, 0, "AUTOINC"},
                         {logical::FLOAT, subtype::MONEY, 0, 0, "MONEY"},
                         {logical::BCD, 0, 32, 3, "DECIMAL"},
                         {logical::BLOB, subtype::GRAPHIC, 1, 0, "GRAPHIC"}};
    for (std::size_t i = 0; i < 6; ++i) {
        SCOPED_TRACE(f[i].name);
        EXPECT_EQ(f[i].logicalType, want[i].lt);
        EXPECT_EQ(f[i].subType, want[i].st);
        EXPECT_EQ(f[i].size, want[i].size);
        EXPECT_EQ(f[i].scale, want[i].scale);
        EXPECT_EQ(f[i].nativeType, want[i].native);
    }
    EXPECT_EQ(fmt->extension(), "DB");
    EXPECT_EQ(fmt->typeName(), "PARADOX");
}

TEST_F(Fixture, LevelRefusesTypesItCannotHold) {
    CreateOptions o;
    o.level = 3;
    try {
        fmt->create(fs, path("OLD.DB"), {fd("M", FieldType::Memo, 10)}, {}, o);
        FAIL() << "created";
    } catch (const EngineError& e) {
        EXPECT_STREQ(e.what(), "Field M: type MEMO needs a table of level 4 or higher");
    }
    EXPECT_FALSE(pxtest::exists(path("OLD.DB")));
}

// ---- stored bytes ----

TEST(ParadoxCodec, StoredFormsMatchTheFileFormat) {
    struct Case { const char* name; std::vector<std::uint8_t> bytes; std::function<void(std::uint8_t*)> put; };
    std::vector<Case> cases = {
        {"short 1", {0x80, 0x01}, [](std::uint8_t* p) { px::putInt(p, 2, 1); }},
        {"long -7", {0x7F, 0xFF, 0xFF, 0xF9}, [](std::uint8_t* p) { px::putInt(p, 4, -7); }},
        {"double -1.5", {0x40, 0x07, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, [](std::uint8_t* p) { px::putDouble(p, -1.5); }},
        {"double 0", {0x80, 0, 0, 0, 0, 0, 0, 0}, [](std::uint8_t* p) { px::putDouble(p, -0.0); }},
        {"date 2024-03-15", {0x80, 0x0B, 0x46, 0x90},
         [](std::uint8_t* p) { px::putInt(p, 4, px::dateToDays(Date{2024, 3, 15})); }},
        {"bcd 56.78", {0xC2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x56, 0x78},
         [](std::uint8_t* p) { px::putBcd(p, 2, "56.78", "t"); }},
        {"bcd -12.34", {0x42, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xED, 0xCB},
         [](std::uint8_t* p) { px::putBcd(p, 2, "-12.34", "t"); }},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint8_t> got(c.bytes.size(), 0);
        c.put(got.data());
        EXPECT_EQ(got, c.bytes);
    }
    std::uint8_t b[17];
    px::putBcd(b, 2, "1.005", "t");
    EXPECT_EQ(px::getBcd(b, 2), "1.01");
    px::putBcd(b, 0, "-0", "t");
    EXPECT_EQ(px::getBcd(b, 0), "0");
    EXPECT_EQ(px::daysToDate(1), (Date{1, 1, 1}));
    EXPECT_THROW(px::putBcd(b, 2, "12x", "Field AMOUNT"), EngineError);
    // Keys compare as bytes: the encoding keeps numeric order.
    std::uint8_t lo[8], hi[8];
    px::putDouble(lo, -1000.5), px::putDouble(hi, -3);
    EXPECT_LT(std::memcmp(lo, hi, 8), 0);
}

// ---- keyed tables ----

TEST_F(Fixture, KeyedTableKeepsKeyOrderThroughSplitsUpdatesAndDeletes) {
    fmt->create(fs, path("KEYED.DB"), {fd("ID", FieldType::Integer), fd("NAME", FieldType::String, 60)},
                {primary({"ID"})}, {});
    std::vector<int> ids(3000);
    for (int i = 0; i < 3000; ++i) ids[std::size_t(i)] = i * 2;
    std::shuffle(ids.begin(), ids.end(), std::mt19937(7));
    {
        auto t = open("KEYED.DB");
        for (int id : ids) t->appendRecord({id, "n" + std::to_string(id)});
        try {
            t->appendRecord({ids[5], "again"});
            FAIL() << "duplicate accepted";
        } catch (const EngineError& e) {
            EXPECT_EQ(e.code(), errc::KeyViolation);
            EXPECT_STREQ(e.what(), "Key violation: table KEYED.DB already has a record with this key");
        }
        EXPECT_THROW(t->appendRecord({Value(), "no key"}), EngineError);
        // Moving a record by changing its key; the index it gets back is its new place.
        EXPECT_EQ(t->updateRecord(0, {5999, "moved"}), 2999);
        t->deleteRecord(10);
    }
    auto t = open("KEYED.DB");
    ASSERT_EQ(t->recordCount(), 2999);
    std::int64_t prev = -1;
    for (std::int64_t i = 0; i < t->recordCount(); ++i) {
        auto v = row(*t, i);
        ASSERT_GT(v[0].asInteger(), prev) << "at " << i;
        prev = v[0].asInteger();
    }
    EXPECT_EQ(row(*t, 2998), (std::vector<Value>{std::int64_t(5999), "moved"}));
    EXPECT_EQ(row(*t, 0)[0], Value(std::int64_t(2)));
    auto defs = t->indexDefs();
    ASSERT_EQ(defs.size(), 1u);
    EXPECT_TRUE(defs[0].primary);
    EXPECT_EQ(defs[0].fields, std::vector<std::string>{"ID"});

    // The primary index: one entry per data block, with the block's first key and count.
    auto pxf = fs.open(path("KEYED.PX"), ReadOnly);
    px::PxHeader ph = px::readHeader(*pxf, true);
    EXPECT_EQ(ph.fileType, px::filetype::PrimaryIndex);
    ASSERT_EQ(ph.indexLevels, 1);
    std::vector<std::uint8_t> blk(std::size_t(ph.blockSize()));
    pxf->readExact(ph.blockOffset(ph.indexRoot), blk.data(), blk.size());
    int entries = std::int16_t(blk[4] | (blk[5] << 8)) / ph.recordSize + 1;
    EXPECT_EQ(entries, int(ph.numRecords));
    auto db = fs.open(path("KEYED.DB"), ReadOnly);
    px::PxHeader dh = px::readHeader(*db);
    std::int64_t sum = 0;
    for (int i = 0; i < entries; ++i) {
        const std::uint8_t* e = blk.data() + 6 + i * ph.recordSize;
        int block = int(px::getInt(e + 4, 2));
        int count = int(px::getInt(e + 6, 2));
        sum += count;
        std::uint8_t head[10];
        db->readExact(dh.blockOffset(block), head, sizeof head);
        EXPECT_EQ(std::int16_t(head[4] | (head[5] << 8)) / dh.recordSize + 1, count);
        EXPECT_EQ(std::memcmp(head + 6, e, 4), 0) << "first key of block " << block;
    }
    EXPECT_EQ(sum, 2999);
}

TEST_F(Fixture, AutoIncrementContinuesAfterReopenAndKeepsOnUpdate) {
    fmt->create(fs, path("AUTO.DB"), {fd("ID", FieldType::AutoInc), fd("T", FieldType::String, 5)}, {}, {});
    {
        auto t = open("AUTO.DB");
        t->appendRecord({Value(), "a"});
        t->appendRecord({Value(), "b"});
    }
    auto t = open("AUTO.DB");
    t->appendRecord({Value(), "c"});
    t->updateRecord(0, {Value(), "A"});
    EXPECT_EQ(row(*t, 0), (std::vector<Value>{std::int64_t(1), "A"}));
    EXPECT_EQ(row(*t, 2), (std::vector<Value>{std::int64_t(3), "c"}));
}

// ---- blobs ----

TEST_F(Fixture, BlobsOfEverySizeSurviveUpdateAndDelete) {
    fmt->create(fs, path("BLOBS.DB"), {fd("N", FieldType::Smallint), fd("M", FieldType::Memo, 8)}, {}, {});
    const std::vector<std::string> texts = {"tiny", std::string(100, 'a'), std::string(2000, 'b'),
                                            std::string(70000, 'c'), ""};
    {
        auto t = open("BLOBS.DB");
        for (std::size_t i = 0; i < texts.size(); ++i) t->appendRecord({int(i), texts[i]});
        t->updateRecord(1, {1, std::string(300, 'z')});
        t->deleteRecord(0);
    }
    auto t = open("BLOBS.DB");
    ASSERT_EQ(t->recordCount(), 4);
    EXPECT_EQ(row(*t, 0)[1], Value(std::string(300, 'z')));
    EXPECT_EQ(row(*t, 1)[1], Value(texts[2]));
    EXPECT_EQ(row(*t, 2)[1], Value(texts[3]));
    EXPECT_TRUE(row(*t, 3)[1].isNull());
}

// ---- code pages ----

TEST_F(Fixture, CodePageConvertsTextAndRefusesWhatItCannotHold) {
    CreateOptions o;
    o.languageDriver = "Pdox ANSI Cyrillic";
    fmt->create(fs, path("CYR.DB"), {fd("NAME", FieldType::String, 10), fd("M", FieldType::Memo, 1)}, {}, o);
    {
        auto t = open("CYR.DB");
        EXPECT_EQ(t->codePage(), "CP1251");
        t->appendRecord({"Привет", "Длинный текст"});
        try {
            t->appendRecord({"日本", Value()});
            FAIL() << "stored";
        } catch (const EngineError& e) {
            EXPECT_STREQ(e.what(), "Field NAME of table CYR.DB: the text \"日本\" cannot be stored in the table's code page "
                                   "CP1251 (the LANGDRIVER setting of the PARADOX driver in the engine "
                                   "configuration chooses the code page of new Paradox tables)");
        }
        EXPECT_EQ(t->recordCount(), 1);
    }
    auto bytes = pxtest::slurp(path("CYR.DB"));
    const std::vector<unsigned char> cp1251 = {0xCF, 0xF0, 0xE8, 0xE2, 0xE5, 0xF2};
    EXPECT_NE(std::search(bytes.begin(), bytes.end(), cp1251.begin(), cp1251.end()), bytes.end());
    auto t = open("CYR.DB");
    EXPECT_EQ(row(*t, 0), (std::vector<Value>{"Привет", "Длинный текст"}));
}

// ---- secondary indexes ----

std::vector<std::int64_t> indexColumn(FileSystem& fs, const std::string& xPath) {
    // The first field of every record of an .Xnn file, in file order.
    auto f = fs.open(xPath, ReadOnly);
    px::PxHeader h = px::readHeader(*f);
    std::vector<std::int64_t> out;
    std::vector<std::uint8_t> blk(std::size_t(h.blockSize()));
    for (int b = h.firstBlock; b != 0;) {
        f->readExact(h.blockOffset(b), blk.data(), blk.size());
        int n = std::int16_t(blk[4] | (blk[5] << 8)) / h.recordSize + 1;
        for (int i = 0; i < n; ++i) out.push_back(px::getInt(blk.data() + 6 + i * h.recordSize, 4));
        b = blk[0] | (blk[1] << 8);
    }
    return out;
}

TEST_F(Fixture, SecondaryIndexFollowsEveryChange) {
    fmt->create(fs, path("ORDERS.DB"), {fd("NO", FieldType::Integer), fd("CUST", FieldType::Integer)},
                {primary({"NO"})}, {});
    auto t = open("ORDERS.DB");
    for (int i = 0; i < 50; ++i) t->appendRecord({i, (i * 37) % 11});
    IndexDef byCust;
    byCust.name = "CUST";
    byCust.fields = {"CUST"};
    t->createIndex(byCust);
    IndexDef named;
    named.name = "BYBOTH";
    named.fields = {"CUST", "NO"};
    named.unique = true;
    t->createIndex(named);
    ASSERT_TRUE(pxtest::exists(path("ORDERS.X02")));
    ASSERT_TRUE(pxtest::exists(path("ORDERS.Y02")));
    ASSERT_TRUE(pxtest::exists(path("ORDERS.XG0")));

    t->appendRecord({100, -5});
    t->updateRecord(3, {3, 99});
    t->deleteRecord(0);
    auto col = indexColumn(fs, path("ORDERS.X02"));
    ASSERT_EQ(col.size(), 50u);
    EXPECT_TRUE(std::is_sorted(col.begin(), col.end()));
    EXPECT_EQ(col.front(), -5);
    EXPECT_EQ(col.back(), 99);

    t.reset();
    t = open("ORDERS.DB");
    auto defs = t->indexDefs();
    ASSERT_EQ(defs.size(), 3u);
    EXPECT_EQ(defs[1].name, "CUST");
    EXPECT_EQ(defs[2].name, "BYBOTH");
    EXPECT_EQ(defs[2].fields, (std::vector<std::string>{"CUST", "NO"}));
    EXPECT_TRUE(defs[2].unique);
    t->dropIndex("CUST");
    EXPECT_FALSE(pxtest::exists(path("ORDERS.X02")));
    EXPECT_FALSE(pxtest::exists(path("ORDERS.Y02")));
    EXPECT_EQ(t->indexDefs().size(), 2u);
}

TEST_F(Fixture, IndexErrorsNameTheProblem) {
    fmt->create(fs, path("PLAIN.DB"), {fd("A", FieldType::Integer), fd("M", FieldType::Memo, 5)}, {}, {});
    auto t = open("PLAIN.DB");
    IndexDef i;
    i.name = "A";
    i.fields = {"A"};
    struct Case { std::vector<std::string> fields; const char* msg; };
    const Case cases[] = {
        {{"A"}, "Table PLAIN.DB has no primary key; a secondary index needs one"},
        {{"M"}, "Field M is a blob field and cannot be indexed"},
        {{"Z"}, "Field Z is not in table PLAIN.DB"},
    };
    for (auto& c : cases) {
        i.fields = c.fields;
        try {
            t->createIndex(i);
            ADD_FAILURE() << c.msg;
        } catch (const EngineError& e) {
            EXPECT_STREQ(e.what(), c.msg);
        }
    }
    // A primary key added afterwards sorts the records; duplicates refuse it.
    t->appendRecord({5, Value()});
    t->appendRecord({2, Value()});
    t->createIndex(primary({"A"}));
    EXPECT_EQ(row(*t, 0)[0], Value(std::int64_t(2)));
    EXPECT_TRUE(pxtest::exists(path("PLAIN.PX")));
    t->dropIndex("PRIMARY");
    EXPECT_FALSE(pxtest::exists(path("PLAIN.PX")));
    t->appendRecord({2, Value()});
    EXPECT_THROW(t->createIndex(primary({"A"})), EngineError);
    EXPECT_EQ(t->recordCount(), 3);
}

TEST_F(Fixture, UniqueSecondaryIndexRefusesDuplicates) {
    fmt->create(fs, path("U.DB"), {fd("NO", FieldType::Integer), fd("CODE", FieldType::String, 5)},
                {primary({"NO"})}, {});
    auto t = open("U.DB");
    t->appendRecord({1, "A"});
    IndexDef u;
    u.name = "BYCODE";
    u.fields = {"CODE"};
    u.unique = true;
    t->createIndex(u);
    EXPECT_THROW(t->appendRecord({2, "A"}), EngineError);
    EXPECT_EQ(t->recordCount(), 1);
    t->appendRecord({2, "B"});
    EXPECT_THROW(t->updateRecord(1, {2, "A"}), EngineError);
    EXPECT_EQ(row(*t, 1)[1], Value("B"));
}

// ---- pack, empty, crash safety ----

TEST_F(Fixture, PackAndEmpty) {
    fmt->create(fs, path("P.DB"), {fd("ID", FieldType::Integer), fd("M", FieldType::Memo, 2)}, {primary({"ID"})}, {});
    auto t = open("P.DB");
    for (int i = 0; i < 500; ++i) t->appendRecord({i, std::string(50, char('a' + i % 26))});
    for (int i = 0; i < 400; ++i) t->deleteRecord(0);
    auto before = pxtest::slurp(path("P.DB")).size();
    t->pack(nullptr);
    EXPECT_LT(pxtest::slurp(path("P.DB")).size(), before);
    ASSERT_EQ(t->recordCount(), 100);
    EXPECT_EQ(row(*t, 0), (std::vector<Value>{std::int64_t(400), std::string(50, char('a' + 400 % 26))}));
    t->empty();
    EXPECT_EQ(t->recordCount(), 0);
    t->appendRecord({1, "x"});
    t.reset();
    EXPECT_EQ(open("P.DB")->recordCount(), 1);
}

TEST_F(Fixture, FailedPackOrWriteLeavesTheTableReadable) {
    fmt->create(fs, path("SAFE.DB"), {fd("ID", FieldType::Integer), fd("M", FieldType::Memo, 2)}, {primary({"ID"})}, {});
    {
        auto t = open("SAFE.DB");
        for (int i = 0; i < 300; ++i) t->appendRecord({i, "memo " + std::to_string(i)});
        for (int i = 0; i < 100; ++i) t->deleteRecord(0);
    }
    auto check = [&](std::int64_t want) {
        auto t = open("SAFE.DB", {false, true});
        ASSERT_EQ(t->recordCount(), want);
        for (std::int64_t i = 0; i < want; i += 37) EXPECT_EQ(row(*t, i)[1], Value("memo " + std::to_string(100 + i)));
    };
    for (auto op : {FaultyFileSystem::Write, FaultyFileSystem::Rename, FaultyFileSystem::Open}) {
        for (int nth = 1;; ++nth) {
            SCOPED_TRACE("op " + std::to_string(op) + " fault " + std::to_string(nth));
            FaultyFileSystem faulty(fs);
            bool failed = false;
            try {
                auto t = fmt->open(faulty, path("SAFE.DB"), {});
                faulty.failAfter(op, nth, true);
                t->pack(nullptr);
            } catch (const EngineError& e) {
                failed = true;
            }
            check(200);
            if (!failed) break;
            ASSERT_LT(nth, 50);
        }
    }
    // A failed insert leaves the earlier records intact too.
    for (int nth = 1; nth < 6; ++nth) {
        FaultyFileSystem faulty(fs);
        try {
            auto t = fmt->open(faulty, path("SAFE.DB"), {});
            faulty.failAfter(FaultyFileSystem::Write, nth, true);
            t->appendRecord({100000 + nth, "late"});
        } catch (const EngineError&) {
        }
        auto t = open("SAFE.DB", {false, true});
        EXPECT_GE(t->recordCount(), 200);
        EXPECT_EQ(row(*t, 0)[1], Value("memo 100"));
    }
    // The next writable open finishes the interrupted index update.
    auto t = open("SAFE.DB");
    EXPECT_EQ(row(*t, 0)[0], Value(std::int64_t(100)));
}

TEST_F(Fixture, ExclusiveOpenLocksOthersOut) {
    fmt->create(fs, path("LOCK.DB"), {fd("A", FieldType::Integer)}, {}, {});
    auto a = open("LOCK.DB", {true, false});
    try {
        open("LOCK.DB");
        FAIL() << "opened";
    } catch (const EngineError& e) {
        EXPECT_EQ(e.code(), errc::FileLocked);
        EXPECT_STREQ(e.what(), "Table LOCK.DB is locked by another user");
    }
}

TEST(ParadoxDemo, WritesAKeyedTableAndOneWithBlobs) {
    std::string dir = pxtest::tempDir();
    px::writeParadoxDemoTables(dir);
    auto fmt = px::makeParadoxFormat();
    auto customer = fmt->open(posixFileSystem(), dir + "/CLIENTS.DB", {});
    EXPECT_EQ(customer->recordCount(), 8);
    EXPECT_EQ(customer->indexDefs().size(), 2u);
    auto bio = fmt->open(posixFileSystem(), dir + "/SPECIES.DB", {});
    Row r;
    bio->readRecord(2, r);
    EXPECT_GT(r.values[4].asText().size(), 4000u);
    EXPECT_EQ(r.values[5].get<Bytes>()[0], 'B');
}

}  // namespace
