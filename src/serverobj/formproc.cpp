// TFormProc: controls, language texts and the wiring of the procedure commands to the logic.
#include "serverobj/formproc.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBlock>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "engine/database.h"
#include "engine/error.h"
#include "engine/storedproc.h"
#include "serverobj/formparts.h"
#include "shell/language.h"
#include "shell/qtext.h"

namespace vlm::serverobj {

using shell::pick;
using shell::toQ;
using shell::fromQ;
using K = ServerKind;

namespace {

struct BusyCursor {
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
};

const char* kNotSelectedRu = "Не задано имя процедуры!";
const char* kNotSelectedEn = "Procedure name not selected!";

}  // namespace

SavedParams& savedParams() {
    static SavedParams saved;
    return saved;
}

namespace {
bool g_haveSaved = false;
}
bool haveSavedParams() { return g_haveSaved; }

QIcon procImage(int index) {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    const bool bad = index == ImgBadProcedure || index == ImgBadFunction || index == ImgTriggerOff;
    const char* letter = index == ImgFunction || index == ImgBadFunction ? "F"
                       : index == ImgCommand                            ? "C"
                       : index >= ImgTriggerOn                          ? "T"
                                                                        : "P";
    p.setBrush(bad ? QColor(200, 60, 60) : index == ImgFunction ? QColor(60, 120, 200) : QColor(60, 150, 80));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(1, 1, 14, 14, 3, 3);
    p.setPen(Qt::white);
    QFont f = p.font();
    f.setPixelSize(11);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, QString::fromLatin1(letter));
    return QIcon(pm);
}

