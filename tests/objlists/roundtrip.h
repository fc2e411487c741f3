// The definition texts run again: the object database's lists and texts are checked, then
// vlmtool's texts of every object are run on a fresh database, and isql-fb's metadata of both
// databases is compared, object by object and whole.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cctype>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "fbobjects.h"
#include "objlists/listing.h"

namespace vlm::objlists::test {

inline std::string run(const std::string& command, int* status) {
    std::string out;
    FILE* p = ::popen((command + " 2>&1").c_str(), "r");
    char buf[4096];
    while (std::size_t n = std::fread(buf, 1, sizeof buf, p)) out.append(buf, n);
    *status = WEXITSTATUS(::pclose(p));
    return out;
}

// Where the two databases are and how the tools reach them.
struct FirebirdTarget {
    std::string engineName;                 // "INTRBASE:..." for the engine and vlmtool
    std::string isqlName;                   // the name isql-fb takes
    std::string user, password;
    std::vector<std::string> params(bool create) const {
        std::vector<std::string> p{"USER NAME=" + user, "PASSWORD=" + password};
        if (create) p.push_back("CREATE=TRUE");
        return p;
    }
};

// The statements of an isql-fb -x extract, without comments, SET lines and COMMIT WORK.
inline std::vector<std::string> statements(const std::string& extract) {
    std::vector<std::string> out;
    std::string current;
    std::size_t start = 0;
    while (start < extract.size()) {
        std::size_t nl = extract.find('\n', start);
        std::string line = extract.substr(start, nl == std::string::npos ? std::string::npos : nl - start);
        start = nl == std::string::npos ? extract.size() : nl + 1;
        while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.pop_back();
        if (current.empty() && (line.empty() || line.rfind("/*", 0) == 0 || line.rfind("SET ", 0) == 0 ||
                                line == "COMMIT WORK;"))
            continue;
        current += (current.empty() ? "" : "\n") + line;
        if (!line.empty() && (line.back() == ';' || line.back() == '^')) {
            out.push_back(current);
            current.clear();
        }
    }
    return out;
}

// The statements that name the object (as a whole word).
inline std::vector<std::string> naming(const std::vector<std::string>& all, const std::string& name) {
    std::vector<std::string> out;
    auto word = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$'; };
    for (const auto& s : all) {
        for (std::size_t at = s.find(name); at != std::string::npos; at = s.find(name, at + 1)) {
            const bool before = at == 0 || !word(s[at - 1]);
            const bool after = at + name.size() >= s.size() || !word(s[at + name.size()]);
            if (before && after) {
                out.push_back(s);
                break;
            }
        }
    }
    return out;
}

inline std::string joinLines(const std::vector<std::string>& lines) {
    std::string s;
    for (std::size_t i = 0; i < lines.size(); ++i) s += (i ? "\n" : "") + lines[i];
    return s;
}

inline void firebirdRoundTrip(const FirebirdTarget& a, const FirebirdTarget& b, const std::string& vlmtool) {
    const std::string login = " --user " + a.user + " --password " + a.password + " ";
    {
        engine::Database db;
        db.setDatabaseName(a.engineName);
        db.params() = a.params(true);
        db.open();
        createObjects(db);
    }
    // Each object's text from vlmtool, in the order the objects depend on each other.
    struct Case { const char* kind; const char* name; };
    const Case cases[] = {
        {"domains", "D_MONEY"}, {"domains", "D_RATE"}, {"domains", "D_NAME"}, {"domains", "D_CODE"},
        {"domains", "D_MATRIX"}, {"domains", "D_NOTE"}, {"domains", "D_STAMP"}, {"domains", "D_FLAG"},
        {"domains", "D_BIG"}, {"domains", "D_CYR"}, {"domains", "D_MEMO"}, {"domains", "D_RAW"},
        {"domains", "D_OWN"}, {"exceptions", "E_BAD"}, {"exceptions", "E_QUOTE"}, {"functions", "F_ABS"},
        {"functions", "F_LOWER"}, {"functions", "F_ADD"}, {"functions", "F_LEN"}, {"functions", "F_ROUND"}, {nullptr, nullptr},
        {"indexes", "EMP_NAME"}, {"indexes", "EMP_SAL"}, {"indexes", "EMP_CODE"}, {"indexes", "EMP_UPPER"},
        {"indexes", "LOG_AT"}, {"triggers", "EMP_BI"}, {"triggers", "EMP_AI"}, {"triggers", "EMP_BU"},
        {"triggers", "EMP_AU"}, {"triggers", "EMP_BD"}, {"triggers", "EMP_AD"}, {"triggers", "EMP_BIU"},
        {"triggers", "EMP_AIUD"}, {"triggers", "ON_CONN"}, {"triggers", "ON_DISC"}, {"triggers", "ON_TX_START"},
        {"triggers", "ON_TX_COMMIT"}, {"triggers", "ON_TX_ROLLBACK"}, {"triggers", "DDL_ANY"},
        {"triggers", "DDL_TABLES"}, {"triggers", "DDL_MIXED"},
    };
    engine::Database fresh;
    fresh.setDatabaseName(b.engineName);
    fresh.params() = b.params(true);
    fresh.open();
    for (const Case& c : cases) {
        if (!c.kind) {
            // Filters have no definition text; the tables come from their own DDL.
            execAll(fresh, kFilters);
            execAll(fresh, kTables);
            continue;
        }
        SCOPED_TRACE(std::string(c.kind) + " " + c.name);
        int status = -1;
        std::string text = run(vlmtool + login + "objects " + a.engineName + " " + c.kind + " " + c.name, &status);
        ASSERT_EQ(status, 0) << text;
        while (!text.empty() && text.back() == '\n') text.pop_back();
        ASSERT_NO_THROW(execRaw(fresh, text)) << text;
    }
    fresh.close();

    int status = -1;
    auto extract = [&](const FirebirdTarget& t) {
        std::string x = run("isql-fb -x " + t.isqlName + " -user " + t.user + " -password " + t.password, &status);
        EXPECT_EQ(status, 0) << x;
        return statements(x);
    };
    const auto original = extract(a), again = extract(b);
    ASSERT_FALSE(original.empty());
    for (const Case& c : cases) {
        if (!c.kind) continue;
        SCOPED_TRACE(std::string(c.kind) + " " + c.name);
        auto x = naming(original, c.name);
        EXPECT_FALSE(x.empty());
        EXPECT_EQ(joinLines(naming(again, c.name)), joinLines(x));
    }
    EXPECT_EQ(joinLines(again), joinLines(original));
}

}  // namespace vlm::objlists::test
