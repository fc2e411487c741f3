// The main window, the Windows menu and the text window, offscreen with real widgets.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPrinter>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include "shell/formmain.h"
#include "shell/helpviewer.h"
#include "shell/language.h"
#include "shell/paneltitle.h"
#include "shell/rtf.h"
#include "shell/rtfqt.h"
#include "shell/textform.h"
#include "shell/trayicon.h"
#include "shell/windowsmenu.h"

using namespace vlm::shell;

namespace {

// Answers the next visible message box with the object name by clicking button; its text is
// appended to seen.
void answerBox(const QString& name, QMessageBox::StandardButton button, QStringList* seen = nullptr) {
    auto* timer = new QTimer(qApp);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [=] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (box && box->isVisible() && box->objectName() == name) {
                if (seen) seen->append(box->text());
                timer->stop();
                timer->deleteLater();
                box->button(button)->click();
                return;
            }
        }
    });
    timer->start();
}

// Records what the main window hands to the settings owner.
struct RecordingHooks : ShellHooks {
    int closeCalls = 0, saveCalls = 0, keys = 0;
    int language = 0;
    bool autoSave = false;
    void loadSettings(TForm1&, ShellSettings& s) override {
        s.language = language;
        s.autoSave = autoSave;
    }
    bool keyDown(TForm1&, QKeyEvent& e) override {
        if (e.key() == Qt::Key_F3) { ++keys; return true; }
        return false;
    }
    void closeConnections(TForm1&) override { ++closeCalls; }
    void saveSettings(TForm1&, const ShellSettings&) override { ++saveCalls; }
};

class ShellFormsTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QString programDir() const { return dir_.path() + QLatin1Char('/'); }
    void writeFile(const QString& name, const QByteArray& bytes) {
        QFile f(programDir() + name);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    std::unique_ptr<TForm1> makeForm(std::shared_ptr<RecordingHooks> hooks = std::make_shared<RecordingHooks>()) {
        auto f = std::make_unique<TForm1>(programDir(), hooks);
        f->show();
        f->activateWindow();
        QTest::qWaitForWindowActive(f.get());
        return f;
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        for (const char* d : {"VLMSQLC.DIC", "VLMSQLF.DIC", "VLMPLSQL.DIC"}) writeFile(QString::fromLatin1(d), "SELECT\nFROM\n");
    }
    void init() { setLanguageSetting(0); }

    void missingDictionaryIsReportedOnceAndStartUpGoesOn() {
        QTemporaryDir empty;
        QStringList seen;
        answerBox(QStringLiteral("ErrorDisplay"), QMessageBox::Ok, &seen);
        TForm1 form(empty.path() + QLatin1Char('/'));
        QCOMPARE(seen.size(), 1);
        QVERIFY(seen.first().contains(QStringLiteral("VLMSQLC.DIC")));
        QVERIFY(form.dictionaries().sqlKeywords.empty());
        QCOMPARE(form.windowTitle(), QStringLiteral("Velmar 32 V 3.40a"));
        QVERIFY(form.toolButton(QStringLiteral("BDetails"))->isChecked());
    }

    void designedLayoutAndNames() {
        auto form = makeForm();
        QCOMPARE(form->dictionaries().sqlKeywords.size(), size_t(2));
        for (const char* n : {"PanelMain", "PanelLeft", "PanelRight", "PLeft", "PRight", "LeftListBox", "RightListBox",
                              "PanelLeftSize", "PanelRightSize", "LName", "LSize", "LDateTime", "RName", "RSize",
                              "RDateTime", "PanelSearchTable", "ESearchTable", "PanelCommand", "LabelSQL", "ESQL",
                              "Panel1", "ToolBar1", "ToolBar2", "StatusBar1"})
            QVERIFY2(form->findChild<QWidget*>(QString::fromLatin1(n)), n);
        QVERIFY(!form->searchPanel()->isVisible());
        QCOMPARE(form->labelSql()->text(), QStringLiteral("(Ctrl-Q) SQL>"));
        QCOMPARE(form->statusPanel(1)->text(), QStringLiteral("tables"));
        QCOMPARE(form->statusPanel(3)->text(), QStringLiteral("selected"));
        QVERIFY(QStringList({QStringLiteral("Рус"), QStringLiteral("Eng"), QStringLiteral("Not")}).contains(form->statusPanel(5)->text()));
        QVERIFY(!form->menu(QStringLiteral("Windows1"))->isEnabled());
        // Unbound commands are there but disabled; the shell's own are enabled.
        QVERIFY(!form->action(QStringLiteral("NInfo"))->isEnabled());
        QVERIFY(!form->functionButton(QStringLiteral("BView"))->isEnabled());
        QVERIFY(form->action(QStringLiteral("NQuit"))->isEnabled());
        QCOMPARE(form->action(QStringLiteral("NUseinSQL"))->text(), QStringLiteral("Use  \"  in SQL"));
        QCOMPARE(form->toolButton(QStringLiteral("BselectDataBase"))->toolTip(),
                 QStringLiteral("Выбрать алиас или путь \nи подключиться к БД"));
        // Resize rule: 640 and 641 both give 63-pixel function keys.
        for (int w : {640, 641}) {
            form->resize(w, 430);
            QCoreApplication::processEvents();
            QCOMPARE(form->functionButton(QStringLiteral("BHelp"))->width(), 63);
        }
        // bindAction enables and connects.
        int called = 0;
        form->bindAction(QStringLiteral("NInfo"), [&] { ++called; });
        QVERIFY(form->action(QStringLiteral("NInfo"))->isEnabled());
        form->action(QStringLiteral("NInfo"))->trigger();
        QCOMPARE(called, 1);
    }

    void keyPreviewDispatchesBeforeTheFocusedControl() {
        auto hooks = std::make_shared<RecordingHooks>();
        auto form = makeForm(hooks);
        QTreeWidget* list = form->listBox(Side::Left);
        list->setFocus();
        // The hook consumes F3 wherever the focus is.
        QTest::keyClick(list, Qt::Key_F3);
        QTest::keyClick(form->commandLine(), Qt::Key_F3);
        QCOMPARE(hooks->keys, 2);
        // Ctrl+Q focuses the command line (a shell key).
        QTest::keyClick(list, Qt::Key_Q, Qt::ControlModifier);
        QCOMPARE(form->focusWidget(), static_cast<QWidget*>(form->commandLine()));
        // A replaced handler sees every key and decides what is consumed.
        QList<int> seen;
        form->setKeyHandler([&](QKeyEvent& e) { seen << e.key(); return e.key() == Qt::Key_A; });
        form->commandLine()->lineEdit()->setFocus();
        form->commandLine()->lineEdit()->clear();
        QTest::keyClicks(form->commandLine()->lineEdit(), QStringLiteral("ab"));
        QCOMPARE(seen, (QList<int>{Qt::Key_A, Qt::Key_B}));
        QCOMPARE(form->commandLine()->lineEdit()->text(), QStringLiteral("b"));
    }

    void exitQuestionNoLeavesEverythingYesRunsTheShutdown() {
        auto hooks = std::make_shared<RecordingHooks>();
        auto form = makeForm(hooks);
        QSignalSpy closed(form.get(), &TForm1::mainWindowClosed);
        QStringList seen;
        answerBox(QStringLiteral("ExitQuestion"), QMessageBox::No, &seen);
        QTest::keyClick(form->listBox(Side::Left), Qt::Key_F10);
        QCOMPARE(seen, QStringList{QStringLiteral("Exit from VLM32 ?")});
        QVERIFY(form->isVisible());
        QCOMPARE(hooks->closeCalls, 0);
        QCOMPARE(closed.count(), 0);

        // Yes with "Auto Save Setup" unchecked: connections closed, settings not written.
        answerBox(QStringLiteral("ExitQuestion"), QMessageBox::Yes);
        form->functionButton(QStringLiteral("BQuit"))->click();
        QVERIFY(!form->isVisible());
        QCOMPARE(hooks->closeCalls, 1);
        QCOMPARE(hooks->saveCalls, 0);
        QCOMPARE(closed.count(), 1);
        form->close();  // a second close runs no second shutdown and asks nothing
        QCOMPARE(hooks->closeCalls, 1);
    }

    void autoSaveWritesAtShutdownAndRussianQuestion() {
        auto hooks = std::make_shared<RecordingHooks>();
        hooks->autoSave = true;
        hooks->language = 1;
        auto form = makeForm(hooks);
        QVERIFY(form->action(QStringLiteral("NAutoSaveSetup"))->isChecked());
        QStringList seen;
        answerBox(QStringLiteral("ExitQuestion"), QMessageBox::Yes, &seen);
        form->action(QStringLiteral("NQuit"))->trigger();
        QCOMPARE(seen, QStringList{QStringLiteral("Завершить работу с VLM32 ?")});
        QCOMPARE(hooks->saveCalls, 1);
    }

    void sessionEndFollowsTheExitAnswer() {
        auto hooks = std::make_shared<RecordingHooks>();
        auto form = makeForm(hooks);
        QStringList seen;
        answerBox(QStringLiteral("QueryEndSession"), QMessageBox::Ok, &seen);
        answerBox(QStringLiteral("ExitQuestion"), QMessageBox::No);
        QVERIFY(!form->queryEndSession());
        QCOMPARE(seen, QStringList{QStringLiteral("WMQueryEndSession")});
        QCOMPARE(hooks->closeCalls, 0);
        answerBox(QStringLiteral("QueryEndSession"), QMessageBox::Cancel);
        answerBox(QStringLiteral("ExitQuestion"), QMessageBox::Yes);
        QVERIFY(form->queryEndSession());
        QCOMPARE(hooks->closeCalls, 1);
    }

    void endSessionRejectsDialogsAndShutsDownWithoutAsking() {
        auto hooks = std::make_shared<RecordingHooks>();
        hooks->autoSave = true;
        auto form = makeForm(hooks);
        QSignalSpy closed(form.get(), &TForm1::mainWindowClosed);
        // A dialog is open (here the exit question itself) when the end comes.
        QTimer::singleShot(0, form.get(), [&] { form->close(); });
        QTimer::singleShot(50, form.get(), [&] {
            QVERIFY(qobject_cast<QMessageBox*>(QApplication::activeModalWidget()));
            form->endSession();
        });
        QTRY_COMPARE(closed.count(), 1);
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(form->shutdownDone());
        QCOMPARE(hooks->closeCalls, 1);
        QCOMPARE(hooks->saveCalls, 1);
        QVERIFY(!form->isVisible());
    }

    void functionKeyCaptionsFitTheirButtons() {
        auto form = makeForm();
        const char* names[] = {"BHelp", "BInfo", "BView", "BEdit", "BCopy", "BSelect", "BCreate", "BDelete", "BMenu", "BQuit"};
        const QFont rowFont = form->functionButton(QStringLiteral("BHelp"))->parentWidget()->font();
        for (int lang : {2, 1}) {
            form->applyLanguageTexts(lang);
            QStringList captions;
            for (const char* n : names) captions << form->functionButton(QString::fromLatin1(n))->text();
            for (int width : {640, 1000}) {
                form->resize(width, 429);
                QTRY_COMPARE(form->width(), width);
                for (int i = 0; i < 10; ++i) {
                    QPushButton* b = form->functionButton(QString::fromLatin1(names[i]));
                    QCOMPARE(b->text(), captions[i]);   // fitted by the font, never by the text
                    QStyleOptionButton opt;
                    opt.initFrom(b);
                    opt.rect = QRect(0, 0, b->width(), b->height());
                    const int room = b->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, b).width();
                    // Three pixels clear on each side: a caption never touches the button's edges.
                    QVERIFY2(QFontMetrics(b->font()).horizontalAdvance(b->text()) + 6 <= room,
                             qPrintable(QStringLiteral("%1 at %2 pixels").arg(b->text()).arg(width)));
                    QVERIFY(b->font().pointSizeF() >= 6.0);
                    if (width == 1000 && lang == 2) QCOMPARE(b->font().pointSizeF(), rowFont.pointSizeF());
                }
            }
        }
    }

    void panelTitleElidesInTheMiddle() {
        const QFontMetrics fm(QApplication::font());
        const QString path = QStringLiteral("/very/long/directory/path/to/the/folder : SYSDBA");
        struct Case { int width; QString expect; } cases[] = {
            {fm.horizontalAdvance(path), path},
            {fm.horizontalAdvance(QStringLiteral("/very/long/…/path/to/the/folder : SYSDBA")),
             QStringLiteral("/very/long/…/path/to/the/folder : SYSDBA")},
            {fm.horizontalAdvance(QStringLiteral("/very/…/the/folder : SYSDBA")), QStringLiteral("/very/…/the/folder : SYSDBA")},
            {fm.horizontalAdvance(QStringLiteral("/…/folder : SYSDBA")), QStringLiteral("/…/folder : SYSDBA")},
        };
        for (const Case& c : cases) QCOMPARE(elidePathMiddle(path, fm, c.width), c.expect);
        // Narrower than the last component: plain middle elision, never wider than asked.
        const QString tiny = elidePathMiddle(path, fm, 40);
        QVERIFY(tiny.contains(QChar(0x2026)));
        QVERIFY(fm.horizontalAdvance(tiny) <= 40);
        // An alias has no path: middle elision of the name.
        QVERIFY(elidePathMiddle(QStringLiteral("A_VERY_LONG_ALIAS_NAME_FOR_A_SERVER : SYSDBA"), fm, 80).contains(QChar(0x2026)));

        auto form = makeForm();
        auto* title = qobject_cast<TPanelTitle*>(form->panelTitle(Side::Left));
        QVERIFY(title);
        const QString deep = QStringLiteral("/very/long/directory/path/to/the/deeply/nested/folders/of/the/folder : SYSDBA");
        title->setText(deep);
        form->resize(640, 429);
        QTRY_COMPARE(form->width(), 640);
        const QString narrow = title->displayedText();
        QVERIFY(narrow.contains(QChar(0x2026)));
        QVERIFY(narrow.endsWith(QStringLiteral("/folder : SYSDBA")));
        QCOMPARE(title->text(), deep);
        form->resize(1200, 429);
        QTRY_COMPARE(form->width(), 1200);
        QVERIFY(title->displayedText().size() > narrow.size());
        QCOMPARE(form->width(), 1200);   // a long title never widens the window
    }

    void languageSwitchingRecaptions() {
        auto form = makeForm();
        // Designed texts: English captions, Russian hints.
        QCOMPARE(form->menu(QStringLiteral("NLeft"))->title(), QStringLiteral("Left"));
        QCOMPARE(form->functionButton(QStringLiteral("BHelp"))->toolTip(), QStringLiteral("Справочная информация по программе"));
        form->action(QStringLiteral("NRussianLang"))->trigger();
        QCOMPARE(languageSetting(), 1);
        QCOMPARE(noSelectionMessage(), std::string("Не выбрана таблица !"));
        QCOMPARE(form->windowTitle(), QStringLiteral("Velmar VLM32 V 3.40a"));
        struct { const char* name; const char* text; } menus[] = {
            {"NLeft", "Левая панель"}, {"NTables", "Таблицы"}, {"Objects1", "Объекты"}, {"NCommands", "Команды"},
            {"View1", "Вид панелей"}, {"NOptions", "Параметры"}, {"Windows1", "Окна"}, {"NHelp0", "Помощь"},
            {"NRight", "Правая панель"}};
        for (auto& m : menus) QCOMPARE(form->menu(QString::fromLatin1(m.name))->title(), QString::fromUtf8(m.text));
        QCOMPARE(form->action(QStringLiteral("NQuit"))->text(), QStringLiteral("Выход - F10"));
        QCOMPARE(form->action(QStringLiteral("ShowCommander1"))->text(), QStringLiteral("Показать командира"));
        QCOMPARE(form->action(QStringLiteral("Removeselect1"))->text(), QStringLiteral("Снятиь выделение - < Серый - >"));
        QCOMPARE(form->functionButton(QStringLiteral("BMenu"))->text(), QStringLiteral("F9-С.Проц"));
        QCOMPARE(form->toolButton(QStringLiteral("BSysAll"))->toolTip(),
                 QStringLiteral("Показывать все системные и пользовательские таблицы"));
        QCOMPARE(form->toolButton(QStringLiteral("BDetails"))->toolTip(), QStringLiteral("Details"));
        QCOMPARE(form->statusPanel(1)->text(), QStringLiteral("таблиц"));
        QCOMPARE(form->findChild<QLabel*>(QStringLiteral("Label1"))->text(), QStringLiteral("Поиск таблицы:"));

        form->action(QStringLiteral("NEnglishLang"))->trigger();
        QCOMPARE(form->windowTitle(), QStringLiteral("Velmar 32 V 3.40"));
        QCOMPARE(form->menu(QStringLiteral("NLeft"))->title(), QStringLiteral("Left"));
        QCOMPARE(form->action(QStringLiteral("Security1"))->text(), QStringLiteral("Database users"));
        QCOMPARE(form->action(QStringLiteral("SelectGroup1"))->text(), QStringLiteral("Select tables - < Gray + >"));
        QCOMPARE(form->functionButton(QStringLiteral("BQuit"))->toolTip(), QStringLiteral("Exit From Programm"));
        QCOMPARE(form->commandLine()->toolTip(), QStringLiteral("SQL command line;\n\"Enter\" - execute."));
        QCOMPARE(form->statusPanel(3)->text(), QStringLiteral("selected"));

        // "Default": the restart message in the language that was in force, texts stay.
        struct Case { int before; const char* message; } cases[] = {
            {1, "Перезапустите программу !"}, {2, "Restart program to effect !"}, {0, "Restart program to effect !"}};
        for (const Case& c : cases) {
            if (c.before == 1) form->NRussianLangClick();
            if (c.before == 2) form->NEnglishLangClick();
            if (c.before == 0) setLanguageSetting(0);
            const QString title = form->windowTitle();
            QStringList seen;
            answerBox(QStringLiteral("RestartMessage"), QMessageBox::Ok, &seen);
            form->action(QStringLiteral("NDefaultLang"))->trigger();
            QCOMPARE(seen, QStringList{QString::fromUtf8(c.message)});
            QCOMPARE(languageSetting(), 0);
            QCOMPARE(form->windowTitle(), title);
            QVERIFY(form->action(QStringLiteral("NDefaultLang"))->isChecked());
        }
        QCOMPARE(pick("Об авторе", "About"), std::string("About"));
        for (int s : {0, 1, 2}) QCOMPARE(TForm1::systemMenuItems(s).back().first, 668);
        QCOMPARE(TForm1::systemMenuItems(1).back().second, std::string("Об авторе"));
    }

    void windowsMenuNumberingRemovalAndCloseAll() {
        auto form = makeForm();
        TWindowsMenu* wm = form->windowsMenuService();
        QMenu* menu = form->menu(QStringLiteral("Windows1"));
        auto names = [&] {
            QStringList out;
            for (QAction* a : menu->actions())
                if (a->objectName().startsWith(QLatin1String("MyMenu"))) out << a->objectName() + QLatin1Char('=') + a->text();
            return out;
        };
        QList<QWidget*> windows;
        for (int i = 0; i < 3; ++i) {
            auto* w = new QWidget(form.get(), Qt::Window);
            w->setAttribute(Qt::WA_DeleteOnClose);
            w->show();
            windows << w;
            wm->addWindowEntry(w, QStringLiteral(" View T") + QString::number(i + 1));
        }
        QVERIFY(menu->isEnabled());
        QCOMPARE(names(), (QStringList{QStringLiteral("MyMenu1=1 View T1"), QStringLiteral("MyMenu2=2 View T2"),
                                       QStringLiteral("MyMenu3=3 View T3")}));
        QCOMPARE(menu->actions().at(0)->objectName(), QStringLiteral("CloseAllWindows1"));
        QCOMPARE(menu->actions().at(1)->objectName(), QStringLiteral("N13"));
        wm->removeWindowEntry(windows[1]);
        QCOMPARE(names(), (QStringList{QStringLiteral("MyMenu1=1 View T1"), QStringLiteral("MyMenu3=3 View T3")}));
        // Choosing the entry of a minimised window restores it.
        windows[0]->showMinimized();
        menu->actions().at(2)->trigger();
        QVERIFY(!windows[0]->isMinimized());
        wm->removeWindowEntry(windows[0]);
        wm->removeWindowEntry(windows[2]);
        QVERIFY(!menu->isEnabled());
        QCOMPARE(wm->runningNumber(), 0);
        auto* again = new QWidget(form.get(), Qt::Window);
        wm->addWindowEntry(again, QStringLiteral(" Info X"));
        QCOMPARE(names(), QStringList{QStringLiteral("MyMenu1=1 Info X")});
        // A window freed without removing its entry takes the entry with it.
        delete again;
        QCoreApplication::processEvents();
        QCOMPARE(names(), QStringList{});
        delete windows[1];

        // Close All Windows with four windows, one of which keeps itself open.
        QList<QPointer<QWidget>> four;
        for (int i = 0; i < 4; ++i) {
            auto* w = new QWidget(form.get(), Qt::Window);
            w->setAttribute(Qt::WA_DeleteOnClose);
            w->show();
            four << w;
            wm->addWindowEntry(w, QStringLiteral(" View ") + QString::number(i));
        }
        form->action(QStringLiteral("CloseAllWindows1"))->trigger();
        QCOMPARE(menu->actions().size(), 2);
        QVERIFY(!menu->isEnabled());
        QCOMPARE(wm->runningNumber(), 0);
        QCoreApplication::processEvents();
        for (auto& w : four) QVERIFY(w.isNull() || !w->isVisible());
    }

    void slotsBringTheOpenWindowToTheFront() {
        auto form = makeForm();
        TWindowsMenu* wm = form->windowsMenuService();
        QCOMPARE(wm->slotHandle(WindowSlot::Copy), kNoWindow);
        int opened = 0;
        auto open = [&]() -> QWidget* {
            ++opened;
            auto* w = new QWidget(form.get(), Qt::Window);
            w->setAttribute(Qt::WA_DeleteOnClose);
            w->show();
            return w;
        };
        QWidget* first = wm->activateOrOpen(WindowSlot::Copy, open);
        first->showMinimized();
        QCOMPARE(wm->activateOrOpen(WindowSlot::Copy, open), first);
        QCOMPARE(opened, 1);
        QVERIFY(!first->isMinimized());
        QVERIFY(wm->slotHandle(WindowSlot::Copy) != kNoWindow);
        delete first;
        QCOMPARE(wm->slotHandle(WindowSlot::Copy), kNoWindow);
        wm->activateOrOpen(WindowSlot::Copy, open);
        QCOMPARE(opened, 2);
    }

    void textViewerShowsAFileOnceAndComesBackOnClose() {
        auto form = makeForm();
        writeFile(QStringLiteral("DATASET0.TXT"), "first report\n");
        form->showTextFile(programDir() + QStringLiteral("DATASET0.TXT"), QStringLiteral("View Data as Text"));
        TTextForm* viewer = form->textViewer();
        QVERIFY(viewer->isVisible());
        QCOMPARE(viewer->editor()->toPlainText(), QStringLiteral("first report\n"));
        QCOMPARE(viewer->windowTitle(), QStringLiteral("Просмотр: DATASET0.TXT"));
        QAction* entry = form->menu(QStringLiteral("Windows1"))->actions().value(2);
        QVERIFY(entry);
        QCOMPARE(entry->text(), QStringLiteral("1 View Data as Text"));
        // A second request while it is open brings it forward without loading the new report.
        writeFile(QStringLiteral("DATASET0.TXT"), "second report\n");
        form->showTextFile(programDir() + QStringLiteral("DATASET0.TXT"), QStringLiteral("View Data as Text"));
        QCOMPARE(viewer->editor()->toPlainText(), QStringLiteral("first report\n"));
        QCOMPARE(form->menu(QStringLiteral("Windows1"))->actions().size(), 3);
        // Closing hides it, frees the slot and the entry; the next showing loads the new file.
        viewer->close();
        QVERIFY(!viewer->isVisible());
        QVERIFY(!form->menu(QStringLiteral("Windows1"))->isEnabled());
        form->showTextFile(programDir() + QStringLiteral("DATASET0.TXT"), QStringLiteral("View Data as Text"));
        QCOMPARE(form->textViewer(), viewer);
        QCOMPARE(viewer->editor()->toPlainText(), QStringLiteral("second report\n"));
        viewer->close();
    }

    void richTextEditorWindowsAndViewFlags() {
        auto form = makeForm();
        QPointer<TTextForm> ed = form->newRichTextEditor();
        QCOMPARE(ed->fileName(), QStringLiteral("Untitled.rtf"));
        QCOMPARE(form->menu(QStringLiteral("Windows1"))->actions().value(2)->text(), QStringLiteral("1 Rich Text Editor"));
        QCOMPARE(form->windowsMenuService()->slotHandle(WindowSlot::TextViewer), kNoWindow);
        ed->editor()->textCursor().insertText(QStringLiteral("changed"));
        QVERIFY(ed->modified());
        QCOMPARE(ed->statusPanel(1)->text(), QStringLiteral("Изменен"));
        answerBox(QStringLiteral("SaveChangesQuestion"), QMessageBox::Cancel);
        ed->close();
        QVERIFY(ed && ed->isVisible());  // Cancel keeps it open
        answerBox(QStringLiteral("SaveChangesQuestion"), QMessageBox::No);
        ed->close();
        QCoreApplication::processEvents();
        QTest::qWait(1);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(ed.isNull());
        QVERIFY(!form->menu(QStringLiteral("Windows1"))->isEnabled());

        QWidget plain;
        form->applyViewWindowFlags(&plain);
        QVERIFY(!(plain.windowFlags() & Qt::WindowStaysOnTopHint));
        form->action(QStringLiteral("Viewwindowsstayontop1"))->trigger();
        QWidget onTop;
        form->applyViewWindowFlags(&onTop);
        QVERIFY(onTop.windowFlags() & Qt::WindowStaysOnTopHint);
    }

    void textWindowRtfRoundTripThroughTheEditor() {
        TTextForm form(nullptr, TTextForm::Role::Editor);
        form.setAttribute(Qt::WA_DeleteOnClose, false);
        QTextEdit* ed = form.editor();
        ed->clear();
        QTextCursor c(ed->document());
        QTextCharFormat bold;
        bold.setFontFamilies(QStringList{QStringLiteral("DejaVu Sans")});
        bold.setFontPointSize(14);
        bold.setFontWeight(QFont::Bold);
        bold.setForeground(QColor(200, 0, 0));
        c.insertText(QStringLiteral("Жирный красный"), bold);
        QTextCharFormat rest;
        rest.setFontFamilies(QStringList{QStringLiteral("DejaVu Serif")});
        rest.setFontPointSize(10);
        rest.setFontItalic(true);
        rest.setFontUnderline(true);
        rest.setFontStrikeOut(true);
        c.insertText(QStringLiteral(" and the rest"), rest);
        QTextBlockFormat centre;
        centre.setAlignment(Qt::AlignHCenter);
        c.insertBlock(centre);
        c.insertText(QStringLiteral("centred"), rest);
        c.insertBlock(QTextBlockFormat());
        c.createList(QTextListFormat::ListDisc);
        c.insertText(QStringLiteral("bullet"), rest);
        const RtfDocument before = fromQTextDocument(*ed->document());

        const QString path = programDir() + QStringLiteral("round.rtf");
        QVERIFY(form.saveFile(path, true));
        ed->clear();
        QVERIFY(form.loadFile(path, false));
        const RtfDocument after = fromQTextDocument(*ed->document());
        QCOMPARE(after.paragraphs.size(), before.paragraphs.size());
        for (size_t i = 0; i < before.paragraphs.size(); ++i) QVERIFY2(after.paragraphs[i] == before.paragraphs[i], qPrintable(QString::number(i)));
        QVERIFY(after.paragraphs[2].bullet);
        QCOMPARE(after.paragraphs[1].align, RtfAlign::Center);
        QCOMPARE(after.paragraphs[0].runs[0].format.color, std::optional<std::uint32_t>(0xC80000));
        QCOMPARE(form.windowTitle(), QStringLiteral("Просмотр: round.rtf"));
        QVERIFY(!form.modified());

        // Plain-text mode shows the RTF source; saving as plain text writes the text.
        QVERIFY(form.loadFile(path, true));
        QVERIFY(ed->toPlainText().startsWith(QStringLiteral("{\\rtf1")));
        QVERIFY(form.loadFile(path, false));
        QVERIFY(form.saveFile(path + QStringLiteral(".txt"), false));
        QFile txt(path + QStringLiteral(".txt"));
        QVERIFY(txt.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(txt.readAll()), QStringLiteral("Жирный красный and the rest\ncentred\nbullet"));
    }

    void textWindowBadInputSearchAndPrint() {
        TTextForm form(nullptr, TTextForm::Role::Editor);
        form.setAttribute(Qt::WA_DeleteOnClose, false);
        // Windows-1251 text and a malformed RTF open with their readable text.
        writeFile(QStringLiteral("cp1251.txt"), QByteArray("\xcf\xf0\xe8\xe2\xe5\xf2 EMP"));
        QVERIFY(form.loadFile(programDir() + QStringLiteral("cp1251.txt"), false));
        QCOMPARE(form.editor()->toPlainText(), QStringLiteral("Привет EMP"));
        writeFile(QStringLiteral("bad.rtf"), QByteArray("{\\rtf1\\ansi {\\b broken \\'zz text"));
        QVERIFY(form.loadFile(programDir() + QStringLiteral("bad.rtf"), false));
        QVERIFY(form.editor()->toPlainText().contains(QStringLiteral("broken")));
        // A missing file gives a message and changes nothing.
        QStringList seen;
        answerBox(QStringLiteral("ErrorDisplay"), QMessageBox::Ok, &seen);
        QVERIFY(!form.loadFile(programDir() + QStringLiteral("absent.txt"), false));
        QCOMPARE(seen.size(), 1);
        QVERIFY(seen.first().contains(QStringLiteral("absent.txt")));

        // Search: forward from the end of the selection, case-sensitive.
        form.editor()->setPlainText(QStringLiteral("emp EMP x EMP"));
        QVERIFY(!form.findNext(QStringLiteral("Emp")));
        QVERIFY(form.findNext(QStringLiteral("EMP")));
        QCOMPARE(form.editor()->textCursor().selectionStart(), 4);
        QVERIFY(form.findNext(QStringLiteral("EMP")));
        QCOMPARE(form.editor()->textCursor().selectionStart(), 10);
        QVERIFY(!form.findNext(QStringLiteral("EMP")));

        // Printing goes to PDF as it would to a printer.
        for (bool oneFont : {false, true}) {
            QPrinter printer(QPrinter::HighResolution);
            const QString pdf = programDir() + (oneFont ? QStringLiteral("one.pdf") : QStringLiteral("rich.pdf"));
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            form.printTo(printer, oneFont);
            QFile f(pdf);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QVERIFY(f.read(5) == "%PDF-");
        }
    }

    void textWindowEnglishTexts() {
        setLanguageSetting(2);
        TTextForm form(nullptr, TTextForm::Role::Editor);
        form.setAttribute(Qt::WA_DeleteOnClose, false);
        QCOMPARE(form.findChild<QToolButton*>(QStringLiteral("OpenButton"))->toolTip(), QStringLiteral("Открыть"));
        form.prepare(QString(), QStringLiteral("Courier New Cyr"), Qt::WindowNoState);
        auto* open = form.findChild<QToolButton*>(QStringLiteral("OpenButton"));
        QCOMPARE(open->toolTip(), QStringLiteral("Open"));
        QCOMPARE(open->statusTip(), QStringLiteral("Open exist file"));
        QCOMPARE(form.findChild<QMenu*>(QStringLiteral("FileMenu"))->title(), QStringLiteral("&File"));
        QCOMPARE(form.windowTitle(), QStringLiteral("Rich Editor"));
    }

    void helpOpensContentsOrSaysWhy() {
        QDir(programDir()).mkpath(QStringLiteral("help"));
        writeFile(QStringLiteral("help/VLM32.html"), "<html><head><title>Velmar 32 - Help</title></head><body><h2>Contents</h2></body></html>");
        auto form = makeForm();
        QTest::keyClick(form->listBox(Side::Left), Qt::Key_F1);
        QVERIFY(form->helpForm() && form->helpForm()->isVisible());
        QVERIFY(form->helpForm()->browser()->toPlainText().contains(QStringLiteral("Contents")));
        // A reference file that is missing, and one that is not HTML, give messages.
        QStringList seen;
        answerBox(QStringLiteral("ErrorDisplay"), QMessageBox::Ok, &seen);
        form->action(QStringLiteral("MSSQLReference1"))->trigger();
        writeFile(QStringLiteral("BIN.HLP"), QByteArray("?_\x03\x00\x01\x02", 6));
        form->settings().oracleHelp = (programDir() + QStringLiteral("BIN.HLP")).toStdString();
        answerBox(QStringLiteral("ErrorDisplay"), QMessageBox::Ok, &seen);
        form->action(QStringLiteral("Oracle7SQLReference1"))->trigger();
        QCOMPARE(seen, (QStringList{QStringLiteral("Help file not found: HELPSQL.HLP"),
                                    QStringLiteral("Help file is neither HTML nor text: ") + programDir() + QStringLiteral("BIN.HLP")}));
    }

    void minimiseToTrayAndBack() {
        auto form = makeForm();
        form->showMinimized();
        QCoreApplication::processEvents();
        QVERIFY(!form->trayIcon()->active());
        form->showNormal();
        form->action(QStringLiteral("ShowTrayIconOnMinimize1"))->trigger();
        form->showMinimized();
        QTRY_VERIFY(!form->isVisible());
        QVERIFY(form->trayIcon()->active());
        QCOMPARE(form->trayIcon()->toolTip(), QStringLiteral("Velmar 32"));
        emit form->trayIcon()->OnDblClick();
        QVERIFY(form->isVisible());
        QVERIFY(!form->isMinimized());
        QVERIFY(!form->trayIcon()->active());
    }
};

}  // namespace

QTEST_MAIN(ShellFormsTest)
#include "shell_forms_test.moc"
