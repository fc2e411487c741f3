// Opening the search, sum and format dialogs for a grid, as both grid windows do.
#pragma once

#include "datawin/formformat.h"
#include "datawin/formsearch.h"
#include "datawin/formsum.h"

namespace vlm::datawin {

class TDBGrid;

TFormSearch* openSearchDialog(TDBGrid* grid, QWidget* window);
TFormSum* openSumDialog(TDBGrid* grid, QWidget* window);
// Modal, at the window's top left corner; the grid follows a changed filter or format.
void runFormatDialog(TFormFormat::Mode mode, TDBGrid* grid, QWidget* window);

}  // namespace vlm::datawin
