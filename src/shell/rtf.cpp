// RTF reader (a tokeniser over a stack of group states) and writer.
#include "shell/rtf.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "shell/codepage.h"

namespace vlm::shell {

std::string RtfParagraph::text() const {
    std::string t;
    for (const RtfRun& r : runs) t += r.text;
    return t;
}

std::string RtfDocument::plainText() const {
    std::string t;
    for (size_t i = 0; i < paragraphs.size(); ++i) {
        if (i) t += '\n';
        t += paragraphs[i].text();
    }
    return t;
}

bool looksLikeRtf(std::string_view bytes) {
    size_t i = 0;
    while (i < bytes.size() && (bytes[i] == ' ' || bytes[i] == '\r' || bytes[i] == '\n' || bytes[i] == '\t')) ++i;
    return bytes.substr(i, 5) == "{\\rtf";
}

namespace {

// Deeper nesting than any word processor writes; past it groups are counted, not stacked.
constexpr size_t kMaxDepth = 256;

enum class Dest { Text, Skip, FontTable, ColorTable, PnBullet };

struct ParaState {
    RtfAlign align = RtfAlign::Left;
    bool bullet = false;
    int fi = 0, li = 0, ri = 0;
};

struct CharState {
    int font = -1;  // -1: the document's default font
    int halfPoints = 0;
    bool b = false, i = false, ul = false, strike = false;
    int cf = 0;
};

struct GroupState {
    Dest dest = Dest::Text;
    CharState chr;
    ParaState para;
    int uc = 1;
};

struct FontEntry {
    std::string name;
    int codePage = 0;  // 0: the document's code page
};

class Reader {
public:
    explicit Reader(std::string_view in) : in_(in) {}

    RtfReadResult run() {
        RtfReadResult result;
        result.isRtf = looksLikeRtf(in_);
        if (!result.isRtf) {
            readPlain(result);
            return result;
        }
        while (pos_ < in_.size()) step();
        if (!stack_.empty() || overflow_ > 0) wellFormed_ = false;
        endParagraph(false);
        result.doc = std::move(doc_);
        result.wellFormed = wellFormed_;
        return result;
    }

private:
    void readPlain(RtfReadResult& result) {
        std::string text = isValidUtf8(in_) ? std::string(in_) : codePageToUtf8(1251, in_);
        RtfParagraph p;
        std::string line;
        auto flush = [&] {
            p.runs.clear();
            if (!line.empty()) p.runs.push_back({line, {}});
            result.doc.paragraphs.push_back(p);
            line.clear();
        };
        for (size_t i = 0; i < text.size(); ++i) {
            char c = text[i];
            if (c == '\r') {
                if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
                flush();
            } else if (c == '\n') {
                flush();
            } else {
                line += c;
            }
        }
        flush();
    }

    void step() {
        char c = in_[pos_];
        if (c == '{') {
            ++pos_;
            if (stack_.size() >= kMaxDepth) { ++overflow_; return; }
            stack_.push_back(cur_);
            return;
        }
        if (c == '}') {
            ++pos_;
            closeGroup();
            return;
        }
        if (c == '\\') {
            ++pos_;
            control();
            return;
        }
        ++pos_;
        if (c == '\r' || c == '\n') return;
        if (overflow_ > 0) return;
        text(static_cast<unsigned char>(c), false);
    }

    void closeGroup() {
        if (overflow_ > 0) { --overflow_; return; }
        if (stack_.empty()) { wellFormed_ = false; return; }
        Dest closing = cur_.dest;
        if (closing == Dest::FontTable) commitFont();
        cur_ = stack_.back();
        stack_.pop_back();
        if (closing == Dest::PnBullet && pendingBullet_) cur_.para.bullet = true;
        if (closing == Dest::PnBullet) pendingBullet_ = false;
    }

    // One character of text in the current destination; raw bytes go through the code page.
    void text(unsigned char byte, bool fromHex) {
        if (skipAfterUnicode_ > 0) { --skipAfterUnicode_; return; }
        char32_t ch = byte;
        if (byte >= 0x80 || fromHex) ch = decodeCodePageByte(currentCodePage(), byte);
        else if (byte < 0x20 && byte != '\t') return;
        character(ch);
    }

