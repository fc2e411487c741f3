// The main window and its panels at the designed 640-pixel width under Qt Test (offscreen):
// the command line's width and typing, grid lines over selected rows, long names in the size
// bar, sorting with a selection, Qt's own Russian button texts, the tool bar, the Russian menu
// bar, the size bar after choosing a database and the table-list window's font.
#include "panels/panelcontroller.h"
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontInfo>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSplitter>
#include <QTest>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>
#include <set>

#include "engine/drivers/local/dir/demo.h"
#include "panels/recordingprompts.h"
#include "panels/shellhooks.h"
#include "shell/formmain.h"
#include "shell/language.h"
#include "shell/paneltitle.h"
#include "shell/textform.h"

using namespace vlm;
using panels::Side;
namespace fs = std::filesystem;

namespace {
// 46 characters, a dBase table of the folder "many".
const std::string kLongName = "A_TABLE_NAME_OF_FORTY_SIX_CHARACTERS_FOR_A_BAR";

void settle() {
    for (int i = 0; i < 10; ++i) QApplication::processEvents();
}

std::set<QString> selectedCaptions(QTreeWidget* t) {
    std::set<QString> out;
    for (QTreeWidgetItem* it : t->selectedItems()) out.insert(it->text(0));
    return out;
}
}  // namespace

class PanelsWindowTest : public QObject {
    Q_OBJECT
    fs::path base_;
    QString programDir_;
    std::string demo_, many_;
    shell::TForm1* form_ = nullptr;
    panels::TPanels* panels_ = nullptr;

