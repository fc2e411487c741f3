// The copy, delete and rename windows on a main window whose left panel is a folder of dBase
// and Paradox tables and whose right panel is an SQLite database (offscreen): F5 single and
// multi-table copies with their questions, status texts and panel re-reads, the refused
// same-name copy by button and by Enter, F8 on tables and views each dropped as what it is,
// rename, and screenshots of each window in both languages.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <filesystem>
#include <functional>
#include <fstream>

#include "copy/commands.h"
#include "copy/droplogic.h"
#include "copy/formcopy.h"
#include "copy/formdel.h"
#include "copy/formrename.h"
#include "engine/database.h"
#include "engine/table.h"
#include "engine/drivers/local/dir/demo.h"
#include "panels/panelcontroller.h"
#include "panels/shellhooks.h"
#include "shell/commandids.h"
#include "shell/formmain.h"
#include "shell/language.h"
#include "shell/progressdialog.h"

using namespace vlm;
using shell::Side;
namespace fs = std::filesystem;
namespace cmd = shell::cmd;

namespace {

// Messages, questions and errors recorded in order; questions answered from a queue (Yes when
// it is empty).
struct Prompts : shell::Prompts {
    QStringList log;
    QList<bool> answers;
    void message(const QString& t) override { log << t; }
    bool question(const QString& t) override {
        log << QStringLiteral("? ") + t;
        return answers.isEmpty() ? true : answers.takeFirst();
    }
    void error(const shell::ErrorReport& r) override { log << QStringLiteral("! ") + QString::fromStdString(r.text); }
    bool cancel = false;   // the user presses Cancel at the first step
    int works = 0;
    shell::WorkResult runWork(const QString& title, const shell::Work& work) override {
        ++works;
        struct Stop : engine::Progress {
            bool step(std::int64_t, std::int64_t) override { return false; }
        } stop;
        if (cancel) return shell::runAndReport(work, stop);
        shell::TProgressDialog d(title);
        return d.run(work);
    }
    using shell::Prompts::error;
};

QStringList captions(QTreeWidget* list) {
    QStringList out;
    for (int i = 0; i < list->topLevelItemCount(); ++i) out << list->topLevelItem(i)->text(0);
    return out;
}

void focusItem(QTreeWidget* list, const QString& caption) {
    list->clearSelection();
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        if (list->topLevelItem(i)->text(0) == caption) {
            list->setCurrentItem(list->topLevelItem(i));
            list->topLevelItem(i)->setSelected(true);
        }
}

template <class T>
T* openWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* f = qobject_cast<T*>(w); f && f->isVisible()) return f;
    return nullptr;
}

void shoot(QWidget* w, const QString& name) {
    fs::create_directories(VLM_COPY_SHOTS);
    w->grab().save(QStringLiteral(VLM_COPY_SHOTS "/") + name + QStringLiteral(".png"));
}

// Runs f on the modal dialog T once it is shown.
template <class T>
void whenShown(std::function<void(T*)> f) {
    QTimer::singleShot(0, [f] {
        T* d = openWindow<T>();
        if (!d) {
            QTimer::singleShot(20, [f] { if (T* d2 = openWindow<T>()) f(d2); });
            return;
        }
        f(d);
    });
}

}  // namespace

class CopyFormsTest : public QObject {
    Q_OBJECT
    fs::path base_;
    std::shared_ptr<Prompts> prompts_ = std::make_shared<Prompts>();
    shell::TForm1* form_ = nullptr;
    panels::TPanels* p_ = nullptr;

