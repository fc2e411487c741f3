// TFormSOCh: a rollback segment's name, table space, status and storage. "Ok" runs the CREATE or
// ALTER and then the ONLINE / OFFLINE statement (the second only when the first succeeded) and
// closes; "Cancel" closes without running anything. Statements come from rollback.h.
#pragma once

#include <QDialog>
#include <functional>

#include "admin/rollback.h"

class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace vlm::admin {

class TFormSOCh : public QDialog {
    Q_OBJECT
public:
    // run: runs one statement, throwing the engine's error; error: shows one.
    TFormSOCh(const SegmentSettings& start, std::function<void(const std::string&)> run,
              std::function<void(const std::exception&)> error, QWidget* parent = nullptr);
    SegmentSettings settings() const;
    void BitBtn1Click();

    QLabel *Label1, *Label2, *Label3, *Label4, *Label5, *Label6;
    QLineEdit *SegName, *TblSp, *CurrencyEdit1, *CurrencyEdit2, *CurrencyEdit3, *CurrencyEdit4;
    QGroupBox* RadioGroup1;
    QRadioButton *RBOnline, *RBOffline;
    QPushButton *BitBtn1, *BitBtn2;

private:
    bool create_;
    std::function<void(const std::string&)> run_;
    std::function<void(const std::exception&)> error_;
};

}  // namespace vlm::admin
