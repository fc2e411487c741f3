// The file layer under the local table formats. Everything the dBase and Paradox code reads or
// writes goes through a FileSystem, so tests can put a FaultyFileSystem in between and make
// the Nth open, read, write or rename fail, once or from then on.
//
//   FaultyFileSystem faulty(posixFileSystem());
//   faulty.failAfter(FaultyFileSystem::Write, 3, /*persistent=*/false);
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "../../types.h"

namespace vlm::engine::local {

enum OpenFlags : unsigned {
    ReadOnly = 0, ReadWrite = 1, Create = 2, Truncate = 4, CreateNew = 8   // CreateNew: fail if it exists
};

// An open file. Errors throw EngineError (ErrorCategory::File) naming the path.
class File {
public:
    virtual ~File() = default;
    virtual const std::string& path() const = 0;
    // Reads up to n bytes at offset; returns the count read (short only at end of file).
    virtual std::size_t read(std::uint64_t offset, void* buf, std::size_t n) = 0;
    // Reads exactly n bytes or throws FileCorrupt ("unexpected end of file").
    void readExact(std::uint64_t offset, void* buf, std::size_t n);
    virtual void write(std::uint64_t offset, const void* buf, std::size_t n) = 0;
    virtual std::uint64_t size() = 0;
    virtual void truncate(std::uint64_t size) = 0;
    virtual void sync() = 0;
    // Advisory whole-file lock held until the file closes. False when another holder has it.
    virtual bool lock(bool exclusive) = 0;
};

struct FileStat {
    std::uint64_t size = 0;
    DateTime modified;   // local time
    std::int64_t modifiedNs = 0;   // the same instant in nanoseconds since 1970, to order changes
};

class FileSystem {
public:
    virtual ~FileSystem() = default;
    virtual std::unique_ptr<File> open(const std::string& path, unsigned flags) = 0;
    virtual bool exists(const std::string& path) = 0;
    virtual void remove(const std::string& path) = 0;             // no error when missing
    // Atomically replaces to with from (rename(2)); to need not exist.
    virtual void rename(const std::string& from, const std::string& to) = 0;
    virtual std::optional<FileStat> stat(const std::string& path) = 0;
    // Plain file names (no directories) in dir.
    virtual std::vector<std::string> list(const std::string& dir) = 0;
    virtual void syncDir(const std::string& dir) = 0;
};

FileSystem& posixFileSystem();

class FaultyFileSystem : public FileSystem {
public:
    enum Op { Open, Read, Write, Rename, Remove };
    explicit FaultyFileSystem(FileSystem& inner) : inner_(inner) {}

    // The nth call (1-based) of op from now on fails; persistent: every later one fails too.
    void failAfter(Op op, int nth, bool persistent);
    void reset();
    int calls(Op op) const { return counts_[op]; }

    std::unique_ptr<File> open(const std::string& path, unsigned flags) override;
    bool exists(const std::string& path) override { return inner_.exists(path); }
    void remove(const std::string& path) override;
    void rename(const std::string& from, const std::string& to) override;
    std::optional<FileStat> stat(const std::string& path) override { return inner_.stat(path); }
    std::vector<std::string> list(const std::string& dir) override { return inner_.list(dir); }
    void syncDir(const std::string& dir) override { inner_.syncDir(dir); }

    // Called by the wrapped files; throws the injected error when the fault is due.
    void check(Op op, const std::string& path);

private:
    FileSystem& inner_;
    int counts_[5] = {};
    int failAt_[5] = {};
    bool persistent_[5] = {};
};

}  // namespace vlm::engine::local
