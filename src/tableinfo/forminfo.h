// TFormInfo: the structure window of a table (F2). At opening it reads the table's columns,
// indexes, storage, view source and synonyms through the catalog logic and shows them on its
// tabs; its "Show" menu writes the structure as text, the CREATE TABLE script and the Insert
// and Update templates into the script window. The form only wires controls; the text comes
// from ddl.h and catalog.h.
#pragma once

#include <QMainWindow>
#include <functional>
#include <string>
#include <vector>

#include "panels/tableinfo.h"
#include <memory>

#include "tableinfo/catalog.h"
#include "tableinfo/related.h"

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;
class QTabWidget;
class QTableWidget;
class QTreeWidget;

namespace vlm::tableinfo {

// What the window takes from the panel that opens it.
struct InfoContext {
    std::vector<std::string> params;       // the panel database's login ("USER NAME=...", ...)
    std::string loginUser;                 // the panel's saved login user name
    bool stayOnTop = false;                // "View windows stay on top"
    std::function<void(const QString&)> showError;   // the standard error display when empty
    std::function<void()> closed;          // gives the focus back to the panel
    bool showSystemObjects = false;        // "Show System Objcts": SYS and SYSTEM dependencies
    std::function<void(const QString&)> showMessage;       // an information box when empty
    std::function<bool(const QString&, const QString&)> confirm;   // title, question; Yes/No box when empty
    std::function<void()> tableCreated;    // the structure editor made a table: re-read the panel
};

// The structure editor's mode.
enum class EditMode { None, NewTable, ModifyTable };

class TFormInfo : public QMainWindow {
    Q_OBJECT
public:
    TFormInfo(const panels::TTableInfo& info, const InfoContext& context, QWidget* parent = nullptr);
    ~TFormInfo() override;

    // Reads the table and fills the tabs (the opening sequence after the window is shown).
    void load();

    // The "Show" and "File" commands.
    void ShowStructureAsTextClick();
    void ShowCreateSqlClick();
    void ShowInsertSqlClick();
    void ShowUpdateSqlClick();
    void ShowPrivilegesClick();
    void ClearShowWindowClick();
    void FontShowWindowClick();
    void SaveAs2Click();
    bool saveScriptTo(const QString& path);   // what "Save As ..." writes

    // The related objects' actions (triggers, constraints, table comment).
    void ListBoxTriggerClick(int row);
    void ListBoxTriggerCheck(QListWidgetItem* item);
    void ListBoxConsClick(int row);
    void ListBoxConsCheck(QListWidgetItem* item);
    void BDropConsClick();
    void BSaveTableCommentClick();

    // The structure editor (forminfo_editor.cpp).
    void BNewTableClick();
    void BNewAsClick();
    void BModifyTableClick();
    void BNewFieldClick();
    void BDeleteFieldClick();
    void BUndoTableClick();
    void BShowSqlClick();
    void BSaveTableClick();
    void FGridClick(int row, int column);
    EditMode mode() const { return mode_; }
    // The grid as it was when modifying began (the saved grid), in its row order.
    const std::vector<ColumnRow>& saveGrid() const { return saveGrid_; }

    // Controls (named as the window's design names them).
    QLabel *Label1, *Label2, *Label3, *Panel4, *Panel5, *PType;
    QLineEdit* EditTableComment;
    QPushButton* BSaveTableComment;
    QStatusBar* StatusBar1;
    QLabel* StatusPanels[3];
    QTabWidget* PageControl1;
    QWidget *TabSheetStructure, *TabSheetIndex, *TabSheetShowScript, *TabSheetView, *TabSheetTrigger, *TabSheetCons,
        *TabSheetSynonyms, *TabSheetDependencies, *TabSheetPrivileges, *TabSheetPart;
    QTableWidget* FGrid;
    QPlainTextEdit *MemoIndex, *Memo1, *MemoView, *MemoSynonyms, *MemoPart, *MemoTrigger, *MemoFieldList, *MemoCons;
    QListWidget *ListBoxTrigger, *ListBoxCons;
    QLabel* PanelTypeCons;
    QPushButton* BDropCons;
    QTreeWidget* TreeViewDependencies;
    QTableWidget* StringGridPriveleges;
    QAction *SaveAs2, *Exit1, *ShowStructure, *ShowCreateSql, *ShowInsertSql, *ShowUpdateSql, *ShowPrivileges,
        *ClearShowWindow, *FontShowWindow;
    std::vector<QAction*> objectEntries;   // "Objects": one per tab, in tab order
    std::vector<QPushButton*> editorButtons;   // the structure editor's buttons, in the order below
    QPushButton *BNewField, *BDeleteField, *BNewTable, *BNewAs, *BModifyTable, *BUndoTable, *BShowSql, *BSaveTable;
    QLabel* LabelNewTable;
    QLineEdit* ENewTableName;
    QComboBox *CBType, *CBNull;
    QMenu* PopupMenuFGrid;

    const TableRef& table() const { return ref_; }
    const TableInfoData& data() const { return data_; }
    std::vector<ColumnRow> gridRows() const;
    std::vector<std::string> scriptLines() const;

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void buildControls();
    void buildMenus();
    void applyLanguage();
    void fillGrid();
    void addGridRow(const ColumnRow& row);
    void setTabShown(QWidget* tab, bool shown);
    void appendScript(const std::vector<std::string>& lines, bool replace);
    void showErrorText(const std::string& text);
    void showMessageText(const QString& text);
    void loadRelated();
    bool runStatement(const std::string& sql);   // false: the error was shown
    void setChecked(QListWidgetItem* item, bool on);
    void buildEditor(QWidget* panel);
    void enterEditing(EditMode mode);
    void leaveEditing();
    void setEditorIdle();
    void setGridRow(int row, const QString& mark, const ColumnRow& r);
    std::string gridCell(int row, int column) const;
    bool checkRows();
    std::vector<std::string> editorScript(bool* ok, std::vector<std::string>* comments);
    void showChooser(QComboBox* chooser, int row, int column);

    panels::TTableInfo info_;
    InfoContext context_;
    TableRef ref_;
    TableInfoData data_;
    std::unique_ptr<engine::Database> db_;
    std::vector<ConstraintItem> constraints_;
    QString structureCaption_;
    EditMode mode_ = EditMode::None;
    bool newAs_ = false;
    std::vector<ColumnRow> saveGrid_;
    int chooserRow_ = -1, chooserColumn_ = -1;
};

}  // namespace vlm::tableinfo
