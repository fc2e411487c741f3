// The administration windows on the main window (offscreen): the alias information and the
// engine administrator through their commands, the administrator's edits round-tripped through
// the configuration file, and screenshots of each window in both languages.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>
#include <filesystem>
#include <fstream>

#include "admin/commands.h"
#include "admin/formbdeadm.h"
#include "admin/formdbinfo.h"
#include "admin/formnewalias.h"
#include "admin/formsecurity.h"
#include "engine/drivers/local/dir/demo.h"
#include "engine/database.h"
#include "engine/registry.h"
#include "engine/session.h"
#include "panels/recordingprompts.h"
#include "panels/shellhooks.h"
#include "shell/commandids.h"
#include "shell/commandregistry.h"
#include "shell/formmain.h"
#include "shell/language.h"

using namespace vlm;
namespace fs = std::filesystem;
namespace cmd = shell::cmd;

namespace {
template <class T>
T* openWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* f = qobject_cast<T*>(w); f && f->isVisible()) return f;
    return nullptr;
}
int rowOf(QTableWidget* g, const QString& name) {
    for (int r = 0; r < g->rowCount(); ++r)
        if (g->item(r, 0) && g->item(r, 0)->text() == name) return r;
    return -1;
}
void shot(QWidget* w, const QString& name) {
    QDir().mkpath(QStringLiteral(VLM_ADMIN_SHOTS));
    QApplication::processEvents();
    w->grab().save(QStringLiteral(VLM_ADMIN_SHOTS "/") + name + QStringLiteral(".png"));
}
}  // namespace

