// TFormObjNew: the dependency tree window (Oracle). The left tree shows what each object
// depends on, the right tree what uses it, each node with its type's picture. The rows come
// from the dependency statements of catalog.h; dependencyTree() groups them into roots.
//   auto* w = new TFormObjNew(context, &form);   if (w->openTrees()) w->show(); else delete w;
#pragma once

#include <QWidget>
#include <memory>

#include "objlists/formoobj.h"

class QLabel;
class QToolBar;
class QToolButton;
class QTreeWidget;
class QSplitter;

namespace vlm::engine {
class Database;
}

namespace vlm::objlists {

class TFormObjNew : public QWidget {
    Q_OBJECT
public:
    explicit TFormObjNew(const ObjectListContext& context, QWidget* parent = nullptr);
    ~TFormObjNew() override;

    // Reads both trees. False after an error, which went to the error display.
    bool openTrees();

    // The picture of a state image index (ImageListDependence).
    static QIcon dependencyIcon(int image);

    QToolBar* ToolBar1 = nullptr;
    QToolButton* BExit = nullptr;
    QLabel *PanelLeftTop = nullptr, *PanelRightTop = nullptr;
    QTreeWidget *TreeViewLeft = nullptr, *TreeViewRight = nullptr;
    QSplitter* Splitter1 = nullptr;
    QLabel* status[3] = {};

private:
    ObjectListContext context_;
    std::unique_ptr<engine::Database> db_;
};

}  // namespace vlm::objlists
