// TFormFormat: display format and filter of the grid windows.
#include "datawin/formformat.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "datawin/dbgrid.h"
#include "engine/dataset.h"
#include "shell/language.h"
#include "shell/prompts.h"
#include "shell/qtext.h"
#include "shell/texthelpers.h"

namespace vlm::datawin {

using shell::fromQ;
using shell::pick;
using shell::toQ;

TFormFormat::TFormFormat(Mode mode, engine::Dataset* ds, int column, QWidget* parent)
    : QDialog(parent), mode_(mode), ds_(ds), column_(column) {
    setObjectName(QStringLiteral("FormFormat"));
    setModal(true);
    setWindowTitle(toQ(mode == Mode::DisplayFormat ? pick("Формат вывода для чисел", "Set Display Format")
                                                   : pick("Установка фильтра записей", "Set Filter")));
    auto* box = new QVBoxLayout(this);
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    auto* formatPage = new QWidget;
    auto* fl = new QVBoxLayout(formatPage);
    EFormat = new QLineEdit(formatPage);
    EFormat->setObjectName(QStringLiteral("EFormat"));
    ListBox1 = new QListWidget(formatPage);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->addItems({"#.##", "#.00", "00.##", "#.###", "#.000", "00.###", "0.000", "0.00#", "0.0##", "#,###.##"});
    fl->addWidget(EFormat);
    fl->addWidget(ListBox1);
    auto* filterPage = new QWidget;
    auto* ff = new QVBoxLayout(filterPage);
    EFilter = new QLineEdit(filterPage);
    EFilter->setObjectName(QStringLiteral("EFilter"));
    ff->addWidget(EFilter);
    ff->addStretch(1);
    if (mode == Mode::DisplayFormat)
        PageControl1->addTab(formatPage, toQ(pick("Формат вывода", "Display Format")));
    else
        PageControl1->addTab(filterPage, toQ(pick("Фильтр", "Filter")));
    box->addWidget(PageControl1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    BOk = new QPushButton(QStringLiteral("OK"), this);
    BOk->setObjectName(QStringLiteral("BOk"));
    BOk->setDefault(true);
    BNo = new QPushButton(toQ(pick("Нет", "No")), this);
    BNo->setObjectName(QStringLiteral("BNo"));
    BNo->setEnabled(mode == Mode::Filter);
    BCancel = new QPushButton(toQ(pick("Отмена", "Cancel")), this);
    BCancel->setObjectName(QStringLiteral("BCancel"));
    buttons->addWidget(BOk);
    buttons->addWidget(BNo);
    buttons->addWidget(BCancel);
    box->addLayout(buttons);
    StatusLine = new QLabel(QStringLiteral("Use in format: # 0 . ,  ;"), this);
    StatusLine->setObjectName(QStringLiteral("StatusBar1"));
    box->addWidget(StatusLine);

    if (ds_ && ds_->active() && column_ >= 0 && column_ < ds_->fieldCount())
        EFormat->setText(toQ(ds_->field(column_).displayFormat()));
    if (ds_) EFilter->setText(toQ(ds_->filter()));
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* i) { EFormat->setText(i->text()); });
    connect(BOk, &QPushButton::clicked, this, [this] { BOkClick(); });
    connect(BNo, &QPushButton::clicked, this, &TFormFormat::BNoClick);
    connect(BCancel, &QPushButton::clicked, this, &QDialog::reject);
}

bool TFormFormat::BOkClick() {
    if (!ds_) {
        accept();
        return true;
    }
    try {
        if (mode_ == Mode::DisplayFormat) {
            const std::string f = shell::text::strip(fromQ(EFormat->text()));
            if (!f.empty() && ds_->active() && column_ >= 0 && column_ < ds_->fieldCount()) {
                engine::Field& field = ds_->field(column_);
                switch (field.dataType()) {
                case engine::FieldType::Smallint: case engine::FieldType::Integer: case engine::FieldType::Word:
                case engine::FieldType::Float: case engine::FieldType::Currency: case engine::FieldType::BCD:
                case engine::FieldType::AutoInc:
                    field.setDisplayFormat(f);
                    break;
                default:
                    throw std::runtime_error(pick("Поле ", "Field ") + field.fieldName() +
                                             pick(" не числовое", " is not a numeric field"));
                }
            }
        } else {
            const std::string f = shell::text::strip(fromQ(EFilter->text()));
            if (f.empty()) {
                ds_->setFilter(std::string());
                ds_->setFiltered(false);
            } else {
                // A bad expression throws here and leaves the old filter as it was.
                ds_->setFilter(fromQ(EFilter->text()));
                ds_->setFiltered(true);
            }
        }
    } catch (const std::exception& e) {
        windowPrompts(this).error(e);
        return false;
    }
    accept();
    return true;
}

void TFormFormat::BNoClick() {
    if (mode_ != Mode::Filter) return;
    try {
        if (ds_) ds_->setFiltered(false);
    } catch (const std::exception& e) {
        windowPrompts(this).error(e);
    }
    accept();
}

}  // namespace vlm::datawin
