// The engine administrator window (see formbdeadm.h).
#include "admin/formbdeadm.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "admin/formnewalias.h"
#include "engine/config.h"
#include "engine/session.h"
#include "shell/language.h"
#include "shell/prompts.h"
#include "shell/qtext.h"

namespace vlm::admin {

namespace {
constexpr int kValueRole = Qt::UserRole;        // a secret's value as typed; the cell shows its mask
constexpr int kSecretRole = Qt::UserRole + 1;

QString joined(const std::vector<std::string>& l) {
    QStringList out;
    for (const auto& s : l) out << shell::toQ(s);
    return out.join(QLatin1Char('\n'));
}

// Secret values: the cell shows "*" per character, the editor hides what is typed.
class SecretDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& o, const QModelIndex& i) const override {
        QWidget* w = QStyledItemDelegate::createEditor(parent, o, i);
        if (auto* e = qobject_cast<QLineEdit*>(w); e && i.data(kSecretRole).toBool()) e->setEchoMode(QLineEdit::Password);
        return w;
    }
    void setEditorData(QWidget* editor, const QModelIndex& i) const override {
        auto* e = qobject_cast<QLineEdit*>(editor);
        if (e && i.data(kSecretRole).toBool()) e->setText(i.data(kValueRole).toString());
        else QStyledItemDelegate::setEditorData(editor, i);
    }
    void setModelData(QWidget* editor, QAbstractItemModel* m, const QModelIndex& i) const override {
        auto* e = qobject_cast<QLineEdit*>(editor);
        if (e && i.data(kSecretRole).toBool()) {
            m->setData(i, e->text(), kValueRole);
            m->setData(i, shell::toQ(maskText(shell::fromQ(e->text()))), Qt::EditRole);
        } else {
            QStyledItemDelegate::setModelData(editor, m, i);
        }
    }
};

QTableWidget* paramGrid(QWidget* parent) {
    auto* g = new QTableWidget(parent);
    g->setColumnCount(2);
    g->setHorizontalHeaderLabels({QStringLiteral("Parameter name"), QStringLiteral("Value")});
    g->verticalHeader()->setDefaultSectionSize(18);
    g->verticalHeader()->setVisible(false);
    g->setColumnWidth(0, 180);
    g->horizontalHeader()->setStretchLastSection(true);   // column 1 takes the rest, also on resize
    g->setItemDelegate(new SecretDelegate(g));
    return g;
}

QPlainTextEdit* readOnlyMemo() {
    auto* m = new QPlainTextEdit;
    m->setReadOnly(true);
    m->setLineWrapMode(QPlainTextEdit::NoWrap);
    return m;
}

QToolButton* toolButton(QToolBar* bar, const char* name, const QString& text, const char* hint) {
    auto* b = new QToolButton(bar);
    b->setObjectName(QLatin1String(name));
    b->setText(text);
    b->setToolTip(shell::hintText(hint));
    bar->addWidget(b);
    return b;
}
}  // namespace

