// The one conversion between the logic's UTF-8 std::string and the forms' QString.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace vlm::shell {
inline QString toQ(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
inline std::string fromQ(const QString& s) { return s.toStdString(); }
// Hints are kept with "\r\n" as designed; tool tips show a plain line break.
inline QString hintText(std::string_view s) { return toQ(s).replace(QStringLiteral("\r\n"), QStringLiteral("\n")); }
}  // namespace vlm::shell
