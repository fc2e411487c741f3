// The grid windows' shared controls: TDBGrid (a table view over a dataset that keeps the
// dataset's current record and the grid's current row together), TDBNavigator (first, prior,
// next, last and, where asked for, insert, delete, edit, post, cancel) and the visible-columns
// list. Used by the table window and the query result window.
//   grid->setDataset(&query);  nav->attach(grid);  fillColumnList(list, query);
#pragma once

#include <QListWidget>
#include <QTableView>
#include <QWidget>
#include <functional>

class QToolButton;
class QLabel;
class QStatusBar;

namespace vlm::engine {
class Dataset;
}
namespace vlm::shell {
class Prompts;
}

namespace vlm::datawin {

class TDatasetModel;

// The prompts a data window shows its messages, questions and errors through: those handed to
// the widget or to a widget above it, else the main window's, else message boxes over the
// widget's window (a program without a main window). The prompts outlive the window.
//   setWindowPrompts(resultWindow, &myPrompts);   windowPrompts(grid).error(e);
void setWindowPrompts(QWidget* window, shell::Prompts* prompts);
shell::Prompts& windowPrompts(QWidget* widget);

// The data windows' status bar "StatusBar1": four sunken panels "StatusPanel0".."3" (300, 100,
// 100 and 50 pixels at least, the last one stretching), stored into panels.
QStatusBar* makeStatusBar(QWidget* parent, QLabel* (&panels)[4]);

class TDBGrid : public QTableView {
    Q_OBJECT
public:
    explicit TDBGrid(QWidget* parent = nullptr);

    void setDataset(engine::Dataset* ds);   // the dataset, opened or not
    engine::Dataset* dataset() const { return ds_; }
    TDatasetModel* datasetModel() const { return model_; }
    // After the dataset was (re)opened: new rows and columns, first row current.
    void reload();
    // After the dataset changed its rows or state or moved its current record.
    void followDataset();
    int currentFieldIndex() const;            // the current column's field, -1 when none
    void setCurrentField(int field);
    // Keys the window handles first (F3, F4, F7, Esc); true consumes the key.
    std::function<bool(QKeyEvent*)> keyHandler;

signals:
    // The dataset's current record moved (by the grid or by followDataset).
    void scrolled();
    void columnEntered(int field);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    engine::Dataset* ds_ = nullptr;
    TDatasetModel* model_ = nullptr;
    bool following_ = false;
};

class TDBNavigator : public QWidget {
    Q_OBJECT
public:
    enum Button { First, Prior, Next, Last, Insert, Delete, Edit, Post, Cancel, Count };
    TDBNavigator(bool editing, QWidget* parent = nullptr);
    void attach(TDBGrid* grid) { grid_ = grid; }
    QToolButton* button(Button b) const { return buttons_[b]; }
    // A delete asks the window's prompts first (confirm delete).
    void click(Button b);

private:
    TDBGrid* grid_ = nullptr;
    QToolButton* buttons_[Count]{};
};

// CheckListBox1: one checked line per field; applying sets the fields' visibility and hides
// the grid's columns of hidden fields.
void fillColumnList(QListWidget* list, engine::Dataset& ds);
void applyColumnList(QListWidget* list, engine::Dataset& ds, QTableView* grid);

}  // namespace vlm::datawin
