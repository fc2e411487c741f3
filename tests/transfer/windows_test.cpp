// The append, compare and import/export windows reached from the main window as a user does,
// over two dBase directories in the panels (Qt offscreen).
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/batchmove.h"
#include "engine/database.h"
#include "engine/drivers/local/dir/demo.h"
#include "engine/query.h"
#include "engine/table.h"
#include "panels/panelcontroller.h"
#include "panels/recordingprompts.h"
#include "panels/shellhooks.h"
#include "shell/commandids.h"
#include "shell/formmain.h"
#include "shell/language.h"
#include "transfer/commands.h"
#include "transfer/formappend.h"
#include "transfer/formcompare.h"
#include "transfer/formexportimport.h"

using namespace vlm;
using namespace vlm::transfer;
using shell::Side;
namespace fs = std::filesystem;
namespace cmd = shell::cmd;

namespace {

struct ListPrompts : RecordingPrompts {
    explicit ListPrompts(QStringList& out) : out_(out) {}
    void message(const QString& text) override { out_ << text; }
    void error(const vlm::shell::ErrorReport& r) override { out_ << QString::fromStdString(r.text); }
    using RecordingPrompts::error;
    QStringList& out_;
};

std::string readAll(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

class Windows : public ::testing::Test {
protected:
    void SetUp() override {
        base_ = fs::temp_directory_path() / ("vlm-transfer-win-" + std::to_string(::getpid()));
        fs::remove_all(base_);
        fs::create_directories(base_ / "bin");
        const std::string bin = (base_ / "bin").string() + "/";
        for (const char* dic : {"VLMSQLC.DIC", "VLMSQLF.DIC", "VLMPLSQL.DIC"}) std::ofstream(base_ / "bin" / dic) << "SELECT\n";
        left_ = (base_ / "left").string();
        right_ = (base_ / "right").string();
        for (const auto& d : {left_, right_}) {
            fs::create_directories(d);
            engine::local::writeDemoFolder(d);
        }
        {   // An empty table of CUSTOMER's structure on the left: the append's destination.
            engine::Database db;
            db.setDatabaseName(left_);
            db.open();
            engine::Table from, to;
            from.setDatabase(&db);
            from.setTableName("CUSTOMER.DBF");
            to.setDatabase(&db);
            to.setTableName("EMPTY.DBF");
            engine::BatchMove m;
            m.source = &from;
            m.destination = &to;
            m.mode = engine::batCopy;
            m.execute();
            db.connection().emptyTable("EMPTY.DBF");
        }
        std::ofstream(bin + "VLM32.INI") << "[DATABASE NAMES]\nLEFTDATABASE=" << left_ << "\nRIGHTDATABASE=" << right_
                                         << "\n[DATABASE LOGINS]\nLEFTUSERNAME=U\nLEFTUSERPASSWORD=P\nRIGHTUSERNAME=U\nRIGHTUSERPASSWORD=P\n"
                                         << "[SETUP]\nLANGUAGE=2\n";
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString((base_ / "xdg").string()));
        shell::TForm1::addCommandProvider(&registerCommands);
        form_ = new shell::TForm1(QString::fromStdString(bin), panels::makeShellHooks(std::make_shared<ListPrompts>(messages_)));
        form_->show();
        panels_ = panels::panelsOf(*form_);
        ASSERT_NE(panels_, nullptr);
        focus(Side::Right, "CUSTOMER.DBF");
        focus(Side::Left, "CUSTOMER.DBF");
    }
    void TearDown() override {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<TFormAppend*>(w) || qobject_cast<TFormCompare*>(w) || qobject_cast<TFormExportImport*>(w)) w->close();
        QApplication::processEvents();
        delete form_;
        fs::remove_all(base_);
        shell::setLanguageSetting(0);
    }
    void focus(Side s, const QString& caption) {
        panels_->listView(s)->setFocus();
        panels_->panelEntry(s);
        for (int i = 0; i < panels_->itemCount(s); ++i)
            if (panels_->itemCaption(s, i) == caption) {
                auto* v = panels_->listView(s);
                v->setCurrentIndex(v->model()->index(i, 0));
            }
        ASSERT_EQ(panels_->itemCaption(s, panels_->focusedIndex(s)), caption);
    }
    long long count(const std::string& dir, const std::string& table) {
        engine::Query q;
        q.setDatabaseName(dir);
        q.setSql("select count(*) from \"" + table + "\"");
        q.open();
        return q.field(0).asInteger();
    }
    // Runs check on the modal window the command opens, then closes it.
    template <class W> void onModal(const std::function<void(W&)>& check) {
        QTimer::singleShot(0, [&] {
            auto* w = qobject_cast<W*>(QApplication::activeModalWidget());
            if (!w) {
                ADD_FAILURE() << "no modal window";
                return;
            }
            check(*w);
            w->close();
        });
    }

