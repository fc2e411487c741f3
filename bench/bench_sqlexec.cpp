// The script window's editor benchmark (run by bench/run-sql.sh), offscreen:
//   bench_sqlexec gen FILE [LINES]     writes an SQL script of LINES (200,000) INSERT lines (~10 MB)
//   bench_sqlexec open FILE            opens FILE as an editor tab does (read, UTF-8 check, text,
//                                      colouring of what is on screen) until it is painted, then
//                                      times keystrokes typed at its end, each until repainted
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <cstdio>
#include <fstream>
#include <string>

#include "shell/codepage.h"
#include "sqlexec/sqlhighlighter.h"

int main(int argc, char** argv) {
    if (argc >= 3 && std::string(argv[1]) == "gen") {
        const long lines = argc > 3 ? std::atol(argv[3]) : 200000;
        std::ofstream out(argv[2], std::ios::binary);
        for (long i = 0; i < lines; ++i)
            out << "insert into ORDERS (ID, NAME, PRICE) values (" << i << ", 'customer " << i % 997 << "', "
                << (i % 10000) / 100.0 << ");\n";
        return 0;
    }
    if (argc < 3 || std::string(argv[1]) != "open") {
        std::fprintf(stderr, "usage: bench_sqlexec gen FILE [LINES] | open FILE\n");
        return 2;
    }
    QApplication app(argc, argv);
    QPlainTextEdit editor;
    editor.setLineWrapMode(QPlainTextEdit::NoWrap);
    editor.resize(1000, 700);
    editor.show();
    app.processEvents();
    const vlm::sqlexec::WordLists lists({"INSERT", "INTO", "VALUES", "SELECT", "FROM"}, {"COUNT", "MAX"}, {"BEGIN"});

    QElapsedTimer t;
    t.start();
    QFile f(QString::fromLocal8Bit(argv[2]));
    if (!f.open(QIODevice::ReadOnly)) return 1;
    const QByteArray bytes = f.readAll();
    if (!vlm::shell::isValidUtf8(std::string_view(bytes.constData(), std::size_t(bytes.size())))) return 1;
    auto* h = new vlm::sqlexec::TSqlHighlighter(&editor, &lists,
                                                {Qt::blue, QColor(0, 128, 0), Qt::green, Qt::red, QColor(0, 0, 128)});
    editor.setPlainText(QString::fromUtf8(bytes));
    h->colourVisible();
    editor.viewport()->repaint();
    app.processEvents();
    const double openMs = double(t.nsecsElapsed()) / 1e6;
    std::printf("open: %.1f ms (%lld bytes, %d lines, %d blocks coloured)\n", openMs, (long long)bytes.size(),
                editor.document()->blockCount(), h->colouredBlocks());

    editor.moveCursor(QTextCursor::End);
    editor.ensureCursorVisible();
    app.processEvents();
    const int keys = 50;
    double total = 0, worst = 0;
    for (int i = 0; i < keys; ++i) {
        QElapsedTimer k;
        k.start();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QApplication::sendEvent(&editor, &press);
        editor.viewport()->repaint();
        app.processEvents();
        const double ms = double(k.nsecsElapsed()) / 1e6;
        total += ms;
        if (ms > worst) worst = ms;
    }
    std::printf("keystroke: %.2f ms average, %.2f ms worst of %d at the end\n", total / keys, worst, keys);
    return 0;
}
