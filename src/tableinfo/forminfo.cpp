// TFormInfo: the structure window's controls, menus and commands.
#include "tableinfo/forminfo.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QFontDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextStream>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "engine/database.h"
#include "engine/session.h"
#include "shell/errordisplay.h"
#include "shell/language.h"
#include "shell/qtext.h"
#include "shell/windowsmenu.h"

namespace vlm::tableinfo {

using shell::fromQ;
using shell::pick;
using shell::toQ;

namespace {

QString P(const char* ru, const char* en) { return toQ(pick(ru, en)); }

QPlainTextEdit* memo(QWidget* parent, const char* name, bool readOnly = true) {
    auto* m = new QPlainTextEdit(parent);
    m->setObjectName(QString::fromLatin1(name));
    m->setReadOnly(readOnly);
    m->setLineWrapMode(QPlainTextEdit::NoWrap);
    return m;
}

QWidget* page(QTabWidget* tabs, const char* name) {
    auto* w = new QWidget(tabs);
    w->setObjectName(QString::fromLatin1(name));
    auto* l = new QVBoxLayout(w);
    l->setContentsMargins(2, 2, 2, 2);
    return w;
}

QString joinLines(const std::vector<std::string>& lines) {
    QStringList l;
    for (const auto& s : lines) l << toQ(s);
    return l.join(QLatin1Char('\n'));
}

}  // namespace

TFormInfo::TFormInfo(const panels::TTableInfo& info, const InfoContext& context, QWidget* parent)
    : QMainWindow(parent, Qt::Window), info_(info), context_(context) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("FormInfo"));
    ref_ = tableRef(info_, context_.loginUser);
    if (context_.stayOnTop) setWindowFlag(Qt::WindowStaysOnTopHint, true);
    buildControls();
    buildMenus();
    applyLanguage();
    resize(820, 520);
}

TFormInfo::~TFormInfo() = default;

void TFormInfo::showMessageText(const QString& text) {
    if (context_.showMessage) context_.showMessage(text);
    else QMessageBox::information(this, windowTitle(), text);
}

