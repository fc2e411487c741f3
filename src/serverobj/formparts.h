// Controls shared by the server object windows: tool buttons with hints, the status panels,
// the source memo's lines, the compile error list and the caret jump to an error.
#pragma once

#include <QString>
#include <initializer_list>

#include "serverobj/proclogic.h"

class QBoxLayout;
class QLabel;
class QLayout;
class QListWidget;
class QPlainTextEdit;
class QToolButton;
class QWidget;

namespace vlm::serverobj {

QString q(std::string_view russian, std::string_view english);   // the language pick as a QString
QToolButton* toolButton(QWidget* parent, QLayout* into, const char* name, const QString& text, const char* hint);
// Sunken panels of the given widths, appended to the layout; out receives them in order.
void statusPanels(QWidget* parent, QBoxLayout* into, QLabel** out, std::initializer_list<int> widths);
Lines memoLines(const QPlainTextEdit* memo);
// The list shows the lines (hidden when there are none), the first one selected.
void fillErrorList(QListWidget* list, const Lines& lines);
// The caret at the error line's line (plus lineOffset) and position; nothing in an empty memo.
void jumpToError(QPlainTextEdit* memo, const QString& errorLine, int lineOffset);

}  // namespace vlm::serverobj
