// TFormObjects: controls and wiring of the sequence and generator window.
#include "serverobj/formobjects.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "engine/database.h"
#include "engine/query.h"
#include "serverobj/formparts.h"
#include "shell/language.h"
#include "shell/qtext.h"

namespace vlm::serverobj {

using shell::pick;
using shell::toQ;
using shell::fromQ;
using K = ServerKind;

TFormObjects::TFormObjects(const ServerContext& context, QWidget* parent)
    : QWidget(parent, Qt::Window), context_(context), db_(std::make_unique<engine::Database>()) {
    setObjectName("TFormObjects");
    setAttribute(Qt::WA_DeleteOnClose);
    resize(600, 400);
    setWindowTitle(q("Объекты базы данных / схемы", "Database / Scheme Objects"));
    auto* top = new QVBoxLayout(this);
    top->setContentsMargins(0, 0, 0, 0);
    auto* tools = new QHBoxLayout;
    auto tool = [&](const char* name, const QString& text, const char* hint) { return toolButton(this, tools, name, text, hint); };
    BCreate = tool("BCreate", QStringLiteral("New"), "Новый");
    BAlter = tool("BAlter", QStringLiteral("Alter"), "Изменить");
    BDrop = tool("BDrop", QStringLiteral("Drop"), "Удалить");
    BExit = tool("BExit", QStringLiteral("Exit"), "Выход");
    tools->addStretch(1);
    top->addLayout(tools);

    PageControl1 = new QTabWidget(this);
    TabSheetGenerator = new QWidget;
    auto* pl = new QVBoxLayout(TabSheetGenerator);
    DBGrid1 = new QTableWidget(TabSheetGenerator);
    DBGrid1->setObjectName("DBGrid1");
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    pl->addWidget(DBGrid1, 1);
    PanelGenerator = new QWidget(TabSheetGenerator);
    PanelGenerator->setObjectName("PanelGenerator");
    PanelGenerator->setFixedHeight(110);
    auto* g = new QGridLayout(PanelGenerator);
    LCreate = new QLabel(QStringLiteral("CREATE SEQUENCE"), PanelGenerator);
    EName = new QLineEdit(PanelGenerator);
    g->addWidget(LCreate, 0, 0);
    g->addWidget(EName, 0, 1, 1, 3);
    auto clause = [&](const char* text, QWidget* box, int row, int col) {
        auto* l = new QLabel(QString::fromLatin1(text), PanelGenerator);
        g->addWidget(l, row, col);
        g->addWidget(box, row, col + 1);
        clauses_.push_back(l);
        clauses_.push_back(box);
        return l;
    };
    auto combo = [&](QStringList items, bool editable) {
        auto* c = new QComboBox(PanelGenerator);
        c->addItems(items);
        c->setEditable(editable);
        return c;
    };
    EInc = new QLineEdit(PanelGenerator);
    EStart = new QLineEdit(PanelGenerator);
    CBMinValue = combo({QStringLiteral("NOMINVALUE")}, true);
    CBMaxValue = combo({QStringLiteral("NOMAXVALUE")}, true);
    CBCycle = combo({QString(), QStringLiteral("CYCLE"), QStringLiteral("NOCYCLE")}, false);
    CBCache = combo({QStringLiteral("NOCACHE")}, true);
    CBOrder = combo({QString(), QStringLiteral("ORDER"), QStringLiteral("NOORDER")}, false);
    clause("INCREMENT BY", EInc, 1, 0);
    startLabel_ = clause("START WITH", EStart, 1, 2);
    clause("MINVALUE", CBMinValue, 2, 0);
    clause("MAXVALUE", CBMaxValue, 2, 2);
    clause("CYCLE", CBCycle, 3, 0);
    clause("CACHE", CBCache, 3, 2);
    clause("ORDER", CBOrder, 1, 4);
    BOk = new QPushButton(QStringLiteral("Ok"), PanelGenerator);
    BCancel = new QPushButton(QStringLiteral("Cancel"), PanelGenerator);
    g->addWidget(BOk, 2, 4, 1, 2);
    g->addWidget(BCancel, 3, 4, 1, 2);
    PanelGenerator->hide();
    pl->addWidget(PanelGenerator);
    PageControl1->addTab(TabSheetGenerator, q("Генераторы / последовательности", "Sequences / Generators"));
    top->addWidget(PageControl1, 1);

    auto* bar = new QHBoxLayout;
    statusPanels(this, bar, status, {150, 150, 50});
    top->addLayout(bar);

    connect(BCreate, &QToolButton::clicked, this, &TFormObjects::BCreateClick);
    connect(BAlter, &QToolButton::clicked, this, &TFormObjects::BAlterClick);
    connect(BDrop, &QToolButton::clicked, this, &TFormObjects::BDropClick);
    connect(BExit, &QToolButton::clicked, this, &QWidget::close);
    connect(BOk, &QPushButton::clicked, this, &TFormObjects::BOkClick);
    connect(BCancel, &QPushButton::clicked, this, &TFormObjects::BCancelClick);
}

TFormObjects::~TFormObjects() = default;

bool TFormObjects::start() {
    try {
        db_->setDatabaseName(context_.databaseName);
        db_->params() = context_.params;
        db_->open();
    } catch (const std::exception& e) {
        if (context_.showError) context_.showError(e);
        return false;
    }
    if (context_.kind == K::INTERBASE) BAlter->setEnabled(false);
    if (context_.kind != K::ORACLE && context_.kind != K::INTERBASE) {
        BAlter->setEnabled(false);
        BDrop->setEnabled(false);
    }
    reopen();
    status[0]->setText(toQ(context_.databaseName));
    status[1]->setText(toQ(context_.driverName));
    return true;
}

void TFormObjects::reopen() {
    DBGrid1->clear();
    DBGrid1->setRowCount(0);
    DBGrid1->setColumnCount(0);
    if (context_.kind != K::ORACLE && context_.kind != K::INTERBASE) return;
    try {
        engine::Query q1;
        q1.setDatabase(db_.get());
        q1.setSql(context_.kind == K::ORACLE ? kSequencesSql : kGeneratorsSql);
        q1.open();
        const bool ru = shell::languageSetting() == 1;
        QStringList heads;
        if (context_.kind == K::ORACLE) {
            auto ruHeads = sequenceHeadingsRu();
            for (int i = 0; i < q1.fieldCount(); ++i)
                heads << (ru && std::size_t(i) < ruHeads.size() ? toQ(ruHeads[std::size_t(i)]) : toQ(q1.field(i).fieldName()));
        } else {
            heads << (ru ? QStringLiteral("Название") : QStringLiteral("RDB$GENERATOR_NAME"))
                  << (ru ? QStringLiteral("Посл. номер") : QStringLiteral("GEN_VALUE"));
        }
        DBGrid1->setColumnCount(int(heads.size()));
        DBGrid1->setHorizontalHeaderLabels(heads);
        std::vector<std::string> names;
        for (; !q1.eof(); q1.next()) {
            const int r = DBGrid1->rowCount();
            DBGrid1->insertRow(r);
            for (int i = 0; i < q1.fieldCount(); ++i)
                DBGrid1->setItem(r, i, new QTableWidgetItem(toQ(q1.field(i).isNull() ? std::string() : q1.field(i).asString())));
        }
        q1.close();
        // Each generator's current value, read without changing it.
        if (context_.kind == K::INTERBASE)
            for (int r = 0; r < DBGrid1->rowCount(); ++r)
                DBGrid1->setItem(r, 1, new QTableWidgetItem(QString::number(
                                           readGeneratorValue(*db_, fromQ(DBGrid1->item(r, 0)->text().trimmed())))));
        if (DBGrid1->rowCount() > 0) DBGrid1->selectRow(0);
        DBGrid1->resizeColumnsToContents();
    } catch (const std::exception& e) {
        if (context_.showError) context_.showError(e);
    }
}

std::string TFormObjects::cell(int column) const {
    int r = DBGrid1->currentRow();
    if (r < 0 && DBGrid1->rowCount() > 0) r = 0;
    QTableWidgetItem* it = r < 0 ? nullptr : DBGrid1->item(r, column);
    return it ? fromQ(it->text().trimmed()) : std::string();
}

void TFormObjects::showClauses(bool on) {
    for (QWidget* w : clauses_) w->setVisible(on);
}

void TFormObjects::BCreateClick() {
    const bool oracle = context_.kind == K::ORACLE;
    LCreate->setText(oracle ? QStringLiteral("CREATE SEQUENCE") : QStringLiteral("CREATE GENERATOR"));
    showClauses(oracle);
    state_ = SequenceEditor::Create;
    PanelGenerator->show();
    for (QWidget* w : std::initializer_list<QWidget*>{BCreate, BAlter, BDrop, DBGrid1}) w->setEnabled(false);
    for (QLineEdit* e : {EName, EInc, EStart}) e->clear();
    for (QComboBox* c : {CBMaxValue, CBMinValue, CBCache}) c->setEditText(QString());
    CBCycle->setCurrentIndex(0);
    CBOrder->setCurrentIndex(0);
    EName->setFocus();
}

void TFormObjects::BAlterClick() {
    state_ = SequenceEditor::Alter;
    PanelGenerator->show();
    for (QWidget* w : std::initializer_list<QWidget*>{BCreate, BAlter, BDrop, DBGrid1}) w->setEnabled(false);
    if (context_.kind == K::ORACLE) {
        LCreate->setText(QStringLiteral("ALTER SEQUENCE"));
        showClauses(true);
        EName->setText(toQ(cell(0)));
        EInc->setText(toQ(cell(3)));
        CBMinValue->setEditText(toQ(cell(6)));
        CBMaxValue->setEditText(toQ(cell(7)));
        CBCache->setEditText(toQ(cell(8)));
        CBCycle->setCurrentText(cell(4) == "Y" ? QStringLiteral("CYCLE") : QStringLiteral("NOCYCLE"));
        CBOrder->setCurrentText(cell(5) == "Y" ? QStringLiteral("ORDER") : QStringLiteral("NOORDER"));
        EStart->hide();
        startLabel_->hide();
    } else {
        for (QLineEdit* e : {EName, EInc, EStart}) e->clear();
    }
    EName->setFocus();
}

void TFormObjects::BOkClick() {
    std::string sql;
    if (context_.kind == K::ORACLE) {
        SequenceFields f{fromQ(EName->text()), fromQ(EInc->text()), fromQ(EStart->text()), fromQ(CBMaxValue->currentText()),
                         fromQ(CBMinValue->currentText()), fromQ(CBCycle->currentText()), fromQ(CBCache->currentText()),
                         fromQ(CBOrder->currentText())};
        sql = sequenceStatement(state_, f);
    } else if (context_.kind == K::INTERBASE) {
        sql = generatorCreateSql(fromQ(EName->text()));
    }
    if (!sql.empty()) {
        try {
            engine::Query qc;
            qc.setDatabase(db_.get());
            qc.setSql(sql);
            qc.execSql();
        } catch (const std::exception& e) {
            if (context_.showError) context_.showError(e);
        }
        reopen();
    }
    closeEditor();
}

void TFormObjects::BCancelClick() { closeEditor(); }

void TFormObjects::closeEditor() {
    PanelGenerator->hide();
    BCreate->setEnabled(true);
    BAlter->setEnabled(context_.kind == K::ORACLE);
    BDrop->setEnabled(context_.kind == K::ORACLE || context_.kind == K::INTERBASE);
    DBGrid1->setEnabled(true);
    state_ = SequenceEditor::None;
}

void TFormObjects::BDropClick() {
    if (DBGrid1->rowCount() == 0) return;
    std::string sql;
    if (context_.kind == K::ORACLE) {
        if (!context_.ask || !context_.ask(q("Удалить последовательность?", "Drop sequence?"))) return;
        sql = sequenceDropSql(cell(11), cell(0));
    } else if (context_.kind == K::INTERBASE) {
        if (!context_.ask || !context_.ask(q("Удалить генератор?", "Drop Generator?"))) return;
        sql = generatorDropSql(cell(0));
    } else {
        return;
    }
    try {
        engine::Query qc;
        qc.setDatabase(db_.get());
        qc.setSql(sql);
        qc.execSql();
    } catch (const std::exception& e) {
        if (context_.showError) context_.showError(e);
    }
    reopen();
}

}  // namespace vlm::serverobj
