// The "Objects" menu on the main window (offscreen): the list window over a Firebird database
// holding every InterBase object and over the ORACLE dictionary fixture, the shared window slot,
// the refusals, the index list as create statements, the print, a refused catalog view, a
// dropped connection, and the dependency tree. Writes the screenshots of the lists and the tree
// in both languages.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>

#include "datawin/commands.h"
#include "datawin/dbgrid.h"
#include "datawin/gridmodel.h"
#include "engine/drivers/local/dir/demo.h"
#include "engine/query.h"
#include "engine/session.h"
#include "fbobjects.h"
#include "objlists/commands.h"
#include "objlists/formobjnew.h"
#include "objlists/formoobj.h"
#include "panels/panelcontroller.h"
#include "panels/recordingprompts.h"
#include "panels/shellhooks.h"
#include "shell/commandids.h"
#include "shell/commandregistry.h"
#include "shell/formmain.h"
#include "shell/language.h"
#include "shell/windowsmenu.h"

using namespace vlm;
using namespace vlm::objlists;
using panels::Side;
namespace fs = std::filesystem;
namespace cmd = shell::cmd;

namespace {

std::string pgPort() {
    QFile f(QStringLiteral(VLM_OBJLISTS_PG_STATE "/port"));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll().trimmed().toStdString();
}

TFormOObj* listWindow() {
    return qobject_cast<TFormOObj*>(shell::windowsMenu()->slotWindow(shell::WindowSlot::ObjectList));
}

// Makes the row whose column holds text the grid's current row; false when there is none.
bool selectRow(TFormOObj* w, int column, const QString& text) {
    datawin::TDatasetModel* m = w->DBGrid1->datasetModel();
    int visible = 0;
    while (visible < m->columnCount() && w->DBGrid1->isColumnHidden(visible)) ++visible;
    for (int r = 0; r < m->rowCount(); ++r) {
        if (m->data(m->index(r, column)).toString().trimmed() != text) continue;
        w->DBGrid1->setCurrentIndex(m->index(r, visible));
        return true;
    }
    return false;
}

QStringList visibleHeadings(TFormOObj* w) {
    QStringList out;
    auto* m = w->DBGrid1->datasetModel();
    for (int c = 0; c < m->columnCount(); ++c)
        if (!w->DBGrid1->isColumnHidden(c)) out << m->headerData(c, Qt::Horizontal).toString();
    return out;
}

void shoot(QWidget* w, const QString& name) {
    QDir().mkpath(QStringLiteral(VLM_OBJLISTS_SHOTS));
    w->resize(760, 420);
    QCoreApplication::processEvents();
    w->grab().save(QStringLiteral(VLM_OBJLISTS_SHOTS "/%1.png").arg(name));
}

}  // namespace

class ObjListsFormsTest : public QObject {
    Q_OBJECT
    shell::TForm1* form_ = nullptr;
    panels::TPanels* panels_ = nullptr;
    std::shared_ptr<RecordingPrompts> prompts_;
    fs::path base_;
    QStringList reports_;

