// The data windows' entry points and their binding to the main window.
#include "panels/panelcontroller.h"

#include "datawin/commands.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <chrono>

#include "datawin/dbgrid.h"
#include "datawin/formviews.h"
#include "datawin/report.h"
#include "datawin/viewlogic.h"
#include "engine/query.h"
#include "engine/table.h"
#include "panels/shellhooks.h"
#include "shell/commandids.h"
#include "shell/commandregistry.h"
#include "shell/formmain.h"
#include "shell/language.h"
#include "shell/qtext.h"
#include "shell/texthelpers.h"
#include "shell/windowsmenu.h"

namespace vlm::datawin {

using shell::fromQ;
using shell::pick;
using shell::toQ;

std::function<void(const QString&, const QString&)> reportSink;

namespace {

bool checked(shell::TForm1& form, shell::CommandId id) {
    QAction* a = form.action(id);
    return a && a->isChecked();
}

struct BusyCursor {
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
};

// ESQL's keys: Enter runs the line, Ctrl+J appends the focused table's name.
class CommandLineKeys : public QObject {
public:
    CommandLineKeys(panels::TPanels& p, QObject* parent) : QObject(parent), panels_(p) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
        auto* k = static_cast<QKeyEvent*>(event);
        QComboBox* esql = panels_.form().commandLine();
        if ((k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) && k->modifiers() == Qt::NoModifier) {
            const QString text = esql->currentText();
            if (!text.trimmed().isEmpty()) runCommandLine(panels_, text);
            return true;
        }
        if (k->key() == Qt::Key_J && k->modifiers() == Qt::ControlModifier) {
            appendFocusedName(panels_, true);
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    panels::TPanels& panels_;
};

}  // namespace

ViewOptions viewOptionsOf(shell::TForm1& form) {
    ViewOptions o;
    o.useInSql = checked(form, shell::cmd::NUseinSQL);
    o.requestLive = checked(form, shell::cmd::RequestLive1);
    o.showRecordCount = checked(form, shell::cmd::ShowRecordCount1);
    o.stayOnTop = checked(form, shell::cmd::Viewwindowsstayontop1);
    o.originNames = checked(form, shell::cmd::QueryOriginDisplayLabel1);
    if (panels::TPanels* p = panels::panelsOf(form)) {
        o.showDeleted = p->settings().showDeleted;
        o.colorDeleted = p->settings().colorDeleted;
    }
    o.programDir = fromQ(form.programDir());
    o.prompts = &form.prompts();
    return o;
}

void showReportFile(const QString& fileName, const QString& title) {
    if (reportSink) {
        reportSink(fileName, title);
        return;
    }
    if (shell::TForm1* f = shell::TForm1::instance()) f->showTextFile(fileName, title);
}

void focusActivePanel() {
    shell::TForm1* f = shell::TForm1::instance();
    if (!f) return;
    if (panels::TPanels* p = panels::panelsOf(*f)) {
        if (QWidget* l = p->listView(p->active())) l->setFocus();
    }
}

TFormView* openTableWindow(const panels::TTableInfo& table, bool edit, const ViewOptions& options, QWidget* parent) {
    auto* w = new TFormView(edit ? TFormView::Mode::Edit : TFormView::Mode::View, table, options, parent);
    w->show();
    w->resize(860, 520);
    if (edit)
        if (shell::TWindowsMenu* wm = shell::windowsMenu()) wm->setSlot(shell::WindowSlot::Edit, w);
    if (!w->openDataset()) {
        w->close();
        return nullptr;
    }
    w->activateWindow();
    return w;
}

TFormView* openTableWindow(panels::TPanels& panels, bool edit) {
    if (!panels.currentDatabase().connected()) return nullptr;
    shell::TForm1& form = panels.form();
    shell::TWindowsMenu* wm = shell::windowsMenu();
    if (edit && wm) {
        if (QWidget* open = wm->slotWindow(shell::WindowSlot::Edit)) {
            shell::TWindowsMenu::bringToFront(open);
            return qobject_cast<TFormView*>(open);
        }
    }
    BusyCursor busy;
    if (!panels.fillCurrentTable()) {
        panels.showMessage(toQ(shell::noSelectionMessage()));
        return nullptr;
    }
    return openTableWindow(panels::CurrentTable(), edit, viewOptionsOf(form), &form);
}

void viewDataAsText(panels::TPanels& panels) {
    BusyCursor busy;
    if (!panels.fillCurrentTable()) {
        panels.showMessage(toQ(shell::noSelectionMessage()));
        return;
    }
    const panels::TTableInfo& info = panels::CurrentTable();
    const ViewOptions o = viewOptionsOf(panels.form());
    const std::string file = o.programDir + "DATASET0.TXT";
    try {
        engine::Query q;
        q.setDatabaseName(info.databaseName);
        q.setSql(viewAsTextQuery(info.tableNameForCommands, o.useInSql));
        writePlainReport(q, file, info.tableNameForCommands);
    } catch (const std::exception& e) {
        panels.showError(toQ(e.what()));
        return;
    }
    showReportFile(toQ(file), QStringLiteral("View Data as Text"));
}

void clearAllRecords(panels::TPanels& panels) {
    if (!panels.fillCurrentTable()) {
        panels.showMessage(toQ(shell::noSelectionMessage()));
        return;
    }
    const panels::TTableInfo& info = panels::CurrentTable();
    if (!panels.askYesNo(toQ(pick("Очистить все записи в таблице ", "Clear All Records in Table ") +
                             info.tableNameForCommands + " ?")))
        return;
    const ViewOptions o = viewOptionsOf(panels.form());
    BusyCursor busy;
    try {
        engine::Query q;
        q.setDatabaseName(info.databaseName);
        q.setSql(clearAllStatement({info.tableNameForCommands, o.useInSql, o.requestLive, info.isSqlBased,
                                    info.serverKind}));
        q.execSql();
        q.close();
        if (!info.isSqlBased) {
            engine::Table t;
            t.setDatabaseName(info.databaseName);
            t.setTableName(info.tableNameForCommands);
            t.setExclusive(true);
            t.open();
            try {
                t.pack();
            } catch (...) {
                t.close();
                throw;
            }
            t.close();
        }
    } catch (const std::exception& e) {
        panels.showError(toQ(e.what()));
    }
}

TFormViewS* runCommandLine(panels::TPanels& panels, const QString& command) {
    const std::string text = fromQ(command);
    const std::string trimmed = shell::text::strip(text);
    if (trimmed.empty()) return nullptr;
    shell::TForm1& form = panels.form();
    const ViewOptions o = viewOptionsOf(form);
    engine::Database& db = panels.currentDatabase();
    // One line: the command is run as typed, line breaks taken out.
    std::string oneLine = trimmed;
    for (char& c : oneLine)
        if (c == '\r' || c == '\n') c = ' ';
    BusyCursor busy;
    TFormViewS* result = nullptr;
    try {
        if (isQueryCommand(text)) {
            result = new TFormViewS(o.programDir, &form);
            if (shell::languageSetting() == 1) result->applyRussianTexts();
            if (o.stayOnTop) result->setWindowFlag(Qt::WindowStaysOnTopHint, true);
            if (shell::TWindowsMenu* wm = shell::windowsMenu())
                wm->addWindowEntry(result, QStringLiteral(" View SQL command line"));
            result->setWindowTitle(toQ(db.databaseName() + ": " + text));
            result->show();
            engine::Query& q = result->Query1();
            q.close();
            q.setDatabaseName(db.databaseName());
            q.setSql(oneLine);
            const auto start = std::chrono::steady_clock::now();
            result->openQuery();
            if (o.originNames) result->useOriginLabels();
            const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
            result->setStatusText(toQ(resultStatusText(o.showRecordCount ? q.recordCount() : 0, o.showRecordCount,
                                                       elapsedText(ms))));
        } else {
            engine::Query q;   // Query1 of the main window
            q.setDatabaseName(db.databaseName());
            q.setSql(oneLine);
            const auto start = std::chrono::steady_clock::now();
            q.execSql();
            const std::int64_t rows = q.rowsAffected();
            const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
            q.setSql(std::string());
            QApplication::restoreOverrideCursor();
            panels.showMessage(toQ(statementDoneMessage(text, elapsedText(ms), rows)));
            QApplication::setOverrideCursor(Qt::WaitCursor);
        }
    } catch (const std::exception& e) {
        QApplication::restoreOverrideCursor();
        panels.showError(toQ(e.what()));
        QApplication::setOverrideCursor(Qt::WaitCursor);
        return nullptr;
    }
    if (QComboBox* esql = form.commandLine()) {
        const QString keep = esql->currentText();
        esql->addItem(command);
        esql->setCurrentText(keep);
    }
    return result;
}

void appendFocusedName(panels::TPanels& panels, bool caretToEnd) {
    if (!panels.fillCurrentTable()) {
        panels.showMessage(toQ(shell::noSelectionMessage()));
        return;
    }
    const shell::Side s = panels.active();
    const int i = panels.focusedIndex(s);
    if (i < 0 || panels.itemCount(s) == 0) return;
    QComboBox* esql = panels.form().commandLine();
    QLineEdit* line = esql->lineEdit();
    const int caret = line->cursorPosition();
    line->setText(line->text() + panels.itemCaption(s, i));
    line->setCursorPosition(caretToEnd ? int(line->text().size()) : caret);
}

void registerCommands(shell::TForm1& form, shell::CommandRegistry& commands) {
    namespace cmd = shell::cmd;
    panels::TPanels* p = panels::panelsOf(form);
    if (!p) return;
    panels::TPanels& panels = *p;
    commands.add({cmd::BView, cmd::NView, cmd::NPViewTable1}, [&panels] { openTableWindow(panels, false); });
    commands.add({cmd::BEdit, cmd::NEdit, cmd::NPEditTable1}, [&panels] { openTableWindow(panels, true); });
    commands.add({cmd::NClearTable, cmd::Clearallrecordsintable1}, [&panels] { clearAllRecords(panels); });
    commands.bindKey(Qt::Key_F8, Qt::AltModifier, cmd::NClearTable);
    commands.add({cmd::ViewDataAsText, cmd::ViewDataAsText1}, [&panels] { viewDataAsText(panels); });
    commands.add(cmd::GetTablenametocommandline1, [&panels] { appendFocusedName(panels, false); });
    commands.add(cmd::Clearhistorylist1, [&form] {
        QComboBox* esql = form.commandLine();
        const QString keep = esql->currentText();
        esql->clear();
        esql->setCurrentText(keep);
    });
    if (QComboBox* esql = form.commandLine()) {
        // Typed keys reach the combo box (the focus widget), which hands them to its line edit
        // without the line edit's filters: the keys are watched on both.
        auto* keys = new CommandLineKeys(panels, esql);
        esql->installEventFilter(keys);
        esql->lineEdit()->installEventFilter(keys);
    }
}

}  // namespace vlm::datawin