void TFormInfo::buildControls() {
    auto* central = new QWidget(this);
    auto* v = new QVBoxLayout(central);
    v->setContentsMargins(2, 2, 2, 2);
    auto* header = new QFrame(central);
    header->setObjectName(QStringLiteral("Panel2"));
    header->setFrameShape(QFrame::StyledPanel);
    auto* h = new QHBoxLayout(header);
    h->setContentsMargins(6, 3, 6, 3);
    auto label = [&](const char* name) {
        auto* l = new QLabel(header);
        l->setObjectName(QString::fromLatin1(name));
        h->addWidget(l);
        return l;
    };
    auto value = [&](const char* name) {
        QLabel* l = label(name);
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        return l;
    };
    Label1 = label("Label1");
    Panel4 = value("Panel4");
    Label2 = label("Label2");
    Panel5 = value("Panel5");
    Label3 = label("Label3");
    PType = value("PType");
    EditTableComment = new QLineEdit(header);
    EditTableComment->setObjectName(QStringLiteral("EditTableComment"));
    h->addWidget(EditTableComment, 1);
    BSaveTableComment = new QPushButton(header);
    BSaveTableComment->setObjectName(QStringLiteral("BSaveTableComment"));
    BSaveTableComment->setEnabled(false);
    h->addWidget(BSaveTableComment);
    h->addStretch(0);
    const bool comments = ref_.kind == ServerKind::ORACLE || ref_.kind == ServerKind::SQLBASE;
    EditTableComment->setVisible(comments);
    BSaveTableComment->setVisible(comments);
    v->addWidget(header);

    PageControl1 = new QTabWidget(central);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    v->addWidget(PageControl1, 1);

    TabSheetStructure = page(PageControl1, "TabSheetStructure");
    FGrid = new QTableWidget(TabSheetStructure);
    FGrid->setObjectName(QStringLiteral("FGrid"));
    FGrid->setColumnCount(10);
    FGrid->verticalHeader()->hide();
    FGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    FGrid->horizontalHeader()->setHighlightSections(false);
    TabSheetStructure->layout()->addWidget(FGrid);
    auto* editor = new QWidget(TabSheetStructure);
    editor->setObjectName(QStringLiteral("PanelControlFGrid"));
    buildEditor(editor);
    TabSheetStructure->layout()->addWidget(editor);

    TabSheetIndex = page(PageControl1, "TabSheetIndex");
    MemoIndex = memo(TabSheetIndex, "MemoIndex");
    TabSheetIndex->layout()->addWidget(MemoIndex);
    TabSheetShowScript = page(PageControl1, "TabSheetShowScript");
    Memo1 = memo(TabSheetShowScript, "Memo1", false);
    QFont fixed(QStringLiteral("Courier New Cyr"));
    fixed.setStyleHint(QFont::TypeWriter);
    if (!QFontDatabase::families().contains(fixed.family())) fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    Memo1->setFont(fixed);
    TabSheetShowScript->layout()->addWidget(Memo1);
    TabSheetView = page(PageControl1, "TabSheetView");
    MemoView = memo(TabSheetView, "MemoView");
    TabSheetView->layout()->addWidget(MemoView);

    TabSheetTrigger = page(PageControl1, "TabSheetTrigger");
    auto* ts = new QSplitter(TabSheetTrigger);
    ListBoxTrigger = new QListWidget(ts);
    ListBoxTrigger->setObjectName(QStringLiteral("ListBoxTrigger"));
    MemoTrigger = memo(ts, "MemoTrigger");
    ts->addWidget(ListBoxTrigger);
    ts->addWidget(MemoTrigger);
    ts->setStretchFactor(1, 3);
    TabSheetTrigger->layout()->addWidget(ts);

    TabSheetCons = page(PageControl1, "TabSheetCons");
    auto* cs = new QSplitter(TabSheetCons);
    ListBoxCons = new QListWidget(cs);
    ListBoxCons->setObjectName(QStringLiteral("ListBoxCons"));
    auto* right = new QWidget(cs);
    auto* rv = new QVBoxLayout(right);
    rv->setContentsMargins(0, 0, 0, 0);
    PanelTypeCons = new QLabel(right);
    PanelTypeCons->setObjectName(QStringLiteral("PanelTypeCons"));
    rv->addWidget(PanelTypeCons);
    auto* fields = new QLabel(right);
    fields->setObjectName(QStringLiteral("Panel7"));
    rv->addWidget(fields);
    MemoFieldList = memo(right, "MemoFieldList");
    rv->addWidget(MemoFieldList, 1);
    MemoCons = memo(right, "MemoCons");
    rv->addWidget(MemoCons, 2);
    BDropCons = new QPushButton(right);
    BDropCons->setObjectName(QStringLiteral("BDropCons"));
    BDropCons->setEnabled(false);
    rv->addWidget(BDropCons, 0, Qt::AlignLeft);
    cs->addWidget(ListBoxCons);
    cs->addWidget(right);
    cs->setStretchFactor(1, 3);
    TabSheetCons->layout()->addWidget(cs);

    TabSheetSynonyms = page(PageControl1, "TabSheetSynonyms");
    MemoSynonyms = memo(TabSheetSynonyms, "MemoSynonyms");
    TabSheetSynonyms->layout()->addWidget(MemoSynonyms);
    TabSheetDependencies = page(PageControl1, "TabSheetDependencies");
    TreeViewDependencies = new QTreeWidget(TabSheetDependencies);
    TreeViewDependencies->setObjectName(QStringLiteral("TreeViewDependencies"));
    TreeViewDependencies->setHeaderHidden(true);
    TabSheetDependencies->layout()->addWidget(TreeViewDependencies);
    TabSheetPrivileges = page(PageControl1, "TabSheetPrivileges");
    StringGridPriveleges = new QTableWidget(0, 4, TabSheetPrivileges);
    StringGridPriveleges->setObjectName(QStringLiteral("StringGridPriveleges"));
    StringGridPriveleges->verticalHeader()->hide();
    StringGridPriveleges->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TabSheetPrivileges->layout()->addWidget(StringGridPriveleges);
    TabSheetPart = page(PageControl1, "TabSheetPart");
    MemoPart = memo(TabSheetPart, "MemoPart");
    TabSheetPart->layout()->addWidget(MemoPart);

    for (QWidget* w : {TabSheetStructure, TabSheetIndex, TabSheetShowScript, TabSheetView, TabSheetTrigger, TabSheetCons,
                       TabSheetSynonyms, TabSheetDependencies, TabSheetPrivileges, TabSheetPart})
        PageControl1->addTab(w, QString());
    setCentralWidget(central);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    const int widths[3] = {100, 350, 50};
    for (int i = 0; i < 3; ++i) {
        StatusPanels[i] = new QLabel(StatusBar1);
        StatusPanels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        StatusPanels[i]->setFixedWidth(widths[i]);
        StatusBar1->addWidget(StatusPanels[i]);
    }
    setStatusBar(StatusBar1);

    connect(ListBoxTrigger, &QListWidget::currentRowChanged, this, [this](int r) { ListBoxTriggerClick(r); });
    connect(ListBoxTrigger, &QListWidget::itemChanged, this, [this](QListWidgetItem* i) { ListBoxTriggerCheck(i); });
    connect(ListBoxCons, &QListWidget::currentRowChanged, this, [this](int r) { ListBoxConsClick(r); });
    connect(ListBoxCons, &QListWidget::itemChanged, this, [this](QListWidgetItem* i) { ListBoxConsCheck(i); });
    connect(BDropCons, &QPushButton::clicked, this, [this] { BDropConsClick(); });
    connect(BSaveTableComment, &QPushButton::clicked, this, [this] { BSaveTableCommentClick(); });
    connect(EditTableComment, &QLineEdit::textEdited, this, [this] {
        BSaveTableComment->setEnabled(true);
        EditTableComment->setBackgroundRole(QPalette::Base);
        EditTableComment->setPalette(QPalette());
    });
}

