// Caption and hint tables of the main window in both languages.
#include "shell/language.h"

#include <algorithm>

#include "shell/shelllogic.h"

namespace vlm::shell {
namespace {

int gLanguage = 0;
std::string gNoSelection = "No Selected Table !";

// Designed caption, Russian, English (nullptr: as designed).
constexpr TextEntry kCaptions[] = {
    // Top menus.
    {"NLeft", "Left", "Левая панель", nullptr},
    {"NTables", "Tables", "Таблицы", nullptr},
    {"Objects1", "Objects", "Объекты", nullptr},
    {"NCommands", "Commands", "Команды", nullptr},
    {"View1", "View", "Вид панелей", nullptr},
    {"NOptions", "Options", "Параметры", nullptr},
    {"Windows1", "Windows", "Окна", nullptr},
    {"NHelp0", "Help", "Помощь", nullptr},
    {"NRight", "Right", "Правая панель", nullptr},
    // Left.
    {"NAlphabeticLeft", "Alphabetic", "По алфавиту", nullptr},
    {"NUnsortedLeft", "Unsorted", "Без сортировки", nullptr},
    {"NAllSystablesLeft", "All tables", "Все таблицы", nullptr},
    {"NAllTablesLeft", "All Users Tables", "Таблицы всех пользователей", nullptr},
    {"NUserTablesLeft", "User Tables", "Таблицы пользователя", nullptr},
    {"SetFilterLeft", "Set Filter", "Установить фильтр", nullptr},
    {"NReReadLeft", "Re-Read", "Перечитать", nullptr},
    {"NSelectDatabaseLeft", "Select Database...Alt-F1", "Выбрать алиас...Alt-F1", nullptr},
    {"DisconnectLeft", "Disconnect", "Отключиться", nullptr},
    // Tables.
    {"NHelp", "Help - F1", "Помощь - F1", nullptr},
    {"NInfo", "Info - F2", "Информация - F2", nullptr},
    {"NView", "View - F3", "Просмотр - F3", nullptr},
    {"NEdit", "Edit - F4", "Редактирование - F4", nullptr},
    {"NCopy", "Copy - F5", "Копирование - F5", nullptr},
    {"AppendFrom1", "Append From ...", "Добавить из ...", nullptr},
    {"NSelect", "SQL - F6", "SQL - F6", nullptr},
    {"Rename1", "Rename", "Переименовать", nullptr},
    {"NCreate", "Create - F7", "Создать - F7", nullptr},
    {"NDelete", "Delete - F8", "Удалить - F8", nullptr},
    {"NClearTable", "Clear Table - <Alt-F8>", "Очистить - <Alt-F8>", nullptr},
    {"PackDbaseTable1", "Pack Dbase Table", "Упаковать DBase таблицу", nullptr},
    {"GetTablesList1", "Get Table's List", "Получить список таблиц", nullptr},
    {"ViewDataAsText", "View Data As Text", "Просмотр данных как текст", nullptr},
    {"ImportExportData1", "Import / Export Data", "Импорт / экспорт данных", nullptr},
    {"SelectGroup1", "Select Group  -  <Gray +>", "Выделить таблицы - < Серый + >", "Select tables - < Gray + >"},
    {"Removeselect1", "Remove select  - <Gray ->", "Снятиь выделение - < Серый - >", "Remove select  - < Gray - >"},
    // Objects.
    {"New1", "New", "Новый", nullptr},
    {"NNewTable", "Table", "Таблица", nullptr},
    {"NNewIndex", "Index", "Индекс", nullptr},
    {"NNewSynonym", "Synonym", "Синоним", nullptr},
    {"NNewGenerator", "Generator", "Генератор", nullptr},
    {"NNewProcedure", "Procedure", "Процедура", nullptr},
    {"NNewFunction", "Oracle Function", "Функция Oracle", nullptr},
    {"NNewTrigger", "Oracle Trigger", "Триггер Oracle", nullptr},
    {"StoredProcedures", "Stored Procedures - F9", "Сохр. процедуры - F9", nullptr},
    {"Generators1", "Generators", "Генераторы/последовательности", nullptr},
    {"Indexes1", "Indexes", "Индексы", nullptr},
    {"Synonyms1", "Synonyms", "Синонимы", nullptr},
    {"Triggers1", "Triggers", "Триггеры", nullptr},
    {"Constraints1", "Constraints", "Ограничения", nullptr},
    {"Dependencies0", "Dependencies", "Зависимости", nullptr},
    {"Dependencies1", "Table form", "В виде таблицы", nullptr},
    {"Dependencies2", "Tree form", "В виде дерева", nullptr},
    {"Snapshots1", "Snapshots", "Снимки", nullptr},
    {"Packages1", "Packages", "Пакеты", nullptr},
    {"PackageBodies1", "Package Bodies", "Тела пакетов", nullptr},
    {"TablePrivileges1", "Table Privileges", "Привилегии таблиц", nullptr},
    {"TableSpaces1", "Table Spaces", "Табличные пространства", nullptr},
    {"RollBackSegments1", "RollBack Segments", "Сегменты отката", nullptr},
    {"Clusters1", "Clusters", "Кластеры", nullptr},
    {"SessionOracle1", "Session", "Сеансы", nullptr},
    {"Interbase1", "Interbase", "Interbase", nullptr},
    {"Domains1", "Domains", "Домены", nullptr},
    {"Functions1", "Functions", "Функции", nullptr},
    {"Exceptions1", "Exceptions", "Исключения", nullptr},
    {"BlobFilters1", "BlobFilters", "BLOB фильтры", nullptr},
    // Commands.
    {"Security1", "Security", "Пользователи БД", "Database users"},
    {"OpenSQLScript1", "Open SQL Script - F6", "Открыть SQL скрипт - F6", nullptr},
    {"Comparetables1", "Compare Tables", "Сравнить таблицы", nullptr},
    {"Searchtable1", "Search table...Ctrl-S", "Поиск таблицы...Ctrl-S", nullptr},
    {"SetTrace", "Set Trace", "Разрешить трассировку", nullptr},
    {"NSQLMonitor", "SQL Monitor", "SQL монитор", nullptr},
    {"ShowSQLMonitor", "Show", "Просмотр", nullptr},
    {"ClearSQLLog", "Clear Log", "Очистить буфер трассировки", nullptr},
    {"DataBaseAliasInfo1", "DataBase (Alias) Info", "Информация о БД (алиасе)", nullptr},
    {"NBDEAdministrator1", "BDE Administrator", "BDE администратор", nullptr},
    {"RichTextEditor1", "Rich Text Editor", "Текстовый редактор", nullptr},
    {"NAbout", "About", "О программе", nullptr},
    {"NQuit", "Quit - F10", "Выход - F10", nullptr},
    // View.
    {"ToolBar3", "ToolBar", "Панель инструментов", nullptr},
    {"Icon1", "Icon", "Большие иконки", nullptr},
    {"List1", "List", "Список", nullptr},
    {"Report1", "Report", "Таблица", nullptr},
    {"SmallIcon1", "SmallIcon", "Маленькие иконки", nullptr},
    {"ReportGridLines", "Report Grid Lines", "Линии сетки", nullptr},
    // Options.
    {"NProgramoptions", "Program options", "Параметры программы", nullptr},
    {"NLanguage1", "Language", "Язык", nullptr},
    {"NDefaultLang", "Default", "По умолчанию", nullptr},
    {"NRussianLang", "Russian", "Русский", nullptr},
    {"NEnglishLang", "English", "Английский", nullptr},
    {"NUseinSQL", "Use  \"  in SQL", "Использовать  \"  в SQL", nullptr},
    {"NReplAppropriate", "Replace \":=\" With \"::=\"", "Заменять \":=\" на \"::=\"", nullptr},
    {"RequestLive1", "RequestLive", "Редактируемые запросы (RequestLive)", nullptr},
    {"ShowRecordCount1", "Show Record Count", "Показывать число записей", nullptr},
    {"QueryOriginDisplayLabel1", "Query Origin Display Label", "Исходные имена колонок запроса", nullptr},
    {"DataBaseKeepConnection1", "DataBase KeepConnection", "Держать соединение с БД", nullptr},
    {"Viewwindowsstayontop1", "View windows stay on top", "Окна просмотра поверх других", nullptr},
    {"ShowTrayIconOnMinimize1", "Show TrayIcon On Minimize", "TrayIcon при минимизации", nullptr},
    {"NAutoSaveSetup", "Auto Save Setup", "Автосохранение настроек", nullptr},
    {"NSaveSetup", "Save Setup", "Сохранить настройки", nullptr},
    // Windows.
    {"CloseAllWindows1", "Close All Windows", "Закрыть все окна", nullptr},
    // Help.
    {"Commander1", "Commander", "Командир", nullptr},
    {"Oracle7SQLReference1", "Oracle 7 SQL Reference", "Справочник Oracle 7 SQL", nullptr},
    {"LocalBDESQL1", "Local BDE SQL", "Справочник Local BDE SQL", nullptr},
    {"InterBaseSQLReference1", "InterBase SQL Reference", "Справочник InterBase SQL", nullptr},
    {"GuptaSQLBaseReference1", "Gupta SQLBase Reference", "Справочник Gupta/Centura SQLBase",
     "Gupta/Centura SQLBase Reference"},
    {"MSSQLReference1", "MSSQL Reference", "Справочник MSSQL", nullptr},
    // Right.
    {"NAlphabeticRight", "Alphabetic", "По алфавиту", nullptr},
    {"NUnsortedRight", "Unsorted", "Без сортировки", nullptr},
    {"NAllSystablesRight", "All Tables", "Все таблицы", nullptr},
    {"NAllTablesRight", "All Users Tables", "Таблицы всех пользователей", nullptr},
    {"NUserTablesRight", "User Tables", "Таблицы пользователя", nullptr},
    {"SetFilterRight", "Set Filter", "Установить фильтр", nullptr},
    {"NReReadRight", "Re-Read", "Перечитать", nullptr},
    {"NSelectDataBaseRight", "Select DataBase...Alt-F2", "Выбрать алиас...Alt-F2", nullptr},
    {"DisconnectRight", "Disconnect", "Отключиться", nullptr},
    // Panel pop-up menu.
    {"Infoabout1", "Information about table", "Информация о таблице", nullptr},
    {"NPViewTable1", "View Table", "Просмотр таблицы", nullptr},
    {"NPEditTable1", "Edit Table", "Редактирование таблицы", nullptr},
    {"Copytable1", "Copy table", "Копирование таблицы", nullptr},
    {"AppendFrom2", "Append From Table", "Добавить из таблицы", nullptr},
    {"OpenSQLscripteditor1", "Open SQL script editor", "Открыть SQL редактор", nullptr},
    {"Rename2", "Rename", "Переименовать", nullptr},
    {"Createtableorindex1", "Create table or index", "Создать таблицу или индекс", nullptr},
    {"Deletetableorindex1", "Delete table or index", "Удалить таблицу или индекс", nullptr},
    {"Workwithstoredprocedures1", "Work with stored procedures", "Работа с сохраненными процедурами", nullptr},
    {"Clearallrecordsintable1", "Clear all records in table", "Удалить все записи таблицы", nullptr},
    {"ViewDataAsText1", "View Data As Text", "Просмотр данных как текст", nullptr},
    {"ImportExportData2", "Import / Export Data", "Импорт / экспорт данных", nullptr},
    // Command-line pop-up menu.
    {"Clearhistorylist1", "Clear history list", "Очистить историю", nullptr},
    {"GetTablenametocommandline1", "Get Table name to command line...Ctrl-J",
     "Получить имя таблицы в командной строке...Ctrl-J", nullptr},
    // Tray pop-up menu.
    {"ShowCommander1", "Show Velmar", "Показать командира", nullptr},
    {"AboutCommander1", "About Velmar", "О программе Velmar", nullptr},
    // Function-key buttons.
    {"BHelp", "F1-Help", "F1-Помощь", nullptr},
    {"BInfo", "F2-Info", "F2-Инф.", nullptr},
    {"BView", "F3-View", "F3-Просм.", nullptr},
    {"BEdit", "F4-Edit", "F4-Редакт", nullptr},
    {"BCopy", "F5-Copy", "F5-Копир.", nullptr},
    {"BSelect", "F6-SQL", "F6-SQL", nullptr},
    {"BCreate", "F7-Create", "F7-Создать", nullptr},
    {"BDelete", "F8-Delete", "F8-Удалить", nullptr},
    {"BMenu", "F9-StorProc", "F9-С.Проц", nullptr},
    {"BQuit", "F10-Quit", "F10-Выход", nullptr},
    // Labels.
    {"Label1", "Search table:", "Поиск таблицы:", nullptr},
    {"LabelSQL", "(Ctrl-Q) SQL>", nullptr, nullptr},
};

constexpr TextEntry kHints[] = {
    {"BHelp", "Справочная информация по программе", "Справочная информация по программе", "Help information"},
    {"BInfo", "Информация о таблице", "Информация о таблице", "Table/View/Index information"},
    {"BView", "Просмотр таблицы", "Просмотр таблицы", "View Table"},
    {"BEdit", "Редактирование таблицы", "Редактирование таблицы", "Edit Table"},
    {"BCopy", "Копирование таблицы", "Копирование таблицы", "Copy Table"},
    {"BSelect", "Вызов SQL редактора", "Вызов SQL редактора", "Multipage SQL Editor"},
    {"BCreate", "Создать таблицу / индексы", "Создать таблицу / индексы", "Create Table / Index"},
    {"BDelete", "Удалить таблицу / посмотр / индекс", "Удалить таблицу / посмотр / индекс", "Drop Table / View / Index"},
    {"BMenu", "Работа с сохраненными процедурами", "Работа с сохраненными процедурами", "Stored Procedures"},
    {"BQuit", "Выход из программы", "Выход из программы", "Exit From Programm"},
    {"BReRead", "Перечитать список таблиц", "Перечитать список таблиц", "Reread Table's List"},
    {"BselectDataBase", "Выбрать алиас или путь \r\nи подключиться к БД", "Выбрать алиас или путь \r\nи подключиться к БД",
     "Select Alias Or Path And Connect To Database"},
    {"BInfoDataBase", "Информация об алиасе\r\nи драйвере БД", "Информация об алиасе\r\nи драйвере БД",
     "Alias And Driver Information"},
    {"BSysAll", "Показывать все таблицы+системные", "Показывать все системные и пользовательские таблицы",
     "Show All System And User Tables"},
    {"BAll", "Показывать все таблицы", "Показывать все таблицы", "Show All Tables"},
    {"BUser", "Показывать только таблицы\r\nпользователя", "Показывать только таблицы\r\nпользователя",
     "Show Only User Tables"},
    {"BFilter", "Set Table Filter", "Установить/снять фильтр таблиц", "Set Table Filter"},
    {"BSort", "Сортировать таблицы по имени", "Сортировать таблицы по имени", "Sort Table's List By Name"},
    {"BUnSort", "Отключить сортировку таблиц", "Отключить сортировку таблиц", "Unsort Table's"},
    {"BSetOptions", "Установка параметров программы", "Установка параметров программы", "Setup program params"},
    {"BAbout", "О программе", "О программе", "About program"},
    {"BSQLMonitor", "Разрешить трассировку\r\nSQL запросов", "Разрешить трассировку\r\nSQL запросов", "Enabled Trace SQL"},
    {"BBDEAdministrator", "Simple BDE Administrator", "Простой BDE администратор", "Simple BDE Administrator"},
    {"BDetails", "Details", nullptr, "Details"},
    {"BLarge", "Large icons", "Большие иконки", "Large icons"},
    {"BSmall", "Small icons", "Маленькие иконки", "Small icons"},
    {"BList", "List", nullptr, nullptr},
    {"ESQL", "Строка ввода SQL предложения;\r\n\"Enter\" - выполнить.", "Строка ввода SQL предложения;\r\n\"Enter\" - выполнить.",
     "SQL command line;\r\n\"Enter\" - execute."},
};

const char* find(std::span<const TextEntry> table, std::string_view name) {
    auto it = std::find_if(table.begin(), table.end(), [&](const TextEntry& e) { return name == e.name; });
    return it == table.end() ? "" : it->designed;
}

}  // namespace

int languageSetting() { return gLanguage; }
void setLanguageSetting(int setting) { gLanguage = setting; }

std::string pick(std::string_view russian, std::string_view english) {
    return std::string(gLanguage == 1 ? russian : english);
}

const std::string& noSelectionMessage() { return gNoSelection; }
void updateNoSelectionMessage() { gNoSelection = pick("Не выбрана таблица !", "No Selected Table !"); }

std::span<const TextEntry> captionTable() { return kCaptions; }
std::span<const TextEntry> hintTable() { return kHints; }
const char* designedCaption(std::string_view name) { return find(kCaptions, name); }
const char* designedHint(std::string_view name) { return find(kHints, name); }

std::string designedMainCaption() { return std::string("Velmar 32 V ") + kVersion + kVersionLetter; }

std::string mainCaption(int setting) {
    if (setting == 1) return std::string("Velmar VLM32 V ") + kVersion + kVersionLetter;
    if (setting == 2) return std::string("Velmar 32 V ") + kVersion;
    return designedMainCaption();
}

std::string tablesWord(int setting) { return setting == 1 ? "таблиц" : "tables"; }
std::string selectedWord(int setting) { return setting == 1 ? "выбрано" : "selected"; }

}  // namespace vlm::shell
