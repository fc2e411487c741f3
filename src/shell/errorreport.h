// What the one error display shows for a plain message or an exception: the text the user reads
// first and, for an engine error, its parts (category, engine code, SQLSTATE or native code,
// the server's text). Plain C++, so tests read it without a display.
//   catch (const std::exception& e) { form.prompts().error(errorReport(e)); }
#pragma once

#include <exception>
#include <string>

namespace vlm::shell {

struct ErrorReport {
    std::string text;      // the message, or the engine's and the server's lines (what())
    std::string details;   // an engine error's parts, one per line; empty for a plain message
    bool cancelled = false;   // the user cancelled long work: worth a note, not an alarm
};

ErrorReport errorReport(std::string message);
// An engine error shows its parts; any other exception its what().
ErrorReport errorReport(const std::exception& error);

}  // namespace vlm::shell
