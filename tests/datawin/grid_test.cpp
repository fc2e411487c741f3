// The dataset's row accessor and block budget, and the lazy grid model over it: rows are read
// in blocks as they are asked for, memory stays within the budget, the current record never
// moves, and edits through the model post through the engine.
#include <gtest/gtest.h>

#include <unistd.h>

#include <QAbstractItemModelTester>
#include <filesystem>

#include "datawin/gridmodel.h"
#include "engine/database.h"
#include "engine/query.h"
#include "engine/table.h"

using namespace vlm::datawin;
using namespace vlm::engine;
namespace fs = std::filesystem;

namespace {

constexpr std::int64_t kBlock = std::int64_t(Dataset::rowBlockSize);

class BigSqlite : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = fs::temp_directory_path() / ("vlm-datawin-grid-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
        name_ = "SQLITE:" + (dir_ / "big.sqlite").string();
        Query q;
        q.setDatabaseName(name_);
        q.setSql("create table BIG (ID integer primary key, NAME varchar(20), AMOUNT double)");
        q.execSql();
        q.setSql("with recursive n(i) as (select 1 union all select i + 1 from n where i < 100000) "
                 "insert into BIG select i, 'name ' || i, i * 0.5 from n");
        q.execSql();
        q.setSql("create table SMALL (ID integer primary key, NAME varchar(10) not null check (NAME <> 'bad'))");
        q.execSql();
        q.setSql("insert into SMALL values (1, 'one'), (2, 'two'), (3, 'three')");
        q.execSql();
    }
    static void TearDownTestSuite() { fs::remove_all(dir_); }
    static fs::path dir_;
    static std::string name_;
};
fs::path BigSqlite::dir_;
std::string BigSqlite::name_;

}  // namespace

TEST_F(BigSqlite, RowAccessorReadsOneBlockAndLeavesTheCurrentRecord) {
    Table t;
    t.setDatabaseName(name_);
    t.setTableName("BIG");
    t.open();
    t.setBlockBudget(8);
    t.setRecNo(10);
    const std::int64_t before = t.fetchedCount();
    bool complete = false;
    EXPECT_EQ(t.knownRowCount(&complete), 100000);   // counted, not read
    EXPECT_TRUE(complete);
    EXPECT_EQ(t.fetchedCount(), before);
    const Row* r = t.rowAt(70000);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->values[0].asInteger(), 70001);
    EXPECT_EQ(t.fetchedCount() - before, kBlock);
    EXPECT_EQ(t.recNo(), 10);
    EXPECT_EQ(t.fieldByName("ID").asInteger(), 10);
    EXPECT_EQ(t.rowAt(100000), nullptr);

    // Scrolling far: the cache never holds more than its budget; a block given up is read
    // again when the reader comes back.
    for (std::int64_t i = 0; i < 40; ++i) ASSERT_NE(t.rowAt(i * kBlock), nullptr);
    EXPECT_LE(t.cachedBlockCount(), 8u);
    const std::int64_t mid = t.fetchedCount();
    ASSERT_NE(t.rowAt(20 * kBlock), nullptr);
    EXPECT_EQ(t.fetchedCount() - mid, kBlock);
    EXPECT_EQ(t.rowAt(20 * kBlock)->values[0].asInteger(), 20 * kBlock + 1);
    EXPECT_EQ(t.fieldByName("ID").asInteger(), 10);

    t.setBlockBudget(1);   // bounded below
    EXPECT_EQ(t.blockBudget(), 2u);
    EXPECT_LE(t.cachedBlockCount(), 2u);
}

TEST_F(BigSqlite, ModelFetchesTheBlocksOnScreenOnly) {
    Table t;
    t.setDatabaseName(name_);
    t.setTableName("BIG");
    t.open();
    TDatasetModel model(&t);
    // The count is known: the first rows are shown, more as the view scrolls on, and the view
    // is not told of rows far below the screen.
    EXPECT_EQ(model.rowCount(), TDatasetModel::kFirstShown);
    EXPECT_EQ(model.columnCount(), 3);
    const std::int64_t opened = t.fetchedCount();
    EXPECT_LE(opened, kBlock);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    const std::int64_t tested = t.fetchedCount();   // the tester looks at some rows itself
    // A screen at the top and one at the end (Ctrl+End): two blocks, nothing between.
    for (int r = 0; r < 40; ++r) model.data(model.index(r, 1));
    model.reach(99999);
    EXPECT_EQ(model.rowCount(), 100000);
    for (int r = 99960; r < 100000; ++r) model.data(model.index(r, 1));
    EXPECT_EQ(model.data(model.index(99999, 1)).toString(), QStringLiteral("name 100000"));
    EXPECT_EQ(model.data(model.index(3, 2)).toString(), QString::fromStdString(Value(2.0).asText()));
    EXPECT_LE(t.fetchedCount() - tested, 2 * kBlock);
    EXPECT_EQ(t.recNo(), 1);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("NAME"));
    model.setTitleOverride(1, QStringLiteral("^NAME^"));
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("^NAME^"));

    // Scrolling to the bottom shows more rows known, without reading them.
    TDatasetModel scrolled(&t);
    const std::int64_t read = t.fetchedCount();
    int steps = 0;
    for (; scrolled.canFetchMore({}); ++steps) scrolled.fetchMore({});
    EXPECT_EQ(scrolled.rowCount(), 100000);
    EXPECT_LE(steps, 5);
    EXPECT_EQ(t.fetchedCount(), read);
}

