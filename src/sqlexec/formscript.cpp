// The script window's controls and execution (see formscript.h); the editor side is in
// formscript_tabs.cpp.
#include "sqlexec/formscript.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTabWidget>
#include <QThread>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <fstream>

#include "datawin/commands.h"
#include "datawin/formviews.h"
#include "datawin/viewlogic.h"
#include "engine/error.h"
#include "engine/query.h"
#include "panels/panelcontroller.h"
#include "qrun/qrunlaunch.h"
#include "shell/commandids.h"
#include "shell/formmain.h"
#include "shell/language.h"
#include "shell/qtext.h"
#include "shell/windowsmenu.h"
#include "sqlexec/scriptrun.h"
#include "transfer/transfer.h"

namespace vlm::sqlexec {

using shell::fromQ;
using shell::pick;
using shell::toQ;

namespace {
bool gBackground = false;

QString pickQ(const char* ru, const char* en) { return toQ(pick(ru, en)); }

struct BusyCursor {
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
};
}  // namespace

bool backgroundExecution() { return gBackground; }
void setBackgroundExecution(bool on) { gBackground = on; }

TFormScript::TFormScript(panels::TPanels& panels, shell::Side side, QWidget* parent)
    : QMainWindow(parent, Qt::Window), panels_(panels), side_(side) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("FormScript"));
    engine::Database& panelDb = panels.database(side);
    db_.setDatabaseName(panelDb.databaseName());
    db_.params() = panelDb.params();
    const shell::Dictionaries& d = panels.form().dictionaries();
    lists_ = std::make_unique<WordLists>(d.sqlKeywords, d.sqlFunctions, d.otherKeywords);
    if (panels.fillCurrentTable()) currentTable_ = panels::CurrentTable().tableNameForCommands;

    chooseSaveFile = [this](const QString& suggested) {
        return QFileDialog::getSaveFileName(this, QStringLiteral("Сохранить файл"), suggested,
                                            QStringLiteral("SQL Script (*.sql);;Test Files (*.txt);;All Files (*);;Rich Text (RTF) (*.rtf)"));
    };
    chooseOpenFile = [this] {
        return QFileDialog::getOpenFileName(this, pickQ("Открыть файл", "Open SQL Script"), QString(),
                                            QStringLiteral("SQL Script (*.sql);;Text Files (*.txt);;All Files (*);;Rich Text (RTF) (*.rtf)"));
    };
    askSaveChanges = [this] {
        const auto b = QMessageBox::question(this, windowTitle(), pickQ("Текст изменен. Сохранить?", "Text changed. Save?"),
                                             QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        return b == QMessageBox::Yes ? 2 : b == QMessageBox::No ? 1 : 0;
    };
    askExit = [this] { return panels_.askYesNo(pickQ("Завершить работу с SQL редактором ?", "Exit from SQL Editor ?")); };
    openWorkbook = [](const QString& path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); };

    buildControls();
    buildMenus();
    setWindowTitle(pickQ("Открыть, сохранить & выполнить SQL предложения", "Open, Save & Execute SQL Commands") +
                   QStringLiteral(": ") + toQ(db_.databaseName()));
    ESQLDelim->setText(toQ(panels.settings().sqlDelimiter.substr(0, 1)));
    CBThread->setChecked(gBackground);
    newTab();
    updateRunControls();
    resize(760, 520);
}

TFormScript::~TFormScript() {
    // Destroyed with its owner while a statement runs (the program ends): stop the worker
    // before the connection goes.
    if (worker_) {
        db_.cancelRunning();
        worker_->wait();
    }
    if (shell::TWindowsMenu* wm = shell::windowsMenu()) {
        const auto slot = side_ == shell::Side::Left ? shell::WindowSlot::LeftScript : shell::WindowSlot::RightScript;
        if (wm->slotWindow(slot) == this) wm->setSlot(slot, nullptr);
    }
}

QToolButton* TFormScript::tool(QToolBar* bar, const char* name, const QString& text, const QString& hint,
                               std::function<void()> onClick) {
    auto* b = new QToolButton(bar);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(text);
    b->setToolTip(hint);
    bar->addWidget(b);
    connect(b, &QToolButton::clicked, this, [onClick] { onClick(); });
    return b;
}

