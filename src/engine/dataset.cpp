// Datasets: the row cache over a driver cursor, navigation, filter, calculated fields and the
// edit buffer. Cursors that seek are cached in blocks that are dropped again far from the
// current record; cursors that only read forward keep what was read.
#include "dataset.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "displayformat.h"
#include "error.h"
#include "filter.h"

namespace vlm::engine {
namespace {

constexpr std::size_t kBlock = Dataset::rowBlockSize;
constexpr std::size_t kDefaultBlocks = 64;

bool sameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
           });
}

[[noreturn]] void usage(const std::string& text, int code = errc::UsageBase) {
    throw EngineError(ErrorCategory::Usage, code, {text});
}

const Value& nullValue() {
    static const Value v;
    return v;
}

bool isNumeric(FieldType t) {
    switch (t) {
    case FieldType::Smallint:
    case FieldType::Integer:
    case FieldType::Word:
    case FieldType::Float:
    case FieldType::Currency:
    case FieldType::BCD:
    case FieldType::AutoInc:
        return true;
    default:
        return false;
    }
}

}  // namespace

struct Dataset::Impl : Dataset::Hot {
    std::unique_ptr<Cursor> cursor;
    int dataFields = 0;
    std::vector<std::pair<std::string, int>> calcDefs;
    std::function<void(Dataset&)> onCalc;

    // Row cache. random: the cursor seeks, rows live in blocks; otherwise rows holds every row
    // read so far, in order.
    bool random = false;
    std::size_t maxBlocks = kDefaultBlocks;
    std::map<std::int64_t, std::vector<Row>> blocks;
    std::int64_t count = -1;       // underlying rows, -1 until known
    std::int64_t seen = 0;         // rows known to exist (positioning drivers), kept when blocks go
    std::vector<Row> rows;
    bool exhausted = false;
    std::int64_t fetched = 0;
    // The block last looked up (map nodes stay put until erased), and the row vrow() last
    // returned: a scan asks for the current row once per field. Both are forgotten whenever
    // the cache or the visible order changes.
    std::int64_t lastBlock = -1;
    std::vector<Row>* lastBlockRows = nullptr;
    std::int64_t lastLoaded = -1;   // the block loadBlock read last

    void forgetRows() {
        lastBlock = -1;
        lastBlockRows = nullptr;
        lastV = -1;
        lastRow = nullptr;
    }

    // Filter: matches holds the underlying indexes of the rows that pass, scanned so far.
    std::string filterText;
    FilterExpression filter;
    bool filtered = false;
    std::vector<std::int64_t> matches;
    std::int64_t scanned = 0;
    bool scanDone = false;

    // Position in the visible order: pos (in Hot).

    // Edit buffer.
    std::vector<Value> buffer;
    Row original;
    std::int64_t insertAt = 0;
    bool appending = false;
    Row scratch;

    // Calculated values of the current record.
    std::vector<Value> calcValues;
    bool calcValid = false;
    bool inCalc = false;

    bool filterActive() const { return filtered && !filter.empty(); }

    void resetCache() {
        forgetRows();
        blocks.clear();
        lastLoaded = -1;
        rows.clear();
        count = -1;
        seen = 0;
        exhausted = false;
        resetScan();
    }
    void resetScan() {
        forgetRows();
        matches.clear();
        scanned = 0;
        scanDone = false;
    }

    const Row* urow(std::int64_t u) {
        if (u < 0 || !cursor) return nullptr;
        if (random) {
            std::int64_t b = u / std::int64_t(kBlock);
            if (b != lastBlock) {
                auto it = blocks.find(b);
                if (it == blocks.end()) it = loadBlock(b, u);
                if (it == blocks.end()) return nullptr;
                lastBlock = b;
                lastBlockRows = &it->second;
            }
            std::size_t i = std::size_t(u % std::int64_t(kBlock));
            return i < lastBlockRows->size() ? &(*lastBlockRows)[i] : nullptr;
        }
        while (std::int64_t(rows.size()) <= u && !exhausted) {
            forgetRows();   // the vector may move its rows
            std::size_t before = rows.size();
            bool more = cursor->fetch(kBlock, rows);
            fetched += std::int64_t(rows.size() - before);
            if (!more) exhausted = true;
        }
        return u < std::int64_t(rows.size()) ? &rows[std::size_t(u)] : nullptr;
    }

