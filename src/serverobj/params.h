// Parameter values of the stored procedure window: the saved lists (editor names and values),
// the parameter files (.PAR: name and value lines, each ended by CR LF), the values typed into
// the editors converted to the parameters' types, and the output lines after a run.
//   SavedParams s = readParFile("/tmp/a.PAR");   writeParFile("/tmp/b.PAR", s);
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/storedproc.h"
#include "panels/serverkind.h"

namespace vlm::serverobj {

// The lists paired by position; a name read from a file's last line may have no value.
struct SavedParams {
    std::vector<std::string> names;
    std::vector<std::optional<std::string>> values;
    bool operator==(const SavedParams&) const = default;
};

// Throws an engine File error when the file cannot be written.
void writeParFile(const std::string& path, const SavedParams& saved);
// The pairs of the file, its lines ended by CR LF or LF. A file holding a NUL byte is no
// parameter file: an engine Data error naming it. A missing file: nothing.
std::optional<SavedParams> readParFile(const std::string& path);

// An editor of the window: its name and its text.
struct Editor {
    std::string name;
    std::string text;
};
// Gives every editor named in the saved lists its value, in the lists' order; returns the
// saved names no editor has (in order, once each).
std::vector<std::string> restoreParams(const SavedParams& saved, std::vector<Editor>& editors);

// Which parameters get an editor, in the order the window builds them (the last parameter
// first), and the editor's name: "Par_" and the index on MSSQL, else the parameter's name.
// MSSQL parameters that are neither output nor result are made inputs.
struct EditorSpec {
    std::size_t index;
    std::string name;
};
std::vector<EditorSpec> editorsFor(panels::ServerKind kind, std::vector<engine::Param>& params);

// Puts the editors' texts into the parameters (MSSQL by the index after "Par_", else by name).
// An empty text is a null. A text that does not convert to the parameter's type throws the
// engine's conversion error with the parameter's name in front, before anything is run.
void assignEditorValues(panels::ServerKind kind, const std::vector<Editor>& editors, engine::StoredProc& proc);

// "index [length]: NAME = value" for every parameter that is not an input, in order.
std::vector<std::string> outputLines(const std::vector<engine::Param>& params);

}  // namespace vlm::serverobj
