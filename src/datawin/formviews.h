// TFormViewS: the query result window. The opener (the SQL command line, the script window,
// the query runner) sets Query1's database and text, opens it and writes the status; the
// window owns the grid and its commands: viewers, visible columns, search, sums, formats,
// filters and the printable report.
//   auto* w = new TFormViewS(programDir, mainWindow);  w->Query1().setSql(text);
//   w->openQuery();   w->setStatusText(resultStatusText(...));
// Its messages and errors go to the main window's prompts, or to those handed in with
// setWindowPrompts(w, &prompts) (dbgrid.h) where there is no main window.
#pragma once

#include <QWidget>
#include <memory>
#include <string>

class QAction;
class QCheckBox;
class QLabel;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QStackedWidget;
class QToolBar;
class QToolButton;

namespace vlm::engine {
class Query;
}

namespace vlm::datawin {

class TDBGrid;
class TDBNavigator;

class TFormViewS : public QWidget {
    Q_OBJECT
public:
    explicit TFormViewS(std::string programDir, QWidget* parent = nullptr);
    ~TFormViewS() override;

    engine::Query& Query1() { return *query_; }
    void applyRussianTexts();
    // Opens Query1 (the opener's errors reach the opener), binds the grid and fills the
    // visible-columns list.
    void openQuery();
    // Replaces the fields' display labels by their origin names (table.column) where known.
    void useOriginLabels();
    void setStatusText(const QString& text);
    QString statusText(int panel) const;

    // Commands.
    void BShowMemoClick();
    void closeViewer();
    void BViewAndPrintClick();
    void MakeNonVisibleColumn();
    void CheckListBox1ClickCheck();

    QToolBar* ToolBar1 = nullptr;
    TDBNavigator* DBNavigator1 = nullptr;
    QToolButton *BShowMemo = nullptr, *BSearch = nullptr, *BSumCol = nullptr, *BViewAndPrint = nullptr,
                *BExit = nullptr;
    QCheckBox *CBPrintWithSum = nullptr, *CBCount = nullptr;
    QListWidget* CheckListBox1 = nullptr;
    QStackedWidget* Panel1 = nullptr;
    TDBGrid* DBGrid1 = nullptr;
    QPlainTextEdit* DBMemo1 = nullptr;
    QLabel* DBImage1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction *Makenonvisiblecolumn1 = nullptr, *SetDisplayFormat1 = nullptr, *SetFilter1 = nullptr;
    QLabel* status[4]{};

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool gridKey(QKeyEvent* e);

    std::string programDir_;
    std::unique_ptr<engine::Query> query_;
};

}  // namespace vlm::datawin
