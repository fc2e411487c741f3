// Fetching result rows in blocks.
#include "engine/drivers/firebird/fbcursor.h"

#include <algorithm>
#include <cstdint>

namespace vlm::engine::firebird {

FbCursor::FbCursor(std::shared_ptr<Attachment> att, SharedStatement stmt,
                   std::shared_ptr<Transaction> tra, Ref<Firebird::IResultSet> rs,
                   std::unique_ptr<OutputMessage> out, bool scrollable)
    : att_(std::move(att)), stmt_(std::move(stmt)), tra_(std::move(tra)), rs_(std::move(rs)),
      out_(std::move(out)), scrollable_(scrollable) {}

FbCursor::~FbCursor() {
    try {
        finish();
    } catch (const EngineError&) {
        // closing a cursor whose connection is gone: the result set is released below
    }
}

void FbCursor::finish() {
    if (rs_ && tra_ && tra_->active()) {
        Status st;
        rs_->close(&st);
        rs_.release();   // a successful close has released the interface
    }
    rs_.reset();
    tra_.reset();
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
            if (!scrollable_) finish();
            return false;
        }
        out.push_back(out_->decode(att_->get(), tra_->get()));
        ++pos_;
    }
    return true;
}

bool FbCursor::seek(std::int64_t row) {
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
