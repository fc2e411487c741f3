// TFormBDEADM: the engine's configuration: aliases and drivers with their parameter grids (a
// pick list for the language driver), new and deleted aliases, the system settings and formats,
// and the save of IDAPI32.CFG through the engine. Passwords show as "*" and are edited hidden.
// The grid logic lives in configadmin.h.
#pragma once

#include <QMainWindow>
#include <functional>

#include "admin/admincontext.h"
#include "admin/configadmin.h"

class QComboBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QTabWidget;
class QTableWidget;
class QToolButton;
class QPushButton;

namespace vlm::admin {

class TFormBDEADM : public QMainWindow {
    Q_OBJECT
public:
    TFormBDEADM(const AdminContext& context, QWidget* parent = nullptr);

    // The new-alias request: fills alias and driver (both empty after Cancel); the dialog by
    // default, tests set their own.
    std::function<void(const QStringList& drivers, QString& alias, QString& driver)> askNewAlias;

    // Handlers (named after their controls).
    void BNewClick();
    void BSaveClick();
    void BDeleteClick();
    void ListBoxDatabasesClick();
    void BApplyDatabasesClick();
    void ListBoxDriversClick();
    void BApplayDriversClick();
    void PageControl1Change();
    void GridCellClick(QTableWidget* grid, int row, int column);
    void PickChosen(QComboBox* pick, int entry);

    // The grid's rows as the engine gets them (secret values as typed, not the masks).
    static std::vector<ParamRow> gridRows(const QTableWidget* grid);
    static void fillGrid(QTableWidget* grid, const std::vector<ParamRow>& rows);
    void selectAlias(const QString& name);    // as a click on the alias in the list
    void selectDriver(const QString& name);

    QToolButton *BNew, *BSave, *BDelete, *BExit;
    QTabWidget *PageControl1, *PageControl2, *PageControl3;
    QWidget *TabSheetDatabases, *TabSheetDrivers, *TabSheetSystem, *TabSheetDBOPEN, *TabSheetDBINIT;
    QListWidget *ListBoxDatabases, *ListBoxDrivers;
    QPushButton *BApplyDatabases, *BCancelApplyDatabases, *BApplayDrivers, *BCancelApplayDrivers;
    QLabel *Label1, *Label2, *DataBaseType1, *DataBaseType2;
    QTableWidget *GridDatabases, *GridDrivers;
    QComboBox *CBLDList, *CBLDListD;
    QPlainTextEdit *MemoDBINIT, *MemoINIT, *MemoDate, *MemoTime, *MemoNumber;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void readAliasNames();
    void resetAliasGrid();
    void showError(const std::exception& e);
    bool applyPending();

    AdminContext context_;
    engine::Session& session_;
    LanguagePick pick_;
    std::string alias_, driver_;
    bool aliasDirty_ = false, driverDirty_ = false;
    bool filling_ = false;
};

}  // namespace vlm::admin
