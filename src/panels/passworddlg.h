// TPasswordDlg: the modal login dialog of a panel database ("DataBase Login").
//   TPasswordDlg d(QStringLiteral("FBDEMO"));  if (d.exec() == QDialog::Accepted) use(d.userName());
#pragma once

#include <QDialog>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;

namespace vlm::panels {

class TPasswordDlg : public QDialog {
    Q_OBJECT
public:
    explicit TPasswordDlg(const QString& databaseName, QWidget* parent = nullptr);
    QString userName() const;
    QString password() const;

    QLabel* LDataBaseName;
    QLabel* PDataBaseName;
    QLabel* Label2;
    QLineEdit* EUserName;
    QLabel* Label1;
    QLineEdit* EPassword;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

protected:
    void showEvent(QShowEvent* event) override;   // centred on the screen
};

// The login for a database's parameters: shows the dialog; when accepted, params become
// "USER NAME=" + user (only when the trimmed user is not empty) and "PASSWORD=" + password
// (likewise), each as typed.
std::vector<std::string> loginParams(const std::string& user, const std::string& password);

}  // namespace vlm::panels
