// The trace component over the engine session's trace hook.
#include "sqltrace/dbtrace.h"

#include "engine/error.h"

namespace vlm::sqltrace {

std::optional<TTraceFlag> traceFlagOf(std::uint32_t engineBit) {
    for (int f = tfQPrepare; f <= tfDataOut; ++f)
        if (engineBit == traceBit(TTraceFlag(f))) return TTraceFlag(f);
    return std::nullopt;
}

TDBTrace::TDBTrace(engine::Session& session) : home_(session), session_(&session) {}

TDBTrace::~TDBTrace() {
    setOnTrace({});
    setTrace(false);
    setActive(false);
}

engine::Session& TDBTrace::resolve(const std::string& name) const {
    if (name.empty() || name == home_.sessionName()) return home_;
    throw engine::EngineError(engine::ErrorCategory::Usage, "Session " + name + " not found");
}

void TDBTrace::setActive(bool on) { active_ = on; }

void TDBTrace::setSessionName(const std::string& name) {
    engine::Session& next = resolve(name);
    bool wasTrace = trace_, wasActive = active_;
    setTrace(false);
    setActive(false);
    sessionName_ = name;
    session_ = &next;
    setActive(wasActive);
    setTrace(wasTrace);
}

void TDBTrace::setTrace(bool on) {
    if (on == trace_) return;
    if (on) {
        session_->setTraceCallback(
            [this](engine::TraceCategory c, const std::string& text) { callback(c, text); });
    } else {
        // Returns once no callback of the session runs any more (the session's tracer lock).
        session_->setTraceCallback({});
    }
    trace_ = on;
}

TTraceFlags TDBTrace::traceFlags() const { return session_->traceMask(); }

void TDBTrace::setTraceFlags(TTraceFlags flags) { session_->setTraceMask(flags); }

void TDBTrace::setOnTrace(TraceEvent event) {
    std::lock_guard lock(eventMutex_);
    onTrace_ = std::move(event);
}

void TDBTrace::setOnError(ErrorEvent event) {
    std::lock_guard lock(eventMutex_);
    onError_ = std::move(event);
}

void TDBTrace::callback(engine::TraceCategory category, const std::string& text) {
    std::optional<TTraceFlag> flag = traceFlagOf(category);
    if (!flag || !(traceFlags() & traceBit(*flag))) return;
    std::lock_guard lock(eventMutex_);
    if (!onTrace_) return;
    try {
        onTrace_(*this, *flag, text);
    } catch (const std::exception& e) {
        // The engine call that traced goes on; the error is the user's to see. A failure of
        // that report is dropped too: a trace must never fail the statement it traces.
        try {
            if (onError_) onError_(e);
        } catch (...) {
        }
    }
}

}  // namespace vlm::sqltrace