    QTreeWidget* left() { return form_->listBox(Side::Left); }
    QTreeWidget* right() { return form_->listBox(Side::Right); }

private slots:
    void initTestCase() {
        base_ = fs::temp_directory_path() / "vlm_copy_forms";
        fs::remove_all(base_);
        fs::create_directories(base_ / "bin");
        fs::create_directories(base_ / "demo");
        engine::local::writeDemoFolder((base_ / "demo").string());
        const std::string sqlite = "SQLITE:" + (base_ / "right.sqlite").string();
        {
            engine::Database db;
            db.setDatabaseName(sqlite);
            db.open();
            copy::runSql(db, "create table T1 (ID integer)");
            copy::runSql(db, "create table T2 (ID integer)");
            copy::runSql(db, "create view V1 as select * from T1");
        }
        for (const char* dic : {"VLMSQLC.DIC", "VLMSQLF.DIC", "VLMPLSQL.DIC"}) std::ofstream(base_ / "bin" / dic) << "SELECT\n";
        std::ofstream(base_ / "bin" / "VLM32.INI") << "[DATABASE NAMES]\nLEFTDATABASE=" << (base_ / "demo").string()
                                                   << "\nRIGHTDATABASE=" << sqlite
                                                   << "\n[DATABASE LOGINS]\nLEFTUSERNAME=U\nLEFTUSERPASSWORD=P\n"
                                                      "RIGHTUSERNAME=U\nRIGHTUSERPASSWORD=P\n";
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString((base_ / "data").string()));
        shell::TForm1::addCommandProvider(&copy::registerCommands);
        shell::setLanguageSetting(2);
        form_ = new shell::TForm1(QString::fromStdString((base_ / "bin").string() + "/"), panels::makeShellHooks(prompts_));
        form_->show();
        p_ = panels::panelsOf(*form_);
        QVERIFY(p_);
        QVERIFY(p_->itemCount(Side::Left) > 1);
        QVERIFY(captions(right()).contains(QStringLiteral("V1")));
    }

    void singleCopyAsksBeforeReplacingAndRereadsThePanels() {
        prompts_->log.clear();
        const QString source = captions(left()).front();
        p_->focusList(Side::Left);
        p_->panelEntry(Side::Left);
        focusItem(left(), source);
        form_->commands().trigger(cmd::BCopy);
        auto* w = openWindow<copy::TFormCopy>();
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), QStringLiteral("Copy table"));
        QCOMPARE(w->ETableSource->text(), source);
        QCOMPARE(w->ETableDest->text(), source.left(source.indexOf('.')));   // into SQL: without extension
        QVERIFY(!w->GroupBox1->isEnabled());
        QVERIFY(w->RSQL->isChecked());
        shoot(w, QStringLiteral("copy-en"));
        w->ETableDest->setText(QStringLiteral("COPIED"));
        w->BCopyClick();
        QCOMPARE(prompts_->log, QStringList{QStringLiteral("Copy OK !")});
        QCOMPARE(w->StatusPanel1->text(), QStringLiteral(" records copied !"));
        QVERIFY(w->StatusPanel0->text().toInt() > 0);
        QVERIFY(captions(right()).contains(QStringLiteral("COPIED")));

        // Again: the table is there; No leaves it and the copy failed.
        prompts_->log.clear();
        prompts_->answers = {false};
        w->BCopyClick();
        QCOMPARE(prompts_->log, (QStringList{QStringLiteral("? Table COPIED exists. Overwrite?"), QStringLiteral("Copy Failed !!!")}));
        QCOMPARE(w->StatusPanel0->text(), QStringLiteral("-1"));
        QCOMPARE(w->StatusPanel1->text(), QStringLiteral(" copied failed!"));

        // Same database with the same name: refused by the button and by Enter alike.
        prompts_->log.clear();
        w->CBSameDB->click();
        QVERIFY(w->EDBDest->isHidden());
        QVERIFY(w->GroupBox1->isEnabled());
        QVERIFY(!w->RSQL->isEnabled());
        QVERIFY(w->RDBase->isChecked());
        w->ETableDest->setText(QStringLiteral(" ") + source.toLower());
        w->BCopyClick();
        QTest::keyClick(w->ETableDest, Qt::Key_Return);
        QCOMPARE(prompts_->log, (QStringList{QStringLiteral("Names must be different!"), QStringLiteral("Names must be different!")}));
        QVERIFY(w->isVisible());

        // Enter copies within the folder as a Paradox table, without the closing message, and closes.
        prompts_->log.clear();
        w->RParadox->setChecked(true);
        w->ETableDest->setText(QStringLiteral("PCOPY"));
        QTest::keyClick(w->ETableDest, Qt::Key_Return);
        QVERIFY(prompts_->log.isEmpty());
        QTRY_VERIFY(!openWindow<copy::TFormCopy>());
        QVERIFY(captions(left()).contains(QStringLiteral("PCOPY.DB")));
    }

    void multiCopyCopiesEveryMarkedTable() {
        prompts_->log.clear();
        p_->focusList(Side::Left);
        p_->panelEntry(Side::Left);
        left()->clearSelection();
        const QStringList names = captions(left()).mid(0, 2);
        for (int i = 0; i < 2; ++i) left()->topLevelItem(i)->setSelected(true);
        left()->setCurrentItem(left()->topLevelItem(0), 0, QItemSelectionModel::NoUpdate);
        form_->commands().trigger(cmd::NCopy);
        auto* w = openWindow<copy::TFormCopy>();
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), QStringLiteral("Copy selected tables"));
        QCOMPARE(w->markedCount(), 2);
        QVERIFY(!w->CBSameDB->isEnabled());
        QVERIFY(w->ETableSource->text().isEmpty() && w->ETableSource->isReadOnly());
        w->BCopyClick();
        QCOMPARE(prompts_->log.back(), QStringLiteral("Copy 2 tables OK !!!"));
        QCOMPARE(w->StatusPanel0->text(), QStringLiteral("2"));
        QCOMPARE(w->StatusPanel1->text(), QStringLiteral("tables copied!"));
        QCOMPARE(w->ProgressBar1->value(), 2);
        QVERIFY(!w->BCopy->isEnabled());
        for (const QString& n : names) QVERIFY2(captions(right()).contains(n.left(n.indexOf('.'))), qPrintable(n));
        QTest::keyClick(w->ETableDest, Qt::Key_Escape);   // Esc closes the window
        QTRY_VERIFY(!openWindow<copy::TFormCopy>());
    }

    void cancelledCopiesKeepTheOldTableAndStopTheRun() {
        auto rowsOfCopied = [this] {
            engine::Table t;
            t.setDatabase(&p_->database(Side::Right));
            t.setTableName("COPIED");
            t.open();
            return t.recordCount();
        };
        const auto before = rowsOfCopied();
        p_->focusList(Side::Left);
        p_->panelEntry(Side::Left);
        focusItem(left(), QStringLiteral("ORDERS.DBF"));
        form_->commands().trigger(cmd::BCopy);
        auto* w = openWindow<copy::TFormCopy>();
        QVERIFY(w);
        w->ETableDest->setText(QStringLiteral("COPIED"));
        prompts_->log.clear();
        prompts_->cancel = true;
        w->BCopyClick();
        QCOMPARE(prompts_->log, (QStringList{QStringLiteral("? Table COPIED exists. Overwrite?"), QStringLiteral("Copy Failed !!!")}));
        QCOMPARE(w->StatusPanel0->text(), QStringLiteral("-1"));
        QCOMPARE(rowsOfCopied(), before);
        w->close();
        QTRY_VERIFY(!openWindow<copy::TFormCopy>());

        // A cancel in a multi-table copy stops the tables after it.
        left()->clearSelection();
        for (int i = 0; i < 3; ++i) left()->topLevelItem(i)->setSelected(true);
        form_->commands().trigger(cmd::BCopy);
        w = openWindow<copy::TFormCopy>();
        QVERIFY(w);
        prompts_->log.clear();
        prompts_->works = 0;
        w->BCopyClick();
        prompts_->cancel = false;
        QCOMPARE(prompts_->works, 1);
        QCOMPARE(prompts_->log.back(), QStringLiteral("Copy finished with errors!"));
        QCOMPARE(w->StatusPanel0->text(), QStringLiteral("0"));
        w->close();
        QTRY_VERIFY(!openWindow<copy::TFormCopy>());
    }

    void multiDropDropsTablesAndViewsEachAsWhatItIs() {
        prompts_->log.clear();
        p_->focusList(Side::Right);
        p_->panelEntry(Side::Right);
        right()->clearSelection();
        // The focused item is the table T1; the view V1 is selected too.
        focusItem(right(), QStringLiteral("T1"));
        for (int i = 0; i < right()->topLevelItemCount(); ++i)
            if (right()->topLevelItem(i)->text(0) == QStringLiteral("V1")) right()->topLevelItem(i)->setSelected(true);
        QStringList questions;
        whenShown<copy::TFormDel>([](copy::TFormDel* d) {
            QCOMPARE(d->PTable->text(), QStringLiteral("Multi Drop Tables"));
            QVERIFY(!d->RIndex->isEnabled());
            shoot(d, QStringLiteral("delete-en"));
            d->BDropClick();
        });
        form_->commands().trigger(cmd::BDelete);
        QCOMPARE(prompts_->log, (QStringList{QStringLiteral("? Delete Table T1 ?"), QStringLiteral("? Delete View V1 ?")}));
        QVERIFY(!captions(right()).contains(QStringLiteral("T1")));
        QVERIFY(!captions(right()).contains(QStringLiteral("V1")));
        QVERIFY(captions(right()).contains(QStringLiteral("T2")));
        QVERIFY(form_->functionButton(cmd::BDelete)->isEnabled());
    }

    void singleLocalDropIsAlwaysAskedAndIndexesAreOffered() {
        prompts_->log.clear();
        p_->focusList(Side::Left);
        p_->panelEntry(Side::Left);
        focusItem(left(), QStringLiteral("PCOPY.DB"));
        prompts_->answers = {false};
        whenShown<copy::TFormDel>([](copy::TFormDel* d) {
            QCOMPARE(d->PTable->text(), QStringLiteral("PCOPY.DB"));
            d->CBConfirm->setChecked(false);
            d->BDropClick();
        });
        form_->commands().trigger(cmd::BDelete);
        QCOMPARE(prompts_->log, QStringList{QStringLiteral("? Delete Table PCOPY.DB ?")});
        QVERIFY(captions(left()).contains(QStringLiteral("PCOPY.DB")));

        prompts_->log.clear();
        whenShown<copy::TFormDel>([](copy::TFormDel* d) {
            d->RIndex->click();
            QVERIFY(d->CBIndex->isEnabled());
            d->RTable->click();
            QVERIFY(!d->CBIndex->isEnabled());
            d->BDropClick();
        });
        form_->commands().trigger(cmd::BDelete);
        QCOMPARE(prompts_->log, QStringList{QStringLiteral("? Delete Table PCOPY.DB ?")});
        QVERIFY(!captions(left()).contains(QStringLiteral("PCOPY.DB")));
    }

    void renameRefusesTheSameNameAndRenames() {
        prompts_->log.clear();
        p_->focusList(Side::Right);
        p_->panelEntry(Side::Right);
        focusItem(right(), QStringLiteral("T2"));
        whenShown<copy::TFormRename>([this](copy::TFormRename* d) {
            QCOMPARE(d->windowTitle(), QStringLiteral("Rename table"));
            QCOMPARE(d->ETableName->text(), QStringLiteral("T2"));
            shoot(d, QStringLiteral("rename-en"));
            d->ENewTableName->setText(QStringLiteral(" T2 "));
            d->BRenameClick();
            QCOMPARE(prompts_->log, QStringList{QStringLiteral("Names must be different!")});
            d->ENewTableName->setText(QStringLiteral("T3"));
            d->BRenameClick();
            QCOMPARE(d->StatusBar1->text(), QStringLiteral("Rename Comleted."));
            d->reject();
        });
        form_->commands().trigger(cmd::Rename1);
        QVERIFY(captions(right()).contains(QStringLiteral("T3")));
        QVERIFY(!captions(right()).contains(QStringLiteral("T2")));
    }

    void russianScreenshots() {
        shell::setLanguageSetting(1);
        p_->focusList(Side::Left);
        p_->panelEntry(Side::Left);
        focusItem(left(), captions(left()).front());
        form_->commands().trigger(cmd::BCopy);
        auto* w = openWindow<copy::TFormCopy>();
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), QStringLiteral("Копировать таблицу"));
        QCOMPARE(w->CBSameDB->text(), QStringLiteral("Таже БД"));
        shoot(w, QStringLiteral("copy-ru"));
        w->close();
        whenShown<copy::TFormDel>([](copy::TFormDel* d) {
            QCOMPARE(d->windowTitle(), QStringLiteral("Удаление таблиц/просмотров/индексов"));
            shoot(d, QStringLiteral("delete-ru"));
            d->reject();
        });
        form_->commands().trigger(cmd::BDelete);
        whenShown<copy::TFormRename>([](copy::TFormRename* d) {
            QCOMPARE(d->Label2->text(), QStringLiteral("Новое имя:"));
            shoot(d, QStringLiteral("rename-ru"));
            d->reject();
        });
        form_->commands().trigger(cmd::Rename1);
        shell::setLanguageSetting(2);
    }

    void cleanupTestCase() { delete form_; }
};

QTEST_MAIN(CopyFormsTest)
#include "forms_test.moc"