void TFormScript::buildControls() {
    ToolBar3 = addToolBar(QStringLiteral("ToolBar3"));
    ToolBar3->setObjectName(QStringLiteral("ToolBar3"));
    BNew = tool(ToolBar3, "BNew", QStringLiteral("New"), QStringLiteral("New file"),
                 [this] { newTab(); });
    BOpen = tool(ToolBar3, "BOpen", QStringLiteral("Open"), QStringLiteral("Open File"),
                 [this] {
        const QString f = chooseOpenFile();
        if (!f.isEmpty()) openFile(f);
    });
    BSave = tool(ToolBar3, "BSave", QStringLiteral("Save"), QStringLiteral("Save file from current edit window"),
                 [this] { save(); });
    BSaveAs = tool(ToolBar3, "BSaveAs", QStringLiteral("Save As"), QStringLiteral("Save file from current edit window as..."),
                 [this] { saveAs(); });
    BClose = tool(ToolBar3, "BClose", QStringLiteral("Close"), QStringLiteral("Close current File And\nEdit Window Without Save"),
                 [this] { closeTab(); });
    ToolBar3->addSeparator();

    ToolBar1 = addToolBar(QStringLiteral("ToolBar1"));
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    BOpenQuery = tool(ToolBar1, "BOpenQuery", QStringLiteral("F2"),
                      QStringLiteral("Execute one SQL statement\nfrom list divide by  ';'\nand show result as Grid"),
                      [this] { BOpenQueryClick(); });
    BTextFile = tool(ToolBar1, "BTextFile", QStringLiteral("Text"),
                     QStringLiteral("Execute one SQL statement\nfrom list divide by ';'\nand show result as text"),
                     [this] { BTextFileClick(); });
    BExcel = tool(ToolBar1, "BExcel", QStringLiteral("Excel"), QStringLiteral("Send SQL result into Microsoft Excel"),
                  [this] { BExcelClick(); });
    BMultiQuery = tool(ToolBar1, "BMultiQuery", QStringLiteral("Script"),
                       QStringLiteral("Execute all SQL statements in current \nedit window divide by  ';'\nand show result as text"),
                       [this] { BMultiQueryClick(); });
    BCancel = tool(ToolBar1, "BCancel", QStringLiteral("Cancel"), QStringLiteral("Cancel the running statement (Esc)"),
                   [this] { BCancelClick(); });

    auto* central = new QWidget(this);
    auto* lay = new QVBoxLayout(central);
    lay->setContentsMargins(2, 2, 2, 2);
    PageControl2 = new QTabWidget(central);
    PageControl2->setObjectName(QStringLiteral("PageControl2"));
    auto* pageTx = new QWidget;
    pageTx->setObjectName(QStringLiteral("TabSheetTransaction"));
    auto* tx = new QHBoxLayout(pageTx);
    auto* txBar = new QToolBar(pageTx);
    BStartTransaction = tool(txBar, "BStartTransaction", QStringLiteral("start"), QStringLiteral("Начать транзакцию"),
                             [this] { BStartTransactionClick(); });
    BCommit = tool(txBar, "BCommit", QStringLiteral("Commit"), QStringLiteral("Save Changes"), [this] { BCommitClick(); });
    BRollback = tool(txBar, "BRollback", QStringLiteral("RollBack"), QStringLiteral("Undo Changes"),
                     [this] { BRollbackClick(); });
    tx->addWidget(txBar);
    CB1Transaction = new QCheckBox(QStringLiteral("Use Transaction"), pageTx);
    CB1Transaction->setObjectName(QStringLiteral("CB1Transaction"));
    CB1Transaction->setToolTip(QStringLiteral("If checked, then execute\nall SQL statements as\none transaction"));
    connect(CB1Transaction, &QCheckBox::toggled, this, [this](bool on) {
        useTransaction_ = on;
        updateTransactionButtons();
    });
    tx->addWidget(CB1Transaction);
    LabelDelim = new QLabel(QStringLiteral("SQL statement's delimiter"), pageTx);
    LabelDelim->setObjectName(QStringLiteral("LabelDelim"));
    ESQLDelim = new QLineEdit(pageTx);
    ESQLDelim->setObjectName(QStringLiteral("ESQLDelim"));
    ESQLDelim->setMaxLength(2);
    ESQLDelim->setFixedWidth(32);
    connect(ESQLDelim, &QLineEdit::textEdited, this, [this](const QString& t) {
        if (!delimiterFieldValid(fromQ(t)))
            panels_.showMessage(pickQ("Разделитель - один символ и не пробел!", "Delimiter - One Character!"));
    });
    tx->addWidget(LabelDelim);
    tx->addWidget(ESQLDelim);
    CBThread = new QCheckBox(QStringLiteral("Execute Single (F2) Statement As Thread"), pageTx);
    CBThread->setObjectName(QStringLiteral("CBThread"));
    connect(CBThread, &QCheckBox::toggled, this, [](bool on) { gBackground = on; });
    tx->addWidget(CBThread);
    tx->addStretch();
    PageControl2->addTab(pageTx, QStringLiteral("Execute SQL Statements"));
    auto* pageOther = new QWidget;
    pageOther->setObjectName(QStringLiteral("TabSheetQueryAsExe"));
    auto* other = new QHBoxLayout(pageOther);
    CBQueryAsExe = new QCheckBox(QStringLiteral("Exec Query As Exe"), pageOther);
    CBQueryAsExe->setObjectName(QStringLiteral("CBQueryAsExe"));
    CBHetero = new QCheckBox(QStringLiteral("Enable heterogeneous join"), pageOther);
    CBHetero->setObjectName(QStringLiteral("CBHetero"));
    other->addWidget(CBQueryAsExe);
    other->addWidget(CBHetero);
    other->addStretch();
    PageControl2->addTab(pageOther, QStringLiteral("Other"));
    PageControl2->setMaximumHeight(PageControl2->sizeHint().height());
    lay->addWidget(PageControl2);

    PageControl1 = new QTabWidget(central);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    connect(PageControl1, &QTabWidget::currentChanged, this, [this] {
        updateModified();
        updateCaret();
    });
    lay->addWidget(PageControl1, 1);
    setCentralWidget(central);

    for (int i = 0; i < 3; ++i) {
        StatusBar1[i] = new QLabel(this);
        statusBar()->addWidget(StatusBar1[i], i == 0 ? 4 : 1);
    }
    StatusBar1[0]->setText(pickQ("F2 - выполнить SQL предложение;F1-контекстная подсказка",
                                 "Press F2 for execute SQL statement; F1- Context Help"));
}

