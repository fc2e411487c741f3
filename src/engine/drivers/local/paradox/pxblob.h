// The .MB blob file of a Paradox table: 4 KiB chunks; small blobs share a sub-allocated block
// (type 3, up to 64 blobs), large ones get a block of their own (type 2); freed blocks become
// type 4. A blob field in the record holds a leader (the blob's first bytes), the blob's
// offset in the .MB (low byte: slot in a type 3 block, 0xFF for a type 2 block), its length and
// a modification number. A blob that fits in the leader lives in the record alone.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "../fileio.h"
#include "engine/types.h"

namespace vlm::engine::local::paradox {

class BlobFile {
public:
    // Opens path lazily on first use; writable opens create it when missing.
    BlobFile(FileSystem& fs, std::string path, bool writable);

    const std::string& path() const { return path_; }
    // The blob of a field's bytes (size bytes incl. the 10-byte pointer); nullopt when empty.
    std::optional<Bytes> read(const std::uint8_t* field, int size, const std::string& fieldName);
    // Stores data for the field: the leader, and the .MB entry when it does not fit there.
    void write(std::uint8_t* field, int size, const Bytes& data);
    // Frees the .MB space a field's bytes refer to (nothing for blobs held in the record).
    void release(const std::uint8_t* field, int size);
    // Writes an empty blob file (the header block).
    static void createEmpty(FileSystem& fs, const std::string& path);
    // Resets the file to its header block.
    void clear();

private:
    File& file();
    std::uint64_t allocate(int chunks);

    FileSystem& fs_;
    std::string path_;
    bool writable_;
    std::unique_ptr<File> file_;
    std::uint64_t subBlock_ = 0;   // this session's type 3 block with room, 0: none yet
    std::uint16_t mod_ = 1;
};

}  // namespace vlm::engine::local::paradox
