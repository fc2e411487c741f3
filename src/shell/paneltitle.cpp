// The panel title's middle elision.
#include "shell/paneltitle.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStyle>

namespace vlm::shell {

QString elidePathMiddle(const QString& full, const QFontMetrics& metrics, int width) {
    if (metrics.horizontalAdvance(full) <= width) return full;
    const QChar ellipsis(0x2026);
    const QChar sep = full.contains(QLatin1Char('/')) ? QLatin1Char('/') : QLatin1Char('\\');
    const QStringList parts = full.split(sep);
    const int n = int(parts.size());
    // Fewest components dropped first; the kept ones are shared between the head and the tail
    // (the tail, with the folder or file name and the user, gets the odd one).
    for (int kept = n - 1; kept >= 2; --kept) {
        const int head = std::max(1, kept / 2);
        const int tail = kept - head;
        QStringList shown = parts.mid(0, head);
        shown << QString(ellipsis);
        shown += parts.mid(n - tail);
        const QString candidate = shown.join(sep);
        if (metrics.horizontalAdvance(candidate) <= width) return candidate;
    }
    return metrics.elidedText(full, Qt::ElideMiddle, width);
}

TPanelTitle::TPanelTitle(QWidget* parent) : QLabel(parent) {}

QString TPanelTitle::displayedText() const {
    return elidePathMiddle(text(), fontMetrics(), contentsRect().width() - 2 * margin() - 4);
}

QSize TPanelTitle::minimumSizeHint() const {
    // Any width will do: the text is elided to it, it never widens the window.
    return {0, QLabel::minimumSizeHint().height()};
}

void TPanelTitle::paintEvent(QPaintEvent*) {
    QPainter p(this);
    drawFrame(&p);
    const QRect r = contentsRect().adjusted(margin() + 2, margin(), -margin() - 2, -margin());
    style()->drawItemText(&p, r, int(alignment()), palette(), isEnabled(), displayedText(), foregroundRole());
}

}  // namespace vlm::shell
