// Progress and cancel for long work (batch move, pack, import): the worker reports, the caller
// may ask it to stop. A cancelled job throws EngineError(ErrorCategory::Cancelled).
#pragma once

#include <cstdint>

namespace vlm::engine {

class Progress {
public:
    virtual ~Progress() = default;
    // done of total units (total -1 when unknown). Return false to cancel the work.
    virtual bool step(std::int64_t done, std::int64_t total) = 0;
};

}  // namespace vlm::engine
