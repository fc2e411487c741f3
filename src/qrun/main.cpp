// Qrun: the query runner. Runs one SQL statement against an engine alias in a window of its
// own and ends when that window closes.
//   Qrun ALIAS USER PASSWORD STATEMENT      (an empty PASSWORD takes VLM_QRUN_PASSWORD)
// With VLM_QRUN_SNAPSHOT=FILE.png the program does its start-up, saves a picture of its window
// to FILE.png and what the window shows to FILE.png.txt, and ends (status 1 when an error was
// shown): for the documentation's pictures and for tests that start the program.
#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "qrun/formviews.h"
#include "qrun/qrunargs.h"
#include "qrun/qrunlaunch.h"
#include "qrun/snapshot.h"
#include "datawin/dbgrid.h"
#include "shell/endsignals.h"
#include "shell/language.h"

int main(int argc, char** argv) {
    vlm::shell::installEndSignals();
    // The arguments are taken before Qt sees any: Qt would read an argument such as
    // "-reverse" or "-style" as its own option and remove it from the statement.
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::optional<std::string> password;
    if (const char* p = std::getenv(vlm::qrun::kPasswordVariable)) password = p;
    unsetenv(vlm::qrun::kPasswordVariable);
    const vlm::qrun::QueryRunnerStart start = vlm::qrun::parseQueryRunnerArguments(args, password);
    if (start.alias.empty()) {
        std::fputs(vlm::qrun::queryRunnerUsage().c_str(), stderr);
        return 2;
    }

    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    QApplication::setApplicationName(QStringLiteral("Qrun"));
    // No application display name: Qt would append it to the window title under X11.
    vlm::shell::setLanguageSetting(1);   // the runner speaks Russian

    const char* snapshot = std::getenv("VLM_QRUN_SNAPSHOT");
    vlm::qrun::SnapshotLog log;
    QPointer<vlm::qrun::TFormViewS> window = new vlm::qrun::TFormViewS(start);
    if (snapshot && *snapshot) vlm::datawin::setWindowPrompts(window, &log);
    QObject::connect(window, &QObject::destroyed, &app, &QCoreApplication::quit);
    vlm::shell::watchEndSignals(&app, [&](int) {
        if (window) window->close();
        QCoreApplication::quit();
    });
    window->show();
    window->activateWindow();
    if (snapshot && *snapshot) {
        QTimer::singleShot(0, window, [&] {
            window->startUp();
            const bool ok = vlm::qrun::writeSnapshot(*window, QString::fromLocal8Bit(snapshot), log);
            QCoreApplication::exit(ok && log.errors.isEmpty() ? 0 : 1);
        });
    }
    const int status = app.exec();
    delete window;
    return status;
}
