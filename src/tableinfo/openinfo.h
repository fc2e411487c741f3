// The entry point of the structure window: the panels' F2 command (and the "Info" menu, the
// function-key button and the pop-up entry) call it with the current table.
//   vlm::tableinfo::openInfoWindow(CurrentTable(), context, mainWindow);
#pragma once

#include "panels/tableinfo.h"
#include "tableinfo/forminfo.h"

class QWidget;

namespace vlm::tableinfo {

// Creates, registers in the Windows menu (" Info " + table name), shows and fills a new
// structure window; returns it. The window frees itself when closed.
TFormInfo* openInfoWindow(const panels::TTableInfo& info, const InfoContext& context, QWidget* parent = nullptr);

}  // namespace vlm::tableinfo
