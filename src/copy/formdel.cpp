// The delete dialog: wires its controls to the drop statements and runs (droplogic.h).
#include "panels/panelcontroller.h"

#include "copy/formdel.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QRadioButton>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "copy/droplogic.h"
#include "engine/database.h"
#include "panels/names.h"
#include "shell/language.h"
#include "shell/qtext.h"

namespace vlm::copy {

using shell::fromQ;
using shell::pick;
using shell::toQ;

TFormDel::TFormDel(panels::TPanels& panels, const panels::TTableInfo& table, bool quoteNames, QWidget* parent)
    : QDialog(parent), panels_(panels), table_(table), quote_(quoteNames), side_(panels.active()) {
    setObjectName(QStringLiteral("FormDel"));
    setModal(true);
    setWindowTitle(toQ(DropTexts::caption()));
    layout_ = new QVBoxLayout(this);
    auto* bar = new QToolBar(this);
    BDrop = new QToolButton(this);
    BDrop->setObjectName(QStringLiteral("BDrop"));
    BDrop->setIcon(style()->standardIcon(QStyle::SP_TrashIcon));
    BDrop->setToolTip(toQ(pick("Удалить таблицу/просмотр/индекс", "Drop Table/View/Index")));
    BExit = new QToolButton(this);
    BExit->setObjectName(QStringLiteral("BExit"));
    BExit->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    BExit->setToolTip(toQ(pick("Выход", "Exit")));
    bar->addWidget(BDrop);
    bar->addWidget(BExit);
    CBConfirm = new QCheckBox(toQ(pick("Подтверждать удаление", "Confirm Drop Tables")), this);
    CBConfirm->setObjectName(QStringLiteral("CBConfirm"));
    CBConfirm->setChecked(true);
    bar->addSeparator();
    bar->addWidget(CBConfirm);
    layout_->addWidget(bar);

    PTable = new QLabel(this);
    PTable->setObjectName(QStringLiteral("PTable"));
    PTable->setFrameShape(QFrame::Panel);
    PTable->setFrameShadow(QFrame::Raised);
    PTable->setAlignment(Qt::AlignCenter);
    layout_->addWidget(PTable);

    auto* row = new QHBoxLayout;
    RTable = new QRadioButton(toQ(pick("Таблица", "Table")), this);
    RTable->setObjectName(QStringLiteral("RTable"));
    RTable->setChecked(true);
    RIndex = new QRadioButton(toQ(pick("Индекс", "Index")), this);
    RIndex->setObjectName(QStringLiteral("RIndex"));
    CBIndex = new QComboBox(this);
    CBIndex->setObjectName(QStringLiteral("CBIndex"));
    CBIndex->setEditable(true);
    CBIndex->setEnabled(false);
    CBIndex->setMinimumWidth(180);
    AnimateDrop = new QLabel(this);
    AnimateDrop->setObjectName(QStringLiteral("AnimateDrop"));
    AnimateDrop->setPixmap(style()->standardIcon(QStyle::SP_TrashIcon).pixmap(32, 32));
    AnimateDrop->hide();
    row->addWidget(RTable);
    row->addWidget(RIndex);
    row->addWidget(CBIndex, 1);
    row->addWidget(AnimateDrop);
    layout_->addLayout(row);

    connect(BDrop, &QToolButton::clicked, this, &TFormDel::BDropClick);
    connect(BExit, &QToolButton::clicked, this, &QDialog::reject);
    connect(RIndex, &QRadioButton::clicked, this, &TFormDel::RIndexClick);
    connect(RTable, &QRadioButton::clicked, this, &TFormDel::RTableClick);

    // The selected items with their own view flags, in list order.
    QTreeWidget* list = panels.tree(side_);
    const panels::TMyTableList& tables = panels.tableList(side_);
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        if (list->topLevelItem(i)->isSelected()) {
            std::string name = fromQ(list->topLevelItem(i)->text(0));
            selected_.push_back({name, tables.isView(name)});
        }
    if (selected_.size() == 1 || selected_.empty()) {
        PTable->setText(toQ(table_.tableNameForCommands));
    } else {
        PTable->setText(toQ(DropTexts::multiTitle()));
        RIndex->setEnabled(false);
    }
    resize(440, sizeHint().height());
}

void TFormDel::RIndexClick() {
    CBIndex->clear();
    try {
        for (const auto& n : indexChoices(panels_.database(side_), table_.tableNameForCommands, table_.serverKind))
            CBIndex->addItem(toQ(n));
    } catch (const std::exception& e) {
        panels_.prompts().error(e);
    }
    CBIndex->setEnabled(true);
}

void TFormDel::RTableClick() { CBIndex->setEnabled(false); }

bool TFormDel::dropSqlObject(const Item& item) {
    if (CBConfirm->isChecked() && !panels_.prompts().question(toQ(dropQuestion(item.name, item.view)))) return false;
    try {
        runSql(panels_.database(side_), dropSql(item.name, item.view, quote_));
        return true;
    } catch (const std::exception& e) {
        panels_.prompts().error(e);
        return false;
    }
}

bool TFormDel::dropLocal(const std::string& name, bool ask) {
    if (ask && !panels_.prompts().question(toQ(dropQuestion(name, false)))) return false;
    AnimateDrop->show();
    try {
        dropLocalTable(panels_.database(side_), name);
        return true;
    } catch (const std::exception& e) {
        panels_.prompts().error(e);
        return false;
    }
}

void TFormDel::dropIndex() {
    const std::string index = panels::trimBlanks(fromQ(CBIndex->currentText()));
    if (index.empty()) return;
    try {
        runSql(panels_.database(side_), dropIndexSql(table_.tableNameForCommands, index, table_.isSqlBased));
    } catch (const std::exception& e) {
        panels_.prompts().error(e);
    }
    panels_.reRead(side_);
}

void TFormDel::singleDrop() {
    if (table_.isSqlBased) {
        AnimateDrop->show();
        if (dropSqlObject({table_.tableNameForCommands, table_.isView})) panels_.reRead(side_);
        return;
    }
    // A local table is always asked about on its own.
    dropLocal(table_.tableNameForCommands, true);
    panels_.reRead(side_);
}

void TFormDel::multiDrop() {
    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setRange(0, int(selected_.size()) - 1);
    ProgressBar->setValue(0);
    layout_->addWidget(ProgressBar);
    for (const Item& item : selected_) {
        if (table_.isSqlBased) dropSqlObject(item);
        else dropLocal(item.name, CBConfirm->isChecked());
        ProgressBar->setValue(ProgressBar->value() + 1);
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    delete ProgressBar;
    ProgressBar = nullptr;
    panels_.reRead(side_);
}

void TFormDel::BDropClick() {
    if (RIndex->isChecked()) dropIndex();
    else if (selected_.size() <= 1) singleDrop();
    else multiDrop();
    AnimateDrop->hide();
    accept();
    panels_.focusList(side_);
}

}  // namespace vlm::copy
