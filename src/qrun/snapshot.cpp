// Qrun's snapshot (see snapshot.h).
#include "qrun/snapshot.h"

#include <QSaveFile>
#include <QLabel>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QTextStream>
#include <cstdint>

#include "engine/progress.h"

#include "datawin/dbgrid.h"
#include "qrun/formviews.h"

namespace vlm::qrun {

shell::WorkResult SnapshotLog::runWork(const QString&, const shell::Work& work) {
    struct : engine::Progress {
        bool step(std::int64_t, std::int64_t) override { return true; }
    } quiet;
    return shell::runAndReport(work, quiet);
}

bool writeSnapshot(TFormViewS& window, const QString& pngFile, const SnapshotLog& log) {
    const bool picture = window.grab().save(pngFile, "PNG");
    // Whole or not at all: a reader waiting for the text never sees half of it.
    QSaveFile file(pngFile + QStringLiteral(".txt"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) return false;
    QTextStream out(&file);
    auto oneLine = [](QString s) { return s.replace(QLatin1Char('\n'), QStringLiteral("\\n")); };
    out << "caption: " << window.windowTitle() << "\n";
    out << "status0: " << window.statusText(0) << "\n";
    out << "status1: " << window.statusText(1) << "\n";
    out << "memo: " << oneLine(window.MemoQuery->toPlainText()) << "\n";
    const QAbstractItemModel* m = window.DBGrid1->model();
    QStringList columns, first;
    for (int c = 0; m && c < m->columnCount(); ++c) {
        columns << m->headerData(c, Qt::Horizontal).toString();
        if (m->rowCount() > 0) first << m->index(0, c).data().toString();
    }
    out << "columns: " << columns.join(QLatin1Char('|')) << "\n";
    out << "rows: " << (m ? m->rowCount() : 0) << "\n";
    out << "row1: " << first.join(QLatin1Char('|')) << "\n";
    for (const QString& e : log.errors) out << "error: " << oneLine(e) << "\n";
    for (const QString& e : log.messages) out << "message: " << oneLine(e) << "\n";
    out.flush();
    return file.commit() && picture;
}

}  // namespace vlm::qrun
