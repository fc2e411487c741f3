// Settings values at the form boundary: colours (with the system colours), fonts and the
// system's date, time and number formats.
#pragma once

#include <QColor>
#include <QFont>

#include "panels/formats.h"
#include "panels/settings.h"

namespace vlm::panels {

QColor qColour(Colour c);                         // system colours from the application palette
Colour colourOf(const QColor& c);                 // plain colour in blue-green-red order
QFont qFont(const FontSpec& f);
FontSpec fontSpecOf(const QFont& font, Colour colour);
Formats systemFormats();                          // from the system locale
// The 16 standard colours of the colour grid, in grid order; -1 when c is none of them.
Colour standardColour(int index);
int standardColourIndex(Colour c);

}  // namespace vlm::panels
