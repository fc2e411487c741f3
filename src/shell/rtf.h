// The text window's own RTF reader and writer for what its editor produces: fonts, sizes,
// bold, italic, underline, strike-out, colours, alignment, indents and bullets. A file from
// another word processor is read for its text and these attributes; everything else (pictures,
// tables, fields' instructions, styles) is skipped. Plain C++, no Qt.
//   RtfReadResult r = readRtf(bytes);  std::string out = writeRtf(r.doc);
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vlm::shell {

struct RtfCharFormat {
    std::string font;               // family name; empty = the editor's default
    double pointSize = 0;           // 0 = the editor's default
    bool bold = false, italic = false, underline = false, strike = false;
    std::optional<std::uint32_t> color;  // 0xRRGGBB; none = automatic
    bool operator==(const RtfCharFormat&) const = default;
};

struct RtfRun {
    std::string text;  // UTF-8; U+2028 is a line break inside the paragraph
    RtfCharFormat format;
    bool operator==(const RtfRun&) const = default;
};

enum class RtfAlign { Left, Center, Right, Justify };

struct RtfParagraph {
    RtfAlign align = RtfAlign::Left;
    bool bullet = false;
    int firstIndent = 0, leftIndent = 0, rightIndent = 0;  // twips
    std::vector<RtfRun> runs;
    bool operator==(const RtfParagraph&) const = default;
    std::string text() const;
};

struct RtfDocument {
    std::vector<RtfParagraph> paragraphs;
    bool operator==(const RtfDocument&) const = default;
    std::string plainText() const;  // paragraphs joined by "\n"
};

struct RtfReadResult {
    RtfDocument doc;
    bool isRtf = false;      // the text starts with "{\rtf"
    bool wellFormed = true;  // braces balanced, nothing cut off
};

// True when bytes begin (after blanks) with "{\rtf".
bool looksLikeRtf(std::string_view bytes);

// Never fails: whatever is readable becomes text. Text that is not RTF at all is returned as
// one paragraph per line with isRtf false.
RtfReadResult readRtf(std::string_view bytes);

std::string writeRtf(const RtfDocument& doc);

}  // namespace vlm::shell
