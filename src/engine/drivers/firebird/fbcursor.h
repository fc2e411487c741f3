// Result cursors of the Firebird driver: rows of an open result set fetched in blocks as the
// caller asks for them, and the single row of outputs of an executed statement.
#pragma once

#include <memory>
#include <vector>

#include "engine/driver.h"
#include "engine/drivers/firebird/fbapi.h"
#include "engine/drivers/firebird/fbmessage.h"

namespace vlm::engine::firebird {

// The prepared statement, shared by its Statement object and its open cursor (a result set
// must not outlive its statement).
using SharedStatement = std::shared_ptr<Ref<Firebird::IStatement>>;

// Whether sql is a plain select of every column of one table, in its stored order or in an
// order of columns ("select * from T", "select * from \"T\" order by A desc, B"): the texts
// whose rows a cursor may read again from any position by running them again.
// table receives the name as the catalog holds it. (A selectable procedure reads the same;
// isTable tells them apart.)
bool plainTableSelect(const std::string& sql, std::string* table = nullptr);
bool isTable(Firebird::IAttachment* att, Firebird::ITransaction* tra, const std::string& name);
// The first column of the first row of a one-row query (a count); -1 when there is none.
std::int64_t countOf(Firebird::IAttachment* att, Firebird::ITransaction* tra, const std::string& sql);

// Rows of an open result set. Holds the attachment, the statement and the transaction, so the
// rows (and their blobs) stay readable until the cursor is closed or read to its end; an
// automatic transaction commits once the cursor lets go of it.
class FbCursor : public Cursor {
public:
    // scrollable: the result set was opened CURSOR_TYPE_SCROLLABLE; it then stays open at its
    // end, as a reader may come back to rows it gave up.
    // rereadSql: the statement's text when its rows may be read again from a position (a table
    // in a fixed order, see plainTableSelect): seek runs it again with OFFSET in the cursor's
    // transaction, which stays open until the cursor is closed, and rowCount counts it there
    // (by countSql, or by counting rereadSql as a derived table).
    // The server skips the rows before the position; none of them reach this process.
    FbCursor(std::shared_ptr<Attachment> att, SharedStatement stmt, std::shared_ptr<Transaction> tra,
             Ref<Firebird::IResultSet> rs, std::unique_ptr<OutputMessage> out, bool scrollable = false,
             std::string rereadSql = {}, std::string countSql = {});
    ~FbCursor() override;

    const std::vector<FieldDef>& fields() const override { return out_->fields(); }
    bool fetch(std::size_t maxRows, std::vector<Row>& out) override;
    bool seek(std::int64_t row) override;
    std::int64_t countKnown() override { return end_; }
    std::int64_t rowCount() override;

private:
    void finish();
    void closeResult();
    bool reread(std::int64_t row);
    bool scrollable_;
    bool probed_ = false;      // a first positioning worked
    std::int64_t pos_ = 0;     // the row the next fetch returns
    std::int64_t end_ = -1;    // the number of rows, once a fetch ran past the last

    std::shared_ptr<Attachment> att_;
    SharedStatement stmt_;
    std::shared_ptr<Transaction> tra_;
    std::string rereadSql_, countSql_;
    std::int64_t count_ = -1;
    Ref<Firebird::IStatement> jump_;   // the statement of rs_ after a reread (rs_ is closed first)
    Ref<Firebird::IResultSet> rs_;
    std::unique_ptr<OutputMessage> out_;
};

// Rows already read: the outputs of EXECUTE PROCEDURE or of a statement with RETURNING.
class RowsCursor : public Cursor {
public:
    RowsCursor(std::vector<FieldDef> fields, std::vector<Row> rows)
        : fields_(std::move(fields)), rows_(std::move(rows)) {}
    const std::vector<FieldDef>& fields() const override { return fields_; }
    bool fetch(std::size_t maxRows, std::vector<Row>& out) override;
    std::int64_t rowCount() override { return std::int64_t(rows_.size()); }
    bool seek(std::int64_t row) override;

private:
    std::vector<FieldDef> fields_;
    std::vector<Row> rows_;
    std::size_t next_ = 0;
};

}  // namespace vlm::engine::firebird
