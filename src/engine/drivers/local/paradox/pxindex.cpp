// Building Paradox index files from sorted entries.
#include "pxindex.h"

#include <cstring>

namespace vlm::engine::local::paradox {
namespace {

void wr16(std::uint8_t* p, std::uint32_t v) { p[0] = std::uint8_t(v), p[1] = std::uint8_t(v >> 8); }

std::string dirOf(const std::string& path) {
    auto s = path.find_last_of('/');
    return s == std::string::npos ? "." : path.substr(0, s);
}

// Lays blocks of records out after the header: each block's next/prev links and record count.
void putBlocks(std::vector<std::uint8_t>& out, const PxHeader& h,
               const std::vector<std::vector<std::uint8_t>>& recs, int firstBlockNo,
               std::vector<IndexEntry>* firsts, int keyBytes) {
    int per = h.recordsPerBlock();
    int nblocks = int((recs.size() + std::size_t(per) - 1) / std::size_t(per));
    for (int b = 0; b < nblocks; ++b) {
        std::size_t base = out.size();
        out.resize(base + std::size_t(h.blockSize()), 0);
        int no = firstBlockNo + b;
        int n = std::min<int>(per, int(recs.size()) - b * per);
        wr16(&out[base], b + 1 < nblocks ? std::uint32_t(no + 1) : 0);
        wr16(&out[base + 2], b > 0 ? std::uint32_t(no - 1) : 0);
        wr16(&out[base + 4], std::uint32_t((n - 1) * h.recordSize) & 0xFFFF);
        for (int i = 0; i < n; ++i)
            std::memcpy(&out[base + 6 + std::size_t(i * h.recordSize)], recs[std::size_t(b * per + i)].data(),
                        std::size_t(h.recordSize));
        if (firsts) {
            const auto& r = recs[std::size_t(b * per)];
            firsts->push_back({std::vector<std::uint8_t>(r.begin(), r.begin() + keyBytes), no, n});
        }
    }
}

}  // namespace

void replaceFile(FileSystem& fs, const std::string& path, const std::vector<std::uint8_t>& bytes,
                 bool durable) {
    std::string tmp = path + ".tmp";
    try {
        auto f = fs.open(tmp, ReadWrite | Create | Truncate);
        f->write(0, bytes.data(), bytes.size());
        if (durable) f->sync();
        f.reset();
        fs.rename(tmp, path);
        if (durable) fs.syncDir(dirOf(path));
    } catch (...) {
        try { fs.remove(tmp); } catch (...) {}
        throw;
    }
}

void writeTreeIndex(FileSystem& fs, const std::string& path, std::uint8_t fileType,
                    const std::vector<PxField>& keyFields, int maxTableSize,
                    const std::vector<IndexEntry>& entries, std::uint32_t stamp) {
    PxHeader h;
    h.fileType = fileType;
    h.maxTableSize = maxTableSize;
    h.versionId = 0x0C;
    // The header lists the key fields only; every entry adds block number, count and a spare word.
    h.fields = keyFields;
    h.pkFields = int(keyFields.size());
    layoutFields(h, path);
    h.recordSize += 6;
    int keyBytes = h.recordSize - 6;

    // Level by level: the leaves point at table blocks, each level above at the one below.
    std::vector<std::uint8_t> body;
    std::vector<IndexEntry> level = entries;
    int nextBlock = 1, levels = 0, root = 0;
    std::uint32_t leafRecords = std::uint32_t(entries.size());
    if (level.empty()) {
        // An empty table: a root block without entries.
        body.resize(std::size_t(h.blockSize()), 0);
        wr16(&body[4], std::uint32_t(-h.recordSize) & 0xFFFF);
        root = 1, levels = 1, nextBlock = 2;
    }
    while (!level.empty()) {
        std::vector<std::vector<std::uint8_t>> recs;
        for (auto& e : level) {
            std::vector<std::uint8_t> r(std::size_t(h.recordSize), 0);
            std::memcpy(r.data(), e.key.data(), std::min<std::size_t>(e.key.size(), std::size_t(keyBytes)));
            putInt(&r[std::size_t(keyBytes)], 2, e.block);
            putInt(&r[std::size_t(keyBytes) + 2], 2, std::min(e.count, 0x7FFF));
            putInt(&r[std::size_t(keyBytes) + 4], 2, 0);
            recs.push_back(std::move(r));
        }
        std::vector<IndexEntry> above;
        int first = nextBlock;
        putBlocks(body, h, recs, first, &above, keyBytes);
        for (auto& a : above) {
            // A block's count above the leaves is the number of table records beneath it.
            int sum = 0;
            int per = h.recordsPerBlock();
            std::size_t from = std::size_t((a.block - first) * per);
            for (std::size_t i = from; i < from + std::size_t(a.count) && i < level.size(); ++i) sum += level[i].count;
            a.count = sum;
        }
        nextBlock += int(above.size());
        ++levels;
        if (above.size() == 1) {
            root = above[0].block;
            break;
        }
        level = std::move(above);
    }
    h.fileBlocks = nextBlock - 1;
    h.firstBlock = 1;
    h.lastBlock = h.fileBlocks;
    h.indexRoot = root;
    h.indexLevels = levels;
    h.numRecords = leafRecords;
    h.updateStamp = stamp;
    std::vector<std::uint8_t> out = buildHeader(h);
    out.insert(out.end(), body.begin(), body.end());
    replaceFile(fs, path, out);
}

std::vector<IndexEntry> writeSortedTable(FileSystem& fs, const std::string& path, PxHeader h,
                                         const std::vector<std::vector<std::uint8_t>>& records,
                                         int keyBytes, bool durable) {
    int per = h.recordsPerBlock();
    int nblocks = int((records.size() + std::size_t(per) - 1) / std::size_t(per));
    h.numRecords = std::uint32_t(records.size());
    h.fileBlocks = nblocks;
    h.firstBlock = nblocks ? 1 : 0;
    h.lastBlock = nblocks;
    std::vector<std::uint8_t> out = buildHeader(h);
    std::vector<IndexEntry> firsts;
    putBlocks(out, h, records, 1, &firsts, keyBytes);
    replaceFile(fs, path, out, durable);
    return firsts;
}

}  // namespace vlm::engine::local::paradox
