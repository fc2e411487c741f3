// Memo file layouts. dBase III: 512-byte blocks, text ended by 0x1A 0x1A. dBase IV: blocks of
// the header's size, each memo with an 8-byte prefix FF FF 08 00 + length (prefix included).
// FoxPro: big-endian header and block prefix (type, length of the data).
#include "memo.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "../../../error.h"

namespace vlm::engine::local::dbase {
namespace {

std::uint32_t le32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}
std::uint32_t be32(const std::uint8_t* p) {
    return std::uint32_t(p[3]) | std::uint32_t(p[2]) << 8 | std::uint32_t(p[1]) << 16 |
           std::uint32_t(p[0]) << 24;
}
void putLe32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = std::uint8_t(v >> (8 * i));
}
void putBe32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[3 - i] = std::uint8_t(v >> (8 * i));
}

[[noreturn]] void corrupt(const std::string& path, const std::string& what) {
    throw EngineError(ErrorCategory::File, errc::FileCorrupt, {"Memo file " + path + " is damaged: " + what});
}

}  // namespace

MemoFile::MemoFile(std::unique_ptr<File> file, MemoKind kind) : file_(std::move(file)), kind_(kind) {
    std::uint8_t h[32] = {};
    std::size_t n = file_->read(0, h, sizeof h);
    if (n < 24) corrupt(file_->path(), "the header is missing");
    if (kind_ == MemoKind::Fpt) {
        blockSize_ = std::uint32_t(h[6]) << 8 | h[7];
        if (blockSize_ == 0) blockSize_ = 64;
    } else if (kind_ == MemoKind::Dbt4) {
        std::uint32_t bs = std::uint32_t(h[20]) | std::uint32_t(h[21]) << 8;
        if (bs == 0 || bs % 64) bs = le32(h + 4);
        if (bs == 0 || bs % 64 || bs > 65536) bs = 512;
        blockSize_ = bs;
    } else {
        blockSize_ = 512;
    }
}

std::unique_ptr<MemoFile> MemoFile::open(FileSystem& fs, const std::string& path, MemoKind kind,
                                         bool readOnly) {
    return std::unique_ptr<MemoFile>(new MemoFile(fs.open(path, readOnly ? ReadOnly : ReadWrite), kind));
}

void MemoFile::create(FileSystem& fs, const std::string& path, MemoKind kind, const std::string& dbfBase,
                      int blockSize) {
    std::vector<std::uint8_t> h(512, 0);
    if (kind == MemoKind::Fpt) {
        std::uint32_t bs = blockSize > 0 ? std::uint32_t(blockSize) : 64;
        putBe32(h.data(), (512 + bs - 1) / bs);
        h[6] = std::uint8_t(bs >> 8);
        h[7] = std::uint8_t(bs);
    } else if (kind == MemoKind::Dbt4) {
        std::uint32_t bs = blockSize > 0 ? std::uint32_t(blockSize) : 512;
        h.resize(bs, 0);
        putLe32(h.data(), 1);
        putLe32(h.data() + 4, bs);
        std::string base = dbfBase.substr(0, 8);
        std::memcpy(h.data() + 8, base.data(), base.size());
        h[20] = std::uint8_t(bs);
        h[21] = std::uint8_t(bs >> 8);
    } else {
        putLe32(h.data(), 1);
        h[16] = 0x03;
    }
    auto f = fs.open(path, ReadWrite | Create | Truncate);
    f->write(0, h.data(), h.size());
    f->sync();
}

std::size_t MemoFile::readAt(std::uint64_t off, std::uint8_t* buf, std::size_t n) {
    // A front-to-back scan reads the memos in file order: serve them from a window of the file.
    constexpr std::size_t kWindow = 64 * 1024;
    if (n > kWindow / 2) return file_->read(off, buf, n);
    if (off < winOff_ || off + n > winOff_ + winLen_) {
        if (win_.size() < kWindow) win_.resize(kWindow);
        winLen_ = 0;
        winLen_ = file_->read(off, win_.data(), kWindow);
        winOff_ = off;
    }
    std::size_t have = std::size_t(std::min<std::uint64_t>(n, winOff_ + winLen_ - off));
    std::memcpy(buf, win_.data() + (off - winOff_), have);
    return have;
}

