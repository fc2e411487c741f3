// Delimited row output with escapes, buffered and without per-value allocations for the
// common value kinds.
#include "dumpwriter.h"

#include <cerrno>
#include <charconv>
#include <cstring>

#include "engine/error.h"

namespace vlm::tools {

using engine::Value;

DumpWriter::DumpWriter(std::FILE* out, char delimiter) : out_(out), delim_(delimiter) {
    buf_.reserve(kFlushAt + 4096);
}

DumpWriter::~DumpWriter() {
    try {
        flush();
    } catch (...) {
    }
}

void DumpWriter::appendEscaped(std::string& out, std::string_view s, char delimiter) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        const char* esc = nullptr;
        char two[2];
        switch (c) {
        case '\t': esc = "\\t"; break;
        case '\n': esc = "\\n"; break;
        case '\r': esc = "\\r"; break;
        case '\\': esc = "\\\\"; break;
        default:
            if (c == delimiter) {
                two[0] = '\\';
                two[1] = c;
                out.append(s.data() + start, i - start);
                out.append(two, 2);
                start = i + 1;
            }
            continue;
        }
        out.append(s.data() + start, i - start);
        out.append(esc, 2);
        start = i + 1;
    }
    out.append(s.data() + start, s.size() - start);
}

void DumpWriter::appendValue(std::string& out, const Value& v, char delimiter) {
    const auto& st = v.storage();
    if (auto* s = std::get_if<std::string>(&st)) {
        appendEscaped(out, *s, delimiter);
    } else if (auto* i = std::get_if<std::int64_t>(&st)) {
        char b[24];
        auto r = std::to_chars(b, b + sizeof b, *i);
        out.append(b, std::size_t(r.ptr - b));
    } else if (v.isNull()) {
        // NULL: an empty field
    } else if (auto* d = std::get_if<engine::Decimal>(&st)) {
        appendEscaped(out, d->text, delimiter);
    } else {
        appendEscaped(out, v.asText(), delimiter);
    }
}

void DumpWriter::header(const std::vector<engine::FieldDef>& fields) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i) buf_ += delim_;
        appendEscaped(buf_, fields[i].name, delim_);
    }
    buf_ += '\n';
}

void DumpWriter::row(const engine::Row& row) {
    const auto& values = row.values;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i) buf_ += delim_;
        appendValue(buf_, values[i], delim_);
    }
    buf_ += '\n';
    ++rows_;
    maybeFlush();
}

void DumpWriter::flush() {
    if (buf_.empty()) return;
    std::size_t n = std::fwrite(buf_.data(), 1, buf_.size(), out_);
    bool ok = n == buf_.size();
    buf_.clear();
    if (!ok || std::fflush(out_) != 0)
        throw engine::EngineError(engine::ErrorCategory::File,
                                  std::string("Cannot write the output: ") + std::strerror(errno));
}

std::string parseDelimiter(const std::string& arg) {
    if (arg == "\\t" || arg == "tab" || arg == "TAB") return "\t";
    if (arg.size() == 1 && arg[0] != '\n' && arg[0] != '\r' && arg[0] != '\\') return arg;
    return {};
}

}  // namespace vlm::tools
