// The table-format list, looked up by file extension.
#include "tablefile.h"

#include <algorithm>
#include <cctype>

namespace vlm::engine::local {
namespace {
std::string upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::toupper(c); });
    return s;
}
}  // namespace

void TableFormats::add(std::unique_ptr<TableFormat> format) { formats_.push_back(std::move(format)); }

TableFormat* TableFormats::forExtension(const std::string& ext) const {
    std::string e = upper(ext);
    if (!e.empty() && e[0] == '.') e.erase(0, 1);
    for (auto& f : formats_)
        if (f->extension() == e) return f.get();
    return nullptr;
}

TableFormat* TableFormats::forPath(const std::string& path) const {
    auto slash = path.find_last_of('/');
    auto dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return nullptr;
    return forExtension(path.substr(dot + 1));
}

TableFormats& formats() {
    static TableFormats f;
    return f;
}

}  // namespace vlm::engine::local
