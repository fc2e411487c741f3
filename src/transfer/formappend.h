// TFormAppend: "Append From Table": appends the rows of a table of the other panel's database
// (or of any query over it) to the focused table of the active panel through the batch move in
// append mode, with the source SQL and the field mapping editable. Modeless, single instance.
#pragma once

#include <QDialog>
#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTabWidget;
class QToolButton;

namespace vlm::panels {
class TPanels;
}

namespace vlm::transfer {

class TFormAppend : public QDialog {
    Q_OBJECT
public:
    // dest: the active panel's focused table; the source list holds the other panel's items.
    TFormAppend(panels::TPanels& panels, const std::string& destTable, QWidget* parent = nullptr);

    void CBSameDBClick();
    void BPrepareClick();
    bool BAppendClick();     // with the closing message; true on success
    bool runAppend();        // the append run; true on success
    void ETableSourceChange();

    QToolButton *BAppend = nullptr, *BPrepare = nullptr, *BExit = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QLineEdit *ETableDest = nullptr, *EDBDest = nullptr, *EDBSource = nullptr;
    QComboBox* ETableSource = nullptr;
    QCheckBox* CBSameDB = nullptr;
    QPlainTextEdit *MemoSQL = nullptr, *MemoMaps = nullptr;
    QLabel *Status0 = nullptr, *Status1 = nullptr;

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void fillSourceList();
    void changed();

    panels::TPanels& panels_;
    bool filling_ = false;
};

}  // namespace vlm::transfer
