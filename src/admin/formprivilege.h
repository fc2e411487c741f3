// TFormPrivilege: the table privileges of the Oracle data dictionary, for all grantees or one
// user or role, with the GRANT statement of the current row below. One window at a time.
#pragma once

#include <QMainWindow>
#include <optional>
#include <string>

#include "admin/admincontext.h"

class QComboBox;
class QGroupBox;
class QPlainTextEdit;
class QRadioButton;
class QTableWidget;
class QTabWidget;
class QToolButton;

namespace vlm::admin {

class TFormPrivilege : public QMainWindow {
    Q_OBJECT
public:
    TFormPrivilege(const AdminContext& context, QWidget* parent = nullptr);
    void openLists();             // users (algorithm of the user filter), then the privileges

    void fillUsers();             // RBUser: "All Users/Roles" and the users; the login user selected
    void fillRoles();             // RBRole: "All Users/Roles" and the roles; the first selected
    void listPrivileges();        // filtered by the selected grantee unless the first entry
    void showStatement();

    QTabWidget* PageControl1;
    QGroupBox* GroupBox1;
    QRadioButton *RBUser, *RBRole;
    QComboBox* CBUsers;
    QTableWidget* DBGrid1;
    QPlainTextEdit* MemoTablePriv;
    QToolButton* BExit;

private:
    void fillCombo(const char* sql, const std::optional<std::string>& select);   // none: the first entry
    AdminContext context_;
    bool filling_ = false;
};

}  // namespace vlm::admin
