// The program's own pictures, drawn rather than shipped: the program icon and the glyphs of
// the upper tool bar's buttons.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace vlm::shell {
QPixmap programPixmap(int size);
QIcon programIcon();
QIcon buttonGlyph(const QString& buttonName);
}  // namespace vlm::shell
