// The rollback segment dialog (see formsoch.h).
#include "admin/formsoch.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "shell/language.h"
#include "shell/qtext.h"

namespace vlm::admin {

TFormSOCh::TFormSOCh(const SegmentSettings& start, std::function<void(const std::string&)> run,
                     std::function<void(const std::exception&)> error, QWidget* parent)
    : QDialog(parent), create_(start.create), run_(std::move(run)), error_(std::move(error)) {
    setObjectName(QStringLiteral("FormSOCh"));
    bool ru = shell::languageSetting() == 1;
    auto t = [ru](const char* russian, const char* english) { return QString::fromUtf8(ru ? russian : english); };
    setWindowTitle(t("Изменение сегмента отката", "Change Rollback Segment"));
    Label5 = new QLabel(t("Имя", "Name"));
    Label6 = new QLabel(t("Табл. пространство", "Tablespace Name"));
    Label1 = new QLabel(t("Начальный размер (кБ)", "INI Size (kB)"));
    Label2 = new QLabel(t("Увеличение (кБ)", "Increase (kB)"));
    Label3 = new QLabel(t("Мин. кол-во расширений", "Min Extents"));
    Label4 = new QLabel(t("Макс. кол-во расширений", "Max Extents"));
    SegName = new QLineEdit(shell::toQ(start.name));
    TblSp = new QLineEdit(shell::toQ(start.tablespace));
    CurrencyEdit1 = new QLineEdit(shell::toQ(start.initialKb));
    CurrencyEdit2 = new QLineEdit(shell::toQ(start.nextKb));
    CurrencyEdit3 = new QLineEdit(shell::toQ(start.minExtents));
    CurrencyEdit4 = new QLineEdit(shell::toQ(start.maxExtents));
    for (QLineEdit* e : {CurrencyEdit1, CurrencyEdit2, CurrencyEdit3, CurrencyEdit4})
        e->setValidator(new QIntValidator(0, 2147483647, e));   // numbers only: nothing else reaches the statement
    RadioGroup1 = new QGroupBox(t("Статус", "Status"));
    auto* rg = new QHBoxLayout(RadioGroup1);
    RBOnline = new QRadioButton(QStringLiteral("Online"));
    RBOffline = new QRadioButton(QStringLiteral("Offline"));
    (start.offline ? RBOffline : RBOnline)->setChecked(true);
    rg->addWidget(RBOnline);
    rg->addWidget(RBOffline);
    BitBtn1 = new QPushButton(t("Установить", "Ok"));
    BitBtn2 = new QPushButton(t("Выход", "Cancel"));
    SegName->setEnabled(create_);
    TblSp->setEnabled(create_);
    CurrencyEdit1->setEnabled(create_);

    auto* g = new QGridLayout(this);
    g->addWidget(Label5, 0, 0);
    g->addWidget(SegName, 1, 0);
    g->addWidget(Label6, 0, 1);
    g->addWidget(TblSp, 1, 1);
    g->addWidget(RadioGroup1, 2, 0, 1, 2);
    g->addWidget(Label1, 3, 0);
    g->addWidget(CurrencyEdit1, 3, 1);
    g->addWidget(Label2, 4, 0);
    g->addWidget(CurrencyEdit2, 4, 1);
    g->addWidget(Label3, 5, 0);
    g->addWidget(CurrencyEdit3, 5, 1);
    g->addWidget(Label4, 6, 0);
    g->addWidget(CurrencyEdit4, 6, 1);
    g->addWidget(BitBtn1, 7, 0);
    g->addWidget(BitBtn2, 7, 1);
    resize(268, 266);
    connect(BitBtn1, &QPushButton::clicked, this, &TFormSOCh::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);   // Cancel runs nothing
}

SegmentSettings TFormSOCh::settings() const {
    SegmentSettings s;
    s.create = create_;
    s.name = shell::fromQ(SegName->text());
    s.tablespace = shell::fromQ(TblSp->text());
    s.initialKb = shell::fromQ(CurrencyEdit1->text());
    s.nextKb = shell::fromQ(CurrencyEdit2->text());
    s.minExtents = shell::fromQ(CurrencyEdit3->text());
    s.maxExtents = shell::fromQ(CurrencyEdit4->text());
    s.offline = RBOffline->isChecked();
    return s;
}

void TFormSOCh::BitBtn1Click() {
    auto statements = segmentStatements(settings());
    try {
        for (const auto& st : statements) run_(st);   // the status is not set when the first fails
    } catch (const std::exception& e) {
        error_(e);
    }
    accept();
}

}  // namespace vlm::admin
