// Between the RTF document model and QTextDocument, for the text window.
#pragma once

#include "shell/rtf.h"

class QTextDocument;

namespace vlm::shell {
RtfDocument fromQTextDocument(const QTextDocument& doc);
void toQTextDocument(const RtfDocument& rtf, QTextDocument& doc);
}  // namespace vlm::shell
