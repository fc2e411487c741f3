// The select-database dialog and the options dialog on the real main window under Qt Test
// (offscreen): the database names (aliases and open databases), a directory chosen in the
// tree, the duplicate-name refusal, Esc and a cancelled login; the options dialog page by page
// (what each control loads, when it is taken: at once, on closing, or by BExit only), its
// immediate actions, its Russian texts and the rebuilds of its closing.
#include "panels/panelcontroller.h"
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>
#include <functional>

#include "engine/database.h"
#include "engine/drivers/local/dir/demo.h"
#include "engine/session.h"
#include "panels/formoptions.h"
#include "panels/formselectdb.h"
#include "panels/formats.h"
#include "panels/paneltools.h"
#include "panels/settings.h"
#include "panels/shellhooks.h"
#include "recordingprompts.h"
#include "shell/formmain.h"
#include "shell/language.h"

using namespace vlm;
using panels::Side;
using panels::TFormOptions;
namespace fs = std::filesystem;

namespace {

// Runs f on the next modal dialog of type D once it is up (file, colour and font dialogs).
template <class D>
void onModal(std::function<void(D*)> f) {
    QTimer::singleShot(0, [f] {
        for (int i = 0; i < 200; ++i) {
            if (auto* d = qobject_cast<D*>(QApplication::activeModalWidget())) {
                f(d);
                return;
            }
            QTest::qWait(10);
        }
    });
}

}  // namespace

class PanelsDialogsTest : public QObject {
    Q_OBJECT
    fs::path base_;
    QString programDir_;
    std::string left_, right_, third_;
    std::shared_ptr<RecordingPrompts> prompts_ = std::make_shared<RecordingPrompts>();
    QStringList& messages_ = prompts_->messages;
    int logins_ = 0;
    bool acceptLogin_ = true;
    shell::TForm1* form_ = nullptr;
    panels::TPanels* panels_ = nullptr;
    std::unique_ptr<engine::Database> openDb_;

    void open() {
        delete form_;
        std::ofstream(programDir_.toStdString() + "VLM32.INI")
            << "[DATABASE NAMES]\nLEFTDATABASE=" << left_ << "\nRIGHTDATABASE=" << right_
            << "\n[DATABASE LOGINS]\nLEFTUSERNAME=U\nLEFTUSERPASSWORD=P\nRIGHTUSERNAME=U\nRIGHTUSERPASSWORD=P\n";
        form_ = new shell::TForm1(programDir_, panels::makeShellHooks(prompts_));
        form_->show();
        form_->activateWindow();
        panels_ = panels::panelsOf(*form_);
        QVERIFY(panels_);
        panels_->runLogin = [this](const QString&, std::string& u, std::string& p) {
            ++logins_;
            u = "NEWUSER";
            p = "PW";
            return acceptLogin_;
        };
        messages_.clear();
    }
    panels::TFormSelectDB* openSelect(Side s) {
        panels_->selectDatabase(s);
        return panels_->selectDialog();
    }
    TFormOptions* openOptions(int filterSide = -1) {
        return panels::openOptionsDialog(*panels_, filterSide);
    }
    void settle() {
        for (int i = 0; i < 5; ++i) QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

private slots:
    void initTestCase() {
        base_ = fs::temp_directory_path() / "vlm_panels_dialogs";
        fs::remove_all(base_);
        fs::create_directories(base_ / "bin");
        programDir_ = QString::fromStdString((base_ / "bin").string() + "/");
        const char* words[3] = {"SELECT\nFROM\nWHERE\n", "COUNT\nMAX\n", "BEGIN\n"};
        for (int i = 0; i < 3; ++i) std::ofstream(base_ / "bin" / shell::kDictionaryFiles[i]) << words[i];
        left_ = (base_ / "left").string();
        right_ = (base_ / "right").string();
        third_ = (base_ / "third").string();
        for (auto* d : {&left_, &right_, &third_}) {
            fs::create_directories(*d);
            engine::local::writeDemoFolder(*d);
        }
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString((base_ / "data").string()));
        shell::setLanguageSetting(0);
        // An alias and an open database that is no alias: both are offered; directories are not.
        auto& session = engine::Session::defaultSession();
        session.setConfigMode(engine::ConfigMode::Session);
        session.addAlias("ZZALIAS", "SQLITE", {"SERVER NAME=" + (base_ / "alias.sqlite").string()});
        openDb_ = std::make_unique<engine::Database>();
        openDb_->setDatabaseName("SQLITE:" + (base_ / "open.sqlite").string());
        openDb_->open();
        open();
    }
    void cleanupTestCase() {
        delete form_;
        openDb_.reset();
    }

