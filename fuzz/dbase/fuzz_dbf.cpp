// Fuzzes the table reader: open, field definitions, every record and field, the deleted flags.
// The first input byte picks how the rest splits into the .DBF and its .DBT memo file.
#include "engine/drivers/local/dbase/dbf.h"
#include "engine/error.h"
#include "fuzzfile.h"

using namespace vlm::engine;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    std::size_t split = std::size_t(data[0]) * size / 256;
    std::string dbf = fuzzFile("DBF", data + 1, split);
    fuzzFile("DBT", data + 1 + split, size - 1 - split);
    try {
        auto t = local::dbase::DbfTable::open(local::posixFileSystem(), dbf, {false, true});
        std::int64_t n = std::min<std::int64_t>(t->recordCount(), 2000);
        for (std::int64_t i = 0; i < n; ++i) {
            for (std::size_t f = 0; f < t->fields().size(); ++f) {
                try {
                    t->readField(i, int(f)).asText();
                } catch (const EngineError&) {
                }
            }
            t->isDeleted(i);
        }
        t->indexDefs();
    } catch (const EngineError&) {
    }
    return 0;
}