    fs::path base_;
    std::string left_, right_;
    shell::TForm1* form_ = nullptr;
    panels::TPanels* panels_ = nullptr;
    QStringList messages_;
};

TEST_F(Windows, AppendPreparesEditsItsMappingAndAppends) {
    focus(Side::Left, "EMPTY.DBF");
    for (auto id : {cmd::AppendFrom1, cmd::AppendFrom2}) EXPECT_TRUE(form_->commands().isEnabled(id));
    form_->commands().trigger(cmd::AppendFrom1);
    TFormAppend* w = nullptr;
    for (QWidget* t : QApplication::topLevelWidgets())
        if (auto* a = qobject_cast<TFormAppend*>(t); a && a->isVisible()) w = a;
    ASSERT_NE(w, nullptr) << messages_.join("\n").toStdString();
    form_->commands().trigger(cmd::AppendFrom2);   // single instance: raised again
    int open = 0;
    for (QWidget* t : QApplication::topLevelWidgets()) open += qobject_cast<TFormAppend*>(t) && t->isVisible();
    EXPECT_EQ(open, 1);
    EXPECT_EQ(w->ETableDest->text(), QStringLiteral("EMPTY.DBF"));
    EXPECT_EQ(w->EDBSource->text().toStdString(), right_);
    EXPECT_GE(w->ETableSource->findText(QStringLiteral("CUSTOMER.DBF")), 0);
    EXPECT_FALSE(w->BAppend->isEnabled());

    w->BPrepareClick();
    EXPECT_EQ(messages_.value(0), QStringLiteral("No source table name!"));
    // Enter before a Prepare appends nothing and keeps the window.
    w->ETableSource->setEditText(QStringLiteral("CUSTOMER.DBF"));
    QTest::keyClick(w->ETableSource, Qt::Key_Return);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(count(left_, "EMPTY.DBF"), 0);

    w->BPrepareClick();
    EXPECT_EQ(w->MemoSQL->toPlainText(), QStringLiteral("select * from CUSTOMER.DBF"));
    const QString maps = w->MemoMaps->toPlainText();
    EXPECT_TRUE(maps.startsWith(QStringLiteral("CUSTNO=CUSTNO\n"))) << maps.toStdString();
    EXPECT_TRUE(w->BAppend->isEnabled());
    // An edited mapping disables Append until the next Prepare, which keeps the edit.
    w->MemoMaps->setPlainText(maps.section(QLatin1Char('\n'), 0, 1));
    EXPECT_FALSE(w->BAppend->isEnabled());
    w->BPrepareClick();
    EXPECT_EQ(w->MemoMaps->toPlainText(), maps.section(QLatin1Char('\n'), 0, 1));
    messages_.clear();
    const long long rows = count(right_, "CUSTOMER.DBF");
    EXPECT_TRUE(w->BAppendClick());
    EXPECT_EQ(messages_, QStringList{QStringLiteral("Append OK !!!")});
    EXPECT_EQ(w->Status0->text(), QString::number(rows));
    EXPECT_EQ(w->Status1->text(), QStringLiteral(" records appended !"));
    EXPECT_EQ(count(left_, "EMPTY.DBF"), rows);

    // A failing append: the source query is wrong.
    w->MemoSQL->setPlainText(QStringLiteral("select * from NOSUCH.DBF"));
    w->BAppend->setEnabled(true);
    messages_.clear();
    EXPECT_FALSE(w->BAppendClick());
    EXPECT_EQ(w->Status0->text(), QStringLiteral("-1"));
    EXPECT_EQ(w->Status1->text(), QStringLiteral(" append failed!"));
    EXPECT_EQ(messages_.last(), QStringLiteral("Append Failed !!!"));
    EXPECT_EQ(count(left_, "EMPTY.DBF"), rows);
    QTest::keyClick(w, Qt::Key_Escape);
    EXPECT_FALSE(w->isVisible());
}

