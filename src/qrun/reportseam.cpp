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

// The data windows fall back to the main window's prompts when one exists; the runner has no
// main window, so its windows use prompts handed in or message boxes over themselves.
#include "shell/formmain.h"

namespace vlm::shell {

TForm1* TForm1::instance() { return nullptr; }

}  // namespace vlm::shell
