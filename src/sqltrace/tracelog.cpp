// The trace log's blocks of lines and the inbox from engine threads.
#include "sqltrace/tracelog.h"

#include <utility>

namespace vlm::sqltrace {

bool TraceInbox::push(std::string message) {
    std::lock_guard lock(mutex_);
    pending_.push_back(std::move(message));
    return pending_.size() == 1;
}

std::vector<std::string> TraceInbox::takeAll() {
    std::lock_guard lock(mutex_);
    return std::exchange(pending_, {});
}

namespace {
// Characters of UTF-8 text: the bytes that start one.
std::size_t characters(std::string_view s) {
    std::size_t n = 0;
    for (unsigned char c : s) n += (c & 0xC0) != 0x80;
    return n;
}
}  // namespace

void TraceLog::appendLine(std::string_view line) {
    if (blocks_.empty() || blocks_.back()->size() == kBlock) {
        blocks_.push_back(std::make_shared<std::vector<std::string>>());
        blocks_.back()->reserve(kBlock);
    } else if (blocks_.back().use_count() > 1) {
        // A snapshot holds this block as it was: go on in a copy of our own.
        auto own = std::make_shared<std::vector<std::string>>();
        own->reserve(kBlock);
        *own = *blocks_.back();
        blocks_.back() = std::move(own);
    }
    blocks_.back()->emplace_back(line);
    ++count_;
    std::size_t width = characters(line);
    if (width > longest_) longest_ = width;
}

void TraceLog::append(std::string_view message) {
    ++messages_;
    std::size_t start = 0;
    for (std::size_t i = 0; i < message.size(); ++i) {
        char c = message[i];
        if (c != '\n' && c != '\r') continue;
        appendLine(message.substr(start, i - start));
        if (c == '\r' && i + 1 < message.size() && message[i + 1] == '\n') ++i;
        start = i + 1;
    }
    appendLine(message.substr(start));
}

void TraceLog::clear() {
    blocks_.clear();
    count_ = messages_ = longest_ = 0;
}

TraceLog::Snapshot TraceLog::snapshot() const {
    Snapshot s;
    s.blocks_.assign(blocks_.begin(), blocks_.end());
    s.count_ = count_;
    s.longest_ = longest_;
    return s;
}

}  // namespace vlm::sqltrace
