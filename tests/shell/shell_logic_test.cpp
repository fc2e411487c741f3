// The shell's display-free logic: text helpers, start-up rules, dictionaries, RTF.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "shell/language.h"
#include "shell/rtf.h"
#include "shell/shelllogic.h"
#include "shell/texthelpers.h"

using namespace vlm::shell;
namespace fs = std::filesystem;

namespace {

struct TextCase {
    const char* name;
    std::string got;
    std::string want;
};

TEST(TextHelpers, TableOfCases) {
    using namespace text;
    const TextCase cases[] = {
        {"choose true", choose(true, "a", "b"), "a"},
        {"choose false", choose(false, "a", "b"), "b"},
        {"strip leading blanks only", stripLeading("  \tx "), "\tx "},
        {"strip trailing", stripTrailing(" x  "), " x"},
        {"strip both", strip("  x y  "), "x y"},
        {"repeat", repeat("ab", 3), "ababab"},
        {"repeat zero", repeat("ab", 0), ""},
        {"pad right EMP to 5", padRight("EMP", " ", 5), "EMP  "},
        {"pad right cuts 45 to 40", padRight(std::string(45, 'N'), " ", 40), std::string(40, 'N')},
        {"pad right equal length", padRight("ABCDE", " ", 5), "ABCDE"},
        {"pad right multi-char fill", padRight("A", "xy", 3), "Axyxy"},
        {"pad right counts Cyrillic characters", padRight("Таб", ".", 5), "Таб.."},
        {"pad left", padLeft("7", "0", 3), "007"},
        {"pad left cuts to first chars", padLeft("ABCDEF", " ", 4), "ABCD"},
        {"delete middle", deleteText("ABCDEF", 2, 3), "AEF"},
        {"delete past end", deleteText("ABC", 3, 10), "AB"},
        {"delete position 0 does nothing", deleteText("ABC", 0, 1), "ABC"},
        {"upper й and ъ", upperCyr("йъ"), "ЙЪ"},
        {"upper а..я", upperCyr("абвгдеж юя"), "АБВГДЕЖ ЮЯ"},
        {"upper leaves ё", upperCyr("ё"), "ё"},
        {"upper ascii, digits and punctuation", upperCyr("abc1.,;z"), "ABC1.,;Z"},
        {"upper leaves other accents", upperCyr("é"), "é"},
        {"make str", makeStr(U'-', 4), "----"},
        {"make str Cyrillic", makeStr(U'ж', 2), "жж"},
        {"base 2 padded", toBase(5, 2, 8), "00000101"},
        {"base 16", toBase(255, 16, 0), "FF"},
        {"base 8 no pad needed", toBase(64, 8, 2), "100"},
        {"base out of range", toBase(5, 17, 0), ""},
        {"int to hex", intToHex(255, 4), "00FF"},
        {"extract word 2", extractWord(2, "one, two;three", ", ;"), "two"},
        {"extract word past end", extractWord(4, "one two", " "), ""},
    };
    for (const TextCase& c : cases) EXPECT_EQ(c.got, c.want) << c.name;

    EXPECT_EQ(wordCount("  one, two;;three ", ", ;"), 3);
    EXPECT_EQ(wordCount("", " "), 0);
    EXPECT_EQ(wordPosition(2, "ab  cd", " "), 5);
    EXPECT_EQ(wordPosition(3, "ab  cd", " "), 0);
    EXPECT_EQ(hexToInt("$1F"), 31);
    EXPECT_EQ(hexToInt("ff"), 255);
    EXPECT_EQ(hexToInt("zz"), 0);
    EXPECT_EQ(hexToInt(""), 0);
    EXPECT_EQ(hexToInt("$"), 0);

    struct NumCase { const char* text; std::optional<double> want; };
    const NumCase nums[] = {{"12.5", 12.5}, {" 1 234 ", 1234.0}, {"-3", -3.0}, {"1e3", 1000.0},
                            {"", std::nullopt}, {"   ", std::nullopt}, {"12a", std::nullopt}, {"1.2.3", std::nullopt}};
    for (const NumCase& n : nums) EXPECT_EQ(textToNumber(n.text), n.want) << n.text;
    EXPECT_EQ(textToNumber("3,5", ','), 3.5);
}

TEST(Language, PickAndNoSelectionFollowTheSetting) {
    struct Case { int setting; const char* pickWant; const char* noSel; };
    const Case cases[] = {{0, "About", "No Selected Table !"}, {1, "Об авторе", "Не выбрана таблица !"},
                          {2, "About", "No Selected Table !"}, {7, "About", "No Selected Table !"}};
    for (const Case& c : cases) {
        setLanguageSetting(c.setting);
        updateNoSelectionMessage();
        EXPECT_EQ(pick("Об авторе", "About"), c.pickWant) << c.setting;
        EXPECT_EQ(noSelectionMessage(), c.noSel) << c.setting;
    }
    setLanguageSetting(0);
    EXPECT_EQ(mainCaption(0), "Velmar 32 V 3.40a");
    EXPECT_EQ(mainCaption(1), "Velmar VLM32 V 3.40a");
    EXPECT_EQ(mainCaption(2), "Velmar 32 V 3.40");
}

TEST(StartUp, SplashPlacement) {
    struct Case { const char* value; bool show; int left, top; };
    const Case cases[] = {{"none", false, 0, 0}, {"None", false, 0, 0}, {"NONE", false, 0, 0},
                          {"LeftTop", true, 0, 0}, {"RightTop", true, 1024 - 332, 0},
                          {"", true, (1024 - 332) / 2, (768 - 214) / 2}, {"CENTER", true, 346, 277},
                          {"elsewhere", true, 346, 277}};
    for (const Case& c : cases) {
        SplashPlacement p = splashPlacement(c.value, 1024, 768, 332, 214);
        EXPECT_EQ(p.show, c.show) << c.value;
        if (c.show) {
            EXPECT_EQ(p.left, c.left) << c.value;
            EXPECT_EQ(p.top, c.top) << c.value;
        }
    }
}

TEST(StartUp, ResizeRuleAndKeyboardIndicator) {
    EXPECT_EQ(mainLayout(640, 3, 640).functionKeyWidth, 63);
    EXPECT_EQ(mainLayout(641, 3, 641).functionKeyWidth, 63);
    EXPECT_EQ(mainLayout(640, 3, 640).panelLeftWidth, 311);
    EXPECT_EQ(mainLayout(641, 3, 641).panelLeftWidth, 311);
    EXPECT_EQ(mainLayout(640, 3, 640).statusSpareWidth, 640 - 250 - 50);
    EXPECT_EQ(keyboardIndicator("00000419"), "Рус");
    EXPECT_EQ(keyboardIndicator("00000409"), "Eng");
    EXPECT_EQ(keyboardIndicator("00000407"), "Not");
    EXPECT_EQ(keyboardIndicator(layoutNameOfLanguage("ru_RU")), "Рус");
    EXPECT_EQ(keyboardIndicator(layoutNameOfLanguage("en_US")), "Eng");
    EXPECT_EQ(keyboardIndicator(layoutNameOfLanguage("de_DE")), "Not");
}

// The indicator's language: the input method's, else (a bare X server's "C") the X layout's.
TEST(StartUp, KeyboardLanguageFallsBackToTheXLayout) {
    struct Case { const char* inputMethod; const char* xkb; const char* shown; } cases[] = {
        {"ru_RU", "us", "Рус"}, {"en_US", "ru", "Eng"}, {"de_DE", "us", "Not"},
        {"C", "us", "Eng"}, {"", "ru,us", "Рус"}, {"POSIX", "gb", "Eng"}, {"C.UTF-8", "us(intl)", "Eng"},
        {"C", "de(nodeadkeys)", "Not"}, {"C", "", "Not"}};
    for (const Case& c : cases)
        EXPECT_EQ(keyboardIndicator(layoutNameOfLanguage(keyboardLanguage(c.inputMethod, c.xkb))), c.shown)
            << c.inputMethod << " / " << c.xkb;
    struct Layout { const char* layout; const char* language; } layouts[] = {
        {"us", "en"}, {"gb", "en"}, {"ru", "ru"}, {"us,ru", "en"}, {"ru,us", "ru"},
        {"de(nodeadkeys)", "de"}, {"ua", "uk"}, {"", ""}};
    for (const Layout& l : layouts) EXPECT_EQ(languageOfXkbLayout(l.layout), l.language) << l.layout;
}

class TempDir : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("vlm_shell_" + std::to_string(::getpid()) + "_" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string dir() const { return dir_.string() + "/"; }
    void write(const std::string& name, const std::string& text) { std::ofstream(dir_ / name, std::ios::binary) << text; }
    fs::path dir_;
};

using Dictionaries_ = TempDir;
TEST_F(Dictionaries_, FirstUnreadableFileEndsTheLoad) {
    write("VLMSQLC.DIC", "SELECT\r\nFROM\r\nWHERE\r\n");
    write("VLMPLSQL.DIC", "BEGIN\n");
    Dictionaries d = loadDictionaries(dir());
    EXPECT_EQ(d.sqlKeywords, (std::vector<std::string>{"SELECT", "FROM", "WHERE"}));
    EXPECT_TRUE(d.sqlFunctions.empty());
    EXPECT_TRUE(d.otherKeywords.empty()) << "files after the failing one stay empty";
    EXPECT_EQ(d.error, "Cannot open file \"" + dir() + "VLMSQLF.DIC\"");

    write("VLMSQLF.DIC", "UPPER\nLOWER");
    d = loadDictionaries(dir());
    EXPECT_EQ(d.error, "");
    EXPECT_EQ(d.sqlFunctions.size(), 2u);
    EXPECT_EQ(d.otherKeywords, std::vector<std::string>{"BEGIN"});
}

using HelpFiles = TempDir;
TEST_F(HelpFiles, ClassifiedAndResolvedToHtml) {
    write("a.html", "<!DOCTYPE html><html><body>x</body></html>");
    write("b.txt", "plain help text\n");
    write("c.hlp", std::string("?_\x03\x00binary", 10));
    fs::create_directories(dir_ / "help");
    write("help/VLM32.html", "<html><body>contents</body></html>");
    EXPECT_EQ(classifyHelpFile(dir() + "a.html"), HelpKind::Html);
    EXPECT_EQ(classifyHelpFile(dir() + "b.txt"), HelpKind::Text);
    EXPECT_EQ(classifyHelpFile(dir() + "c.hlp"), HelpKind::Other);
    EXPECT_EQ(classifyHelpFile(dir() + "none"), HelpKind::Missing);
    EXPECT_EQ(resolveHelpFile(dir() + "VLM32.HLP", dir()), dir() + "help/VLM32.html");
    EXPECT_EQ(resolveHelpFile(dir() + "b.txt", dir()), dir() + "b.txt");
    EXPECT_EQ(resolveHelpFile(dir() + "SQLREF32.HLP", dir()), dir() + "SQLREF32.HLP");
}

RtfCharFormat fmt(const char* font, double size, bool b = false, bool i = false, bool u = false, bool s = false,
                  std::optional<std::uint32_t> color = std::nullopt) {
    RtfCharFormat f;
    f.font = font;
    f.pointSize = size;
    f.bold = b;
    f.italic = i;
    f.underline = u;
    f.strike = s;
    f.color = color;
    return f;
}

TEST(Rtf, WriterOutputReadsBackUnchanged) {
    RtfDocument doc;
    RtfParagraph p1;
    p1.runs = {{"Plain ", fmt("Arial", 10)},
               {"bold", fmt("Arial", 10, true)},
               {" italic", fmt("Times New Roman", 12.5, false, true)},
               {" under+strike", fmt("Arial", 10, false, false, true, true)},
               {" red {braces} \\ back", fmt("Arial", 10, false, false, false, false, 0xFF0000)}};
    RtfParagraph p2;
    p2.align = RtfAlign::Center;
    p2.runs = {{"Центр — по-русски, tab\there, ёЁ, emoji \U0001F600", fmt("Courier New", 14, true, true, false, false, 0x0000FF)}};
    RtfParagraph p3;
    p3.bullet = true;
    p3.align = RtfAlign::Right;
    p3.firstIndent = -360;
    p3.leftIndent = 720;
    p3.rightIndent = 120;
    p3.runs = {{"bullet line\u2028second line", fmt("Arial", 10)}};
    RtfParagraph empty;
    RtfParagraph p5;
    p5.align = RtfAlign::Justify;
    p5.runs = {{"last", fmt("Arial", 10)}};
    doc.paragraphs = {p1, p2, p3, empty, p5};

    const std::string out = writeRtf(doc);
    RtfReadResult r = readRtf(out);
    EXPECT_TRUE(r.isRtf);
    EXPECT_TRUE(r.wellFormed);
    ASSERT_EQ(r.doc.paragraphs.size(), doc.paragraphs.size()) << out;
    for (size_t i = 0; i < doc.paragraphs.size(); ++i) EXPECT_EQ(r.doc.paragraphs[i], doc.paragraphs[i]) << i << "\n" << out;
    EXPECT_EQ(writeRtf(r.doc), out) << "writing is stable";
}

TEST(Rtf, DocumentOfAnotherWordProcessorKeepsItsText) {
    // The shape other editors write: code page 1251 with \' escapes, \u with fallbacks, a style
    // sheet, an info group, a picture, field instructions, list text and a bullet group.
    const std::string file =
        "{\\rtf1\\ansi\\ansicpg1251\\deff0\\nouicompat\\deflang1049"
        "{\\fonttbl{\\f0\\fswiss\\fcharset204 Arial;}{\\f1\\fnil\\fcharset2 Symbol;}}\r\n"
        "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}\r\n"
        "{\\stylesheet{\\s0 Normal;}}{\\info{\\author Someone}{\\title Report}}"
        "{\\*\\generator Another Editor 10.0;}\\viewkind4\\uc1 \r\n"
        "\\pard\\sa200\\sl276\\slmult1\\qc\\f0\\fs28\\lang1049 \\b\\'cf\\'f0\\'e8\\'e2\\'e5\\'f2\\b0 , "
        "\\cf1\\i world\\i0\\cf0\\par\r\n"
        "\\pard{\\pntext\\f1\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'B7}}\\fi-360\\li720 "
        "\\ul item\\ulnone  \\u8364?\\par\r\n"
        "\\pard{\\pict\\wmetafile8\\picw100\\pich100 0102030405060708}"
        "{\\field{\\*\\fldinst{HYPERLINK \"http://x\"}}{\\fldrslt{link text}}}\\strike  gone\\strike0\\line next\\par\r\n"
        "}\r\n";
    RtfReadResult r = readRtf(file);
    EXPECT_TRUE(r.isRtf);
    EXPECT_TRUE(r.wellFormed);
    ASSERT_GE(r.doc.paragraphs.size(), 3u);
    EXPECT_EQ(r.doc.paragraphs[0].text(), "Привет, world");
    EXPECT_EQ(r.doc.paragraphs[0].align, RtfAlign::Center);
    EXPECT_TRUE(r.doc.paragraphs[0].runs[0].format.bold);
    EXPECT_EQ(r.doc.paragraphs[0].runs[0].format.font, "Arial");
    EXPECT_EQ(r.doc.paragraphs[0].runs[0].format.pointSize, 14);
    EXPECT_EQ(r.doc.paragraphs[0].runs.back().format.color, std::optional<std::uint32_t>(0xFF0000));
    EXPECT_TRUE(r.doc.paragraphs[0].runs.back().format.italic);
    EXPECT_EQ(r.doc.paragraphs[1].text(), "item €");
    EXPECT_TRUE(r.doc.paragraphs[1].bullet);
    EXPECT_EQ(r.doc.paragraphs[1].leftIndent, 720);
    EXPECT_EQ(r.doc.paragraphs[1].firstIndent, -360);
    EXPECT_TRUE(r.doc.paragraphs[1].runs[0].format.underline);
    EXPECT_EQ(r.doc.paragraphs[2].text(), "link text gone\u2028next");
    EXPECT_FALSE(r.doc.paragraphs[2].bullet) << "\\pard ends the bullet";
}

TEST(Rtf, MalformedAndPlainInputsGiveTheirReadableText) {
    struct Case { const char* name; std::string in; std::string text; bool rtf; bool wellFormed; };
    const Case cases[] = {
        {"unclosed group", "{\\rtf1\\ansi {\\b bold", "bold", true, false},
        {"extra closing brace", "{\\rtf1 a}}b}", "ab", true, false},
        {"cut hex escape", "{\\rtf1 x\\'", "x", true, false},
        {"bad hex escape", "{\\rtf1 x\\'zz y}", "x y", true, false},
        {"huge parameter", "{\\rtf1\\fs99999999999999999 big}", "big", true, true},
        {"bin past the end", "{\\rtf1 a\\bin999999 xyz}", "a", true, false},
        {"not rtf", "line one\r\nline two", "line one\nline two", false, true},
        {"plain Windows-1251", std::string("\xcf\xf0\xe8\xe2\xe5\xf2"), "Привет", false, true},
    };
    for (const Case& c : cases) {
        RtfReadResult r = readRtf(c.in);
        EXPECT_EQ(r.isRtf, c.rtf) << c.name;
        EXPECT_EQ(r.wellFormed, c.wellFormed) << c.name;
        EXPECT_EQ(r.doc.plainText(), c.text) << c.name;
    }
    std::string deep = "{\\rtf1 ";
    for (int i = 0; i < 100000; ++i) deep += "{";
    deep += "deep";
    RtfReadResult r = readRtf(deep);
    EXPECT_FALSE(r.wellFormed);
}

TEST(Rtf, RandomMutationsNeverCrash) {
    // Mutations of a real document and random byte soup: the reader must return, and what it
    // returns must write and read again.
    RtfDocument doc;
    RtfParagraph p;
    p.bullet = true;
    p.runs = {{"Текст ", fmt("Arial", 10, true)}, {"more", fmt("Arial", 12, false, true, true, true, 0x00FF00)}};
    doc.paragraphs = {p, p};
    const std::string seed = writeRtf(doc) + "{\\*\\pn\\pnlvlblt}{\\u-200?\\'e0\\uc2\\u1234\\'41\\'42}";
    const std::string alphabet = "{}\\'*0123456789abcdefrtuq-; \r\n\xe0";
    std::mt19937 rng(20240611);
    for (int iter = 0; iter < 20000; ++iter) {
        std::string s = seed;
        int edits = 1 + static_cast<int>(rng() % 8);
        for (int e = 0; e < edits; ++e) {
            size_t at = rng() % (s.size() + 1);
            switch (rng() % 3) {
                case 0: if (at < s.size()) s.erase(at, 1 + rng() % 8); break;
                case 1: s.insert(at, 1, alphabet[rng() % alphabet.size()]); break;
                default: if (at < s.size()) s[at] = static_cast<char>(rng() % 256); break;
            }
        }
        if (iter % 4 == 0) {
            s = "{\\rtf";
            for (int k = 0; k < 200; ++k) s += alphabet[rng() % alphabet.size()];
        }
        RtfReadResult r = readRtf(s);
        RtfReadResult again = readRtf(writeRtf(r.doc));
        ASSERT_EQ(again.doc.plainText(), r.doc.plainText()) << s;
    }
}

}  // namespace
