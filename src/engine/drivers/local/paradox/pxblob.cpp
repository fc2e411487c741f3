// Reading and writing the .MB blob file.
#include "pxblob.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/error.h"
#include "pxformat.h"

namespace vlm::engine::local::paradox {
namespace {

constexpr int kChunk = 4096;
constexpr int kSlots = 64;
constexpr int kSlotTable = 12;                 // offset of the slot table in a type 3 block
constexpr int kSubData = 0x150;                // first data byte of a type 3 block
constexpr std::size_t kSubMax = 2048;          // larger blobs get a block of their own

std::uint32_t rd32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}
void wr32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = std::uint8_t(v >> (8 * i));
}
void wr16(std::uint8_t* p, std::uint32_t v) { p[0] = std::uint8_t(v), p[1] = std::uint8_t(v >> 8); }

[[noreturn]] void badBlob(const std::string& path, const std::string& field, const std::string& what) {
    throw EngineError(ErrorCategory::File, errc::FileCorrupt,
                      {"Field " + field + ": the blob reference " + what + " of file " + path});
}

}  // namespace

BlobFile::BlobFile(FileSystem& fs, std::string path, bool writable)
    : fs_(fs), path_(std::move(path)), writable_(writable) {}

File& BlobFile::file() {
    if (!file_) {
        if (!fs_.exists(path_)) {
            if (!writable_)
                throw EngineError(ErrorCategory::File, errc::FileNotFound,
                                  {"The blob file " + path_ + " is missing"});
            createEmpty(fs_, path_);
        }
        file_ = fs_.open(path_, writable_ ? ReadWrite : ReadOnly);
    }
    return *file_;
}

void BlobFile::createEmpty(FileSystem& fs, const std::string& path) {
    std::vector<std::uint8_t> b(kChunk, 0);
    b[0] = 0;
    wr16(&b[1], 1);
    auto f = fs.open(path, ReadWrite | Create | Truncate);
    f->write(0, b.data(), b.size());
}

void BlobFile::clear() {
    File& f = file();
    f.truncate(kChunk);
    subBlock_ = 0;
}

std::optional<Bytes> BlobFile::read(const std::uint8_t* field, int size, const std::string& name) {
    int leader = size - 10;
    const std::uint8_t* ptr = field + leader;
    std::uint32_t off = rd32(ptr);
    std::uint32_t len = rd32(ptr + 4);
    if (len == 0) return std::nullopt;
    if (off == 0) {
        if (len > std::uint32_t(leader)) badBlob(path_, name, "has no block for its " + std::to_string(len) + " bytes in the record");
        return Bytes(field, field + len);
    }
    File& f = file();
    std::uint64_t fsize = f.size();
    std::uint64_t block = off & ~std::uint32_t(0xFF);
    int slot = int(off & 0xFF);
    if (block + 12 > fsize) badBlob(path_, name, "points past the end");
    std::uint8_t head[12];
    f.readExact(block, head, sizeof head);
    std::uint64_t chunks = std::uint64_t(head[1] | (head[2] << 8));
    Bytes data;
    if (slot == 0xFF) {
        if (head[0] != 2) badBlob(path_, name, "points to a block of type " + std::to_string(head[0]) + " instead of a blob block");
        std::uint32_t stored = rd32(head + 3);
        if (stored != len) badBlob(path_, name, "gives " + std::to_string(len) + " bytes but its block holds " + std::to_string(stored));
        if (std::uint64_t(len) + 9 > chunks * kChunk || block + 9 + len > fsize)
            badBlob(path_, name, "points past the end");
        data.resize(len);
        f.readExact(block + 9, data.data(), len);
    } else {
        if (head[0] != 3) badBlob(path_, name, "points to a block of type " + std::to_string(head[0]) + " instead of a shared blob block");
        if (slot >= kSlots) badBlob(path_, name, "names slot " + std::to_string(slot) + " of 64");
        std::uint8_t e[5];
        f.readExact(block + kSlotTable + 5 * std::uint64_t(slot), e, 5);
        std::uint64_t at = std::uint64_t(e[0]) * 16;
        std::uint32_t stored = e[1] == 0 ? 0 : (std::uint32_t(e[1]) - 1) * 16 + e[4];
        if (e[0] == 0 || stored != len) badBlob(path_, name, "names an empty or different slot");
        if (at + len > kChunk || block + at + len > fsize) badBlob(path_, name, "points past the end");
        data.resize(len);
        f.readExact(block + at, data.data(), len);
    }
    return data;
}

