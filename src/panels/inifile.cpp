// INI text reading and writing.
#include "panels/inifile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "panels/names.h"

namespace vlm::panels {

namespace {

std::string trimWs(const std::string& s) {
    auto b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) return {};
    auto e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

bool sameName(const std::string& a, const std::string& b) { return upperName(a) == upperName(b); }

}  // namespace

std::optional<std::int32_t> parseIniInteger(const std::string& textIn) {
    std::string t = trimWs(textIn);
    if (t.empty()) return std::nullopt;
    bool neg = false;
    std::size_t i = 0;
    if (t[0] == '-' || t[0] == '+') { neg = t[0] == '-'; i = 1; }
    int base = 10;
    if (t.size() > i + 1 && t[i] == '0' && (t[i + 1] == 'x' || t[i + 1] == 'X')) { base = 16; i += 2; }
    if (i >= t.size()) return std::nullopt;
    std::uint64_t v = 0;
    for (; i < t.size(); ++i) {
        char c = t[i];
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return std::nullopt;
        v = v * std::uint64_t(base) + std::uint64_t(d);
        if (v > 0xFFFFFFFFull) return std::nullopt;
    }
    if (neg) {
        if (v > 0x80000000ull) return std::nullopt;
        return std::int32_t(-std::int64_t(v));
    }
    return std::int32_t(std::uint32_t(v));
}

bool IniFile::load(const std::string& path) {
    lines_.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::stringstream ss;
    ss << in.rdbuf();
    parse(ss.str());
    return true;
}

void IniFile::parse(const std::string& text) {
    lines_.clear();
    std::size_t pos = 0;
    while (pos <= text.size()) {
        auto nl = text.find('\n', pos);
        std::string raw = text.substr(pos, nl == std::string::npos ? std::string::npos : nl - pos);
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        if (nl == std::string::npos && raw.empty()) break;
        Line l;
        l.raw = raw;
        std::string t = trimWs(raw);
        if (!t.empty() && t.front() == '[' && t.find(']') != std::string::npos) {
            l.kind = Line::Section;
            l.section = trimWs(t.substr(1, t.find(']') - 1));
        } else if (!t.empty() && t.front() != ';' && t.find('=') != std::string::npos) {
            l.kind = Line::Key;
            l.key = trimWs(t.substr(0, t.find('=')));
            l.value = trimWs(t.substr(t.find('=') + 1));
            // A value in matching quotes is read without them.
            if (l.value.size() >= 2 && (l.value.front() == '"' || l.value.front() == '\'') && l.value.back() == l.value.front())
                l.value = l.value.substr(1, l.value.size() - 2);
        }
        lines_.push_back(std::move(l));
        if (nl == std::string::npos) break;
        pos = nl + 1;
    }
}

std::string IniFile::text() const {
    std::string out;
    for (const auto& l : lines_) {
        if (l.kind == Line::Section) out += "[" + l.section + "]";
        else if (l.kind == Line::Key) out += l.key + "=" + l.value;
        else out += l.raw;
        out += "\n";
    }
    return out;
}

bool IniFile::save(const std::string& path, std::string& reason) const {
    // Written beside the target and renamed over it, so a failed write leaves the old file.
    std::string tmp = path + ".tmp";
    int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0) { reason = std::strerror(errno); return false; }
    std::string data = text();
    const char* p = data.data();
    std::size_t left = data.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            reason = std::strerror(errno);
            ::close(fd);
            ::unlink(tmp.c_str());
            return false;
        }
        p += n;
        left -= std::size_t(n);
    }
    if (::fchmod(fd, 0600) != 0 || ::fsync(fd) != 0 || ::close(fd) != 0) {
        reason = std::strerror(errno);
        ::unlink(tmp.c_str());
        return false;
    }
    if (std::rename(tmp.c_str(), path.c_str()) != 0) {
        reason = std::strerror(errno);
        ::unlink(tmp.c_str());
        return false;
    }
    return true;
}

int IniFile::find(const std::string& section, const std::string& key, int* sectionEnd) const {
    if (sectionEnd) *sectionEnd = -1;
    int n = int(lines_.size());
    int h = 0;
    while (h < n && !(lines_[std::size_t(h)].kind == Line::Section && sameName(lines_[std::size_t(h)].section, section))) ++h;
    if (h == n) return -1;   // no such section
    int end = h + 1;
    for (int i = h + 1; i < n && lines_[std::size_t(i)].kind != Line::Section; ++i) {
        const Line& l = lines_[std::size_t(i)];
        if (l.kind != Line::Key) continue;
        if (sameName(l.key, key)) return i;
        end = i + 1;
    }
    if (sectionEnd) *sectionEnd = end;
    return -1;
}

std::optional<std::string> IniFile::value(const std::string& section, const std::string& key) const {
    int i = find(section, key);
    if (i < 0) return std::nullopt;
    return lines_[std::size_t(i)].value;
}

std::string IniFile::readString(const std::string& section, const std::string& key, const std::string& def) const {
    auto v = value(section, key);
    if (!v) return def;
    return v->size() > 1023 ? v->substr(0, 1023) : *v;
}

std::int32_t IniFile::readInteger(const std::string& section, const std::string& key, std::int32_t def) const {
    auto v = value(section, key);
    if (!v) return def;
    auto n = parseIniInteger(*v);
    return n ? *n : def;
}

bool IniFile::readBool(const std::string& section, const std::string& key, bool def) const {
    return readInteger(section, key, def ? 1 : 0) != 0;
}

void IniFile::writeString(const std::string& section, const std::string& key, const std::string& value) {
    int end = -1;
    int i = find(section, key, &end);
    if (i >= 0) { lines_[std::size_t(i)].value = value; return; }
    Line l;
    l.kind = Line::Key;
    l.key = key;
    l.value = value;
    if (end < 0) {   // a new section at the end of the file
        Line s;
        s.kind = Line::Section;
        s.section = section;
        lines_.push_back(std::move(s));
        lines_.push_back(std::move(l));
        return;
    }
    lines_.insert(lines_.begin() + end, std::move(l));
}

void IniFile::writeInteger(const std::string& section, const std::string& key, std::int32_t value) {
    writeString(section, key, std::to_string(value));
}

void IniFile::writeBool(const std::string& section, const std::string& key, bool value) {
    writeString(section, key, value ? "1" : "0");
}

std::vector<std::string> IniFile::sections() const {
    std::vector<std::string> out;
    for (const auto& l : lines_)
        if (l.kind == Line::Section) out.push_back(l.section);
    return out;
}

}  // namespace vlm::panels
