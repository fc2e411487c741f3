// The standard error display.
#include "shell/errordisplay.h"

#include <QApplication>
#include <QMessageBox>

namespace vlm::shell {
void showError(const QString& message, QWidget* parent) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Velmar 32"), message, QMessageBox::Ok,
                    parent ? parent : QApplication::activeWindow());
    box.setObjectName(QStringLiteral("ErrorDisplay"));
    box.exec();
}
}  // namespace vlm::shell