    Row* urowMutable(std::int64_t u) { return const_cast<Row*>(urow(u)); }

    // Reads block b (holding row u) from the cursor; a full cache gives up the block farthest
    // away, whose rows the cursor then decodes over. end() when u lies past the known end.
    std::map<std::int64_t, std::vector<Row>>::iterator loadBlock(std::int64_t b, std::int64_t u) {
        if (count >= 0 && u >= count) return blocks.end();
        if (!cursor->seek(b * std::int64_t(kBlock))) usage("The cursor cannot be positioned");
        forgetRows();
        std::vector<Row> v;
        if (blocks.size() >= maxBlocks) {
            // Reading on from the block read last gives up the one before that: its rows are
            // still in the processor's cache, where the farthest block's have long gone.
            auto victim = blocks.end();
            if (b == lastLoaded + 1) victim = blocks.find(b - 2);
            if (victim == blocks.end())
                victim = std::max_element(blocks.begin(), blocks.end(), [&](const auto& x, const auto& y) {
                    return std::llabs(x.first - b) < std::llabs(y.first - b);
                });
            v = std::move(victim->second);
            blocks.erase(victim);
        }
        lastLoaded = b;
        cursor->fetchLazy(kBlock, v);   // rows are decoded when they are first read
        fetched += std::int64_t(v.size());
        seen = std::max(seen, b * std::int64_t(kBlock) + std::int64_t(v.size()));
        if (v.size() < kBlock) count = b * std::int64_t(kBlock) + std::int64_t(v.size());
        return blocks.emplace(b, std::move(v)).first;
    }

    std::int64_t ucount() {
        if (count >= 0) return count;
        if (!cursor) return 0;
        if (random || !exhausted) {
            std::int64_t n = cursor->rowCount();
            if (n >= 0) {
                count = n;
                return n;
            }
        }
        if (random) {
            std::int64_t u = 0;
            while (urow(u)) u += std::int64_t(kBlock);
            return count >= 0 ? count : 0;
        }
        urow(INT64_MAX - 1);
        return std::int64_t(rows.size());
    }

    // Decodes a row the cursor handed out undecoded, and the undecoded rows after it in its
    // block, as a reader going on through the block will want them: one pass over many
    // records costs less than one record at a time. An error is the row's own only.
    void ready(const Row& r) {
        if (!r.decoder) return;
        r.ready();
        if (!lastBlockRows || lastBlockRows->empty()) return;
        const Row* end = lastBlockRows->data() + lastBlockRows->size();
        if (&r < lastBlockRows->data() || &r >= end) return;
        try {
            for (const Row* p = &r + 1; p < end && p->decoder; ++p) p->ready();
        } catch (const EngineError&) {
            // that row reports it when it is read
        }
    }

    bool passes(const Row& r) {
        ready(r);
        return filter.matches([&](int i) -> const Value& {
            return std::size_t(i) < r.values.size() ? r.values[std::size_t(i)] : nullValue();
        });
    }

    bool scanOne() {
        if (scanDone) return false;
        const Row* r = urow(scanned);
        if (!r) {
            scanDone = true;
            return false;
        }
        if (passes(*r)) matches.push_back(scanned);
        ++scanned;
        return true;
    }

    const Row* vrow(std::int64_t v) {
        if (v == lastV) return lastRow;
        if (v < 0) return nullptr;
        const Row* r;
        if (!filterActive()) {
            r = urow(v);
        } else {
            while (std::int64_t(matches.size()) <= v && scanOne()) {
            }
            r = v < std::int64_t(matches.size()) ? urow(matches[std::size_t(v)]) : nullptr;
        }
        if (r) lastV = v, lastRow = r;
        return r;
    }

    std::int64_t uindex(std::int64_t v) {
        if (!filterActive()) return v;
        vrow(v);
        return v < std::int64_t(matches.size()) ? matches[std::size_t(v)] : scanned;
    }

    std::int64_t vcount() {
        if (!filterActive()) return ucount();
        while (scanOne()) {
        }
        return std::int64_t(matches.size());
    }

