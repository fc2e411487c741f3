// Engine error values.
#include "error.h"

namespace vlm::engine {
namespace {
std::string joined(const std::vector<std::string>& m) {
    std::string s;
    for (const auto& line : m) {
        if (line.empty()) continue;
        if (!s.empty()) s += "\n";
        s += line;
    }
    return s;
}
}  // namespace

EngineError::EngineError(ErrorCategory category, int code, std::vector<std::string> messages,
                         int nativeCode, std::string sqlState)
    : std::runtime_error(joined(messages)), category_(category), code_(code), native_(nativeCode),
      messages_(std::move(messages)), sqlState_(std::move(sqlState)) {}

int EngineError::defaultCode(ErrorCategory c) {
    switch (c) {
    case ErrorCategory::Config: return errc::ConfigBase;
    case ErrorCategory::Driver: return errc::DriverBase;
    case ErrorCategory::Connect: return errc::ConnectBase;
    case ErrorCategory::Sql: return errc::SqlBase;
    case ErrorCategory::Data: return errc::DataBase;
    case ErrorCategory::File: return errc::FileBase;
    case ErrorCategory::Usage: return errc::UsageBase;
    case ErrorCategory::Cancelled: return errc::CancelledBase;
    }
    return 0;
}

}  // namespace vlm::engine
