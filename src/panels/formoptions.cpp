// The program options dialog.
#include "panels/panelcontroller.h"
#include "engine/session.h"
#include "panels/formoptions.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <fstream>

#include "panels/qtsettings.h"
#include "shell/language.h"
#include "shell/qtext.h"
#include "shell/shelllogic.h"

namespace vlm::panels {

using shell::fromQ;
using shell::toQ;

namespace {

// Designed English caption, Russian caption (applied with language setting 1).
QString tr2(const char* en, const char* ru) { return toQ(shell::languageSetting() == 1 && ru ? ru : en); }

QCheckBox* check(QWidget* parent, QLayout* into, const char* name, const char* en, const char* ru) {
    auto* c = new QCheckBox(tr2(en, ru), parent);
    c->setObjectName(QString::fromLatin1(name));
    into->addWidget(c);
    return c;
}

QLineEdit* colourEdit(QWidget* parent, QFormLayout* into, const char* name, const char* en, const char* ru) {
    auto* e = new QLineEdit(tr2(en, ru), parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setReadOnly(true);
    into->addRow(e);
    return e;
}

// The upper-case filter edits.
QLineEdit* upperEdit(QWidget* parent, const char* name) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    QObject::connect(e, &QLineEdit::textEdited, e, [e](const QString& t) {
        int pos = e->cursorPosition();
        e->setText(t.toUpper());
        e->setCursorPosition(pos);
    });
    return e;
}

struct TraceBox {
    QCheckBox* TFormOptions::*member;
    const char* name;
    const char* en;
    const char* ru;
    std::uint32_t bit;
};
const TraceBox kTrace[] = {
    {&TFormOptions::CBPrepare, "CBPrepare", "Prepare statements.", "Подготовка запросов.", 1},
    {&TFormOptions::CBExecute, "CBExecute", "ExecSQL statements.", "Выполнение запросов.", 2},
    {&TFormOptions::CBError, "CBError", "Server error messages. Such messages may include an error code.", "Сообщения об ошибках сервера.", 4},
    {&TFormOptions::CBStmt, "CBStmt", "All SQL statements.", "Все SQL предложения.", 8},
    {&TFormOptions::CBConnect, "CBConnect", "Connect and disconnect operations.", "Подключения и отключения к (от) серверу.", 16},
    {&TFormOptions::CBTransact, "CBTransact", "Transactions: StartTransaction, Commit, Rollback.", "Транзакции: StartTransaction, Commit, Rollback.", 32},
    {&TFormOptions::CBBlob, "CBBlob", "Operations on blob data types.", "Операции над BLOB полями.", 64},
    {&TFormOptions::CBMisc, "CBMisc", "Any statements not covered by other flag options.", "Любые предложения не вошедшие в данные установки.", 128},
    {&TFormOptions::CBVendor, "CBVendor", "Direct API function calls to the database server.", "Прямой вызов API функций сервера БД.", 256},
    {&TFormOptions::CBDataIn, "CBDataIn", "Data received from a server.", "Данные, получаемые от сервера.", 512},
    {&TFormOptions::CBDataOut, "CBDataOut", "Data sent to a server.", "Данные, посылаемые на сервер.", 1024},
};

}  // namespace

TFormOptions::TFormOptions(TPanels& panels, int filterSide, QWidget* parent)
    : QDialog(parent), panels_(panels), filterSide_(filterSide) {
    setObjectName(QStringLiteral("FormOptions"));
    setAttribute(Qt::WA_DeleteOnClose);
    // The dialog works on the panels: it does not outlive them (and then takes nothing).
    connect(&panels, &QObject::destroyed, this, [this] { delete this; });
    setWindowFlag(Qt::Window, true);
    setModal(false);
    setWindowTitle(tr2("Program Options", "Параметры программы"));
    auto* col = new QVBoxLayout(this);
    auto* bar = new QToolBar(this);
    BExit = new QToolButton(bar);
    BExit->setObjectName(QStringLiteral("BExit"));
    BExit->setText(tr2("Exit", "Выход"));
    bar->addWidget(BExit);
    col->addWidget(bar);
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    col->addWidget(PageControl1);

    // SQL Monitor
    auto* pMon = new QWidget;
    pMon->setObjectName(QStringLiteral("TabSQLMonitor"));
    auto* monCol = new QVBoxLayout(pMon);
    auto* gTrace = new QGroupBox(tr2("Trace Options", "Параметры трассировки"), pMon);
    auto* traceCol = new QVBoxLayout(gTrace);
    for (const auto& t : kTrace) this->*t.member = check(gTrace, traceCol, t.name, t.en, t.ru);
    monCol->addWidget(gTrace);
    PageControl1->addTab(pMon, tr2("SQL Monitor", "SQL монитор"));

    // Font / Color
    auto* pFont = new QWidget;
    pFont->setObjectName(QStringLiteral("TabFontColor"));
    auto* fontGrid = new QGridLayout(pFont);
    auto* g1 = new QGroupBox(tr2("Main Panels Font", "Шрифт основных панелей"), pFont);
    (new QVBoxLayout(g1))->addWidget(BFont = new QPushButton(tr2("Font...", "Шрифт..."), g1));
    auto* g2 = new QGroupBox(tr2("Main Panels Color", "Цвет основных панелей"), pFont);
    (new QVBoxLayout(g2))->addWidget(BColor = new QPushButton(tr2("Color...", "Цвет..."), g2));
    auto* g3 = new QGroupBox(tr2("SQL Editor Font", "Шрифт SQL редактора"), pFont);
    (new QVBoxLayout(g3))->addWidget(BSQLEditorFont = new QPushButton(tr2("Font...", "Шрифт..."), g3));
    BFont->setObjectName(QStringLiteral("BFont"));
    BColor->setObjectName(QStringLiteral("BColor"));
    BSQLEditorFont->setObjectName(QStringLiteral("BSQLEditorFont"));
    fontGrid->addWidget(g1, 0, 0);
    fontGrid->addWidget(g2, 0, 1);
    fontGrid->addWidget(g3, 0, 2);
    auto* gColor = new QGroupBox(tr2("SQL operators, functions, keywords color in SQL Editor",
                                     "Выделение цветом операторов, функций, ключевых слов SQL"), pFont);
    auto* cg = new QGridLayout(gColor);
    CBSQLColor = new QCheckBox(tr2("Use SQL keywords color", "Использовать"), gColor);
    CBSQLColor->setObjectName(QStringLiteral("CBSQLColor"));
    BSQLLoadDic = new QPushButton(tr2("Load SQL Dictionary", "Загрузить словари SQL"), gColor);
    BSQLLoadDic->setObjectName(QStringLiteral("BSQLLoadDic"));
    BSQLSaveDic = new QPushButton(tr2("Save SQL Dictionary", "Сохранить словари SQL"), gColor);
    BSQLSaveDic->setObjectName(QStringLiteral("BSQLSaveDic"));
    LabelSQLN = new QLabel(gColor);
    LabelSQLN->setObjectName(QStringLiteral("LabelSQLN"));
    LabelSQLFuncN = new QLabel(gColor);
    LabelSQLFuncN->setObjectName(QStringLiteral("LabelSQLFuncN"));
    LabelPLSQLN = new QLabel(gColor);
    LabelPLSQLN->setObjectName(QStringLiteral("LabelPLSQLN"));
    cg->addWidget(CBSQLColor, 0, 0);
    cg->addWidget(BSQLLoadDic, 1, 0);
    cg->addWidget(BSQLSaveDic, 2, 0);
    cg->addWidget(LabelSQLN, 3, 0);
    cg->addWidget(LabelSQLFuncN, 4, 0);
    cg->addWidget(LabelPLSQLN, 5, 0);
    ColorGrid1 = new QWidget(gColor);
    ColorGrid1->setObjectName(QStringLiteral("ColorGrid1"));
    auto* grid = new QGridLayout(ColorGrid1);
    grid->setSpacing(1);
    for (int i = 0; i < 16; ++i) {
        auto* b = new QPushButton(ColorGrid1);
        b->setObjectName(QStringLiteral("ColorGridCell") + QString::number(i));
        b->setFixedSize(20, 20);
        b->setFocusPolicy(Qt::NoFocus);   // the colour edit keeps the focus
        grid->addWidget(b, i / 4, i % 4);
        connect(b, &QPushButton::clicked, this, [this, i] { ColorGrid1Click(i); });
    }
    cg->addWidget(ColorGrid1, 0, 1, 6, 1);
    markColorGrid(-1);
    auto* edits = new QFormLayout;
    LabelSQLColor = colourEdit(gColor, edits, "LabelSQLColor", "SQL Command's Color", "Цвет команд SQL");
    LabelSQLFuncColor = colourEdit(gColor, edits, "LabelSQLFuncColor", "SQL Function's Color", "Цвет функций SQL");
    LabelPLSQLColor = colourEdit(gColor, edits, "LabelPLSQLColor", "Other Keyword's Color", "Цвет других ключевых слов");
    LabelDigitsColor = colourEdit(gColor, edits, "LabelDigitsColor", "Digits Color", "Цвет цифр");
    LabelStrConstColor = colourEdit(gColor, edits, "LabelStrConstColor", "String Constant Color", "Цвет строковых констант");
    for (QLineEdit* e : {LabelSQLColor, LabelSQLFuncColor, LabelPLSQLColor, LabelDigitsColor, LabelStrConstColor})
        e->installEventFilter(this);
    cg->addLayout(edits, 0, 2, 6, 1);
    fontGrid->addWidget(gColor, 1, 0, 1, 3);
    PageControl1->addTab(pFont, tr2("Font / Color", "Шрифт / Цвет"));

    // SQL
    auto* pSql = new QWidget;
    pSql->setObjectName(QStringLiteral("TabSQL"));
    auto* sqlCol = new QVBoxLayout(pSql);
    auto* delimRow = new QHBoxLayout;
    LSQLDelim = new QLabel(tr2("Delimiter in SQL statements", "Разделитель SQL предложений"), pSql);
    LSQLDelim->setObjectName(QStringLiteral("LSQLDelim"));
    ESQLDelim = new QLineEdit(pSql);
    ESQLDelim->setObjectName(QStringLiteral("ESQLDelim"));
    ESQLDelim->setMaximumWidth(60);
    delimRow->addWidget(LSQLDelim);
    delimRow->addWidget(ESQLDelim);
    delimRow->addStretch(1);
    sqlCol->addLayout(delimRow);
    CBUseInSQl = check(pSql, sqlCol, "CBUseInSQl", "Use  \"  in SQL", "Использовать двойные кавычки \" в SQL предложениях");
    CBReplAppropriate = check(pSql, sqlCol, "CBReplAppropriate", "Replace \":=\" With \"::=\" in SQL Editor",
                              "Заменять \":=\" на \"::=\" в SQL редакторе");
    CBDoublet = check(pSql, sqlCol, "CBDoublet", "Replace \":\" With \"::\" in Stored Procedures",
                      "Заменять \":\" на \"::\" в сохраненных процедурах");
    sqlCol->addStretch(1);
    PageControl1->addTab(pSql, QStringLiteral("SQL"));

    // Search Options
    auto* pSearch = new QWidget;
    pSearch->setObjectName(QStringLiteral("TabSearch"));
    auto* searchCol = new QVBoxLayout(pSearch);
    CBSearchTable = check(pSearch, searchCol, "CBSearchTable", "Search Table from start position", "Поиск таблицы с 1 позиции");
    CBSearchTable->setToolTip(toQ("Поиск имени таблицы начинать с первого символа"));
    CBMatchCase = check(pSearch, searchCol, "CBMatchCase", "Match char case", "Игнорировать размер букв");
    CBMatchCase->setToolTip(toQ("Игнорировать разницу в размере букв"));
    searchCol->addStretch(1);
    PageControl1->addTab(pSearch, tr2("Search Options", "Параметры поиска"));

    // Help Files
    auto* pHelp = new QWidget;
    pHelp->setObjectName(QStringLiteral("TabHelp"));
    auto* helpCol = new QVBoxLayout(pHelp);
    struct H { QLineEdit** edit; QPushButton** button; const char* e; const char* b; const char* title; };
    const H helps[5] = {{&ELocalSQLHelpFile, &BLocalSQL, "ELocalSQLHelpFile", "BLocalSQL", "Local SQL"},
                        {&EInterBaseHelpFile, &BInterbaseSQL, "EInterBaseHelpFile", "BInterbaseSQL", "InterBase SQL"},
                        {&EOracleHelpFile, &BOracleSQL, "EOracleHelpFile", "BOracleSQL", "Oracle SQL"},
                        {&ESQLBaseHelpFile, &BSQLBase, "ESQLBaseHelpFile", "BSQLBase", "SQLBase SQL"},
                        {&EMSSQLHelpFile, &BMSSQL, "EMSSQLHelpFile", "BMSSQL", "MSSQL SQL"}};
    for (int i = 0; i < 5; ++i) {
        auto* g = new QGroupBox(QString::fromLatin1(helps[i].title), pHelp);
        auto* row = new QHBoxLayout(g);
        *helps[i].edit = new QLineEdit(g);
        (*helps[i].edit)->setObjectName(QString::fromLatin1(helps[i].e));
        *helps[i].button = new QPushButton(toQ("…"), g);
        (*helps[i].button)->setObjectName(QString::fromLatin1(helps[i].b));
        row->addWidget(*helps[i].edit, 1);
        row->addWidget(*helps[i].button);
        helpCol->addWidget(g);
        connect(*helps[i].button, &QPushButton::clicked, this, [this, i] { chooseHelpFile(i); });
    }
    helpCol->addStretch(1);
    PageControl1->addTab(pHelp, tr2("Help Files", "Справочные файлы"));

    // Formats
    auto* pFmt = new QWidget;
    pFmt->setObjectName(QStringLiteral("TabFormats"));
    auto* fmtForm = new QFormLayout(pFmt);
    struct F { QLineEdit** edit; const char* name; const char* label; };
    const F fmts[10] = {{&EThousandSeparator, "EThousandSeparator", "ThousandSeparator"},
                        {&EDecimalSeparator, "EDecimalSeparator", "DecimalSeparator"},
                        {&EDateSeparator, "EDateSeparator", "DateSeparator"},
                        {&EShortDateFormat, "EShortDateFormat", "ShortDateFormat"},
                        {&ELongDateFormat, "ELongDateFormat", "LongDateFormat"},
                        {&ETimeSeparator, "ETimeSeparator", "TimeSeparator"},
                        {&ETimeAMString, "ETimeAMString", "TimeAMString"},
                        {&ETimePMString, "ETimePMString", "TimePMString"},
                        {&EShortTimeFormat, "EShortTimeFormat", "ShortTimeFormat"},
                        {&ELongTimeFormat, "ELongTimeFormat", "LongTimeFormat"}};
    for (const auto& f : fmts) {
        *f.edit = new QLineEdit(pFmt);
        (*f.edit)->setObjectName(QString::fromLatin1(f.name));
        fmtForm->addRow(QString::fromLatin1(f.label), *f.edit);
    }
    PageControl1->addTab(pFmt, tr2("Formats", "Форматы"));

    // Filters
    auto* pFilt = new QWidget;
    pFilt->setObjectName(QStringLiteral("TabFilters"));
    auto* filtCol = new QVBoxLayout(pFilt);
    auto filterGroup = [&](QGroupBox*& g, const char* gname, const char* en, const char* ru, QLineEdit*& name,
                           const char* nname, QLineEdit*& user, const char* uname, QCheckBox*& use, const char* usename,
                           QCheckBox*& exc, const char* excname) {
        g = new QGroupBox(tr2(en, ru), pFilt);
        g->setObjectName(QString::fromLatin1(gname));
        auto* f = new QFormLayout(g);
        name = upperEdit(g, nname);
        user = upperEdit(g, uname);
        f->addRow(tr2("Table name:", "Имя таблицы:"), name);
        f->addRow(tr2("User name:", "Имя юзера:"), user);
        use = new QCheckBox(tr2("Use Filter", "Использовать фильтр"), g);
        use->setObjectName(QString::fromLatin1(usename));
        exc = new QCheckBox(tr2("Except", "Кроме"), g);
        exc->setObjectName(QString::fromLatin1(excname));
        f->addRow(use);
        f->addRow(exc);
        filtCol->addWidget(g);
    };
    filterGroup(GBLeftFilter, "GBLeftFilter", "Left Panel Filter*", "Фильтр левой панели*", ELeftFilter, "ELeftFilter",
                ELeftFilterUser, "ELeftFilterUser", CBLeftFilter, "CBLeftFilter", CBExceptLeft, "CBExceptLeft");
    filterGroup(GBRightFilter, "GBRightFilter", "Right Panal Filter*", "Фильтр правой панели*", ERightFilter,
                "ERightFilter", ERightFilterUser, "ERightFilterUser", CBRightFilter, "CBRightFilter", CBExceptRight,
                "CBExceptRight");
    LabelComment = new QLabel(tr2("* Masks: NAME (equal), NAME* (begins with), *NAME (contains), *NAME* (contains)",
                                  "* Маски: ИМЯ (равно), ИМЯ* (начинается с), *ИМЯ (содержит), *ИМЯ* (содержит)"),
                              pFilt);
    LabelComment->setObjectName(QStringLiteral("LabelComment"));
    LabelComment->setWordWrap(true);
    filtCol->addWidget(LabelComment);
    GBDBase = new QGroupBox(tr2("DBase Tables", "DBase таблицы"), pFilt);
    auto* dbCol = new QVBoxLayout(GBDBase);
    CBShowDeleted = check(GBDBase, dbCol, "CBShowDeleted", "Show Deleted Records", "Показывать удаленные записи");
    CBColorDeleted = check(GBDBase, dbCol, "CBColorDeleted", "Use Color For Deleted Records", "Выделять удаленные записи цветом");
    filtCol->addWidget(GBDBase);
    filtCol->addStretch(1);
    PageControl1->addTab(pFilt, tr2("Filters", "Фильтры"));

    // Objects
    auto* pObj = new QWidget;
    pObj->setObjectName(QStringLiteral("TabObjects"));
    auto* objCol = new QVBoxLayout(pObj);
    CBShowIndexesAsCreate = check(pObj, objCol, "CBShowIndexesAsCreate", "Show Objects-Indexes As Create Statements",
                                  "Показывать объекты-индексы как SQL предложения");
    CBShowSystemIndexes = check(pObj, objCol, "CBShowSystemIndexes", "Show System Objcts", "Показывать системные объекты");
    CBShowTableComment = check(pObj, objCol, "CBShowTableComment", "Show (Oracle, SQLBase) Table Comment At Panels",
                               "Показывать в панелях комментарии таблиц для Oracle и SQLBase");
    objCol->addStretch(1);
    PageControl1->addTab(pObj, tr2("Objects", "Объекты"));

    connect(BExit, &QToolButton::clicked, this, [this] { BExitClick(); });
    connect(BFont, &QPushButton::clicked, this, [this] { BFontClick(); });
    connect(BColor, &QPushButton::clicked, this, [this] { BColorClick(); });
    connect(BSQLEditorFont, &QPushButton::clicked, this, [this] { BSQLEditorFontClick(); });
    connect(BSQLLoadDic, &QPushButton::clicked, this, [this] { BSQLLoadDicClick(); });
    connect(BSQLSaveDic, &QPushButton::clicked, this, [this] { BSQLSaveDicClick(); });
    connect(CBUseInSQl, &QCheckBox::toggled, this, [this](bool on) {
        if (QAction* a = panels_.form().action(shell::cmd::NUseinSQL)) a->setChecked(on);
        panels_.form().settings().useInSql = on;
        panels_.settings().shell.useInSql = on;
    });
    connect(CBShowDeleted, &QCheckBox::toggled, this, [this](bool on) {
        if (!on) CBColorDeleted->setChecked(false);
        CBColorDeleted->setEnabled(on);
    });
    connect(ESQLDelim, &QLineEdit::textChanged, this, [this](const QString& t) {
        if (t.trimmed().isEmpty()) ESQLDelim->setText(QStringLiteral(";"));
    });

    // Esc ends the dialog without a close event: the same closing rules apply.
    connect(this, &QDialog::finished, this, [this] {
        if (closed_) return;
        closed_ = true;
        takeOnClose();
        panels_.optionsClosed(filterSide_);
    });

    fill();

    if (filterSide_ >= 0) {
        (filterSide_ == 0 ? GBRightFilter : GBLeftFilter)->hide();
        for (int i = PageControl1->count() - 1; i >= 0; --i)
            if (PageControl1->widget(i) != pFilt) PageControl1->setTabVisible(i, false);
        PageControl1->setCurrentWidget(pFilt);
    }
}

void TFormOptions::fill() {
    Settings& s = panels_.settings();
    const shell::ShellSettings& sh = panels_.form().settings();
    const Formats& f = programFormats();
    EThousandSeparator->setText(toQ(f.thousandSeparator));
    EDecimalSeparator->setText(toQ(f.decimalSeparator));
    EDateSeparator->setText(toQ(f.dateSeparator));
    EShortDateFormat->setText(toQ(f.shortDateFormat));
    ELongDateFormat->setText(toQ(f.longDateFormat));
    ETimeSeparator->setText(toQ(f.timeSeparator));
    ETimeAMString->setText(toQ(f.timeAMString));
    ETimePMString->setText(toQ(f.timePMString));
    EShortTimeFormat->setText(toQ(f.shortTimeFormat));
    ELongTimeFormat->setText(toQ(f.longTimeFormat));
    const std::uint32_t mask = engine::Session::defaultSession().traceMask();
    for (const auto& t : kTrace) (this->*t.member)->setChecked((mask & t.bit) != 0);
    QAction* useIn = panels_.form().action(shell::cmd::NUseinSQL);
    CBUseInSQl->setChecked(useIn ? useIn->isChecked() : sh.useInSql);
    ELocalSQLHelpFile->setText(toQ(sh.localSqlHelp));
    EInterBaseHelpFile->setText(toQ(sh.interbaseHelp));
    EOracleHelpFile->setText(toQ(sh.oracleHelp));
    ESQLBaseHelpFile->setText(toQ(sh.sqlbaseHelp));
    EMSSQLHelpFile->setText(toQ(sh.mssqlHelp));
    CBSearchTable->setChecked(s.searchFirstPos);
    CBMatchCase->setChecked(s.searchMatchCase);
    ELeftFilter->setText(toQ(s.left.filter));
    ELeftFilterUser->setText(toQ(s.left.filterUser));
    CBLeftFilter->setChecked(s.left.filterOn);
    CBExceptLeft->setChecked(s.left.filterExcept);
    ERightFilter->setText(toQ(s.right.filter));
    ERightFilterUser->setText(toQ(s.right.filterUser));
    CBRightFilter->setChecked(s.right.filterOn);
    CBExceptRight->setChecked(s.right.filterExcept);
    CBShowDeleted->setChecked(s.showDeleted);
    QAction* repl = panels_.form().action(shell::cmd::NReplAppropriate);
    CBReplAppropriate->setChecked(repl ? repl->isChecked() : sh.replaceAppropriate);
    if (s.showDeleted) {
        CBColorDeleted->setChecked(s.colorDeleted);
        CBColorDeleted->setEnabled(true);
    } else {
        CBColorDeleted->setChecked(false);
        CBColorDeleted->setEnabled(false);
    }
    CBSQLColor->setChecked(s.isSqlColor);
    showColours();
    const shell::Dictionaries& d = panels_.form().dictionaries();
    LabelSQLN->setText(QString::number(d.sqlKeywords.size()));
    LabelSQLFuncN->setText(QString::number(d.sqlFunctions.size()));
    LabelPLSQLN->setText(QString::number(d.otherKeywords.size()));
    ESQLDelim->setText(toQ(s.sqlDelimiter.empty() ? std::string(";") : s.sqlDelimiter));
    CBShowIndexesAsCreate->setChecked(s.showIndexAsCreate);
    CBShowSystemIndexes->setChecked(s.showSystemIndex);
    CBDoublet->setChecked(s.doubletStoreProc);
    CBShowTableComment->setChecked(s.showTableComments);
}

void TFormOptions::showColours() {
    const Settings& s = panels_.settings();
    const std::pair<QLineEdit*, Colour> edits[5] = {{LabelSQLColor, s.sqlColor}, {LabelSQLFuncColor, s.sqlFuncColor},
                                                    {LabelPLSQLColor, s.plsqlColor}, {LabelDigitsColor, s.digitColor},
                                                    {LabelStrConstColor, s.strColor}};
    for (const auto& [e, c] : edits) {
        QPalette p = e->palette();
        p.setColor(QPalette::Text, qColour(c));
        e->setPalette(p);
    }
}

bool TFormOptions::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        auto* e = qobject_cast<QLineEdit*>(watched);
        if (e) {
            colourEdit_ = e;
            Settings& s = panels_.settings();
            Colour c = e == LabelSQLColor ? s.sqlColor : e == LabelSQLFuncColor ? s.sqlFuncColor
                     : e == LabelPLSQLColor ? s.plsqlColor : e == LabelDigitsColor ? s.digitColor : s.strColor;
            int i = standardColourIndex(c);
            if (i >= 0) markColorGrid(i);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFormOptions::markColorGrid(int index) {
    ColorGrid1->setProperty("selectedIndex", index);
    for (int i = 0; i < 16; ++i) {
        auto* cell = ColorGrid1->findChild<QPushButton*>(QStringLiteral("ColorGridCell") + QString::number(i));
        if (!cell) continue;
        cell->setStyleSheet(QStringLiteral("background-color: %1; border: %2")
                                .arg(qColour(standardColour(i)).name(),
                                     i == index ? QStringLiteral("2px solid #000000") : QStringLiteral("1px solid #808080")));
    }
}

int TFormOptions::colorGridIndex() const { return ColorGrid1->property("selectedIndex").toInt(); }

void TFormOptions::ColorGrid1Click(int index) {
    markColorGrid(index);
    if (!colourEdit_ || !colourEdit_->hasFocus()) return;
    Settings& s = panels_.settings();
    Colour c = standardColour(index);
    if (colourEdit_ == LabelSQLColor) s.sqlColor = c;
    else if (colourEdit_ == LabelSQLFuncColor) s.sqlFuncColor = c;
    else if (colourEdit_ == LabelPLSQLColor) s.plsqlColor = c;
    else if (colourEdit_ == LabelDigitsColor) s.digitColor = c;
    else s.strColor = c;
    showColours();
}

void TFormOptions::BFontClick() {
    bool ok = false;
    QFont f = QFontDialog::getFont(&ok, panels_.tree(Side::Left)->font(), this);
    if (!ok) return;
    panels_.settings().panelFont = fontSpecOf(f, panels_.settings().panelFont.colour);
    panels_.applyPanelFont();
}

void TFormOptions::BColorClick() {
    QColor c = QColorDialog::getColor(qColour(panels_.settings().panelsColor), this);
    if (!c.isValid()) return;
    panels_.settings().panelsColor = colourOf(c);
    panels_.applyPanelColour();
}

void TFormOptions::BSQLEditorFontClick() {
    bool ok = false;
    QFont f = QFontDialog::getFont(&ok, panels_.sqlEditorFontLabel()->font(), this);
    if (!ok) return;
    panels_.settings().sqlEditorFont = fontSpecOf(f, panels_.settings().sqlEditorFont.colour);
    panels_.applySqlEditorFont();
}

void TFormOptions::BSQLLoadDicClick() {
    panels_.form().loadKeywordDictionaries();
    const shell::Dictionaries& d = panels_.form().dictionaries();
    LabelSQLN->setText(QString::number(d.sqlKeywords.size()));
    LabelSQLFuncN->setText(QString::number(d.sqlFunctions.size()));
    LabelPLSQLN->setText(QString::number(d.otherKeywords.size()));
}

void TFormOptions::BSQLSaveDicClick() {
    const shell::Dictionaries& d = panels_.form().dictionaries();
    const std::vector<std::string>* lists[3] = {&d.sqlKeywords, &d.sqlFunctions, &d.otherKeywords};
    for (int i = 0; i < 3; ++i) {
        std::string path = fromQ(panels_.form().programDir()) + shell::kDictionaryFiles[i];
        std::ofstream out(path, std::ios::trunc);
        for (const auto& w : *lists[i]) out << w << "\n";
        out.flush();
        if (!out) {
            panels_.showError(toQ(shell::pick("Ошибка записи файла ", "Cannot write the file ") + path));
            return;
        }
    }
}

void TFormOptions::chooseHelpFile(int which) {
    QLineEdit* edits[5] = {ELocalSQLHelpFile, EInterBaseHelpFile, EOracleHelpFile, ESQLBaseHelpFile, EMSSQLHelpFile};
    QFileDialog d(this, QStringLiteral("Help files"), QString(), QStringLiteral("Help Files (*.HLP)"));
    d.setDefaultSuffix(QStringLiteral("HLP"));
    d.setFileMode(QFileDialog::ExistingFile);
    if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty()) return;
    QString path = d.selectedFiles().front();
    edits[which]->setText(path);
    shell::ShellSettings& sh = panels_.form().settings();
    std::string* keys[5] = {&sh.localSqlHelp, &sh.interbaseHelp, &sh.oracleHelp, &sh.sqlbaseHelp, &sh.mssqlHelp};
    *keys[which] = fromQ(path);
}

void TFormOptions::BExitClick() {
    std::uint32_t mask = 0;
    for (const auto& t : kTrace)
        if ((this->*t.member)->isChecked()) mask |= t.bit;
    engine::Session::defaultSession().setTraceMask(mask);
    Formats& f = programFormats();
    auto one = [](QLineEdit* e) { return e->text().isEmpty() ? std::string(" ") : fromQ(e->text().left(1)); };
    f.thousandSeparator = one(EThousandSeparator);
    f.decimalSeparator = one(EDecimalSeparator);
    f.dateSeparator = one(EDateSeparator);
    f.shortDateFormat = fromQ(EShortDateFormat->text());
    f.longDateFormat = fromQ(ELongDateFormat->text());
    f.timeSeparator = one(ETimeSeparator);
    f.timeAMString = fromQ(ETimeAMString->text());
    f.timePMString = fromQ(ETimePMString->text());
    f.shortTimeFormat = fromQ(EShortTimeFormat->text());
    f.longTimeFormat = fromQ(ELongTimeFormat->text());
    Settings& s = panels_.settings();
    s.formats = f;
    s.left.filter = fromQ(ELeftFilter->text());
    s.left.filterUser = fromQ(ELeftFilterUser->text());
    s.right.filter = fromQ(ERightFilter->text());
    s.right.filterUser = fromQ(ERightFilterUser->text());
    s.left.filterExcept = CBExceptLeft->isChecked();
    s.right.filterExcept = CBExceptRight->isChecked();
    s.doubletStoreProc = CBDoublet->isChecked();
    close();
}

void TFormOptions::takeOnClose() {
    Settings& s = panels_.settings();
    QString d = ESQLDelim->text();
    s.sqlDelimiter = d.isEmpty() ? std::string(";") : fromQ(d.left(1));
    s.searchFirstPos = CBSearchTable->isChecked();
    s.searchMatchCase = CBMatchCase->isChecked();
    s.left.filterOn = CBLeftFilter->isChecked();
    s.right.filterOn = CBRightFilter->isChecked();
    panels_.form().setChecked(sideCommands(Side::Left).setFilter, s.left.filterOn);
    panels_.form().setChecked(sideCommands(Side::Right).setFilter, s.right.filterOn);
    s.showDeleted = CBShowDeleted->isChecked();
    s.colorDeleted = CBColorDeleted->isChecked();
    s.shell.replaceAppropriate = CBReplAppropriate->isChecked();
    panels_.form().settings().replaceAppropriate = s.shell.replaceAppropriate;
    if (QAction* a = panels_.form().action(shell::cmd::NReplAppropriate)) a->setChecked(s.shell.replaceAppropriate);
    s.showIndexAsCreate = CBShowIndexesAsCreate->isChecked();
    s.showSystemIndex = CBShowSystemIndexes->isChecked();
    s.showTableComments = CBShowTableComment->isChecked();
    s.isSqlColor = CBSQLColor->isChecked();
}

void TFormOptions::closeEvent(QCloseEvent* event) {
    if (!closed_) {
        closed_ = true;
        takeOnClose();
        panels_.optionsClosed(filterSide_);
    }
    QDialog::closeEvent(event);
}

}  // namespace vlm::panels
