// B-tree layout of .MDX and .NDX files. MDX: a 544-byte header, the tag table (32-byte
// entries), then per tag a header block and its node blocks; page numbers count 512-byte pages,
// blocks are two pages. A node holds its key count, then (pointer, key) items; the pointer after
// the last key is 0 in a leaf and the rightmost child in an interior node.
#include "mdx.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <ctime>
#include <functional>

#include "../../../error.h"

namespace vlm::engine::local::dbase {
namespace {

constexpr std::uint32_t kPage = 512, kBlockPages = 2, kBlock = kPage * kBlockPages;
constexpr std::uint32_t kTagTable = 544, kTagEntry = 32, kMaxTags = 48;

std::uint32_t le32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}
void put32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = std::uint8_t(v >> (8 * i));
}
void put16(std::uint8_t* p, std::uint32_t v) { p[0] = std::uint8_t(v), p[1] = std::uint8_t(v >> 8); }
std::uint32_t le16(const std::uint8_t* p) { return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8; }

[[noreturn]] void corrupt(const std::string& path, const std::string& what) {
    throw EngineError(ErrorCategory::File, errc::FileCorrupt, {"Index " + path + " is damaged: " + what});
}

using Keys = std::vector<std::pair<std::string, std::uint32_t>>;

// Builds the node blocks of one B-tree bottom up. alloc() gives the next free page; emit()
// stores a node. Returns the root page.
std::uint32_t buildTree(const Keys& keys, std::uint32_t itemLen, std::uint32_t nodeBytes, std::uint32_t headerBytes,
                        bool ndx, const std::function<std::uint32_t()>& alloc,
                        const std::function<void(std::uint32_t, std::vector<std::uint8_t>)>& emit) {
    std::uint32_t keyLen = itemLen - (ndx ? 8 : 4);
    std::uint32_t perNode = std::max<std::uint32_t>(2, (nodeBytes - headerBytes) / itemLen - 1);
    struct Child { std::uint32_t page; std::string maxKey; };
    std::vector<Child> level;
    auto item = [&](std::vector<std::uint8_t>& n, std::size_t i, std::uint32_t ptr, std::uint32_t rec, const std::string& key) {
        std::uint8_t* p = n.data() + headerBytes + i * itemLen;
        if (ndx) put32(p, ptr), put32(p + 4, rec);
        else put32(p, ptr ? ptr : rec);
        std::memcpy(p + (ndx ? 8 : 4), key.data(), std::min<std::size_t>(key.size(), keyLen));
    };
    std::size_t i = 0;
    do {
        std::vector<std::uint8_t> n(nodeBytes, 0);
        std::size_t cnt = std::min<std::size_t>(perNode, keys.size() - i);
        put32(n.data(), std::uint32_t(cnt));
        for (std::size_t k = 0; k < cnt; ++k) item(n, k, 0, keys[i + k].second, keys[i + k].first);
        std::uint32_t page = alloc();
        level.push_back({page, cnt ? keys[i + cnt - 1].first : std::string()});
        emit(page, std::move(n));
        i += cnt;
    } while (i < keys.size());
    while (level.size() > 1) {
        std::vector<Child> up;
        for (std::size_t j = 0; j < level.size();) {
            std::size_t cnt = std::min<std::size_t>(perNode + 1, level.size() - j);
            if (cnt == 1 && !up.empty()) {   // never leave a lone child: hand it to a new node pair
                cnt = 1;
            }
            std::vector<std::uint8_t> n(nodeBytes, 0);
            put32(n.data(), std::uint32_t(cnt - 1));
            for (std::size_t k = 0; k + 1 < cnt; ++k) item(n, k, level[j + k].page, 0, level[j + k].maxKey);
            // The rightmost child sits in the trailing pointer slot.
            std::uint8_t* tail = n.data() + headerBytes + (cnt - 1) * itemLen;
            put32(tail, level[j + cnt - 1].page);
            std::uint32_t page = alloc();
            up.push_back({page, level[j + cnt - 1].maxKey});
            emit(page, std::move(n));
            j += cnt;
        }
        level = std::move(up);
    }
    return level.front().page;
}

