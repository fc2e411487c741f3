// An in-memory file system for the Paradox fuzzer: files are byte vectors keyed by path.
#pragma once

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/drivers/local/fileio.h"
#include "engine/error.h"

namespace pxfuzz {

using namespace vlm::engine;
using namespace vlm::engine::local;

class MemFileSystem : public FileSystem {
public:
    std::map<std::string, std::shared_ptr<std::vector<std::uint8_t>>> files;

    class MemFile : public File {
    public:
        MemFile(std::string p, std::shared_ptr<std::vector<std::uint8_t>> d) : path_(std::move(p)), d_(std::move(d)) {}
        const std::string& path() const override { return path_; }
        std::size_t read(std::uint64_t off, void* buf, std::size_t n) override {
            if (off >= d_->size()) return 0;
            std::size_t k = std::min<std::size_t>(n, d_->size() - off);
            std::memcpy(buf, d_->data() + off, k);
            return k;
        }
        void write(std::uint64_t off, const void* buf, std::size_t n) override {
            if (off + n > (64u << 20)) throw EngineError(ErrorCategory::File, "file too large for the fuzzer");
            if (d_->size() < off + n) d_->resize(off + n);
            std::memcpy(d_->data() + off, buf, n);
        }
        std::uint64_t size() override { return d_->size(); }
        void truncate(std::uint64_t s) override { d_->resize(s); }
        void sync() override {}
        bool lock(bool) override { return true; }

    private:
        std::string path_;
        std::shared_ptr<std::vector<std::uint8_t>> d_;
    };

    std::unique_ptr<File> open(const std::string& path, unsigned flags) override {
        auto it = files.find(path);
        if (it == files.end()) {
            if (!(flags & (Create | CreateNew))) throw EngineError(ErrorCategory::File, errc::FileNotFound, {"no file " + path});
            it = files.emplace(path, std::make_shared<std::vector<std::uint8_t>>()).first;
        }
        if (flags & Truncate) it->second->clear();
        return std::make_unique<MemFile>(path, it->second);
    }
    bool exists(const std::string& path) override { return files.count(path) > 0; }
    void remove(const std::string& path) override { files.erase(path); }
    void rename(const std::string& from, const std::string& to) override {
        auto it = files.find(from);
        if (it == files.end()) throw EngineError(ErrorCategory::File, errc::FileNotFound, {"no file " + from});
        files[to] = it->second;
        files.erase(from);
    }
    std::optional<FileStat> stat(const std::string& path) override {
        auto it = files.find(path);
        if (it == files.end()) return std::nullopt;
        FileStat s;
        s.size = it->second->size();
        return s;
    }
    std::vector<std::string> list(const std::string& dir) override {
        std::vector<std::string> out;
        for (auto& [p, d] : files)
            if (p.rfind(dir + "/", 0) == 0) out.push_back(p.substr(dir.size() + 1));
        return out;
    }
    void syncDir(const std::string&) override {}
};

// Fuzzer input: 4 bytes little-endian length of the .DB, the .DB, then the .MB.
inline void load(MemFileSystem& fs, const std::uint8_t* data, std::size_t size) {
    if (size < 4) return;
    std::size_t n = data[0] | (data[1] << 8) | (data[2] << 16) | (std::size_t(data[3] & 0x7F) << 24);
    data += 4, size -= 4;
    n = std::min(n, size);
    fs.files["/t/T.DB"] = std::make_shared<std::vector<std::uint8_t>>(data, data + n);
    fs.files["/t/T.MB"] = std::make_shared<std::vector<std::uint8_t>>(data + n, data + size);
}

}  // namespace pxfuzz
