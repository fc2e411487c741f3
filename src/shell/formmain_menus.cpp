// TForm1: the upper tool bar, the function-key buttons, the main menu and the pop-up menus.
// Every control is made from its command id and triggers it through the command registry;
// items whose commands nobody has registered stay disabled.
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

namespace {
template <class T>
T* controlOf(const std::map<std::string, std::vector<QPointer<QObject>>, std::less<>>& controls, CommandId id) {
    auto it = controls.find(id.view());
    if (it == controls.end()) return nullptr;
    for (const QPointer<QObject>& o : it->second)
        if (auto* t = qobject_cast<T*>(o.data())) {
            if constexpr (std::is_same_v<T, QAction>)
                if (t->menu()) continue;
            return t;
        }
    return nullptr;
}
}  // namespace

QAction* TForm1::action(CommandId id) const { return controlOf<QAction>(controls_, id); }
QMenu* TForm1::menu(CommandId id) const { return controlOf<QMenu>(controls_, id); }
QToolButton* TForm1::toolButton(CommandId id) const { return controlOf<QToolButton>(controls_, id); }
QPushButton* TForm1::functionButton(CommandId id) const { return controlOf<QPushButton>(controls_, id); }

void TForm1::setChecked(CommandId id, bool on) {
    if (QAction* a = action(id)) {
        a->setCheckable(true);
        a->setChecked(on);
    }
    if (QToolButton* b = toolButton(id)) b->setChecked(on);
}

void TForm1::bindAction(const QString& name, std::function<void()> command) {
    commands_.add(std::string_view(name.toStdString()), std::move(command));
}

void TForm1::bindButton(const QString& name, std::function<void()> command) {
    commands_.add(std::string_view(name.toStdString()), std::move(command));
}

void TForm1::addControl(CommandId id, QObject* control) {
    controls_[std::string(id.view())].push_back(control);
    if (auto* a = qobject_cast<QAction*>(control)) {
        connect(a, &QAction::triggered, this, [this, id] { commands_.trigger(id); });
        a->setEnabled(commands_.isEnabled(id));
    } else if (auto* b = qobject_cast<QAbstractButton*>(control)) {
        connect(b, &QAbstractButton::clicked, this, [this, id] { commands_.trigger(id); });
        b->setEnabled(commands_.isEnabled(id));
    }
}

void TForm1::showEnabled(CommandId id, bool on) {
    auto it = controls_.find(id.view());
    if (it == controls_.end()) return;
    for (const QPointer<QObject>& o : it->second) {
        if (auto* m = qobject_cast<QMenu*>(o.data())) {
            m->menuAction()->setEnabled(on);
            m->setEnabled(on);
        } else if (auto* a = qobject_cast<QAction*>(o.data())) {
            a->setEnabled(on);
        } else if (auto* w = qobject_cast<QWidget*>(o.data())) {
            w->setEnabled(on);
        }
    }
}

QAction* TForm1::addItem(QMenu* menu, CommandId id, CommandRegistry::Handler handler) {
    auto* a = new QAction(toQ(designedCaption(id.view())), menu);
    a->setObjectName(QString::fromLatin1(id.name));
    menu->addAction(a);
    addControl(id, a);
    if (handler) commands_.add(id, std::move(handler));
    return a;
}

QMenu* TForm1::addSubMenu(QMenu* parent, CommandId id) {
    auto* m = new QMenu(toQ(designedCaption(id.view())), parent ? static_cast<QWidget*>(parent) : this);
    m->setObjectName(QString::fromLatin1(id.name));
    if (parent) parent->addMenu(m);
    else menuBar()->addMenu(m);
    controls_[std::string(id.view())].push_back(m);
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
    struct B { const CommandId* id; int group; };
    static const B buttons[] = {
        {&cmd::BReRead, 0}, {&cmd::BselectDataBase, 6}, {&cmd::BInfoDataBase, 0}, {nullptr, 0},
        {&cmd::BSysAll, 2}, {&cmd::BAll, 2}, {&cmd::BUser, 2}, {&cmd::BFilter, 5}, {nullptr, 0},
        {&cmd::BSort, 1}, {&cmd::BUnSort, 1}, {nullptr, 0},
        {&cmd::BSetOptions, 0}, {&cmd::BAbout, 0}, {nullptr, 0},
        {&cmd::BSQLMonitor, 3}, {nullptr, 0},
        {&cmd::BBDEAdministrator, 0}, {nullptr, 0},
        {&cmd::BDetails, 4}, {&cmd::BLarge, 4}, {&cmd::BSmall, 4}, {&cmd::BList, 4}};
    QButtonGroup* groups[5] = {};
    for (const B& b : buttons) {
        if (!b.id) {
            toolBar1_->addSeparator();
            continue;
        }
        auto* tb = new QToolButton(toolBar1_);
        tb->setObjectName(QString::fromLatin1(b.id->name));
        tb->setFixedSize(34, 34);
        tb->setIcon(buttonGlyph(tb->objectName()));
        tb->setIconSize(QSize(28, 28));
        tb->setToolTip(hintText(designedHint(b.id->view())));
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
        addControl(*b.id, tb);
        toolBar1_->addWidget(tb);
    }
    toolButton(cmd::BUnSort)->setChecked(true);
    toolButton(cmd::BUser)->setChecked(true);
    commands_.add(cmd::BAbout, [this] { aboutBox(); });
}

