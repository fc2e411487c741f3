// Fuzzes the index key-expression parser and evaluator: the input is an expression, a newline,
// and the bytes of a record of four fields (NAME C(10), QTY N(6,2), SOLD D, OK L).
#include <cstdint>
#include <string>

#include "engine/drivers/local/dbase/keyexpr.h"
#include "engine/error.h"

using namespace vlm::engine::local::dbase;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string in(reinterpret_cast<const char*>(data), size);
    std::size_t nl = in.find('\n');
    std::string expr = in.substr(0, nl);
    std::string record = nl == std::string::npos ? std::string() : in.substr(nl + 1);
    record.resize(26, ' ');
    static const std::vector<KeyField> fields = {
        {"NAME", 'C', 1, 10, 0, false}, {"QTY", 'N', 11, 6, 2, false},
        {"SOLD", 'D', 17, 8, 0, false}, {"OK", 'L', 25, 1, 0, false}};
    try {
        KeyExpr e(expr, fields);
        (void)e.fieldList();
        KeyValue v = e.eval(reinterpret_cast<const std::uint8_t*>(record.data()), 7);
        if (v.type == 'C' && int(v.text.size()) > e.width() && e.width() > 0) __builtin_trap();
    } catch (const vlm::engine::EngineError&) {
    }
    return 0;
}
