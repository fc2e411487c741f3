// A read-only grid over rows read as text, with the columns' headings and widths in characters;
// the administration windows show their catalog reads in it.
#pragma once

#include <QTableWidget>
#include <string>
#include <vector>

#include "admin/sqlrun.h"

namespace vlm::admin {

struct GridColumn {
    QString heading;
    int widthChars = 0;     // 0: as wide as the heading and values need
    bool hidden = false;
};

// Fills the grid; columns beyond those given take the field names as headings.
void fillGrid(QTableWidget* grid, const TextRows& rows, const std::vector<GridColumn>& columns);
QTableWidget* makeReadOnlyGrid(QWidget* parent);
// The text of a cell of the current row; empty when there is none.
std::string currentCell(const QTableWidget* grid, int column);

}  // namespace vlm::admin
