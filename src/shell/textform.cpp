// TTextForm: layout, loading and saving, formatting, search, printing, clipboard and drops.
#include "shell/textform.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDialog>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontComboBox>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextList>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "shell/codepage.h"
#include "shell/errordisplay.h"
#include "shell/language.h"
#include "shell/qtext.h"
#include "shell/rtf.h"
#include "shell/rtfqt.h"
#include "shell/textruler.h"
#include "shell/windowsmenu.h"

namespace vlm::shell {
namespace {

const QString kFilter = QStringLiteral("Rich Text Files (*.RTF);;Text Files (*.TXT);;All Files (*.*)");
const char* const kDefaultExt[3] = {"RTF", "TXT", ""};

struct HintText { const char* name; const char* russian; const char* english; };
constexpr HintText kHints[] = {
    {"OpenButton", "Открыть| Открыть существующий файл", "Open|Open exist file"},
    {"SaveButton", "Сохранить|Сохранить текущий файл", "Save|Save current file"},
    {"PrintButton", "Печать|Печать текущего файла", "Print|Print current file"},
    {"UndoButton", "Откат|Отказаться от последних изменений", "Undo|Undo last change"},
    {"CutButton", "Вырезать|Удалить выделенный текст", "Cut|Delete selected text"},
    {"CopyButton", "Копировать|Копировать выделенный техт в буфер", "Copy|Copy selected text to clipboard"},
    {"PasteButton", "Вставить|Вставить содержимое буфера", "Past|Past from clipboard"},
    {"FontName", "Выбор шрифта|Выбор шрифта", "Select font|Select font"},
    {"FontSize", "Размер шрифта|Выбор размера шрифта", "Font Size|Font Size"},
    {"BoldButton", "Жирный шрифт", "Bold font"},
    {"ItalicButton", "Наклонный шрифт", "Italic font"},
    {"UnderlineButton", "Шрифт с подчеркиванием", "Underline font"},
    {"LeftAlign", "Выравнивание слева", "Align Left"},
    {"CenterAlign", "Выравнивание по центру", "Center"},
    {"RightAlign", "Выравнивание справа", "Align Right"},
    {"BulletsButton", "Bullets|Enter bullet mode", "Bullets|Enter bullet mode"},
    {"FindButton", "Поиск текста", "Find text"},
};

struct MenuText { const char* name; const char* russian; const char* english; };
constexpr MenuText kMenus[] = {
    {"FileMenu", "&Файл", "&File"},
    {"FileNewItem", "&Новый", "&New"},
    {"FileOpenItem", "&Открыть...", "&Open..."},
    {"FileSaveItem", "&Сохранить", "&Save"},
    {"FileSaveAsItem", "Сохранить &Как...", "Save &As..."},
    {"FilePrintItem", "&Печать", "&Print"},
    {"FilePrintOneFontItem", "Печать одним шрифтом", "Печать одним шрифтом"},
    {"FileExitItem", "Вы&xод", "E&xit"},
    {"EditMenu", "&Редактор", "&Edit"},
    {"EditUndoItem", "О&ткат", "U&ndo"},
    {"EditCutItem", "Выре&зать", "Cu&t"},
    {"EditCopyItem", "&Копировать", "&Copy"},
    {"EditPasteItem", "&Вставить", "Pa&ste"},
    {"EditFontItem", "&Шрифт...", "&Font..."},
    {"FindItem", "Поиск", "Find"},
};

const char* russianOf(const char* name) {
    for (const HintText& h : kHints)
        if (qstrcmp(h.name, name) == 0) return h.russian;
    for (const MenuText& m : kMenus)
        if (qstrcmp(m.name, name) == 0) return m.russian;
    return "";
}

}  // namespace

TTextForm::TTextForm(QWidget* parent, Role role) : QMainWindow(parent, Qt::Window), role_(role) {
    setObjectName(role == Role::SharedViewer ? QStringLiteral("TextForm") : QStringLiteral("RichTextForm"));
    if (role == Role::Editor) setAttribute(Qt::WA_DeleteOnClose);
    buildUi();
    setWindowTitle(toQ("Просмотр и редактирование текстов"));
    resize(640, 460);
}

void TTextForm::setHint(QWidget* w, const QString& hint) {
    const int bar = hint.indexOf(QLatin1Char('|'));
    w->setToolTip(bar < 0 ? hint : hint.left(bar));
    w->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
}

QToolButton* TTextForm::addButton(const char* name, const QString& text, const QString& hint) {
    auto* b = new QToolButton(this);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(text);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    setHint(b, hint);
    findChild<QToolBar*>(QStringLiteral("ToolBar"))->addWidget(b);
    return b;
}

void TTextForm::buildUi() {
    editor_ = new QTextEdit(this);
    editor_->setObjectName(QStringLiteral("Editor"));
    editor_->setLineWrapMode(QTextEdit::NoWrap);
    editor_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    editor_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    editor_->setAcceptRichText(true);
    QFont courier(QStringLiteral("Courier New Cyr"), 10);
    courier.setStyleHint(QFont::Monospace);
    courier.setFixedPitch(true);
    editor_->setFont(courier);
    editor_->document()->setDefaultFont(editor_->font());
    editor_->installEventFilter(this);
    editor_->viewport()->installEventFilter(this);
    editor_->setAcceptDrops(true);

    auto* tb = new QToolBar(this);
    tb->setObjectName(QStringLiteral("ToolBar"));
    tb->setMovable(false);
    tb->toggleViewAction()->setVisible(false);
    addToolBar(tb);
    auto ru = [](const char* n) { return toQ(russianOf(n)); };
    connect(addButton("OpenButton", QStringLiteral("Open"), ru("OpenButton")), &QToolButton::clicked, this, &TTextForm::FileOpen);
    connect(addButton("SaveButton", QStringLiteral("Save"), ru("SaveButton")), &QToolButton::clicked, this, &TTextForm::FileSave);
    connect(addButton("PrintButton", QStringLiteral("Print"), ru("PrintButton")), &QToolButton::clicked, this, &TTextForm::FilePrint);
    tb->addSeparator();
    QToolButton* undo = addButton("UndoButton", QStringLiteral("Undo"), ru("UndoButton"));
    QToolButton* cut = addButton("CutButton", QStringLiteral("Cut"), ru("CutButton"));
    QToolButton* copy = addButton("CopyButton", QStringLiteral("Copy"), ru("CopyButton"));
    QToolButton* paste = addButton("PasteButton", QStringLiteral("Paste"), ru("PasteButton"));
    connect(undo, &QToolButton::clicked, editor_, &QTextEdit::undo);
    connect(cut, &QToolButton::clicked, editor_, &QTextEdit::cut);
    connect(copy, &QToolButton::clicked, editor_, &QTextEdit::copy);
    connect(paste, &QToolButton::clicked, editor_, &QTextEdit::paste);
    undo->setEnabled(false);
    cut->setEnabled(false);
    copy->setEnabled(false);
    tb->addSeparator();
    fontName_ = new QFontComboBox(tb);
    fontName_->setObjectName(QStringLiteral("FontName"));
    fontName_->setEditable(false);
    setHint(fontName_, ru("FontName"));
    tb->addWidget(fontName_);
    fontSize_ = new QSpinBox(tb);
    fontSize_->setObjectName(QStringLiteral("FontSize"));
    fontSize_->setRange(1, 400);
    fontSize_->setValue(10);
    setHint(fontSize_, ru("FontSize"));
    tb->addWidget(fontSize_);
    tb->addSeparator();
    QToolButton* bold = addButton("BoldButton", QStringLiteral("B"), ru("BoldButton"));
    QToolButton* italic = addButton("ItalicButton", QStringLiteral("I"), ru("ItalicButton"));
    QToolButton* under = addButton("UnderlineButton", QStringLiteral("U"), ru("UnderlineButton"));
    for (QToolButton* b : {bold, italic, under}) b->setCheckable(true);
    QFont bf = bold->font();
    bf.setBold(true);
    bold->setFont(bf);
    tb->addSeparator();
    QToolButton* la = addButton("LeftAlign", QStringLiteral("L"), ru("LeftAlign"));
    QToolButton* ca = addButton("CenterAlign", QStringLiteral("C"), ru("CenterAlign"));
    QToolButton* ra = addButton("RightAlign", QStringLiteral("R"), ru("RightAlign"));
    for (QToolButton* b : {la, ca, ra}) {
        b->setCheckable(true);
        b->setAutoExclusive(true);
    }
    la->setChecked(true);
    tb->addSeparator();
    QToolButton* bullets = addButton("BulletsButton", QString(QChar(0x2022)), ru("BulletsButton"));
    bullets->setCheckable(true);
    QToolButton* find = addButton("FindButton", QStringLiteral("Find"), ru("FindButton"));
    connect(find, &QToolButton::clicked, this, &TTextForm::EditFind);

    auto charFmt = [this](auto setter) {
        if (updating_) return;
        QTextCharFormat f;
        setter(f);
        applyCharFormat(f);
    };
    connect(bold, &QToolButton::toggled, this,
            [=](bool on) { charFmt([on](QTextCharFormat& f) { f.setFontWeight(on ? QFont::Bold : QFont::Normal); }); });
    connect(italic, &QToolButton::toggled, this, [=](bool on) { charFmt([on](QTextCharFormat& f) { f.setFontItalic(on); }); });
    connect(under, &QToolButton::toggled, this, [=](bool on) { charFmt([on](QTextCharFormat& f) { f.setFontUnderline(on); }); });
    connect(fontName_, &QFontComboBox::currentFontChanged, this, [=](const QFont& font) {
        charFmt([&](QTextCharFormat& f) { f.setFontFamilies(QStringList{font.family()}); });
    });
    connect(fontSize_, &QSpinBox::valueChanged, this, [=](int v) { charFmt([v](QTextCharFormat& f) { f.setFontPointSize(v); }); });
    auto align = [this](Qt::Alignment a) {
        if (!updating_) editor_->setAlignment(a);
    };
    connect(la, &QToolButton::clicked, this, [=] { align(Qt::AlignLeft); });
    connect(ca, &QToolButton::clicked, this, [=] { align(Qt::AlignHCenter); });
    connect(ra, &QToolButton::clicked, this, [=] { align(Qt::AlignRight); });
    connect(bullets, &QToolButton::toggled, this, [this](bool on) {
        if (updating_) return;
        QTextCursor c = editor_->textCursor();
        if (on) {
            c.createList(QTextListFormat::ListDisc);
        } else if (QTextList* l = c.currentList()) {
            l->remove(c.block());
            QTextBlockFormat f = c.blockFormat();
            f.setIndent(0);
            c.setBlockFormat(f);
        }
    });

    ruler_ = new TRuler(editor_, this);
    auto* central = new QWidget(this);
    auto* col = new QVBoxLayout(central);
    col->setContentsMargins(0, 0, 0, 0);
    col->setSpacing(0);
    col->addWidget(ruler_);
    col->addWidget(editor_, 1);
    setCentralWidget(central);

    QStatusBar* sb = statusBar();
    sb->setObjectName(QStringLiteral("StatusBar"));
    const int widths[3] = {120, 60, 50};
    for (int i = 0; i < 3; ++i) {
        status_[i] = new QLabel(sb);
        status_[i]->setObjectName(QStringLiteral("StatusPanel") + QString::number(i));
        status_[i]->setFixedWidth(widths[i]);
        if (i == 1) status_[i]->setAlignment(Qt::AlignCenter);
        sb->addWidget(status_[i]);
    }

    // Menus.
    QMenuBar* mb = menuBar();
    auto item = [this, ru](QMenu* m, const char* name, const QKeySequence& key) {
        QAction* a = m->addAction(ru(name));
        a->setObjectName(QString::fromLatin1(name));
        if (!key.isEmpty()) a->setShortcut(key);
        return a;
    };
    QMenu* file = mb->addMenu(ru("FileMenu"));
    file->setObjectName(QStringLiteral("FileMenu"));
    connect(item(file, "FileNewItem", QKeySequence(Qt::CTRL | Qt::Key_N)), &QAction::triggered, this, &TTextForm::FileNew);
    connect(item(file, "FileOpenItem", QKeySequence(Qt::CTRL | Qt::Key_O)), &QAction::triggered, this, &TTextForm::FileOpen);
    connect(item(file, "FileSaveItem", QKeySequence(Qt::CTRL | Qt::Key_S)), &QAction::triggered, this, &TTextForm::FileSave);
    connect(item(file, "FileSaveAsItem", {}), &QAction::triggered, this, &TTextForm::FileSaveAs);
    connect(item(file, "FilePrintItem", QKeySequence(Qt::CTRL | Qt::Key_P)), &QAction::triggered, this, &TTextForm::FilePrint);
    connect(item(file, "FilePrintOneFontItem", {}), &QAction::triggered, this, &TTextForm::FilePrintOneFont);
    file->addSeparator();
    connect(item(file, "FileExitItem", QKeySequence(Qt::ALT | Qt::Key_X)), &QAction::triggered, this, &QWidget::close);
    QMenu* edit = mb->addMenu(ru("EditMenu"));
    edit->setObjectName(QStringLiteral("EditMenu"));
    QAction* eu = item(edit, "EditUndoItem", QKeySequence(Qt::CTRL | Qt::Key_Z));
    edit->addSeparator();
    QAction* ex = item(edit, "EditCutItem", QKeySequence(Qt::CTRL | Qt::Key_X));
    QAction* ec = item(edit, "EditCopyItem", QKeySequence(Qt::CTRL | Qt::Key_C));
    QAction* ep = item(edit, "EditPasteItem", QKeySequence(Qt::CTRL | Qt::Key_V));
    edit->addSeparator();
    QAction* ef = item(edit, "EditFontItem", {});
    connect(eu, &QAction::triggered, editor_, &QTextEdit::undo);
    connect(ex, &QAction::triggered, editor_, &QTextEdit::cut);
    connect(ec, &QAction::triggered, editor_, &QTextEdit::copy);
    connect(ep, &QAction::triggered, editor_, &QTextEdit::paste);
    for (QAction* a : {eu, ex, ec, ep}) a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    eu->setEnabled(false);
    ex->setEnabled(false);
    ec->setEnabled(false);
    connect(ef, &QAction::triggered, this, [this] {
        bool ok = false;
        QFont f = QFontDialog::getFont(&ok, editor_->currentFont(), this);
        if (!ok) return;
        QTextCharFormat fmt;
        fmt.setFont(f);
        applyCharFormat(fmt);
    });
    QAction* fi = mb->addAction(ru("FindItem"));
    fi->setObjectName(QStringLiteral("FindItem"));
    connect(fi, &QAction::triggered, this, &TTextForm::EditFind);

    // Edit states follow the editor and the clipboard.
    connect(editor_, &QTextEdit::undoAvailable, this, [undo, eu](bool on) {
        undo->setEnabled(on);
        eu->setEnabled(on);
    });
    connect(editor_, &QTextEdit::copyAvailable, this, [cut, copy, ex, ec](bool on) {
        for (QWidget* w : {static_cast<QWidget*>(cut), static_cast<QWidget*>(copy)}) w->setEnabled(on);
        ex->setEnabled(on);
        ec->setEnabled(on);
    });
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, &TTextForm::updatePaste);
    connect(editor_, &QTextEdit::cursorPositionChanged, this, &TTextForm::updateCaret);
    connect(editor_, &QTextEdit::currentCharFormatChanged, this, &TTextForm::selectionChanged);
    connect(editor_, &QTextEdit::cursorPositionChanged, this, &TTextForm::selectionChanged);
    connect(editor_->document(), &QTextDocument::modificationChanged, this, &TTextForm::updateModified);
    updatePaste();
    updateCaret();

