// TFormCreateTable: the create window (F7). The Table tab composes a table column by column
// from the server kind's types, previews its CREATE TABLE text (editable) and runs it; the
// Index tab composes an index on the panel's current table; the Synonym tab (ORACLE, SQLBASE)
// a synonym; the Partitions tab (Oracle 8) a range partition clause. The text comes from
// createtext.h; the form only wires controls.
#pragma once

#include <QMainWindow>
#include <functional>
#include <string>
#include <vector>

#include "panels/tableinfo.h"
#include "schema/createtext.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QTabWidget;
class QTableWidget;
class QToolButton;

namespace vlm::engine {
class Database;
}
namespace vlm::shell {
class Prompts;
}

namespace vlm::schema {

// What the launcher hands the window.
struct CreateContext {
    engine::Database* db = nullptr;        // the active panel's connection (CurrentDatabase)
    panels::TTableInfo info;                // CurrentTable when the window opened
    std::string indexTable;                 // the current table's name for commands, or empty
    std::string loginUser;                  // the panel's login user
    shell::Prompts* prompts = nullptr;      // messages and errors
    std::function<void()> created;          // re-reads the active panel, keeping its item
};

class TFormCreateTable : public QMainWindow {
    Q_OBJECT
public:
    explicit TFormCreateTable(const CreateContext& context, QWidget* parent = nullptr);
    ~TFormCreateTable() override;

    // The launcher's steps after the window is shown.
    void launch();
    // "New" menu: move to the next visible tab.
    void nextTab();

    // Table tab.
    void RBDbaseClick();
    void RBParadoxClick();
    void ComboBox1Click();
    void ComboBox1Change();
    void Button3Click();
    void Button5Click();
    void Button4Click();
    void ListBox1Click();
    void BitBtn1Click();
    void BitBtn2Click();
    void Button1Click();
    void BCreateClick();
    void BUndoTableClick();
    // Index tab.
    void BToIndexClick();
    void BFromIndexClick();
    void BPreView2Click();
    void BCreateIndexClick();
    void BUndoIndexClick();
    // Synonym tab.
    void ESynonymChange();
    void BSaveSynonymClick();
    // Partitions tab.
    void BGetAvailClick();
    void BFromAvailToSelectedClick();
    void BFromSelectedToAvailClick();
    void BAddPartitionClick();
    void BDeletePartitionClick();
    void StringGridPartitionClick(int row, int column);

    const std::vector<NewColumn>& columns() const { return columns_; }
    PartitionSpec partitionSpec() const;

    QToolButton* BExit;
    QTabWidget* PageControl1;
    QWidget *TabSheetTable, *TabSheetIndex, *TabSheetSynonym, *TabSheetPartition;
    // Table tab.
    QLabel *Label1, *Label2, *Label3, *Label4, *Label5, *Label8;
    QLineEdit *EDBType, *ETableName, *Edit1, *Edit2, *Edit3;
    QGroupBox *GroupBoxStandard, *RadioGroup1, *GroupBox1;
    QRadioButton *RBDbase, *RBParadox;
    QPushButton *Button1, *BUndoTable, *BCreate, *Button3, *Button5, *Button4, *BitBtn1, *BitBtn2;
    QComboBox* ComboBox1;
    QCheckBox* CBNotNull;
    QListWidget* ListBox1;
    QStackedWidget* TableStack;
    QPlainTextEdit* Memo1;
    // Index tab.
    QLabel *Label6, *Label7, *PTable;
    QLineEdit* EIndexName;
    QCheckBox* BUnique;
    QPushButton *BPreView2, *BUndoIndex, *BCreateIndex, *BToIndex, *BFromIndex;
    QListWidget *ListFields, *ListIndexFields;
    QStackedWidget* IndexStack;
    QPlainTextEdit* Memo2;
    // Synonym tab.
    QComboBox* CBPublic;
    QLineEdit *ESynonym, *ETable;
    QPushButton* BSaveSynonym;
    // Partitions tab.
    QLabel *LabelAvailableColumns, *LabelSelectedColumns, *LabelPartitions;
    QListWidget *ListAvail, *ListSelected;
    QPushButton *BGetAvail, *BFromAvailToSelected, *BFromSelectedToAvail, *BAddPartition, *BDeletePartition;
    QTableWidget* StringGridPartition;
    QComboBox *CBTableSpace, *CBValue;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void buildTableTab();
    void buildIndexTab();
    void buildSynonymTab();
    void buildPartitionTab();
    void applyLanguage();
    void applyFormatRule();
    void loadTypes();
    void loadColumn(int index);
    NewColumn editorColumn() const;
    void refreshColumnList();
    bool runCreateText(const QString& text);   // false: refused or failed (shown)
    void rebuildPartitionColumns();
    void showChooser(QComboBox* chooser, int row, int column);
    void message(const std::string& ru, const std::string& en);
    void moveSelected(QListWidget* from, QListWidget* to);
    LocalFormat localFormat() const;

    CreateContext context_;
    std::vector<std::string> ownTypes_;   // the server's own types (ODBC), read once
    bool ownTypesRead_ = false;
    std::vector<NewColumn> columns_;
    int chooserRow_ = -1, chooserColumn_ = -1;
};

}  // namespace vlm::schema
