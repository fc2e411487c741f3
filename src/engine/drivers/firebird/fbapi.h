// The Firebird client library as the driver uses it: the master interface, a status wrapper that
// turns every failed call into an EngineError, and RAII guards for the library's objects.
//
//   Status st;
//   Ref<Firebird::IStatement> stmt(att.get()->prepare(&st, tra, 0, sql, 3, 0));
//   // a failed call has already thrown EngineError; stmt releases itself
#pragma once

#include <firebird/Interface.h>
#include <ibase.h>

#include <memory>
#include <utility>

#include "engine/drivers/firebird/fberror.h"
#include "engine/running.h"

namespace vlm::engine::firebird {

Firebird::IMaster* master();
Firebird::IUtil* util();

// A status object for one or more calls; checkException throws the mapped EngineError, so a call
// that returns has succeeded. Owns its IStatus. Not shared between threads.
class Status : public Firebird::BaseStatusWrapper<Status> {
public:
    Status() : BaseStatusWrapper(master()->getStatus()) {}
    ~Status() { status->dispose(); }
    Status(const Status&) = delete;
    Status& operator=(const Status&) = delete;

    static void checkException(Status* s) {
        if (s->dirty && (s->getState() & Firebird::IStatus::STATE_ERRORS))
            throw statusError(s->status->getErrors());
    }
};

// How each kind of library object gives itself up.
template <class T> struct Releaser {
    static void free(T* p) { p->release(); }
};
template <> struct Releaser<Firebird::IXpbBuilder> {
    static void free(Firebird::IXpbBuilder* p) { p->dispose(); }
};

// Sole owner of one library object (statement, result set, metadata, blob, builder): releases it
// on destruction. Closing a result set or blob before that is the holder's business.
template <class T> class Ref {
public:
    Ref() = default;
    explicit Ref(T* p) : p_(p) {}
    Ref(Ref&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    Ref& operator=(Ref&& o) noexcept {
        if (this != &o) reset(std::exchange(o.p_, nullptr));
        return *this;
    }
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    ~Ref() { reset(); }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    T* release() { return std::exchange(p_, nullptr); }
    void reset(T* p = nullptr) {
        if (p_) Releaser<T>::free(p_);
        p_ = p;
    }

private:
    T* p_ = nullptr;
};

// The attachment to one database, shared by the connection and every statement, cursor and
// transaction made from it, so that it is detached only after the last of them is gone.
class Attachment {
public:
    explicit Attachment(Firebird::IAttachment* att) : att_(att) {}
    ~Attachment();
    Attachment(const Attachment&) = delete;
    Attachment& operator=(const Attachment&) = delete;
    Firebird::IAttachment* get() const { return att_; }

    // Calls that wait for the engine (prepare, execute, open, fetch) mark themselves here.
    RunningCalls& calls() { return calls_; }
    // From another thread: stops the running call, which fails with isc_cancelled (category
    // Cancelled). Nothing happens when no call runs.
    void cancelRunning();

private:
    Firebird::IAttachment* att_;
    RunningCalls calls_;
};

// One transaction. An explicit one (begin) rolls back when dropped while still active; an
// automatic one (a statement run outside begin/commit) commits when its last user lets go of it.
// Cursors share it so that their rows and blobs stay readable until they are closed.
class Transaction {
public:
    Transaction(std::shared_ptr<Attachment> att, bool automatic);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    Firebird::ITransaction* get() const { return tra_; }
    bool active() const { return tra_ != nullptr; }
    bool automatic() const { return automatic_; }
    void commit();
    void rollback();

private:
    std::shared_ptr<Attachment> att_;
    Firebird::ITransaction* tra_ = nullptr;
    bool automatic_;
};

}  // namespace vlm::engine::firebird
