// The select-database dialog.
#include "panels/formselectdb.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QListWidget>
#include <QSplitter>
#include <QTimer>
#include <memory>
#include <QTreeView>
#include <QVBoxLayout>

#include "shell/language.h"
#include "shell/qtext.h"

namespace vlm::panels {

TFormSelectDB::TFormSelectDB(const std::vector<std::string>& names, const QString& startDir, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("FormSelectDB"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowTitle(shell::toQ(shell::pick("Выберите алиас или путь для DBase/Paradox",
                                          "Select DataBase Alias Or Path for DBase/Paradox")));
    resize(520, 320);
    auto* col = new QVBoxLayout(this);
    col->setContentsMargins(0, 0, 0, 0);
    Splitter1 = new QSplitter(Qt::Horizontal, this);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    DataBaseListBox = new QListWidget(Splitter1);
    DataBaseListBox->setObjectName(QStringLiteral("DataBaseListBox"));
    for (const auto& n : names) DataBaseListBox->addItem(shell::toQ(n));
    if (DataBaseListBox->count() > 0) DataBaseListBox->setCurrentRow(0);
    Panel2 = new QFrame(Splitter1);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    DriveComboBox1 = new QComboBox(Panel2);
    DriveComboBox1->setObjectName(QStringLiteral("DriveComboBox1"));
    // The file-system roots stand for the drives.
    for (const QFileInfo& d : QDir::drives()) DriveComboBox1->addItem(d.absoluteFilePath());
    DirectoryListBox1 = new QTreeView(Panel2);
    DirectoryListBox1->setObjectName(QStringLiteral("DirectoryListBox1"));
    dirs_ = new QFileSystemModel(this);
    dirs_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    dirs_->setRootPath(QString());
    DirectoryListBox1->setModel(dirs_);
    for (int c = 1; c < dirs_->columnCount(); ++c) DirectoryListBox1->hideColumn(c);
    DirectoryListBox1->header()->hide();
    // The drive box sits 4 pixels inside Panel2 and is 8 pixels narrower than it.
    auto* right = new QVBoxLayout(Panel2);
    right->setContentsMargins(4, 4, 4, 4);
    right->addWidget(DriveComboBox1);
    right->addWidget(DirectoryListBox1, 1);
    Splitter1->addWidget(DataBaseListBox);
    Splitter1->addWidget(Panel2);
    col->addWidget(Splitter1);

    QString dir = startDir.isEmpty() ? QDir::homePath() : startDir;
    for (int i = 0; i < DriveComboBox1->count(); ++i)
        if (dir.startsWith(DriveComboBox1->itemText(i))) DriveComboBox1->setCurrentIndex(i);
    DriveComboBox1Change();
    QModelIndex at = dirs_->index(dir);
    if (at.isValid()) {
        DirectoryListBox1->setCurrentIndex(at);
        // The model reads directories in the background: open the tree down to the directory
        // and scroll to it as the levels arrive.
        auto reveal = [this, dir] {
            QModelIndex i = dirs_->index(dir);
            if (!i.isValid()) return;
            for (QModelIndex up = i.parent(); up.isValid(); up = up.parent()) DirectoryListBox1->expand(up);
            DirectoryListBox1->scrollTo(i, QAbstractItemView::PositionAtCenter);
        };
        reveal();
        auto pending = std::make_shared<QMetaObject::Connection>();
        *pending = connect(dirs_, &QFileSystemModel::directoryLoaded, this, [dir, reveal, pending](const QString& loaded) {
            if (!dir.startsWith(loaded)) return;
            reveal();
            if (loaded == dir) QObject::disconnect(*pending);
        });
    }
    connect(DriveComboBox1, &QComboBox::currentIndexChanged, this, [this] { DriveComboBox1Change(); });
    connect(DataBaseListBox, &QListWidget::itemDoubleClicked, this, [this] { chooseSelectedAlias(); });
    connect(DirectoryListBox1, &QTreeView::doubleClicked, this, [this] { chooseSelectedDirectory(); });
    connect(this, &QDialog::finished, this, [this] {
        if (!closedReported_) {
            closedReported_ = true;
            if (onClosed) onClosed();
        }
    });
    DataBaseListBox->installEventFilter(this);
    DirectoryListBox1->installEventFilter(this);
}

void TFormSelectDB::DriveComboBox1Change() {
    QString root = DriveComboBox1->currentText();
    DirectoryListBox1->setRootIndex(dirs_->index(root));
}

QString TFormSelectDB::selectedDirectory() const {
    QModelIndex i = DirectoryListBox1->currentIndex();
    return i.isValid() ? dirs_->filePath(i) : QString();
}

void TFormSelectDB::chooseSelectedAlias() {
    if (QListWidgetItem* it = DataBaseListBox->currentItem(); it && onChoose) onChoose(it->text());
}

void TFormSelectDB::chooseSelectedDirectory() {
    QString d = selectedDirectory();
    if (!d.isEmpty() && onChoose) onChoose(d);
}

bool TFormSelectDB::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(event);
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            if (watched == DataBaseListBox) chooseSelectedAlias();
            else chooseSelectedDirectory();
            return true;
        }
        if (k->key() == Qt::Key_Escape) {
            close();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFormSelectDB::closeEvent(QCloseEvent* event) {
    QDialog::closeEvent(event);
    if (!closedReported_) {
        closedReported_ = true;
        if (onClosed) onClosed();
    }
}

}  // namespace vlm::panels
