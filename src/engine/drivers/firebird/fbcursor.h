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

// Rows of an open result set. Holds the attachment, the statement and the transaction, so the
// rows (and their blobs) stay readable until the cursor is closed or read to its end; an
// automatic transaction commits once the cursor lets go of it.
class FbCursor : public Cursor {
public:
    // scrollable: the result set was opened CURSOR_TYPE_SCROLLABLE; it then stays open at its
    // end, as a reader may come back to rows it gave up.
    FbCursor(std::shared_ptr<Attachment> att, SharedStatement stmt, std::shared_ptr<Transaction> tra,
             Ref<Firebird::IResultSet> rs, std::unique_ptr<OutputMessage> out, bool scrollable = false);
    ~FbCursor() override;

    const std::vector<FieldDef>& fields() const override { return out_->fields(); }
    bool fetch(std::size_t maxRows, std::vector<Row>& out) override;
    bool seek(std::int64_t row) override;
    std::int64_t countKnown() override { return end_; }

private:
    void finish();
    bool scrollable_;
    bool probed_ = false;      // a first positioning worked
    std::int64_t pos_ = 0;     // the row the next fetch returns
    std::int64_t end_ = -1;    // the number of rows, once a fetch ran past the last

    std::shared_ptr<Attachment> att_;
    SharedStatement stmt_;
    std::shared_ptr<Transaction> tra_;
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
