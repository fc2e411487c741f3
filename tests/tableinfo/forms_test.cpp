// The structure window offscreen: opened on the embedded Firebird demo, a dBase table, the
// ORACLE fixture and a table that does not exist; its tabs, menus, the "Show" commands and
// "Save As ...", in English and Russian. Writes screenshots of the tabs to VLM_TABLEINFO_SHOTS.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTreeWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QtTest>
#include <filesystem>

#include "panels/demodata.h"
#include "shell/language.h"
#include "engine/database.h"
#include "engine/query.h"
#include "tableinfo/openinfo.h"

using namespace vlm;
using namespace vlm::tableinfo;

namespace {

std::string tmpDir(const char* name) {
    std::filesystem::path p = std::filesystem::path(VLM_TABLEINFO_TMP) / name;
    std::filesystem::remove_all(p);
    std::filesystem::create_directories(p);
    return p.string();
}

// The port of the test PostgreSQL cluster that the ctest fixture started.
std::string pgPort() {
    QFile f(QStringLiteral(VLM_TABLEINFO_PG_STATE "/port"));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll().trimmed().toStdString();
}

bool tabShown(TFormInfo* w, QWidget* tab) { return w->PageControl1->isTabVisible(w->PageControl1->indexOf(tab)); }

void shoot(TFormInfo* w, const QString& name) {
    QDir().mkpath(QStringLiteral(VLM_TABLEINFO_SHOTS));
    for (int i = 0; i < w->PageControl1->count(); ++i) {
        if (!w->PageControl1->isTabVisible(i)) continue;
        w->PageControl1->setCurrentIndex(i);
        QCoreApplication::processEvents();
        w->grab().save(QStringLiteral(VLM_TABLEINFO_SHOTS "/%1_%2.png").arg(name, w->PageControl1->widget(i)->objectName()));
    }
}

}  // namespace

class FormInfoTest : public QObject {
    Q_OBJECT
    panels::DemoDatabases demo_;
    QStringList errors_;

    InfoContext context(std::vector<std::string> params = {}) {
        InfoContext c;
        c.params = std::move(params);
        c.showError = [this](const QString& e) { errors_ << e; };
        return c;
    }
    panels::TTableInfo firebird(const std::string& table, bool view = false) {
        panels::TTableInfo t;
        t.driverName = "INTRBASE";
        t.databaseName = demo_.firebird;
        t.tableName = t.tableNameForCommands = table;
        t.tableType = view ? "VIEW" : "TABLE";
        t.isView = view;
        t.isSqlBased = true;
        t.serverKind = ServerKind::INTERBASE;
        return t;
    }
    std::vector<std::string> fbLogin() { return {"USER NAME=SYSDBA", "PASSWORD=masterkey"}; }

private slots:
    void initTestCase() {
        demo_ = panels::ensureDemoDatabases(tmpDir("demo"));
        QVERIFY2(demo_.errors.empty(), demo_.errors.empty() ? "" : demo_.errors.front().c_str());
        QVERIFY(!demo_.firebird.empty());
    }
    void init() {
        errors_.clear();
        shell::setLanguageSetting(2);
    }

