// libFuzzer target for the Paradox reader and writer: a damaged .DB/.MB pair must give engine
// errors, never a crash, a hang or a sanitizer report. Reads every record, then changes one.
#include <cstdint>

#include "engine/drivers/local/paradox/paradox.h"
#include "memfs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vlm::engine;
    pxfuzz::MemFileSystem fs;
    pxfuzz::load(fs, data, size);
    if (fs.files.empty()) return 0;
    static auto fmt = vlm::engine::local::paradox::makeParadoxFormat();
    try {
        auto t = fmt->open(fs, "/t/T.DB", {});
        Row r;
        std::int64_t n = std::min<std::int64_t>(t->recordCount(), 5000);
        for (std::int64_t i = 0; i < n; ++i) {
            try {
                t->readRecord(i, r);
            } catch (const EngineError&) {
            }
        }
        t->indexDefs();
        std::vector<Value> values(t->fields().size());
        if (n > 0) {
            try { t->readRecord(0, r); values = r.values; } catch (const EngineError&) {}
        }
        try { t->appendRecord(values); } catch (const EngineError&) {}
        if (t->recordCount() > 0) {
            try { t->deleteRecord(0); } catch (const EngineError&) {}
        }
        try { t->pack(nullptr); } catch (const EngineError&) {}
    } catch (const EngineError&) {
    }
    return 0;
}