    // The visible index of underlying row u, or of the first visible row after it.
    std::int64_t vindexAtOrAfter(std::int64_t u) {
        if (!filterActive()) return u;
        resetScan();
        for (std::int64_t v = 0;; ++v) {
            if (!vrow(v)) return v;
            if (matches[std::size_t(v)] >= u) return v;
        }
    }

    std::int64_t findKey(const Value& key, std::int64_t hint) {
        if (key.isNull()) return -1;
        for (std::int64_t u : {hint, ucount() - 1}) {
            const Row* r = urow(u);
            if (r && r->key == key) return u;
        }
        for (std::int64_t u = 0;; ++u) {
            const Row* r = urow(u);
            if (!r) return -1;
            if (r->key == key) return u;
        }
    }

    // Before an update: a cursor that positions again reads the record afresh; when another
    // user changed it since it was read, the post is refused instead of overwriting the change.
    // Cursors that cannot read again, or a record that moved, are left to the driver's check.
    void checkUnchanged(std::int64_t u) {
        if (!random || u < 0 || original.key.isNull()) return;
        std::vector<Row> fresh;
        try {
            if (!cursor->seek(u)) return;
            cursor->fetch(1, fresh);
        } catch (const EngineError&) {
            return;
        }
        lastLoaded = -1;   // the cursor was moved: the next block read positions again
        if (fresh.empty() || !(fresh[0].key == original.key)) return;
        fresh[0].ready();
        if (!(fresh[0].values == original.values)) throw recordChangedError();
    }

    void placeAt(std::int64_t v) {
        pos = std::max<std::int64_t>(v, 0);
        if (!vrow(pos)) {
            std::int64_t n = vcount();
            pos = n > 0 ? n - 1 : 0;
        }
        bof = eof = vrow(0) == nullptr;
        calcValid = false;
    }
};

// ---------------------------------------------------------------------------------------------
// Field

Field::Field(Dataset& owner, int index, FieldDef def, bool calculated)
    : owner_(owner), index_(index), def_(std::move(def)), calculated_(calculated) {}

int Field::displayWidth() const {
    if (width_ > 0) return width_;
    switch (def_.type) {
    case FieldType::String: return def_.size > 0 ? def_.size : 30;
    case FieldType::Smallint: return 6;
    case FieldType::Word: return 5;
    case FieldType::Integer:
    case FieldType::AutoInc: return 11;
    case FieldType::Boolean: return 5;
    case FieldType::Float:
    case FieldType::Currency: return 10;
    case FieldType::BCD: return def_.size > 0 ? def_.size + 2 : 20;
    case FieldType::Date: return 10;
    case FieldType::Time: return 8;
    case FieldType::DateTime: return 19;
    case FieldType::Bytes:
    case FieldType::VarBytes: return def_.size > 0 ? def_.size * 2 : 10;
    default: return 10;
    }
}

std::string Field::displayText() const {
    if (format_.empty() || isNull() || !isNumeric(def_.type)) return asString();
    return formatNumber(asFloat(), format_);
}

bool Field::isNull() const { return value().isNull(); }

const Value& Field::valueSlow() const {
    auto& d = *owner_.impl_;
    if (calculated_) {
        if (!d.calcValid && !d.inCalc) {
            d.calcValues.assign(d.calcDefs.size(), Value());
            if (d.onCalc && d.state != DatasetState::Inactive && (d.state != DatasetState::Browse || d.vrow(d.pos))) {
                d.inCalc = true;
                try {
                    d.onCalc(owner_);
                } catch (...) {
                    d.inCalc = false;
                    throw;
                }
                d.inCalc = false;
            }
            d.calcValid = true;
        }
        std::size_t i = std::size_t(index_ - d.dataFields);
        return i < d.calcValues.size() ? d.calcValues[i] : nullValue();
    }
    if (d.state == DatasetState::Edit || d.state == DatasetState::Insert)
        return std::size_t(index_) < d.buffer.size() ? d.buffer[std::size_t(index_)] : nullValue();
    if (d.state == DatasetState::Inactive) return nullValue();
    const Row* r = d.vrow(d.pos);
    if (r) d.ready(*r);
    return r && std::size_t(index_) < r->values.size() ? r->values[std::size_t(index_)] : nullValue();
}

