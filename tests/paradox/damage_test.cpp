// Damaged and protected Paradox files: each damage gives an engine error naming the file and
// what is wrong, never a crash or a hang; a protected table is refused and left unchanged.
#include <gtest/gtest.h>

#include <functional>

#include "engine/drivers/local/paradox/paradox.h"
#include "engine/drivers/local/paradox/pxformat.h"
#include "engine/error.h"
#include "testutil.h"

using namespace vlm::engine;
using namespace vlm::engine::local;
namespace px = vlm::engine::local::paradox;

namespace {

FieldDef fd(const std::string& name, FieldType t, int size = 0) {
    FieldDef d;
    d.name = name;
    d.type = t;
    d.size = size;
    return d;
}

void put16(std::vector<unsigned char>& b, std::size_t at, int v) {
    b[at] = static_cast<unsigned char>(v), b[at + 1] = static_cast<unsigned char>(v >> 8);
}

struct Damage {
    const char* name;
    std::function<void(std::vector<unsigned char>&, const px::PxHeader&)> spoil;
    std::string message;   // after "File <path> is corrupt: ", or the whole text for blobs
    bool onRead;           // the error comes when reading record 0, not at open
};

class DamageTest : public ::testing::Test {
protected:
    std::string dir = pxtest::tempDir();
    std::string db = dir + "/BAD.DB";
    std::unique_ptr<TableFormat> fmt = px::makeParadoxFormat();

    void SetUp() override {
        fmt->create(posixFileSystem(), db, {fd("ID", FieldType::Integer), fd("M", FieldType::Memo, 4)}, {}, {});
        auto t = fmt->open(posixFileSystem(), db, {});
        for (int i = 0; i < 5; ++i) t->appendRecord({i, std::string(200, 'x')});
    }
    px::PxHeader header() {
        auto f = posixFileSystem().open(db, ReadOnly);
        return px::readHeader(*f);
    }
};

TEST_F(DamageTest, EachDamageIsReportedByName) {
    const std::vector<Damage> cases = {
        {"block list loops", [](auto& b, auto& h) { put16(b, std::size_t(h.headerSize), 1); },
         "the block list loops back to block 1", false},
        {"block past the end", [](auto& b, auto&) { put16(b, 0x0E, 200); },
         "the block list points to block 200 past the end of the file", false},
        {"record size lies", [](auto& b, auto& h) { put16(b, 0, h.recordSize + 3); },
         "the header gives a record size of 21 but its fields take 18 bytes", false},
        {"too many records in a block", [](auto& b, auto& h) { put16(b, std::size_t(h.headerSize) + 4, 0x7FE0); },
         "block 1 gives an impossible record count", false},
        {"unknown field type", [](auto& b, auto&) { b[0x78] = 0x55; }, "field 1 has the unknown type 85", false},
        {"header size beyond the file", [](auto& b, auto&) { put16(b, 2, 0xF000); },
         "the header size 61440 is impossible", false},
        {"truncated", [](auto& b, auto&) { b.resize(40); }, "the file is shorter than a table header", false},
        {"blob past the end of the .MB",
         [](auto& b, auto& h) {
             std::size_t at = std::size_t(h.headerSize) + 6 + std::size_t(h.fields[1].offset) + 4;
             b[at] = 0xFF, b[at + 1] = 0x00, b[at + 2] = 0x50, b[at + 3] = 0x00;
         },
         "Field M: the blob reference points past the end of file ", true},
    };
    auto original = pxtest::slurp(db);
    px::PxHeader h = header();
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto bytes = original;
        c.spoil(bytes, h);
        pxtest::spit(db, bytes);
        try {
            auto t = fmt->open(posixFileSystem(), db, {false, true});
            Row r;
            for (std::int64_t i = 0; i < t->recordCount(); ++i) t->readRecord(i, r);
            ADD_FAILURE() << "no error";
        } catch (const EngineError& e) {
            EXPECT_EQ(e.code(), errc::FileCorrupt);
            std::string want = c.onRead ? c.message + dir + "/BAD.MB" : "File " + db + " is corrupt: " + c.message;
            EXPECT_EQ(std::string(e.what()), want);
        }
    }
}

TEST_F(DamageTest, ProtectedTableIsRefusedAndLeftAlone) {
    for (int level : {3, 7}) {
        SCOPED_TRACE(level);
        std::string path = dir + "/SECRET.DB";
        CreateOptions o;
        o.level = level;
        fmt->create(posixFileSystem(), path, {fd("A", FieldType::String, 8)}, {}, o);
        auto bytes = pxtest::slurp(path);
        // Level 3 keeps the password check word at 0x25; later levels at 0x5C.
        std::size_t at = level == 3 ? 0x25 : 0x5C;
        bytes[at] = 0x12, bytes[at + 1] = 0x34;
        pxtest::spit(path, bytes);
        try {
            fmt->open(posixFileSystem(), path, {});
            ADD_FAILURE() << "opened";
        } catch (const EngineError& e) {
            EXPECT_EQ(e.code(), errc::TableProtected);
            EXPECT_STREQ(e.what(), "Table SECRET.DB is password protected; it cannot be opened");
        }
        EXPECT_EQ(pxtest::slurp(path), bytes);
    }
}

}  // namespace
