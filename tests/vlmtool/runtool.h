// Runs the built vlmtool (VLMTOOL_PATH) as a user would, with the configuration file cfg, and
// collects its output, error text and exit status; its stderr goes through a file in dir.
#pragma once

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace vlm::test {

struct ToolResult {
    int status = -1;
    std::string out, err;
};

inline std::string readAll(const std::filesystem::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

inline std::string shellQuote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// env: further "NAME=value" settings of the program's environment.
inline ToolResult runVlmtool(const std::string& cfg, const std::filesystem::path& dir, const std::vector<std::string>& args,
                             const std::vector<std::string>& env = {}) {
    std::string cmd = "VLM_ENGINE_CFG=" + shellQuote(cfg) + " ";
    for (const auto& e : env) {   // NAME='value': a quoted NAME would be no assignment
        auto eq = e.find('=');
        cmd += e.substr(0, eq) + "=" + shellQuote(e.substr(eq + 1)) + " ";
    }
    cmd += shellQuote(VLMTOOL_PATH);
    for (const auto& a : args) cmd += " " + shellQuote(a);
    auto errFile = dir / "stderr.txt";
    cmd += " 2>" + shellQuote(errFile.string());
    ToolResult r;
    FILE* p = ::popen(cmd.c_str(), "r");
    if (!p) return r;
    std::array<char, 4096> buf;
    std::size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0) r.out.append(buf.data(), n);
    int st = ::pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    r.err = readAll(errFile);
    return r;
}

}  // namespace vlm::test
