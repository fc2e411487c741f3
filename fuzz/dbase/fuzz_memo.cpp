// Fuzzes the three memo layouts with block numbers taken from the input.
#include "engine/drivers/local/dbase/memo.h"
#include "engine/error.h"
#include "fuzzfile.h"

using namespace vlm::engine;
using namespace vlm::engine::local::dbase;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    std::string path = fuzzFile("DBT", data + 4, size - 4);
    for (MemoKind k : {MemoKind::Dbt3, MemoKind::Dbt4, MemoKind::Fpt}) {
        try {
            auto m = MemoFile::open(local::posixFileSystem(), path, k, true);
            Bytes out;
            for (int i = 0; i < 4; ++i) m->read(data[i], out);
        } catch (const EngineError&) {
        }
    }
    return 0;
}
