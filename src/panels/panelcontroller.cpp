// TPanels: settings, connection, list builds, panel entry, status and the menu rule.
// The commands and keys are in panelcommands.cpp.

#include "panels/panelcontroller.h"
#include "engine/session.h"
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QFileInfo>
#include <QLineEdit>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <optional>

#include "panels/formselectdb.h"
#include "panels/listimages.h"
#include "panels/menurules.h"
#include "panels/names.h"
#include "panels/panelbuild.h"
#include "panels/passworddlg.h"
#include "panels/qtsettings.h"
#include "panels/serverkind.h"
#include "shell/errordisplay.h"
#include "shell/language.h"
#include "shell/qtext.h"

namespace vlm::panels {

using shell::fromQ;
using shell::toQ;

namespace {
const char* sideName(Side s, const char* left, const char* right) { return s == Side::Left ? left : right; }
}

TPanels::TPanels(shell::TForm1& form, std::string programDir)
    : QObject(&form), form_(form), programDir_(std::move(programDir)) {
    settingsPath_ = settingsFilePath(programDir_);
    runLogin = [this](const QString& db, std::string& user, std::string& password) {
        TPasswordDlg d(db, &form_);
        if (d.exec() != QDialog::Accepted) return false;
        user = fromQ(d.userName());
        password = fromQ(d.password());
        return true;
    };
    for (Side s : {Side::Left, Side::Right}) {
        QTreeWidget* t = tree(s);
        t->installEventFilter(this);
        t->viewport()->installEventFilter(this);
        t->setAcceptDrops(true);
        t->viewport()->setAcceptDrops(true);
        t->setDragDropMode(QAbstractItemView::DragDrop);
        t->setDefaultDropAction(Qt::CopyAction);
        // The icon, small-icon and list styles show the same items through a list view.
        auto* v = new QListView(t->parentWidget());
        v->setObjectName(toQ(sideName(s, "LeftListBoxIcons", "RightListBoxIcons")));
        v->setModel(t->model());
        v->setSelectionModel(t->selectionModel());
        v->setSelectionMode(QAbstractItemView::ExtendedSelection);
        v->setEditTriggers(QAbstractItemView::NoEditTriggers);
        v->setDragEnabled(true);
        v->setAcceptDrops(true);
        v->viewport()->setAcceptDrops(true);
        v->setDragDropMode(QAbstractItemView::DragDrop);
        v->setResizeMode(QListView::Adjust);
        v->setContextMenuPolicy(Qt::CustomContextMenu);
        v->setMovement(QListView::Static);
        v->hide();
        if (auto* box = qobject_cast<QVBoxLayout*>(t->parentWidget()->layout())) {
            int at = box->indexOf(t);
            box->insertWidget(at + 1, v, 1);
        }
        v->installEventFilter(this);
        v->viewport()->installEventFilter(this);
        side(s).icons = v;
        connect(t, &QTreeWidget::itemDoubleClicked, this, [this] {
            form_.commands().trigger(shell::cmd::BView);
        });
        connect(v, &QListView::doubleClicked, this, [this] {
            form_.commands().trigger(shell::cmd::BView);
        });
        connect(v, &QListView::customContextMenuRequested, this, [this, v](const QPoint& at) {
            if (QMenu* m = form_.panelPopup()) m->popup(v->viewport()->mapToGlobal(at));
        });
    }
    // The selected count follows every change of a list's selection: keys, mouse, search and
    // group selection alike. Changes come one item at a time, so the count is taken once
    // they are all in.
    for (Side s : {Side::Left, Side::Right})
        connect(tree(s)->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
            if (selectionCountPending_) return;
            selectionCountPending_ = true;
            QMetaObject::invokeMethod(this, [this] {
                selectionCountPending_ = false;
                form_.statusPanel(2)->setText(QString::number(selectedCount(active())));
            }, Qt::QueuedConnection);
        });
    form_.searchEdit()->installEventFilter(this);
    // A long database name in a title is elided, never widens the window.
    for (Side s : {Side::Left, Side::Right}) {
        QSizePolicy p = form_.panelTitle(s)->sizePolicy();
        p.setHorizontalPolicy(QSizePolicy::Ignored);
        form_.panelTitle(s)->setSizePolicy(p);
    }
    // The command line is reached by Ctrl+Q or the mouse, not by Tab.
    form_.commandLine()->setFocusPolicy(Qt::ClickFocus);
    sqlEditorFont_ = new QLabel(&form_);
    sqlEditorFont_->setObjectName(QStringLiteral("LSQLEditorFont"));
    sqlEditorFont_->hide();
    // The trace starts with execute, error, connect, transaction, data in and data out; the
    // options dialog shows and changes these flags.
    engine::Session::defaultSession().setTraceMask(1590);
}

