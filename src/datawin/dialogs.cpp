// Opening the search, sum and format dialogs for a grid.
#include "datawin/dialogs.h"

#include "datawin/dbgrid.h"
#include "datawin/gridmodel.h"

namespace vlm::datawin {

TFormSearch* openSearchDialog(TDBGrid* grid, QWidget* window) {
    auto* d = new TFormSearch(grid, window);
    d->show();
    return d;
}

TFormSum* openSumDialog(TDBGrid* grid, QWidget* window) {
    auto* d = new TFormSum(grid, window);
    d->show();
    return d;
}

void runFormatDialog(TFormFormat::Mode mode, TDBGrid* grid, QWidget* window) {
    TFormFormat d(mode, grid->dataset(), grid->currentFieldIndex(), window);
    d.move(window->mapToGlobal(QPoint(0, 0)));
    d.exec();
    if (mode == TFormFormat::Mode::Filter) grid->reload();
    else grid->viewport()->update();
}

}  // namespace vlm::datawin
