// TRuler: the text window's ruler with the first-line, left and right indent markers of the
// current paragraph; dragging a marker sets that indent.
#pragma once

#include <QWidget>

class QTextEdit;

namespace vlm::shell {

class TRuler : public QWidget {
    Q_OBJECT
public:
    explicit TRuler(QTextEdit* editor, QWidget* parent = nullptr);
    void follow();  // reread the markers from the current paragraph
    QSize sizeHint() const override { return {400, 26}; }

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;

private:
    enum Marker { None, First, Left, Right };
    void apply();
    QTextEdit* editor_;
    double first_ = 0, left_ = 0, right_ = 0;  // pixels
    Marker dragging_ = None;
};

}  // namespace vlm::shell
