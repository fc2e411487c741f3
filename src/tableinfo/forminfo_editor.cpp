// TFormInfo's structure editor: new table (empty or shaped like the shown one), modify, the
// "NEW" and "DEL" marks, the per-kind editable cells with the type and nullable choosers, and
// the CREATE or ALTER TABLE statements from the schema logic, shown or run.
#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStatusBar>
#include <QTableWidget>

#include "engine/database.h"
#include "schema/altertext.h"
#include "schema/createcatalog.h"
#include "schema/createtext.h"
#include "shell/language.h"
#include "shell/qtext.h"
#include "tableinfo/forminfo.h"

namespace vlm::tableinfo {

using shell::fromQ;
using shell::pick;
using shell::toQ;

namespace {

QString P(const char* ru, const char* en) { return toQ(pick(ru, en)); }

class UpperValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        input = input.toUpper();
        return Acceptable;
    }
};

}  // namespace

void TFormInfo::buildEditor(QWidget* panel) {
    auto* eh = new QHBoxLayout(panel);
    eh->setContentsMargins(0, 0, 0, 0);
    struct B {
        QPushButton** slot;
        const char* name;
        const char* caption;
        const char* hint;
        void (TFormInfo::*click)();
    } buttons[] = {{&BNewField, "BNewField", "+", "Add new field structure line", &TFormInfo::BNewFieldClick},
                   {&BDeleteField, "BDeleteField", "-", "Delete field structure line", &TFormInfo::BDeleteFieldClick},
                   {&BNewTable, "BNewTable", "New", "Create new structure", &TFormInfo::BNewTableClick},
                   {&BNewAs, "BNewAs", "New As", "Create new structure from exist", &TFormInfo::BNewAsClick},
                   {&BModifyTable, "BModifyTable", "Modify", "Modify structure", &TFormInfo::BModifyTableClick},
                   {&BUndoTable, "BUndoTable", "Undo", "Undo Source table and close modify", &TFormInfo::BUndoTableClick},
                   {&BShowSql, "BShowSql", "SQL", "Show create or modify SQL script", &TFormInfo::BShowSqlClick},
                   {&BSaveTable, "BSaveTable", "Save", "Create or modify table", &TFormInfo::BSaveTableClick}};
    for (const B& b : buttons) {
        auto* pb = new QPushButton(QString::fromLatin1(b.caption), panel);
        pb->setObjectName(QString::fromLatin1(b.name));
        pb->setToolTip(QString::fromLatin1(b.hint));
        pb->setEnabled(false);
        eh->addWidget(pb);
        editorButtons.push_back(pb);
        *b.slot = pb;
        auto click = b.click;
        connect(pb, &QPushButton::clicked, this, [this, click] { (this->*click)(); });
    }
    LabelNewTable = new QLabel(panel);
    LabelNewTable->setObjectName(QStringLiteral("LabelNewTable"));
    ENewTableName = new QLineEdit(panel);
    ENewTableName->setObjectName(QStringLiteral("ENewTableName"));
    ENewTableName->setValidator(new UpperValidator(ENewTableName));
    eh->addWidget(LabelNewTable);
    eh->addWidget(ENewTableName);
    LabelNewTable->hide();
    ENewTableName->hide();
    eh->addStretch(1);

    CBType = new QComboBox(FGrid->viewport());
    CBType->setObjectName(QStringLiteral("CBType"));
    CBNull = new QComboBox(FGrid->viewport());
    CBNull->setObjectName(QStringLiteral("CBNull"));
    CBNull->addItems({QStringLiteral("True"), QStringLiteral("False")});
    for (QComboBox* c : {CBType, CBNull}) {
        c->hide();
        connect(c, qOverload<int>(&QComboBox::activated), this, [this, c] {
            if (chooserRow_ >= 0 && chooserRow_ < FGrid->rowCount()) {
                if (!FGrid->item(chooserRow_, chooserColumn_))
                    FGrid->setItem(chooserRow_, chooserColumn_, new QTableWidgetItem);
                FGrid->item(chooserRow_, chooserColumn_)->setText(c->currentText());
            }
            c->hide();
            FGrid->setFocus();
        });
    }
    PopupMenuFGrid = new QMenu(this);
    PopupMenuFGrid->setObjectName(QStringLiteral("PopupMenuFGrid"));
    PopupMenuFGrid->addAction(QStringLiteral("New Field"), this, [this] { BNewFieldClick(); });
    PopupMenuFGrid->addAction(QStringLiteral("Delete Field"), this, [this] { BDeleteFieldClick(); });
    FGrid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(FGrid, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (mode_ != EditMode::None) PopupMenuFGrid->popup(FGrid->viewport()->mapToGlobal(at));
    });
    connect(FGrid, &QTableWidget::cellClicked, this, [this](int r, int c) { FGridClick(r, c); });
    connect(FGrid, &QTableWidget::currentCellChanged, this, [this] {
        CBType->hide();
        CBNull->hide();
    });
}

