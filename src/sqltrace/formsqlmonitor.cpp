// The SQL monitor window.
#include "sqltrace/formsqlmonitor.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QAction>
#include <QVBoxLayout>

#include <algorithm>

namespace vlm::sqltrace {

TFormSQLMonitor::TFormSQLMonitor(QWidget* parent) : QWidget(parent, Qt::Window), model_(new TraceLogModel(this)) {
    setObjectName(QStringLiteral("FormSQLMonitor"));
    setWindowTitle(QStringLiteral("SQL Monitor"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(640, 400);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    MemoSQLMonitor = new QListView(this);
    MemoSQLMonitor->setObjectName(QStringLiteral("MemoSQLMonitor"));
    MemoSQLMonitor->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    MemoSQLMonitor->setUniformItemSizes(true);
    MemoSQLMonitor->setWordWrap(false);
    MemoSQLMonitor->setTextElideMode(Qt::ElideNone);
    MemoSQLMonitor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemoSQLMonitor->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemoSQLMonitor->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    MemoSQLMonitor->setSelectionMode(QAbstractItemView::ExtendedSelection);
    MemoSQLMonitor->setEditTriggers(QAbstractItemView::NoEditTriggers);
    MemoSQLMonitor->setModel(model_);
    auto* copy = new QAction(MemoSQLMonitor);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    connect(copy, &QAction::triggered, this, [this] { copySelection(); });
    MemoSQLMonitor->addAction(copy);
    layout->addWidget(MemoSQLMonitor);
}

void TFormSQLMonitor::setLines(TraceLog::Snapshot lines) {
    QFontMetrics fm(MemoSQLMonitor->font());
    // A fixed-pitch font: the longest line's width without measuring every line.
    int chars = int(std::min<std::size_t>(lines.longestLine(), 1u << 20));
    QSize item(fm.horizontalAdvance(QLatin1Char('W')) * chars + 2 * fm.horizontalAdvance(QLatin1Char(' ')),
               fm.height());
    model_->setLines(std::move(lines), item);
}

void TFormSQLMonitor::clearLines() { model_->clear(); }

void TFormSQLMonitor::copySelection() {
    QModelIndexList rows = MemoSQLMonitor->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QStringList text;
    for (const QModelIndex& i : rows) text << i.data().toString();
    QApplication::clipboard()->setText(text.join(QLatin1Char('\n')));
}

}  // namespace vlm::sqltrace