TPanels::~TPanels() {
    // The select-database window calls back into this controller when it closes: it goes
    // first, without its callbacks (the options dialog goes with this object's destruction,
    // see TFormOptions). The event filters on the main window's controls are dropped with
    // this object.
    if (select_) {
        select_->onChoose = nullptr;
        select_->onClosed = nullptr;
        delete select_.data();
    }
}

// --- Settings -------------------------------------------------------------------------------

void TPanels::loadSettings(shell::ShellSettings& shellSettings) {
    settings_ = readSettings(settingsReadPath(programDir_), systemFormats());
    shellSettings = settings_.shell;
    programFormats() = settings_.formats;
    for (Side s : {Side::Left, Side::Right}) {
        updateScopeChecks(s);
        updateSortChecks(s);
        form_.setChecked(sideCommands(s).setFilter, panelSettings(s).filterOn);
    }
    const ToolBarState bar = toolBarState(settings_.left, false);
    form_.setChecked(bar.scope, true);
    form_.setChecked(shell::cmd::BFilter, bar.filter);
    applyPanelColour();
    applyPanelFont();
    applySqlEditorFont();
}

std::string TPanels::saveSettings(const shell::ShellSettings& shellSettings) {
    settings_.shell = shellSettings;
    settings_.panelFont = fontSpecOf(tree(Side::Left)->font(), settings_.panelFont.colour);
    settings_.sqlEditorFont = fontSpecOf(sqlEditorFont_->font(), settings_.sqlEditorFont.colour);
    settings_.formats = programFormats();
    std::string err = writeSettings(settingsPath_, settings_);
    if (!err.empty()) showError(toQ(err));
    return err;
}

void TPanels::applyPanelColour() {
    QColor c = qColour(settings_.panelsColor);
    auto paint = [&](QWidget* w) {
        if (!w) return;
        QPalette p = w->palette();
        p.setColor(QPalette::Base, c);
        p.setColor(QPalette::Window, c);
        w->setPalette(p);
        w->setAutoFillBackground(true);
    };
    for (Side s : {Side::Left, Side::Right}) {
        paint(tree(s));
        paint(side(s).icons);
        paint(form_.sizeBar(s));
    }
    paint(form_.commandLine());
}

void TPanels::applyPanelFont() {
    QFont f = qFont(settings_.panelFont);
    QColor colour = qColour(settings_.panelFont.colour);
    auto apply = [&](QWidget* w) {
        if (!w) return;
        w->setFont(f);
        QPalette p = w->palette();
        p.setColor(QPalette::Text, colour);
        p.setColor(QPalette::WindowText, colour);
        w->setPalette(p);
    };
    for (Side s : {Side::Left, Side::Right}) {
        apply(tree(s));
        apply(side(s).icons);
        for (QLabel* l : {form_.sizeName(s), form_.sizeSize(s), form_.sizeDateTime(s)}) apply(l);
    }
    apply(form_.commandLine());
}

void TPanels::applySqlEditorFont() {
    sqlEditorFont_->setFont(qFont(settings_.sqlEditorFont));
    QPalette p = sqlEditorFont_->palette();
    p.setColor(QPalette::WindowText, qColour(settings_.sqlEditorFont.colour));
    sqlEditorFont_->setPalette(p);
}

// --- Start-up and shutdown --------------------------------------------------------------------

