// TFormView: the table window in view and edit mode.
#include "engine/query.h"
#include "engine/table.h"

#include "datawin/formview.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "datawin/commands.h"
#include "datawin/dbgrid.h"
#include "datawin/dialogs.h"
#include "datawin/gridmodel.h"
#include "datawin/gridparts.h"
#include "datawin/report.h"
#include "shell/language.h"
#include "shell/prompts.h"
#include "shell/qtext.h"
#include "shell/windowsmenu.h"

namespace vlm::datawin {

using shell::fromQ;
using shell::pick;
using shell::toQ;

namespace {
std::string upper(std::string s) {
    for (char& c : s) c = char(std::toupper(static_cast<unsigned char>(c)));
    return s;
}
}  // namespace

TFormView::TFormView(Mode mode, const panels::TTableInfo& table, const ViewOptions& options, QWidget* parent)
    : QWidget(parent, Qt::Window), mode_(mode), info_(table), opt_(options),
      query_(std::make_unique<engine::Query>()), table_(std::make_unique<engine::Table>()) {
    setObjectName(QStringLiteral("FormView"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("View "));
    if (opt_.prompts) setWindowPrompts(this, opt_.prompts);
    fold_ = nameFoldOfDriver(info_.driverName);
    buildUi();
    if (shell::languageSetting() == 1) applyRussianTexts();
    if (opt_.stayOnTop) setWindowFlag(Qt::WindowStaysOnTopHint, true);
    resize(860, 520);
}

TFormView::~TFormView() = default;

engine::Dataset& TFormView::dataset() {
    if (mode_ == Mode::View) return *query_;
    return *table_;
}

void TFormView::buildUi() {
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setIconSize(QSize(16, 16));
    box->addWidget(ToolBar1);

    DBNavigator1 = new TDBNavigator(true, ToolBar1);
    ToolBar1->addWidget(DBNavigator1);
    ToolBar1->addSeparator();
    BReCall = addToolButton(ToolBar1, "BReCall", QStringLiteral("Recall"), QStringLiteral("Recall record if deleted"));
    BReCall->setEnabled(false);
    BSumCol = addToolButton(ToolBar1, "BSumCol", QStringLiteral("\u03a3"), QStringLiteral("Show sum of selected column"));
    const PrintPanel print = addPrintPanel(ToolBar1);
    BViewAndPrint = print.BViewAndPrint;
    CBPrintWithSum = print.CBPrintWithSum;
    CBCount = print.CBCount;
    BShowMemo = addToolButton(ToolBar1, "BShowMemo", QStringLiteral("Memo"), QString());
    BShowMemo->setCheckable(true);
    BScreenGrid = addToolButton(ToolBar1, "BScreenGrid", QStringLiteral("Rec"), QStringLiteral("Show records as scroll box"));
    BScreenGrid->setCheckable(true);
    BSearch = addToolButton(ToolBar1, "BSearch", QStringLiteral("Find"), QStringLiteral("Search In Columns"));
    BShowSelect = addToolButton(ToolBar1, "BShowSelect", QStringLiteral("SQL"), QStringLiteral("Open SQL input window"));
    BSort = addToolButton(ToolBar1, "BSort", QStringLiteral("Sort"), QStringLiteral("Sort Table by selected column"));
    BSort->setCheckable(true);
    CheckListBox1 = new QListWidget(ToolBar1);
    CheckListBox1->setObjectName(QStringLiteral("CheckListBox1"));
    CheckListBox1->setToolTip(QStringLiteral("Set Visible Columns"));
    CheckListBox1->setFixedSize(150, 40);
    ToolBar1->addWidget(CheckListBox1);
    BExecSQL = addToolButton(ToolBar1, "BExecSQL", QStringLiteral("F2"), QStringLiteral("Execute SQL Statment in input window"));
    BExecSQL->hide();
    for (QAction* a : ToolBar1->actions())
        if (ToolBar1->widgetForAction(a) == BExecSQL) a->setVisible(false);

    Splitter1 = new QSplitter(Qt::Vertical, this);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Panel4 = new QFrame(Splitter1);
    Panel4->setObjectName(QStringLiteral("Panel4"));
    auto* p4 = new QVBoxLayout(Panel4);
    p4->setContentsMargins(0, 0, 0, 0);
    Memo1 = new QPlainTextEdit(Panel4);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setContextMenuPolicy(Qt::CustomContextMenu);
    Memo1->installEventFilter(this);
    p4->addWidget(Memo1);
    Panel4->hide();
    Panel1 = new QStackedWidget(Splitter1);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    DBGrid1 = new TDBGrid(Panel1);
    Panel1->addWidget(DBGrid1);
    Splitter1->addWidget(Panel4);
    Splitter1->addWidget(Panel1);
    Splitter1->setStretchFactor(1, 1);
    box->addWidget(Splitter1, 1);

    box->addWidget(makeStatusBar(this, status));

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    const std::pair<const char*, SqlTemplate> templates[] = {{"Create", SqlTemplate::Create},
                                                             {"Update", SqlTemplate::Update},
                                                             {"Select", SqlTemplate::Select},
                                                             {"Insert", SqlTemplate::Insert},
                                                             {"Delete", SqlTemplate::Delete}};
    for (const auto& [caption, t] : templates) {
        QAction* a = PopupMenu1->addAction(QString::fromLatin1(caption));
        a->setObjectName(QString::fromLatin1(caption));
        const SqlTemplate which = t;
        connect(a, &QAction::triggered, this, [this, which] { addTemplate(which); });
    }
    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    NSort = PopupMenu2->addAction(QStringLiteral("Sort By Selected Column"));
    NSort->setObjectName(QStringLiteral("NSort"));
    NUnSort = PopupMenu2->addAction(QStringLiteral("UnSort"));
    NUnSort->setObjectName(QStringLiteral("NUnSort"));
    PopupMenu2->addSeparator();
    SetDisplayFormat1 = PopupMenu2->addAction(QStringLiteral("Set Display Format"));
    SetDisplayFormat1->setObjectName(QStringLiteral("SetDisplayFormat1"));
    SetFilter1 = PopupMenu2->addAction(QStringLiteral("Set Filter"));
    SetFilter1->setObjectName(QStringLiteral("SetFilter1"));

    buildViewers();
    DBNavigator1->attach(DBGrid1);
    DBGrid1->keyHandler = [this](QKeyEvent* e) { return gridKey(e); };
    connect(DBGrid1, &TDBGrid::scrolled, this, &TFormView::afterScroll);
    connect(DBGrid1, &TDBGrid::columnEntered, this, [this](int field) {
        BSort->setChecked(sortColumn_ >= 0 && field == sortColumn_);
    });
    connect(DBGrid1->horizontalHeader(), &QHeaderView::sectionClicked, this, &TFormView::titleClick);
    connect(BSort, &QToolButton::clicked, this, &TFormView::BSortClick);
    connect(NSort, &QAction::triggered, this, [this] {
        sortBy(DBGrid1->currentFieldIndex());
    });
    connect(NUnSort, &QAction::triggered, this, [this] { unsort(); });
    connect(SetDisplayFormat1, &QAction::triggered, this, &TFormView::SetDisplayFormat1Click);
    connect(SetFilter1, &QAction::triggered, this, &TFormView::SetFilter1Click);
    connect(BShowSelect, &QToolButton::clicked, this, &TFormView::BShowSelectClick);
    connect(BExecSQL, &QToolButton::clicked, this, &TFormView::BExecSQLClick);
    connect(BViewAndPrint, &QToolButton::clicked, this, &TFormView::BViewAndPrintClick);
    connect(BReCall, &QToolButton::clicked, this, &TFormView::BReCallClick);
    connect(BSearch, &QToolButton::clicked, this, &TFormView::BSearchClick);
    connect(BSumCol, &QToolButton::clicked, this, &TFormView::BSumColClick);
    connect(CheckListBox1, &QListWidget::itemChanged, this, [this] { CheckListBox1ClickCheck(); });
    connect(Memo1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu1->popup(Memo1->mapToGlobal(at)); });
    for (QWidget* w : {static_cast<QWidget*>(CheckListBox1), static_cast<QWidget*>(CBPrintWithSum),
                       static_cast<QWidget*>(CBCount)})
        w->installEventFilter(this);
}

void TFormView::applyRussianTexts() {
    setWindowTitle(QStringLiteral("Просмотр "));
    BSort->setToolTip(QStringLiteral("Сортировка по выбранной колонке"));
    NSort->setText(QStringLiteral("Сортировка по выбранной колонке"));
    BExecSQL->setToolTip(QStringLiteral("Выполнить SQL запрос в окне ввода"));
    BShowSelect->setToolTip(QStringLiteral("Открыть окно ввода SQL запроса"));
    BViewAndPrint->setToolTip(QStringLiteral("Просмотр и печать с текущей позиции"));
    NUnSort->setText(QStringLiteral("Снять сортировку"));
    BReCall->setToolTip(QStringLiteral("Снять пометку удаления для DBase"));
    SetDisplayFormat1->setText(QStringLiteral("Форимат вывода колонки"));
    SetFilter1->setText(QStringLiteral("Фильтр записей"));
    CheckListBox1->setToolTip(QStringLiteral("Установить видимые колонки"));
    BSearch->setToolTip(QStringLiteral("Поиск строки текста в полях и записях таблицы"));
    BSumCol->setToolTip(QStringLiteral("Суммирование колонки"));
    BShowMemo->setToolTip(QStringLiteral("Просмотр мемо или графических полей"));
    CBPrintWithSum->setToolTip(QStringLiteral("Строка итогов по колонкам в отчете"));
    CBCount->setToolTip(QStringLiteral("Вставить номера строк в отчет"));
    BScreenGrid->setToolTip(QStringLiteral("Показывать одну запись на экране"));
}

bool TFormView::isDbase() const {
    const std::string t = upper(info_.tableType);
    const std::string n = upper(info_.tableNameForCommands);
    return !info_.isSqlBased && (t == "DBASE" || (n.size() > 4 && n.substr(n.size() - 4) == ".DBF"));
}

bool TFormView::openDataset() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::string& n = info_.tableNameForCommands;
    try {
        if (mode_ == Mode::View) {
            DBGrid1->datasetModel();
            TableNameRule rule{n, opt_.useInSql, opt_.requestLive, info_.isSqlBased, info_.serverKind};
            tableText_ = datawin::tableText(rule);
            query_->close();
            query_->setDatabaseName(info_.databaseName);
            query_->setRequestLive(opt_.requestLive);
            query_->setSql(viewQueryText(rule));
            if (shell::TWindowsMenu* wm = shell::windowsMenu()) wm->addWindowEntry(this, toQ(" View " + n));
            query_->open();
            DBGrid1->setDataset(query_.get());
            fillColumnList(CheckListBox1, *query_);
            setWindowTitle(toQ((opt_.requestLive ? pick(" Просмотр/Редактирование ", " View/Edit ")
                                                 : pick(" Просмотр ", " View ")) +
                               info_.tableType + ":" + n));
        } else {
            BShowSelect->hide();
            for (QAction* a : ToolBar1->actions())
                if (ToolBar1->widgetForAction(a) == BShowSelect) a->setVisible(false);
            tableText_.clear();
            table_->close();
            table_->setDatabaseName(info_.databaseName);
            table_->setTableName(n);
            if (isDbase()) table_->setShowDeleted(opt_.showDeleted);
            table_->open();
            DBGrid1->setDataset(table_.get());
            DBGrid1->datasetModel()->setColorDeleted(opt_.colorDeleted && isDbase());
            fillColumnList(CheckListBox1, *table_);
            setWindowTitle(toQ(pick("Редактирование: ", "Edit Table: ") + n));
            if (!info_.isSqlBased) {
                NSort->setEnabled(false);
                NUnSort->setEnabled(false);
                BSort->hide();
                for (QAction* a : ToolBar1->actions())
                    if (ToolBar1->widgetForAction(a) == BSort) a->setVisible(false);
            }
        }
        status[0]->setText(toQ(openStatusText(opt_.showRecordCount ? dataset().recordCount() : 0, opt_.showRecordCount)));
        DBGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(DBGrid1, &QWidget::customContextMenuRequested, this,
                [this](const QPoint& at) { PopupMenu2->popup(DBGrid1->viewport()->mapToGlobal(at)); });
        updateDeletedMark();
    } catch (const std::exception& e) {
        QApplication::restoreOverrideCursor();
        windowPrompts(this).error(e);
        return false;
    }
    QApplication::restoreOverrideCursor();
    return true;
}