void TForm1::buildFunctionKeys() {
    auto* row = new QHBoxLayout(toolBar2_);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(1);
    for (CommandId id : kFunctionKeyButtons) {
        auto* b = new QPushButton(toQ(designedCaption(id.view())), toolBar2_);
        b->setObjectName(QString::fromLatin1(id.name));
        b->setProperty("tag", 99);
        b->setFocusPolicy(Qt::NoFocus);
        b->setToolTip(hintText(designedHint(id.view())));
        addControl(id, b);
        row->addWidget(b);
    }
    row->addStretch(1);
    commands_.add(cmd::BHelp, [this] { showHelpContents(); });
    commands_.add(cmd::BQuit, [this] { close(); });
}

void TForm1::buildMenus() {
    menuBar()->setObjectName(QStringLiteral("MainMenu1"));
    auto sep = [](QMenu* m) { m->addSeparator(); };
    auto check = [](QAction* a, bool on) {
        a->setCheckable(true);
        a->setChecked(on);
        return a;
    };
    // The check items that are settings: the check mark is the whole command.
    auto setting = [] {};

    QMenu* nLeft = addSubMenu(nullptr, cmd::NLeft);
    auto fillSide = [&](QMenu* m, bool left) {
        check(addItem(m, left ? cmd::NAlphabeticLeft : cmd::NAlphabeticRight), false);
        check(addItem(m, left ? cmd::NUnsortedLeft : cmd::NUnsortedRight), true);
        sep(m);
        check(addItem(m, left ? cmd::NAllSystablesLeft : cmd::NAllSystablesRight), false);
        check(addItem(m, left ? cmd::NAllTablesLeft : cmd::NAllTablesRight), false);
        check(addItem(m, left ? cmd::NUserTablesLeft : cmd::NUserTablesRight), true);
        check(addItem(m, left ? cmd::SetFilterLeft : cmd::SetFilterRight), false);
        sep(m);
        addItem(m, left ? cmd::NReReadLeft : cmd::NReReadRight);
        addItem(m, left ? cmd::NSelectDatabaseLeft : cmd::NSelectDataBaseRight);
        addItem(m, left ? cmd::DisconnectLeft : cmd::DisconnectRight);
    };
    fillSide(nLeft, true);

    QMenu* tables = addSubMenu(nullptr, cmd::NTables);
    addItem(tables, cmd::NHelp, [this] { showHelpContents(); });
    for (CommandId n : {cmd::NInfo, cmd::NView, cmd::NEdit, cmd::NCopy, cmd::AppendFrom1, cmd::NSelect, cmd::Rename1,
                        cmd::NCreate, cmd::NDelete, cmd::NClearTable, cmd::PackDbaseTable1})
        addItem(tables, n);
    sep(tables);
    for (CommandId n : {cmd::GetTablesList1, cmd::ViewDataAsText, cmd::ImportExportData1}) addItem(tables, n);
    sep(tables);
    addItem(tables, cmd::SelectGroup1);
    addItem(tables, cmd::Removeselect1);

    QMenu* objects = addSubMenu(nullptr, cmd::Objects1);
    QMenu* newMenu = addSubMenu(objects, cmd::New1);
    for (CommandId n : {cmd::NNewTable, cmd::NNewIndex, cmd::NNewSynonym, cmd::NNewGenerator, cmd::NNewProcedure,
                        cmd::NNewFunction, cmd::NNewTrigger})
        addItem(newMenu, n);
    for (CommandId n : {cmd::StoredProcedures, cmd::Generators1, cmd::Indexes1, cmd::Synonyms1, cmd::Triggers1,
                        cmd::Constraints1})
        addItem(objects, n);
    QMenu* deps = addSubMenu(objects, cmd::Dependencies0);
    addItem(deps, cmd::Dependencies1);
    addItem(deps, cmd::Dependencies2);
    for (CommandId n : {cmd::Snapshots1, cmd::Packages1, cmd::PackageBodies1, cmd::TablePrivileges1, cmd::TableSpaces1,
                        cmd::RollBackSegments1, cmd::Clusters1, cmd::SessionOracle1})
        addItem(objects, n);
    QMenu* ib = addSubMenu(objects, cmd::Interbase1);
    for (CommandId n : {cmd::Domains1, cmd::Functions1, cmd::Exceptions1, cmd::BlobFilters1}) addItem(ib, n);

    QMenu* commands = addSubMenu(nullptr, cmd::NCommands);
    addItem(commands, cmd::Security1);
    sep(commands);
    addItem(commands, cmd::OpenSQLScript1);
    sep(commands);
    addItem(commands, cmd::Comparetables1);
    addItem(commands, cmd::Searchtable1);
    sep(commands);
    check(addItem(commands, cmd::SetTrace), false);
    QMenu* mon = addSubMenu(commands, cmd::NSQLMonitor);
    addItem(mon, cmd::ShowSQLMonitor);
    addItem(mon, cmd::ClearSQLLog);
    sep(commands);
    addItem(commands, cmd::DataBaseAliasInfo1);
    addItem(commands, cmd::NBDEAdministrator1);
    sep(commands);
    addItem(commands, cmd::RichTextEditor1, [this] { newRichTextEditor(); });
    addItem(commands, cmd::NAbout, [this] { aboutBox(); });
    sep(commands);
    addItem(commands, cmd::NQuit, [this] { close(); });

    QMenu* view = addSubMenu(nullptr, cmd::View1);
    QAction* toolBar3 = check(addItem(view, cmd::ToolBar3, setting), true);
    connect(toolBar3, &QAction::toggled, toolBar1_, &QWidget::setVisible);
    check(addItem(view, cmd::Icon1), false);
    check(addItem(view, cmd::List1), false);
    check(addItem(view, cmd::Report1), true);
    check(addItem(view, cmd::SmallIcon1), false);
    check(addItem(view, cmd::ReportGridLines), false);

    QMenu* options = addSubMenu(nullptr, cmd::NOptions);
    addItem(options, cmd::NProgramoptions);
    sep(options);
    QMenu* lang = addSubMenu(options, cmd::NLanguage1);
    languageGroup_ = new QActionGroup(this);
    languageGroup_->setExclusive(true);
    QAction* def = check(addItem(lang, cmd::NDefaultLang, [this] { NDefaultLangClick(); }), true);
    QAction* ru = check(addItem(lang, cmd::NRussianLang, [this] { NRussianLangClick(); }), false);
    QAction* en = check(addItem(lang, cmd::NEnglishLang, [this] { NEnglishLangClick(); }), false);
    for (QAction* a : {def, ru, en}) languageGroup_->addAction(a);
    sep(options);
    // Check items: each flips its mark and is a setting.
    for (CommandId n : {cmd::NUseinSQL, cmd::NReplAppropriate, cmd::RequestLive1, cmd::ShowRecordCount1,
                        cmd::QueryOriginDisplayLabel1})
        check(addItem(options, n, setting), false);
    sep(options);
    check(addItem(options, cmd::DataBaseKeepConnection1, setting), true);
    sep(options);
    for (CommandId n : {cmd::Viewwindowsstayontop1, cmd::ShowTrayIconOnMinimize1, cmd::NAutoSaveSetup})
        check(addItem(options, n, setting), false);
    addItem(options, cmd::NSaveSetup, [this] {
        takeChecksIntoSettings();
        settings_.mainFormWidth = width();
        settings_.mainFormHeight = height();
        hooks_->saveSettings(*this, settings_);
    });

    QMenu* windows = addSubMenu(nullptr, cmd::Windows1);
    addItem(windows, cmd::CloseAllWindows1, [this] { windowsMenu_->closeAllWindows(); });
    QAction* n13 = windows->addSeparator();
    n13->setObjectName(QStringLiteral("N13"));
    windowsMenu_ = new TWindowsMenu(windows, this);
    setWindowsMenu(windowsMenu_);

    QMenu* help = addSubMenu(nullptr, cmd::NHelp0);
    addItem(help, cmd::Commander1, [this] { showHelpContents(); });
    struct Ref { CommandId id; std::string ShellSettings::*file; };
    static const Ref refs[] = {{cmd::Oracle7SQLReference1, &ShellSettings::oracleHelp},
                               {cmd::LocalBDESQL1, &ShellSettings::localSqlHelp},
                               {cmd::InterBaseSQLReference1, &ShellSettings::interbaseHelp},
                               {cmd::GuptaSQLBaseReference1, &ShellSettings::sqlbaseHelp},
                               {cmd::MSSQLReference1, &ShellSettings::mssqlHelp}};
    for (const Ref& r : refs) {
        auto file = r.file;
        addItem(help, r.id, [this, file] { showReferenceHelp(settings_.*file); });
    }

    QMenu* nRight = addSubMenu(nullptr, cmd::NRight);
    fillSide(nRight, false);
}