    // --- TFormSelectDB --------------------------------------------------------------------

    void selectListsAliasesAndOpenDatabases() {
        panels::TFormSelectDB* d = openSelect(Side::Right);
        QVERIFY(d);
        QCOMPARE(form_->activePanel(), Side::Right);
        QCOMPARE(d->windowTitle(), QStringLiteral("Select DataBase Alias Or Path for DBase/Paradox"));
        QStringList names;
        for (int i = 0; i < d->DataBaseListBox->count(); ++i) names << d->DataBaseListBox->item(i)->text();
        const QString openName = QString::fromStdString(openDb_->databaseName());
        QVERIFY2(names.contains(QStringLiteral("ZZALIAS")), qPrintable(names.join(',')));
        QVERIFY2(names.contains(openName), qPrintable(names.join(',')));
        QVERIFY(!names.contains(QString::fromStdString(left_)));   // a directory is no database name
        QStringList sorted = names;
        std::sort(sorted.begin(), sorted.end(), [](auto& a, auto& b) { return a.toUpper() < b.toUpper(); });
        QCOMPARE(names, sorted);
        QCOMPARE(int(names.removeDuplicates()), 0);
        // Placed 100 pixels right of the panel; the drive box 4 pixels in, 8 narrower.
        settle();
        QCOMPARE(d->x(), form_->panelFrame(Side::Right)->mapToGlobal(QPoint(0, 0)).x() + 100);
        QCOMPARE(d->DriveComboBox1->x(), 4);
        QCOMPARE(d->DriveComboBox1->width(), d->Panel2->width() - 8);
        // The tree starts at the panel's directory.
        QCOMPARE(d->selectedDirectory(), QString::fromStdString(right_));
        // Esc closes it and gives the focus back to the panel.
        QTest::keyClick(d->DataBaseListBox, Qt::Key_Escape);
        settle();
        QVERIFY(!panels_->selectDialog());
        QCOMPARE(logins_, 0);
        QCOMPARE(panels_->database(Side::Right).databaseName(), right_);
    }

    void selectAnAliasByEnter() {
        logins_ = 0;
        panels::TFormSelectDB* d = openSelect(Side::Right);
        auto found = d->DataBaseListBox->findItems(QStringLiteral("ZZALIAS"), Qt::MatchExactly);
        QCOMPARE(found.size(), 1);
        d->DataBaseListBox->setCurrentItem(found.front());
        QTest::keyClick(d->DataBaseListBox, Qt::Key_Return);
        settle();
        QVERIFY(!panels_->selectDialog());
        QCOMPARE(logins_, 1);
        QCOMPARE(panels_->database(Side::Right).databaseName(), std::string("ZZALIAS"));
        QVERIFY(panels_->database(Side::Right).connected());
        QCOMPARE(form_->panelTitle(Side::Right)->text(), QStringLiteral("ZZALIAS : NEWUSER"));
        QCOMPARE(panels_->panelSettings(Side::Right).password, std::string("PW"));
        QCOMPARE(panels_->tree(Side::Right)->headerItem()->text(0), QStringLiteral("Table / View name"));
        // Closing: a server database (kind OTHER) has its objects, no dBase packing.
        QVERIFY(form_->toolButton(QStringLiteral("BselectDataBase"))->isChecked());
        QVERIFY(!form_->action(QStringLiteral("PackDbaseTable1"))->isEnabled());
        QVERIFY(form_->menu(QStringLiteral("Objects1"))->menuAction()->isEnabled());
        QVERIFY(messages_.isEmpty());
    }

