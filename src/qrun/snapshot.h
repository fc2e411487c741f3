// Qrun's snapshot: a picture of the window after its start-up and a text of what it shows,
// for the documentation's pictures and for tests that start the program as a process.
//   SnapshotLog log;  log.capture();   ...   writeSnapshot(window, "qrun.png", log);
#pragma once

#include <QString>
#include <QStringList>

namespace vlm::qrun {

class TFormViewS;

// The errors and messages the window would have shown in boxes, taken instead.
struct SnapshotLog {
    QStringList errors;
    QStringList messages;
    void capture();
};

// Saves the window's picture to pngFile and, to pngFile + ".txt", one "key: value" line each:
// caption, status0, status1, memo (line breaks as "\n"), columns and row1 ("|" between
// cells), rows, then an "error:" or "message:" line per entry of the log. False when a file
// could not be written.
bool writeSnapshot(TFormViewS& window, const QString& pngFile, const SnapshotLog& log);

}  // namespace vlm::qrun
