// The copy window: wires its controls to the copy logic (copylogic.h).
#include "panels/panelcontroller.h"

#include "copy/formcopy.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "engine/database.h"
#include "panels/names.h"
#include "shell/language.h"
#include "shell/qtext.h"
#include "shell/windowsmenu.h"

namespace vlm::copy {

using shell::fromQ;
using shell::pick;
using shell::Side;
using shell::toQ;

namespace {

struct BusyCursor {
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
};

// The name fields force upper case as they are typed.
QLineEdit* upperEdit(const char* name, QWidget* parent, bool readOnly) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setReadOnly(readOnly);
    QObject::connect(e, &QLineEdit::textEdited, e, [e](const QString& t) {
        QString up = shell::toQ(panels::upperName(shell::fromQ(t)));
        if (up != t) {
            int pos = e->cursorPosition();
            e->setText(up);
            e->setCursorPosition(pos);
        }
    });
    return e;
}

}  // namespace

TFormCopy::TFormCopy(panels::TPanels& panels, QWidget* parent)
    : QWidget(parent, Qt::Window), panels_(panels) {
    setObjectName(QStringLiteral("FormCopy"));
    setAttribute(Qt::WA_DeleteOnClose);
    const bool ru = shell::languageSetting() == 1;
    setWindowTitle(ru ? QStringLiteral("Копирование таблиц") : QStringLiteral("Copy Table"));

    auto* col = new QVBoxLayout(this);
    auto* bar = new QToolBar(this);
    BCopy = new QToolButton(this);
    BCopy->setObjectName(QStringLiteral("BCopy"));
    BCopy->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    BCopy->setToolTip(toQ(pick("Начать копирование", "Start Copy")));
    BExit = new QToolButton(this);
    BExit->setObjectName(QStringLiteral("BExit"));
    BExit->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    BExit->setToolTip(toQ(pick("Выход", "Exit")));
    bar->addWidget(BCopy);
    bar->addWidget(BExit);
    col->addWidget(bar);

    auto* grid = new QGridLayout;
    Label1 = new QLabel(toQ(pick("Копировать:", "Copy Table:")), this);
    Label2 = new QLabel(toQ(pick("в:", "To:")), this);
    Label3 = new QLabel(toQ(pick("Алиас:", "Data base:")), this);
    Label4 = new QLabel(toQ(pick("Алиас:", "Data base:")), this);
    ETableSource = upperEdit("ETableSource", this, false);
    ETableDest = upperEdit("ETableDest", this, false);
    EDBSource = upperEdit("EDBSource", this, true);
    EDBDest = upperEdit("EDBDest", this, true);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(ETableSource, 0, 1);
    grid->addWidget(Label3, 0, 2);
    grid->addWidget(EDBSource, 0, 3);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(ETableDest, 1, 1);
    grid->addWidget(Label4, 1, 2);
    grid->addWidget(EDBDest, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    col->addLayout(grid);

    auto* row = new QHBoxLayout;
    GroupBox1 = new QGroupBox(toQ(pick("Тип БД приемника", "Destination Data Base Type")), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* types = new QHBoxLayout(GroupBox1);
    RSQL = new QRadioButton(toQ(pick("SQL СУБД?", "SQL Based")), GroupBox1);
    RSQL->setObjectName(QStringLiteral("RSQL"));
    RDBase = new QRadioButton(QStringLiteral("DBase"), GroupBox1);
    RDBase->setObjectName(QStringLiteral("RDBase"));
    RParadox = new QRadioButton(QStringLiteral("Paradox"), GroupBox1);
    RParadox->setObjectName(QStringLiteral("RParadox"));
    RSQL->setChecked(true);
    types->addWidget(RSQL);
    types->addWidget(RDBase);
    types->addWidget(RParadox);
    row->addWidget(GroupBox1, 1);
    CBSameDB = new QCheckBox(toQ(pick("Таже БД", "Same Database")), this);
    CBSameDB->setObjectName(QStringLiteral("CBSameDB"));
    row->addWidget(CBSameDB);
    Animate1 = new QLabel(this);
    Animate1->setObjectName(QStringLiteral("Animate1"));
    Animate1->setPixmap(style()->standardIcon(QStyle::SP_FileDialogDetailedView).pixmap(32, 32));
    QSizePolicy keep = Animate1->sizePolicy();
    keep.setRetainSizeWhenHidden(true);   // the row keeps its layout while the picture comes and goes
    Animate1->setSizePolicy(keep);
    Animate1->hide();
    row->addWidget(Animate1);
    col->addLayout(row);

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->hide();
    col->addWidget(ProgressBar1);

    auto* status = new QHBoxLayout;
    StatusPanel0 = new QLabel(this);
    StatusPanel0->setObjectName(QStringLiteral("StatusPanel0"));
    StatusPanel0->setFrameShape(QFrame::Panel);
    StatusPanel0->setFrameShadow(QFrame::Sunken);
    StatusPanel0->setMinimumWidth(70);
    StatusPanel1 = new QLabel(this);
    StatusPanel1->setObjectName(QStringLiteral("StatusPanel1"));
    StatusPanel1->setFrameShape(QFrame::Panel);
    StatusPanel1->setFrameShadow(QFrame::Sunken);
    status->addWidget(StatusPanel0);
    status->addWidget(StatusPanel1, 1);
    col->addLayout(status);

    connect(BCopy, &QToolButton::clicked, this, &TFormCopy::BCopyClick);
    connect(BExit, &QToolButton::clicked, this, &QWidget::close);
    connect(CBSameDB, &QCheckBox::clicked, this, &TFormCopy::CBSameDBClick);
    for (QWidget* w : {static_cast<QWidget*>(ETableSource), static_cast<QWidget*>(ETableDest),
                       static_cast<QWidget*>(EDBSource), static_cast<QWidget*>(EDBDest), static_cast<QWidget*>(BCopy)})
        w->installEventFilter(this);

    // The launcher's part: what the active panel hands over.
    sourceSide_ = panels.active();
    destSide_ = sourceSide_ == Side::Left ? Side::Right : Side::Left;
    QTreeWidget* list = panels.tree(sourceSide_);
    if (panels.selectedCount(sourceSide_) > 1) {
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            if (list->topLevelItem(i)->isSelected()) names_.push_back(fromQ(list->topLevelItem(i)->text(0)));
        marked_ = int(names_.size());
    }
    sourceSql_ = panels.sqlBased(sourceSide_);
    destSql_ = panels.sqlBased(destSide_);
    setWindowTitle(toQ(CopyTexts::windowCaption(marked_ > 0)));
    const int focused = panels.focusedIndex(sourceSide_);
    const std::string item = focused >= 0 ? fromQ(panels.itemCaption(sourceSide_, focused)) : std::string();
    ETableSource->setText(toQ(item));
    EDBSource->setText(toQ(panels.database(sourceSide_).databaseName()));
    EDBDest->setText(toQ(panels.database(destSide_).databaseName()));
    ETableDest->setText(toQ(panels::upperName(defaultDestName(item, sourceSql_, destSql_))));
    setDestTypeFor(destSql_);
    if (marked_ > 0) {
        CBSameDB->setEnabled(false);
        ETableSource->clear();
        ETableDest->clear();
        ETableSource->setReadOnly(true);
        ETableDest->setReadOnly(true);
    }
    resize(560, sizeHint().height());
    if (parent) move(parent->window()->geometry().center() - rect().center());
}

void TFormCopy::setDestTypeFor(bool sqlDest) {
    if (sqlDest) {
        GroupBox1->setEnabled(false);
        RSQL->setEnabled(true);
        RSQL->setChecked(true);
    } else {
        GroupBox1->setEnabled(true);
        RSQL->setEnabled(false);
        RDBase->setChecked(true);
    }
}

void TFormCopy::CBSameDBClick() {
    const bool same = CBSameDB->isChecked();
    EDBDest->setVisible(!same);
    setDestTypeFor(same ? sourceSql_ : destSql_);
}

DestType TFormCopy::destType() const {
    if (RSQL->isChecked()) return DestType::Sql;
    return RParadox->isChecked() ? DestType::Paradox : DestType::DBase;
}

void TFormCopy::setStatus(const QString& count, const std::string& text) {
    StatusPanel0->setText(count);
    StatusPanel1->setText(toQ(text));
}

TFormCopy::Outcome TFormCopy::copyOne(const std::string& source, const std::string& destTyped,
                                      const std::string& destTable, bool sameDb, bool multi) {
    engine::Database& from = panels_.database(sourceSide_);
    engine::Database& to = sameDb ? from : panels_.database(destSide_);
    shell::Prompts& prompts = panels_.prompts();
    auto failed = [&](Outcome o) {
        setStatus(QStringLiteral("-1"), CopyTexts::copyFailed(multi));
        return o;
    };
    bool exists = false;
    try {
        // A local destination is probed by its file name with the extension it will have.
        exists = probeTable(to, destTable);
    } catch (const std::exception& e) {
        QApplication::restoreOverrideCursor();
        prompts.error(e);
        QApplication::setOverrideCursor(Qt::WaitCursor);
        return failed(Outcome::Failed);
    }
    if (exists) {
        QApplication::restoreOverrideCursor();
        const bool yes = prompts.question(toQ(CopyTexts::overwrite(multi ? destTable : destTyped)));
        QApplication::setOverrideCursor(Qt::WaitCursor);
        if (!yes) return failed(Outcome::Failed);
    }
    std::int64_t rows = 0;
    shell::WorkResult r = prompts.runWork(toQ("Copy " + source), [&](engine::Progress& p) {
        rows = copyTable(from, source, to, destTable, exists, &p);
    });
    if (r.outcome == shell::WorkOutcome::Finished) {
        setStatus(QString::number(rows), CopyTexts::recordsCopied());
        return Outcome::Copied;
    }
    if (r.outcome == shell::WorkOutcome::Failed) {
        setStatus(QStringLiteral("-1"), CopyTexts::copyFailed(multi));
        QApplication::restoreOverrideCursor();
        prompts.error(r.error);
        QApplication::setOverrideCursor(Qt::WaitCursor);
        return Outcome::Failed;
    }
    return failed(Outcome::Cancelled);
}

void TFormCopy::reReadPanels(bool sameDb) {
    panels_.rememberFocus();
    panels_.buildPanel(destSide_);
    if (sameDb) panels_.buildPanel(sourceSide_);
    panels_.restoreFocus(destSide_);
    panels_.restoreFocus(sourceSide_);
}

TFormCopy::Outcome TFormCopy::copySingle() {
    const bool same = CBSameDB->isChecked();
    if (same && sameTableName(fromQ(ETableSource->text()), fromQ(ETableDest->text()))) {
        panels_.prompts().message(toQ(CopyTexts::namesMustDiffer()));
        return Outcome::Refused;
    }
    Outcome o;
    {
        BusyCursor busy;
        setStatus(QString(), CopyTexts::starting());
        const std::string typed = fromQ(ETableDest->text());
        o = copyOne(fromQ(ETableSource->text()), typed, destTableName(typed, destType()), same, false);
    }
    if (o == Outcome::Copied) reReadPanels(same);
    return o;
}

void TFormCopy::copyMulti() {
    BCopy->setEnabled(false);
    Animate1->show();
    int copied = 0, failedCount = 0;
    {
        BusyCursor busy;
        setStatus(QString(), CopyTexts::starting());
        ProgressBar1->setRange(0, int(names_.size()));
        ProgressBar1->setValue(0);
        ProgressBar1->show();
        for (const std::string& name : names_) {
            const std::string table = destTableName(derivedDestName(name, sourceSql_), destType(), true);
            ETableSource->setText(toQ(name));
            ETableDest->setText(toQ(table));
            repaint();
            Outcome o = copyOne(name, table, table, false, true);
            if (o == Outcome::Copied) ++copied;
            else ++failedCount;
            ProgressBar1->setValue(ProgressBar1->value() + 1);
            repaint();
            if (o == Outcome::Cancelled) break;   // Cancel stops the whole run
        }
        setStatus(QString::number(copied), CopyTexts::tablesCopied());
    }
    reReadPanels(false);
    Animate1->hide();
    panels_.prompts().message(toQ(failedCount == 0 ? CopyTexts::multiOk(marked_) : CopyTexts::multiFailed()));
}

void TFormCopy::BCopyClick() {
    if (marked_ > 1) {
        copyMulti();
        return;
    }
    Animate1->show();
    Outcome o = copySingle();
    Animate1->hide();
    if (o == Outcome::Refused) return;
    panels_.prompts().message(toQ(o == Outcome::Copied ? CopyTexts::copyOk() : CopyTexts::copyFailedBox()));
}

bool TFormCopy::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(event);
        if (k->key() == Qt::Key_Escape) {
            close();
            return true;
        }
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            // Enter copies without the closing message and closes; with "Same Database" and
            // equal names it is refused as the button refuses it. In multi-table mode it runs
            // the marked tables' copy once.
            if (marked_ > 1) {
                if (BCopy->isEnabled()) copyMulti();
                close();
            } else if (copySingle() != Outcome::Refused) {
                close();
            }
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TFormCopy::closeEvent(QCloseEvent* event) {
    // The slot is free as soon as the window closes, not when it is deleted later: a copy
    // command in between opens a new window instead of showing this closed one again.
    if (shell::TWindowsMenu* wm = shell::windowsMenu(); wm && wm->slotWindow(shell::WindowSlot::Copy) == this)
        wm->resetSlot(shell::WindowSlot::Copy);
    panels_.focusList(panels_.active());
    QWidget::closeEvent(event);
}

}  // namespace vlm::copy