    void selectADirectoryInTheTree() {
        panels::TFormSelectDB* d = openSelect(Side::Right);
        QVERIFY(d);
        auto* model = qobject_cast<QFileSystemModel*>(d->DirectoryListBox1->model());
        QModelIndex at = model->index(QString::fromStdString(third_));
        QVERIFY(at.isValid());
        d->DirectoryListBox1->setCurrentIndex(at);
        QTest::keyClick(d->DirectoryListBox1, Qt::Key_Enter);
        settle();
        QVERIFY(!panels_->selectDialog());
        QCOMPARE(panels_->database(Side::Right).databaseName(), third_);
        QCOMPARE(panels_->itemCount(Side::Right), panels_->itemCount(Side::Left));
        QCOMPARE(panels_->tree(Side::Right)->headerItem()->text(0), QStringLiteral("Table name"));
        QVERIFY(form_->action(QStringLiteral("PackDbaseTable1"))->isEnabled());
        QVERIFY(!form_->menu(QStringLiteral("Objects1"))->menuAction()->isEnabled());
        QVERIFY(form_->listBox(Side::Right)->hasFocus() || !form_->isActiveWindow());
    }

    void selectRefusesTheOtherPanelsName() {
        logins_ = 0;
        const int before = panels_->itemCount(Side::Right);
        panels::TFormSelectDB* d = openSelect(Side::Right);
        auto* model = qobject_cast<QFileSystemModel*>(d->DirectoryListBox1->model());
        d->DirectoryListBox1->setCurrentIndex(model->index(QString::fromStdString(left_)));
        QTest::keyClick(d->DirectoryListBox1, Qt::Key_Return);
        settle();
        QVERIFY(!panels_->selectDialog());
        QCOMPARE(messages_, QStringList{QStringLiteral("Can't Open Duplicate Name Alias!")});
        QCOMPARE(logins_, 0);
        QCOMPARE(panels_->database(Side::Right).databaseName(), third_);
        QCOMPARE(panels_->itemCount(Side::Right), before);
        QCOMPARE(form_->activePanel(), Side::Right);
        messages_.clear();
    }

    void selectWithACancelledLoginEmptiesThePanel() {
        acceptLogin_ = false;
        panels::TFormSelectDB* d = openSelect(Side::Right);
        d->DataBaseListBox->setCurrentItem(d->DataBaseListBox->findItems(QStringLiteral("ZZALIAS"), Qt::MatchExactly).front());
        d->chooseSelectedAlias();
        settle();
        acceptLogin_ = true;
        QVERIFY(messages_.isEmpty());
        QVERIFY(panels_->database(Side::Right).databaseName().empty());
        QVERIFY(panels_->panelSettings(Side::Right).databaseName.empty());
        QVERIFY(panels_->panelSettings(Side::Right).userName.empty());
        QCOMPARE(panels_->itemCount(Side::Right), 0);
        QVERIFY(!form_->toolButton(QStringLiteral("BselectDataBase"))->isChecked());
        // Alt+F2 brings the dialog back for the right panel.
        panels_->listView(Side::Left)->setFocus();
        QTest::keyClick(panels_->listView(Side::Left), Qt::Key_F2, Qt::AltModifier);
        QVERIFY(panels_->selectDialog());
        QCOMPARE(form_->activePanel(), Side::Right);
        QCOMPARE(panels_->selectDialog()->selectedDirectory(), QDir::homePath());
        panels_->selectDialog()->close();
        settle();
        panels_->chooseDatabase(Side::Right, QString::fromStdString(right_));
        settle();
        QCOMPARE(panels_->database(Side::Right).databaseName(), right_);
    }

    // --- TFormOptions ---------------------------------------------------------------------

