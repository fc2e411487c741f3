// Prompts for the panel tests: messages and error texts go into one list, questions get a set
// answer, long work runs under the real progress dialog.
#pragma once

#include <QStringList>

#include "shell/progressdialog.h"
#include "shell/prompts.h"

struct RecordingPrompts : vlm::shell::Prompts {
    QStringList messages;
    QStringList errorDetails;
    bool answer = true;
    void message(const QString& text) override { messages << text; }
    bool question(const QString&) override { return answer; }
    void error(const vlm::shell::ErrorReport& r) override {
        messages << QString::fromStdString(r.text);
        errorDetails << QString::fromStdString(r.details);
    }
    vlm::shell::WorkResult runWork(const QString& title, const vlm::shell::Work& work) override {
        vlm::shell::TProgressDialog d(title);
        return d.run(work);
    }
    using vlm::shell::Prompts::error;
};
