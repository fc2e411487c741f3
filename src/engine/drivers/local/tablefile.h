// The interface every local table format (dBase, Paradox) implements. The directory driver,
// the local SQL virtual tables, restructure and copy work only through it.
//
//   auto t = formats().forPath("/data/ORDERS.DBF")->open(fs, "/data/ORDERS.DBF", {});
//   Row r; t->readRecord(0, r);
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../../progress.h"
#include "../../types.h"
#include "fileio.h"

namespace vlm::engine::local {

struct OpenOptions {
    bool exclusive = false;   // an exclusive lock on the data file; fails when others have it open
    bool readOnly = false;
    // The configured language driver of the format (LANGDRIVER of its engine driver), for files
    // that name no code page of their own; empty: the format's own default.
    std::string languageDriver = {};
    // Receives remarks for the trace (a code page file naming an unknown code page); may be empty.
    std::function<void(const std::string&)> notice = {};
};

// Options for creating a table; level picks the format version within the family
// (dBase: 3, 4, 5, 7, 0x30 Visual FoxPro, 0xF5 FoxPro; Paradox: 3, 4, 5, 7).
struct CreateOptions {
    int level = 0;                 // 0: the format's default
    std::string languageDriver;    // short name of a language driver ("ANSI Cyrillic"); empty: default
};

class TableFile {
public:
    virtual ~TableFile() = default;
    virtual const std::string& path() const = 0;
    virtual const std::vector<FieldDef>& fields() const = 0;
    virtual std::string codePage() const = 0;            // iconv name, "CP1251"

    // Physical records, including soft-deleted dBase records.
    virtual std::int64_t recordCount() = 0;
    // Reads record i (0-based) into row: values in fields() order, key = i, deleted flag.
    virtual void readRecord(std::int64_t i, Row& row) = 0;
    // One field of record i and the deleted flag alone; formats that decode lazily override
    // these (the local SQL reads only the columns a statement uses).
    virtual Value readField(std::int64_t i, int field) {
        Row r;
        readRecord(i, r);
        return r.values.at(std::size_t(field));
    }
    // Record i as the format keeps it read, for formats that decode a record later
    // (decodeStored); {nullptr} where they do not. tag tells the format whether it still
    // holds those bytes.
    struct Stored {
        const std::uint8_t* bytes = nullptr;
        std::uint64_t tag = 0;
    };
    virtual Stored storedRecord(std::int64_t) { return {}; }
    // Decodes record i, which storedRecord gave as s, into values (fields() order): from
    // those bytes while the format still holds them, else read again.
    virtual void decodeStored(std::int64_t i, const Stored& s, std::vector<Value>& values) {
        (void)s;
        Row r;
        readRecord(i, r);
        values = std::move(r.values);
    }
    virtual bool isDeleted(std::int64_t i) {
        Row r;
        readRecord(i, r);
        return r.deleted;
    }
    // Drops the records read ahead, so that the next read comes from the file, where another
    // program may have written since.
    virtual void forgetReadAhead() {}
    // Returns the index the record got (keyed Paradox tables insert in key order).
    virtual std::int64_t appendRecord(const std::vector<Value>& values) = 0;
    // Returns the index the record has afterwards (keyed tables may move it).
    virtual std::int64_t updateRecord(std::int64_t i, const std::vector<Value>& values) = 0;
    // dBase: sets the deleted flag; Paradox: removes the record (later indexes shift down).
    virtual void deleteRecord(std::int64_t i) = 0;
    virtual bool supportsSoftDelete() const { return false; }
    virtual void undeleteRecord(std::int64_t) {}

    virtual std::vector<IndexDef> indexDefs() = 0;
    // Whether the index reads the field: one of its fields, or (dBase) named in its expression.
    virtual bool indexReads(const IndexDef& index, const std::string& field) const;
    virtual void createIndex(const IndexDef& index) = 0;
    virtual void dropIndex(const std::string& name) = 0;

    // Removes deleted records and regenerates every index; builds new files beside the old
    // ones and replaces them atomically, so a failure leaves the table as it was.
    virtual void pack(Progress* progress) = 0;
    // Removes every record (indexes emptied too).
    virtual void empty() = 0;
    virtual void flush() = 0;
};

// A table file format: knows its extensions and how to open and create its files.
class TableFormat {
public:
    virtual ~TableFormat() = default;
    virtual std::string extension() const = 0;            // "DBF", "DB" (upper case, no dot)
    virtual std::string typeName() const = 0;             // "DBASE", "PARADOX"
    // Extensions of the files that belong to a table and move with it ("DBT", "MDX", "PX"...);
    // patterns may end with "*" ("X*", "Y*" for Paradox secondary indexes).
    virtual std::vector<std::string> companionExtensions() const = 0;
    // Files of other names that belong to a table (the .NDX files a dBase .INF lists): deleted
    // with it; a rename leaves them where they are, as the file that lists them moves.
    virtual std::vector<std::string> attachedFiles(FileSystem&, const std::string&) const { return {}; }
    virtual std::unique_ptr<TableFile> open(FileSystem& fs, const std::string& path,
                                            const OpenOptions& options) = 0;
    virtual void create(FileSystem& fs, const std::string& path, const std::vector<FieldDef>& fields,
                        const std::vector<IndexDef>& indexes, const CreateOptions& options) = 0;
    // Maps a field definition of any source to the nearest type this format stores
    // (used by create from foreign definitions and batch move).
    virtual FieldDef mapField(const FieldDef& source) const = 0;
};

// The formats this build knows, looked up by extension (case-insensitive).
class TableFormats {
public:
    void add(std::unique_ptr<TableFormat> format);
    TableFormat* forExtension(const std::string& ext) const;     // nullptr when unknown
    TableFormat* forPath(const std::string& path) const;         // by the path's extension
    const std::vector<std::unique_ptr<TableFormat>>& all() const { return formats_; }

private:
    std::vector<std::unique_ptr<TableFormat>> formats_;
};

TableFormats& formats();   // filled by the directory driver with dBase and Paradox

}  // namespace vlm::engine::local