void TForm1::buildPopups() {
    popup1_ = new QMenu(this);
    popup1_->setObjectName(QStringLiteral("PopupMenu1"));
    for (CommandId n : {cmd::Infoabout1, cmd::NPViewTable1, cmd::NPEditTable1, cmd::Copytable1, cmd::AppendFrom2,
                        cmd::OpenSQLscripteditor1, cmd::Rename2, cmd::Createtableorindex1, cmd::Deletetableorindex1,
                        cmd::Workwithstoredprocedures1, cmd::Clearallrecordsintable1, cmd::ViewDataAsText1,
                        cmd::ImportExportData2})
        addItem(popup1_, n);
    for (Side s : {Side::Left, Side::Right}) {
        QTreeWidget* l = listBox(s);
        connect(l, &QWidget::customContextMenuRequested, this,
                [this, l](const QPoint& at) { popup1_->popup(l->viewport()->mapToGlobal(at)); });
    }

    popupEsql_ = new QMenu(this);
    popupEsql_->setObjectName(QStringLiteral("PopupMenuESQL"));
    addItem(popupEsql_, cmd::Clearhistorylist1);
    addItem(popupEsql_, cmd::GetTablenametocommandline1);
    esql_->lineEdit()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(esql_->lineEdit(), &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { popupEsql_->popup(esql_->lineEdit()->mapToGlobal(at)); });

    popup2_ = new QMenu(this);
    popup2_->setObjectName(QStringLiteral("PopupMenu2"));
    addItem(popup2_, cmd::ShowCommander1, [this] { restoreFromTray(); });
    addItem(popup2_, cmd::AboutCommander1, [this] { aboutBox(); });
}