    void open(const std::string& left, const std::string& right, const std::string& setup = {}) {
        delete form_;
        form_ = nullptr;
        std::ofstream(programDir_.toStdString() + "VLM32.INI")
            << "[DATABASE NAMES]\nLEFTDATABASE=" << left << "\nRIGHTDATABASE=" << right
            << "\n[DATABASE LOGINS]\nLEFTUSERNAME=U\nLEFTUSERPASSWORD=P\nRIGHTUSERNAME=U\nRIGHTUSERPASSWORD=P\n"
            << "[SETUP]\n" << setup;
        form_ = new shell::TForm1(programDir_, panels::makeShellHooks(std::make_shared<RecordingPrompts>()));
        form_->show();
        form_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form_));
        panels_ = panels::panelsOf(*form_);
        QVERIFY(panels_);
        settle();
    }
    int indexOf(Side s, const QString& caption) {
        for (int i = 0; i < panels_->itemCount(s); ++i)
            if (panels_->itemCaption(s, i) == caption) return i;
        return -1;
    }
    QImage grabList(Side s) {
        QTreeWidget* t = panels_->tree(s);
        t->viewport()->update();
        settle();
        return t->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

private slots:
    void initTestCase() {
        base_ = fs::temp_directory_path() / "vlm_panels_window";
        fs::remove_all(base_);
        fs::create_directories(base_ / "bin");
        programDir_ = QString::fromStdString((base_ / "bin").string() + "/");
        for (const char* dic : {"VLMSQLC.DIC", "VLMSQLF.DIC", "VLMPLSQL.DIC"}) std::ofstream(base_ / "bin" / dic) << "SELECT\n";
        demo_ = (base_ / "demo").string();
        many_ = (base_ / "many").string();
        fs::create_directories(demo_);
        fs::create_directories(many_);
        engine::local::writeDemoFolder(demo_);
        // Forty copies of the customer table (more than the list shows at once) and one with a
        // 46-character name.
        const fs::path customer = fs::path(demo_) / "CUSTOMER.DBF";
        QVERIFY(fs::exists(customer));
        for (int i = 0; i < 40; ++i) {
            char n[16];
            std::snprintf(n, sizeof n, "T%02d.DBF", i);
            fs::copy_file(customer, fs::path(many_) / n);
        }
        fs::copy_file(customer, fs::path(many_) / (kLongName + ".DBF"));
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString((base_ / "data").string()));
        shell::setLanguageSetting(0);
    }
    void cleanupTestCase() { delete form_; }

    // The caption is as wide as its text; the command line gets the rest of the row and takes
    // what is typed after Ctrl+Q.
    void commandLineTakesTheRow_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("russian");
        QTest::newRow("640") << 640 << false;
        QTest::newRow("1000") << 1000 << false;
        QTest::newRow("640 ru") << 640 << true;
    }
    void commandLineTakesTheRow() {
        QFETCH(int, width);
        QFETCH(bool, russian);
        open(demo_, many_);
        if (russian) form_->NRussianLangClick();
        form_->resize(width, form_->height());
        settle();
        QCOMPARE(form_->width(), width);
        QLabel* label = form_->labelSql();
        QComboBox* esql = form_->commandLine();
        QCOMPARE(label->width(), label->sizeHint().width());
        QVERIFY(label->width() < 150);
        QCOMPARE(esql->width(), form_->width() - label->width() - 6);
        QTest::keyClick(panels_->listView(Side::Left), Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(esql->hasFocus());
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("select * from T01"));
        QCOMPARE(esql->currentText(), QStringLiteral("select * from T01"));
        // The typed text is inside the visible edit, not cut to a sliver.
        QVERIFY(esql->lineEdit()->width() > esql->fontMetrics().horizontalAdvance(esql->currentText()));
        if (russian) form_->NEnglishLangClick();
    }

    // With grid lines, a selected row looks as it does without them (the lines aside), in the
    // default panel colour and a dark one with a light font.
    void gridLinesKeepSelectedRowsReadable_data() {
        QTest::addColumn<int>("panelColour");
        QTest::addColumn<int>("fontColour");
        QTest::newRow("default") << -1 << -1;
        QTest::newRow("navy, yellow font") << 0x800000 << 0x00ffff;   // BGR colour values
    }
    void gridLinesKeepSelectedRowsReadable() {
        QFETCH(int, panelColour);
        QFETCH(int, fontColour);
        open(demo_, many_);
        if (panelColour >= 0) {
            panels_->settings().panelsColor = panelColour;
            panels_->settings().panelFont.colour = fontColour;
            panels_->applyPanelColour();
            panels_->applyPanelFont();
        }
        panels_->setViewStyle(panels::ViewStyle::Report);
        for (Side s : {Side::Left, Side::Right}) {
            QTreeWidget* t = panels_->tree(s);
            t->clearSelection();
            t->topLevelItem(1)->setSelected(true);
            t->topLevelItem(2)->setSelected(true);
            t->setCurrentItem(t->topLevelItem(2), 0, QItemSelectionModel::NoUpdate);
        }
        panels_->listView(Side::Left)->setFocus();
        settle();
        const QImage plain[2] = {grabList(Side::Left), grabList(Side::Right)};
        form_->action(QStringLiteral("ReportGridLines"))->trigger();
        QVERIFY(form_->action(QStringLiteral("ReportGridLines"))->isChecked());
        const QImage lined[2] = {grabList(Side::Left), grabList(Side::Right)};
        for (Side s : {Side::Left, Side::Right}) {
            const int k = s == Side::Left ? 0 : 1;
            QTreeWidget* t = panels_->tree(s);
            std::set<int> columnEdges;
            for (int c = 0; c < t->columnCount(); ++c)
                columnEdges.insert(t->header()->sectionViewportPosition(c) + t->header()->sectionSize(c) - 1);
            for (int row : {1, 2, 3}) {
                const QRect r = t->visualItemRect(t->topLevelItem(row));
                int differing = 0;
                for (int y = r.top(); y < r.bottom(); ++y)
                    for (int x = r.left(); x <= std::min(r.right(), plain[k].width() - 1); ++x)
                        if (!columnEdges.count(x) && plain[k].pixel(x, y) != lined[k].pixel(x, y)) ++differing;
                QVERIFY2(differing == 0, qPrintable(QStringLiteral("row %1 of side %2: %3 pixels differ")
                                                        .arg(row).arg(k).arg(differing)));
                // The line under the row is there.
                QCOMPARE(QColor(lined[k].pixel(r.left() + 2, r.bottom())), QColor(0xc0, 0xc0, 0xc0));
            }
        }
        form_->action(QStringLiteral("ReportGridLines"))->trigger();
        QVERIFY(!form_->action(QStringLiteral("ReportGridLines"))->isChecked());
    }

    // A 46-character table name is elided in the size bar: the window keeps 640 pixels, the
    // halves stay equal, the other fields keep their share, and the saved width is 640.
    void longNameInSizeBarKeepsTheWindow() {
        open(many_, demo_, "AUTOSAVE=1\n");
        QCOMPARE(form_->width(), 640);
        const QList<int> halves = form_->panelMain()->sizes();
        const int sizeWidth = form_->sizeSize(Side::Right)->width();
        const int i = indexOf(Side::Left, QString::fromStdString(kLongName + ".DBF"));
        QVERIFY(i >= 0);
        QTreeWidget* t = panels_->tree(Side::Left);
        t->scrollToItem(t->topLevelItem(i));
        const QRect r = t->visualItemRect(t->topLevelItem(i));
        QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, r.center());
        settle();
        auto* name = qobject_cast<shell::TPanelTitle*>(form_->sizeName(Side::Left));
        QVERIFY(name);
        QVERIFY(name->text().contains(QString::fromStdString(kLongName)));
        QVERIFY(name->displayedText() != name->text());
        QCOMPARE(name->toolTip(), name->text());
        QCOMPARE(form_->width(), 640);
        QCOMPARE(form_->panelMain()->sizes(), halves);
        QCOMPARE(form_->sizeSize(Side::Right)->width(), sizeWidth);
        QVERIFY(form_->sizeDateTime(Side::Left)->width() > 60);
        form_->shutdownStep();
        std::ifstream in(programDir_.toStdString() + "VLM32.INI");
        const std::string ini((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        QVERIFY2(ini.find("MAINFORMWIDTH=640") != std::string::npos, ini.c_str());
    }

    // Sorting and unsorting (menu and tool bar) keep the selection and the focused item, which
    // stays in view.
    void sortingKeepsSelectionAndFocus() {
        open(many_, demo_);
        QTreeWidget* t = panels_->tree(Side::Left);
        panels_->listView(Side::Left)->setFocus();
        panels_->groupSelectWithMask(Side::Left, true, QStringLiteral("t1*"));
        const std::set<QString> chosen = selectedCaptions(t);
        QCOMPARE(int(chosen.size()), 10);
        const QString focused = QStringLiteral("T35.DBF");
        t->setCurrentItem(t->topLevelItem(indexOf(Side::Left, focused)), 0, QItemSelectionModel::NoUpdate);
        const char* steps[] = {"NAlphabeticLeft", "NUnsortedLeft", "BSort", "BUnSort"};
        for (const char* step : steps) {
            if (QAction* a = form_->action(QString::fromLatin1(step))) a->trigger();
            else form_->toolButton(QString::fromLatin1(step))->click();
            settle();
            QVERIFY2(selectedCaptions(t) == chosen, step);
            QCOMPARE(panels_->focusedIndex(Side::Left), indexOf(Side::Left, focused));
            QCOMPARE(form_->statusPanel(2)->text(), QStringLiteral("10"));
            const QRect shown = t->visualRect(t->currentIndex());
            QVERIFY2(shown.top() >= 0 && shown.bottom() < t->viewport()->height(),
                     qPrintable(QStringLiteral("%1: row %2 at %3,%4 in %5x%6").arg(QLatin1String(step)).arg(t->currentIndex().row())
                                    .arg(shown.top()).arg(shown.bottom()).arg(t->viewport()->width()).arg(t->viewport()->height())));
        }
    }

    // Yes, No, OK and Cancel speak Russian while the language is Russian, and English again after.
    void russianStandardButtons() {
        open(demo_, many_);
        auto texts = [] {
            QMessageBox box(QMessageBox::Question, QStringLiteral("t"), QStringLiteral("q"),
                            QMessageBox::Yes | QMessageBox::No | QMessageBox::Ok | QMessageBox::Cancel);
            QStringList out;
            for (auto b : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Ok, QMessageBox::Cancel})
                out << box.button(b)->text().remove(QLatin1Char('&'));
            return out;
        };
        QCOMPARE(texts(), QStringList({"Yes", "No", "OK", "Cancel"}));
        form_->NRussianLangClick();
        QCOMPARE(texts(), QStringList({"Да", "Нет", "OK", "Отмена"}));
        form_->NEnglishLangClick();
        QCOMPARE(texts(), QStringList({"Yes", "No", "OK", "Cancel"}));
    }

    // At 640 pixels (also after the window was wider) the whole tool bar shows (List included)
    // and, in Russian, every top menu has its place in the menu bar; no overflow arrow.
    void toolBarAndRussianMenuBarFit() {
        open(demo_, many_);
        QCOMPARE(form_->width(), 640);
        // A window made wider can be made narrow again (the keys' widths follow it).
        form_->resize(1000, form_->height());
        settle();
        QCOMPARE(form_->width(), 1000);
        form_->resize(640, form_->height());
        settle();
        QCOMPARE(form_->width(), 640);
        QToolBar* bar = form_->upperToolBar();
        QToolButton* list = form_->toolButton(QStringLiteral("BList"));
        QVERIFY(list->isVisible());
        QVERIFY(list->geometry().right() < bar->width());
        auto* ext = bar->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button"));
        QVERIFY(!ext || !ext->isVisible());
        for (bool ru : {false, true}) {
            if (ru) form_->NRussianLangClick();
            settle();
            QMenuBar* mb = form_->menuBar();
            for (QAction* a : mb->actions()) {
                const QRect g = mb->actionGeometry(a);
                QVERIFY2(!g.isEmpty() && g.right() < mb->width(), qPrintable(a->text()));
            }
            auto* more = mb->findChild<QToolButton*>(QStringLiteral("qt_menubar_ext_button"));
            QVERIFY(!more || !more->isVisible());
        }
        QCOMPARE(form_->menu(QStringLiteral("NRight"))->title(), QStringLiteral("Правая панель"));
        form_->NEnglishLangClick();
    }

    // Choosing another database: the size bar shows the new list's focused item.
    void sizeBarFollowsAChosenDatabase() {
        open(many_, "");
        QTreeWidget* t = panels_->tree(Side::Left);
        const int i = indexOf(Side::Left, QString::fromStdString(kLongName + ".DBF"));
        t->scrollToItem(t->topLevelItem(i));
        QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, t->visualItemRect(t->topLevelItem(i)).center());
        settle();
        QVERIFY(form_->sizeName(Side::Left)->text().contains(QString::fromStdString(kLongName)));
        panels_->runLogin = [](const QString&, std::string& u, std::string& p) { u = "U"; p = "P"; return true; };
        panels_->chooseDatabase(Side::Left, QString::fromStdString(demo_));
        settle();
        QVERIFY(panels_->itemCount(Side::Left) > 0);
        QCOMPARE(panels_->focusedIndex(Side::Left), 0);
        const QString first = panels_->itemCaption(Side::Left, 0);
        QVERIFY(!form_->sizeName(Side::Left)->text().contains(QString::fromStdString(kLongName)));
        QVERIFY2(first.startsWith(form_->sizeName(Side::Left)->text(), Qt::CaseInsensitive) ||
                     form_->sizeName(Side::Left)->text().startsWith(first.section(QLatin1Char('.'), 0, 0), Qt::CaseInsensitive),
                 qPrintable(form_->sizeName(Side::Left)->text() + " / " + first));
    }

    // "Get Table's List": the 40-column padding lines up in a fixed-pitch font.
    void tableListTextIsFixedPitch() {
        open(many_, demo_);
        panels_->listView(Side::Left)->setFocus();
        settle();
        const auto before = form_->findChildren<shell::TTextForm*>();
        form_->action(QStringLiteral("GetTablesList1"))->trigger();
        settle();
        shell::TTextForm* list = nullptr;
        for (shell::TTextForm* f : form_->findChildren<shell::TTextForm*>())
            if (!before.contains(f)) list = f;
        QVERIFY(list);
        QVERIFY(QFontInfo(list->editor()->font()).fixedPitch());
        QVERIFY(QFontInfo(list->editor()->document()->defaultFont()).fixedPitch());
        const QString first = panels_->itemCaption(Side::Left, 0);
        QVERIFY2(list->editor()->toPlainText().startsWith(first.left(40).leftJustified(40) + QLatin1Char('\n')),
                 qPrintable(first + QLatin1Char('|') + list->editor()->toPlainText().left(100)));
        list->close();
    }
};

QTEST_MAIN(PanelsWindowTest)
#include "window_test.moc"
