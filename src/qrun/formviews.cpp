// The query runner's window (see formviews.h).
#include "engine/database.h"
#include "engine/query.h"

#include "qrun/formviews.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QShowEvent>
#include <QSplitter>
#include <QStackedWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <chrono>

#include "datawin/dbgrid.h"
#include "shell/prompts.h"
#include "datawin/dialogs.h"
#include "datawin/formsearch.h"
#include "datawin/report.h"
#include "datawin/viewlogic.h"
#include "shell/errordisplay.h"
#include "shell/qtext.h"
#include "shell/textform.h"

namespace vlm::qrun {

using shell::toQ;

namespace {

using Clock = std::chrono::steady_clock;

QString elapsedSince(Clock::time_point t0) {
    return toQ(datawin::elapsedText(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t0)));
}

// The window's prompts: the application's error display unless prompts were handed in.
void showError(const std::exception& e, QWidget* parent) { datawin::windowPrompts(parent).error(e); }

void hideToolBarWidget(QToolBar* bar, QWidget* w) {
    for (QAction* a : bar->actions())
        if (bar->widgetForAction(a) == w) a->setVisible(false);
}

}  // namespace

TFormViewS::TFormViewS(const QueryRunnerStart& start, QString reportDir, QWidget* parent)
    : datawin::TFormViewS(std::string(), parent), database_(std::make_unique<engine::Database>()),
      reportDir_(std::move(reportDir)) {
    applyRussianTexts();
    setWindowTitle(toQ(queryRunnerCaption(start.alias)));

    // The tool bar: BGo, BShowMemo, BSearch, BSumCol, BViewAndPrint, BExit.
    hideToolBarWidget(ToolBar1, DBNavigator1);
    hideToolBarWidget(ToolBar1, CheckListBox1);
    for (QAction* a : ToolBar1->actions())
        if (a->isSeparator()) a->setVisible(false);
    CBPrintWithSum->hide();
    CBCount->hide();
    BGo = new QToolButton(ToolBar1);
    BGo->setObjectName(QStringLiteral("BGo"));
    BGo->setText(QStringLiteral("Go"));
    BGo->setToolTip(QStringLiteral("Execute SQL Statement"));
    BGo->setAutoRaise(true);
    BGo->setFocusPolicy(Qt::NoFocus);
    ToolBar1->insertWidget(ToolBar1->actions().value(0), BGo);

    // MemoQuery above the grid, with a splitter.
    MemoQuery = new QPlainTextEdit(this);
    MemoQuery->setObjectName(QStringLiteral("MemoQuery"));
    MemoQuery->setPlainText(toQ(start.statement));
    auto* box = static_cast<QVBoxLayout*>(layout());
    const int at = box->indexOf(Panel1);
    box->removeWidget(Panel1);
    Splitter1 = new QSplitter(Qt::Vertical, this);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->addWidget(MemoQuery);
    Splitter1->addWidget(Panel1);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({90, 300});
    box->insertWidget(at, Splitter1, 1);

    // The pop-up menu holds only "Make non visible column".
    for (QAction* a : PopupMenu1->actions())
        if (a != Makenonvisiblecolumn1) PopupMenu1->removeAction(a);

    const int widths[4] = {200, 200, 100, 50};
    for (int i = 0; i < 4; ++i) status[i]->setMinimumWidth(widths[i]);

    // The runner's own report and search in place of the result window's.
    disconnect(BViewAndPrint, nullptr, this, nullptr);
    connect(BViewAndPrint, &QToolButton::clicked, this, &TFormViewS::BViewAndPrintClick);
    disconnect(BSearch, nullptr, this, nullptr);
    connect(BSearch, &QToolButton::clicked, this, &TFormViewS::BSearchClick);
    auto gridKeys = DBGrid1->keyHandler;
    DBGrid1->keyHandler = [this, gridKeys](QKeyEvent* e) {
        if (e->key() == Qt::Key_F7 && !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            BSearchClick();
            return true;
        }
        return gridKeys && gridKeys(e);
    };
    connect(BGo, &QToolButton::clicked, this, [this] { BGoClick(); });

    database_->setDatabaseName(start.alias);
    database_->params() = loginParams(start.user, start.password);
    Query1().setSql(start.statement);

    textForm_ = new shell::TTextForm(this, shell::TTextForm::Role::SharedViewer);
    resize(760, 520);
}

