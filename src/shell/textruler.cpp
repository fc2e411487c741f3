// The ruler: tick marks every 10 pixels, markers as small triangles.
#include "shell/textruler.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>

namespace vlm::shell {

TRuler::TRuler(QTextEdit* editor, QWidget* parent) : QWidget(parent), editor_(editor) {
    setObjectName(QStringLiteral("Ruler"));
    setFixedHeight(26);
}

void TRuler::follow() {
    const QTextBlockFormat f = editor_->textCursor().blockFormat();
    left_ = f.leftMargin();
    first_ = f.leftMargin() + f.textIndent();
    right_ = f.rightMargin();
    update();
}

void TRuler::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().button());
    const int x0 = 6, w = width() - 12;
    p.fillRect(QRect(x0, 6, w, 10), Qt::white);
    p.setPen(Qt::darkGray);
    for (int x = 0; x < w; x += 10) p.drawLine(x0 + x, x % 50 == 0 ? 7 : 11, x0 + x, 15);
    p.setBrush(Qt::lightGray);
    p.setPen(Qt::black);
    auto down = [&](double x) { p.drawPolygon(QPolygonF({{x0 + x - 4, 1}, {x0 + x + 4, 1}, {x0 + x, 7}})); };
    auto up = [&](double x) { p.drawPolygon(QPolygonF({{x0 + x - 4, 23}, {x0 + x + 4, 23}, {x0 + x, 16}})); };
    down(first_);
    up(left_);
    up(w - right_);
}

void TRuler::mousePressEvent(QMouseEvent* e) {
    const double x = e->position().x() - 6, y = e->position().y();
    const int w = width() - 12;
    if (y < 12 && std::abs(x - first_) <= 6) dragging_ = First;
    else if (y >= 12 && std::abs(x - left_) <= 6) dragging_ = Left;
    else if (y >= 12 && std::abs(x - (w - right_)) <= 6) dragging_ = Right;
    else dragging_ = None;
}

void TRuler::mouseMoveEvent(QMouseEvent* e) {
    if (dragging_ == None) return;
    const int w = width() - 12;
    const double x = std::clamp(e->position().x() - 6, 0.0, static_cast<double>(w));
    if (dragging_ == First) first_ = x;
    else if (dragging_ == Left) left_ = x;
    else right_ = w - x;
    apply();
    update();
}

void TRuler::mouseReleaseEvent(QMouseEvent*) { dragging_ = None; }

void TRuler::apply() {
    QTextCursor c = editor_->textCursor();
    QTextBlockFormat f = c.blockFormat();
    f.setLeftMargin(left_);
    f.setTextIndent(first_ - left_);
    f.setRightMargin(right_);
    c.setBlockFormat(f);
}

}  // namespace vlm::shell
