// The about box; it frees itself when closed.
#pragma once

#include <QDialog>

namespace vlm::shell {
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);
};
}  // namespace vlm::shell