QString TFormView::statusText(int panel) const { return panel >= 0 && panel < 4 ? status[panel]->text() : QString(); }

void TFormView::afterScroll() {
    if (!dataset().active()) return;
    if (!info_.isSqlBased) {
        try {
            const std::int64_t count = opt_.showRecordCount ? dataset().recordCount() : 0;
            status[0]->setText(toQ(positionText(dataset().recNo(), count, opt_.showRecordCount)));
        } catch (const std::exception&) {
        }
    }
    updateDeletedMark();
}

bool TFormView::currentRecordDeleted() {
    if (mode_ != Mode::Edit || !table_->active() || table_->isEmpty() || !isDbase()) return false;
    try {
        return table_->currentRow().deleted;
    } catch (const std::exception&) {
        return false;
    }
}

void TFormView::updateDeletedMark() {
    const bool deleted = currentRecordDeleted();
    status[2]->setText(deleted ? toQ(pick("Удалена", "Deleted")) : QString());
    BReCall->setEnabled(deleted);
}

void TFormView::BReCallClick() {
    if (!currentRecordDeleted()) return;
    try {
        if (!table_->showDeleted()) table_->setShowDeleted(true);
        table_->undelete();
    } catch (const std::exception&) {
        // A refused undelete leaves the record as it was.
    }
    DBGrid1->followDataset();
    updateDeletedMark();
}

