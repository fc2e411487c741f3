// parseParameters: markers become "?", quoted text and comments are left alone.
#include <gtest/gtest.h>

#include "engine/error.h"
#include "engine/query.h"

using namespace vlm::engine;

TEST(ParseParameters, MarkersQuotesAndComments) {
    struct Case {
        const char* name;
        const char* sql;
        const char* text;
        std::vector<std::string> params;   // "" for a positional marker
    } cases[] = {
        {"named", "select * from t where a = :A and b=:b_2", "select * from t where a = ? and b=?", {"A", "b_2"}},
        {"positional", "insert into t values (?, ?)", "insert into t values (?, ?)", {"", ""}},
        {"mixed", "update t set a = :X where id = ?", "update t set a = ? where id = ?", {"X", ""}},
        {"repeated name", ":A + :A", "? + ?", {"A", "A"}},
        {"quoted name", "select :\"my param\" from t", "select ? from t", {"my param"}},
        {"double colon", "select 'a' from t where x::=1", "select 'a' from t where x:=1", {}},
        {"assignment stays", "begin x := 1; end", "begin x := 1; end", {}},
        {"in strings", "select ':A', 'it''s :B ?' from t", "select ':A', 'it''s :B ?' from t", {}},
        {"in identifiers", "select \"a:b?\" from t", "select \"a:b?\" from t", {}},
        {"line comment", "select 1 -- :A ?\nfrom t where a=:B", "select 1 -- :A ?\nfrom t where a=?", {"B"}},
        {"block comment", "select /* :A ? */ :B", "select /* :A ? */ ?", {"B"}},
        {"unterminated string", "select ':A", "select ':A", {}},
        {"cyrillic name", "select :ИМЯ", "select ?", {"ИМЯ"}},
        {"colon at end", "select a:", "select a:", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto p = parseParameters(c.sql);
        EXPECT_EQ(p.text, c.text);
        std::vector<std::string> got;
        for (const auto& x : p.params) got.push_back(x.name);
        EXPECT_EQ(got, c.params);
    }
}

TEST(QueryParameters, ByNameAndPositionBeforePrepare) {
    Query q;
    q.setSql("select * from t\nwhere a = :A and b = ?");
    EXPECT_EQ(q.sql().size(), 2u);
    ASSERT_EQ(q.params().size(), 2u);
    q.paramByName("a").set(Value(5), FieldType::Integer);
    EXPECT_EQ(q.param(0).dataType, FieldType::Integer);
    EXPECT_THROW(q.paramByName("NOPE"), EngineError);
    EXPECT_THROW(q.param(2), EngineError);
    // A new text keeps the values of the names it still has.
    q.setSql("select * from t where a = :A");
    EXPECT_EQ(q.paramByName("A").value.asInteger(), 5);
}