    // Each check box: what it shows at opening and when the dialog takes it.
    void optionsCheckBoxes() {
        enum When { OnClose, ByExitOnly, AtOnce };
        struct Row {
            const char* name;
            QCheckBox* TFormOptions::*box;
            std::function<bool&(panels::TPanels&)> value;
            When when;
        };
        const Row rows[] = {
            {"search from start", &TFormOptions::CBSearchTable, [](auto& p) -> bool& { return p.settings().searchFirstPos; }, OnClose},
            {"match case", &TFormOptions::CBMatchCase, [](auto& p) -> bool& { return p.settings().searchMatchCase; }, OnClose},
            {"show deleted", &TFormOptions::CBShowDeleted, [](auto& p) -> bool& { return p.settings().showDeleted; }, OnClose},
            {"use colour", &TFormOptions::CBSQLColor, [](auto& p) -> bool& { return p.settings().isSqlColor; }, OnClose},
            {"indexes as create", &TFormOptions::CBShowIndexesAsCreate, [](auto& p) -> bool& { return p.settings().showIndexAsCreate; }, OnClose},
            {"system objects", &TFormOptions::CBShowSystemIndexes, [](auto& p) -> bool& { return p.settings().showSystemIndex; }, OnClose},
            {"table comments", &TFormOptions::CBShowTableComment, [](auto& p) -> bool& { return p.settings().showTableComments; }, OnClose},
            {"left filter on", &TFormOptions::CBLeftFilter, [](auto& p) -> bool& { return p.settings().left.filterOn; }, OnClose},
            {"right filter on", &TFormOptions::CBRightFilter, [](auto& p) -> bool& { return p.settings().right.filterOn; }, OnClose},
            {"replace :=", &TFormOptions::CBReplAppropriate, [](auto& p) -> bool& { return p.form().settings().replaceAppropriate; }, OnClose},
            {"doublet", &TFormOptions::CBDoublet, [](auto& p) -> bool& { return p.settings().doubletStoreProc; }, ByExitOnly},
            {"left except", &TFormOptions::CBExceptLeft, [](auto& p) -> bool& { return p.settings().left.filterExcept; }, ByExitOnly},
            {"right except", &TFormOptions::CBExceptRight, [](auto& p) -> bool& { return p.settings().right.filterExcept; }, ByExitOnly},
            {"quotes", &TFormOptions::CBUseInSQl, [](auto& p) -> bool& { return p.form().settings().useInSql; }, AtOnce},
        };
        for (const Row& r : rows) {
            auto set = [&](bool on) {
                r.value(*panels_) = on;
                // These two boxes show their menu items.
                if (r.box == &TFormOptions::CBReplAppropriate)
                    form_->action(QStringLiteral("NReplAppropriate"))->setChecked(on);
                if (r.box == &TFormOptions::CBUseInSQl) form_->action(QStringLiteral("NUseinSQL"))->setChecked(on);
            };
            for (bool start : {false, true}) {
                set(start);
                TFormOptions* o = openOptions();
                QVERIFY2(((o->*r.box)->isChecked()) == start, r.name);
                (o->*r.box)->setChecked(!start);
                QVERIFY2(r.value(*panels_) == (r.when == AtOnce ? !start : start), r.name);
                o->close();   // the close box
                settle();
                QVERIFY2(r.value(*panels_) == (r.when == ByExitOnly ? start : !start), r.name);
                set(start);
                o = openOptions();
                (o->*r.box)->setChecked(!start);
                o->BExitClick();
                settle();
                QVERIFY2(!panels::optionsDialogOf(*form_), r.name);
                QVERIFY2(r.value(*panels_) == !start, r.name);
            }
        }
        // The menu items follow their boxes.
        QVERIFY(form_->action(QStringLiteral("NUseinSQL"))->isChecked() == form_->settings().useInSql);
        QVERIFY(form_->action(QStringLiteral("NReplAppropriate"))->isChecked() == form_->settings().replaceAppropriate);
        QVERIFY(form_->action(QStringLiteral("SetFilterLeft"))->isChecked() == panels_->settings().left.filterOn);
        for (bool* b : {&panels_->settings().left.filterOn, &panels_->settings().right.filterOn,
                        &panels_->settings().left.filterExcept, &panels_->settings().right.filterExcept})
            *b = false;
        panels_->settings().showDeleted = false;
    }

    void optionsColourDeletedFollowsShowDeleted() {
        panels_->settings().showDeleted = false;
        panels_->settings().colorDeleted = true;
        TFormOptions* o = openOptions();
        QVERIFY(!o->CBColorDeleted->isEnabled());
        QVERIFY(!o->CBColorDeleted->isChecked());
        o->CBShowDeleted->setChecked(true);
        QVERIFY(o->CBColorDeleted->isEnabled());
        o->CBColorDeleted->setChecked(true);
        o->close();
        settle();
        QVERIFY(panels_->settings().showDeleted && panels_->settings().colorDeleted);
        o = openOptions();
        QVERIFY(o->CBColorDeleted->isEnabled() && o->CBColorDeleted->isChecked());
        o->CBShowDeleted->setChecked(false);
        QVERIFY(!o->CBColorDeleted->isEnabled() && !o->CBColorDeleted->isChecked());
        o->close();
        settle();
        QVERIFY(!panels_->settings().showDeleted && !panels_->settings().colorDeleted);
    }

