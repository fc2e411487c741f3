// TFormDBInfo: what the engine knows of the active panel's database: alias, driver, type or
// server version, the engine's version, the alias's and the driver's parameters and the driver's
// INIT settings. It only shows; the text comes from dbinfo.h.
#pragma once

#include <QMainWindow>

#include "admin/dbinfo.h"

class QLineEdit;
class QPlainTextEdit;
class QTabWidget;
class QLabel;
class QToolButton;

namespace vlm::admin {

class TFormDBInfo : public QMainWindow {
    Q_OBJECT
public:
    explicit TFormDBInfo(QWidget* parent = nullptr);
    void show(const DbInfo& info);   // fills every field and page

    QTabWidget* PageControl1;
    QWidget *TabSheet1, *TabSheet2, *TabSheet3;
    QLabel *Label1, *Label2, *Label3;
    QLineEdit *EAliasName, *EDriverName, *EDatabaseType, *EBDEVersion;
    QPlainTextEdit *Memo1, *Memo2, *MemoINIT;
    QTabWidget* PageControl2;
    QToolButton* BExit;
};

}  // namespace vlm::admin
