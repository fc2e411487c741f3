// The trace hook: every text the engine sends to a server reaches the session's callback,
// filtered by a category mask. The callback may arrive on any thread that calls the engine.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace vlm::engine {

enum TraceCategory : std::uint32_t {
    TracePrepare = 1, TraceExecute = 2, TraceError = 4, TraceStatement = 8, TraceConnect = 16,
    TraceTransaction = 32, TraceBlob = 64, TraceMisc = 128, TraceVendor = 256,
    TraceDataIn = 512, TraceDataOut = 1024
};

using TraceCallback = std::function<void(TraceCategory, const std::string& text)>;

// What drivers hold to send trace texts; cheap to test before building a text. (Not "emit":
// Qt defines that word as a macro in every form.)
class Tracer {
public:
    virtual ~Tracer() = default;
    virtual bool wants(TraceCategory c) const = 0;
    virtual void trace(TraceCategory c, const std::string& text) = 0;
};

// A tracer that never traces; drivers get it when nobody listens.
Tracer& nullTracer();

}  // namespace vlm::engine