TFormProc::TFormProc(const ServerContext& context, QWidget* parent)
    : QWidget(parent, Qt::Window), context_(context), db_(std::make_unique<engine::Database>()),
      StoredProc1(std::make_unique<engine::StoredProc>()) {
    setObjectName("TFormProc");
    setAttribute(Qt::WA_DeleteOnClose);
    resize(640, 400);
    setWindowTitle(QStringLiteral("Execute Stored Procedure"));

    auto* top = new QVBoxLayout(this);
    top->setContentsMargins(0, 0, 0, 0);
    top->setSpacing(0);
    MainMenu1 = new QMenuBar(this);
    top->setMenuBar(MainMenu1);

    auto* Panel1 = new QWidget(this);
    Panel1->setObjectName("Panel1");
    Panel1->setFixedHeight(40);
    auto* pl = new QHBoxLayout(Panel1);
    pl->setContentsMargins(4, 2, 4, 2);
    BRereadProcNames = toolButton(Panel1, pl, "BRereadProcNames", QStringLiteral("Reread"), "Reread names of stored procedures");
    BCompile = toolButton(Panel1, pl, "BCompile", QStringLiteral("Compile"), "Recompile procedure or function");
    BExecSQL = toolButton(Panel1, pl, "BExecSQL", QStringLiteral("Store"), "Сохранить процедуру или функцию");
    BOpenProc = toolButton(Panel1, pl, "BOpenProc", QStringLiteral("Prepare"), "Подготовить прцедуру к выполнению");
    BExec = toolButton(Panel1, pl, "BExec", QStringLiteral("Execute"), "Выполнить процедуру");
    BReadSource = toolButton(Panel1, pl, "BReadSource", QStringLiteral("Source"), "Получить исходный текст процедуры");
    BShowErrors = toolButton(Panel1, pl, "BShowErrors", QStringLiteral("Errors"), "Показать ошибки компиляции \r\nпроцедуры или функции");
    BDropProc = toolButton(Panel1, pl, "BDropProc", QStringLiteral("Drop"), "Drop Stored Procedure");
    BQuit = toolButton(Panel1, pl, "BQuit", QStringLiteral("Exit"), "Выход");
    CBLines = new QCheckBox(QStringLiteral("Show Lines Numbers"), Panel1);
    CBLines->setObjectName("CBLines");
    pl->addWidget(CBLines);
    pl->addStretch(1);
    BExec->setEnabled(false);
    top->addWidget(Panel1);

    auto* split = new QSplitter(Qt::Horizontal, this);
    ProcNameListView = new QTreeWidget(split);
    ProcNameListView->setObjectName("ProcNameListView");
    ProcNameListView->setColumnCount(1);
    ProcNameListView->setHeaderLabels({QStringLiteral("Имя процедуры")});
    ProcNameListView->setRootIsDecorated(false);
    ProcNameListView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ProcNameListView->installEventFilter(this);
    ProcNameListView->viewport()->installEventFilter(this);

    PageControl1 = new QTabWidget(split);
    PageControl1->setObjectName("PageControl1");
    TabSheet1 = new QWidget;
    auto* l1 = new QVBoxLayout(TabSheet1);
    ScrollBox1 = new QScrollArea(TabSheet1);
    ScrollBox1->setObjectName("ScrollBox1");
    ScrollContent = new QWidget;
    ScrollContent->setMinimumHeight(10);
    ScrollBox1->setWidget(ScrollContent);
    ScrollBox1->setWidgetResizable(true);
    Memo1 = new QPlainTextEdit(TabSheet1);
    Memo1->setObjectName("Memo1");
    l1->addWidget(ScrollBox1, 2);
    l1->addWidget(Memo1, 1);
    TabSheet2 = new QWidget;
    auto* l2 = new QVBoxLayout(TabSheet2);
    Memo2 = new QPlainTextEdit(TabSheet2);
    Memo2->setObjectName("Memo2");
    Memo2->setLineWrapMode(QPlainTextEdit::NoWrap);
    ListBoxErrors = new QListWidget(TabSheet2);
    ListBoxErrors->setObjectName("ListBoxErrors");
    ListBoxErrors->setToolTip(QStringLiteral("Errors list"));
    ListBoxErrors->setMaximumHeight(90);
    ListBoxErrors->hide();
    l2->addWidget(Memo2, 1);
    l2->addWidget(ListBoxErrors);
    TabSheet3 = new QWidget;
    auto* l3 = new QVBoxLayout(TabSheet3);
    MemoErrors = new QPlainTextEdit(TabSheet3);
    MemoErrors->setObjectName("MemoErrors");
    l3->addWidget(MemoErrors);
    PageControl1->addTab(TabSheet1, QStringLiteral("Execute"));
    PageControl1->addTab(TabSheet2, QStringLiteral("Source"));
    PageControl1->addTab(TabSheet3, QStringLiteral("Errors"));
    split->setStretchFactor(1, 1);
    split->setSizes({220, 420});
    top->addWidget(split, 1);

    auto* bar = new QWidget(this);
    auto* bl = new QHBoxLayout(bar);
    bl->setContentsMargins(2, 0, 2, 0);
    statusPanels(bar, bl, status, {150, 300, 100, 50});
    top->addWidget(bar);

    // Menus: each entry does what its button does.
    File1 = MainMenu1->addMenu(QStringLiteral("&File"));
    RereadProcedureList1 = File1->addAction(QStringLiteral("&Reread Procedure List"), this, &TFormProc::BRereadProcNamesClick);
    File1->addSeparator();
    Exit1 = File1->addAction(QStringLiteral("E&xit"), this, &QWidget::close);
    Procedure1 = MainMenu1->addMenu(QStringLiteral("&Procedure"));
    Recompile1 = Procedure1->addAction(QStringLiteral("Recompile"), QKeySequence(Qt::Key_F2), this, &TFormProc::BCompileClick);
    StoreAndCompile1 = Procedure1->addAction(QStringLiteral("Store And Compile"), QKeySequence(Qt::Key_F9), this, &TFormProc::BExecSQLClick);
    Procedure1->addSeparator();
    PrepareToExecute1 = Procedure1->addAction(QStringLiteral("Prepare To Execute"), QKeySequence(Qt::Key_F6), this, &TFormProc::BOpenProcClick);
    Execute1 = Procedure1->addAction(QStringLiteral("Execute"), QKeySequence(Qt::Key_F7), this, &TFormProc::BExecClick);
    Procedure1->addSeparator();
    ShowProcedureText1 = Procedure1->addAction(QStringLiteral("Show Text"), QKeySequence(Qt::Key_F3), this, &TFormProc::BReadSourceClick);
    ShowErrors1 = Procedure1->addAction(QStringLiteral("Show Errors"), QKeySequence(Qt::Key_F4), this, &TFormProc::BShowErrorsClick);
    Procedure1->addSeparator();
    Delete1 = Procedure1->addAction(QStringLiteral("Delete"), QKeySequence(Qt::Key_F8), this, &TFormProc::BDropProcClick);
    for (QAction* a : {Recompile1, StoreAndCompile1, PrepareToExecute1, Execute1, ShowProcedureText1, ShowErrors1, Delete1})
        a->setShortcutContext(Qt::WindowShortcut);

    PopupMenu1 = new QMenu(this);
    SaveParams = PopupMenu1->addAction(QStringLiteral("Save Params"), this, &TFormProc::SaveParamsClick);
    SaveParamsToFile1 = PopupMenu1->addAction(QStringLiteral("Save Params To File ..."), this, &TFormProc::SaveParamsToFileClick);
    PopupMenu1->addSeparator();
    RestoreParams = PopupMenu1->addAction(QStringLiteral("RestoreParams"), this, &TFormProc::RestoreParamsClick);
    RestoreParamsFromFile1 = PopupMenu1->addAction(QStringLiteral("Restore Params From File"), this, &TFormProc::RestoreParamsFromFileClick);
    PopupMenu1->addSeparator();
    SetParamType1 = PopupMenu1->addMenu(QStringLiteral("Set Param Type"));
    SetParamType1->setEnabled(false);
    using D = engine::ParamDirection;
    auto typeAction = [this](const char* text, D d) {
        QAction* a = SetParamType1->addAction(QString::fromLatin1(text), this, [this, d] { setParamType(d); });
        a->setCheckable(true);
        return a;
    };
    Unknown1 = typeAction("Unknown", D::Unknown);
    Input1 = typeAction("Input", D::Input);
    Output1 = typeAction("Output", D::Output);
    InputOutput1 = typeAction("InputOutput", D::InputOutput);
    Result1 = typeAction("Result", D::Result);
    connect(PopupMenu1, &QMenu::aboutToShow, this, &TFormProc::PopupMenu1Popup);
    ScrollContent->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ScrollContent, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { PopupMenu1->popup(ScrollContent->mapToGlobal(p)); });

    connect(BRereadProcNames, &QToolButton::clicked, this, &TFormProc::BRereadProcNamesClick);
    connect(BCompile, &QToolButton::clicked, this, &TFormProc::BCompileClick);
    connect(BExecSQL, &QToolButton::clicked, this, &TFormProc::BExecSQLClick);
    connect(BOpenProc, &QToolButton::clicked, this, &TFormProc::BOpenProcClick);
    connect(BExec, &QToolButton::clicked, this, &TFormProc::BExecClick);
    connect(BReadSource, &QToolButton::clicked, this, &TFormProc::BReadSourceClick);
    connect(BShowErrors, &QToolButton::clicked, this, &TFormProc::BShowErrorsClick);
    connect(BDropProc, &QToolButton::clicked, this, &TFormProc::BDropProcClick);
    connect(BQuit, &QToolButton::clicked, this, &QWidget::close);
    connect(ListBoxErrors, &QListWidget::itemDoubleClicked, this, [this] { ListBoxErrorsDblClick(); });

    applyLanguage();
}

