// Small name and path helpers shared by the local table formats and the directory driver.
#pragma once

#include <algorithm>
#include <cctype>
#include <string>

namespace vlm::engine::local {

// ASCII upper case (table, field and extension names).
inline std::string upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::toupper(c)); });
    return s;
}
// The file name of a path.
inline std::string baseName(const std::string& path) {
    auto s = path.find_last_of('/');
    return s == std::string::npos ? path : path.substr(s + 1);
}
// The directory of a path: "." without a slash, "/" for a file in the root.
inline std::string dirName(const std::string& path) {
    auto s = path.find_last_of('/');
    return s == std::string::npos ? "." : (s == 0 ? "/" : path.substr(0, s));
}

}  // namespace vlm::engine::local
