// The tracer that traces nothing.
#include "trace.h"

namespace vlm::engine {
namespace {
class NullTracer : public Tracer {
public:
    bool wants(TraceCategory) const override { return false; }
    void trace(TraceCategory, const std::string&) override {}
};
}  // namespace

Tracer& nullTracer() {
    static NullTracer t;
    return t;
}

}  // namespace vlm::engine