    // The find dialog: find next, forward, case-sensitive; no options.
    findDialog_ = new QDialog(this);
    findDialog_->setObjectName(QStringLiteral("FindDialog1"));
    findDialog_->setWindowTitle(ru("FindItem"));
    findEdit_ = new QLineEdit(findDialog_);
    findEdit_->setObjectName(QStringLiteral("FindText"));
    auto* next = new QPushButton(toQ(pick("Найти далее", "Find Next")), findDialog_);
    next->setObjectName(QStringLiteral("FindNextButton"));
    next->setDefault(true);
    auto* row = new QHBoxLayout(findDialog_);
    row->addWidget(findEdit_, 1);
    row->addWidget(next);
    connect(next, &QPushButton::clicked, this, [this] { findNext(findEdit_->text()); });
}

void TTextForm::applyEnglishTexts() {
    for (const HintText& h : kHints)
        if (auto* w = findChild<QWidget*>(QString::fromLatin1(h.name))) setHint(w, toQ(h.english));
    for (const MenuText& m : kMenus) {
        const QString name = QString::fromLatin1(m.name);
        if (auto* menu = findChild<QMenu*>(name)) menu->setTitle(toQ(m.english));
        else if (auto* a = findChild<QAction*>(name)) a->setText(toQ(m.english));
    }
    if (fileToLoad_.isEmpty() && fileName_ == QLatin1String("Untitled")) setWindowTitle(QStringLiteral("Rich Editor"));
}

