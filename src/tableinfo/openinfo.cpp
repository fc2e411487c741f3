// The structure window's entry point.
#include "tableinfo/openinfo.h"

#include <QApplication>

#include "shell/qtext.h"
#include "shell/windowsmenu.h"

namespace vlm::tableinfo {

TFormInfo* openInfoWindow(const panels::TTableInfo& info, const InfoContext& context, QWidget* parent) {
    auto* w = new TFormInfo(info, context, parent);
    if (shell::TWindowsMenu* m = shell::windowsMenu()) m->addWindowEntry(w, QStringLiteral(" Info ") + shell::toQ(info.tableName));
    w->show();
    w->activateWindow();
    w->load();
    return w;
}

}  // namespace vlm::tableinfo