std::string TFormInfo::gridCell(int row, int column) const {
    auto* it = FGrid->item(row, column);
    return it ? fromQ(it->text()) : std::string();
}

void TFormInfo::setGridRow(int row, const QString& mark, const ColumnRow& r) {
    const QString cells[10] = {mark,         QString::number(row + 1), toQ(r.name),        toQ(r.type),
                               toQ(r.size),  toQ(r.scale),             toQ(r.nullable),    toQ(r.defaultText),
                               toQ(r.dimensions), toQ(r.comment)};
    for (int c = 0; c < 10; ++c) {
        if (c == 1 && FGrid->item(row, 1) && !FGrid->item(row, 1)->text().isEmpty()) continue;   // numbers stay
        if (!FGrid->item(row, c)) FGrid->setItem(row, c, new QTableWidgetItem);
        FGrid->item(row, c)->setText(cells[c]);
    }
}

void TFormInfo::setEditorIdle() {
    for (QPushButton* b : {BNewField, BDeleteField, BUndoTable, BShowSql, BSaveTable}) b->setEnabled(false);
    BNewTable->setEnabled(true);
    BNewAs->setEnabled(true);
    BModifyTable->setEnabled(schema::canModify(ref_.kind) && !ref_.isView);
    CBType->hide();
    CBNull->hide();
    LabelNewTable->hide();
    ENewTableName->hide();
}

void TFormInfo::enterEditing(EditMode mode) {
    mode_ = mode;
    for (QPushButton* b : {BNewField, BDeleteField, BUndoTable, BShowSql, BSaveTable}) b->setEnabled(true);
    for (QPushButton* b : {BNewTable, BNewAs, BModifyTable}) b->setEnabled(false);
    CBType->clear();
    const bool paradox = ref_.tableType == "PARADOX";
    const std::vector<std::string> own =
        ref_.kind == panels::ServerKind::OTHER && db_ ? schema::serverOwnTypes(*db_) : std::vector<std::string>{};
    for (const auto& t : schema::columnTypes(ref_.kind, ref_.oracleVersion,
                                             paradox ? schema::LocalFormat::Paradox : schema::LocalFormat::Dbase,
                                             ref_.driverName, own))
        CBType->addItem(toQ(t));
    if (mode == EditMode::NewTable) {
        LabelNewTable->setText(P("Новая таблица:", "NewTable:"));
        LabelNewTable->show();
        ENewTableName->clear();
        ENewTableName->show();
        StatusPanels[1]->setText(P("Новая таблица", "New Table"));
    } else {
        StatusPanels[1]->setText(P("Изменение таблицы ", "Modify Table ") + toQ(info_.tableName));
    }
}

void TFormInfo::leaveEditing() {
    mode_ = EditMode::None;
    newAs_ = false;
    saveGrid_.clear();
    setEditorIdle();
    if (db_ && db_->connected()) {
        TableInfoData fresh;
        try {
            data_.columns = readColumns(*db_, ref_, fresh);
        } catch (const std::exception& e) {
            fresh.errors.push_back(e.what());
        }
        fillGrid();
        for (const auto& e : fresh.errors) showErrorText(e);
    }
    StatusPanels[1]->clear();
}

