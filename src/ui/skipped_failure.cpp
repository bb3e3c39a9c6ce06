#include "skipped_failure.h"

#include <exception>

Q_LOGGING_CATEGORY(kelvoWindow, "kelvo.window")

namespace kelvo::ui {

void LogSkippedFailure(const char* doing) {
  try {
    throw;
  } catch (const std::exception& e) {
    qCWarning(kelvoWindow, "%s failed, skipped: %s", doing, e.what());
  } catch (...) {
    qCWarning(kelvoWindow, "%s failed, skipped", doing);
  }
}

}  // namespace kelvo::ui
