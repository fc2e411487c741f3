// The colouring of the script window's editors: keywords, functions, PL/SQL words, numbers
// and quoted strings by the token classes of sqltext.h, bold in their setting's colour.
// Only blocks on screen (and those the user changes) are coloured; the rest waits until it is
// scrolled into view, so a file of hundreds of thousands of lines opens at once.
//   auto* h = new TSqlHighlighter(editor, lists, colours);   // owned by the editor's document
#pragma once

#include <QSyntaxHighlighter>
#include <QTextCharFormat>

#include "sqlexec/sqltext.h"

class QPlainTextEdit;

namespace vlm::sqlexec {

struct SqlColours {
    QColor keyword, function, plsql, number, string;
};

class TSqlHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
public:
    TSqlHighlighter(QPlainTextEdit* editor, const WordLists* lists, const SqlColours& colours);
    // Colours the blocks now on screen that are not coloured yet.
    void colourVisible();
    // Blocks coloured so far (tests and the benchmark).
    int colouredBlocks() const { return coloured_; }

protected:
    void highlightBlock(const QString& text) override;

private:
    bool onScreen(int blockNumber) const;

    QPlainTextEdit* editor_;
    const WordLists* lists_;
    QTextCharFormat formats_[6];
    int coloured_ = 0;
    bool forcing_ = false;
};

}  // namespace vlm::sqlexec
