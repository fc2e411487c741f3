// TFormDel: the modal delete dialog of F8: the focused table or view, every selected item at
// once, or one index of the focused table.
//   TFormDel d(panels, CurrentTable(), useInSql, &form);  d.exec();
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "panels/tableinfo.h"
#include "shell/side.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;
class QRadioButton;
class QToolButton;
class QVBoxLayout;

namespace vlm::panels {
class TPanels;
}

namespace vlm::copy {

class TFormDel : public QDialog {
    Q_OBJECT
public:
    // table: the focused item (CurrentTable); quoteNames: the main window's "use in SQL" option.
    TFormDel(panels::TPanels& panels, const panels::TTableInfo& table, bool quoteNames, QWidget* parent);

    QToolButton *BDrop, *BExit;
    QCheckBox* CBConfirm;
    QRadioButton *RTable, *RIndex;
    QLabel* PTable;
    QComboBox* CBIndex;
    QLabel* AnimateDrop;
    QProgressBar* ProgressBar = nullptr;   // only during a multi drop

    void RIndexClick();
    void RTableClick();
    void BDropClick();

private:
    struct Item {
        std::string name;
        bool view = false;
    };
    bool dropSqlObject(const Item& item);       // false: declined or failed
    bool dropLocal(const std::string& name, bool ask);
    void dropIndex();
    void singleDrop();
    void multiDrop();

    panels::TPanels& panels_;
    panels::TTableInfo table_;
    bool quote_;
    shell::Side side_;
    std::vector<Item> selected_;
    QVBoxLayout* layout_;
};

}  // namespace vlm::copy
