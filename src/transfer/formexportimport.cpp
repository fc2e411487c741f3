// TFormExportImport: the export and import window.
#include "transfer/formexportimport.h"

#include "panels/panelcontroller.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "shell/language.h"
#include "shell/qtext.h"
#include "transfer/transfer.h"

namespace vlm::transfer {

using shell::fromQ;
using shell::pick;
using shell::toQ;

QString workbookName(const std::string& table) {
    QString n = toQ(table);
    for (QChar& c : n)
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':') || c == QLatin1Char('"')) c = QLatin1Char('_');
    return n + QStringLiteral(".xlsx");
}

TFormExportImport::TFormExportImport(panels::TPanels& panels, const std::string& table, bool quoteTableName, QWidget* parent)
    : QDialog(parent), panels_(panels), table_(table), quote_(quoteTableName) {
    setObjectName(QStringLiteral("FormExportImport"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(toQ(pick("Экспорт/импорт данных", "Export / Import Data") + ":" + table));
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
    BExport = tool("BExport", pick("Экспорт", "Export"), pick("Экспорт данных", "Export Data"));
    BImport = tool("BImport", pick("Импорт", "Import"), pick("Импорт данных", "Import Data"));
    BExit = tool("BExit", pick("Выход", "Exit"), pick("Выход", "Exit From Form"));
    box->addWidget(bar);
    LabelFieldList = new QLabel(toQ(pick("Поля экс. таблицы (поле1,поле2...)", "Export Table Fields List (filed1,field2...)")), this);
    EFieldList = new QLineEdit(this);
    EFieldList->setObjectName(QStringLiteral("EFieldList"));
    box->addWidget(LabelFieldList);
    box->addWidget(EFieldList);
    auto* middle = new QHBoxLayout;
    auto* kinds = new QVBoxLayout;
    auto radio = [&](const char* name, const std::string& text, QWidget* owner) {
        auto* r = new QRadioButton(toQ(text), owner);
        r->setObjectName(QString::fromLatin1(name));
        return r;
    };
    RBDBase = radio("RBDBase", pick("DBase таблица", "DBase Table"), this);
    RBText = radio("RBText", pick("Текстовый файл", "Text File"), this);
    RBExcel = radio("RBExcel", pick("Эксел", "Excel (string format)"), this);
    for (QRadioButton* r : {RBDBase, RBText, RBExcel}) kinds->addWidget(r);
    kinds->addStretch(1);
    middle->addLayout(kinds);
    GBText = new QGroupBox(toQ(pick("Текстовый файл", "Text File ")), this);
    GBText->setObjectName(QStringLiteral("GBText"));
    auto* g = new QGridLayout(GBText);
    g->addWidget(new QLabel(toQ(pick("Разделитель:", "Delimiters:")), GBText), 0, 0);
    EDelimiters = new QLineEdit(QStringLiteral(";"), GBText);
    EDelimiters->setObjectName(QStringLiteral("EDelimiters"));
    EDelimiters->setMaxLength(1);
    EDelimiters->setMaximumWidth(40);
    g->addWidget(EDelimiters, 0, 1);
    RBDos = radio("RBDos", pick("Набор символов Dos", "Dos Char Set"), GBText);
    RBWindows = radio("RBWindows", pick("Набор символов Windows", "Windows Char Set"), GBText);
    RBDos->setChecked(true);
    g->addWidget(RBDos, 1, 0, 1, 2);
    g->addWidget(RBWindows, 2, 0, 1, 2);
    middle->addWidget(GBText, 1);
    box->addLayout(middle);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setValue(0);
    box->addWidget(ProgressBar1);
    StatusBar1 = new QLabel(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setFrameShape(QFrame::Panel);
    StatusBar1->setFrameShadow(QFrame::Sunken);
    box->addWidget(StatusBar1);

    RBDBase->setChecked(true);
    radioClick();
    for (QRadioButton* r : {RBDBase, RBText, RBExcel}) connect(r, &QRadioButton::toggled, this, &TFormExportImport::radioClick);
    connect(BExport, &QToolButton::clicked, this, &TFormExportImport::BExportClick);
    connect(BImport, &QToolButton::clicked, this, &TFormExportImport::BImportClick);
    connect(BExit, &QToolButton::clicked, this, &QDialog::close);

    saveFile = [this](const QString& title, const QString& filter, const QString& suffix) {
        QFileDialog d(this, title, QString(), filter);
        d.setAcceptMode(QFileDialog::AcceptSave);
        d.setDefaultSuffix(suffix);
        return d.exec() == QDialog::Accepted ? d.selectedFiles().value(0) : QString();
    };
    openFile = [this](const QString& title, const QString& filter, const QString&) {
        return QFileDialog::getOpenFileName(this, title, QString(), filter);
    };
    openWorkbook = [](const QString& path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); };
    workbookDir = QDir::tempPath();
}

void TFormExportImport::radioClick() {
    GBText->setEnabled(RBText->isChecked());
    BExport->setEnabled(!RBDBase->isChecked());
    BImport->setEnabled(!RBExcel->isChecked());
}

void TFormExportImport::BExportClick() {
    ExportOptions o;
    o.fields = fromQ(EFieldList->text());
    o.quoteTableName = quote_;
    o.charset = RBDos->isChecked() ? CharSet::Dos : CharSet::Windows;
    engine::Database& db = panels_.currentDatabase();
    QString file;
    const bool excel = RBExcel->isChecked();
    if (!excel) {
        const QString d = EDelimiters->text().trimmed();
        if (d.isEmpty()) {
            panels_.showMessage(QStringLiteral("No Delimiter!!!"));
            return;
        }
        o.delimiter = fromQ(d)[0];
        file = saveFile(toQ(pick("Экспорт в текстовый файл", "Export Data To Text File")),
                        QStringLiteral("Text Files (*.TXT *.txt)"), QStringLiteral("TXT"));
        if (file.isEmpty()) return;
    } else {
        file = QDir(workbookDir).filePath(workbookName(table_));
    }
    std::int64_t rows = 0;
    ProgressBar1->setValue(0);
    shell::WorkResult r = panels_.prompts().runWork(toQ(pick("Экспорт данных", "Export Data") + " " + table_), [&](engine::Progress& p) {
        rows = excel ? exportXlsx(db, table_, fromQ(file), o, &p) : exportText(db, table_, fromQ(file), o, &p);
    });
    if (r.outcome == shell::WorkOutcome::Failed) {
        StatusBar1->clear();
        panels_.prompts().error(r.error);
        return;
    }
    if (r.outcome == shell::WorkOutcome::Cancelled) {
        StatusBar1->setText(QStringLiteral("Export cancelled"));
        return;
    }
    ProgressBar1->setValue(ProgressBar1->maximum());
    StatusBar1->setText(QString::number(rows) + QStringLiteral(" records exported to ") + file);
    if (excel) {
        if (openWorkbook(file)) panels_.showMessage(QStringLiteral("Select <Excel> on taskbar for use!"));
        else panels_.showError(QStringLiteral("Excel cannot be lunched\r") + file);
    }
}

void TFormExportImport::BImportClick() {
    const bool dbf = RBDBase->isChecked();
    const QString file = openFile(toQ(pick("Импорт из текста или DBase", "Import Data From Text File Or DBase")),
                                  dbf ? QStringLiteral("DBase (*.DBF *.dbf)") : QStringLiteral("Text Files (*.TXT *.txt)"),
                                  dbf ? QStringLiteral("DBF") : QStringLiteral("TXT"));
    if (file.isEmpty()) return;
    ImportOptions o;
    o.charset = RBDos->isChecked() ? CharSet::Dos : CharSet::Windows;
    const QString d = EDelimiters->text().trimmed();
    if (!dbf && d.isEmpty()) {
        panels_.showMessage(QStringLiteral("No Delimiter!!!"));
        return;
    }
    if (!dbf) o.delimiter = fromQ(d)[0];
    engine::Database& db = panels_.currentDatabase();
    std::int64_t rows = 0;
    ProgressBar1->setValue(0);
    shell::WorkResult r = panels_.prompts().runWork(toQ(pick("Импорт данных", "Import Data") + " " + table_), [&](engine::Progress& p) {
        rows = dbf ? importDbf(db, table_, fromQ(file), &p) : importText(db, table_, fromQ(file), o, &p);
    });
    if (r.outcome == shell::WorkOutcome::Failed) {
        StatusBar1->clear();
        panels_.prompts().error(r.error);
        return;
    }
    if (r.outcome == shell::WorkOutcome::Cancelled) {
        StatusBar1->setText(QStringLiteral("Import cancelled"));
        return;
    }
    ProgressBar1->setValue(ProgressBar1->maximum());
    StatusBar1->setText(QString::number(rows) + QStringLiteral(" records imported from ") + file);
    panels_.reRead(panels_.active());
}

}  // namespace vlm::transfer