bool MemoFile::fits(std::uint64_t end) {
    if (end <= size_) return true;
    size_ = file_->size();
    return end <= size_;
}

bool MemoFile::read(std::uint32_t block, Bytes& out) {
    out.clear();
    std::uint64_t off = std::uint64_t(block) * blockSize_;
    if (block == 0 || !fits(off + 1)) return false;
    if (kind_ == MemoKind::Fpt || kind_ == MemoKind::Dbt4) {
        // One read takes the prefix and, for most memos, the whole text; the file size is
        // asked only when a memo seems to reach past what was last seen of it.
        std::uint8_t head[512];
        std::size_t n = readAt(off, head, sizeof head);
        if (n < 8) return false;
        std::uint64_t len;
        if (kind_ == MemoKind::Fpt) {
            len = be32(head + 4);
        } else if (head[0] == 0xFF && head[1] == 0xFF && head[2] == 0x08 && head[3] == 0x00) {
            len = le32(head + 4);
            if (len < 8) return false;
            len -= 8;
        } else {
            len = UINT64_MAX;   // a dBase III style memo inside a dBase IV file
        }
        if (len != UINT64_MAX) {
            if (!fits(off + 8 + len)) return false;
            std::size_t have = std::min<std::size_t>(n - 8, std::size_t(len));
            out.resize(std::size_t(len));
            std::memcpy(out.data(), head + 8, have);
            if (have < len && readAt(off + 8 + have, out.data() + have, std::size_t(len) - have) != len - have) {
                out.clear();
                return false;
            }
            return true;
        }
        // fall through to the terminator scan.
    }
    // dBase III: text up to the first 0x1A, read in blocks.
    std::vector<std::uint8_t> buf(blockSize_);
    std::uint64_t pos = off, size = file_->size();
    while (pos < size) {
        std::size_t n = file_->read(pos, buf.data(), buf.size());
        if (n == 0) break;
        auto end = std::find(buf.begin(), buf.begin() + std::ptrdiff_t(n), std::uint8_t(0x1A));
        out.insert(out.end(), buf.begin(), end);
        if (end != buf.begin() + std::ptrdiff_t(n)) return true;
        pos += n;
        if (out.size() > (64u << 20)) corrupt(file_->path(), "a memo at block " + std::to_string(block) + " has no end mark");
    }
    return true;   // unterminated at end of file: take what is there
}

std::uint32_t MemoFile::write(const std::uint8_t* data, std::size_t size, bool text) {
    winLen_ = 0;
    std::uint8_t h[8];
    file_->readExact(0, h, 8);
    std::uint32_t next = kind_ == MemoKind::Fpt ? be32(h) : le32(h);
    // Never trust a next-free pointer that lies inside the existing data.
    std::uint64_t fileSize = file_->size();
    std::uint32_t minBlock = std::uint32_t((fileSize + blockSize_ - 1) / blockSize_);
    if (next < minBlock) next = minBlock;
    if (next == 0) next = 1;
    std::vector<std::uint8_t> buf;
    if (kind_ == MemoKind::Fpt) {
        buf.resize(8 + size);
        putBe32(buf.data(), text ? 1 : 0);
        putBe32(buf.data() + 4, std::uint32_t(size));
        std::memcpy(buf.data() + 8, data, size);
    } else if (kind_ == MemoKind::Dbt4) {
        buf.resize(8 + size);
        buf[0] = 0xFF, buf[1] = 0xFF, buf[2] = 0x08, buf[3] = 0x00;
        putLe32(buf.data() + 4, std::uint32_t(size + 8));
        std::memcpy(buf.data() + 8, data, size);
    } else {
        buf.assign(data, data + size);
        buf.push_back(0x1A);
        buf.push_back(0x1A);
    }
    std::uint32_t blocks = std::uint32_t((buf.size() + blockSize_ - 1) / blockSize_);
    buf.resize(std::size_t(blocks) * blockSize_, 0);
    file_->write(std::uint64_t(next) * blockSize_, buf.data(), buf.size());
    std::uint8_t nh[4];
    if (kind_ == MemoKind::Fpt) putBe32(nh, next + blocks); else putLe32(nh, next + blocks);
    file_->write(0, nh, 4);
    return next;
}

}  // namespace vlm::engine::local::dbase
