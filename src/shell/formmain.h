// TForm1: the commander's main window. It owns the tool bars, the two panel frames, the
// command line, the function-key buttons, the status bar and every menu; the panels' contents
// and commands are attached through ShellHooks and the accessors below.
// Split by concern: formmain.cpp (layout, start-up, shutdown), formmain_menus.cpp (menus and
// tool bars), formmain_language.cpp (captions), formmain_windows.cpp (child windows, help, tray).
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <map>
#include <string>
#include <vector>
#include <memory>

#include "shell/commandregistry.h"
#include "shell/helpviewer.h"
#include "shell/prompts.h"
#include "shell/shelllogic.h"
#include "shell/textform.h"
#include "shell/shellsettings.h"
#include "shell/side.h"

class QAction;
class QActionGroup;
class QButtonGroup;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSplitter;
class QStatusBar;
class QToolBar;
class QToolButton;
class QTreeWidget;

namespace vlm::shell {

class TStartForm;
class TTextForm;
class TTrayIcon;
class TWindowsMenu;
class THelpForm;

// The main window's keys: F1 to F10 press their function-key buttons, Alt+F1 and Alt+F2 select
// the left and right panel's database.
void bindFunctionKeys(CommandRegistry& commands);

// Rejects the open modal dialogs (closes other modal windows), innermost first; their event
// loops return once control is back in the main loop.
void rejectModalDialogs();

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // Runs the main-window start-up. programDir ends with a separator; splash may be null.
    explicit TForm1(const QString& programDir, std::shared_ptr<ShellHooks> hooks = {},
                    TStartForm* splash = nullptr, QWidget* parent = nullptr);
    ~TForm1() override;

    static TForm1* instance();

    // --- The panels' seam.
    QFrame* panelFrame(Side side) const;     // PanelLeft / PanelRight
    QLabel* panelTitle(Side side) const;     // PLeft / PRight
    QTreeWidget* listBox(Side side) const;   // LeftListBox / RightListBox
    QFrame* sizeBar(Side side) const;        // PanelLeftSize / PanelRightSize
    QLabel* sizeName(Side side) const;       // LName / RName
    QLabel* sizeSize(Side side) const;       // LSize / RSize
    QLabel* sizeDateTime(Side side) const;   // LDateTime / RDateTime
    QComboBox* commandLine() const;          // ESQL
    QLabel* labelSql() const;                // LabelSQL
    QFrame* searchPanel() const;             // PanelSearchTable
    QLineEdit* searchEdit() const;           // ESearchTable
    QLabel* statusPanel(int index) const;    // StatusBar1 panels 0..5
    QSplitter* panelMain() const;
    QMenu* panelPopup() const;               // PopupMenu1
    QMenu* commandLinePopup() const;         // PopupMenuESQL
    QMenu* trayPopup() const;                // PopupMenu2
    QToolBar* upperToolBar() const;          // ToolBar1
    Side activePanel() const { return activePanel_; }
    void setActivePanel(Side side) { activePanel_ = side; }

    // The commands of the menus, pop-ups, tool buttons and function keys (commandregistry.h).
    CommandRegistry& commands() { return commands_; }
    // The controls of a command id (nullptr when the id has no such control).
    QAction* action(CommandId id) const;
    QMenu* menu(CommandId id) const;
    QToolButton* toolButton(CommandId id) const;
    QPushButton* functionButton(CommandId id) const;
    // Checks the menu item and the tool button of the id.
    void setChecked(CommandId id, bool on);
    // The same by component name, for tests (nullptr when unknown).
    QAction* action(const QString& name) const;
    QMenu* menu(const QString& name) const;
    QToolButton* toolButton(const QString& name) const;
    QPushButton* functionButton(const QString& name) const;
    // Registers a command by its control's name: commands().add(name, command). An unknown
    // name or one already bound throws std::invalid_argument.
    void bindAction(const QString& name, std::function<void()> command);
    void bindButton(const QString& name, std::function<void()> command);

    // A subsystem's registration, run by every main window after the settings are loaded (the
    // panels exist then) and before the panels are built:
    //   TForm1::addCommandProvider(&vlm::datawin::registerCommands);   // once, in main()
    using CommandProvider = void (*)(TForm1& form, CommandRegistry& commands);
    static void addCommandProvider(CommandProvider provider);
    // The splash window, while it is shown, hides (an error at start-up must not be under it).
    void hideStartForm();

    // Key preview: every key pressed in this window reaches the handler first; true consumes it.
    using KeyHandler = std::function<bool(QKeyEvent&)>;
    void setKeyHandler(KeyHandler handler) { keyHandler_ = std::move(handler); }
    const KeyHandler& keyHandler() const { return keyHandler_; }
    bool defaultKeyDown(QKeyEvent& key);  // the hooks' keys, Ctrl+Q, then the keys bound to ids

