// .INF files: a few text lines, read and edited line by line so that what other programs put
// there stays.
#include "ndxinf.h"

#include <cctype>

#include "../pathutil.h"

namespace vlm::engine::local::dbase {
namespace {

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> out;
    std::string line;
    for (char c : text) {
        if (c == '\n') {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            out.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty()) out.push_back(line);
    return out;
}

std::string trimmed(const std::string& s) {
    std::size_t a = s.find_first_not_of(" \t"), b = s.find_last_not_of(" \t");
    return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

bool isSection(const std::string& line) {
    std::string t = trimmed(line);
    return t.size() >= 2 && t.front() == '[' && t.back() == ']';
}
bool isDbaseSection(const std::string& line) { return isSection(line) && upper(trimmed(line)) == "[DBASE]"; }

// The number n of an "NDXn=value" line (0 when it is none) and its value.
int ndxLine(const std::string& line, std::string* value) {
    std::string t = trimmed(line);
    auto eq = t.find('=');
    if (eq == std::string::npos) return 0;
    std::string key = upper(trimmed(t.substr(0, eq)));
    if (key.size() < 4 || key.compare(0, 3, "NDX") != 0) return 0;
    int n = 0;
    for (std::size_t i = 3; i < key.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(key[i]))) return 0;
        n = n * 10 + (key[i] - '0');
        if (n > 9999) return 0;
    }
    if (value) *value = trimmed(t.substr(eq + 1));
    return n;
}

std::string joinLines(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& l : lines) out += l + "\r\n";
    return out;
}

}  // namespace

std::vector<std::string> infNdxNames(const std::string& text) {
    std::vector<std::string> out;
    bool in = false;
    for (const auto& line : splitLines(text)) {
        if (isSection(line)) {
            in = isDbaseSection(line);
            continue;
        }
        std::string v;
        if (in && ndxLine(line, &v) > 0 && !v.empty()) out.push_back(v);
    }
    return out;
}

std::string infAddNdx(const std::string& text, const std::string& ndxName) {
    auto lines = splitLines(text);
    int highest = 0;
    std::size_t insertAt = std::string::npos;
    bool in = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (isSection(lines[i])) {
            if (in) break;
            in = isDbaseSection(lines[i]);
            if (in) insertAt = i + 1;
            continue;
        }
        if (!in) continue;
        if (int n = ndxLine(lines[i], nullptr); n > 0) highest = std::max(highest, n);
        if (!trimmed(lines[i]).empty()) insertAt = i + 1;
    }
    std::string line = "NDX" + std::to_string(highest + 1) + "=" + ndxName;
    if (insertAt == std::string::npos) {
        if (!lines.empty() && !trimmed(lines.back()).empty()) lines.push_back("");
        lines.push_back("[dBASE]");
        lines.push_back(line);
    } else {
        lines.insert(lines.begin() + std::ptrdiff_t(insertAt), line);
    }
    return joinLines(lines);
}

std::string infRemoveNdx(const std::string& text, const std::string& ndxName) {
    auto lines = splitLines(text);
    std::vector<std::string> kept;
    bool in = false;
    for (const auto& line : lines) {
        if (isSection(line)) in = isDbaseSection(line);
        std::string v;
        if (in && ndxLine(line, &v) > 0 && upper(v) == upper(ndxName)) continue;
        kept.push_back(line);
    }
    bool meaningful = false;
    for (const auto& l : kept)
        if (!trimmed(l).empty() && !isDbaseSection(l)) meaningful = true;
    return meaningful ? joinLines(kept) : std::string();
}

}  // namespace vlm::engine::local::dbase
