// Display-free rules of the main window.
#include "shell/shelllogic.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "shell/codepage.h"
#include "shell/texthelpers.h"

namespace vlm::shell {

SplashPlacement splashPlacement(std::string_view showStartForm, int screenWidth, int screenHeight,
                                int width, int height) {
    std::string v = text::upperCyr(showStartForm);
    if (v == "NONE") return {false, 0, 0};
    if (v == "LEFTTOP") return {true, 0, 0};
    if (v == "RIGHTTOP") return {true, screenWidth - width, 0};
    return {true, (screenWidth - width) / 2, (screenHeight - height) / 2};
}

MainLayout mainLayout(int windowWidth, int splitterWidth, int statusBarWidth) {
    MainLayout m;
    m.panelLeftWidth = (windowWidth - splitterWidth - 15) / 2;
    m.functionKeyWidth = windowWidth / 10 - 1;
    m.statusSpareWidth = statusBarWidth - (kStatusWidths[0] + kStatusWidths[1] + kStatusWidths[2] +
                                           kStatusWidths[3]) - 50;
    return m;
}

std::string keyboardIndicator(std::string_view layoutName) {
    if (layoutName == "00000419") return "Рус";
    if (layoutName == "00000409") return "Eng";
    return "Not";
}

std::string layoutNameOfLanguage(std::string_view language) {
    std::string l(language.substr(0, 2));
    if (l == "ru") return "00000419";
    if (l == "en") return "00000409";
    return {};
}

std::string keyboardLanguage(std::string_view inputMethodLanguage, std::string_view xkbLayout) {
    std::string_view l = inputMethodLanguage;
    bool unknown = l.empty() || l == "C" || l == "POSIX" || l.substr(0, 2) == "C.";
    return unknown ? languageOfXkbLayout(xkbLayout) : std::string(l);
}

std::string languageOfXkbLayout(std::string_view layout) {
    std::string first;
    for (char c : layout) {
        if (c == ',' || c == '(' || c == ':' || c == '+') break;
        first += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    }
    // The layouts named after a country rather than a language.
    static const std::pair<const char*, const char*> kCountries[] = {
        {"us", "en"}, {"gb", "en"}, {"au", "en"}, {"ie", "en"}, {"ua", "uk"}, {"by", "be"},
        {"se", "sv"}, {"dk", "da"}, {"cz", "cs"}, {"gr", "el"}, {"jp", "ja"}, {"kr", "ko"},
        {"ee", "et"}, {"ge", "ka"}, {"kz", "kk"}, {"br", "pt"}, {"latam", "es"}, {"cn", "zh"}};
    for (const auto& [country, language] : kCountries)
        if (first == country) return language;
    return first;
}

namespace {
bool readLines(const std::string& path, std::vector<std::string>& out) {
    std::ifstream f(path, std::ios::binary);
    if (!f) return false;
    std::stringstream ss;
    ss << f.rdbuf();
    if (f.bad()) return false;
    std::string all = ss.str();
    if (!isValidUtf8(all)) all = codePageToUtf8(1251, all);
    std::istringstream lines(all);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        out.push_back(line);
    }
    return true;
}
}  // namespace

Dictionaries loadDictionaries(const std::string& programDir) {
    Dictionaries d;
    std::vector<std::string>* lists[3] = {&d.sqlKeywords, &d.sqlFunctions, &d.otherKeywords};
    for (int i = 0; i < 3; ++i) {
        std::string path = programDir + kDictionaryFiles[i];
        if (!readLines(path, *lists[i])) {
            lists[i]->clear();
            d.error = "Cannot open file \"" + path + "\"";
            break;
        }
    }
    return d;
}

HelpKind classifyHelpFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    if (!f) return HelpKind::Missing;
    std::string head(4096, '\0');
    f.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<size_t>(f.gcount()));
    std::string lower = head;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    if (lower.find("<html") != std::string::npos || lower.find("<!doctype html") != std::string::npos)
        return HelpKind::Html;
    if (head.find('\0') != std::string::npos) return HelpKind::Other;
    // A text file is readable as UTF-8 (the last sequence may be cut by the 4 KiB window).
    std::string trimmed = head;
    for (int k = 0; k < 3 && !trimmed.empty() && !isValidUtf8(trimmed); ++k) trimmed.pop_back();
    return isValidUtf8(trimmed) ? HelpKind::Text : HelpKind::Other;
}

std::string resolveHelpFile(const std::string& name, const std::string& programDir) {
    HelpKind k = classifyHelpFile(name);
    if (k == HelpKind::Html || k == HelpKind::Text) return name;
    std::string base = name;
    size_t slash = base.find_last_of("/\\");
    if (slash != std::string::npos) base.erase(0, slash + 1);
    size_t dot = base.rfind('.');
    if (dot != std::string::npos) base.erase(dot);
    std::string candidate = programDir + "help/" + base + ".html";
    if (classifyHelpFile(candidate) == HelpKind::Html) return candidate;
    return name;
}

}  // namespace vlm::shell
