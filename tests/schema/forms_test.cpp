// The create window (F7 on a main window over a dBase folder, and on the ORACLE dictionary
// fixture for the synonym and partition tabs) and the structure editor on a dBase table,
// offscreen; both windows' screenshots in English and Russian.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>

#include "engine/database.h"
#include "engine/query.h"
#include "panels/panelcontroller.h"
#include "panels/recordingprompts.h"
#include "panels/shellhooks.h"
#include "schema/commands.h"
#include "schema/formcreatetable.h"
#include "shell/formmain.h"
#include "shell/language.h"
#include "shell/windowsmenu.h"
#include "tableinfo/catalog.h"
#include "tableinfo/commands.h"
#include "tableinfo/forminfo.h"

using namespace vlm;
using panels::Side;
namespace fs = std::filesystem;

namespace {

void exec(engine::Database& db, const std::string& sql) {
    engine::Query q;
    q.setDatabase(&db);
    q.setSql(sql);
    q.execSql();
}

std::string readPort() {
    std::ifstream in(std::string(VLM_SCHEMA_PG_STATE) + "/port");
    std::string port;
    in >> port;
    return port;
}

void shot(QWidget* w, const QString& name) {
    QDir().mkpath(QStringLiteral(VLM_SCHEMA_SHOTS));
    w->grab().save(QStringLiteral(VLM_SCHEMA_SHOTS "/") + name + QStringLiteral(".png"));
}

schema::TFormCreateTable* createWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* f = qobject_cast<schema::TFormCreateTable*>(w); f && f->isVisible()) return f;
    return nullptr;
}

void addColumn(schema::TFormCreateTable* w, const QString& name, const QString& type, const QString& size,
               const QString& decimals = {}) {
    w->Edit1->setText(name);
    w->ComboBox1->setCurrentIndex(w->ComboBox1->findText(type));
    w->ComboBox1Click();
    w->Edit2->setText(size);
    w->Edit3->setText(decimals);
    w->Button3Click();
}

// A structure window, opened and read, with its messages, errors and re-read calls recorded.
struct Editor {
    QStringList messages, errors;
    int created = 0;
    tableinfo::TFormInfo* w = nullptr;
    Editor(const panels::TTableInfo& info, std::vector<std::string> params = {}) {
        tableinfo::InfoContext c;
        c.params = std::move(params);
        c.showMessage = [this](const QString& m) { messages << m; };
        c.showError = [this](const QString& e) { errors << e; };
        c.tableCreated = [this] { ++created; };
        w = new tableinfo::TFormInfo(info, c);
        w->show();
        w->load();
    }
    Editor(const Editor&) = delete;
    Editor& operator=(const Editor&) = delete;
};

}  // namespace

