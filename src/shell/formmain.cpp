// TForm1: layout, start-up, key preview, resize rule and shutdown.
#include "shell/formmain.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputMethod>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMenuBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOptionButton>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "shell/errordisplay.h"
#include "shell/keyboardlayout.h"
#include "shell/language.h"
#include "shell/paneltitle.h"
#include "shell/pictures.h"
#include "shell/qtext.h"
#include "shell/startform.h"
#include "shell/textform.h"
#include "shell/trayicon.h"
#include "shell/windowsmenu.h"

namespace vlm::shell {
namespace {
TForm1* gForm1 = nullptr;
constexpr int kSplitterWidth = 3;
const char* const kSideNames[2][7] = {
    {"PanelLeft", "PLeft", "LeftListBox", "PanelLeftSize", "LName", "LSize", "LDateTime"},
    {"PanelRight", "PRight", "RightListBox", "PanelRightSize", "RName", "RSize", "RDateTime"}};
int idx(Side s) { return s == Side::Left ? 0 : 1; }

// The application palette with every role marked as set, so that a frame on the blue form
// shows the system colours instead of inheriting the form's.
QPalette systemPalette() {
    QPalette p = QApplication::palette();
    for (int g = 0; g < QPalette::NColorGroups; ++g)
        for (int r = 0; r < QPalette::NColorRoles; ++r) {
            auto group = static_cast<QPalette::ColorGroup>(g);
            auto role = static_cast<QPalette::ColorRole>(r);
            p.setBrush(group, role, p.brush(group, role));
        }
    return p;
}
// The menu bar and the upper tool bar at the designed 640 pixels: no gaps between tool buttons
// and between menu titles, and menu titles with narrower padding, so that the whole tool bar and
// every top menu (the longer Russian titles too) fit without an overflow arrow.
class CompactBarStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int pixelMetric(PixelMetric m, const QStyleOption* o, const QWidget* w) const override {
        if (m == PM_ToolBarItemSpacing || m == PM_MenuBarItemSpacing) return 0;
        return QProxyStyle::pixelMetric(m, o, w);
    }
    QSize sizeFromContents(ContentsType t, const QStyleOption* o, const QSize& size, const QWidget* w) const override {
        QSize r = QProxyStyle::sizeFromContents(t, o, size, w);
        if (t == CT_MenuBarItem && r.width() > 8) r.rwidth() -= 4;
        return r;
    }
};

void useCompactBars(QMainWindow* window, QToolBar* toolBar) {
    auto* style = new CompactBarStyle(QStyleFactory::create(QApplication::style()->name()));
    style->setParent(window);
    window->menuBar()->setStyle(style);
    toolBar->setStyle(style);
}
}  // namespace

TForm1* TForm1::instance() { return gForm1; }

TForm1::TForm1(const QString& programDir, std::shared_ptr<ShellHooks> hooks, TStartForm* splash, QWidget* parent)
    : QMainWindow(parent), programDir_(programDir), hooks_(hooks ? std::move(hooks) : std::make_shared<ShellHooks>()) {
    gForm1 = this;
    setObjectName(QStringLiteral("Form1"));
    setWindowIcon(programIcon());
    keyHandler_ = [this](QKeyEvent& e) { return defaultKeyDown(e); };
    startFormShown_ = splash != nullptr;
    startForm_ = splash;
    prompts_ = hooks_->prompts();
    if (!prompts_) prompts_ = std::make_shared<BoxPrompts>(this);
    commands_.onEnabledChanged = [this](CommandId id, bool on) { showEnabled(id, on); };
    bindFunctionKeys(commands_);
    buildLayout();
    buildMenus();
    buildPopups();
    useCompactBars(this, toolBar1_);
    resize(640, 429);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect a = screen->availableGeometry();
        move(a.left() + (a.width() - width()) / 2, a.top() + (a.height() - height()) / 2);
    }

    // 1-2. Status panel 4 and the message hook: the keyboard-layout indicator.
    applyResizeRule();
    qApp->installEventFilter(this);
    if (QInputMethod* im = QGuiApplication::inputMethod())
        connect(im, &QInputMethod::localeChanged, this, &TForm1::updateKeyboardIndicator);
    updateKeyboardIndicator();
    // 3-4. Caption, program directory, help file.
    setWindowTitle(toQ(designedMainCaption()));
    helpFile_ = programDir_ + QStringLiteral("VLM32.HLP");
    // 6. Keyword dictionaries.
    loadKeywordDictionaries();
    // 8. Settings.
    hooks_->loadSettings(*this, settings_);
    for (CommandProvider provider : commandProviders()) provider(*this, commands_);
    setLanguageSetting(settings_.language);
    updateNoSelectionMessage();
    applySettingsToChecks();
    // 10. Window size.
    resize(settings_.mainFormWidth, settings_.mainFormHeight);
    // 9, 11-13. Panel databases and logins.
    hooks_->startPanels(*this);
    // 14. Repaint the splash window.
    if (splash) splash->repaint();
    // 15-16. Tray icon; the minimise hook is changeEvent.
    tray_ = new TTrayIcon(this);
    tray_->setToolTip(QStringLiteral("Velmar 32"));
    tray_->setIcon(windowIcon());
    connect(tray_, &TTrayIcon::OnDblClick, this, &TForm1::restoreFromTray);
    connect(tray_, &TTrayIcon::OnRightClick, this, [this](const QPoint& at) { popup2_->popup(at); });
    // 17. Language.
    if (settings_.language == 1 || settings_.language == 2) applyLanguageTexts(settings_.language);
    hooks_->languageApplied(*this);
    // 18-20. Panel lists and their focus.
    hooks_->buildPanels(*this);
    // 21. The splash window goes.
    if (splash) {
        splash->hide();
        splash->close();
        startFormShown_ = false;
    }
    // 22. BDetails down.
    toolButton(cmd::BDetails)->setChecked(true);
}

