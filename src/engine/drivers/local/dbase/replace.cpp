// The journal is a text file "<first target>.VLMJ", one line per step:
//   <existed 0|1>\t<from>\t<to>\t<backup>
// It is complete before the first rename; deleting it is the commit point.
#include "replace.h"

#include <sstream>

#include "../../../error.h"

namespace vlm::engine::local {
namespace {

constexpr const char* kJournal = ".VLMJ";
constexpr const char* kBackup = ".VLMB";

struct Step {
    bool existed = false;
    std::string from, to, backup;
};

std::string dirOf(const std::string& p) {
    auto s = p.find_last_of('/');
    return s == std::string::npos ? "." : (s == 0 ? "/" : p.substr(0, s));
}

bool endsWith(const std::string& s, const std::string& suf) {
    return s.size() >= suf.size() && s.compare(s.size() - suf.size(), suf.size(), suf) == 0;
}

void writeJournal(FileSystem& fs, const std::string& path, const std::vector<Step>& steps) {
    std::string text;
    for (const auto& s : steps)
        text += std::string(s.existed ? "1" : "0") + "\t" + s.from + "\t" + s.to + "\t" + s.backup + "\n";
    std::string tmp = path + kNewSuffix;
    {
        auto f = fs.open(tmp, ReadWrite | Create | Truncate);
        f->write(0, text.data(), text.size());
        f->sync();
    }
    fs.rename(tmp, path);
}

std::vector<Step> readJournal(FileSystem& fs, const std::string& path) {
    auto f = fs.open(path, ReadOnly);
    std::string text(f->size(), '\0');
    f->readExact(0, text.data(), text.size());
    std::vector<Step> steps;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        Step s;
        std::istringstream ls(line);
        std::string e;
        if (!std::getline(ls, e, '\t') || !std::getline(ls, s.from, '\t') ||
            !std::getline(ls, s.to, '\t') || !std::getline(ls, s.backup, '\t'))
            continue;
        s.existed = e == "1";
        steps.push_back(std::move(s));
    }
    return steps;
}

// Puts every target back as it was before the journal's change. Each step is idempotent.
void rollBack(FileSystem& fs, const std::vector<Step>& steps) {
    for (auto it = steps.rbegin(); it != steps.rend(); ++it) {
        const Step& s = *it;
        bool isRemove = s.from.empty();
        if (s.existed) {
            if (fs.exists(s.backup)) {
                if (!isRemove && !fs.exists(s.from) && fs.exists(s.to)) fs.remove(s.to);
                fs.rename(s.backup, s.to);
            }
        } else if (!isRemove && fs.exists(s.to) && !fs.exists(s.from)) {
            // A rename into a name that was free: move it back to its old name.
            fs.rename(s.to, s.from);
        }
    }
}

}  // namespace

bool isReplacementFile(const std::string& name) {
    return endsWith(name, kJournal) || endsWith(name, kBackup) || endsWith(name, kNewSuffix);
}

void replaceFiles(FileSystem& fs, const std::vector<FileMove>& moves, const std::vector<std::string>& removes) {
    if (moves.empty() && removes.empty()) return;
    std::vector<Step> steps;
    for (const auto& m : moves) {
        Step s;
        s.from = m.from;
        s.to = m.to;
        s.existed = fs.exists(m.to);
        s.backup = m.to + kBackup;
        steps.push_back(s);
    }
    for (const auto& r : removes) {
        if (!fs.exists(r)) continue;
        Step s;
        s.to = r;
        s.existed = true;
        s.backup = r + kBackup;
        steps.push_back(s);
    }
    const std::string journal = steps.front().to + kJournal;
    writeJournal(fs, journal, steps);
    try {
        for (const auto& s : steps) {
            if (s.existed) fs.rename(s.to, s.backup);
            if (!s.from.empty()) fs.rename(s.from, s.to);
        }
        fs.syncDir(dirOf(journal));
    } catch (...) {
        try {
            rollBack(fs, steps);
            fs.remove(journal);
        } catch (...) {
            // The journal stays; recoverReplacements() finishes the roll-back on the next open.
        }
        throw;
    }
    fs.remove(journal);   // committed
    for (const auto& s : steps)
        if (s.existed) {
            try {
                fs.remove(s.backup);
            } catch (...) {
                // A stale backup is harmless: recovery deletes backups that no journal names.
            }
        }
}

void recoverReplacements(FileSystem& fs, const std::string& dir) {
    std::vector<std::string> names;
    try {
        names = fs.list(dir);
    } catch (...) {
        return;
    }
    bool any = false;
    for (const auto& n : names) any = any || isReplacementFile(n);
    if (!any) return;
    std::string base = dir == "/" ? "" : dir;
    for (const auto& n : names) {
        if (!endsWith(n, kJournal)) continue;
        std::string path = base + "/" + n;
        auto steps = readJournal(fs, path);
        rollBack(fs, steps);
        for (const auto& s : steps)
            if (!s.from.empty() && fs.exists(s.from) && endsWith(s.from, kNewSuffix)) fs.remove(s.from);
        fs.remove(path);
    }
    for (const auto& n : fs.list(dir))
        if (endsWith(n, kBackup) || endsWith(n, kNewSuffix)) fs.remove(base + "/" + n);
}

}  // namespace vlm::engine::local