TEST_F(BigSqlite, ForwardOnlyResultsGrowAsTheUserScrolls) {
    Query q;
    q.setDatabaseName(name_);
    q.setSql("select ID, NAME from BIG where ID <= 5000");
    q.open();
    TDatasetModel model(&q);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_GT(model.rowCount(), 0);
    EXPECT_LT(q.fetchedCount(), 5000);
    while (model.canFetchMore({})) model.fetchMore({});
    EXPECT_EQ(model.rowCount(), 5000);
    EXPECT_EQ(model.data(model.index(4999, 0)).toString(), QStringLiteral("5000"));
}

TEST_F(BigSqlite, EditingThroughTheModelPostsAndKeepsARefusedRowInEdit) {
    Table t;
    t.setDatabaseName(name_);
    t.setTableName("SMALL");
    t.open();
    TDatasetModel model(&t);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QString error;
    model.onError = [&](const std::exception& e) { error = QString::fromStdString(e.what()); };
    ASSERT_TRUE(model.flags(model.index(1, 1)) & Qt::ItemIsEditable);
    EXPECT_TRUE(model.setData(model.index(1, 1), QStringLiteral("deux")));
    EXPECT_EQ(t.state(), DatasetState::Browse);
    {
        Query check;
        check.setDatabaseName(name_);
        check.setSql("select NAME from SMALL where ID = 2");
        check.open();
        EXPECT_EQ(check.fieldByName("NAME").asString(), "deux");
    }
    // The server refuses: the error is shown, the row stays in edit with the typed value.
    EXPECT_FALSE(model.setData(model.index(2, 1), QStringLiteral("bad")));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(t.state(), DatasetState::Edit);
    EXPECT_EQ(model.data(model.index(2, 1)).toString(), QStringLiteral("bad"));
    t.cancel();
    model.syncWithDataset();
    EXPECT_EQ(model.data(model.index(2, 1)).toString(), QStringLiteral("three"));

    // Insert shows one more row at the current record until it is posted.
    t.setRecNo(1);
    t.insert();
    model.syncWithDataset();
    EXPECT_EQ(model.rowCount(), 4);
    t.fieldByName("ID").setValue(Value(10));
    t.fieldByName("NAME").setValue(Value("ten"));
    t.post();
    model.syncWithDataset();
    EXPECT_EQ(model.rowCount(), 4);
    t.setRecNo(4);
    t.deleteRecord();
    model.syncWithDataset();
    EXPECT_EQ(model.rowCount(), 3);
}

// A plain read of a dBase table with deleted records positions by record number: jumps in
// both directions, the count and the last row find the right rows without a list of them.
TEST(LocalGrid, PlainReadsSkipDeletedRecordsWhereverTheyJump) {
    const fs::path dir = fs::temp_directory_path() / ("vlm-datawin-dbf-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    Query q;
    q.setDatabaseName(dir.string());
    q.setSql("create table \"T.DBF\" (ID integer, NAME char(10))");
    q.execSql();
    q.setSql("with recursive n(i) as (select 1 union all select i + 1 from n where i < 2000) "
             "insert into \"T.DBF\" select i, 'n' || i from n");
    q.execSql();
    q.setSql("delete from \"T.DBF\" where ID % 3 = 0 or ID > 1990");
    q.execSql();
    std::vector<std::int64_t> ids;
    for (std::int64_t i = 1; i <= 1990; ++i)
        if (i % 3) ids.push_back(i);
    q.setSql("select * from \"T.DBF\"");
    q.open();
    q.setBlockBudget(2);
    EXPECT_EQ(q.recordCount(), std::int64_t(ids.size()));
    q.last();
    EXPECT_EQ(q.fieldByName("ID").asInteger(), ids.back());
    for (std::int64_t i : {std::int64_t(1200), std::int64_t(5), std::int64_t(900), std::int64_t(1320), std::int64_t(0),
                           std::int64_t(ids.size()) - 1, std::int64_t(700)}) {
        const Row* r = q.rowAt(i);
        ASSERT_NE(r, nullptr) << i;
        EXPECT_EQ(r->values[0].asInteger(), ids[std::size_t(i)]) << i;
    }
    EXPECT_EQ(q.rowAt(std::int64_t(ids.size())), nullptr);
    q.close();
    fs::remove_all(dir);
}