void TFormScript::applyRussianTexts() {
    setWindowTitle(QStringLiteral("Открыть, сохранить & выполнить SQL предложения: ") + toQ(db_.databaseName()));
    BStartTransaction->setText(QStringLiteral("Старт"));
    BCommit->setText(QStringLiteral("Сохр."));
    BCommit->setToolTip(QStringLiteral("Подтвердить (сохранить) изменения"));
    BRollback->setText(QStringLiteral("Откат"));
    BRollback->setToolTip(QStringLiteral("Отказаться от изменений"));
    CB1Transaction->setText(QStringLiteral("Использовать транзакции"));
    CB1Transaction->setToolTip(QStringLiteral("Если отмечено, то после выполнения\nнеобходимо выполнить COMMIT или ROLLBACK"));
    CBQueryAsExe->setText(QStringLiteral("Запрос (F2) как отдельное приложение"));
    CBThread->setText(QStringLiteral("Выполнить SQL(F2) отдельным потоком"));
    CBHetero->setText(QStringLiteral("Разрешить гетерогенный запрос"));
    LabelDelim->setText(QStringLiteral("Разделитель SQL предложений"));
    BExcel->setToolTip(QStringLiteral("Сохранить результат запроса\nв Microsoft Excel"));
    BCancel->setText(QStringLiteral("Отмена"));
    BCancel->setToolTip(QStringLiteral("Прервать выполняемый запрос (Esc)"));
    const QString d = toQ(panels_.settings().sqlDelimiter.substr(0, 1));
    BOpenQuery->setToolTip(QStringLiteral("Выполнить один SQL запрос\nиз списка  разделенный '") + d +
                           QStringLiteral("'\nи результат вывести в табличной форме"));
    BTextFile->setToolTip(QStringLiteral("Выполнить один SQL запрос\nиз списка  разделенный '") + d +
                          QStringLiteral("'\nи результат записать как текст"));
    BMultiQuery->setToolTip(QStringLiteral("Выполнить SQL script разделенный '") + d +
                            QStringLiteral("'\nи результат записать как текст"));
    BNew->setToolTip(QStringLiteral("Новый файл"));
    BOpen->setToolTip(QStringLiteral("Открыить файл"));
    BSave->setToolTip(QStringLiteral("Сохранить текущий файл"));
    BSaveAs->setToolTip(QStringLiteral("Сохранить текущий файл как..."));
    BClose->setToolTip(QStringLiteral("Закрыть текущий файл и\nпанель без сохранения"));
    PageControl2->setTabText(0, QStringLiteral("Выполнение SQL"));
    PageControl2->setTabText(1, QStringLiteral("Другие параметры"));
    StatusBar1[0]->setText(QStringLiteral("F2 - выполнить SQL предложение;F1-контекстная подсказка"));
}

