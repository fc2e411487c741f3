// The grid windows' shared parts.
#include "engine/dataset.h"

#include "datawin/gridparts.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QToolBar>
#include <QToolButton>
#include <optional>

#include "datawin/commands.h"
#include "datawin/dbgrid.h"
#include "datawin/report.h"
#include "shell/language.h"
#include "shell/prompts.h"
#include "shell/qtext.h"

namespace vlm::datawin {

using shell::pick;
using shell::toQ;

QToolButton* addToolButton(QToolBar* bar, const char* name, const QString& text, const QString& hint) {
    auto* b = new QToolButton(bar);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(text);
    b->setToolTip(hint);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    bar->addWidget(b);
    return b;
}

PrintPanel addPrintPanel(QToolBar* bar) {
    PrintPanel p;
    auto* frame = new QFrame(bar);
    frame->setObjectName(QStringLiteral("PanelPrintSum"));
    auto* row = new QHBoxLayout(frame);
    row->setContentsMargins(2, 0, 2, 0);
    row->setSpacing(1);
    p.BViewAndPrint = new QToolButton(frame);
    p.BViewAndPrint->setObjectName(QStringLiteral("BViewAndPrint"));
    p.BViewAndPrint->setText(QStringLiteral("Print"));
    p.BViewAndPrint->setToolTip(QStringLiteral("View in text and print dataset"));
    p.BViewAndPrint->setAutoRaise(true);
    p.BViewAndPrint->setFocusPolicy(Qt::NoFocus);
    p.CBPrintWithSum = new QCheckBox(frame);
    p.CBPrintWithSum->setObjectName(QStringLiteral("CBPrintWithSum"));
    p.CBPrintWithSum->setToolTip(QStringLiteral("Insert columns summary string to report"));
    p.CBCount = new QCheckBox(frame);
    p.CBCount->setObjectName(QStringLiteral("CBCount"));
    p.CBCount->setToolTip(QStringLiteral("Insert rows numbers to report"));
    row->addWidget(p.BViewAndPrint);
    row->addWidget(p.CBPrintWithSum);
    row->addWidget(p.CBCount);
    bar->addWidget(frame);
    return p;
}

void printDataset(QWidget* window, TDBGrid* grid, const std::string& programDir, bool numbers, bool sums) {
    engine::Dataset* ds = grid->dataset();
    if (!ds || !ds->active()) {
        windowPrompts(window).message(toQ(pick("Набор не открыт!", "Dataset not open!")));
        return;
    }
    const std::string file = programDir + "DATASET0.TXT";
    engine::Bookmark here = ds->bookmark();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    grid->setUpdatesEnabled(false);
    std::optional<shell::ErrorReport> error;
    try {
        writeNumberedReport(*ds, file, "", numbers, sums);
    } catch (const std::exception& e) {
        error = shell::errorReport(e);
    }
    try {
        if (here.valid()) ds->gotoBookmark(here);
    } catch (const std::exception&) {
        // the record is gone: the dataset stays where the report left it
    }
    grid->setUpdatesEnabled(true);
    grid->followDataset();
    QApplication::restoreOverrideCursor();
    if (error) {
        windowPrompts(window).error(*error);
        return;
    }
    showReportFile(toQ(file), QStringLiteral("View Data as Text"));
}

void addFieldViewers(QStackedWidget* panel, QPlainTextEdit*& memo, QLabel*& image) {
    memo = new QPlainTextEdit(panel);
    memo->setObjectName(QStringLiteral("DBMemo1"));
    memo->setReadOnly(true);
    image = new QLabel(panel);
    image->setObjectName(QStringLiteral("DBImage1"));
    image->setAlignment(Qt::AlignCenter);
    image->setFocusPolicy(Qt::StrongFocus);
    panel->addWidget(memo);
    panel->addWidget(image);
}

}  // namespace vlm::datawin
