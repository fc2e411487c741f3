// The result window hands its "View Data as Text" report to showReportFile, which in the
// commander opens the main window's text viewer. The runner writes and shows its report
// itself (qrun::TFormViewS::BViewAndPrintClick), so here only a set reportSink receives it.
#include <QString>
#include <functional>

#include "datawin/commands.h"

namespace vlm::datawin {

std::function<void(const QString&, const QString&)> reportSink;

void showReportFile(const QString& fileName, const QString& title) {
    if (reportSink) reportSink(fileName, title);
}

}  // namespace vlm::datawin
