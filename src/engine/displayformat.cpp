// The numeric display format of dataset fields.
#include "displayformat.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace vlm::engine {
namespace {

std::vector<std::string> sections(const std::string& f) {
    std::vector<std::string> out(1);
    char quote = 0;
    for (char c : f) {
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == ';') {
            out.emplace_back();
            continue;
        }
        out.back() += c;
    }
    return out;
}

std::string formatSection(double v, const std::string& f, bool sign) {
    std::string prefix, suffix;
    int intZeros = 0, decZeros = 0, decHashes = 0;
    bool point = false, grouping = false, seenPlaceholder = false;
    char quote = 0;
    std::string pending;   // literal text seen after a placeholder: suffix unless more follow
    for (char c : f) {
        if (quote) {
            if (c == quote)
                quote = 0;
            else
                (seenPlaceholder ? pending : prefix) += c;
            continue;
        }
        if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == '0' || c == '#') {
            seenPlaceholder = true;
            pending.clear();
            if (point)
                ++(c == '0' ? decZeros : decHashes);
            else if (c == '0')
                ++intZeros;
        } else if (c == '.' && !point) {
            point = true;
            seenPlaceholder = true;
        } else if (c == ',' && !point) {
            grouping = true;
        } else {
            (seenPlaceholder ? pending : prefix) += c;
        }
    }
    suffix = pending;
    int decimals = decZeros + decHashes;
    char buf[512];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, std::fabs(v));
    std::string digits = buf;
    std::string ip = digits, fp;
    if (auto dot = digits.find('.'); dot != std::string::npos) {
        ip = digits.substr(0, dot);
        fp = digits.substr(dot + 1);
    }
    while (int(fp.size()) > decZeros && !fp.empty() && fp.back() == '0') fp.pop_back();
    if (ip == "0" && intZeros == 0) ip.clear();
    while (int(ip.size()) < intZeros) ip = "0" + ip;
    if (grouping && ip.size() > 3) {
        std::string g;
        int n = int(ip.size());
        for (int i = 0; i < n; ++i) {
            g += ip[std::size_t(i)];
            if ((n - i - 1) % 3 == 0 && i != n - 1) g += ',';
        }
        ip = g;
    }
    std::string out = ip;
    if (!fp.empty()) out += "." + fp;
    bool zero = ip.find_first_not_of("0,") == std::string::npos && fp.find_first_not_of('0') == std::string::npos;
    if (sign && v < 0 && !zero) out = "-" + out;
    return prefix + out + suffix;
}

}  // namespace

std::string formatNumber(double value, const std::string& format) {
    if (std::isnan(value) || std::isinf(value)) {
        char b[32];
        std::snprintf(b, sizeof b, "%g", value);
        return b;
    }
    auto s = sections(format);
    if (value < 0 && s.size() >= 2 && !s[1].empty()) return formatSection(value, s[1], false);
    if (value == 0 && s.size() >= 3 && !s[2].empty()) return formatSection(value, s[2], false);
    return formatSection(value, s[0], true);
}

}  // namespace vlm::engine
