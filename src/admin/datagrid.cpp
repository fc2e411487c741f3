// Read-only grids of the administration windows (see datagrid.h).
#include "admin/datagrid.h"

#include <QHeaderView>

#include "shell/qtext.h"

namespace vlm::admin {

QTableWidget* makeReadOnlyGrid(QWidget* parent) {
    auto* g = new QTableWidget(parent);
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->setSelectionBehavior(QAbstractItemView::SelectRows);
    g->setSelectionMode(QAbstractItemView::SingleSelection);
    g->verticalHeader()->setDefaultSectionSize(20);
    g->verticalHeader()->setVisible(false);
    return g;
}

void fillGrid(QTableWidget* grid, const TextRows& rows, const std::vector<GridColumn>& columns) {
    grid->clear();
    int n = int(rows.columns.size());
    grid->setColumnCount(n);
    grid->setRowCount(int(rows.rows.size()));
    QStringList headings;
    for (int c = 0; c < n; ++c)
        headings << (std::size_t(c) < columns.size() && !columns[std::size_t(c)].heading.isEmpty()
                         ? columns[std::size_t(c)].heading
                         : shell::toQ(rows.columns[std::size_t(c)]));
    grid->setHorizontalHeaderLabels(headings);
    for (int r = 0; r < int(rows.rows.size()); ++r)
        for (int c = 0; c < n && std::size_t(c) < rows.rows[std::size_t(r)].size(); ++c)
            grid->setItem(r, c, new QTableWidgetItem(shell::toQ(rows.rows[std::size_t(r)][std::size_t(c)])));
    QFontMetrics fm(grid->font());
    for (int c = 0; c < n; ++c) {
        const GridColumn* col = std::size_t(c) < columns.size() ? &columns[std::size_t(c)] : nullptr;
        grid->setColumnHidden(c, col && col->hidden);
        if (col && col->widthChars > 0)
            grid->setColumnWidth(c, fm.horizontalAdvance(QLatin1Char('W')) * col->widthChars * 2 / 3 + 8);
        else
            grid->resizeColumnToContents(c);
    }
    if (grid->rowCount() > 0) grid->setCurrentCell(0, 0);
}

std::string currentCell(const QTableWidget* grid, int column) {
    int r = grid->currentRow();
    if (r < 0) return {};
    const QTableWidgetItem* it = grid->item(r, column);
    return it ? shell::fromQ(it->text()) : std::string();
}

}  // namespace vlm::admin