    void optionsTraceFormatsAndMasksNeedBExit() {
        auto& session = engine::Session::defaultSession();
        QCOMPARE(session.traceMask(), 1590u);
        TFormOptions* o = openOptions();
        const std::pair<QCheckBox*, bool> trace[] = {
            {o->CBPrepare, false}, {o->CBExecute, true}, {o->CBError, true}, {o->CBStmt, false},
            {o->CBConnect, true}, {o->CBTransact, true}, {o->CBBlob, false}, {o->CBMisc, false},
            {o->CBVendor, false}, {o->CBDataIn, true}, {o->CBDataOut, true}};
        for (auto& [box, on] : trace) QVERIFY2(box->isChecked() == on, qPrintable(box->objectName()));
        const panels::Formats before = panels::programFormats();
        QCOMPARE(o->EDecimalSeparator->text().toStdString(), before.decimalSeparator);
        QCOMPARE(o->ELongTimeFormat->text().toStdString(), before.longTimeFormat);
        o->CBPrepare->setChecked(true);
        o->CBDataOut->setChecked(false);
        o->EDecimalSeparator->setText(QStringLiteral("#!"));
        o->EShortDateFormat->setText(QStringLiteral("yyyy/mm/dd"));
        o->ERightFilter->setText(QStringLiteral("CUST*"));
        o->ERightFilterUser->setText(QStringLiteral("SCOTT"));
        o->close();   // the close box takes none of them
        settle();
        QCOMPARE(session.traceMask(), 1590u);
        QCOMPARE(panels::programFormats().decimalSeparator, before.decimalSeparator);
        QVERIFY(panels_->settings().right.filter.empty());
        o = openOptions();
        o->CBPrepare->setChecked(true);
        o->CBDataOut->setChecked(false);
        o->EDecimalSeparator->setText(QStringLiteral("#!"));
        o->EThousandSeparator->clear();
        o->EShortDateFormat->setText(QStringLiteral("yyyy/mm/dd"));
        o->ERightFilter->setText(QStringLiteral("CUST*"));
        o->ERightFilterUser->setText(QStringLiteral("SCOTT"));
        o->BExitClick();
        settle();
        QCOMPARE(session.traceMask(), 1590u + 1u - 1024u);
        QCOMPARE(panels::programFormats().decimalSeparator, std::string("#"));   // the first character
        QCOMPARE(panels::programFormats().thousandSeparator, std::string(" "));  // empty gives a blank
        QCOMPARE(panels::programFormats().shortDateFormat, std::string("yyyy/mm/dd"));
        QCOMPARE(panels_->settings().right.filter, std::string("CUST*"));
        QCOMPARE(panels_->settings().right.filterUser, std::string("SCOTT"));
        session.setTraceMask(1590);
        panels::programFormats() = before;
        panels_->settings().right.filter.clear();
        panels_->settings().right.filterUser.clear();
    }

