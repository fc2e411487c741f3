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

    // The tiers of the tree, leaves first: each tier above has one entry per block of the tier
    // below (that block's first key, its number and the table records beneath it). Blocks are
    // numbered top down, the root being block 1, and one next/prev chain runs through every
    // block in that order; the header counts the entries of all tiers. Readers that walk the
    // chain instead of descending from the root (pxlib) take the first blocks for the upper
    // tiers, so the order is part of the format as other programs read it.
    // Readers that walk the chain know two tiers only (a root over the leaves). A larger index
    // block keeps the tree at two tiers: the block size grows (to 4, 8, 16, 32 KiB) until the root
    // holds an entry for every leaf block. Past that the tree grows tiers as it must.
    while (h.maxTableSize < 32) {
        const std::size_t fit = std::size_t(h.recordsPerBlock());
        if (entries.size() <= fit * fit) break;
        h.maxTableSize = h.maxTableSize < 4 ? h.maxTableSize + 1 : h.maxTableSize * 2;
    }
    const int per = h.recordsPerBlock();
    std::vector<std::vector<IndexEntry>> tiers{entries};
    while (tiers.back().size() > std::size_t(per)) {
        const auto& below = tiers.back();
        std::vector<IndexEntry> up;
        for (std::size_t i = 0; i < below.size(); i += std::size_t(per)) {
            int sum = 0;
            for (std::size_t j = i; j < std::min(below.size(), i + std::size_t(per)); ++j) sum += below[j].count;
            up.push_back({below[i].key, 0, sum});   // block numbers follow once every tier is known
        }
        tiers.push_back(std::move(up));
    }
    const int levels = int(tiers.size());
    std::vector<int> firstBlockOf(std::size_t(levels), 1);   // of each tier
    {
        int next = 1;
        for (int t = levels - 1; t >= 0; --t) {
            firstBlockOf[std::size_t(t)] = next;
            next += std::max<int>(1, int((tiers[std::size_t(t)].size() + std::size_t(per) - 1) / std::size_t(per)));
        }
    }
    for (int t = 1; t < levels; ++t)
        for (std::size_t i = 0; i < tiers[std::size_t(t)].size(); ++i)
            tiers[std::size_t(t)][i].block = firstBlockOf[std::size_t(t - 1)] + int(i);

    std::vector<std::vector<std::uint8_t>> recs;
    std::uint32_t allEntries = 0;
    for (int t = levels - 1; t >= 0; --t) {
        for (auto& e : tiers[std::size_t(t)]) {
            std::vector<std::uint8_t> r(std::size_t(h.recordSize), 0);
            std::memcpy(r.data(), e.key.data(), std::min<std::size_t>(e.key.size(), std::size_t(keyBytes)));
            putInt(&r[std::size_t(keyBytes)], 2, e.block);
            putInt(&r[std::size_t(keyBytes) + 2], 2, std::min(e.count, 0x7FFF));
            putInt(&r[std::size_t(keyBytes) + 4], 2, 0);
            recs.push_back(std::move(r));
        }
        allEntries += std::uint32_t(tiers[std::size_t(t)].size());
    }
    std::vector<std::uint8_t> body;
    int nextBlock = 1;
    if (recs.empty()) {
        // An empty table: a root block without entries.
        body.resize(std::size_t(h.blockSize()), 0);
        wr16(&body[4], std::uint32_t(-h.recordSize) & 0xFFFF);
        nextBlock = 2;
    } else {
        // Tier by tier, each starting a block of its own, all on one chain.
        std::size_t at = 0;
        for (int t = levels - 1; t >= 0; --t) {
            std::size_t n = tiers[std::size_t(t)].size();
            std::vector<std::vector<std::uint8_t>> part(recs.begin() + std::ptrdiff_t(at),
                                                        recs.begin() + std::ptrdiff_t(at + n));
            putBlocks(body, h, part, nextBlock, nullptr, keyBytes);
            at += n;
            nextBlock += int((n + std::size_t(per) - 1) / std::size_t(per));
        }
        // Link the tiers' chains into one.
        const std::size_t bs = std::size_t(h.blockSize());
        int total = nextBlock - 1;
        for (int no = 1; no <= total; ++no) {
            std::uint8_t* blk = &body[std::size_t(no - 1) * bs];
            wr16(blk, no < total ? std::uint32_t(no + 1) : 0);
            wr16(blk + 2, std::uint32_t(no - 1));
        }
    }
    h.fileBlocks = nextBlock - 1;
    h.firstBlock = 1;
    h.lastBlock = h.fileBlocks;
    h.indexRoot = 1;
    h.indexLevels = levels;
    h.numRecords = allEntries;
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