void TFormInfo::buildMenus() {
    menuBar()->setObjectName(QStringLiteral("MainMenu1"));
    auto add = [this](QMenu* m, const char* name, std::function<void()> f) {
        auto* a = new QAction(m);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, [f] { f(); });
        m->addAction(a);
        return a;
    };
    QMenu* file = menuBar()->addMenu(QString());
    file->setObjectName(QStringLiteral("File1"));
    SaveAs2 = add(file, "SaveAs2", [this] { SaveAs2Click(); });
    SaveAs2->setEnabled(false);
    file->addSeparator();
    Exit1 = add(file, "Exit1", [this] { close(); });
    QMenu* show = menuBar()->addMenu(QString());
    show->setObjectName(QStringLiteral("Show1"));
    ShowStructure = add(show, "ShowStructureAsText1", [this] { ShowStructureAsTextClick(); });
    ShowCreateSql = add(show, "ShowCreateSQLScript1", [this] { ShowCreateSqlClick(); });
    ShowInsertSql = add(show, "ShowInsertSQLScript1", [this] { ShowInsertSqlClick(); });
    ShowUpdateSql = add(show, "ShowUpdateSQLScript1", [this] { ShowUpdateSqlClick(); });
    ShowPrivileges = add(show, "ShowPrivilegesAsSQLScript1", [this] { ShowPrivilegesClick(); });
    ShowPrivileges->setEnabled(false);
    show->addSeparator();
    ClearShowWindow = add(show, "ClearShowWindow1", [this] { ClearShowWindowClick(); });
    FontShowWindow = add(show, "FontShowWindow1", [this] { FontShowWindowClick(); });
    QMenu* objects = menuBar()->addMenu(QString());
    objects->setObjectName(QStringLiteral("Objects1"));
    const char* names[] = {"Structure1", "Indexes1", "Show2", "View1", "Triggers1", "Constraints1", "Synonyms1"};
    QWidget* tabs[] = {TabSheetStructure, TabSheetIndex, TabSheetShowScript, TabSheetView, TabSheetTrigger, TabSheetCons,
                       TabSheetSynonyms};
    for (int i = 0; i < 7; ++i) {
        QWidget* tab = tabs[i];
        objectEntries.push_back(add(objects, names[i], [this, tab] { PageControl1->setCurrentWidget(tab); }));
    }
}

