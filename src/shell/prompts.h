// What logic and windows ask of the user, as an interface: messages, yes/no questions, errors
// (through the one error display) and long work under a progress bar with Cancel. The main
// window holds one (form.prompts()); tests hand the window their own through ShellHooks.
//   if (!prompts.question("Pack Table X ?")) return;
//   WorkResult r = prompts.runWork("Pack Table X", [&](engine::Progress& p) { table.pack(&p); });
#pragma once

#include <QString>
#include <exception>
#include <functional>

#include "engine/progress.h"
#include "shell/errorreport.h"

class QWidget;

namespace vlm::shell {

// How long work ended. A failure carries its error report (cancelling is not a failure).
enum class WorkOutcome { Finished, Cancelled, Failed };
struct WorkResult {
    WorkOutcome outcome = WorkOutcome::Finished;
    ErrorReport error;   // Failed only
};
// The work reports through progress; an engine error of category Cancelled (which the engine
// throws when step() returned false) makes the outcome Cancelled, any other exception Failed.
using Work = std::function<void(engine::Progress& progress)>;

class Prompts {
public:
    virtual ~Prompts() = default;
    virtual void message(const QString& text) = 0;
    virtual bool question(const QString& text) = 0;   // Yes: true
    virtual void error(const ErrorReport& report) = 0;
    virtual WorkResult runWork(const QString& title, const Work& work) = 0;

    void error(const QString& message);
    void error(const std::exception& e) { error(errorReport(e)); }
};

// Runs work with progress and turns its end into a WorkResult (for Prompts implementations).
WorkResult runAndReport(const Work& work, engine::Progress& progress);

// The program's prompts: message boxes titled as the parent window, the standard error display,
// and the progress dialog (progressdialog.h) for long work.
class BoxPrompts final : public Prompts {
public:
    explicit BoxPrompts(QWidget* parent) : parent_(parent) {}
    void message(const QString& text) override;
    bool question(const QString& text) override;
    void error(const ErrorReport& report) override;
    WorkResult runWork(const QString& title, const Work& work) override;
    using Prompts::error;

private:
    QWidget* parent_;
};

}  // namespace vlm::shell