    void character(char32_t ch) {
        switch (cur_.dest) {
            case Dest::Text: appendToRun(ch); break;
            case Dest::FontTable:
                if (ch == ';') commitFont();
                else appendUtf8(fontName_, ch);
                break;
            case Dest::ColorTable:
                if (ch == ';') {
                    colors_.push_back(colorSeen_ ? std::optional<std::uint32_t>((r_ << 16) | (g_ << 8) | b_)
                                                 : std::nullopt);
                    r_ = g_ = b_ = 0;
                    colorSeen_ = false;
                }
                break;
            default: break;
        }
    }

    int currentCodePage() const {
        int f = cur_.chr.font >= 0 ? cur_.chr.font : defaultFont_;
        auto it = fonts_.find(f);
        if (it != fonts_.end() && it->second.codePage) return it->second.codePage;
        return codePage_;
    }

    void commitFont() {
        if (fontNum_ >= 0) {
            std::string name = fontName_;
            while (!name.empty() && name.back() == ' ') name.pop_back();
            while (!name.empty() && name.front() == ' ') name.erase(0, 1);
            fonts_[fontNum_] = {name, fontCharset_ >= 0 ? codePageOfCharset(fontCharset_) : 0};
        }
        fontNum_ = -1;
        fontCharset_ = -1;
        fontName_.clear();
    }

    RtfCharFormat formatNow() const {
        RtfCharFormat f;
        int font = cur_.chr.font >= 0 ? cur_.chr.font : defaultFont_;
        auto it = fonts_.find(font);
        if (it != fonts_.end()) f.font = it->second.name;
        f.pointSize = cur_.chr.halfPoints / 2.0;
        f.bold = cur_.chr.b;
        f.italic = cur_.chr.i;
        f.underline = cur_.chr.ul;
        f.strike = cur_.chr.strike;
        if (cur_.chr.cf > 0 && static_cast<size_t>(cur_.chr.cf) < colors_.size()) f.color = colors_[cur_.chr.cf];
        return f;
    }

    void appendToRun(char32_t ch) {
        RtfCharFormat f = formatNow();
        if (para_.runs.empty() || !(para_.runs.back().format == f)) para_.runs.push_back({{}, f});
        appendUtf8(para_.runs.back().text, ch);
        paraProps_ = cur_.para;
    }

    // A \par ends a paragraph with the properties in force there; the text's end ends the
    // last one (kept even when empty, as the editor shows it) with those of its last text.
    void endParagraph(bool explicitEnd) {
        ParaState p = (explicitEnd || para_.runs.empty()) ? cur_.para : paraProps_;
        para_.align = p.align;
        para_.bullet = p.bullet;
        para_.firstIndent = p.fi;
        para_.leftIndent = p.li;
        para_.rightIndent = p.ri;
        doc_.paragraphs.push_back(std::move(para_));
        para_ = {};
    }

    static bool isAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

    void control() {
        if (pos_ >= in_.size()) { wellFormed_ = false; return; }
        char c = in_[pos_];
        if (!isAlpha(c)) {
            ++pos_;
            symbol(c);
            return;
        }
        size_t start = pos_;
        while (pos_ < in_.size() && isAlpha(in_[pos_]) && pos_ - start < 32) ++pos_;
        std::string word(in_.substr(start, pos_ - start));
        bool hasParam = false;
        bool negative = false;
        long long param = 0;
        if (pos_ < in_.size() && in_[pos_] == '-') { negative = true; ++pos_; }
        int digits = 0;
        while (pos_ < in_.size() && in_[pos_] >= '0' && in_[pos_] <= '9') {
            if (digits < 10) param = param * 10 + (in_[pos_] - '0');
            ++digits;
            ++pos_;
            hasParam = true;
        }
        if (negative) param = -param;
        if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;
        if (overflow_ > 0) return;
        keyword(word, hasParam, static_cast<int>(std::clamp<long long>(param, -2147483647LL, 2147483647LL)));
    }

