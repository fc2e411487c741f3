// Interoperability with pxlib, an independent Paradox library from Debian: tables we write open
// in it with the right fields, values, blobs, code page and primary index, and tables it writes
// open in ours.
#include <gtest/gtest.h>

extern "C" {
#include <paradox.h>
}

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "engine/drivers/local/paradox/paradox.h"
#include "engine/drivers/local/paradox/pxformat.h"
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

long pxDays(int y, int m, int d) { return PX_GregorianToSdn(y, m, d) - 1721425; }

struct PxDoc {
    pxdoc_t* doc = PX_new();
    ~PxDoc() {
        PX_close(doc);
        PX_delete(doc);
    }
};

class Interop : public ::testing::Test {
protected:
    static void SetUpTestSuite() { PX_boot(); }
    std::string dir = pxtest::tempDir();
    std::unique_ptr<TableFormat> fmt = px::makeParadoxFormat();
};

TEST_F(Interop, PxlibReadsOurTable) {
    std::string path = dir + "/OURS.DB";
    CreateOptions o;
    o.languageDriver = "ANSI Cyrillic";
    IndexDef pk;
    pk.primary = true;
    pk.fields = {"ID"};
    fmt->create(posixFileSystem(), path,
                {fd("ID", FieldType::Integer), fd("NAME", FieldType::String, 20), fd("PRICE", FieldType::Float),
                 fd("AMOUNT", FieldType::BCD, 32, 2), fd("SOLD", FieldType::Date), fd("QTY", FieldType::Smallint),
                 fd("OK", FieldType::Boolean), fd("NOTES", FieldType::Memo, 5)},
                {pk}, o);
    const std::string big(3000, 'q');
    {
        auto t = fmt->open(posixFileSystem(), path, {});
        for (int i = 400; i > 0; --i)
            t->appendRecord({i, i == 7 ? "Привет" : "name " + std::to_string(i), i * 1.25,
                             Decimal{"-" + std::to_string(i) + ".50"}, Date{2024, 3, 15}, -i,
                             i % 2 == 0, i == 7 ? big : (i == 8 ? std::string(100, 's') : "abc")});
    }
    // pxlib 0.6.8 overruns a stack buffer when it indexes the blocks of a blob file whose size
    // is a multiple of 4 KiB above one block (its own files too); with a trailing byte it skips
    // that step and reads every blob by its offset. It gets a copy with that byte.
    auto mb = pxtest::slurp(dir + "/OURS.MB");
    ASSERT_EQ(mb.size() % 4096, 0u);
    mb.push_back(0);
    pxtest::spit(dir + "/PXLIB.MB", mb);
    PxDoc p;
    ASSERT_EQ(PX_open_file(p.doc, path.c_str()), 0);
    PX_set_targetencoding(p.doc, "UTF-8");
    ASSERT_EQ(PX_set_blob_file(p.doc, (dir + "/PXLIB.MB").c_str()), 0);
    ASSERT_EQ(PX_get_num_fields(p.doc), 8);
    ASSERT_EQ(PX_get_num_records(p.doc), 400);
    EXPECT_EQ(p.doc->px_head->px_doscodepage, 1251);
    EXPECT_EQ(p.doc->px_head->px_primarykeyfields, 1);
    pxfield_t* f = PX_get_fields(p.doc);
    EXPECT_STREQ(f[1].px_fname, "NAME");
    EXPECT_EQ(f[1].px_ftype, pxfAlpha);
    EXPECT_EQ(f[1].px_flen, 20);
    EXPECT_EQ(f[3].px_ftype, pxfBCD);
    EXPECT_EQ(f[7].px_ftype, pxfMemoBLOb);

    // Through our primary index: pxlib finds every record's block from the .PX.
    PxDoc pi;
    ASSERT_EQ(PX_open_file(pi.doc, (dir + "/OURS.PX").c_str()), 0);
    ASSERT_EQ(PX_read_primary_index(pi.doc), 0);
    ASSERT_EQ(PX_add_primary_index(p.doc, pi.doc), 0);

    std::vector<char> rec(std::size_t(PX_get_recordsize(p.doc)));
    for (int r = 0; r < 400; ++r) {
        SCOPED_TRACE(r);
        ASSERT_NE(PX_get_record(p.doc, r, rec.data()), nullptr);
        int off = 0;
        long id = 0;
        ASSERT_GT(PX_get_data_long(p.doc, rec.data() + off, 4, &id), 0);
        EXPECT_EQ(id, r + 1);   // key order
        off += 4;
        char* name = nullptr;
        ASSERT_GT(PX_get_data_alpha(p.doc, rec.data() + off, 20, &name), 0);
        EXPECT_STREQ(name, id == 7 ? "Привет" : ("name " + std::to_string(id)).c_str());
        p.doc->free(p.doc, name);
        off += 20;
        double price = 0;
        PX_get_data_double(p.doc, rec.data() + off, 8, &price);
        EXPECT_DOUBLE_EQ(price, id * 1.25);
        off += 8;
        char* bcd = nullptr;
        ASSERT_GT(PX_get_data_bcd(p.doc, reinterpret_cast<unsigned char*>(rec.data() + off), 2, &bcd), 0);
        EXPECT_DOUBLE_EQ(std::atof(bcd), -(id + 0.5));
        p.doc->free(p.doc, bcd);
        off += 17;
        long days = 0;
        PX_get_data_long(p.doc, rec.data() + off, 4, &days);
        EXPECT_EQ(days, pxDays(2024, 3, 15));
        off += 4;
        short qty = 0;
        PX_get_data_short(p.doc, rec.data() + off, 2, &qty);
        EXPECT_EQ(qty, -id);
        off += 2;
        char ok = 0;
        PX_get_data_byte(p.doc, rec.data() + off, 1, &ok);
        EXPECT_EQ(ok != 0, id % 2 == 0);
        off += 1;
        int mod = 0, size = 0;
        char* blob = nullptr;
        ASSERT_GT(PX_get_data_blob(p.doc, rec.data() + off, 15, &mod, &size, &blob), 0);
        std::string want = id == 7 ? big : (id == 8 ? std::string(100, 's') : "abc");
        EXPECT_EQ(std::string(blob, std::size_t(size)), want);
        p.doc->free(p.doc, blob);
    }
}

