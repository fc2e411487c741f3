// TFormAppend: the append window.
#include "transfer/formappend.h"

#include "panels/panelcontroller.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "shell/language.h"
#include "shell/qtext.h"
#include "shell/windowsmenu.h"
#include "transfer/transfer.h"

namespace vlm::transfer {

using shell::fromQ;
using shell::pick;
using shell::Side;
using shell::toQ;

namespace {
Side otherSide(Side s) { return s == Side::Left ? Side::Right : Side::Left; }

std::vector<std::string> lines(const QPlainTextEdit* m) {
    std::vector<std::string> out;
    for (const QString& l : m->toPlainText().split(QLatin1Char('\n'))) out.push_back(fromQ(l));
    return out;
}
}  // namespace

TFormAppend::TFormAppend(panels::TPanels& panels, const std::string& destTable, QWidget* parent)
    : QDialog(parent), panels_(panels) {
    setObjectName(QStringLiteral("FormAppend"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowTitle(toQ(pick("Добавление записей в таблицу", "Append From Table")));
    auto* box = new QVBoxLayout(this);
    auto* bar = new QToolBar(this);
    auto tool = [&](const char* name, const std::string& text, const std::string& hint) {
        auto* b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1(name));
        b->setText(toQ(text));
        b->setToolTip(toQ(hint));
        bar->addWidget(b);
        return b;
    };
    BAppend = tool("BAppend", pick("Добавить", "Append"), pick("Начать добавление", "Start Append"));
    BPrepare = tool("BPrepare", pick("Подготовка", "Prepare"), pick("Подготовка к добавлению записей", "Prepare to append records"));
    BExit = tool("BExit", pick("Выход", "Exit"), pick("Выход", "Exit"));
    BAppend->setEnabled(false);
    box->addWidget(bar);

    PageControl1 = new QTabWidget(this);
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheetAppend"));
    auto* form = new QFormLayout(page);
    auto edit = [&](const char* name) {
        auto* e = new QLineEdit(page);
        e->setObjectName(QString::fromLatin1(name));
        e->setReadOnly(true);
        return e;
    };
    ETableDest = edit("ETableDest");
    EDBDest = edit("EDBDest");
    EDBSource = edit("EDBSource");
    ETableSource = new QComboBox(page);
    ETableSource->setObjectName(QStringLiteral("ETableSource"));
    ETableSource->setEditable(true);
    ETableSource->setMinimumWidth(260);
    CBSameDB = new QCheckBox(toQ(pick("Таже БД", "Same Database")), page);
    CBSameDB->setObjectName(QStringLiteral("CBSameDB"));
    form->addRow(toQ(pick("Добавить в:", "Append Table:")), ETableDest);
    form->addRow(toQ(pick("Алиас:", "Alias:")), EDBDest);
    form->addRow(toQ(pick("из:", "From:")), ETableSource);
    auto* srcAlias = new QLabel(toQ(pick("Алиас:", "Alias:")), page);
    srcAlias->setObjectName(QStringLiteral("LabelSourceAlias"));
    form->addRow(srcAlias, EDBSource);
    form->addRow(QString(), CBSameDB);
    PageControl1->addTab(page, toQ(pick("Добавление", "Append from...")));
    MemoSQL = new QPlainTextEdit;
    MemoSQL->setObjectName(QStringLiteral("MemoSQL"));
    PageControl1->addTab(MemoSQL, toQ(pick("SQL запрос", "Source SQL")));
    MemoMaps = new QPlainTextEdit;
    MemoMaps->setObjectName(QStringLiteral("MemoMaps"));
    PageControl1->addTab(MemoMaps, toQ(pick("Кроссировка полей", "Maps")));
    box->addWidget(PageControl1);

    auto* status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("StatusBar1"));
    status->setSizeGripEnabled(false);
    Status0 = new QLabel(status);
    Status0->setMinimumWidth(60);
    Status1 = new QLabel(status);
    status->addWidget(Status0);
    status->addWidget(Status1, 1);
    box->addWidget(status);

    const Side active = panels_.active();
    ETableDest->setText(toQ(destTable).toUpper());
    EDBDest->setText(toQ(panels_.database(active).databaseName()));
    EDBSource->setText(toQ(panels_.database(otherSide(active)).databaseName()));
    fillSourceList();

    connect(BAppend, &QToolButton::clicked, this, [this] { BAppendClick(); });
    connect(BPrepare, &QToolButton::clicked, this, &TFormAppend::BPrepareClick);
    connect(BExit, &QToolButton::clicked, this, &QDialog::close);
    connect(CBSameDB, &QCheckBox::clicked, this, &TFormAppend::CBSameDBClick);
    connect(ETableSource, &QComboBox::editTextChanged, this, &TFormAppend::ETableSourceChange);
    connect(MemoSQL, &QPlainTextEdit::textChanged, this, &TFormAppend::changed);
    connect(MemoMaps, &QPlainTextEdit::textChanged, this, &TFormAppend::changed);
    resize(520, 360);
}

void TFormAppend::fillSourceList() {
    filling_ = true;
    const Side from = CBSameDB->isChecked() ? panels_.active() : otherSide(panels_.active());
    ETableSource->clear();
    for (int i = 0; i < panels_.itemCount(from); ++i) ETableSource->addItem(panels_.itemCaption(from, i));
    ETableSource->setEditText(QString());
    filling_ = false;
}

void TFormAppend::changed() {
    if (!filling_) BAppend->setEnabled(false);
}

void TFormAppend::ETableSourceChange() { changed(); }

void TFormAppend::CBSameDBClick() {
    EDBSource->setVisible(!CBSameDB->isChecked());
    fillSourceList();
    BAppend->setEnabled(false);
}

void TFormAppend::BPrepareClick() {
    const std::string source = fromQ(ETableSource->currentText().trimmed());
    if (source.empty()) {
        panels_.showMessage(toQ(pick("Не задана таблица-источник!", "No source table name!")));
        return;
    }
    engine::Database& db = panels_.database(CBSameDB->isChecked() ? panels_.active() : otherSide(panels_.active()));
    filling_ = true;
    if (MemoSQL->toPlainText().trimmed().isEmpty()) MemoSQL->setPlainText(toQ(defaultSourceSql(source)));
    filling_ = false;
    if (MemoMaps->toPlainText().trimmed().isEmpty()) {
        try {
            auto maps = defaultMaps(sourceFields(db, fromQ(MemoSQL->toPlainText())));
            QStringList l;
            for (const auto& m : maps) l << toQ(m);
            filling_ = true;
            MemoMaps->setPlainText(l.join(QLatin1Char('\n')));
            filling_ = false;
        } catch (const std::exception& e) {
            panels_.showError(e);
            return;
        }
    }
    BAppend->setEnabled(true);
}

bool TFormAppend::runAppend() {
    if (!BAppend->isEnabled()) return false;
    Status0->clear();
    Status1->setText(QStringLiteral("Start append..."));
    const Side active = panels_.active();
    engine::Database& dest = panels_.database(active);
    engine::Database& source = panels_.database(CBSameDB->isChecked() ? active : otherSide(active));
    const std::string sql = fromQ(MemoSQL->toPlainText());
    const std::string table = fromQ(ETableDest->text());
    const auto maps = lines(MemoMaps);
    std::int64_t moved = 0;
    shell::WorkResult r = panels_.prompts().runWork(toQ("Append " + table), [&](engine::Progress& p) {
        moved = appendRows(source, sql, dest, table, maps, &p);
    });
    if (r.outcome == shell::WorkOutcome::Finished) {
        Status0->setText(QString::number(moved));
        Status1->setText(QStringLiteral(" records appended !"));
        panels_.reRead(active);
        return true;
    }
    Status0->setText(QStringLiteral("-1"));
    Status1->setText(QStringLiteral(" append failed!"));
    if (r.outcome == shell::WorkOutcome::Failed) panels_.prompts().error(r.error);
    return false;
}

bool TFormAppend::BAppendClick() {
    bool ok = runAppend();
    panels_.showMessage(ok ? QStringLiteral("Append OK !!!") : QStringLiteral("Append Failed !!!"));
    return ok;
}

void TFormAppend::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape) {
        close();
        return;
    }
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) &&
        !qobject_cast<QPlainTextEdit*>(focusWidget())) {
        // Only a prepared mapping is appended; otherwise Enter does nothing.
        if (BAppend->isEnabled()) {
            runAppend();
            close();
        }
        return;
    }
    QDialog::keyPressEvent(e);
}

void TFormAppend::closeEvent(QCloseEvent* e) {
    if (shell::TWindowsMenu* wm = shell::windowsMenu()) wm->resetSlot(shell::WindowSlot::Append);
    panels_.focusList(panels_.active());
    QDialog::closeEvent(e);
}

}  // namespace vlm::transfer
