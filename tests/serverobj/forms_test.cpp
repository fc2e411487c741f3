// The server object editors on the main window (offscreen): the procedure window over an
// embedded Firebird database (F9, source, a failed store that keeps the text and places the
// caret, store, prepare, run, parameter files, drop) and over the ORACLE fixture, the
// generator window on both, the trigger window on the fixture, the "New" entries. Writes the
// screenshots in both languages.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTextBlock>
#include <QToolButton>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>

#include "engine/database.h"
#include "engine/query.h"
#include "engine/session.h"
#include "panels/panelcontroller.h"
#include "panels/recordingprompts.h"
#include "panels/shellhooks.h"
#include "serverobj/commands.h"
#include "serverobj/formobjects.h"
#include "serverobj/formproc.h"
#include "serverobj/formtrigger.h"
#include "shell/commandids.h"
#include "shell/commandregistry.h"
#include "shell/formmain.h"
#include "shell/language.h"
#include "shell/windowsmenu.h"

using namespace vlm;
using namespace vlm::serverobj;
using panels::Side;
namespace fs = std::filesystem;
namespace cmd = shell::cmd;

namespace {

std::string pgPort() {
    QFile f(QStringLiteral(VLM_SERVEROBJ_PG_STATE "/port"));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll().trimmed().toStdString();
}

TFormProc* procWindow() { return qobject_cast<TFormProc*>(shell::windowsMenu()->slotWindow(shell::WindowSlot::Procedures)); }
TFormObjects* genWindow() {
    return qobject_cast<TFormObjects*>(shell::windowsMenu()->slotWindow(shell::WindowSlot::Generators));
}

void shoot(QWidget* w, const QString& name) {
    QDir().mkpath(QStringLiteral(VLM_SERVEROBJ_SHOTS));
    w->resize(760, 440);
    QCoreApplication::processEvents();
    w->grab().save(QStringLiteral(VLM_SERVEROBJ_SHOTS "/%1.png").arg(name));
}

int row(QTreeWidget* list, const QString& caption) {
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        if (list->topLevelItem(i)->text(0) == caption) return i;
    return -1;
}

QStringList gridColumn(QTableWidget* g, int c) {
    QStringList out;
    for (int r = 0; r < g->rowCount(); ++r) out << (g->item(r, c) ? g->item(r, c)->text().trimmed() : QString());
    return out;
}

}  // namespace

class ServerObjFormsTest : public QObject {
    Q_OBJECT
    shell::TForm1* form_ = nullptr;
    panels::TPanels* panels_ = nullptr;
    std::shared_ptr<RecordingPrompts> prompts_;
    fs::path base_;