void TFormInfo::applyLanguage() {
    Label1->setText(P("Алиас:", "Alias:"));
    Label2->setText(P("Таблица:", "Table:"));
    Label3->setText(P("Тип:", "Type:"));
    BSaveTableComment->setText(P("Сохранить", "Save"));
    const struct {
        QWidget* tab;
        const char *ru, *en;
    } tabs[] = {{TabSheetStructure, "Структура", "Structure"},
                {TabSheetIndex, "Индексы", "Indexes"},
                {TabSheetShowScript, "Окно просмотра", "Show"},
                {TabSheetView, "Текст View", "Text View"},
                {TabSheetTrigger, "Триггеры", "Triggers"},
                {TabSheetCons, "Ограничения", "Constraints"},
                {TabSheetSynonyms, "Синонимы", "Synonyms"},
                {TabSheetDependencies, "Зависимости", "Dependencies"},
                {TabSheetPrivileges, "Привилегии", "Object Privileges"},
                {TabSheetPart, "Партиции", "Partitions"}};
    for (const auto& t : tabs) PageControl1->setTabText(PageControl1->indexOf(t.tab), P(t.ru, t.en));
    structureCaption_ = P("Структура", "Structure");
    menuBar()->findChild<QMenu*>(QStringLiteral("File1"))->setTitle(P("Файл", "File"));
    menuBar()->findChild<QMenu*>(QStringLiteral("Show1"))->setTitle(P("Показать", "Show"));
    menuBar()->findChild<QMenu*>(QStringLiteral("Objects1"))->setTitle(P("Объекты", "Objects"));
    SaveAs2->setText(P("Сохранить окно просмотра как ...", "Save As ..."));
    Exit1->setText(P("Выход", "Exit"));
    ShowStructure->setText(P("Структуру как текст", "Show Structure As Text"));
    ShowCreateSql->setText(P("Create SQL", "Show Create SQL Script"));
    ShowInsertSql->setText(P("Insert SQL", "Show Insert SQL Script"));
    ShowUpdateSql->setText(P("Update SQL", "Show Update SQL Script"));
    ShowPrivileges->setText(P("Привилегии как SQL", "Show Privileges As SQL Script"));
    ClearShowWindow->setText(P("Очистить окно просмотра", "Clear Show Window"));
    FontShowWindow->setText(P("Шрифт окна просмотра", "Font Show Window"));
    const char* ru[] = {"Структура", "Индексы", "Окно просмотра", "Тект View", "Триггеры", "Ограничения", "Синонимы"};
    const char* en[] = {"Structure", "Indexes", "Show", "View", "Triggers", "Constraints", "Synonyms"};
    for (int i = 0; i < 7; ++i) objectEntries[i]->setText(P(ru[i], en[i]));
    if (auto* f = findChild<QLabel*>(QStringLiteral("Panel7"))) f->setText(P("Поля", "Fields"));
    BDropCons->setText(P("Удалить", "Drop"));

    const bool ib = ref_.kind == ServerKind::INTERBASE;
    const bool comments = ref_.kind == ServerKind::ORACLE || ref_.kind == ServerKind::SQLBASE;
    const QStringList heads{P("Призн", "Status"), QStringLiteral("№"), P("Имя поля", "Field Name"),
                            P("Тип поля", "Field Type"), P("Размер", "Size"), P("Дробн", "Scale"),
                            P("Пустота", "Nullable"), P("По умолчанию", "Deafult"),
                            ib ? P("Размерность", "Dimensions") : QString(),
                            comments ? P("Комментарий", "Comments") : QString()};
    FGrid->setHorizontalHeaderLabels(heads);
    const int widths[10] = {40, 25, 150, 120, 45, 40, 50, 80, ib ? 200 : 5, comments ? 200 : 5};
    for (int i = 0; i < 10; ++i) FGrid->setColumnWidth(i, widths[i]);
    StringGridPriveleges->setHorizontalHeaderLabels(
        {P("Кто", "GRANTOR"), P("Кому", "GRANTEE"), P("Привилеегия", "Privilege"), QStringLiteral("GRANTABLE")});
    const int pw[4] = {100, 100, 300, 100};
    for (int i = 0; i < 4; ++i) StringGridPriveleges->setColumnWidth(i, pw[i]);

    // Caption: "Info: DRIVER Table", " VIEW" for a view; local tables name their type.
    QString caption = P("Информация", "Info") + QStringLiteral(": ") + toQ(info_.driverName);
    if (info_.isSqlBased) caption += info_.isView ? QStringLiteral(" VIEW") : QStringLiteral(" Table");
    else caption += QStringLiteral(" ") + toQ(info_.tableType) + QStringLiteral(" Table");
    setWindowTitle(caption);
}

void TFormInfo::setTabShown(QWidget* tab, bool shown) {
    PageControl1->setTabVisible(PageControl1->indexOf(tab), shown);
    for (std::size_t i = 0; i < objectEntries.size(); ++i)
        if (PageControl1->widget(int(i)) == tab) objectEntries[i]->setEnabled(shown);
}

