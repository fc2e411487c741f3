// TForm1: the upper tool bar, the function-key buttons, the main menu and the pop-up menus.
// Items whose windows come with later work are present with their captions and disabled;
// bindAction() connects and enables them.
#include <QAction>
#include <QActionGroup>
#include <QButtonGroup>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

#include "shell/formmain.h"
#include "shell/language.h"
#include "shell/pictures.h"
#include "shell/qtext.h"
#include "shell/windowsmenu.h"

namespace vlm::shell {

QAction* TForm1::action(const QString& name) const {
    const auto all = findChildren<QAction*>(name);
    for (QAction* a : all)
        if (!a->menu()) return a;
    return nullptr;
}

QMenu* TForm1::menu(const QString& name) const { return findChild<QMenu*>(name); }
QToolButton* TForm1::toolButton(const QString& name) const { return findChild<QToolButton*>(name); }
QPushButton* TForm1::functionButton(const QString& name) const { return findChild<QPushButton*>(name); }

void TForm1::bindAction(const QString& name, std::function<void()> command) {
    if (QAction* a = action(name)) {
        connect(a, &QAction::triggered, this, [command] { command(); });
        a->setEnabled(true);
        a->setProperty("vlmBound", true);  // the server-kind menu rule enables bound items only
    }
}

void TForm1::bindButton(const QString& name, std::function<void()> command) {
    if (QAbstractButton* b = findChild<QAbstractButton*>(name)) {
        connect(b, &QAbstractButton::clicked, this, [command] { command(); });
        b->setEnabled(true);
        b->setProperty("vlmBound", true);
    }
}

QAction* TForm1::addItem(QMenu* menu, const char* name, bool bound) {
    auto* a = new QAction(toQ(designedCaption(name)), menu);
    a->setObjectName(QString::fromLatin1(name));
    a->setEnabled(bound);
    menu->addAction(a);
    return a;
}

QMenu* TForm1::addSubMenu(QMenu* parent, const char* name) {
    auto* m = new QMenu(toQ(designedCaption(name)), parent ? static_cast<QWidget*>(parent) : this);
    m->setObjectName(QString::fromLatin1(name));
    if (parent) parent->addMenu(m);
    else menuBar()->addMenu(m);
    return m;
}

void TForm1::buildUpperToolBar() {
    toolBar1_ = new QToolBar(this);
    toolBar1_->setObjectName(QStringLiteral("ToolBar1"));
    toolBar1_->setMovable(false);
    toolBar1_->setFloatable(false);
    toolBar1_->setIconSize(QSize(28, 28));
    toolBar1_->toggleViewAction()->setVisible(false);
    addToolBar(Qt::TopToolBarArea, toolBar1_);
    // Buttons in order; group 0 is a push button, groups 3, 5 and 6 may all be up.
    struct B { const char* name; int group; };
    static const B buttons[] = {
        {"BReRead", 0}, {"BselectDataBase", 6}, {"BInfoDataBase", 0}, {nullptr, 0},
        {"BSysAll", 2}, {"BAll", 2}, {"BUser", 2}, {"BFilter", 5}, {nullptr, 0},
        {"BSort", 1}, {"BUnSort", 1}, {nullptr, 0},
        {"BSetOptions", 0}, {"BAbout", 0}, {nullptr, 0},
        {"BSQLMonitor", 3}, {nullptr, 0},
        {"BBDEAdministrator", 0}, {nullptr, 0},
        {"BDetails", 4}, {"BLarge", 4}, {"BSmall", 4}, {"BList", 4}};
    QButtonGroup* groups[5] = {};
    for (const B& b : buttons) {
        if (!b.name) {
            toolBar1_->addSeparator();
            continue;
        }
        auto* tb = new QToolButton(toolBar1_);
        tb->setObjectName(QString::fromLatin1(b.name));
        tb->setFixedSize(34, 34);
        tb->setIcon(buttonGlyph(tb->objectName()));
        tb->setIconSize(QSize(28, 28));
        tb->setToolTip(hintText(designedHint(b.name)));
        tb->setAutoRaise(true);
        tb->setFocusPolicy(Qt::NoFocus);
        if (b.group == 1 || b.group == 2 || b.group == 4) {
            tb->setCheckable(true);
            int g = b.group;
            if (!groups[g]) {
                groups[g] = new QButtonGroup(this);
                groups[g]->setObjectName(QStringLiteral("ToolGroup") + QString::number(g));
                groups[g]->setExclusive(true);
            }
            groups[g]->addButton(tb);
        } else if (b.group != 0) {
            tb->setCheckable(true);
        }
        tb->setEnabled(false);
        toolBar1_->addWidget(tb);
    }
    toolButton(QStringLiteral("BUnSort"))->setChecked(true);
    toolButton(QStringLiteral("BUser"))->setChecked(true);
    QToolButton* about = toolButton(QStringLiteral("BAbout"));
    about->setEnabled(true);
    connect(about, &QToolButton::clicked, this, &TForm1::aboutBox);
}

void TForm1::buildFunctionKeys() {
    auto* row = new QHBoxLayout(toolBar2_);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(1);
    static const char* const names[] = {"BHelp", "BInfo", "BView", "BEdit", "BCopy",
                                        "BSelect", "BCreate", "BDelete", "BMenu", "BQuit"};
    for (const char* n : names) {
        auto* b = new QPushButton(toQ(designedCaption(n)), toolBar2_);
        b->setObjectName(QString::fromLatin1(n));
        b->setProperty("tag", 99);
        b->setFocusPolicy(Qt::NoFocus);
        b->setToolTip(hintText(designedHint(n)));
        b->setEnabled(false);
        row->addWidget(b);
    }
    row->addStretch(1);
    QPushButton* help = functionButton(QStringLiteral("BHelp"));
    help->setEnabled(true);
    connect(help, &QPushButton::clicked, this, &TForm1::showHelpContents);
    QPushButton* quit = functionButton(QStringLiteral("BQuit"));
    quit->setEnabled(true);
    connect(quit, &QPushButton::clicked, this, &QWidget::close);
}

void TForm1::buildMenus() {
    menuBar()->setObjectName(QStringLiteral("MainMenu1"));
    auto sep = [](QMenu* m) { m->addSeparator(); };
    auto check = [](QAction* a, bool on) {
        a->setCheckable(true);
        a->setChecked(on);
        return a;
    };

    QMenu* nLeft = addSubMenu(nullptr, "NLeft");
    auto fillSide = [&](QMenu* m, bool left) {
        check(addItem(m, left ? "NAlphabeticLeft" : "NAlphabeticRight"), false);
        check(addItem(m, left ? "NUnsortedLeft" : "NUnsortedRight"), true);
        sep(m);
        check(addItem(m, left ? "NAllSystablesLeft" : "NAllSystablesRight"), false);
        check(addItem(m, left ? "NAllTablesLeft" : "NAllTablesRight"), false);
        check(addItem(m, left ? "NUserTablesLeft" : "NUserTablesRight"), true);
        check(addItem(m, left ? "SetFilterLeft" : "SetFilterRight"), false);
        sep(m);
        addItem(m, left ? "NReReadLeft" : "NReReadRight");
        addItem(m, left ? "NSelectDatabaseLeft" : "NSelectDataBaseRight");
        addItem(m, left ? "DisconnectLeft" : "DisconnectRight");
    };
    fillSide(nLeft, true);

    QMenu* tables = addSubMenu(nullptr, "NTables");
    QAction* nHelp = addItem(tables, "NHelp", true);
    connect(nHelp, &QAction::triggered, this, &TForm1::showHelpContents);
    for (const char* n : {"NInfo", "NView", "NEdit", "NCopy", "AppendFrom1", "NSelect", "Rename1", "NCreate",
                          "NDelete", "NClearTable", "PackDbaseTable1"})
        addItem(tables, n);
    sep(tables);
    for (const char* n : {"GetTablesList1", "ViewDataAsText", "ImportExportData1"}) addItem(tables, n);
    sep(tables);
    addItem(tables, "SelectGroup1");
    addItem(tables, "Removeselect1");

    QMenu* objects = addSubMenu(nullptr, "Objects1");
    QMenu* newMenu = addSubMenu(objects, "New1");
    for (const char* n : {"NNewTable", "NNewIndex", "NNewSynonym", "NNewGenerator", "NNewProcedure", "NNewFunction",
                          "NNewTrigger"})
        addItem(newMenu, n);
    for (const char* n : {"StoredProcedures", "Generators1", "Indexes1", "Synonyms1", "Triggers1", "Constraints1"})
        addItem(objects, n);
    QMenu* deps = addSubMenu(objects, "Dependencies0");
    addItem(deps, "Dependencies1");
    addItem(deps, "Dependencies2");
    for (const char* n : {"Snapshots1", "Packages1", "PackageBodies1", "TablePrivileges1", "TableSpaces1",
                          "RollBackSegments1", "Clusters1", "SessionOracle1"})
        addItem(objects, n);
    QMenu* ib = addSubMenu(objects, "Interbase1");
    for (const char* n : {"Domains1", "Functions1", "Exceptions1", "BlobFilters1"}) addItem(ib, n);

    QMenu* commands = addSubMenu(nullptr, "NCommands");
    addItem(commands, "Security1");
    sep(commands);
    addItem(commands, "OpenSQLScript1");
    sep(commands);
    addItem(commands, "Comparetables1");
    addItem(commands, "Searchtable1");
    sep(commands);
    check(addItem(commands, "SetTrace"), false);
    QMenu* mon = addSubMenu(commands, "NSQLMonitor");
    addItem(mon, "ShowSQLMonitor");
    addItem(mon, "ClearSQLLog");
    sep(commands);
    addItem(commands, "DataBaseAliasInfo1");
    addItem(commands, "NBDEAdministrator1");
    sep(commands);
    connect(addItem(commands, "RichTextEditor1", true), &QAction::triggered, this, [this] { newRichTextEditor(); });
    connect(addItem(commands, "NAbout", true), &QAction::triggered, this, &TForm1::aboutBox);
    sep(commands);
    connect(addItem(commands, "NQuit", true), &QAction::triggered, this, &QWidget::close);

    QMenu* view = addSubMenu(nullptr, "View1");
    QAction* toolBar3 = check(addItem(view, "ToolBar3", true), true);
    connect(toolBar3, &QAction::toggled, toolBar1_, &QWidget::setVisible);
    check(addItem(view, "Icon1"), false);
    check(addItem(view, "List1"), false);
    check(addItem(view, "Report1"), true);
    check(addItem(view, "SmallIcon1"), false);
    check(addItem(view, "ReportGridLines"), false);

    QMenu* options = addSubMenu(nullptr, "NOptions");
    addItem(options, "NProgramoptions");
    sep(options);
    QMenu* lang = addSubMenu(options, "NLanguage1");
    languageGroup_ = new QActionGroup(this);
    languageGroup_->setExclusive(true);
    QAction* def = check(addItem(lang, "NDefaultLang", true), true);
    QAction* ru = check(addItem(lang, "NRussianLang", true), false);
    QAction* en = check(addItem(lang, "NEnglishLang", true), false);
    for (QAction* a : {def, ru, en}) languageGroup_->addAction(a);
    connect(def, &QAction::triggered, this, &TForm1::NDefaultLangClick);
    connect(ru, &QAction::triggered, this, &TForm1::NRussianLangClick);
    connect(en, &QAction::triggered, this, &TForm1::NEnglishLangClick);
    sep(options);
    // Check items: each flips its mark and is a setting.
    for (const char* n : {"NUseinSQL", "NReplAppropriate", "RequestLive1", "ShowRecordCount1",
                          "QueryOriginDisplayLabel1"})
        check(addItem(options, n, true), false);
    sep(options);
    check(addItem(options, "DataBaseKeepConnection1", true), true);
    sep(options);
    for (const char* n : {"Viewwindowsstayontop1", "ShowTrayIconOnMinimize1", "NAutoSaveSetup"})
        check(addItem(options, n, true), false);
    connect(addItem(options, "NSaveSetup", true), &QAction::triggered, this, [this] {
        takeChecksIntoSettings();
        settings_.mainFormWidth = width();
        settings_.mainFormHeight = height();
        hooks_->saveSettings(*this, settings_);
    });

    QMenu* windows = addSubMenu(nullptr, "Windows1");
    QAction* closeAll = addItem(windows, "CloseAllWindows1", true);
    QAction* n13 = windows->addSeparator();
    n13->setObjectName(QStringLiteral("N13"));
    windowsMenu_ = new TWindowsMenu(windows, this);
    setWindowsMenu(windowsMenu_);
    connect(closeAll, &QAction::triggered, windowsMenu_, &TWindowsMenu::closeAllWindows);

    QMenu* help = addSubMenu(nullptr, "NHelp0");
    connect(addItem(help, "Commander1", true), &QAction::triggered, this, &TForm1::showHelpContents);
    struct Ref { const char* name; std::string ShellSettings::*file; };
    static const Ref refs[] = {{"Oracle7SQLReference1", &ShellSettings::oracleHelp},
                               {"LocalBDESQL1", &ShellSettings::localSqlHelp},
                               {"InterBaseSQLReference1", &ShellSettings::interbaseHelp},
                               {"GuptaSQLBaseReference1", &ShellSettings::sqlbaseHelp},
                               {"MSSQLReference1", &ShellSettings::mssqlHelp}};
    for (const Ref& r : refs) {
        auto file = r.file;
        connect(addItem(help, r.name, true), &QAction::triggered, this,
                [this, file] { showReferenceHelp(settings_.*file); });
    }

    QMenu* nRight = addSubMenu(nullptr, "NRight");
    fillSide(nRight, false);
}

void TForm1::buildPopups() {
    popup1_ = new QMenu(this);
    popup1_->setObjectName(QStringLiteral("PopupMenu1"));
    for (const char* n : {"Infoabout1", "NPViewTable1", "NPEditTable1", "Copytable1", "AppendFrom2",
                          "OpenSQLscripteditor1", "Rename2", "Createtableorindex1", "Deletetableorindex1",
                          "Workwithstoredprocedures1", "Clearallrecordsintable1", "ViewDataAsText1",
                          "ImportExportData2"})
        addItem(popup1_, n);
    for (Side s : {Side::Left, Side::Right}) {
        QTreeWidget* l = listBox(s);
        connect(l, &QWidget::customContextMenuRequested, this,
                [this, l](const QPoint& at) { popup1_->popup(l->viewport()->mapToGlobal(at)); });
    }

    popupEsql_ = new QMenu(this);
    popupEsql_->setObjectName(QStringLiteral("PopupMenuESQL"));
    addItem(popupEsql_, "Clearhistorylist1");
    addItem(popupEsql_, "GetTablenametocommandline1");
    esql_->lineEdit()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(esql_->lineEdit(), &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { popupEsql_->popup(esql_->lineEdit()->mapToGlobal(at)); });

    popup2_ = new QMenu(this);
    popup2_->setObjectName(QStringLiteral("PopupMenu2"));
    connect(addItem(popup2_, "ShowCommander1", true), &QAction::triggered, this, &TForm1::restoreFromTray);
    connect(addItem(popup2_, "AboutCommander1", true), &QAction::triggered, this, &TForm1::aboutBox);
}

void TForm1::applySettingsToChecks() {
    const ShellSettings& s = settings_;
    auto set = [this](const char* name, bool on) {
        if (QAction* a = action(QString::fromLatin1(name))) a->setChecked(on);
    };
    set("ToolBar3", s.viewToolBar);
    toolBar1_->setVisible(s.viewToolBar);
    set("ShowTrayIconOnMinimize1", s.showTrayIcon);
    set("NAutoSaveSetup", s.autoSave);
    set("NUseinSQL", s.useInSql);
    set("RequestLive1", s.requestLive);
    set("NReplAppropriate", s.replaceAppropriate);
    set("ShowRecordCount1", s.showRecordCount);
    set("QueryOriginDisplayLabel1", s.originNames);
    set("DataBaseKeepConnection1", s.dbKeepConnection);
    set("Viewwindowsstayontop1", s.viewWindowsTop);
    set(s.language == 1 ? "NRussianLang" : s.language == 2 ? "NEnglishLang" : "NDefaultLang", true);
}

void TForm1::takeChecksIntoSettings() {
    ShellSettings& s = settings_;
    auto get = [this](const char* name) {
        QAction* a = action(QString::fromLatin1(name));
        return a && a->isChecked();
    };
    s.viewToolBar = get("ToolBar3");
    s.showTrayIcon = get("ShowTrayIconOnMinimize1");
    s.autoSave = get("NAutoSaveSetup");
    s.useInSql = get("NUseinSQL");
    s.requestLive = get("RequestLive1");
    s.replaceAppropriate = get("NReplAppropriate");
    s.showRecordCount = get("ShowRecordCount1");
    s.originNames = get("QueryOriginDisplayLabel1");
    s.dbKeepConnection = get("DataBaseKeepConnection1");
    s.viewWindowsTop = get("Viewwindowsstayontop1");
    s.language = languageSetting();
}

}  // namespace vlm::shell