void TFormInfo::BNewTableClick() {
    FGrid->setRowCount(1);
    for (int c = 0; c < 10; ++c) FGrid->setItem(0, c, new QTableWidgetItem);
    setGridRow(0, QString::fromLatin1(schema::kMarkNew), ColumnRow{"", "", "", "", "True"});
    newAs_ = false;
    enterEditing(EditMode::NewTable);
}

void TFormInfo::BNewAsClick() {
    newAs_ = true;
    enterEditing(EditMode::NewTable);
}

void TFormInfo::BModifyTableClick() {
    saveGrid_ = gridRows();
    enterEditing(EditMode::ModifyTable);
}

void TFormInfo::BNewFieldClick() {
    if (mode_ == EditMode::None) return;
    const int r = FGrid->rowCount();
    FGrid->setRowCount(r + 1);
    setGridRow(r, QString::fromLatin1(schema::kMarkNew), ColumnRow{"", "", "", "", "True"});
    FGrid->setCurrentCell(r, 2);
}

void TFormInfo::BDeleteFieldClick() {
    if (mode_ == EditMode::None) return;
    const int row = FGrid->currentRow();
    if (row < 0) return;
    const schema::RowMark mark = schema::rowMark(gridCell(row, 0));
    if (mode_ == EditMode::ModifyTable && mark != schema::RowMark::New) {
        if (ref_.kind == ServerKind::ORACLE) {
            showMessageText(P("Нельзя удалить колонку для этого типа БД!", "Can't drop column for this type alias!"));
            return;
        }
        FGrid->item(row, 0)->setText(mark == schema::RowMark::Del ? QString() : QString::fromLatin1(schema::kMarkDel));
        return;
    }
    CBType->hide();
    CBNull->hide();
    if (FGrid->rowCount() == 1) {
        for (int c = 0; c < 10; ++c)
            if (FGrid->item(0, c)) FGrid->item(0, c)->setText(QString());
        setGridRow(0, QString::fromLatin1(schema::kMarkNew), ColumnRow{"", "", "", "", "True"});
        return;
    }
    // The rows below move up with their marks and every column but the number (comment too).
    for (int r = row; r + 1 < FGrid->rowCount(); ++r)
        for (int c : {0, 2, 3, 4, 5, 6, 7, 8, 9}) {
            if (!FGrid->item(r, c)) FGrid->setItem(r, c, new QTableWidgetItem);
            FGrid->item(r, c)->setText(FGrid->item(r + 1, c) ? FGrid->item(r + 1, c)->text() : QString());
        }
    FGrid->setRowCount(FGrid->rowCount() - 1);
}

void TFormInfo::showChooser(QComboBox* chooser, int row, int column) {
    chooserRow_ = row;
    chooserColumn_ = column;
    const QString value = FGrid->item(row, column) ? FGrid->item(row, column)->text() : QString();
    chooser->setGeometry(FGrid->visualRect(FGrid->model()->index(row, column)));
    int at = chooser->findText(value, Qt::MatchFixedString);
    if (at < 0 && !value.isEmpty()) {
        chooser->addItem(value);   // a type of the table that the list does not offer
        at = chooser->count() - 1;
    }
    // An empty cell shows an empty chooser: a type shown there would look chosen while the
    // cell stays empty.
    chooser->setCurrentIndex(at);
    chooser->show();
    chooser->setFocus();
}

void TFormInfo::FGridClick(int row, int column) {
    CBType->hide();
    CBNull->hide();
    if (mode_ == EditMode::None || row < 0) return;
    const bool editable = schema::editableCell(ref_.kind, mode_ == EditMode::NewTable, schema::rowMark(gridCell(row, 0)),
                                               column, gridCell(row, 3));
    if (!editable) return;
    if (column == 3) showChooser(CBType, row, column);
    else if (column == 6) showChooser(CBNull, row, column);
    else {
        if (!FGrid->item(row, column)) FGrid->setItem(row, column, new QTableWidgetItem);
        FGrid->editItem(FGrid->item(row, column));
    }
}

