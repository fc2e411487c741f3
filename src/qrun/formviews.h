// The query runner's window: the query result window with the statement in an editable box
// above the grid (MemoQuery) and BGo to run it again. It owns its connection Database1; the
// start-up connects and opens the query once, and after a failure the user corrects the
// statement and presses BGo. Closing it ends the program.
//   auto* w = new qrun::TFormViewS(start);  w->show();   // connects and opens once shown
#pragma once

#include <QString>
#include <memory>

#include "datawin/formviews.h"
#include "qrun/qrunargs.h"

class QSplitter;

namespace vlm::engine {
class Database;
}
namespace vlm::shell {
class TTextForm;
}

namespace vlm::qrun {

class TFormViewS : public datawin::TFormViewS {
    Q_OBJECT
public:
    // reportDir: where "DataSet0.TXT" is written (ends with a separator; the current
    // directory when empty).
    explicit TFormViewS(const QueryRunnerStart& start, QString reportDir = QString(), QWidget* parent = nullptr);
    ~TFormViewS() override;

    engine::Database& Database1() { return *database_; }
    shell::TTextForm* textWindow() const { return textForm_; }
    QString reportFile() const;

    // The start-up run: connect, then open the query; each step once. True when the query
    // opened. Showing the window runs it.
    bool startUp();
    // Connects when not connected (panel 0 shows the connect time), closes the query, takes
    // MemoQuery's text and opens it (panel 1 shows the query time). True when it opened.
    bool BGoClick();
    // Writes the plain report from the current record into reportFile() and shows it in the
    // text window; "Набор не открыт!" when the query is closed.
    void BViewAndPrintClick();
    void BSearchClick();

    QPlainTextEdit* MemoQuery = nullptr;
    QToolButton* BGo = nullptr;
    QSplitter* Splitter1 = nullptr;

protected:
    void showEvent(QShowEvent* e) override;

private:
    bool connectDatabase();
    bool openQuery1();

    std::unique_ptr<engine::Database> database_;
    shell::TTextForm* textForm_ = nullptr;
    QString reportDir_;
    bool startedUp_ = false;
};

}  // namespace vlm::qrun
