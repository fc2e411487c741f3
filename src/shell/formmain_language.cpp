// TForm1: re-captioning in Russian or English and the Language menu.
#include <QAbstractButton>
#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QTreeWidget>

#include "shell/formmain.h"
#include "shell/language.h"
#include "shell/qtext.h"
#include "shell/trayicon.h"

namespace vlm::shell {

namespace {
// Qt's own Russian texts (Yes, No, OK, Cancel of message boxes and standard dialogs): loaded
// while the language is Russian, dropped when it switches back.
void useToolkitTranslations(bool russian) {
    static QTranslator* qtRussian = nullptr;
    if (russian && !qtRussian) {
        auto* t = new QTranslator(qApp);
        bool loaded = false;
        for (const QString& dir : {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                                   QStringLiteral("/usr/share/qt6/translations")})
            if (!loaded) loaded = t->load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"), dir);
        if (loaded && QCoreApplication::installTranslator(t)) {
            qtRussian = t;
        } else {
            delete t;
        }
    } else if (!russian && qtRussian) {
        QCoreApplication::removeTranslator(qtRussian);
        delete qtRussian;
        qtRussian = nullptr;
    }
}
}  // namespace

void TForm1::applyLanguageTexts(int setting) {
    const bool ru = setting == 1;
    for (const TextEntry& e : captionTable()) {
        const char* t = ru ? e.russian : (e.english ? e.english : e.designed);
        if (!t) continue;
        const QString name = QString::fromLatin1(e.name), text = toQ(t);
        if (QMenu* m = menu(name)) m->setTitle(text);
        else if (QAction* a = action(name)) a->setText(text);
        else if (auto* b = findChild<QAbstractButton*>(name)) b->setText(text);
        else if (auto* l = findChild<QLabel*>(name)) l->setText(text);
    }
    for (const TextEntry& e : hintTable()) {
        const char* t = ru ? e.russian : e.english;
        if (!t) continue;
        if (auto* w = findChild<QWidget*>(QString::fromLatin1(e.name))) w->setToolTip(hintText(t));
    }
    setWindowTitle(toQ(mainCaption(setting)));
    applyResizeRule();   // the other language's captions may be longer (command line, keys)
    useToolkitTranslations(ru);
    if (tray_) tray_->setToolTip(QStringLiteral("Velmar 32"));
    status_[1]->setText(toQ(tablesWord(setting)));
    status_[3]->setText(toQ(selectedWord(setting)));
    for (QTreeWidget* l : list_) {
        QTreeWidgetItem* h = l->headerItem();
        if (l->columnCount() > 0 && h) h->setText(0, toQ(ru ? "Имя таблицы" : "Table name"));
        if (l->columnCount() > 1 && h) h->setText(1, toQ(ru ? "Расш" : "Ext"));
    }
}

void TForm1::NRussianLangClick() {
    setLanguageSetting(1);
    settings_.language = 1;
    action(cmd::NRussianLang)->setChecked(true);
    applyLanguageTexts(1);
    updateNoSelectionMessage();
    hooks_->languageApplied(*this);
}

void TForm1::NEnglishLangClick() {
    setLanguageSetting(2);
    settings_.language = 2;
    action(cmd::NEnglishLang)->setChecked(true);
    applyLanguageTexts(2);
    updateNoSelectionMessage();
    hooks_->languageApplied(*this);
}

void TForm1::NDefaultLangClick() {
    action(cmd::NDefaultLang)->setChecked(true);
    QMessageBox box(QMessageBox::Information, windowTitle(),
                    toQ(pick("Перезапустите программу !", "Restart program to effect !")), QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("RestartMessage"));
    box.exec();
    setLanguageSetting(0);
    settings_.language = 0;
}

std::vector<std::pair<int, std::string>> TForm1::systemMenuItems(int setting) {
    std::vector<std::pair<int, std::string>> items;
    if (setting == 1) {
        items = {{0xF120, "&Восстановить"}, {0xF010, "&Двигать"}, {0xF000, "&Размер"},
                 {0xF020, "&Минимизировать"}, {0xF030, "&Максимизировать"}, {0xF060, "&Закрыть\tAlt+F4"}};
    }
    items.emplace_back(668, setting == 1 ? "Об авторе" : "About");
    return items;
}

}  // namespace vlm::shell
