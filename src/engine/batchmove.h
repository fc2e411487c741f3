// Batch move: rows of a source dataset into a destination table of any database.
// batCopy creates (or replaces) the destination with column types mapped by the engine
// (typemap.h); batAppend appends through Mappings lines "DEST=SOURCE" (empty: by name).
// On SQL destinations the move runs in one transaction: a failure leaves an appended table as
// it was and a copied table absent.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "progress.h"

namespace vlm::engine {

class Dataset;
class Table;

enum BatchMode { batCopy, batAppend };

class BatchMove {
public:
    Dataset* source = nullptr;
    Table* destination = nullptr;
    BatchMode mode = batAppend;
    std::vector<std::string> mappings;

    void execute(Progress* progress = nullptr);  // throws EngineError; Cancelled when stopped
    std::int64_t movedCount() const { return moved_; }

private:
    std::int64_t moved_ = 0;
};

}  // namespace vlm::engine
