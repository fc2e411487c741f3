// The users, privileges and rollback segment windows (offscreen) on the Oracle, SQLBase and
// MS SQL dictionary fixtures and Firebird's users and roles on the test server, with
// screenshots in both languages.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <memory>
#include <unistd.h>

#include "admin/formprivilege.h"
#include "admin/formrbs.h"
#include "admin/formsecurity.h"
#include "admin/formsoch.h"
#include "admin/sqlrun.h"
#include "admin/security.h"
#include "engine/database.h"
#include "engine/session.h"
#include "fixtures/servers.h"
#include "panels/recordingprompts.h"
#include "shell/language.h"

using namespace vlm;
using panels::ServerKind;

namespace {
void shot(QWidget* w, const QString& name) {
    QDir().mkpath(QStringLiteral(VLM_ADMIN_SHOTS));
    w->show();
    QApplication::processEvents();
    w->grab().save(QStringLiteral(VLM_ADMIN_SHOTS "/") + name + QStringLiteral(".png"));
}
QString lang(int language) { return language == 1 ? QStringLiteral("_ru") : QStringLiteral("_en"); }
}  // namespace

class AdminServerFormsTest : public QObject {
    Q_OBJECT
    std::map<std::string, std::unique_ptr<engine::Database>> dbs_;
    std::shared_ptr<RecordingPrompts> prompts_ = std::make_shared<RecordingPrompts>();