void TTextForm::prepare(const QString& fileToLoad, const QString& fontName, Qt::WindowStates state) {
    if (languageSetting() == 2) applyEnglishTexts();
    fileToLoad_ = fileToLoad;
    QFont f(fontName, editor_->font().pointSize());
    // "Courier New Cyr" is a fixed-pitch face: where it is not installed a fixed-pitch one
    // stands in, so that padded columns line up.
    if (fontName.startsWith(QLatin1String("Courier"), Qt::CaseInsensitive)) {
        f.setStyleHint(QFont::Monospace);
        f.setFixedPitch(true);
    }
    editor_->setFont(f);
    editor_->document()->setDefaultFont(f);
    setWindowState(state);
}

void TTextForm::setDocumentName(const QString& name) { setFileName(name); }

void TTextForm::setFileName(const QString& name) {
    fileName_ = name;
    setWindowTitle(toQ("Просмотр: ") + QFileInfo(name).fileName());
}

bool TTextForm::modified() const { return editor_->document()->isModified(); }

void TTextForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    updateCaret();
    updateModified();
    updatePaste();
    editor_->setFocus();
    if (!fileToLoad_.isEmpty()) {
        const QString f = fileToLoad_;
        fileToLoad_.clear();
        if (QFileInfo::exists(f)) loadFile(f, plainTextMode_);
    }
}

