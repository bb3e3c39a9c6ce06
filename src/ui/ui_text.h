// Native names as the user sees them.
#pragma once

#include <QString>

#include "platform/native_string.h"

namespace kelvo::ui {

inline QString ToQString(NativeStringView text) {
  const std::string utf8 = NativeToUtf8(text);
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

inline NativeString ToNative(const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  return Utf8ToNative(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

}  // namespace kelvo::ui
