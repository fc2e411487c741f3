// The splash window: title, picture, version panel and animation.
#include "shell/startform.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMovie>
#include <QPainter>
#include <QVBoxLayout>

#include "shell/pictures.h"
#include "shell/qtext.h"
#include "shell/shelllogic.h"

namespace vlm::shell {

TStartForm::TStartForm(const QString& programDir, QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::SplashScreen) {
    setObjectName(QStringLiteral("StartForm"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(332, 214);
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setAutoFillBackground(true);
    QPalette pal = panel->palette();
    pal.setColor(QPalette::Window, Qt::black);
    pal.setColor(QPalette::WindowText, Qt::white);
    panel->setPalette(pal);
    panel->setGeometry(0, 0, 332, 214);

    auto* title = new QLabel(QStringLiteral("Velmar  32"), panel);
    title->setObjectName(QStringLiteral("Label1"));
    QFont f = title->font();
    f.setPointSize(20);
    f.setBold(true);
    title->setFont(f);
    title->setAlignment(Qt::AlignCenter);

    auto* picture = new QLabel(panel);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setPixmap(programPixmap(120));

    auto* panel3 = new QLabel(panel);
    panel3->setObjectName(QStringLiteral("Panel3"));
    panel3->setText(QStringLiteral("V ") + toQ(kVersion) + toQ(kVersionLetter));
    panel3->setAlignment(Qt::AlignCenter);
    panel3->setFrameShape(QFrame::Panel);

    QWidget* anim = nullptr;
    const QString avi = programDir + QStringLiteral("VLM32.AVI");
    if (QFileInfo::exists(avi)) {
        auto* movie = new QMovie(avi, QByteArray(), this);
        if (movie->isValid()) {
            auto* label = new QLabel(panel);
            label->setMovie(movie);
            movie->start();
            movie_ = movie;
            anim = label;
        } else {
            delete movie;
        }
    }
    if (!anim) anim = new TBuiltinAnimation(80, panel);
    anim->setObjectName(QStringLiteral("Animate1"));
    anim->setFixedSize(150, 80);

    auto* right = new QVBoxLayout;
    right->addWidget(panel3);
    right->addWidget(anim, 0, Qt::AlignCenter);
    auto* row = new QHBoxLayout;
    row->addWidget(picture);
    row->addLayout(right);
    auto* col = new QVBoxLayout(panel);
    col->addWidget(title);
    col->addLayout(row);
}

TBuiltinAnimation::TBuiltinAnimation(int stopFrame, QWidget* parent) : QWidget(parent), stopFrame_(stopFrame) {
    timer_ = startTimer(40);
}

void TBuiltinAnimation::timerEvent(QTimerEvent*) {
    if (++frame_ >= stopFrame_) frame_ = 0;
    update();
}

void TBuiltinAnimation::paintEvent(QPaintEvent*) {
    // A magnifier sweeping over a row of three screens.
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const int w = width(), h = height();
    for (int i = 0; i < 3; ++i) {
        QRect r(10 + i * (w - 20) / 3, h / 2 - 15, (w - 20) / 3 - 8, 26);
        p.setPen(QPen(Qt::lightGray, 2));
        p.setBrush(QColor(0, 0, 128));
        p.drawRect(r);
    }
    double t = static_cast<double>(frame_) / stopFrame_;
    int x = 10 + static_cast<int>(t * (w - 40));
    p.setPen(QPen(Qt::yellow, 3));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPoint(x + 10, h / 2 - 4), 10, 10);
    p.drawLine(x + 17, h / 2 + 3, x + 26, h / 2 + 12);
}

}  // namespace vlm::shell
