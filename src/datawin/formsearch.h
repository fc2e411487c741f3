// TFormSearch: "Find text": finds a text in one field or in all fields ("*"), record by record
// from the grid's current record, forward or backward. Modeless, stays on top.
//   auto* d = new TFormSearch(grid, parent);  d->show();
#pragma once

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace vlm::datawin {

class TDBGrid;

class TFormSearch : public QDialog {
    Q_OBJECT
public:
    TFormSearch(TDBGrid* grid, QWidget* parent = nullptr);
    // The program-wide search history (CBText's list), kept while the program runs.
    static QStringList& history();

    // Searches once; true on a hit (the dataset stays on the found record).
    bool BsearchClick();
    void BCancelClick();

    QComboBox *CBText = nullptr, *CBField = nullptr;
    QCheckBox *CBCase = nullptr, *CBWords = nullptr;
    QRadioButton *RBForward = nullptr, *RBBack = nullptr, *RBFromCursor = nullptr, *RBFirst = nullptr;
    QPushButton *Bsearch = nullptr, *BCancel = nullptr;
    QProgressBar* ProgressBar1 = nullptr;

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    TDBGrid* grid_;
    bool running_ = false;
    bool cancelled_ = false;
    bool examineCurrent_ = false;
};

}  // namespace vlm::datawin