// --- Sorting -----------------------------------------------------------------------------------

void TFormView::reopenQuery(const std::string& sql) {
    query_->close();
    query_->setSql(sql);
    query_->open();
}

void TFormView::setSortTitles() {
    TDatasetModel* m = DBGrid1->datasetModel();
    if (!m) return;
    for (int i = 0; i < dataset().fieldCount(); ++i) m->setTitleOverride(i, QString());
    if (sortColumn_ >= 0 && sortColumn_ < dataset().fieldCount())
        m->setTitleOverride(sortColumn_, toQ("^" + dataset().field(sortColumn_).displayLabel() + "^"));
}

void TFormView::sortBy(int field) {
    if (field < 0 || !dataset().active() || field >= dataset().fieldCount()) return;
    const std::string name = dataset().field(field).fieldName();
    columnBeforeSort_ = DBGrid1->currentFieldIndex();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        if (mode_ == Mode::View) {
            reopenQuery(sortQueryText(tableText_, name, fold_));
        } else {
            table_->close();
            table_->setIndexFieldNames(name);
            table_->open();
        }
        sortColumn_ = field;
        sortField_ = name;
        DBGrid1->reload();
        applyColumnList(CheckListBox1, dataset(), DBGrid1);
        setSortTitles();
        status[0]->setText(toQ(sortStatusText(opt_.showRecordCount ? dataset().recordCount() : 0, opt_.showRecordCount)));
        DBGrid1->setCurrentField(field);
        BSort->setChecked(true);
    } catch (const std::exception& e) {
        QApplication::restoreOverrideCursor();
        windowPrompts(this).error(e);
        BSort->setChecked(sortColumn_ >= 0);
        return;
    }
    QApplication::restoreOverrideCursor();
}