void walkTree(File& f, std::uint32_t page, std::uint32_t itemLen, std::uint32_t keyLen, std::uint32_t nodeBytes,
              std::uint32_t headerBytes, bool ndx, Keys& out, int depth) {
    if (depth > 32) corrupt(f.path(), "the index tree is too deep");
    if (keyLen == 0 || itemLen < keyLen + (ndx ? 8 : 4) || itemLen > nodeBytes / 2)
        corrupt(f.path(), "the key length " + std::to_string(keyLen) + " does not fit items of " + std::to_string(itemLen) + " bytes");
    std::vector<std::uint8_t> n(nodeBytes);
    f.readExact(std::uint64_t(page) * kPage, n.data(), n.size());
    std::uint32_t cnt = le32(n.data());
    if (headerBytes + (std::uint64_t(cnt) + 1) * itemLen > nodeBytes) corrupt(f.path(), "a node has too many keys");
    std::uint32_t tail = le32(n.data() + headerBytes + cnt * itemLen);
    bool leaf = tail == 0;
    for (std::uint32_t k = 0; k < cnt; ++k) {
        const std::uint8_t* p = n.data() + headerBytes + k * itemLen;
        std::uint32_t ptr = le32(p);
        if (leaf) {
            std::uint32_t rec = ndx ? le32(p + 4) : ptr;
            out.emplace_back(std::string(reinterpret_cast<const char*>(p + (ndx ? 8 : 4)), keyLen), rec);
        } else {
            walkTree(f, ptr, itemLen, keyLen, nodeBytes, headerBytes, ndx, out, depth + 1);
        }
    }
    if (!leaf) walkTree(f, tail, itemLen, keyLen, nodeBytes, headerBytes, ndx, out, depth + 1);
}

std::uint32_t itemLength(std::uint32_t keyLen, bool ndx) { return ((keyLen + (ndx ? 8 : 4)) + 3) / 4 * 4; }

}  // namespace

std::string mdxNumberKey(double v) {
    std::string k(12, '\0');
    if (v == 0 || !std::isfinite(v)) {
        k[0] = 0x34;
        k[1] = 0x04;
        return k;
    }
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(v));   // the 15 digits a double holds
    std::string digits;
    for (char* c = buf; *c && *c != 'e'; ++c)
        if (*c >= '0' && *c <= '9') digits += *c;
    int exp = std::atoi(std::strchr(buf, 'e') + 1) + 1;   // digits before the point
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    digits.resize(std::min<std::size_t>(digits.size(), 20));
    k[0] = char(0x34 + exp);
    k[1] = char((digits.size() << 2) | (v < 0 ? 0x80 : 0));
    for (std::size_t i = 0; i < digits.size(); ++i) {
        int d = digits[i] - '0';
        std::size_t at = 2 + i / 2;
        k[at] = char(k[at] | (i % 2 ? d : d << 4));
    }
    return k;
}

std::string dateKey(int julianDay) {
    double d = julianDay;
    std::string k(8, '\0');
    std::memcpy(k.data(), &d, 8);
    return k;
}

std::string ndxNumberKey(double v) {
    std::string k(8, '\0');
    std::memcpy(k.data(), &v, 8);
    return k;
}