TForm1::~TForm1() {
    // Shutdown order: the key preview first, then the panels (their event filters and callbacks
    // reach into this window's controls), and only then the controls themselves, in the base
    // class destructors, whose hiding of the children sends focus and hide events.
    qApp->removeEventFilter(this);
    hooks_->mainWindowDestroying(*this);
    if (windowsMenu() == windowsMenu_) setWindowsMenu(nullptr);
    if (gForm1 == this) gForm1 = nullptr;
}

void TForm1::buildLayout() {
    buildUpperToolBar();
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("CentralWidget"));
    QPalette blue = central->palette();
    blue.setColor(QPalette::Window, QColor(0, 0, 128));
    central->setAutoFillBackground(true);
    central->setPalette(blue);
    auto* col = new QVBoxLayout(central);
    col->setContentsMargins(0, 0, 0, 0);
    col->setSpacing(0);

    panelMain_ = new QSplitter(Qt::Horizontal, central);
    panelMain_->setObjectName(QStringLiteral("PanelMain"));
    panelMain_->setHandleWidth(kSplitterWidth);
    panelMain_->setChildrenCollapsible(false);
    buildPanel(Side::Left);
    buildPanel(Side::Right);
    if (QSplitterHandle* h = panelMain_->handle(1)) h->setObjectName(QStringLiteral("Splitter1"));
    col->addWidget(panelMain_, 1);

    panelSearch_ = new QFrame(central);
    panelSearch_->setObjectName(QStringLiteral("PanelSearchTable"));
    panelSearch_->setAutoFillBackground(true);
    panelSearch_->setPalette(systemPalette());
    auto* searchRow = new QHBoxLayout(panelSearch_);
    searchRow->setContentsMargins(4, 2, 4, 2);
    label1_ = new QLabel(toQ(designedCaption("Label1")), panelSearch_);
    label1_->setObjectName(QStringLiteral("Label1"));
    searchEdit_ = new QLineEdit(panelSearch_);
    searchEdit_->setObjectName(QStringLiteral("ESearchTable"));
    searchRow->addWidget(label1_);
    searchRow->addWidget(searchEdit_, 1);
    panelSearch_->hide();
    col->addWidget(panelSearch_);

    panelCommand_ = new QFrame(central);
    panelCommand_->setObjectName(QStringLiteral("PanelCommand"));
    panelCommand_->setAutoFillBackground(true);
    panelCommand_->setPalette(systemPalette());
    auto* cmdRow = new QHBoxLayout(panelCommand_);
    cmdRow->setContentsMargins(0, 1, 3, 1);
    cmdRow->setSpacing(3);
    labelSql_ = new QLabel(toQ(designedCaption("LabelSQL")), panelCommand_);
    labelSql_->setObjectName(QStringLiteral("LabelSQL"));
    labelSql_->setFrameShape(QFrame::Panel);
    labelSql_->setFrameShadow(QFrame::Raised);
    // The caption is as wide as its text; the command line takes the rest of the row.
    labelSql_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    esql_ = new QComboBox(panelCommand_);
    esql_->setObjectName(QStringLiteral("ESQL"));
    esql_->setEditable(true);
    esql_->setInsertPolicy(QComboBox::NoInsert);
    esql_->setToolTip(hintText(designedHint("ESQL")));
    cmdRow->addWidget(labelSql_);
    cmdRow->addWidget(esql_, 1);
    col->addWidget(panelCommand_);

    auto* panel1 = new QFrame(central);
    panel1->setObjectName(QStringLiteral("Panel1"));
    panel1->setFixedHeight(48);
    panel1->setAutoFillBackground(true);
    panel1->setPalette(systemPalette());
    auto* bottom = new QVBoxLayout(panel1);
    bottom->setContentsMargins(0, 0, 0, 0);
    bottom->setSpacing(0);
    toolBar2_ = new QWidget(panel1);
    toolBar2_->setObjectName(QStringLiteral("ToolBar2"));
    // The keys' widths follow the window's (the resize rule): the row itself must not hold the
    // window at a width it had before, or the window could never be made narrower again.
    toolBar2_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    bottom->addWidget(toolBar2_);
    buildFunctionKeys();
    statusBar1_ = new QStatusBar(panel1);
    statusBar1_->setObjectName(QStringLiteral("StatusBar1"));
    statusBar1_->setSizeGripEnabled(false);
    bottom->addWidget(statusBar1_);
    buildStatusBar();
    col->addWidget(panel1);
    setCentralWidget(central);
}

