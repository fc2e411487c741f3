// TFormSel: the modal group-selection dialog of Gray + / Gray - ("Select" / "Remove select").
#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace vlm::panels {

class TFormSel : public QDialog {
    Q_OBJECT
public:
    TFormSel(bool selectMode, const QString& lastMask, QWidget* parent = nullptr);
    QLineEdit* ESel;
    QPushButton* BOk;
    QPushButton* BCancel;
};

}  // namespace vlm::panels