    void firebirdTableInEnglish() {
        auto* w = openInfoWindow(firebird("CRAFTSMAN"), context(fbLogin()));
        QVERIFY2(errors_.isEmpty(), qPrintable(errors_.join('\n')));
        QCOMPARE(w->windowTitle(), QStringLiteral("Info: INTRBASE Table"));
        QCOMPARE(w->Panel5->text(), QStringLiteral("CRAFTSMAN"));
        QCOMPARE(w->FGrid->horizontalHeaderItem(2)->text(), QStringLiteral("Field Name"));
        QCOMPARE(w->FGrid->horizontalHeaderItem(8)->text(), QStringLiteral("Dimensions"));
        QCOMPARE(w->FGrid->horizontalHeaderItem(9)->text(), QString());
        QCOMPARE(w->FGrid->columnWidth(8), 200);
        QCOMPARE(w->FGrid->rowCount(), int(w->data().columns.size()));
        QCOMPARE(w->FGrid->item(0, 1)->text(), QStringLiteral("1"));
        QCOMPARE(w->FGrid->item(0, 2)->text(), QStringLiteral("CR_NO"));
        QCOMPARE(w->FGrid->item(0, 6)->text(), QStringLiteral("False"));
        QVERIFY(w->PageControl1->tabText(0).endsWith(QStringLiteral("Structure")));
        QVERIFY(tabShown(w, w->TabSheetIndex));
        QVERIFY(!tabShown(w, w->TabSheetView));
        QVERIFY(!tabShown(w, w->TabSheetPart));
        QVERIFY(!w->objectEntries[3]->isEnabled());   // "View"
        QVERIFY(w->MemoIndex->toPlainText().contains(QStringLiteral("Create Unique Index ")));
        // The structure editor waits: New, New As and Modify are offered, the editing buttons not.
        for (QPushButton* b : w->editorButtons)
            QCOMPARE(b->isEnabled(), b == w->BNewTable || b == w->BNewAs || b == w->BModifyTable);
        QVERIFY(!w->EditTableComment->isVisibleTo(w));

        QVERIFY(!w->SaveAs2->isEnabled());
        w->ShowStructure->trigger();
        QCOMPARE(w->PageControl1->currentWidget(), w->TabSheetShowScript);
        QVERIFY(w->SaveAs2->isEnabled());
        auto lines = w->scriptLines();
        QCOMPARE(QString::fromStdString(lines[0]), QStringLiteral("Structure of table: CRAFTSMAN"));
        QCOMPARE(lines[1], std::string(180, '-'));
        QVERIFY(QString::fromStdString(lines[2]).startsWith(QStringLiteral("№    Field Name")));
        shoot(w, QStringLiteral("firebird_en"));

        w->ShowCreateSql->trigger();
        lines = w->scriptLines();
        QCOMPARE(QString::fromStdString(lines.front()), QStringLiteral("Create Table CRAFTSMAN ("));
        QCOMPARE(QString::fromStdString(lines[1]), QStringLiteral("CR_NO INTEGER Not Null,"));
        w->ShowInsertSql->trigger();
        w->ShowUpdateSql->trigger();
        lines = w->scriptLines();
        QVERIFY(QString::fromStdString(lines.back()).endsWith(QStringLiteral(" Where ")));
        const QString file = QString::fromStdString(tmpDir("save")) + QStringLiteral("/crafts.sql");
        QVERIFY(w->saveScriptTo(file));
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.readAll().startsWith("Create Table CRAFTSMAN (\nCR_NO INTEGER Not Null,"));
        w->ClearShowWindow->trigger();
        QVERIFY(w->Memo1->toPlainText().isEmpty());
        QVERIFY(!w->SaveAs2->isEnabled());

