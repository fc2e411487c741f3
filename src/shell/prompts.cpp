// The program's prompts and the progress dialog.
#include "shell/prompts.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "engine/error.h"
#include "shell/errordisplay.h"
#include "shell/language.h"
#include "shell/progressdialog.h"
#include "shell/qtext.h"

namespace vlm::shell {

void Prompts::error(const QString& message) { error(errorReport(fromQ(message))); }

WorkResult runAndReport(const Work& work, engine::Progress& progress) {
    try {
        work(progress);
        return {};
    } catch (const engine::EngineError& e) {
        if (e.category() == engine::ErrorCategory::Cancelled) return {WorkOutcome::Cancelled, errorReport(e)};
        return {WorkOutcome::Failed, errorReport(e)};
    } catch (const std::exception& e) {
        return {WorkOutcome::Failed, errorReport(e)};
    }
}

namespace {
QString titleOf(QWidget* w) { return w ? w->window()->windowTitle() : QApplication::applicationDisplayName(); }
}  // namespace

void BoxPrompts::message(const QString& text) { QMessageBox::information(parent_, titleOf(parent_), text); }

bool BoxPrompts::question(const QString& text) {
    return QMessageBox::question(parent_, titleOf(parent_), text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void BoxPrompts::error(const ErrorReport& report) { showError(report, parent_); }

WorkResult BoxPrompts::runWork(const QString& title, const Work& work) {
    TProgressDialog d(title, parent_);
    return d.run(work);
}

// --- The progress dialog ----------------------------------------------------------------------

TProgressDialog::TProgressDialog(const QString& title, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ProgressDialog"));
    setWindowTitle(title);
    setModal(true);
    auto* col = new QVBoxLayout(this);
    label_ = new QLabel(title, this);
    label_->setObjectName(QStringLiteral("ProgressLabel"));
    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("ProgressBar"));
    bar_->setRange(0, 0);
    bar_->setMinimumWidth(320);
    cancel_ = new QPushButton(toQ(pick("Отмена", "Cancel")), this);
    cancel_->setObjectName(QStringLiteral("ProgressCancel"));
    connect(cancel_, &QPushButton::clicked, this, [this] { requestCancel(); });
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(cancel_);
    col->addWidget(label_);
    col->addWidget(bar_);
    col->addLayout(row);
}

void TProgressDialog::reject() { requestCancel(); }

bool TProgressDialog::step(std::int64_t done, std::int64_t total) {
    if (total > 0) {
        // The bar counts in per mille: totals beyond int stay exact enough.
        bar_->setRange(0, 1000);
        bar_->setValue(int(done * 1000 / total));
    } else {
        bar_->setRange(0, 0);
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return !cancelled_;
}

WorkResult TProgressDialog::run(const Work& work) {
    cancelled_ = false;
    show();
    QCoreApplication::processEvents();
    WorkResult r = runAndReport(work, *this);
    // Work that ran to its end although Cancel came after its last step has finished.
    hide();
    return r;
}

}  // namespace vlm::shell
