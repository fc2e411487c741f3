// The new alias dialog (see formnewalias.h).
#include "admin/formnewalias.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "shell/language.h"

namespace vlm::admin {

TFormNewAlias::TFormNewAlias(const QStringList& drivers, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FormNewAlias"));
    bool ru = shell::languageSetting() == 1;
    setWindowTitle(ru ? QStringLiteral("Новый алиас") : QStringLiteral("New Alias"));
    Label1 = new QLabel(ru ? QStringLiteral("Драйвер:") : QStringLiteral("Driver name:"));
    Label2 = new QLabel(ru ? QStringLiteral("Новый алиас:") : QStringLiteral("New Alias name:"));
    CBAlias = new QComboBox;
    CBAlias->setObjectName(QStringLiteral("CBAlias"));
    CBAlias->addItems(drivers);
    CBAlias->setCurrentIndex(drivers.isEmpty() ? -1 : 0);
    EAlias = new QLineEdit(QStringLiteral("NewAlias"));
    EAlias->setObjectName(QStringLiteral("EAlias"));
    BOk = new QPushButton(QStringLiteral("OK"));
    BCancel = new QPushButton(ru ? QStringLiteral("Отмена") : QStringLiteral("Cancel"));
    BOk->setDefault(true);
    auto* g = new QGridLayout(this);
    g->addWidget(Label1, 0, 0);
    g->addWidget(CBAlias, 0, 1);
    g->addWidget(Label2, 1, 0);
    g->addWidget(EAlias, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BOk);
    buttons->addWidget(BCancel);
    g->addLayout(buttons, 2, 0, 1, 2);
    resize(428, 124);
    connect(BOk, &QPushButton::clicked, this, [this] {
        alias_ = EAlias->text();
        driver_ = CBAlias->currentText();
        accept();
    });
    connect(BCancel, &QPushButton::clicked, this, [this] {
        alias_.clear();
        driver_.clear();
        reject();
    });
}

}  // namespace vlm::admin
