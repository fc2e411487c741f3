// TFormView: the table window. View mode (F3) runs "select * from" the table through Query1
// and carries the SQL input panel; edit mode (F4, one window) opens the table through Table1.
// Both page, sort, filter, search, sum, print and edit the rows in a lazy grid.
//   auto* w = new TFormView(TFormView::Mode::View, CurrentTable(), options, mainWindow);
//   if (!w->openDataset()) w->close();
#pragma once

#include <QWidget>
#include <memory>
#include <string>

#include "datawin/viewlogic.h"
#include "panels/tableinfo.h"

class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QScrollArea;
class QSplitter;
class QStackedWidget;
class QToolBar;
class QToolButton;

namespace vlm::engine {
class Dataset;
class Query;
class Table;
}
namespace vlm::shell {
class Prompts;
}

namespace vlm::datawin {

class TDBGrid;
class TDBNavigator;

// The settings a window reads when it opens (from the main window's check items and options).
struct ViewOptions {
    bool useInSql = false;          // "USEINSQL"
    bool requestLive = false;       // "REQUESTLIVE"
    bool showRecordCount = false;   // "SHOWRECORDCOUNT"
    bool stayOnTop = false;         // "VIEWWINDOWSTOP"
    bool showDeleted = false;       // "SHOWDELETED"
    bool colorDeleted = false;      // "COLORDELETED"
    bool originNames = false;       // "Query Origin Display Label"
    std::string programDir;         // ends with a separator; the report goes there
    // Where the window's messages, questions and errors go (windowPrompts); null: the main
    // window's. Outlives the window.
    shell::Prompts* prompts = nullptr;
};

class TFormView : public QWidget {
    Q_OBJECT
public:
    enum class Mode { View, Edit };
    TFormView(Mode mode, const panels::TTableInfo& table, const ViewOptions& options, QWidget* parent = nullptr);
    ~TFormView() override;

    // Opens the window's dataset; an engine error is shown and false returned (the caller
    // closes the window).
    bool openDataset();

    Mode mode() const { return mode_; }
    engine::Dataset& dataset();
    const std::string& tableText() const { return tableText_; }
    int sortColumn() const { return sortColumn_; }
    const std::string& sortField() const { return sortField_; }
    QString statusText(int panel) const;
    bool currentRecordDeleted();

    // Commands (the controls' handlers).
    void sortBy(int field);
    void unsort();
    void BSortClick();
    void titleClick(int field);
    void BShowSelectClick();
    void BExecSQLClick();                 // F2
    void addTemplate(SqlTemplate t);
    void BViewAndPrintClick();
    void BReCallClick();
    void BSearchClick();
    void BSumColClick();
    void SetDisplayFormat1Click();
    void SetFilter1Click();
    void CheckListBox1ClickCheck();
    void afterScroll();

    // Field viewers and the single-record view (formview_viewers.cpp).
    void BShowMemoClick(bool down);      // F3 in the grid
    // Closes the viewer; an edited memo is posted first (refused: the error is shown, the
    // record stays in edit with the text, and the viewer stays open until closed again).
    void closeViewer();
    void BScreenGridClick(bool down);    // F4 in the grid
    void BSaveBytesClick();
    void MemoCharChange();
    void MemoHexChange();

    // Controls, named as designed.
    QToolBar* ToolBar1 = nullptr;
    TDBNavigator* DBNavigator1 = nullptr;
    QToolButton *BReCall = nullptr, *BSumCol = nullptr, *BViewAndPrint = nullptr, *BShowMemo = nullptr,
                *BScreenGrid = nullptr, *BSearch = nullptr, *BShowSelect = nullptr, *BSort = nullptr,
                *BExecSQL = nullptr;
    QCheckBox *CBPrintWithSum = nullptr, *CBCount = nullptr;
    QListWidget* CheckListBox1 = nullptr;
    QFrame* Panel4 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QMenu* PopupMenu2 = nullptr;
    QAction *NSort = nullptr, *NUnSort = nullptr, *SetDisplayFormat1 = nullptr, *SetFilter1 = nullptr;
    QSplitter* Splitter1 = nullptr;
    QStackedWidget* Panel1 = nullptr;
    TDBGrid* DBGrid1 = nullptr;
    QLabel* status[4]{};
    QPlainTextEdit* DBMemo1 = nullptr;
    QLabel* DBImage1 = nullptr;
    QFrame* PanelVarBytes = nullptr;
    QLabel *Panel2 = nullptr, *PanelHex = nullptr;
    QPlainTextEdit *MemoChar = nullptr, *MemoHex = nullptr;
    QToolButton* BSaveBytes = nullptr;
    QScrollArea* ScrollBox1 = nullptr;

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildUi();
    void applyRussianTexts();
    void refillColumns();
    void reopenQuery(const std::string& sql);
    void setSortTitles();
    bool gridKey(QKeyEvent* e);
    void updateDeletedMark();
    bool isDbase() const;
    void buildViewers();
    bool viewerKey(QObject* watched, QKeyEvent* k);
    bool postMemo();
    void fillSingleRecord();
    void refreshSingleRecord();
    bool bytesSyncing_ = false;
    QString memoShown_;   // the memo viewer's text as read (or as last posted)
    int viewerField_ = -1;

    Mode mode_;
    panels::TTableInfo info_;
    ViewOptions opt_;
    std::unique_ptr<engine::Query> query_;   // Query1
    std::unique_ptr<engine::Table> table_;   // Table1
    std::string tableText_;                  // the name as used in the window's SQL texts
    NameFold fold_ = NameFold::None;
    int sortColumn_ = -1;
    std::string sortField_;
    int columnBeforeSort_ = 0;
};

}  // namespace vlm::datawin
