// The table-format list, looked up by file extension.
#include "tablefile.h"

#include <algorithm>

#include "pathutil.h"

namespace vlm::engine::local {

bool TableFile::indexReads(const IndexDef& index, const std::string& field) const {
    return std::any_of(index.fields.begin(), index.fields.end(), [&](const std::string& f) { return upper(f) == upper(field); });
}

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