bool TFormInfo::checkRows() {
    for (const ColumnRow& r : gridRows())
        if (QString::fromStdString(r.name).trimmed().isEmpty() || QString::fromStdString(r.type).trimmed().isEmpty()) {
            showMessageText(P(kNoNameOrTypeRu, kNoNameOrTypeEn));
            return false;
        }
    return true;
}

std::vector<std::string> TFormInfo::editorScript(bool* ok, std::vector<std::string>* comments) {
    *ok = false;
    // A cell still being typed in counts: taking the focus back to the grid commits it.
    if (QWidget* f = QApplication::focusWidget(); f && f != FGrid && FGrid->isAncestorOf(f) && f != CBType && f != CBNull)
        FGrid->setFocus();
    if (mode_ == EditMode::NewTable && ENewTableName->text().trimmed().isEmpty()) {
        showMessageText(P("Не задано имя таблицы!", "Table not entered!"));
        return {};
    }
    if (!checkRows()) return {};
    const DdlTarget target = ref_.target();
    const std::vector<ColumnRow> rows = gridRows();
    if (mode_ == EditMode::NewTable) {
        std::vector<std::string> key;
        if (newAs_)
            for (const auto& k : data_.primaryKey)
                for (const auto& r : rows)
                    if (r.name == k) key.push_back(k);
        if (key.size() != data_.primaryKey.size()) key.clear();
        CreateScript s = createTableScript(target, schema::newTableName(target, fromQ(ENewTableName->text())), rows, key);
        *ok = s.ok;
        *comments = s.comments;
        return s.lines;
    }
    std::vector<schema::EditRow> edit;
    for (int r = 0; r < FGrid->rowCount(); ++r) edit.push_back({schema::rowMark(gridCell(r, 0)), rows[std::size_t(r)]});
    schema::AlterScript s = schema::alterTableScript(target, info_.tableName, edit, saveGrid_);
    *ok = s.ok;
    *comments = s.comments;
    return s.lines;
}

void TFormInfo::BShowSqlClick() {
    bool ok = false;
    std::vector<std::string> comments;
    std::vector<std::string> lines = editorScript(&ok, &comments);
    if (!ok) return;
    for (const auto& c : comments) lines.push_back(c + ";");
    appendScript(lines, true);
}

void TFormInfo::BSaveTableClick() {
    bool ok = false;
    std::vector<std::string> comments;
    const std::vector<std::string> lines = editorScript(&ok, &comments);
    if (!ok || !db_) return;
    std::string text;
    for (const auto& l : lines) text += (text.empty() ? "" : "\n") + l;
    const bool newTable = mode_ == EditMode::NewTable;
    const std::string name = newTable ? schema::newTableName(ref_.target(), fromQ(ENewTableName->text())) : info_.tableName;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        if (!text.empty()) {
            if (newTable) schema::runStatement(*db_, text);
            else schema::runAlter(*db_, ref_.kind, text);
        }
    } catch (const std::exception& e) {
        QApplication::restoreOverrideCursor();
        showErrorText(e.what());   // the editor keeps its mode and the grid for a correction
        return;
    }
    QApplication::restoreOverrideCursor();
    leaveEditing();
    if (newTable) {
        showMessageText(P("Таблица ", "Table ") + toQ(name) + P(" создана!", " created!"));
        if (context_.tableCreated) context_.tableCreated();
    } else if (!text.empty()) {
        showMessageText(P("Таблица ", "Table ") + toQ(name) + P(" изменена!", " changed!"));
        if (context_.tableCreated) context_.tableCreated();
    }
    if (ref_.kind != ServerKind::ORACLE && ref_.kind != ServerKind::SQLBASE) return;
    bool failed = false;
    for (const auto& c : comments) {
        try {
            schema::runStatement(*db_, c);
        } catch (const std::exception& e) {
            failed = true;
            showErrorText(e.what());
        }
    }
    if (!comments.empty() && !failed) showMessageText(P("Комментарии изменеы!", "Comments changed!"));
}

void TFormInfo::BUndoTableClick() { leaveEditing(); }

}  // namespace vlm::tableinfo
