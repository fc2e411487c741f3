// The SQL trace component: registers for the engine session's trace hook, passes on the
// messages of the chosen categories to OnTrace. Plain C++; the monitor window uses it.
//
//   TDBTrace trace;                                   // the default session
//   trace.setOnTrace([](TDBTrace&, TTraceFlag, const std::string& msg) { inbox.push(msg); });
//   trace.setTraceFlags(1590);
//   trace.setTrace(true);                             // messages arrive on any engine thread
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "engine/session.h"

namespace vlm::sqltrace {

// The trace categories; each ordinal's engine bit is 1 << ordinal.
enum TTraceFlag : int {
    tfQPrepare, tfQExecute, tfError, tfStmt, tfConnect, tfTransact, tfBlob, tfMisc, tfVendor, tfDataIn, tfDataOut
};
// A set of categories as a number: the sum of its members' bits, the value the engine uses.
using TTraceFlags = std::uint32_t;

constexpr TTraceFlags traceBit(TTraceFlag f) { return TTraceFlags(1) << int(f); }
// The category of an engine bit; none for a value that is not exactly one known bit.
std::optional<TTraceFlag> traceFlagOf(std::uint32_t engineBit);

class TDBTrace {
public:
    // sender, category, message text. Called on the engine's thread (any thread), one
    // message at a time; it must not switch tracing of this component.
    using TraceEvent = std::function<void(TDBTrace& sender, TTraceFlag flag, const std::string& msg)>;
    // An error thrown by OnTrace (the trace goes on); called on the same thread.
    using ErrorEvent = std::function<void(const std::exception& error)>;

    explicit TDBTrace(engine::Session& session = engine::Session::defaultSession());
    ~TDBTrace();   // clears OnTrace, switches Trace and Active off
    TDBTrace(const TDBTrace&) = delete;
    TDBTrace& operator=(const TDBTrace&) = delete;

    // Holds the session for tracing (the engine's session needs no opening here; the flag
    // keeps the documented interplay with Trace).
    bool active() const { return active_; }
    void setActive(bool on);

    // Empty or the session's own name ("Default"): the session given at construction. Any
    // other name throws EngineError (Usage): the engine has that one session. Switching the
    // name switches Trace and Active off and back to what they were.
    const std::string& sessionName() const { return sessionName_; }
    void setSessionName(const std::string& name);

    // The hook is registered exactly while trace() is true; it replaces any earlier callback
    // of the session, and switching off unregisters it.
    bool trace() const { return trace_; }
    void setTrace(bool on);

    // The categories passed on. The engine session keeps them (the options dialog sets the
    // same), so a change takes effect for the next message at once.
    TTraceFlags traceFlags() const;
    void setTraceFlags(TTraceFlags flags);

    void setOnTrace(TraceEvent event);
    void setOnError(ErrorEvent event);

private:
    void callback(engine::TraceCategory category, const std::string& text);
    engine::Session& resolve(const std::string& name) const;

    engine::Session& home_;
    engine::Session* session_;
    std::string sessionName_;
    bool active_ = false;
    bool trace_ = false;
    std::mutex eventMutex_;   // OnTrace and OnError against their callers on engine threads
    TraceEvent onTrace_;
    ErrorEvent onError_;
};

}  // namespace vlm::sqltrace