    void activate(Side s) {
        panels_->focusList(s);
        QCoreApplication::processEvents();
        QCOMPARE(panels_->active(), s);
    }
    void closeAll() {
        for (QWidget* t : QApplication::topLevelWidgets())
            if (qobject_cast<TFormProc*>(t) || qobject_cast<TFormObjects*>(t) || qobject_cast<TFormTrigger*>(t)) {
                if (auto* p = qobject_cast<TFormProc*>(t)) p->Memo2->document()->setModified(false);
                t->close();
            }
        QCoreApplication::processEvents();
    }

private slots:
    void initTestCase() {
        QVERIFY2(!pgPort().empty(), "the test PostgreSQL server is not running");
        base_ = fs::path(VLM_SERVEROBJ_TMP) / "serverobj_forms";
        fs::remove_all(base_);
        fs::create_directories(base_ / "bin");
        const std::string fdb = (base_ / "procs.fdb").string();
        {
            engine::Database db;
            db.setDatabaseName("INTRBASE:" + fdb);
            db.params() = {"USER NAME=SYSDBA", "PASSWORD=masterkey", "CREATE=TRUE"};
            db.open();
            for (const char* sql :
                 {"CREATE TABLE ORDERS (CUST INTEGER, AMOUNT NUMERIC(9,2))",
                  "CREATE PROCEDURE ADD_ORDER (CUST INTEGER, AMOUNT NUMERIC(9,2)) RETURNS (ORDER_NO INTEGER) AS\nBEGIN\n"
                  "  INSERT INTO ORDERS VALUES (:CUST, :AMOUNT);\n  SELECT COUNT(*) FROM ORDERS INTO :ORDER_NO;\nEND",
                  "CREATE PROCEDURE NOOP AS BEGIN END", "CREATE GENERATOR G_ORDERS", "SET GENERATOR G_ORDERS TO 12"}) {
                auto st = db.connection().prepare(sql);
                st->execute();
            }
        }
        qputenv("VLM_ENGINE_CFG", QByteArray::fromStdString((base_ / "bin" / "IDAPI32.CFG").string()));
        engine::Session::defaultSession().addAlias(
            "ORAFIX", "ORACLE",
            {"ODBC DRIVER=PostgreSQL Unicode", "SERVER NAME=127.0.0.1", "DATABASE NAME=vlm_oracle",
             "CONNECT STRING=PORT=" + pgPort() + ";TextAsLongVarchar=0;MaxVarcharSize=4000"});
        for (const char* dic : {"VLMSQLC.DIC", "VLMSQLF.DIC", "VLMPLSQL.DIC"}) std::ofstream(base_ / "bin" / dic) << "SELECT\n";
        std::ofstream(base_ / "bin" / "VLM32.INI") << "[DATABASE NAMES]\nLEFTDATABASE=" << fdb
                                                   << "\nRIGHTDATABASE=ORAFIX\n[DATABASE LOGINS]\nLEFTUSERNAME=SYSDBA\n"
                                                      "LEFTUSERPASSWORD=masterkey\nRIGHTUSERNAME=pgtest\nRIGHTUSERPASSWORD=trusted\n";
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString((base_ / "data").string()));
        prompts_ = std::make_shared<RecordingPrompts>();
        shell::TForm1::addCommandProvider(&serverobj::registerCommands);
        shell::setLanguageSetting(2);
        form_ = new shell::TForm1(QString::fromStdString((base_ / "bin").string() + "/"), panels::makeShellHooks(prompts_));
        form_->show();
        panels_ = panels::panelsOf(*form_);
        QVERIFY(panels_);
        QVERIFY(panels_->database(Side::Left).connected());
    }
    void init() {
        prompts_->messages.clear();
        prompts_->answer = true;
        shell::setLanguageSetting(2);
    }
    void cleanup() { closeAll(); }
    void cleanupTestCase() { delete form_; }

    void firebirdProcedureStoreRunAndDrop() {
        activate(Side::Left);
        QTest::keyClick(form_, Qt::Key_F9);
        TFormProc* w = procWindow();
        QVERIFY2(w, qPrintable(prompts_->messages.join('\n')));
        QCOMPARE(w->windowTitle(), QStringLiteral("Execute Stored Procedure"));
        QVERIFY(!w->PageControl1->isTabVisible(2));
        QVERIFY(!w->BCompile->isEnabled());
        QVERIFY(w->BDropProc->isEnabled());
        // F9 again raises the one window.
        QVERIFY(form_->commands().trigger(cmd::StoredProcedures));
        QCOMPARE(procWindow(), w);
        const int at = row(w->ProcNameListView, QStringLiteral("ADD_ORDER"));
        QVERIFY(at >= 0);
        QVERIFY(w->selectItem(at));
        w->BReadSourceClick();
        const QString good = w->Memo2->toPlainText();
        QVERIFY2(good.startsWith(QStringLiteral("CREATE OR ALTER PROCEDURE ADD_ORDER (\n CUST INTEGER,\n AMOUNT NUMERIC(9,2))\n RETURNS (\n ORDER_NO INTEGER)\nAS\nBEGIN")),
                 qPrintable(good));

        // A fault on the seventh line: the server's message with line and column in the list, the caret
        // on that line, the text kept.
        QString bad = good;
        bad.replace(QStringLiteral("  SELECT COUNT(*)"), QStringLiteral("  SELEC COUNT(*)"));
        w->Memo2->setPlainText(bad);
        w->Memo2->document()->setModified(true);
        w->BExecSQLClick();
        QCOMPARE(w->Memo2->toPlainText(), bad);
        QVERIFY(w->ListBoxErrors->isVisibleTo(w));
        QCOMPARE(w->ListBoxErrors->count(), 1);
        QVERIFY2(w->ListBoxErrors->item(0)->text().startsWith(QStringLiteral("9/9: ")), qPrintable(w->ListBoxErrors->item(0)->text()));
        QCOMPARE(w->Memo2->textCursor().blockNumber(), 8);
        QCOMPARE(w->Memo2->textCursor().positionInBlock(), 8);
        QVERIFY(!prompts_->messages.isEmpty());
        shoot(w, QStringLiteral("proc_firebird_error_en"));

        // Nothing lost: rereading or choosing another procedure asks first; No keeps the text.
        prompts_->answer = false;
        w->BRereadProcNamesClick();
        QCOMPARE(w->Memo2->toPlainText(), bad);
        const int noop = row(w->ProcNameListView, QStringLiteral("NOOP"));
        QVERIFY(!w->selectItem(noop));
        QCOMPARE(w->Memo2->toPlainText(), bad);
        QCOMPARE(w->selectedName(), std::string("ADD_ORDER"));
        prompts_->answer = true;

        prompts_->messages.clear();
        w->Memo2->setPlainText(good);
        w->BExecSQLClick();
        QCOMPARE(prompts_->messages, QStringList{QStringLiteral("SQL Executed Succesfully!")});
        QVERIFY(!w->ListBoxErrors->isVisibleTo(w));

        // Prepare: one editor per input, the first parameter on top; run with typed values.
        w->BOpenProcClick();
        auto eds = w->editors();
        QCOMPARE(int(eds.size()), 2);
        QCOMPARE(eds[0]->objectName(), QStringLiteral("AMOUNT"));
        QCOMPARE(eds[1]->objectName(), QStringLiteral("CUST"));
        QVERIFY(eds[1]->y() < eds[0]->y());
        QVERIFY(w->BExec->isEnabled());
        eds[1]->setText(QStringLiteral("7"));
        eds[0]->setText(QStringLiteral("12.50"));
        w->BExecClick();
        QCOMPARE(w->Memo1->toPlainText(), QStringLiteral("2 [1]: ORDER_NO = 1"));
        shoot(w, QStringLiteral("proc_firebird_execute_en"));

        // Parameter lists: saved, written, read back and applied; unknown names reported.
        w->SaveParamsClick();
        const QString par = QString::fromStdString((base_ / "p.PAR").string());
        QFile::remove(par);
        {
            auto s = savedParams();
            QCOMPARE(int(s.names.size()), 2);
            writeParFile(par.toStdString(), {{"CUST", "GHOST"}, {std::string("9"), std::string("x")}});
        }
        eds[1]->setText(QStringLiteral("seven"));
        prompts_->messages.clear();
        w->Memo1->clear();
        w->BExecClick();   // no number: the parameter named, nothing run
        QCOMPARE(prompts_->messages.size(), 1);
        QVERIFY2(prompts_->messages[0].contains(QStringLiteral("CUST")), qPrintable(prompts_->messages[0]));
        QVERIFY(w->Memo1->toPlainText().isEmpty());
        w->RestoreParamsClick();
        QCOMPARE(eds[1]->text(), QStringLiteral("7"));
        prompts_->messages.clear();
        savedParams() = *readParFile(par.toStdString());
        w->RestoreParamsClick();
        QCOMPARE(eds[1]->text(), QStringLiteral("9"));
        QCOMPARE(prompts_->messages, QStringList{QStringLiteral("Parameters not found: GHOST")});

        // Drop, answered Yes.
        w->Memo2->document()->setModified(false);
        QVERIFY(w->selectItem(row(w->ProcNameListView, QStringLiteral("NOOP"))));
        w->BDropProcClick();
        QCOMPARE(row(w->ProcNameListView, QStringLiteral("NOOP")), -1);
    }

    void firebirdGenerators() {
        activate(Side::Left);
        QVERIFY(form_->commands().trigger(cmd::NNewGenerator));
        TFormObjects* w = genWindow();
        QVERIFY2(w, qPrintable(prompts_->messages.join('\n')));
        QCOMPARE(w->editorState(), SequenceEditor::Create);
        QVERIFY(!w->BAlter->isEnabled());
        QCOMPARE(w->LCreate->text(), QStringLiteral("CREATE GENERATOR"));
        QVERIFY(!w->EInc->isVisibleTo(w));
        const int at = int(gridColumn(w->DBGrid1, 0).indexOf(QStringLiteral("G_ORDERS")));
        QVERIFY(at >= 0);
        QCOMPARE(w->DBGrid1->item(at, 1)->text(), QStringLiteral("12"));
        w->EName->setText(QStringLiteral("G_NEW"));
        w->BOkClick();
        QCOMPARE(w->editorState(), SequenceEditor::None);
        QVERIFY(gridColumn(w->DBGrid1, 0).contains(QStringLiteral("G_NEW")));
        // Reading the values does not move them.
        QCOMPARE(w->DBGrid1->item(int(gridColumn(w->DBGrid1, 0).indexOf(QStringLiteral("G_ORDERS"))), 1)->text(),
                 QStringLiteral("12"));
        shoot(w, QStringLiteral("generators_firebird_en"));
        w->DBGrid1->selectRow(int(gridColumn(w->DBGrid1, 0).indexOf(QStringLiteral("G_NEW"))));
        w->BDropClick();
        QVERIFY2(!gridColumn(w->DBGrid1, 0).contains(QStringLiteral("G_NEW")), qPrintable(prompts_->messages.join('\n')));
    }

    void templatesAndRefusals() {
        activate(Side::Left);
        QVERIFY(!form_->commands().trigger(cmd::NNewFunction));   // not ORACLE: disabled, nothing opens
        QVERIFY(!procWindow());
        activate(Side::Right);
        panels_->runLogin = [](const QString&, std::string& u, std::string& p) { u = "scott"; p = "x"; return true; };
        if (!panels_->database(Side::Right).connected()) panels_->chooseDatabase(Side::Right, QStringLiteral("ORAFIX"));
        activate(Side::Right);
        QVERIFY(form_->commands().trigger(cmd::NNewProcedure));
        TFormProc* w = procWindow();
        QVERIFY2(w, qPrintable(prompts_->messages.join('\n')));
        QCOMPARE(w->PageControl1->currentWidget(), w->TabSheet2);
        QCOMPARE(w->Memo2->toPlainText(),
                 QStringLiteral("Create Or Replace Procedure <Proc name>\n(<IN OUT variables list>) Is\n<Declare local "
                                "variables>\nBegin\nEnd;"));
        QVERIFY(form_->commands().trigger(cmd::NNewFunction));
        QCOMPARE(procWindow(), w);
        QCOMPARE(w->Memo2->toPlainText().count(QStringLiteral("Create Or Replace")), 2);
        QVERIFY(w->Memo2->toPlainText().endsWith(QStringLiteral("RETURN <Return_type> Is\n<Declare local variables>\nBegin\nEnd;")));
    }

    void oracleProceduresAndTriggers() {
        activate(Side::Right);
        if (!panels_->database(Side::Right).connected()) panels_->chooseDatabase(Side::Right, QStringLiteral("ORAFIX"));
        for (int lang : {2, 1}) {
            shell::setLanguageSetting(lang);
            const QString suffix = lang == 1 ? QStringLiteral("_ru") : QStringLiteral("_en");
            QVERIFY(form_->commands().trigger(cmd::BMenu));
            TFormProc* w = procWindow();
            QVERIFY2(w, qPrintable(prompts_->messages.join('\n')));
            QVERIFY(w->PageControl1->isTabVisible(2));
            const int at = row(w->ProcNameListView, QStringLiteral("SCOTT.BROKEN_PROC"));
            QVERIFY(at >= 0);
            QVERIFY(w->selectItem(at));
            w->CBLines->setChecked(true);
            w->BReadSourceClick();
            QCOMPARE(w->Memo2->toPlainText().section('\n', 0, 0), QStringLiteral("1: Create or replace PROCEDURE BROKEN_PROC IS"));
            w->BShowErrorsClick();
            QCOMPARE(w->MemoErrors->toPlainText(), QStringLiteral("3/5: PLS-00201: identifier 'EMPX' must be declared"));
            shoot(w, QStringLiteral("proc_oracle_errors") + suffix);
            w->close();

            QVERIFY(form_->commands().trigger(cmd::Generators1));
            TFormObjects* g = genWindow();
            QVERIFY(g);
            QVERIFY(g->BAlter->isEnabled());
            QCOMPARE(gridColumn(g->DBGrid1, 0), QStringList{QStringLiteral("EMPNO_SEQ")});
            QCOMPARE(g->DBGrid1->horizontalHeaderItem(0)->text(), lang == 1 ? QStringLiteral("Название") : QStringLiteral("sequence_name"));
            g->BAlterClick();
            QCOMPARE(g->EInc->text(), QStringLiteral("1"));
            QCOMPARE(g->CBCycle->currentText(), QStringLiteral("NOCYCLE"));
            shoot(g, QStringLiteral("sequences_oracle") + suffix);
            g->BCancelClick();
            g->close();

            QVERIFY(form_->commands().trigger(cmd::NNewTrigger));
            TFormTrigger* t = nullptr;
            for (QWidget* tw : QApplication::topLevelWidgets())
                if (auto* x = qobject_cast<TFormTrigger*>(tw)) t = x;
            QVERIFY(t);
            int trig = row(t->TrigNameListView, QStringLiteral("DEPT.DEPT_BI"));
            QVERIFY(trig >= 0);
            t->TrigNameListView->setCurrentItem(t->TrigNameListView->topLevelItem(trig));
            t->BReadSourceClick();
            QCOMPARE(t->Memo2->document()->blockCount(), 6);
            t->BShowErrorsClick();
            QCOMPARE(t->MemoErrors->toPlainText(), QStringLiteral("2/3: PLS-00049: bad bind variable 'NEW.LOCX'"));
            // The error's line counts from the body: below the header and the description.
            t->ListBoxErrors->addItem(QStringLiteral("2/3: PLS-00049"));
            t->ListBoxErrors->setCurrentRow(0);
            t->ListBoxErrorsDblClick();
            QCOMPARE(t->Memo2->textCursor().blockNumber(), 4);
            QCOMPARE(t->Memo2->textCursor().positionInBlock(), 2);
            t->ListBoxErrors->show();
            t->PageControl1->setCurrentIndex(0);
            shoot(t, QStringLiteral("triggers_oracle") + suffix);
            t->close();
        }
    }
};

QTEST_MAIN(ServerObjFormsTest)
#include "forms_test.moc"
