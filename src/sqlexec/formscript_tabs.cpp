// The script window's editor side: tabs, files, colouring, search and replace, templates,
// printing, the font, context help and the menus (see formscript.h).
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QFontDialog>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSaveFile>
#include <QShortcut>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolBar>

#include "engine/query.h"
#include "engine/table.h"
#include "panels/panelcontroller.h"
#include "panels/qtsettings.h"
#include "shell/codepage.h"
#include "shell/formmain.h"
#include "shell/helpviewer.h"
#include "shell/language.h"
#include "shell/qtext.h"
#include "shell/rtf.h"
#include "shell/rtfqt.h"
#include "shell/shelllogic.h"
#include "sqlexec/formscript.h"
#include "sqlexec/sqlhighlighter.h"

namespace vlm::sqlexec {

using shell::fromQ;
using shell::pick;
using shell::toQ;

namespace {
QString pickQ(const char* ru, const char* en) { return toQ(pick(ru, en)); }
const char* kFileProperty = "vlmFileName";   // the tab's file; empty for a new tab
const char* kReadOnlyProperty = "vlmNotUtf8";
}  // namespace

QPlainTextEdit* TFormScript::currentEditor() const {
    return qobject_cast<QPlainTextEdit*>(PageControl1->currentWidget());
}

TSqlHighlighter* TFormScript::highlighter(QPlainTextEdit* editor) const {
    return editor ? editor->findChild<TSqlHighlighter*>() : nullptr;
}

QPlainTextEdit* TFormScript::newTab(const QString& caption) {
    auto* e = new QPlainTextEdit(PageControl1);
    e->setObjectName(QStringLiteral("Memo1"));
    e->setLineWrapMode(QPlainTextEdit::NoWrap);
    e->setFont(panels::qFont(panels_.settings().sqlEditorFont));
    e->setContextMenuPolicy(Qt::CustomContextMenu);
    const panels::Settings& s = panels_.settings();
    if (s.isSqlColor) {
        auto* h = new TSqlHighlighter(e, lists_.get(),
                                      {panels::qColour(s.sqlColor), panels::qColour(s.sqlFuncColor),
                                       panels::qColour(s.plsqlColor), panels::qColour(s.digitColor),
                                       panels::qColour(s.strColor)});
        h->setParent(e);
    }
    connect(e, &QPlainTextEdit::cursorPositionChanged, this, [this] { updateCaret(); });
    connect(e, &QPlainTextEdit::modificationChanged, this, [this] { updateModified(); });
    connect(e, &QPlainTextEdit::customContextMenuRequested, this, [this, e](const QPoint& at) {
        QMenu menu(e);
        const char* items[] = {"Create", "Update", "Select * From", "Select", "Insert", "Delete", "Create Index",
                               "Alter Table", "Create View", "Start transaction", "Commit", "Rollback"};
        for (int tag = 1; tag <= 12; ++tag)
            menu.addAction(QString::fromLatin1(items[tag - 1]), this, [this, tag] { templateClick(tag); });
        menu.exec(e->mapToGlobal(at));
    });
    const QString name = caption.isEmpty() ? QStringLiteral("SQL_%1.SQL").arg(PageControl1->count() + 1) : caption;
    PageControl1->addTab(e, name);
    PageControl1->setCurrentWidget(e);
    e->setFocus();
    updateCaret();
    return e;
}

bool TFormScript::openFile(const QString& fileName) {
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly)) {
        panels_.showError(toQ(pick("Не могу открыть файл ", "Cannot open file ")) + fileName + QStringLiteral(": ") +
                          f.errorString());
        return false;
    }
    const QByteArray bytes = f.readAll();
    const std::string raw(bytes.constData(), std::size_t(bytes.size()));
    QString text;
    bool notUtf8 = false;
    if (isRichTextFile(fromQ(fileName))) {
        QTextDocument doc;
        shell::toQTextDocument(shell::readRtf(raw).doc, doc);
        text = doc.toPlainText();
    } else if (raw.find('\0') == std::string::npos && shell::isValidUtf8(raw)) {
        text = QString::fromUtf8(bytes);
    } else {
        // Shown as Windows-1251 text, read-only: saving it back would change its bytes.
        notUtf8 = true;
        std::string shown = raw;
        for (char& c : shown)
            if (c == '\0') c = ' ';
        text = toQ(shell::codePageToUtf8(1251, shown));
    }
    QPlainTextEdit* e = newTab(fileName);
    e->setProperty(kFileProperty, fileName);
    QSignalBlocker block(e);
    e->setPlainText(text);
    e->document()->setModified(false);
    if (notUtf8) {
        e->setReadOnly(true);
        e->setProperty(kReadOnlyProperty, true);
        panels_.showMessage(fileName +
                            pickQ(": файл не в кодировке UTF-8 (двоичный или другая кодировка); показан только для чтения.",
                                  ": the file is not UTF-8 text (binary or another encoding); shown read-only."));
    }
    if (TSqlHighlighter* h = highlighter(e)) h->colourVisible();
    updateModified();
    updateCaret();
    return true;
}