    void activate(Side s) {
        panels_->focusList(s);
        QCoreApplication::processEvents();
        QCOMPARE(panels_->active(), s);
    }
    void closeList() {
        if (TFormOObj* w = listWindow()) {
            w->BExit->click();
            QTRY_VERIFY(!listWindow());
        }
    }
    // The right panel on the ORACLE fixture with the given login.
    void oracleLogin(const std::string& user, const std::string& password) {
        panels_->runLogin = [user, password](const QString&, std::string& u, std::string& p) {
            u = user;
            p = password;
            return true;
        };
        panels_->chooseDatabase(Side::Right, QStringLiteral("ORAFIX"));
        QVERIFY(panels_->database(Side::Right).connected());
    }

private slots:
    void initTestCase() {
        QVERIFY2(!pgPort().empty(), "the test PostgreSQL server is not running");
        base_ = fs::path(VLM_OBJLISTS_TMP) / "objlists_forms";
        fs::remove_all(base_);
        fs::create_directories(base_ / "bin");
        fs::create_directories(base_ / "dir");
        engine::local::writeDemoFolder((base_ / "dir").string());
        const std::string fdb = (base_ / "objects.fdb").string();
        {
            engine::Database db;
            db.setDatabaseName("INTRBASE:" + fdb);
            db.params() = {"USER NAME=SYSDBA", "PASSWORD=masterkey", "CREATE=TRUE"};
            db.open();
            test::createObjects(db);
        }
        qputenv("VLM_ENGINE_CFG", QByteArray::fromStdString((base_ / "bin" / "IDAPI32.CFG").string()));
        engine::Session::defaultSession().addAlias(
            "ORAFIX", "ORACLE",
            {"ODBC DRIVER=PostgreSQL Unicode", "SERVER NAME=127.0.0.1", "DATABASE NAME=vlm_oracle",
             // Texts as the server's VARCHAR2 columns, not as long texts.
             "CONNECT STRING=PORT=" + pgPort() + ";TextAsLongVarchar=0;MaxVarcharSize=4000"});
        for (const char* dic : {"VLMSQLC.DIC", "VLMSQLF.DIC", "VLMPLSQL.DIC"}) std::ofstream(base_ / "bin" / dic) << "SELECT\n";
        std::ofstream(base_ / "bin" / "VLM32.INI") << "[DATABASE NAMES]\nLEFTDATABASE=" << fdb
                                                   << "\nRIGHTDATABASE=ORAFIX\n[DATABASE LOGINS]\nLEFTUSERNAME=SYSDBA\n"
                                                      "LEFTUSERPASSWORD=masterkey\nRIGHTUSERNAME=pgtest\nRIGHTUSERPASSWORD=trusted\n";
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString((base_ / "data").string()));
        prompts_ = std::make_shared<RecordingPrompts>();
        shell::TForm1::addCommandProvider(&objlists::registerCommands);
        shell::setLanguageSetting(2);
        form_ = new shell::TForm1(QString::fromStdString((base_ / "bin").string() + "/"), panels::makeShellHooks(prompts_));
        form_->show();
        panels_ = panels::panelsOf(*form_);
        QVERIFY(panels_);
        QVERIFY(panels_->database(Side::Left).connected());
        datawin::reportSink = [this](const QString& file, const QString& title) {
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadOnly));
            reports_ << title << QString::fromUtf8(f.readAll());
        };
    }
    void init() {
        prompts_->messages.clear();
        reports_.clear();
        shell::setLanguageSetting(2);
        panels_->settings().showIndexAsCreate = false;
        panels_->settings().showSystemIndex = false;
    }
    void cleanup() { closeList(); }
    void cleanupTestCase() { delete form_; }

    void firebirdDomainsShareTheOneSlot() {
        activate(Side::Left);
        QVERIFY(form_->commands().trigger(cmd::Domains1));
        TFormOObj* w = listWindow();
        QVERIFY2(w, qPrintable(prompts_->messages.join('\n')));
        QCOMPARE(w->windowTitle(), QStringLiteral("INTRBASE: Domains"));
        QCOMPARE(visibleHeadings(w), (QStringList{"FIELD NAME", "TYPE", "SUBTYPE", "LENGTH", "SCALE", "NULL FLAG"}));
        QVERIFY(w->Memo1->isVisibleTo(w));
        QVERIFY(!w->PanelMemoIndex->isVisibleTo(w));
        QCOMPARE(w->status[1]->text(), QStringLiteral("INTRBASE"));
        QVERIFY(selectRow(w, 0, QStringLiteral("D_MONEY")));
        QCOMPARE(w->Memo1->toPlainText(),
                 QStringLiteral("CREATE DOMAIN D_MONEY AS\nNUMERIC(9,2)\nDEFAULT 0\nNOT NULL\nCHECK (VALUE >= 0)"));
        shoot(w, QStringLiteral("firebird_domains_en"));
        // Any other list entry raises the open window and opens none.
        QVERIFY(form_->commands().trigger(cmd::Triggers1));
        QCOMPARE(listWindow(), w);
        QCOMPARE(w->listKind(), ListKind::Domains);
        int open = 0;
        for (QWidget* t : QApplication::topLevelWidgets()) open += qobject_cast<TFormOObj*>(t) != nullptr;
        QCOMPARE(open, 1);
        closeList();
        // Not on this kind: the message, no window.
        QVERIFY(!objlists::openObjectList(*form_, ListKind::Synonyms));
        QCOMPARE(prompts_->messages, QStringList{QStringLiteral("Not Supported For This Type Database!")});
        QVERIFY(!listWindow());
        // Russian: headings, caption and the screenshot.
        shell::setLanguageSetting(1);
        QVERIFY(form_->commands().trigger(cmd::Domains1));
        w = listWindow();
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), QStringLiteral("INTRBASE: Домены"));
        QCOMPARE(visibleHeadings(w).first(), QStringLiteral("Имя поля/домена"));
        QVERIFY(selectRow(w, 0, QStringLiteral("D_NAME")));
        QCOMPARE(w->Memo1->toPlainText(), QStringLiteral("CREATE DOMAIN D_NAME AS\nVARCHAR(30)\nDEFAULT 'it''s'\nCHECK (VALUE <> '')"));
        shoot(w, QStringLiteral("firebird_domains_ru"));
    }

    void firebirdTriggersAndIndexStatements() {
        activate(Side::Left);
        QVERIFY(form_->commands().trigger(cmd::Triggers1));
        TFormOObj* w = listWindow();
        QVERIFY(w);
        QCOMPARE(visibleHeadings(w), (QStringList{"Trigger Name", "Table Name", "Type"}));
        QVERIFY(selectRow(w, 0, QStringLiteral("EMP_AIUD")));
        QCOMPARE(w->Memo1->toPlainText(),
                 QStringLiteral("create trigger EMP_AIUD for EMP\nACTIVE AFTER INSERT OR UPDATE OR DELETE POSITION 9\nAS BEGIN END"));
        closeList();
        QVERIFY(form_->commands().trigger(cmd::Indexes1));
        w = listWindow();
        QVERIFY(w);
        QVERIFY(w->PanelMemoIndex->isVisibleTo(w));
        QVERIFY(!w->Memo1->isVisibleTo(w));
        QVERIFY(selectRow(w, 2, QStringLiteral("EMP_SAL")));
        QCOMPARE(w->MemoIndex->toPlainText(), QStringLiteral("Create DESCENDING Index EMP_SAL On EMP (SAL, ID)"));
        // The print writes every row, numbered, and comes back to the row.
        const std::int64_t at = w->query1().recNo();
        w->CBCount->setChecked(true);
        w->BViewAndPrintClick();
        QCOMPARE(reports_.size(), 2);
        QCOMPARE(reports_[0], w->windowTitle());
        QVERIFY2(reports_[1].contains(QStringLiteral("EMP_NAME")) && reports_[1].contains(QStringLiteral("LOG_AT")),
                 qPrintable(reports_[1]));
        QCOMPARE(w->query1().recNo(), at);
        QCOMPARE(w->MemoIndex->toPlainText(), QStringLiteral("Create DESCENDING Index EMP_SAL On EMP (SAL, ID)"));
    }

    void indexesAsCreateStatements() {
        activate(Side::Right);
        panels_->settings().showIndexAsCreate = true;
        for (int language : {2, 1}) {
            shell::setLanguageSetting(language);
            QVERIFY(form_->commands().trigger(cmd::Indexes1));
            TFormOObj* w = listWindow();
            QVERIFY2(w, qPrintable(prompts_->messages.join('\n')));
            QCOMPARE(visibleHeadings(w), QStringList{language == 2 ? QStringLiteral("Index") : QStringLiteral("Индекс")});
            QVERIFY(!w->PanelMemoIndex->isVisibleTo(w));
            auto* m = w->DBGrid1->datasetModel();
            const int last = m->columnCount() - 1;
            QStringList cells;
            for (int r = 0; r < m->rowCount(); ++r) cells << m->data(m->index(r, last)).toString();
            QVERIFY2(cells.contains(QStringLiteral("Create UNIQUE Index SCOTT.PK_EMP On SCOTT.EMP (EMPNO)")), qPrintable(cells.join('\n')));
            QVERIFY(cells.contains(QStringLiteral("Create Index SCOTT.EMP_ENAME_IX On SCOTT.EMP (ENAME)")));
            shoot(w, language == 2 ? QStringLiteral("oracle_indexes_as_create_en") : QStringLiteral("oracle_indexes_as_create_ru"));
            // The report reads the statements too.
            w->BViewAndPrintClick();
            QVERIFY(reports_.last().contains(QStringLiteral("Create UNIQUE Index SCOTT.PK_EMP On SCOTT.EMP (EMPNO)")));
            closeList();
        }
    }

    void oracleListsAndPackagesWaitForARowChange() {
        activate(Side::Right);
        QVERIFY(form_->commands().trigger(cmd::Packages1));
        TFormOObj* w = listWindow();
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), QStringLiteral("ORACLE: Packages"));
        QVERIFY(w->Memo1->toPlainText().isEmpty());   // no source fetched while the list opened
        QVERIFY(selectRow(w, 0, QStringLiteral("SCOTT.EMP_PKG")));
        QCOMPARE(w->Memo1->toPlainText(),
                 QStringLiteral("CREATE PACKAGE EMP_PKG IS\nFUNCTION HEADCOUNT (P_DEPTNO NUMBER) RETURN NUMBER;\nEND EMP_PKG;"));
        closeList();
        // Snapshots: every column with the server's names in English, the first one in Russian.
        for (int language : {2, 1}) {
            shell::setLanguageSetting(language);
            QVERIFY(form_->commands().trigger(cmd::Snapshots1));
            w = listWindow();
            QVERIFY(w);
            QCOMPARE(visibleHeadings(w).size(), language == 2 ? 17 : 1);
            QVERIFY(w->MemoIndex->toPlainText().startsWith(QStringLiteral("CREATE SNAPSHOT SCOTT.EMP_SNAP\nREFRESH FAST")));
            QCOMPARE(w->Memo1->toPlainText().split('\n').value(9),
                     language == 2 ? QStringLiteral("type = FAST") : QStringLiteral("Тип = FAST"));
            closeList();
        }
    }

    void aRefusedViewOpensNoWindowAndTheTextFallsBack() {
        activate(Side::Right);
        oracleLogin("vlm_oracle_user", "vlm-oracle-user");
        activate(Side::Right);
        QVERIFY(form_->commands().trigger(cmd::Snapshots1));
        QVERIFY(!listWindow());
        QCOMPARE(prompts_->messages.size(), 1);
        QVERIFY2(prompts_->messages[0].contains(QStringLiteral("all_snapshots")), qPrintable(prompts_->messages[0]));
        QCOMPARE(shell::windowsMenu()->slotHandle(shell::WindowSlot::ObjectList), shell::kNoWindow);
        QVERIFY(form_->commands().trigger(cmd::TableSpaces1));
        TFormOObj* w = listWindow();
        QVERIFY(w);
        QVERIFY(selectRow(w, 0, QStringLiteral("USERS")));
        QCOMPARE(w->Memo1->toPlainText().split('\n').value(1), QStringLiteral("DATAFILE 'C:\\ORANT\\DATABASE\\USR1ORCL.ORA' (1536 blocks)"));

        // The server drops the connection: the next row change reports it, the one after reconnects.
        QVERIFY(selectRow(w, 0, QStringLiteral("SYSTEM")));
        engine::Database admin;
        admin.setDatabaseName("POSTGRESQL:127.0.0.1:" + pgPort() + "/postgres");
        admin.params() = {"USER NAME=pgtest"};
        admin.open();
        engine::Query kill;
        kill.setDatabase(&admin);
        kill.setSql("select pg_terminate_backend(pid) from pg_stat_activity where usename = 'vlm_oracle_user'");
        kill.open();
        kill.close();
        prompts_->messages.clear();
        QVERIFY(selectRow(w, 0, QStringLiteral("USERS")));
        QCOMPARE(prompts_->messages.size(), 1);
        QVERIFY(selectRow(w, 0, QStringLiteral("SYSTEM")));
        QTRY_VERIFY(w->Memo1->toPlainText().startsWith(QStringLiteral("CREATE TABLESPACE SYSTEM")));
        QCOMPARE(prompts_->messages.size(), 1);
        closeList();
        oracleLogin("pgtest", "");
    }

    void dependencyTree() {
        activate(Side::Right);
        for (int language : {2, 1}) {
            shell::setLanguageSetting(language);
            QVERIFY(form_->commands().trigger(cmd::Dependencies2));
            auto* w = qobject_cast<TFormObjNew*>(shell::windowsMenu()->slotWindow(shell::WindowSlot::DependencyTree));
            QVERIFY2(w, qPrintable(prompts_->messages.join('\n')));
            QCOMPARE(w->PanelLeftTop->text(), language == 2 ? QStringLiteral("Object depend from child objects")
                                                            : QStringLiteral("Корневой объект зависит от дочерних"));
            QTreeWidget* left = w->TreeViewLeft;
            QCOMPARE(left->topLevelItemCount(), 2);
            QCOMPARE(left->topLevelItem(0)->text(0), QStringLiteral("package body: SCOTT.EMP_PKG"));
            QTreeWidgetItem* body = left->topLevelItem(0);
            QCOMPARE(body->childCount(), 2);
            QStringList children{body->child(0)->text(0), body->child(1)->text(0)};
            children.sort();
            QCOMPARE(children, (QStringList{"package: SCOTT.EMP_PKG", "table: SCOTT.EMP"}));
            for (int i = 0; i < 2; ++i)
                QCOMPARE(body->child(i)->data(0, Qt::UserRole).toInt(), body->child(i)->text(0).startsWith("table") ? 6 : 4);
            QCOMPARE(w->TreeViewRight->topLevelItem(0)->text(0), QStringLiteral("table: SCOTT.EMP"));
            left->expandAll();
            w->TreeViewRight->expandAll();
            // A second request raises the open tree.
            QVERIFY(form_->commands().trigger(cmd::Dependencies2));
            QCOMPARE(shell::windowsMenu()->slotWindow(shell::WindowSlot::DependencyTree), w);
            shoot(w, language == 2 ? QStringLiteral("oracle_dependency_tree_en") : QStringLiteral("oracle_dependency_tree_ru"));
            w->BExit->click();
            QTRY_VERIFY(!shell::windowsMenu()->slotWindow(shell::WindowSlot::DependencyTree));
        }
        // Not on Firebird.
        activate(Side::Left);
        QVERIFY(form_->commands().trigger(cmd::Dependencies2));
        QCOMPARE(prompts_->messages.last(), QStringLiteral("Не поддерживается для данного типа БД!"));
    }

    void aLocalDirectoryIsNotSqlBased() {
        panels_->runLogin = [](const QString&, std::string&, std::string&) { return true; };
        panels_->chooseDatabase(Side::Left, QString::fromStdString((base_ / "dir").string()));
        activate(Side::Left);
        for (shell::CommandId id : {cmd::Indexes1, cmd::Domains1, cmd::Dependencies2}) {
            prompts_->messages.clear();
            form_->commands().trigger(id);
            if (prompts_->messages.isEmpty()) continue;   // a disabled entry does not run at all
            QCOMPARE(prompts_->messages, QStringList{QStringLiteral("Can not perform this operation on non SQL Based! ")});
        }
        QVERIFY(!listWindow());
        prompts_->messages.clear();
        objlists::openObjectList(*form_, ListKind::Indexes);
        QCOMPARE(prompts_->messages, QStringList{QStringLiteral("Can not perform this operation on non SQL Based! ")});
        QVERIFY(!listWindow());
    }
};

QTEST_MAIN(ObjListsFormsTest)
#include "forms_test.moc"