void TPanels::startPanels() {
    const bool keep = form_.settings().dbKeepConnection;
    for (Side s : {Side::Left, Side::Right}) {
        side(s).db.setKeepConnection(keep);
        side(s).db.setDatabaseName(panelSettings(s).databaseName);
    }
    form_.setActivePanel(Side::Left);
    for (Side s : {Side::Left, Side::Right}) {
        PanelSettings& p = panelSettings(s);
        auto clear = [&] {
            p.userName.clear();
            p.password.clear();
            p.databaseName.clear();
            side(s).db.setDatabaseName("");
        };
        if (trimBlanks(p.databaseName).empty()) {
            clear();
        } else if (!trimBlanks(p.userName).empty() && !trimBlanks(p.password).empty()) {
            applySavedLogin(s);
        } else {
            std::string user, password;
            if (runLogin(toQ(p.databaseName), user, password)) {
                side(s).db.params() = loginParams(user, password);
                p.userName = user;
                p.password = password;
            } else {
                clear();
            }
        }
    }
}

void TPanels::buildPanelsAtStart() {
    left_.savedIndex = right_.savedIndex = 0;
    buildPanel(Side::Left);
    buildPanel(Side::Right);
    restoreFocus(Side::Left);
    restoreFocus(Side::Right);
    focusList(active());
}

void TPanels::closeConnections() {
    // The saved names go to the file: a panel whose build failed starts empty next time.
    for (Side s : {Side::Left, Side::Right}) {
        engine::Database& db = side(s).db;
        if (db.databaseName().empty() || !db.connected()) continue;
        try {
            db.close();
        } catch (const std::exception& e) {
            showError(e);
        }
    }
}

// --- Connection -----------------------------------------------------------------------------

bool TPanels::login(Side s) {
    std::string user, password;
    if (!runLogin(toQ(side(s).db.databaseName()), user, password)) return false;
    side(s).db.params() = loginParams(user, password);
    panelSettings(s).userName = user;
    panelSettings(s).password = password;
    return true;
}

void TPanels::applySavedLogin(Side s) {
    side(s).db.params() = loginParams(panelSettings(s).userName, panelSettings(s).password);
}

void TPanels::selectDatabase(Side s) {
    form_.setActivePanel(s);
    setTitleColours();
    if (select_) select_->close();
    std::vector<std::string> names;
    try {
        names = side(s).db.session().databaseNames();
    } catch (const std::exception& e) {
        showError(e);
    }
    std::string current = side(s).db.databaseName();
    // The tree opens at the panel's directory, or at the folder of a database file.
    QString dir;
    if (!current.empty() && !engine::Session::defaultSession().isAlias(current)) {
        QFileInfo at(toQ(current));
        if (at.isDir()) dir = at.absoluteFilePath();
        else if (at.isFile()) dir = at.absolutePath();
    }
    auto* d = new TFormSelectDB(names, dir, &form_);
    d->setWindowFlag(Qt::Window, true);
    select_ = d;
    d->onChoose = [this, s](const QString& name) { chooseDatabase(s, name); };
    d->onClosed = [this] {
        applySqlBasedEnabling(form_.commands(), sqlBased(active()));
        form_.statusPanel(0)->setText(QString::number(itemCount(active())));
        enableMenusByServerKind();
        form_.setChecked(shell::cmd::BselectDataBase, side(active()).db.connected());
        focusList(active());
    };
    QWidget* panel = form_.panelFrame(s);
    d->move(panel->mapToGlobal(QPoint(0, 0)).x() + 100, form_.geometry().top() + 40);
    d->show();
    d->activateWindow();
}