std::string Field::asString() const { return value().asText(); }
std::int64_t Field::asInteger() const { return value().asInteger(); }
double Field::asFloat() const { return value().asFloat(); }
bool Field::asBoolean() const { return value().asBoolean(); }

void Field::setValue(const Value& v) {
    auto& d = *owner_.impl_;
    if (calculated_) {
        if (!d.inCalc) usage("Field '" + def_.name + "' is calculated: it is set by the calculation only");
        std::size_t i = std::size_t(index_ - d.dataFields);
        if (d.calcValues.size() <= i) d.calcValues.resize(i + 1);
        Value stored = v;
        if (!v.isNull() && !v.is<std::string>()) stored = Value(v.asText());
        if (def_.size > 0 && stored.is<std::string>() && int(stored.get<std::string>().size()) > def_.size)
            stored = Value(stored.get<std::string>().substr(0, std::size_t(def_.size)));
        d.calcValues[i] = std::move(stored);
        return;
    }
    if (d.state != DatasetState::Edit && d.state != DatasetState::Insert)
        usage("Dataset not in edit or insert mode");
    d.buffer[std::size_t(index_)] = v;
    d.calcValid = false;
}

void Field::setAsString(const std::string& s) {
    if (s.empty() && def_.type != FieldType::String) {
        setValue(Value());
        return;
    }
    Value text(s);
    auto bad = [&]() -> void {
        throw EngineError(ErrorCategory::Data, errc::ConversionFailed,
                          {"'" + s + "' is not a valid value for field '" + def_.name + "'"});
    };
    auto num = [&](int from, int len) {
        int v = 0;
        if (from + len > int(s.size())) bad();
        for (int i = from; i < from + len; ++i) {
            if (!std::isdigit(static_cast<unsigned char>(s[std::size_t(i)]))) bad();
            v = v * 10 + (s[std::size_t(i)] - '0');
        }
        return v;
    };
    auto date = [&](int at) {
        Date d{num(at, 4), num(at + 5, 2), num(at + 8, 2)};
        if (s[std::size_t(at + 4)] != '-' || s[std::size_t(at + 7)] != '-' || d.month < 1 || d.month > 12 ||
            d.day < 1 || d.day > 31)
            bad();
        return d;
    };
    auto time = [&](int at) {
        Time t{num(at, 2), num(at + 3, 2), 0, 0};
        if (s[std::size_t(at + 2)] != ':') bad();
        if (int(s.size()) >= at + 8) {
            if (s[std::size_t(at + 5)] != ':') bad();
            t.second = num(at + 6, 2);
        }
        if (int(s.size()) > at + 9 && s[std::size_t(at + 8)] == '.') {
            std::string f = s.substr(std::size_t(at + 9), 3);
            while (f.size() < 3) f += '0';
            t.msec = std::stoi(f);
        }
        if (t.hour > 23 || t.minute > 59 || t.second > 59) bad();
        return t;
    };
    switch (def_.type) {
    case FieldType::Smallint:
    case FieldType::Integer:
    case FieldType::Word:
    case FieldType::AutoInc:
        try {
            setValue(Value(text.asInteger()));
        } catch (const EngineError&) {
            bad();
        }
        return;
    case FieldType::Float:
    case FieldType::Currency:
        try {
            setValue(Value(text.asFloat()));
        } catch (const EngineError&) {
            bad();
        }
        return;
    case FieldType::BCD:
        try {
            text.asFloat();
        } catch (const EngineError&) {
            bad();
        }
        setValue(Value(Decimal{s}));
        return;
    case FieldType::Boolean:
        try {
            setValue(Value(text.asBoolean()));
        } catch (const EngineError&) {
            bad();
        }
        return;
    case FieldType::Date:
        if (s.size() != 10) bad();
        setValue(Value(date(0)));
        return;
    case FieldType::Time:
        setValue(Value(time(0)));
        return;
    case FieldType::DateTime: {
        if (s.size() < 10) bad();
        DateTime dt{date(0), {}};
        if (s.size() > 10) {
            if (s[10] != ' ' && s[10] != 'T') bad();
            dt.time = time(11);
        }
        setValue(Value(dt));
        return;
    }
    case FieldType::Bytes:
    case FieldType::VarBytes:
    case FieldType::Blob:
    case FieldType::Graphic:
        setValue(Value(Bytes(s.begin(), s.end())));
        return;
    default:
        setValue(text);
    }
}

