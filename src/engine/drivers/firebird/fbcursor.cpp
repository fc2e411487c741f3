// Fetching result rows in blocks.
#include "engine/drivers/firebird/fbcursor.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string>

namespace vlm::engine::firebird {

namespace {

// The words of a statement text: names (with dots), "quoted names", and single characters.
std::vector<std::string> words(const std::string& sql, bool& ok) {
    std::vector<std::string> out;
    ok = true;
    for (std::size_t i = 0; i < sql.size();) {
        unsigned char c = static_cast<unsigned char>(sql[i]);
        if (std::isspace(c)) {
            ++i;
        } else if (c == '"') {
            std::size_t j = i + 1;
            for (;; ++j) {
                if (j >= sql.size()) {
                    ok = false;
                    return out;
                }
                if (sql[j] == '"') {
                    if (j + 1 < sql.size() && sql[j + 1] == '"') {
                        ++j;
                        continue;
                    }
                    break;
                }
            }
            out.push_back(sql.substr(i, j + 1 - i));
            i = j + 1;
        } else if (std::isalnum(c) || c == '_' || c == '$') {
            std::size_t j = i;
            while (j < sql.size() && (std::isalnum(static_cast<unsigned char>(sql[j])) || sql[j] == '_' ||
                                      sql[j] == '$' || sql[j] == '.'))
                ++j;
            std::string w = sql.substr(i, j - i);
            std::transform(w.begin(), w.end(), w.begin(), [](unsigned char x) { return char(std::toupper(x)); });
            out.push_back(w);
            i = j;
        } else {
            out.push_back(std::string(1, char(c)));
            ++i;
        }
    }
    return out;
}

bool isName(const std::string& w) {
    if (w.empty()) return false;
    if (w[0] == '"') return true;
    static const char* const reserved[] = {"SELECT", "FROM", "WHERE", "ORDER", "BY", "GROUP", "UNION", "JOIN",
                                           "ROWS", "OFFSET", "FETCH", "FOR", "PLAN", "HAVING", "WITH", "ASC",
                                           "DESC", "ASCENDING", "DESCENDING", "NULLS", "FIRST", "LAST", "SKIP"};
    for (const char* r : reserved)
        if (w == r) return false;
    return std::isalpha(static_cast<unsigned char>(w[0])) || w[0] == '_' || w[0] == '$';
}

}  // namespace

bool plainTableSelect(const std::string& sql, std::string* table) {
    bool ok = false;
    std::vector<std::string> w = words(sql, ok);
    while (!w.empty() && w.back() == ";") w.pop_back();
    if (!ok || w.size() < 4 || w[0] != "SELECT" || w[1] != "*" || w[2] != "FROM" || !isName(w[3])) return false;
    if (table) {
        // As the catalog holds it: a quoted name as written, any other in upper case.
        *table = w[3];
        if (w[3][0] == '"') {
            table->clear();
            for (std::size_t k = 1; k + 1 < w[3].size(); ++k) {
                *table += w[3][k];
                if (w[3][k] == '"') ++k;
            }
        }
    }
    std::size_t i = 4;
    if (i == w.size()) return true;
    if (w.size() < i + 3 || w[i] != "ORDER" || w[i + 1] != "BY") return false;
    // order by: columns, each with an optional direction and NULLS FIRST / LAST, by commas
    for (i += 2;;) {
        if (i >= w.size() || !isName(w[i])) return false;
        ++i;
        if (i < w.size() && (w[i] == "ASC" || w[i] == "DESC" || w[i] == "ASCENDING" || w[i] == "DESCENDING")) ++i;
        if (i + 1 < w.size() && w[i] == "NULLS" && (w[i + 1] == "FIRST" || w[i + 1] == "LAST")) i += 2;
        if (i == w.size()) return true;
        if (w[i] != ",") return false;
        ++i;
    }
}

FbCursor::FbCursor(std::shared_ptr<Attachment> att, SharedStatement stmt,
                   std::shared_ptr<Transaction> tra, Ref<Firebird::IResultSet> rs,
                   std::unique_ptr<OutputMessage> out, bool scrollable, std::string rereadSql, std::string countSql)
    : scrollable_(scrollable), att_(std::move(att)), stmt_(std::move(stmt)), tra_(std::move(tra)),
      rereadSql_(std::move(rereadSql)), countSql_(std::move(countSql)), rs_(std::move(rs)), out_(std::move(out)) {
    // The sql text ends where the reread appends its OFFSET.
    while (!rereadSql_.empty() && (std::isspace(static_cast<unsigned char>(rereadSql_.back())) || rereadSql_.back() == ';'))
        rereadSql_.pop_back();
}

FbCursor::~FbCursor() {
    try {
        finish();
    } catch (const EngineError&) {
        // closing a cursor whose connection is gone: the result set is released below
    }
}

void FbCursor::finish() {
    closeResult();
    tra_.reset();
}

void FbCursor::closeResult() {
    if (rs_ && tra_ && tra_->active()) {
        Status st;
        rs_->close(&st);
        rs_.release();   // a successful close has released the interface
    }
    rs_.reset();
    jump_.reset();
}

bool FbCursor::fetch(std::size_t maxRows, std::vector<Row>& out) {
    if (!rs_) return false;
    if (!tra_->active())
        throw EngineError(ErrorCategory::Usage, errc::UsageBase,
                          {"The transaction of this result has ended; its rows can no longer be read"});
    if (end_ >= 0 && pos_ >= end_) return false;
    Status st;
    RunningCalls::Scope running(att_->calls());
    for (std::size_t n = 0; n < maxRows; ++n) {
        if (rs_->fetchNext(&st, out_->buffer()) != Firebird::IStatus::RESULT_OK) {
            end_ = pos_;
            if (!rereadSql_.empty()) closeResult();   // the transaction stays for rereads
            else if (!scrollable_) finish();
            return false;
        }
        out.push_back(out_->decode(att_->get(), tra_->get()));
        ++pos_;
    }
    return true;
}

bool FbCursor::seek(std::int64_t row) {
    if (!rereadSql_.empty()) return reread(std::max<std::int64_t>(row, 0));
    if (!scrollable_) return false;   // forward only: the reader keeps what it read
    row = std::max<std::int64_t>(row, 0);
    if (row == pos_ && probed_) return true;
    if (!rs_ || !tra_->active() || row > INT32_MAX) return false;
    if (end_ >= 0) row = std::min(row, end_);
    // fetchAbsolute(n) reads row n (1-based) and stands on it: the next fetchNext returns the
    // row asked for. Position 0 stands before the first row.
    try {
        Status st;
        rs_->fetchAbsolute(&st, int(row), out_->buffer());
    } catch (const EngineError&) {
        if (probed_) throw;
        scrollable_ = false;   // a server that cannot position: read forward only
        return false;
    }
    probed_ = true;
    pos_ = row;
    return true;
}

bool FbCursor::reread(std::int64_t row) {
    if (!tra_ || !tra_->active()) return false;
    if (row == pos_ && (rs_ || (end_ >= 0 && pos_ >= end_))) return true;   // reading on
    closeResult();
    pos_ = row;
    if (end_ >= 0 && row >= end_) return true;   // past the last row: nothing to read
    Status st;
    const std::string sql = rereadSql_ + "\nOFFSET " + std::to_string(row) + " ROWS";
    jump_.reset(att_->get()->prepare(&st, tra_->get(), 0, sql.c_str(), SQL_DIALECT_V6, 0));
    rs_.reset(jump_->openCursor(&st, tra_->get(), nullptr, nullptr, out_->metadata(), 0));
    return true;
}

std::int64_t countOf(Firebird::IAttachment* att, Firebird::ITransaction* tra, const std::string& sql) {
    Status st;
    Ref<Firebird::IStatement> s(
        att->prepare(&st, tra, 0, sql.c_str(), SQL_DIALECT_V6, Firebird::IStatement::PREPARE_PREFETCH_METADATA));
    OutputMessage out(s->getOutputMetadata(&st));
    Ref<Firebird::IResultSet> rs(s->openCursor(&st, tra, nullptr, nullptr, out.metadata(), 0));
    std::int64_t n = -1;
    if (rs->fetchNext(&st, out.buffer()) == Firebird::IStatus::RESULT_OK) {
        Row r = out.decode(att, tra);
        if (!r.values.empty() && !r.values[0].isNull()) n = r.values[0].asInteger();
    }
    rs->close(&st);
    rs.release();
    return n;
}

bool isTable(Firebird::IAttachment* att, Firebird::ITransaction* tra, const std::string& name) {
    std::string literal;
    for (char c : name) literal += c == '\'' ? std::string("''") : std::string(1, c);
    return countOf(att, tra, "SELECT COUNT(*) FROM RDB$RELATIONS WHERE RDB$RELATION_NAME = '" + literal + "'") > 0;
}

std::int64_t FbCursor::rowCount() {
    if (end_ >= 0) return end_;
    if (rereadSql_.empty() || !tra_ || !tra_->active()) return -1;
    // Counted in the cursor's own transaction: the count of the rows it reads.
    if (count_ < 0)
        count_ = countOf(att_->get(), tra_->get(),
                         countSql_.empty() ? "SELECT COUNT(*) FROM (" + rereadSql_ + "\n) VLM_COUNT" : countSql_);
    return count_;
}

bool RowsCursor::fetch(std::size_t maxRows, std::vector<Row>& out) {
    for (std::size_t n = 0; n < maxRows && next_ < rows_.size(); ++n) out.push_back(rows_[next_++]);
    return next_ < rows_.size();
}

bool RowsCursor::seek(std::int64_t row) {
    if (row < 0 || std::size_t(row) > rows_.size()) return false;
    next_ = std::size_t(row);
    return true;
}

}  // namespace vlm::engine::firebird
