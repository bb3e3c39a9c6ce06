#include "size_words.h"

namespace kelvo::ui {

QString SizeText(std::uint64_t bytes) {
  const char* const units[] = {"B", "KB", "MB", "GB", "TB"};
  double value = static_cast<double>(bytes);
  int unit = 0;
  while (value >= 1024.0 && unit < 4) {
    value /= 1024.0;
    ++unit;
  }
  return unit == 0 ? QStringLiteral("%1 B").arg(bytes)
                   : QStringLiteral("%1 %2").arg(value, 0, 'f', 1).arg(QLatin1String(units[unit]));
}

QString SignedSizeText(std::int64_t bytes) {
  if (bytes >= 0) return SizeText(static_cast<std::uint64_t>(bytes));
  return QStringLiteral("-") + SizeText(static_cast<std::uint64_t>(-(bytes + 1)) + 1);
}

}  // namespace kelvo::ui