std::uint64_t BlobFile::allocate(int) {
    File& f = file();
    std::uint64_t end = f.size();
    end = (end + kChunk - 1) / kChunk * kChunk;
    if (end < kChunk) end = kChunk;
    return end;
}

void BlobFile::write(std::uint8_t* field, int size, const Bytes& data) {
    int leader = size - 10;
    std::memset(field, 0, std::size_t(size));
    if (data.empty()) return;
    std::memcpy(field, data.data(), std::min<std::size_t>(data.size(), std::size_t(leader)));
    std::uint8_t* ptr = field + leader;
    wr32(ptr + 4, std::uint32_t(data.size()));
    ptr[8] = std::uint8_t(mod_), ptr[9] = std::uint8_t(mod_ >> 8);
    if (data.size() <= std::size_t(leader)) return;
    File& f = file();
    if (data.size() <= kSubMax) {
        std::vector<std::uint8_t> blk(kChunk, 0);
        int slot = -1;
        std::size_t at = kSubData;
        if (subBlock_) {
            f.readExact(subBlock_, blk.data(), kChunk);
            for (int s = 0; s < kSlots; ++s) {
                const std::uint8_t* e = &blk[kSlotTable + 5 * s];
                if (e[0] == 0) {
                    if (slot < 0) slot = s;
                } else {
                    at = std::max<std::size_t>(at, std::size_t(e[0]) * 16 + std::size_t(e[1]) * 16);
                }
            }
            if (slot < 0 || at + data.size() > kChunk) slot = -1;
        }
        if (slot < 0) {
            subBlock_ = allocate(1);
            std::fill(blk.begin(), blk.end(), 0);
            blk[0] = 3;
            wr16(&blk[1], 1);
            slot = 0;
            at = kSubData;
        }
        std::memcpy(&blk[at], data.data(), data.size());
        std::uint8_t* e = &blk[kSlotTable + 5 * slot];
        e[0] = std::uint8_t(at / 16);
        e[1] = std::uint8_t((data.size() + 15) / 16);
        e[2] = std::uint8_t(mod_), e[3] = std::uint8_t(mod_ >> 8);
        e[4] = std::uint8_t(data.size() - (std::size_t(e[1]) - 1) * 16);
        f.write(subBlock_, blk.data(), kChunk);
        wr32(ptr, std::uint32_t(subBlock_) | std::uint32_t(slot));
    } else {
        int chunks = int((data.size() + 9 + kChunk - 1) / kChunk);
        if (chunks > 0xFFFF)
            throw EngineError(ErrorCategory::Data, errc::ConversionFailed,
                              {"A blob of " + std::to_string(data.size()) + " bytes is too large for " + path_});
        std::uint64_t at = allocate(chunks);
        if (at > 0xFFFFFF00u)
            throw EngineError(ErrorCategory::Data, errc::ConversionFailed, {"The blob file " + path_ + " is full"});
        std::vector<std::uint8_t> blk(std::size_t(chunks) * kChunk, 0);
        blk[0] = 2;
        wr16(&blk[1], std::uint32_t(chunks));
        wr32(&blk[3], std::uint32_t(data.size()));
        blk[7] = std::uint8_t(mod_), blk[8] = std::uint8_t(mod_ >> 8);
        std::memcpy(&blk[9], data.data(), data.size());
        f.write(at, blk.data(), blk.size());
        wr32(ptr, std::uint32_t(at) | 0xFFu);
    }
}

void BlobFile::release(const std::uint8_t* field, int size) {
    const std::uint8_t* ptr = field + (size - 10);
    std::uint32_t off = rd32(ptr);
    if (off == 0 || rd32(ptr + 4) == 0) return;
    File& f = file();
    std::uint64_t block = off & ~std::uint32_t(0xFF);
    int slot = int(off & 0xFF);
    if (block + kChunk > f.size()) return;   // a damaged reference frees nothing
    std::uint8_t head[3];
    f.readExact(block, head, 3);
    if (slot == 0xFF && head[0] == 2) {
        std::uint8_t t = 4;
        f.write(block, &t, 1);
    } else if (slot < kSlots && head[0] == 3) {
        std::uint8_t zero[5] = {};
        f.write(block + kSlotTable + 5 * std::uint64_t(slot), zero, 5);
    }
}

}  // namespace vlm::engine::local::paradox