bool TTextForm::loadFile(const QString& path, bool plainText) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        showError(toQ(pick("Не удается открыть файл ", "Cannot open file ")) + path + QStringLiteral(": ") + f.errorString(), this);
        return false;
    }
    const QByteArray bytes = f.readAll();
    const std::string_view view(bytes.constData(), static_cast<size_t>(bytes.size()));
    updating_ = true;
    if (!plainText && looksLikeRtf(view)) {
        toQTextDocument(readRtf(view).doc, *editor_->document());
    } else {
        const std::string text = isValidUtf8(view) ? std::string(view) : codePageToUtf8(1251, view);
        editor_->setPlainText(toQ(text));
    }
    updating_ = false;
    setFileName(path);
    editor_->setFocus();
    editor_->document()->setModified(false);
    editor_->document()->clearUndoRedoStacks();
    selectionChanged();
    return true;
}

bool TTextForm::saveFile(const QString& path, bool rich) {
    QByteArray out;
    if (rich) out = QByteArray::fromStdString(writeRtf(fromQTextDocument(*editor_->document())));
    else out = editor_->toPlainText().toUtf8();
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(out) != out.size() || !f.flush()) {
        showError(toQ(pick("Ошибка записи файла ", "Error writing file ")) + path + QStringLiteral(": ") + f.errorString(), this);
        return false;
    }
    f.close();
    editor_->document()->setModified(false);
    return true;
}

