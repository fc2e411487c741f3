// Colouring of the SQL editors (see sqlhighlighter.h). A block's user state says whether it
// was coloured: 1 coloured, 0 passed over while off screen (-1: never seen).
#include "sqlexec/sqlhighlighter.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>

namespace vlm::sqlexec {

namespace {
constexpr int kColoured = 1, kPending = 0;
// Blocks above and below the screen coloured with it, so a short scroll shows colours at once.
constexpr int kMargin = 64;
}  // namespace

TSqlHighlighter::TSqlHighlighter(QPlainTextEdit* editor, const WordLists* lists, const SqlColours& colours)
    : QSyntaxHighlighter(editor->document()), editor_(editor), lists_(lists) {
    const QColor byClass[6] = {QColor(), colours.number, colours.string, colours.keyword, colours.function,
                               colours.plsql};
    for (int i = 1; i < 6; ++i) {
        formats_[i].setForeground(byClass[i]);
        formats_[i].setFontWeight(QFont::Bold);
    }
    auto later = [this] { colourVisible(); };
    connect(editor_->verticalScrollBar(), &QScrollBar::valueChanged, this, later);
    connect(editor_, &QPlainTextEdit::updateRequest, this, later);
}

bool TSqlHighlighter::onScreen(int blockNumber) const {
    // Without line wrap the scroll position is the number of the first block on screen.
    const int first = editor_->verticalScrollBar()->value();
    const int lineHeight = std::max(1, editor_->fontMetrics().lineSpacing());
    const int lines = editor_->viewport()->height() / lineHeight + 1;
    return blockNumber >= first - kMargin && blockNumber <= first + lines + kMargin;
}

void TSqlHighlighter::colourVisible() {
    if (!lists_) return;
    QTextBlock b = editor_->document()->findBlockByNumber(editor_->verticalScrollBar()->value());
    for (int i = 0; i < kMargin && b.previous().isValid(); ++i) b = b.previous();
    const int lineHeight = std::max(1, editor_->fontMetrics().lineSpacing());
    const int count = editor_->viewport()->height() / lineHeight + 1 + 2 * kMargin;
    forcing_ = true;
    for (int i = 0; i < count && b.isValid(); ++i, b = b.next())
        if (b.userState() != kColoured) rehighlightBlock(b);
    forcing_ = false;
}

void TSqlHighlighter::highlightBlock(const QString& text) {
    if (!lists_) return;
    if (!forcing_ && !onScreen(currentBlock().blockNumber())) {
        setCurrentBlockState(kPending);
        return;
    }
    setCurrentBlockState(kColoured);
    ++coloured_;
    const int n = int(text.size());
    int start = 0;
    auto token = [&](int end) {
        if (end <= start) return;
        const TokenClass c = lists_->classify(text.mid(start, end - start).toStdString());
        if (c != TokenClass::None) setFormat(start, end - start, formats_[int(c)]);
    };
    for (int i = 0; i < n; ++i) {
        if (isWordDelimiter(char32_t(text[i].unicode()))) {
            token(i);
            start = i + 1;
        }
    }
    token(n);
}

}  // namespace vlm::sqlexec