bool TFormScript::writeFile(QPlainTextEdit* e, const QString& fileName) {
    if (e->property(kReadOnlyProperty).toBool()) {
        panels_.showMessage(pickQ("Файл не в кодировке UTF-8: не сохранен.", "The file is not UTF-8 text: not saved."));
        return false;
    }
    std::string bytes;
    if (isRichTextFile(fromQ(fileName))) {
        QTextDocument doc;
        doc.setPlainText(e->toPlainText());
        doc.setDefaultFont(e->font());
        bytes = shell::writeRtf(shell::fromQTextDocument(doc));
    } else {
        bytes = e->toPlainText().toStdString();
    }
    // Written beside the file and put in place at the end: a failure leaves the old file whole.
    QSaveFile f(fileName);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()) ||
        !f.commit()) {
        panels_.showError(toQ(pick("Не могу сохранить файл ", "Cannot save file ")) + fileName + QStringLiteral(": ") +
                          f.errorString());
        return false;
    }
    e->document()->setModified(false);
    e->setProperty(kFileProperty, fileName);
    PageControl1->setTabText(PageControl1->indexOf(e), fileName);
    updateModified();
    return true;
}

bool TFormScript::saveAs() {
    QPlainTextEdit* e = currentEditor();
    if (!e) return false;
    const QString name = chooseSaveFile(e->property(kFileProperty).toString());
    if (name.isEmpty()) return false;
    if (name.trimmed().isEmpty()) {
        panels_.showMessage(pickQ("Не задано имя файла!", "File Name Nit Found!"));
        return false;
    }
    return writeFile(e, name);
}

bool TFormScript::save() {
    QPlainTextEdit* e = currentEditor();
    if (!e) return false;
    const QString name = e->property(kFileProperty).toString();
    // A new tab has no file yet: its name is asked for (with the overwrite question).
    return name.isEmpty() ? saveAs() : writeFile(e, name);
}

bool TFormScript::closeTab() {
    QPlainTextEdit* e = currentEditor();
    if (!e) return false;
    if (e->document()->isModified()) {
        const int answer = askSaveChanges();
        if (answer == 0) return false;
        if (answer == 2 && !saveAs()) return false;   // not saved: the tab and its text stay
    }
    PageControl1->removeTab(PageControl1->indexOf(e));
    e->deleteLater();
    if (PageControl1->count() > 0) PageControl1->setCurrentIndex(0);
    updateModified();
    return true;
}

void TFormScript::updateCaret() {
    QPlainTextEdit* e = currentEditor();
    if (!e) return;
    const QTextCursor c = e->textCursor();
    StatusBar1[0]->setText(QString::asprintf("Стр: %3d   Кол: %3d", c.blockNumber() + 1, c.positionInBlock() + 1));
}

void TFormScript::updateModified() {
    QPlainTextEdit* e = currentEditor();
    StatusBar1[1]->setText(e && e->document()->isModified() ? pickQ("Изменено", "Modified") : QString());
}

