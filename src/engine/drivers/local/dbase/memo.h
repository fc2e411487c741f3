// Memo files of dBase tables: .DBT in the dBase III and dBase IV layouts and FoxPro's .FPT.
// A memo is addressed by its block number, as the table's memo fields store it.
//
//   auto m = MemoFile::open(fs, "/data/ORDERS.DBT", MemoKind::Dbt4, false);
//   std::uint32_t block = m->write(bytes, true);   Bytes back; m->read(block, back);
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "../fileio.h"

namespace vlm::engine::local::dbase {

enum class MemoKind { Dbt3, Dbt4, Fpt };

class MemoFile {
public:
    static std::unique_ptr<MemoFile> open(FileSystem& fs, const std::string& path, MemoKind kind,
                                          bool readOnly);
    // Writes an empty memo file (header only). dbfBase: the table's file name without extension.
    static void create(FileSystem& fs, const std::string& path, MemoKind kind,
                       const std::string& dbfBase, int blockSize = 0);

    const std::string& path() const { return file_->path(); }
    MemoKind kind() const { return kind_; }
    // Reads the memo at block into out. False when the block or its length lies past the end
    // of the file (the caller names the field).
    bool read(std::uint32_t block, Bytes& out);
    // Appends a memo and returns its block number. text: FoxPro's text type (else binary).
    std::uint32_t write(const std::uint8_t* data, std::size_t size, bool text);
    void sync() { file_->sync(); }
    // Drops what was read ahead, so that the next read sees the file as it is now.
    void forget() { winLen_ = 0; }

private:
    MemoFile(std::unique_ptr<File> file, MemoKind kind);
    bool fits(std::uint64_t end);
    std::size_t readAt(std::uint64_t off, std::uint8_t* buf, std::size_t n);   // short only at end of file   // end lies within the file (size_ refreshed when it seems not)
    std::unique_ptr<File> file_;
    MemoKind kind_;
    std::uint32_t blockSize_ = 512;
    std::uint64_t size_ = 0;   // the file size when last asked
    std::vector<std::uint8_t> win_;   // winLen_ bytes of the file from winOff_, for reads in file order
    std::size_t winLen_ = 0;
    std::uint64_t winOff_ = 0;
};

}  // namespace vlm::engine::local::dbase
