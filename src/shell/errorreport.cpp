// Error reports of plain messages and engine errors.
#include "shell/errorreport.h"

#include "engine/error.h"

namespace vlm::shell {

ErrorReport errorReport(std::string message) { return ErrorReport{std::move(message), {}, false}; }

ErrorReport errorReport(const std::exception& error) {
    ErrorReport r{error.what(), {}, false};
    const auto* e = dynamic_cast<const engine::EngineError*>(&error);
    if (!e) return r;
    r.cancelled = e->category() == engine::ErrorCategory::Cancelled;
    r.details = std::string("Category: ") + engine::categoryName(e->category()) + "\nEngine code: " + std::to_string(e->code());
    if (!e->sqlState().empty()) r.details += "\nSQLSTATE: " + e->sqlState();
    if (e->nativeCode() != 0) r.details += "\nNative code: " + std::to_string(e->nativeCode());
    // The first line is the engine's; the rest came from the server or the driver.
    for (std::size_t i = 1; i < e->messages().size(); ++i)
        if (!e->messages()[i].empty()) r.details += "\nServer: " + e->messages()[i];
    return r;
}

}  // namespace vlm::shell