void TFormScript::updateRunControls() {
    for (QToolButton* b : {BOpenQuery, BTextFile, BExcel, BMultiQuery}) b->setEnabled(!running_);
    BCancel->setEnabled(running_);
    CB1Transaction->setEnabled(!running_ && !db_.inTransaction());
    updateTransactionButtons();
}

void TFormScript::updateTransactionButtons() {
    const bool active = db_.connected() && db_.inTransaction();
    BStartTransaction->setEnabled(!running_ && CB1Transaction->isChecked() && !active);
    BCommit->setEnabled(!running_ && active);
    BRollback->setEnabled(!running_ && active);
    CB1Transaction->setEnabled(!running_ && !active);
}

bool TFormScript::ensureOpen() {
    try {
        if (reconnect_ && db_.connected() && !db_.inTransaction()) db_.close();
        reconnect_ = false;
        if (!db_.connected()) db_.open();
        return true;
    } catch (const std::exception& e) {
        panels_.showError(e);
        return false;
    }
}

bool TFormScript::delimiterOk(char& d) {
    d = delimiterOf(fromQ(ESQLDelim->text()));
    if (d) return true;
    panels_.showMessage(pickQ("Разделитель - один символ и не пробел!", "Delimiter - One Character!"));
    return false;
}

std::string TFormScript::statementAtCaret(bool& blank) {
    QPlainTextEdit* e = currentEditor();
    blank = !e || e->toPlainText().trimmed().isEmpty();
    if (blank) return {};
    const QString text = e->toPlainText();
    // The caret as a byte offset of the UTF-8 text.
    const std::string before = text.left(e->textCursor().position()).toStdString();
    char d = 0;
    if (!delimiterOk(d)) return {};
    std::string st = sqlexec::statementAtCaret(text.toStdString(), before.size(), d);
    // The caret after the last delimiter of "select ...; -- note": nothing a server could run.
    blank = sqlexec::onlyBlanksAndComments(st);
    return blank ? std::string() : st;
}

void TFormScript::reportError(std::exception_ptr e) {
    if (!e) return;
    try {
        std::rethrow_exception(e);
    } catch (const engine::EngineError& err) {
        if (err.category() == engine::ErrorCategory::Cancelled) {
            StatusBar1[0]->setText(pickQ("Запрос прерван (cancelled)", "Statement cancelled"));
            return;
        }
        reconnect_ = true;
        panels_.showError(err);
    } catch (const std::exception& err) {
        panels_.showError(err);
    } catch (...) {
        panels_.showError(QStringLiteral("Not DataBase Error"));
    }
}

void TFormScript::run(std::function<void()> work, std::function<void(std::exception_ptr)> done) {
    if (!gBackground) {
        std::exception_ptr err;
        {
            BusyCursor busy;
            try {
                work();
            } catch (...) {
                err = std::current_exception();
            }
        }
        done(err);
        return;
    }
    // The worker uses the window's connection alone: every command that would touch it is
    // disabled until the worker has ended, and closing the window waits for that end.
    running_ = true;
    updateRunControls();
    auto err = std::make_shared<std::exception_ptr>();
    QThread* t = QThread::create([work, err] {
        try {
            work();
        } catch (...) {
            *err = std::current_exception();
        }
    });
    connect(t, &QThread::finished, this, [this, t, err, done] {
        t->deleteLater();
        running_ = false;
        updateRunControls();
        done(*err);
        if (closeAfterRun_) close();
    });
    worker_ = t;
    t->start();
}

void TFormScript::BOpenQueryClick() {
    if (running_ || !currentEditor()) return;
    bool blank = false;
    const std::string st = statementAtCaret(blank);
    if (blank) {
        panels_.showMessage(pickQ("Нет запроса! ", "No Query!"));
        return;
    }
    if (!delimiterOf(fromQ(ESQLDelim->text()))) return;
    const StatementKind kind = statementKind(st);
    switch (kind) {
    case StatementKind::Commit: BCommitClick(); return;
    case StatementKind::Rollback: BRollbackClick(); return;
    case StatementKind::StartTransaction: BStartTransactionClick(); return;
    default: break;
    }
    if (!ensureOpen()) return;
    if (!isQuery(kind)) {
        runStatement(st, kind);
    } else if (CBQueryAsExe->isChecked()) {
        startQueryRunner(st);
    } else {
        openResult(st);
    }
}

