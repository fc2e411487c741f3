// TFormSecurity: the users of the active panel's database. SQLBase: the users with their
// authorities, new users and granted or revoked authorities (passwords never shown). Oracle and
// MS SQL: the user list. Firebird: the users of the security database and the roles with their
// grantees; create, change the password of and drop a user, create and drop a role, grant and
// revoke a role, each statement shown before it runs. Statements come from security.h.
#pragma once

#include <QDialog>

#include "admin/admincontext.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QTabWidget;
class QTableWidget;

namespace vlm::admin {

class TFormSecurity : public QDialog {
    Q_OBJECT
public:
    TFormSecurity(const AdminContext& context, QWidget* parent = nullptr);
    // Reads the lists for the database's kind; false (with the refusal shown) for another kind.
    bool openLists();

    // SQLBase page.
    void showSqlbaseList();
    void showSqlbaseRow();
    void BNewUserClick();
    void BModifyUserClick();
    void BSaveClick();
    void BUndoClick();
    bool newUserMode() const { return newUser_; }
    // Firebird page.
    void showFirebirdLists();
    void BFbCreateUserClick();
    void BFbPasswordClick();
    void BFbDropUserClick();
    void BFbCreateRoleClick();
    void BFbDropRoleClick();
    void BFbGrantClick();
    void BFbRevokeClick();

    QTabWidget* PageControl1;
    QWidget *TabSheetSQLBase, *TabSheetOracle, *TabSheetFirebird;
    QTableWidget *DBGrid1, *DBGrid2;
    QLabel *LUserName, *LUserPassword;
    QLineEdit *ENameUser, *EPassword;
    QGroupBox *GBStatus, *GBAuthority;
    QRadioButton *RBGrant, *RBRevoke;
    QCheckBox *CBConnect, *CBResource, *CBDBA;
    QPushButton *BNewUser, *BModifyUser, *BSave, *BUndo;
    QTableWidget *GridFbUsers, *GridFbRoles, *GridFbGrantees;
    QLineEdit *EFbUser, *EFbPassword, *EFbRole;
    QPushButton *BFbCreateUser, *BFbPassword, *BFbDropUser, *BFbCreateRole, *BFbDropRole, *BFbGrant, *BFbRevoke;
    QStatusBar* StatusBar1;

private:
    void browse();
    bool runShown(const std::string& statement);   // asks with the statement, runs it
    void error(const std::exception& e);
    void message(const QString& text);

    AdminContext context_;
    bool newUser_ = false;
};

}  // namespace vlm::admin
