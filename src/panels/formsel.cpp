// The group-selection dialog.
#include "panels/formsel.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/language.h"
#include "shell/qtext.h"

namespace vlm::panels {

TFormSel::TFormSel(bool selectMode, const QString& lastMask, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FormSel"));
    setModal(true);
    // No border icons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setWindowTitle(shell::toQ(selectMode ? shell::pick("Выделить", "Select")
                                         : shell::pick("Снять выделение", "Remove select")));
    auto* col = new QVBoxLayout(this);
    ESel = new QLineEdit(lastMask, this);
    ESel->setObjectName(QStringLiteral("ESel"));
    ESel->selectAll();
    col->addWidget(ESel);
    auto* row = new QHBoxLayout;
    BOk = new QPushButton(QStringLiteral("OK"), this);
    BOk->setObjectName(QStringLiteral("BOk"));
    BOk->setDefault(true);
    BCancel = new QPushButton(QStringLiteral("Cancel"), this);
    BCancel->setObjectName(QStringLiteral("BCancel"));
    row->addStretch(1);
    row->addWidget(BOk);
    row->addWidget(BCancel);
    col->addLayout(row);
    connect(BOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(BCancel, &QPushButton::clicked, this, &QDialog::reject);
    if (parent) {
        QWidget* top = parent->window();
        adjustSize();
        move(top->geometry().center() - rect().center());
    }
}

}  // namespace vlm::panels
