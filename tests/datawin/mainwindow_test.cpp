// The data windows reached from the main window as a user does: F3, F4 and Alt+F8 on the
// panel, "View Data As Text", and the SQL command line with its history and Ctrl+J.
#include <gtest/gtest.h>

#include <unistd.h>

#include <QApplication>
#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QPushButton>
#include <QLineEdit>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "datawin/commands.h"
#include "datawin/dbgrid.h"
#include "datawin/formview.h"
#include "datawin/formviews.h"
#include "engine/drivers/local/dir/demo.h"
#include "engine/query.h"
#include "engine/table.h"
#include "panels/panelcontroller.h"
#include "panels/recordingprompts.h"
#include "panels/shellhooks.h"
#include "shell/formmain.h"
#include "shell/language.h"
#include "shell/windowsmenu.h"

using namespace vlm;
using namespace vlm::datawin;
namespace fs = std::filesystem;

namespace {

// The main window's messages and errors go into the fixture's list; questions answer Yes.
struct ListPrompts : RecordingPrompts {
    explicit ListPrompts(QStringList& out) : out_(out) {}
    void message(const QString& text) override { out_ << text; }
    void error(const vlm::shell::ErrorReport& r) override { out_ << QString::fromStdString(r.text); }
    using RecordingPrompts::error;
    QStringList& out_;
};

template <class T> QList<T*> openWindows() {
    QList<T*> out;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* t = qobject_cast<T*>(w); t && t->isVisible()) out << t;
    return out;
}

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        base_ = fs::temp_directory_path() / ("vlm-datawin-main-" + std::to_string(::getpid()));
        fs::remove_all(base_);
        fs::create_directories(base_ / "bin");
        const std::string dir = (base_ / "bin").string() + "/";
        for (const char* dic : {"VLMSQLC.DIC", "VLMSQLF.DIC", "VLMPLSQL.DIC"}) std::ofstream(base_ / "bin" / dic) << "SELECT\n";
        folder_ = (base_ / "data").string();
        fs::create_directories(folder_);
        engine::local::writeDemoFolder(folder_);
        std::ofstream(dir + "VLM32.INI") << "[DATABASE NAMES]\nLEFTDATABASE=" << folder_ << "\nRIGHTDATABASE=" << folder_
                                         << "\n[DATABASE LOGINS]\nLEFTUSERNAME=U\nLEFTUSERPASSWORD=P\nRIGHTUSERNAME=U\nRIGHTUSERPASSWORD=P\n[SETUP]\nLANGUAGE=2\n";
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString((base_ / "xdg").string()));
        reportSink = [this](const QString& f, const QString&) { report_ = f; };
        shell::TForm1::addCommandProvider(&registerCommands);
        form_ = new shell::TForm1(QString::fromStdString(dir), panels::makeShellHooks(std::make_shared<ListPrompts>(messages_)));
        form_->show();
        panels_ = panels::panelsOf(*form_);
        ASSERT_NE(panels_, nullptr);
        panels_->listView(shell::Side::Left)->setFocus();
        focus("CUSTOMER.DBF");
    }
    void TearDown() override {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<TFormView*>(w) || qobject_cast<TFormViewS*>(w)) w->close();
        QApplication::processEvents();
        delete form_;
        reportSink = nullptr;
        fs::remove_all(base_);
    }
    void focus(const QString& caption) {
        for (int i = 0; i < panels_->itemCount(shell::Side::Left); ++i)
            if (panels_->itemCaption(shell::Side::Left, i) == caption) {
                auto* v = panels_->listView(shell::Side::Left);
                v->setCurrentIndex(v->model()->index(i, 0));
            }
    }
    std::int64_t count(const std::string& table) {
        engine::Query q;
        q.setDatabaseName(folder_);
        q.setSql("select * from \"" + table + "\"");
        q.open();
        return q.recordCount();
    }

    fs::path base_;
    std::string folder_;
    shell::TForm1* form_ = nullptr;
    panels::TPanels* panels_ = nullptr;
    QStringList messages_;
    QString report_;
};

}  // namespace

