// The users window (see formsecurity.h).
#include "admin/formsecurity.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include "admin/datagrid.h"
#include "admin/security.h"
#include "admin/sqlrun.h"
#include "engine/database.h"
#include "shell/language.h"
#include "shell/prompts.h"
#include "shell/qtext.h"

namespace vlm::admin {

using panels::ServerKind;

namespace {
QString t(const char* russian, const char* english) { return shell::toQ(shell::pick(russian, english)); }
}  // namespace

TFormSecurity::TFormSecurity(const AdminContext& context, QWidget* parent) : QDialog(parent), context_(context) {
    setObjectName(QStringLiteral("FormSecurity"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(600, 400);
    auto* top = new QVBoxLayout(this);
    PageControl1 = new QTabWidget;
    top->addWidget(PageControl1);
    StatusBar1 = new QStatusBar;
    top->addWidget(StatusBar1);

    // SQLBase.
    TabSheetSQLBase = new QWidget;
    auto* sb = new QHBoxLayout(TabSheetSQLBase);
    DBGrid1 = makeReadOnlyGrid(TabSheetSQLBase);
    sb->addWidget(DBGrid1, 1);
    auto* editor = new QGroupBox(t("Полномочия пользователя", "User Authority"));
    auto* eg = new QGridLayout(editor);
    LUserName = new QLabel(t("Имя пользователя:", "User name:"));
    LUserPassword = new QLabel(t("Пароль:", "User password:"));
    ENameUser = new QLineEdit;
    EPassword = new QLineEdit;
    EPassword->setEchoMode(QLineEdit::Password);   // one "*" per character, never the text
    GBStatus = new QGroupBox(t("Статус", "Status"));
    auto* st = new QHBoxLayout(GBStatus);
    RBGrant = new QRadioButton(t("Назначить", "Grant"));
    RBRevoke = new QRadioButton(t("Снять", "Revoke"));
    RBGrant->setChecked(true);
    st->addWidget(RBGrant);
    st->addWidget(RBRevoke);
    GBAuthority = new QGroupBox(t("Полномочия", "Authority"));
    auto* au = new QVBoxLayout(GBAuthority);
    CBConnect = new QCheckBox(t("Подключение", "Connect"));
    CBResource = new QCheckBox(t("Ресурс", "Resource"));
    CBDBA = new QCheckBox(t("Администратор", "DBA"));
    for (QCheckBox* c : {CBConnect, CBResource, CBDBA}) au->addWidget(c);
    BNewUser = new QPushButton(t("Новый", "New User"));
    BModifyUser = new QPushButton(t("Изменить", "Modify User"));
    BSave = new QPushButton(t("Сохранить", "Save"));
    BUndo = new QPushButton(t("Отказаться", "Undo"));
    eg->addWidget(LUserName, 0, 0, 1, 2);
    eg->addWidget(ENameUser, 1, 0, 1, 2);
    eg->addWidget(LUserPassword, 2, 0, 1, 2);
    eg->addWidget(EPassword, 3, 0, 1, 2);
    eg->addWidget(GBStatus, 4, 0, 1, 2);
    eg->addWidget(GBAuthority, 5, 0, 1, 2);
    eg->addWidget(BNewUser, 6, 0);
    eg->addWidget(BModifyUser, 6, 1);
    eg->addWidget(BSave, 7, 0);
    eg->addWidget(BUndo, 7, 1);
    sb->addWidget(editor);
    PageControl1->addTab(TabSheetSQLBase, QStringLiteral("Gupta / Centura SQLBase"));

    // Oracle and MS SQL.
    TabSheetOracle = new QWidget;
    auto* ol = new QVBoxLayout(TabSheetOracle);
    DBGrid2 = makeReadOnlyGrid(TabSheetOracle);
    ol->addWidget(DBGrid2);
    PageControl1->addTab(TabSheetOracle, QStringLiteral("Oracle"));

    // Firebird.
    TabSheetFirebird = new QWidget;
    auto* fb = new QGridLayout(TabSheetFirebird);
    GridFbUsers = makeReadOnlyGrid(TabSheetFirebird);
    GridFbRoles = makeReadOnlyGrid(TabSheetFirebird);
    GridFbGrantees = makeReadOnlyGrid(TabSheetFirebird);
    EFbUser = new QLineEdit;
    EFbUser->setPlaceholderText(t("Пользователь", "User"));
    EFbPassword = new QLineEdit;
    EFbPassword->setEchoMode(QLineEdit::Password);
    EFbPassword->setPlaceholderText(t("Пароль", "Password"));
    EFbRole = new QLineEdit;
    EFbRole->setPlaceholderText(t("Роль", "Role"));
    BFbCreateUser = new QPushButton(t("Создать", "Create"));
    BFbPassword = new QPushButton(t("Пароль", "Password"));
    BFbDropUser = new QPushButton(t("Удалить", "Drop"));
    BFbCreateRole = new QPushButton(t("Создать роль", "Create Role"));
    BFbDropRole = new QPushButton(t("Удалить роль", "Drop Role"));
    BFbGrant = new QPushButton(t("Назначить", "Grant"));
    BFbRevoke = new QPushButton(t("Снять", "Revoke"));
    fb->addWidget(new QLabel(t("Пользователи", "Users")), 0, 0);
    fb->addWidget(new QLabel(t("Роли", "Roles")), 0, 1);
    fb->addWidget(new QLabel(t("Кому назначены", "Grantees")), 0, 2);
    fb->addWidget(GridFbUsers, 1, 0);
    fb->addWidget(GridFbRoles, 1, 1);
    fb->addWidget(GridFbGrantees, 1, 2);
    auto* userRow = new QHBoxLayout;
    for (QWidget* w : {static_cast<QWidget*>(EFbUser), static_cast<QWidget*>(EFbPassword), static_cast<QWidget*>(BFbCreateUser),
                       static_cast<QWidget*>(BFbPassword), static_cast<QWidget*>(BFbDropUser)})
        userRow->addWidget(w);
    auto* roleRow = new QHBoxLayout;
    for (QWidget* w : {static_cast<QWidget*>(EFbRole), static_cast<QWidget*>(BFbCreateRole), static_cast<QWidget*>(BFbDropRole),
                       static_cast<QWidget*>(BFbGrant), static_cast<QWidget*>(BFbRevoke)})
        roleRow->addWidget(w);
    fb->addLayout(userRow, 2, 0, 1, 3);
    fb->addLayout(roleRow, 3, 0, 1, 3);
    PageControl1->addTab(TabSheetFirebird, QStringLiteral("Firebird"));

    connect(DBGrid1, &QTableWidget::currentCellChanged, this, [this] { if (!newUser_) showSqlbaseRow(); });
    connect(BNewUser, &QPushButton::clicked, this, &TFormSecurity::BNewUserClick);
    connect(BModifyUser, &QPushButton::clicked, this, &TFormSecurity::BModifyUserClick);
    connect(BSave, &QPushButton::clicked, this, &TFormSecurity::BSaveClick);
    connect(BUndo, &QPushButton::clicked, this, &TFormSecurity::BUndoClick);
    connect(BFbCreateUser, &QPushButton::clicked, this, &TFormSecurity::BFbCreateUserClick);
    connect(BFbPassword, &QPushButton::clicked, this, &TFormSecurity::BFbPasswordClick);
    connect(BFbDropUser, &QPushButton::clicked, this, &TFormSecurity::BFbDropUserClick);
    connect(BFbCreateRole, &QPushButton::clicked, this, &TFormSecurity::BFbCreateRoleClick);
    connect(BFbDropRole, &QPushButton::clicked, this, &TFormSecurity::BFbDropRoleClick);
    connect(BFbGrant, &QPushButton::clicked, this, &TFormSecurity::BFbGrantClick);
    connect(BFbRevoke, &QPushButton::clicked, this, &TFormSecurity::BFbRevokeClick);
    connect(GridFbUsers, &QTableWidget::currentCellChanged, this,
            [this] { EFbUser->setText(shell::toQ(currentCell(GridFbUsers, 0))); });
    connect(GridFbRoles, &QTableWidget::currentCellChanged, this,
            [this] { EFbRole->setText(shell::toQ(currentCell(GridFbRoles, 0))); });
    connect(GridFbGrantees, &QTableWidget::currentCellChanged, this, [this] {
        EFbRole->setText(shell::toQ(currentCell(GridFbGrantees, 0)));
        EFbUser->setText(shell::toQ(currentCell(GridFbGrantees, 1)));
    });
}

void TFormSecurity::error(const std::exception& e) {
    if (context_.prompts) context_.prompts->error(e);
}
void TFormSecurity::message(const QString& text) {
    if (context_.prompts) context_.prompts->message(text);
}

bool TFormSecurity::openLists() {
    auto only = [this](QWidget* page) {
        for (QWidget* p : {TabSheetSQLBase, TabSheetOracle, TabSheetFirebird})
            PageControl1->setTabVisible(PageControl1->indexOf(p), p == page);
        PageControl1->setCurrentWidget(page);
    };
    engine::Database& db = *context_.database;
    try {
        switch (context_.kind) {
        case ServerKind::ORACLE:
        case ServerKind::MSSQL: {
            bool ora = context_.kind == ServerKind::ORACLE;
            setWindowTitle(ora ? t("Пользователи Oracle", "Oracle Users") : t("Пользователи MS SQL", "MS SQL Users"));
            only(TabSheetOracle);
            if (!ora) PageControl1->setTabText(PageControl1->indexOf(TabSheetOracle), QStringLiteral("MS SQL"));
            TextRows rows;
            try {
                rows = selectRows(db, ora ? kOracleUsersSql : kMssqlUsersSql);
            } catch (const std::exception& e) {
                error(e);   // the window stays with an empty list
            }
            if (ora)
                fillGrid(DBGrid2, rows, {{t("Имя", "Name"), 22}, {t("Дата создания", "Created date")}});
            else
                fillGrid(DBGrid2, rows, {{t("Ид.№", "Uid")}, {t("Имя", "Name"), 40}, {t("Пароль", "Password"), 0, true}});
            return true;
        }
        case ServerKind::SQLBASE:
            setWindowTitle(t("Пользователи БД: ", "Database users: ") + shell::toQ(context_.databaseName).toUpper());
            only(TabSheetSQLBase);
            showSqlbaseList();
            return true;
        case ServerKind::INTERBASE:
            setWindowTitle(t("Пользователи Firebird", "Firebird Users"));
            only(TabSheetFirebird);
            showFirebirdLists();
            return true;
        default:
            message(t("Не поддерживается для данного типа БД!", "Not supprted for this alias type!"));
            return false;
        }
    } catch (const std::exception& e) {
        error(e);
        return true;
    }
}

// --- SQLBase.

void TFormSecurity::showSqlbaseList() {
    TextRows rows;
    try {
        rows = selectRows(*context_.database, kSqlbaseUsersSql);
    } catch (const std::exception& e) {
        error(e);
    }
    // The password column never shows; the authorities are read from the hidden columns.
    fillGrid(DBGrid1, rows, {{t("Имя", "Name"), 10}, {t("Пароль", "Password"), 20, true}, {{}, 0, true}, {{}, 0, true}});
    browse();
    showSqlbaseRow();
}

void TFormSecurity::showSqlbaseRow() {
    ENameUser->setText(shell::toQ(currentCell(DBGrid1, 0)));
    EPassword->clear();
    CBResource->setChecked(authorityHeld(currentCell(DBGrid1, 2)));
    CBDBA->setChecked(authorityHeld(currentCell(DBGrid1, 3)));
    CBConnect->setChecked(true);
}

void TFormSecurity::browse() {
    newUser_ = false;
    GBAuthority->setEnabled(false);
    GBStatus->setEnabled(false);
    RBGrant->setChecked(true);
    BNewUser->setEnabled(true);
    BModifyUser->setEnabled(true);
    DBGrid1->setEnabled(true);
    BSave->setEnabled(false);
    ENameUser->setEnabled(false);
    EPassword->setEnabled(false);
}

void TFormSecurity::BNewUserClick() {
    newUser_ = true;
    GBAuthority->setEnabled(true);
    BModifyUser->setEnabled(false);
    DBGrid1->setEnabled(false);
    ENameUser->clear();
    EPassword->clear();
    ENameUser->setEnabled(true);
    EPassword->setEnabled(true);
    BSave->setEnabled(true);
    CBConnect->setChecked(true);
    CBResource->setChecked(false);
    CBDBA->setChecked(false);
}

void TFormSecurity::BModifyUserClick() {
    newUser_ = false;
    GBAuthority->setEnabled(true);
    GBStatus->setEnabled(true);
    BNewUser->setEnabled(false);
    DBGrid1->setEnabled(false);
    BSave->setEnabled(true);
    EPassword->setEnabled(true);
}

void TFormSecurity::BSaveClick() {
    SqlbaseUser u{shell::fromQ(ENameUser->text()), shell::fromQ(EPassword->text()), CBConnect->isChecked(),
                  CBResource->isChecked(), CBDBA->isChecked()};
    engine::Database& db = *context_.database;
    if (newUser_) {
        std::vector<std::string> st;
        try {
            st = sqlbaseNewUser(u);
        } catch (const std::exception& e) {
            error(e);
            return;   // the editor stays as it is
        }
        if (st.empty()) return;   // nothing to save: the window stays in new-user mode
        try {
            runInTransaction(db, st);
            message(t("Пользователь создан!", "User created!"));
        } catch (const std::exception& e) {
            error(e);
        }
    } else {
        bool grant = RBGrant->isChecked();
        std::vector<std::string> st;
        try {
            st = sqlbaseModifyUser(u, grant);
        } catch (const std::exception& e) {
            error(e);
            return;
        }
        if (revokesConnect(u, grant) && context_.prompts &&
            !context_.prompts->question(t("Снять CONNECT с ", "Revoke CONNECT from ") + ENameUser->text() +
                                        t(" ? Пользователь не сможет подключиться.", " ? The user can no longer log in.")))
            return;
        for (const auto& e : runEach(db, st)) {
            if (context_.prompts) context_.prompts->error(shell::toQ(e));
        }
    }
    showSqlbaseList();
}

void TFormSecurity::BUndoClick() { showSqlbaseList(); }

// --- Firebird.

void TFormSecurity::showFirebirdLists() {
    engine::Database& db = *context_.database;
    auto read = [&](const char* sql) {
        try {
            return selectRows(db, sql);
        } catch (const std::exception& e) {
            error(e);
            return TextRows{};
        }
    };
    fillGrid(GridFbUsers, read(kFbUsersSql),
             {{t("Пользователь", "User")}, {t("Имя", "First name")}, {t("Фамилия", "Last name")}, {t("Админ.", "Admin")}});
    fillGrid(GridFbRoles, read(kFbRolesSql), {{t("Роль", "Role")}, {t("Владелец", "Owner")}});
    fillGrid(GridFbGrantees, read(kFbRoleGranteesSql),
             {{t("Роль", "Role")}, {t("Кому", "Grantee")}, {t("Кто назначил", "Grantor")}, {t("Админ.", "Admin option")}});
}

bool TFormSecurity::runShown(const std::string& statement) {
    if (context_.prompts && !context_.prompts->question(shell::toQ(statement) + QStringLiteral(" ?"))) return false;
    try {
        execSql(*context_.database, statement);
        StatusBar1->showMessage(shell::toQ(statement));
    } catch (const std::exception& e) {
        error(e);
    }
    showFirebirdLists();
    return true;
}

#define VLM_FB_ACTION(Name, Expr)                                                                    \
    void TFormSecurity::Name() {                                                                     \
        std::string st;                                                                              \
        try {                                                                                        \
            st = (Expr);                                                                             \
        } catch (const std::exception& e) {                                                          \
            error(e);                                                                                \
            return;                                                                                  \
        }                                                                                            \
        runShown(st);                                                                                \
    }

VLM_FB_ACTION(BFbCreateUserClick, fbCreateUser(shell::fromQ(EFbUser->text()), shell::fromQ(EFbPassword->text())))
VLM_FB_ACTION(BFbPasswordClick, fbChangePassword(shell::fromQ(EFbUser->text()), shell::fromQ(EFbPassword->text())))
VLM_FB_ACTION(BFbDropUserClick, fbDropUser(shell::fromQ(EFbUser->text())))
VLM_FB_ACTION(BFbCreateRoleClick, fbCreateRole(shell::fromQ(EFbRole->text())))
VLM_FB_ACTION(BFbDropRoleClick, fbDropRole(shell::fromQ(EFbRole->text())))
VLM_FB_ACTION(BFbGrantClick, fbGrantRole(shell::fromQ(EFbRole->text()), shell::fromQ(EFbUser->text())))
VLM_FB_ACTION(BFbRevokeClick, fbRevokeRole(shell::fromQ(EFbRole->text()), shell::fromQ(EFbUser->text())))

#undef VLM_FB_ACTION

}  // namespace vlm::admin