void TPanels::chooseDatabase(Side s, const QString& qname) {
    const std::string name = fromQ(qname);
    const Side other = s == Side::Left ? Side::Right : Side::Left;
    auto closeDialog = [this] {
        if (select_) select_->close();
    };
    if (name == side(other).db.databaseName()) {
        closeDialog();
        showMessage(QStringLiteral("Can't Open Duplicate Name Alias!"));
        focusList(active());
        return;
    }
    PanelSettings& p = panelSettings(s);
    std::optional<shell::ErrorReport> error;
    try {
        side(s).db.close();
        side(s).db.setDatabaseName(name);
        p.databaseName = name;
        std::string user, password;
        if (runLogin(qname, user, password)) {
            side(s).db.params() = loginParams(user, password);
            p.userName = user;
            p.password = password;
        } else {
            p.userName.clear();
            p.password.clear();
            side(s).db.setDatabaseName("");
            p.databaseName.clear();
            side(s).tables->clear();
            clearList(s, false);
        }
        buildPanel(s);
    } catch (const std::exception& e) {
        error = shell::errorReport(e);
    }
    closeDialog();
    updateTitle(s);
    // The new list starts at its first item, as at start-up, and the size bar shows that item.
    side(s).savedIndex = 0;
    restoreFocus(s);
    focusList(s);
    refreshSizeBar(s);
    form_.setChecked(shell::cmd::BselectDataBase, side(active()).db.connected());
    if (error) prompts().error(*error);
}

void TPanels::disconnectPanel(Side s, bool fromButton) {
    if (s == Side::Left && !side(s).db.connected()) return;
    try {
        side(s).db.close();
        PanelSettings& p = panelSettings(s);
        p.userName.clear();
        p.password.clear();
        side(s).db.setDatabaseName("");
        p.databaseName.clear();
        side(s).tables->clear();
        clearList(s, false);
        buildPanel(s);
        form_.panelTitle(s)->clear();
        form_.sizeName(s)->clear();
        form_.sizeSize(s)->clear();
        form_.sizeDateTime(s)->clear();
        if (fromButton || s == active())
            form_.setChecked(shell::cmd::BselectDataBase, false);
    } catch (const std::exception& e) {
        showError(e);
    }
}

void TPanels::reconnect() {
    rememberFocus();
    Side s = active();
    side(s).db.close();
    applySavedLogin(s);
    buildPanel(s);
    restoreFocus(s);
}

void TPanels::reRead(Side s) {
    rememberFocus();
    buildPanel(s);
    restoreFocus(s);
}

void TPanels::clearList(Side s, bool columnsToo) {
    QTreeWidget* t = tree(s);
    t->clear();
    if (columnsToo) {
        t->setColumnCount(0);
        t->setHeaderLabels({});
    }
}

bool TPanels::buildPanel(Side s) {
    PanelSettings& p = panelSettings(s);
    PanelState& st = side(s);
    if (trimBlanks(p.databaseName).empty()) {
        clearList(s, true);
        st.commentsFetched = false;
        updateStatus(s);
        enableMenusByServerKind();
        return true;
    }
    st.tables = std::make_unique<TMyTableList>();
    clearList(s, true);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ListScope scope{p.systemTables, p.userTables, p.filterOn, p.filter, p.filterUser, p.filterExcept, p.userName};
    PanelBuildResult r = buildTableList(st.db, scope, settings_.showTableComments, programFormats());
    QApplication::restoreOverrideCursor();
    if (!r.ok) {
        // The splash window must not hide the error at start-up.
        form_.hideStartForm();
        p.databaseName.clear();
        p.userName.clear();
        showError(toQ(r.error));
        return false;
    }
    for (const auto& e : r.errors) showError(toQ(e));
    *st.tables = std::move(r.list);
    st.commentsFetched = r.commentsFetched;
    if (p.sorted) st.tables->sortDisplayNames(true);
    fillList(s, r.sqlBased, p.userName);
    updateTitle(s);
    updateSortChecks(s);
    updateStatus(s);
    enableMenusByServerKind();
    return true;
}

