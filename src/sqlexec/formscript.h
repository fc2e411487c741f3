// TFormScript: the SQL script window (F6), one per panel. Editor tabs with files, colouring,
// search and replace, templates and context help; F2 runs the statement at the caret (a query
// in the result window, another statement with its rows-affected message), to text, to a
// workbook, a whole script with its log, and the transaction buttons. Everything runs on the
// window's own connection to the database of the panel it was opened for; a single statement
// may run on a worker thread ("Execute Single (F2) Statement As Thread") and be cancelled.
//   auto* w = new TFormScript(panels, shell::Side::Left);  w->show();
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>

#include "datawin/formviews.h"
#include "engine/database.h"
#include "shell/side.h"
#include "sqlexec/sqltext.h"

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTabWidget;
class QThread;
class QToolBar;
class QToolButton;

namespace vlm::panels {
class TPanels;
}

namespace vlm::sqlexec {

class TSqlHighlighter;

// The background-execution switch: program-wide, off at start, not saved.
bool backgroundExecution();
void setBackgroundExecution(bool on);

class TFormScript : public QMainWindow {
    Q_OBJECT
public:
    TFormScript(panels::TPanels& panels, shell::Side side, QWidget* parent = nullptr);
    ~TFormScript() override;

    const std::string& databaseName() const { return db_.databaseName(); }
    engine::Database& database() { return db_; }
    shell::Side side() const { return side_; }
    void applyRussianTexts();

    // Tabs and files.
    QPlainTextEdit* newTab(const QString& caption = {});
    QPlainTextEdit* currentEditor() const;
    bool openFile(const QString& fileName);            // false with the error shown
    bool saveAs();                                     // false when cancelled or failed
    bool save();
    bool closeTab();                                   // false when the user kept it
    TSqlHighlighter* highlighter(QPlainTextEdit* editor) const;

    // Execution.
    void BOpenQueryClick();
    void BTextFileClick();
    void BExcelClick();
    void BMultiQueryClick();
    void BStartTransactionClick();
    void BCommitClick();
    void BRollbackClick();
    void BCancelClick();
    bool running() const { return running_; }
    // The result window of the last query run by F2.
    datawin::TFormViewS* lastResult() const { return lastResult_; }

    // Editing commands.
    void templateClick(int tag);
    void findNext(const QString& text);                // the search of the replace dialog
    void replaceAll(const QString& text, const QString& by);
    void contextHelp();
    void repaintColours();

    // Dialogs that tests replace: a file name to save to (empty: cancelled), to open, and
    // the Yes (2) / No (1) / Cancel (0) question "Text changed. Save?".
    std::function<QString(const QString& suggested)> chooseSaveFile;
    std::function<QString()> chooseOpenFile;
    std::function<int()> askSaveChanges;
    // The question "Exit from SQL Editor ?" (true: close).
    std::function<bool()> askExit;
    // Opens a written workbook with the desktop's spreadsheet program.
    std::function<bool(const QString&)> openWorkbook;

    // Controls.
    QTabWidget* PageControl1 = nullptr;
    QTabWidget* PageControl2 = nullptr;
    QToolBar *ToolBar1 = nullptr, *ToolBar3 = nullptr;
    QToolButton *BOpenQuery = nullptr, *BTextFile = nullptr, *BExcel = nullptr, *BMultiQuery = nullptr,
                *BStartTransaction = nullptr, *BCommit = nullptr, *BRollback = nullptr, *BCancel = nullptr;
    QToolButton *BNew = nullptr, *BOpen = nullptr, *BSave = nullptr, *BSaveAs = nullptr, *BClose = nullptr,
                *BPrint1 = nullptr, *BSearchAndReplace = nullptr, *BFont = nullptr, *BHelp = nullptr,
                *BExit = nullptr;
    QCheckBox *CB1Transaction = nullptr, *CBQueryAsExe = nullptr, *CBThread = nullptr, *CBHetero = nullptr;
    QLineEdit* ESQLDelim = nullptr;
    QLabel* LabelDelim = nullptr;
    QLabel* StatusBar1[3]{};
    QAction* NToolBar = nullptr;

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void buildControls();
    void buildMenus();
    QToolButton* tool(QToolBar* bar, const char* name, const QString& text, const QString& hint,
                      std::function<void()> onClick);
    void updateRunControls();
    void updateTransactionButtons();
    void endTransaction(bool commit);   // "Commit" or "RollBack"
    void updateCaret();
    void updateModified();
    bool ensureOpen();                                 // false with the error shown
    bool delimiterOk(char& d);
    std::string statementAtCaret(bool& blank);
    void runStatement(const std::string& statement, StatementKind kind);
    void openResult(const std::string& statement);
    // Runs work now, or on a worker when the switch is set; then runs done with the error.
    void run(std::function<void()> work, std::function<void(std::exception_ptr)> done);
    void reportError(std::exception_ptr e);
    void startQueryRunner(const std::string& statement);
    bool writeFile(QPlainTextEdit* editor, const QString& fileName);
    std::string reportFile() const;

    panels::TPanels& panels_;
    shell::Side side_;
    engine::Database db_;
    bool useTransaction_ = false;
    bool reconnect_ = false;
    bool running_ = false;
    bool closeAfterRun_ = false;
    std::string currentTable_;
    std::unique_ptr<WordLists> lists_;
    QPointer<datawin::TFormViewS> lastResult_;
    QPointer<QThread> worker_;
};

}  // namespace vlm::sqlexec
