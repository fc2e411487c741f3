// TFormNewAlias: the new alias's name and driver. Its results are both empty after Cancel.
#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vlm::admin {

class TFormNewAlias : public QDialog {
    Q_OBJECT
public:
    TFormNewAlias(const QStringList& drivers, QWidget* parent = nullptr);
    QString aliasName() const { return alias_; }
    QString driverName() const { return driver_; }

    QLabel *Label1, *Label2;
    QComboBox* CBAlias;
    QLineEdit* EAlias;
    QPushButton *BOk, *BCancel;

private:
    QString alias_, driver_;
};

}  // namespace vlm::admin