TEST_F(Windows, CompareShowsTheLogInTheWindow) {
    EXPECT_TRUE(form_->commands().isEnabled(cmd::Comparetables1));
    const std::string log = (base_ / "TBLSCOMP.LOG").string();
    bool checked = false;
    onModal<TFormCompare>([&](TFormCompare& w) {
        EXPECT_EQ(w.PNameLeft->text(), QStringLiteral("CUSTOMER.DBF"));
        EXPECT_EQ(w.PNameRight->text(), QStringLiteral("CUSTOMER.DBF"));
        for (QCheckBox* c : {w.CBType, w.CBRCount, w.CBDataCompare, w.CBKey}) EXPECT_FALSE(c->isChecked());
        w.logPath = log;
        w.CBRCount->setChecked(true);
        w.CBType->setChecked(true);
        w.CBDataCompare->setChecked(true);
        w.BCompareClick();
        EXPECT_EQ(w.StatusBar1->text(), QStringLiteral("Comared Ok!"));
        EXPECT_TRUE(w.MemoCompare->toPlainText().contains(QStringLiteral("ROW COUNT - CUSTOMER.DBF(")));
        EXPECT_EQ(w.MemoCompare->toPlainText(), QString::fromStdString(readAll(log)).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        checked = true;
    });
    form_->commands().trigger(cmd::Comparetables1);
    EXPECT_TRUE(checked);
    // Against another table: differences, and by key.
    focus(Side::Right, "ORDERS.DBF");
    focus(Side::Left, "CUSTOMER.DBF");
    auto* w = makeCompare(*panels_);
    ASSERT_NE(w, nullptr);
    w->logPath = log;
    w->CBRCount->setChecked(true);
    w->BCompareClick();
    EXPECT_TRUE(w->StatusBar1->text().endsWith(QStringLiteral(" comared errors!"))) << w->StatusBar1->text().toStdString();
    w->close();
}

TEST_F(Windows, ExportAndImportThroughTheWindow) {
    EXPECT_TRUE(form_->commands().isEnabled(cmd::ImportExportData1));
    bool checked = false;
    onModal<TFormExportImport>([&](TFormExportImport& w) {
        EXPECT_EQ(w.windowTitle(), QStringLiteral("Export / Import Data:CUSTOMER.DBF"));
        EXPECT_TRUE(w.RBDBase->isChecked());
        EXPECT_FALSE(w.BExport->isEnabled());
        EXPECT_FALSE(w.GBText->isEnabled());
        w.RBExcel->setChecked(true);
        EXPECT_TRUE(w.BExport->isEnabled());
        EXPECT_FALSE(w.BImport->isEnabled());
        w.RBText->setChecked(true);
        EXPECT_TRUE(w.GBText->isEnabled() && w.BExport->isEnabled() && w.BImport->isEnabled());
        checked = true;
    });
    form_->commands().trigger(cmd::ImportExportData1);
    EXPECT_TRUE(checked);

    // Export CUSTOMER as text, then import it into the empty copy.
    auto* w = makeExportImport(*panels_);
    ASSERT_NE(w, nullptr);
    const QString file = QString::fromStdString((base_ / "cust.txt").string());
    w->saveFile = [&](const QString&, const QString&, const QString&) { return file; };
    w->RBText->setChecked(true);
    w->EDelimiters->setText(QStringLiteral(" "));
    w->BExportClick();
    EXPECT_EQ(messages_.value(0), QStringLiteral("No Delimiter!!!"));
    w->EDelimiters->setText(QStringLiteral("|"));
    w->EFieldList->setText(QStringLiteral("CUSTNO,NAME"));
    w->BExportClick();
    const std::string text = readAll(file.toStdString());
    EXPECT_EQ(text.substr(0, text.find("\r\n", text.find("\r\n") + 2)), "2\r\nCUSTNO|NAME|") << text;
    w->EFieldList->clear();
    w->BExportClick();
    w->close();
    focus(Side::Left, "EMPTY.DBF");
    w = makeExportImport(*panels_);
    w->openFile = [&](const QString&, const QString&, const QString&) { return file; };
    w->RBText->setChecked(true);
    w->EDelimiters->setText(QStringLiteral("|"));
    w->BImportClick();
    EXPECT_EQ(count(left_, "EMPTY.DBF"), count(left_, "CUSTOMER.DBF")) << messages_.join("\n").toStdString();
    EXPECT_TRUE(w->StatusBar1->text().contains(QStringLiteral("records imported"))) << w->StatusBar1->text().toStdString();
    // A dBase import from the other directory, and a wrong delimiter refused.
    w->RBDBase->setChecked(true);
    w->openFile = [&](const QString&, const QString&, const QString&) {
        return QString::fromStdString(right_ + "/CUSTOMER.DBF");
    };
    w->BImportClick();
    EXPECT_EQ(count(left_, "EMPTY.DBF"), 2 * count(left_, "CUSTOMER.DBF"));
    messages_.clear();
    w->RBText->setChecked(true);
    w->EDelimiters->setText(QStringLiteral(";"));
    w->openFile = [&](const QString&, const QString&, const QString&) { return file; };
    w->BImportClick();
    ASSERT_FALSE(messages_.isEmpty());
    EXPECT_TRUE(messages_.last().contains(QStringLiteral("Mismatch format of text file !"))) << messages_.last().toStdString();
    w->close();

    // The spreadsheet: opened by the desktop's program, or the path when none opens it.
    focus(Side::Left, "CUSTOMER.DBF");
    w = makeExportImport(*panels_);
    w->workbookDir = QString::fromStdString(base_.string());
    QString opened;
    w->openWorkbook = [&](const QString& p) {
        opened = p;
        return true;
    };
    w->RBExcel->setChecked(true);
    messages_.clear();
    w->BExportClick();
    EXPECT_EQ(opened, QString::fromStdString((base_ / "CUSTOMER.DBF.xlsx").string()));
    EXPECT_TRUE(fs::exists(opened.toStdString()));
    EXPECT_EQ(messages_, QStringList{QStringLiteral("Select <Excel> on taskbar for use!")});
    w->openWorkbook = [](const QString&) { return false; };
    messages_.clear();
    w->BExportClick();
    EXPECT_EQ(messages_, QStringList{QStringLiteral("Excel cannot be lunched\r") + opened});
    w->close();
}

TEST_F(Windows, RussianCaptions) {
    shell::setLanguageSetting(1);
    auto* c = makeCompare(*panels_);
    EXPECT_EQ(c->windowTitle(), QStringLiteral("Сравнение таблиц"));
    EXPECT_EQ(c->CBKey->text(), QStringLiteral("По первичному ключу"));
    c->close();
    auto* e = makeExportImport(*panels_);
    EXPECT_EQ(e->windowTitle(), QStringLiteral("Экспорт/импорт данных:CUSTOMER.DBF"));
    e->close();
    auto* a = openAppend(*panels_);
    EXPECT_EQ(a->windowTitle(), QStringLiteral("Добавление записей в таблицу"));
    EXPECT_EQ(a->CBSameDB->text(), QStringLiteral("Таже БД"));
    // Same Database: the source list comes from the active panel and its alias is hidden.
    a->CBSameDB->click();
    EXPECT_FALSE(a->EDBSource->isVisible());
    EXPECT_GE(a->ETableSource->findText(QStringLiteral("EMPTY.DBF")), 0);
    a->close();
}

}  // namespace
