// The alias information window (see formdbinfo.h).
#include "admin/formdbinfo.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "shell/language.h"
#include "shell/qtext.h"

namespace vlm::admin {

namespace {
QString lines(const std::vector<std::string>& l) {
    QStringList out;
    for (const auto& s : l) out << shell::toQ(s);
    return out.join(QLatin1Char('\n'));
}
QPlainTextEdit* memo(QWidget* parent) {
    auto* m = new QPlainTextEdit(parent);
    m->setReadOnly(true);
    m->setLineWrapMode(QPlainTextEdit::NoWrap);
    return m;
}
}  // namespace

TFormDBInfo::TFormDBInfo(QWidget* parent) : QMainWindow(parent) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlag(Qt::Window);
    setObjectName(QStringLiteral("FormDBInfo"));
    bool ru = shell::languageSetting() == 1;
    auto t = [ru](const char* russian, const char* english) { return QString::fromUtf8(ru ? russian : english); };
    setWindowTitle(t("Информация о базе данных", "Data Base (Alias) Infro"));
    resize(460, 340);

    auto* bar = addToolBar(QStringLiteral("ToolBar1"));
    bar->setMovable(false);
    BExit = new QToolButton(bar);
    BExit->setObjectName(QStringLiteral("BExit"));
    BExit->setText(t("Выход", "Exit"));
    BExit->setToolTip(t("Выход", "Exit"));
    bar->addWidget(BExit);
    connect(BExit, &QToolButton::clicked, this, &QWidget::close);
    statusBar();

    PageControl1 = new QTabWidget(this);
    setCentralWidget(PageControl1);
    TabSheet1 = new QWidget;
    auto* form = new QFormLayout(TabSheet1);
    Label1 = new QLabel(t("Алиас:", "Alias:"));
    Label2 = new QLabel(t("Драйвер:", "Driver:"));
    Label3 = new QLabel(t("Тип:", "Type:"));
    EAliasName = new QLineEdit;
    EDriverName = new QLineEdit;
    EDatabaseType = new QLineEdit;
    EBDEVersion = new QLineEdit;
    for (QLineEdit* e : {EAliasName, EDriverName, EDatabaseType, EBDEVersion}) e->setReadOnly(true);
    form->addRow(Label1, EAliasName);
    form->addRow(Label2, EDriverName);
    form->addRow(Label3, EDatabaseType);
    form->addRow(QString(), EBDEVersion);
    PageControl1->addTab(TabSheet1, t("Общая", "Common"));

    TabSheet2 = new QWidget;
    auto* v2 = new QVBoxLayout(TabSheet2);
    Memo1 = memo(TabSheet2);
    v2->addWidget(Memo1);
    PageControl1->addTab(TabSheet2, t("Алиас", "Alias"));

    TabSheet3 = new QWidget;
    auto* v3 = new QVBoxLayout(TabSheet3);
    PageControl2 = new QTabWidget(TabSheet3);
    PageControl2->setTabPosition(QTabWidget::South);
    Memo2 = memo(PageControl2);
    MemoINIT = memo(PageControl2);
    PageControl2->addTab(Memo2, QStringLiteral("DB OPEN"));
    PageControl2->addTab(MemoINIT, QStringLiteral("INIT"));
    v3->addWidget(PageControl2);
    PageControl1->addTab(TabSheet3, t("Драйвер", "Driver"));
}

void TFormDBInfo::show(const DbInfo& info) {
    EDriverName->setText(shell::toQ(info.driverName));
    EAliasName->setText(shell::toQ(info.aliasName));
    EBDEVersion->setText(shell::toQ(info.engineVersion));
    EDatabaseType->setText(shell::toQ(info.databaseType));
    Memo1->setPlainText(lines(info.aliasParams));
    Memo2->setPlainText(lines(info.driverParams));
    MemoINIT->setPlainText(lines(info.driverInit));
    QMainWindow::show();
}

}  // namespace vlm::admin
