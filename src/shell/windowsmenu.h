// The Windows-menu service: the entries of the open view, information, result and text windows
// in the main window's "Windows" menu, and the handle slots of the single-instance windows.
//   windowsMenu()->addWindowEntry(win, " View " + name);      // in the window's creation
//   windowsMenu()->removeWindowEntry(win);                     // in its closing
//   windowsMenu()->activateOrOpen(WindowSlot::Copy, [&] { return new TFormCopy(...); });
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <array>
#include <functional>

class QAction;
class QMenu;
class QWidget;

namespace vlm::shell {

enum class WindowSlot {
    Edit, Copy, Append, LeftScript, RightScript, Create, Procedures, Administrator,
    TextViewer, Generators, ObjectList, DependencyTree, TablePrivileges, Count
};

// The handle a slot reports when its window is not open.
inline constexpr long long kNoWindow = -999;

class TWindowsMenu : public QObject {
    Q_OBJECT
public:
    // menu already holds CloseAllWindows1 and the separator N13 at positions 0 and 1.
    explicit TWindowsMenu(QMenu* menu, QObject* parent = nullptr);

    // Running number + 1; item "MyMenu" + number, caption number + title, tag = the window.
    QAction* addWindowEntry(QWidget* window, const QString& title);
    // The first entry whose tag is the window; with 2 items or fewer left the number restarts.
    void removeWindowEntry(QWidget* window);
    void closeAllWindows();
    int runningNumber() const { return number_; }
    QMenu* menu() const { return menu_; }

    // Single-instance windows. A slot forgets a window that has been destroyed.
    QWidget* slotWindow(WindowSlot slot) const;
    long long slotHandle(WindowSlot slot) const;  // kNoWindow when none
    void setSlot(WindowSlot slot, QWidget* window);
    void resetSlot(WindowSlot slot) { setSlot(slot, nullptr); }
    // Restores and raises the slot's window, or creates it with open() and fills the slot.
    QWidget* activateOrOpen(WindowSlot slot, const std::function<QWidget*()>& open);

    static void bringToFront(QWidget* window);
    static QWidget* windowOfEntry(const QAction* entry);

private:
    void entryTriggered();
    void updateEnabled();

    QMenu* menu_;
    int number_ = 0;
    std::array<QPointer<QWidget>, static_cast<size_t>(WindowSlot::Count)> slots_{};
};

// The main window's service, or nullptr where there is no main window (the query runner).
TWindowsMenu* windowsMenu();
void setWindowsMenu(TWindowsMenu* menu);

}  // namespace vlm::shell
