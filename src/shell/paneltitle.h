// The title over a panel (PLeft / PRight): the database name and user. A name longer than
// the label is shown elided in the middle, whole path components first
// ("/very/long/…/folder : USER"), again at every resize or font change; text() and the tool
// tip keep the full name.
#pragma once

#include <QLabel>

class QFontMetrics;

namespace vlm::shell {

// The text shown for full in width pixels: full itself when it fits; otherwise leading and
// trailing components of a path with "…" for those left out; otherwise middle-elided.
QString elidePathMiddle(const QString& full, const QFontMetrics& metrics, int width);

class TPanelTitle : public QLabel {
    Q_OBJECT
public:
    explicit TPanelTitle(QWidget* parent = nullptr);
    // What the label shows at its present width and font.
    QString displayedText() const;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace vlm::shell
