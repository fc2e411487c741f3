// The parts both grid windows (the table window and the query result window) build and run
// the same way: tool buttons, the print panel and its report, and the memo and picture viewers.
//   PrintPanel p = addPrintPanel(ToolBar1);   ... printDataset(this, DBGrid1, dir, numbers, sums);
#pragma once

#include <QString>
#include <string>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QStackedWidget;
class QToolBar;
class QToolButton;
class QWidget;

namespace vlm::datawin {

class TDBGrid;

// A flat tool button named name, added to the bar.
QToolButton* addToolButton(QToolBar* bar, const char* name, const QString& text, const QString& hint);

// "PanelPrintSum": BViewAndPrint with the two small check boxes CBPrintWithSum and CBCount.
struct PrintPanel {
    QToolButton* BViewAndPrint = nullptr;
    QCheckBox* CBPrintWithSum = nullptr;
    QCheckBox* CBCount = nullptr;
};
PrintPanel addPrintPanel(QToolBar* bar);

// BViewAndPrint: the numbered and summed report of the grid's dataset from its current record
// into "DATASET0.TXT" in programDir, shown in the text window; the grid is frozen meanwhile and
// the dataset goes back to the record it was on. A closed dataset or an error is told to the
// user through the window's prompts.
void printDataset(QWidget* window, TDBGrid* grid, const std::string& programDir, bool numbers, bool sums);

// The hidden viewers "DBMemo1" (read-only until a window allows editing) and "DBImage1", added
// to the panel behind the grid.
void addFieldViewers(QStackedWidget* panel, QPlainTextEdit*& memo, QLabel*& image);

}  // namespace vlm::datawin
