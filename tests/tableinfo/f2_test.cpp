// F2 on the main window (offscreen): the registered information command opens the structure
// window of the focused table, lists it in the Windows menu, and Esc gives the focus back.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QTableWidget>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>

#include "engine/drivers/local/dir/demo.h"
#include "panels/panelcontroller.h"
#include "panels/recordingprompts.h"
#include "panels/shellhooks.h"
#include "shell/formmain.h"
#include "shell/language.h"
#include "shell/windowsmenu.h"
#include "tableinfo/commands.h"
#include "tableinfo/forminfo.h"

using namespace vlm;
using panels::Side;
namespace fs = std::filesystem;

class F2Test : public QObject {
    Q_OBJECT
    static tableinfo::TFormInfo* infoWindow() {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* f = qobject_cast<tableinfo::TFormInfo*>(w); f && f->isVisible()) return f;
        return nullptr;
    }

private slots:
    void f2OpensTheStructureWindowOfTheFocusedTable() {
        fs::path base = fs::temp_directory_path() / "vlm_tableinfo_f2";
        fs::remove_all(base);
        fs::create_directories(base / "bin");
        fs::create_directories(base / "demo");
        engine::local::writeDemoFolder((base / "demo").string());
        for (const char* dic : {"VLMSQLC.DIC", "VLMSQLF.DIC", "VLMPLSQL.DIC"}) std::ofstream(base / "bin" / dic) << "SELECT\n";
        std::ofstream(base / "bin" / "VLM32.INI") << "[DATABASE NAMES]\nLEFTDATABASE=" << (base / "demo").string()
                                                  << "\nRIGHTDATABASE=" << (base / "demo").string()
                                                  << "\n[DATABASE LOGINS]\nLEFTUSERNAME=U\nLEFTUSERPASSWORD=P\n"
                                                     "RIGHTUSERNAME=U\nRIGHTUSERPASSWORD=P\n";
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString((base / "data").string()));
        auto prompts = std::make_shared<RecordingPrompts>();
        shell::TForm1::addCommandProvider(&tableinfo::registerCommands);
        shell::setLanguageSetting(2);

        auto* form = new shell::TForm1(QString::fromStdString((base / "bin").string() + "/"), panels::makeShellHooks(prompts));
        form->show();
        form->activateWindow();
        panels::TPanels* p = panels::panelsOf(*form);
        QVERIFY(p);
        QVERIFY(p->itemCount(Side::Left) > 0);
        QVERIFY(form->functionButton(QStringLiteral("BInfo"))->isEnabled());

        // No focused item: the no-selection message, no window.
        QTreeWidget* list = form->listBox(Side::Left);
        list->setFocus();
        list->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::Clear);
        QTest::keyClick(p->listView(Side::Left), Qt::Key_F2);
        QCOMPARE(prompts->messages, QStringList{QStringLiteral("No Selected Table !")});
        QVERIFY(!infoWindow());

        list->setCurrentItem(list->topLevelItem(0));
        const QString table = list->topLevelItem(0)->text(0);
        QTest::keyClick(p->listView(Side::Left), Qt::Key_F2);
        tableinfo::TFormInfo* w = infoWindow();
        QVERIFY(w);
        QCOMPARE(w->Panel5->text(), table);
        QVERIFY(w->FGrid->rowCount() > 1);
        bool listed = false;
        for (QAction* a : form->windowsMenuService()->menu()->actions())
            listed = listed || a->text().endsWith(QStringLiteral(" Info ") + table);
        QVERIFY(listed);

        // The menu entry and the pop-up entry open another window each.
        form->action(QStringLiteral("NInfo"))->trigger();
        form->action(QStringLiteral("Infoabout1"))->trigger();
        int open = 0;
        for (QWidget* t : QApplication::topLevelWidgets())
            if (qobject_cast<tableinfo::TFormInfo*>(t) && t->isVisible()) ++open;
        QCOMPARE(open, 3);
        for (QWidget* t : QApplication::topLevelWidgets())
            if (auto* f = qobject_cast<tableinfo::TFormInfo*>(t); f && f->isVisible()) QTest::keyClick(f, Qt::Key_Escape);
        QTRY_VERIFY(!infoWindow());
        for (QAction* a : form->windowsMenuService()->menu()->actions())
            QVERIFY(!a->text().contains(QStringLiteral(" Info ")));
        delete form;
    }
};

QTEST_MAIN(F2Test)
#include "f2_test.moc"
