// About box: program picture, name, version.
#include "shell/aboutfrm.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/language.h"
#include "shell/pictures.h"
#include "shell/qtext.h"
#include "shell/shelllogic.h"

namespace vlm::shell {

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(toQ(pick("О программе", "About")));
    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("ProgramIcon"));
    picture->setPixmap(programPixmap(64));
    auto* product = new QLabel(QStringLiteral("Velmar 32"), this);
    product->setObjectName(QStringLiteral("ProductName"));
    QFont f = product->font();
    f.setPointSize(f.pointSize() + 4);
    f.setBold(true);
    product->setFont(f);
    auto* version = new QLabel(QStringLiteral("V ") + toQ(kVersion) + toQ(kVersionLetter), this);
    version->setObjectName(QStringLiteral("Version"));
    auto* comments = new QLabel(toQ(pick("Двухпанельный командир баз данных", "Two-panel database commander")), this);
    comments->setObjectName(QStringLiteral("Comments"));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* texts = new QVBoxLayout;
    texts->addWidget(product);
    texts->addWidget(version);
    texts->addWidget(comments);
    auto* row = new QHBoxLayout;
    row->addWidget(picture);
    row->addLayout(texts);
    auto* col = new QVBoxLayout(this);
    col->addLayout(row);
    col->addWidget(ok, 0, Qt::AlignCenter);
}

}  // namespace vlm::shell
