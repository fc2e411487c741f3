// The field viewers' shared part: which viewer a field gets, and filling the memo and picture
// viewers from the current record's value. A blob that is no picture shows a message.
#pragma once

#include <QString>

#include "engine/types.h"
#include "panels/serverkind.h"

class QLabel;
class QPlainTextEdit;

namespace vlm::engine {
class Field;
}

namespace vlm::datawin {

enum class ViewerKind { None, Memo, Picture, Bytes };
ViewerKind viewerKindFor(engine::FieldType type, panels::ServerKind kind);

// The memo text of a value (bytes are read as UTF-8, else Windows-1251 by the text window's rule).
QString memoText(const engine::Value& v);
// Shows the picture in the label; false (the label then shows the message) when the bytes
// are no picture Qt's image readers know.
bool showPicture(QLabel* label, const engine::Value& v);
QString notAPictureMessage();

}  // namespace vlm::datawin
