// Vlm32: program start. Splash window by "SHOWSTARTFORM", the main window (which runs its
// start-up), the shared text window, then the message loop.
#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QSessionManager>

#include "shell/endsignals.h"
#include "shell/formmain.h"
#include "shell/pictures.h"
#include "shell/shelllogic.h"
#include "shell/startform.h"
#include "shell/textform.h"

#include <QEvent>
#include <QPointer>

#ifdef VLM_HAVE_DATAWIN
#include "datawin/commands.h"
#endif
#if defined(VLM_HAVE_PANELS) && __has_include("panels/shellhooks.h")
#include "panels/shellhooks.h"
#define VLM_PANEL_HOOKS 1
#endif
#ifdef VLM_HAVE_OBJLISTS
#include "objlists/commands.h"
#endif
#ifdef VLM_HAVE_SERVEROBJ
#include "serverobj/commands.h"
#endif
#ifdef VLM_HAVE_TABLEINFO
#include "tableinfo/commands.h"
#endif
#ifdef VLM_HAVE_COPY
#include "copy/commands.h"
#endif
#ifdef VLM_HAVE_TRANSFER
#include "transfer/commands.h"
#endif
#ifdef VLM_HAVE_ADMIN
#include "admin/commands.h"
#endif
#ifdef VLM_HAVE_SCHEMA
#include "schema/commands.h"
#endif
#ifdef VLM_HAVE_SQLTRACE
#include "sqltrace/commands.h"
#endif
#ifdef VLM_HAVE_SQLEXEC
#include "sqlexec/commands.h"
#endif

namespace {
// --bench-startup: the program ends right after the main window's first paint (used by the
// start-up benchmark, tests/shell/bench/startup.sh).
class FirstPaintQuit : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !done_) {
            done_ = true;
            QMetaObject::invokeMethod(qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }
private:
    bool done_ = false;
};
}  // namespace

int main(int argc, char** argv) {
    // Before any database client library loads: one that installs its own handlers later
    // passes these signals on to ours.
    vlm::shell::installEndSignals();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vlm32"));
    // No application display name: Qt would append it to every window title under X11, and
    // the captions are the program's own texts.
    QApplication::setWindowIcon(vlm::shell::programIcon());
    QApplication::setQuitOnLastWindowClosed(false);

    QString programDir = QDir::cleanPath(QCoreApplication::applicationDirPath()) + QLatin1Char('/');
    // The windows' commands: F2, F3, F4, Alt+F8 and the rest, on the main window's ids.
#ifdef VLM_HAVE_OBJLISTS
    vlm::shell::TForm1::addCommandProvider(&vlm::objlists::registerCommands);
#endif
#ifdef VLM_HAVE_SERVEROBJ
    vlm::shell::TForm1::addCommandProvider(&vlm::serverobj::registerCommands);
#endif
#ifdef VLM_HAVE_TABLEINFO
    vlm::shell::TForm1::addCommandProvider(&vlm::tableinfo::registerCommands);
#endif
#ifdef VLM_HAVE_DATAWIN
    vlm::shell::TForm1::addCommandProvider(&vlm::datawin::registerCommands);
#endif
#ifdef VLM_HAVE_COPY
    vlm::shell::TForm1::addCommandProvider(&vlm::copy::registerCommands);
#endif
#ifdef VLM_HAVE_TRANSFER
    vlm::shell::TForm1::addCommandProvider(&vlm::transfer::registerCommands);
#endif
#ifdef VLM_HAVE_ADMIN
    vlm::shell::TForm1::addCommandProvider(&vlm::admin::registerCommands);
#endif
#ifdef VLM_HAVE_SCHEMA
    vlm::shell::TForm1::addCommandProvider(&vlm::schema::registerCommands);
#endif
#ifdef VLM_HAVE_SQLTRACE
    vlm::shell::TForm1::addCommandProvider(&vlm::sqltrace::registerCommands);
#endif
#ifdef VLM_HAVE_SQLEXEC
    vlm::shell::TForm1::addCommandProvider(&vlm::sqlexec::registerCommands);
#endif
#ifdef VLM_PANEL_HOOKS
    std::shared_ptr<vlm::shell::ShellHooks> hooks = vlm::panels::makeShellHooks();
#else
    auto hooks = std::make_shared<vlm::shell::ShellHooks>();
#endif

    vlm::shell::TStartForm* splash = nullptr;
    const std::string where = hooks->readShowStartForm(programDir.toStdString());
    const QRect screen = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->geometry() : QRect(0, 0, 1024, 768);
    const vlm::shell::SplashPlacement place = vlm::shell::splashPlacement(where, screen.width(), screen.height(), 332, 214);
    if (place.show) {
        splash = new vlm::shell::TStartForm(programDir);
        splash->move(screen.left() + place.left, screen.top() + place.top);
        splash->show();
        splash->repaint();
        QCoreApplication::processEvents();
    }

    // SIGTERM, SIGINT and SIGHUP end the program as a session end does. A signal that comes
    // while the main window is still starting up ends it once the start-up is done.
    QPointer<vlm::shell::TForm1> form;
    bool endRequested = false;
    vlm::shell::watchEndSignals(&app, [&form, &endRequested](int) {
        endRequested = true;
        if (form) {
            form->endSession();
            return;
        }
        vlm::shell::rejectModalDialogs();   // a start-up dialog must not hold the end up
    });

    auto* built = new vlm::shell::TForm1(programDir, hooks, splash);
    // The panels' start-up may have loaded a client library that took the signals over.
    vlm::shell::installEndSignals();
    built->setAttribute(Qt::WA_DeleteOnClose);
    form = built;
    QObject::connect(built, &vlm::shell::TForm1::mainWindowClosed, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    QObject::connect(&app, &QGuiApplication::commitDataRequest, built, [built](QSessionManager& manager) {
        if (!manager.allowsInteraction() || !built->queryEndSession()) manager.cancel();
        else manager.release();
    });
    if (QCoreApplication::arguments().contains(QStringLiteral("--bench-startup")))
        built->installEventFilter(new FirstPaintQuit(built));
    built->show();
    built->textViewer();  // the shared text window, created hidden
    QPointer<vlm::shell::TForm1> guard(built);
    if (endRequested) {
        // A start-up cut short (its dialogs rejected) leaves the settings file as it was.
        built->settings().autoSave = false;
        QMetaObject::invokeMethod(built, &vlm::shell::TForm1::endSession, Qt::QueuedConnection);
    }
    const int rc = app.exec();
    delete guard.data();  // a window still open at the end (benchmark, session end) goes with its children
    return rc;
}
