// TFormOObj: the server object list window.
#include "engine/database.h"
#include "engine/query.h"

#include "objlists/formoobj.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTextCursor>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "datawin/commands.h"
#include "datawin/dbgrid.h"
#include "datawin/gridmodel.h"
#include "datawin/report.h"
#include "shell/language.h"
#include "shell/qtext.h"

namespace vlm::objlists {

using shell::pick;
using shell::toQ;

namespace {

struct BusyCursor {
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
};

// The pane's drawing frozen while a long text is fetched, restored also after an error.
struct Frozen {
    explicit Frozen(QWidget* w) : w_(w) { w_->setUpdatesEnabled(false); }
    ~Frozen() { w_->setUpdatesEnabled(true); }
    QWidget* w_;
};

void setLines(QPlainTextEdit* pane, const std::vector<std::string>& lines) {
    QString text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i) text += QLatin1Char('\n');
        text += toQ(lines[i]);
    }
    pane->setPlainText(text);
    pane->moveCursor(QTextCursor::Start);
}

}  // namespace

TFormOObj::TFormOObj(ListKind list, const ObjectListContext& context, QWidget* parent)
    : QWidget(parent, Qt::Window), list_(list), context_(context), db_(std::make_unique<engine::Database>()),
      Query1(std::make_unique<engine::Query>()) {
    setObjectName(QStringLiteral("FormOObj"));
    setAttribute(Qt::WA_DeleteOnClose);
    text_.kind = context_.kind;
    const Title t = title(list_);
    setWindowTitle(toQ(context_.driverName + ": " + pick(t.ru, t.en)));
    buildUi();
    resize(602, 400);
    if (QScreen* s = QApplication::primaryScreen()) move(s->availableGeometry().center() - rect().center());
}

TFormOObj::~TFormOObj() {
    if (DBGrid1) DBGrid1->setDataset(nullptr);
    if (Query1) Query1->close();
}