    void optionsEditsAndImmediateActions() {
        TFormOptions* o = openOptions();
        // Filter edits take upper case as typed.
        QTest::keyClicks(o->ELeftFilter, QStringLiteral("cust*"));
        QCOMPARE(o->ELeftFilter->text(), QStringLiteral("CUST*"));
        // The delimiter: an emptied edit shows ";" again; the first character is taken.
        o->ESQLDelim->clear();
        QCOMPARE(o->ESQLDelim->text(), QStringLiteral(";"));
        o->ESQLDelim->setText(QStringLiteral("#;"));
        // Help files: the edits show the settings; a chosen file is taken at once.
        QCOMPARE(o->ELocalSQLHelpFile->text(), QStringLiteral("LOCALSQL.HLP"));
        QCOMPARE(o->EOracleHelpFile->text(), QStringLiteral("VLM32ORA.HLP"));
        const QString help = QString::fromStdString((base_ / "bin" / "MYORA.HLP").string());
        std::ofstream(help.toStdString()) << "x";
        QString title, filter, suffix;
        onModal<QFileDialog>([&](QFileDialog* d) {
            title = d->windowTitle();
            filter = d->nameFilters().join(';');
            suffix = d->defaultSuffix();
            d->selectFile(help);
            static_cast<QDialog*>(d)->accept();
        });
        o->BOracleSQL->click();
        QCOMPARE(title, QStringLiteral("Help files"));
        QCOMPARE(filter, QStringLiteral("Help Files (*.HLP)"));
        QCOMPARE(suffix, QStringLiteral("HLP"));
        QCOMPARE(o->EOracleHelpFile->text(), help);
        QCOMPARE(form_->settings().oracleHelp, help.toStdString());
        // The panel colour is applied at once to both lists, the command line and the size bars.
        onModal<QColorDialog>([](QColorDialog* d) {
            d->setCurrentColor(QColor(0x12, 0x34, 0x56));
            d->accept();
        });
        o->BColor->click();
        QCOMPARE(panels_->settings().panelsColor, panels::Colour(0x563412));
        for (QWidget* w : {static_cast<QWidget*>(form_->listBox(Side::Left)), static_cast<QWidget*>(form_->listBox(Side::Right)),
                           static_cast<QWidget*>(form_->commandLine()), static_cast<QWidget*>(form_->sizeBar(Side::Left))})
            QCOMPARE(w->palette().color(QPalette::Base), QColor(0x12, 0x34, 0x56));
        o->close();
        settle();
        QCOMPARE(panels_->settings().sqlDelimiter, std::string("#"));
        QVERIFY(panels_->settings().left.filter.empty());   // typed, but closed by the close box
        panels_->settings().sqlDelimiter = ";";
        panels_->settings().panelsColor = panels::kWindowColour;
        panels_->applyPanelColour();
        form_->settings().oracleHelp = "VLM32ORA.HLP";
    }

