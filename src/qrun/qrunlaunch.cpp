// Starting Qrun detached, the password in its environment (see qrunlaunch.h).
#include "qrun/qrunlaunch.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <filesystem>
#include <system_error>

namespace vlm::qrun {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

// The directory of the running executable, also before or without a QCoreApplication.
std::filesystem::path programDirectory() {
    if (QCoreApplication::instance()) return std::filesystem::path(QCoreApplication::applicationDirPath().toStdString());
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) return exe.parent_path();
    return std::filesystem::current_path(ec);
}

}  // namespace

std::string queryRunnerPath() {
#ifdef _WIN32
    const char* name = "Qrun.exe";
#else
    const char* name = "Qrun";
#endif
    return (programDirectory() / name).string();
}

std::vector<std::string> queryRunnerArguments(const std::string& alias, const std::string& user,
                                              const std::string& statement) {
    return {alias, user, std::string(), statement};
}

bool startQueryRunnerProgram(const std::string& program, const std::string& alias, const std::string& user,
                             const std::string& password, const std::string& statement, std::string* error) {
    auto fail = [&](const std::string& why) {
        if (error) *error = why;
        return false;
    };
    QFileInfo file(q(program));
    if (!file.exists()) return fail("Qrun not found: " + program);
    if (!file.isExecutable()) return fail("Qrun is not executable: " + program);

    QStringList args;
    for (const auto& a : queryRunnerArguments(alias, user, statement)) args << q(a);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(kPasswordVariable), q(password));

    QProcess process;
    process.setProgram(q(program));
    process.setArguments(args);
    process.setProcessEnvironment(env);
    process.setStandardInputFile(QProcess::nullDevice());
    qint64 pid = 0;
    if (!process.startDetached(&pid)) return fail(program + ": " + process.errorString().toStdString());
    return true;
}

bool startQueryRunner(const std::string& alias, const std::string& user, const std::string& password,
                      const std::string& statement, std::string* error) {
    return startQueryRunnerProgram(queryRunnerPath(), alias, user, password, statement, error);
}

}  // namespace vlm::qrun