TFormProc::~TFormProc() = default;

void TFormProc::applyLanguage() {
    const int lang = shell::languageSetting();
    if (lang != 1 && lang != 2) return;
    setWindowTitle(q("Выполнение сохраненной процедуры", "Execute Stored Procedure"));
    BRereadProcNames->setToolTip(q("Перечитать имена сохраненных процедур", "Reread names of stored procedures"));
    BExec->setToolTip(q("Выполнить процедуру", "Execute Stored Procedure"));
    BQuit->setToolTip(q("Выход", "Exit"));
    BOpenProc->setToolTip(q("Подготовить прцедуру к выполнению", "Prepare Stored Procedure"));
    BReadSource->setToolTip(q("Получить исходный текст процедуры", "Get Source Text Of Procedure"));
    CBLines->setText(q("Номера строк", "Lines Number"));
    BExecSQL->setToolTip(q("Сохранить процедуру\r\nили выполнить SQL", "Save procedure or Execute SQL"));
    BShowErrors->setToolTip(q("Показать ошибки компиляции \r\nпроцедуры или функции", "Show Compile Errors"));
    PageControl1->setTabText(0, q("Выполнение", "Execute"));
    PageControl1->setTabText(1, q("Исх. текст", "Source"));
    PageControl1->setTabText(2, q("Ошибки", "Errors"));
    BDropProc->setToolTip(q("Удаление сохраненной процедуры", "Drop Stored Pricedure"));
    BCompile->setToolTip(q("Перекомпилировать процедуру или функцию", "Recompile procedure or function"));
    SaveParams->setText(q("Сохранить параметры", "Save Params"));
    SaveParamsToFile1->setText(q("Сохранить параметры в файле...", "Save Params To File ..."));
    RestoreParams->setText(q("Востановить параметры", "RestoreParams"));
    RestoreParamsFromFile1->setText(q("Востановить параметры из файла", "Restore Params From File"));
    File1->setTitle(q("Файл", "File"));
    Procedure1->setTitle(q("Процедура", "Procedure"));
    RereadProcedureList1->setText(q("Перечитать список", "Reread Procedure List"));
    Exit1->setText(q("Выход", "Exit"));
    Recompile1->setText(q("Перекомпилировать", "Recompile"));
    PrepareToExecute1->setText(q("Подготовка к выполнению", "Prepare To Execute"));
    Execute1->setText(q("Выполнить", "Execute"));
    StoreAndCompile1->setText(q("Сохранить и компилировать", "Store And Compile"));
    ShowProcedureText1->setText(q("Показать текст", "Show Text"));
    ShowErrors1->setText(q("Показать ошибки", "Show Errors"));
    Delete1->setText(q("Удалить", "Delete"));
}

