// Qrun's snapshot: a picture of the window after its start-up and a text of what it shows,
// for the documentation's pictures and for tests that start the program as a process.
//   SnapshotLog log;  datawin::setWindowPrompts(window, &log);  ...  writeSnapshot(window, "qrun.png", log);
#pragma once

#include <QString>
#include <QStringList>

#include "shell/prompts.h"

namespace vlm::qrun {

class TFormViewS;

// The errors and messages the window would have shown in boxes, taken instead: handed to the
// window with datawin::setWindowPrompts. Questions answer No; long work runs without a dialog.
struct SnapshotLog : shell::Prompts {
    QStringList errors;
    QStringList messages;
    void message(const QString& text) override { messages << text; }
    bool question(const QString&) override { return false; }
    void error(const shell::ErrorReport& report) override { errors << QString::fromStdString(report.text); }
    shell::WorkResult runWork(const QString& title, const shell::Work& work) override;
    using shell::Prompts::error;
};

// Saves the window's picture to pngFile and, to pngFile + ".txt", one "key: value" line each:
// caption, status0, status1, memo (line breaks as "\n"), columns and row1 ("|" between
// cells), rows, then an "error:" or "message:" line per entry of the log. False when a file
// could not be written.
bool writeSnapshot(TFormViewS& window, const QString& pngFile, const SnapshotLog& log);

}  // namespace vlm::qrun
