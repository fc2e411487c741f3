// TProgressDialog: the one progress window for long work: a progress bar and Cancel. It is the
// engine's Progress: the work runs on the UI thread and each step() repaints the bar, lets the
// Cancel button be pressed and returns false once it was.
//   TProgressDialog d(QStringLiteral("Pack Table X"), parent);
//   WorkResult r = d.run([&](engine::Progress& p) { table.pack(&p); });
#pragma once

#include <QDialog>

#include "shell/prompts.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace vlm::shell {

class TProgressDialog : public QDialog, public engine::Progress {
    Q_OBJECT
public:
    explicit TProgressDialog(const QString& title, QWidget* parent = nullptr);

    // Shows the dialog, runs the work and closes the dialog: finished, cancelled or failed.
    WorkResult run(const Work& work);

    bool step(std::int64_t done, std::int64_t total) override;
    bool cancelRequested() const { return cancelled_; }
    void requestCancel() { cancelled_ = true; }

    QProgressBar* bar() const { return bar_; }
    QPushButton* cancelButton() const { return cancel_; }

protected:
    void reject() override;   // Esc and the close button cancel too

private:
    QLabel* label_;
    QProgressBar* bar_;
    QPushButton* cancel_;
    bool cancelled_ = false;
};

}  // namespace vlm::shell