bool TFormProc::start() {
    try {
        db_->setDatabaseName(context_.databaseName);
        db_->params() = context_.params;
        db_->open();
        if (context_.kind == K::INTERBASE) {
            objlists::DatabaseReader reader(*db_);
            dialect_ = objlists::interbaseDialect(reader);
        }
    } catch (const std::exception& e) {
        if (context_.showError) context_.showError(e);
        return false;
    }
    StoredProc1->setDatabase(db_.get());
    enableByKind();
    status[0]->setText(toQ(context_.databaseName));
    status[1]->setText(toQ(context_.driverName));
    BRereadProcNamesClick();
    ProcNameListView->setFocus();
    return true;
}

void TFormProc::enableByKind() {
    const K k = context_.kind;
    auto pages = [this](bool source, bool errors) {
        PageControl1->setTabVisible(1, source);
        PageControl1->setTabVisible(2, errors);
    };
    if (k == K::ORACLE) {
        pages(true, true);
        return;
    }
    for (QWidget* w : std::initializer_list<QWidget*>{CBLines, BShowErrors, BCompile}) w->setEnabled(false);
    Recompile1->setEnabled(false);
    ShowErrors1->setEnabled(false);
    if (k == K::SQLBASE || k == K::INTERBASE) {
        pages(true, false);
    } else if (k == K::MSSQL) {
        pages(true, false);
        BDropProc->setEnabled(false);
        Delete1->setEnabled(false);
    } else {
        BReadSource->setEnabled(false);
        BDropProc->setEnabled(false);
        ShowProcedureText1->setEnabled(false);
        Delete1->setEnabled(false);
        pages(false, false);
    }
}

std::string TFormProc::selectedName() const {
    QTreeWidgetItem* it = ProcNameListView->currentItem();
    return it ? fromQ(it->text(0)) : std::string();
}

std::string TFormProc::kindLetter() const {
    QTreeWidgetItem* it = ProcNameListView->currentItem();
    return it ? fromQ(it->data(0, Qt::UserRole).toString()) : std::string();
}