bool TTextForm::querySave() {
    if (!modified()) return true;
    QMessageBox box(QMessageBox::Question, windowTitle(), toQ("Сохранить изменения в ") + fileName_ + QStringLiteral("?"),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, this);
    box.setObjectName(QStringLiteral("SaveChangesQuestion"));
    switch (box.exec()) {
        case QMessageBox::Yes: FileSave(); return !modified();
        case QMessageBox::No: return true;
        default: return false;
    }
}

void TTextForm::FileNew() {
    if (!querySave()) return;
    setFileName(QStringLiteral("Untitled"));
    editor_->clear();
    editor_->document()->setModified(false);
}

void TTextForm::FileOpen() {
    if (!querySave()) return;
    QFileDialog dlg(this);
    dlg.setObjectName(QStringLiteral("OpenDialog"));
    dlg.setNameFilter(kFilter);
    dlg.setDefaultSuffix(QStringLiteral("RTF"));
    dlg.setFileMode(QFileDialog::ExistingFile);
    connect(&dlg, &QFileDialog::filterSelected, &dlg, [&dlg](const QString& flt) {
        const int i = kFilter.split(QStringLiteral(";;")).indexOf(flt);
        dlg.setDefaultSuffix(toQ(kDefaultExt[std::max(0, i)]));
    });
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return;
    const int filter = kFilter.split(QStringLiteral(";;")).indexOf(dlg.selectedNameFilter()) + 1;
    if (loadFile(dlg.selectedFiles().first(), filter != 1)) editor_->setReadOnly(dlg.testOption(QFileDialog::ReadOnly));
}

