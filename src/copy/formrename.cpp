// The rename dialog: wires its controls to the rename run (droplogic.h).
#include "panels/panelcontroller.h"

#include "copy/formrename.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
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

TFormRename::TFormRename(panels::TPanels& panels, const panels::TTableInfo& table, QWidget* parent)
    : QDialog(parent), panels_(panels), table_(table), side_(panels.active()) {
    setObjectName(QStringLiteral("FormRename"));
    setModal(true);
    setWindowTitle(toQ(DropTexts::renameCaption()));
    auto* col = new QVBoxLayout(this);
    auto* bar = new QToolBar(this);
    BRename = new QToolButton(this);
    BRename->setObjectName(QStringLiteral("BRename"));
    BRename->setIcon(style()->standardIcon(QStyle::SP_FileDialogListView));
    BRename->setToolTip(QStringLiteral("Переименовать"));
    BExit = new QToolButton(this);
    BExit->setObjectName(QStringLiteral("BExit"));
    BExit->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    BExit->setToolTip(toQ(pick("Выход", "Exit")));
    bar->addWidget(BRename);
    bar->addWidget(BExit);
    col->addWidget(bar);
    auto* grid = new QGridLayout;
    Label1 = new QLabel(toQ(pick("Старое имя:", "Old name:")), this);
    Label2 = new QLabel(toQ(pick("Новое имя:", "New Name:")), this);
    ETableName = new QLineEdit(toQ(table.tableNameForCommands), this);
    ETableName->setObjectName(QStringLiteral("ETableName"));
    ENewTableName = new QLineEdit(this);
    ENewTableName->setObjectName(QStringLiteral("ENewTableName"));
    Animate1 = new QLabel(this);
    Animate1->setObjectName(QStringLiteral("Animate1"));
    Animate1->setPixmap(style()->standardIcon(QStyle::SP_FileDialogDetailedView).pixmap(32, 32));
    Animate1->hide();
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(ETableName, 0, 1);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(ENewTableName, 1, 1);
    grid->addWidget(Animate1, 0, 2, 2, 1);
    grid->setColumnStretch(1, 1);
    col->addLayout(grid);
    StatusBar1 = new QLabel(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setFrameShape(QFrame::Panel);
    StatusBar1->setFrameShadow(QFrame::Sunken);
    col->addWidget(StatusBar1);
    connect(BRename, &QToolButton::clicked, this, &TFormRename::BRenameClick);
    connect(BExit, &QToolButton::clicked, this, &QDialog::reject);
    resize(420, sizeHint().height());
}

void TFormRename::BRenameClick() {
    const std::string from = panels::trimBlanks(fromQ(ETableName->text()));
    const std::string to = panels::trimBlanks(fromQ(ENewTableName->text()));
    if (from == to) {
        panels_.prompts().message(toQ(pick("Имена должны различаться!", "Names must be different!")));
        return;
    }
    Animate1->show();
    try {
        renameTable(panels_.database(side_), from, to, table_.serverKind);
        StatusBar1->setText(toQ(DropTexts::renameDone()));
        panels_.reRead(side_);
    } catch (const std::exception& e) {
        Animate1->hide();
        panels_.prompts().error(e);
    }
    Animate1->hide();
}

}  // namespace vlm::copy