// ---------------------------------------------------------------------------------------------
// Dataset

Dataset::Dataset() : impl_(std::make_unique<Impl>()), hot_(impl_.get()) {}
Dataset::~Dataset() = default;

Cursor* Dataset::cursor() const { return impl_->cursor.get(); }

void Dataset::open() {
    auto& d = *impl_;
    if (d.state != DatasetState::Inactive) return;
    auto cur = openCursor();
    if (!cur) usage("The dataset has no cursor");
    // Settings the caller gave fields of an earlier open are kept for fields of the same name.
    std::vector<std::unique_ptr<Field>> old = std::move(d.fields);
    d.fields.clear();
    const auto& defs = cur->fields();
    d.dataFields = int(defs.size());
    for (std::size_t i = 0; i < defs.size(); ++i) d.fields.push_back(std::make_unique<Field>(*this, int(i), defs[i]));
    for (std::size_t j = 0; j < d.calcDefs.size(); ++j) {
        FieldDef def;
        def.name = d.calcDefs[j].first;
        def.type = FieldType::String;
        def.logicalType = logical::ZSTRING;
        def.size = d.calcDefs[j].second;
        d.fields.push_back(std::make_unique<Field>(*this, d.dataFields + int(j), def, true));
    }
    for (auto& f : d.fields)
        for (auto& o : old)
            if (sameName(o->fieldName(), f->fieldName())) {
                if (o->displayLabel() != o->fieldName()) f->setDisplayLabel(o->displayLabel());
                f->setVisible(o->visible());
                f->setDisplayFormat(o->displayFormat());
                break;
            }
    if (!d.filterText.empty()) {
        try {
            d.filter = FilterExpression::parse(d.filterText);
            d.filter.bind([&](const std::string& n) {
                for (int i = 0; i < d.dataFields; ++i)
                    if (sameName(d.fields[std::size_t(i)]->fieldName(), n)) return i;
                return -1;
            });
        } catch (...) {
            d.fields.clear();
            afterClose();
            throw;
        }
    }
    d.cursor = std::move(cur);
    d.resetCache();
    d.fetched = 0;
    d.random = d.cursor->seek(0);
    d.state = DatasetState::Browse;
    try {
        d.placeAt(0);
        d.bof = true;
    } catch (...) {
        close();
        throw;
    }
}

void Dataset::close() {
    auto& d = *impl_;
    if (d.state == DatasetState::Inactive) return;
    d.state = DatasetState::Inactive;
    d.buffer.clear();
    d.resetCache();   // before the cursor: rows not yet decoded need it
    d.cursor.reset();
    d.pos = 0;
    d.bof = d.eof = true;
    d.calcValid = false;
    afterClose();
}

bool Dataset::active() const { return impl_->state != DatasetState::Inactive; }
DatasetState Dataset::state() const { return impl_->state; }

namespace {
void checkActive(const Dataset& ds) {
    if (!ds.active()) usage("Cannot perform this operation on a closed dataset");
}
}  // namespace

void Dataset::refresh() {
    checkActive(*this);
    auto& d = *impl_;
    if (d.state != DatasetState::Browse) post();
    Bookmark b = bookmark();
    std::int64_t oldPos = d.pos;
    d.resetCache();   // before the cursor: rows not yet decoded need it
    d.cursor.reset();
    d.cursor = openCursor();
    d.random = d.cursor->seek(0);
    try {
        if (b.valid()) {
            gotoBookmark(b);
            return;
        }
    } catch (const EngineError&) {
    }
    d.placeAt(oldPos);
}

Field& Dataset::fieldOutOfRange(int index) const {
    usage("Field index out of range: " + std::to_string(index), errc::UnknownField);
}

Field* Dataset::findField(const std::string& name) {
    for (auto& f : impl_->fields)
        if (sameName(f->fieldName(), name)) return f.get();
    return nullptr;
}

