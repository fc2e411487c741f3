// The application's one error display: a message box with the error's text and, for an engine
// error, its parts under "Show Details...". Windows reach it through their Prompts
// (prompts.h) so that tests can take the errors instead; this is what the default one shows.
#pragma once

#include <QString>
#include <exception>

#include "shell/errorreport.h"

class QWidget;

namespace vlm::shell {
void showError(const QString& message, QWidget* parent = nullptr);
void showError(const std::exception& error, QWidget* parent = nullptr);
void showError(const ErrorReport& report, QWidget* parent = nullptr);
}
