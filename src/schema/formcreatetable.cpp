// TFormCreateTable: the create window's controls and their events.
#include "schema/formcreatetable.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "engine/database.h"
#include "schema/altertext.h"
#include "schema/createcatalog.h"
#include "shell/language.h"
#include "shell/prompts.h"
#include "shell/qtext.h"
#include "shell/windowsmenu.h"

namespace vlm::schema {

using shell::fromQ;
using shell::pick;
using shell::toQ;

namespace {

QString P(const char* ru, const char* en) { return toQ(pick(ru, en)); }

template <class W>
W* named(W* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

// Upper-case input, as the name fields take it.
class UpperValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        input = input.toUpper();
        return Acceptable;
    }
};

QListWidget* dragList(QWidget* parent, const char* name) {
    auto* l = named(new QListWidget(parent), name);
    l->setDragDropMode(QAbstractItemView::DragDrop);
    l->setDefaultDropAction(Qt::MoveAction);
    return l;
}

}  // namespace

TFormCreateTable::TFormCreateTable(const CreateContext& context, QWidget* parent)
    : QMainWindow(parent, Qt::Window), context_(context) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("FormCreateTable"));
    auto* bar = named(new QToolBar(this), "ToolBar1");
    BExit = named(new QToolButton(bar), "BExit");
    BExit->setText(P("Выход", "Exit"));
    bar->addWidget(BExit);
    addToolBar(bar);
    connect(BExit, &QToolButton::clicked, this, [this] { close(); });
    PageControl1 = named(new QTabWidget(this), "PageControl1");
    setCentralWidget(PageControl1);
    buildTableTab();
    buildIndexTab();
    buildSynonymTab();
    buildPartitionTab();
    applyLanguage();
    resize(680, 460);
}

TFormCreateTable::~TFormCreateTable() = default;

