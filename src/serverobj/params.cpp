// Parameter files, editor values and output lines of the stored procedure window.
#include "serverobj/params.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "engine/error.h"

namespace vlm::serverobj {

using engine::EngineError;
using engine::ErrorCategory;
using engine::FieldType;
using engine::ParamDirection;

void writeParFile(const std::string& path, const SavedParams& saved) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (std::size_t i = 0; out && i < saved.names.size(); ++i) {
        out << saved.names[i] << "\r\n";
        if (i < saved.values.size() && saved.values[i]) out << *saved.values[i] << "\r\n";
    }
    out.flush();
    if (!out) throw EngineError(ErrorCategory::File, "Cannot write the parameter file " + path);
}

std::optional<SavedParams> readParFile(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) throw EngineError(ErrorCategory::File, "Cannot read the parameter file " + path);
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (data.find('\0') != std::string::npos)
        throw EngineError(ErrorCategory::Data, "Not a parameter file: " + path);
    std::vector<std::string> lines;
    std::size_t b = 0;
    while (b < data.size()) {
        std::size_t e = data.find('\n', b);
        std::string line = data.substr(b, e == std::string::npos ? std::string::npos : e - b);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        if (e == std::string::npos) break;
        b = e + 1;
    }
    SavedParams s;
    for (std::size_t i = 0; i < lines.size(); i += 2) {
        s.names.push_back(lines[i]);
        s.values.push_back(i + 1 < lines.size() ? std::optional<std::string>(lines[i + 1]) : std::nullopt);
    }
    return s;
}

std::vector<std::string> restoreParams(const SavedParams& saved, std::vector<Editor>& editors) {
    std::vector<std::string> unknown;
    for (std::size_t i = 0; i < saved.names.size(); ++i) {
        bool found = false;
        for (auto& e : editors)
            if (e.name == saved.names[i]) {
                found = true;
                if (i < saved.values.size() && saved.values[i]) e.text = *saved.values[i];
            }
        if (!found && std::find(unknown.begin(), unknown.end(), saved.names[i]) == unknown.end())
            unknown.push_back(saved.names[i]);
    }
    return unknown;
}

std::vector<EditorSpec> editorsFor(panels::ServerKind kind, std::vector<engine::Param>& params) {
    std::vector<EditorSpec> out;
    for (std::size_t i = params.size(); i-- > 0;) {
        auto& p = params[i];
        if (kind == panels::ServerKind::MSSQL) {
            if (p.direction == ParamDirection::Output || p.direction == ParamDirection::Result) continue;
            p.direction = ParamDirection::Input;
            out.push_back({i, "Par_" + std::to_string(i)});
        } else if (p.direction == ParamDirection::Input || p.direction == ParamDirection::InputOutput) {
            out.push_back({i, p.name});
        }
    }
    return out;
}

namespace {

engine::Value converted(const std::string& text, FieldType type) {
    engine::Value v(text);
    switch (type) {
    case FieldType::Smallint:
    case FieldType::Integer:
    case FieldType::Word:
    case FieldType::AutoInc: return engine::Value(v.asInteger());
    case FieldType::Float:
    case FieldType::Currency:
    case FieldType::BCD: v.asFloat(); return v;   // checked, sent as typed so that no digit is lost
    default: return v;
    }
}

}  // namespace

void assignEditorValues(panels::ServerKind kind, const std::vector<Editor>& editors, engine::StoredProc& proc) {
    std::vector<std::pair<engine::Param*, engine::Value>> values;
    for (const auto& e : editors) {
        engine::Param* p = nullptr;
        if (kind == panels::ServerKind::MSSQL && e.name.rfind("Par_", 0) == 0)
            p = &proc.param(std::size_t(std::stoul(e.name.substr(4))));
        else
            p = &proc.paramByName(e.name);
        if (e.text.empty()) {
            values.push_back({p, engine::Value()});
            continue;
        }
        try {
            values.push_back({p, converted(e.text, p->dataType)});
        } catch (const EngineError& err) {
            std::vector<std::string> m = err.messages();
            if (m.empty()) m.push_back(err.what());
            m.front() = "Parameter " + p->name + ": " + m.front();
            throw EngineError(err.category(), err.code(), m, err.nativeCode(), err.sqlState());
        }
    }
    for (auto& [p, v] : values) p->value = v;
}

std::vector<std::string> outputLines(const std::vector<engine::Param>& params) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < params.size(); ++i) {
        const auto& p = params[i];
        if (p.direction == ParamDirection::Input) continue;
        const std::string text = p.value.isNull() ? std::string() : p.value.asText();
        // The length in characters of UTF-8 text.
        std::size_t chars = 0;
        for (unsigned char c : text) chars += (c & 0xC0) != 0x80;
        out.push_back(std::to_string(i) + " [" + std::to_string(chars) + "]: " + p.name + " = " + text);
    }
    return out;
}

}  // namespace vlm::serverobj
