// TFormExportImport: "Export / Import Data" for the focused table of the active panel: export
// to the delimited text format or to an .xlsx workbook opened with the desktop's program for
// it, import from that text format or from a dBase file. Modal.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QRadioButton;
class QToolButton;

namespace vlm::panels {
class TPanels;
}

namespace vlm::transfer {

class TFormExportImport : public QDialog {
    Q_OBJECT
public:
    TFormExportImport(panels::TPanels& panels, const std::string& table, bool quoteTableName, QWidget* parent = nullptr);

    void BExportClick();
    void BImportClick();
    void radioClick();

    QToolButton *BExport = nullptr, *BImport = nullptr, *BExit = nullptr;
    QLabel* LabelFieldList = nullptr;
    QLineEdit* EFieldList = nullptr;
    QRadioButton *RBDBase = nullptr, *RBText = nullptr, *RBExcel = nullptr;
    QGroupBox* GBText = nullptr;
    QLineEdit* EDelimiters = nullptr;
    QRadioButton *RBDos = nullptr, *RBWindows = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QLabel* StatusBar1 = nullptr;

    // The file dialogs (save: the export's): the chosen path, empty when cancelled. Tests set them.
    std::function<QString(const QString& title, const QString& filter, const QString& suffix)> saveFile, openFile;
    // Opens a workbook with the desktop's program for it; false when none opens it.
    std::function<bool(const QString& path)> openWorkbook;
    // Where the spreadsheet export writes its workbook (a directory).
    QString workbookDir;

private:
    panels::TPanels& panels_;
    std::string table_;
    bool quote_;
};

// The workbook's file name for a table: its name with characters that do not belong in a file
// name replaced, + ".xlsx".
QString workbookName(const std::string& table);

}  // namespace vlm::transfer