    // Messages, questions, errors and long work of this window and its windows (prompts.h).
    Prompts& prompts() { return *prompts_; }

    ShellSettings& settings() { return settings_; }
    ShellHooks& hooks() { return *hooks_; }
    const QString& programDir() const { return programDir_; }
    QString helpFile() const { return helpFile_; }
    const Dictionaries& dictionaries() const { return dictionaries_; }
    // Reloads the three dictionaries; the first failure is shown.
    void loadKeywordDictionaries();

    // --- Commands.
    bool shutdownDone() const { return shutdownDone_; }
    void shutdownStep();
    // The desktop asks whether the session may end: true when the program has shut down.
    bool queryEndSession();
    // The session ends or the program is told to end (SIGTERM): open modal dialogs are
    // rejected, the shutdown runs without the exit question and the window closes.
    void endSession();
    void showHelpContents();
    void showReferenceHelp(const std::string& fileName);
    THelpForm* helpForm() const { return helpForm_; }
    void aboutBox();

    // --- Languages.
    void applyLanguageTexts(int setting);  // 1 Russian, 2 English
    void NRussianLangClick();
    void NEnglishLangClick();
    void NDefaultLangClick();
    // The system-menu items this window would carry: (command id, caption); 668 is About.
    static std::vector<std::pair<int, std::string>> systemMenuItems(int setting);

    // --- Child windows.
    TWindowsMenu* windowsMenuService() const { return windowsMenu_; }
    TTextForm* textViewer();               // the shared viewer, created hidden on first use
    void showTextFile(const QString& fileName, const QString& title);
    TTextForm* newRichTextEditor();
    bool viewWindowsStayOnTop() const;
    void applyViewWindowFlags(QWidget* window) const;

    // --- Tray.
    TTrayIcon* trayIcon() const { return tray_; }
    void restoreFromTray();

signals:
    // The close request was accepted and the shutdown step ran; the program ends.
    void mainWindowClosed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildLayout();
    void buildPanel(Side side);
    void buildUpperToolBar();
    void buildFunctionKeys();
    void buildStatusBar();
    void buildMenus();
    void buildPopups();
    void applySettingsToChecks();
    void takeChecksIntoSettings();
    void applyResizeRule();
    // The function-key captions' font: as large as lets every caption fit its button.
    void fitFunctionKeyCaptions();
    int functionKeyTextWidth(const QPushButton* button) const;
    void updateKeyboardIndicator();
    static std::vector<CommandProvider>& commandProviders();
    // A menu item of the id; with a handler, the command is registered with it.
    QAction* addItem(QMenu* menu, CommandId id, CommandRegistry::Handler handler = {});
    QMenu* addSubMenu(QMenu* parent, CommandId id);
    void addControl(CommandId id, QObject* control);
    void showEnabled(CommandId id, bool on);

    QString programDir_;
    QString helpFile_;
    std::shared_ptr<ShellHooks> hooks_;
    CommandRegistry commands_;
    std::shared_ptr<Prompts> prompts_;
    std::map<std::string, std::vector<QPointer<QObject>>, std::less<>> controls_;
    QPointer<TStartForm> startForm_;
    ShellSettings settings_;
    Dictionaries dictionaries_;
    KeyHandler keyHandler_;
    Side activePanel_ = Side::Left;
    bool shutdownDone_ = false;
    bool startFormShown_ = false;
    int endSessionRounds_ = 0;

    QToolBar* toolBar1_ = nullptr;
    QSplitter* panelMain_ = nullptr;
    QFrame* panelSide_[2]{};
    QLabel* title_[2]{};
    QTreeWidget* list_[2]{};
    QFrame* sizeBar_[2]{};
    QLabel* sizeName_[2]{};
    QLabel* sizeSize_[2]{};
    QLabel* sizeDate_[2]{};
    QFrame* panelSearch_ = nullptr;
    QLabel* label1_ = nullptr;
    QLineEdit* searchEdit_ = nullptr;
    QFrame* panelCommand_ = nullptr;
    QLabel* labelSql_ = nullptr;
    QComboBox* esql_ = nullptr;
    QWidget* toolBar2_ = nullptr;
    QStatusBar* statusBar1_ = nullptr;
    QLabel* status_[6]{};
    QMenu* popup1_ = nullptr;
    QMenu* popupEsql_ = nullptr;
    QMenu* popup2_ = nullptr;
    QActionGroup* languageGroup_ = nullptr;
    TWindowsMenu* windowsMenu_ = nullptr;
    TTrayIcon* tray_ = nullptr;
    QPointer<TTextForm> textViewer_;
    QPointer<THelpForm> helpForm_;
};

}  // namespace vlm::shell