class SchemaFormsTest : public QObject {
    Q_OBJECT
    fs::path base_;
    std::shared_ptr<RecordingPrompts> prompts_ = std::make_shared<RecordingPrompts>();

private slots:
    void initTestCase() {
        base_ = fs::path(VLM_SCHEMA_TMP) / "schema_forms";
        fs::remove_all(base_);
        fs::create_directories(base_ / "bin");
        fs::create_directories(base_ / "data");
        for (const char* dic : {"VLMSQLC.DIC", "VLMSQLF.DIC", "VLMPLSQL.DIC"}) std::ofstream(base_ / "bin" / dic) << "SELECT\n";
        engine::Database db;
        db.setDatabaseName((base_ / "data").string());
        db.open();
        exec(db, "create table \"CUST.DBF\" (CUSTNO NUMERIC(6), NAME CHAR(20), NOTES BLOB(1,1), CITY CHAR(15))");
        exec(db, "insert into CUST (CUSTNO, NAME, NOTES, CITY) values (1, 'Shell Bay', 'first memo', 'Harbour')");
        exec(db, "insert into CUST (CUSTNO, NAME, CITY) values (2, 'North Pier', 'Cove')");
        std::ofstream(base_ / "bin" / "VLM32.INI") << "[DATABASE NAMES]\nLEFTDATABASE=" << (base_ / "data").string()
                                                   << "\nRIGHTDATABASE=" << (base_ / "data").string()
                                                   << "\n[DATABASE LOGINS]\nLEFTUSERNAME=U\nLEFTUSERPASSWORD=P\n"
                                                      "RIGHTUSERNAME=U\nRIGHTUSERPASSWORD=P\n";
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString((base_ / "xdg").string()));
        shell::TForm1::addCommandProvider(&tableinfo::registerCommands);
        shell::TForm1::addCommandProvider(&schema::registerCommands);
    }

    // F7 on a dBase folder: a table composed column by column, previewed, created; an index on
    // the focused table; the wrong inputs answered before anything runs.
    void createTableAndIndexOnALocalFolder() {
        shell::setLanguageSetting(2);
        prompts_->messages.clear();
        auto* form = new shell::TForm1(QString::fromStdString((base_ / "bin").string() + "/"),
                                       panels::makeShellHooks(prompts_));
        form->show();
        panels::TPanels* p = panels::panelsOf(*form);
        QVERIFY(p);
        QTreeWidget* list = form->listBox(Side::Left);
        QTreeWidgetItem* cust = nullptr;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            if (list->topLevelItem(i)->text(0) == QStringLiteral("CUST.DBF")) cust = list->topLevelItem(i);
        QVERIFY(cust);
        list->setFocus();
        list->setCurrentItem(cust);
        const int before = p->itemCount(Side::Left);
        QVERIFY(form->functionButton(QStringLiteral("BCreate"))->isEnabled());
        QTest::keyClick(p->listView(Side::Left), Qt::Key_F7);
        schema::TFormCreateTable* w = createWindow();
        QVERIFY(w);
        QVERIFY(w->windowTitle().startsWith(QStringLiteral("Create Object in: ")));
        QCOMPARE(w->EDBType->text(), QStringLiteral("STANDARD "));
        QVERIFY(!w->PageControl1->isTabVisible(w->PageControl1->indexOf(w->TabSheetSynonym)));
        QVERIFY(!w->PageControl1->isTabVisible(w->PageControl1->indexOf(w->TabSheetPartition)));
        QVERIFY(w->GroupBoxStandard->isEnabled());
        QVERIFY(!w->CBNotNull->isEnabled());
        QVERIFY(!w->BUnique->isEnabled());
        QCOMPARE(w->ComboBox1->currentText(), QStringLiteral("CHAR"));
        QCOMPARE(w->ListFields->count(), 4);
        QCOMPARE(w->PTable->text(), QStringLiteral("CUST.DBF"));
        // F7 again raises the one window.
        form->action(QStringLiteral("NNewTable"))->trigger();
        QCOMPARE(createWindow(), w);

        // Wrong input: no table name, a duplicate column, a size that is no number.
        w->Button1Click();
        addColumn(w, QStringLiteral("ID"), QStringLiteral("NUMERIC"), QStringLiteral("6"));
        addColumn(w, QStringLiteral("ID"), QStringLiteral("CHAR"), QStringLiteral("3"));
        addColumn(w, QStringLiteral("NAME"), QStringLiteral("CHAR"), QStringLiteral("2O"));
        QCOMPARE(prompts_->messages, (QStringList{QStringLiteral("First enter table name!"),
                                                  QStringLiteral("Field ID already exists!"),
                                                  QStringLiteral("The size must be a number: 2O")}));
        QCOMPARE(w->ListBox1->count(), 1);
        // The format rule: DATE shows no size fields, NUMERIC size and decimals; typing a
        // type empties them, choosing one from the list does not.
        w->ComboBox1->setCurrentIndex(w->ComboBox1->findText(QStringLiteral("DATE")));
        w->ComboBox1Click();
        QVERIFY(w->GroupBox1->isHidden());
        w->Edit2->setText(QStringLiteral("9"));
        w->ComboBox1->setCurrentIndex(w->ComboBox1->findText(QStringLiteral("NUMERIC")));
        w->ComboBox1Click();
        QVERIFY(!w->GroupBox1->isHidden() && !w->Edit3->isHidden());
        QCOMPARE(w->Edit2->text(), QStringLiteral("9"));
        QTest::keyClicks(w->ComboBox1->lineEdit(), QStringLiteral("X"));
        QVERIFY(w->Edit2->text().isEmpty());
        // Paradox changes the list only.
        w->RBParadox->click();
        QCOMPARE(w->ComboBox1->itemText(0), QStringLiteral("CHARACTER"));
        w->RBDbase->click();
        QCOMPARE(w->ComboBox1->count(), 7);

        QTest::keyClicks(w->ETableName, QStringLiteral("newt"));
        QCOMPARE(w->ETableName->text(), QStringLiteral("NEWT"));
        addColumn(w, QStringLiteral("NAME"), QStringLiteral("CHAR"), QStringLiteral("20"));
        addColumn(w, QStringLiteral("NOTE"), QStringLiteral("MEMO"), QStringLiteral("10"));
        // Edit the first column, delete the last one and put it back.
        w->ListBox1->setCurrentRow(0);
        w->ListBox1Click();
        QCOMPARE(w->Edit1->text(), QStringLiteral("ID"));
        w->Edit3->setText(QStringLiteral("0"));
        w->Button5Click();
        w->ListBox1->setCurrentRow(2);
        w->Button4Click();
        QCOMPARE(w->ListBox1->count(), 2);
        QCOMPARE(w->Edit1->text(), QStringLiteral("ID"));
        addColumn(w, QStringLiteral("NOTE"), QStringLiteral("MEMO"), QStringLiteral("10"));
        shot(w, QStringLiteral("local_create_table_en"));
        w->Button1Click();
        QCOMPARE(w->Memo1->toPlainText(), QStringLiteral("create table \"NEWT\"\n(\nID NUMERIC(6,0), \nNAME CHAR(20), \n"
                                                         "NOTE BLOB(10,1)\n)"));
        QVERIFY(w->BCreate->isEnabled() && w->BUndoTable->isEnabled() && !w->Button1->isEnabled());
        // Esc hides the text; only Undo leads back to the preview.
        QTest::keyClick(w->Memo1, Qt::Key_Escape);
        QVERIFY(!w->BCreate->isEnabled() && !w->Button1->isEnabled());
        w->BUndoTableClick();
        QVERIFY(w->Button1->isEnabled() && !w->BUndoTable->isEnabled());
        w->Button1Click();
        shot(w, QStringLiteral("local_create_preview_en"));
        w->BCreateClick();
        QVERIFY2(prompts_->messages.size() == 3, qPrintable(prompts_->messages.join('\n')));
        QVERIFY(fs::exists(base_ / "data" / "NEWT.DBF"));
        QVERIFY(!w->BCreate->isEnabled() && w->BUndoTable->isEnabled());
        QCOMPARE(p->itemCount(Side::Left), before + 1);   // the panel was read again
        QCOMPARE(list->currentItem()->text(0), QStringLiteral("CUST.DBF"));

        // Index: "New" > "Index" moves to the index tab.
        w->PageControl1->setCurrentIndex(0);
        form->action(QStringLiteral("NNewIndex"))->trigger();
        QCOMPARE(w->PageControl1->currentWidget(), w->TabSheetIndex);
        w->BPreView2Click();
        QCOMPARE(prompts_->messages.last(), QStringLiteral("First enter index name!"));
        QTest::keyClicks(w->EIndexName, QStringLiteral("bycity"));
        w->ListFields->setCurrentRow(3);
        w->BToIndexClick();
        w->ListFields->setCurrentRow(1);
        w->BToIndexClick();
        QCOMPARE(w->ListFields->count(), 2);
        w->BPreView2Click();
        QCOMPARE(w->Memo2->toPlainText(), QStringLiteral("CREATE INDEX BYCITY ON \"CUST.DBF\"\n(\nCITY, \nNAME\n)"));
        shot(w, QStringLiteral("local_create_index_en"));
        w->BCreateIndexClick();
        QVERIFY(!w->BCreateIndex->isEnabled());
        engine::Database check;
        check.setDatabaseName((base_ / "data").string());
        check.open();
        auto ix = check.connection().indexDefs("CUST.DBF");
        QCOMPARE(int(ix.size()), 1);
        // The same index again: the engine's refusal is shown, the text stays.
        w->BUndoIndexClick();
        w->ListFields->setCurrentRow(0);
        w->BToIndexClick();
        w->BPreView2Click();
        const int shown = prompts_->messages.size();
        w->BCreateIndexClick();
        QCOMPARE(prompts_->messages.size(), shown + 1);
        QVERIFY(w->Memo2->isVisible());
        w->close();
        QTRY_VERIFY(!createWindow());
        QCOMPARE(shell::windowsMenu()->slotHandle(shell::WindowSlot::Create), shell::kNoWindow);
        delete form;
    }

    // ORACLE 8 on its dictionary fixture: the synonym and partition tabs, the table spaces.
    void oraclePartitionsAndSynonym_data() {
        QTest::addColumn<int>("language");
        QTest::newRow("English") << 2;
        QTest::newRow("Russian") << 1;
    }
    void oraclePartitionsAndSynonym() {
        QFETCH(int, language);
        shell::setLanguageSetting(language);
        const std::string port = readPort();
        QVERIFY2(!port.empty(), "the PostgreSQL test server is not running");
        engine::Database db;
        db.setDatabaseName("ORACLE:127.0.0.1");
        db.params() = {"ODBC DRIVER=PostgreSQL Unicode", "DATABASE NAME=vlm_oracle", "CONNECT STRING=PORT=" + port,
                       "USER NAME=pgtest"};
        db.open();
        auto prompts = std::make_shared<RecordingPrompts>();
        schema::CreateContext c;
        c.db = &db;
        c.info.serverKind = panels::ServerKind::ORACLE;
        c.info.driverName = "ORACLE";
        c.info.databaseName = "ORA8";
        c.info.oracleVersion = "8";
        c.info.tableNameForCommands = "SCOTT.EMP";
        c.indexTable = "SCOTT.EMP";
        c.prompts = prompts.get();
        auto* w = new schema::TFormCreateTable(c);
        w->show();
        w->launch();
        QCOMPARE(w->windowTitle(), language == 1 ? QStringLiteral("Создать объект в: ORA8 (ORACLE 8)")
                                                 : QStringLiteral("Create Object in: ORA8 (ORACLE 8)"));
        QVERIFY(w->PageControl1->isTabVisible(w->PageControl1->indexOf(w->TabSheetSynonym)));
        QVERIFY(w->PageControl1->isTabVisible(w->PageControl1->indexOf(w->TabSheetPartition)));
        QCOMPARE(w->ComboBox1->count(), 17);
        // Whether the ODBC catalog finds the fixture's table depends on how the driver folds
        // the owner and name; when it does not, its error is shown and the Oracle column
        // catalog gives the names.
        QVERIFY2(prompts->messages.isEmpty() ||
                     prompts->messages == QStringList{QStringLiteral("Table does not exist: SCOTT.EMP")},
                 qPrintable(prompts->messages.join('\n')));
        const qsizetype shownAtOpen = prompts->messages.size();
        QVERIFY(w->ListFields->count() > 0);
        QCOMPARE(w->ListFields->item(0)->text().toUpper(), QStringLiteral("EMPNO"));
        QVERIFY(w->CBTableSpace->count() > 1);
        QCOMPARE(w->ESynonym->text(), QStringLiteral("EMP"));
        QVERIFY(w->BSaveSynonym->isEnabled());
        w->ETable->setText(QStringLiteral("  "));
        QVERIFY(!w->BSaveSynonym->isEnabled());
        w->ETable->setText(QStringLiteral("SCOTT.EMP"));

        QTest::keyClicks(w->ETableName, QStringLiteral("sales"));
        w->CBNotNull->setChecked(true);
        addColumn(w, QStringLiteral("ID"), QStringLiteral("NUMBER"), QStringLiteral("10"));
        w->CBNotNull->setChecked(false);
        addColumn(w, QStringLiteral("REGION"), QStringLiteral("VARCHAR2"), QStringLiteral("10"));
        const QString suffix = language == 1 ? QStringLiteral("_ru") : QStringLiteral("_en");
        shot(w, QStringLiteral("create_table") + suffix);
        w->PageControl1->setCurrentWidget(w->TabSheetIndex);
        shot(w, QStringLiteral("create_index") + suffix);
        w->PageControl1->setCurrentWidget(w->TabSheetSynonym);
        shot(w, QStringLiteral("create_synonym") + suffix);
        w->PageControl1->setCurrentWidget(w->TabSheetPartition);   // entering fills the lists
        QCOMPARE(w->ListAvail->count(), 2);
        w->ListAvail->setCurrentRow(0);
        w->BFromAvailToSelectedClick();
        QCOMPARE(w->StringGridPartition->columnCount(), 4);
        QCOMPARE(w->StringGridPartition->horizontalHeaderItem(3)->text(), QStringLiteral("ID"));
        w->StringGridPartition->setItem(0, 1, new QTableWidgetItem(QStringLiteral("P1")));
        w->StringGridPartitionClick(0, 3);
        QVERIFY(w->CBValue->isVisible());
        w->StringGridPartition->setItem(0, 3, new QTableWidgetItem(QStringLiteral("100")));
        w->BAddPartitionClick();
        w->StringGridPartition->setItem(1, 1, new QTableWidgetItem(QStringLiteral("P2")));
        w->StringGridPartitionClick(1, 3);
        w->CBValue->setCurrentIndex(1);
        emit w->CBValue->activated(1);
        QVERIFY(!w->CBValue->isVisible());
        w->StringGridPartitionClick(1, 2);
        QVERIFY(w->CBTableSpace->isVisible());
        w->CBTableSpace->setCurrentIndex(1);
        emit w->CBTableSpace->activated(1);
        const QString space = w->CBTableSpace->itemText(1);
        shot(w, QStringLiteral("create_partitions") + suffix);
        // Deleting the last of three partitions removes it; the last one left is only emptied.
        w->BAddPartitionClick();
        w->BDeletePartitionClick();
        QCOMPARE(w->StringGridPartition->rowCount(), 2);
        w->PageControl1->setCurrentWidget(w->TabSheetTable);
        w->Button1Click();
        QCOMPARE(w->Memo1->toPlainText(),
                 QStringLiteral("create table SALES\n(\nID NUMBER(10) Not Null, \nREGION VARCHAR2(10)\n)\n"
                                "PARTITION BY RANGE ( ID ) (\nPARTITION P1 VALUES LESS THAN (100),\n"
                                "PARTITION P2 VALUES LESS THAN (MAXVALUE) TABLESPACE ") + space + QStringLiteral("\n)"));
        // The synonym: the fixture is no Oracle server, so its refusal is what the user sees.
        w->CBPublic->setCurrentIndex(1);
        w->BSaveSynonymClick();
        QCOMPARE(prompts->messages.size(), shownAtOpen + 1);
        QVERIFY(prompts->messages.last() != QStringLiteral("Synonym Created!"));
        // Only one column left: the partition clause goes when no column is selected.
        w->BUndoTableClick();
        w->PageControl1->setCurrentWidget(w->TabSheetPartition);
        w->ListSelected->setCurrentRow(0);
        w->BFromSelectedToAvailClick();
        QCOMPARE(w->StringGridPartition->columnCount(), 3);
        w->Button1Click();
        QVERIFY(!w->Memo1->toPlainText().contains(QStringLiteral("PARTITION")));
        delete w;
        shell::setLanguageSetting(2);
    }

    // The structure editor on a dBase table: modify (DEL marks, a new column, ALTER run, records
    // kept), a refused ALTER keeping the mode, a new table, and deleting rows.
    void structureEditorOnADbaseTable_data() {
        QTest::addColumn<int>("language");
        QTest::newRow("English") << 2;
        QTest::newRow("Russian") << 1;
    }
    void structureEditorOnADbaseTable() {
        QFETCH(int, language);
        shell::setLanguageSetting(language);
        const bool ru = language == 1;
        panels::TTableInfo info;
        info.serverKind = panels::ServerKind::STANDARD;
        info.driverName = "STANDARD";
        info.databaseName = (base_ / "data").string();
        info.tableName = info.tableNameForCommands = ru ? "RCUST.DBF" : "ECUST.DBF";
        info.tableType = "DBASE";
        {
            engine::Database db;
            db.setDatabaseName(info.databaseName);
            db.open();
            exec(db, "create table \"" + info.tableName + "\" (CUSTNO NUMERIC(6), NAME CHAR(20), NOTES BLOB(1,1), CITY CHAR(15))");
            exec(db, "insert into " + info.tableName + " (CUSTNO, NAME, NOTES) values (1, 'Shell Bay', 'first memo')");
        }
        Editor editor(info);
        QStringList& messages = editor.messages;
        QStringList& errors = editor.errors;
        int& created = editor.created;
        tableinfo::TFormInfo* w = editor.w;
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
        QVERIFY(w->BNewTable->isEnabled() && w->BNewAs->isEnabled() && w->BModifyTable->isEnabled());
        QVERIFY(!w->BSaveTable->isEnabled() && !w->BNewField->isEnabled());

        w->BModifyTableClick();
        QCOMPARE(w->mode(), tableinfo::EditMode::ModifyTable);
        QCOMPARE(w->StatusPanels[1]->text(), QString::fromStdString((ru ? "Изменение таблицы " : "Modify Table ") + info.tableName));
        QVERIFY(!w->BModifyTable->isEnabled() && w->BSaveTable->isEnabled());
        w->FGridClick(0, 2);   // existing local columns are not editable
        for (QLineEdit* e : w->FGrid->viewport()->findChildren<QLineEdit*>()) QVERIFY(!e->isVisible());
        w->FGrid->setCurrentCell(3, 2);
        w->BDeleteFieldClick();
        w->BDeleteFieldClick();
        QCOMPARE(w->FGrid->item(3, 0)->text(), QString());
        w->BDeleteFieldClick();
        QCOMPARE(w->FGrid->item(3, 0)->text(), QStringLiteral("DEL"));
        w->BNewFieldClick();
        QCOMPARE(w->FGrid->rowCount(), 5);
        QCOMPARE(w->FGrid->item(4, 0)->text(), QStringLiteral("NEW"));
        QCOMPARE(w->FGrid->item(4, 1)->text(), QStringLiteral("5"));
        w->FGrid->item(4, 2)->setText(QStringLiteral("PHONE"));
        w->FGridClick(4, 3);
        QVERIFY(w->CBType->isVisible());
        QCOMPARE(w->CBType->currentText(), QString());   // the cell is empty: nothing looks chosen
        const int at = w->CBType->findText(QStringLiteral("VARCHAR2"));
        QCOMPARE(at, -1);   // the dBase list
        w->CBType->setCurrentIndex(w->CBType->findText(QStringLiteral("CHAR")));
        emit w->CBType->activated(w->CBType->currentIndex());
        QCOMPARE(w->FGrid->item(4, 3)->text(), QStringLiteral("CHAR"));
        w->FGrid->item(4, 4)->setText(QStringLiteral("12"));
        w->BShowSqlClick();
        QCOMPARE(QString::fromStdString(w->scriptLines()[0]), QString::fromStdString("Alter Table \"" + info.tableName + "\""));
        QCOMPARE(QString::fromStdString(w->scriptLines()[1]), QStringLiteral("Drop CITY"));
        QCOMPARE(QString::fromStdString(w->scriptLines()[2]), QStringLiteral(", Add PHONE CHAR(12)"));
        w->PageControl1->setCurrentWidget(w->TabSheetStructure);
        shot(w, ru ? QStringLiteral("structure_modify_ru") : QStringLiteral("structure_modify_en"));

        // A type the local tables do not know: the engine's refusal, the mode and grid stay.
        w->FGrid->item(4, 3)->setText(QStringLiteral("VARCHAR2"));
        w->BSaveTableClick();
        QCOMPARE(errors.size(), 1);
        QVERIFY(errors.front().contains(QStringLiteral("VARCHAR2")));
        QCOMPARE(w->mode(), tableinfo::EditMode::ModifyTable);
        w->FGrid->item(4, 3)->setText(QStringLiteral("CHAR"));
        w->BSaveTableClick();
        QCOMPARE(messages.last(), QString::fromStdString((ru ? "Таблица " : "Table ") + info.tableName +
                                                         (ru ? " изменена!" : " changed!")));
        QCOMPARE(w->mode(), tableinfo::EditMode::None);
        QCOMPARE(created, 1);
        QCOMPARE(w->FGrid->rowCount(), 4);
        QCOMPARE(w->FGrid->item(3, 2)->text(), QStringLiteral("PHONE"));
        QVERIFY(w->StatusPanels[1]->text().isEmpty());
        {
            engine::Database db;
            db.setDatabaseName(info.databaseName);
            db.open();
            engine::Query q;
            q.setDatabase(&db);
            q.setSql("select NAME, NOTES from " + info.tableName);
            q.open();
            QCOMPARE(QString::fromStdString(q.field(1).asString()), QStringLiteral("first memo"));
        }

        // New table: the only row cannot go; rows below move up with their comments.
        w->BNewTableClick();
        QCOMPARE(w->FGrid->rowCount(), 1);
        QCOMPARE(w->FGrid->item(0, 0)->text(), QStringLiteral("NEW"));
        QVERIFY(w->ENewTableName->isVisible() && w->LabelNewTable->isVisible());
        w->BDeleteFieldClick();
        QCOMPARE(w->FGrid->rowCount(), 1);
        QCOMPARE(w->FGrid->item(0, 6)->text(), QStringLiteral("True"));
        w->BShowSqlClick();
        QCOMPARE(messages.last(), ru ? QStringLiteral("Не задано имя таблицы!") : QStringLiteral("Table not entered!"));
        QTest::keyClicks(w->ENewTableName, ru ? QStringLiteral("rnew") : QStringLiteral("enew"));
        w->BShowSqlClick();
        QCOMPARE(messages.last(), ru ? QStringLiteral("Нет имени поля или типа!") : QStringLiteral("No field NAME or TYPE!"));
        for (int r = 0; r < 3; ++r) {
            if (r) w->BNewFieldClick();
            w->FGrid->item(r, 2)->setText(QStringLiteral("F%1").arg(r));
            w->FGrid->item(r, 3)->setText(QStringLiteral("CHAR"));
            w->FGrid->item(r, 4)->setText(QStringLiteral("5"));
            w->FGrid->item(r, 9)->setText(QStringLiteral("comment %1").arg(r));
        }
        w->FGrid->setCurrentCell(0, 2);
        w->BDeleteFieldClick();
        QCOMPARE(w->FGrid->rowCount(), 2);
        QCOMPARE(w->FGrid->item(0, 2)->text(), QStringLiteral("F1"));
        QCOMPARE(w->FGrid->item(0, 9)->text(), QStringLiteral("comment 1"));
        QCOMPARE(w->FGrid->item(0, 1)->text(), QStringLiteral("1"));
        w->BShowSqlClick();
        const std::string newName = ru ? "RNEW.DBF" : "ENEW.DBF";
        QCOMPARE(QString::fromStdString(w->scriptLines()[0]), QString::fromStdString("Create Table \"" + newName + "\" ("));
        w->BSaveTableClick();
        QCOMPARE(messages.last(), QString::fromStdString((ru ? "Таблица " : "Table ") + newName + (ru ? " создана!" : " created!")));
        QVERIFY(fs::exists(base_ / "data" / newName));
        QCOMPARE(created, 2);
        // Undo leaves editing and shows the table's own structure again.
        w->BNewAsClick();
        w->BNewFieldClick();
        w->BUndoTableClick();
        QCOMPARE(w->mode(), tableinfo::EditMode::None);
        QCOMPARE(w->FGrid->rowCount(), 4);
        QVERIFY(!w->ENewTableName->isVisible());
        delete w;
        shell::setLanguageSetting(2);
    }

    // The structure editor over servers. Firebird modifies a table (a column dropped, one added,
    // the rows kept); SQLite, PostgreSQL and an ODBC data source do not offer modify and make new
    // tables, empty or shaped like the shown one, with a type of the server's own.
    void structureEditorOnServers_data() {
        QTest::addColumn<QString>("kind");
        for (const char* k : {"Firebird", "SQLite", "PostgreSQL", "ODBC"}) QTest::newRow(k) << QString::fromLatin1(k);
    }
    void structureEditorOnServers() {
        QFETCH(QString, kind);
        shell::setLanguageSetting(2);
        struct Server {
            std::string database, driver;
            std::vector<std::string> params;
            panels::ServerKind serverKind;
            std::string listed, ownType, ownTypeRead;   // the table as listed; a type of the server's own
        } sv;
        const std::string port = readPort();
        if (kind == QLatin1String("Firebird")) {
            const fs::path dir = base_ / "fb";
            fs::create_directories(dir);
            fs::remove(dir / "se.fdb");
            sv = {"INTRBASE:" + (dir / "se.fdb").string(), "INTRBASE", {"USER NAME=SYSDBA", "PASSWORD=masterkey"},
                  panels::ServerKind::INTERBASE, "SE_T", "DOUBLE PRECISION", "DOUBLE PRECISION"};
            engine::Database make;
            make.setDatabaseName(sv.database);
            make.params() = sv.params;
            make.params().push_back("CREATE=TRUE");
            make.open();
        } else if (kind == QLatin1String("SQLite")) {
            fs::remove(base_ / "se.sqlite");
            sv = {"SQLITE:" + (base_ / "se.sqlite").string(), "SQLITE", {}, panels::ServerKind::OTHER, "SE_T", "TEXT", "TEXT"};
        } else {
            if (port.empty()) QFAIL("the PostgreSQL test server is not running");
            if (kind == QLatin1String("PostgreSQL"))
                sv = {"POSTGRESQL:127.0.0.1:" + port + "/vlmtest", "POSTGRESQL", {"USER NAME=pgtest"},
                      panels::ServerKind::OTHER, "public.se_t", "jsonb", "jsonb"};
            else   // the data source's own name for a 64-bit integer, listed by its driver only
                sv = {"ODBC:127.0.0.1", "ODBC",
                      {"ODBC DRIVER=PostgreSQL Unicode", "DATABASE NAME=vlmtest", "CONNECT STRING=PORT=" + port,
                       "USER NAME=pgtest"},
                      panels::ServerKind::OTHER, "public.se_t", "int8", "int8"};
        }
        auto connect = [&sv](engine::Database& db) {
            db.setDatabaseName(sv.database);
            db.params() = sv.params;
            db.open();
        };
        {
            engine::Database db;
            connect(db);
            for (const char* t : {"SE_T", "SE_NEW", "SE_LIKE", "\"SE_NEW\"", "\"SE_LIKE\""}) {
                try {
                    exec(db, std::string("drop table ") + t);
                } catch (const std::exception&) {
                    // not there yet
                }
                if (db.inTransaction()) db.commit();
            }
            exec(db, "create table SE_T (ID INTEGER NOT NULL, NAME VARCHAR(20), CITY VARCHAR(15))");
            exec(db, "insert into SE_T (ID, NAME, CITY) values (1, 'Shell Bay', 'Harbour')");
            if (db.inTransaction()) db.commit();
        }
        // A table's name as the server lists it. On PostgreSQL (schema public) the shown table,
        // made unquoted, is folded to lower case; the editor's tables keep the upper-case names
        // the name field takes, quoted on the native driver (its names are case-exact), folded
        // through ODBC.
        const bool exactNames = sv.driver == "POSTGRESQL";
        auto listedName = [&sv, exactNames](const std::string& table) {
            if (sv.listed.find('.') == std::string::npos) return table;
            return "public." + (table == "SE_T" || !exactNames ? QString::fromStdString(table).toLower().toStdString() : table);
        };
        // The server's column names in order, read by a connection of its own.
        auto columnsOf = [&](const std::string& table) {
            engine::Database db;
            connect(db);
            engine::Query q;
            q.setDatabase(&db);
            q.setSql("select * from " + (table == "SE_T" || !exactNames ? table : "\"" + table + "\"") + " where 1 = 0");
            q.open();
            QStringList out;
            for (int i = 0; i < q.fieldCount(); ++i) out << QString::fromStdString(q.field(i).fieldName()).toUpper();
            return out.join(QLatin1Char(','));
        };
        panels::TTableInfo info;
        info.serverKind = sv.serverKind;
        info.driverName = sv.driver;
        info.databaseName = sv.database;
        info.tableName = info.tableNameForCommands = sv.listed;
        info.tableType = "TABLE";
        info.isSqlBased = true;
        Editor editor(info, sv.params);
        QStringList& messages = editor.messages;
        QStringList& errors = editor.errors;
        tableinfo::TFormInfo* w = editor.w;
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
        QCOMPARE(w->FGrid->rowCount(), 3);

        if (sv.serverKind == panels::ServerKind::INTERBASE) {
            QVERIFY(w->BModifyTable->isEnabled());
            w->BModifyTableClick();
            w->FGrid->setCurrentCell(2, 2);
            w->BDeleteFieldClick();
            QCOMPARE(w->FGrid->item(2, 0)->text(), QStringLiteral("DEL"));
            w->FGridClick(1, 3);   // an existing column's type stays as it is on this kind
            QVERIFY(!w->CBType->isVisible());
            w->BNewFieldClick();
            w->FGrid->item(3, 2)->setText(QStringLiteral("PHONE"));
            w->FGridClick(3, 3);
            QVERIFY(w->CBType->isVisible());
            w->CBType->setCurrentIndex(w->CBType->findText(QStringLiteral("VARCHAR")));
            emit w->CBType->activated(w->CBType->currentIndex());
            w->FGrid->item(3, 4)->setText(QStringLiteral("12"));
            w->BShowSqlClick();
            QCOMPARE(w->scriptLines(), (std::vector<std::string>{"Alter Table SE_T", "Drop CITY", ", Add PHONE VARCHAR(12)"}));
            w->BSaveTableClick();
            QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
            QCOMPARE(messages.last(), QStringLiteral("Table SE_T changed!"));
            QCOMPARE(w->mode(), tableinfo::EditMode::None);
            QCOMPARE(columnsOf("SE_T"), QStringLiteral("ID,NAME,PHONE"));
            engine::Database db;
            connect(db);
            engine::Query q;
            q.setDatabase(&db);
            q.setSql("select NAME from SE_T where ID = 1");
            q.open();
            QCOMPARE(QString::fromStdString(q.field(0).asString()), QStringLiteral("Shell Bay"));
        } else {
            QVERIFY(!w->BModifyTable->isEnabled());
        }

        // A new table shaped like the shown one, with one more column of the server's own type.
        w->BNewAsClick();
        QCOMPARE(w->mode(), tableinfo::EditMode::NewTable);
        QVERIFY2(w->CBType->findText(QString::fromStdString(sv.ownType)) >= 0, sv.ownType.c_str());
        QTest::keyClicks(w->ENewTableName, QStringLiteral("se_like"));
        w->BNewFieldClick();
        const int last = w->FGrid->rowCount() - 1;
        w->FGrid->item(last, 2)->setText(QStringLiteral("EXTRA"));
        w->FGridClick(last, 3);
        w->CBType->setCurrentIndex(w->CBType->findText(QString::fromStdString(sv.ownType)));
        emit w->CBType->activated(w->CBType->currentIndex());
        w->BSaveTableClick();
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
        QCOMPARE(messages.last(), QStringLiteral("Table SE_LIKE created!"));
        const QString shown = columnsOf("SE_T");
        QCOMPARE(columnsOf("SE_LIKE"), shown + QStringLiteral(",EXTRA"));
        {
            engine::Database db;
            connect(db);
            std::string type;
            if (sv.driver == "ODBC") {   // PostgreSQL's catalog, as the data source's names are exact there
                engine::Query q;
                q.setDatabase(&db);
                q.setSql("select udt_name from information_schema.columns where table_name = 'se_like' and "
                         "column_name = 'extra'");
                q.open();
                type = q.field(0).asString();
            } else {
                panels::TTableInfo copy = info;
                copy.tableName = listedName("SE_LIKE");
                const tableinfo::TableInfoData d = tableinfo::readTableInfo(db, tableinfo::tableRef(copy, ""));
                QVERIFY(!d.columns.empty());
                type = d.columns.back().type;
            }
            QCOMPARE(QString::fromStdString(type), QString::fromStdString(sv.ownTypeRead));
        }

        // A new, empty table; a type the server does not know is refused with the server's words
        // and the editor stays in its mode for a correction.
        w->BNewTableClick();
        QTest::keyClicks(w->ENewTableName, QStringLiteral("se_new"));
        w->FGrid->item(0, 2)->setText(QStringLiteral("A"));
        w->FGrid->item(0, 3)->setText(QStringLiteral("NOSUCHTYPE"));
        w->BSaveTableClick();
        if (sv.driver != "SQLITE") {   // SQLite takes any declared type
            QCOMPARE(errors.size(), 1);
            QCOMPARE(w->mode(), tableinfo::EditMode::NewTable);
            errors.clear();
            w->FGrid->item(0, 3)->setText(QStringLiteral("INTEGER"));
            w->BSaveTableClick();
        }
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
        QCOMPARE(messages.last(), QStringLiteral("Table SE_NEW created!"));
        QCOMPARE(columnsOf("SE_NEW"), QStringLiteral("A"));
        QCOMPARE(editor.created, sv.serverKind == panels::ServerKind::INTERBASE ? 3 : 2);
        if (kind == QLatin1String("PostgreSQL")) shot(w, QStringLiteral("structure_new_postgresql_en"));
        delete w;
    }
};

QTEST_MAIN(SchemaFormsTest)
#include "forms_test.moc"
