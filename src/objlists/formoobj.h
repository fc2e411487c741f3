// TFormOObj: the list window of the "Objects" menu. It shows one server object list (indexes,
// triggers, domains, ...) read by the list's catalog statement in a read-only grid, and for the
// current row the object's definition text in the detail pane (Memo1) or the statement pane
// (MemoIndex). The statements and texts come from catalog.h and texts.h; this form only wires
// the controls. One list window exists at a time (the ObjectList window slot).
//   auto* w = new TFormOObj(ListKind::Domains, context, &form);
//   if (w->openList()) w->show(); else delete w;   // the error went to context.showError
#pragma once

#include <QWidget>
#include <QHash>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "objlists/texts.h"

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QSplitter;
class QToolBar;
class QToolButton;

namespace vlm::engine {
class Database;
class Query;
}
namespace vlm::datawin {
class TDBGrid;
}

namespace vlm::objlists {

// What the window takes from the panel that opens it.
struct ObjectListContext {
    std::string databaseName;
    std::string driverName;
    ServerKind kind = ServerKind::STANDARD;
    std::vector<std::string> params;          // the panel database's login
    bool showSystem = false;                  // "Show System Objcts"
    bool indexAsCreate = false;               // "Show Objects-Indexes As Create Statements"
    std::string programDir;                   // where DATASET0.TXT is written
    std::function<void(const std::exception&)> showError;
    std::function<void(const QString&)> showMessage;
    std::function<void(const QString& file, const QString& title)> showReport;   // the text window
};

class TFormOObj : public QWidget {
    Q_OBJECT
public:
    TFormOObj(ListKind list, const ObjectListContext& context, QWidget* parent = nullptr);
    ~TFormOObj() override;

    // Connects, opens the catalog statement, sets headings, hidden and sized columns and shows
    // the first row's text. False after an error, which went to the error display.
    bool openList();

    ListKind listKind() const { return list_; }
    engine::Query& query1() { return *Query1; }
    int dialect() const { return text_.dialect; }

    // Controls (named as designed).
    QToolBar* ToolBar1 = nullptr;
    QToolButton *BExit = nullptr, *BViewAndPrint = nullptr;
    QCheckBox* CBCount = nullptr;
    QWidget *PanelMain = nullptr, *PanelMemoIndex = nullptr;
    datawin::TDBGrid* DBGrid1 = nullptr;
    QSplitter* Splitter1 = nullptr;
    QPlainTextEdit *Memo1 = nullptr, *MemoIndex = nullptr;
    QLabel* status[3] = {};

    void BViewAndPrintClick();
    // The grid's current row changed: the row's text anew (not while printing or loading).
    void DBGrid1Scrolled();

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void buildUi();
    void applyLayout();
    CatalogRow currentRow();
    QVariant indexCreateCell(long long row);
    std::string indexCreateText(const CatalogRow& row);
    void failed(const std::exception& e);
    bool reconnectIfNeeded();

    ListKind list_;
    ObjectListContext context_;
    TextContext text_;
    std::unique_ptr<engine::Database> db_;
    std::unique_ptr<engine::Query> Query1;
    bool loading_ = false;       // a package list is opening: no source yet
    bool reporting_ = false;     // the report walks the rows: no detail text
    bool reconnect_ = false;     // a command failed: the next one checks the connection
    QHash<long long, QVariant> createCells_;
};

}  // namespace vlm::objlists