        // "Objects" makes its tab current; Esc closes the window, which frees itself.
        w->objectEntries[1]->trigger();
        QCOMPARE(w->PageControl1->currentWidget(), w->TabSheetIndex);
        QPointer<TFormInfo> gone(w);
        QTest::keyClick(w, Qt::Key_Escape);
        QTRY_VERIFY(gone.isNull());
    }

    void firebirdViewInRussian() {
        shell::setLanguageSetting(1);
        auto* w = openInfoWindow(firebird("WORKSHOP_STAFF", true), context(fbLogin()));
        QVERIFY2(errors_.isEmpty(), qPrintable(errors_.join('\n')));
        QCOMPARE(w->windowTitle(), QStringLiteral("Информация: INTRBASE VIEW"));
        QCOMPARE(w->Label2->text(), QStringLiteral("Таблица:"));
        QCOMPARE(w->FGrid->horizontalHeaderItem(2)->text(), QStringLiteral("Имя поля"));
        QCOMPARE(w->PageControl1->tabText(w->PageControl1->indexOf(w->TabSheetView)), QStringLiteral("Текст View"));
        QVERIFY(tabShown(w, w->TabSheetView));
        QVERIFY(!tabShown(w, w->TabSheetIndex));
        QVERIFY(w->MemoView->toPlainText().startsWith(QStringLiteral("create view WORKSHOP_STAFF as")));
        QCOMPARE(w->SaveAs2->text(), QStringLiteral("Сохранить окно просмотра как ..."));
        w->ShowStructure->trigger();
        shoot(w, QStringLiteral("firebird_ru"));
        auto* crafts = openInfoWindow(firebird("CRAFTSMAN"), context(fbLogin()));
        crafts->ShowStructure->trigger();
        shoot(crafts, QStringLiteral("firebird_table_ru"));
        crafts->close();
        w->close();
    }

    void dbaseTable() {
        panels::TTableInfo t;
        t.driverName = "STANDARD";
        t.databaseName = demo_.folder;
        t.tableType = "DBASE";
        t.serverKind = ServerKind::STANDARD;
        QDir dir(QString::fromStdString(demo_.folder));
        const QStringList dbfs = dir.entryList({QStringLiteral("*.DBF"), QStringLiteral("*.dbf")});
        QVERIFY(!dbfs.isEmpty());
        t.tableName = t.tableNameForCommands = dbfs.front().toStdString();
        auto* w = openInfoWindow(t, context());
        QVERIFY2(errors_.isEmpty(), qPrintable(errors_.join('\n')));
        QCOMPARE(w->windowTitle(), QStringLiteral("Info: STANDARD DBASE Table"));
        QVERIFY(w->FGrid->rowCount() > 1);
        QCOMPARE(w->FGrid->horizontalHeaderItem(8)->text(), QString());
        w->ShowCreateSql->trigger();
        QCOMPARE(QString::fromStdString(w->scriptLines().front()), QStringLiteral("Create Table \"%1\" (").arg(dbfs.front()));
        w->ShowStructure->trigger();
        shoot(w, QStringLiteral("dbase_en"));
        w->close();
    }

    void missingTableKeepsTheWindowOpen() {
        auto* w = openInfoWindow(firebird("DROPPED_MEANWHILE"), context(fbLogin()));
        QPointer<TFormInfo> alive(w);
        QCoreApplication::processEvents();
        QVERIFY(alive);
        QCOMPARE(errors_, QStringList{QStringLiteral("Table does not exist: DROPPED_MEANWHILE")});
        QCOMPARE(w->FGrid->rowCount(), 1);   // the empty row: 1, True
        QCOMPARE(w->FGrid->item(0, 1)->text(), QStringLiteral("1"));
        QCOMPARE(w->FGrid->item(0, 6)->text(), QStringLiteral("True"));
        w->ShowCreateSql->trigger();
        QCOMPARE(errors_.back(), QStringLiteral("No field NAME or TYPE!"));
        w->close();
    }

    void relatedObjectsOnTheOracleFixture() {
        const std::string port = pgPort();
        if (port.empty()) QFAIL("the PostgreSQL test server is not running");
        panels::TTableInfo t;
        t.driverName = "ORACLE";
        t.databaseName = "ORACLE:127.0.0.1";
        t.tableName = t.tableNameForCommands = "SCOTT.EMP";
        t.tableType = "TABLE";
        t.isSqlBased = true;
        t.serverKind = ServerKind::ORACLE;
        t.oracleVersion = "8";
        QStringList messages;
        InfoContext c = context({"ODBC DRIVER=PostgreSQL Unicode", "DATABASE NAME=vlm_oracle", "CONNECT STRING=PORT=" + port,
                                 "USER NAME=pgtest"});
        c.showMessage = [&messages](const QString& m) { messages << m; };
        c.confirm = [](const QString&, const QString&) { return false; };
        auto* w = openInfoWindow(t, c);
        QVERIFY2(errors_.isEmpty(), qPrintable(errors_.join('\n')));
        QCOMPARE(w->EditTableComment->text(), QStringLiteral("Employees of the company"));
        QVERIFY(!w->BSaveTableComment->isEnabled());
        QVERIFY(tabShown(w, w->TabSheetTrigger));
        QVERIFY(tabShown(w, w->TabSheetCons));
        QVERIFY(tabShown(w, w->TabSheetDependencies));
        QVERIFY(tabShown(w, w->TabSheetPrivileges));
        QVERIFY(tabShown(w, w->TabSheetSynonyms));
        QCOMPARE(w->TreeViewDependencies->topLevelItemCount(), 1);
        QCOMPARE(w->TreeViewDependencies->topLevelItem(0)->text(0), QStringLiteral("table: SCOTT.EMP"));
        QCOMPARE(w->ListBoxTrigger->count(), 1);
        w->ListBoxTrigger->setCurrentRow(0);
        QVERIFY(w->MemoTrigger->toPlainText().startsWith(QStringLiteral("create or replace trigger \nSCOTT.EMP_AUDIT")));
        QCOMPARE(w->FGrid->item(1, 9)->text(), QStringLiteral("Employee's name"));
        // Selecting a constraint shows its statement; a refused switch puts the mark back.
        for (int i = 0; i < w->ListBoxCons->count(); ++i)
            if (w->ListBoxCons->item(i)->text() == QLatin1String("PK_EMP")) w->ListBoxCons->setCurrentRow(i);
        QCOMPARE(w->PanelTypeCons->text(), QStringLiteral("Primary Key"));
        QCOMPARE(w->MemoCons->toPlainText(), QStringLiteral("ALTER TABLE SCOTT.EMP\nADD CONSTRAINT PK_EMP\nPRIMARY KEY (EMPNO)"));
        QListWidgetItem* pk = w->ListBoxCons->currentItem();
        QCOMPARE(pk->checkState(), Qt::Checked);
        pk->setCheckState(Qt::Unchecked);   // the fixture's server refuses ALTER TABLE ... DISABLE constraint
        QCOMPARE(pk->checkState(), Qt::Checked);
        QCOMPARE(errors_.size(), 1);
        // Drop asks first; No keeps the item.
        const int count = w->ListBoxCons->count();
        w->BDropCons->click();
        QCOMPARE(w->ListBoxCons->count(), count);
        w->ShowPrivileges->trigger();
        QVERIFY(w->Memo1->toPlainText().contains(QStringLiteral("GRANT UPDATE ON SCOTT.EMP TO HR_ROLE WITH GRANT OPTION;")));
        shoot(w, QStringLiteral("oracle_emp_en"));
        w->close();
    }

    void triggerSwitchNotSupportedOnFirebird() {
        engine::Database db;
        db.setDatabaseName(demo_.firebird);
        db.params() = fbLogin();
        db.open();
        engine::Query q;
        q.setDatabase(&db);
        q.setSql("CREATE TRIGGER CRAFTSMAN_BI FOR CRAFTSMAN BEFORE INSERT AS BEGIN END");
        q.execSql();
        if (db.inTransaction()) db.commit();
        db.close();
        QStringList messages;
        InfoContext c = context(fbLogin());
        c.showMessage = [&messages](const QString& m) { messages << m; };
        auto* w = openInfoWindow(firebird("CRAFTSMAN"), c);
        QCOMPARE(w->ListBoxTrigger->count(), 1);
        QListWidgetItem* it = w->ListBoxTrigger->item(0);
        QCOMPARE(it->checkState(), Qt::Unchecked);
        it->setCheckState(Qt::Checked);
        QCOMPARE(it->checkState(), Qt::Unchecked);
        QCOMPARE(messages, QStringList{QStringLiteral("Not supported for this type database!")});
        w->ListBoxTrigger->setCurrentRow(0);
        QVERIFY(w->MemoTrigger->toPlainText().startsWith(QStringLiteral("create trigger CRAFTSMAN_BI for CRAFTSMAN\nBEFORE INSERT")));
        w->close();
    }

    void oracleFixturePartitionsAndComments() {
        const std::string port = pgPort();
        if (port.empty()) QFAIL("the PostgreSQL test server is not running");
        for (int language : {2, 1}) {
            shell::setLanguageSetting(language);
            panels::TTableInfo t;
            t.driverName = "ORACLE";
            t.databaseName = "ORACLE:127.0.0.1";
            t.tableName = t.tableNameForCommands = "SCOTT.SALES";
            t.tableType = "TABLE";
            t.isSqlBased = true;
            t.serverKind = ServerKind::ORACLE;
            t.oracleVersion = "8";
            auto* w = openInfoWindow(t, context({"ODBC DRIVER=PostgreSQL Unicode", "DATABASE NAME=vlm_oracle",
                                                 "CONNECT STRING=PORT=" + port, "USER NAME=pgtest"}));
            QVERIFY2(errors_.isEmpty(), qPrintable(errors_.join('\n')));
            QVERIFY(tabShown(w, w->TabSheetPart));
            QVERIFY(w->Label2->text().endsWith(QStringLiteral("(Partition 2)")));
            QCOMPARE(w->PType->text(), QStringLiteral("TABLE 8"));
            QVERIFY(w->MemoPart->toPlainText().startsWith(QStringLiteral("PARTITION BY RANGE (SALE_DATE) (")));
            QVERIFY(w->EditTableComment->isVisibleTo(w));
            QCOMPARE(w->FGrid->columnWidth(9), 200);
            w->ShowCreateSql->trigger();
            QVERIFY(w->Memo1->toPlainText().contains(QStringLiteral(")\nPARTITION BY RANGE (SALE_DATE) (")));
            shoot(w, QString::fromLatin1(language == 1 ? "oracle_ru" : "oracle_en"));
            w->close();
        }
    }
};

QTEST_MAIN(FormInfoTest)
#include "forms_test.moc"