Field& Dataset::fieldByName(const std::string& name) {
    if (Field* f = findField(name)) return *f;
    usage("Field '" + name + "' not found", errc::UnknownField);
}

std::vector<std::string> Dataset::fieldNames() const {
    std::vector<std::string> out;
    for (const auto& f : impl_->fields) out.push_back(f->fieldName());
    return out;
}

void Dataset::addCalcField(const std::string& name, int size) {
    if (active()) usage("Calculated fields are added before the dataset is opened");
    impl_->calcDefs.emplace_back(name, size);
}

void Dataset::setOnCalcFields(std::function<void(Dataset&)> callback) {
    impl_->onCalc = std::move(callback);
    impl_->calcValid = false;
}

namespace {
// Moving away from a record posts its pending changes, as a grid does.
void checkBrowse(Dataset& ds) {
    if (ds.state() == DatasetState::Edit || ds.state() == DatasetState::Insert) ds.post();
}
}  // namespace

void Dataset::first() {
    checkActive(*this);
    checkBrowse(*this);
    impl_->placeAt(0);
    impl_->bof = true;
}

void Dataset::last() {
    checkActive(*this);
    checkBrowse(*this);
    auto& d = *impl_;
    std::int64_t n = d.vcount();
    d.pos = n > 0 ? n - 1 : 0;
    d.eof = true;
    d.bof = n == 0;
    d.calcValid = false;
}

void Dataset::next() {
    checkActive(*this);
    checkBrowse(*this);
    auto& d = *impl_;
    if (d.vrow(d.pos + 1)) {
        ++d.pos;
        d.bof = d.eof = false;
        d.calcValid = false;
    } else {
        d.eof = true;
        if (!d.vrow(d.pos)) d.bof = true;
    }
}

void Dataset::prior() {
    checkActive(*this);
    checkBrowse(*this);
    auto& d = *impl_;
    if (d.pos > 0 && d.vrow(d.pos - 1)) {
        --d.pos;
        d.bof = d.eof = false;
        d.calcValid = false;
    } else {
        d.bof = true;
    }
}

std::int64_t Dataset::moveBy(std::int64_t distance) {
    checkActive(*this);
    checkBrowse(*this);
    auto& d = *impl_;
    std::int64_t start = d.pos;
    if (distance > 0) {
        if (d.vrow(d.pos + distance)) {
            d.pos += distance;
            d.bof = d.eof = false;
        } else {
            std::int64_t n = d.vcount();
            d.pos = n > 0 ? n - 1 : 0;
            d.eof = true;
        }
    } else if (distance < 0) {
        if (d.pos + distance >= 0) {
            d.pos += distance;
            d.bof = d.eof = false;
        } else {
            d.pos = 0;
            d.bof = true;
        }
    }
    d.calcValid = false;
    return d.pos - start;
}


bool Dataset::isEmpty() {
    if (!active()) return true;
    if (impl_->state == DatasetState::Insert) return false;
    return impl_->vrow(0) == nullptr;
}

std::int64_t Dataset::recordCount() {
    checkActive(*this);
    return impl_->vcount();
}

std::int64_t Dataset::recNo() const {
    auto& d = *impl_;
    if (d.state == DatasetState::Inactive) return 0;
    if (d.state == DatasetState::Insert) return d.pos + 1;
    return d.vrow(d.pos) ? d.pos + 1 : 0;
}

void Dataset::setRecNo(std::int64_t n) {
    checkActive(*this);
    checkBrowse(*this);
    auto& d = *impl_;
    if (n < 1) n = 1;
    if (d.vrow(n - 1)) {
        d.pos = n - 1;
        d.bof = d.eof = false;
        d.calcValid = false;
    } else {
        last();
    }
}

Bookmark Dataset::bookmark() const {
    auto& d = *impl_;
    if (d.state == DatasetState::Inactive) return {};
    const Row* r = d.vrow(d.pos);
    if (!r) return {};
    return {d.uindex(d.pos), r->key};
}

