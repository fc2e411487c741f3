// TFormProc: the stored procedure window. It lists the procedures (and Oracle functions) of a
// database, shows and edits their source, stores and recompiles them, lists compile errors
// with the caret jump, and runs a procedure with values typed into generated editors. The
// statements and texts come from proclogic.h and params.h; this form only wires the controls.
//   auto* w = new TFormProc(context, &form);  w->show();  w->readNames();
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "serverobj/params.h"
#include "serverobj/proclogic.h"

class QAction;
class QCheckBox;
class QListWidget;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QScrollArea;
class QTabWidget;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace vlm::engine {
class Database;
class StoredProc;
}

namespace vlm::serverobj {

// What the editor windows take from the panel that opens them.
struct ServerContext {
    std::string databaseName;
    std::string driverName;
    ServerKind kind = ServerKind::OTHER;
    std::vector<std::string> params;          // the panel database's login
    std::string loginUser;                    // owner of unqualified names
    bool doubleColons = false;                // colons of shown sources doubled
    bool replaceAssignment = false;           // ":=" sent as "::="
    std::function<void(const std::exception&)> showError;
    std::function<void(const QString&)> showMessage;
    std::function<bool(const QString&)> ask;  // Yes: true
    // The file dialogs of the parameter files; empty: cancelled.
    std::function<QString(const QString& title)> openFileName, saveFileName;
};

// The generated parameter editors: plain label and edit controls the window finds by class.
class TMyLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
};
class TMyEdit : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;
};

// The parameter lists saved by "Save Params" or read from a file; they outlive the window.
SavedParams& savedParams();
bool haveSavedParams();

// The list's pictures by image index (procedure, function, command, invalid ones, triggers).
QIcon procImage(int index);

class TFormProc : public QWidget {
    Q_OBJECT
public:
    explicit TFormProc(const ServerContext& context, QWidget* parent = nullptr);
    ~TFormProc() override;

    // Connects, enables by kind and reads the names; false when the database does not open.
    bool start();

    QToolButton *BRereadProcNames, *BCompile, *BExecSQL, *BOpenProc, *BExec, *BReadSource, *BShowErrors, *BDropProc,
        *BQuit;
    QCheckBox* CBLines;
    QTreeWidget* ProcNameListView;
    QTabWidget* PageControl1;
    QWidget *TabSheet1, *TabSheet2, *TabSheet3;
    QScrollArea* ScrollBox1;
    QWidget* ScrollContent;
    QPlainTextEdit *Memo1, *Memo2, *MemoErrors;
    QListWidget* ListBoxErrors;
    QLabel* status[4] = {};
    QMenuBar* MainMenu1;
    QMenu *File1, *Procedure1, *PopupMenu1, *SetParamType1;
    QAction *RereadProcedureList1, *Exit1, *Recompile1, *StoreAndCompile1, *PrepareToExecute1, *Execute1,
        *ShowProcedureText1, *ShowErrors1, *Delete1;
    QAction *SaveParams, *SaveParamsToFile1, *RestoreParams, *RestoreParamsFromFile1;
    QAction *Unknown1, *Input1, *Output1, *InputOutput1, *Result1;

    // Commands (as the buttons).
    void BRereadProcNamesClick();
    void BOpenProcClick();
    void BExecClick();
    void BReadSourceClick();
    void BExecSQLClick();
    void BCompileClick();
    void BShowErrorsClick();
    void BDropProcClick();
    void ListBoxErrorsDblClick();
    void SaveParamsClick();
    void RestoreParamsClick();
    void SaveParamsToFileClick();
    void RestoreParamsFromFileClick();
    void PopupMenu1Popup();
    void setParamType(engine::ParamDirection d);

    // "New": one page forward and the skeleton lines below the source.
    void appendSkeleton(const std::vector<std::string>& lines);
    // Selects the item (as a click would), asking first when the source has unsaved changes.
    bool selectItem(int row);
    std::string selectedName() const;
    std::vector<TMyEdit*> editors() const;
    engine::StoredProc& storedProc() { return *StoredProc1; }
    ServerKind kind() const { return context_.kind; }

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    void applyLanguage();
    void enableByKind();
    void reset();
    bool needName();
    // True when the source may be replaced (unchanged, or the user lets the changes go).
    bool mayReplaceSource();
    void showSource(const std::string& name);
    bool checkErrors(const std::string& name);
    void showErrorList(const Lines& lines);
    void selectionReleased();
    std::string kindLetter() const;

    ServerContext context_;
    std::unique_ptr<engine::Database> db_;
    std::unique_ptr<engine::StoredProc> StoredProc1;
    int dialect_ = 3;
    QString heading_;
    QTreeWidgetItem* shown_ = nullptr;   // the item whose name the heading shows
};

}  // namespace vlm::serverobj