void TFormScript::templateClick(int tag) {
    QPlainTextEdit* e = currentEditor();
    if (!e) return;
    std::vector<std::string> fields;
    if (templateNeedsFields(tag)) {
        // The fields of the table the window was opened on, from the window's own database
        // (the other panel may be the active one by now).
        if (!ensureOpen()) return;
        try {
            engine::Table table;
            table.setDatabase(&db_);
            table.setTableName(currentTable_);
            for (const engine::FieldDef& f : table.fieldDefs()) fields.push_back(f.name);
        } catch (const std::exception& err) {
            panels_.showError(err);
            return;
        }
    }
    for (const std::string& line : templateLines(tag, currentTable_, fields)) e->appendPlainText(toQ(line));
}

void TFormScript::findNext(const QString& text) {
    QPlainTextEdit* e = currentEditor();
    if (!e || text.isEmpty()) return;
    if (!e->find(text)) {
        // No further match: nothing selected, the next search starts from the top.
        QTextCursor c = e->textCursor();
        c.movePosition(QTextCursor::Start);
        e->setTextCursor(c);
    }
}

void TFormScript::replaceAll(const QString& text, const QString& by) {
    QPlainTextEdit* e = currentEditor();
    if (!e || text.isEmpty()) return;
    // One pass over the text: a replacement that holds the find text is not searched again.
    QString all = e->toPlainText();
    all.replace(text, by, Qt::CaseInsensitive);
    QTextCursor c(e->document());
    c.select(QTextCursor::Document);
    c.insertText(all);
}

void TFormScript::repaintColours() {
    for (int i = 0; i < PageControl1->count(); ++i)
        if (auto* e = qobject_cast<QPlainTextEdit*>(PageControl1->widget(i)))
            if (TSqlHighlighter* h = highlighter(e)) h->colourVisible();
}

void TFormScript::contextHelp() {
    shell::TForm1& form = panels_.form();
    QPlainTextEdit* e = currentEditor();
    if (!e) return form.showHelpContents();
    const shell::ShellSettings& s = form.settings();
    std::string file;
    switch (panels::serverKindOfDriver(db_.driverName())) {
    case panels::ServerKind::ORACLE: file = s.oracleHelp; break;
    case panels::ServerKind::SQLBASE: file = s.sqlbaseHelp; break;
    case panels::ServerKind::INTERBASE: file = s.interbaseHelp; break;
    case panels::ServerKind::MSSQL: file = s.mssqlHelp; break;
    default: file = s.localSqlHelp; break;
    }
    const QString text = e->toPlainText();
    const QTextCursor c = e->textCursor();
    const std::u32string word = helpWord(text.toStdU32String(), std::size_t(text.left(c.position()).toStdU32String().size()),
                                         c.selectedText().toStdU32String());
    form.showReferenceHelp(shell::resolveHelpFile(file, fromQ(form.programDir())));
    if (shell::THelpForm* h = form.helpForm(); h && !word.empty())
        h->browser()->find(QString::fromStdU32String(word).toUpper());
}

