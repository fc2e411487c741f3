// The login dialog.
#include "panels/passworddlg.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include "panels/names.h"
#include "shell/language.h"
#include "shell/qtext.h"

namespace vlm::panels {

using shell::toQ;

TPasswordDlg::TPasswordDlg(const QString& databaseName, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("PasswordDlg"));
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    const bool ru = shell::languageSetting() == 1;
    setWindowTitle(ru ? toQ("Подключение к БД") : QStringLiteral("DataBase Login"));
    auto* grid = new QGridLayout(this);
    LDataBaseName = new QLabel(ru ? toQ("Имя алиаса:") : QStringLiteral("Database Name:"), this);
    LDataBaseName->setObjectName(QStringLiteral("LDataBaseName"));
    PDataBaseName = new QLabel(databaseName, this);
    PDataBaseName->setObjectName(QStringLiteral("PDataBaseName"));
    PDataBaseName->setFrameShape(QFrame::Panel);
    PDataBaseName->setFrameShadow(QFrame::Sunken);
    Label2 = new QLabel(ru ? toQ("Пользователь:") : QStringLiteral("User name:"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    EUserName = new QLineEdit(this);
    EUserName->setObjectName(QStringLiteral("EUserName"));
    Label1 = new QLabel(ru ? toQ("Пароль:") : QStringLiteral("Password:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    EPassword = new QLineEdit(this);
    EPassword->setObjectName(QStringLiteral("EPassword"));
    EPassword->setEchoMode(QLineEdit::Password);
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    grid->addWidget(LDataBaseName, 0, 0);
    grid->addWidget(PDataBaseName, 0, 1);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(EUserName, 1, 1);
    grid->addWidget(Label1, 2, 0);
    grid->addWidget(EPassword, 2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    grid->addLayout(buttons, 3, 0, 1, 2);
    // Enter is OK (the default button) and Esc is Cancel (QDialog) anywhere in the dialog.
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    EUserName->setFocus();
}

void TPasswordDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (QScreen* sc = screen()) move(sc->availableGeometry().center() - rect().center());
}

QString TPasswordDlg::userName() const { return EUserName->text(); }
QString TPasswordDlg::password() const { return EPassword->text(); }

std::vector<std::string> loginParams(const std::string& user, const std::string& password) {
    std::vector<std::string> p;
    if (!trimBlanks(user).empty()) p.push_back("USER NAME=" + user);
    if (!trimBlanks(password).empty()) p.push_back("PASSWORD=" + password);
    return p;
}

}  // namespace vlm::panels