void TForm1::applySettingsToChecks() {
    const ShellSettings& s = settings_;
    auto set = [this](CommandId id, bool on) {
        if (QAction* a = action(id)) a->setChecked(on);
    };
    set(cmd::ToolBar3, s.viewToolBar);
    toolBar1_->setVisible(s.viewToolBar);
    set(cmd::ShowTrayIconOnMinimize1, s.showTrayIcon);
    set(cmd::NAutoSaveSetup, s.autoSave);
    set(cmd::NUseinSQL, s.useInSql);
    set(cmd::RequestLive1, s.requestLive);
    set(cmd::NReplAppropriate, s.replaceAppropriate);
    set(cmd::ShowRecordCount1, s.showRecordCount);
    set(cmd::QueryOriginDisplayLabel1, s.originNames);
    set(cmd::DataBaseKeepConnection1, s.dbKeepConnection);
    set(cmd::Viewwindowsstayontop1, s.viewWindowsTop);
    set(s.language == 1 ? cmd::NRussianLang : s.language == 2 ? cmd::NEnglishLang : cmd::NDefaultLang, true);
}

void TForm1::takeChecksIntoSettings() {
    ShellSettings& s = settings_;
    auto get = [this](CommandId id) {
        QAction* a = action(id);
        return a && a->isChecked();
    };
    s.viewToolBar = get(cmd::ToolBar3);
    s.showTrayIcon = get(cmd::ShowTrayIconOnMinimize1);
    s.autoSave = get(cmd::NAutoSaveSetup);
    s.useInSql = get(cmd::NUseinSQL);
    s.requestLive = get(cmd::RequestLive1);
    s.replaceAppropriate = get(cmd::NReplAppropriate);
    s.showRecordCount = get(cmd::ShowRecordCount1);
    s.originNames = get(cmd::QueryOriginDisplayLabel1);
    s.dbKeepConnection = get(cmd::DataBaseKeepConnection1);
    s.viewWindowsTop = get(cmd::Viewwindowsstayontop1);
    s.language = languageSetting();
}

}  // namespace vlm::shell
