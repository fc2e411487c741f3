// The Paradox table: block chain, record codecs, keyed order and index maintenance.
#include "engine/drivers/local/pathutil.h"
#include "pxtable.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cmath>
#include <cstring>
#include <ctime>

#include "pxindex.h"

namespace vlm::engine::local::paradox {
namespace {

constexpr std::uint64_t kIndexFlagOffset = 0x4F;   // "index update required" while indexes are rebuilt

std::uint16_t rd16(const std::uint8_t* p) { return std::uint16_t(p[0] | (p[1] << 8)); }
void wr16(std::uint8_t* p, std::uint32_t v) { p[0] = std::uint8_t(v), p[1] = std::uint8_t(v >> 8); }


std::string stem(const std::string& path) {
    auto d = path.find_last_of('.');
    auto s = path.find_last_of('/');
    if (d == std::string::npos || (s != std::string::npos && d < s)) return path;
    return path.substr(0, d);
}

[[noreturn]] void dataError(const std::string& field, const std::string& what) {
    throw EngineError(ErrorCategory::Data, errc::ConversionFailed, {"Field " + field + ": " + what});
}

bool parseDate(const std::string& s, Date& d) {
    int y, m, dd;
    if (std::sscanf(s.c_str(), "%d-%d-%d", &y, &m, &dd) == 3) { d = {y, m, dd}; return true; }
    if (std::sscanf(s.c_str(), "%d.%d.%d", &dd, &m, &y) == 3) { d = {y, m, dd}; return true; }
    return false;
}
bool parseTime(const std::string& s, Time& t) {
    int h = 0, m = 0, sec = 0, ms = 0;
    int n = std::sscanf(s.c_str(), "%d:%d:%d.%d", &h, &m, &sec, &ms);
    if (n < 2) return false;
    t = {h, m, sec, ms};
    return true;
}
bool validDate(const Date& d) {
    return d.year >= 1 && d.year <= 9999 && d.month >= 1 && d.month <= 12 && d.day >= 1 &&
           d.day <= 31 && daysToDate(dateToDays(d)) == d;
}

std::uint32_t nowStamp() { return std::uint32_t(std::time(nullptr)); }

}  // namespace

// ---- field definitions ----

PxField pxFieldFor(const FieldDef& def, const std::string& table) {
    PxField f;
    f.name = def.name.substr(0, 25);
    if (f.name.empty()) throw EngineError(ErrorCategory::Data, errc::ConversionFailed, {"A field of " + table + " has no name"});
    auto sized = [&](int lo, int hi, int dflt) {
        int s = def.size > 0 ? def.size : dflt;
        return std::clamp(s, lo, hi);
    };
    int lt = def.logicalType;
    int st = def.subType;
    if (lt == logical::UNKNOWN) {
        switch (def.type) {
        case FieldType::String: lt = logical::ZSTRING; break;
        case FieldType::Smallint: lt = logical::INT16; break;
        case FieldType::Word: lt = logical::UINT16; break;
        case FieldType::Integer: lt = logical::INT32; break;
        case FieldType::AutoInc: lt = logical::INT32, st = subtype::AUTOINC; break;
        case FieldType::Boolean: lt = logical::BOOL; break;
        case FieldType::Float: lt = logical::FLOAT; break;
        case FieldType::Currency: lt = logical::FLOAT, st = subtype::MONEY; break;
        case FieldType::BCD: lt = logical::BCD; break;
        case FieldType::Date: lt = logical::DATE; break;
        case FieldType::Time: lt = logical::TIME; break;
        case FieldType::DateTime: lt = logical::TIMESTAMP; break;
        case FieldType::Bytes: case FieldType::VarBytes: lt = logical::BYTES; break;
        case FieldType::Memo: lt = logical::BLOB, st = subtype::MEMO; break;
        case FieldType::FmtMemo: lt = logical::BLOB, st = subtype::FMTMEMO; break;
        case FieldType::Graphic: lt = logical::BLOB, st = subtype::GRAPHIC; break;
        case FieldType::ParadoxOle: case FieldType::DBaseOle: lt = logical::BLOB, st = subtype::OLEOBJ; break;
        case FieldType::Blob: case FieldType::TypedBinary: lt = logical::BLOB, st = subtype::BINARY; break;
        default:
            throw EngineError(ErrorCategory::Usage, errc::NotSupported,
                              {"Field " + def.name + ": its type cannot be stored in a Paradox table"});
        }
    }
    switch (lt) {
    case logical::ZSTRING: f.type = ftype::Alpha, f.size = sized(1, 255, 20); break;
    case logical::DATE: f.type = ftype::Date; break;
    case logical::INT16: case logical::UINT16: f.type = ftype::Short; break;
    case logical::INT32: case logical::UINT32:
        f.type = st == subtype::AUTOINC ? ftype::AutoInc : ftype::Long;
        break;
    case logical::FLOAT: case logical::FLOATIEEE: case logical::INT64: case logical::UINT64:
        f.type = st == subtype::MONEY ? ftype::Money : ftype::Number;
        break;
    case logical::BCD:
        if (def.size > 32 || def.scale > 32) f.type = ftype::Number;
        else f.type = ftype::Bcd, f.decimals = std::clamp(def.scale, 0, 32);
        break;
    case logical::BOOL: f.type = ftype::Logical; break;
    case logical::TIME: f.type = ftype::Time; break;
    case logical::TIMESTAMP: f.type = ftype::Timestamp; break;
    case logical::BYTES: case logical::VARBYTES:
        if (def.size > 255) f.type = ftype::Binary, f.size = 10 + 10;
        else f.type = ftype::Bytes, f.size = sized(1, 255, 1);
        break;
    case logical::BLOB:
        switch (st) {
        case subtype::MEMO: f.type = ftype::Memo; break;
        case subtype::FMTMEMO: f.type = ftype::FmtMemo; break;
        case subtype::OLEOBJ: case subtype::DBSOLEOBJ: f.type = ftype::Ole; break;
        case subtype::GRAPHIC: f.type = ftype::Graphic; break;
        default: f.type = ftype::Binary; break;
        }
        f.size = 10 + sized(1, 240, 10);
        break;
    default:
        throw EngineError(ErrorCategory::Usage, errc::NotSupported,
                          {"Field " + def.name + ": its type cannot be stored in a Paradox table"});
    }
    return f;
}

FieldDef fieldDefFor(const PxField& f) {
    FieldDef d;
    d.name = f.name;
    d.nativeType = typeName(f.type);
    switch (f.type) {
    case ftype::Alpha: d.type = FieldType::String, d.logicalType = logical::ZSTRING, d.size = f.size; break;
    case ftype::Date: d.type = FieldType::Date, d.logicalType = logical::DATE; break;
    case ftype::Short: d.type = FieldType::Smallint, d.logicalType = logical::INT16; break;
    case ftype::Long: d.type = FieldType::Integer, d.logicalType = logical::INT32; break;
    case ftype::AutoInc:
        d.type = FieldType::AutoInc, d.logicalType = logical::INT32, d.subType = subtype::AUTOINC;
        break;
    case ftype::Money: d.type = FieldType::Currency, d.logicalType = logical::FLOAT, d.subType = subtype::MONEY; break;
    case ftype::Number: d.type = FieldType::Float, d.logicalType = logical::FLOAT; break;
    case ftype::Logical: d.type = FieldType::Boolean, d.logicalType = logical::BOOL; break;
    case ftype::Time: d.type = FieldType::Time, d.logicalType = logical::TIME; break;
    case ftype::Timestamp: d.type = FieldType::DateTime, d.logicalType = logical::TIMESTAMP; break;
    case ftype::Bcd: d.type = FieldType::BCD, d.logicalType = logical::BCD, d.size = 32, d.scale = f.decimals; break;
    case ftype::Bytes: d.type = FieldType::Bytes, d.logicalType = logical::BYTES, d.size = f.size; break;
    case ftype::Memo: d.type = FieldType::Memo, d.logicalType = logical::BLOB, d.subType = subtype::MEMO; break;
    case ftype::Binary: d.type = FieldType::Blob, d.logicalType = logical::BLOB, d.subType = subtype::BINARY; break;
    case ftype::FmtMemo: d.type = FieldType::FmtMemo, d.logicalType = logical::BLOB, d.subType = subtype::FMTMEMO; break;
    case ftype::Ole: d.type = FieldType::ParadoxOle, d.logicalType = logical::BLOB, d.subType = subtype::OLEOBJ; break;
    case ftype::Graphic: d.type = FieldType::Graphic, d.logicalType = logical::BLOB, d.subType = subtype::GRAPHIC; break;
    default: break;
    }
    if (isBlobType(f.type)) d.size = f.size - 10;
    return d;
}

// ---- open ----

PxTable::PxTable(FileSystem& fs, const std::string& path, const OpenOptions& options)
    : fs_(fs), path_(path), options_(options) {
    writable_ = !options.readOnly;
    try {
        db_ = fs_.open(path_, writable_ ? ReadWrite : ReadOnly);
    } catch (const EngineError& e) {
        if (!writable_ || e.nativeCode() != EACCES) throw;
        writable_ = false;
        db_ = fs_.open(path_, ReadOnly);
    }
    h_ = readHeader(*db_);
    if (h_.fileType != filetype::KeyedDb && h_.fileType != filetype::UnkeyedDb)
        corrupt(path_, "it is an index file, not a table");
    if (!db_->lock(options.exclusive))
        throw EngineError(ErrorCategory::File, errc::FileLocked,
                          {"Table " + baseName(path_) + " is locked by another user"});
    cp_ = std::make_unique<CodePage>(h_.codePage);
    for (auto& f : h_.fields) {
        f.name = cp_->toUtf8(f.name.data(), f.name.size());
        defs_.push_back(fieldDefFor(f));
    }
    for (std::size_t i = 0; i < std::size_t(h_.pkFields); ++i) defs_[i].required = true;
    if (std::any_of(h_.fields.begin(), h_.fields.end(), [](const PxField& f) { return isBlobType(f.type); }))
        mb_ = std::make_unique<BlobFile>(fs_, companion("MB"), writable_);
    loadChain();
    loadSecondaries();
    std::uint8_t flag = 0;
    db_->read(kIndexFlagOffset, &flag, 1);
    bool pxMissing = keyed() && !fs_.exists(companion("PX"));
    if (writable_ && (flag || pxMissing)) rebuildIndexes();   // finish an interrupted index update
}

PxTable::~PxTable() = default;

std::string PxTable::companion(const std::string& ext) const {
    // Companions follow the case of the table's own extension.
    std::string name = baseName(path_);
    auto dot = name.find_last_of('.');
    bool lower = dot != std::string::npos && dot + 1 < name.size() &&
                 std::islower(static_cast<unsigned char>(name[dot + 1]));
    std::string e = ext;
    if (lower)
        for (auto& c : e) c = char(std::tolower(static_cast<unsigned char>(c)));
    return stem(path_) + "." + e;
}

std::string PxTable::tableFile() const { return baseName(path_); }

void PxTable::loadChain() {
    chain_.clear();
    free_.clear();
    std::uint64_t fsize = db_->size();
    std::vector<bool> seen(std::size_t(h_.fileBlocks) + 1, false);
    int b = h_.firstBlock, prev = 0;
    int per = h_.recordsPerBlock();
    while (b != 0) {
        if (b < 0 || b > h_.fileBlocks || h_.blockOffset(b) + 6 > fsize)
            corrupt(path_, "the block list points to block " + std::to_string(b) + " past the end of the file");
        if (seen[std::size_t(b)]) corrupt(path_, "the block list loops back to block " + std::to_string(b));
        seen[std::size_t(b)] = true;
        std::uint8_t hd[6];
        db_->readExact(h_.blockOffset(b), hd, 6);
        int next = rd16(hd);
        int add = std::int16_t(rd16(hd + 4));
        if ((add + h_.recordSize) % h_.recordSize != 0 || add + h_.recordSize < 0)
            corrupt(path_, "block " + std::to_string(b) + " gives an impossible record count");
        int count = add / h_.recordSize + 1;
        if (count > per)
            corrupt(path_, "block " + std::to_string(b) + " claims " + std::to_string(count) +
                               " records but holds at most " + std::to_string(per));
        if (h_.blockOffset(b) + 6 + std::uint64_t(count) * std::uint64_t(h_.recordSize) > fsize)
            corrupt(path_, "block " + std::to_string(b) + " runs past the end of the file");
        Block blk;
        blk.no = b;
        blk.count = count;
        chain_.push_back(std::move(blk));
        prev = b;
        b = next;
    }
    (void)prev;
    for (int i = 1; i <= h_.fileBlocks; ++i)
        if (!seen[std::size_t(i)]) free_.push_back(i);
    recount();
    cachedNo_ = 0;
}

void PxTable::recount() {
    start_.assign(chain_.size() + 1, 0);
    for (std::size_t i = 0; i < chain_.size(); ++i) start_[i + 1] = start_[i] + chain_[i].count;
    total_ = start_.back();
}

void PxTable::loadSecondaries() {
    secondaries_.clear();
    if (!keyed()) return;
    std::string stemName = upper(baseName(stem(path_)));
    std::vector<std::string> names = fs_.list(dirName(path_));
    std::sort(names.begin(), names.end());
    for (auto& n : names) {
        auto dot = n.find_last_of('.');
        if (dot == std::string::npos || upper(n.substr(0, dot)) != stemName) continue;
        std::string ext = upper(n.substr(dot + 1));
        if (ext.size() != 3 || ext[0] != 'X') continue;
        std::string xPath = dirName(path_) + "/" + n;
        std::string yExt = n.substr(dot + 1);
        yExt[0] = std::islower(static_cast<unsigned char>(yExt[0])) ? 'y' : 'Y';
        Secondary s;
        s.xPath = xPath;
        s.yPath = dirName(path_) + "/" + n.substr(0, dot) + "." + yExt;
        try {
            auto xf = fs_.open(xPath, ReadOnly);
            PxHeader xh = readHeader(*xf);
            int nIdx = int(xh.fields.size()) - h_.pkFields - 1;
            if (nIdx < 1) nIdx = 1;
            for (int i = 0; i < nIdx && i < int(xh.fields.size()); ++i) {
                std::string fname = cp_->toUtf8(xh.fields[std::size_t(i)].name.data(), xh.fields[std::size_t(i)].name.size());
                auto it = std::find_if(h_.fields.begin(), h_.fields.end(),
                                       [&](const PxField& f) { return upper(f.name) == upper(fname); });
                if (it == h_.fields.end()) break;
                s.fieldNos.push_back(int(it - h_.fields.begin()));
                s.def.fields.push_back(it->name);
            }
            if (s.fieldNos.empty()) continue;
            s.def.name = cp_->toUtf8(xh.tableName.data(), xh.tableName.size());
            if (s.def.name.empty()) s.def.name = s.def.fields[0];
            s.def.unique = xh.indexFlags & 1;
            s.def.descending = xh.indexFlags & 2;
        } catch (const EngineError&) {
            continue;   // a damaged secondary index is left out; the table still opens
        }
        secondaries_.push_back(std::move(s));
    }
}

// ---- reading ----

std::pair<std::size_t, int> PxTable::locate(std::int64_t i) const {
    auto it = std::upper_bound(start_.begin(), start_.end(), i);
    std::size_t pos = std::size_t(it - start_.begin()) - 1;
    return {pos, int(i - start_[pos])};
}

std::uint8_t* PxTable::loadBlock(int no) {
    if (cachedNo_ != no) {
        buf_.assign(std::size_t(h_.blockSize()), 0);
        cachedNo_ = 0;
        db_->read(h_.blockOffset(no), buf_.data(), buf_.size());
        cachedNo_ = no;
    }
    return buf_.data();
}

void PxTable::storeBlock() {
    db_->write(h_.blockOffset(cachedNo_), buf_.data(), buf_.size());
}

void PxTable::readRecord(std::int64_t i, Row& row) {
    if (i < 0 || i >= total_)
        throw EngineError(ErrorCategory::Usage, errc::UsageBase,
                          {"Record " + std::to_string(i) + " is outside table " + tableFile()});
    auto [pos, slot] = locate(i);
    std::uint8_t* b = loadBlock(chain_[pos].no);
    decode(b + 6 + std::size_t(slot) * std::size_t(h_.recordSize), row);
    row.key = Value(i);
    row.deleted = false;
}

void PxTable::decode(const std::uint8_t* rec, Row& row) {
    row.values.resize(h_.fields.size());
    for (std::size_t k = 0; k < h_.fields.size(); ++k) row.values[k] = decodeField(rec, k);
}

Value PxTable::readField(std::int64_t i, int field) {
    if (i < 0 || i >= total_ || field < 0 || field >= int(h_.fields.size()))
        throw EngineError(ErrorCategory::Usage, errc::UsageBase,
                          {"Record " + std::to_string(i) + " is outside table " + tableFile()});
    auto [pos, slot] = locate(i);
    std::uint8_t* b = loadBlock(chain_[pos].no);
    return decodeField(b + 6 + std::size_t(slot) * std::size_t(h_.recordSize), std::size_t(field));
}

Value PxTable::decodeField(const std::uint8_t* rec, std::size_t k) {
    const PxField& f = h_.fields[k];
    const std::uint8_t* p = rec + f.offset;
    if (isBlobType(f.type)) {
        auto data = mb_ ? mb_->read(p, f.size, f.name) : std::optional<Bytes>();
        if (!data) return Value();
        if (f.type == ftype::Memo) return Value(cp_->toUtf8(reinterpret_cast<const char*>(data->data()), data->size()));
        return Value(std::move(*data));
    }
    if (isNullBytes(p, f.size)) return Value();
    switch (f.type) {
    case ftype::Alpha: {
        const char* s = reinterpret_cast<const char*>(p);
        return Value(cp_->toUtf8(s, strnlen(s, std::size_t(f.size))));
    }
    case ftype::Bytes: return Value(Bytes(p, p + f.size));
    case ftype::Short: return Value(getInt(p, 2));
    case ftype::Long: case ftype::AutoInc: return Value(getInt(p, 4));
    case ftype::Money: case ftype::Number: return Value(getDouble(p));
    case ftype::Logical: return Value(p[0] != 0x80);
    case ftype::Date: return Value(daysToDate(getInt(p, 4)));
    case ftype::Time: {
        std::int64_t ms = getInt(p, 4);
        if (ms < 0 || ms >= 86400000) return Value();
        return Value(Time{int(ms / 3600000), int(ms / 60000 % 60), int(ms / 1000 % 60), int(ms % 1000)});
    }
    case ftype::Timestamp: {
        double ms = getDouble(p);
        if (!(ms >= 0 && ms < 3.2e17)) return Value();
        auto total = std::int64_t(std::llround(ms));
        std::int64_t days = total / 86400000, rest = total % 86400000;
        return Value(DateTime{daysToDate(days), Time{int(rest / 3600000), int(rest / 60000 % 60),
                                                     int(rest / 1000 % 60), int(rest % 1000)}});
    }
    case ftype::Bcd: return Value(Decimal{getBcd(p, f.decimals)});
    default: return Value();
    }
}

// ---- writing ----

void PxTable::requireWritable() const {
    if (!writable_)
        throw EngineError(ErrorCategory::Usage, errc::ReadOnly, {"Table " + tableFile() + " is open read-only"});
}

int PxTable::keyBytes() const {
    int n = 0;
    for (int i = 0; i < h_.pkFields; ++i) n += h_.fields[std::size_t(i)].size;
    return n;
}

void PxTable::encode(const std::vector<Value>& values, std::uint8_t* rec, std::vector<std::uint8_t>* old) {
    if (values.size() != h_.fields.size())
        throw EngineError(ErrorCategory::Usage, errc::UsageBase,
                          {"Table " + tableFile() + " has " + std::to_string(h_.fields.size()) +
                           " fields but " + std::to_string(values.size()) + " values were given"});
    std::vector<std::pair<std::size_t, Bytes>> blobs;
    for (std::size_t k = 0; k < h_.fields.size(); ++k) {
        const PxField& f = h_.fields[k];
        const Value& v = values[k];
        std::uint8_t* p = rec + f.offset;
        if (isBlobType(f.type)) {
            Bytes data;
            if (v.is<Bytes>()) data = v.get<Bytes>();
            else if (!v.isNull()) {
                std::string s = f.type == ftype::Memo ? cp_->fromUtf8(v.asText(), "Field " + f.name + " of table " + tableFile()) : v.asText();
                data.assign(s.begin(), s.end());
            }
            blobs.emplace_back(k, std::move(data));
            continue;
        }
        if (f.type == ftype::AutoInc && v.isNull()) {
            // A new record gets the next number; an updated one keeps its own.
            if (isNullBytes(p, 4)) putInt(p, 4, std::int64_t(h_.autoInc) + 1);
            continue;
        }
        std::memset(p, 0, std::size_t(f.size));
        if (v.isNull()) {
            if (int(k) < h_.pkFields) dataError(f.name, "a key field needs a value");
            continue;
        }
        switch (f.type) {
        case ftype::Alpha: {
            std::string s = cp_->fromUtf8(v.asText(), "Field " + f.name + " of table " + tableFile());
            if (s.size() > std::size_t(f.size))
                dataError(f.name + " of table " + tableFile(), "the value \"" + v.asText() + "\" is longer than " +
                                                                   std::to_string(f.size) + " characters");
            std::memcpy(p, s.data(), s.size());
            break;
        }
        case ftype::Bytes: {
            Bytes b;
            if (v.is<Bytes>()) b = v.get<Bytes>();
            else { std::string s = v.asText(); b.assign(s.begin(), s.end()); }
            if (b.size() > std::size_t(f.size))
                dataError(f.name + " of table " + tableFile(), "the value is longer than " + std::to_string(f.size) + " bytes");
            std::memcpy(p, b.data(), b.size());
            break;
        }
        case ftype::Short: case ftype::Long: case ftype::AutoInc: {
            std::int64_t i = v.asInteger();
            std::int64_t lim = f.type == ftype::Short ? 32767 : 2147483647;
            if (i > lim || i < -lim) dataError(f.name, std::to_string(i) + " is out of range");
            putInt(p, f.size, i);
            if (f.type == ftype::AutoInc && i > std::int64_t(h_.autoInc)) h_.autoInc = std::uint32_t(i);
            break;
        }
        case ftype::Money: case ftype::Number: {
            double d = v.asFloat();
            if (!std::isfinite(d)) dataError(f.name, "the value is not a finite number");
            putDouble(p, d);
            break;
        }
        case ftype::Logical: p[0] = v.asBoolean() ? 0x81 : 0x80; break;
        case ftype::Date: {
            Date d;
            if (v.is<Date>()) d = v.get<Date>();
            else if (v.is<DateTime>()) d = v.get<DateTime>().date;
            else if (!parseDate(v.asText(), d)) dataError(f.name, "'" + v.asText() + "' is not a valid date");
            if (!validDate(d)) dataError(f.name, "'" + Value(d).asText() + "' is not a valid date");
            putInt(p, 4, dateToDays(d));
            break;
        }
        case ftype::Time: {
            Time t;
            if (v.is<Time>()) t = v.get<Time>();
            else if (v.is<DateTime>()) t = v.get<DateTime>().time;
            else if (!parseTime(v.asText(), t)) dataError(f.name, "'" + v.asText() + "' is not a valid time");
            if (t.hour < 0 || t.hour > 23 || t.minute < 0 || t.minute > 59 || t.second < 0 || t.second > 59 ||
                t.msec < 0 || t.msec > 999)
                dataError(f.name, "'" + Value(t).asText() + "' is not a valid time");
            putInt(p, 4, ((t.hour * 60 + t.minute) * 60 + t.second) * 1000LL + t.msec);
            break;
        }
        case ftype::Timestamp: {
            DateTime dt;
            if (v.is<DateTime>()) dt = v.get<DateTime>();
            else if (v.is<Date>()) dt.date = v.get<Date>();
            else {
                std::string s = v.asText();
                if (!parseDate(s, dt.date)) dataError(f.name, "'" + s + "' is not a valid timestamp");
                auto sp = s.find_first_of(" T");
                if (sp != std::string::npos && !parseTime(s.substr(sp + 1), dt.time))
                    dataError(f.name, "'" + s + "' is not a valid timestamp");
            }
            if (!validDate(dt.date)) dataError(f.name, "'" + Value(dt).asText() + "' is not a valid timestamp");
            const Time& t = dt.time;
            double ms = double(dateToDays(dt.date)) * 86400000.0 +
                        double(((t.hour * 60 + t.minute) * 60 + t.second) * 1000LL + t.msec);
            putDouble(p, ms);
            break;
        }
        case ftype::Bcd: putBcd(p, f.decimals, v.asText(), "Field " + f.name); break;
        default: break;
        }
    }
    // Blobs last, once every other value converted: a failed conversion writes nothing.
    for (auto& [k, data] : blobs) {
        const PxField& f = h_.fields[k];
        std::uint8_t* p = rec + f.offset;
        if (old && mb_) mb_->release(old->data() + f.offset, f.size);
        if (!mb_) continue;
        mb_->write(p, f.size, data);
    }
}

void PxTable::releaseBlobs(const std::uint8_t* rec) {
    if (!mb_) return;
    for (auto& f : h_.fields)
        if (isBlobType(f.type)) mb_->release(rec + f.offset, f.size);
}

int PxTable::newBlock() {
    int no;
    if (!free_.empty()) {
        no = free_.front();
        free_.erase(free_.begin());
    } else {
        if (h_.fileBlocks >= 0xFFFF)
            throw EngineError(ErrorCategory::File, errc::FileBase, {"Table " + tableFile() + " is full"});
        no = ++h_.fileBlocks;
    }
    buf_.assign(std::size_t(h_.blockSize()), 0);
    cachedNo_ = no;
    return no;
}

void PxTable::linkAfter(std::size_t pos, int no) {
    // pos: chain position the new block follows; chain_.size() means "as the first block".
    std::uint8_t* b = buf_.data();
    int prevNo = pos < chain_.size() ? chain_[pos].no : 0;
    int nextNo = pos < chain_.size() ? (pos + 1 < chain_.size() ? chain_[pos + 1].no : 0)
                                     : (chain_.empty() ? 0 : chain_[0].no);
    wr16(b, std::uint32_t(nextNo));
    wr16(b + 2, std::uint32_t(prevNo));
    std::vector<std::uint8_t> keep = buf_;
    int keepNo = cachedNo_;
    auto patch = [&](int blockNo, std::size_t off, int value) {
        std::uint8_t v[2];
        wr16(v, std::uint32_t(value));
        db_->write(h_.blockOffset(blockNo) + off, v, 2);
    };
    if (prevNo) patch(prevNo, 0, no);
    if (nextNo) patch(nextNo, 2, no);
    buf_ = std::move(keep);
    cachedNo_ = keepNo;
    Block blk;
    blk.no = no;
    std::size_t at = pos < chain_.size() ? pos + 1 : 0;
    chain_.insert(chain_.begin() + std::ptrdiff_t(at), std::move(blk));
    h_.firstBlock = chain_.front().no;
    h_.lastBlock = chain_.back().no;
}

void PxTable::unlink(std::size_t pos) {
    int no = chain_[pos].no;
    int prevNo = pos > 0 ? chain_[pos - 1].no : 0;
    int nextNo = pos + 1 < chain_.size() ? chain_[pos + 1].no : 0;
    std::uint8_t v[2];
    if (prevNo) { wr16(v, std::uint32_t(nextNo)); db_->write(h_.blockOffset(prevNo), v, 2); }
    if (nextNo) { wr16(v, std::uint32_t(prevNo)); db_->write(h_.blockOffset(nextNo) + 2, v, 2); }
    std::uint8_t empty[6] = {};
    wr16(empty + 4, std::uint32_t(-h_.recordSize) & 0xFFFF);
    db_->write(h_.blockOffset(no), empty, 6);
    cachedNo_ = 0;   // the links of the neighbours changed on disk
    chain_.erase(chain_.begin() + std::ptrdiff_t(pos));
    free_.push_back(no);
    std::sort(free_.begin(), free_.end());
    h_.firstBlock = chain_.empty() ? 0 : chain_.front().no;
    h_.lastBlock = chain_.empty() ? 0 : chain_.back().no;
}

void PxTable::ensureKeys() {
    int kb = keyBytes();
    for (auto& b : chain_) {
        if (b.keyLoaded) continue;
        b.firstKey.assign(std::size_t(kb), 0);
        if (b.count > 0) db_->readExact(h_.blockOffset(b.no) + 6, b.firstKey.data(), std::size_t(kb));
        b.keyLoaded = true;
    }
}

std::int64_t PxTable::findKey(const std::uint8_t* key, bool& found) {
    // The index of the first record whose key is not below key.
    found = false;
    ensureKeys();
    std::size_t kb = std::size_t(keyBytes());
    std::size_t lo = 0, hi = chain_.size();
    while (lo < hi) {   // first block whose first key is above key
        std::size_t mid = (lo + hi) / 2;
        if (std::memcmp(chain_[mid].firstKey.data(), key, kb) <= 0) lo = mid + 1;
        else hi = mid;
    }
    if (lo == 0) return 0;
    std::size_t pos = lo - 1;
    std::uint8_t* b = loadBlock(chain_[pos].no);
    int l = 0, h = chain_[pos].count;
    while (l < h) {
        int mid = (l + h) / 2;
        if (std::memcmp(b + 6 + std::size_t(mid) * std::size_t(h_.recordSize), key, kb) < 0) l = mid + 1;
        else h = mid;
    }
    if (l < chain_[pos].count && std::memcmp(b + 6 + std::size_t(l) * std::size_t(h_.recordSize), key, kb) == 0)
        found = true;
    return start_[pos] + l;
}

std::int64_t PxTable::insertKeyed(const std::vector<std::uint8_t>& rec) {
    bool found = false;
    std::int64_t at = findKey(rec.data(), found);
    if (found)
        throw EngineError(ErrorCategory::Data, errc::KeyViolation,
                          {"Key violation: table " + tableFile() + " already has a record with this key"});
    std::size_t pos;
    int slot;
    if (chain_.empty()) {
        newBlock();
        linkAfter(chain_.size(), cachedNo_);
        pos = 0, slot = 0;
    } else if (at == total_) {
        pos = chain_.size() - 1, slot = chain_[pos].count;
    } else {
        std::tie(pos, slot) = locate(at);
        // Prefer the end of the previous block over the front of this one when it has room.
        if (slot == 0 && pos > 0 && chain_[pos - 1].count < h_.recordsPerBlock()) pos -= 1, slot = chain_[pos].count;
    }
    int per = h_.recordsPerBlock();
    std::size_t rs = std::size_t(h_.recordSize);
    if (chain_[pos].count >= per) {
        // Split: the upper half moves to a new block after this one.
        std::vector<std::uint8_t> old(loadBlock(chain_[pos].no), loadBlock(chain_[pos].no) + h_.blockSize());
        int keepN = per / 2, moveN = chain_[pos].count - keepN;
        int no = newBlock();
        std::memcpy(buf_.data() + 6, old.data() + 6 + std::size_t(keepN) * rs, std::size_t(moveN) * rs);
        wr16(buf_.data() + 4, std::uint32_t((moveN - 1) * h_.recordSize) & 0xFFFF);
        linkAfter(pos, no);
        storeBlock();
        chain_[pos + 1].count = moveN;
        chain_[pos + 1].firstKey.assign(buf_.begin() + 6, buf_.begin() + 6 + keyBytes());
        chain_[pos + 1].keyLoaded = true;
        buf_ = old;
        cachedNo_ = chain_[pos].no;
        std::memset(buf_.data() + 6 + std::size_t(keepN) * rs, 0, std::size_t(moveN) * rs);
        wr16(buf_.data() + 4, std::uint32_t((keepN - 1) * h_.recordSize) & 0xFFFF);
        // the next block link of this block now points at the new one
        wr16(buf_.data(), std::uint32_t(no));
        storeBlock();
        chain_[pos].count = keepN;
        if (slot > keepN) pos += 1, slot -= keepN;
        recount();
    }
    std::uint8_t* b = loadBlock(chain_[pos].no);
    int n = chain_[pos].count;
    std::memmove(b + 6 + std::size_t(slot + 1) * rs, b + 6 + std::size_t(slot) * rs, std::size_t(n - slot) * rs);
    std::memcpy(b + 6 + std::size_t(slot) * rs, rec.data(), rs);
    wr16(b + 4, std::uint32_t(n * h_.recordSize) & 0xFFFF);
    storeBlock();
    chain_[pos].count = n + 1;
    if (slot == 0) {
        chain_[pos].firstKey.assign(rec.begin(), rec.begin() + keyBytes());
        chain_[pos].keyLoaded = true;
    }
    recount();
    return start_[pos] + slot;
}

void PxTable::checkUnique(const std::vector<std::uint8_t>& rec, std::int64_t except) {
    for (auto& s : secondaries_) {
        if (!s.def.unique) continue;
        for (std::int64_t i = 0; i < total_; ++i) {
            if (i == except) continue;
            auto [pos, slot] = locate(i);
            const std::uint8_t* r = loadBlock(chain_[pos].no) + 6 + std::size_t(slot) * std::size_t(h_.recordSize);
            bool same = true;
            for (int fno : s.fieldNos) {
                const PxField& f = h_.fields[std::size_t(fno)];
                if (std::memcmp(r + f.offset, rec.data() + f.offset, std::size_t(f.size)) != 0) { same = false; break; }
            }
            if (same)
                throw EngineError(ErrorCategory::Data, errc::KeyViolation,
                                  {"Key violation: unique index " + s.def.name + " of table " + tableFile() +
                                   " already has this value"});
        }
    }
}

std::int64_t PxTable::appendRecord(const std::vector<Value>& values) {
    requireWritable();
    std::vector<std::uint8_t> rec(std::size_t(h_.recordSize), 0);
    std::uint32_t autoBefore = h_.autoInc;
    bool hasAuto = false;
    for (std::size_t k = 0; k < h_.fields.size() && k < values.size(); ++k)
        if (h_.fields[k].type == ftype::AutoInc && values[k].isNull()) hasAuto = true;
    encode(values, rec.data(), nullptr);
    if (hasAuto) h_.autoInc = std::max(h_.autoInc, autoBefore + 1);
    try {
        checkUnique(rec, -1);
    } catch (...) {
        releaseBlobs(rec.data());
        h_.autoInc = autoBefore;
        throw;
    }
    std::uint8_t one = 1;
    db_->write(kIndexFlagOffset, &one, 1);
    std::int64_t at;
    if (keyed()) {
        try {
            at = insertKeyed(rec);
        } catch (const EngineError& e) {
            if (e.code() == errc::KeyViolation) releaseBlobs(rec.data()), h_.autoInc = autoBefore;
            throw;
        }
    } else {
        int per = h_.recordsPerBlock();
        if (chain_.empty() || chain_.back().count >= per) {
            int no = newBlock();
            linkAfter(chain_.empty() ? chain_.size() : chain_.size() - 1, no);
        }
        std::size_t pos = chain_.size() - 1;
        std::uint8_t* b = loadBlock(chain_[pos].no);
        int n = chain_[pos].count;
        std::memcpy(b + 6 + std::size_t(n) * std::size_t(h_.recordSize), rec.data(), rec.size());
        wr16(b + 4, std::uint32_t(n * h_.recordSize) & 0xFFFF);
        storeBlock();
        chain_[pos].count = n + 1;
        recount();
        at = total_ - 1;
    }
    changed();
    return at;
}

void PxTable::removeAt(std::size_t pos, int slot) {
    std::size_t rs = std::size_t(h_.recordSize);
    int n = chain_[pos].count;
    if (n == 1) {
        unlink(pos);
    } else {
        std::uint8_t* b = loadBlock(chain_[pos].no);
        std::memmove(b + 6 + std::size_t(slot) * rs, b + 6 + std::size_t(slot + 1) * rs, std::size_t(n - slot - 1) * rs);
        std::memset(b + 6 + std::size_t(n - 1) * rs, 0, rs);
        wr16(b + 4, std::uint32_t((n - 2) * h_.recordSize) & 0xFFFF);
        storeBlock();
        chain_[pos].count = n - 1;
        if (slot == 0) chain_[pos].keyLoaded = false;
    }
    recount();
}

std::int64_t PxTable::updateRecord(std::int64_t i, const std::vector<Value>& values) {
    requireWritable();
    if (i < 0 || i >= total_)
        throw EngineError(ErrorCategory::Usage, errc::UsageBase,
                          {"Record " + std::to_string(i) + " is outside table " + tableFile()});
    auto [pos, slot] = locate(i);
    std::size_t rs = std::size_t(h_.recordSize);
    std::uint8_t* b = loadBlock(chain_[pos].no);
    std::vector<std::uint8_t> old(b + 6 + std::size_t(slot) * rs, b + 6 + std::size_t(slot + 1) * rs);
    std::vector<std::uint8_t> rec = old;
    // Blob space of the old values is released only after the new record is safely stored.
    std::vector<std::uint8_t> noRelease;
    encode(values, rec.data(), nullptr);
    try {
        checkUnique(rec, i);
    } catch (...) {
        for (auto& f : h_.fields)
            if (isBlobType(f.type) && std::memcmp(rec.data() + f.offset, old.data() + f.offset, std::size_t(f.size)))
                mb_->release(rec.data() + f.offset, f.size);
        throw;
    }
    std::uint8_t one = 1;
    db_->write(kIndexFlagOffset, &one, 1);
    std::int64_t at = i;
    int kb = keyBytes();
    if (keyed() && std::memcmp(rec.data(), old.data(), std::size_t(kb)) != 0) {
        bool found = false;
        findKey(rec.data(), found);
        if (found) {
            for (auto& f : h_.fields)
                if (isBlobType(f.type)) mb_->release(rec.data() + f.offset, f.size);
            throw EngineError(ErrorCategory::Data, errc::KeyViolation,
                              {"Key violation: table " + tableFile() + " already has a record with this key"});
        }
        std::tie(pos, slot) = locate(i);
        removeAt(pos, slot);
        at = insertKeyed(rec);
    } else {
        b = loadBlock(chain_[pos].no);
        std::memcpy(b + 6 + std::size_t(slot) * rs, rec.data(), rs);
        storeBlock();
    }
    if (mb_)
        for (auto& f : h_.fields)
            if (isBlobType(f.type)) mb_->release(old.data() + f.offset, f.size);
    changed();
    return at;
}

void PxTable::deleteRecord(std::int64_t i) {
    requireWritable();
    if (i < 0 || i >= total_)
        throw EngineError(ErrorCategory::Usage, errc::UsageBase,
                          {"Record " + std::to_string(i) + " is outside table " + tableFile()});
    auto [pos, slot] = locate(i);
    std::uint8_t* b = loadBlock(chain_[pos].no);
    std::vector<std::uint8_t> old(b + 6 + std::size_t(slot) * std::size_t(h_.recordSize),
                                  b + 6 + std::size_t(slot + 1) * std::size_t(h_.recordSize));
    std::uint8_t one = 1;
    db_->write(kIndexFlagOffset, &one, 1);
    removeAt(pos, slot);
    releaseBlobs(old.data());
    changed();
}

void PxTable::changed() {
    h_.numRecords = std::uint32_t(total_);
    h_.updateStamp = nowStamp();
    writeCounters(*db_, h_);
    rebuildIndexes();
}

// ---- indexes ----

std::vector<std::vector<std::uint8_t>> PxTable::allRecords(Progress* progress) {
    std::vector<std::vector<std::uint8_t>> out;
    out.reserve(std::size_t(total_));
    std::size_t rs = std::size_t(h_.recordSize);
    for (auto& blk : chain_) {
        const std::uint8_t* b = loadBlock(blk.no);
        for (int s = 0; s < blk.count; ++s)
            out.emplace_back(b + 6 + std::size_t(s) * rs, b + 6 + std::size_t(s + 1) * rs);
        if (progress && !progress->step(std::int64_t(out.size()), total_))
            throw EngineError(ErrorCategory::Cancelled, "Cancelled by the user");
    }
    return out;
}

void PxTable::writeSecondary(const Secondary& s, const std::vector<std::vector<std::uint8_t>>* recs) {
    // .Xnn: index fields, then the key fields, then the hint (table block number).
    PxHeader xh;
    xh.fileType = s.def.name == s.def.fields[0] && s.fieldNos.size() == 1 ? filetype::SecIndexX : filetype::SecIndexXG;
    xh.maxTableSize = h_.maxTableSize;
    xh.versionId = h_.versionId < 5 ? 0x09 : h_.versionId;
    xh.codePage = h_.codePage;
    xh.sortName = h_.sortName;
    xh.sortOrder = h_.sortOrder;
    xh.tableName = cp_->fromUtf8(s.def.name, "Index " + s.def.name + " of table " + tableFile());
    xh.indexFlags = std::uint8_t((s.def.unique ? 1 : 0) | (s.def.descending ? 2 : 0));
    xh.indexFieldNumber = s.fieldNos[0] + 1;
    for (int fno : s.fieldNos) xh.fields.push_back(h_.fields[std::size_t(fno)]);
    for (int k = 0; k < h_.pkFields; ++k) xh.fields.push_back(h_.fields[std::size_t(k)]);
    PxField hint;
    hint.name = "Hint";
    hint.type = ftype::Short;
    hint.size = 2;
    xh.fields.push_back(hint);
    for (auto& f : xh.fields) f.name = cp_->fromUtf8(f.name, "The name of field " + f.name + " of table " + tableFile());
    xh.pkFields = int(xh.fields.size()) - 1;
    layoutFields(xh, s.xPath);
    int idxBytes = 0;
    for (int fno : s.fieldNos) idxBytes += h_.fields[std::size_t(fno)].size;

    std::vector<std::vector<std::uint8_t>> own;
    if (!recs) own = allRecords(), recs = &own;
    std::vector<std::vector<std::uint8_t>> xrecs;
    xrecs.reserve(recs->size());
    std::size_t at = 0;
    for (std::size_t c = 0; c < chain_.size(); ++c) {
        for (int k = 0; k < chain_[c].count; ++k, ++at) {
            const auto& r = (*recs)[at];
            std::vector<std::uint8_t> x(std::size_t(xh.recordSize), 0);
            std::size_t o = 0;
            for (int fno : s.fieldNos) {
                const PxField& f = h_.fields[std::size_t(fno)];
                std::memcpy(&x[o], r.data() + f.offset, std::size_t(f.size));
                o += std::size_t(f.size);
            }
            std::memcpy(&x[o], r.data(), std::size_t(keyBytes()));
            o += std::size_t(keyBytes());
            putInt(&x[o], 2, chain_[c].no);
            xrecs.push_back(std::move(x));
        }
    }
    std::size_t full = std::size_t(xh.recordSize - 2);
    bool desc = s.def.descending;
    std::stable_sort(xrecs.begin(), xrecs.end(), [&](const auto& a, const auto& b) {
        int c = std::memcmp(a.data(), b.data(), std::size_t(idxBytes));
        if (c != 0) return desc ? c > 0 : c < 0;
        return std::memcmp(a.data() + idxBytes, b.data() + idxBytes, full - std::size_t(idxBytes)) < 0;
    });
    std::vector<IndexEntry> firsts = writeSortedTable(fs_, s.xPath, xh, xrecs, int(full));
    std::vector<PxField> yKey(xh.fields.begin(), xh.fields.end() - 1);
    writeTreeIndex(fs_, s.yPath, xh.fileType == filetype::SecIndexX ? filetype::SecIndexY : filetype::SecIndexYG,
                   yKey, h_.maxTableSize, firsts, h_.updateStamp);
}

void PxTable::rebuildIndexes() {
    if (keyed()) {
        ensureKeys();
        std::vector<IndexEntry> entries;
        for (auto& b : chain_)
            if (b.count > 0) entries.push_back({b.firstKey, b.no, b.count});
        std::vector<PxField> keyFields(h_.fields.begin(), h_.fields.begin() + h_.pkFields);
        writeTreeIndex(fs_, companion("PX"), filetype::PrimaryIndex, keyFields, h_.maxTableSize, entries,
                       h_.updateStamp);
    }
    if (!secondaries_.empty()) {
        auto recs = allRecords();
        for (auto& s : secondaries_) writeSecondary(s, &recs);
    }
    std::uint8_t zero = 0;
    db_->write(kIndexFlagOffset, &zero, 1);
}

std::vector<IndexDef> PxTable::indexDefs() {
    std::vector<IndexDef> out;
    if (keyed()) {
        IndexDef p;
        p.name = "PRIMARY";
        p.primary = true;
        p.unique = true;
        for (int i = 0; i < h_.pkFields; ++i) p.fields.push_back(h_.fields[std::size_t(i)].name);
        out.push_back(p);
    }
    for (auto& s : secondaries_) out.push_back(s.def);
    return out;
}

void PxTable::createIndex(const IndexDef& index) {
    requireWritable();
    if (index.fields.empty())
        throw EngineError(ErrorCategory::Usage, errc::NotSupported, {"An index needs at least one field"});
    std::vector<int> nos;
    for (auto& name : index.fields) {
        auto it = std::find_if(h_.fields.begin(), h_.fields.end(),
                               [&](const PxField& f) { return upper(f.name) == upper(name); });
        if (it == h_.fields.end())
            throw EngineError(ErrorCategory::Usage, errc::UnknownField,
                              {"Field " + name + " is not in table " + tableFile()});
        if (isBlobType(it->type))
            throw EngineError(ErrorCategory::Usage, errc::NotSupported,
                              {"Field " + name + " is a blob field and cannot be indexed"});
        nos.push_back(int(it - h_.fields.begin()));
    }
    if (index.primary) {
        if (keyed())
            throw EngineError(ErrorCategory::Usage, errc::NotSupported, {"Table " + tableFile() + " already has a primary key"});
        for (std::size_t i = 0; i < nos.size(); ++i)
            if (nos[i] != int(i))
                throw EngineError(ErrorCategory::Usage, errc::NotSupported,
                                  {"The primary key of a Paradox table must be its first fields, in order"});
        PxHeader nh = h_;
        nh.fileType = filetype::KeyedDb;
        nh.pkFields = int(nos.size());
        auto recs = allRecords();
        std::size_t kb = 0;
        for (int i = 0; i < nh.pkFields; ++i) kb += std::size_t(h_.fields[std::size_t(i)].size);
        std::stable_sort(recs.begin(), recs.end(),
                         [&](const auto& a, const auto& b) { return std::memcmp(a.data(), b.data(), kb) < 0; });
        for (std::size_t i = 0; i < recs.size(); ++i) {
            if (isNullBytes(recs[i].data(), int(kb)))
                throw EngineError(ErrorCategory::Data, errc::KeyViolation,
                                  {"Key violation: a record of table " + tableFile() + " has an empty key"});
            if (i && std::memcmp(recs[i].data(), recs[i - 1].data(), kb) == 0)
                throw EngineError(ErrorCategory::Data, errc::KeyViolation,
                                  {"Key violation: table " + tableFile() + " has records with the same key"});
        }
        rewrite(nh, std::move(recs));
        return;
    }
    if (!keyed())
        throw EngineError(ErrorCategory::Usage, errc::NotSupported,
                          {"Table " + tableFile() + " has no primary key; a secondary index needs one"});
    std::string name = index.name.empty() ? h_.fields[std::size_t(nos[0])].name : index.name;
    for (auto& s : secondaries_)
        if (upper(s.def.name) == upper(name))
            throw EngineError(ErrorCategory::Usage, errc::NotSupported,
                              {"Index " + name + " already exists on table " + tableFile()});
    Secondary s;
    s.def = index;
    s.def.name = name;
    s.def.primary = false;
    s.fieldNos = nos;
    s.def.fields.clear();
    for (int n : nos) s.def.fields.push_back(h_.fields[std::size_t(n)].name);
    if (s.def.unique) {
        auto recs = allRecords();
        std::vector<std::string> keys;
        for (auto& r : recs) {
            std::string k;
            for (int n : nos) k.append(reinterpret_cast<const char*>(r.data()) + h_.fields[std::size_t(n)].offset,
                                       std::size_t(h_.fields[std::size_t(n)].size));
            keys.push_back(std::move(k));
        }
        std::sort(keys.begin(), keys.end());
        if (std::adjacent_find(keys.begin(), keys.end()) != keys.end())
            throw EngineError(ErrorCategory::Data, errc::KeyViolation,
                              {"Key violation: table " + tableFile() + " has duplicate values for unique index " + name});
    }
    bool single = nos.size() == 1 && upper(name) == upper(h_.fields[std::size_t(nos[0])].name);
    std::string ext;
    if (single) {
        char b[8];
        std::snprintf(b, sizeof b, "%02X", nos[0] + 1);
        ext = b;
        s.def.name = h_.fields[std::size_t(nos[0])].name;
    } else {
        static const char* digits = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
        for (int n = 0; n < 36 && ext.empty(); ++n) {
            std::string e = std::string("G") + digits[n];
            if (!fs_.exists(companion("X" + e))) ext = e;
        }
        if (ext.empty())
            throw EngineError(ErrorCategory::Usage, errc::NotSupported, {"Table " + tableFile() + " has too many indexes"});
    }
    s.xPath = companion("X" + ext);
    s.yPath = companion("Y" + ext);
    writeSecondary(s, nullptr);
    secondaries_.push_back(std::move(s));
}

void PxTable::dropIndex(const std::string& name) {
    requireWritable();
    if (upper(name) == "PRIMARY" || name.empty()) {
        if (!keyed()) throw EngineError(ErrorCategory::Usage, errc::NotSupported, {"Table " + tableFile() + " has no primary key"});
        if (!secondaries_.empty())
            throw EngineError(ErrorCategory::Usage, errc::NotSupported,
                              {"Drop the secondary indexes of table " + tableFile() + " before its primary key"});
        PxHeader nh = h_;
        nh.fileType = filetype::UnkeyedDb;
        nh.pkFields = 0;
        rewrite(nh, allRecords());
        fs_.remove(companion("PX"));
        return;
    }
    for (auto it = secondaries_.begin(); it != secondaries_.end(); ++it) {
        if (upper(it->def.name) != upper(name)) continue;
        fs_.remove(it->yPath);
        fs_.remove(it->xPath);
        secondaries_.erase(it);
        return;
    }
    throw EngineError(ErrorCategory::Usage, errc::NotSupported, {"Index " + name + " not found on table " + tableFile()});
}

// ---- whole-table rewrites ----

void PxTable::rewrite(PxHeader h, std::vector<std::vector<std::uint8_t>> recs) {
    // Builds the new .DB beside the old one and renames it over; the blob file keeps its
    // offsets, so the old and the new .DB both stay readable with it at every moment.
    h.updateStamp = nowStamp();
    for (auto& f : h.fields) f.name = cp_->fromUtf8(f.name, "The name of field " + f.name + " of table " + tableFile());
    writeSortedTable(fs_, path_, h, recs, 0, true);
    db_ = fs_.open(path_, ReadWrite);
    db_->lock(options_.exclusive);
    PxHeader fresh = readHeader(*db_);
    for (std::size_t i = 0; i < fresh.fields.size(); ++i) fresh.fields[i].name = h_.fields[i].name;
    h_ = fresh;
    for (std::size_t i = 0; i < defs_.size(); ++i) defs_[i].required = int(i) < h_.pkFields;
    cachedNo_ = 0;
    loadChain();
    rebuildIndexes();
}

void PxTable::pack(Progress* progress) {
    requireWritable();
    auto recs = allRecords(progress);
    rewrite(h_, std::move(recs));
}

void PxTable::empty() {
    requireWritable();
    std::uint8_t one = 1;
    db_->write(kIndexFlagOffset, &one, 1);
    db_->truncate(std::uint64_t(h_.headerSize));
    chain_.clear();
    free_.clear();
    h_.fileBlocks = h_.firstBlock = h_.lastBlock = 0;
    cachedNo_ = 0;
    recount();
    if (mb_) mb_->clear();
    changed();
}

void PxTable::flush() { db_->sync(); }

}  // namespace vlm::engine::local::paradox