void TFormView::unsort() {
    if (!dataset().active()) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        if (mode_ == Mode::View) {
            reopenQuery(unsortQueryText(tableText_));
        } else {
            table_->close();
            table_->setIndexFieldNames(std::string());
            table_->open();
        }
        sortColumn_ = -1;
        sortField_.clear();
        DBGrid1->reload();
        applyColumnList(CheckListBox1, dataset(), DBGrid1);
        setSortTitles();
        status[0]->setText(toQ(sortStatusText(opt_.showRecordCount ? dataset().recordCount() : 0, opt_.showRecordCount)));
        DBGrid1->setCurrentField(columnBeforeSort_);
        BSort->setChecked(false);
    } catch (const std::exception& e) {
        QApplication::restoreOverrideCursor();
        windowPrompts(this).error(e);
        return;
    }
    QApplication::restoreOverrideCursor();
}

void TFormView::BSortClick() {
    if (BSort->isChecked()) sortBy(DBGrid1->currentFieldIndex());
    else unsort();
}

void TFormView::titleClick(int field) {
    if (!BSort->isEnabled() || BSort->isHidden()) return;
    if (sortColumn_ >= 0 && field == sortColumn_) unsort();
    else sortBy(field);
}

// --- SQL input panel ----------------------------------------------------------------------------

