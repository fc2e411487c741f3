// TTrayIcon: the notification-area icon, present only while Active is true.
#pragma once

#include <QIcon>
#include <QObject>
#include <QPoint>
#include <QString>

class QSystemTrayIcon;

namespace vlm::shell {

class TTrayIcon : public QObject {
    Q_OBJECT
public:
    explicit TTrayIcon(QObject* parent = nullptr);
    ~TTrayIcon() override;

    bool active() const { return active_; }
    void setActive(bool active);
    QIcon icon() const { return icon_; }
    void setIcon(const QIcon& icon);
    QString toolTip() const { return toolTip_; }
    void setToolTip(const QString& tip);  // cut to its first 62 characters

signals:
    void OnClick();
    void OnDblClick();
    void OnRightClick(const QPoint& globalPos);

private:
    QSystemTrayIcon* tray_;
    bool active_ = false;
    QIcon icon_;
    QString toolTip_;
};

}  // namespace vlm::shell
