// Controls shared by the server object windows.
#include "serverobj/formparts.h"

#include <QBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QToolButton>
#include <algorithm>

#include "shell/language.h"
#include "shell/qtext.h"

namespace vlm::serverobj {

QString q(std::string_view russian, std::string_view english) { return shell::toQ(shell::pick(russian, english)); }

QToolButton* toolButton(QWidget* parent, QLayout* into, const char* name, const QString& text, const char* hint) {
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(text);
    b->setToolTip(QString::fromUtf8(hint));
    b->setAutoRaise(true);
    into->addWidget(b);
    return b;
}

void statusPanels(QWidget* parent, QBoxLayout* into, QLabel** out, std::initializer_list<int> widths) {
    for (int w : widths) {
        auto* l = new QLabel(parent);
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        l->setFixedWidth(w);
        into->addWidget(l);
        *out++ = l;
    }
    into->addStretch(1);
}

Lines memoLines(const QPlainTextEdit* memo) {
    Lines out;
    for (const QString& l : memo->toPlainText().split('\n')) out.push_back(shell::fromQ(l));
    return out;
}

void fillErrorList(QListWidget* list, const Lines& lines) {
    list->clear();
    for (const auto& l : lines) list->addItem(shell::toQ(l));
    list->setVisible(!lines.empty());
    if (!lines.empty()) list->setCurrentRow(0);
}

void jumpToError(QPlainTextEdit* memo, const QString& errorLine, int lineOffset) {
    if (memo->document()->isEmpty()) return;
    auto [line, pos] = parseErrorLine(shell::fromQ(errorLine));
    auto [l, col] = caretPlace(memoLines(memo), line + lineOffset, pos);
    QTextBlock b = memo->document()->findBlockByNumber(l - 1);
    QTextCursor c(b);
    c.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, std::clamp(col, 0, b.length() - 1));
    memo->setTextCursor(c);
    memo->setFocus();
    memo->ensureCursorVisible();
}

}  // namespace vlm::serverobj
