// TFormOptions: the non-modal program options dialog with its eight pages. In filter mode
// (a panel's "Set Filter") only the "Filters" page of that panel shows. BExit takes the trace
// flags, formats, masks and the stored-procedure switch; closing by any means takes the rest,
// rebuilds the panels and frees the dialog. Nothing is written to the settings file here.
#pragma once

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QToolButton;

namespace vlm::panels {

class TPanels;

class TFormOptions : public QDialog {
    Q_OBJECT
public:
    // filterSide: -1 every page; 0 the left and 1 the right panel's filter page only.
    TFormOptions(TPanels& panels, int filterSide, QWidget* parent = nullptr);
    int filterSide() const { return filterSide_; }

    void BExitClick();
    void BFontClick();
    void BColorClick();
    void BSQLEditorFontClick();
    void BSQLLoadDicClick();
    void BSQLSaveDicClick();
    void ColorGrid1Click(int index);
    void chooseHelpFile(int which);
    int colorGridIndex() const;   // the grid's selected cell, -1 before any

    QToolButton* BExit;
    QTabWidget* PageControl1;
    // SQL Monitor
    QCheckBox *CBPrepare, *CBExecute, *CBError, *CBStmt, *CBConnect, *CBTransact, *CBBlob, *CBMisc, *CBVendor,
        *CBDataIn, *CBDataOut;
    // Font / Color
    QPushButton *BFont, *BColor, *BSQLEditorFont, *BSQLLoadDic, *BSQLSaveDic;
    QCheckBox* CBSQLColor;
    QLabel *LabelSQLN, *LabelSQLFuncN, *LabelPLSQLN;
    QWidget* ColorGrid1;
    QLineEdit *LabelSQLColor, *LabelSQLFuncColor, *LabelPLSQLColor, *LabelDigitsColor, *LabelStrConstColor;
    // SQL
    QLabel* LSQLDelim;
    QLineEdit* ESQLDelim;
    QCheckBox *CBUseInSQl, *CBReplAppropriate, *CBDoublet;
    // Search Options
    QCheckBox *CBSearchTable, *CBMatchCase;
    // Help Files
    QLineEdit *ELocalSQLHelpFile, *EInterBaseHelpFile, *EOracleHelpFile, *ESQLBaseHelpFile, *EMSSQLHelpFile;
    QPushButton *BLocalSQL, *BInterbaseSQL, *BOracleSQL, *BSQLBase, *BMSSQL;
    // Formats
    QLineEdit *EThousandSeparator, *EDecimalSeparator, *EDateSeparator, *EShortDateFormat, *ELongDateFormat,
        *ETimeSeparator, *ETimeAMString, *ETimePMString, *EShortTimeFormat, *ELongTimeFormat;
    // Filters
    QGroupBox *GBLeftFilter, *GBRightFilter, *GBDBase;
    QLineEdit *ELeftFilter, *ELeftFilterUser, *ERightFilter, *ERightFilterUser;
    QCheckBox *CBLeftFilter, *CBExceptLeft, *CBRightFilter, *CBExceptRight;
    QLabel* LabelComment;
    QCheckBox *CBShowDeleted, *CBColorDeleted;
    // Objects
    QCheckBox *CBShowIndexesAsCreate, *CBShowSystemIndexes, *CBShowTableComment;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fill();
    void showColours();
    void markColorGrid(int index);
    void takeOnClose();
    QLineEdit* colourEdit_ = nullptr;   // the colour edit that last had the focus
    TPanels& panels_;
    int filterSide_;
    bool closed_ = false;
};

}  // namespace vlm::panels
