// TFormSelectDB: the non-modal select-database dialog of a panel: the engine's database names
// at the left, the file-system roots and a directory tree at the right. Enter or a double
// click chooses; Esc closes. The dialog frees itself when closed.
#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

class QComboBox;
class QFileSystemModel;
class QFrame;
class QListWidget;
class QSplitter;
class QTreeView;

namespace vlm::panels {

class TFormSelectDB : public QDialog {
    Q_OBJECT
public:
    // names: the session's database names (sorted, unique); startDir: the directory shown.
    TFormSelectDB(const std::vector<std::string>& names, const QString& startDir, QWidget* parent = nullptr);

    // Called with the chosen alias or directory path.
    std::function<void(const QString&)> onChoose;
    // Called once when the dialog closes, in every case.
    std::function<void()> onClosed;

    QString selectedDirectory() const;
    void chooseSelectedAlias();
    void chooseSelectedDirectory();

    QListWidget* DataBaseListBox;
    QSplitter* Splitter1;
    QFrame* Panel2;
    QComboBox* DriveComboBox1;
    QTreeView* DirectoryListBox1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void DriveComboBox1Change();
    QFileSystemModel* dirs_;
    bool closedReported_ = false;
};

}  // namespace vlm::panels