void TForm1::buildPanel(Side side) {
    const int i = idx(side);
    auto* frame = new QFrame(panelMain_);
    frame->setObjectName(kSideNames[i][0]);
    frame->setAutoFillBackground(true);
    frame->setPalette(systemPalette());
    auto* col = new QVBoxLayout(frame);
    col->setContentsMargins(0, 0, 0, 0);
    col->setSpacing(0);
    title_[i] = new TPanelTitle(frame);
    title_[i]->setObjectName(kSideNames[i][1]);
    title_[i]->setFixedHeight(25);
    title_[i]->setAlignment(Qt::AlignCenter);
    title_[i]->setAutoFillBackground(true);
    title_[i]->setFrameShape(QFrame::Panel);
    title_[i]->setFrameShadow(QFrame::Raised);
    col->addWidget(title_[i]);
    auto* list = new QTreeWidget(frame);
    list->setObjectName(kSideNames[i][2]);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setDragEnabled(true);
    list->setRootIsDecorated(false);
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    list->setHeaderHidden(false);
    list->setColumnCount(0);
    list_[i] = list;
    col->addWidget(list, 1);
    sizeBar_[i] = new QFrame(frame);
    sizeBar_[i]->setObjectName(kSideNames[i][3]);
    sizeBar_[i]->setFixedHeight(22);
    auto* row = new QHBoxLayout(sizeBar_[i]);
    row->setContentsMargins(2, 1, 2, 1);
    row->setSpacing(2);
    QLabel** texts[3] = {&sizeName_[i], &sizeSize_[i], &sizeDate_[i]};
    for (int k = 0; k < 3; ++k) {
        // The name is elided like the titles; no text of the bar ever widens the window, the
        // three share the bar 3:2:2 whatever they show.
        QLabel* l = k == 0 ? new TPanelTitle(sizeBar_[i]) : new QLabel(sizeBar_[i]);
        l->setSizePolicy(QSizePolicy::Ignored, l->sizePolicy().verticalPolicy());
        l->setObjectName(kSideNames[i][4 + k]);
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        row->addWidget(l, k == 0 ? 3 : 2);
        *texts[k] = l;
    }
    col->addWidget(sizeBar_[i]);
    panelMain_->addWidget(frame);
    panelSide_[i] = frame;
}

void TForm1::buildStatusBar() {
    for (int i = 0; i < 6; ++i) {
        auto* l = new QLabel(statusBar1_);
        l->setObjectName(QStringLiteral("StatusPanel") + QString::number(i));
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        if (i == 0 || i == 2) l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        if (kStatusWidths[i] > 0) l->setFixedWidth(kStatusWidths[i]);
        statusBar1_->addPermanentWidget(l, i == 4 ? 1 : 0);
        status_[i] = l;
    }
    status_[1]->setText(toQ(tablesWord(0)));
    status_[3]->setText(toQ(selectedWord(0)));
}

