// Failures the window skips on purpose (a step that fails, a setting that cannot be written) are
// still written down: in the logging category "kelvo.window", on stderr by default.
#pragma once

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(kelvoWindow)

namespace kelvo::ui {

// Logs the exception being handled, with what was being done. Call only inside a catch block.
void LogSkippedFailure(const char* doing);

}  // namespace kelvo::ui