void TFormScript::runStatement(const std::string& statement, StatementKind) {
    auto q = std::make_shared<engine::Query>();
    bindQuery(*q, db_, CBHetero->isChecked());
    const bool replace = panels_.form().settings().replaceAppropriate;
    q->setSql(preparedStatementText(statement, replace, panels::serverKindOfDriver(db_.driverName())));
    try {
        TransactionRules(db_, useTransaction_).beginIfWanted();
    } catch (const std::exception& e) {
        panels_.showError(e);
        return;
    }
    updateTransactionButtons();
    auto watch = std::make_shared<Stopwatch>();
    run([q, watch] {
            *watch = Stopwatch();
            q->execSql();
            watch->stop();
        },
        [this, q, watch, statement](std::exception_ptr e) {
            updateTransactionButtons();
            if (e) return reportError(e);
            const std::int64_t rows = q->rowsAffected();
            q->close();
            panels_.showMessage(toQ(executedMessage(statement, watch->elapsedText(), rows,
                                                    TransactionRules(db_, useTransaction_).waiting())));
        });
}

void TFormScript::openResult(const std::string& statement) {
    shell::TForm1& form = panels_.form();
    const datawin::ViewOptions o = datawin::viewOptionsOf(form);
    auto* w = new datawin::TFormViewS(fromQ(form.programDir()), &form);
    if (shell::languageSetting() == 1) w->applyRussianTexts();
    if (o.stayOnTop) w->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    w->setWindowTitle(toQ(db_.databaseName() + ": " + statement));
    engine::Query& q = w->Query1();
    bindQuery(q, db_, CBHetero->isChecked());
    q.setSql(statement);
    QPointer<datawin::TFormViewS> guard(w);
    auto watch = std::make_shared<Stopwatch>();
    // The window is shown once its query is open: closed earlier, it would free the query
    // under the worker.
    run([&q, watch] {
            *watch = Stopwatch();
            q.open();
            watch->stop();
        },
        [this, guard, watch, o, statement](std::exception_ptr e) {
            if (!guard) return;
            if (e) {
                guard->deleteLater();
                return reportError(e);
            }
            try {
                guard->openQuery();
                if (o.originNames) applySelectListLabels(guard->Query1(), statement);
                const std::int64_t n = o.showRecordCount ? guard->Query1().recordCount() : 0;
                guard->setStatusText(toQ(datawin::resultStatusText(n, o.showRecordCount, watch->elapsedText())));
            } catch (const std::exception& err) {
                panels_.showError(err);
            }
            if (shell::TWindowsMenu* wm = shell::windowsMenu()) wm->addWindowEntry(guard, QStringLiteral(" View SQL Script"));
            guard->show();
            guard->resize(700, 420);
            lastResult_ = guard.data();
        });
}

void TFormScript::startQueryRunner(const std::string& statement) {
    const panels::PanelSettings& p = panels_.panelSettings(panels_.active());
    std::string why;
    if (!qrun::startQueryRunner(db_.databaseName(), p.userName, p.password, statement, &why))
        panels_.showMessage(pickQ("Не могу запустить Query приложение!", "Can not run Query Application!") +
                            (why.empty() ? QString() : QStringLiteral("\n") + toQ(why)));
}

std::string TFormScript::reportFile() const { return fromQ(panels_.form().programDir()) + "DATASET0.TXT"; }

void TFormScript::BTextFileClick() {
    if (running_ || !currentEditor()) return;
    bool blank = false;
    const std::string st = statementAtCaret(blank);
    if (blank) return panels_.showMessage(pickQ("Нет запроса! ", "No Query!"));
    if (!delimiterOf(fromQ(ESQLDelim->text()))) return;
    if (statementKind(st) != StatementKind::Select)
        return panels_.showMessage(QStringLiteral("Can not show result of non SELECT statement!"));
    if (!ensureOpen()) return;
    const datawin::ViewOptions o = datawin::viewOptionsOf(panels_.form());
    try {
        BusyCursor busy;
        engine::Query q;
        bindQuery(q, db_, CBHetero->isChecked());
        q.setSql(st);
        std::ofstream out(reportFile(), std::ios::binary | std::ios::trunc);
        if (!out) throw std::runtime_error(pick("Не могу создать файл ", "Cannot create file ") + reportFile());
        writeResultText(q, out, "SQL Script", o.originNames);
        out.close();
        if (!out) throw std::runtime_error(pick("Ошибка записи в файл ", "Cannot write file ") + reportFile());
    } catch (const std::exception& e) {
        reconnect_ = true;
        return panels_.showError(e);
    }
    datawin::showReportFile(toQ(reportFile()), QStringLiteral("View SQL Script as Text"));
}

