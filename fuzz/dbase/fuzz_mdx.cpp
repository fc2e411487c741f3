// Fuzzes the .MDX and .NDX readers (tag definitions and a walk over every tag's keys) and the
// .INF text that ties .NDX files to a table.
#include "engine/drivers/local/dbase/mdx.h"
#include "engine/drivers/local/dbase/ndxinf.h"
#include "engine/error.h"
#include "fuzzfile.h"

using namespace vlm::engine;
using namespace vlm::engine::local::dbase;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string path = fuzzFile("MDX", data, size);
    auto& fs = local::posixFileSystem();
    try {
        for (const auto& t : readMdxTags(fs, path)) readMdxKeys(fs, path, t.name);
    } catch (const EngineError&) {
    }
    try {
        readNdx(fs, path, true);
    } catch (const EngineError&) {
    }
    std::string text(reinterpret_cast<const char*>(data), size);
    for (const auto& name : infNdxNames(text)) (void)infRemoveNdx(infAddNdx(text, name + "X"), name);
    return 0;
}