    void symbol(char c) {
        if (overflow_ > 0) return;
        switch (c) {
            case '\\': case '{': case '}': text(static_cast<unsigned char>(c), false); break;
            case '~': unicodeChar(0x00A0); break;
            case '_': unicodeChar(0x2011); break;
            case '-': break;
            case '\r': case '\n': keyword("par", false, 0); break;
            case '*': starred_ = true; return;
            case '\'': {
                if (pos_ + 2 > in_.size()) { pos_ = in_.size(); wellFormed_ = false; break; }
                auto hex = [](char h) -> int {
                    if (h >= '0' && h <= '9') return h - '0';
                    if (h >= 'a' && h <= 'f') return h - 'a' + 10;
                    if (h >= 'A' && h <= 'F') return h - 'A' + 10;
                    return -1;
                };
                int hi = hex(in_[pos_]), lo = hex(in_[pos_ + 1]);
                pos_ += 2;
                if (hi < 0 || lo < 0) { wellFormed_ = false; break; }
                text(static_cast<unsigned char>(hi * 16 + lo), true);
                break;
            }
            default: break;
        }
        starred_ = false;
    }

    void unicodeChar(char32_t ch) {
        if (skipAfterUnicode_ > 0) { --skipAfterUnicode_; return; }
        character(ch);
    }

