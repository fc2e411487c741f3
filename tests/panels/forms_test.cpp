// The panels on the real main window under Qt Test (offscreen): start-up builds, panel entry
// and Ctrl+F1, group selection, incremental search, sorting, the duplicate-name refusal,
// disconnect, packing, the failed start-up build, the login and selection dialogs and the
// options dialog's filter mode.
#include "panels/panelcontroller.h"
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <QGroupBox>
#include <QCheckBox>
#include <QComboBox>
#include <filesystem>
#include <fstream>

#include "engine/drivers/local/dir/demo.h"
#include "panels/formoptions.h"
#include "panels/formsel.h"
#include "panels/paneltools.h"
#include "panels/passworddlg.h"
#include "panels/settings.h"
#include "panels/shellhooks.h"
#include "recordingprompts.h"
#include "shell/formmain.h"
#include "shell/language.h"

using namespace vlm;
using panels::Side;
namespace fs = std::filesystem;

class PanelsFormsTest : public QObject {
    Q_OBJECT
    QString programDir_;
    std::string demoLeft_, demoRight_;
    std::shared_ptr<RecordingPrompts> prompts_ = std::make_shared<RecordingPrompts>();
    QStringList& messages_ = prompts_->messages;
    shell::TForm1* form_ = nullptr;
    panels::TPanels* panels_ = nullptr;