class AdminFormsTest : public QObject {
    Q_OBJECT
    fs::path base_;
    std::shared_ptr<RecordingPrompts> prompts_ = std::make_shared<RecordingPrompts>();
    shell::TForm1* form_ = nullptr;

private slots:
    void initTestCase() {
        base_ = fs::temp_directory_path() / ("vlm_admin_forms_" + std::to_string(QCoreApplication::applicationPid()));
        fs::remove_all(base_);
        fs::create_directories(base_ / "bin");
        fs::create_directories(base_ / "demo");
        engine::local::writeDemoFolder((base_ / "demo").string());
        for (const char* dic : {"VLMSQLC.DIC", "VLMSQLF.DIC", "VLMPLSQL.DIC"}) std::ofstream(base_ / "bin" / dic) << "SELECT\n";
        std::ofstream(base_ / "bin" / "VLM32.INI") << "[DATABASE NAMES]\nLEFTDATABASE=" << (base_ / "demo").string()
                                                   << "\nRIGHTDATABASE=" << (base_ / "demo").string()
                                                   << "\n[DATABASE LOGINS]\nLEFTUSERNAME=U\nLEFTUSERPASSWORD=P\n"
                                                      "RIGHTUSERNAME=U\nRIGHTUSERPASSWORD=P\n";
        std::ofstream(base_ / "IDAPI32.CFG") << "[\\DATABASES\\KEEP\\DB INFO]\nTYPE=SQLITE\n"
                                                "SERVER NAME=/Data/Keep.sqlite\nPASSWORD=OldPw\nLANGDRIVER=NOSUCH\n";
        qputenv("VLM_ENGINE_CFG", QByteArray::fromStdString((base_ / "IDAPI32.CFG").string()));
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString((base_ / "data").string()));
        shell::TForm1::addCommandProvider(&admin::registerCommands);
        shell::setLanguageSetting(2);
        form_ = new shell::TForm1(QString::fromStdString((base_ / "bin").string() + "/"), panels::makeShellHooks(prompts_));
        form_->show();
    }
    void cleanupTestCase() {
        delete form_;
        fs::remove_all(base_);
    }

    void aliasInformationShowsTheActivePanelsDatabase() {
        for (int language : {2, 1}) {
            shell::setLanguageSetting(language);
            QVERIFY(form_->commands().isBound(cmd::DataBaseAliasInfo1));
            form_->commands().trigger(cmd::DataBaseAliasInfo1);
            auto* w = openWindow<admin::TFormDBInfo>();
            QVERIFY(w);
            QCOMPARE(w->EAliasName->text(), QString::fromStdString((base_ / "demo").string()));
            QCOMPARE(w->EDriverName->text(), QStringLiteral("STANDARD"));
            QVERIFY(w->Memo1->toPlainText().isEmpty());   // a directory has no alias parameters
            QVERIFY(!w->Memo2->toPlainText().isEmpty());
            QCOMPARE(w->windowTitle(), language == 1 ? QStringLiteral("Информация о базе данных")
                                                     : QStringLiteral("Data Base (Alias) Infro"));
            QVERIFY(w->EBDEVersion->text().startsWith(language == 1 ? QStringLiteral("Версия BDE: ")
                                                                    : QStringLiteral("BDE Version: ")));
            shot(w, language == 1 ? QStringLiteral("dbinfo_ru") : QStringLiteral("dbinfo_en"));
            w->PageControl1->setCurrentIndex(2);
            shot(w, language == 1 ? QStringLiteral("dbinfo_driver_ru") : QStringLiteral("dbinfo_driver_en"));
            w->close();
        }
        shell::setLanguageSetting(2);
    }

    void administratorEditsRoundTripThroughTheFile() {
        QVERIFY(form_->commands().isBound(cmd::BBDEAdministrator));
        form_->commands().trigger(cmd::BBDEAdministrator);
        auto* w = openWindow<admin::TFormBDEADM>();
        QVERIFY(w);
        form_->commands().trigger(cmd::NBDEAdministrator1);   // the one open window comes back
        QCOMPARE(openWindow<admin::TFormBDEADM>(), w);
        QVERIFY(w->windowTitle().startsWith(QStringLiteral("Orm Simple BDE Administrator Version: ")));
        QVERIFY(w->MemoDate->toPlainText().contains(QLatin1Char('=')));

        w->selectAlias(QStringLiteral("KEEP"));
        QTableWidget* g = w->GridDatabases;
        int pw = rowOf(g, QStringLiteral("PASSWORD")), sn = rowOf(g, QStringLiteral("SERVER NAME"));
        QVERIFY(pw >= 0 && sn >= 0);
        QCOMPARE(g->item(pw, 1)->text(), QStringLiteral("*****"));           // never in clear
        QCOMPARE(g->item(sn, 1)->text(), QStringLiteral("/Data/Keep.sqlite"));   // as stored

        // A value typed in mixed case, a password typed hidden.
        g->item(sn, 1)->setText(QStringLiteral("/data/Mixed Case.sqlite"));
        g->setCurrentCell(pw, 1);
        g->editItem(g->item(pw, 1));
        auto* editor = g->viewport()->findChild<QLineEdit*>();
        QVERIFY(editor);
        QCOMPARE(editor->echoMode(), QLineEdit::Password);
        editor->selectAll();
        QTest::keyClicks(editor, QStringLiteral("New;Pw"));
        emit g->itemDelegate()->commitData(editor);   // as Enter in the focused editor does
        emit g->itemDelegate()->closeEditor(editor);
        QCOMPARE(g->item(pw, 1)->text(), QStringLiteral("******"));

        // The language driver pick list: an unknown value selects nothing; a choice writes the name.
        int ld = rowOf(g, QStringLiteral("LANGDRIVER"));
        w->GridCellClick(g, ld, 1);
        QVERIFY(w->CBLDList->isVisible());
        QCOMPARE(w->CBLDList->currentIndex(), -1);
        w->PickChosen(w->CBLDList, 0);
        QVERIFY(!w->CBLDList->isVisible());
        QString chosen = g->item(ld, 1)->text();
        QVERIFY(!chosen.isEmpty() && chosen != QStringLiteral("NOSUCH") && chosen == chosen.toUpper());
        w->PageControl1->setCurrentWidget(w->TabSheetDatabases);
        shot(w, QStringLiteral("bdeadm_en"));

        w->BApplyDatabasesClick();
        prompts_->answer = true;
        w->BSaveClick();
        QVERIFY2(prompts_->messages.isEmpty(), qPrintable(prompts_->messages.join(QLatin1Char('\n'))));
        std::ifstream in(base_ / "IDAPI32.CFG");
        std::string text((std::istreambuf_iterator<char>(in)), {});
        QVERIFY2(text.find("SERVER NAME=/data/Mixed Case.sqlite") != std::string::npos, text.c_str());
        QVERIFY(text.find("PASSWORD=New;Pw") != std::string::npos);
        QVERIFY(text.find("LANGDRIVER=" + chosen.toStdString()) != std::string::npos);
        QCOMPARE(fs::status(base_ / "IDAPI32.CFG").permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);

        // A fresh engine and vlmtool see what the window showed.
        engine::Session fresh(engine::DriverRegistry::standard());
        fresh.loadConfig((base_ / "IDAPI32.CFG").string());
        std::vector<std::string> shown;
        for (const auto& r : admin::TFormBDEADM::gridRows(g)) shown.push_back(r.name + "=" + r.value);
        QCOMPARE(fresh.aliasParams("KEEP"), shown);
        QProcess tool;
        tool.start(QStringLiteral(VLMTOOL_PATH), {QStringLiteral("alias"), QStringLiteral("list")});
        QVERIFY(tool.waitForFinished(30000));
        QVERIFY(QString::fromUtf8(tool.readAllStandardOutput()).contains(QStringLiteral("KEEP\tSQLITE")));
        w->close();
    }

    void newAndDeletedAliases() {
        form_->commands().trigger(cmd::BBDEAdministrator);
        auto* w = openWindow<admin::TFormBDEADM>();
        QVERIFY(w);
        QString nextAlias, nextDriver;
        w->askNewAlias = [&](const QStringList& drivers, QString& alias, QString& driver) {
            QVERIFY(drivers.contains(QStringLiteral("STANDARD")));
            alias = nextAlias;
            driver = nextDriver;
        };
        prompts_->answer = true;
        prompts_->messages.clear();
        int before = w->ListBoxDatabases->count();
        struct Case { const char* alias; const char* driver; const char* message; } cases[] = {
            {"", "", nullptr},                          // Cancel: nothing, silently
            {"KEEP", "SQLITE", "already exists"},
            {"", "SQLITE", "The alias name is empty"},
            {"OTHER", "NODRIVER", "is not in this build"},
        };
        for (const auto& c : cases) {
            nextAlias = QString::fromUtf8(c.alias);
            nextDriver = QString::fromUtf8(c.driver);
            w->BNewClick();
            QCOMPARE(w->ListBoxDatabases->count(), before);
            if (c.message) QVERIFY2(prompts_->messages.join(' ').contains(c.message), c.message);
            else QVERIFY(prompts_->messages.isEmpty());
            prompts_->messages.clear();
        }
        nextAlias = QStringLiteral("LOCALDATA");
        nextDriver = QStringLiteral("STANDARD");
        w->BNewClick();
        QCOMPARE(w->ListBoxDatabases->count(), before + 1);
        w->selectAlias(QStringLiteral("LOCALDATA"));
        int path = rowOf(w->GridDatabases, QStringLiteral("PATH"));
        QVERIFY(path >= 0);
        QCOMPARE(w->GridDatabases->item(path, 1)->text(), QString());
        w->BDeleteClick();
        QCOMPARE(w->ListBoxDatabases->count(), before);

        w->PageControl1->setCurrentWidget(w->TabSheetDrivers);
        QVERIFY(!w->BNew->isEnabled() && !w->BDelete->isEnabled());
        w->selectDriver(QStringLiteral("STANDARD"));
        QVERIFY(w->GridDrivers->rowCount() > 0);
        shot(w, QStringLiteral("bdeadm_drivers_en"));
        w->PageControl1->setCurrentWidget(w->TabSheetDatabases);
        QVERIFY(w->BNew->isEnabled());
        w->close();

        for (int language : {1, 2}) {
            shell::setLanguageSetting(language);
            admin::TFormNewAlias d({QStringLiteral("STANDARD"), QStringLiteral("SQLITE")});
            d.show();
            shot(&d, language == 1 ? QStringLiteral("newalias_ru") : QStringLiteral("newalias_en"));
            if (language == 1) {
                QCOMPARE(d.windowTitle(), QStringLiteral("Новый алиас"));
                form_->commands().trigger(cmd::BBDEAdministrator);
                auto* ru = openWindow<admin::TFormBDEADM>();
                QVERIFY(ru->windowTitle().contains(QStringLiteral("Версия: ")));
                shot(ru, QStringLiteral("bdeadm_ru"));
                ru->close();
            }
            d.BCancel->click();
            QVERIFY(d.aliasName().isEmpty() && d.driverName().isEmpty());
        }
    }

    // The users window refuses a local database; the Firebird page's statements are refused
    // before they run when a name or password is missing.
    void usersWindowRefusesOtherKindsAndEmptyNames() {
        shell::setLanguageSetting(2);
        prompts_->messages.clear();
        QVERIFY(form_->commands().isBound(cmd::Security1));
        engine::Database db;
        db.setDatabaseName((base_ / "demo").string());
        admin::AdminContext c{&engine::Session::defaultSession(), &db, db.databaseName(), panels::ServerKind::STANDARD,
                              "U", prompts_.get()};
        auto* w = new admin::TFormSecurity(c);
        QVERIFY(!w->openLists());
        QCOMPARE(prompts_->messages, QStringList{QStringLiteral("Not supprted for this alias type!")});
        prompts_->messages.clear();
        w->EFbUser->setText(QStringLiteral("CLERK"));
        w->BFbCreateUserClick();   // no password
        w->EFbUser->clear();
        w->BFbDropUserClick();     // no name
        QCOMPARE(prompts_->messages, (QStringList{QStringLiteral("Enter the password !"), QStringLiteral("The name is empty !")}));
        w->PageControl1->setCurrentWidget(w->TabSheetFirebird);
        w->resize(640, 400);
        w->show();
        shot(w, QStringLiteral("security_firebird_en"));
        delete w;
    }
};

QTEST_MAIN(AdminFormsTest)
#include "forms_test.moc"
