// TFormSum: "Summing column values": adds a column up over all rows or the grid's selected
// rows. Modeless, stays on top.
#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vlm::datawin {

class TDBGrid;

class TFormSum : public QDialog {
    Q_OBJECT
public:
    TFormSum(TDBGrid* grid, QWidget* parent = nullptr);
    void BSumClick();

    QComboBox* CBField = nullptr;
    QCheckBox* CBSelected = nullptr;
    QLineEdit *ESum = nullptr, *ECount = nullptr;
    QPushButton *BSum = nullptr, *BCancel = nullptr;
    QLabel* StatusLine = nullptr;

private:
    TDBGrid* grid_;
};

// The sum's text: the general number format with up to 15 significant digits.
QString sumText(double value);

}  // namespace vlm::datawin
