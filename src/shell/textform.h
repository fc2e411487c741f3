// TTextForm: the text viewer and small rich-text editor. One instance, the shared viewer, is
// created hidden at start-up and hides when closed; "Rich Text Editor" windows free themselves.
//   form->prepare(path, "Courier New Cyr", Qt::WindowMaximized);  form->show();  // loads path
#pragma once

#include <QMainWindow>
#include <QPointer>

class QComboBox;
class QDialog;
class QFontComboBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QSpinBox;
class QTextCharFormat;
class QTextEdit;
class QToolButton;

namespace vlm::shell {

class TRuler;

class TTextForm : public QMainWindow {
    Q_OBJECT
public:
    enum class Role { SharedViewer, Editor };
    explicit TTextForm(QWidget* parent = nullptr, Role role = Role::Editor);

    // Sets the file to load at the next showing, the editor font and the window state; applies
    // the English texts when the language is English.
    void prepare(const QString& fileToLoad, const QString& fontName, Qt::WindowStates state);
    void setDocumentName(const QString& name);  // the file name shown and saved to
    void setPlainTextMode(bool on) { plainTextMode_ = on; }

    // Loading picks rich text by the file's content unless plainText is set; a file that is
    // not valid UTF-8 is read as Windows-1251. Errors are shown; false when nothing was read.
    bool loadFile(const QString& path, bool plainText);
    bool saveFile(const QString& path, bool rich);
    // Each find starts at the end of the selection, forward, case-sensitively; a hit is selected.
    bool findNext(const QString& text);
    void printTo(QPrinter& printer, bool oneFont) const;
    // Asks about unsaved changes; false when the user cancelled.
    bool querySave();
    void applyEnglishTexts();

    QTextEdit* editor() const { return editor_; }
    QString fileName() const { return fileName_; }
    bool modified() const;
    Role role() const { return role_; }
    QLabel* statusPanel(int i) const { return status_[i]; }
    QDialog* findDialog() const { return findDialog_; }

    // Menu and button commands.
    void FileNew();
    void FileOpen();
    void FileSave();
    void FileSaveAs();
    void FilePrint();
    void FilePrintOneFont();
    void EditFind();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildUi();
    void setFileName(const QString& name);
    void updateCaret();
    void updateModified();
    void updatePaste();
    void selectionChanged();
    void applyCharFormat(const QTextCharFormat& fmt);
    void setHint(QWidget* w, const QString& hint);
    QToolButton* addButton(const char* name, const QString& text, const QString& hint);

    Role role_;
    QTextEdit* editor_ = nullptr;
    TRuler* ruler_ = nullptr;
    QFontComboBox* fontName_ = nullptr;
    QSpinBox* fontSize_ = nullptr;
    QLabel* status_[3]{};
    QDialog* findDialog_ = nullptr;
    QLineEdit* findEdit_ = nullptr;
    QString fileName_ = QStringLiteral("Untitled");
    QString fileToLoad_;
    bool plainTextMode_ = false;
    bool updating_ = false;
    int saveFilter_ = 1;
};

}  // namespace vlm::shell
