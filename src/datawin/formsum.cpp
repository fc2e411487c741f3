// TFormSum: the column sum dialog of the grid windows.
#include "datawin/formsum.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QVBoxLayout>

#include "datawin/dbgrid.h"
#include "engine/dataset.h"
#include "shell/language.h"
#include "shell/qtext.h"
#include "shell/texthelpers.h"

namespace vlm::datawin {

using shell::fromQ;
using shell::pick;
using shell::toQ;

QString sumText(double value) { return QString::number(value, 'g', 15); }

TFormSum::TFormSum(TDBGrid* grid, QWidget* parent) : QDialog(parent), grid_(grid) {
    setObjectName(QStringLiteral("FormSum"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    setModal(false);
    const bool ru = shell::languageSetting() == 1;
    setWindowTitle(ru ? QStringLiteral("Суммирование значений в колонке") : QStringLiteral("Summing column values"));
    auto* box = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    CBField = new QComboBox(this);
    CBField->setObjectName(QStringLiteral("CBField"));
    engine::Dataset* ds = grid_->dataset();
    if (ds && ds->active())
        for (int i = 0; i < ds->fieldCount(); ++i) CBField->addItem(toQ(ds->field(i).fieldName()));
    CBField->setCurrentIndex(grid_->currentFieldIndex());
    form->addRow(ru ? QStringLiteral("Поле") : QStringLiteral("Field"), CBField);
    CBSelected = new QCheckBox(ru ? QStringLiteral("Выделенные строки") : QStringLiteral("Selected rows"), this);
    CBSelected->setObjectName(QStringLiteral("CBSelected"));
    form->addRow(QString(), CBSelected);
    ESum = new QLineEdit(this);
    ESum->setObjectName(QStringLiteral("ESum"));
    ESum->setReadOnly(true);
    ECount = new QLineEdit(this);
    ECount->setObjectName(QStringLiteral("ECount"));
    ECount->setReadOnly(true);
    form->addRow(ru ? QStringLiteral("Сумма=") : QStringLiteral("Sum="), ESum);
    form->addRow(ru ? QStringLiteral("Кол-во=") : QStringLiteral("Count="), ECount);
    box->addLayout(form);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    BSum = new QPushButton(ru ? QStringLiteral("Сумма") : QStringLiteral("Summing"), this);
    BSum->setObjectName(QStringLiteral("BSum"));
    if (ru) BSum->setToolTip(QStringLiteral("Сумма значений в выбранной колонке"));
    BSum->setDefault(true);
    BCancel = new QPushButton(ru ? QStringLiteral("Закончить") : QStringLiteral("Cancel"), this);
    BCancel->setObjectName(QStringLiteral("BCancel"));
    buttons->addWidget(BSum);
    buttons->addWidget(BCancel);
    box->addLayout(buttons);
    StatusLine = new QLabel(this);
    StatusLine->setObjectName(QStringLiteral("StatusBar1"));
    StatusLine->setFrameShape(QFrame::Panel);
    StatusLine->setFrameShadow(QFrame::Sunken);
    box->addWidget(StatusLine);
    connect(BSum, &QPushButton::clicked, this, &TFormSum::BSumClick);
    connect(BCancel, &QPushButton::clicked, this, &QDialog::close);
}

void TFormSum::BSumClick() {
    StatusLine->clear();
    engine::Dataset* ds = grid_->dataset();
    if (CBField->currentText().trimmed().isEmpty() || !ds || !ds->active()) {
        StatusLine->setText(toQ(pick("Не выбрано поле", "Field not selected")));
        return;
    }
    QSet<int> rows;
    if (CBSelected->isChecked()) {
        for (const QModelIndex& i : grid_->selectionModel()->selectedIndexes()) rows.insert(i.row());
        if (rows.size() < 2) {
            StatusLine->setText(toQ(pick("Не выбраны строки", "Rows not selected")));
            return;
        }
    }
    engine::Field* f = ds->findField(fromQ(CBField->currentText()));
    if (!f) {
        StatusLine->setText(toQ(pick("Не выбрано поле", "Field not selected")));
        return;
    }
    double sum = 0;
    long long count = 0;
    bool numeric = true;
    engine::Bookmark here;
    grid_->setUpdatesEnabled(false);
    try {
        here = ds->bookmark();
        long long row = 0;
        for (ds->first(); !ds->eof(); ds->next(), ++row) {
            QApplication::processEvents();
            if (!rows.isEmpty() && !rows.contains(int(row))) continue;
            if (!f->isNull()) {
                const std::string v = shell::text::strip(f->asString());
                if (!shell::text::textToNumber(v)) {
                    numeric = false;
                    break;
                }
                sum += f->asFloat();
            }
            ++count;
        }
        if (here.valid()) ds->gotoBookmark(here);
    } catch (const std::exception& e) {
        numeric = false;
        try {
            if (here.valid()) ds->gotoBookmark(here);
        } catch (const std::exception&) {
        }
    }
    grid_->setUpdatesEnabled(true);
    grid_->followDataset();
    ECount->setText(QString::number(count));
    if (numeric) ESum->setText(sumText(sum));
    else StatusLine->setText(toQ(pick("Не числовое поле", "Not numeric field")));
}

}  // namespace vlm::datawin