void TPanels::fillList(Side s, bool sqlBased, const std::string& loginUser) {
    QTreeWidget* t = tree(s);
    PanelState& st = side(s);
    QString focused = focusedIndex(s) >= 0 ? itemCaption(s, focusedIndex(s)) : QString();
    t->clear();
    auto cols = listColumns(sqlBased, st.commentsFetched, t->width());
    t->setColumnCount(int(cols.size()));
    QStringList heads;
    for (auto& c : cols) heads << toQ(c.caption);
    t->setHeaderLabels(heads);
    for (int i = 0; i < int(cols.size()); ++i) t->setColumnWidth(i, std::max(20, cols[std::size_t(i)].width));
    QList<QTreeWidgetItem*> items;
    items.reserve(qsizetype(st.tables->displayNames.size()));
    std::vector<QIcon> icons;
    for (int i = 0; i < listImageCount(sqlBased); ++i) icons.push_back(listImage(sqlBased, i));
    for (const auto& name : st.tables->displayNames) {
        auto* it = new QTreeWidgetItem;
        it->setText(0, toQ(name));
        it->setText(1, toQ(st.tables->comment(name)));
        int img = imageIndex(*st.tables, name, sqlBased, loginUser);
        if (img >= 0 && img < int(icons.size())) it->setIcon(0, icons[std::size_t(img)]);
        it->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled);
        items.push_back(it);
    }
    t->addTopLevelItems(items);
    setViewStyle(view_);
    if (!focused.isEmpty()) {
        auto found = t->findItems(focused, Qt::MatchExactly, 0);
        if (!found.isEmpty()) t->setCurrentItem(found.front(), 0, QItemSelectionModel::NoUpdate);
    }
}

void TPanels::updateTitle(Side s) {
    const PanelSettings& p = panelSettings(s);
    const QString title = toQ(p.databaseName + " : " + p.userName);
    form_.panelTitle(s)->setText(title);
    form_.panelTitle(s)->setToolTip(title);   // the label shows a long name elided
}

void TPanels::retitleColumns() {
    for (Side s : {Side::Left, Side::Right}) {
        QTreeWidget* t = tree(s);
        if (t->columnCount() == 0) continue;
        auto cols = listColumns(sqlBased(s), side(s).commentsFetched, t->width());
        for (int i = 0; i < t->columnCount() && i < int(cols.size()); ++i)
            t->headerItem()->setText(i, toQ(cols[std::size_t(i)].caption));
    }
}

// --- Panel entry, status, menus ------------------------------------------------------------------

void TPanels::panelEntry(Side s) {
    form_.setActivePanel(s);
    const ToolBarState bar = toolBarState(panelSettings(s), side(s).db.connected());
    form_.setChecked(bar.scope, true);
    form_.setChecked(bar.sort, true);
    updateStatus(s);
    applySqlBasedEnabling(form_.commands(), sqlBased(s));
    setTitleColours();
    enableMenusByServerKind();
    form_.setChecked(shell::cmd::BFilter, bar.filter);
    form_.setChecked(shell::cmd::BselectDataBase, side(s).db.connected());
}

void TPanels::setTitleColours() {
    for (Side s : {Side::Left, Side::Right}) {
        QLabel* t = form_.panelTitle(s);
        QPalette pal = t->palette();
        QFont f = t->font();
        if (s == active()) {
            pal.setColor(QPalette::Window, QApplication::palette().color(QPalette::Active, QPalette::Highlight));
            pal.setColor(QPalette::WindowText, Qt::white);
            f.setBold(true);
        } else {
            pal.setColor(QPalette::Window, QApplication::palette().color(QPalette::Button));
            pal.setColor(QPalette::WindowText, Qt::black);
            f.setBold(false);
        }
        t->setAutoFillBackground(true);
        t->setPalette(pal);
        t->setFont(f);
    }
}

void TPanels::updateStatus(Side s) {
    if (s != active()) return;
    form_.statusPanel(0)->setText(QString::number(itemCount(s)));
    form_.statusPanel(2)->setText(QString::number(selectedCount(s)));
}

void TPanels::clickOrKeyRelease(Side s) {
    // The release of Alt+F1 / Alt+F2 arrives in the list that lost the active role.
    if (s != active()) return;
    form_.statusPanel(2)->setText(QString::number(selectedCount(s)));
    if (fillCurrentTable()) updateSizeBar(s);
}