bool TFormProc::needName() {
    if (!QString::fromStdString(selectedName()).trimmed().isEmpty()) return true;
    if (context_.showMessage) context_.showMessage(q(kNotSelectedRu, kNotSelectedEn));
    return false;
}

bool TFormProc::mayReplaceSource() {
    if (!Memo2->document()->isModified() || Memo2->toPlainText().trimmed().isEmpty()) return true;
    return context_.ask && context_.ask(q("Исходный текст изменен. Отказаться от изменений?",
                                          "The source text has been changed. Discard the changes?"));
}

void TFormProc::reset() {
    Memo1->clear();
    Memo2->clear();
    Memo2->document()->setModified(false);
    MemoErrors->clear();
    for (QWidget* w : ScrollContent->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) delete w;
    ScrollContent->setMinimumHeight(10);
    BExec->setEnabled(false);
    Execute1->setEnabled(false);
    BOpenProc->setEnabled(true);
    ListBoxErrors->hide();
    ListBoxErrors->clear();
}

void TFormProc::BRereadProcNamesClick() {
    if (!mayReplaceSource()) return;
    BusyCursor busy;
    ProcNameListView->clear();
    shown_ = nullptr;
    try {
        for (const auto& item : readProcNames(*db_, context_.kind)) {
            auto* it = new QTreeWidgetItem(ProcNameListView, {toQ(item.caption)});
            it->setData(0, Qt::UserRole, toQ(item.kind));
            it->setIcon(0, procImage(item.image));
        }
    } catch (const std::exception& e) {
        if (context_.showError) context_.showError(e);
    }
    if (ProcNameListView->topLevelItemCount() > 0) {
        QTreeWidgetItem* first = ProcNameListView->topLevelItem(0);
        ProcNameListView->setCurrentItem(first);
        ProcNameListView->scrollToItem(first);
        ProcNameListView->headerItem()->setText(0, first->text(0));
        shown_ = first;
    } else {
        ProcNameListView->headerItem()->setText(0, QString());
    }
}

bool TFormProc::selectItem(int row) {
    QTreeWidgetItem* it = ProcNameListView->topLevelItem(row);
    if (!it) return false;
    ProcNameListView->setCurrentItem(it);
    selectionReleased();
    return ProcNameListView->currentItem() == it;
}

void TFormProc::selectionReleased() {
    QTreeWidgetItem* it = ProcNameListView->currentItem();
    if (!it || ProcNameListView->headerItem()->text(0) == it->text(0)) return;
    if (!mayReplaceSource()) {
        // The edited source stays, and so does the selection it belongs to.
        QSignalBlocker block(ProcNameListView);
        if (shown_) ProcNameListView->setCurrentItem(shown_);
        return;
    }
    reset();
    ProcNameListView->headerItem()->setText(0, it->text(0));
    shown_ = it;
}

bool TFormProc::eventFilter(QObject* o, QEvent* e) {
    if (o == ProcNameListView->viewport() && e->type() == QEvent::MouseButtonRelease) {
        QMetaObject::invokeMethod(this, [this] { selectionReleased(); }, Qt::QueuedConnection);
    } else if (o == ProcNameListView && e->type() == QEvent::KeyRelease) {
        switch (static_cast<QKeyEvent*>(e)->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Home:
        case Qt::Key_End: selectionReleased(); break;
        default: break;
        }
    }
    return QWidget::eventFilter(o, e);
}

std::vector<TMyEdit*> TFormProc::editors() const {
    const auto found = ScrollContent->findChildren<TMyEdit*>(QString(), Qt::FindDirectChildrenOnly);
    return {found.begin(), found.end()};
}

