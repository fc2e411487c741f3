// Fuzzes the local DDL parser and the quoting of unquoted table names.
#include <string>

#include "engine/drivers/local/dir/localddl.h"
#include "engine/error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string sql(reinterpret_cast<const char*>(data), size);
    try {
        vlm::engine::local::parseLocalDdl(sql);
    } catch (const vlm::engine::EngineError&) {
    }
    return 0;
}
