// The language setting, the language pick and the caption and hint tables of the main window.
// Plain C++, no Qt: the main window applies the tables by control name.
//   setLanguageSetting(1);  pick("Выход", "Exit") == "Выход"
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace vlm::shell {

// 0 default, 1 Russian, 2 English. Program-wide, read by every window.
int languageSetting();
void setLanguageSetting(int setting);

// The Russian text when the setting is 1, the English text otherwise.
std::string pick(std::string_view russian, std::string_view english);

// "Не выбрана таблица !" / "No Selected Table !"; set when the settings are loaded and when
// the language is switched to Russian or English (not by "Default").
const std::string& noSelectionMessage();
void updateNoSelectionMessage();

// One control's caption or hint: designed text, Russian and English. A null Russian or
// English text leaves the control as it is in that language.
struct TextEntry {
    const char* name;
    const char* designed;
    const char* russian;
    const char* english;
};

std::span<const TextEntry> captionTable();  // menus, menu items, buttons, labels
std::span<const TextEntry> hintTable();     // tool tips of buttons and the command line
const char* designedCaption(std::string_view name);  // "" when the name is not in the table
const char* designedHint(std::string_view name);

// The main window caption: designed "Velmar 32 V 3.40a"; Russian "Velmar VLM32 V 3.40a";
// English "Velmar 32 V 3.40".
std::string designedMainCaption();
std::string mainCaption(int setting);

// Status-bar words of panels 1 and 3.
std::string tablesWord(int setting);
std::string selectedWord(int setting);

}  // namespace vlm::shell
