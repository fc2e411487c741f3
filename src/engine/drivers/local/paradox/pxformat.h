// The Paradox file layout: the header shared by .DB, .PX, .Xnn and .Ynn files, field types,
// the record value codecs (big-endian with the sign bit flipped, so keys compare as bytes) and
// the code-page converter. Readers bounds-check every offset and length they take from a file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "../fileio.h"
#include "engine/error.h"
#include "engine/types.h"

namespace vlm::engine::local::paradox {

// Field type codes as stored in the header.
namespace ftype {
enum : std::uint8_t {
    Alpha = 0x01, Date = 0x02, Short = 0x03, Long = 0x04, Money = 0x05, Number = 0x06,
    Logical = 0x09, Memo = 0x0C, Binary = 0x0D, FmtMemo = 0x0E, Ole = 0x0F, Graphic = 0x10,
    Time = 0x14, Timestamp = 0x15, AutoInc = 0x16, Bcd = 0x17, Bytes = 0x18
};
}
bool isBlobType(std::uint8_t t);
// The table level a field type needs (3, 4 or 5).
int levelForType(std::uint8_t t);
// The type's name as the structure window shows it ("ALPHA", "MONEY", "FORMATTED MEMO").
const char* typeName(std::uint8_t t);

// File types of the header byte at 0x04.
namespace filetype {
enum : std::uint8_t { KeyedDb = 0, PrimaryIndex = 1, UnkeyedDb = 2, SecIndexX = 3, SecIndexY = 4,
                      SecIndexXG = 6, SecIndexYG = 7 };
}

struct PxField {
    std::string name;        // UTF-8
    std::uint8_t type = 0;
    int size = 0;            // bytes in the record
    int decimals = 0;        // BCD: digits after the point (the header's size byte)
    int offset = 0;          // in the record
};

struct PxHeader {
    int recordSize = 0;
    int headerSize = 0;
    std::uint8_t fileType = filetype::UnkeyedDb;
    int maxTableSize = 2;            // block size in KiB
    std::uint32_t numRecords = 0;
    int fileBlocks = 0;
    int firstBlock = 0;              // 1-based, 0 when the table has no blocks
    int lastBlock = 0;
    int indexFieldNumber = 0;
    int indexRoot = 0;
    int indexLevels = 0;
    int pkFields = 0;
    std::uint8_t sortOrder = 0x62;
    std::uint8_t versionId = 0x0C;
    std::uint32_t autoInc = 0;
    std::uint32_t encryption1 = 0;
    std::uint32_t encryption2 = 0;
    std::uint32_t updateStamp = 0;   // file update time of extended headers
    int codePage = 1252;
    std::string tableName;
    std::string sortName = "ANSIINTL";
    std::uint8_t indexFlags = 0;     // secondary index files: 1 unique, 2 descending
    std::vector<PxField> fields;

    int blockSize() const { return maxTableSize * 1024; }
    int recordsPerBlock() const { return recordSize ? (blockSize() - 6) / recordSize : 0; }
    bool extended() const;           // has the 0x58..0x77 part and field names
    int level() const;               // 3, 4, 5 or 7
    std::uint64_t blockOffset(int block) const {
        return std::uint64_t(headerSize) + std::uint64_t(block - 1) * std::uint64_t(blockSize());
    }
};

// The header's version byte for a table level.
std::uint8_t versionIdForLevel(int level);

// Thrown for damaged files: names the file and what is wrong.
[[noreturn]] void corrupt(const std::string& path, const std::string& what);

// Reads and validates the header. Encrypted files give TableProtected naming the table.
// expectIndex: a .PX / .Ynn file (no field names; three trailing short fields).
PxHeader readHeader(File& file, bool expectIndex = false);
// Builds the header bytes (headerSize long, computed when 0 in h) for writing.
std::vector<std::uint8_t> buildHeader(PxHeader& h);
// Rewrites only the counters of the fixed part (record count, blocks, auto-increment, stamp).
void writeCounters(File& file, const PxHeader& h);
// Lays the fields out (offsets, record size) and checks the sizes.
void layoutFields(PxHeader& h, const std::string& path);

// Conversion between the table's code page and UTF-8 (iconv).
// Where the code page of new tables comes from, for refusals of text a table cannot hold.
inline constexpr const char* kLanguageDriverHint =
    "the LANGDRIVER setting of the PARADOX driver in the engine configuration chooses the code page of new Paradox tables";

class CodePage {
public:
    explicit CodePage(int codePage);
    ~CodePage();
    CodePage(const CodePage&) = delete;
    CodePage& operator=(const CodePage&) = delete;
    std::string name() const { return name_; }           // "CP1252"
    std::string toUtf8(const char* s, std::size_t n) const;
    // Throws Data error naming what ("Field NAME of table PEOPLE.DB") and the text when a
    // character has no place in the code page.
    std::string fromUtf8(const std::string& s, const std::string& what) const;

private:
    std::string name_;
    void* in_ = nullptr;    // iconv_t table -> UTF-8
    void* out_ = nullptr;   // iconv_t UTF-8 -> table
};
int codePageForLanguageDriver(const std::string& name);   // 0 when unknown
std::string sortNameForCodePage(int cp);

// Value codecs on record bytes (big-endian, sign bit flipped). All-zero bytes are null.
std::int64_t getInt(const std::uint8_t* p, int n);
void putInt(std::uint8_t* p, int n, std::int64_t v);
double getDouble(const std::uint8_t* p);
void putDouble(std::uint8_t* p, double v);
std::string getBcd(const std::uint8_t* p, int decimals);
void putBcd(std::uint8_t* p, int decimals, const std::string& text, const std::string& what);
bool isNullBytes(const std::uint8_t* p, int n);

// Days since 0001-01-01 counted from 1 (the stored date) and back.
std::int64_t dateToDays(const Date& d);
Date daysToDate(std::int64_t days);

}  // namespace vlm::engine::local::paradox