void TForm1::applyResizeRule() {
    const MainLayout m = mainLayout(width(), kSplitterWidth, statusBar1_ ? statusBar1_->width() : width());
    if (panelMain_) {
        int rest = width() - kSplitterWidth - m.panelLeftWidth;
        panelMain_->setSizes({m.panelLeftWidth, std::max(rest, 1)});
    }
    // Upper bounds, not fixed widths: the child layouts still have their old sizes here, and a
    // minimum taken from them would make the window grow on every resize.
    auto fit = [](QWidget* w, int width) {
        w->setMinimumWidth(0);
        w->setMaximumWidth(width);
    };
    // PanelCommand spans the window; its own width may still be the old one here.
    if (esql_ && labelSql_) fit(esql_, std::max(20, width() - labelSql_->sizeHint().width() - 6));
    if (status_[4]) fit(status_[4], std::max(0, m.statusSpareWidth));
    const auto buttons = findChildren<QPushButton*>();
    for (QPushButton* b : buttons)
        if (b->property("tag").toInt() == 99) b->setFixedWidth(m.functionKeyWidth);
    fitFunctionKeyCaptions();
}

int TForm1::functionKeyTextWidth(const QPushButton* b) const {
    QStyleOptionButton opt;
    opt.initFrom(b);
    opt.rect = QRect(0, 0, b->minimumWidth() == b->maximumWidth() ? b->maximumWidth() : b->width(), b->height());
    opt.text = b->text();
    // The label is drawn centred in the contents rectangle; keep three pixels clear on each
    // side, so that no caption touches the button's edges.
    return b->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, b).width() - 6;
}

void TForm1::fitFunctionKeyCaptions() {
    if (!toolBar2_) return;
    QList<QPushButton*> keys;
    for (QPushButton* b : toolBar2_->findChildren<QPushButton*>())
        if (b->property("tag").toInt() == 99) keys << b;
    if (keys.isEmpty()) return;
    // One size for the whole row: the largest, down to 6 points, at which every caption fits
    // its button. The captions themselves stay as they are.
    const QFont base = toolBar2_->font();
    QFont f = base;
    const qreal full = base.pointSizeF() > 0 ? base.pointSizeF() : 9.0;
    for (qreal size = full; size >= 6.0; size -= 0.5) {
        f.setPointSizeF(size);
        const QFontMetrics fm(f);
        bool fits = true;
        for (const QPushButton* b : keys)
            if (fm.horizontalAdvance(b->text()) > functionKeyTextWidth(b)) {
                fits = false;
                break;
            }
        if (fits) break;
    }
    for (QPushButton* b : keys)
        if (b->font() != f) b->setFont(f);
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    applyResizeRule();
}

void TForm1::updateKeyboardIndicator() {
    if (!status_[5]) return;
    QString lang;
    if (QInputMethod* im = QGuiApplication::inputMethod()) lang = im->locale().name();
    static const std::string xkb = fromQ(xkbLayoutName());   // the X server's, read once
    status_[5]->setText(toQ(keyboardIndicator(layoutNameOfLanguage(keyboardLanguage(fromQ(lang), xkb)))));
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* w = qobject_cast<QWidget*>(watched);
        // Key preview: keys of any control of this window (not of other windows, not of menus).
        if (w && w->window() == this && !qobject_cast<QMenu*>(w)) {
            updateKeyboardIndicator();
            auto* key = static_cast<QKeyEvent*>(event);
            if (keyHandler_ && keyHandler_(*key)) {
                key->accept();
                return true;
            }
        }
    } else if (event->type() == QEvent::WindowActivate && watched == this) {
        updateKeyboardIndicator();
        if (QTreeWidget* l = listBox(activePanel_)) l->setFocus();
    }
    return QMainWindow::eventFilter(watched, event);
}

bool TForm1::defaultKeyDown(QKeyEvent& e) {
    if (hooks_->keyDown(*this, e)) return true;
    const Qt::KeyboardModifiers mods = e.modifiers() & ~Qt::KeypadModifier;
    if (e.key() == Qt::Key_Q && mods == Qt::ControlModifier) {
        esql_->setFocus();
        return true;
    }
    // The function keys and the other keys bound to command ids.
    return commands_.triggerKey(e.key(), unsigned(mods.toInt()));
}

void bindFunctionKeys(CommandRegistry& commands) {
    // F1 to F9 press their buttons; Shift+F1 is help too, and F10 quits unless Alt is held.
    for (int i = 0; i < 10; ++i) {
        unsigned ignored = i == 0 ? unsigned(Qt::ShiftModifier) : i == 9 ? unsigned(Qt::ShiftModifier | Qt::ControlModifier) : 0u;
        commands.bindKey(Qt::Key_F1 + i, 0, kFunctionKeyButtons[i], ignored);
    }
    commands.bindKey(Qt::Key_F1, Qt::AltModifier, cmd::NSelectDatabaseLeft);
    commands.bindKey(Qt::Key_F2, Qt::AltModifier, cmd::NSelectDataBaseRight);
}

