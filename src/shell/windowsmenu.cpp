// Windows menu entries and window handle slots.
#include "shell/windowsmenu.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

namespace vlm::shell {
namespace {
TWindowsMenu* gWindowsMenu = nullptr;
constexpr int kFixedItems = 2;  // "Close All Windows" and the separator
}  // namespace

TWindowsMenu* windowsMenu() { return gWindowsMenu; }
void setWindowsMenu(TWindowsMenu* menu) { gWindowsMenu = menu; }

TWindowsMenu::TWindowsMenu(QMenu* menu, QObject* parent) : QObject(parent), menu_(menu) {
    updateEnabled();
}

QWidget* TWindowsMenu::windowOfEntry(const QAction* entry) {
    return entry ? qvariant_cast<QWidget*>(entry->property("tag")) : nullptr;
}

QAction* TWindowsMenu::addWindowEntry(QWidget* window, const QString& title) {
    ++number_;
    auto* item = new QAction(QString::number(number_) + title, menu_);
    item->setObjectName(QStringLiteral("MyMenu") + QString::number(number_));
    item->setProperty("tag", QVariant::fromValue(window));
    connect(item, &QAction::triggered, this, &TWindowsMenu::entryTriggered);
    menu_->addAction(item);
    // A window freed without removing its entry would leave an entry pointing at nothing.
    if (window)
        connect(window, &QObject::destroyed, item, [this, item] {
            item->setProperty("tag", QVariant::fromValue<QWidget*>(nullptr));
            menu_->removeAction(item);
            item->deleteLater();
            updateEnabled();
        });
    updateEnabled();
    return item;
}

void TWindowsMenu::removeWindowEntry(QWidget* window) {
    const auto items = menu_->actions();
    for (QAction* a : items) {
        if (a->property("tag").isValid() && windowOfEntry(a) == window && window) {
            menu_->removeAction(a);
            a->deleteLater();
            break;
        }
    }
    updateEnabled();
}

void TWindowsMenu::closeAllWindows() {
    while (menu_->actions().size() > kFixedItems) {
        QAction* entry = menu_->actions().at(kFixedItems);
        if (QWidget* w = windowOfEntry(entry)) w->close();
        const auto now = menu_->actions();
        if (now.size() > kFixedItems && now.at(kFixedItems) == entry) {
            menu_->removeAction(entry);
            entry->deleteLater();
        }
    }
    number_ = 0;
    menu_->setEnabled(false);
    menu_->menuAction()->setEnabled(false);
}

void TWindowsMenu::updateEnabled() {
    bool any = menu_->actions().size() > kFixedItems;
    if (!any) number_ = 0;
    menu_->setEnabled(any);
    menu_->menuAction()->setEnabled(any);
}

void TWindowsMenu::entryTriggered() {
    if (auto* a = qobject_cast<QAction*>(sender())) bringToFront(windowOfEntry(a));
}

void TWindowsMenu::bringToFront(QWidget* window) {
    if (!window) return;
    if (window->isMinimized()) window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

QWidget* TWindowsMenu::slotWindow(WindowSlot slot) const { return slots_[static_cast<size_t>(slot)].data(); }

long long TWindowsMenu::slotHandle(WindowSlot slot) const {
    QWidget* w = slotWindow(slot);
    return w ? static_cast<long long>(reinterpret_cast<quintptr>(w)) : kNoWindow;
}

void TWindowsMenu::setSlot(WindowSlot slot, QWidget* window) { slots_[static_cast<size_t>(slot)] = window; }

QWidget* TWindowsMenu::activateOrOpen(WindowSlot slot, const std::function<QWidget*()>& open) {
    if (QWidget* w = slotWindow(slot)) {
        bringToFront(w);
        return w;
    }
    QWidget* w = open ? open() : nullptr;
    setSlot(slot, w);
    return w;
}

}  // namespace vlm::shell