    void optionsColourGrid() {
        panels_->settings().sqlColor = 16711680;   // blue, cell 12
        panels_->settings().digitColor = 0x123456; // no standard colour
        TFormOptions* o = openOptions();
        o->PageControl1->setCurrentIndex(1);
        o->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(o));
        o->LabelSQLColor->setFocus();
        QApplication::processEvents();
        QCOMPARE(o->colorGridIndex(), 12);
        o->LabelDigitsColor->setFocus();
        QApplication::processEvents();
        QCOMPARE(o->colorGridIndex(), 12);   // the grid stays
        o->ColorGrid1Click(9);                // red into the focused edit's setting
        QCOMPARE(panels_->settings().digitColor, panels::Colour(255));
        QCOMPARE(o->LabelDigitsColor->palette().color(QPalette::Text), QColor(Qt::red));
        QCOMPARE(panels_->settings().sqlColor, panels::Colour(16711680));
        o->close();
        settle();
        panels_->settings().digitColor = 255;
    }

    void optionsDictionaries() {
        TFormOptions* o = openOptions();
        QCOMPARE(o->LabelSQLN->text(), QStringLiteral("3"));
        QCOMPARE(o->LabelSQLFuncN->text(), QStringLiteral("2"));
        QCOMPARE(o->LabelPLSQLN->text(), QStringLiteral("1"));
        std::ofstream(base_ / "bin" / "VLMSQLF.DIC") << "COUNT\nMAX\nMIN\nSUM\n";
        o->BSQLLoadDicClick();
        QCOMPARE(o->LabelSQLFuncN->text(), QStringLiteral("4"));
        fs::remove(base_ / "bin" / "VLMPLSQL.DIC");
        o->BSQLSaveDicClick();
        std::ifstream in(base_ / "bin" / "VLMPLSQL.DIC");
        std::string word;
        QVERIFY(std::getline(in, word));
        QCOMPARE(word, std::string("BEGIN"));
        QVERIFY(messages_.isEmpty());
        o->close();
        settle();
    }

    void optionsRussianTexts() {
        shell::setLanguageSetting(1);
        TFormOptions* o = openOptions();
        QStringList tabs;
        for (int i = 0; i < o->PageControl1->count(); ++i) tabs << o->PageControl1->tabText(i);
        QCOMPARE(tabs, (QStringList{QString::fromUtf8("SQL монитор"), QString::fromUtf8("Шрифт / Цвет"), QStringLiteral("SQL"),
                                    QString::fromUtf8("Параметры поиска"), QString::fromUtf8("Справочные файлы"),
                                    QString::fromUtf8("Форматы"), QString::fromUtf8("Фильтры"), QString::fromUtf8("Объекты")}));
        QCOMPARE(o->CBMatchCase->text(), QString::fromUtf8("Игнорировать размер букв"));
        QCOMPARE(o->CBUseInSQl->text(), QString::fromUtf8("Использовать двойные кавычки \" в SQL предложениях"));
        QCOMPARE(o->GBRightFilter->title(), QString::fromUtf8("Фильтр правой панели*"));
        QCOMPARE(o->CBShowSystemIndexes->text(), QString::fromUtf8("Показывать системные объекты"));
        o->close();
        settle();
        shell::setLanguageSetting(0);
        o = openOptions();
        QCOMPARE(o->PageControl1->tabText(0), QStringLiteral("SQL Monitor"));
        QCOMPARE(o->GBRightFilter->title(), QStringLiteral("Right Panal Filter*"));
        QCOMPARE(o->CBShowSystemIndexes->text(), QStringLiteral("Show System Objcts"));
        o->close();
        settle();
    }

    // Closing rebuilds both panels (every page) or the filter page's panel alone, keeping the
    // focused item; BFilter follows the active panel's "Set Filter".
    void optionsClosingRebuilds() {
        for (Side s : {Side::Left, Side::Right}) {
            panels_->tree(s)->setCurrentItem(panels_->tree(s)->topLevelItem(2));
            panels_->tree(s)->topLevelItem(0)->setSelected(true);
        }
        panels_->listView(Side::Left)->setFocus();
        panels_->panelEntry(Side::Left);
        TFormOptions* o = openOptions();
        o->close();
        settle();
        for (Side s : {Side::Left, Side::Right}) {
            QCOMPARE(panels_->focusedIndex(s), 2);
            QCOMPARE(panels_->selectedCount(s), 1);   // rebuilt: only the restored item
        }
        // Filter mode for the right panel: the left one is not rebuilt.
        panels_->tree(Side::Left)->topLevelItem(0)->setSelected(true);
        o = openOptions(1);
        QVERIFY(o->GBLeftFilter->isHidden());
        QCOMPARE(o->PageControl1->currentWidget()->objectName(), QStringLiteral("TabFilters"));
        o->ERightFilter->setText(QStringLiteral("NOSUCH*"));
        o->CBRightFilter->setChecked(true);
        o->BExitClick();
        settle();
        QCOMPARE(panels_->itemCount(Side::Right), 0);
        QCOMPARE(panels_->selectedCount(Side::Left), 2);
        QVERIFY(form_->action(QStringLiteral("SetFilterRight"))->isChecked());
        QVERIFY(!form_->toolButton(QStringLiteral("BFilter"))->isChecked());   // the left panel is active
        panels_->listView(Side::Right)->setFocus();
        panels_->panelEntry(Side::Right);
        QVERIFY(form_->toolButton(QStringLiteral("BFilter"))->isChecked());
        panels_->settings().right.filterOn = false;
        panels_->settings().right.filter.clear();
        panels_->reRead(Side::Right);
        QVERIFY(panels_->itemCount(Side::Right) > 0);
    }

    // One dialog per main window, whichever control opens it; it goes with the panels it works
    // on, without taking anything into them on the way.
    void optionsDialogIsOneAndGoesWithThePanels() {
        QVERIFY(form_->commands().trigger(shell::cmd::BSetOptions));
        QPointer<TFormOptions> o = panels::optionsDialogOf(*form_);
        QVERIFY(o);
        QVERIFY(form_->commands().trigger(shell::cmd::NProgramoptions));
        QVERIFY(form_->commands().trigger(shell::cmd::SetFilterRight));
        QCOMPARE(form_->findChildren<TFormOptions*>().size(), 1);
        QCOMPARE(o->filterSide(), -1);
        o->CBLeftFilter->setChecked(!panels_->settings().left.filterOn);
        bool goneWithThePanels = false;
        connect(panels_, &QObject::destroyed, this, [&] { goneWithThePanels = o.isNull(); });
        open();   // a new main window: the old one and its panels go
        QVERIFY(goneWithThePanels);
        QVERIFY(!o);
        QVERIFY(!panels::optionsDialogOf(*form_));
        QVERIFY(messages_.isEmpty());
    }
};

QTEST_MAIN(PanelsDialogsTest)
#include "dialogs_test.moc"
