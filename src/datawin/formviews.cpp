// TFormViewS: the query result window.
#include "engine/query.h"

#include "datawin/formviews.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "datawin/commands.h"
#include "datawin/dbgrid.h"
#include "datawin/dialogs.h"
#include "datawin/fieldviewers.h"
#include "datawin/gridmodel.h"
#include "datawin/gridparts.h"
#include "datawin/report.h"
#include "shell/language.h"
#include "shell/prompts.h"
#include "shell/qtext.h"
#include "shell/windowsmenu.h"

namespace vlm::datawin {

using shell::pick;
using shell::toQ;

TFormViewS::TFormViewS(std::string programDir, QWidget* parent)
    : QWidget(parent, Qt::Window), programDir_(std::move(programDir)), query_(std::make_unique<engine::Query>()) {
    setObjectName(QStringLiteral("FormViewS"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Executed SQL Script"));
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    box->addWidget(ToolBar1);
    DBNavigator1 = new TDBNavigator(false, ToolBar1);
    ToolBar1->addWidget(DBNavigator1);
    ToolBar1->addSeparator();
    BShowMemo = addToolButton(ToolBar1, "BShowMemo", QStringLiteral("Memo"),
                          QStringLiteral("Or double click mouse for view memo or image"));
    BShowMemo->setCheckable(true);
    BSearch = addToolButton(ToolBar1, "BSearch", QStringLiteral("Find"), QStringLiteral("Find text"));
    BSumCol = addToolButton(ToolBar1, "BSumCol", QStringLiteral("\u03a3"), QStringLiteral("Show sum of selected column"));
    const PrintPanel print = addPrintPanel(ToolBar1);
    BViewAndPrint = print.BViewAndPrint;
    CBPrintWithSum = print.CBPrintWithSum;
    CBCount = print.CBCount;
    BExit = addToolButton(ToolBar1, "BExit", QStringLiteral("Exit"), QStringLiteral("Exit"));
    CheckListBox1 = new QListWidget(ToolBar1);
    CheckListBox1->setObjectName(QStringLiteral("CheckListBox1"));
    CheckListBox1->setToolTip(QStringLiteral("Set Visible Columns"));
    CheckListBox1->setFixedSize(150, 40);
    ToolBar1->addWidget(CheckListBox1);

    Panel1 = new QStackedWidget(this);
    DBGrid1 = new TDBGrid(Panel1);
    Panel1->addWidget(DBGrid1);
    addFieldViewers(Panel1, DBMemo1, DBImage1);
    box->addWidget(Panel1, 1);
    box->addWidget(makeStatusBar(this, status));

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Makenonvisiblecolumn1 = PopupMenu1->addAction(QStringLiteral("Make non visible column"));
    Makenonvisiblecolumn1->setObjectName(QStringLiteral("Makenonvisiblecolumn1"));
    PopupMenu1->addSeparator();
    SetDisplayFormat1 = PopupMenu1->addAction(QStringLiteral("Set Display Format"));
    SetDisplayFormat1->setObjectName(QStringLiteral("SetDisplayFormat1"));
    SetFilter1 = PopupMenu1->addAction(QStringLiteral("Set Filter"));
    SetFilter1->setObjectName(QStringLiteral("SetFilter1"));
    DBGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(DBGrid1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu1->popup(DBGrid1->viewport()->mapToGlobal(at)); });

    DBNavigator1->attach(DBGrid1);
    DBGrid1->keyHandler = [this](QKeyEvent* e) { return gridKey(e); };
    DBGrid1->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    connect(DBGrid1, &QAbstractItemView::doubleClicked, this, [this] { BShowMemoClick(); });
    connect(BShowMemo, &QToolButton::clicked, this, [this](bool down) {
        if (down) BShowMemoClick();
        else closeViewer();
    });
    connect(BSearch, &QToolButton::clicked, this, [this] { openSearchDialog(DBGrid1, this); });
    connect(BSumCol, &QToolButton::clicked, this, [this] { openSumDialog(DBGrid1, this); });
    connect(BViewAndPrint, &QToolButton::clicked, this, &TFormViewS::BViewAndPrintClick);
    connect(BExit, &QToolButton::clicked, this, &QWidget::close);
    connect(Makenonvisiblecolumn1, &QAction::triggered, this, &TFormViewS::MakeNonVisibleColumn);
    connect(SetDisplayFormat1, &QAction::triggered, this,
            [this] { runFormatDialog(TFormFormat::Mode::DisplayFormat, DBGrid1, this); });
    connect(SetFilter1, &QAction::triggered, this, [this] { runFormatDialog(TFormFormat::Mode::Filter, DBGrid1, this); });
    connect(CheckListBox1, &QListWidget::itemChanged, this, [this] { CheckListBox1ClickCheck(); });
    for (QWidget* w : {static_cast<QWidget*>(DBMemo1), static_cast<QWidget*>(DBImage1),
                       static_cast<QWidget*>(CheckListBox1), static_cast<QWidget*>(CBPrintWithSum),
                       static_cast<QWidget*>(CBCount)})
        w->installEventFilter(this);
    resize(720, 420);
}

TFormViewS::~TFormViewS() = default;

void TFormViewS::applyRussianTexts() {
    setWindowTitle(QStringLiteral("Результат SQL запроса"));
    BExit->setToolTip(QStringLiteral("Выход"));
    BSearch->setToolTip(QStringLiteral("Поиск строки текста в полях и записях таблицы"));
    BSumCol->setToolTip(QStringLiteral("Суммирование колонки"));
    BShowMemo->setToolTip(QStringLiteral("...или двойной щелчок мыши для просмотра мемо или графических полей"));
    BViewAndPrint->setToolTip(QStringLiteral("Просмотр и печать с текущей позиции"));
    Makenonvisiblecolumn1->setText(QStringLiteral("Сделать колонку невидимой"));
    SetDisplayFormat1->setText(QStringLiteral("Форимат вывода колонки"));
    SetFilter1->setText(QStringLiteral("Фильтр записей"));
    CheckListBox1->setToolTip(QStringLiteral("Установить видимые колонки"));
    CBPrintWithSum->setToolTip(QStringLiteral("Строка итогов по колонкам в файл для печати"));
    CBCount->setToolTip(QStringLiteral("Вставить номера строк в отчет"));
}

void TFormViewS::openQuery() {
    query_->open();
    DBGrid1->setDataset(query_.get());
    fillColumnList(CheckListBox1, *query_);
}

void TFormViewS::useOriginLabels() {
    // The engine reports no origin table of a result column: the labels stay the column names.
}

void TFormViewS::setStatusText(const QString& text) { status[0]->setText(text); }
QString TFormViewS::statusText(int panel) const { return panel >= 0 && panel < 4 ? status[panel]->text() : QString(); }

void TFormViewS::BShowMemoClick() {
    if (!query_->active()) return;
    const int col = DBGrid1->currentFieldIndex();
    if (col < 0) return;
    try {
        engine::Field& f = query_->field(col);
        switch (viewerKindFor(f.dataType(), panels::ServerKind::OTHER)) {
        case ViewerKind::Memo:
            DBMemo1->setPlainText(memoText(f.value()));
            Panel1->setCurrentWidget(DBMemo1);
            DBMemo1->setFocus();
            BShowMemo->setChecked(true);
            return;
        case ViewerKind::Picture:
            showPicture(DBImage1, f.value());
            Panel1->setCurrentWidget(DBImage1);
            DBImage1->setFocus();
            BShowMemo->setChecked(true);
            return;
        default:
            BShowMemo->setChecked(false);
            return;
        }
    } catch (const std::exception& e) {
        BShowMemo->setChecked(false);
        windowPrompts(this).error(e);
    }
}

void TFormViewS::closeViewer() {
    Panel1->setCurrentWidget(DBGrid1);
    DBMemo1->clear();
    DBImage1->clear();
    BShowMemo->setChecked(false);
    DBGrid1->setFocus();
}

void TFormViewS::BViewAndPrintClick() {
    printDataset(this, DBGrid1, programDir_, CBCount->isChecked(), CBPrintWithSum->isChecked());
}

void TFormViewS::MakeNonVisibleColumn() {
    const int col = DBGrid1->currentFieldIndex();
    if (col < 0 || !query_->active()) return;
    const QString name = toQ(query_->field(col).fieldName());
    for (int i = 0; i < CheckListBox1->count(); ++i)
        if (CheckListBox1->item(i)->text() == name) CheckListBox1->item(i)->setCheckState(Qt::Unchecked);
    CheckListBox1ClickCheck();
}

void TFormViewS::CheckListBox1ClickCheck() { applyColumnList(CheckListBox1, *query_, DBGrid1); }

bool TFormViewS::gridKey(QKeyEvent* e) {
    if (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
    switch (e->key()) {
    case Qt::Key_Escape:
        close();
        return true;
    case Qt::Key_F3:
        BShowMemoClick();
        return true;
    case Qt::Key_F7:
        openSearchDialog(DBGrid1, this);
        return true;
    default:
        return false;
    }
}

bool TFormViewS::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(event);
        if (k->key() == Qt::Key_Escape && k->modifiers() == Qt::NoModifier) {
            if (watched == DBMemo1 || watched == DBImage1) closeViewer();
            else close();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TFormViewS::closeEvent(QCloseEvent* e) {
    try {
        if (query_->active()) query_->cancel();
    } catch (const std::exception&) {
    }
    query_->close();
    query_->setSql(std::string());
    if (shell::TWindowsMenu* wm = shell::windowsMenu()) wm->removeWindowEntry(this);
    e->accept();
}

}  // namespace vlm::datawin
