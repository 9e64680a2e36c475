#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace kld::ui {

// The memory keeps single-byte text, as files and the radio carry it; the window shows it as
// Latin-1 so that every byte is one character and comes back as the same byte.
inline QString ToQ(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::string FromQ(const QString& text) {
    const QByteArray bytes = text.toLatin1();
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

// Text the system gave us (file names, folders, its own reasons) is UTF-8, whatever script it is
// in; the memory's Latin-1 rule must never be applied to it.
inline QString FromSystem(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace kld::ui
