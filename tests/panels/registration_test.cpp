// The main window's controls and keys against the command registry, on the real main window
// with the panels (offscreen): every menu item, pop-up item, tool button and function-key
// button is made from a known id and shows its command's state; the function keys map to
// their buttons; a subsystem's one registration reaches its button, menu item, key and the
// double click.
#include "panels/panelcontroller.h"
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>

#include "engine/drivers/local/dir/demo.h"
#include "panels/shellhooks.h"
#include "recordingprompts.h"
#include "shell/formmain.h"
#include "shell/language.h"

using namespace vlm;
using shell::CommandId;
using shell::ControlKind;
namespace cmd = shell::cmd;
namespace fs = std::filesystem;

namespace {
// A subsystem's registration, as a window folder writes it.
int gViews = 0;
void registerViewWindow(shell::TForm1&, shell::CommandRegistry& commands) {
    commands.add({cmd::BView, cmd::NView, cmd::NPViewTable1}, [] { ++gViews; });
}
}  // namespace

class PanelsRegistrationTest : public QObject {
    Q_OBJECT
    std::shared_ptr<RecordingPrompts> prompts_ = std::make_shared<RecordingPrompts>();
    std::unique_ptr<shell::TForm1> form_;

private slots:
    void initTestCase() {
        fs::path base = fs::temp_directory_path() / "vlm_panels_registration";
        fs::remove_all(base);
        fs::create_directories(base / "bin");
        fs::create_directories(base / "demo");
        engine::local::writeDemoFolder((base / "demo").string());
        for (const char* dic : {"VLMSQLC.DIC", "VLMSQLF.DIC", "VLMPLSQL.DIC"}) std::ofstream(base / "bin" / dic) << "SELECT\n";
        std::ofstream(base / "bin" / "VLM32.INI") << "[DATABASE NAMES]\nLEFTDATABASE=" << (base / "demo").string()
                                                   << "\nRIGHTDATABASE=\n[DATABASE LOGINS]\nLEFTUSERNAME=U\nLEFTUSERPASSWORD=P\n";
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString((base / "data").string()));
        shell::setLanguageSetting(0);
        shell::TForm1::addCommandProvider(&registerViewWindow);
        form_ = std::make_unique<shell::TForm1>(QString::fromStdString((base / "bin").string() + "/"),
                                                panels::makeShellHooks(prompts_));
        form_->show();
    }
    void cleanupTestCase() {
        form_.reset();
        QCOMPARE(prompts_->messages, QStringList());
    }

    void everyControlIsAKnownIdShowingItsState() {
        shell::CommandRegistry& commands = form_->commands();
        std::map<std::string, int> made;
        // shown: the control's state; parentOn: false under a disabled menu, which disables it too.
        auto check = [&](QObject* control, std::set<ControlKind> kinds, bool shown, bool parentOn = true) {
            const QString name = control->objectName();
            const shell::CommandInfo* c = shell::findCommand(name.toStdString());
            QVERIFY2(c, qPrintable(QStringLiteral("no command id: ") + name));
            QVERIFY2(kinds.count(c->kind), qPrintable(name));
            QVERIFY2(shown == (commands.isEnabled(c->id) && parentOn), qPrintable(name));
            ++made[name.toStdString()];
        };
        // The menu bar's menus and items, and the three pop-up menus' items.
        std::function<void(QMenu*)> walk = [&](QMenu* menu) {
            for (QAction* a : menu->actions()) {
                if (a->isSeparator() || a->objectName().startsWith(QStringLiteral("MyMenu"))) continue;
                if (QMenu* sub = a->menu()) {
                    // The Windows menu's state is the Windows-menu service's: on while windows are open.
                    check(sub, {ControlKind::SubMenu}, a->isEnabled(), menu->isEnabled());
                    walk(sub);
                    continue;
                }
                check(a, {ControlKind::MenuItem, ControlKind::PopupItem}, a->isEnabled());
                QCOMPARE(form_->action(shell::findCommand(a->objectName().toStdString())->id), a);
            }
        };
        for (QAction* top : form_->menuBar()->actions()) {
            QMenu* m = top->menu();
            QVERIFY(m);
            check(m, {ControlKind::SubMenu}, m == form_->menu(cmd::Windows1) ? true : top->isEnabled());
            walk(m);
        }
        for (QMenu* popup : {form_->panelPopup(), form_->commandLinePopup(), form_->trayPopup()}) walk(popup);
        for (QToolButton* b : form_->upperToolBar()->findChildren<QToolButton*>()) {
            if (b->objectName().isEmpty() || b->objectName().startsWith(QStringLiteral("qt_"))) continue;
            check(b, {ControlKind::ToolButton}, b->isEnabled());
        }
        for (QPushButton* b : form_->findChild<QWidget*>(QStringLiteral("ToolBar2"))->findChildren<QPushButton*>())
            check(b, {ControlKind::FunctionKey}, b->isEnabled());
        // Every id of the table has exactly one control.
        for (const shell::CommandInfo& c : shell::mainWindowCommands())
            QVERIFY2(made[c.id.name] == 1, c.id.name);
        QCOMPARE(made.size(), shell::mainWindowCommands().size());
    }

    void theShellAndThePanelsRegisterTheirCommands() {
        const CommandId bound[] = {
            cmd::BHelp, cmd::BQuit, cmd::BAbout, cmd::NHelp, cmd::NAbout, cmd::NQuit, cmd::RichTextEditor1,
            cmd::ToolBar3, cmd::NDefaultLang, cmd::NRussianLang, cmd::NEnglishLang, cmd::NUseinSQL,
            cmd::NReplAppropriate, cmd::RequestLive1, cmd::ShowRecordCount1, cmd::QueryOriginDisplayLabel1,
            cmd::DataBaseKeepConnection1, cmd::Viewwindowsstayontop1, cmd::ShowTrayIconOnMinimize1, cmd::NAutoSaveSetup,
            cmd::NSaveSetup, cmd::CloseAllWindows1, cmd::Commander1, cmd::Oracle7SQLReference1, cmd::LocalBDESQL1,
            cmd::InterBaseSQLReference1, cmd::GuptaSQLBaseReference1, cmd::MSSQLReference1, cmd::ShowCommander1,
            cmd::AboutCommander1,
            // The panels.
            cmd::NAlphabeticLeft, cmd::NUnsortedLeft, cmd::NAllSystablesLeft, cmd::NAllTablesLeft, cmd::NUserTablesLeft,
            cmd::SetFilterLeft, cmd::NReReadLeft, cmd::NSelectDatabaseLeft, cmd::DisconnectLeft, cmd::NAlphabeticRight,
            cmd::NUnsortedRight, cmd::NAllSystablesRight, cmd::NAllTablesRight, cmd::NUserTablesRight,
            cmd::SetFilterRight, cmd::NReReadRight, cmd::NSelectDataBaseRight, cmd::DisconnectRight,
            cmd::PackDbaseTable1, cmd::GetTablesList1, cmd::SelectGroup1, cmd::Removeselect1, cmd::Searchtable1,
            cmd::NProgramoptions, cmd::Icon1, cmd::SmallIcon1, cmd::List1, cmd::Report1, cmd::ReportGridLines,
            cmd::BReRead, cmd::BselectDataBase, cmd::BSysAll, cmd::BAll, cmd::BUser, cmd::BFilter, cmd::BSort,
            cmd::BUnSort, cmd::BSetOptions, cmd::BDetails, cmd::BLarge, cmd::BSmall, cmd::BList};
        for (CommandId id : bound) QVERIFY2(form_->commands().isBound(id), id.name);
        // Nobody binds these yet: their controls are there and disabled.
        for (CommandId id : {cmd::BInfo, cmd::NCopy, cmd::Triggers1, cmd::BSQLMonitor, cmd::Clearhistorylist1}) {
            QVERIFY2(!form_->commands().isBound(id), id.name);
            QVERIFY2(!form_->commands().isEnabled(id), id.name);
        }
    }

    void functionKeysAreBoundToTheirButtons() {
        const auto keys = form_->commands().keys();
        for (int i = 0; i < 10; ++i) {
            const auto* k = form_->commands().keyBinding(Qt::Key_F1 + i, 0);
            QVERIFY(k);
            QCOMPARE(QString::fromLatin1(k->id.name), form_->findChild<QWidget*>(QStringLiteral("ToolBar2"))
                                                          ->findChildren<QPushButton*>()[i]->objectName());
        }
        QCOMPARE(form_->commands().keyBinding(Qt::Key_F1, Qt::AltModifier)->id, cmd::NSelectDatabaseLeft);
        QCOMPARE(form_->commands().keyBinding(Qt::Key_F2, Qt::AltModifier)->id, cmd::NSelectDataBaseRight);
        for (const auto& k : keys) QVERIFY2(shell::findCommand(k.id.view()), k.id.name);
    }

    void oneRegistrationReachesButtonMenuKeyPopupAndDoubleClick() {
        QVERIFY(form_->functionButton(cmd::BView)->isEnabled());
        QVERIFY(form_->action(cmd::NView)->isEnabled());
        QVERIFY(form_->action(cmd::NPViewTable1)->isEnabled());
        gViews = 0;
        form_->functionButton(cmd::BView)->click();
        form_->action(cmd::NView)->trigger();
        form_->action(cmd::NPViewTable1)->trigger();
        QTreeWidget* list = form_->listBox(shell::Side::Left);
        list->setFocus();
        QTest::keyClick(list, Qt::Key_F3);
        QVERIFY(list->topLevelItemCount() > 0);
        emit list->itemDoubleClicked(list->topLevelItem(0), 0);   // what a double click sends
        QCOMPARE(gViews, 5);
        // Unbound F-keys are not consumed: F2 does nothing and the list keeps the focus.
        QTest::keyClick(list, Qt::Key_F2);
        QCOMPARE(gViews, 5);
    }
};

QTEST_MAIN(PanelsRegistrationTest)
#include "registration_test.moc"
