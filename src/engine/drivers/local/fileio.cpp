// POSIX file layer and the fault-injecting wrapper used by the crash-safety tests.
#include "fileio.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "../../error.h"

namespace vlm::engine::local {
namespace {

[[noreturn]] void fail(const std::string& what, const std::string& path, int err) {
    int code = err == ENOENT ? errc::FileNotFound : errc::FileBase;
    throw EngineError(ErrorCategory::File, code,
                      {what + " failed for file " + path + ": " + std::strerror(err)}, err);
}

// Owns the descriptor; closes it (and so drops any lock) on destruction.
class PosixFile : public File {
public:
    PosixFile(std::string path, int fd) : path_(std::move(path)), fd_(fd) {}
    ~PosixFile() override { ::close(fd_); }
    const std::string& path() const override { return path_; }
    std::size_t read(std::uint64_t offset, void* buf, std::size_t n) override {
        std::size_t done = 0;
        while (done < n) {
            ssize_t r = ::pread(fd_, static_cast<char*>(buf) + done, n - done, off_t(offset + done));
            if (r < 0) {
                if (errno == EINTR) continue;
                fail("Read", path_, errno);
            }
            if (r == 0) break;
            done += std::size_t(r);
        }
        return done;
    }
    void write(std::uint64_t offset, const void* buf, std::size_t n) override {
        std::size_t done = 0;
        while (done < n) {
            ssize_t r = ::pwrite(fd_, static_cast<const char*>(buf) + done, n - done, off_t(offset + done));
            if (r < 0) {
                if (errno == EINTR) continue;
                fail("Write", path_, errno);
            }
            done += std::size_t(r);
        }
    }
    std::uint64_t size() override {
        struct stat st{};
        if (::fstat(fd_, &st) != 0) fail("Stat", path_, errno);
        return std::uint64_t(st.st_size);
    }
    void truncate(std::uint64_t size) override {
        if (::ftruncate(fd_, off_t(size)) != 0) fail("Truncate", path_, errno);
    }
    void sync() override {
        if (::fsync(fd_) != 0) fail("Sync", path_, errno);
    }
    bool lock(bool exclusive) override {
        return ::flock(fd_, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) == 0;
    }

private:
    std::string path_;
    int fd_;
};

class PosixFileSystem : public FileSystem {
public:
    std::unique_ptr<File> open(const std::string& path, unsigned flags) override {
        int f = (flags & ReadWrite) ? O_RDWR : O_RDONLY;
        if (flags & Create) f |= O_CREAT;
        if (flags & CreateNew) f |= O_CREAT | O_EXCL;
        if (flags & Truncate) f |= O_TRUNC;
        int fd = ::open(path.c_str(), f | O_CLOEXEC, 0644);
        if (fd < 0) fail("Open", path, errno);
        return std::make_unique<PosixFile>(path, fd);
    }
    bool exists(const std::string& path) override { return ::access(path.c_str(), F_OK) == 0; }
    void remove(const std::string& path) override {
        if (::unlink(path.c_str()) != 0 && errno != ENOENT) fail("Delete", path, errno);
    }
    void rename(const std::string& from, const std::string& to) override {
        if (::rename(from.c_str(), to.c_str()) != 0) fail("Rename to " + to, from, errno);
    }
    std::optional<FileStat> stat(const std::string& path) override {
        struct stat st{};
        if (::stat(path.c_str(), &st) != 0) return std::nullopt;
        FileStat fs;
        fs.size = std::uint64_t(st.st_size);
        std::tm tm{};
        time_t t = st.st_mtime;
        localtime_r(&t, &tm);
        fs.modified = {{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday},
                       {tm.tm_hour, tm.tm_min, tm.tm_sec, 0}};
        fs.modifiedNs = std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        return fs;
    }
    std::vector<std::string> list(const std::string& dir) override {
        std::vector<std::string> out;
        DIR* d = ::opendir(dir.c_str());
        if (!d) fail("List", dir, errno);
        while (dirent* e = ::readdir(d)) {
            std::string name = e->d_name;
            if (name == "." || name == "..") continue;
            struct stat st{};
            if (::stat((dir + "/" + name).c_str(), &st) == 0 && S_ISREG(st.st_mode)) out.push_back(name);
        }
        ::closedir(d);
        return out;
    }
    void syncDir(const std::string& dir) override {
        int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0) {
            ::fsync(fd);
            ::close(fd);
        }
    }
};

// Forwards to the inner file, asking the file system before each read and write.
class FaultyFile : public File {
public:
    FaultyFile(FaultyFileSystem& fs, std::unique_ptr<File> inner) : fs_(fs), inner_(std::move(inner)) {}
    const std::string& path() const override { return inner_->path(); }
    std::size_t read(std::uint64_t offset, void* buf, std::size_t n) override {
        fs_.check(FaultyFileSystem::Read, path());
        return inner_->read(offset, buf, n);
    }
    void write(std::uint64_t offset, const void* buf, std::size_t n) override {
        fs_.check(FaultyFileSystem::Write, path());
        inner_->write(offset, buf, n);
    }
    std::uint64_t size() override { return inner_->size(); }
    void truncate(std::uint64_t size) override {
        fs_.check(FaultyFileSystem::Write, path());
        inner_->truncate(size);
    }
    void sync() override { inner_->sync(); }
    bool lock(bool exclusive) override { return inner_->lock(exclusive); }

private:
    FaultyFileSystem& fs_;
    std::unique_ptr<File> inner_;
};

}  // namespace

void File::readExact(std::uint64_t offset, void* buf, std::size_t n) {
    if (read(offset, buf, n) != n)
        throw EngineError(ErrorCategory::File, errc::FileCorrupt,
                          {"Unexpected end of file " + path() + " at offset " + std::to_string(offset)});
}

FileSystem& posixFileSystem() {
    static PosixFileSystem fs;
    return fs;
}

void FaultyFileSystem::failAfter(Op op, int nth, bool persistent) {
    counts_[op] = 0;
    failAt_[op] = nth;
    persistent_[op] = persistent;
}

void FaultyFileSystem::reset() {
    for (int i = 0; i < 5; ++i) counts_[i] = failAt_[i] = 0, persistent_[i] = false;
}

void FaultyFileSystem::check(Op op, const std::string& path) {
    int n = ++counts_[op];
    if (failAt_[op] == 0) return;
    if (n == failAt_[op] || (persistent_[op] && n > failAt_[op]))
        throw EngineError(ErrorCategory::File, errc::FileBase,
                          {"Injected I/O error for file " + path}, EIO);
}

std::unique_ptr<File> FaultyFileSystem::open(const std::string& path, unsigned flags) {
    check(Open, path);
    return std::make_unique<FaultyFile>(*this, inner_.open(path, flags));
}

void FaultyFileSystem::remove(const std::string& path) {
    check(Remove, path);
    inner_.remove(path);
}

void FaultyFileSystem::rename(const std::string& from, const std::string& to) {
    check(Rename, from);
    inner_.rename(from, to);
}

}  // namespace vlm::engine::local