void Dataset::gotoBookmark(const Bookmark& b) {
    checkActive(*this);
    checkBrowse(*this);
    auto& d = *impl_;
    if (!b.valid()) usage("Invalid bookmark");
    std::int64_t u = b.position;
    const Row* r = d.urow(u);
    if (!r || (!b.key.isNull() && !(r->key == b.key))) {
        u = d.findKey(b.key, b.position);
        if (u < 0) throw EngineError(ErrorCategory::Data, errc::DataBase, {"Record/Key deleted."});
    }
    std::int64_t v = u;
    if (d.filterActive()) {
        v = d.vindexAtOrAfter(u);
        if (!d.vrow(v) || d.matches[std::size_t(v)] != u)
            throw EngineError(ErrorCategory::Data, errc::DataBase, {"The record is hidden by the filter."});
    }
    d.pos = v;
    d.bof = d.eof = false;
    d.calcValid = false;
}

const std::string& Dataset::filter() const { return impl_->filterText; }

void Dataset::setFilter(const std::string& expression) {
    auto& d = *impl_;
    FilterExpression f = FilterExpression::parse(expression);
    if (active()) {
        f.bind([&](const std::string& n) {
            for (int i = 0; i < d.dataFields; ++i)
                if (sameName(d.fields[std::size_t(i)]->fieldName(), n)) return i;
            return -1;
        });
        checkBrowse(*this);
    }
    d.filterText = expression;
    d.filter = std::move(f);
    d.forgetRows();
    if (active() && d.filtered) {
        d.resetScan();
        d.placeAt(0);
    }
}

bool Dataset::filtered() const { return impl_->filtered; }

void Dataset::setFiltered(bool on) {
    auto& d = *impl_;
    if (d.filtered == on) return;
    if (active()) checkBrowse(*this);
    d.filtered = on;
    d.forgetRows();
    if (active()) {
        d.resetScan();
        d.placeAt(0);
    }
}

bool Dataset::canModify() const { return active() && impl_->cursor->canModify(); }

namespace {
void checkModify(const Dataset& ds) {
    checkActive(ds);
    if (!ds.canModify()) usage("Cannot modify a read-only dataset.", errc::ReadOnly);
}
}  // namespace

void Dataset::edit() {
    auto& d = *impl_;
    if (d.state == DatasetState::Edit || d.state == DatasetState::Insert) return;
    checkModify(*this);
    const Row* r = d.vrow(d.pos);
    if (!r) usage("Cannot perform this operation on an empty dataset");
    d.ready(*r);
    d.original = *r;
    d.buffer = r->values;
    d.state = DatasetState::Edit;
    d.calcValid = false;
}

void Dataset::insert() {
    checkModify(*this);
    checkBrowse(*this);
    auto& d = *impl_;
    d.buffer.assign(std::size_t(d.dataFields), Value());
    d.insertAt = d.vrow(d.pos) ? d.uindex(d.pos) : 0;
    d.appending = false;
    d.state = DatasetState::Insert;
    d.bof = d.eof = false;
    d.calcValid = false;
}

void Dataset::append() {
    insert();
    impl_->appending = true;
}

void Dataset::post() {
    auto& d = *impl_;
    if (d.state != DatasetState::Edit && d.state != DatasetState::Insert) usage("Dataset not in edit or insert mode");
    if (d.state == DatasetState::Edit) {
        std::int64_t u = d.uindex(d.pos);
        d.checkUnchanged(u);
        Row stored = d.cursor->updateRow(d.original, d.buffer);
        if (Row* r = d.urowMutable(u)) *r = stored;
        d.state = DatasetState::Browse;
        if (d.filterActive()) {
            d.resetScan();
            d.placeAt(d.vindexAtOrAfter(u));
        }
        d.calcValid = false;
        return;
    }
    Row stored = d.cursor->insertRow(d.buffer);
    std::int64_t u;
    if (d.random) {
        std::int64_t hint = d.appending ? d.ucount() : d.insertAt;
        d.forgetRows();
        d.blocks.clear();
        d.count = -1;
        u = d.findKey(stored.key, hint);
        if (u < 0) u = std::min(hint, std::max<std::int64_t>(d.ucount() - 1, 0));
    } else {
        u = d.appending ? d.ucount() : std::min(d.insertAt, d.ucount());
        d.forgetRows();
        d.rows.insert(d.rows.begin() + u, stored);
        if (d.count >= 0) ++d.count;
    }
    d.state = DatasetState::Browse;
    d.buffer.clear();
    d.resetScan();
    d.placeAt(d.vindexAtOrAfter(u));
    d.bof = d.eof = false;
}

