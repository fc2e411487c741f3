// TFormCopy: the copy window of F5. One table under an editable name, or every marked table of
// the active panel under derived names, into the other panel's database (or the same one).
//   auto* w = new TFormCopy(panels, &form);  w->show();
#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "copy/copylogic.h"
#include "shell/side.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QRadioButton;
class QToolButton;

namespace vlm::panels {
class TPanels;
}

namespace vlm::copy {

class TFormCopy : public QWidget {
    Q_OBJECT
public:
    // Takes the active panel's focused item, or its marked items when two or more are marked.
    TFormCopy(panels::TPanels& panels, QWidget* parent);

    QLineEdit *ETableSource, *ETableDest, *EDBSource, *EDBDest;
    QLabel *Label1, *Label2, *Label3, *Label4;
    QGroupBox* GroupBox1;
    QRadioButton *RSQL, *RDBase, *RParadox;
    QCheckBox* CBSameDB;
    QToolButton *BCopy, *BExit;
    QLabel *StatusPanel0, *StatusPanel1;
    QProgressBar* ProgressBar1;
    QLabel* Animate1;

    int markedCount() const { return marked_; }
    const std::vector<std::string>& markedNames() const { return names_; }

    void CBSameDBClick();
    void BCopyClick();

    // How one table's copy ended.
    enum class Outcome { Copied, Failed, Refused, Cancelled };
    Outcome copySingle();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    DestType destType() const;
    void setDestTypeFor(bool sqlDest);
    // Probe, question, copy of one table; the status panels show how it ended.
    Outcome copyOne(const std::string& source, const std::string& destTyped, const std::string& destTable,
                    bool sameDb, bool multi);
    void copyMulti();
    void reReadPanels(bool sameDb);
    void setStatus(const QString& count, const std::string& text);

    panels::TPanels& panels_;
    shell::Side sourceSide_, destSide_;
    bool sourceSql_ = false, destSql_ = false;
    int marked_ = 0;
    std::vector<std::string> names_;
};

}  // namespace vlm::copy
