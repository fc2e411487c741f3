// Values, field and index definitions and table-list entries shared by the engine and its drivers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

namespace vlm::engine {

// Field type codes of datasets, as used by the export format and the compare log.
enum class FieldType : int {
    Unknown = 0, String = 1, Smallint = 2, Integer = 3, Word = 4, Boolean = 5, Float = 6,
    Currency = 7, BCD = 8, Date = 9, Time = 10, DateTime = 11, Bytes = 12, VarBytes = 13,
    AutoInc = 14, Blob = 15, Memo = 16, Graphic = 17, FmtMemo = 18, ParadoxOle = 19,
    DBaseOle = 20, TypedBinary = 21, Cursor = 22
};
const char* fieldTypeName(FieldType t);   // "String", "Integer", ...

// The engine's logical field type codes (TYPE of a field definition) and sub-types (SUBTYPE).
namespace logical {
enum : int {
    UNKNOWN = 0, ZSTRING = 1, DATE = 2, BLOB = 3, BOOL = 4, INT16 = 5, INT32 = 6, FLOAT = 7,
    BCD = 8, BYTES = 9, TIME = 10, TIMESTAMP = 11, UINT16 = 12, UINT32 = 13, FLOATIEEE = 14,
    VARBYTES = 15, LOCKINFO = 16, CURSOR = 17, INT64 = 18, UINT64 = 19
};
}
namespace subtype {
enum : int {
    NONE = 0, MONEY = 21, MEMO = 22, BINARY = 23, FMTMEMO = 24, OLEOBJ = 25, GRAPHIC = 26,
    DBSOLEOBJ = 27, TYPEDBINARY = 28, AUTOINC = 29
};
}

struct Date {
    int year = 0, month = 0, day = 0;
    bool operator==(const Date&) const = default;
    auto operator<=>(const Date&) const = default;
};
struct Time {
    int hour = 0, minute = 0, second = 0, msec = 0;
    bool operator==(const Time&) const = default;
    auto operator<=>(const Time&) const = default;
};
struct DateTime {
    Date date;
    Time time;
    bool operator==(const DateTime&) const = default;
    auto operator<=>(const DateTime&) const = default;
};
// An exact decimal kept as its canonical text ("-12.50"): NUMERIC/DECIMAL/BCD values.
struct Decimal {
    std::string text;
    bool operator==(const Decimal&) const = default;
};
using Bytes = std::vector<std::uint8_t>;

// One value of a field. Null is the empty alternative.
class Value {
public:
    using Storage = std::variant<std::monostate, bool, std::int64_t, double, std::string, Bytes,
                                 Date, Time, DateTime, Decimal>;
    Value() = default;
    Value(std::nullptr_t) {}
    Value(bool b) : v_(b) {}
    Value(int i) : v_(std::int64_t(i)) {}
    Value(std::int64_t i) : v_(i) {}
    Value(double d) : v_(d) {}
    Value(const char* s) : v_(std::string(s)) {}
    Value(std::string s) : v_(std::move(s)) {}
    Value(Bytes b) : v_(std::move(b)) {}
    Value(Date d) : v_(d) {}
    Value(Time t) : v_(t) {}
    Value(DateTime t) : v_(t) {}
    Value(Decimal d) : v_(std::move(d)) {}

    // Sets text in place: a value that holds text already keeps its buffer, so readers that
    // decode over recycled rows allocate nothing for text that fits.
    void setText(std::string_view s) {
        if (auto* t = std::get_if<std::string>(&v_)) {
            t->clear();
            t->append(s.data(), s.size());
        } else {
            v_.emplace<std::string>(s);
        }
    }
    // Sets a bool, std::int64_t, double, Date, Time or DateTime in place, without a temporary.
    template <class T> void setScalar(T x) {
        static_assert(std::is_trivially_copyable_v<T>, "setScalar takes the plain alternatives");
        if (auto* p = std::get_if<T>(&v_)) *p = x;
        else v_.template emplace<T>(x);
    }
    void setNull() {
        if (v_.index() != 0) v_.template emplace<std::monostate>();
    }

    bool isNull() const { return v_.index() == 0; }
    const Storage& storage() const { return v_; }
    template <class T> bool is() const { return std::holds_alternative<T>(v_); }
    template <class T> const T& get() const { return std::get<T>(v_); }

    // Conversions used by fields: text in the engine's text form (see format.h for dates).
    std::string asText() const;
    std::int64_t asInteger() const;   // throws EngineError when the text is no number
    double asFloat() const;
    bool asBoolean() const;

    bool operator==(const Value& o) const { return v_ == o.v_; }

private:
    Storage v_;
};

// A field (column) definition as drivers report it and as tables are created from.
struct FieldDef {
    std::string name;
    FieldType type = FieldType::Unknown;
    int logicalType = logical::UNKNOWN;   // TYPE
    int subType = subtype::NONE;          // SUBTYPE
    int size = 0;                         // UNITS1: characters, bytes, or precision for numbers
    int scale = 0;                        // UNITS2
    bool required = false;
    std::string nativeType;               // the server's own type text, "VARCHAR(20)", "N"
};

struct IndexDef {
    std::string name;
    std::vector<std::string> fields;
    bool primary = false;
    bool unique = false;
    bool descending = false;
    std::string expression;               // dBase expression index, when not a field list
};

// One entry of a database's table list, with the extended attributes.
struct TableEntry {
    std::string name;        // NAME: "OWNER.TABLE" where the server reports an owner, "ORDERS.DBF" locally
    std::string extension;   // EXTENSION: "DBF", "DB", empty on servers
    std::string type;        // TYPE: "DBASE", "PARADOX", "TABLE", "VIEW", "SYSTEM TABLE"
    bool view = false;       // VIEW
    std::optional<DateTime> modified;   // DATE and TIME of the last change, where known
    std::int64_t size = -1;  // SIZE in bytes, -1 when unknown
    std::string fileName;    // FILENAME: full path of local tables, empty on servers
};

struct Row;

// Decodes the values of a row handed out undecoded (Cursor::fetchLazy).
class RowDecoder {
public:
    // Fills row.values and makes the row a plain one; throws, leaving the row undecoded, where
    // the record cannot be decoded.
    virtual void decodeRow(Row& row) const = 0;

protected:
    ~RowDecoder() = default;
};

// One row of a cursor. key identifies the row to its driver for updates (record number, rowid).
// A row read by fetchLazy may come with its decoder and what that needs to find the stored
// record again (stored, storedTag), its values not to be read until ready() decoded them.
struct Row {
    std::vector<Value> values;
    Value key;
    bool deleted = false;    // dBase soft-deleted record shown by the soft-delete switch
    const RowDecoder* decoder = nullptr;
    const std::uint8_t* stored = nullptr;
    std::uint64_t storedTag = 0;

    void ready() const {
        if (decoder) decoder->decodeRow(const_cast<Row&>(*this));
    }
};

}  // namespace vlm::engine