std::vector<TForm1::CommandProvider>& TForm1::commandProviders() {
    static std::vector<CommandProvider> providers;
    return providers;
}

void TForm1::addCommandProvider(CommandProvider provider) {
    auto& all = commandProviders();
    if (std::find(all.begin(), all.end(), provider) == all.end()) all.push_back(provider);
}

void TForm1::hideStartForm() {
    if (startForm_ && startForm_->isVisible()) startForm_->hide();
}

void TForm1::loadKeywordDictionaries() {
    dictionaries_ = loadDictionaries(fromQ(programDir_));
    if (!dictionaries_.error.empty()) prompts_->error(errorReport(dictionaries_.error));
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (!shutdownDone_) {
        QMessageBox box(QMessageBox::Question, windowTitle(), toQ(pick("Завершить работу с VLM32 ?", "Exit from VLM32 ?")),
                        QMessageBox::Yes | QMessageBox::No, this);
        box.setObjectName(QStringLiteral("ExitQuestion"));
        if (box.exec() != QMessageBox::Yes) {
            event->ignore();
            return;
        }
        shutdownStep();
    }
    event->accept();
    if (tray_) tray_->setActive(false);
    emit mainWindowClosed();
}

void TForm1::shutdownStep() {
    if (shutdownDone_) return;
    takeChecksIntoSettings();
    settings_.mainFormWidth = width();
    settings_.mainFormHeight = height();
    hooks_->closeConnections(*this);
    if (settings_.autoSave) hooks_->saveSettings(*this, settings_);
    shutdownDone_ = true;
}

bool TForm1::queryEndSession() {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("WMQueryEndSession"), QStringLiteral("WMQueryEndSession"),
                    QMessageBox::Ok | QMessageBox::Cancel, this);
    box.setObjectName(QStringLiteral("QueryEndSession"));
    box.exec();
    // The session may end once the user has agreed to quit and the shutdown has run.
    return close() && shutdownDone_;
}

void rejectModalDialogs() {
    for (int guard = 0; guard < 32; ++guard) {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) return;
        if (auto* d = qobject_cast<QDialog*>(modal)) d->reject();
        else modal->close();
    }
}

void TForm1::endSession() {
    // A modal dialog's loop must return before the window goes: reject them first and come
    // back once their loops have unwound.
    if (QApplication::activeModalWidget() && ++endSessionRounds_ < 50) {
        rejectModalDialogs();
        QMetaObject::invokeMethod(this, &TForm1::endSession, Qt::QueuedConnection);
        return;
    }
    shutdownStep();
    close();
}

void TForm1::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized()) {
        QAction* tray = action(cmd::ShowTrayIconOnMinimize1);
        if (tray && tray->isChecked()) {
            tray_->setActive(true);
            QMetaObject::invokeMethod(this, &QWidget::hide, Qt::QueuedConnection);
        }
    }
}

void TForm1::restoreFromTray() {
    show();
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    showNormal();
    raise();
    activateWindow();
    tray_->setActive(false);
}

QFrame* TForm1::panelFrame(Side s) const { return panelSide_[idx(s)]; }
QLabel* TForm1::panelTitle(Side s) const { return title_[idx(s)]; }
QTreeWidget* TForm1::listBox(Side s) const { return list_[idx(s)]; }
QFrame* TForm1::sizeBar(Side s) const { return sizeBar_[idx(s)]; }
QLabel* TForm1::sizeName(Side s) const { return sizeName_[idx(s)]; }
QLabel* TForm1::sizeSize(Side s) const { return sizeSize_[idx(s)]; }
QLabel* TForm1::sizeDateTime(Side s) const { return sizeDate_[idx(s)]; }
QComboBox* TForm1::commandLine() const { return esql_; }
QLabel* TForm1::labelSql() const { return labelSql_; }
QFrame* TForm1::searchPanel() const { return panelSearch_; }
QLineEdit* TForm1::searchEdit() const { return searchEdit_; }
QLabel* TForm1::statusPanel(int i) const { return i >= 0 && i < 6 ? status_[i] : nullptr; }
QSplitter* TForm1::panelMain() const { return panelMain_; }
QMenu* TForm1::panelPopup() const { return popup1_; }
QMenu* TForm1::commandLinePopup() const { return popupEsql_; }
QMenu* TForm1::trayPopup() const { return popup2_; }
QToolBar* TForm1::upperToolBar() const { return toolBar1_; }

}  // namespace vlm::shell
