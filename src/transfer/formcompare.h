// TFormCompare: "Compare Tables": the focused table of the left panel against the focused table
// of the right one: row counts, field names and types, and the values row by row (or matched
// by the primary key) into the compare log "TBLSCOMP.LOG", shown in the window. Modal.
#pragma once

#include <QDialog>
#include <string>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QTextEdit;

namespace vlm::panels {
class TPanels;
}

namespace vlm::transfer {

class TFormCompare : public QDialog {
    Q_OBJECT
public:
    TFormCompare(panels::TPanels& panels, const std::string& leftTable, const std::string& rightTable,
                 QWidget* parent = nullptr);

    void BCompareClick();

    QGroupBox *GroupBoxTables = nullptr, *GroupBoxSettings = nullptr;
    QLabel *PNameLeft = nullptr, *PNameRight = nullptr;
    QCheckBox *CBType = nullptr, *CBRCount = nullptr, *CBDataCompare = nullptr, *CBKey = nullptr;
    QPushButton *BCompare = nullptr, *BExit = nullptr;
    QTextEdit* MemoCompare = nullptr;
    QLabel* StatusBar1 = nullptr;
    // The log file: TBLSCOMP.LOG in the current directory.
    std::string logPath = "TBLSCOMP.LOG";

private:
    panels::TPanels& panels_;
    std::string left_, right_;
};

}  // namespace vlm::transfer
