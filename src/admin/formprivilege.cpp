// The table privileges window (see formprivilege.h).
#include "admin/formprivilege.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "admin/datagrid.h"
#include "admin/security.h"
#include "admin/sqlrun.h"
#include "engine/config.h"
#include "shell/language.h"
#include "shell/prompts.h"
#include "shell/qtext.h"

namespace vlm::admin {

namespace {
QString t(const char* russian, const char* english) { return shell::toQ(shell::pick(russian, english)); }
}  // namespace

TFormPrivilege::TFormPrivilege(const AdminContext& context, QWidget* parent) : QMainWindow(parent), context_(context) {
    setObjectName(QStringLiteral("FormPrivilege"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlag(Qt::Window);
    resize(640, 400);
    setWindowTitle(t("Привилегии таблиц", "Table Privileges"));
    auto* bar = addToolBar(QStringLiteral("ToolBar1"));
    bar->setMovable(false);
    BExit = new QToolButton(bar);
    BExit->setText(t("Выход", "Exit"));
    BExit->setToolTip(QStringLiteral("Выход"));
    bar->addWidget(BExit);
    connect(BExit, &QToolButton::clicked, this, &QWidget::close);
    statusBar();

    PageControl1 = new QTabWidget(this);
    setCentralWidget(PageControl1);
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    auto* split = new QSplitter(Qt::Vertical);
    auto* upper = new QWidget;
    auto* h = new QHBoxLayout(upper);
    h->setContentsMargins(0, 0, 0, 0);
    GroupBox1 = new QGroupBox(t("Привилегии для:", "Privileges for:"));
    auto* g = new QVBoxLayout(GroupBox1);
    RBUser = new QRadioButton(t("Пользователя", "User"));
    RBRole = new QRadioButton(t("Роли", "Role"));
    RBUser->setChecked(true);
    CBUsers = new QComboBox;
    CBUsers->setMinimumWidth(150);
    g->addWidget(RBUser);
    g->addWidget(RBRole);
    g->addWidget(CBUsers);
    g->addStretch();
    h->addWidget(GroupBox1);
    DBGrid1 = makeReadOnlyGrid(upper);
    h->addWidget(DBGrid1, 1);
    split->addWidget(upper);
    MemoTablePriv = new QPlainTextEdit;
    MemoTablePriv->setLineWrapMode(QPlainTextEdit::NoWrap);
    MemoTablePriv->setMaximumHeight(80);
    split->addWidget(MemoTablePriv);
    v->addWidget(split);
    PageControl1->addTab(page, t("Привилегии таблиц", "Table Privileges"));

    connect(RBUser, &QRadioButton::clicked, this, [this] { fillUsers(); listPrivileges(); });
    connect(RBRole, &QRadioButton::clicked, this, [this] { fillRoles(); listPrivileges(); });
    connect(CBUsers, &QComboBox::currentIndexChanged, this, [this] { if (!filling_) listPrivileges(); });
    connect(DBGrid1, &QTableWidget::currentCellChanged, this, &TFormPrivilege::showStatement);
}

void TFormPrivilege::fillCombo(const char* sql, const std::optional<std::string>& select) {
    filling_ = true;
    CBUsers->clear();
    CBUsers->addItem(t("Все роли/пользователи", "All Users/Roles"));
    try {
        for (const auto& row : selectRows(*context_.database, sql).rows) CBUsers->addItem(shell::toQ(row.at(0)));
    } catch (const std::exception& e) {
        if (context_.prompts) context_.prompts->error(e);
    }
    if (!select) {
        CBUsers->setCurrentIndex(0);
    } else {
        int i = CBUsers->findText(shell::toQ(*select), Qt::MatchExactly);
        CBUsers->setCurrentIndex(i > 0 ? i : -1);   // a login user not listed: no entry selected
    }
    filling_ = false;
}

void TFormPrivilege::fillUsers() { fillCombo(kOracleUserNamesSql, engine::upperAscii(context_.loginUser)); }
void TFormPrivilege::fillRoles() { fillCombo(kOracleRoleNamesSql, std::nullopt); }

void TFormPrivilege::openLists() {
    fillUsers();
    listPrivileges();
}

void TFormPrivilege::listPrivileges() {
    bool filtered = CBUsers->currentIndex() > 0;
    TextRows rows;
    try {
        if (filtered)
            rows = selectRows(*context_.database, tablePrivilegesSql(true), {{"OWNER", shell::fromQ(CBUsers->currentText())}});
        else
            rows = selectRows(*context_.database, tablePrivilegesSql(false));
    } catch (const std::exception& e) {
        if (context_.prompts) context_.prompts->error(e);
    }
    fillGrid(DBGrid1, rows,
             {{t("Таблица", "Table"), 30}, {t("Привилегия", "Privilege"), 12}, {t("Кто назначил", "Grantor"), 12},
              {t("Кому назначил", "Grantee"), 12}, {t("Переназначение", "Grantable"), 12}, {{}, 0, true}});
    showStatement();
}

void TFormPrivilege::showStatement() {
    if (DBGrid1->columnCount() > 1) MemoTablePriv->setPlainText(shell::toQ(currentCell(DBGrid1, 5)));
}

}  // namespace vlm::admin