    void keyword(const std::string& w, bool hasParam, int n) {
        bool starred = starred_;
        starred_ = false;
        skipAfterUnicode_ = w == "u" ? skipAfterUnicode_ : 0;
        int on = hasParam ? n : 1;

        if (cur_.dest == Dest::Skip) {
            if (w == "bin" && hasParam && n > 0) pos_ = std::min(in_.size(), pos_ + static_cast<size_t>(n));
            return;
        }

        // Destinations.
        if (w == "fonttbl") { cur_.dest = Dest::FontTable; return; }
        if (w == "colortbl") { cur_.dest = Dest::ColorTable; colors_.clear(); return; }
        if (w == "pn") { cur_.dest = Dest::PnBullet; return; }
        if (w == "pnlvlblt") { if (cur_.dest == Dest::PnBullet) pendingBullet_ = true; return; }
        static const char* const kSkipped[] = {
            "stylesheet", "info", "pict", "object", "header", "headerl", "headerr", "headerf",
            "footer", "footerl", "footerr", "footerf", "footnote", "fldinst", "pntext", "pntxta",
            "pntxtb", "listtext", "annotation", "xe", "tc", "listtable", "listoverridetable",
            "revtbl", "rsidtbl", "generator", "filetbl", "themedata", "colorschememapping",
            "latentstyles", "datastore", "bkmkstart", "bkmkend", "nonshppict", "shppict"};
        for (const char* s : kSkipped)
            if (w == s) { cur_.dest = Dest::Skip; return; }
        if (starred && cur_.dest != Dest::PnBullet) { cur_.dest = Dest::Skip; return; }
        if (w == "bin") {
            size_t len = hasParam && n > 0 ? static_cast<size_t>(n) : 0;
            pos_ = std::min(in_.size(), pos_ + len);
            return;
        }

        // Document.
        if (w == "ansicpg") { codePage_ = n == 1251 ? 1251 : 1252; return; }
        if (w == "deff") { defaultFont_ = n; return; }
        if (w == "uc") { cur_.uc = std::clamp(n, 0, 8); return; }
        if (w == "u") {
            int v = n < 0 ? n + 65536 : n;
            char32_t ch = static_cast<char32_t>(v);
            if (ch >= 0xDC00 && ch <= 0xDFFF && highSurrogate_) {
                ch = 0x10000 + ((highSurrogate_ - 0xD800) << 10) + (ch - 0xDC00);
                highSurrogate_ = 0;
                character(ch);
            } else if (ch >= 0xD800 && ch <= 0xDBFF) {
                highSurrogate_ = ch;
            } else {
                highSurrogate_ = 0;
                character(ch);
            }
            skipAfterUnicode_ = cur_.uc;
            return;
        }

        if (cur_.dest == Dest::FontTable) {
            if (w == "f") { commitFont(); fontNum_ = n; }
            else if (w == "fcharset") fontCharset_ = n;
            return;
        }
        if (cur_.dest == Dest::ColorTable) {
            if (w == "red") { r_ = static_cast<std::uint32_t>(std::clamp(n, 0, 255)); colorSeen_ = true; }
            else if (w == "green") { g_ = static_cast<std::uint32_t>(std::clamp(n, 0, 255)); colorSeen_ = true; }
            else if (w == "blue") { b_ = static_cast<std::uint32_t>(std::clamp(n, 0, 255)); colorSeen_ = true; }
            return;
        }

        // Paragraphs.
        if (w == "par" || w == "sect" || w == "row") { endParagraph(true); return; }
        if (w == "pard") { cur_.para = {}; return; }
        if (w == "ql") { cur_.para.align = RtfAlign::Left; return; }
        if (w == "qc") { cur_.para.align = RtfAlign::Center; return; }
        if (w == "qr") { cur_.para.align = RtfAlign::Right; return; }
        if (w == "qj") { cur_.para.align = RtfAlign::Justify; return; }
        if (w == "fi") { cur_.para.fi = n; return; }
        if (w == "li") { cur_.para.li = n; return; }
        if (w == "ri") { cur_.para.ri = n; return; }
        if (w == "ls") { cur_.para.bullet = n > 0; return; }

        // Characters.
        if (w == "plain") { cur_.chr = {}; return; }
        if (w == "f") { cur_.chr.font = n; return; }
        if (w == "fs") { cur_.chr.halfPoints = std::clamp(n, 0, 3276); return; }
        if (w == "b") { cur_.chr.b = on != 0; return; }
        if (w == "i") { cur_.chr.i = on != 0; return; }
        if (w == "ul" || w == "uld" || w == "uldb" || w == "ulw" || w == "uldash" || w == "ulth" || w == "ulwave") {
            cur_.chr.ul = on != 0;
            return;
        }
        if (w == "ulnone") { cur_.chr.ul = false; return; }
        if (w == "strike" || w == "striked") { cur_.chr.strike = on != 0; return; }
        if (w == "cf") { cur_.chr.cf = std::max(0, n); return; }

        // Special characters.
        if (w == "line") { unicodeChar(0x2028); return; }
        if (w == "tab" || w == "cell") { unicodeChar('\t'); return; }
        if (w == "emdash") { unicodeChar(0x2014); return; }
        if (w == "endash") { unicodeChar(0x2013); return; }
        if (w == "bullet") { unicodeChar(0x2022); return; }
        if (w == "lquote") { unicodeChar(0x2018); return; }
        if (w == "rquote") { unicodeChar(0x2019); return; }
        if (w == "ldblquote") { unicodeChar(0x201C); return; }
        if (w == "rdblquote") { unicodeChar(0x201D); return; }
        if (w == "emspace") { unicodeChar(0x2003); return; }
        if (w == "enspace") { unicodeChar(0x2002); return; }
    }

