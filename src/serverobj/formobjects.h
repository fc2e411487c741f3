// TFormObjects: the Oracle sequences or InterBase generators of a database with their current
// values, and the small statement editor that creates, alters and drops them. The statements
// come from objects.h; this form only wires the controls. One window at a time.
#pragma once

#include <QWidget>
#include <memory>

#include "serverobj/formproc.h"
#include "serverobj/objects.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTableWidget;
class QToolButton;

namespace vlm::engine {
class Database;
}

namespace vlm::serverobj {

class TFormObjects : public QWidget {
    Q_OBJECT
public:
    explicit TFormObjects(const ServerContext& context, QWidget* parent = nullptr);
    ~TFormObjects() override;
    bool start();   // connects and opens the list; false after an error shown

    QToolButton *BCreate, *BAlter, *BDrop, *BExit;
    QTabWidget* PageControl1;
    QWidget* TabSheetGenerator;
    QTableWidget* DBGrid1;
    QWidget* PanelGenerator;
    QLabel* LCreate;
    QLineEdit *EName, *EInc, *EStart;
    QComboBox *CBMinValue, *CBMaxValue, *CBCycle, *CBCache, *CBOrder;
    QPushButton *BOk, *BCancel;
    QLabel* status[3] = {};

    void BCreateClick();
    void BAlterClick();
    void BOkClick();
    void BCancelClick();
    void BDropClick();
    void reopen();
    SequenceEditor editorState() const { return state_; }

private:
    void showClauses(bool on);
    void closeEditor();
    std::string cell(int column) const;

    ServerContext context_;
    std::unique_ptr<engine::Database> db_;
    SequenceEditor state_ = SequenceEditor::None;
    std::vector<QWidget*> clauses_;
    QWidget* startLabel_ = nullptr;
};

}  // namespace vlm::serverobj