void TFormOObj::buildUi() {
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    box->addWidget(ToolBar1);
    BExit = new QToolButton(ToolBar1);
    BExit->setObjectName(QStringLiteral("BExit"));
    BExit->setText(QStringLiteral("Exit"));
    BExit->setToolTip(QStringLiteral("Выход"));
    BExit->setAutoRaise(true);
    ToolBar1->addWidget(BExit);
    auto* panelPrintSum = new QFrame(ToolBar1);
    panelPrintSum->setObjectName(QStringLiteral("PanelPrintSum"));
    auto* pps = new QHBoxLayout(panelPrintSum);
    pps->setContentsMargins(2, 0, 2, 0);
    BViewAndPrint = new QToolButton(panelPrintSum);
    BViewAndPrint->setObjectName(QStringLiteral("BViewAndPrint"));
    BViewAndPrint->setText(QStringLiteral("Print"));
    BViewAndPrint->setToolTip(QStringLiteral("View in text and print dataset"));
    BViewAndPrint->setAutoRaise(true);
    CBCount = new QCheckBox(panelPrintSum);
    CBCount->setObjectName(QStringLiteral("CBCount"));
    CBCount->setToolTip(QStringLiteral("Insert rows numbers to report"));
    pps->addWidget(BViewAndPrint);
    pps->addWidget(CBCount);
    ToolBar1->addWidget(panelPrintSum);

    PanelMain = new QWidget(this);
    PanelMain->setObjectName(QStringLiteral("PanelMain"));
    auto* pm = new QHBoxLayout(PanelMain);
    pm->setContentsMargins(0, 0, 0, 0);
    Splitter1 = new QSplitter(Qt::Horizontal, PanelMain);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    DBGrid1 = new datawin::TDBGrid(Splitter1);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Memo1 = new QPlainTextEdit(Splitter1);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Splitter1->addWidget(DBGrid1);
    Splitter1->addWidget(Memo1);
    Splitter1->setStretchFactor(1, 1);
    pm->addWidget(Splitter1);
    box->addWidget(PanelMain, 1);

    PanelMemoIndex = new QWidget(this);
    PanelMemoIndex->setObjectName(QStringLiteral("PanelMemoIndex"));
    PanelMemoIndex->setFixedHeight(56);
    auto* pmi = new QVBoxLayout(PanelMemoIndex);
    pmi->setContentsMargins(0, 0, 0, 0);
    MemoIndex = new QPlainTextEdit(PanelMemoIndex);
    MemoIndex->setObjectName(QStringLiteral("MemoIndex"));
    MemoIndex->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    pmi->addWidget(MemoIndex);
    box->addWidget(PanelMemoIndex);

    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    const int widths[3] = {150, 150, 50};
    for (int i = 0; i < 3; ++i) {
        status[i] = new QLabel(bar);
        status[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        status[i]->setMinimumWidth(widths[i]);
        status[i]->setFrameShape(QFrame::Panel);
        status[i]->setFrameShadow(QFrame::Sunken);
        bar->addWidget(status[i], i == 2 ? 1 : 0);
    }
    box->addWidget(bar);

    connect(BExit, &QToolButton::clicked, this, &QWidget::close);
    connect(BViewAndPrint, &QToolButton::clicked, this, &TFormOObj::BViewAndPrintClick);
    connect(DBGrid1, &datawin::TDBGrid::scrolled, this, &TFormOObj::DBGrid1Scrolled);
    applyLayout();
}

void TFormOObj::applyLayout() {
    const Panes p = panes(list_, context_.indexAsCreate);
    Memo1->setVisible(p.memo1);
    PanelMemoIndex->setVisible(p.memoIndex);
    if (p.memo1) Splitter1->setSizes({300, 302});
}

bool TFormOObj::openList() {
    BusyCursor busy;
    try {
        db_->setDatabaseName(context_.databaseName);
        db_->params() = context_.params;
        db_->open();
        DatabaseReader reader(*db_);
        if (context_.kind == ServerKind::INTERBASE) text_.dialect = interbaseDialect(reader);
        Query1->setDatabase(db_.get());
        std::string sql;
        for (const auto& l : catalogSql(list_, context_.kind, context_.showSystem)) sql += l + "\n";
        Query1->setSql(sql);
        const bool asCreate = list_ == ListKind::Indexes && context_.indexAsCreate;
        if (asCreate) {
            Query1->addCalcField(kIndexCreateField, kIndexCreateSize);
            // The report reads the current record's statement; the grid asks calculatedCell.
            Query1->setOnCalcFields([this](engine::Dataset& ds) {
                CatalogRow row;
                for (int i = 0; i < 5 && i < ds.fieldCount(); ++i) row.values.push_back(ds.field(i).asString());
                ds.fieldByName(kIndexCreateField).setAsString(indexCreateText(row));
            });
        }
        const bool packages = list_ == ListKind::Packages || list_ == ListKind::PackageBodies;
        loading_ = packages;
        Query1->open();
        const ColumnLayout layout = columnLayout(list_, context_.kind, shell::languageSetting() == 1);
        for (int i = 0; i < Query1->fieldCount(); ++i) {
            engine::Field& f = Query1->field(i);
            if (asCreate) {
                const bool last = i == Query1->fieldCount() - 1;
                f.setVisible(last);
                if (last) f.setDisplayLabel(pick(kIndexCreateHeadingRu, kIndexCreateHeadingEn));
                continue;
            }
            if (auto h = layout.headings.find(i); h != layout.headings.end()) f.setDisplayLabel(h->second);
            if (layout.hidden.count(i)) f.setVisible(false);
            if (auto w = layout.widths.find(i); w != layout.widths.end()) f.setDisplayWidth(w->second);
        }
        DBGrid1->setDataset(Query1.get());
        if (asCreate) {
            DBGrid1->datasetModel()->calculatedCell = [this](long long row, int) { return indexCreateCell(row); };
            DBGrid1->horizontalHeader()->setStretchLastSection(true);   // the statements take the width
        }
        DBGrid1->reload();   // the first row's text
        loading_ = false;
    } catch (const std::exception& e) {
        loading_ = false;
        DBGrid1->setDataset(nullptr);
        Query1->close();
        context_.showError(e);
        return false;
    }
    status[0]->setText(toQ(context_.databaseName));
    status[1]->setText(toQ(context_.driverName));
    DBGrid1->setFocus();
    return true;
}

CatalogRow TFormOObj::currentRow() {
    CatalogRow row;
    for (int i = 0; i < Query1->fieldCount(); ++i) {
        engine::Field& f = Query1->field(i);
        if (f.calculated()) continue;
        row.values.push_back(f.isNull() ? std::string() : f.asString());
        row.headings.push_back(f.displayLabel());
    }
    return row;
}

std::string TFormOObj::indexCreateText(const CatalogRow& row) {
    DatabaseReader reader(*db_);
    DetailText t;
    buildDetailText(ListKind::Indexes, text_, row, reader, t);
    return t.memoIndex.empty() ? std::string() : t.memoIndex.front();
}

QVariant TFormOObj::indexCreateCell(long long r) {
    if (auto it = createCells_.find(r); it != createCells_.end()) return *it;
    QVariant v;
    try {
        const engine::Row* row = Query1->rowAt(r);
        if (!row) return {};
        CatalogRow c;
        for (std::size_t i = 0; i < 5 && i < row->values.size(); ++i)
            c.values.push_back(row->values[i].isNull() ? std::string() : row->values[i].asText());
        v = toQ(indexCreateText(c));
    } catch (const std::exception& e) {
        // A cell is painted, not commanded: its statement shows the error instead.
        v = toQ(std::string("#") + e.what());
    }
    createCells_.insert(r, v);
    return v;
}

void TFormOObj::failed(const std::exception& e) {
    reconnect_ = true;
    context_.showError(e);
}

bool TFormOObj::reconnectIfNeeded() {
    if (!reconnect_) return true;
    reconnect_ = false;
    try {
        DatabaseReader reader(*db_);
        reader.rows(connectionProbeSql(context_.kind), {});
        return true;
    } catch (const std::exception&) {
        // The probe failed: the connection is gone. Open it again and read the list anew.
    }
    const std::int64_t at = Query1->recNo();
    try {
        Query1->close();
        db_->close();
        db_->open();
        Query1->setDatabase(db_.get());
        Query1->open();
        if (at > 1) Query1->setRecNo(at);
        createCells_.clear();
        DBGrid1->reload();   // builds the row's text
    } catch (const std::exception& e) {
        DBGrid1->reload();
        failed(e);
    }
    return false;
}

void TFormOObj::DBGrid1Scrolled() {
    if (reporting_ || !Query1->active()) return;
    const bool packages = list_ == ListKind::Packages || list_ == ListKind::PackageBodies;
    if (packages && loading_) return;
    if (list_ == ListKind::Indexes && context_.indexAsCreate) return;
    const Panes p = panes(list_, context_.indexAsCreate);
    if (!p.memo1 && !p.memoIndex) return;
    if (reconnect_) {
        // Not inside the grid's row change: reopening the list resets the grid's model.
        QTimer::singleShot(0, this, [this] {
            if (reconnectIfNeeded()) DBGrid1Scrolled();
        });
        return;
    }
    Memo1->clear();
    MemoIndex->clear();
    if (Query1->isEmpty()) return;
    const bool slow = packages || list_ == ListKind::TableSpaces || list_ == ListKind::ExternalFunctions;
    std::unique_ptr<BusyCursor> busy;
    std::unique_ptr<Frozen> frozen;
    if (slow) {
        busy = std::make_unique<BusyCursor>();
        frozen = std::make_unique<Frozen>(Memo1);
    }
    DetailText t;
    try {
        DatabaseReader reader(*db_);
        buildDetailText(list_, text_, currentRow(), reader, t);
    } catch (const std::exception& e) {
        setLines(Memo1, t.memo1);
        setLines(MemoIndex, t.memoIndex);
        frozen.reset();
        busy.reset();
        failed(e);
        return;
    }
    setLines(Memo1, t.memo1);
    setLines(MemoIndex, t.memoIndex);
}

void TFormOObj::BViewAndPrintClick() {
    if (!Query1->active()) {
        context_.showMessage(toQ(pick(kDatasetNotOpenRu, kDatasetNotOpenEn)));
        return;
    }
    if (!reconnectIfNeeded() && !Query1->active()) return;
    const std::string file = context_.programDir + "DATASET0.TXT";
    const std::string caption = windowTitle().toStdString();
    reporting_ = true;
    {
        BusyCursor busy;
        const std::int64_t here = Query1->recNo();
        DBGrid1->setUpdatesEnabled(false);
        std::exception_ptr failure;
        try {
            Query1->first();
            datawin::writeNumberedReport(*Query1, file, caption, CBCount->isChecked(), false);
        } catch (const std::exception&) {
            failure = std::current_exception();
        }
        try {
            if (here > 0) Query1->setRecNo(here);
        } catch (const std::exception&) {
            // The row cannot be reached again (the connection went): the grid shows where it is.
        }
        DBGrid1->setUpdatesEnabled(true);
        DBGrid1->followDataset();
        reporting_ = false;
        if (failure) {
            try {
                std::rethrow_exception(failure);
            } catch (const std::exception& e) {
                failed(e);
                return;
            }
        }
    }
    if (context_.showReport) context_.showReport(toQ(file), windowTitle());
    else datawin::showReportFile(toQ(file), windowTitle());
}

void TFormOObj::closeEvent(QCloseEvent* e) {
    DBGrid1->setDataset(nullptr);
    Query1->close();
    Query1->setSql("");
    QWidget::closeEvent(e);
}

}  // namespace vlm::objlists
