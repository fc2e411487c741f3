// Datasets: the rows of a query, table or stored procedure with a current record. Rows come
// from the driver's cursor in blocks through a row cache, so opening a result of millions of
// rows returns after the first block and moving back and forth re-reads nothing.
//
//   Query q;  q.setDatabaseName("DEMO");  q.setSql("select * from orders");  q.open();
//   for (q.first(); !q.eof(); q.next()) std::cout << q.fieldByName("ID").asString();
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "driver.h"
#include "types.h"

namespace vlm::engine {

class Dataset;

// A field of an open dataset; reads and writes the current record's value.
class Field {
public:
    Field(Dataset& owner, int index, FieldDef def, bool calculated = false);

    int index() const { return index_; }
    const std::string& fieldName() const { return def_.name; }
    FieldType dataType() const { return def_.type; }
    int size() const { return def_.size; }
    const FieldDef& def() const { return def_; }
    bool calculated() const { return calculated_; }

    const std::string& displayLabel() const { return label_.empty() ? def_.name : label_; }
    void setDisplayLabel(const std::string& s) { label_ = s; }
    int displayWidth() const;                 // characters; derived from the type and size by default
    void setDisplayWidth(int w) { width_ = w; }
    bool visible() const { return visible_; }
    void setVisible(bool v) { visible_ = v; }
    const std::string& displayFormat() const { return format_; }
    void setDisplayFormat(const std::string& f) { format_ = f; }
    std::string displayText() const;          // value formatted with displayFormat()

    bool isNull() const;
    const Value& value() const;               // inline below: a scan reads it once per field
    std::string asString() const;             // the engine's text form; empty for null
    std::int64_t asInteger() const;
    double asFloat() const;
    bool asBoolean() const;
    void setValue(const Value& v);            // in edit or insert state only
    void setAsString(const std::string& s);   // converted to the field's type
    void clear() { setValue(Value()); }

private:
    const Value& valueSlow() const;

    Dataset& owner_;
    int index_;
    FieldDef def_;
    bool calculated_;
    std::string label_, format_;
    int width_ = 0;
    bool visible_ = true;
};

enum class DatasetState { Inactive, Browse, Edit, Insert };

struct Bookmark {
    std::int64_t position = -1;   // row index in the dataset's order
    Value key;                    // the driver's row key, to find the row again after a refresh
    bool valid() const { return position >= 0; }
};

class Dataset {
public:
    Dataset();
    virtual ~Dataset();
    Dataset(const Dataset&) = delete;
    Dataset& operator=(const Dataset&) = delete;

    void open();
    void close();
    bool active() const;
    DatasetState state() const;
    void refresh();                       // re-reads from the driver, keeping the position

    // Fields by position or name (case-insensitive). fieldByName throws for an unknown name.
    int fieldCount() const { return int(hot_->fields.size()); }
    Field& field(int index) {
        if (std::size_t(index) < hot_->fields.size()) return *hot_->fields[std::size_t(index)];
        return fieldOutOfRange(index);
    }
    Field* findField(const std::string& name);
    Field& fieldByName(const std::string& name);
    std::vector<std::string> fieldNames() const;

    // A calculated string column filled per row by the callback (add before open()).
    void addCalcField(const std::string& name, int size);
    void setOnCalcFields(std::function<void(Dataset&)> callback);

    // Navigation.
    void first();
    void last();
    void next();
    void prior();
    std::int64_t moveBy(std::int64_t distance);
    bool eof() const { return hot_->eof; }
    bool bof() const { return hot_->bof; }
    bool isEmpty();
    std::int64_t recordCount();           // without reading every row where the driver allows
    std::int64_t recNo() const;           // 1-based, 0 when empty
    void setRecNo(std::int64_t n);
    Bookmark bookmark() const;
    void gotoBookmark(const Bookmark& b);

    // Filter expression language (see filter.h): comparisons, and/or/not, quoted literals,
    // a trailing * wildcard on strings, IS NULL.
    const std::string& filter() const;
    void setFilter(const std::string& expression);    // throws EngineError on a bad expression
    bool filtered() const;
    void setFiltered(bool on);

    // Changes.
    bool canModify() const;
    void edit();
    void insert();
    void append();
    void post();
    void cancel();
    void deleteRecord();

    // The current row's driver row (values, key, deleted flag) for drivers' extras.
    const Row& currentRow() const;

    // Rows read from the driver since open: what the row cache has cost so far (grids, tests).
    std::int64_t fetchedCount() const;

    // Read-only access by position for grids: row n (0-based, in the visible order) with its
    // values decoded, its block read from the driver as needed; the current record, the state
    // and the edit buffer stay as they are. nullptr past the end or on a closed dataset. The
    // pointer is valid until the next call that reads rows. Throws the driver's error for a
    // row that cannot be read or decoded.
    const Row* rowAt(std::int64_t n);
    // Rows known without reading further: the whole count where the driver tells it cheaply
    // (complete = true), else the rows read so far (complete once the driver has no more).
    std::int64_t knownRowCount(bool* complete = nullptr);

    // The row cache of drivers that can position again keeps at most this many blocks of
    // rowBlockSize rows; a block given up is read again when a reader comes back to it. Drivers
    // that only read forward keep what they read. Bounded to 2..65536 blocks; default 64.
    static constexpr std::size_t rowBlockSize = 256;
    void setBlockBudget(std::size_t blocks);
    std::size_t blockBudget() const;
    std::size_t cachedBlockCount() const;   // blocks held now (positioning drivers)

protected:
    // Subclasses open the driver cursor; the dataset owns it until close().
    virtual std::unique_ptr<Cursor> openCursor() = 0;
    virtual void afterClose() {}
    Cursor* cursor() const;

private:
    friend class Field;
    [[noreturn]] Field& fieldOutOfRange(int index) const;

    // The state a field read looks at, in front of the rest of the dataset's state: Field::value()
    // of a browsed record is an inline look-up. lastV/lastRow: the visible row index and the row
    // the row cache last returned for it, forgotten whenever the cache or the order changes.
    struct Hot {
        std::vector<std::unique_ptr<Field>> fields;
        DatasetState state = DatasetState::Inactive;
        std::int64_t pos = 0;
        std::int64_t lastV = -1;
        const Row* lastRow = nullptr;
        bool bof = true, eof = true;
    };
    struct Impl;   // : Hot
    std::unique_ptr<Impl> impl_;
    Hot* hot_;
};

inline const Value& Field::value() const {
    const Dataset::Hot& h = *owner_.hot_;
    if (h.lastV == h.pos && h.state == DatasetState::Browse && !calculated_ && h.lastRow && !h.lastRow->decoder &&
        std::size_t(index_) < h.lastRow->values.size())
        return h.lastRow->values[std::size_t(index_)];
    return valueSlow();   // and a row not decoded yet
}

}  // namespace vlm::engine
