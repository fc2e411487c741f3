// TRbsForm: the Oracle rollback segments with their sizes and storage; the pop-up menu changes,
// shrinks, drops (after a question), creates and switches them online or offline. Several may be
// open. Statements come from rollback.h; the segment dialog is TFormSOCh.
#pragma once

#include <QMainWindow>
#include <functional>

#include "admin/admincontext.h"
#include "admin/rollback.h"

class QAction;
class QMenu;
class QTableWidget;
class QToolButton;

namespace vlm::admin {

class TFormSOCh;

class TRbsForm : public QMainWindow {
    Q_OBJECT
public:
    TRbsForm(const AdminContext& context, QWidget* parent = nullptr);
    void reread();                            // BReread: reopens the list
    void action(SegmentAction a);             // Pack, Delete, Online, Offline on the current row
    void segmentDialog(bool create);          // Modify (false) or Create (true)
    // Shows the dialog modally; tests set their own.
    std::function<void(TFormSOCh&)> execDialog;

    QTableWidget* TBL;
    QMenu* PopupMenu1;
    QAction *N1, *N2, *N3, *N4, *Online1, *Offline1;
    QToolButton *BReread, *BPopupMenu, *BExit;

private:
    AdminContext context_;
};

}  // namespace vlm::admin
