// Engine errors: a failing engine call throws EngineError; callers show what() or the messages.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace vlm::engine {

enum class ErrorCategory {
    Config,       // configuration file or alias problems
    Driver,       // unknown driver, driver not available
    Connect,      // cannot open a database
    Sql,          // a statement failed on the server
    Data,         // bad value, conversion, constraint
    File,         // local file I/O or a damaged local file
    Usage,        // wrong call sequence: edit on a closed dataset, unknown field
    Cancelled     // long work cancelled by the user
};

// "Config", "Driver", "Connect", "Sql", "Data", "File", "Usage", "Cancelled". Inline, like the
// accessors below, so that the error display reads engine errors without linking the engine.
inline const char* categoryName(ErrorCategory c) {
    switch (c) {
    case ErrorCategory::Config: return "Config";
    case ErrorCategory::Driver: return "Driver";
    case ErrorCategory::Connect: return "Connect";
    case ErrorCategory::Sql: return "Sql";
    case ErrorCategory::Data: return "Data";
    case ErrorCategory::File: return "File";
    case ErrorCategory::Usage: return "Usage";
    case ErrorCategory::Cancelled: return "Cancelled";
    }
    return "";
}

class EngineError : public std::runtime_error {
public:
    // code: the engine's own error code; messages: the engine's text first, then the server's;
    // nativeCode: the server's own number; sqlState: the five-character SQLSTATE when the
    // server gives one (PostgreSQL, ODBC), else empty.
    EngineError(ErrorCategory category, int code, std::vector<std::string> messages,
                int nativeCode = 0, std::string sqlState = {});
    EngineError(ErrorCategory category, std::string message)
        : EngineError(category, defaultCode(category), {std::move(message)}) {}

    ErrorCategory category() const { return category_; }
    int code() const { return code_; }
    int nativeCode() const { return native_; }
    const std::string& sqlState() const { return sqlState_; }
    const std::vector<std::string>& messages() const { return messages_; }

    static int defaultCode(ErrorCategory c);

private:
    ErrorCategory category_;
    int code_;
    int native_;
    std::vector<std::string> messages_;
    std::string sqlState_;
};

// Engine error codes (category base + detail).
namespace errc {
enum : int {
    ConfigBase = 0x2100, ConfigMalformed = 0x2101, UnknownAlias = 0x2102, AliasExists = 0x2103,
    DriverBase = 0x2200, UnknownDriver = 0x2201, DriverUnavailable = 0x2202,
    ConnectBase = 0x2300, NotADatabase = 0x2301, LoginFailed = 0x2302,
    SqlBase = 0x2400,
    DataBase = 0x2500, ConversionFailed = 0x2501, KeyViolation = 0x2502, RecordChanged = 0x2503,
    FileBase = 0x2600, FileCorrupt = 0x2601, FileLocked = 0x2602, FileNotFound = 0x2603,
    TableProtected = 0x2604,
    UsageBase = 0x2700, UnknownField = 0x2701, NotSupported = 0x2702, ReadOnly = 0x2703,
    CancelledBase = 0x2800
};
}

// The error of every driver when an update or delete finds its row no longer there as it was
// read: one text, so callers and users see the same thing whatever the database.
inline EngineError recordChangedError() {
    return EngineError(ErrorCategory::Data, errc::RecordChanged,
                       {"Couldn't perform the edit because another user changed the record."});
}

}  // namespace vlm::engine
