// The main window's rules that need no display: splash placement, the resize arithmetic, the
// keyboard-layout indicator, the keyword dictionaries and how a help file is recognised.
// Plain C++, no Qt.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vlm::shell {

inline constexpr const char* kVersion = "3.40";
inline constexpr const char* kVersionLetter = "a";

struct SplashPlacement {
    bool show = true;
    int left = 0, top = 0;
};
// "NONE" hides the splash window, "LEFTTOP" and "RIGHTTOP" put it in a top corner, anything
// else centres it; the value is compared in upper case.
SplashPlacement splashPlacement(std::string_view showStartForm, int screenWidth, int screenHeight,
                                int width, int height);

// Widths the resize rule gives.
struct MainLayout {
    int panelLeftWidth = 0;
    int functionKeyWidth = 0;
    int statusSpareWidth = 0;
};
inline constexpr int kStatusWidths[6] = {60, 60, 60, 70, 0, 50};
MainLayout mainLayout(int windowWidth, int splitterWidth, int statusBarWidth);

// "00000419" -> "Рус", "00000409" -> "Eng", anything else -> "Not".
std::string keyboardIndicator(std::string_view layoutName);
// The layout name of a language code such as "ru" or "en_US" ("" when unknown).
std::string layoutNameOfLanguage(std::string_view language);
// The keyboard's language: the input method's ("ru_RU"), or where it knows none ("", "C",
// "POSIX", as on a bare X server) the language of the X server's layout.
std::string keyboardLanguage(std::string_view inputMethodLanguage, std::string_view xkbLayout);
// The language of an X keyboard layout name such as "us", "gb", "ru" or "de(nodeadkeys)";
// the first of a list ("us,ru") is taken.
std::string languageOfXkbLayout(std::string_view layout);

// The three keyword dictionaries, one word per line, loaded in order. The first file that
// cannot be read ends the load: error names it, it and the files after it stay empty.
struct Dictionaries {
    std::vector<std::string> sqlKeywords, sqlFunctions, otherKeywords;
    std::string error;
};
inline constexpr const char* kDictionaryFiles[3] = {"VLMSQLC.DIC", "VLMSQLF.DIC", "VLMPLSQL.DIC"};
Dictionaries loadDictionaries(const std::string& programDir);

// What a help file holds: HTML and text are shown, anything else is reported.
enum class HelpKind { Missing, Html, Text, Other };
HelpKind classifyHelpFile(const std::string& path);
// The file the help viewer opens for a help file name: the name itself when it is HTML or
// text, otherwise the HTML file of the same base name in programDir + "help/".
std::string resolveHelpFile(const std::string& name, const std::string& programDir);

}  // namespace vlm::shell
