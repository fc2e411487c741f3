// The field viewers' shared part.
#include "datawin/fieldviewers.h"

#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QStringDecoder>

#include "shell/language.h"
#include "shell/qtext.h"

namespace vlm::datawin {

using engine::FieldType;

ViewerKind viewerKindFor(FieldType type, panels::ServerKind kind) {
    switch (type) {
    case FieldType::Memo:
        return ViewerKind::Memo;
    case FieldType::Graphic: case FieldType::Blob: case FieldType::FmtMemo: case FieldType::ParadoxOle:
    case FieldType::DBaseOle: case FieldType::TypedBinary:
        return ViewerKind::Picture;
    case FieldType::Bytes: case FieldType::VarBytes:
        return kind == panels::ServerKind::ORACLE ? ViewerKind::Bytes : ViewerKind::None;
    default:
        return ViewerKind::None;
    }
}

QString memoText(const engine::Value& v) {
    if (v.isNull()) return {};
    if (v.is<engine::Bytes>()) {
        const auto& b = v.get<engine::Bytes>();
        QByteArray raw(reinterpret_cast<const char*>(b.data()), qsizetype(b.size()));
        auto utf8 = QStringDecoder(QStringDecoder::Utf8);
        QString s = utf8(raw);
        if (!utf8.hasError()) return s;
        return QStringDecoder("windows-1251")(raw);
    }
    return shell::toQ(v.asText());
}

QString notAPictureMessage() {
    return shell::toQ(shell::pick("Данные поля не являются изображением", "The field's data is no picture"));
}

bool showPicture(QLabel* label, const engine::Value& v) {
    QByteArray raw;
    if (v.is<engine::Bytes>()) {
        const auto& b = v.get<engine::Bytes>();
        raw = QByteArray(reinterpret_cast<const char*>(b.data()), qsizetype(b.size()));
    } else if (!v.isNull()) {
        const std::string s = v.asText();
        raw = QByteArray(s.data(), qsizetype(s.size()));
    }
    QImage img;
    if (!raw.isEmpty() && img.loadFromData(raw)) {
        label->setPixmap(QPixmap::fromImage(img));
        return true;
    }
    label->setPixmap(QPixmap());
    label->setText(raw.isEmpty() ? QString() : notAPictureMessage());
    return false;
}

}  // namespace vlm::datawin