TEST_F(Interop, WeReadPxlibsTable) {
    std::string path = dir + "/THEIRS.DB";
    {
        PxDoc p;
        auto* f = static_cast<pxfield_t*>(std::malloc(7 * sizeof(pxfield_t)));   // owned by pxlib
        const char* names[] = {"NAME", "N", "BCD", "M", "D", "TS", "L"};
        const char types[] = {pxfAlpha, pxfNumber, pxfBCD, pxfMemoBLOb, pxfDate, pxfTimestamp, pxfLong};
        const int lens[] = {10, 8, 17, 15, 4, 8, 4};
        for (int i = 0; i < 7; ++i) {
            f[i].px_fname = strdup(names[i]);
            f[i].px_ftype = types[i];
            f[i].px_flen = lens[i];
            f[i].px_fdc = i == 2 ? 2 : 0;
        }
        ASSERT_EQ(PX_create_file(p.doc, f, 7, path.c_str(), pxfFileTypNonIndexDB), 0);
        PX_set_tablename(p.doc, "theirs");
        ASSERT_EQ(PX_set_blob_file(p.doc, (dir + "/THEIRS.MB").c_str()), 0);
        std::vector<char> rec(std::size_t(PX_get_recordsize(p.doc)));
        std::string big(5000, 'x');
        for (int r = 0; r < 300; ++r) {
            std::fill(rec.begin(), rec.end(), 0);
            int off = 0;
            std::string name = "row" + std::to_string(r);
            PX_put_data_alpha(p.doc, rec.data(), 10, name.data());
            off += 10;
            PX_put_data_double(p.doc, rec.data() + off, 8, r - 0.5);
            off += 8;
            std::string bcd = std::to_string(r) + ".25";
            PX_put_data_bcd(p.doc, rec.data() + off, 2, bcd.data());
            off += 17;
            std::string memo = r % 3 == 0 ? "short" : (r % 3 == 1 ? std::string(100, 'm') : big);
            PX_put_data_blob(p.doc, rec.data() + off, 15, memo.data(), int(memo.size()));
            off += 15;
            PX_put_data_long(p.doc, rec.data() + off, 4, int(pxDays(2000, 1, 1) + r));
            off += 4;
            PX_put_data_double(p.doc, rec.data() + off, 8, pxDays(2000, 1, 1) * 86400000.0 + 3600000.0 * (r % 24));
            off += 8;
            PX_put_data_long(p.doc, rec.data() + off, 4, -r);
            PX_put_record(p.doc, rec.data());
        }
    }
    auto t = fmt->open(posixFileSystem(), path, {false, true});
    ASSERT_EQ(t->recordCount(), 300);
    ASSERT_EQ(t->fields().size(), 7u);
    EXPECT_EQ(t->fields()[3].subType, subtype::MEMO);
    for (std::int64_t r = 0; r < 300; ++r) {
        SCOPED_TRACE(r);
        Row row;
        t->readRecord(r, row);
        auto& v = row.values;
        EXPECT_EQ(v[0], Value("row" + std::to_string(r)));
        EXPECT_EQ(v[1], Value(double(r) - 0.5));
        EXPECT_EQ(v[2], Value(Decimal{std::to_string(r) + ".25"}));
        std::string memo = r % 3 == 0 ? "short" : (r % 3 == 1 ? std::string(100, 'm') : std::string(5000, 'x'));
        EXPECT_EQ(v[3], Value(memo));
        Date d = px::daysToDate(px::dateToDays(Date{2000, 1, 1}) + r);
        EXPECT_EQ(v[4], Value(d));
        EXPECT_EQ(v[5], Value(DateTime{{2000, 1, 1}, {int(r % 24), 0, 0, 0}}));
        EXPECT_EQ(v[6], Value(-r));
    }
}

}  // namespace

