// TFormTrigger: the Oracle trigger editor beside the procedure window: the triggers of a
// database, a trigger's source as a "Create Or Replace Trigger" statement, store, recompile,
// compile errors with the caret jump (lines counted from the body), drop. Several may be open.
#pragma once

#include <QWidget>
#include <memory>

#include "serverobj/formproc.h"

class QListWidget;
class QPlainTextEdit;
class QTabWidget;
class QToolButton;
class QTreeWidget;
class QMenuBar;
class QAction;

namespace vlm::engine {
class Database;
}

namespace vlm::serverobj {

// Lines of the shown source that come before the trigger body (shared by all trigger windows).
int& triggerHeaderLines();

class TFormTrigger : public QWidget {
    Q_OBJECT
public:
    explicit TFormTrigger(const ServerContext& context, QWidget* parent = nullptr);
    ~TFormTrigger() override;
    bool start();

    QToolButton *BRereadTrigNames, *BCompile, *BExecSQL, *BReadSource, *BShowErrors, *BDropTrig, *BQuit;
    QTreeWidget* TrigNameListView;
    QTabWidget* PageControl1;
    QWidget *TabSheet2, *TabSheet3;
    QPlainTextEdit *Memo2, *MemoErrors;
    QListWidget* ListBoxErrors;
    QLabel* status[4] = {};
    QMenuBar* MainMenu1;
    QAction *RereadTriggerList1, *Exit1, *Recompile1, *StoreAndCompile1, *ShowTriggerText1, *ShowErrors1, *Delete1;

    void BRereadTrigNamesClick();
    void BReadSourceClick();
    void BExecSQLClick();
    void BCompileClick();
    void BShowErrorsClick();
    void BDropTrigClick();
    void ListBoxErrorsDblClick();

protected:
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    TriggerItem selected() const;
    bool needName();
    bool checkErrors(const TriggerItem& t);
    void selectionReleased();

    ServerContext context_;
    std::unique_ptr<engine::Database> db_;
};

}  // namespace vlm::serverobj
