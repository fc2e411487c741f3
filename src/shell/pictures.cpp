// Drawn pictures: a database drum for the program, simple symbols for the tool buttons.
#include "shell/pictures.h"

#include <QPainter>
#include <QPainterPath>

namespace vlm::shell {
namespace {

void drum(QPainter& p, QRectF r, QColor body) {
    const double e = r.height() / 5;
    QPainterPath side;
    side.moveTo(r.left(), r.top() + e / 2);
    side.lineTo(r.left(), r.bottom() - e / 2);
    side.arcTo(QRectF(r.left(), r.bottom() - e, r.width(), e), 180, 180);
    side.lineTo(r.right(), r.top() + e / 2);
    p.setPen(QPen(Qt::black, std::max(1.0, r.width() / 24)));
    p.setBrush(body);
    p.drawPath(side);
    p.setBrush(body.lighter(140));
    p.drawEllipse(QRectF(r.left(), r.top(), r.width(), e));
}

}  // namespace

QPixmap programPixmap(int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size;
    drum(p, QRectF(s * 0.05, s * 0.15, s * 0.42, s * 0.7), QColor(0, 90, 200));
    drum(p, QRectF(s * 0.53, s * 0.15, s * 0.42, s * 0.7), QColor(200, 120, 0));
    return pm;
}

QIcon programIcon() {
    QIcon icon;
    for (int s : {16, 32, 48, 64}) icon.addPixmap(programPixmap(s));
    return icon;
}

QIcon buttonGlyph(const QString& name) {
    QPixmap pm(28, 28);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QFont f = p.font();
    f.setBold(true);
    f.setPixelSize(11);
    p.setFont(f);
    auto letters = [&](const QString& t, QColor c) {
        p.setPen(c);
        p.drawText(pm.rect(), Qt::AlignCenter, t);
    };
    if (name == QLatin1String("BReRead")) {
        p.setPen(QPen(QColor(0, 128, 0), 3));
        p.drawArc(QRect(5, 5, 18, 18), 30 * 16, 300 * 16);
        p.drawLine(22, 6, 22, 12);
    } else if (name == QLatin1String("BselectDataBase")) {
        drum(p, QRectF(6, 3, 16, 22), QColor(0, 90, 200));
    } else if (name == QLatin1String("BInfoDataBase")) {
        drum(p, QRectF(3, 3, 14, 20), QColor(0, 90, 200));
        letters(QStringLiteral("   i"), Qt::darkRed);
    } else if (name == QLatin1String("BSysAll")) letters(QStringLiteral("S+"), Qt::darkRed);
    else if (name == QLatin1String("BAll")) letters(QStringLiteral("All"), Qt::darkBlue);
    else if (name == QLatin1String("BUser")) letters(QStringLiteral("Usr"), Qt::darkGreen);
    else if (name == QLatin1String("BFilter")) {
        p.setPen(Qt::black);
        p.setBrush(QColor(255, 200, 0));
        p.drawPolygon(QPolygon({{4, 5}, {24, 5}, {16, 15}, {16, 24}, {12, 22}, {12, 15}}));
    } else if (name == QLatin1String("BSort")) letters(QStringLiteral("A-Z"), Qt::darkBlue);
    else if (name == QLatin1String("BUnSort")) letters(QStringLiteral("?-?"), Qt::darkBlue);
    else if (name == QLatin1String("BSetOptions")) {
        p.setPen(QPen(Qt::darkGray, 4));
        p.drawEllipse(QRect(8, 8, 12, 12));
        for (int a = 0; a < 360; a += 45) {
            p.save();
            p.translate(14, 14);
            p.rotate(a);
            p.drawLine(0, 7, 0, 11);
            p.restore();
        }
    } else if (name == QLatin1String("BAbout")) {
        p.setPen(Qt::black);
        p.setBrush(QColor(255, 255, 160));
        p.drawEllipse(QRect(4, 4, 20, 20));
        letters(QStringLiteral("?"), Qt::darkBlue);
    } else if (name == QLatin1String("BSQLMonitor")) letters(QStringLiteral("SQL"), Qt::darkMagenta);
    else if (name == QLatin1String("BBDEAdministrator")) letters(QStringLiteral("BDE"), Qt::darkRed);
    else if (name == QLatin1String("BDetails") || name == QLatin1String("BList")) {
        p.setPen(QPen(Qt::black, 2));
        for (int y = 7; y <= 21; y += 7) {
            p.drawLine(5, y, 8, y);
            p.drawLine(11, y, name == QLatin1String("BDetails") ? 24 : 16, y);
        }
    } else if (name == QLatin1String("BLarge")) {
        p.setBrush(QColor(0, 90, 200));
        p.drawRect(5, 5, 18, 18);
    } else if (name == QLatin1String("BSmall")) {
        p.setBrush(QColor(0, 90, 200));
        for (int x : {5, 16})
            for (int y : {5, 16}) p.drawRect(x, y, 7, 7);
    }
    return QIcon(pm);
}

}  // namespace vlm::shell