void TFormScript::buildMenus() {
    QMenu* file = menuBar()->addMenu(pickQ("Файл", "File"));
    file->addAction(pickQ("Новый", "New"), this, [this] { newTab(); });
    file->addAction(pickQ("Открыть", "Open"), this, [this] {
        const QString f = chooseOpenFile();
        if (!f.isEmpty()) openFile(f);
    });
    file->addAction(pickQ("Сохранить", "Save"), this, [this] { save(); });
    file->addAction(pickQ("Сохранить как...", "Save As ..."), this, [this] { saveAs(); });
    file->addAction(pickQ("Закрыть", "Close"), this, [this] { closeTab(); });
    file->addAction(pickQ("Печать", "Print"), this, [this] {
        QPlainTextEdit* e = currentEditor();
        if (!e) return;
        QPrinter printer;
        printer.setDocName(PageControl1->tabText(PageControl1->currentIndex()));
        QPrintDialog dlg(&printer, this);
        if (dlg.exec() == QDialog::Accepted) e->document()->print(&printer);
    });
    file->addAction(pickQ("Поиск и замена", "Search&&Replace"), this, [this] {
        QDialog dlg(this);
        dlg.setWindowTitle(pickQ("Поиск и замена", "Search And Replace"));
        auto* form = new QFormLayout(&dlg);
        auto* what = new QLineEdit(&dlg);
        auto* with = new QLineEdit(&dlg);
        form->addRow(pickQ("Найти:", "Find:"), what);
        form->addRow(pickQ("Заменить на:", "Replace with:"), with);
        auto* box = new QDialogButtonBox(&dlg);
        QPushButton* find = box->addButton(pickQ("Найти", "Find"), QDialogButtonBox::ActionRole);
        QPushButton* all = box->addButton(pickQ("Заменить все", "Replace All"), QDialogButtonBox::ActionRole);
        box->addButton(QDialogButtonBox::Close);
        connect(find, &QPushButton::clicked, this, [this, what] { findNext(what->text()); });
        connect(all, &QPushButton::clicked, this, [this, what, with] { replaceAll(what->text(), with->text()); });
        connect(box, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
        form->addRow(box);
        dlg.exec();
    });
    file->addSeparator();
    file->addAction(pickQ("Выход", "Exit"), this, &QWidget::close);

    QMenu* sql = menuBar()->addMenu(QStringLiteral("SQL"));
    sql->addAction(pickQ("Выполнить запрос", "Execute F2"), this, [this] { BOpenQueryClick(); });
    sql->addAction(pickQ("Выполнить и сохранить как текст", "Execute And Result To Text"), this, [this] { BTextFileClick(); });
    sql->addAction(pickQ("Выполнить и сохранить в Excel", "Execute And Result To Escel"), this, [this] { BExcelClick(); });
    sql->addAction(pickQ("Выполнить скрипт", "Execute Script"), this, [this] { BMultiQueryClick(); });

    QMenu* options = menuBar()->addMenu(pickQ("Параметры", "Options"));
    NToolBar = options->addAction(pickQ("Панель инструментов", "ToolBar"));
    NToolBar->setCheckable(true);
    NToolBar->setChecked(true);
    connect(NToolBar, &QAction::toggled, ToolBar1, &QWidget::setVisible);
    options->addAction(pickQ("Цвет операторов SQL", "Repaint SQL Color"), this, [this] { repaintColours(); });
    options->addAction(pickQ("Шрифт", "Font"), this, [this] {
        bool ok = false;
        const QFont f = QFontDialog::getFont(&ok, panels::qFont(panels_.settings().sqlEditorFont), this);
        if (!ok) return;
        panels_.settings().sqlEditorFont = panels::fontSpecOf(f, panels_.settings().sqlEditorFont.colour);
        panels_.applySqlEditorFont();
        for (int i = 0; i < PageControl1->count(); ++i) PageControl1->widget(i)->setFont(f);
    });

    QMenu* help = menuBar()->addMenu(pickQ("Помощь", "Help"));
    shell::TForm1& form = panels_.form();
    help->addAction(pickQ("Коммандер", "Commander"), &form, &shell::TForm1::showHelpContents);
    const shell::ShellSettings& s = form.settings();
    const std::pair<const char*, std::string> refs[] = {
        {"Oracle 7 SQL Reference", s.oracleHelp},     {"Local BDE SQL", s.localSqlHelp},
        {"InterBase SQL Reference", s.interbaseHelp}, {"Gupta SQLBase Reference", s.sqlbaseHelp},
        {"MSSQL Reference", s.mssqlHelp}};
    for (const auto& [caption, fileName] : refs) {
        const std::string f = fileName;
        help->addAction(QString::fromLatin1(caption), this, [this, f] {
            panels_.form().showReferenceHelp(shell::resolveHelpFile(f, fromQ(panels_.form().programDir())));
        });
    }

    auto key = [this](QKeySequence k, std::function<void()> f) {
        auto* sc = new QShortcut(k, this);
        sc->setContext(Qt::WindowShortcut);
        connect(sc, &QShortcut::activated, this, [f] { f(); });
    };
    key(Qt::Key_F2, [this] { BOpenQueryClick(); });
    key(Qt::Key_F1, [this] { contextHelp(); });
    key(Qt::Key_Escape, [this] { BCancelClick(); });
}

}  // namespace vlm::sqlexec
