// The core's text is UTF-8 in standard strings; the widgets hold QString.
#pragma once

#include <QByteArray>
#include <QString>

#include <string>
#include <string_view>

namespace kinpath::qt {

inline QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string ToUtf8(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace kinpath::qt