    void writeIni(const std::string& left, const std::string& right, const std::string& extra = {}) {
        std::ofstream(programDir_.toStdString() + "VLM32.INI")
            << "[DATABASE NAMES]\nLEFTDATABASE=" << left << "\nRIGHTDATABASE=" << right
            << "\n[DATABASE LOGINS]\nLEFTUSERNAME=U\nLEFTUSERPASSWORD=P\nRIGHTUSERNAME=U\nRIGHTUSERPASSWORD=P\n" << extra;
    }
    void open() {
        delete form_;
        messages_.clear();
        form_ = new shell::TForm1(programDir_, panels::makeShellHooks(prompts_));
        form_->show();
        form_->activateWindow();
        panels_ = panels::panelsOf(*form_);
        QVERIFY(panels_);
    }
    QStringList captions(Side s) {
        QStringList out;
        for (int i = 0; i < panels_->itemCount(s); ++i) out << panels_->itemCaption(s, i);
        return out;
    }

private slots:
    void initTestCase() {
        fs::path base = fs::temp_directory_path() / "vlm_panels_forms";
        fs::remove_all(base);
        fs::create_directories(base / "bin");
        programDir_ = QString::fromStdString((base / "bin").string() + "/");
        for (const char* dic : {"VLMSQLC.DIC", "VLMSQLF.DIC", "VLMPLSQL.DIC"}) std::ofstream(base / "bin" / dic) << "SELECT\n";
        demoLeft_ = (base / "left").string();
        demoRight_ = (base / "right").string();
        fs::create_directories(demoLeft_);
        fs::create_directories(demoRight_);
        engine::local::writeDemoFolder(demoLeft_);
        engine::local::writeDemoFolder(demoRight_);
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString((base / "data").string()));
        shell::setLanguageSetting(0);
    }
    void cleanupTestCase() { delete form_; }

    void startUpBuildsBothPanels() {
        writeIni(demoLeft_, demoRight_);
        open();
        QVERIFY(panels_->itemCount(Side::Left) > 0);
        QCOMPARE(panels_->itemCount(Side::Right), panels_->itemCount(Side::Left));
        QCOMPARE(form_->panelTitle(Side::Left)->text(), QString::fromStdString(demoLeft_ + " : U"));
        QCOMPARE(form_->panelTitle(Side::Left)->toolTip(), QString::fromStdString(demoLeft_ + " : U"));
        QCOMPARE(panels_->focusedIndex(Side::Left), 0);
        QCOMPARE(panels_->focusedIndex(Side::Right), 0);
        QCOMPARE(form_->statusPanel(0)->text(), QString::number(panels_->itemCount(Side::Left)));
        QCOMPARE(panels_->tree(Side::Left)->headerItem()->text(0), QStringLiteral("Table name"));
        // A local panel: packing on, server objects off.
        QVERIFY(form_->action(QStringLiteral("PackDbaseTable1"))->isEnabled());
        QVERIFY(!form_->menu(QStringLiteral("Objects1"))->menuAction()->isEnabled());
        QVERIFY(messages_.isEmpty());
    }

    void ctrlF1SwitchesPanels() {
        panels_->listView(Side::Left)->setFocus();
        QCOMPARE(form_->activePanel(), Side::Left);
        QTest::keyClick(panels_->listView(Side::Left), Qt::Key_F1, Qt::ControlModifier);
        QCOMPARE(form_->activePanel(), Side::Right);
        QVERIFY(form_->panelTitle(Side::Right)->font().bold());
        QVERIFY(!form_->panelTitle(Side::Left)->font().bold());
        QCOMPARE(form_->panelTitle(Side::Right)->palette().color(QPalette::WindowText), QColor(Qt::white));
        QTest::keyClick(panels_->listView(Side::Right), Qt::Key_F1, Qt::ControlModifier);
        QCOMPARE(form_->activePanel(), Side::Left);
        // Tab goes from list to list; the command line is no tab stop.
        QTest::keyClick(panels_->listView(Side::Left), Qt::Key_Tab);
        QCOMPARE(form_->activePanel(), Side::Right);
        QTest::keyClick(panels_->listView(Side::Right), Qt::Key_Tab);
        QCOMPARE(form_->activePanel(), Side::Left);
        QVERIFY(!form_->commandLine()->hasFocus());
        // A bold title with a long name and a resize leave the window its size.
        const int width = form_->width();
        form_->panelTitle(Side::Right)->setText(QString(200, QLatin1Char('X')));
        QTest::keyClick(panels_->listView(Side::Left), Qt::Key_F1, Qt::ControlModifier);
        form_->resize(width + 20, form_->height());
        for (int i = 0; i < 20; ++i) QApplication::processEvents();
        QCOMPARE(form_->width(), width + 20);
        form_->resize(width, form_->height());
        panels_->updateTitle(Side::Right);
        QTest::keyClick(panels_->listView(Side::Right), Qt::Key_F1, Qt::ControlModifier);
    }

    void groupSelection() {
        QStringList all = captions(Side::Left);
        panels_->groupSelectWithMask(Side::Left, true, QStringLiteral("*"));
        QCOMPARE(panels_->selectedCount(Side::Left), int(all.size()));
        panels_->groupSelectWithMask(Side::Left, false, QStringLiteral("*"));
        QCOMPARE(panels_->selectedCount(Side::Left), 0);
        panels_->groupSelectWithMask(Side::Left, true, QStringLiteral("*.dbf"));
        int dbf = 0;
        for (auto& c : all) dbf += c.toUpper().endsWith(QStringLiteral(".DBF")) ? 1 : 0;
        QVERIFY(dbf > 0);
        QCOMPARE(panels_->selectedCount(Side::Left), dbf);
        QCOMPARE(panels_->lastSelectionMask, QStringLiteral("*.dbf"));
        panels_->groupSelectWithMask(Side::Left, false, QStringLiteral("  "));   // nothing changes
        QCOMPARE(panels_->selectedCount(Side::Left), dbf);
        QCOMPARE(panels_->lastSelectionMask, QStringLiteral("*.dbf"));
        panels::TFormSel unsel(false, panels_->lastSelectionMask, form_);
        QCOMPARE(unsel.windowTitle(), QStringLiteral("Remove select"));
        QCOMPARE(unsel.ESel->text(), QStringLiteral("*.dbf"));
    }

    void incrementalSearch() {
        QStringList all = captions(Side::Left);
        const QString last = all.back();
        const QString typed = last.left(3).toLower();
        panels_->listView(Side::Left)->setFocus();
        panels_->restoreFocus(Side::Left);
        panels_->groupSelectWithMask(Side::Left, true, QStringLiteral("*"));
        QCOMPARE(form_->statusPanel(2)->text(), QString::number(all.size()));
        QTest::keyClick(panels_->listView(Side::Left), Qt::Key_S, Qt::ControlModifier);
        QVERIFY(form_->searchPanel()->isVisibleTo(form_));
        // The search keeps only the focused item selected, and the status bar says so.
        QCOMPARE(form_->statusPanel(2)->text(), QStringLiteral("1"));
        QTest::keyClicks(form_->searchEdit(), typed);
        const int found = panels_->focusedIndex(Side::Left);
        QCOMPARE(panels_->itemCaption(Side::Left, found).left(3), last.left(3));
        // Each step shows the item found: the selected count and the size bar follow it.
        QCOMPARE(form_->statusPanel(2)->text(), QStringLiteral("1"));
        QCOMPARE(form_->sizeName(Side::Left)->text(), panels_->itemCaption(Side::Left, found));
        // A selection changed while the search runs is counted too.
        panels_->tree(Side::Left)->topLevelItem(found == 0 ? 1 : 0)->setSelected(true);
        QTRY_COMPARE(form_->statusPanel(2)->text(), QStringLiteral("2"));
        panels_->tree(Side::Left)->topLevelItem(found == 0 ? 1 : 0)->setSelected(false);
        QTRY_COMPARE(form_->statusPanel(2)->text(), QStringLiteral("1"));
        QTest::keyClick(form_->searchEdit(), Qt::Key_Escape);
        QVERIFY(!form_->searchPanel()->isVisibleTo(form_));
        QVERIFY(form_->searchEdit()->text().isEmpty());
        // Letter case counts with "SEARCHMATCHCASE" off: lower-case text finds no upper-case name.
        panels_->settings().searchMatchCase = false;
        panels_->listView(Side::Left)->setFocus();
        panels_->restoreFocus(Side::Left);
        int before = panels_->focusedIndex(Side::Left);
        panels_->startSearch();
        panels_->searchStep(typed);
        QCOMPARE(panels_->focusedIndex(Side::Left), before);
        panels_->endSearch();
        panels_->settings().searchMatchCase = true;
    }

    void sortingAndUnsorting() {
        panels_->setSorted(Side::Left, true);
        QStringList sorted = captions(Side::Left);
        QStringList expect = sorted;
        std::sort(expect.begin(), expect.end(), [](const QString& a, const QString& b) { return a.toUpper() < b.toUpper(); });
        QCOMPARE(sorted, expect);
        QVERIFY(form_->action(QStringLiteral("NAlphabeticLeft"))->isChecked());
        QVERIFY(!form_->action(QStringLiteral("NUnsortedLeft"))->isChecked());
        panels_->setSorted(Side::Left, false);
        QStringList lookup;
        for (auto& n : panels_->tableList(Side::Left).lookupNames) lookup << QString::fromStdString(n);
        QCOMPARE(captions(Side::Left), lookup);
    }

    void duplicateNameIsRefused() {
        messages_.clear();
        panels_->chooseDatabase(Side::Right, QString::fromStdString(demoLeft_));
        QCOMPARE(messages_, QStringList{QStringLiteral("Can't Open Duplicate Name Alias!")});
        QCOMPARE(panels_->database(Side::Right).databaseName(), demoRight_);
        // The same name chosen again for its own panel is allowed.
        messages_.clear();
        panels_->runLogin = [](const QString&, std::string& u, std::string& p) { u = "U2"; p = "P2"; return true; };
        panels_->chooseDatabase(Side::Left, QString::fromStdString(demoLeft_));
        QVERIFY(messages_.isEmpty());
        QCOMPARE(form_->panelTitle(Side::Left)->text(), QString::fromStdString(demoLeft_ + " : U2"));
        QCOMPARE(panels_->database(Side::Left).params(), (std::vector<std::string>{"USER NAME=U2", "PASSWORD=P2"}));
    }

    void packingReportsOk() {
        panels_->listView(Side::Left)->setFocus();
        QStringList all = captions(Side::Left);
        int dbf = -1;
        for (int i = 0; i < all.size(); ++i)
            if (all[i].toUpper().endsWith(QStringLiteral(".DBF"))) { dbf = i; break; }
        QVERIFY(dbf >= 0);
        panels_->tree(Side::Left)->setCurrentItem(panels_->tree(Side::Left)->topLevelItem(dbf));
        messages_.clear();
        QVERIFY(form_->commands().trigger(shell::cmd::PackDbaseTable1));
        QCOMPARE(messages_, QStringList{QStringLiteral("Packed Ok !")});
        // A table that cannot be opened reports the failure.
        fs::remove(panels_->tableList(Side::Left).fileName(all[dbf].toStdString()));
        messages_.clear();
        QVERIFY(form_->commands().trigger(shell::cmd::PackDbaseTable1));
        QCOMPARE(messages_, QStringList{QStringLiteral("Packed Failed !")});
        panels_->reRead(Side::Left);
    }

    void disconnectEmptiesThePanel() {
        panels_->listView(Side::Right)->setFocus();
        panels_->panelEntry(Side::Right);
        QVERIFY(form_->toolButton(QStringLiteral("BselectDataBase"))->isChecked());
        panels_->disconnectPanel(Side::Right, false);
        QCOMPARE(panels_->itemCount(Side::Right), 0);
        QCOMPARE(panels_->tree(Side::Right)->columnCount(), 0);
        QVERIFY(form_->panelTitle(Side::Right)->text().isEmpty());
        QVERIFY(panels_->panelSettings(Side::Right).databaseName.empty());
        QVERIFY(panels_->panelSettings(Side::Right).userName.empty());
        QVERIFY(!form_->toolButton(QStringLiteral("BselectDataBase"))->isChecked());
    }

    void optionsFilterMode() {
        QVERIFY(form_->commands().trigger(shell::cmd::SetFilterLeft));
        panels::TFormOptions* o = panels::optionsDialogOf(*form_);
        QVERIFY(o);
        int visible = 0;
        for (int i = 0; i < o->PageControl1->count(); ++i) visible += o->PageControl1->isTabVisible(i) ? 1 : 0;
        QCOMPARE(visible, 1);
        QVERIFY(o->GBRightFilter->isHidden());
        QVERIFY(!o->GBLeftFilter->isHidden());
        // Closed by its close box: the typed mask is not taken, "Use Filter" is.
        o->ELeftFilter->setText(QStringLiteral("ZZZ"));
        o->CBLeftFilter->setChecked(true);
        o->close();
        QApplication::processEvents();
        QVERIFY(panels_->settings().left.filter.empty());
        QVERIFY(panels_->settings().left.filterOn);
        QVERIFY(form_->action(QStringLiteral("SetFilterLeft"))->isChecked());
        // BExit takes it; the left panel is rebuilt with the filter: nothing is named ZZZ.
        QVERIFY(form_->commands().trigger(shell::cmd::SetFilterLeft));
        o = panels::optionsDialogOf(*form_);
        o->ELeftFilter->setText(QStringLiteral("ZZZ"));
        o->BExitClick();
        QApplication::processEvents();
        QCOMPARE(panels_->settings().left.filter, std::string("ZZZ"));
        QCOMPARE(panels_->itemCount(Side::Left), 0);
        panels_->settings().left.filterOn = false;
        panels_->reRead(Side::Left);
        QVERIFY(panels_->itemCount(Side::Left) > 0);
    }

    void failedStartUpStartsEmptyNextTime() {
        writeIni("/nonexistent/vlm/db.fdb", demoRight_);
        open();
        QCOMPARE(messages_.size(), 1);
        QCOMPARE(panels_->itemCount(Side::Left), 0);
        QVERIFY(panels_->itemCount(Side::Right) > 0);
        QVERIFY(panels_->panelSettings(Side::Left).databaseName.empty());
        // The shutdown writes the cleared saved name.
        form_->shutdownStep();
        panels_->saveSettings(form_->settings());
        auto s = panels::readSettings(programDir_.toStdString() + "VLM32.INI");
        QVERIFY(s.left.databaseName.empty());
        QCOMPARE(s.right.databaseName, demoRight_);
    }

    void loginDialog() {
        shell::setLanguageSetting(1);
        panels::TPasswordDlg ru(QStringLiteral("DEMO"));
        QCOMPARE(ru.windowTitle(), QString::fromUtf8("Подключение к БД"));
        QCOMPARE(ru.Label1->text(), QString::fromUtf8("Пароль:"));
        shell::setLanguageSetting(0);
        panels::TPasswordDlg d(QStringLiteral("DEMO"));
        QCOMPARE(d.windowTitle(), QStringLiteral("DataBase Login"));
        QCOMPARE(d.PDataBaseName->text(), QStringLiteral("DEMO"));
        QCOMPARE(d.EPassword->echoMode(), QLineEdit::Password);
        d.show();
        QTest::keyClicks(d.EPassword, QStringLiteral("secret"));
        QTest::keyClick(d.EPassword, Qt::Key_Return);
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QCOMPARE(panels::loginParams("", "secret"), std::vector<std::string>{"PASSWORD=secret"});
        QCOMPARE(panels::loginParams("SYSDBA", " "), std::vector<std::string>{"USER NAME=SYSDBA"});
    }
};

QTEST_MAIN(PanelsFormsTest)
#include "forms_test.moc"
