// TTrayIcon over QSystemTrayIcon.
#include "shell/trayicon.h"

#include <QCursor>
#include <QSystemTrayIcon>

namespace vlm::shell {

TTrayIcon::TTrayIcon(QObject* parent) : QObject(parent), tray_(new QSystemTrayIcon(this)) {
    connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
        if (r == QSystemTrayIcon::Trigger) emit OnClick();
        else if (r == QSystemTrayIcon::DoubleClick) emit OnDblClick();
        else if (r == QSystemTrayIcon::Context) emit OnRightClick(QCursor::pos());
    });
}

TTrayIcon::~TTrayIcon() { tray_->hide(); }

void TTrayIcon::setActive(bool active) {
    active_ = active;
    tray_->setVisible(active);
}

void TTrayIcon::setIcon(const QIcon& icon) {
    icon_ = icon;
    tray_->setIcon(icon);
}

void TTrayIcon::setToolTip(const QString& tip) {
    toolTip_ = tip.left(62);
    tray_->setToolTip(toolTip_);
}

}  // namespace vlm::shell
