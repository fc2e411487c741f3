// TFormCompare: the compare window.
#include "transfer/formcompare.h"

#include "panels/panelcontroller.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

#include "shell/language.h"
#include "shell/qtext.h"
#include "transfer/compare.h"

namespace vlm::transfer {

using shell::pick;
using shell::Side;
using shell::toQ;

TFormCompare::TFormCompare(panels::TPanels& panels, const std::string& leftTable, const std::string& rightTable,
                           QWidget* parent)
    : QDialog(parent), panels_(panels), left_(leftTable), right_(rightTable) {
    setObjectName(QStringLiteral("FormCompare"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(toQ(pick("Сравнение таблиц", "Compare Tables")));
    auto* box = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    GroupBoxTables = new QGroupBox(toQ(pick("Сравниваемые таблицы", "Compare tables")), this);
    auto* names = new QVBoxLayout(GroupBoxTables);
    PNameLeft = new QLabel(toQ(leftTable), GroupBoxTables);
    PNameLeft->setObjectName(QStringLiteral("PNameLeft"));
    PNameRight = new QLabel(toQ(rightTable), GroupBoxTables);
    PNameRight->setObjectName(QStringLiteral("PNameRight"));
    for (QLabel* l : {PNameLeft, PNameRight}) {
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        names->addWidget(l);
    }
    top->addWidget(GroupBoxTables, 1);
    GroupBoxSettings = new QGroupBox(toQ(pick("Параметры сравнения", "Compare settings")), this);
    auto* opts = new QVBoxLayout(GroupBoxSettings);
    auto check = [&](const char* name, const std::string& text) {
        auto* c = new QCheckBox(toQ(text), GroupBoxSettings);
        c->setObjectName(QString::fromLatin1(name));
        opts->addWidget(c);
        return c;
    };
    CBType = check("CBType", pick("Тип поля", "Type fields"));
    CBRCount = check("CBRCount", pick("Кол-во строк", "Row count"));
    CBDataCompare = check("CBDataCompare", pick("Сравнение данных", "Data Compare"));
    CBKey = check("CBKey", pick("По первичному ключу", "By primary key"));
    top->addWidget(GroupBoxSettings);
    auto* buttons = new QVBoxLayout;
    BCompare = new QPushButton(toQ(pick("Сравнить", "Compare")), this);
    BCompare->setObjectName(QStringLiteral("BCompare"));
    BCompare->setDefault(true);
    BExit = new QPushButton(toQ(pick("Выход", "Exit")), this);
    BExit->setObjectName(QStringLiteral("BExit"));
    buttons->addWidget(BCompare);
    buttons->addWidget(BExit);
    buttons->addStretch(1);
    top->addLayout(buttons);
    box->addLayout(top);
    MemoCompare = new QTextEdit(this);
    MemoCompare->setObjectName(QStringLiteral("MemoCompare"));
    MemoCompare->setReadOnly(true);
    MemoCompare->setFont(QFont(QStringLiteral("Monospace")));
    box->addWidget(MemoCompare, 1);
    StatusBar1 = new QLabel(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setFrameShape(QFrame::Panel);
    StatusBar1->setFrameShadow(QFrame::Sunken);
    box->addWidget(StatusBar1);
    connect(BCompare, &QPushButton::clicked, this, &TFormCompare::BCompareClick);
    connect(BExit, &QPushButton::clicked, this, &QDialog::close);
    resize(640, 420);
}

void TFormCompare::BCompareClick() {
    CompareOptions o;
    o.types = CBType->isChecked();
    o.rowCount = CBRCount->isChecked();
    o.data = CBDataCompare->isChecked();
    o.byKey = CBKey->isChecked();
    CompareResult res;
    CompareLog log(logPath);
    shell::WorkResult r = panels_.prompts().runWork(toQ(pick("Сравнение таблиц", "Compare Tables")), [&](engine::Progress& p) {
        res = compareTables({&panels_.database(Side::Left), left_}, {&panels_.database(Side::Right), right_}, o, log, &p);
    });
    std::string text;
    try {
        text = log.text();
    } catch (const std::exception& e) {
        panels_.showError(e);
    }
    if (r.outcome == shell::WorkOutcome::Finished) StatusBar1->setText(toQ(res.status));
    else StatusBar1->clear();
    if (r.outcome == shell::WorkOutcome::Failed) panels_.prompts().error(r.error);
    MemoCompare->setPlainText(toQ(text));
}

}  // namespace vlm::transfer
