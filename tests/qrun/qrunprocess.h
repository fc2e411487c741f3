// Starting Qrun in the tests: offscreen, in snapshot mode, and reading back what it showed.
//   auto r = runQrun({"DEMO", "user", "", "select 1"}, "password", "/tmp/x.png", cfgPath);
//   r.status;  r.line("status1");
#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "qrun/qrunlaunch.h"

namespace vlm::qrun::test {

inline std::string qrunProgram() { return QRUN_PROGRAM; }

struct RunResult {
    int status = -1;
    std::string stderrText;
    std::multimap<std::string, std::string> lines;   // the snapshot's "key: value" lines
    std::string line(const std::string& key) const {
        auto it = lines.find(key);
        return it == lines.end() ? std::string("<none>") : it->second;
    }
};

// Reads a snapshot text written by Qrun.
inline std::multimap<std::string, std::string> readSnapshot(const std::filesystem::path& txt) {
    std::multimap<std::string, std::string> lines;
    std::ifstream in(txt);
    std::string l;
    while (std::getline(in, l)) {
        auto colon = l.find(": ");
        if (colon == std::string::npos) colon = l.find(':');
        if (colon == std::string::npos) continue;
        std::string value = colon + 1 < l.size() ? l.substr(colon + 1) : std::string();
        if (!value.empty() && value.front() == ' ') value.erase(0, 1);
        lines.emplace(l.substr(0, colon), value);
    }
    return lines;
}

inline RunResult runQrun(const std::vector<std::string>& args, const std::string& password,
                         const std::filesystem::path& png, const std::string& engineConfig) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("VLM_ENGINE_CFG", QString::fromStdString(engineConfig));
    env.insert("VLM_QRUN_SNAPSHOT", QString::fromStdString(png.string()));
    env.insert(kPasswordVariable, QString::fromStdString(password));
    p.setProcessEnvironment(env);
    QStringList qargs;
    for (const auto& a : args) qargs << QString::fromStdString(a);
    p.start(QString::fromStdString(qrunProgram()), qargs);
    RunResult r;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        r.stderrText = "Qrun did not end";
        return r;
    }
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    r.stderrText = p.readAllStandardError().toStdString();
    r.lines = readSnapshot(png.string() + ".txt");
    return r;
}

}  // namespace vlm::qrun::test
