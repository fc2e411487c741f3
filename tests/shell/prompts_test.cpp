// The one error route and the progress adapter (offscreen): what the error display shows for a
// plain message and for engine errors, and long work that finishes, is cancelled from the
// dialog or fails.
#include <QApplication>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <stdexcept>

#include "engine/error.h"
#include "shell/errordisplay.h"
#include "shell/progressdialog.h"
#include "shell/prompts.h"

using namespace vlm;
using namespace vlm::shell;

class PromptsTest : public QObject {
    Q_OBJECT
private slots:
    void errorReportsKeepTheEngineErrorsParts() {
        using engine::EngineError;
        using engine::ErrorCategory;
        struct Row {
            const char* name;
            std::function<void()> fail;
            std::string text, details;
            bool cancelled;
        } rows[] = {
            {"plain exception", [] { throw std::runtime_error("disk full"); }, "disk full", "", false},
            {"PostgreSQL error",
             [] {
                 throw EngineError(ErrorCategory::Sql, engine::errc::SqlBase,
                                   {"SQL statement failed", "relation \"nosuch\" does not exist", "SQLSTATE 42P01"}, 0,
                                   "42P01");
             },
             "SQL statement failed\nrelation \"nosuch\" does not exist\nSQLSTATE 42P01",
             "Category: Sql\nEngine code: 9216\nSQLSTATE: 42P01\nServer: relation \"nosuch\" does not exist\n"
             "Server: SQLSTATE 42P01",
             false},
            {"Firebird native code",
             [] { throw EngineError(ErrorCategory::Connect, engine::errc::LoginFailed, {"Cannot connect", "bad login"}, 335544472); },
             "Cannot connect\nbad login", "Category: Connect\nEngine code: 8962\nNative code: 335544472\nServer: bad login",
             false},
            {"cancelled", [] { throw EngineError(ErrorCategory::Cancelled, "Cancelled by the user"); },
             "Cancelled by the user", "Category: Cancelled\nEngine code: 10240", true},
        };
        for (const Row& r : rows) {
            try {
                r.fail();
            } catch (const std::exception& e) {
                ErrorReport got = errorReport(e);
                QVERIFY2(got.text == r.text, r.name);
                QVERIFY2(got.details == r.details, qPrintable(QString::fromStdString(got.details)));
                QVERIFY2(got.cancelled == r.cancelled, r.name);
            }
        }
        QCOMPARE(errorReport(std::string("Packed Failed !")).details, std::string());
    }

    void theErrorDisplayShowsTextAndDetails() {
        QString text, details;
        QTimer::singleShot(20, [&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible() && box->objectName() == "ErrorDisplay") {
                    text = box->text();
                    details = box->detailedText();
                    box->accept();
                }
        });
        BoxPrompts prompts(nullptr);
        prompts.error(engine::EngineError(engine::ErrorCategory::Sql, engine::errc::SqlBase, {"failed", "server says"}, 0, "42000"));
        QCOMPARE(text, QStringLiteral("failed\nserver says"));
        QVERIFY(details.contains(QStringLiteral("SQLSTATE: 42000")));
    }

    void longWorkFinishesIsCancelledOrFails() {
        // Finished: every step reaches the bar.
        TProgressDialog d(QStringLiteral("Pack Table T"));
        int steps = 0;
        WorkResult r = d.run([&](engine::Progress& p) {
            for (int i = 0; i <= 4; ++i) {
                QVERIFY(p.step(i, 4));
                ++steps;
            }
        });
        QCOMPARE(int(r.outcome), int(WorkOutcome::Finished));
        QCOMPARE(d.bar()->value(), 1000);
        QCOMPARE(steps, 5);
        QVERIFY(!d.isVisible());

        // Cancel pressed while the work runs: the next step says stop, the engine's error ends it.
        TProgressDialog c(QStringLiteral("Pack Table T"));
        r = c.run([&](engine::Progress& p) {
            QVERIFY(c.isVisible());
            QVERIFY(p.step(1, 10));
            QTest::mouseClick(c.cancelButton(), Qt::LeftButton);
            if (!p.step(2, 10)) throw engine::EngineError(engine::ErrorCategory::Cancelled, "Cancelled by the user");
            QFAIL("the step after Cancel went on");
        });
        QCOMPARE(int(r.outcome), int(WorkOutcome::Cancelled));

        // Failed: the error's report comes back, the dialog is gone.
        TProgressDialog f(QStringLiteral("Pack Table T"));
        r = f.run([](engine::Progress&) {
            throw engine::EngineError(engine::ErrorCategory::File, engine::errc::FileLocked, {"Table is locked"});
        });
        QCOMPARE(int(r.outcome), int(WorkOutcome::Failed));
        QCOMPARE(r.error.text, std::string("Table is locked"));
        QVERIFY(!f.isVisible());
    }
};

QTEST_MAIN(PromptsTest)
#include "prompts_test.moc"
