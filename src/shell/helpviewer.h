// The help viewer: the program's HTML help, opened at its contents page. A help file that is
// missing or neither HTML nor text is reported with a message instead of a blank window.
#pragma once

#include <QString>
#include <QWidget>

class QTextBrowser;

namespace vlm::shell {

class THelpForm : public QWidget {
    Q_OBJECT
public:
    explicit THelpForm(QWidget* parent = nullptr);
    // Shows the file's contents page; false (and the message shown) when it cannot.
    bool showContents(const QString& helpFile, const QString& programDir);
    QTextBrowser* browser() const { return browser_; }
    QString shownFile() const { return shown_; }

    // The message for a file that cannot be shown, or empty when it can.
    static QString problemOf(const QString& resolvedFile);

private:
    QTextBrowser* browser_;
    QString shown_;
};

}  // namespace vlm::shell