void TFormInfo::addGridRow(const ColumnRow& row) {
    int r = FGrid->rowCount();
    auto cell = [&](int c) {
        auto* it = FGrid->item(r, c);
        if (!it) {
            it = new QTableWidgetItem;
            FGrid->setItem(r, c, it);
        }
        return it;
    };
    // While the grid holds only the empty row, that row is filled.
    if (r == 1) {
        QString joined;
        for (int c : {1, 2, 3, 4, 6}) joined += FGrid->item(0, c) ? FGrid->item(0, c)->text() : QString();
        if (joined.trimmed().size() < 6) r = 0;
    }
    if (r == FGrid->rowCount()) FGrid->setRowCount(r + 1);
    cell(0)->setText(QString());
    cell(1)->setText(QString::number(r + 1));
    cell(2)->setText(toQ(row.name));
    cell(3)->setText(toQ(row.type));
    cell(4)->setText(QString::number(ddlNumber(row.size)));
    cell(5)->setText(QString::number(ddlNumber(row.scale)));
    cell(6)->setText(row.nullable.empty() ? QStringLiteral("True") : toQ(row.nullable));
    cell(7)->setText(toQ(row.defaultText));
    cell(8)->setText(toQ(row.dimensions));
    cell(9)->setText(toQ(row.comment));
}

void TFormInfo::fillGrid() {
    FGrid->setRowCount(1);
    for (int c = 0; c < 10; ++c) FGrid->setItem(0, c, new QTableWidgetItem);
    FGrid->item(0, 1)->setText(QStringLiteral("1"));
    FGrid->item(0, 6)->setText(QStringLiteral("True"));
    for (const ColumnRow& r : data_.columns) addGridRow(r);
}

void TFormInfo::showErrorText(const std::string& text) {
    if (context_.showError) context_.showError(toQ(text));
    else shell::showError(toQ(text), this);
}

void TFormInfo::load() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Panel4->setText(toQ(info_.databaseName));
    Panel5->setText(toQ(info_.tableName));
    PType->setText(toQ(info_.tableType + " " + info_.oracleVersion));
    db_ = std::make_unique<engine::Database>();
    bool opened = false;
    try {
        db_->setDatabaseName(info_.databaseName);
        db_->params() = context_.params;
        const std::string type = db_->session().databaseType(info_.driverName);
        if (!type.empty()) PageControl1->setTabText(PageControl1->indexOf(TabSheetStructure), toQ(type) + " " + structureCaption_);
        db_->open();
        opened = true;
        data_ = readTableInfo(*db_, ref_);
    } catch (const std::exception& e) {
        data_.errors.push_back(e.what());
    }
    if (opened) loadRelated();
    fillGrid();
    if (!data_.partitionCount.empty()) Label2->setText(Label2->text() + toQ(data_.partitionCount));
    MemoIndex->setPlainText(joinLines(data_.indexes));
    MemoView->setPlainText(joinLines(data_.viewSource));
    MemoSynonyms->setPlainText(joinLines(data_.synonyms));
    MemoPart->setPlainText(joinLines(data_.partitions));
    setTabShown(TabSheetIndex, !data_.indexes.empty());
    setTabShown(TabSheetView, !data_.viewSource.empty());
    setTabShown(TabSheetSynonyms, !data_.synonyms.empty());
    setTabShown(TabSheetPart, !data_.partitions.empty());
    setTabShown(TabSheetTrigger, ListBoxTrigger->count() > 0);
    setTabShown(TabSheetCons, ListBoxCons->count() > 0);
    setTabShown(TabSheetDependencies, TreeViewDependencies->topLevelItemCount() > 0);
    setTabShown(TabSheetPrivileges, StringGridPriveleges->rowCount() > 0);
    ShowPrivileges->setEnabled(StringGridPriveleges->rowCount() > 0);
    StatusPanels[1]->setText(toQ(info_.tableName));
    QApplication::restoreOverrideCursor();
    FGrid->setFocus();
    setEditorIdle();
    for (const auto& e : data_.errors) showErrorText(e);
}

std::vector<ColumnRow> TFormInfo::gridRows() const {
    std::vector<ColumnRow> rows;
    for (int r = 0; r < FGrid->rowCount(); ++r) {
        auto t = [&](int c) { return FGrid->item(r, c) ? fromQ(FGrid->item(r, c)->text()) : std::string(); };
        rows.push_back({t(2), t(3), t(4), t(5), t(6), t(7), t(8), t(9)});
    }
    return rows;
}

std::vector<std::string> TFormInfo::scriptLines() const {
    std::vector<std::string> out;
    const QString text = Memo1->toPlainText();
    if (text.isEmpty()) return out;
    for (const QString& l : text.split(QLatin1Char('\n'))) out.push_back(fromQ(l));
    return out;
}