void TFormProc::BOpenProcClick() {
    if (!needName()) return;
    PageControl1->setCurrentWidget(TabSheet1);
    for (QWidget* w : ScrollContent->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) delete w;
    bool prepared = false;
    try {
        StoredProc1->setStoredProcName(selectedName());
        StoredProc1->prepare();
        prepared = true;
    } catch (const std::exception& e) {
        if (context_.showError) context_.showError(e);
    }
    if (!prepared) {
        // A procedure without parameters is prepared with an empty list and runs as it is.
        if (context_.showMessage) context_.showMessage(q("Параметры не доступны!", "Params Not Available!"));
        return;
    }
    auto specs = editorsFor(context_.kind, StoredProc1->params());
    const int width = std::max(100, ScrollBox1->viewport()->width() - 20);
    int contentHeight = 0;
    for (const auto& s : specs) {
        auto* label = new TMyLabel(toQ(StoredProc1->params()[s.index].name), ScrollContent);
        auto* edit = new TMyEdit(ScrollContent);
        edit->setObjectName(toQ(s.name));
        edit->setProperty("tag", int(s.index));
        edit->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(edit, &QWidget::customContextMenuRequested, this,
                [this, edit](const QPoint& p) { edit->setFocus(); PopupMenu1->popup(edit->mapToGlobal(p)); });
        label->adjustSize();
        const int lh = label->sizeHint().height(), eh = edit->sizeHint().height();
        // Everything placed so far moves down; the new pair goes on top.
        for (QWidget* w : ScrollContent->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            if (w != label && w != edit) w->move(w->x(), w->y() + lh + eh + 6);
        label->move(5, 0);
        edit->setGeometry(5, lh + 4, width, eh);
        label->show();
        edit->show();
        contentHeight += lh + eh + 6;
    }
    ScrollContent->setMinimumHeight(contentHeight + 4);
    // Tab order follows the parameters.
    QWidget* prev = nullptr;
    for (const auto& p : StoredProc1->params())
        for (TMyEdit* e : editors())
            if (e->objectName() == toQ(context_.kind == K::MSSQL ? std::string() : p.name) ||
                (context_.kind == K::MSSQL && e->property("tag").toInt() == int(&p - StoredProc1->params().data()))) {
                if (prev) QWidget::setTabOrder(prev, e);
                prev = e;
            }
    BExec->setEnabled(true);
    Execute1->setEnabled(true);
    if (!editors().empty()) editors().back()->setFocus();
}

void TFormProc::BExecClick() {
    if (!BExec->isEnabled()) return;
    PageControl1->setCurrentWidget(TabSheet1);
    Memo1->clear();
    std::vector<Editor> eds;
    for (TMyEdit* e : editors()) eds.push_back({fromQ(e->objectName()), fromQ(e->text())});
    try {
        assignEditorValues(context_.kind, eds, *StoredProc1);
        StoredProc1->execProc();
    } catch (const std::exception& e) {
        if (context_.showError) context_.showError(e);
        return;
    }
    for (const auto& l : outputLines(StoredProc1->params())) Memo1->appendPlainText(toQ(l));
}

void TFormProc::showSource(const std::string& name) {
    PageControl1->setCurrentWidget(TabSheet2);
    Memo2->clear();
    try {
        objlists::DatabaseReader reader(*db_);
        SourceOptions o{context_.loginUser, CBLines->isChecked(), context_.doubleColons};
        QStringList lines;
        for (const auto& l : readProcSource(reader, {context_.kind, dialect_}, name, o)) lines << toQ(l);
        Memo2->setPlainText(lines.join('\n'));
    } catch (const std::exception& e) {
        if (context_.showError) context_.showError(e);
    }
    Memo2->document()->setModified(false);
    Memo2->moveCursor(QTextCursor::Start);
    Memo2->ensureCursorVisible();
}

void TFormProc::BReadSourceClick() {
    if (!needName() || !mayReplaceSource()) return;
    showSource(selectedName());
}

void TFormProc::showErrorList(const Lines& lines) { fillErrorList(ListBoxErrors, lines); }

bool TFormProc::checkErrors(const std::string& name) {
    objlists::DatabaseReader reader(*db_);
    Lines lines = readErrors(reader, oracleErrorQuery(name));
    if (lines.empty()) return false;
    showErrorList(lines);
    return true;
}

void TFormProc::BExecSQLClick() {
    Lines lines = memoLines(Memo2);
    if (context_.kind == K::ORACLE) {
        try {
            executeStoreText(*db_, oracleStoreText(lines, context_.replaceAssignment));
        } catch (const std::exception& e) {
            if (context_.showError) context_.showError(e);
            return;
        }
        Memo2->document()->setModified(false);
        const QString memo = Memo2->toPlainText();
        std::string name = storedObjectName(fromQ(memo));
        if (name.find('.') == std::string::npos) name = fromQ(toQ(context_.loginUser).toUpper()) + "." + name;
        BRereadProcNamesClick();
        for (int i = 0; i < ProcNameListView->topLevelItemCount(); ++i)
            if (ProcNameListView->topLevelItem(i)->text(0).toUpper() == toQ(name).toUpper()) {
                ProcNameListView->setCurrentItem(ProcNameListView->topLevelItem(i));
                ProcNameListView->headerItem()->setText(0, ProcNameListView->topLevelItem(i)->text(0));
                shown_ = ProcNameListView->topLevelItem(i);
                break;
            }
        ProcNameListView->setFocus();
        try {
            if (checkErrors(name)) {
                Lines errs;
                for (int i = 0; i < ListBoxErrors->count(); ++i) errs.push_back(fromQ(ListBoxErrors->item(i)->text()));
                showSource(name);
                showErrorList(errs);
                return;
            }
        } catch (const std::exception& e) {
            if (context_.showError) context_.showError(e);
            return;
        }
        showErrorList({});
        if (context_.showMessage) context_.showMessage(q("Запрос выполнен успешно!", "SQL Executed Succesfully!"));
        return;
    }
    try {
        executeStoreText(*db_, plainStoreText(lines, context_.replaceAssignment));
    } catch (const engine::EngineError& e) {
        // The text stays; where the server names the place, the list shows it and the caret goes there.
        if (auto line = serverErrorLine(e)) {
            showErrorList({*line});
            ListBoxErrorsDblClick();
        }
        if (context_.showError) context_.showError(e);
        return;
    } catch (const std::exception& e) {
        if (context_.showError) context_.showError(e);
        return;
    }
    Memo2->document()->setModified(false);
    showErrorList({});
    if (context_.showMessage) context_.showMessage(q("Запрос выполнен успешно!", "SQL Executed Succesfully!"));
}

void TFormProc::BCompileClick() {
    if (context_.kind != K::ORACLE || !needName()) return;
    const int row = ProcNameListView->indexOfTopLevelItem(ProcNameListView->currentItem());
    const std::string name = selectedName();
    try {
        executeStoreText(*db_, recompileSql(kindLetter(), name));
    } catch (const std::exception& e) {
        if (context_.showError) context_.showError(e);
        return;
    }
    if (!mayReplaceSource()) return;
    Memo2->document()->setModified(false);
    BRereadProcNamesClick();
    if (QTreeWidgetItem* it = ProcNameListView->topLevelItem(row)) {
        ProcNameListView->setCurrentItem(it);
        ProcNameListView->headerItem()->setText(0, it->text(0));
        shown_ = it;
    }
    try {
        if (checkErrors(name)) {
            Lines errs;
            for (int i = 0; i < ListBoxErrors->count(); ++i) errs.push_back(fromQ(ListBoxErrors->item(i)->text()));
            showSource(name);
            showErrorList(errs);
        }
    } catch (const std::exception& e) {
        if (context_.showError) context_.showError(e);
    }
}

void TFormProc::BShowErrorsClick() {
    if (context_.kind != K::ORACLE || !needName()) return;
    PageControl1->setCurrentWidget(TabSheet3);
    MemoErrors->clear();
    try {
        objlists::DatabaseReader reader(*db_);
        Lines lines = readErrors(reader, oracleErrorQuery(selectedName()));
        if (lines.empty()) lines.push_back(kNoErrors);
        for (const auto& l : lines) MemoErrors->appendPlainText(toQ(l));
    } catch (const std::exception& e) {
        if (context_.showError) context_.showError(e);
    }
}

void TFormProc::ListBoxErrorsDblClick() {
    QListWidgetItem* it = ListBoxErrors->currentItem();
    if (!it) return;
    PageControl1->setCurrentWidget(TabSheet2);
    jumpToError(Memo2, it->text(), 0);
}

void TFormProc::BDropProcClick() {
    if (!needName()) return;
    const std::string name = selectedName();
    if (!context_.ask || !context_.ask(toQ(dropProcQuestion(shell::languageSetting() == 1, kindLetter(), name)))) return;
    const std::string sql = dropProcSql(context_.kind, kindLetter(), name);
    if (!sql.empty()) {
        try {
            executeStoreText(*db_, sql);
        } catch (const std::exception& e) {
            if (context_.showError) context_.showError(e);
        }
    }
    BRereadProcNamesClick();
}

void TFormProc::SaveParamsClick() {
    SavedParams s;
    for (TMyEdit* e : editors()) {
        s.names.push_back(fromQ(e->objectName()));
        s.values.push_back(fromQ(e->text()));
    }
    savedParams() = s;
    g_haveSaved = true;
}

void TFormProc::RestoreParamsClick() {
    if (!g_haveSaved) return;
    std::vector<Editor> eds;
    auto boxes = editors();
    for (TMyEdit* e : boxes) eds.push_back({fromQ(e->objectName()), fromQ(e->text())});
    auto unknown = restoreParams(savedParams(), eds);
    for (std::size_t i = 0; i < boxes.size(); ++i) boxes[i]->setText(toQ(eds[i].text));
    if (!unknown.empty() && !boxes.empty() && context_.showMessage) {
        QStringList names;
        for (const auto& n : unknown) names << toQ(n);
        context_.showMessage(q("Параметры не найдены: ", "Parameters not found: ") + names.join(", "));
    }
}

void TFormProc::SaveParamsToFileClick() {
    if (!g_haveSaved || !context_.saveFileName) return;
    QString file = context_.saveFileName(q("Сохранение параметров ф файле", "Save Params To File"));
    if (file.isEmpty()) return;
    try {
        writeParFile(fromQ(file), savedParams());
    } catch (const std::exception& e) {
        if (context_.showError) context_.showError(e);
    }
}

void TFormProc::RestoreParamsFromFileClick() {
    if (!context_.openFileName) return;
    QString file = context_.openFileName(q("Чтение параметров из файла", "Read Params From File"));
    if (file.isEmpty()) return;
    try {
        if (auto s = readParFile(fromQ(file))) {
            savedParams() = *s;
            g_haveSaved = true;
        }
    } catch (const std::exception& e) {
        if (context_.showError) context_.showError(e);
    }
}

void TFormProc::PopupMenu1Popup() {
    auto* edit = qobject_cast<TMyEdit*>(QApplication::focusWidget());
    const bool on = edit && edit->parent() == ScrollContent;
    SetParamType1->setEnabled(on);
    if (!on) return;
    const std::size_t index = std::size_t(edit->property("tag").toInt());
    if (index >= StoredProc1->params().size()) return;
    using D = engine::ParamDirection;
    const D d = StoredProc1->params()[index].direction;
    Unknown1->setChecked(d == D::Unknown);
    Input1->setChecked(d == D::Input);
    Output1->setChecked(d == D::Output);
    InputOutput1->setChecked(d == D::InputOutput);
    Result1->setChecked(d == D::Result);
}

void TFormProc::setParamType(engine::ParamDirection d) {
    auto* edit = qobject_cast<TMyEdit*>(QApplication::focusWidget());
    if (!edit) return;
    const std::size_t index = std::size_t(edit->property("tag").toInt());
    if (index < StoredProc1->params().size()) StoredProc1->params()[index].direction = d;
}

void TFormProc::appendSkeleton(const std::vector<std::string>& lines) {
    PageControl1->setCurrentIndex(std::min(PageControl1->currentIndex() + 1, PageControl1->count() - 1));
    for (const auto& l : lines) Memo2->appendPlainText(toQ(l));
}

void TFormProc::closeEvent(QCloseEvent* e) {
    if (!mayReplaceSource()) {
        e->ignore();
        return;
    }
    QWidget::closeEvent(e);
}

}  // namespace vlm::serverobj
