// TPanels: the two panels of the main window bound to their databases. It owns DatabaseLeft
// and DatabaseRight, the per-panel table lists and the settings, and carries out the panel
// connection, the list builds, the panel entry, the keys, search, sorting and view styles on
// TForm1's panel widgets; commands beside these (pack, table-list text, options) are in
// paneltools.h. One instance per main window; UI thread only.
//   auto panels = std::make_unique<TPanels>(form, programDir);  panels->loadSettings(shell);
#pragma once

#include "engine/database.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <memory>
#include <string>

#include "panels/formselectdb.h"
#include "panels/panelstate.h"
#include "panels/settings.h"
#include "panels/tableinfo.h"
#include "panels/tablelist.h"
#include "shell/formmain.h"

class QKeyEvent;
class QLabel;
class QListView;
class QTreeWidget;
class QAbstractItemView;

namespace vlm::panels {

class TFormSelectDB;

using shell::Side;

class TPanels : public QObject {
    Q_OBJECT
public:
    TPanels(shell::TForm1& form, std::string programDir);
    ~TPanels() override;

    // --- Settings (the shell's seam).
    void loadSettings(shell::ShellSettings& shellSettings);
    std::string saveSettings(const shell::ShellSettings& shellSettings);   // error text or empty
    Settings& settings() { return settings_; }
    const std::string& settingsPath() const { return settingsPath_; }
    void setSettingsPath(std::string p) { settingsPath_ = std::move(p); }
    void applyPanelColour();
    void applyPanelFont();
    // LSQLEditorFont: the main window's hidden label that carries the SQL editor's font
    // (script windows take their pages' font from it).
    QLabel* sqlEditorFontLabel() const { return sqlEditorFont_; }
    void applySqlEditorFont();

    // --- Start-up and shutdown.
    void startPanels();        // keep-connection, database names, start-up logins
    void buildPanelsAtStart(); // both builds and the first focus
    void closeConnections();

    // --- Connection (one panel).
    engine::Database& database(Side s) { return side(s).db; }
    engine::Database& currentDatabase() { return side(active()).db; }   // CurrentDatabase
    PanelSettings& panelSettings(Side s) { return s == Side::Left ? settings_.left : settings_.right; }
    TMyTableList& tableList(Side s) { return *side(s).tables; }
    bool login(Side s);        // the login dialog for the panel's database component
    void applySavedLogin(Side s);
    void selectDatabase(Side s);                // the select-database dialog
    void chooseDatabase(Side s, const QString& name);   // a name chosen in that dialog
    void disconnectPanel(Side s, bool fromButton);
    void reconnect();          // BReRead, active panel
    bool buildPanel(Side s);   // false when the build failed (error shown)
    void reRead(Side s);

    // --- Panel entry, status, menus.
    void panelEntry(Side s);
    void clickOrKeyRelease(Side s);
    bool fillCurrentTable();
    void enableMenusByServerKind();
    void updateTitle(Side s);
    void setTitleColours();
    // The list columns' captions in the current language (after a language switch).
    void retitleColumns();

    // --- Commands.
    void rememberFocus();
    void restoreFocus(Side s);
    void focusList(Side s);    // the panel's list takes the focus (a closed window gives it back)
    void switchPanels();       // Ctrl+F1
    void groupSelect(Side s, bool select);
    void groupSelectWithMask(Side s, bool select, const QString& mask);
    void startSearch();
    void searchStep(const QString& text);
    void endSearch();
    void setSorted(Side s, bool on);
    void sortButton(bool sorted);
    void setScope(Side s, Scope scope);
    void toggleFilter(bool on);
    void setViewStyle(ViewStyle v);
    ViewStyle viewStyle() const { return view_; }
    void setGridLines(bool on);
    bool gridLines() const { return gridLines_; }
    // The options dialog closed (paneltools.h opens it): the panels it showed are rebuilt.
    void optionsClosed(int filterSide);

    // Key preview: true when the key was handled.
    bool keyDown(QKeyEvent& key);

    // The widget of a panel's list in the current view style (the report tree or the icon view).
    QAbstractItemView* listView(Side s) const;
    QTreeWidget* tree(Side s) const { return form_.listBox(s); }
    int itemCount(Side s) const;
    int selectedCount(Side s) const;
    int focusedIndex(Side s) const;          // -1 when none
    QString itemCaption(Side s, int index) const;
    Side active() const { return form_.activePanel(); }
    shell::TForm1& form() { return form_; }
    const std::string& programDir() const { return programDir_; }

    // Messages, questions, errors and long work go through the main window's prompts.
    shell::Prompts& prompts() { return form_.prompts(); }
    void showMessage(const QString& m) { prompts().message(m); }
    bool askYesNo(const QString& q) { return prompts().question(q); }
    void showError(const QString& m) { prompts().error(m); }
    void showError(const std::exception& e) { prompts().error(e); }
    // Whether the panel's database is SQL-based; false when that cannot be told.
    bool sqlBased(Side s);
    // Runs the login dialog (tests replace it): false when cancelled.
    std::function<bool(const QString& database, std::string& user, std::string& password)> runLogin;

    QString lastSelectionMask = QStringLiteral("*");
    TFormSelectDB* selectDialog() const { return select_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct PanelState {
        engine::Database db;
        std::unique_ptr<TMyTableList> tables = std::make_unique<TMyTableList>();
        QListView* icons = nullptr;
        int savedIndex = -1;
        QString savedCaption;
        bool commentsFetched = false;
    };
    PanelState& side(Side s) { return s == Side::Left ? left_ : right_; }
    const PanelState& side(Side s) const { return s == Side::Left ? left_ : right_; }
    Side sideOf(QObject* o) const;
    bool isList(QObject* o) const;
    void fillList(Side s, bool sqlBased, const std::string& loginUser);
    void clearList(Side s, bool columnsToo);
    void updateStatus(Side s);
    void updateSizeBar(Side s);
    void refreshSizeBar(Side s);   // the focused item of an active panel, else empty
    void updateScopeChecks(Side s);
    void updateSortChecks(Side s);
    void selectOnly(Side s, int index);
    // Selects the items of these captions and focuses (and shows) the focused one, else the first.
    void reselect(Side s, const QStringList& selected, const QString& focused);

    shell::TForm1& form_;
    std::string programDir_;
    std::string settingsPath_;
    Settings settings_;
    PanelState left_, right_;
    ViewStyle view_ = ViewStyle::Report;
    bool gridLines_ = false;
    bool searching_ = false;
    bool selectionCountPending_ = false;
    QPointer<TFormSelectDB> select_;
    QMetaObject::Connection searchConnection_;
    QLabel* sqlEditorFont_ = nullptr;
};

// The panels' commands (the Left and Right menus, scopes, sorting, view styles, search, group
// selection) registered on the main window; packing, the table-list text and the options
// dialog register beside them (paneltools.h).
void registerPanelCommands(TPanels& panels, shell::CommandRegistry& commands);

}  // namespace vlm::panels