void writeMdx(FileSystem& fs, const std::string& path, const std::string& dbfBase, const std::vector<MdxTag>& tags) {
    if (tags.size() > kMaxTags - 1) corrupt(path, "too many tags");
    std::vector<std::uint8_t> out;
    std::uint32_t nextPage = (kTagTable + kMaxTags * kTagEntry + kBlock - 1) / kBlock * kBlockPages;
    auto alloc = [&] { std::uint32_t p = nextPage; nextPage += kBlockPages; return p; };
    auto emit = [&](std::uint32_t page, std::vector<std::uint8_t> n) {
        std::size_t at = std::size_t(page) * kPage;
        if (out.size() < at + n.size()) out.resize(at + n.size(), 0);
        std::memcpy(out.data() + at, n.data(), n.size());
    };
    out.resize(std::size_t(nextPage) * kPage, 0);
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    std::vector<std::uint32_t> tagPages;
    for (const auto& t : tags) {
        std::uint32_t headerPage = alloc();
        tagPages.push_back(headerPage);
        std::uint32_t itemLen = itemLength(std::uint32_t(t.keyLength), false);
        std::uint32_t root = buildTree(t.keys, itemLen, kBlock, 8, false, alloc, emit);
        std::vector<std::uint8_t> h(kBlock, 0);
        put32(h.data(), root);
        h[8] = std::uint8_t((t.descending ? 0x08 : 0) | (t.unique ? 0x40 : 0) | 0x10);
        h[9] = std::uint8_t(t.keyType);
        put16(h.data() + 12, std::uint32_t(t.keyLength));
        put16(h.data() + 14, (kBlock - 8) / itemLen - 1);
        put16(h.data() + 18, itemLen);
        h[23] = t.unique ? 0x40 : 0;
        std::memcpy(h.data() + 24, t.expression.data(), std::min<std::size_t>(t.expression.size(), 100));
        emit(headerPage, std::move(h));
    }
    std::uint8_t* h = out.data();
    h[0] = 2;
    h[1] = std::uint8_t(tm.tm_year % 100), h[2] = std::uint8_t(tm.tm_mon + 1), h[3] = std::uint8_t(tm.tm_mday);
    std::memcpy(h + 4, dbfBase.data(), std::min<std::size_t>(dbfBase.size(), 15));
    put16(h + 20, kBlockPages);
    put16(h + 22, kBlock);
    h[24] = 1;
    h[25] = kMaxTags;
    h[26] = kTagEntry;
    put16(h + 28, std::uint32_t(tags.size()));
    put32(h + 32, nextPage);
    h[44] = h[1], h[45] = h[2], h[46] = h[3];
    for (std::size_t i = 0; i < tags.size(); ++i) {
        std::uint8_t* e = h + kTagTable + i * kTagEntry;
        put32(e, tagPages[i]);
        std::memcpy(e + 4, tags[i].name.data(), std::min<std::size_t>(tags[i].name.size(), 10));
        e[15] = std::uint8_t((tags[i].descending ? 0x08 : 0) | 0x10 | (tags[i].unique ? 0x40 : 0));
        e[16] = i + 1 < tags.size() ? std::uint8_t(i + 2) : 0;
        e[19] = 0x02;
        e[20] = std::uint8_t(tags[i].keyType);
    }
    auto f = fs.open(path, ReadWrite | Create | Truncate);
    f->write(0, out.data(), out.size());
    f->sync();
}

std::vector<MdxTag> readMdxTags(FileSystem& fs, const std::string& path) {
    auto f = fs.open(path, ReadOnly);
    std::uint64_t size = f->size();
    std::vector<std::uint8_t> h(kTagTable + kMaxTags * kTagEntry, 0);
    if (f->read(0, h.data(), h.size()) < kTagTable) corrupt(path, "the header is missing");
    if (h[0] != 2 && h[0] != 3) corrupt(path, "unknown version " + std::to_string(h[0]));
    std::uint32_t n = le16(h.data() + 28);
    if (n > kMaxTags) corrupt(path, "it claims " + std::to_string(n) + " tags");
    std::vector<MdxTag> tags;
    for (std::uint32_t i = 0; i < n; ++i) {
        const std::uint8_t* e = h.data() + kTagTable + i * kTagEntry;
        MdxTag t;
        t.name = std::string(reinterpret_cast<const char*>(e + 4), strnlen(reinterpret_cast<const char*>(e + 4), 11));
        while (!t.name.empty() && t.name.back() == ' ') t.name.pop_back();
        std::uint32_t page = le32(e);
        std::uint8_t th[124] = {};
        if (std::uint64_t(page) * kPage + sizeof th > size) corrupt(path, "tag " + t.name + " lies past the end of the file");
        f->readExact(std::uint64_t(page) * kPage, th, sizeof th);
        t.keyType = char(th[9]);
        t.keyLength = int(le16(th + 12));
        t.descending = (th[8] & 0x08) != 0;
        t.unique = th[23] != 0 || (th[8] & 0x40);
        t.expression = std::string(reinterpret_cast<const char*>(th + 24), strnlen(reinterpret_cast<const char*>(th + 24), 100));
        while (!t.expression.empty() && t.expression.back() == ' ') t.expression.pop_back();
        if (t.keyLength <= 0 || t.keyLength > 100) corrupt(path, "tag " + t.name + " has key length " + std::to_string(t.keyLength));
        tags.push_back(std::move(t));
    }
    return tags;
}