void TPanels::refreshSizeBar(Side s) {
    if (s == active() && focusedIndex(s) >= 0 && fillCurrentTable()) {
        updateSizeBar(s);
        return;
    }
    for (QLabel* l : {form_.sizeName(s), form_.sizeSize(s), form_.sizeDateTime(s)}) l->clear();
    form_.sizeName(s)->setToolTip(QString());
}

void TPanels::updateSizeBar(Side s) {
    const TTableInfo& t = CurrentTable();
    form_.sizeName(s)->setText(toQ(t.tableName));
    form_.sizeName(s)->setToolTip(toQ(t.tableName));   // the label shows a long name elided
    long long size = 0;
    try {
        size = std::stoll(t.size);
    } catch (const std::exception&) {
        // A size that is no number (a server table's empty size) shows as no size.
    }
    form_.sizeSize(s)->setText(size > 0 ? toQ(t.size) : QString());
    form_.sizeDateTime(s)->setText(toQ(t.dateTime));
}

bool TPanels::fillCurrentTable() {
    Side s = active();
    engine::Database& db = side(s).db;
    FillSource src;
    src.databaseName = db.databaseName();
    src.driverName = driverNameOf(db.session(), db.databaseName());
    src.sqlBased = sqlBased(s);
    src.oracleVersion = [&db] { return db.connected() ? oracleVersion(db) : std::string(); };
    int i = focusedIndex(s);
    if (i >= 0) src.focusedCaption = fromQ(itemCaption(s, i));
    src.tables = side(s).tables.get();
    return fillTableInfo(CurrentTable(), src);
}

bool TPanels::sqlBased(Side s) {
    try {
        return side(s).db.isSqlBased();
    } catch (const std::exception&) {
        // The database's driver cannot be told (an unknown alias or path): the panel is taken
        // as local here; the panel's build reports the error itself.
        return false;
    }
}

void TPanels::enableMenusByServerKind() {
    fillCurrentTable();
    applyMenuEnabling(form_.commands(), CurrentTable().serverKind, CurrentTable().isSqlBased);
}

void TPanels::updateScopeChecks(Side s) {
    const PanelSettings& p = panelSettings(s);
    for (auto [id, on] : scopeChecks(s, scopeOf(listScope(p.systemTables, p.userTables)))) form_.setChecked(id, on);
}

void TPanels::updateSortChecks(Side s) {
    for (auto [id, on] : sortChecks(s, panelSettings(s).sorted)) form_.setChecked(id, on);
}

// --- List access ----------------------------------------------------------------------------------

QAbstractItemView* TPanels::listView(Side s) const {
    return view_ == ViewStyle::Report ? static_cast<QAbstractItemView*>(tree(s)) : side(s).icons;
}

int TPanels::itemCount(Side s) const { return tree(s)->topLevelItemCount(); }

int TPanels::selectedCount(Side s) const { return int(tree(s)->selectedItems().size()); }

int TPanels::focusedIndex(Side s) const {
    QModelIndex i = tree(s)->selectionModel()->currentIndex();
    return i.isValid() ? i.row() : -1;
}

QString TPanels::itemCaption(Side s, int index) const {
    QTreeWidgetItem* it = tree(s)->topLevelItem(index);
    return it ? it->text(0) : QString();
}

void TPanels::focusList(Side s) {
    QAbstractItemView* v = listView(s);
    if (v->isVisible() || !form_.isVisible()) v->setFocus();
    if (!form_.isVisible() || !v->hasFocus()) panelEntry(s);
}

Side TPanels::sideOf(QObject* o) const {
    for (Side s : {Side::Left, Side::Right})
        if (o == tree(s) || o == tree(s)->viewport() || o == side(s).icons || o == side(s).icons->viewport()) return s;
    return Side::Left;
}

bool TPanels::isList(QObject* o) const {
    for (Side s : {Side::Left, Side::Right})
        if (o == tree(s) || o == tree(s)->viewport() || o == side(s).icons || o == side(s).icons->viewport()) return true;
    return false;
}

}  // namespace vlm::panels
