// The application's standard error display: one message box with the error's text.
#pragma once

#include <QString>

class QWidget;

namespace vlm::shell {
void showError(const QString& message, QWidget* parent = nullptr);
}
