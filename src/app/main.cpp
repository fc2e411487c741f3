// Vlm32: program start. Splash window by "SHOWSTARTFORM", the main window (which runs its
// start-up), the shared text window, then the message loop.
#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QSessionManager>

#include "shell/formmain.h"
#include "shell/pictures.h"
#include "shell/shelllogic.h"
#include "shell/startform.h"
#include "shell/textform.h"

#include <QEvent>
#include <QPointer>

#if defined(VLM_HAVE_PANELS) && __has_include("panels/shellhooks.h")
#include "panels/shellhooks.h"
#define VLM_PANEL_HOOKS 1
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
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vlm32"));
    QApplication::setApplicationDisplayName(QStringLiteral("Velmar 32"));
    QApplication::setWindowIcon(vlm::shell::programIcon());
    QApplication::setQuitOnLastWindowClosed(false);

    QString programDir = QDir::cleanPath(QCoreApplication::applicationDirPath()) + QLatin1Char('/');
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

    auto* form = new vlm::shell::TForm1(programDir, hooks, splash);
    form->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(form, &vlm::shell::TForm1::mainWindowClosed, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    QObject::connect(&app, &QGuiApplication::commitDataRequest, form, [form](QSessionManager& manager) {
        if (!manager.allowsInteraction() || !form->queryEndSession()) manager.cancel();
        else manager.release();
    });
    if (QCoreApplication::arguments().contains(QStringLiteral("--bench-startup")))
        form->installEventFilter(new FirstPaintQuit(form));
    form->show();
    form->textViewer();  // the shared text window, created hidden
    QPointer<vlm::shell::TForm1> guard(form);
    const int rc = app.exec();
    delete guard.data();  // a window still open at the end (benchmark, session end) goes with its children
    return rc;
}
