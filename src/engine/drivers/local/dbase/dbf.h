// dBase tables (.DBF): dBase III+, IV, V, 7, FoxPro and Visual FoxPro, with their memo files and
// production index. DbfTable is the TableFile of one open table; DbaseFormat creates and opens them.
//
//   auto t = DbfTable::open(fs, "/data/ORDERS.DBF", {});
//   Row r; t->readRecord(0, r);   t->appendRecord({Value("Smith"), Value(12.5)});
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "../../../error.h"
#include "../tablefile.h"
#include "codepage.h"
#include "keyexpr.h"
#include "mdx.h"
#include "memo.h"

namespace vlm::engine::local::dbase {

class DbfTable : public TableFile {
public:
    static std::unique_ptr<DbfTable> open(FileSystem& fs, const std::string& path, const OpenOptions& options);
    ~DbfTable() override;

    const std::string& path() const override { return path_; }
    const std::vector<FieldDef>& fields() const override { return defs_; }
    std::string codePage() const override { return tc_->codePage(); }
    std::uint8_t version() const { return version_; }
    std::uint8_t languageId() const { return langId_; }

    std::int64_t recordCount() override;
    void readRecord(std::int64_t i, Row& row) override;
    Stored storedRecord(std::int64_t i) override;
    void decodeStored(std::int64_t i, const Stored& s, std::vector<Value>& values) override;
    Value readField(std::int64_t i, int field) override;
    bool isDeleted(std::int64_t i) override;
    void forgetReadAhead() override {
        cacheCount_ = 0;
        refreshCount();
    }
    std::int64_t appendRecord(const std::vector<Value>& values) override;
    std::int64_t updateRecord(std::int64_t i, const std::vector<Value>& values) override;
    void deleteRecord(std::int64_t i) override;
    bool supportsSoftDelete() const override { return true; }
    void undeleteRecord(std::int64_t i) override;

    // The production index's tags, then the single indexes (.NDX) the table's .INF lists, named
    // by their file name ("CUSTNAME.NDX"). createIndex with a name ending in ".NDX" makes (or,
    // without fields and expression, attaches an existing) single index and lists it in the
    // .INF; dropIndex of such a name unlists and deletes it. An IndexDef with an expression
    // ("UPPER(NAME)") makes an expression index.
    std::vector<IndexDef> indexDefs() override;
    bool indexReads(const IndexDef& index, const std::string& field) const override;
    void createIndex(const IndexDef& index) override;
    void dropIndex(const std::string& name) override;
    // The .NDX files the table's .INF lists that exist (they go when the table is deleted).
    static std::vector<std::string> listedNdxFiles(FileSystem& fs, const std::string& tablePath);

    void pack(Progress* progress) override;
    void empty() override;
    void flush() override;

    // The raw bytes of record i (deleted flag first); valid until the next call.
    const std::uint8_t* rawRecord(std::int64_t i);

    struct Field {
        std::string name;
        char type = 'C';
        int length = 0;
        int decimals = 0;
        int offset = 0;          // within the record, after the deleted flag at 0
        std::uint8_t flags = 0;  // Visual FoxPro field flags
        int nullBit = -1;        // bit in _NullFlags, -1 when the field is not nullable
        int descriptor = 0;      // file offset of its descriptor
    };
    const std::vector<Field>& rawFields() const { return fl_; }

private:
    DbfTable(FileSystem& fs, std::string path);
    void readHeader();
    void loadBlock(std::int64_t i);
    Value decode(const std::uint8_t* rec, std::size_t f);
    template <class Emit> void decodeWith(const std::uint8_t* rec, std::size_t f, Emit&& emit);
    void encode(std::uint8_t* rec, std::size_t f, const Value& v);
    std::string storedText(const std::string& field, const std::string& text) const;
    void writeRecord(std::int64_t i, const std::uint8_t* rec);
    void writeHeaderCount();
    MemoFile& memo();
    bool isFox() const;
    bool isVfp() const { return version_ == 0x30 || version_ == 0x31 || version_ == 0x32; }
    bool isLevel7() const { return (version_ & 0x07) == 4; }
    void checkIndex(std::int64_t i) const;
    std::string mdxPath() const;
    void rebuildIndexes();
    bool indexStale();
    void reopen();
    void installRewritten(const std::string& tmp);
    void refreshCount();
    // Indexes: the tags of the production index and the listed .NDX files, and whether every
    // key expression can be evaluated. A table whose indexes cannot be kept refuses changes.
    void loadIndexes();
    void findIndexFault();
    void checkIndexFault() const;
    const CaseTables* caseTables();
    bool hasIndexes() const { return !tags_.empty() || !ndx_.empty(); }
    std::vector<KeyField> keyFields() const;
    MdxTag computeKeys(const IndexDef& def, int fileKeyLength, bool ndx);
    std::string infPath() const;
    std::string infText() const;
    static std::string ndxPathFor(FileSystem& fs, const std::string& tablePath, const std::string& listed);
    void checkFits(std::size_t f, std::size_t bytes) const;

