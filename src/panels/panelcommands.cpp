// TPanels: the panels' keys, panel entry events, group selection, incremental search, sorting,
// scopes and filter, view styles, dragging, and the rebuild after the options dialog.
#include "panels/panelcontroller.h"
#include "engine/table.h"
#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QTreeWidget>

#include "panels/formsel.h"
#include "panels/names.h"
#include "shell/language.h"
#include "shell/qtext.h"

namespace vlm::panels {

using shell::fromQ;
using shell::toQ;

namespace {
// The report view's grid lines ("Report Grid Lines"): drawn over each cell after the style has
// painted it, so that selected and focused rows look as they do without the lines.
class GridLineDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyledItemDelegate::paint(painter, option, index);
        painter->save();
        painter->setPen(QColor(0xc0, 0xc0, 0xc0));
        const QRect r = option.rect;
        painter->drawLine(r.topRight(), r.bottomRight());
        painter->drawLine(r.bottomLeft(), r.bottomRight());
        painter->restore();
    }
};
}  // namespace

// --- Events -----------------------------------------------------------------------------------

bool TPanels::eventFilter(QObject* watched, QEvent* event) {
    if (watched == form_.searchEdit()) {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            endSearch();
            return true;
        }
        if (event->type() == QEvent::FocusOut && searching_) endSearch();
        return QObject::eventFilter(watched, event);
    }
    if (!isList(watched)) return QObject::eventFilter(watched, event);
    const Side s = sideOf(watched);
    switch (event->type()) {
    case QEvent::FocusIn:
        panelEntry(s);
        break;
    case QEvent::MouseButtonPress:
        if (!listView(s)->hasFocus()) listView(s)->setFocus(Qt::MouseFocusReason);
        break;
    case QEvent::MouseButtonRelease:
    case QEvent::KeyRelease:
        clickOrKeyRelease(s);
        break;
    case QEvent::KeyPress: {
        auto* k = static_cast<QKeyEvent*>(event);
        if (k->modifiers() & Qt::KeypadModifier) {
            if (k->key() == Qt::Key_Plus) { groupSelect(s, true); return true; }
            if (k->key() == Qt::Key_Minus) { groupSelect(s, false); return true; }
        }
        if (k->key() == Qt::Key_Delete && k->modifiers() == Qt::NoModifier) {
            form_.commands().trigger(shell::cmd::BDelete);
            return true;
        }
        break;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* d = static_cast<QDragMoveEvent*>(event);
        if (qobject_cast<QAbstractItemView*>(d->source())) {
            d->setDropAction(Qt::CopyAction);
            d->accept();
        } else {
            d->ignore();
        }
        return true;
    }
    case QEvent::Drop: {
        auto* d = static_cast<QDropEvent*>(event);
        if (qobject_cast<QAbstractItemView*>(d->source())) {
            d->setDropAction(Qt::CopyAction);
            d->accept();
            // The drop is the copy command (the copy window), when this build has it.
            form_.commands().trigger(shell::cmd::BCopy);
        }
        return true;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

bool TPanels::keyDown(QKeyEvent& e) {
    const Qt::KeyboardModifiers mods = e.modifiers() & ~Qt::KeypadModifier;
    if (e.key() == Qt::Key_S && mods == Qt::ControlModifier && !form_.searchPanel()->isVisible()) {
        startSearch();
        return true;
    }
    if (e.key() == Qt::Key_F1 && mods == Qt::ControlModifier) {
        switchPanels();
        return true;
    }
    // Tab and Shift+Tab go from one list to the other: the command line is no tab stop.
    if ((e.key() == Qt::Key_Tab && mods == Qt::NoModifier) || (e.key() == Qt::Key_Backtab && mods == Qt::ShiftModifier)) {
        QWidget* f = form_.focusWidget();
        if (f && isList(f)) {
            switchPanels();
            return true;
        }
        return false;
    }
    if ((e.modifiers() & Qt::KeypadModifier) && (e.key() == Qt::Key_Plus || e.key() == Qt::Key_Minus)) {
        QWidget* f = form_.focusWidget();
        if (f && isList(f)) {
            groupSelect(sideOf(f), e.key() == Qt::Key_Plus);
            return true;
        }
    }
    return false;
}

// --- Focus ---------------------------------------------------------------------------------

void TPanels::rememberFocus() {
    for (Side s : {Side::Left, Side::Right}) {
        int i = focusedIndex(s);
        side(s).savedIndex = i;
        side(s).savedCaption = i >= 0 ? itemCaption(s, i) : QString();
    }
}

void TPanels::selectOnly(Side s, int index) {
    QTreeWidget* t = tree(s);
    QTreeWidgetItem* it = t->topLevelItem(index);
    if (!it) return;
    QModelIndex mi = t->model()->index(index, 0);
    t->selectionModel()->setCurrentIndex(mi, QItemSelectionModel::NoUpdate);
    it->setSelected(true);
    listView(s)->scrollTo(mi);
}

void TPanels::restoreFocus(Side s) {
    int n = itemCount(s);
    int i = side(s).savedIndex;
    if (n == 0 || i < 0) return;
    if (i >= n) i = n - 1;
    tree(s)->clearSelection();
    selectOnly(s, i);
}

void TPanels::switchPanels() {
    Side to = active() == Side::Left ? Side::Right : Side::Left;
    listView(to)->setFocus(Qt::OtherFocusReason);
    panelEntry(to);
}

// --- Group selection ------------------------------------------------------------------------------

void TPanels::groupSelect(Side s, bool select) {
    TFormSel d(select, lastSelectionMask, &form_);
    if (d.exec() != QDialog::Accepted) return;
    groupSelectWithMask(s, select, d.ESel->text());
}

void TPanels::groupSelectWithMask(Side s, bool select, const QString& maskText) {
    const std::string mask = trimBlanks(fromQ(maskText));
    if (mask.empty()) return;
    QTreeWidget* t = tree(s);
    if (mask == "*") {
        for (int i = 0; i < t->topLevelItemCount(); ++i) t->topLevelItem(i)->setSelected(select);
    } else {
        int f = focusedIndex(s);
        if (f >= 0) {
            t->topLevelItem(f)->setSelected(false);
            t->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        }
        const std::string upperMask = upperName(mask);
        for (int i = 0; i < t->topLevelItemCount(); ++i) {
            QTreeWidgetItem* it = t->topLevelItem(i);
            if (maskMatches(upperMask, upperName(fromQ(it->text(0))))) it->setSelected(select);
        }
    }
    lastSelectionMask = maskText;
    updateStatus(s);
}

// --- Incremental search --------------------------------------------------------------------------

void TPanels::startSearch() {
    Side s = active();
    QTreeWidget* t = tree(s);
    int f = focusedIndex(s);
    for (int i = 0; i < t->topLevelItemCount(); ++i)
        if (i != f) t->topLevelItem(i)->setSelected(false);
    updateStatus(s);
    form_.searchPanel()->show();
    searching_ = true;
    searchConnection_ = connect(form_.searchEdit(), &QLineEdit::textChanged, this, &TPanels::searchStep);
    form_.searchEdit()->setFocus();
}

void TPanels::searchStep(const QString& typed) {
    std::string text = fromQ(typed);
    if (trimBlanks(text).empty()) return;
    const bool ignoreCase = settings_.searchMatchCase;
    if (ignoreCase) text = upperName(text);
    Side s = active();
    QTreeWidget* t = tree(s);
    for (int i = 0; i < t->topLevelItemCount(); ++i) {
        std::string caption = fromQ(t->topLevelItem(i)->text(0));
        if (ignoreCase) caption = upperName(caption);
        bool hit = settings_.searchFirstPos ? caption.rfind(text, 0) == 0 : caption.find(text) != std::string::npos;
        if (!hit) continue;
        int f = focusedIndex(s);
        if (f >= 0) t->topLevelItem(f)->setSelected(false);
        selectOnly(s, i);
        // The status bar and the size bar show the item found, as a key in the list would.
        clickOrKeyRelease(s);
        return;
    }
}

void TPanels::endSearch() {
    if (!searching_) return;
    searching_ = false;
    disconnect(searchConnection_);
    form_.searchPanel()->hide();
    form_.searchEdit()->clear();
    listView(active())->setFocus();
}

// --- Sorting, scopes, filter ----------------------------------------------------------------------

void TPanels::setSorted(Side s, bool on) {
    // The selected items stay selected and the focused one focused (and in view), in either order.
    QStringList selected;
    const QList<QTreeWidgetItem*> items = tree(s)->selectedItems();
    for (const QTreeWidgetItem* it : items) selected << it->text(0);
    const int f = focusedIndex(s);
    const QString focused = f >= 0 ? itemCaption(s, f) : QString();
    panelSettings(s).sorted = on;
    updateSortChecks(s);
    if (on) {
        side(s).tables->sortDisplayNames(true);
        fillList(s, sqlBased(s), panelSettings(s).userName);
    } else {
        side(s).tables->sortDisplayNames(false);
        buildPanel(s);
    }
    reselect(s, selected, focused);
    if (s == active()) form_.setChecked(panels::sortButton(on), true);
}

void TPanels::reselect(Side s, const QStringList& selected, const QString& focused) {
    QTreeWidget* t = tree(s);
    QItemSelectionModel* m = t->selectionModel();
    QItemSelection sel;
    for (const QString& name : selected)
        for (QTreeWidgetItem* it : t->findItems(name, Qt::MatchExactly, 0)) {
            const QModelIndex i = t->indexFromItem(it, 0);
            sel.select(i, i);
        }
    m->select(sel, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    const auto found = focused.isEmpty() ? QList<QTreeWidgetItem*>() : t->findItems(focused, Qt::MatchExactly, 0);
    const QModelIndex current = found.isEmpty() ? t->model()->index(0, 0) : t->indexFromItem(found.front(), 0);
    if (!current.isValid()) return;
    m->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
    QAbstractItemView* v = listView(s);
    v->scrollTo(current);
    // Once more after the rebuilt list's scroll bars are laid out (they take rows of the view).
    QMetaObject::invokeMethod(v, [v, at = QPersistentModelIndex(current)] {
        if (at.isValid()) v->scrollTo(at);
    }, Qt::QueuedConnection);
}

void TPanels::sortButton(bool sorted) { setSorted(active(), sorted); }

void TPanels::setScope(Side s, Scope sc) {
    ListScope l = listScope(panelSettings(s).systemTables, panelSettings(s).userTables);
    panels::setScope(l, sc);
    panelSettings(s).systemTables = l.systemTables;
    panelSettings(s).userTables = l.userTablesOnly;
    updateScopeChecks(s);
    buildPanel(s);
    if (s == active()) form_.setChecked(scopeButton(sc), true);
}

void TPanels::toggleFilter(bool on) {
    Side s = active();
    panelSettings(s).filterOn = on;
    form_.setChecked(sideCommands(s).setFilter, on);
    buildPanel(s);
}

// --- View styles ------------------------------------------------------------------------------

void TPanels::setViewStyle(ViewStyle v) {
    view_ = v;
    // The list that has the focus keeps it in its new view: the new view is shown and focused
    // before the old one hides, so the focus never wanders to the other panel or the command line.
    QWidget* f = QApplication::focusWidget();
    const bool listFocused = f && isList(f);
    const Side focusedSide = listFocused ? sideOf(f) : active();
    for (Side s : {Side::Left, Side::Right}) {
        QTreeWidget* t = tree(s);
        QListView* l = side(s).icons;
        const bool keepFocus = listFocused && s == focusedSide;
        if (v == ViewStyle::Report) {
            t->show();
            if (keepFocus) t->setFocus();
            l->hide();
        } else {
            l->setViewMode(v == ViewStyle::Icon ? QListView::IconMode : QListView::ListMode);
            l->setIconSize(v == ViewStyle::Icon ? QSize(32, 32) : QSize(16, 16));
            l->setFlow(v == ViewStyle::List ? QListView::TopToBottom : QListView::LeftToRight);
            l->setWrapping(true);
            l->setGridSize(v == ViewStyle::Icon ? QSize(96, 64) : QSize());
            l->setWordWrap(v == ViewStyle::Icon);
            l->setMovement(QListView::Static);
            l->show();
            if (keepFocus) l->setFocus();
            t->hide();
        }
    }
    for (auto [id, on] : viewStyleChecks(v)) form_.setChecked(id, on);
    form_.setChecked(viewStyleButton(v), true);
    form_.commands().allow(shell::cmd::ReportGridLines, v == ViewStyle::Report);
}

void TPanels::setGridLines(bool on) {
    gridLines_ = on;
    form_.setChecked(shell::cmd::ReportGridLines, on);
    for (Side s : {Side::Left, Side::Right}) {
        QTreeWidget* t = tree(s);
        QAbstractItemDelegate* old = t->itemDelegate();
        if (on && !dynamic_cast<GridLineDelegate*>(old)) t->setItemDelegate(new GridLineDelegate(t));
        else if (!on && dynamic_cast<GridLineDelegate*>(old)) t->setItemDelegate(new QStyledItemDelegate(t));
        else continue;
        if (old && old->parent() == t) old->deleteLater();
    }
}

// --- Options ---------------------------------------------------------------------------------------

void TPanels::optionsClosed(int filterSide) {
    rememberFocus();
    if (filterSide < 0) {
        for (Side s : {Side::Left, Side::Right}) {
            buildPanel(s);
            restoreFocus(s);
        }
    } else {
        Side s = filterSide == 0 ? Side::Left : Side::Right;
        buildPanel(s);
        restoreFocus(s);
    }
    form_.setChecked(shell::cmd::BFilter, panelSettings(active()).filterOn);
}

}  // namespace vlm::panels