Keys readMdxKeys(FileSystem& fs, const std::string& path, const std::string& tag) {
    auto f = fs.open(path, ReadOnly);
    auto tags = readMdxTags(fs, path);
    std::vector<std::uint8_t> h(kTagTable + kMaxTags * kTagEntry);
    f->readExact(0, h.data(), h.size());
    for (std::size_t i = 0; i < tags.size(); ++i) {
        if (tags[i].name != tag) continue;
        std::uint32_t page = le32(h.data() + kTagTable + i * kTagEntry);
        std::uint8_t th[20];
        f->readExact(std::uint64_t(page) * kPage, th, sizeof th);
        Keys out;
        walkTree(*f, le32(th), le16(th + 18), le16(th + 12), kBlock, 8, false, out, 0);
        return out;
    }
    corrupt(path, "no tag " + tag);
}

void writeNdx(FileSystem& fs, const std::string& path, const MdxTag& tag) {
    std::vector<std::uint8_t> out(kPage, 0);
    std::uint32_t nextPage = 1;
    auto alloc = [&] { return nextPage++; };
    auto emit = [&](std::uint32_t page, std::vector<std::uint8_t> n) {
        std::size_t at = std::size_t(page) * kPage;
        if (out.size() < at + n.size()) out.resize(at + n.size(), 0);
        std::memcpy(out.data() + at, n.data(), n.size());
    };
    std::uint32_t itemLen = itemLength(std::uint32_t(tag.keyLength), true);
    std::uint32_t root = buildTree(tag.keys, itemLen, kPage, 4, true, alloc, emit);
    std::uint8_t* h = out.data();
    put32(h, root);
    put32(h + 4, nextPage);
    put16(h + 12, std::uint32_t(tag.keyLength));
    put16(h + 14, (kPage - 4) / itemLen - 1);
    put16(h + 16, tag.keyType == 'C' ? 0 : 1);
    put16(h + 18, itemLen);
    h[22] = tag.unique ? 1 : 0;
    std::memcpy(h + 24, tag.expression.data(), std::min<std::size_t>(tag.expression.size(), 100));
    auto f = fs.open(path, ReadWrite | Create | Truncate);
    f->write(0, out.data(), out.size());
    f->sync();
}

MdxTag readNdx(FileSystem& fs, const std::string& path, bool withKeys) {
    auto f = fs.open(path, ReadOnly);
    std::uint8_t h[124];
    f->readExact(0, h, sizeof h);
    MdxTag t;
    t.keyLength = int(le16(h + 12));
    t.keyType = le16(h + 16) ? 'N' : 'C';
    t.unique = h[22] != 0;
    t.expression = std::string(reinterpret_cast<const char*>(h + 24), strnlen(reinterpret_cast<const char*>(h + 24), 100));
    std::uint32_t itemLen = le16(h + 18);
    if (t.keyLength <= 0 || t.keyLength > 100 || itemLen < std::uint32_t(t.keyLength) + 8 || itemLen > 256)
        corrupt(path, "the key length is invalid");
    if (withKeys) walkTree(*f, le32(h), itemLen, std::uint32_t(t.keyLength), kPage, 4, true, t.keys, 0);
    return t;
}

}  // namespace vlm::engine::local::dbase
