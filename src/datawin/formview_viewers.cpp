// TFormView: the field viewers (memo, picture, bytes) and the single-record view.
#include "engine/dataset.h"

#include "datawin/formview.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "datawin/dbgrid.h"
#include "datawin/fieldviewers.h"
#include "datawin/gridmodel.h"
#include "datawin/gridparts.h"
#include "shell/language.h"
#include "shell/prompts.h"
#include "shell/qtext.h"

namespace vlm::datawin {

using shell::fromQ;
using shell::pick;
using shell::toQ;

void TFormView::buildViewers() {
    addFieldViewers(Panel1, DBMemo1, DBImage1);
    PanelVarBytes = new QFrame(Panel1);
    PanelVarBytes->setObjectName(QStringLiteral("PanelVarBytes"));
    auto* vb = new QVBoxLayout(PanelVarBytes);
    vb->setContentsMargins(0, 0, 0, 0);
    Panel2 = new QLabel(QStringLiteral("Characters"), PanelVarBytes);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    MemoChar = new QPlainTextEdit(PanelVarBytes);
    MemoChar->setObjectName(QStringLiteral("MemoChar"));
    auto* hexRow = new QHBoxLayout;
    PanelHex = new QLabel(QStringLiteral("Hex"), PanelVarBytes);
    PanelHex->setObjectName(QStringLiteral("PanelHex"));
    BSaveBytes = new QToolButton(PanelVarBytes);
    BSaveBytes->setObjectName(QStringLiteral("BSaveBytes"));
    BSaveBytes->setText(QStringLiteral("Save"));
    hexRow->addWidget(PanelHex, 1);
    hexRow->addWidget(BSaveBytes);
    MemoHex = new QPlainTextEdit(PanelVarBytes);
    MemoHex->setObjectName(QStringLiteral("MemoHex"));
    vb->addWidget(Panel2);
    vb->addWidget(MemoChar, 1);
    vb->addLayout(hexRow);
    vb->addWidget(MemoHex, 1);
    ScrollBox1 = new QScrollArea(Panel1);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    Panel1->addWidget(PanelVarBytes);
    Panel1->addWidget(ScrollBox1);
    for (QWidget* w : {static_cast<QWidget*>(DBMemo1), static_cast<QWidget*>(DBImage1),
                       static_cast<QWidget*>(MemoChar), static_cast<QWidget*>(MemoHex)})
        w->installEventFilter(this);
    connect(BShowMemo, &QToolButton::clicked, this, &TFormView::BShowMemoClick);
    connect(BScreenGrid, &QToolButton::clicked, this, &TFormView::BScreenGridClick);
    connect(BSaveBytes, &QToolButton::clicked, this, &TFormView::BSaveBytesClick);
    connect(MemoChar, &QPlainTextEdit::textChanged, this, &TFormView::MemoCharChange);
    connect(MemoHex, &QPlainTextEdit::textChanged, this, &TFormView::MemoHexChange);
}

void TFormView::BShowMemoClick(bool down) {
    if (!down) {
        closeViewer();
        return;
    }
    BShowMemo->setChecked(false);
    engine::Dataset& ds = dataset();
    const int col = DBGrid1->currentFieldIndex();
    if (!ds.active() || col < 0) return;
    try {
        engine::Field& f = ds.field(col);
        status[3]->setText(toQ(fieldTypeText(int(f.dataType()))));
        viewerField_ = col;
        switch (viewerKindFor(f.dataType(), info_.serverKind)) {
        case ViewerKind::Memo:
            memoShown_ = memoText(f.value());
            DBMemo1->setPlainText(memoShown_);
            // Editable where the dataset is: a changed text is posted when the viewer closes.
            DBMemo1->setReadOnly(!ds.canModify());
            Panel1->setCurrentWidget(DBMemo1);
            DBMemo1->setFocus();
            break;
        case ViewerKind::Picture:
            showPicture(DBImage1, f.value());
            Panel1->setCurrentWidget(DBImage1);
            DBImage1->setFocus();
            break;
        case ViewerKind::Bytes: {
            bytesSyncing_ = true;
            MemoChar->clear();
            MemoHex->clear();
            if (!f.isNull()) {
                const engine::Value& v = f.value();
                std::string raw = v.is<engine::Bytes>() ? std::string(v.get<engine::Bytes>().begin(), v.get<engine::Bytes>().end())
                                                        : v.asText();
                RawBytes r = splitRawBytes(raw);
                Panel2->setText(QStringLiteral("Characters: FieldLength(%1) DataLength(%2)").arg(r.fieldLength).arg(r.dataLength));
                MemoHex->setPlainText(toQ(bytesToHex(r.data)));
                MemoChar->setPlainText(QString::fromLatin1(r.data.data(), qsizetype(r.data.size())));
            }
            bytesSyncing_ = false;
            Panel1->setCurrentWidget(PanelVarBytes);
            MemoChar->setFocus();
            break;
        }
        case ViewerKind::None:
            viewerField_ = -1;
            return;
        }
        BShowMemo->setChecked(true);
    } catch (const std::exception& e) {
        viewerField_ = -1;
        windowPrompts(this).error(e);
    }
}

bool TFormView::postMemo() {
    engine::Dataset& ds = dataset();
    const QString text = DBMemo1->toPlainText();
    if (viewerField_ < 0 || DBMemo1->isReadOnly() || text == memoShown_ || !ds.active()) return true;
    memoShown_ = text;
    try {
        ds.edit();
        ds.field(viewerField_).setAsString(fromQ(text));
        ds.post();
    } catch (const std::exception& e) {
        // The record stays in edit with the text typed; the viewer stays open once more.
        windowPrompts(this).error(e);
        DBGrid1->followDataset();
        return false;
    }
    DBGrid1->followDataset();
    return true;
}

void TFormView::closeViewer() {
    if (Panel1->currentWidget() == DBMemo1 && !postMemo()) {
        BShowMemo->setChecked(true);
        return;
    }
    Panel1->setCurrentWidget(DBGrid1);
    DBMemo1->clear();
    DBImage1->clear();
    status[3]->clear();
    viewerField_ = -1;
    BShowMemo->setChecked(false);
    DBGrid1->setFocus();
}

void TFormView::MemoCharChange() {
    if (bytesSyncing_) return;
    bytesSyncing_ = true;
    const QByteArray b = MemoChar->toPlainText().toLatin1();
    MemoHex->setPlainText(toQ(bytesToHex(std::string(b.constData(), std::size_t(b.size())))));
    bytesSyncing_ = false;
}

void TFormView::MemoHexChange() {
    if (bytesSyncing_) return;
    bytesSyncing_ = true;
    const std::string bytes = hexToBytes(fromQ(MemoHex->toPlainText()));
    MemoChar->setPlainText(QString::fromLatin1(bytes.data(), qsizetype(bytes.size())));
    bytesSyncing_ = false;
}

void TFormView::BSaveBytesClick() {
    engine::Dataset& ds = dataset();
    if (viewerField_ < 0 || !ds.active()) return;
    try {
        const QByteArray b = MemoChar->toPlainText().toLatin1();
        const std::string raw = rawBytesForSave(std::string(b.constData(), std::size_t(b.size())));
        ds.edit();
        ds.field(viewerField_).setValue(engine::Value(engine::Bytes(raw.begin(), raw.end())));
        ds.post();
    } catch (const std::exception& e) {
        windowPrompts(this).error(e);
    }
    DBGrid1->followDataset();
}

// --- Single-record view ---------------------------------------------------------------------

void TFormView::BScreenGridClick(bool down) {
    if (down) {
        fillSingleRecord();
        Panel1->setCurrentWidget(ScrollBox1);
        BShowMemo->setEnabled(false);
        BScreenGrid->setChecked(true);
        BScreenGrid->setToolTip(toQ(pick("Показывать записи как таблицу", "Show records as Grid")));
        if (QWidget* first = ScrollBox1->findChild<QLineEdit*>(QStringLiteral("SBDBFIELD0"))) first->setFocus();
        return;
    }
    delete ScrollBox1->takeWidget();
    Panel1->setCurrentWidget(DBGrid1);
    DBGrid1->setFocus();
    BShowMemo->setEnabled(true);
    BScreenGrid->setChecked(false);
    BScreenGrid->setToolTip(toQ(pick("Показывать одну запись на экране", "Show records as scroll box")));
    DBGrid1->followDataset();
}

void TFormView::fillSingleRecord() {
    engine::Dataset& ds = dataset();
    delete ScrollBox1->takeWidget();
    auto* box = new QWidget;
    const int ch = QFontMetrics(QApplication::font()).horizontalAdvance(QStringLiteral("Ш"));
    int y = 4;
    for (int i = 0; ds.active() && i < ds.fieldCount(); ++i) {
        engine::Field& f = ds.field(i);
        auto* l = new QLabel(toQ(std::to_string(i + 1) + ": " + f.fieldName()), box);
        l->move(5, y);
        l->adjustSize();
        auto* e = new QLineEdit(box);
        e->setObjectName(QStringLiteral("SBDBFIELD%1").arg(i));
        e->setProperty("tag", i + 1);
        e->move(5, y + l->height() + 4);
        e->resize(std::min(f.displayWidth(), 80) * ch + 20, e->sizeHint().height());
        e->installEventFilter(this);
        connect(e, &QLineEdit::editingFinished, this, [this, e, i] {
            engine::Dataset& d = dataset();
            if (!e->isModified() || !d.active()) return;
            e->setModified(false);
            try {
                d.edit();
                d.field(i).setAsString(fromQ(e->text()));
                d.post();
            } catch (const std::exception& ex) {
                windowPrompts(this).error(ex);
            }
        });
        y += l->height() + e->height() + 6 + 4;
    }
    box->setMinimumSize(400, y + 4);
    ScrollBox1->setWidget(box);
    refreshSingleRecord();
}

void TFormView::refreshSingleRecord() {
    engine::Dataset& ds = dataset();
    QWidget* box = ScrollBox1->widget();
    if (!box || !ds.active()) return;
    for (int i = 0; i < ds.fieldCount(); ++i)
        if (auto* e = box->findChild<QLineEdit*>(QStringLiteral("SBDBFIELD%1").arg(i))) {
            try {
                e->setText(TDatasetModel::cellText(ds.field(i), ds.field(i).value()));
            } catch (const std::exception& ex) {
                e->setText(toQ(std::string("#") + ex.what()));
            }
            e->setModified(false);
        }
}

bool TFormView::viewerKey(QObject* watched, QKeyEvent* k) {
    if (watched == DBMemo1 || watched == DBImage1 || watched == MemoChar || watched == MemoHex) {
        if ((k->key() == Qt::Key_Escape || k->key() == Qt::Key_F3) && k->modifiers() == Qt::NoModifier) {
            closeViewer();
            return true;
        }
        return false;
    }
    auto* e = qobject_cast<QLineEdit*>(watched);
    if (!e || !e->objectName().startsWith(QStringLiteral("SBDBFIELD"))) return false;
    engine::Dataset& ds = dataset();
    const int i = e->property("tag").toInt() - 1;
    switch (k->key()) {
    case Qt::Key_Escape:
        close();
        return true;
    case Qt::Key_F4:
        BScreenGridClick(false);
        return true;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        e->editingFinished();
        try {
            if (k->key() == Qt::Key_PageUp) ds.prior();
            else ds.next();
        } catch (const std::exception& ex) {
            windowPrompts(this).error(ex);
        }
        refreshSingleRecord();
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down: {
        const int n = ds.fieldCount();
        if (n == 0) return true;
        const int to = (i + (k->key() == Qt::Key_Down ? 1 : n - 1)) % n;
        if (auto* t = ScrollBox1->widget()->findChild<QLineEdit*>(QStringLiteral("SBDBFIELD%1").arg(to))) t->setFocus();
        return true;
    }
    default:
        return false;
    }
}

}  // namespace vlm::datawin