void TFormScript::BExcelClick() {
    if (running_ || !currentEditor()) return;
    bool blank = false;
    const std::string st = statementAtCaret(blank);
    if (blank) return panels_.showMessage(pickQ("Нет запроса! ", "No Query!"));
    if (!delimiterOf(fromQ(ESQLDelim->text()))) return;
    if (statementKind(st) != StatementKind::Select)
        return panels_.showMessage(QStringLiteral("Can not transform result of non SELECT statement to Excel!"));
    if (!ensureOpen()) return;
    const std::string file = fromQ(panels_.form().programDir()) + "SQLRESULT.xlsx";
    try {
        BusyCursor busy;
        transfer::ExportOptions o;
        o.fields = "*";
        // The statement as a derived table: the workbook writer reads "Select * From (...) R".
        transfer::exportXlsx(db_, "(" + st + ") R", file, o, nullptr);
    } catch (const std::exception& e) {
        reconnect_ = true;
        return panels_.showError(e);
    }
    if (openWorkbook(toQ(file))) panels_.showMessage(QStringLiteral("Select <Excel> on taskbar for use!"));
}

void TFormScript::BMultiQueryClick() {
    if (running_ || !currentEditor()) return;
    char d = 0;
    if (!delimiterOk(d) || !ensureOpen()) return;
    const datawin::ViewOptions vo = datawin::viewOptionsOf(panels_.form());
    ScriptOptions o;
    o.delimiter = d;
    o.useTransaction = useTransaction_;
    o.replaceAssignment = panels_.form().settings().replaceAppropriate;
    o.originLabels = vo.originNames;
    o.showRecordCount = vo.showRecordCount;
    o.heterogeneous = CBHetero->isChecked();
    const std::string text = currentEditor()->toPlainText().toStdString();
    std::ofstream log(reportFile(), std::ios::binary | std::ios::trunc);
    if (!log) return panels_.showError(toQ(pick("Не могу создать файл ", "Cannot create file ") + reportFile()));
    ScriptOutcome r;
    const shell::WorkResult w = panels_.prompts().runWork(QStringLiteral("Execute Script"), [&](engine::Progress& p) {
        r = runScript(db_, text, o, log, {}, &p);
    });
    log.close();
    if (r.failed) reconnect_ = true;
    CB1Transaction->setChecked(o.useTransaction);
    updateTransactionButtons();
    if (w.outcome == shell::WorkOutcome::Failed) panels_.prompts().error(w.error);
    datawin::showReportFile(toQ(reportFile()), QStringLiteral("View Batch SQL"));
}

void TFormScript::BStartTransactionClick() {
    if (running_ || !ensureOpen()) return;
    try {
        TransactionRules rules(db_, useTransaction_);
        rules.start();
        CB1Transaction->setChecked(useTransaction_);
    } catch (const std::exception& e) {
        panels_.showError(e);
    }
    updateTransactionButtons();
}

void TFormScript::endTransaction(bool commit) {
    if (running_) return;
    try {
        TransactionRules rules(db_, useTransaction_);
        if ((commit ? rules.commit() : rules.rollback()) == TransactionRules::Result::NoTransaction)
            panels_.showMessage(pickQ(kNoTransactionMessageRu, kNoTransactionMessageEn));
    } catch (const std::exception& e) {
        panels_.showError(e);
    }
    updateTransactionButtons();
}

void TFormScript::BCommitClick() { endTransaction(true); }
void TFormScript::BRollbackClick() { endTransaction(false); }

void TFormScript::BCancelClick() {
    if (running_) db_.cancelRunning();
}

void TFormScript::closeEvent(QCloseEvent* e) {
    if (closeAfterRun_ && !running_) {
        e->accept();
        return;
    }
    if (!askExit()) {
        e->ignore();
        return;
    }
    if (running_) {
        // The worker still uses the connection: stop it and close when it has ended.
        closeAfterRun_ = true;
        db_.cancelRunning();
        e->ignore();
        return;
    }
    e->accept();
}

}  // namespace vlm::sqlexec