// Large keyed tables outgrow one index block; pxlib must reach every record through the .PX, in
// key order. pxlib reads two tiers only (the first block of the chain as the root, the rest as
// leaves), so a wide key, which would need a third tier in table-sized blocks, gets larger
// index blocks instead.
TEST_F(Interop, PxlibFollowsMultiLevelPrimaryIndex) {
    struct Case {
        const char* name;
        int keyWidth;     // 0: LONG key, else ALPHA of that width
        int records;
        int tableBlockKiB;   // what one index block would be without growing
    };
    for (const Case& c : {Case{"TWOLEVEL.DB", 40, 10000, 4}, Case{"WIDE.DB", 250, 12000, 4}}) {
        SCOPED_TRACE(c.name);
        // Every append syncs the table; on tmpfs that costs nothing.
        char tmpl[] = "/dev/shm/pxdeepXXXXXX";
        const char* shm = mkdtemp(tmpl);
        std::string path = std::string(shm ? shm : dir.c_str()) + "/" + c.name;
        IndexDef pk;
        pk.primary = true;
        pk.fields = {"K"};
        fmt->create(posixFileSystem(), path,
                    {c.keyWidth ? fd("K", FieldType::String, c.keyWidth) : fd("K", FieldType::Integer),
                     fd("V", FieldType::Integer)},
                    {pk}, {});
        auto keyOf = [&](int i) -> Value {
            if (!c.keyWidth) return i;
            char b[16];
            std::snprintf(b, sizeof b, "k%07d", i);
            return std::string(b);
        };
        {
            auto t = fmt->open(posixFileSystem(), path, {});
            // Out of order, so blocks split and fill unevenly as they would in use.
            for (int i = 0; i < c.records; ++i) {
                int k = int((std::int64_t(i) * 7919) % c.records);
                t->appendRecord({keyOf(k), k});
            }
        }
        std::string pxPath = path.substr(0, path.size() - 2) + "PX";
        PxDoc pi;
        ASSERT_EQ(PX_open_file(pi.doc, pxPath.c_str()), 0);
        EXPECT_EQ(pi.doc->px_head->px_numindexlevels, 2);
        EXPECT_GE(pi.doc->px_head->px_maxtablesize, c.tableBlockKiB);
        ASSERT_EQ(PX_read_primary_index(pi.doc), 0);
        PxDoc p;
        ASSERT_EQ(PX_open_file(p.doc, path.c_str()), 0);
        ASSERT_EQ(PX_add_primary_index(p.doc, pi.doc), 0);
        ASSERT_EQ(PX_get_num_records(p.doc), c.records);
        std::vector<char> rec(std::size_t(PX_get_recordsize(p.doc)));
        int off = c.keyWidth ? c.keyWidth : 4;
        int wrong = 0;
        for (int r = 0; r < c.records; ++r) {
            long v = -1;
            if (PX_get_record(p.doc, r, rec.data()) == nullptr ||
                PX_get_data_long(p.doc, rec.data() + off, 4, &v) <= 0 || v != r)
                ++wrong;
        }
        EXPECT_EQ(wrong, 0);
        if (shm) std::filesystem::remove_all(shm);
    }
}
