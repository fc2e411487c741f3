// Which vendor call of a connection is running, so that Connection::cancelRunning() on another
// thread reaches the server only while one runs and never touches a handle that is being freed.
//
//   // around a blocking vendor call (on the thread that runs it):
//   RunningCalls::Scope running(calls_, hstmt);
//   SQLExecute(hstmt);
//   // from the cancelling thread:
//   calls_.cancel([](void* hstmt) { SQLCancel(hstmt); });
#pragma once

#include <atomic>
#include <functional>
#include <mutex>

namespace vlm::engine {

class RunningCalls {
public:
    // Marks one call running for its lifetime. Calls nest on the thread that runs them (an
    // execute that prepares); the innermost scope's handle is the one a cancel gets, and a
    // scope with no handle keeps the outer one.
    class Scope {
    public:
        explicit Scope(RunningCalls& calls, void* handle = nullptr);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        RunningCalls& calls_;
        void* outer_;
    };

    // From any thread: runs send(handle) while a call runs, holding the lock that keeps the
    // call's scope (and so the handle it names) alive meanwhile. Does nothing when no call
    // runs. Returns whether send ran. send must not throw.
    bool cancel(const std::function<void(void*)>& send);

    // True once a cancel reached the call that runs now (or ran last); cleared when the next
    // outermost call starts. Read by the running thread to name its failure "cancelled".
    bool cancelled() const { return cancelled_.load(std::memory_order_acquire); }

private:
    std::mutex mutex_;
    int depth_ = 0;
    void* handle_ = nullptr;
    std::atomic<bool> cancelled_{false};
};

inline RunningCalls::Scope::Scope(RunningCalls& calls, void* handle) : calls_(calls) {
    std::lock_guard lock(calls_.mutex_);
    outer_ = calls_.handle_;
    if (handle) calls_.handle_ = handle;
    if (calls_.depth_++ == 0) calls_.cancelled_.store(false, std::memory_order_release);
}

inline RunningCalls::Scope::~Scope() {
    std::lock_guard lock(calls_.mutex_);
    calls_.handle_ = outer_;
    --calls_.depth_;
}

inline bool RunningCalls::cancel(const std::function<void(void*)>& send) {
    std::lock_guard lock(mutex_);
    if (depth_ == 0) return false;
    cancelled_.store(true, std::memory_order_release);
    send(handle_);
    return true;
}

}  // namespace vlm::engine