void TFormInfo::appendScript(const std::vector<std::string>& lines, bool replace) {
    if (replace) Memo1->clear();
    for (const auto& l : lines) Memo1->appendPlainText(toQ(l));
    PageControl1->setCurrentWidget(TabSheetShowScript);
    SaveAs2->setEnabled(true);
}

void TFormInfo::ShowStructureAsTextClick() {
    std::vector<std::vector<std::string>> grid;
    std::vector<std::string> header;
    for (int c = 0; c < 10; ++c) header.push_back(fromQ(FGrid->horizontalHeaderItem(c)->text()));
    grid.push_back(header);
    std::vector<std::string> comments;
    for (const ColumnRow& r : gridRows()) {
        grid.push_back({"", "", r.name, r.type, r.size, r.scale, r.nullable, r.defaultText, r.dimensions});
        comments.push_back(r.comment);
    }
    for (int r = 0; r < FGrid->rowCount(); ++r) grid[r + 1][1] = FGrid->item(r, 1) ? fromQ(FGrid->item(r, 1)->text()) : "";
    const bool withComments = ref_.kind == ServerKind::ORACLE || ref_.kind == ServerKind::SQLBASE;
    appendScript(structureText(info_.tableName, grid, comments, withComments, pick("Комментарий", "Comments")), false);
}

void TFormInfo::ShowCreateSqlClick() {
    bool ok = true;
    auto lines = showCreateScript(ref_.target(), info_.tableName, gridRows(), data_.storage, &ok, data_.primaryKey);
    appendScript(lines, true);
    if (!ok) showErrorText(pick("Нет имени поля или типа!", "No field NAME or TYPE!"));
}

void TFormInfo::ShowInsertSqlClick() {
    std::vector<std::string> names;
    for (const ColumnRow& r : gridRows()) names.push_back(quoteName(r.name, ref_.target().nameCase));
    appendScript(insertTemplate(quoteTable(info_.tableName, ref_.target()), names), false);
}

void TFormInfo::ShowUpdateSqlClick() {
    std::vector<std::string> names;
    for (const ColumnRow& r : gridRows()) names.push_back(quoteName(r.name, ref_.target().nameCase));
    appendScript(updateTemplate(quoteTable(info_.tableName, ref_.target()), names), false);
}

void TFormInfo::ShowPrivilegesClick() {
    std::vector<Privilege> rows;
    for (int r = 0; r < StringGridPriveleges->rowCount(); ++r) {
        auto t = [&](int c) { return StringGridPriveleges->item(r, c) ? fromQ(StringGridPriveleges->item(r, c)->text()) : ""; };
        rows.push_back({t(0), t(1), t(2), t(3)});
    }
    appendScript(privilegeScript(rows, ref_.owner, ref_.name), false);
}

void TFormInfo::ClearShowWindowClick() {
    Memo1->clear();
    SaveAs2->setEnabled(false);
}

void TFormInfo::FontShowWindowClick() {
    bool ok = false;
    QFont f = QFontDialog::getFont(&ok, Memo1->font(), this);
    if (ok) Memo1->setFont(f);
}

bool TFormInfo::saveScriptTo(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        showErrorText(fromQ(f.errorString()) + ": " + fromQ(path));
        return false;
    }
    QTextStream out(&f);
    for (const auto& l : scriptLines()) out << toQ(l) << '\n';
    return true;
}

void TFormInfo::SaveAs2Click() {
    QFileDialog d(this, P("Сохранить файл", "Create File"));
    d.setObjectName(QStringLiteral("SaveDialog1"));
    d.setAcceptMode(QFileDialog::AcceptSave);
    d.setNameFilters({QStringLiteral("SQL Script File (*.SQL)"), QStringLiteral("Text File (*.TXT)")});
    d.setDefaultSuffix(QStringLiteral("SQL"));
    d.setOption(QFileDialog::DontConfirmOverwrite, false);
    connect(&d, &QFileDialog::filterSelected, &d, [&d](const QString& filter) {
        d.setDefaultSuffix(filter.contains(QLatin1String("TXT")) ? QStringLiteral("txt") : QStringLiteral("sql"));
    });
    if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty()) return;
    saveScriptTo(d.selectedFiles().front());
}

void TFormInfo::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QMainWindow::keyPressEvent(e);
}

void TFormInfo::closeEvent(QCloseEvent* e) {
    if (shell::TWindowsMenu* m = shell::windowsMenu()) m->removeWindowEntry(this);
    if (context_.closed) context_.closed();
    QMainWindow::closeEvent(e);
}

}  // namespace vlm::tableinfo