TFormViewS::~TFormViewS() {
    // The query and its prepared statement go before the connection they belong to.
    try {
        Query1().unprepare();
    } catch (const std::exception&) {
        // Closing a cursor of a connection that went away: nothing left to release.
    }
    database_->close();
}

QString TFormViewS::reportFile() const {
    const QString dir = reportDir_.isEmpty() ? QDir::currentPath() + QLatin1Char('/') : reportDir_;
    return dir + QStringLiteral("DataSet0.TXT");
}

void TFormViewS::showEvent(QShowEvent* e) {
    datawin::TFormViewS::showEvent(e);
    if (!startedUp_) QTimer::singleShot(0, this, [this] { startUp(); });
}

bool TFormViewS::startUp() {
    if (startedUp_) return Query1().active();
    startedUp_ = true;
    repaint();
    return connectDatabase() && openQuery1();
}

bool TFormViewS::connectDatabase() {
    if (database_->connected()) return true;
    const auto t0 = Clock::now();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        database_->open();
        Query1().setDatabase(database_.get());
    } catch (const std::exception& e) {
        QApplication::restoreOverrideCursor();
        showError(e, this);
        return false;
    }
    QApplication::restoreOverrideCursor();
    status[0]->setText(QStringLiteral("ConnectTime= ") + elapsedSince(t0));
    repaint();
    return true;
}

bool TFormViewS::openQuery1() {
    const auto t0 = Clock::now();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        openQuery();
    } catch (const std::exception& e) {
        QApplication::restoreOverrideCursor();
        DBGrid1->reload();
        showError(e, this);
        return false;
    }
    QApplication::restoreOverrideCursor();
    status[1]->setText(QStringLiteral("QueryTime= ") + elapsedSince(t0));
    return true;
}

bool TFormViewS::BGoClick() {
    startedUp_ = true;
    if (Panel1->currentWidget() != DBGrid1) closeViewer();
    if (!connectDatabase()) return false;
    Query1().close();
    DBGrid1->reload();
    Query1().setSql(shell::fromQ(MemoQuery->toPlainText()));
    return openQuery1();
}

void TFormViewS::BSearchClick() {
    // Each search dialog of the runner starts with an empty history.
    datawin::TFormSearch::history().clear();
    datawin::openSearchDialog(DBGrid1, this);
}

void TFormViewS::BViewAndPrintClick() {
    engine::Query& q = Query1();
    if (!q.active()) {
        datawin::windowPrompts(this).message(QStringLiteral("Набор не открыт!"));
        return;
    }
    const QString file = reportFile();
    const engine::Bookmark here = q.bookmark();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    DBGrid1->setUpdatesEnabled(false);
    std::string error;
    try {
        datawin::writePlainReportFromCurrent(q, shell::fromQ(file), "");
    } catch (const std::exception& e) {
        error = e.what();
    }
    try {
        if (here.valid()) q.gotoBookmark(here);
    } catch (const std::exception& e) {
        if (error.empty()) error = e.what();
    }
    DBGrid1->setUpdatesEnabled(true);
    DBGrid1->followDataset();
    QApplication::restoreOverrideCursor();
    if (!error.empty()) {
        datawin::windowPrompts(this).error(toQ(error));
        return;
    }
    if (textForm_->isVisible()) {
        textForm_->showNormal();
        textForm_->raise();
        textForm_->activateWindow();
        return;
    }
    textForm_->prepare(file, QStringLiteral("Courier New Cyr"), Qt::WindowNoState);
    textForm_->show();
}

}  // namespace vlm::qrun
