// Writes PNGs of the main window (designed, Russian, English) and of the text window into the
// directory given, for review: ninja shell_screenshots.
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QTextCursor>
#include <QTextEdit>
#include <QTextList>
#include <QTreeWidget>
#include <cstdio>

#include "shell/formmain.h"
#include "shell/language.h"
#include "shell/progressdialog.h"
#include "shell/textform.h"

using namespace vlm::shell;

namespace {
void sampleRows(TForm1& f) {
    const char* left[] = {"CLIENTS.DB", "INVOICES.DBF", "STOCK.DB", "WAREHOUS.DBF", "SUPPLIER.DB"};
    const char* right[] = {"SYSDBA.STAFF", "SYSDBA.BRANCH", "SYSDBA.TASKS", "SYSDBA.RECEIPTS"};
    f.listBox(Side::Left)->setColumnCount(1);
    f.listBox(Side::Left)->setHeaderLabels({QStringLiteral("Table name")});
    for (const char* n : left) f.listBox(Side::Left)->addTopLevelItem(new QTreeWidgetItem({QString::fromLatin1(n)}));
    f.listBox(Side::Right)->setColumnCount(1);
    f.listBox(Side::Right)->setHeaderLabels({QStringLiteral("Table / View name")});
    for (const char* n : right) f.listBox(Side::Right)->addTopLevelItem(new QTreeWidgetItem({QString::fromLatin1(n)}));
    f.panelTitle(Side::Left)->setText(QStringLiteral("VLMDEMO : "));
    f.panelTitle(Side::Right)->setText(QStringLiteral("FBDEMO : SYSDBA"));
    f.statusPanel(0)->setText(QStringLiteral("5"));
    f.statusPanel(2)->setText(QStringLiteral("1"));
}

bool save(QWidget& w, const QString& path) {
    w.repaint();
    QCoreApplication::processEvents();
    const bool ok = w.grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
    return ok;
}
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
    QDir().mkpath(out);
    const QString programDir = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    bool ok = true;
    {
        TForm1 form(programDir);
        form.resize(800, 520);
        sampleRows(form);
        form.show();
        ok &= save(form, out + QStringLiteral("/main-designed.png"));
        form.NRussianLangClick();
        ok &= save(form, out + QStringLiteral("/main-russian.png"));
        form.NEnglishLangClick();
        ok &= save(form, out + QStringLiteral("/main-english.png"));
        form.menu(QStringLiteral("NOptions"))->popup(form.mapToGlobal(QPoint(200, 30)));
        QCoreApplication::processEvents();
        ok &= save(*form.menu(QStringLiteral("NOptions")), out + QStringLiteral("/menu-options-english.png"));
        form.menu(QStringLiteral("NOptions"))->hide();

        setLanguageSetting(1);
        TTextForm* text = form.newRichTextEditor();
        text->resize(700, 420);
        QTextEdit* ed = text->editor();
        QTextCursor c(ed->document());
        QTextCharFormat title;
        title.setFontPointSize(16);
        title.setFontWeight(QFont::Bold);
        title.setForeground(QColor(0, 0, 160));
        QTextBlockFormat centre;
        centre.setAlignment(Qt::AlignHCenter);
        c.setBlockFormat(centre);
        c.insertText(QStringLiteral("Отчёт по таблице CLIENTS.DB"), title);
        c.insertBlock(QTextBlockFormat(), QTextCharFormat());
        c.insertText(QStringLiteral("CUSTNO  NAME                    CITY\n1001    Volga Tackle Works      Samara     "));
        c.insertBlock(QTextBlockFormat(), QTextCharFormat());
        c.createList(QTextListFormat::ListDisc);
        QTextCharFormat it;
        it.setFontItalic(true);
        c.insertText(QStringLiteral("курсив"), it);
        c.insertBlock();
        QTextCharFormat st;
        st.setFontStrikeOut(true);
        c.insertText(QStringLiteral("зачёркнутый"), st);
        ok &= save(*text, out + QStringLiteral("/text-window.png"));
        text->editor()->document()->setModified(false);

        // The progress dialog of long work, half way.
        setLanguageSetting(2);
        TProgressDialog progress(QStringLiteral("Pack Table CLIENTS.DBF"), &form);
        progress.run([&](vlm::engine::Progress& p) {
            p.step(50, 100);
            ok &= save(progress, out + QStringLiteral("/progress-dialog.png"));
        });
    }
    return ok ? 0 : 1;
}
