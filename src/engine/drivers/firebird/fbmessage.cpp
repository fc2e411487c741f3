// Decoding output messages and building input messages.
#include "engine/drivers/firebird/fbmessage.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace vlm::engine::firebird {
namespace {

using Firebird::IMessageMetadata;

constexpr unsigned kMaxVarying = 32765;
constexpr unsigned kMaxSegment = 32767;

Bytes readBlob(Firebird::IAttachment* att, Firebird::ITransaction* tra, ISC_QUAD id) {
    Status st;
    Ref<Firebird::IBlob> blob(att->openBlob(&st, tra, &id, 0, nullptr));
    Bytes out;
    unsigned char chunk[kMaxSegment];
    for (;;) {
        unsigned got = 0;
        int rc = blob->getSegment(&st, sizeof chunk, chunk, &got);
        if (rc == Firebird::IStatus::RESULT_NO_DATA) break;
        out.insert(out.end(), chunk, chunk + got);
    }
    blob->close(&st);
    blob.release();   // a successful close has released the interface
    return out;
}

ISC_QUAD writeBlob(Firebird::IAttachment* att, Firebird::ITransaction* tra, const void* data,
                   std::size_t size) {
    Status st;
    ISC_QUAD id{};
    Ref<Firebird::IBlob> blob(att->createBlob(&st, tra, &id, 0, nullptr));
    auto p = static_cast<const unsigned char*>(data);
    while (size > 0) {
        unsigned n = unsigned(std::min<std::size_t>(size, kMaxSegment));
        blob->putSegment(&st, n, p);
        p += n;
        size -= n;
    }
    blob->close(&st);
    blob.release();
    return id;
}

// A fixed-length text comes blank-padded to its byte length; keep the declared characters.
std::string trimPadding(const char* p, unsigned length, int chars, unsigned charSet) {
    std::string s(p, length);
    if (bytesPerChar(charSet) == 1) return s;
    auto codePoints = [](const std::string& t) {
        std::size_t n = 0;
        for (unsigned char c : t) n += (c & 0xC0) != 0x80;
        return n;
    };
    std::size_t n = codePoints(s);
    while (!s.empty() && s.back() == ' ' && n > std::size_t(chars)) {
        s.pop_back();
        --n;
    }
    return s;
}

template <class T> T load(const unsigned char* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
template <class T> void store(unsigned char* p, T v) { std::memcpy(p, &v, sizeof v); }

bool isText(unsigned t) { return t == SQL_TEXT || t == SQL_VARYING; }

}  // namespace

std::vector<MessageType> messageTypes(IMessageMetadata* meta) {
    std::vector<MessageType> out;
    if (!meta) return out;
    Status st;
    unsigned n = meta->getCount(&st);
    for (unsigned i = 0; i < n; ++i) {
        MessageType t;
        t.sqlType = meta->getType(&st, i) & ~1u;
        t.subType = meta->getSubType(&st, i);
        t.length = meta->getLength(&st, i);
        t.scale = meta->getScale(&st, i);
        t.charSet = meta->getCharSet(&st, i);
        out.push_back(t);
    }
    return out;
}

OutputMessage::OutputMessage(IMessageMetadata* meta) : meta_(meta) {
    Status st;
    auto types = messageTypes(meta);
    for (unsigned i = 0; i < types.size(); ++i) {
        Column c;
        c.type = types[i];
        c.offset = meta->getOffset(&st, i);
        c.nullOffset = meta->getNullOffset(&st, i);
        c.chars = int(c.type.length) / bytesPerChar(c.type.charSet);
        std::string name = meta->getAlias(&st, i);
        if (name.empty()) name = meta->getField(&st, i);
        fields_.push_back(describeColumn(c.type, name));
        columns_.push_back(c);
    }
    buffer_.resize(meta->getMessageLength(&st));
}

Row OutputMessage::decode(Firebird::IAttachment* att, Firebird::ITransaction* tra) {
    Row row;
    row.values.reserve(columns_.size());
    unsigned char* buf = buffer_.data();
    for (const auto& c : columns_) {
        if (load<short>(buf + c.nullOffset)) {
            row.values.emplace_back();
            continue;
        }
        const unsigned char* p = buf + c.offset;
        const MessageType& t = c.type;
        bool exact = t.scale < 0 || t.subType == 1 || t.subType == 2;
        switch (t.sqlType) {
        case SQL_TEXT:
            if (t.charSet == kCharSetOctets)
                row.values.emplace_back(Bytes(p, p + t.length));
            else
                row.values.emplace_back(trimPadding(reinterpret_cast<const char*>(p), t.length,
                                                    c.chars, t.charSet));
            break;
        case SQL_VARYING: {
            unsigned len = load<unsigned short>(p);
            const unsigned char* d = p + 2;
            if (t.charSet == kCharSetOctets)
                row.values.emplace_back(Bytes(d, d + len));
            else
                row.values.emplace_back(std::string(reinterpret_cast<const char*>(d), len));
            break;
        }
        case SQL_SHORT: {
            std::int64_t v = load<std::int16_t>(p);
            row.values.push_back(exact ? Value(Decimal{formatScaled(v, t.scale)}) : Value(v));
            break;
        }
        case SQL_LONG: {
            std::int64_t v = load<std::int32_t>(p);
            row.values.push_back(exact ? Value(Decimal{formatScaled(v, t.scale)}) : Value(v));
            break;
        }
        case SQL_INT64: {
            std::int64_t v = load<std::int64_t>(p);
            row.values.push_back(exact ? Value(Decimal{formatScaled(v, t.scale)}) : Value(v));
            break;
        }
        case SQL_FLOAT: row.values.emplace_back(double(load<float>(p))); break;
        case SQL_DOUBLE:
        case SQL_D_FLOAT: row.values.emplace_back(load<double>(p)); break;
        case SQL_TYPE_DATE: row.values.emplace_back(decodeDate(load<ISC_DATE>(p))); break;
        case SQL_TYPE_TIME: row.values.emplace_back(decodeTime(load<ISC_TIME>(p))); break;
        case SQL_TIMESTAMP: {
            auto ts = load<ISC_TIMESTAMP>(p);
            row.values.emplace_back(DateTime{decodeDate(ts.timestamp_date), decodeTime(ts.timestamp_time)});
            break;
        }
        case SQL_BOOLEAN: row.values.emplace_back(load<unsigned char>(p) != 0); break;
        case SQL_BLOB: {
            Bytes b = readBlob(att, tra, load<ISC_QUAD>(p));
            if (t.subType == 1)
                row.values.emplace_back(std::string(b.begin(), b.end()));
            else
                row.values.emplace_back(std::move(b));
            break;
        }
        default: row.values.emplace_back(); break;
        }
    }
    return row;
}

void InputMessage::build(IMessageMetadata* described, const std::vector<Value>& values,
                         Firebird::IAttachment* att, Firebird::ITransaction* tra) {
    meta_.reset();
    auto types = messageTypes(described);
    if (types.empty()) return;
    Status st;
    Ref<Firebird::IMetadataBuilder> builder(described->getBuilder(&st));

    // What each value goes out as; text stays text so that the server converts exactly.
    struct Out {
        MessageType type;
        std::string text;     // SQL_VARYING payload
        Value value;
        bool null = true;
    };
    std::vector<Out> outs(types.size());
    for (unsigned i = 0; i < types.size(); ++i) {
        Out& o = outs[i];
        o.type = types[i];
        const Value v = i < values.size() ? values[i] : Value();
        if (v.isNull()) continue;
        o.null = false;
        o.value = v;
        const unsigned target = types[i].sqlType;
        auto asVarying = [&](std::string s, unsigned cs) {
            o.type = {SQL_VARYING, 0, unsigned(std::max<std::size_t>(1, s.size())), 0, cs};
            o.text = std::move(s);
        };
        if (target == SQL_BLOB) continue;   // written below as a blob of the value's bytes or text
        if (v.is<bool>()) {
            if (target == SQL_BOOLEAN)
                o.type = {SQL_BOOLEAN, 0, 1, 0, 0};
            else if (isText(target))
                asVarying(v.asText(), kCharSetUtf8);
            else
                o.type = {SQL_INT64, 0, 8, 0, 0};
        } else if (v.is<std::int64_t>() || v.is<double>()) {
            if (target == SQL_BOOLEAN)
                o.type = {SQL_BOOLEAN, 0, 1, 0, 0};
            else if (v.is<std::int64_t>())
                o.type = {SQL_INT64, 0, 8, 0, 0};
            else
                o.type = {SQL_DOUBLE, 0, 8, 0, 0};
        } else if (v.is<std::string>()) {
            unsigned cs = isText(target) && types[i].charSet == kCharSetOctets ? kCharSetOctets : kCharSetUtf8;
            asVarying(v.get<std::string>(), cs);
        } else if (v.is<Bytes>()) {
            const Bytes& b = v.get<Bytes>();
            asVarying(std::string(b.begin(), b.end()), kCharSetOctets);
        } else if (v.is<Decimal>()) {
            asVarying(v.get<Decimal>().text, 2);   // ASCII
        } else if (v.is<Date>()) {
            o.type = {SQL_TYPE_DATE, 0, 4, 0, 0};
        } else if (v.is<Time>()) {
            o.type = {SQL_TYPE_TIME, 0, 4, 0, 0};
        } else if (v.is<DateTime>()) {
            o.type = {SQL_TIMESTAMP, 0, 8, 0, 0};
        }
        if (o.type.sqlType == SQL_VARYING && o.text.size() > kMaxVarying)
            throw EngineError(ErrorCategory::Data, errc::ConversionFailed,
                              {"Parameter " + std::to_string(i + 1) + " is longer than " +
                               std::to_string(kMaxVarying) + " bytes"});
        builder->setType(&st, i, o.type.sqlType);
        builder->setSubType(&st, i, o.type.subType);
        builder->setLength(&st, i, o.type.length);
        builder->setScale(&st, i, o.type.scale);
        builder->setCharSet(&st, i, o.type.charSet);
    }
    meta_.reset(builder->getMetadata(&st));
    buffer_.resize(meta_->getMessageLength(&st));
    unsigned char* buf = buffer_.data();

    for (unsigned i = 0; i < outs.size(); ++i) {
        const Out& o = outs[i];
        unsigned char* p = buf + meta_->getOffset(&st, i);
        store<short>(buf + meta_->getNullOffset(&st, i), o.null ? -1 : 0);
        if (o.null) continue;
        const Value& v = o.value;
        switch (o.type.sqlType) {
        case SQL_VARYING:
            store<unsigned short>(p, static_cast<unsigned short>(o.text.size()));
            std::memcpy(p + 2, o.text.data(), o.text.size());
            break;
        case SQL_BOOLEAN: store<unsigned char>(p, v.asBoolean() ? 1 : 0); break;
        case SQL_INT64: store<std::int64_t>(p, v.asInteger()); break;
        case SQL_DOUBLE: store<double>(p, v.asFloat()); break;
        case SQL_TYPE_DATE: store<ISC_DATE>(p, encodeDate(v.get<Date>())); break;
        case SQL_TYPE_TIME: store<ISC_TIME>(p, encodeTime(v.get<Time>())); break;
        case SQL_TIMESTAMP: {
            ISC_TIMESTAMP ts;
            ts.timestamp_date = encodeDate(v.get<DateTime>().date);
            ts.timestamp_time = encodeTime(v.get<DateTime>().time);
            store(p, ts);
            break;
        }
        case SQL_BLOB: {
            ISC_QUAD id;
            if (v.is<Bytes>()) {
                const Bytes& b = v.get<Bytes>();
                id = writeBlob(att, tra, b.data(), b.size());
            } else {
                std::string s = v.asText();
                id = writeBlob(att, tra, s.data(), s.size());
            }
            store(p, id);
            break;
        }
        default: break;
        }
    }
}

}  // namespace vlm::engine::firebird
