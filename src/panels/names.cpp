// Name parts and the name mask.
#include "panels/names.h"

#include "engine/types.h"
#include "shell/texthelpers.h"

namespace vlm::panels {

std::string upperName(std::string_view s) { return shell::text::upperCyr(s); }

bool equalsUpper(std::string_view a, std::string_view b) { return upperName(a) == upperName(b); }

std::string trimBlanks(std::string_view s) {
    auto b = s.find_first_not_of(' ');
    if (b == std::string_view::npos) return {};
    auto e = s.find_last_not_of(' ');
    return std::string(s.substr(b, e - b + 1));
}

std::string ownerPart(std::string_view name) {
    auto p = name.find('.');
    return p == std::string_view::npos ? std::string() : std::string(name.substr(0, p));
}

std::string namePart(std::string_view name) {
    auto p = name.find('.');
    return p == std::string_view::npos ? std::string(name) : std::string(name.substr(p + 1));
}

std::string listedName(const engine::TableEntry& e) {
    std::string ext = trimBlanks(e.extension);
    if (ext.empty()) return e.name;
    std::string suffix = "." + ext;
    if (e.name.size() > suffix.size() &&
        equalsUpper(std::string_view(e.name).substr(e.name.size() - suffix.size()), suffix))
        return e.name;
    return e.name + "." + e.extension;
}

std::string engineBaseName(const engine::TableEntry& e) {
    std::string ext = trimBlanks(e.extension);
    if (ext.empty()) return e.name;
    std::string suffix = "." + ext;
    if (e.name.size() > suffix.size() &&
        equalsUpper(std::string_view(e.name).substr(e.name.size() - suffix.size()), suffix))
        return e.name.substr(0, e.name.size() - suffix.size());
    return e.name;
}

bool maskMatches(std::string_view maskIn, std::string_view text) {
    std::string mask = upperName(maskIn);
    if (mask.find('*') == std::string::npos) return mask == text;
    if (mask[0] == '*') {
        std::string rest = mask.substr(1);
        if (!rest.empty() && rest.back() == '*') rest.pop_back();
        return text.find(rest) != std::string_view::npos;
    }
    std::string prefix = mask.substr(0, mask.size() - 1);
    return text.substr(0, std::min(text.size(), prefix.size())) == prefix && text.size() >= prefix.size();
}

}  // namespace vlm::panels