void TFormView::BShowSelectClick() {
    Panel4->show();
    BExecSQL->show();
    for (QAction* a : ToolBar1->actions())
        if (ToolBar1->widgetForAction(a) == BExecSQL) a->setVisible(true);
    setWindowTitle(QStringLiteral("View Table"));
    status[0]->clear();
    Memo1->setFocus();
}

void TFormView::BExecSQLClick() {
    if (mode_ != Mode::View) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        query_->close();
        query_->setSql(fromQ(Memo1->toPlainText()));
        query_->open();
        sortColumn_ = -1;
        sortField_.clear();
        DBGrid1->reload();
        fillColumnList(CheckListBox1, *query_);
        status[0]->setText(toQ(sortStatusText(opt_.showRecordCount ? query_->recordCount() : 0, opt_.showRecordCount)));
    } catch (const std::exception& e) {
        QApplication::restoreOverrideCursor();
        DBGrid1->reload();
        windowPrompts(this).error(e);
        return;
    }
    QApplication::restoreOverrideCursor();
}

void TFormView::addTemplate(SqlTemplate t) {
    const bool open = query_->active();
    const std::string text = sqlTemplate(t, info_.tableNameForCommands, open ? query_->fieldNames() : std::vector<std::string>{}, open);
    if (!text.empty()) Memo1->appendPlainText(toQ(text));
}

// --- Report, search, sums, formats ------------------------------------------------------------------

void TFormView::BViewAndPrintClick() {
    printDataset(this, DBGrid1, opt_.programDir, CBCount->isChecked(), CBPrintWithSum->isChecked());
}

void TFormView::BSearchClick() { openSearchDialog(DBGrid1, this); }
void TFormView::BSumColClick() { openSumDialog(DBGrid1, this); }

void TFormView::SetDisplayFormat1Click() {
    runFormatDialog(TFormFormat::Mode::DisplayFormat, DBGrid1, this);
}

void TFormView::SetFilter1Click() {
    runFormatDialog(TFormFormat::Mode::Filter, DBGrid1, this);
}

void TFormView::CheckListBox1ClickCheck() { applyColumnList(CheckListBox1, dataset(), DBGrid1); }

// --- Keys and closing ---------------------------------------------------------------------------

bool TFormView::gridKey(QKeyEvent* e) {
    if (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
    switch (e->key()) {
    case Qt::Key_Escape:
        close();
        return true;
    case Qt::Key_F7:
        BSearchClick();
        return true;
    case Qt::Key_F3:
        BShowMemoClick(true);
        return true;
    case Qt::Key_F4:
        BScreenGridClick(!BScreenGrid->isChecked());
        return true;
    default:
        return false;
    }
}

bool TFormView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(event);
        if (viewerKey(watched, k)) return true;
        if (watched == Memo1) {
            if (k->key() == Qt::Key_F2) {
                BExecSQLClick();
                return true;
            }
            if ((k->modifiers() & Qt::ControlModifier) && (k->key() == Qt::Key_Up || k->key() == Qt::Key_Down)) {
                Panel4->setFixedHeight(std::max(20, Panel4->height() + (k->key() == Qt::Key_Down ? 5 : -5)));
                return true;
            }
        }
        if (k->key() == Qt::Key_Escape && k->modifiers() == Qt::NoModifier) {
            close();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TFormView::closeEvent(QCloseEvent* e) {
    // An edit not posted is given up, as the grid's cancel-on-exit does; what was posted stays.
    try {
        if (query_->active()) query_->cancel();
        if (table_->active()) table_->cancel();
    } catch (const std::exception&) {
    }
    query_->close();
    query_->setSql(std::string());
    table_->close();
    if (shell::TWindowsMenu* wm = shell::windowsMenu()) {
        if (mode_ == Mode::View) wm->removeWindowEntry(this);
        else if (wm->slotWindow(shell::WindowSlot::Edit) == this) wm->resetSlot(shell::WindowSlot::Edit);
    }
    focusActivePanel();
    e->accept();
}

}  // namespace vlm::datawin