void TTextForm::FileSave() {
    if (fileName_ == QLatin1String("Untitled")) {
        FileSaveAs();
        return;
    }
    saveFile(fileName_, saveFilter_ == 1);
}

void TTextForm::FileSaveAs() {
    QFileDialog dlg(this);
    dlg.setObjectName(QStringLiteral("SaveDialog"));
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setNameFilter(kFilter);
    dlg.setDefaultSuffix(QStringLiteral("RTF"));
    dlg.setOption(QFileDialog::DontConfirmOverwrite);
    dlg.selectFile(fileName_);
    connect(&dlg, &QFileDialog::filterSelected, &dlg, [&dlg](const QString& flt) {
        const int i = kFilter.split(QStringLiteral(";;")).indexOf(flt);
        dlg.setDefaultSuffix(toQ(kDefaultExt[std::max(0, i)]));
    });
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return;
    const QString path = dlg.selectedFiles().first();
    if (QFileInfo::exists(path)) {
        QMessageBox box(QMessageBox::Question, windowTitle(), toQ("Перезаписать ") + path,
                        QMessageBox::Yes | QMessageBox::No, this);
        box.setObjectName(QStringLiteral("OverwriteQuestion"));
        if (box.exec() != QMessageBox::Yes) return;
    }
    saveFilter_ = kFilter.split(QStringLiteral(";;")).indexOf(dlg.selectedNameFilter()) + 1;
    if (saveFile(path, saveFilter_ == 1)) setFileName(path);
}

void TTextForm::printTo(QPrinter& printer, bool oneFont) const {
    printer.setDocName(fileName_);
    if (!oneFont) {
        editor_->document()->print(&printer);
        return;
    }
    QTextDocument plain;
    plain.setDefaultFont(editor_->font());
    plain.setPlainText(editor_->toPlainText());
    plain.print(&printer);
}

void TTextForm::FilePrint() {
    QPrinter printer;
    QPrintDialog dlg(&printer, this);
    dlg.setObjectName(QStringLiteral("PrintDialog"));
    if (dlg.exec() == QDialog::Accepted) printTo(printer, false);
}

void TTextForm::FilePrintOneFont() {
    QPrinter printer;
    QPrintDialog dlg(&printer, this);
    dlg.setObjectName(QStringLiteral("PrintDialog"));
    if (dlg.exec() == QDialog::Accepted) printTo(printer, true);
}

void TTextForm::EditFind() {
    const QPoint at = editor_->mapToGlobal(QPoint(10, 10));
    findDialog_->move(at);
    findDialog_->show();
    findDialog_->raise();
    findEdit_->setFocus();
}

