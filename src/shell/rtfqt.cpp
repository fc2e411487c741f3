// QTextDocument <-> RtfDocument. Indents convert at 15 twips per pixel (96 dpi).
#include "shell/rtfqt.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

#include "shell/qtext.h"

namespace vlm::shell {
namespace {
constexpr double kTwipsPerPixel = 15.0;

bool isBulletList(const QTextBlock& b) {
    QTextList* l = b.textList();
    if (!l) return false;
    auto st = l->format().style();
    return st == QTextListFormat::ListDisc || st == QTextListFormat::ListCircle || st == QTextListFormat::ListSquare;
}
}  // namespace

RtfDocument fromQTextDocument(const QTextDocument& doc) {
    RtfDocument out;
    const QFont def = doc.defaultFont();
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        RtfParagraph p;
        const QTextBlockFormat bf = b.blockFormat();
        const Qt::Alignment a = bf.alignment() & Qt::AlignHorizontal_Mask;
        if (a & Qt::AlignHCenter) p.align = RtfAlign::Center;
        else if (a & Qt::AlignJustify) p.align = RtfAlign::Justify;
        else if (a & (Qt::AlignRight | Qt::AlignTrailing)) p.align = RtfAlign::Right;
        p.bullet = isBulletList(b);
        p.firstIndent = static_cast<int>(bf.textIndent() * kTwipsPerPixel);
        p.leftIndent = static_cast<int>(bf.leftMargin() * kTwipsPerPixel);
        p.rightIndent = static_cast<int>(bf.rightMargin() * kTwipsPerPixel);
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            if (!frag.isValid()) continue;
            QString text = frag.text();
            text.remove(QChar::ObjectReplacementCharacter);
            if (text.isEmpty()) continue;
            const QTextCharFormat cf = frag.charFormat();
            RtfCharFormat f;
            const QStringList families = cf.fontFamilies().toStringList();
            f.font = fromQ(families.isEmpty() ? def.family() : families.first());
            f.pointSize = cf.hasProperty(QTextFormat::FontPointSize) ? cf.fontPointSize() : def.pointSizeF();
            if (f.pointSize < 0) f.pointSize = 0;
            f.bold = cf.fontWeight() >= QFont::Bold;
            f.italic = cf.fontItalic();
            f.underline = cf.fontUnderline();
            f.strike = cf.fontStrikeOut();
            if (cf.hasProperty(QTextFormat::ForegroundBrush) && cf.foreground().style() != Qt::NoBrush) {
                QColor c = cf.foreground().color();
                f.color = (static_cast<std::uint32_t>(c.red()) << 16) | (static_cast<std::uint32_t>(c.green()) << 8) |
                          static_cast<std::uint32_t>(c.blue());
            }
            std::string t = fromQ(text);
            if (!p.runs.empty() && p.runs.back().format == f) p.runs.back().text += t;
            else p.runs.push_back({t, f});
        }
        out.paragraphs.push_back(std::move(p));
    }
    return out;
}

void toQTextDocument(const RtfDocument& rtf, QTextDocument& doc) {
    doc.clear();
    QTextCursor cur(&doc);
    cur.beginEditBlock();
    QTextList* list = nullptr;
    bool first = true;
    for (const RtfParagraph& p : rtf.paragraphs) {
        QTextBlockFormat bf;
        bf.setAlignment(p.align == RtfAlign::Center    ? Qt::AlignHCenter
                        : p.align == RtfAlign::Right   ? Qt::AlignRight
                        : p.align == RtfAlign::Justify ? Qt::AlignJustify
                                                       : Qt::AlignLeft);
        bf.setTextIndent(p.firstIndent / kTwipsPerPixel);
        bf.setLeftMargin(p.leftIndent / kTwipsPerPixel);
        bf.setRightMargin(p.rightIndent / kTwipsPerPixel);
        if (first) cur.setBlockFormat(bf);
        else cur.insertBlock(bf, QTextCharFormat());
        first = false;
        if (p.bullet) {
            if (list) list->add(cur.block());
            else list = cur.createList(QTextListFormat::ListDisc);
        } else {
            list = nullptr;
        }
        for (const RtfRun& r : p.runs) {
            QTextCharFormat cf;
            if (!r.format.font.empty()) cf.setFontFamilies(QStringList{toQ(r.format.font)});
            if (r.format.pointSize > 0) cf.setFontPointSize(r.format.pointSize);
            cf.setFontWeight(r.format.bold ? QFont::Bold : QFont::Normal);
            cf.setFontItalic(r.format.italic);
            cf.setFontUnderline(r.format.underline);
            cf.setFontStrikeOut(r.format.strike);
            if (r.format.color) {
                std::uint32_t c = *r.format.color;
                cf.setForeground(QColor(static_cast<int>((c >> 16) & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                                        static_cast<int>(c & 0xFF)));
            }
            cur.insertText(toQ(r.text), cf);
        }
    }
    cur.endEditBlock();
    doc.setModified(false);
}

}  // namespace vlm::shell
