// TFormRename: the modal rename dialog of the focused table; it stays open for another rename
// until Exit.
//   TFormRename d(panels, CurrentTable(), &form);  d.exec();
#pragma once

#include <QDialog>

#include "panels/tableinfo.h"
#include "shell/side.h"

class QLabel;
class QLineEdit;
class QToolButton;

namespace vlm::panels {
class TPanels;
}

namespace vlm::copy {

class TFormRename : public QDialog {
    Q_OBJECT
public:
    TFormRename(panels::TPanels& panels, const panels::TTableInfo& table, QWidget* parent);

    QLabel *Label1, *Label2;
    QLineEdit *ETableName, *ENewTableName;
    QToolButton *BRename, *BExit;
    QLabel* Animate1;
    QLabel* StatusBar1;

    void BRenameClick();

private:
    panels::TPanels& panels_;
    panels::TTableInfo table_;
    shell::Side side_;
};

}  // namespace vlm::copy
