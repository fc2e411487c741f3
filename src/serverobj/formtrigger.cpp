// TFormTrigger: controls and wiring of the trigger editor.
#include "serverobj/formtrigger.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBlock>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "engine/database.h"
#include "serverobj/formparts.h"
#include "shell/language.h"
#include "shell/qtext.h"

namespace vlm::serverobj {

using shell::pick;
using shell::toQ;
using shell::fromQ;
using K = ServerKind;

int& triggerHeaderLines() {
    static int lines = 0;
    return lines;
}

TFormTrigger::TFormTrigger(const ServerContext& context, QWidget* parent)
    : QWidget(parent, Qt::Window), context_(context), db_(std::make_unique<engine::Database>()) {
    setObjectName("TFormTrigger");
    setAttribute(Qt::WA_DeleteOnClose);
    resize(640, 400);
    setWindowTitle(QStringLiteral("Триггеры"));
    auto* top = new QVBoxLayout(this);
    top->setContentsMargins(0, 0, 0, 0);
    top->setSpacing(0);
    MainMenu1 = new QMenuBar(this);
    top->setMenuBar(MainMenu1);
    auto* Panel1 = new QWidget(this);
    Panel1->setFixedHeight(40);
    auto* pl = new QHBoxLayout(Panel1);
    auto tool = [&](const char* name, const QString& text, const char* hint) { return toolButton(Panel1, pl, name, text, hint); };
    BRereadTrigNames = tool("BRereadTrigNames", QStringLiteral("Reread"), "Reread names of stored procedures");
    BCompile = tool("BCompile", QStringLiteral("Compile"), "Recompile procedure or function");
    BExecSQL = tool("BExecSQL", QStringLiteral("Store"), "Сохранить процедуру или функцию");
    BReadSource = tool("BReadSource", QStringLiteral("Source"), "Получить исходный текст процедуры");
    BShowErrors = tool("BShowErrors", QStringLiteral("Errors"), "Показать ошибки компиляции \r\nпроцедуры или функции");
    BDropTrig = tool("BDropTrig", QStringLiteral("Drop"), "Drop Stored Procedure");
    BQuit = tool("BQuit", QStringLiteral("Exit"), "Выход");
    pl->addStretch(1);
    top->addWidget(Panel1);

    auto* split = new QSplitter(Qt::Horizontal, this);
    TrigNameListView = new QTreeWidget(split);
    TrigNameListView->setColumnCount(1);
    TrigNameListView->setHeaderLabels({QStringLiteral("Имя таблицы.Имя триггера")});
    TrigNameListView->setRootIsDecorated(false);
    TrigNameListView->installEventFilter(this);
    TrigNameListView->viewport()->installEventFilter(this);
    PageControl1 = new QTabWidget(split);
    TabSheet2 = new QWidget;
    auto* l2 = new QVBoxLayout(TabSheet2);
    Memo2 = new QPlainTextEdit(TabSheet2);
    Memo2->setLineWrapMode(QPlainTextEdit::NoWrap);
    ListBoxErrors = new QListWidget(TabSheet2);
    ListBoxErrors->setToolTip(QStringLiteral("Errors list"));
    ListBoxErrors->setMaximumHeight(90);
    ListBoxErrors->hide();
    l2->addWidget(Memo2, 1);
    l2->addWidget(ListBoxErrors);
    TabSheet3 = new QWidget;
    auto* l3 = new QVBoxLayout(TabSheet3);
    MemoErrors = new QPlainTextEdit(TabSheet3);
    l3->addWidget(MemoErrors);
    PageControl1->addTab(TabSheet2, QStringLiteral("Source"));
    PageControl1->addTab(TabSheet3, QStringLiteral("Errors"));
    split->setSizes({220, 420});
    top->addWidget(split, 1);
    auto* bar = new QHBoxLayout;
    statusPanels(this, bar, status, {150, 300, 100, 50});
    top->addLayout(bar);

    QMenu* File1 = MainMenu1->addMenu(QStringLiteral("&File"));
    RereadTriggerList1 = File1->addAction(QStringLiteral("&Reread Trigger List"), this, &TFormTrigger::BRereadTrigNamesClick);
    File1->addSeparator();
    Exit1 = File1->addAction(QStringLiteral("E&xit"), this, &QWidget::close);
    QMenu* Trigger1 = MainMenu1->addMenu(QStringLiteral("&Trigger"));
    Recompile1 = Trigger1->addAction(QStringLiteral("Recompile"), QKeySequence(Qt::Key_F2), this, &TFormTrigger::BCompileClick);
    StoreAndCompile1 = Trigger1->addAction(QStringLiteral("Store And Compile"), QKeySequence(Qt::Key_F9), this, &TFormTrigger::BExecSQLClick);
    Trigger1->addSeparator();
    ShowTriggerText1 = Trigger1->addAction(QStringLiteral("Show Text"), QKeySequence(Qt::Key_F3), this, &TFormTrigger::BReadSourceClick);
    ShowErrors1 = Trigger1->addAction(QStringLiteral("Show Errors"), QKeySequence(Qt::Key_F4), this, &TFormTrigger::BShowErrorsClick);
    Trigger1->addSeparator();
    Delete1 = Trigger1->addAction(QStringLiteral("Delete"), QKeySequence(Qt::Key_F8), this, &TFormTrigger::BDropTrigClick);

    const int lang = shell::languageSetting();
    if (lang == 1 || lang == 2) {
        setWindowTitle(q("Триггеры", "Triggers"));
        BRereadTrigNames->setToolTip(q("Перечитать имена триггеров", "Reread names of triggers"));
        BQuit->setToolTip(q("Выход", "Exit"));
        BReadSource->setToolTip(q("Получить исходный текст триггера", "Get Source Text Of Trigger"));
        BExecSQL->setToolTip(q("Сохранить триггер\r\nили выполнить SQL", "Save Trigger or Execute SQL"));
        BShowErrors->setToolTip(q("Показать ошибки компиляции \r\nтриггера", "Show Compile Errors"));
        PageControl1->setTabText(0, q("Исх. текст", "Source"));
        PageControl1->setTabText(1, q("Ошибки", "Errors"));
        BDropTrig->setToolTip(q("Удаление триггера", "Drop Trigger"));
        BCompile->setToolTip(q("Перекомпилировать триггер", "Recompile Trigger"));
        File1->setTitle(q("Файл", "File"));
        Trigger1->setTitle(q("Триггер", "Trigger"));
        RereadTriggerList1->setText(q("Перечитать список", "Reread Trigger List"));
        Exit1->setText(q("Выход", "Exit"));
        Recompile1->setText(q("Перекомпилировать", "Recompile"));
        StoreAndCompile1->setText(q("Сохранить и компилировать", "Store And Compile"));
        ShowTriggerText1->setText(q("Показать текст", "Show Text"));
        ShowErrors1->setText(q("Показать ошибки", "Show Errors"));
        Delete1->setText(q("Удалить", "Delete"));
    }

    connect(BRereadTrigNames, &QToolButton::clicked, this, &TFormTrigger::BRereadTrigNamesClick);
    connect(BCompile, &QToolButton::clicked, this, &TFormTrigger::BCompileClick);
    connect(BExecSQL, &QToolButton::clicked, this, &TFormTrigger::BExecSQLClick);
    connect(BReadSource, &QToolButton::clicked, this, &TFormTrigger::BReadSourceClick);
    connect(BShowErrors, &QToolButton::clicked, this, &TFormTrigger::BShowErrorsClick);
    connect(BDropTrig, &QToolButton::clicked, this, &TFormTrigger::BDropTrigClick);
    connect(BQuit, &QToolButton::clicked, this, &QWidget::close);
    connect(ListBoxErrors, &QListWidget::itemDoubleClicked, this, [this] { ListBoxErrorsDblClick(); });
}

TFormTrigger::~TFormTrigger() = default;

bool TFormTrigger::start() {
    try {
        db_->setDatabaseName(context_.databaseName);
        db_->params() = context_.params;
        db_->open();
    } catch (const std::exception& e) {
        if (context_.showError) context_.showError(e);
        return false;
    }
    status[0]->setText(toQ(context_.databaseName));
    status[1]->setText(toQ(context_.driverName));
    BRereadTrigNamesClick();
    TrigNameListView->setFocus();
    return true;
}

TriggerItem TFormTrigger::selected() const {
    QTreeWidgetItem* it = TrigNameListView->currentItem();
    if (!it) return {};
    return {fromQ(it->text(0)), fromQ(it->data(0, Qt::UserRole).toString()), it->data(0, Qt::UserRole + 1).toBool()};
}

bool TFormTrigger::needName() {
    if (!QString::fromStdString(selected().caption).trimmed().isEmpty()) return true;
    if (context_.showMessage) context_.showMessage(q("Не задано имя триггера!", "Trigger name not selected!"));
    return false;
}

void TFormTrigger::BRereadTrigNamesClick() {
    if (context_.kind != K::ORACLE) return;
    TrigNameListView->clear();
    try {
        for (const auto& t : triggerItemsOf(objlists::DatabaseReader(*db_).rows(kTriggerNamesSql, {}))) {
            auto* it = new QTreeWidgetItem(TrigNameListView, {toQ(t.caption)});
            it->setData(0, Qt::UserRole, toQ(t.owner));
            it->setData(0, Qt::UserRole + 1, t.enabled);
            it->setIcon(0, procImage(t.enabled ? ImgTriggerOn : ImgTriggerOff));
        }
    } catch (const std::exception& e) {
        if (context_.showError) context_.showError(e);
    }
    if (QTreeWidgetItem* first = TrigNameListView->topLevelItem(0)) {
        TrigNameListView->setCurrentItem(first);
        TrigNameListView->headerItem()->setText(0, first->data(0, Qt::UserRole).toString() + "." + first->text(0));
    } else {
        TrigNameListView->headerItem()->setText(0, QString());
    }
}

void TFormTrigger::selectionReleased() {
    TriggerItem t = selected();
    const QString head = toQ(t.owner + "." + t.caption);
    if (t.caption.empty() || TrigNameListView->headerItem()->text(0) == head) return;
    Memo2->clear();
    MemoErrors->clear();
    ListBoxErrors->hide();
    ListBoxErrors->clear();
    TrigNameListView->headerItem()->setText(0, head);
}

bool TFormTrigger::eventFilter(QObject* o, QEvent* e) {
    if (o == TrigNameListView->viewport() && e->type() == QEvent::MouseButtonRelease)
        QMetaObject::invokeMethod(this, [this] { selectionReleased(); }, Qt::QueuedConnection);
    else if (o == TrigNameListView && e->type() == QEvent::KeyRelease) {
        const int k = static_cast<QKeyEvent*>(e)->key();
        if (k == Qt::Key_Up || k == Qt::Key_Down || k == Qt::Key_PageUp || k == Qt::Key_PageDown || k == Qt::Key_Home ||
            k == Qt::Key_End)
            selectionReleased();
    }
    return QWidget::eventFilter(o, e);
}

void TFormTrigger::BReadSourceClick() {
    if (context_.kind != K::ORACLE || !needName()) return;
    PageControl1->setCurrentWidget(TabSheet2);
    try {
        objlists::DatabaseReader reader(*db_);
        TriggerSource s = readTriggerSource(reader, selected(), context_.doubleColons);
        QStringList lines;
        for (const auto& l : s.lines) lines << toQ(l);
        Memo2->setPlainText(lines.join('\n'));
        triggerHeaderLines() = s.headerLines;
    } catch (const std::exception& e) {
        if (context_.showError) context_.showError(e);
    }
    Memo2->moveCursor(QTextCursor::Start);
}

bool TFormTrigger::checkErrors(const TriggerItem& t) {
    objlists::DatabaseReader reader(*db_);
    Lines lines = readErrors(reader, oracleTriggerErrorQuery(t.owner, splitName(t.caption).name));
    fillErrorList(ListBoxErrors, lines);
    return !lines.empty();
}

void TFormTrigger::BExecSQLClick() {
    if (context_.kind != K::ORACLE) return;
    Lines lines = memoLines(Memo2);
    try {
        executeStoreText(*db_, triggerStoreText(lines, context_.replaceAssignment));
    } catch (const std::exception& e) {
        if (context_.showError) context_.showError(e);
        return;
    }
    const std::string name = splitName(triggerNameOf(fromQ(Memo2->toPlainText()))).name.empty()
                                 ? std::string()
                                 : triggerNameOf(fromQ(Memo2->toPlainText()));
    BRereadTrigNamesClick();
    const QString wanted = toQ(name.substr(name.find('.') == std::string::npos ? 0 : name.find('.') + 1)).toUpper();
    for (int i = 0; i < TrigNameListView->topLevelItemCount(); ++i) {
        QString cap = TrigNameListView->topLevelItem(i)->text(0);
        if (cap.mid(cap.indexOf('.') + 1).toUpper() == wanted) {
            TrigNameListView->setCurrentItem(TrigNameListView->topLevelItem(i));
            break;
        }
    }
    try {
        if (checkErrors(selected())) {
            QStringList errs;
            for (int i = 0; i < ListBoxErrors->count(); ++i) errs << ListBoxErrors->item(i)->text();
            BReadSourceClick();
            for (const auto& e : errs) ListBoxErrors->addItem(e);
            ListBoxErrors->setVisible(true);
            return;
        }
    } catch (const std::exception& e) {
        if (context_.showError) context_.showError(e);
        return;
    }
    ListBoxErrors->hide();
    ListBoxErrors->clear();
    if (context_.showMessage) context_.showMessage(q("Запрос выполнен успешно!", "SQL Executed Succesfully!"));
}

void TFormTrigger::BCompileClick() {
    if (context_.kind != K::ORACLE || !needName()) return;
    TriggerItem t = selected();
    const int row = TrigNameListView->indexOfTopLevelItem(TrigNameListView->currentItem());
    try {
        // Named with the selected row's owner, so that another owner's trigger is the one compiled.
        executeStoreText(*db_, triggerRecompileSql(t.owner + "." + splitName(t.caption).name));
    } catch (const std::exception& e) {
        if (context_.showError) context_.showError(e);
        return;
    }
    BRereadTrigNamesClick();
    if (QTreeWidgetItem* it = TrigNameListView->topLevelItem(row)) TrigNameListView->setCurrentItem(it);
    try {
        if (checkErrors(selected())) {
            QStringList errs;
            for (int i = 0; i < ListBoxErrors->count(); ++i) errs << ListBoxErrors->item(i)->text();
            BReadSourceClick();
            ListBoxErrors->clear();
            ListBoxErrors->addItems(errs);
            ListBoxErrors->setVisible(true);
        }
    } catch (const std::exception& e) {
        if (context_.showError) context_.showError(e);
    }
}

void TFormTrigger::BShowErrorsClick() {
    if (context_.kind != K::ORACLE || !needName()) return;
    PageControl1->setCurrentWidget(TabSheet3);
    MemoErrors->clear();
    try {
        TriggerItem t = selected();
        objlists::DatabaseReader reader(*db_);
        Lines lines = readErrors(reader, oracleTriggerErrorQuery(t.owner, splitName(t.caption).name));
        if (lines.empty()) lines.push_back(kNoErrors);
        for (const auto& l : lines) MemoErrors->appendPlainText(toQ(l));
    } catch (const std::exception& e) {
        if (context_.showError) context_.showError(e);
    }
}

void TFormTrigger::ListBoxErrorsDblClick() {
    if (QListWidgetItem* it = ListBoxErrors->currentItem()) jumpToError(Memo2, it->text(), triggerHeaderLines());
}

void TFormTrigger::BDropTrigClick() {
    if (context_.kind != K::ORACLE) return;
    TriggerItem t = selected();
    const std::string object = t.caption.empty() ? std::string() : t.owner + "." + splitName(t.caption).name;
    if (QString::fromStdString(object).trimmed().isEmpty()) return;
    if (!context_.ask || !context_.ask(q("Удалить триггер ", "Drop trigger ") + toQ(object) + "?")) return;
    try {
        executeStoreText(*db_, dropTriggerSql(object));
    } catch (const std::exception& e) {
        if (context_.showError) context_.showError(e);
    }
    BRereadTrigNamesClick();
}

}  // namespace vlm::serverobj