TFormBDEADM::TFormBDEADM(const AdminContext& context, QWidget* parent)
    : QMainWindow(parent), context_(context), session_(*context.session) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlag(Qt::Window);
    setObjectName(QStringLiteral("FormBDEADM"));
    resize(600, 400);
    setWindowTitle(QStringLiteral("Orm Simple BDE Administrator"));

    auto* bar = addToolBar(QStringLiteral("ToolBar1"));
    bar->setMovable(false);
    BNew = toolButton(bar, "BNew", QStringLiteral("New"), "Новый алиас");
    BSave = toolButton(bar, "BSave", QStringLiteral("Save"), "Сохранить файл\r\nконфигурации IDAPI32.CFG");
    BDelete = toolButton(bar, "BDelete", QStringLiteral("Delete"), "Удалить алиас");
    BExit = toolButton(bar, "BExit", QStringLiteral("Exit"), "Выход");
    statusBar();

    PageControl1 = new QTabWidget(this);
    setCentralWidget(PageControl1);

    // Databases.
    TabSheetDatabases = new QWidget;
    auto* dbSplit = new QHBoxLayout(TabSheetDatabases);
    ListBoxDatabases = new QListWidget;
    ListBoxDatabases->setObjectName(QStringLiteral("ListBoxDatabases"));
    ListBoxDatabases->setMaximumWidth(170);
    dbSplit->addWidget(ListBoxDatabases);
    auto* dbRight = new QVBoxLayout;
    auto* panel1 = new QHBoxLayout;
    BApplyDatabases = new QPushButton(QStringLiteral("Apply"));
    BApplyDatabases->setToolTip(shell::hintText("Сохранить изменения алиаса\r\nв текущей сессии."));
    BCancelApplyDatabases = new QPushButton(QStringLiteral("Cancel"));
    BCancelApplyDatabases->setToolTip(shell::hintText("Отказаться от изменений"));
    Label1 = new QLabel(QStringLiteral("Driver type:"));
    DataBaseType1 = new QLabel;
    panel1->addWidget(BApplyDatabases);
    panel1->addWidget(BCancelApplyDatabases);
    panel1->addWidget(Label1);
    panel1->addWidget(DataBaseType1, 1);
    dbRight->addLayout(panel1);
    GridDatabases = paramGrid(TabSheetDatabases);
    GridDatabases->setObjectName(QStringLiteral("GridDatabases"));
    dbRight->addWidget(GridDatabases);
    dbSplit->addLayout(dbRight, 1);
    CBLDList = new QComboBox(GridDatabases->viewport());
    CBLDList->hide();
    PageControl1->addTab(TabSheetDatabases, QStringLiteral("Databases"));

    // Drivers.
    TabSheetDrivers = new QWidget;
    auto* drSplit = new QHBoxLayout(TabSheetDrivers);
    ListBoxDrivers = new QListWidget;
    ListBoxDrivers->setObjectName(QStringLiteral("ListBoxDrivers"));
    ListBoxDrivers->setMaximumWidth(170);
    drSplit->addWidget(ListBoxDrivers);
    PageControl3 = new QTabWidget;
    PageControl3->setTabPosition(QTabWidget::South);
    TabSheetDBOPEN = new QWidget;
    auto* openLay = new QVBoxLayout(TabSheetDBOPEN);
    auto* panel2 = new QHBoxLayout;
    BApplayDrivers = new QPushButton(QStringLiteral("Apply"));
    BApplayDrivers->setToolTip(shell::hintText("Сохранить изменения драйвера\r\nв текущей сессии."));
    BCancelApplayDrivers = new QPushButton(QStringLiteral("Cancel"));
    BCancelApplayDrivers->setToolTip(shell::hintText("Отказаться от изменений"));
    Label2 = new QLabel(QStringLiteral("Driver type:"));
    DataBaseType2 = new QLabel;
    panel2->addWidget(BApplayDrivers);
    panel2->addWidget(BCancelApplayDrivers);
    panel2->addWidget(Label2);
    panel2->addWidget(DataBaseType2, 1);
    openLay->addLayout(panel2);
    GridDrivers = paramGrid(TabSheetDBOPEN);
    GridDrivers->setObjectName(QStringLiteral("GridDrivers"));
    openLay->addWidget(GridDrivers);
    CBLDListD = new QComboBox(GridDrivers->viewport());
    CBLDListD->hide();
    PageControl3->addTab(TabSheetDBOPEN, QStringLiteral("DB OPEN"));
    TabSheetDBINIT = new QWidget;
    auto* initLay = new QVBoxLayout(TabSheetDBINIT);
    MemoDBINIT = readOnlyMemo();
    initLay->addWidget(MemoDBINIT);
    PageControl3->addTab(TabSheetDBINIT, QStringLiteral("INIT"));
    drSplit->addWidget(PageControl3, 1);
    PageControl1->addTab(TabSheetDrivers, QStringLiteral("Drivers"));

    // System.
    TabSheetSystem = new QWidget;
    auto* sysLay = new QVBoxLayout(TabSheetSystem);
    PageControl2 = new QTabWidget;
    PageControl2->setTabPosition(QTabWidget::South);
    MemoINIT = readOnlyMemo();
    MemoDate = readOnlyMemo();
    MemoTime = readOnlyMemo();
    MemoNumber = readOnlyMemo();
    PageControl2->addTab(MemoINIT, QStringLiteral("INIT"));
    PageControl2->addTab(MemoDate, QStringLiteral("Date"));
    PageControl2->addTab(MemoTime, QStringLiteral("Time"));
    PageControl2->addTab(MemoNumber, QStringLiteral("Number"));
    sysLay->addWidget(PageControl2);
    PageControl1->addTab(TabSheetSystem, QStringLiteral("System"));

    // Opening: caption, lists, system pages, language drivers.
    setWindowTitle(shell::toQ(adminCaption(session_.engineVersion())));
    readAliasNames();
    for (const auto& d : session_.driverNames()) ListBoxDrivers->addItem(shell::toQ(d));
    MemoINIT->setPlainText(joined(configLines(session_, "\\SYSTEM\\INIT")));
    MemoDate->setPlainText(joined(configLines(session_, "\\SYSTEM\\FORMATS\\DATE")));
    MemoTime->setPlainText(joined(configLines(session_, "\\SYSTEM\\FORMATS\\TIME")));
    MemoNumber->setPlainText(joined(configLines(session_, "\\SYSTEM\\FORMATS\\NUMBER")));
    pick_ = languagePick(session_.languageDrivers());
    for (QComboBox* c : {CBLDList, CBLDListD}) {
        for (const auto& e : pick_.entries) c->addItem(shell::toQ(e.description), e.nameIndex);
        c->setCurrentIndex(-1);
    }
    resetAliasGrid();
    fillGrid(GridDrivers, {});
    // A hand-edited file with lines the engine could not read: its messages name file and line.
    if (!session_.configErrors().empty()) {
        QStringList errs;
        for (const auto& e : session_.configErrors()) errs << shell::toQ(e);
        statusBar()->showMessage(errs.join(QStringLiteral("; ")));
    }

    connect(BExit, &QToolButton::clicked, this, &QWidget::close);
    connect(BNew, &QToolButton::clicked, this, &TFormBDEADM::BNewClick);
    connect(BSave, &QToolButton::clicked, this, &TFormBDEADM::BSaveClick);
    connect(BDelete, &QToolButton::clicked, this, &TFormBDEADM::BDeleteClick);
    connect(PageControl1, &QTabWidget::currentChanged, this, &TFormBDEADM::PageControl1Change);
    connect(ListBoxDatabases, &QListWidget::currentRowChanged, this, [this] { ListBoxDatabasesClick(); });
    connect(ListBoxDrivers, &QListWidget::currentRowChanged, this, [this] { ListBoxDriversClick(); });
    connect(BApplyDatabases, &QPushButton::clicked, this, &TFormBDEADM::BApplyDatabasesClick);
    connect(BCancelApplyDatabases, &QPushButton::clicked, this, &TFormBDEADM::ListBoxDatabasesClick);
    connect(BApplayDrivers, &QPushButton::clicked, this, &TFormBDEADM::BApplayDriversClick);
    connect(BCancelApplayDrivers, &QPushButton::clicked, this, &TFormBDEADM::ListBoxDriversClick);
    for (QTableWidget* g : {GridDatabases, GridDrivers}) {
        connect(g, &QTableWidget::cellClicked, this, [this, g](int r, int c) { GridCellClick(g, r, c); });
        connect(g, &QTableWidget::itemChanged, this, [this, g] {
            if (filling_) return;
            (g == GridDatabases ? aliasDirty_ : driverDirty_) = true;
        });
    }
    for (QComboBox* c : {CBLDList, CBLDListD}) {
        connect(c, &QComboBox::activated, this, [this, c](int i) { PickChosen(c, i); });
        c->installEventFilter(this);
    }

    askNewAlias = [this](const QStringList& drivers, QString& alias, QString& driver) {
        TFormNewAlias d(drivers, this);
        d.exec();
        alias = d.aliasName();
        driver = d.driverName();
    };
}