bool TTextForm::findNext(const QString& text) {
    if (text.isEmpty()) return false;
    const QTextCursor from = editor_->textCursor();
    QTextCursor hit = editor_->document()->find(text, from.selectionEnd(), QTextDocument::FindCaseSensitively);
    if (hit.isNull()) return false;
    editor_->setTextCursor(hit);
    editor_->setFocus();
    return true;
}

void TTextForm::applyCharFormat(const QTextCharFormat& fmt) {
    QTextCursor c = editor_->textCursor();
    if (c.hasSelection()) c.mergeCharFormat(fmt);
    editor_->mergeCurrentCharFormat(fmt);
}

void TTextForm::selectionChanged() {
    updating_ = true;
    const QTextCharFormat f = editor_->currentCharFormat();
    const QFont font = f.font();
    findChild<QToolButton*>(QStringLiteral("BoldButton"))->setChecked(f.fontWeight() >= QFont::Bold);
    findChild<QToolButton*>(QStringLiteral("ItalicButton"))->setChecked(f.fontItalic());
    findChild<QToolButton*>(QStringLiteral("UnderlineButton"))->setChecked(f.fontUnderline());
    const QStringList fam = f.fontFamilies().toStringList();
    fontName_->setCurrentFont(QFont(fam.isEmpty() ? editor_->font().family() : fam.first()));
    const double size = f.fontPointSize() > 0 ? f.fontPointSize() : editor_->font().pointSizeF();
    fontSize_->setValue(static_cast<int>(size + 0.5));
    const Qt::Alignment a = editor_->alignment();
    const char* alignName = (a & Qt::AlignHCenter) ? "CenterAlign" : (a & Qt::AlignRight) ? "RightAlign" : "LeftAlign";
    findChild<QToolButton*>(QString::fromLatin1(alignName))->setChecked(true);
    findChild<QToolButton*>(QStringLiteral("BulletsButton"))->setChecked(editor_->textCursor().currentList() != nullptr);
    ruler_->follow();
    updating_ = false;
}

void TTextForm::updateCaret() {
    const QTextCursor c = editor_->textCursor();
    status_[0]->setText(QString::asprintf("%s%3d   %s%3d", "\xD0\xA1\xD1\x82\xD1\x80: ", c.blockNumber() + 1,
                                          "\xD0\x9A\xD0\xBE\xD0\xBB: ", c.positionInBlock() + 1));
}

void TTextForm::updateModified() { status_[1]->setText(modified() ? toQ("Изменен") : QString()); }

void TTextForm::updatePaste() {
    const bool can = editor_->canPaste();
    if (auto* b = findChild<QToolButton*>(QStringLiteral("PasteButton"))) b->setEnabled(can);
    if (auto* a = findChild<QAction*>(QStringLiteral("EditPasteItem"))) a->setEnabled(can);
}

bool TTextForm::eventFilter(QObject* watched, QEvent* event) {
    // Files dropped on the editor go to the window, not into the text.
    if (watched == editor_->viewport() || watched == editor_) {
        if (event->type() == QEvent::DragEnter) {
            auto* e = static_cast<QDragEnterEvent*>(event);
            if (e->mimeData()->hasUrls()) {
                e->acceptProposedAction();
                return true;
            }
        } else if (event->type() == QEvent::Drop) {
            auto* e = static_cast<QDropEvent*>(event);
            const auto urls = e->mimeData()->urls();
            if (!urls.isEmpty() && urls.first().isLocalFile()) {
                e->acceptProposedAction();
                if (querySave()) loadFile(urls.first().toLocalFile(), plainTextMode_);
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TTextForm::closeEvent(QCloseEvent* event) {
    if (!querySave()) {
        event->ignore();
        return;
    }
    findDialog_->hide();
    if (TWindowsMenu* wm = windowsMenu()) {
        if (wm->slotWindow(WindowSlot::TextViewer) == this) wm->resetSlot(WindowSlot::TextViewer);
        wm->removeWindowEntry(this);
    }
    if (role_ == Role::SharedViewer) {
        event->ignore();
        hide();
        return;
    }
    event->accept();
}

}  // namespace vlm::shell