    std::string_view in_;
    size_t pos_ = 0;
    std::vector<GroupState> stack_;
    GroupState cur_;
    size_t overflow_ = 0;
    bool wellFormed_ = true;
    bool starred_ = false;
    bool pendingBullet_ = false;
    int skipAfterUnicode_ = 0;
    char32_t highSurrogate_ = 0;
    int codePage_ = 1252;
    int defaultFont_ = 0;
    std::map<int, FontEntry> fonts_;
    int fontNum_ = -1, fontCharset_ = -1;
    std::string fontName_;
    std::vector<std::optional<std::uint32_t>> colors_;
    std::uint32_t r_ = 0, g_ = 0, b_ = 0;
    bool colorSeen_ = false;
    RtfDocument doc_;
    RtfParagraph para_;
    ParaState paraProps_;
};

void writeEscaped(std::string& out, std::string_view utf8) {
    for (char32_t c : fromUtf8(utf8)) {
        if (c == '\\' || c == '{' || c == '}') { out += '\\'; out += static_cast<char>(c); }
        else if (c == '\t') out += "\\tab ";
        else if (c == 0x2028) out += "\\line ";
        else if (c >= 0x20 && c < 0x80) out += static_cast<char>(c);
        else {
            auto emit = [&](unsigned v) {
                int s = v > 32767 ? static_cast<int>(v) - 65536 : static_cast<int>(v);
                out += "\\u" + std::to_string(s) + "?";
            };
            if (c >= 0x10000) {
                unsigned v = static_cast<unsigned>(c) - 0x10000;
                emit(0xD800 + (v >> 10));
                emit(0xDC00 + (v & 0x3FF));
            } else {
                emit(static_cast<unsigned>(c));
            }
        }
    }
}

}  // namespace

RtfReadResult readRtf(std::string_view bytes) { return Reader(bytes).run(); }

std::string writeRtf(const RtfDocument& doc) {
    std::vector<std::string> fonts;
    std::vector<std::uint32_t> colors;
    auto fontIndex = [&](const std::string& name) {
        auto it = std::find(fonts.begin(), fonts.end(), name);
        if (it != fonts.end()) return static_cast<int>(it - fonts.begin());
        fonts.push_back(name);
        return static_cast<int>(fonts.size() - 1);
    };
    auto colorIndex = [&](std::uint32_t c) {
        auto it = std::find(colors.begin(), colors.end(), c);
        if (it != colors.end()) return static_cast<int>(it - colors.begin()) + 1;
        colors.push_back(c);
        return static_cast<int>(colors.size());
    };
    // The body first, so the tables can list exactly what it uses.
    std::string body;
    for (size_t pi = 0; pi < doc.paragraphs.size(); ++pi) {
        const RtfParagraph& p = doc.paragraphs[pi];
        body += "\\pard";
        if (p.align == RtfAlign::Center) body += "\\qc";
        else if (p.align == RtfAlign::Right) body += "\\qr";
        else if (p.align == RtfAlign::Justify) body += "\\qj";
        if (p.firstIndent) body += "\\fi" + std::to_string(p.firstIndent);
        if (p.leftIndent) body += "\\li" + std::to_string(p.leftIndent);
        if (p.rightIndent) body += "\\ri" + std::to_string(p.rightIndent);
        if (p.bullet) body += "{\\pntext\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnindent0{\\pntxtb\\'b7}}";
        for (const RtfRun& r : p.runs) {
            const RtfCharFormat& f = r.format;
            body += "\\plain";
            if (!f.font.empty()) body += "\\f" + std::to_string(fontIndex(f.font));
            if (f.pointSize > 0) body += "\\fs" + std::to_string(static_cast<int>(std::lround(f.pointSize * 2)));
            if (f.bold) body += "\\b";
            if (f.italic) body += "\\i";
            if (f.underline) body += "\\ul";
            if (f.strike) body += "\\strike";
            if (f.color) body += "\\cf" + std::to_string(colorIndex(*f.color));
            body += ' ';
            writeEscaped(body, r.text);
        }
        if (pi + 1 < doc.paragraphs.size()) body += "\\par\n";
    }
    // A document whose runs name no font still needs a table entry for \deff0.
    if (fonts.empty()) fonts.push_back("Courier New");

    std::string out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl";
    for (size_t i = 0; i < fonts.size(); ++i) {
        out += "{\\f" + std::to_string(i) + "\\fnil\\fcharset0 ";
        writeEscaped(out, fonts[i]);
        out += ";}";
    }
    out += "}\n{\\colortbl ;";
    for (std::uint32_t c : colors) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "\\red%u\\green%u\\blue%u;", (c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
        out += buf;
    }
    out += "}\n\\viewkind4";
    out += body;
    out += "}\n";
    return out;
}

}  // namespace vlm::shell