    engine::Database& fixture(const std::string& kind) {
        auto& slot = dbs_[kind];
        if (!slot) {
            std::string port = vlm::test::serverPort("VLM_PG_STATE");
            std::string lower = kind;
            for (auto& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
            slot = std::make_unique<engine::Database>();
            slot->setDatabaseName(kind + ":127.0.0.1");
            slot->params() = {"ODBC DRIVER=PostgreSQL Unicode", "DATABASE NAME=vlm_" + lower,
                              "CONNECT STRING=PORT=" + port, "USER NAME=pgtest"};
            slot->open();
        }
        return *slot;
    }
    admin::AdminContext context(const std::string& kindName, ServerKind kind, const std::string& login = "pgtest") {
        engine::Database& db = fixture(kindName);
        return {&engine::Session::defaultSession(), &db, db.databaseName(), kind, login, prompts_.get()};
    }

private slots:
    void init() {
        prompts_->messages.clear();
        prompts_->answer = true;
        shell::setLanguageSetting(2);
    }

    void sqlbaseUsersWithoutPasswordsInView() {
        for (int language : {2, 1}) {
            shell::setLanguageSetting(language);
            auto* w = new admin::TFormSecurity(context("SQLBASE", ServerKind::SQLBASE));
            QVERIFY(w->openLists());
            QCOMPARE(w->DBGrid1->rowCount(), 3);
            QVERIFY(w->DBGrid1->isColumnHidden(1));   // the password column
            QCOMPARE(w->ENameUser->text(), QStringLiteral("CLERK"));
            QVERIFY(w->EPassword->text().isEmpty());
            QCOMPARE(w->EPassword->echoMode(), QLineEdit::Password);
            QVERIFY(w->CBResource->isChecked() && !w->CBDBA->isChecked());   // "G" and "N"
            QVERIFY(w->windowTitle().endsWith(QStringLiteral("SQLBASE:127.0.0.1")));
            shot(w, QStringLiteral("security_sqlbase") + lang(language));
            delete w;
        }
        shell::setLanguageSetting(2);
        auto* w = new admin::TFormSecurity(context("SQLBASE", ServerKind::SQLBASE));
        QVERIFY(w->openLists());
        // A new user without a password saves nothing and stays in new-user mode.
        w->BNewUserClick();
        w->ENameUser->setText(QStringLiteral("NEWCLERK"));
        w->BSaveClick();
        QVERIFY(w->newUserMode());
        QVERIFY(prompts_->messages.isEmpty());
        // With one, the statements run in a transaction; the fixture refuses the first, which is
        // shown, and the window returns to browsing.
        w->EPassword->setText(QStringLiteral("PW1"));
        w->CBResource->setChecked(true);
        w->BSaveClick();
        QCOMPARE(prompts_->messages.size(), 1);
        QVERIFY(!w->newUserMode() && !w->BSave->isEnabled());
        prompts_->messages.clear();
        // Revoking CONNECT asks first; No runs nothing.
        w->BModifyUserClick();
        w->RBRevoke->setChecked(true);
        w->CBConnect->setChecked(true);
        prompts_->answer = false;
        w->BSaveClick();
        QVERIFY(prompts_->messages.isEmpty());
        QVERIFY(w->BSave->isEnabled());   // still modifying
        // Yes: each REVOKE runs by itself and each failure is shown.
        prompts_->answer = true;
        w->CBDBA->setChecked(true);
        w->CBResource->setChecked(false);
        w->BSaveClick();
        QCOMPARE(prompts_->messages.size(), 2);
        QVERIFY(prompts_->messages[0].startsWith(QStringLiteral("REVOKE CONNECT FROM CLERK")));
        QVERIFY(prompts_->messages[1].startsWith(QStringLiteral("REVOKE DBA FROM CLERK")));
        delete w;
    }

    void oracleAndMssqlUserLists() {
        auto* ora = new admin::TFormSecurity(context("ORACLE", ServerKind::ORACLE));
        QVERIFY(ora->openLists());
        QCOMPARE(ora->windowTitle(), QStringLiteral("Oracle Users"));
        QCOMPARE(ora->DBGrid2->rowCount(), 4);
        QCOMPARE(ora->DBGrid2->horizontalHeaderItem(1)->text(), QStringLiteral("Created date"));
        shot(ora, QStringLiteral("security_oracle_en"));
        delete ora;
        auto* ms = new admin::TFormSecurity(context("MSSQL", ServerKind::MSSQL));
        QVERIFY(ms->openLists());
        QCOMPARE(ms->windowTitle(), QStringLiteral("MS SQL Users"));
        QCOMPARE(ms->PageControl1->tabText(ms->PageControl1->currentIndex()), QStringLiteral("MS SQL"));
        QVERIFY(ms->DBGrid2->isColumnHidden(2));
        QCOMPARE(ms->DBGrid2->item(0, 1)->text(), QStringLiteral("sa"));
        delete ms;
        QVERIFY(prompts_->messages.isEmpty());
    }

    void tablePrivilegesByUserAndRole() {
        struct Case { const char* login; int rows; const char* selected; } cases[] = {
            {"hr", 1, "HR"}, {"nobody", 3, ""}, {"", 3, ""}};
        for (const auto& c : cases) {
            auto* w = new admin::TFormPrivilege(context("ORACLE", ServerKind::ORACLE, c.login));
            w->openLists();
            QCOMPARE(w->CBUsers->currentText(), QString::fromUtf8(c.selected));
            QCOMPARE(w->DBGrid1->rowCount(), c.rows);
            QVERIFY(w->DBGrid1->isColumnHidden(5));
            if (c.rows == 1) {
                QCOMPARE(w->MemoTablePriv->toPlainText(), QStringLiteral("GRANT SELECT ON SCOTT.SALGRADE TO HR WITH GRANT OPTION"));
                shot(w, QStringLiteral("privileges_en"));
            }
            delete w;
        }
        shell::setLanguageSetting(1);
        auto* w = new admin::TFormPrivilege(context("ORACLE", ServerKind::ORACLE, "scott"));
        w->openLists();
        w->RBRole->click();
        QCOMPARE(w->CBUsers->currentIndex(), 0);
        QCOMPARE(w->CBUsers->currentText(), QStringLiteral("Все роли/пользователи"));
        QCOMPARE(w->CBUsers->count(), 5);
        w->CBUsers->setCurrentIndex(w->CBUsers->findText(QStringLiteral("HR_ROLE")));
        QCOMPARE(w->DBGrid1->rowCount(), 1);
        QVERIFY(w->MemoTablePriv->toPlainText().endsWith(QStringLiteral("TO HR_ROLE WITH GRANT OPTION")));
        shot(w, QStringLiteral("privileges_ru"));
        delete w;
        QVERIFY(prompts_->messages.isEmpty());
    }

    void rollbackSegments() {
        for (int language : {2, 1}) {
            shell::setLanguageSetting(language);
            auto* w = new admin::TRbsForm(context("ORACLE", ServerKind::ORACLE));
            w->reread();
            QCOMPARE(w->TBL->rowCount(), 3);
            QCOMPARE(w->TBL->item(1, 1)->text(), QStringLiteral("RB1"));
            QCOMPARE(w->TBL->item(2, 5)->text(), QStringLiteral("OFFLINE"));
            QCOMPARE(w->TBL->item(2, 4)->text(), QString());   // no statistics
            QCOMPARE(w->TBL->horizontalHeaderItem(4)->text(),
                     language == 1 ? QStringLiteral("Тек.размер (МБ)") : QStringLiteral("Current Size(MB)"));
            shot(w, QStringLiteral("rollback") + lang(language));
            delete w;
        }
        shell::setLanguageSetting(2);
        auto* w = new admin::TRbsForm(context("ORACLE", ServerKind::ORACLE));
        w->reread();
        w->TBL->setCurrentCell(1, 1);
        // Drop asks; No runs nothing.
        prompts_->answer = false;
        w->action(admin::SegmentAction::Drop);
        QVERIFY(prompts_->messages.isEmpty());
        // Cancel in the dialog runs nothing; Ok runs the ALTER, which the fixture refuses: one
        // error, the status statement is not tried.
        std::vector<QString> seen;
        w->execDialog = [&](admin::TFormSOCh& d) {
            seen.push_back(d.SegName->text());
            QVERIFY(!d.SegName->isEnabled() && !d.CurrencyEdit1->isEnabled());
            QCOMPARE(d.CurrencyEdit2->text(), QStringLiteral("100"));
            QVERIFY(d.RBOnline->isChecked());
            shot(&d, QStringLiteral("segment_dialog_en"));
            d.BitBtn2->click();
        };
        w->segmentDialog(false);
        QCOMPARE(seen, std::vector<QString>{QStringLiteral("RB1")});
        QVERIFY(prompts_->messages.isEmpty());
        w->execDialog = [&](admin::TFormSOCh& d) {
            QCOMPARE(d.SegName->text(), QString::fromUtf8(admin::kNewSegmentName));
            QVERIFY(d.SegName->isEnabled());
            d.BitBtn1->click();
        };
        w->segmentDialog(true);
        QCOMPARE(prompts_->messages.size(), 1);
        delete w;
        shell::setLanguageSetting(1);
        admin::TFormSOCh ru({}, [](const std::string&) {}, [](const std::exception&) {});
        QCOMPARE(ru.windowTitle(), QStringLiteral("Изменение сегмента отката"));
        shot(&ru, QStringLiteral("segment_dialog_ru"));
    }

    void firebirdUsersAndRolesFromTheWindow() {
        std::string port = vlm::test::serverPort("VLM_FB_STATE");
        QVERIFY(!port.empty());
        const std::string state = std::getenv("VLM_FB_STATE");
        engine::Database db;
        db.setDatabaseName("INTRBASE:127.0.0.1/" + port + ":" + vlm::test::readFile(state + "/datadir") +
                           "/admin_forms_" + std::to_string(::getpid()) + ".fdb");
        db.params() = {"USER NAME=" + vlm::test::readFile(state + "/user"),
                       "PASSWORD=" + vlm::test::readFile(state + "/password"), "CREATE=TRUE"};
        db.open();
        admin::AdminContext c{&engine::Session::defaultSession(), &db, db.databaseName(), ServerKind::INTERBASE, "SYSDBA",
                              prompts_.get()};
        auto* w = new admin::TFormSecurity(c);
        QVERIFY(w->openLists());
        QCOMPARE(w->PageControl1->currentWidget(), w->TabSheetFirebird);
        const QString user = QStringLiteral("VLM_WCLERK_%1").arg(::getpid() % 100000);
        auto has = [](QTableWidget* g, int col, const QString& text) {
            for (int r = 0; r < g->rowCount(); ++r)
                if (g->item(r, col) && g->item(r, col)->text() == text) return true;
            return false;
        };
        // No to the shown statement runs nothing.
        prompts_->answer = false;
        w->EFbUser->setText(user);
        w->EFbPassword->setText(QStringLiteral("pw1"));
        w->BFbCreateUserClick();
        QVERIFY(!has(w->GridFbUsers, 0, user));
        prompts_->answer = true;
        w->BFbCreateUserClick();
        QVERIFY2(has(w->GridFbUsers, 0, user), qPrintable(prompts_->messages.join('\n')));
        w->EFbRole->setText(QStringLiteral("VLM_WROLE"));
        w->BFbCreateRoleClick();
        w->EFbUser->setText(user);
        w->BFbGrantClick();
        QVERIFY(has(w->GridFbGrantees, 1, user));
        w->resize(640, 400);
        shot(w, QStringLiteral("security_firebird_data_en"));
        w->EFbRole->setText(QStringLiteral("VLM_WROLE"));
        w->EFbUser->setText(user);
        w->BFbRevokeClick();
        QVERIFY(!has(w->GridFbGrantees, 1, user));
        w->EFbRole->setText(QStringLiteral("VLM_WROLE"));
        w->BFbDropRoleClick();
        w->EFbUser->setText(user);
        w->BFbDropUserClick();
        QVERIFY(!has(w->GridFbUsers, 0, user));
        QVERIFY2(prompts_->messages.isEmpty(), qPrintable(prompts_->messages.join('\n')));
        delete w;
    }
};

QTEST_MAIN(AdminServerFormsTest)
#include "forms_server_test.moc"
