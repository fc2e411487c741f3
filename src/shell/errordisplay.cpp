// The standard error display.
#include "shell/errordisplay.h"

#include <QApplication>
#include <QMessageBox>

#include "shell/qtext.h"

namespace vlm::shell {

void showError(const QString& message, QWidget* parent) { showError(errorReport(fromQ(message)), parent); }

void showError(const std::exception& error, QWidget* parent) { showError(errorReport(error), parent); }

void showError(const ErrorReport& report, QWidget* parent) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Velmar 32"), toQ(report.text), QMessageBox::Ok,
                    parent ? parent : QApplication::activeWindow());
    box.setObjectName(QStringLiteral("ErrorDisplay"));
    if (!report.details.empty()) box.setDetailedText(toQ(report.details));
    box.exec();
}

}  // namespace vlm::shell