void TFormCreateTable::buildTableTab() {
    TabSheetTable = named(new QWidget(PageControl1), "TabSheetTable");
    auto* v = new QVBoxLayout(TabSheetTable);
    auto* top = new QGridLayout;
    Label8 = named(new QLabel(TabSheetTable), "Label8");
    EDBType = named(new QLineEdit(TabSheetTable), "EDBType");
    EDBType->setReadOnly(true);
    Label5 = named(new QLabel(TabSheetTable), "Label5");
    ETableName = named(new QLineEdit(TabSheetTable), "ETableName");
    ETableName->setValidator(new UpperValidator(ETableName));
    GroupBoxStandard = named(new QGroupBox(TabSheetTable), "GroupBoxStandard");
    auto* sh = new QHBoxLayout(GroupBoxStandard);
    RBDbase = named(new QRadioButton(QStringLiteral("Dbase"), GroupBoxStandard), "RBDbase");
    RBParadox = named(new QRadioButton(QStringLiteral("Paradox"), GroupBoxStandard), "RBParadox");
    sh->addWidget(RBDbase);
    sh->addWidget(RBParadox);
    RBDbase->setChecked(true);
    GroupBoxStandard->setEnabled(false);
    Button1 = named(new QPushButton(TabSheetTable), "Button1");
    BUndoTable = named(new QPushButton(TabSheetTable), "BUndoTable");
    BCreate = named(new QPushButton(TabSheetTable), "BCreate");
    BUndoTable->setEnabled(false);
    BCreate->setEnabled(false);
    top->addWidget(Label8, 0, 0);
    top->addWidget(EDBType, 0, 1);
    top->addWidget(GroupBoxStandard, 0, 2, 2, 1);
    top->addWidget(Label5, 1, 0);
    top->addWidget(ETableName, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Button1);
    buttons->addWidget(BUndoTable);
    buttons->addWidget(BCreate);
    buttons->addStretch(1);
    top->addLayout(buttons, 2, 0, 1, 3);
    v->addLayout(top);

    TableStack = named(new QStackedWidget(TabSheetTable), "TableStack");
    auto* editor = new QWidget(TableStack);
    auto* eh = new QHBoxLayout(editor);
    eh->setContentsMargins(0, 0, 0, 0);
    auto* left = new QVBoxLayout;
    Label1 = named(new QLabel(editor), "Label1");
    Edit1 = named(new QLineEdit(editor), "Edit1");
    Edit1->setMaxLength(30);
    Edit1->setValidator(new UpperValidator(Edit1));
    RadioGroup1 = named(new QGroupBox(editor), "RadioGroup1");
    auto* rg = new QVBoxLayout(RadioGroup1);
    ComboBox1 = named(new QComboBox(RadioGroup1), "ComboBox1");
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    rg->addWidget(ComboBox1);
    GroupBox1 = named(new QGroupBox(editor), "GroupBox1");
    auto* fg = new QGridLayout(GroupBox1);
    Label3 = named(new QLabel(GroupBox1), "Label3");
    Label4 = named(new QLabel(GroupBox1), "Label4");
    Edit2 = named(new QLineEdit(GroupBox1), "Edit2");
    Edit3 = named(new QLineEdit(GroupBox1), "Edit3");
    Edit2->setMaxLength(4);
    Edit3->setMaxLength(2);
    fg->addWidget(Label3, 0, 0);
    fg->addWidget(Edit2, 0, 1);
    fg->addWidget(Label4, 1, 0);
    fg->addWidget(Edit3, 1, 1);
    CBNotNull = named(new QCheckBox(editor), "CBNotNull");
    left->addWidget(Label1);
    left->addWidget(Edit1);
    left->addWidget(RadioGroup1);
    left->addWidget(GroupBox1);
    left->addWidget(CBNotNull);
    left->addStretch(1);
    eh->addLayout(left, 1);
    auto* right = new QGridLayout;
    Label2 = named(new QLabel(editor), "Label2");
    ListBox1 = named(new QListWidget(editor), "ListBox1");
    Button3 = named(new QPushButton(editor), "Button3");
    Button5 = named(new QPushButton(editor), "Button5");
    Button4 = named(new QPushButton(editor), "Button4");
    BitBtn1 = named(new QPushButton(QStringLiteral("▲"), editor), "BitBtn1");
    BitBtn2 = named(new QPushButton(QStringLiteral("▼"), editor), "BitBtn2");
    right->addWidget(Label2, 0, 0);
    right->addWidget(ListBox1, 1, 0, 6, 1);
    right->addWidget(Button3, 1, 1);
    right->addWidget(Button5, 2, 1);
    right->addWidget(Button4, 3, 1);
    right->addWidget(BitBtn1, 4, 1);
    right->addWidget(BitBtn2, 5, 1);
    eh->addLayout(right, 1);
    TableStack->addWidget(editor);
    Memo1 = named(new QPlainTextEdit(TableStack), "Memo1");
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->installEventFilter(this);
    TableStack->addWidget(Memo1);
    v->addWidget(TableStack, 1);
    PageControl1->addTab(TabSheetTable, QString());

    connect(RBDbase, &QRadioButton::clicked, this, [this] { RBDbaseClick(); });
    connect(RBParadox, &QRadioButton::clicked, this, [this] { RBParadoxClick(); });
    connect(ComboBox1, qOverload<int>(&QComboBox::activated), this, [this] { ComboBox1Click(); });
    connect(ComboBox1->lineEdit(), &QLineEdit::textEdited, this, [this] { ComboBox1Change(); });
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(Button5, &QPushButton::clicked, this, [this] { Button5Click(); });
    connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(); });
    connect(ListBox1, &QListWidget::itemClicked, this, [this] { ListBox1Click(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(BCreate, &QPushButton::clicked, this, [this] { BCreateClick(); });
    connect(BUndoTable, &QPushButton::clicked, this, [this] { BUndoTableClick(); });
}

void TFormCreateTable::buildIndexTab() {
    TabSheetIndex = named(new QWidget(PageControl1), "TabSheetIndex");
    auto* v = new QVBoxLayout(TabSheetIndex);
    auto* top = new QGridLayout;
    Label6 = named(new QLabel(TabSheetIndex), "Label6");
    PTable = named(new QLabel(TabSheetIndex), "PTable");
    PTable->setFrameShape(QFrame::Panel);
    PTable->setFrameShadow(QFrame::Sunken);
    Label7 = named(new QLabel(TabSheetIndex), "Label7");
    EIndexName = named(new QLineEdit(TabSheetIndex), "EIndexName");
    EIndexName->setValidator(new UpperValidator(EIndexName));
    BUnique = named(new QCheckBox(TabSheetIndex), "BUnique");
    top->addWidget(Label6, 0, 0);
    top->addWidget(PTable, 0, 1);
    top->addWidget(Label7, 1, 0);
    top->addWidget(EIndexName, 1, 1);
    top->addWidget(BUnique, 1, 2);
    BPreView2 = named(new QPushButton(TabSheetIndex), "BPreView2");
    BUndoIndex = named(new QPushButton(TabSheetIndex), "BUndoIndex");
    BCreateIndex = named(new QPushButton(TabSheetIndex), "BCreateIndex");
    for (QPushButton* b : {BPreView2, BUndoIndex, BCreateIndex}) b->setEnabled(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BPreView2);
    buttons->addWidget(BUndoIndex);
    buttons->addWidget(BCreateIndex);
    buttons->addStretch(1);
    top->addLayout(buttons, 2, 0, 1, 3);
    v->addLayout(top);
    IndexStack = named(new QStackedWidget(TabSheetIndex), "IndexStack");
    auto* lists = new QWidget(IndexStack);
    auto* lh = new QHBoxLayout(lists);
    lh->setContentsMargins(0, 0, 0, 0);
    ListFields = dragList(lists, "ListFields");
    ListIndexFields = dragList(lists, "ListIndexFields");
    BToIndex = named(new QPushButton(QStringLiteral(">"), lists), "BToIndex");
    BFromIndex = named(new QPushButton(QStringLiteral("<"), lists), "BFromIndex");
    BToIndex->setEnabled(false);
    BFromIndex->setEnabled(false);
    auto* mid = new QVBoxLayout;
    mid->addStretch(1);
    mid->addWidget(BToIndex);
    mid->addWidget(BFromIndex);
    mid->addStretch(1);
    lh->addWidget(ListFields, 1);
    lh->addLayout(mid);
    lh->addWidget(ListIndexFields, 1);
    IndexStack->addWidget(lists);
    Memo2 = named(new QPlainTextEdit(IndexStack), "Memo2");
    Memo2->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo2->installEventFilter(this);
    IndexStack->addWidget(Memo2);
    v->addWidget(IndexStack, 1);
    PageControl1->addTab(TabSheetIndex, QString());

    connect(BToIndex, &QPushButton::clicked, this, [this] { BToIndexClick(); });
    connect(BFromIndex, &QPushButton::clicked, this, [this] { BFromIndexClick(); });
    connect(ListFields, &QListWidget::itemDoubleClicked, this, [this] { BToIndexClick(); });
    connect(ListIndexFields, &QListWidget::itemDoubleClicked, this, [this] { BFromIndexClick(); });
    connect(BPreView2, &QPushButton::clicked, this, [this] { BPreView2Click(); });
    connect(BUndoIndex, &QPushButton::clicked, this, [this] { BUndoIndexClick(); });
    connect(BCreateIndex, &QPushButton::clicked, this, [this] { BCreateIndexClick(); });
}

void TFormCreateTable::buildSynonymTab() {
    TabSheetSynonym = named(new QWidget(PageControl1), "TabSheetSynonym");
    auto* v = new QVBoxLayout(TabSheetSynonym);
    auto* h = new QHBoxLayout;
    h->addWidget(new QLabel(QStringLiteral("CREATE"), TabSheetSynonym));
    CBPublic = named(new QComboBox(TabSheetSynonym), "CBPublic");
    CBPublic->addItems({QString(), QStringLiteral("PUBLIC")});
    h->addWidget(CBPublic);
    h->addWidget(new QLabel(QStringLiteral("SYNONYM"), TabSheetSynonym));
    ESynonym = named(new QLineEdit(TabSheetSynonym), "ESynonym");
    h->addWidget(ESynonym, 1);
    h->addWidget(new QLabel(QStringLiteral("FOR"), TabSheetSynonym));
    ETable = named(new QLineEdit(TabSheetSynonym), "ETable");
    h->addWidget(ETable, 1);
    BSaveSynonym = named(new QPushButton(QStringLiteral("SQL"), TabSheetSynonym), "BSaveSynonym");
    BSaveSynonym->setEnabled(false);
    h->addWidget(BSaveSynonym);
    v->addLayout(h);
    v->addStretch(1);
    PageControl1->addTab(TabSheetSynonym, QString());
    connect(ESynonym, &QLineEdit::textChanged, this, [this] { ESynonymChange(); });
    connect(ETable, &QLineEdit::textChanged, this, [this] { ESynonymChange(); });
    connect(BSaveSynonym, &QPushButton::clicked, this, [this] { BSaveSynonymClick(); });
}

void TFormCreateTable::buildPartitionTab() {
    TabSheetPartition = named(new QWidget(PageControl1), "TabSheetPartition");
    auto* v = new QVBoxLayout(TabSheetPartition);
    auto* lists = new QGridLayout;
    LabelAvailableColumns = named(new QLabel(TabSheetPartition), "LabelAvailableColumns");
    LabelSelectedColumns = named(new QLabel(TabSheetPartition), "LabelSelectedColumns");
    ListAvail = dragList(TabSheetPartition, "ListAvail");
    ListSelected = dragList(TabSheetPartition, "ListSelected");
    BGetAvail = named(new QPushButton(QStringLiteral("↻"), TabSheetPartition), "BGetAvail");
    BFromAvailToSelected = named(new QPushButton(QStringLiteral(">"), TabSheetPartition), "BFromAvailToSelected");
    BFromSelectedToAvail = named(new QPushButton(QStringLiteral("<"), TabSheetPartition), "BFromSelectedToAvail");
    lists->addWidget(LabelAvailableColumns, 0, 0);
    lists->addWidget(BGetAvail, 0, 1);
    lists->addWidget(LabelSelectedColumns, 0, 2);
    lists->addWidget(ListAvail, 1, 0, 2, 1);
    lists->addWidget(BFromAvailToSelected, 1, 1);
    lists->addWidget(BFromSelectedToAvail, 2, 1);
    lists->addWidget(ListSelected, 1, 2, 2, 1);
    v->addLayout(lists);
    auto* ph = new QHBoxLayout;
    LabelPartitions = named(new QLabel(TabSheetPartition), "LabelPartitions");
    BAddPartition = named(new QPushButton(QStringLiteral("+"), TabSheetPartition), "BAddPartition");
    BDeletePartition = named(new QPushButton(QStringLiteral("-"), TabSheetPartition), "BDeletePartition");
    ph->addWidget(LabelPartitions);
    ph->addWidget(BAddPartition);
    ph->addWidget(BDeletePartition);
    ph->addStretch(1);
    v->addLayout(ph);
    StringGridPartition = named(new QTableWidget(1, 3, TabSheetPartition), "StringGridPartition");
    StringGridPartition->verticalHeader()->hide();
    StringGridPartition->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                         QAbstractItemView::AnyKeyPressed);
    v->addWidget(StringGridPartition, 1);
    CBTableSpace = named(new QComboBox(StringGridPartition->viewport()), "CBTableSpace");
    CBTableSpace->addItem(QString());
    CBValue = named(new QComboBox(StringGridPartition->viewport()), "CBValue");
    CBValue->addItems({QString(), QStringLiteral("MAXVALUE")});
    for (QComboBox* c : {CBTableSpace, CBValue}) {
        c->hide();
        c->installEventFilter(this);
        connect(c, qOverload<int>(&QComboBox::activated), this, [this, c] {
            if (chooserRow_ >= 0) {
                auto* it = StringGridPartition->item(chooserRow_, chooserColumn_);
                if (!it) StringGridPartition->setItem(chooserRow_, chooserColumn_, it = new QTableWidgetItem);
                it->setText(c->currentText());
            }
            c->hide();
            StringGridPartition->setFocus();
        });
    }
    PageControl1->addTab(TabSheetPartition, QString());

    connect(BGetAvail, &QPushButton::clicked, this, [this] { BGetAvailClick(); });
    connect(BFromAvailToSelected, &QPushButton::clicked, this, [this] { BFromAvailToSelectedClick(); });
    connect(BFromSelectedToAvail, &QPushButton::clicked, this, [this] { BFromSelectedToAvailClick(); });
    connect(ListAvail, &QListWidget::itemDoubleClicked, this, [this] { BFromAvailToSelectedClick(); });
    connect(ListSelected, &QListWidget::itemDoubleClicked, this, [this] { BFromSelectedToAvailClick(); });
    // A name dragged into or out of the selected columns changes the grid's columns too.
    connect(ListSelected->model(), &QAbstractItemModel::rowsInserted, this, [this] { rebuildPartitionColumns(); });
    connect(ListSelected->model(), &QAbstractItemModel::rowsRemoved, this, [this] { rebuildPartitionColumns(); });
    connect(BAddPartition, &QPushButton::clicked, this, [this] { BAddPartitionClick(); });
    connect(BDeletePartition, &QPushButton::clicked, this, [this] { BDeletePartitionClick(); });
    connect(StringGridPartition, &QTableWidget::cellClicked, this,
            [this](int r, int c) { StringGridPartitionClick(r, c); });
    connect(PageControl1, &QTabWidget::currentChanged, this, [this] {
        if (PageControl1->currentWidget() == TabSheetPartition && ListAvail->count() == 0 && ListSelected->count() == 0)
            BGetAvailClick();
    });
}

void TFormCreateTable::applyLanguage() {
    setWindowTitle(P("Создание таблиц", "Create"));
    PageControl1->setTabText(PageControl1->indexOf(TabSheetTable), P("Таблицу", "Table"));
    PageControl1->setTabText(PageControl1->indexOf(TabSheetIndex), P("Индекс", "Index"));
    PageControl1->setTabText(PageControl1->indexOf(TabSheetSynonym), P("Синоним", "Synonym"));
    PageControl1->setTabText(PageControl1->indexOf(TabSheetPartition), P("Партиции", "Partitions"));
    Label1->setText(P("Имя поля", "Field Name"));
    Label2->setText(P("Поля", "Fields"));
    RadioGroup1->setTitle(P("Тип поля", "Field Type"));
    Button3->setText(P("Новое", "New"));
    Button4->setText(P("Удалить", "Delete"));
    GroupBox1->setTitle(P("Формат", "Format"));
    Label3->setText(P("Цифр", "Digits"));
    Label4->setText(P("Дес.зн.", "Decimal"));
    Button5->setText(P("Редактировать", "Edit"));
    Label5->setText(P("Имя таблицы:", "Table Name:"));
    Label6->setText(P("Имя таблицы:", "Table name:"));
    BCreate->setText(P("Создать таблицу", "Create table"));
    Button1->setText(P("Просмотр SQL", "Preview SQL"));
    BPreView2->setText(P("Просмотр SQL", "Preview SQL"));
    BUndoTable->setText(P("Откат", "Undo"));
    BUndoIndex->setText(P("Откат", "Undo"));
    Label8->setText(P("Тип базы данных:", "DataBase Type:"));
    GroupBoxStandard->setTitle(P("Стандарт", "Standard"));
    Label7->setText(P("Имя индекса:", "Index Name:"));
    BCreateIndex->setText(P("Создать индекс", "Create Index"));
    BUnique->setText(P("Уникальный", "Unique"));
    CBNotNull->setText(P("Не пусто", "Not Null"));
    BSaveSynonym->setToolTip(P("Создать синоним", "Execute SQL"));
    LabelAvailableColumns->setText(P("Доступные поля", "Available Columns"));
    LabelSelectedColumns->setText(P("Выбранные поля", "Selected Columns"));
    LabelPartitions->setText(P("Партиции:", "Partitions:"));
    StringGridPartition->setHorizontalHeaderLabels({QString(), P("Имя", "Name"), P("Табл.простр.", "TableSpace")});
    const int widths[3] = {10, 60, 100};
    for (int i = 0; i < 3; ++i) StringGridPartition->setColumnWidth(i, widths[i]);
}

LocalFormat TFormCreateTable::localFormat() const {
    return RBParadox->isChecked() ? LocalFormat::Paradox : LocalFormat::Dbase;
}

void TFormCreateTable::launch() {
    const panels::TTableInfo& info = context_.info;
    const ServerKind kind = info.serverKind;
    if (kind == ServerKind::STANDARD) CBNotNull->setEnabled(false);
    setWindowTitle(P("Создать объект в: ", "Create Object in: ") + toQ(info.databaseName) + QStringLiteral(" (") +
                   toQ(info.driverName + " " + info.oracleVersion) + QStringLiteral(")"));
    const bool synonyms = kind == ServerKind::ORACLE || kind == ServerKind::SQLBASE;
    PageControl1->setTabVisible(PageControl1->indexOf(TabSheetSynonym), synonyms);
    ETable->setText(toQ(context_.indexTable));
    const std::string& current = info.tableNameForCommands;
    const std::size_t dot = current.find('.');
    ESynonym->setText(toQ(dot == std::string::npos ? current : current.substr(dot + 1)));
    const bool sqlBased = context_.db && context_.db->isSqlBased();
    if (!sqlBased) BUnique->setEnabled(false);
    PTable->setText(toQ(context_.indexTable));
    if (!QString::fromStdString(context_.indexTable).trimmed().isEmpty() && context_.db) {
        std::string error;
        for (const auto& c : indexTableColumns(*context_.db, kind, context_.indexTable, context_.loginUser, &error))
            ListFields->addItem(toQ(c));
        if (!error.empty() && context_.prompts) context_.prompts->error(toQ(error));
        BPreView2->setEnabled(true);
        BToIndex->setEnabled(true);
        BFromIndex->setEnabled(true);
    }
    EDBType->setText(toQ(info.driverName + " " + info.oracleVersion));
    if (kind == ServerKind::STANDARD) GroupBoxStandard->setEnabled(true);
    loadTypes();
    const bool partitions = kind == ServerKind::ORACLE && info.oracleVersion == "8";
    PageControl1->setTabVisible(PageControl1->indexOf(TabSheetPartition), partitions);
    if (partitions && context_.db) {
        try {
            for (const auto& t : tableSpaces(*context_.db)) CBTableSpace->addItem(toQ(t));
        } catch (const std::exception& e) {
            if (context_.prompts) context_.prompts->error(e);
        }
    }
    if (ComboBox1->count() > 0) ComboBox1->setCurrentIndex(0);
    applyFormatRule();
}

void TFormCreateTable::nextTab() {
    const int n = PageControl1->count();
    for (int i = 1; i <= n; ++i) {
        const int at = (PageControl1->currentIndex() + i) % n;
        if (PageControl1->isTabVisible(at)) {
            PageControl1->setCurrentIndex(at);
            return;
        }
    }
}

void TFormCreateTable::loadTypes() {
    ComboBox1->clear();
    std::vector<std::string> own;
    if (context_.info.serverKind == ServerKind::OTHER && context_.db) {
        if (!ownTypesRead_) {
            ownTypes_ = serverOwnTypes(*context_.db);
            ownTypesRead_ = true;
        }
        own = ownTypes_;
    }
    for (const auto& t : columnTypes(context_.info.serverKind, context_.info.oracleVersion, localFormat(),
                                     context_.info.driverName, own))
        ComboBox1->addItem(toQ(t));
}

void TFormCreateTable::RBDbaseClick() {
    ComboBox1->setEditText(QString());
    loadTypes();
    ComboBox1->setEditText(QString());
}

void TFormCreateTable::RBParadoxClick() { RBDbaseClick(); }

void TFormCreateTable::applyFormatRule() {
    const FormatRule r = formatRule(context_.info.serverKind, fromQ(ComboBox1->currentText()), localFormat());
    switch (r.fields) {
    case SizeFields::SizeOnly:
        GroupBox1->show();
        Label3->show();
        Edit2->show();
        Label4->hide();
        Edit3->hide();
        break;
    case SizeFields::SizeAndScale:
        GroupBox1->show();
        for (QWidget* w : {static_cast<QWidget*>(Label3), static_cast<QWidget*>(Edit2), static_cast<QWidget*>(Label4),
                           static_cast<QWidget*>(Edit3)})
            w->show();
        break;
    case SizeFields::None:
        GroupBox1->hide();
        break;
    case SizeFields::Unknown:
        return;
    }
    Edit2->setMaxLength(r.maxDigits);
}

void TFormCreateTable::ComboBox1Click() { applyFormatRule(); }

void TFormCreateTable::ComboBox1Change() {
    Edit2->clear();
    Edit3->clear();
}

NewColumn TFormCreateTable::editorColumn() const {
    return {fromQ(Edit1->text()), fromQ(ComboBox1->currentText()), fromQ(Edit2->text()), fromQ(Edit3->text()),
            CBNotNull->isChecked()};
}

void TFormCreateTable::message(const std::string& ru, const std::string& en) {
    if (context_.prompts) context_.prompts->message(toQ(pick(ru, en)));
}

void TFormCreateTable::refreshColumnList() {
    const int row = ListBox1->currentRow();
    ListBox1->clear();
    for (const auto& c : columns_) ListBox1->addItem(toQ(c.name));
    if (row >= 0 && row < ListBox1->count()) ListBox1->setCurrentRow(row);
}

void TFormCreateTable::Button3Click() {
    const NewColumn c = editorColumn();
    if (Message m = checkColumn(columns_, c, -1); !m.empty()) return message(m.ru, m.en);
    columns_.push_back(c);
    refreshColumnList();
    ListBox1->setCurrentRow(int(columns_.size()) - 1);
}

void TFormCreateTable::Button5Click() {
    const int row = ListBox1->currentRow();
    if (row < 0 || row >= int(columns_.size())) return message("Не выбрано поле!", "No field selected!");
    const NewColumn c = editorColumn();
    if (Message m = checkColumn(columns_, c, row); !m.empty()) return message(m.ru, m.en);
    columns_[std::size_t(row)] = c;
    refreshColumnList();
}

void TFormCreateTable::Button4Click() {
    const int row = ListBox1->currentRow();
    if (row < 0 || row >= int(columns_.size())) return message("Не выбрано поле!", "No field selected!");
    columns_.erase(columns_.begin() + row);
    refreshColumnList();
    if (!columns_.empty()) {
        ListBox1->setCurrentRow(0);
        loadColumn(0);
        ListBox1->setFocus();
    }
}

void TFormCreateTable::loadColumn(int index) {
    if (index < 0 || index >= int(columns_.size())) return;
    const NewColumn& c = columns_[std::size_t(index)];
    Edit1->setText(toQ(c.name));
    Edit2->setText(toQ(c.size));
    Edit3->setText(toQ(c.decimals));
    ComboBox1->setEditText(toQ(c.type));
    CBNotNull->setChecked(c.notNull);
    applyFormatRule();
}

void TFormCreateTable::ListBox1Click() { loadColumn(ListBox1->currentRow()); }

void TFormCreateTable::BitBtn1Click() {
    if (ListBox1->currentRow() > 0) ListBox1->setCurrentRow(ListBox1->currentRow() - 1);
    loadColumn(ListBox1->currentRow());
}

void TFormCreateTable::BitBtn2Click() {
    if (ListBox1->currentRow() + 1 < ListBox1->count()) ListBox1->setCurrentRow(ListBox1->currentRow() + 1);
    loadColumn(ListBox1->currentRow());
}

PartitionSpec TFormCreateTable::partitionSpec() const {
    PartitionSpec s;
    if (!PageControl1->isTabVisible(PageControl1->indexOf(TabSheetPartition))) return s;
    for (int i = 0; i < ListSelected->count(); ++i) s.columns.push_back(fromQ(ListSelected->item(i)->text()));
    auto cell = [this](int r, int c) {
        auto* it = StringGridPartition->item(r, c);
        return it ? fromQ(it->text()) : std::string();
    };
    for (int r = 0; r < StringGridPartition->rowCount(); ++r) {
        PartitionRow p{cell(r, 1), cell(r, 2), {}};
        for (int c = 3; c < StringGridPartition->columnCount(); ++c) p.values.push_back(cell(r, c));
        s.rows.push_back(std::move(p));
    }
    return s;
}

void TFormCreateTable::Button1Click() {
    if (Message m = checkTable(fromQ(ETableName->text()), columns_); !m.empty()) return message(m.ru, m.en);
    QStringList lines;
    for (const auto& l : createTableText(context_.info.serverKind, fromQ(ETableName->text().trimmed()), columns_,
                                         partitionSpec()))
        lines << toQ(l);
    Memo1->setPlainText(lines.join(QLatin1Char('\n')));
    TableStack->setCurrentWidget(Memo1);
    BCreate->setEnabled(true);
    BUndoTable->setEnabled(true);
    Button1->setEnabled(false);
    CBNotNull->hide();
    Memo1->setFocus();
}

bool TFormCreateTable::runCreateText(const QString& text) {
    engine::Database* db = context_.db;
    if (!db) return false;
    if (db->isSqlBased() && db->inTransaction()) {
        message(kFinishTransactionRu, kFinishTransactionEn);
        return false;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        runCreate(*db, fromQ(text));
    } catch (const std::exception& e) {
        QApplication::restoreOverrideCursor();
        if (context_.prompts) context_.prompts->error(e);
        return false;
    }
    QApplication::restoreOverrideCursor();
    if (context_.created) context_.created();
    return true;
}

void TFormCreateTable::BCreateClick() {
    if (runCreateText(Memo1->toPlainText())) BCreate->setEnabled(false);
}

void TFormCreateTable::BUndoTableClick() {
    Memo1->clear();
    TableStack->setCurrentIndex(0);
    Button1->setEnabled(true);
    BCreate->setEnabled(false);
    BUndoTable->setEnabled(false);
    CBNotNull->show();
}

void TFormCreateTable::moveSelected(QListWidget* from, QListWidget* to) {
    QListWidgetItem* it = from->currentItem();
    if (!it) return;
    to->addItem(from->takeItem(from->row(it)));
}

void TFormCreateTable::BToIndexClick() { moveSelected(ListFields, ListIndexFields); }
void TFormCreateTable::BFromIndexClick() { moveSelected(ListIndexFields, ListFields); }

void TFormCreateTable::BPreView2Click() {
    if (EIndexName->text().trimmed().isEmpty()) return message(kFirstEnterIndexName, kFirstEnterIndexName);
    if (ListIndexFields->count() == 0) return message("Нет полей индекса!", "No index fields!");
    std::vector<std::string> cols;
    for (int i = 0; i < ListIndexFields->count(); ++i) cols.push_back(fromQ(ListIndexFields->item(i)->text()));
    QStringList lines;
    for (const auto& l : createIndexText(context_.info.serverKind, BUnique->isChecked(),
                                         fromQ(EIndexName->text().trimmed()), context_.indexTable, cols))
        lines << toQ(l);
    Memo2->setPlainText(lines.join(QLatin1Char('\n')));
    IndexStack->setCurrentWidget(Memo2);
    BCreateIndex->setEnabled(true);
    BUndoIndex->setEnabled(true);
    BPreView2->setEnabled(false);
    Memo2->setFocus();
}

void TFormCreateTable::BCreateIndexClick() {
    if (runCreateText(Memo2->toPlainText())) BCreateIndex->setEnabled(false);
}

void TFormCreateTable::BUndoIndexClick() {
    Memo2->clear();
    IndexStack->setCurrentIndex(0);
    BPreView2->setEnabled(true);
    BCreateIndex->setEnabled(false);
    BUndoIndex->setEnabled(false);
}

void TFormCreateTable::ESynonymChange() {
    BSaveSynonym->setEnabled(!ESynonym->text().trimmed().isEmpty() && !ETable->text().trimmed().isEmpty());
}

void TFormCreateTable::BSaveSynonymClick() {
    if (!context_.db) return;
    try {
        runStatement(*context_.db,
                     createSynonymText(fromQ(CBPublic->currentText()), fromQ(ESynonym->text()), fromQ(ETable->text())));
    } catch (const std::exception& e) {
        if (context_.prompts) context_.prompts->error(e);
        return;
    }
    message("Синоним создан!", "Synonym Created!");
}

void TFormCreateTable::BGetAvailClick() {
    ListAvail->clear();
    ListSelected->clear();
    for (const auto& c : columns_) ListAvail->addItem(toQ(c.name));
}

void TFormCreateTable::BFromAvailToSelectedClick() { moveSelected(ListAvail, ListSelected); }
void TFormCreateTable::BFromSelectedToAvailClick() { moveSelected(ListSelected, ListAvail); }

void TFormCreateTable::rebuildPartitionColumns() {
    QTableWidget* g = StringGridPartition;
    CBValue->hide();
    CBTableSpace->hide();
    if (ListSelected->count() == 0) {
        g->setColumnCount(3);
    } else {
        g->horizontalHeader()->setDefaultSectionSize(70);
        g->setColumnCount(3);
        g->setColumnCount(3 + ListSelected->count());
        for (int i = 0; i < ListSelected->count(); ++i) {
            g->setHorizontalHeaderItem(3 + i, new QTableWidgetItem(ListSelected->item(i)->text()));
            g->setColumnWidth(3 + i, 50);
        }
    }
    const int widths[3] = {10, 60, 100};
    for (int i = 0; i < 3; ++i) g->setColumnWidth(i, widths[i]);
}

void TFormCreateTable::BAddPartitionClick() { StringGridPartition->setRowCount(StringGridPartition->rowCount() + 1); }

void TFormCreateTable::BDeletePartitionClick() {
    QTableWidget* g = StringGridPartition;
    const int last = g->rowCount() - 1;
    for (int c = 0; c < g->columnCount(); ++c)
        if (auto* it = g->item(last, c)) it->setText(QString());
    if (g->rowCount() > 1) g->setRowCount(last);
}

void TFormCreateTable::showChooser(QComboBox* chooser, int row, int column) {
    chooserRow_ = row;
    chooserColumn_ = column;
    QTableWidgetItem* it = StringGridPartition->item(row, column);
    const QString value = it ? it->text() : QString();
    chooser->setGeometry(StringGridPartition->visualRect(StringGridPartition->model()->index(row, column)));
    const int at = chooser->findText(value);
    chooser->setCurrentIndex(at < 0 ? 0 : at);
    chooser->show();
    chooser->setFocus();
}

void TFormCreateTable::StringGridPartitionClick(int row, int column) {
    CBTableSpace->hide();
    CBValue->hide();
    if (column == 2) showChooser(CBTableSpace, row, column);
    else if (column >= 3) showChooser(CBValue, row, column);
}

bool TFormCreateTable::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        if (watched == Memo1) {
            TableStack->setCurrentIndex(0);
            BCreate->setEnabled(false);
            return true;
        }
        if (watched == Memo2) {
            IndexStack->setCurrentIndex(0);
            BCreateIndex->setEnabled(false);
            return true;
        }
    }
    if (event->type() == QEvent::FocusOut && (watched == CBTableSpace || watched == CBValue)) {
        auto* c = static_cast<QComboBox*>(watched);
        if (!c->view()->isVisible()) c->hide();
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFormCreateTable::closeEvent(QCloseEvent* e) {
    if (shell::TWindowsMenu* m = shell::windowsMenu()) m->resetSlot(shell::WindowSlot::Create);
    QMainWindow::closeEvent(e);
}

}  // namespace vlm::schema
