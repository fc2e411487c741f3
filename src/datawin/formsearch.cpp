// TFormSearch: the search dialog of the grid windows.
#include "datawin/formsearch.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "datawin/dbgrid.h"
#include "datawin/viewlogic.h"
#include "engine/dataset.h"
#include "shell/language.h"
#include "shell/prompts.h"
#include "shell/qtext.h"

namespace vlm::datawin {

using shell::fromQ;
using shell::pick;
using shell::toQ;

QStringList& TFormSearch::history() {
    static QStringList h;
    return h;
}

TFormSearch::TFormSearch(TDBGrid* grid, QWidget* parent) : QDialog(parent), grid_(grid) {
    setObjectName(QStringLiteral("FormSearch"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    setModal(false);
    const bool ru = shell::languageSetting() == 1;
    setWindowTitle(ru ? QStringLiteral("Поиск значения в таблице") : QStringLiteral("Find text"));
    auto* box = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    CBText = new QComboBox(this);
    CBText->setObjectName(QStringLiteral("CBText"));
    CBText->setEditable(true);
    CBText->addItems(history());
    CBText->setCurrentText(QString());
    CBField = new QComboBox(this);
    CBField->setObjectName(QStringLiteral("CBField"));
    engine::Dataset* ds = grid_->dataset();
    if (ds && ds->active())
        for (int i = 0; i < ds->fieldCount(); ++i) CBField->addItem(toQ(ds->field(i).fieldName()));
    CBField->addItem(QStringLiteral("*"));
    CBField->setCurrentIndex(std::max(0, grid_->currentFieldIndex()));
    form->addRow(ru ? QStringLiteral("Текст") : QStringLiteral("Text"), CBText);
    form->addRow(ru ? QStringLiteral("Поле") : QStringLiteral("Field"), CBField);
    box->addLayout(form);

    auto* groups = new QHBoxLayout;
    auto group = [&](const char* name, const QString& title) {
        auto* g = new QGroupBox(title, this);
        g->setObjectName(QString::fromLatin1(name));
        g->setLayout(new QVBoxLayout);
        groups->addWidget(g);
        return g;
    };
    QGroupBox* options = group("GroupOptions", ru ? QStringLiteral("Опции") : QStringLiteral("Options"));
    CBCase = new QCheckBox(ru ? QStringLiteral("Учитывать регистр") : QStringLiteral("Case sensitive"), options);
    CBCase->setObjectName(QStringLiteral("CBCase"));
    CBWords = new QCheckBox(ru ? QStringLiteral("Целые поля") : QStringLiteral("Whole words only"), options);
    CBWords->setObjectName(QStringLiteral("CBWords"));
    options->layout()->addWidget(CBCase);
    options->layout()->addWidget(CBWords);
    QGroupBox* direction = group("GroupDirection", ru ? QStringLiteral("Направление") : QStringLiteral("Direction"));
    RBForward = new QRadioButton(ru ? QStringLiteral("Вперед") : QStringLiteral("Forward"), direction);
    RBForward->setObjectName(QStringLiteral("RBForward"));
    RBBack = new QRadioButton(ru ? QStringLiteral("Назад") : QStringLiteral("Backward"), direction);
    RBBack->setObjectName(QStringLiteral("RBBack"));
    RBForward->setChecked(true);
    direction->layout()->addWidget(RBForward);
    direction->layout()->addWidget(RBBack);
    QGroupBox* origin = group("GroupOrigin", ru ? QStringLiteral("Позиция") : QStringLiteral("Origin"));
    RBFromCursor = new QRadioButton(ru ? QStringLiteral("Тек. позиция") : QStringLiteral("From cursor"), origin);
    RBFromCursor->setObjectName(QStringLiteral("RBFromCursor"));
    RBFirst = new QRadioButton(ru ? QStringLiteral("Сначала") : QStringLiteral("First record"), origin);
    RBFirst->setObjectName(QStringLiteral("RBFirst"));
    RBFromCursor->setChecked(true);
    origin->layout()->addWidget(RBFromCursor);
    origin->layout()->addWidget(RBFirst);
    box->addLayout(groups);

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 1000);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    box->addWidget(ProgressBar1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    Bsearch = new QPushButton(ru ? QStringLiteral("Поиск") : QStringLiteral("Search"), this);
    Bsearch->setObjectName(QStringLiteral("Bsearch"));
    Bsearch->setDefault(true);
    BCancel = new QPushButton(ru ? QStringLiteral("Закончить") : QStringLiteral("Cancel"), this);
    BCancel->setObjectName(QStringLiteral("BCancel"));
    buttons->addWidget(Bsearch);
    buttons->addWidget(BCancel);
    box->addLayout(buttons);
    connect(Bsearch, &QPushButton::clicked, this, [this] { BsearchClick(); });
    connect(BCancel, &QPushButton::clicked, this, &TFormSearch::BCancelClick);
    // A changed text or field is looked for in the current record first.
    connect(CBText, &QComboBox::editTextChanged, this, [this] { examineCurrent_ = true; });
    connect(CBField, &QComboBox::currentIndexChanged, this, [this] { examineCurrent_ = true; });
}

bool TFormSearch::BsearchClick() {
    engine::Dataset* ds = grid_->dataset();
    if (!ds || !ds->active() || running_) return false;
    Bsearch->setEnabled(false);
    running_ = true;
    cancelled_ = false;
    ProgressBar1->setValue(0);
    const std::string text = fromQ(CBText->currentText());
    const std::string fieldName = fromQ(CBField->currentText());
    const bool forward = RBForward->isChecked();
    const bool caseSensitive = CBCase->isChecked(), words = CBWords->isChecked();
    bool found = false;
    engine::Bookmark start;
    grid_->setUpdatesEnabled(false);
    try {
        start = ds->bookmark();
        bool examineFirst = examineCurrent_;
        if (RBFirst->isChecked()) {
            ds->first();
            examineFirst = true;
        }
        if (!examineFirst) {
            if (forward) ds->next();
            else ds->prior();
        }
        examineCurrent_ = false;
        const bool moved = examineFirst || (forward ? !ds->eof() : !ds->bof());
        if (moved && !ds->isEmpty()) {
            for (;;) {
                QApplication::processEvents();
                if (cancelled_) break;
                for (int i = 0; i < ds->fieldCount() && !found; ++i) {
                    engine::Field& f = ds->field(i);
                    if (fieldName != "*" && f.fieldName() != fieldName) continue;
                    std::string v;
                    try {
                        v = f.asString();
                    } catch (const std::exception&) {
                        continue;   // a value that cannot be read matches nothing
                    }
                    found = searchMatches(v, text, caseSensitive, words);
                }
                if (found) break;
                ProgressBar1->setValue((ProgressBar1->value() + 1) % 1000);
                if (forward) {
                    ds->next();
                    if (ds->eof()) break;
                } else {
                    if (ds->bof() || ds->recNo() <= 1) break;
                    ds->prior();
                }
            }
        }
        if (found) {
            RBFromCursor->setChecked(true);
            const QString t = CBText->currentText();
            bool known = false;
            for (const QString& h : history()) known = known || h.trimmed() == t.trimmed();
            if (!known) {
                history().append(t);
                CBText->addItem(t);
            }
        } else {
            if (start.valid()) ds->gotoBookmark(start);
        }
    } catch (const std::exception& e) {
        try {
            if (start.valid()) ds->gotoBookmark(start);
        } catch (const std::exception&) {
        }
        windowPrompts(this).error(e);
    }
    grid_->setUpdatesEnabled(true);
    grid_->followDataset();
    const bool wasCancelled = cancelled_;
    running_ = false;
    Bsearch->setEnabled(true);
    if (!found && !wasCancelled) windowPrompts(this).message(toQ(pick("Не найдено", "Not found!")));
    return found;
}

void TFormSearch::BCancelClick() {
    if (running_) {
        cancelled_ = true;
        return;
    }
    close();
}

void TFormSearch::closeEvent(QCloseEvent* e) {
    cancelled_ = true;
    e->accept();
}

}  // namespace vlm::datawin
