// Colours, fonts and formats between the settings and Qt.
#include "panels/qtsettings.h"

#include <QApplication>
#include <QLocale>
#include <QPalette>

#include "shell/qtext.h"

namespace vlm::panels {

namespace {

QPalette::ColorRole roleOf(int index) {
    switch (index) {
    case 1: return QPalette::Dark;              // desktop
    case 2: return QPalette::Highlight;         // active caption
    case 3: return QPalette::Mid;               // inactive caption
    case 4: return QPalette::Window;            // menu
    case 5: return QPalette::Base;              // window
    case 6: return QPalette::Shadow;            // window frame
    case 7: return QPalette::WindowText;        // menu text
    case 8: return QPalette::Text;              // window text
    case 9: return QPalette::HighlightedText;   // caption text
    case 13: return QPalette::Highlight;
    case 14: return QPalette::HighlightedText;
    case 15: return QPalette::Button;           // button face
    case 16: return QPalette::Dark;             // button shadow
    case 17: return QPalette::PlaceholderText;  // grey text
    case 18: return QPalette::ButtonText;
    case 20: return QPalette::Light;            // button highlight
    case 21: return QPalette::Shadow;
    case 22: return QPalette::Midlight;
    case 23: return QPalette::ToolTipText;
    case 24: return QPalette::ToolTipBase;
    default: return QPalette::Window;
    }
}

const Colour kStandard[16] = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0,
                              0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};

std::string firstChar(const QString& s) { return s.isEmpty() ? std::string(" ") : shell::fromQ(s.left(1)); }

// Qt's locale patterns to the program's format letters (minutes "nn", "AMPM").
std::string timeFormat(QString f) {
    f.replace(QStringLiteral("mm"), QStringLiteral("nn"));
    f.replace(QStringLiteral("AP"), QStringLiteral("AMPM"));
    f.replace(QStringLiteral("ap"), QStringLiteral("am/pm"));
    f.remove(QStringLiteral(" t"));
    return shell::fromQ(f);
}

std::string dateFormat(QString f) {
    f.replace(QStringLiteral("M"), QStringLiteral("m"));
    return shell::fromQ(f);
}

}  // namespace

QColor qColour(Colour c) {
    if (isSystemColour(c)) return QApplication::palette().color(QPalette::Active, roleOf(systemColourIndex(c)));
    auto u = std::uint32_t(c);
    return QColor(int(u & 0xFF), int((u >> 8) & 0xFF), int((u >> 16) & 0xFF));
}

Colour colourOf(const QColor& c) { return Colour(std::uint32_t(c.red()) | (std::uint32_t(c.green()) << 8) | (std::uint32_t(c.blue()) << 16)); }

QFont qFont(const FontSpec& f) {
    QFont q(shell::toQ(f.name));
    if (f.size > 0) q.setPointSize(f.size);
    q.setBold(f.bold);
    q.setItalic(f.italic);
    q.setUnderline(f.underline);
    q.setStrikeOut(f.strikeOut);
    return q;
}

FontSpec fontSpecOf(const QFont& font, Colour colour) {
    FontSpec f;
    f.name = shell::fromQ(font.family());
    f.colour = colour;
    f.size = font.pointSize() > 0 ? font.pointSize() : 10;
    f.bold = font.bold();
    f.italic = font.italic();
    f.underline = font.underline();
    f.strikeOut = font.strikeOut();
    return f;
}

Formats systemFormats() {
    QLocale l = QLocale::system();
    Formats f;
    f.thousandSeparator = firstChar(l.groupSeparator());
    f.decimalSeparator = firstChar(l.decimalPoint());
    QString sd = l.dateFormat(QLocale::ShortFormat);
    for (QChar c : sd)
        if (!c.isLetter()) { f.dateSeparator = shell::fromQ(QString(c)); break; }
    f.shortDateFormat = dateFormat(sd);
    f.longDateFormat = dateFormat(l.dateFormat(QLocale::LongFormat));
    QString st = l.timeFormat(QLocale::ShortFormat);
    for (QChar c : st)
        if (!c.isLetter()) { f.timeSeparator = shell::fromQ(QString(c)); break; }
    f.timeAMString = shell::fromQ(l.amText());
    f.timePMString = shell::fromQ(l.pmText());
    f.shortTimeFormat = timeFormat(st);
    f.longTimeFormat = timeFormat(l.timeFormat(QLocale::LongFormat));
    return f;
}

Colour standardColour(int index) { return index >= 0 && index < 16 ? kStandard[index] : -1; }

int standardColourIndex(Colour c) {
    for (int i = 0; i < 16; ++i)
        if (kStandard[i] == c) return i;
    return -1;
}

}  // namespace vlm::panels
