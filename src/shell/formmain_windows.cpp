// TForm1: child windows (the text viewer, new text windows, view-window flags), help and the
// about box.
#include <QAction>
#include <QApplication>
#include <QFileInfo>

#include "shell/aboutfrm.h"
#include "shell/errordisplay.h"
#include "shell/formmain.h"
#include "shell/helpviewer.h"
#include "shell/language.h"
#include "shell/qtext.h"
#include "shell/textform.h"
#include "shell/windowsmenu.h"

namespace vlm::shell {

TTextForm* TForm1::textViewer() {
    if (!textViewer_) textViewer_ = new TTextForm(this, TTextForm::Role::SharedViewer);
    return textViewer_;
}

void TForm1::showTextFile(const QString& fileName, const QString& title) {
    if (QWidget* open = windowsMenu_->slotWindow(WindowSlot::TextViewer)) {
        TWindowsMenu::bringToFront(open);
        return;
    }
    TTextForm* viewer = textViewer();
    windowsMenu_->setSlot(WindowSlot::TextViewer, viewer);
    viewer->prepare(fileName, QStringLiteral("Courier New Cyr"), Qt::WindowMaximized);
    windowsMenu_->addWindowEntry(viewer, QStringLiteral(" ") + title);
    viewer->show();
    QApplication::restoreOverrideCursor();
}

TTextForm* TForm1::newRichTextEditor() {
    auto* editor = new TTextForm(this, TTextForm::Role::Editor);
    editor->prepare(QString(), QStringLiteral("Courier New Cyr"), Qt::WindowNoState);
    editor->setDocumentName(QStringLiteral("Untitled.rtf"));
    windowsMenu_->addWindowEntry(editor, QStringLiteral(" Rich Text Editor"));
    editor->show();
    return editor;
}

bool TForm1::viewWindowsStayOnTop() const {
    QAction* a = action(cmd::Viewwindowsstayontop1);
    return a && a->isChecked();
}

void TForm1::applyViewWindowFlags(QWidget* window) const {
    if (window && viewWindowsStayOnTop()) window->setWindowFlag(Qt::WindowStaysOnTopHint, true);
}

void TForm1::showHelpContents() {
    if (!helpForm_) helpForm_ = new THelpForm(this);
    helpForm_->showContents(helpFile_, programDir_);
}

void TForm1::showReferenceHelp(const std::string& fileName) {
    // Reference files are named as stored, not prefixed with the program directory.
    if (!helpForm_) helpForm_ = new THelpForm(this);
    helpForm_->showContents(toQ(fileName), programDir_);
}

void TForm1::aboutBox() {
    auto* box = new TAboutBox(this);
    box->show();
}

}  // namespace vlm::shell
