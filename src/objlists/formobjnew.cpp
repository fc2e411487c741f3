// TFormObjNew: the dependency tree window.
#include "engine/database.h"
#include "engine/query.h"

#include "objlists/formobjnew.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "shell/language.h"
#include "shell/qtext.h"

namespace vlm::objlists {

using shell::pick;
using shell::toQ;

namespace {

QTreeWidget* makeTree(QWidget* parent, const char* name) {
    auto* t = new QTreeWidget(parent);
    t->setObjectName(QString::fromLatin1(name));
    t->setHeaderHidden(true);
    t->setIndentation(25);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QFont f = t->font();
    f.setPixelSize(13);
    t->setFont(f);
    return t;
}

void fill(QTreeWidget* tree, const std::vector<TreeNode>& roots) {
    tree->clear();
    for (const TreeNode& r : roots) {
        auto* item = new QTreeWidgetItem(tree, QStringList{toQ(r.caption)});
        item->setIcon(0, TFormObjNew::dependencyIcon(r.image));
        item->setData(0, Qt::UserRole, r.image);
        for (const TreeNode& c : r.children) {
            auto* child = new QTreeWidgetItem(item, QStringList{toQ(c.caption)});
            child->setIcon(0, TFormObjNew::dependencyIcon(c.image));
            child->setData(0, Qt::UserRole, c.image);
        }
    }
}

std::vector<std::array<std::string, 4>> readRows(engine::Database& db, const std::vector<std::string>& lines) {
    std::string sql;
    for (const auto& l : lines) sql += l + "\n";
    engine::Query q;
    q.setDatabase(&db);
    q.setSql(sql);
    q.open();
    std::vector<std::array<std::string, 4>> rows;
    for (; !q.eof(); q.next()) {
        std::array<std::string, 4> r;
        for (int i = 0; i < 4 && i < q.fieldCount(); ++i) r[std::size_t(i)] = q.field(i).asString();
        rows.push_back(r);
    }
    q.close();
    return rows;
}

}  // namespace

QIcon TFormObjNew::dependencyIcon(int image) {
    // 1 view, 2 procedure, 3 function, 4 package, 5 other, 6 table, 7 trigger.
    static const char* letters = "?VPFK*TR";
    static const QColor colours[] = {Qt::gray, QColor(0, 128, 0), QColor(0, 0, 160), QColor(128, 0, 128),
                                     QColor(160, 96, 0), Qt::darkGray, QColor(0, 96, 160), QColor(176, 0, 0)};
    const int i = image >= 0 && image < 8 ? image : 5;
    QPixmap p(16, 16);
    p.fill(Qt::transparent);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    g.setBrush(colours[i]);
    g.setPen(Qt::NoPen);
    g.drawRoundedRect(QRectF(1, 1, 14, 14), 3, 3);
    g.setPen(Qt::white);
    QFont f = g.font();
    f.setPixelSize(11);
    f.setBold(true);
    g.setFont(f);
    g.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, QString(QLatin1Char(letters[i])));
    return QIcon(p);
}

TFormObjNew::TFormObjNew(const ObjectListContext& context, QWidget* parent)
    : QWidget(parent, Qt::Window), context_(context), db_(std::make_unique<engine::Database>()) {
    setObjectName(QStringLiteral("FormObjNew"));
    setAttribute(Qt::WA_DeleteOnClose);
    const Title t = title(ListKind::Dependencies);
    setWindowTitle(toQ(context_.driverName + ": " + pick(t.ru, t.en)));
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    BExit = new QToolButton(ToolBar1);
    BExit->setObjectName(QStringLiteral("BExit"));
    BExit->setText(QStringLiteral("Exit"));
    BExit->setToolTip(QStringLiteral("Выход"));
    BExit->setAutoRaise(true);
    ToolBar1->addWidget(BExit);
    box->addWidget(ToolBar1);

    Splitter1 = new QSplitter(Qt::Horizontal, this);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    auto side = [&](const char* panel, const char* top, const char* tree, QLabel*& header, QTreeWidget*& view) {
        auto* w = new QWidget(Splitter1);
        w->setObjectName(QString::fromLatin1(panel));
        auto* v = new QVBoxLayout(w);
        v->setContentsMargins(0, 0, 0, 0);
        v->setSpacing(0);
        header = new QLabel(w);
        header->setObjectName(QString::fromLatin1(top));
        header->setFrameShape(QFrame::Panel);
        header->setFrameShadow(QFrame::Raised);
        header->setAlignment(Qt::AlignCenter);
        header->setMinimumHeight(22);
        v->addWidget(header);
        view = makeTree(w, tree);
        v->addWidget(view, 1);
        Splitter1->addWidget(w);
    };
    side("PanelLeft", "PanelLeftTop", "TreeViewLeft", PanelLeftTop, TreeViewLeft);
    side("PanelRight", "PanelRightTop", "TreeViewRight", PanelRightTop, TreeViewRight);
    box->addWidget(Splitter1, 1);
    PanelLeftTop->setText(toQ(pick(kTreeLeftHeaderRu, kTreeLeftHeaderEn)));
    PanelRightTop->setText(toQ(pick(kTreeRightHeaderRu, kTreeRightHeaderEn)));

    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    const int widths[3] = {150, 150, 50};
    for (int i = 0; i < 3; ++i) {
        status[i] = new QLabel(bar);
        status[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        status[i]->setMinimumWidth(widths[i]);
        status[i]->setFrameShape(QFrame::Panel);
        status[i]->setFrameShadow(QFrame::Sunken);
        bar->addWidget(status[i], i == 2 ? 1 : 0);
    }
    box->addWidget(bar);
    connect(BExit, &QToolButton::clicked, this, &QWidget::close);
    resize(640, 400);
}

TFormObjNew::~TFormObjNew() = default;

bool TFormObjNew::openTrees() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        db_->setDatabaseName(context_.databaseName);
        db_->params() = context_.params;
        db_->open();
        fill(TreeViewLeft, dependencyTree(readRows(*db_, dependencyTreeSql(false, context_.showSystem))));
        fill(TreeViewRight, dependencyTree(readRows(*db_, dependencyTreeSql(true, context_.showSystem))));
    } catch (const std::exception& e) {
        QApplication::restoreOverrideCursor();
        context_.showError(e);
        return false;
    }
    QApplication::restoreOverrideCursor();
    status[0]->setText(toQ(context_.databaseName));
    status[1]->setText(toQ(context_.driverName));
    return true;
}

}  // namespace vlm::objlists
