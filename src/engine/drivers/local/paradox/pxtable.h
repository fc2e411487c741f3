// A Paradox table opened for reading and writing: the .DB block chain, the blob file and the
// indexes. Keyed tables keep their records in key order across the chain; every change
// rewrites the .PX and the secondary indexes, so no index is ever stale on disk.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "../tablefile.h"
#include "pxblob.h"
#include "pxformat.h"

namespace vlm::engine::local::paradox {

// The Paradox field a foreign field definition becomes.
PxField pxFieldFor(const FieldDef& def, const std::string& table);
FieldDef fieldDefFor(const PxField& f);

class PxTable : public TableFile {
public:
    PxTable(FileSystem& fs, const std::string& path, const OpenOptions& options);
    ~PxTable() override;

    const std::string& path() const override { return path_; }
    const std::vector<FieldDef>& fields() const override { return defs_; }
    std::string codePage() const override { return cp_->name(); }
    std::int64_t recordCount() override { return total_; }
    void readRecord(std::int64_t i, Row& row) override;
    void forgetReadAhead() override { cachedNo_ = 0; }
    Value readField(std::int64_t i, int field) override;
    std::int64_t appendRecord(const std::vector<Value>& values) override;
    std::int64_t updateRecord(std::int64_t i, const std::vector<Value>& values) override;
    void deleteRecord(std::int64_t i) override;
    std::vector<IndexDef> indexDefs() override;
    void createIndex(const IndexDef& index) override;
    void dropIndex(const std::string& name) override;
    void pack(Progress* progress) override;
    void empty() override;
    void flush() override;

    const PxHeader& header() const { return h_; }
    bool keyed() const { return h_.pkFields > 0; }

private:
    struct Block {
        int no = 0;
        int count = 0;
        std::vector<std::uint8_t> firstKey;   // loaded on demand for keyed inserts
        bool keyLoaded = false;
    };
    struct Secondary {
        IndexDef def;
        std::vector<int> fieldNos;   // 0-based
        std::string xPath, yPath;
    };

    void loadChain();
    void loadSecondaries();
    void recount();
    std::pair<std::size_t, int> locate(std::int64_t i) const;   // chain position, slot
    std::uint8_t* loadBlock(int no);
    void storeBlock();
    void ensureKeys();
    int keyBytes() const;
    int newBlock();
    void linkAfter(std::size_t pos, int no);
    void unlink(std::size_t pos);

    void decode(const std::uint8_t* rec, Row& row);
    Value decodeField(const std::uint8_t* rec, std::size_t k);
    // Encodes values over rec (old contents used for blob release); blob writes happen last.
    void encode(const std::vector<Value>& values, std::uint8_t* rec, std::vector<std::uint8_t>* old);
    void releaseBlobs(const std::uint8_t* rec);
    std::int64_t insertKeyed(const std::vector<std::uint8_t>& rec);
    std::int64_t findKey(const std::uint8_t* key, bool& found);
    void removeAt(std::size_t pos, int slot);
    void checkUnique(const std::vector<std::uint8_t>& rec, std::int64_t except);
    void changed();
    void rebuildIndexes();
    void writeSecondary(const Secondary& s, const std::vector<std::vector<std::uint8_t>>* recs);
    std::vector<std::vector<std::uint8_t>> allRecords(Progress* progress = nullptr);
    void rewrite(PxHeader h, std::vector<std::vector<std::uint8_t>> recs);
    void requireWritable() const;
    std::string companion(const std::string& ext) const;
    std::string tableFile() const;

    FileSystem& fs_;
    std::string path_;
    OpenOptions options_;
    std::unique_ptr<File> db_;
    PxHeader h_;
    std::vector<FieldDef> defs_;
    std::unique_ptr<CodePage> cp_;
    std::unique_ptr<BlobFile> mb_;
    std::vector<Block> chain_;
    std::vector<std::int64_t> start_;   // first record index of each chain position
    std::vector<int> free_;
    std::int64_t total_ = 0;
    int cachedNo_ = 0;
    std::vector<std::uint8_t> buf_;
    std::vector<Secondary> secondaries_;
    bool writable_ = false;
};

}  // namespace vlm::engine::local::paradox