bool TFormBDEADM::eventFilter(QObject* watched, QEvent* event) {
    // Leaving a pick list (not for its own drop-down) hides it and gives the grid the focus.
    if (event->type() == QEvent::FocusOut && (watched == CBLDList || watched == CBLDListD) &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
        auto* pick = static_cast<QComboBox*>(watched);
        if (pick->isVisible()) {
            pick->hide();
            (pick == CBLDList ? GridDatabases : GridDrivers)->setFocus();
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFormBDEADM::showError(const std::exception& e) {
    if (context_.prompts) context_.prompts->error(e);
}

void TFormBDEADM::readAliasNames() {
    ListBoxDatabases->blockSignals(true);
    ListBoxDatabases->clear();
    for (const auto& a : session_.aliasNames()) ListBoxDatabases->addItem(shell::toQ(a));
    ListBoxDatabases->setCurrentRow(-1);
    ListBoxDatabases->blockSignals(false);
}

void TFormBDEADM::resetAliasGrid() {
    alias_.clear();
    fillGrid(GridDatabases, {});
    aliasDirty_ = false;
}

void TFormBDEADM::fillGrid(QTableWidget* grid, const std::vector<ParamRow>& rows) {
    grid->blockSignals(true);
    grid->setRowCount(0);
    grid->setRowCount(std::max<int>(1, int(rows.size())));
    for (int r = 0; r < grid->rowCount(); ++r) {
        ParamRow p = std::size_t(r) < rows.size() ? rows[std::size_t(r)] : ParamRow{};
        auto* name = new QTableWidgetItem(shell::toQ(p.name));
        auto* value = new QTableWidgetItem;
        if (isSecretParam(p.name)) {
            value->setData(kSecretRole, true);
            value->setData(kValueRole, shell::toQ(p.value));
            value->setText(shell::toQ(maskText(p.value)));
        } else {
            value->setText(shell::toQ(p.value));
        }
        grid->setItem(r, 0, name);
        grid->setItem(r, 1, value);
    }
    grid->setColumnWidth(0, 180);
    grid->blockSignals(false);
}

std::vector<ParamRow> TFormBDEADM::gridRows(const QTableWidget* grid) {
    std::vector<ParamRow> rows;
    for (int r = 0; r < grid->rowCount(); ++r) {
        const QTableWidgetItem* n = grid->item(r, 0);
        const QTableWidgetItem* v = grid->item(r, 1);
        QString value = !v ? QString() : v->data(kSecretRole).toBool() ? v->data(kValueRole).toString() : v->text();
        rows.push_back({n ? shell::fromQ(n->text()) : std::string(), shell::fromQ(value)});
    }
    return rows;
}

void TFormBDEADM::PageControl1Change() {
    bool databases = PageControl1->currentWidget() == TabSheetDatabases;
    BNew->setEnabled(databases);
    BDelete->setEnabled(databases);
}

void TFormBDEADM::selectAlias(const QString& name) {
    auto found = ListBoxDatabases->findItems(name, Qt::MatchFixedString);
    if (found.isEmpty()) return;
    int row = ListBoxDatabases->row(found.front());
    if (ListBoxDatabases->currentRow() == row) ListBoxDatabasesClick();
    else ListBoxDatabases->setCurrentRow(row);
}

void TFormBDEADM::selectDriver(const QString& name) {
    auto found = ListBoxDrivers->findItems(name, Qt::MatchFixedString);
    if (found.isEmpty()) return;
    int row = ListBoxDrivers->row(found.front());
    if (ListBoxDrivers->currentRow() == row) ListBoxDriversClick();
    else ListBoxDrivers->setCurrentRow(row);
}

void TFormBDEADM::ListBoxDatabasesClick() {
    CBLDList->hide();
    QListWidgetItem* it = ListBoxDatabases->currentItem();
    if (!it) return;
    alias_ = shell::fromQ(it->text());
    std::vector<std::string> lines;
    try {
        lines = session_.aliasParams(alias_);
    } catch (const std::exception& e) {
        showError(e);   // the grid is filled from what was read
    }
    session_.setConfigMode(engine::ConfigMode::Virtual);
    filling_ = true;
    fillGrid(GridDatabases, paramRows(lines));
    filling_ = false;
    aliasDirty_ = false;
    std::string driver;
    try {
        driver = session_.aliasDriverName(alias_);
    } catch (const std::exception&) {
        // an alias whose driver cannot be told shows no driver type
    }
    DataBaseType1->setText(shell::toQ(driver.empty() ? std::string() : session_.databaseType(driver)));
}

void TFormBDEADM::BApplyDatabasesClick() {
    CBLDList->hide();
    if (alias_.empty()) return;
    try {
        session_.modifyAlias(alias_, paramLines(gridRows(GridDatabases)));
        aliasDirty_ = false;
    } catch (const std::exception& e) {
        showError(e);   // the grid keeps the edits
    }
}

void TFormBDEADM::ListBoxDriversClick() {
    CBLDListD->hide();
    QListWidgetItem* it = ListBoxDrivers->currentItem();
    if (!it) return;
    driver_ = shell::fromQ(it->text());
    std::vector<std::string> lines;
    try {
        lines = session_.driverParams(driver_);
    } catch (const std::exception& e) {
        showError(e);
    }
    filling_ = true;
    fillGrid(GridDrivers, paramRows(lines));
    filling_ = false;
    driverDirty_ = false;
    DataBaseType2->setText(shell::toQ(session_.databaseType(driver_)));
    MemoDBINIT->setPlainText(joined(configLines(session_, engine::Config::driverInitPath(driver_))));
}

void TFormBDEADM::BApplayDriversClick() {
    CBLDListD->hide();
    if (driver_.empty()) return;
    try {
        session_.modifyDriverParams(driver_, paramLines(gridRows(GridDrivers)));
        driverDirty_ = false;
    } catch (const std::exception& e) {
        showError(e);
    }
}

bool TFormBDEADM::applyPending() {
    if (aliasDirty_) BApplyDatabasesClick();
    if (driverDirty_) BApplayDriversClick();
    return !aliasDirty_ && !driverDirty_;
}

void TFormBDEADM::BSaveClick() {
    if (!context_.prompts || !context_.prompts->question(QStringLiteral("Сохранить изменения в IDAPI32.CFG ?"))) return;
    // What the grids show is what the file gets: edits not yet applied are applied first.
    if (!applyPending()) return;
    try {
        session_.saveConfigFile();
        statusBar()->showMessage(shell::toQ(session_.configPath()));
    } catch (const std::exception& e) {
        showError(e);
    }
}

void TFormBDEADM::BNewClick() {
    if (!context_.prompts || !context_.prompts->question(QStringLiteral("Добавить алиас ?"))) return;
    QStringList drivers;
    for (const auto& d : session_.driverNames()) drivers << shell::toQ(d);
    QString alias, driver;
    askNewAlias(drivers, alias, driver);
    if (alias.trimmed().isEmpty() && driver.trimmed().isEmpty()) return;   // cancelled
    try {
        addNewAlias(session_, shell::fromQ(alias), shell::fromQ(driver));
    } catch (const std::exception& e) {
        showError(e);
        return;
    }
    readAliasNames();
    resetAliasGrid();
    DataBaseType1->clear();
}

void TFormBDEADM::BDeleteClick() {
    QListWidgetItem* it = ListBoxDatabases->currentItem();
    if (!it) return;
    QString name = it->text();
    if (!context_.prompts ||
        !context_.prompts->question(QStringLiteral("Удалить алиас ") + name + QStringLiteral(" ?")))
        return;
    try {
        session_.deleteAlias(shell::fromQ(name));
    } catch (const std::exception& e) {
        showError(e);
        return;
    }
    readAliasNames();
    resetAliasGrid();
    DataBaseType1->clear();
}

void TFormBDEADM::GridCellClick(QTableWidget* grid, int row, int column) {
    QComboBox* pick = grid == GridDatabases ? CBLDList : CBLDListD;
    pick->hide();
    const QTableWidgetItem* name = grid->item(row, 0);
    if (column != 1 || !name || !isLanguageDriverParam(shell::fromQ(name->text()))) return;
    QRect cell = grid->visualRect(grid->model()->index(row, 1));
    pick->setGeometry(cell.left() + 1, cell.top() + 1, std::max(40, grid->columnWidth(1) - 10), cell.height() + 2);
    const QTableWidgetItem* value = grid->item(row, 1);
    pick->setCurrentIndex(pick_.entryForValue(value ? shell::fromQ(value->text()) : std::string()));
    pick->setProperty("row", row);
    pick->show();
    pick->setFocus();
}

void TFormBDEADM::PickChosen(QComboBox* pick, int entry) {
    QTableWidget* grid = pick == CBLDList ? GridDatabases : GridDrivers;
    pick->hide();
    int row = pick->property("row").toInt();
    int nameIndex = entry >= 0 ? pick->itemData(entry).toInt() : -1;
    if (nameIndex >= 0 && std::size_t(nameIndex) < pick_.names.size() && row < grid->rowCount()) {
        if (!grid->item(row, 1)) grid->setItem(row, 1, new QTableWidgetItem);
        grid->item(row, 1)->setText(shell::toQ(pick_.names[std::size_t(nameIndex)]));
    }
    grid->setFocus();
}

}  // namespace vlm::admin
