// The rollback segments window (see formrbs.h).
#include "admin/formrbs.h"

#include <QMenu>
#include <QStatusBar>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>

#include "admin/datagrid.h"
#include "admin/formsoch.h"
#include "admin/sqlrun.h"
#include "shell/language.h"
#include "shell/prompts.h"
#include "shell/qtext.h"

namespace vlm::admin {

namespace {
// The list's columns in the window's order: id, name, owner, table space, current size, status,
// initial and next extent, min and max extents (positions in the query's result).
constexpr int kOrder[10] = {0, 1, 2, 3, 9, 8, 4, 5, 6, 7};
}  // namespace

TRbsForm::TRbsForm(const AdminContext& context, QWidget* parent) : QMainWindow(parent), context_(context) {
    setObjectName(QStringLiteral("RbsForm"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlag(Qt::Window);
    resize(640, 400);
    bool ru = shell::languageSetting() == 1;
    setWindowTitle(ru ? QStringLiteral("Сегменты отката") : QStringLiteral("Rollback Segments"));
    auto* bar = addToolBar(QStringLiteral("ToolBar1"));
    bar->setMovable(false);
    auto button = [bar](const QString& text, const QString& hint) {
        auto* b = new QToolButton(bar);
        b->setText(text);
        b->setToolTip(hint);
        bar->addWidget(b);
        return b;
    };
    BReread = button(ru ? QStringLiteral("Обновить") : QStringLiteral("Reread"), QStringLiteral("Reread / Обновить"));
    BPopupMenu = button(ru ? QStringLiteral("Меню") : QStringLiteral("Menu"), QStringLiteral("Segments menu / Вызов меню"));
    BExit = button(ru ? QStringLiteral("Выход") : QStringLiteral("Exit"), QStringLiteral("Exit / Выход"));
    statusBar();

    TBL = makeReadOnlyGrid(this);
    setCentralWidget(TBL);
    PopupMenu1 = new QMenu(this);
    N1 = PopupMenu1->addAction(ru ? QStringLiteral("Изменить") : QStringLiteral("Modify"));
    N2 = PopupMenu1->addAction(ru ? QStringLiteral("Сжать") : QStringLiteral("Pack"));
    N3 = PopupMenu1->addAction(ru ? QStringLiteral("Удалить") : QStringLiteral("Delete"));
    N4 = PopupMenu1->addAction(ru ? QStringLiteral("Создать") : QStringLiteral("Create"));
    Online1 = PopupMenu1->addAction(QStringLiteral("Online"));
    Offline1 = PopupMenu1->addAction(QStringLiteral("Offline"));
    TBL->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(TBL, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { PopupMenu1->popup(TBL->viewport()->mapToGlobal(p)); });
    connect(N1, &QAction::triggered, this, [this] { segmentDialog(false); });
    connect(N2, &QAction::triggered, this, [this] { action(SegmentAction::Shrink); });
    connect(N3, &QAction::triggered, this, [this] { action(SegmentAction::Drop); });
    connect(N4, &QAction::triggered, this, [this] { segmentDialog(true); });
    connect(Online1, &QAction::triggered, this, [this] { action(SegmentAction::Online); });
    connect(Offline1, &QAction::triggered, this, [this] { action(SegmentAction::Offline); });
    connect(BReread, &QToolButton::clicked, this, &TRbsForm::reread);
    connect(BExit, &QToolButton::clicked, this, &QWidget::close);
    connect(BPopupMenu, &QToolButton::clicked, this,
            [this] { PopupMenu1->popup(BPopupMenu->mapToGlobal(QPoint(0, BPopupMenu->height() + 5))); });
    execDialog = [](TFormSOCh& d) { d.exec(); };
}

void TRbsForm::reread() {
    TextRows raw;
    try {
        raw = selectRows(*context_.database, rollbackSegmentsSql());
    } catch (const std::exception& e) {
        if (context_.prompts) context_.prompts->error(e);
    }
    TextRows rows;
    if (raw.columns.size() >= 10) {
        for (int c : kOrder) rows.columns.push_back(raw.columns[std::size_t(c)]);
        for (const auto& r : raw.rows) {
            TextRow out;
            for (int c : kOrder) out.push_back(r[std::size_t(c)]);
            rows.rows.push_back(std::move(out));
        }
    }
    auto t = [](const char* russian, const char* english) {
        return shell::languageSetting() == 1 ? QString::fromUtf8(russian) : QString::fromUtf8(english);
    };
    fillGrid(TBL, rows,
             {{t("Код", "Id"), 4}, {t("Имя сегмента", "Name"), 14}, {t("Владелец", "Owner"), 10},
              {t("Табличное пространство", "Tablespace Name"), 22}, {t("Тек.размер (МБ)", "Current Size(MB)"), 15},
              {t("Статус", "Status"), 8}, {t("Нач.размер (кБ)", "INI Extent(kB)"), 14},
              {t("Увеличение (кБ)", "Next Extent(kB)"), 15}, {t("Мин.кол.расширений", "MIN Extents"), 18},
              {t("Макс.кол.расширений", "MAX Extents"), 18}});
    for (int r = 0; r < TBL->rowCount(); ++r)
        for (int c = 4; c < TBL->columnCount(); ++c)
            if (auto* it = TBL->item(r, c)) it->setTextAlignment(Qt::AlignCenter);
}

void TRbsForm::action(SegmentAction a) {
    std::string name = currentCell(TBL, 1);
    if (name.empty()) return;
    std::string sql = segmentActionSql(a, name);
    if (a == SegmentAction::Drop && context_.prompts && !context_.prompts->question(shell::toQ(sql) + QStringLiteral(" ?")))
        return;
    try {
        execSql(*context_.database, sql);
    } catch (const std::exception& e) {
        if (context_.prompts) context_.prompts->error(e);
        return;   // the list is not reopened
    }
    reread();
}

namespace {
// A number as the dialog shows it: "100.0000" from the catalog becomes "100".
std::string wholeNumber(const std::string& s) {
    auto dot = s.find('.');
    return dot == std::string::npos ? s : s.substr(0, dot);
}
}  // namespace

void TRbsForm::segmentDialog(bool create) {
    SegmentSettings s;
    s.create = create;
    if (TBL->currentRow() >= 0) {
        s.name = currentCell(TBL, 1);
        s.tablespace = currentCell(TBL, 3);
        s.initialKb = wholeNumber(currentCell(TBL, 6));
        s.nextKb = wholeNumber(currentCell(TBL, 7));
        s.minExtents = wholeNumber(currentCell(TBL, 8));
        s.maxExtents = wholeNumber(currentCell(TBL, 9));
    } else if (!create) {
        return;
    }
    if (create) s.name = kNewSegmentName;
    TFormSOCh d(
        s, [this](const std::string& sql) { execSql(*context_.database, sql); },
        [this](const std::exception& e) {
            if (context_.prompts) context_.prompts->error(e);
        },
        this);
    execDialog(d);
    reread();
}

}  // namespace vlm::admin
