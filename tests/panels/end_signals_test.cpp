// The Vlm32 program ends in order on SIGTERM, SIGINT and SIGHUP: exit code 0 within a couple of
// seconds, the settings saved (auto-save on) and no exit question, with the embedded Firebird
// demo open in a panel (its client library installs signal handlers of its own).
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <csignal>
#include <filesystem>
#include <fstream>

#include "panels/demodata.h"

namespace fs = std::filesystem;

class EndSignalsTest : public QObject {
    Q_OBJECT
    fs::path base_;
    vlm::panels::DemoDatabases demo_;

    std::string iniPath() const { return (base_ / "bin" / "VLM32.INI").string(); }
    void writeIni() {
        std::ofstream(iniPath()) << "[DATABASE NAMES]\nLEFTDATABASE=" << demo_.folder
                                 << "\nRIGHTDATABASE=" << demo_.firebird
                                 << "\n[DATABASE LOGINS]\nLEFTUSERNAME=U\nLEFTUSERPASSWORD=P\nRIGHTUSERNAME="
                                 << vlm::panels::kDemoUser << "\nRIGHTUSERPASSWORD=" << vlm::panels::kDemoPassword
                                 << "\n[SETUP]\nAUTOSAVE=1\nSHOWSTARTFORM=NONE\n";
    }

private slots:
    void initTestCase() {
        base_ = fs::temp_directory_path() / "vlm_end_signals";
        fs::remove_all(base_);
        fs::create_directories(base_ / "bin");
        fs::create_directories(base_ / "home");
        // The program keeps its settings beside itself: a copy of it runs in a folder of its own.
        const fs::path program = VLM32_PROGRAM;
        fs::copy_file(program, base_ / "bin" / "Vlm32");
        for (const char* dic : {"VLMSQLC.DIC", "VLMSQLF.DIC", "VLMPLSQL.DIC"})
            fs::copy_file(program.parent_path() / dic, base_ / "bin" / dic);
        demo_ = vlm::panels::ensureDemoDatabases((base_ / "data").string());
        QVERIFY2(demo_.errors.empty(), demo_.errors.empty() ? "" : demo_.errors.front().c_str());
        QVERIFY(!demo_.folder.empty());
    }

    void endsInOrder_data() {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }
    void endsInOrder() {
        QFETCH(int, signal);
        writeIni();
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), QString::fromStdString((base_ / "home").string()));
        env.insert(QStringLiteral("XDG_DATA_HOME"), QString::fromStdString((base_ / "data").string()));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(QString::fromStdString((base_ / "bin" / "Vlm32").string()), {});
        QVERIFY(p.waitForStarted(5000));
        // Well past the program's start and its panels' builds (about half a second on an idle
        // machine; two seconds and more when other builds share the two cores).
        QTest::qWait(4000);
        QCOMPARE(p.state(), QProcess::Running);
        ::kill(pid_t(p.processId()), signal);
        QElapsedTimer t;
        t.start();
        QVERIFY2(p.waitForFinished(5000), "the program did not end");
        QVERIFY2(t.elapsed() < 2500, qPrintable(QStringLiteral("ended after %1 ms").arg(t.elapsed())));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
        // The shutdown wrote the whole settings file, the panels' databases kept.
        QFile ini(QString::fromStdString(iniPath()));
        QVERIFY(ini.open(QIODevice::ReadOnly));
        const QByteArray text = ini.readAll();
        QVERIFY(text.contains("VIEWTOOLBAR="));
        QVERIFY(text.contains("LEFTDATABASE=" + QByteArray::fromStdString(demo_.folder)));
        QVERIFY(text.contains("RIGHTDATABASE=" + QByteArray::fromStdString(demo_.firebird)));
    }

    void cleanupTestCase() { fs::remove_all(base_); }
};

QTEST_GUILESS_MAIN(EndSignalsTest)
#include "end_signals_test.moc"
