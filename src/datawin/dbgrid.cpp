// The grid windows' shared controls.
#include "datawin/dbgrid.h"

#include <QLabel>
#include <QStatusBar>

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QToolButton>

#include "datawin/gridmodel.h"
#include "engine/dataset.h"
#include "shell/formmain.h"
#include "shell/language.h"
#include "shell/prompts.h"
#include "shell/qtext.h"

namespace vlm::datawin {

using shell::toQ;

namespace {

// Held by a window (as a child object) for windowPrompts(): the prompts handed in, or message
// boxes over the window made when first asked for.
class PromptsLink : public QObject {
public:
    PromptsLink(QWidget* window, shell::Prompts* handed) : QObject(window), handed_(handed), window_(window) {}
    shell::Prompts* handed_ = nullptr;
    shell::Prompts& boxes() {
        if (!boxes_) boxes_ = std::make_unique<shell::BoxPrompts>(window_);
        return *boxes_;
    }

private:
    QWidget* window_;
    std::unique_ptr<shell::BoxPrompts> boxes_;
};

PromptsLink* linkOf(QWidget* w) {
    for (QObject* c : w->children())
        if (auto* l = dynamic_cast<PromptsLink*>(c)) return l;
    return nullptr;
}

}  // namespace

void setWindowPrompts(QWidget* window, shell::Prompts* prompts) {
    if (PromptsLink* l = linkOf(window)) l->handed_ = prompts;
    else new PromptsLink(window, prompts);
}

shell::Prompts& windowPrompts(QWidget* widget) {
    for (QWidget* w = widget; w; w = w->parentWidget())
        if (PromptsLink* l = linkOf(w); l && l->handed_) return *l->handed_;
    if (shell::TForm1* main = shell::TForm1::instance()) return main->prompts();
    QWidget* top = widget->window();
    PromptsLink* l = linkOf(top);
    if (!l) l = new PromptsLink(top, nullptr);
    return l->boxes();
}

// --- TDBGrid --------------------------------------------------------------------------------------

TDBGrid::TDBGrid(QWidget* parent) : QTableView(parent) {
    setObjectName(QStringLiteral("DBGrid1"));
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setAlternatingRowColors(false);
    setWordWrap(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setFixedWidth(14);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
}

void TDBGrid::setDataset(engine::Dataset* ds) {
    ds_ = ds;
    auto* old = model_;
    model_ = new TDatasetModel(ds, this);
    model_->onError = [this](const std::exception& e) { windowPrompts(this).error(e); };
    setModel(model_);
    delete old;
    reload();
}

void TDBGrid::reload() {
    if (!model_) return;
    following_ = true;
    model_->reload();
    // Column widths from the fields' display widths, as a grid sizes its columns.
    if (ds_ && ds_->active()) {
        const int ch = fontMetrics().horizontalAdvance(QLatin1Char('0'));
        for (int i = 0; i < ds_->fieldCount(); ++i) {
            engine::Field& f = ds_->field(i);
            int chars = std::max(std::min(f.displayWidth(), 40), int(f.displayLabel().size()));
            setColumnWidth(i, chars * ch + 10);
            setColumnHidden(i, !f.visible());
        }
        if (model_->rowCount() > 0) setCurrentIndex(model_->index(int(std::max<std::int64_t>(ds_->recNo() - 1, 0)), 0));
    }
    following_ = false;
    Q_EMIT scrolled();
}

void TDBGrid::followDataset() {
    if (!model_ || !ds_) return;
    following_ = true;
    model_->syncWithDataset();
    if (ds_->active() && model_->rowCount() > 0) {
        int row = int(std::max<std::int64_t>(ds_->recNo() - 1, 0));
        // Rows not shown yet are shown as far as the current record.
        model_->reach(row);
        int col = std::max(currentIndex().column(), 0);
        setCurrentIndex(model_->index(std::min(row, model_->rowCount() - 1), col));
        scrollTo(currentIndex());
    }
    following_ = false;
    viewport()->update();
    Q_EMIT scrolled();
}

int TDBGrid::currentFieldIndex() const {
    QModelIndex i = currentIndex();
    if (i.isValid()) return i.column();
    return ds_ && ds_->active() && ds_->fieldCount() > 0 ? 0 : -1;
}

void TDBGrid::setCurrentField(int field) {
    if (!model_ || field < 0 || field >= model_->columnCount()) return;
    int row = std::max(currentIndex().row(), 0);
    if (model_->rowCount() == 0) return;
    setCurrentIndex(model_->index(row, field));
}

void TDBGrid::keyPressEvent(QKeyEvent* e) {
    if (keyHandler && keyHandler(e)) return;
    // Ctrl+End and Ctrl+Home reach the last and the first row without reading those between.
    if (ds_ && ds_->active() && (e->modifiers() & Qt::ControlModifier) &&
        (e->key() == Qt::Key_End || e->key() == Qt::Key_Home)) {
        try {
            if (e->key() == Qt::Key_End) ds_->last();
            else ds_->first();
        } catch (const std::exception& ex) {
            windowPrompts(this).error(ex);
        }
        followDataset();
        return;
    }
    QTableView::keyPressEvent(e);
}

void TDBGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (current.column() != previous.column()) Q_EMIT columnEntered(current.column());
    if (following_ || !ds_ || !ds_->active() || !current.isValid() || current.row() == previous.row()) return;
    try {
        if (ds_->state() == engine::DatasetState::Insert) {
            ds_->post();
        }
        ds_->setRecNo(current.row() + 1);
    } catch (const std::exception& ex) {
        windowPrompts(this).error(ex);
        following_ = true;
        model_->syncWithDataset();
        following_ = false;
    }
    Q_EMIT scrolled();
}

// --- TDBNavigator -----------------------------------------------------------------------------

TDBNavigator::TDBNavigator(bool editing, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("DBNavigator1"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    static const char* const glyphs[Count] = {"|<", "<", ">", ">|", "+", "-", "^", "\u2713", "x"};
    static const char* const names[Count] = {"NavFirst", "NavPrior", "NavNext", "NavLast", "NavInsert",
                                             "NavDelete", "NavEdit", "NavPost", "NavCancel"};
    static const char* const hintsEn[Count] = {"First record", "Prior record", "Next record", "Last record",
                                               "Insert record", "Delete record", "Edit record", "Post edit",
                                               "Cancel edit"};
    static const char* const hintsRu[Count] = {"Первая запись", "Предыдущая запись", "Следующая запись",
                                               "Последняя запись", "Вставить запись", "Удалить запись",
                                               "Редактировать запись", "Сохранить изменения", "Отменить изменения"};
    for (int i = 0; i < Count; ++i) {
        auto* b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1(names[i]));
        b->setText(QString::fromUtf8(glyphs[i]));
        b->setToolTip(toQ(shell::pick(hintsRu[i], hintsEn[i])));
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setFixedSize(24, 24);
        buttons_[i] = b;
        if (!editing && i >= Insert) {
            b->hide();
            continue;
        }
        row->addWidget(b);
        connect(b, &QToolButton::clicked, this, [this, i] { click(Button(i)); });
    }
}

void TDBNavigator::click(Button b) {
    if (!grid_ || !grid_->dataset()) return;
    engine::Dataset& ds = *grid_->dataset();
    if (!ds.active()) return;
    try {
        switch (b) {
        case First: ds.first(); break;
        case Prior: ds.prior(); break;
        case Next: ds.next(); break;
        case Last: ds.last(); break;
        case Insert: ds.insert(); break;
        case Delete:
            if (!windowPrompts(this).question(toQ(shell::pick("Удалить запись?", "Delete record?")))) return;
            ds.deleteRecord();
            break;
        case Edit: ds.edit(); break;
        case Post: ds.post(); break;
        case Cancel: ds.cancel(); break;
        case Count: break;
        }
    } catch (const std::exception& ex) {
        windowPrompts(this).error(ex);
    }
    grid_->followDataset();
}

// --- CheckListBox1 ----------------------------------------------------------------------------

void fillColumnList(QListWidget* list, engine::Dataset& ds) {
    const QSignalBlocker block(list);
    list->clear();
    if (!ds.active()) return;
    for (int i = 0; i < ds.fieldCount(); ++i) {
        auto* item = new QListWidgetItem(toQ(ds.field(i).fieldName()), list);
        item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        item->setCheckState(Qt::Checked);
    }
}

void applyColumnList(QListWidget* list, engine::Dataset& ds, QTableView* grid) {
    if (!ds.active()) return;
    for (int r = 0; r < list->count(); ++r) {
        QListWidgetItem* item = list->item(r);
        engine::Field* f = ds.findField(shell::fromQ(item->text()));
        if (!f) continue;
        f->setVisible(item->checkState() == Qt::Checked);
        if (grid) grid->setColumnHidden(f->index(), !f->visible());
    }
}

QStatusBar* makeStatusBar(QWidget* parent, QLabel* (&panels)[4]) {
    auto* bar = new QStatusBar(parent);
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    const int widths[4] = {300, 100, 100, 50};
    for (int i = 0; i < 4; ++i) {
        panels[i] = new QLabel(bar);
        panels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        panels[i]->setMinimumWidth(widths[i]);
        panels[i]->setFrameShape(QFrame::Panel);
        panels[i]->setFrameShadow(QFrame::Sunken);
        bar->addWidget(panels[i], i == 3 ? 1 : 0);
    }
    return bar;
}

}  // namespace vlm::datawin
