// Pictures of the panel lists, drawn at start: a table grid, a view's eye, partition stripes.
#include "panels/listimages.h"

#include <QPainter>
#include <QPixmap>
#include <vector>

namespace vlm::panels {

namespace {

QPixmap drawTable(int size, QColor head, QColor body, bool view, bool partitioned, bool own) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, false);
    const double u = size / 16.0;
    QRectF r(1 * u, 2 * u, 14 * u, 12 * u);
    p.setPen(QPen(QColor(40, 40, 40), std::max(1.0, u * 0.8)));
    p.setBrush(body);
    p.drawRect(r);
    p.fillRect(QRectF(r.left(), r.top(), r.width(), 3 * u), head);
    p.drawLine(QPointF(r.left(), r.top() + 3 * u), QPointF(r.right(), r.top() + 3 * u));
    for (int i = 1; i < 3; ++i) p.drawLine(QPointF(r.left(), r.top() + 3 * u + i * 3 * u), QPointF(r.right(), r.top() + 3 * u + i * 3 * u));
    p.drawLine(QPointF(r.left() + 5 * u, r.top() + 3 * u), QPointF(r.left() + 5 * u, r.bottom()));
    if (partitioned) {
        p.setPen(QPen(QColor(200, 0, 0), std::max(1.0, 1.5 * u)));
        p.drawLine(QPointF(r.left() + 9.5 * u, r.top()), QPointF(r.left() + 9.5 * u, r.bottom()));
    }
    if (view) {
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(QPen(QColor(0, 0, 0), std::max(1.0, u)));
        p.setBrush(QColor(255, 255, 255));
        QRectF eye(6 * u, 7 * u, 9 * u, 6 * u);
        p.drawEllipse(eye);
        p.setBrush(QColor(0, 90, 200));
        p.drawEllipse(eye.center(), 1.6 * u, 1.6 * u);
    }
    if (!own) {   // another owner's object: a small key mark in the corner
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(230, 160, 0));
        p.drawEllipse(QPointF(3 * u, 13 * u), 2.2 * u, 2.2 * u);
    }
    return pm;
}

QIcon make(bool view, bool partitioned, bool own, QColor head, QColor body) {
    QIcon icon;
    for (int s : {16, 32}) icon.addPixmap(drawTable(s, head, body, view, partitioned, own));
    return icon;
}

const std::vector<QIcon>& serverImages() {
    static const std::vector<QIcon> v = {
        make(false, false, false, QColor(0, 0, 160), QColor(255, 255, 220)),
        make(true, false, false, QColor(0, 120, 0), QColor(230, 255, 230)),
        make(false, false, true, QColor(0, 0, 160), QColor(255, 255, 220)),
        make(true, false, true, QColor(0, 120, 0), QColor(230, 255, 230)),
        make(false, true, false, QColor(120, 0, 120), QColor(255, 235, 255)),
        make(false, true, true, QColor(120, 0, 120), QColor(255, 235, 255)),
    };
    return v;
}

const std::vector<QIcon>& localImages() {
    static const std::vector<QIcon> v = {
        make(false, false, true, QColor(160, 80, 0), QColor(255, 250, 230)),    // dBase
        make(false, false, true, QColor(0, 110, 140), QColor(230, 250, 255)),   // Paradox
    };
    return v;
}

}  // namespace

QIcon listImage(bool sqlBased, int index) {
    const auto& v = sqlBased ? serverImages() : localImages();
    return index >= 0 && index < int(v.size()) ? v[std::size_t(index)] : QIcon();
}

int listImageCount(bool sqlBased) { return sqlBased ? int(serverImages().size()) : int(localImages().size()); }

}  // namespace vlm::panels
