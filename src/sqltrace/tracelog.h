// The trace log: the messages of a tracing session as lines, kept in memory without a limit,
// and the hand-over of messages from engine threads to the user-interface thread.
//
//   TraceInbox inbox;                        // engine threads: if (inbox.push(msg)) post a flush
//   TraceLog log;                            // UI thread: for (auto& m : inbox.takeAll()) log.append(m);
//   TraceLog::Snapshot shown = log.snapshot();   // what the monitor shows; the log grows on
#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace vlm::sqltrace {

// Messages waiting for the user-interface thread. Thread-safe.
class TraceInbox {
public:
    // Adds a message; true when the inbox was empty, i.e. the caller should ask the UI thread
    // for one takeAll() (further pushes ride on that request).
    bool push(std::string message);
    std::vector<std::string> takeAll();

private:
    std::mutex mutex_;
    std::vector<std::string> pending_;
};

// The lines of the log, owned by one thread. A message is one entry of the log; a message with
// line breaks (\r\n, \n or \r) shows as that many lines, as text put into a memo does.
// Lines are kept in blocks shared with snapshots, so a snapshot of a million lines costs a copy
// of a few hundred pointers, and the log goes on growing without touching what a snapshot holds.
class TraceLog {
public:
    class Snapshot {
    public:
        std::size_t size() const { return count_; }
        const std::string& line(std::size_t i) const { return (*blocks_[i / kBlock])[i % kBlock]; }
        std::size_t longestLine() const { return longest_; }   // in characters

    private:
        friend class TraceLog;
        std::vector<std::shared_ptr<const std::vector<std::string>>> blocks_;
        std::size_t count_ = 0;
        std::size_t longest_ = 0;
    };

    void append(std::string_view message);
    void clear();
    std::size_t lineCount() const { return count_; }
    std::size_t messageCount() const { return messages_; }
    Snapshot snapshot() const;

private:
    static constexpr std::size_t kBlock = 4096;
    void appendLine(std::string_view line);

    std::vector<std::shared_ptr<std::vector<std::string>>> blocks_;
    std::size_t count_ = 0;
    std::size_t messages_ = 0;
    std::size_t longest_ = 0;
};

}  // namespace vlm::sqltrace