void Dataset::cancel() {
    auto& d = *impl_;
    if (d.state != DatasetState::Edit && d.state != DatasetState::Insert) return;
    d.state = DatasetState::Browse;
    d.buffer.clear();
    d.calcValid = false;
    bool empty = d.vrow(0) == nullptr;
    d.bof = d.eof = empty;
}

void Dataset::deleteRecord() {
    auto& d = *impl_;
    if (d.state == DatasetState::Insert) {
        cancel();
        return;
    }
    if (d.state == DatasetState::Edit) cancel();
    checkModify(*this);
    const Row* r = d.vrow(d.pos);
    if (!r) usage("Cannot perform this operation on an empty dataset");
    std::int64_t u = d.uindex(d.pos);
    d.cursor->deleteRow(*r);
    d.forgetRows();
    if (d.random) {
        d.blocks.clear();
        if (d.count > 0) --d.count;
        if (d.seen > 0) --d.seen;
    } else {
        d.rows.erase(d.rows.begin() + u);
        if (d.count > 0) --d.count;
    }
    d.resetScan();
    d.placeAt(d.vindexAtOrAfter(u));
}

const Row& Dataset::currentRow() const {
    auto& d = *impl_;
    if (d.state == DatasetState::Edit || d.state == DatasetState::Insert) {
        d.scratch = d.state == DatasetState::Edit ? d.original : Row{};
        d.scratch.values = d.buffer;
        return d.scratch;
    }
    if (const Row* r = d.state == DatasetState::Inactive ? nullptr : d.vrow(d.pos)) {
        d.ready(*r);
        return *r;
    }
    d.scratch = Row{};
    return d.scratch;
}

std::int64_t Dataset::fetchedCount() const { return impl_->fetched; }

const Row* Dataset::rowAt(std::int64_t n) {
    auto& d = *impl_;
    if (d.state == DatasetState::Inactive || n < 0) return nullptr;
    const Row* r = d.vrow(n);
    if (!r) return nullptr;
    d.ready(*r);
    return r;
}

std::int64_t Dataset::knownRowCount(bool* complete) {
    auto& d = *impl_;
    auto done = [&](bool c) {
        if (complete) *complete = c;
    };
    if (d.state == DatasetState::Inactive) {
        done(true);
        return 0;
    }
    if (d.filterActive()) {
        done(d.scanDone);
        return std::int64_t(d.matches.size());
    }
    if (d.count >= 0) {
        done(true);
        return d.count;
    }
    if (d.random || !d.exhausted) {
        std::int64_t n = d.cursor->countKnown();
        if (n >= 0) {
            d.count = n;
            done(true);
            return n;
        }
    }
    if (d.random) {
        // A positioning cursor that cannot count: the blocks read so far tell a lower bound,
        // which stays when blocks are given up.
        done(false);
        return d.seen;
    }
    done(d.exhausted);
    return std::int64_t(d.rows.size());
}

void Dataset::setBlockBudget(std::size_t blocks) {
    auto& d = *impl_;
    d.maxBlocks = std::clamp<std::size_t>(blocks, 2, 65536);
    // A smaller budget gives up the blocks farthest from the current record at once.
    std::int64_t here = d.pos;
    if (d.filterActive()) here = d.pos < std::int64_t(d.matches.size()) ? d.matches[std::size_t(d.pos)] : d.scanned;
    here /= std::int64_t(kBlock);
    while (d.blocks.size() > d.maxBlocks) {
        auto victim = std::max_element(d.blocks.begin(), d.blocks.end(), [&](const auto& x, const auto& y) {
            return std::llabs(x.first - here) < std::llabs(y.first - here);
        });
        d.forgetRows();
        d.blocks.erase(victim);
    }
}

std::size_t Dataset::blockBudget() const { return impl_->maxBlocks; }
std::size_t Dataset::cachedBlockCount() const { return impl_->blocks.size(); }

}  // namespace vlm::engine