    FileSystem& fs_;
    std::string path_;
    OpenOptions options_;
    // The code page a .cpg file beside the table names (any case of the base name); empty when
    // there is none or it names an unknown code page (said through options_.notice).
    std::string codePageFromCpg();
    std::unique_ptr<File> file_;
    std::unique_ptr<Transcoder> tc_;
    std::unique_ptr<MemoFile> memo_;
    std::uint8_t version_ = 3, langId_ = 0, mdxFlag_ = 0;
    std::string driverName_;
    int headerLen_ = 0, recordLen_ = 0;
    std::int64_t count_ = 0;
    std::vector<Field> fl_;
    std::vector<FieldDef> defs_;
    std::vector<IndexDef> tags_;
    std::vector<int> tagKeyLengths_;   // per tag: the key length its file gives, 0 for a new tag
    struct NdxIndex {
        IndexDef def;           // name as the .INF lists it
        std::string path;       // empty when the file is missing
        int keyLength = 0;
        std::optional<EngineError> fault;   // a damaged file
    };
    std::vector<NdxIndex> ndx_;
    std::optional<EngineError> indexFault_;
    CaseTables cases_{};        // of the table's code page, made when a key needs them
    bool casesReady_ = false;
    int nullFlagsField_ = -1;   // index into fl_ of _NullFlags
    // How readRecord decodes each visible field: the common shapes inline, the rest (and any
    // value outside its plain form) through decodeWith.
    enum class Plan : std::uint8_t { General, Text, Integer, Float, Date, Logical };
    std::vector<Plan> plan_;
    void planFields();
    void decodeValues(const std::uint8_t* rec, std::vector<Value>& values);
    // The last blocks of records read, the latest (blocks_[cur_]) holding records cacheFirst_..;
    // rows decoded later find their record in the older ones until those are read over.
    struct Block {
        std::vector<std::uint8_t> bytes;
        std::uint64_t generation = 0;
    };
    std::vector<Block> blocks_;
    std::size_t cur_ = 0;
    std::uint64_t generation_ = 0;
    Bytes memoBuf_;   // the last memo read, its storage reused
    std::int64_t cacheFirst_ = 0, cacheCount_ = 0;
    bool indexDirty_ = false;
    friend class DbaseFormat;
};

class DbaseFormat : public TableFormat {
public:
    std::string extension() const override { return "DBF"; }
    std::string typeName() const override { return "DBASE"; }
    std::vector<std::string> companionExtensions() const override { return {"DBT", "FPT", "MDX", "INF", "CPG"}; }
    std::vector<std::string> attachedFiles(FileSystem& fs, const std::string& path) const override {
        return DbfTable::listedNdxFiles(fs, path);
    }
    std::unique_ptr<TableFile> open(FileSystem& fs, const std::string& path, const OpenOptions& options) override;
    void create(FileSystem& fs, const std::string& path, const std::vector<FieldDef>& fields,
                const std::vector<IndexDef>& indexes, const CreateOptions& options) override;
    FieldDef mapField(const FieldDef& source) const override;
    // mapField for a given level (3, 4, 5, 7, 0x30, 0xF5).
    static FieldDef mapFieldFor(const FieldDef& source, int level);
};

void registerDbaseFormat(TableFormats& formats);

// The path of a companion file with extension ext ("DBT"), matching an existing file's case.
std::string companionPath(FileSystem& fs, const std::string& tablePath, const std::string& ext);

}  // namespace vlm::engine::local::dbase
