// TFormInfo: the tabs of the objects that hang on the table (triggers, constraints,
// dependencies, privileges) and the table comment.
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QStyle>
#include <QTreeWidget>

#include "engine/database.h"
#include "engine/query.h"
#include "shell/language.h"
#include "shell/qtext.h"
#include "tableinfo/catalogrows.h"
#include "tableinfo/forminfo.h"

namespace vlm::tableinfo {

using shell::fromQ;
using shell::pick;
using shell::toQ;

namespace {

QString lines(const std::vector<std::string>& v) {
    QStringList l;
    for (const auto& s : v) l << toQ(s);
    return l.join(QLatin1Char('\n'));
}

// The images of the dependency tree (ImageListDependence), by the image number of the type.
QIcon dependencyIcon(QWidget* w, int image) {
    static const QStyle::StandardPixmap pixmaps[] = {
        QStyle::SP_FileIcon, QStyle::SP_FileDialogContentsView, QStyle::SP_MediaPlay, QStyle::SP_CommandLink,
        QStyle::SP_DirIcon, QStyle::SP_FileIcon, QStyle::SP_FileDialogDetailedView, QStyle::SP_BrowserReload};
    return w->style()->standardIcon(pixmaps[image >= 0 && image < 8 ? image : 5]);
}

std::string lowerType(std::string s) {
    for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

void TFormInfo::setChecked(QListWidgetItem* item, bool on) {
    QSignalBlocker block(item->listWidget());
    item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

void TFormInfo::loadRelated() {
    auto guarded = [this](auto&& f) {
        try {
            f();
        } catch (const std::exception& e) {
            data_.errors.push_back(detail::errorText(e));
        }
    };
    guarded([&] {
        QSignalBlocker block(ListBoxTrigger);
        for (const TriggerItem& t : readTriggers(*db_, ref_)) {
            auto* it = new QListWidgetItem(toQ(t.name), ListBoxTrigger);
            it->setFlags(it->flags() | Qt::ItemIsUserCheckable);
            it->setCheckState(t.enabled ? Qt::Checked : Qt::Unchecked);
        }
    });
    guarded([&] {
        QSignalBlocker block(ListBoxCons);
        constraints_ = readConstraints(*db_, ref_);
        for (const ConstraintItem& c : constraints_) {
            auto* it = new QListWidgetItem(toQ(c.name), ListBoxCons);
            it->setFlags(it->flags() | Qt::ItemIsUserCheckable);
            it->setCheckState(c.enabled ? Qt::Checked : Qt::Unchecked);
        }
        BDropCons->setEnabled(!constraints_.empty());
    });
    if (ref_.kind == ServerKind::ORACLE) {
        // The dependencies tab is hidden on any error.
        try {
            QTreeWidgetItem* top = nullptr;
            std::string lastKey;
            for (const Dependency& d : readDependencies(*db_, ref_, context_.showSystemObjects)) {
                const std::string key = d.referencedType + "|" + d.referenced;
                if (!top || key != lastKey) {
                    top = new QTreeWidgetItem(TreeViewDependencies,
                                              {toQ(lowerType(d.referencedType) + ": " + d.referenced)});
                    top->setData(0, Qt::UserRole, dependencyImage(d.referencedType));
                    top->setIcon(0, dependencyIcon(TreeViewDependencies, dependencyImage(d.referencedType)));
                    lastKey = key;
                }
                auto* child = new QTreeWidgetItem(top, {toQ(lowerType(d.dependentType) + ": " + d.dependent)});
                child->setData(0, Qt::UserRole, dependencyImage(d.dependentType));
                child->setIcon(0, dependencyIcon(TreeViewDependencies, dependencyImage(d.dependentType)));
            }
            TreeViewDependencies->expandAll();
        } catch (const std::exception&) {
            TreeViewDependencies->clear();
        }
        guarded([&] {
            auto privileges = readPrivileges(*db_, ref_);
            StringGridPriveleges->setRowCount(int(privileges.size()));
            for (int r = 0; r < int(privileges.size()); ++r) {
                const Privilege& p = privileges[r];
                int c = 0;
                for (const std::string* v : {&p.grantor, &p.grantee, &p.privilege, &p.grantable})
                    StringGridPriveleges->setItem(r, c++, new QTableWidgetItem(toQ(*v)));
            }
        });
    }
    if (ref_.kind == ServerKind::ORACLE || ref_.kind == ServerKind::SQLBASE) {
        guarded([&] { EditTableComment->setText(toQ(readTableComment(*db_, ref_))); });
        QPalette p = EditTableComment->palette();
        p.setColor(QPalette::Base, p.color(QPalette::Button));
        EditTableComment->setPalette(p);
        BSaveTableComment->setEnabled(false);
    }
}

bool TFormInfo::runStatement(const std::string& sql) {
    try {
        engine::Query q;
        q.setDatabase(db_.get());
        q.setSql(sql);
        q.execSql();
        if (db_->inTransaction()) db_->commit();
        return true;
    } catch (const std::exception& e) {
        showErrorText(detail::errorText(e));
        return false;
    }
}

void TFormInfo::ListBoxTriggerClick(int row) {
    MemoTrigger->clear();
    if (row < 0 || !db_) return;
    try {
        MemoTrigger->setPlainText(lines(triggerSource(*db_, ref_, fromQ(ListBoxTrigger->item(row)->text()))));
    } catch (const std::exception& e) {
        showErrorText(detail::errorText(e));
    }
}

void TFormInfo::ListBoxTriggerCheck(QListWidgetItem* item) {
    const bool on = item->checkState() == Qt::Checked;
    const std::string sql = db_ ? triggerSwitchSql(ref_, fromQ(item->text()), on) : std::string();
    if (sql.empty()) {
        // The mark goes back: the server's trigger did not change.
        setChecked(item, !on);
        showMessageText(toQ(pick(kNotSupportedRu, kNotSupportedEn)));
        return;
    }
    if (!runStatement(sql)) setChecked(item, !on);
}

void TFormInfo::ListBoxConsClick(int row) {
    MemoCons->clear();
    MemoFieldList->clear();
    PanelTypeCons->clear();
    if (row < 0 || row >= int(constraints_.size()) || !db_) return;
    try {
        ConstraintDefinition d = constraintDefinition(*db_, ref_, constraints_[row]);
        PanelTypeCons->setText(toQ(pick(d.kindRu, d.kindEn)));
        MemoFieldList->setPlainText(lines(d.fields));
        MemoCons->setPlainText(lines(d.statement));
    } catch (const std::exception& e) {
        showErrorText(detail::errorText(e));
    }
}

void TFormInfo::ListBoxConsCheck(QListWidgetItem* item) {
    const bool on = item->checkState() == Qt::Checked;
    const std::string sql = db_ ? constraintSwitchSql(ref_, fromQ(item->text()), on) : std::string();
    if (sql.empty() || !runStatement(sql)) setChecked(item, !on);
}

void TFormInfo::BDropConsClick() {
    QListWidgetItem* item = ListBoxCons->currentItem();
    if (!item || !db_) return;
    const std::string sql = constraintDropSql(ref_, fromQ(item->text()));
    if (sql.empty()) {
        showMessageText(toQ(pick("Не поддерживается", "Not Supported!")));
        return;
    }
    const QString title = toQ(pick("Удалить ограничение", "Drop constraint")), question = toQ(pick("Вы уверены ?", "Are You Sure ?"));
    const bool yes = context_.confirm ? context_.confirm(title, question)
                                      : QMessageBox::question(this, title, question, QMessageBox::Yes | QMessageBox::No) ==
                                            QMessageBox::Yes;
    if (!yes || !runStatement(sql)) return;
    const int row = ListBoxCons->row(item);
    constraints_.erase(constraints_.begin() + row);
    delete ListBoxCons->takeItem(row);
    MemoCons->clear();
    MemoFieldList->clear();
}

void TFormInfo::BSaveTableCommentClick() {
    const std::string sql = tableCommentSql(ref_, fromQ(EditTableComment->text()));
    if (sql.empty() || !db_ || !runStatement(sql)) return;
    BSaveTableComment->setEnabled(false);
    QPalette p = EditTableComment->palette();
    p.setColor(QPalette::Base, p.color(QPalette::Button));
    EditTableComment->setPalette(p);
    showMessageText(toQ(pick("Комментарий для таблицы ", "Comment On Table ") + info_.tableName +
                        pick(" изменен!", " Changed!")));
}

}  // namespace vlm::tableinfo
