// The help viewer window over QTextBrowser.
#include "shell/helpviewer.h"

#include <QFile>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "shell/errordisplay.h"
#include "shell/language.h"
#include "shell/qtext.h"
#include "shell/shelllogic.h"

namespace vlm::shell {

THelpForm::THelpForm(QWidget* parent) : QWidget(parent, Qt::Window), browser_(new QTextBrowser(this)) {
    setObjectName(QStringLiteral("HelpForm"));
    browser_->setObjectName(QStringLiteral("HelpBrowser"));
    browser_->setOpenExternalLinks(false);
    auto* l = new QVBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 0);
    l->addWidget(browser_);
    resize(700, 520);
}

QString THelpForm::problemOf(const QString& file) {
    switch (classifyHelpFile(fromQ(file))) {
        case HelpKind::Missing:
            return toQ(pick("Файл справки не найден: ", "Help file not found: ")) + file;
        case HelpKind::Other:
            return toQ(pick("Файл справки не является файлом HTML или текстом: ",
                            "Help file is neither HTML nor text: ")) + file;
        default: return {};
    }
}

bool THelpForm::showContents(const QString& helpFile, const QString& programDir) {
    const QString file = toQ(resolveHelpFile(fromQ(helpFile), fromQ(programDir)));
    const QString problem = problemOf(file);
    if (!problem.isEmpty()) {
        showError(problem, parentWidget());
        return false;
    }
    shown_ = file;
    if (classifyHelpFile(fromQ(file)) == HelpKind::Html) {
        browser_->setSource(QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()), QTextDocument::HtmlResource);
    } else {
        QFile f(file);
        f.open(QIODevice::ReadOnly);
        browser_->setPlainText(QString::fromUtf8(f.readAll()));
    }
    setWindowTitle(browser_->documentTitle().isEmpty() ? QFileInfo(file).fileName() : browser_->documentTitle());
    show();
    raise();
    activateWindow();
    return true;
}

}  // namespace vlm::shell