TEST_F(MainWindow, FunctionKeysOpenTheTableWindows) {
    ASSERT_TRUE(form_->functionButton(QStringLiteral("BView"))->isEnabled());
    QTest::keyClick(panels_->listView(shell::Side::Left), Qt::Key_F3);
    auto views = openWindows<TFormView>();
    ASSERT_EQ(views.size(), 1) << messages_.join("\n").toStdString();
    EXPECT_EQ(views[0]->mode(), TFormView::Mode::View);
    EXPECT_EQ(views[0]->windowTitle(), QStringLiteral(" View DBASE:CUSTOMER.DBF"));
    // Listed in the Windows menu.
    EXPECT_GE(form_->windowsMenuService()->runningNumber(), 1);

    // F4 twice: one edit window, raised again for another table.
    QTest::keyClick(panels_->listView(shell::Side::Left), Qt::Key_F4);
    focus("ORDERS.DBF");
    QTest::keyClick(panels_->listView(shell::Side::Left), Qt::Key_F4);
    int edits = 0;
    for (TFormView* v : openWindows<TFormView>()) edits += v->mode() == TFormView::Mode::Edit;
    EXPECT_EQ(edits, 1);
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join("\n").toStdString();
}

TEST_F(MainWindow, ViewDataAsTextAndClearAllRecords) {
    form_->action(QStringLiteral("ViewDataAsText"))->trigger();
    ASSERT_FALSE(report_.isEmpty()) << messages_.join("\n").toStdString();
    std::ifstream in(report_.toStdString());
    std::string first;
    std::getline(in, first);
    EXPECT_EQ(first, "Таблица: CUSTOMER.DBF");

    ASSERT_GT(count("ORDERS.DBF"), 0);
    focus("ORDERS.DBF");
    QTest::keyClick(panels_->listView(shell::Side::Left), Qt::Key_F8, Qt::AltModifier);
    EXPECT_EQ(count("ORDERS.DBF"), 0) << messages_.join("\n").toStdString();
    // Packed: the file holds no deleted records any more.
    engine::Table t;
    t.setDatabaseName(folder_);
    t.setTableName("ORDERS.DBF");
    t.setShowDeleted(true);
    t.open();
    EXPECT_EQ(t.recordCount(), 0);
}

TEST_F(MainWindow, CommandLineRunsQueriesAndStatementsAndKeepsItsHistory) {
    QComboBox* esql = form_->commandLine();
    TFormViewS* r = runCommandLine(*panels_, QStringLiteral("  select * from \"CUSTOMER.DBF\""));
    ASSERT_NE(r, nullptr) << messages_.join("\n").toStdString();
    EXPECT_TRUE(r->windowTitle().endsWith(QStringLiteral(":   select * from \"CUSTOMER.DBF\"")));
    EXPECT_TRUE(r->statusText(0).startsWith(QStringLiteral("? ;  Time: 00:00:"))) << r->statusText(0).toStdString();

    messages_.clear();
    EXPECT_EQ(runCommandLine(*panels_, QStringLiteral("update \"CUSTOMER.DBF\" set CITY = CITY")), nullptr);
    ASSERT_EQ(messages_.size(), 1);
    EXPECT_TRUE(messages_[0].startsWith(QStringLiteral("SQL Executed Succesfully! Time: 00:00:")));
    EXPECT_TRUE(messages_[0].contains(QStringLiteral("\r\nRowsAffected: ")));
    EXPECT_TRUE(messages_[0].endsWith(QStringLiteral(" rows")));

    // An error: shown, not in the history. The same text twice: twice in the history.
    messages_.clear();
    runCommandLine(*panels_, QStringLiteral("update NOSUCH set A = 1"));
    EXPECT_EQ(messages_.size(), 1);
    runCommandLine(*panels_, QStringLiteral("update \"CUSTOMER.DBF\" set CITY = CITY"));
    EXPECT_EQ(esql->count(), 3);
    EXPECT_EQ(esql->itemText(0), QStringLiteral("  select * from \"CUSTOMER.DBF\""));

    // Ctrl+J appends the focused table's name to the text typed.
    esql->setFocus();
    esql->lineEdit()->setText(QStringLiteral("select * from "));
    // Typed keys go to the combo box, the focus widget, as a user's keys do.
    QTest::keyClick(esql, Qt::Key_J, Qt::ControlModifier);
    EXPECT_EQ(esql->lineEdit()->text(), QStringLiteral("select * from CUSTOMER.DBF"));
    EXPECT_EQ(esql->lineEdit()->cursorPosition(), esql->lineEdit()->text().size());
    // Enter runs the line: a query opens its result window.
    const auto before = openWindows<TFormViewS>().size();
    QTest::keyClick(esql, Qt::Key_Return);
    EXPECT_EQ(openWindows<TFormViewS>().size(), before + 1) << messages_.join("\n").toStdString();
    form_->action(QStringLiteral("Clearhistorylist1"))->trigger();
    EXPECT_EQ(esql->count(), 0);
    EXPECT_EQ(esql->lineEdit()->text(), QStringLiteral("select * from CUSTOMER.DBF"));
}
