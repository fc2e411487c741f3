// TFormFormat: the modal dialog that sets a numeric column's display format or the dataset's
// filter. A filter with a syntax error keeps the old filter and names the error's position.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;

namespace vlm::engine {
class Dataset;
}

namespace vlm::datawin {

class TFormFormat : public QDialog {
    Q_OBJECT
public:
    enum class Mode { DisplayFormat, Filter };
    TFormFormat(Mode mode, engine::Dataset* ds, int column, QWidget* parent = nullptr);

    // True when the dialog closes (an error keeps it open).
    bool BOkClick();
    void BNoClick();

    QTabWidget* PageControl1 = nullptr;
    QLineEdit *EFormat = nullptr, *EFilter = nullptr;
    QListWidget* ListBox1 = nullptr;
    QPushButton *BOk = nullptr, *BCancel = nullptr, *BNo = nullptr;
    QLabel* StatusLine = nullptr;

private:
    Mode mode_;
    engine::Dataset* ds_;
    int column_;
};

}  // namespace vlm::datawin
